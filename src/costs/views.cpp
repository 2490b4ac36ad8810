// SPDX-License-Identifier: GPL-3.0-or-later
#include "views.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "i18n/texts.h"

namespace costs {

namespace {

QString title(QStringView key, const char* danish) {
    return i18n::text(u"CostTexts", key, QString::fromUtf8(danish));
}

// Totals in bold, the lines of no group in italics, in whatever size the view's font has.
class LineDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        const auto kind = LineKind(index.data(SumModel::KindRole).toInt());
        if (kind == LineKind::Total) {
            option->font.setBold(true);
        } else if (kind != LineKind::Group) {
            option->font.setItalic(true);
        }
        if (kind == LineKind::LeftOut) {
            option->palette.setColor(QPalette::Text, Qt::darkGray);
        }
    }
};

// The number a numeric column shows of a line.
double numberOf(const Line& line, Column column) {
    switch (column) {
        case Column::Regnr:
            return line.regnr;
        case Column::PlantRows:
            return double(line.plantRows);
        case Column::Plants:
            return line.plants;
        case Column::MaterialRows:
            return double(line.materialRows);
        case Column::Materials:
            return line.materials;
        case Column::Amount:
            return line.amount();
        case Column::Label:
        case Column::Category:
            break;
    }
    return 0.0;
}

}  // namespace

bool isNumber(Column column) {
    return column != Column::Label && column != Column::Category;
}

QString cellText(const Line& line, Column column) {
    switch (column) {
        case Column::Label:
            return lineLabel(line);
        case Column::Regnr:
            return line.kind == LineKind::Group && line.regnr != 0 ? QString::number(line.regnr)
                                                                   : QString();
        case Column::Category:
            return line.category;
        case Column::PlantRows:
            return count(line.plantRows);
        case Column::Plants:
            return money(line.plants);
        case Column::MaterialRows:
            return count(line.materialRows);
        case Column::Materials:
            return money(line.materials);
        case Column::Amount:
            return money(line.amount());
    }
    return QString();
}

QList<ColumnDef> yearColumns() {
    return {{Column::Label, title(u"Year", "År")},
            {Column::PlantRows, title(u"PlantCount", "Antal planter")},
            {Column::Plants, title(u"Plants", "Planter")},
            {Column::MaterialRows, title(u"MaterialCount", "Antal materialer")},
            {Column::Materials, title(u"Materials", "Materialer")},
            {Column::Amount, title(u"Total", "I alt")}};
}

QList<ColumnDef> familyColumns() {
    return {{Column::Label, title(u"Family", "Plantefamilie")},
            {Column::PlantRows, title(u"Count", "Antal")},
            {Column::Plants, title(u"Amount", "Beløb")}};
}

QList<ColumnDef> typeColumns() {
    return {{Column::Label, title(u"Type", "Plantetype")},
            {Column::PlantRows, title(u"Count", "Antal")},
            {Column::Plants, title(u"Amount", "Beløb")}};
}

QList<ColumnDef> workColumns() {
    return {{Column::Regnr, title(u"Regnr", "Regnr.")},
            {Column::Label, title(u"Work", "Haveanlæg")},
            {Column::Category, title(u"Category", "Kategori")},
            {Column::MaterialRows, title(u"Count", "Antal")},
            {Column::Materials, title(u"Amount", "Beløb")}};
}

QList<ColumnDef> categoryColumns() {
    return {{Column::Label, title(u"Category", "Kategori")},
            {Column::MaterialRows, title(u"Count", "Antal")},
            {Column::Materials, title(u"Amount", "Beløb")}};
}

SumModel::SumModel(QList<ColumnDef> columns, QObject* parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)) {}

void SumModel::setLines(const QList<Line>& lines) {
    beginResetModel();
    m_lines = lines;
    endResetModel();
}

int SumModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_lines.size());
}

int SumModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant SumModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const Line& line = m_lines.at(index.row());
    const Column column = m_columns.at(index.column()).what;
    switch (role) {
        case Qt::DisplayRole:
            return cellText(line, column);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (isNumber(column) ? Qt::AlignRight : Qt::AlignLeft));
        case KindRole:
            return int(line.kind);
        default:
            return {};
    }
}

QVariant SumModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_columns.at(section).title;
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(
            Qt::AlignVCenter |
            (isNumber(m_columns.at(section).what) ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
}

SumView::SumView(QWidget* parent) : QTableView(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAlternatingRowColors(true);
    setWordWrap(false);
    // Tab leaves the table for the next control, as in a form.
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setItemDelegate(new LineDelegate(this));
}

void SumView::setModel(QAbstractItemModel* model) {
    if (QAbstractItemModel* old = this->model()) {
        disconnect(old, nullptr, this, nullptr);
    }
    QTableView::setModel(model);
    if (model) {
        connect(model, &QAbstractItemModel::modelReset, this, &SumView::fitColumns);
    }
    fitColumns();
}

void SumView::changeEvent(QEvent* e) {
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        fitColumns();
    }
}

void SumView::fitColumns() {
    auto* m = qobject_cast<SumModel*>(model());
    if (!m) {
        return;
    }
    QFont bold = font();
    bold.setBold(true);
    const QFontMetrics normal(font());
    const QFontMetrics wide(bold);
    verticalHeader()->setDefaultSectionSize(normal.height() + 6);
    const int margin = 2 * normal.horizontalAdvance(QLatin1Char('0')) + 8;
    QHeaderView* header = horizontalHeader();
    for (int c = 0; c < m->columnCount(); ++c) {
        const Column what = m->columns().at(c).what;
        if (what == Column::Label) {
            header->setSectionResizeMode(c, QHeaderView::Stretch);
            continue;
        }
        header->setSectionResizeMode(c, QHeaderView::Fixed);
        if (!isNumber(what)) {
            // A text beside the names: as wide as its longest text, up to a third of the view.
            const QString* longest = &m->columns().at(c).title;
            for (const Line& line : m->lines()) {
                if (line.category.size() > longest->size()) {
                    longest = &line.category;
                }
            }
            header->resizeSection(c, std::min(normal.horizontalAdvance(*longest) + margin,
                                              std::max(40, width() / 3)));
            continue;
        }
        // Digits are equally wide: the widest text is that of the largest number, with a
        // sign when any is negative, in bold as the total line has it.
        int widest = header->fontMetrics().horizontalAdvance(m->columns().at(c).title);
        const Line* largest = nullptr;
        bool negative = false;
        for (const Line& line : m->lines()) {
            const double v = numberOf(line, what);
            negative = negative || v < 0;
            if (!largest || std::abs(v) > std::abs(numberOf(*largest, what))) {
                largest = &line;
            }
        }
        if (largest) {
            QString text = cellText(*largest, what);
            if (negative && numberOf(*largest, what) >= 0) {
                text.prepend(locale().negativeSign());
            }
            widest = std::max(widest, wide.horizontalAdvance(text));
        }
        header->resizeSection(c, widest + margin);
    }
}

CostTabs::CostTabs(QWidget* parent) : QTabWidget(parent) {}

QStringList CostTabs::tabTitles() const {
    QStringList out;
    for (int i = 0; i < count(); ++i) {
        out << tabText(i);
    }
    return out;
}

void CostTabs::setTabTitles(const QStringList& titles) {
    for (int i = 0; i < count() && i < titles.size(); ++i) {
        setTabText(i, titles.at(i));
    }
}

}  // namespace costs
