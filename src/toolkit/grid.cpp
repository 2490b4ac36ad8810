// SPDX-License-Identifier: GPL-3.0-or-later
#include "grid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QtMath>
#include <cmath>

#include "dbcontrols.h"
#include "dialogs.h"
#include "errortext.h"
#include "store/errors.h"

namespace toolkit {

namespace {}  // namespace

TableModel::TableModel(QObject* parent) : QAbstractTableModel(parent) {}

void TableModel::setDataSource(DataSource* source) {
    for (const auto& c : std::as_const(m_connections)) {
        disconnect(c);
    }
    m_connections.clear();
    m_source = source;
    if (source) {
        m_connections << connect(source, &DataSource::dataSetChanged, this, &TableModel::reset);
        m_connections << connect(source, &DataSource::activeChanged, this, &TableModel::reset);
        m_connections << connect(source, &DataSource::dataSetReplaced, this, &TableModel::reset);
        m_connections << connect(source, &DataSource::recordChanged, this, &TableModel::rowChanged);
        m_connections << connect(source, &DataSource::stateChanged, this, &TableModel::rowChanged);
        m_connections << connect(source, &DataSource::fieldChanged, this, &TableModel::rowChanged);
    }
    reset();
}

void TableModel::setColumns(const QList<GridColumn>& columns) {
    m_columns = columns;
    reset();
}

void TableModel::setColumnTitle(int column, const QString& title) {
    if (column < 0 || column >= m_columns.size()) {
        return;
    }
    m_columns[column].title = title;
    if (column < m_shown.size()) {
        m_shown[column].title = title;
    }
    Q_EMIT headerDataChanged(Qt::Horizontal, column, column);
}

QList<GridColumn> TableModel::effectiveColumns() const {
    store::Table* t = table();
    if (!m_columns.isEmpty() || !t || !t->Active()) {
        return m_columns;
    }
    QList<GridColumn> all;
    for (int i = 0; i < t->FieldCount(); ++i) {
        all.append({t->Fields(i).FieldName(), QString(), -1});
    }
    return all;
}

void TableModel::reset() {
    beginResetModel();
    store::Table* t = table();
    m_shown = effectiveColumns();
    m_rows = 0;
    if (t && t->Active()) {
        m_rows = t->RecordCount() + (t->State() == store::DataSetState::Insert ? 1 : 0);
    }
    m_lastCurrent = currentRow();
    endResetModel();
    Q_EMIT currentRowChanged(m_lastCurrent);
}

void TableModel::rowChanged() {
    store::Table* t = table();
    if (!t || !t->Active()) {
        return;
    }
    const int rows = t->RecordCount() + (t->State() == store::DataSetState::Insert ? 1 : 0);
    if (rows != m_rows) {
        reset();
        return;
    }
    const int row = currentRow();
    if (m_lastCurrent >= 0 && m_lastCurrent < m_rows) {
        Q_EMIT headerDataChanged(Qt::Vertical, m_lastCurrent, m_lastCurrent);
    }
    if (row >= 0) {
        Q_EMIT dataChanged(index(row, 0), index(row, std::max(0, columnCount() - 1)));
        Q_EMIT headerDataChanged(Qt::Vertical, row, row);
    }
    if (row != m_lastCurrent) {
        m_lastCurrent = row;
        Q_EMIT currentRowChanged(row);
    }
}

int TableModel::currentRow() const {
    store::Table* t = table();
    if (!t || !t->Active()) {
        return -1;
    }
    return t->RecNo();
}

// Asked for every cell and role painted: the field's place is remembered, and only checked.
store::Field* TableModel::fieldOf(int column) const {
    store::Table* t = table();
    if (!t || !t->Active() || column < 0 || column >= m_shown.size()) {
        return nullptr;
    }
    if (m_fieldAt.size() != m_shown.size()) {
        m_fieldAt.fill(-1, m_shown.size());
    }
    const QString& name = m_shown.at(column).field;
    const int at = m_fieldAt.at(column);
    if (at >= 0 && at < t->FieldCount() && t->Fields(at).FieldName() == name) {
        return &t->Fields(at);
    }
    store::Field* f = t->FindField(name);
    m_fieldAt[column] = f ? f->Index() : -1;
    return f;
}

bool TableModel::isCheckColumn(int column) const {
    return column >= 0 && column < m_shown.size() && m_shown.at(column).checkValues.size() == 2;
}

int TableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int TableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_shown.size());
}

QVariant TableModel::data(const QModelIndex& index, int role) const {
    store::Table* t = table();
    if (!index.isValid() || !t || !t->Active()) {
        return {};
    }
    store::Field* f = fieldOf(index.column());
    if (!f) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = f->DataType() == store::FieldType::Integer ||
                            f->DataType() == store::FieldType::Float ||
                            f->DataType() == store::FieldType::Currency;
        return QVariant::fromValue(Qt::Alignment(number ? Qt::AlignRight : Qt::AlignLeft) |
                                   Qt::AlignVCenter);
    }
    const bool check = isCheckColumn(index.column());
    if (check ? role != Qt::CheckStateRole : role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    int row = index.row();
    auto text = [&]() -> QVariant {
        if (check) {
            const bool on = f->AsString().compare(m_shown.at(index.column()).checkValues.at(0),
                                                  Qt::CaseInsensitive) == 0;
            return on ? Qt::Checked : Qt::Unchecked;
        }
        if (role == Qt::EditRole) {
            return f->EditText();
        }
        // One line in a cell: a memo shows its first line.
        QString s = f->DisplayText();
        const qsizetype nl = s.indexOf(QLatin1Char('\n'));
        return nl >= 0 ? s.left(nl) + QStringLiteral(" …") : s;
    };
    if (t->State() == store::DataSetState::Insert) {
        const int at = t->InsertPosition();
        if (row == at) {
            return text();
        }
        if (row > at) {
            --row;
        }
    }
    if (row < 0 || row >= t->RecordCount()) {
        return {};
    }
    try {
        store::Table::RowScope scope(*t, row);
        return text();
    } catch (const store::Error&) {
        return {};
    }
}

QVariant TableModel::headerData(int section, Qt::Orientation o, int role) const {
    if (role != Qt::DisplayRole) {
        return {};
    }
    if (o == Qt::Horizontal) {
        if (section < 0 || section >= m_shown.size()) {
            return {};
        }
        if (!m_shown.at(section).title.isEmpty()) {
            return m_shown.at(section).title;
        }
        store::Field* f = fieldOf(section);
        return f ? f->DisplayLabel() : m_shown.at(section).field;
    }
    // The row indicator: the current row, and whether it is being edited or is new.
    store::Table* t = table();
    if (!t || section != currentRow()) {
        return QString();
    }
    switch (t->State()) {
        case store::DataSetState::Insert:
            return QStringLiteral("✱");
        case store::DataSetState::Edit:
            return QStringLiteral("✎");
        default:
            return QStringLiteral("▶");
    }
}

Qt::ItemFlags TableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    store::Field* field = fieldOf(index.column());
    store::Table* t = table();
    // A read-only data folder takes no typing; it was announced when the program started.
    if (!m_readOnly && field && !field->Calculated() && t && !t->readOnly()) {
        f |= isCheckColumn(index.column()) ? Qt::ItemIsUserCheckable : Qt::ItemIsEditable;
    }
    return f;
}

bool TableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    store::Table* t = table();
    store::Field* f = fieldOf(index.column());
    const bool check = isCheckColumn(index.column());
    if (role != (check ? Qt::CheckStateRole : Qt::EditRole) || !t || !f || m_readOnly) {
        return false;
    }
    QString text = value.toString();
    if (check) {
        const QStringList& values = m_shown.at(index.column()).checkValues;
        text = value.toInt() == Qt::Checked ? values.at(0) : values.at(1);
    }
    try {
        if (index.row() != currentRow()) {
            t->MoveTo(index.row());
        }
        const QString now = check ? f->AsString() : f->EditText();
        if (now == text && t->State() == store::DataSetState::Browse) {
            return true;
        }
        t->Edit();
        f->setAsString(text);
        return true;
    } catch (const store::SilentAbort&) {
    } catch (store::FieldError& e) {
        e.setCaption(headerData(index.column(), Qt::Horizontal, Qt::DisplayRole).toString());
        dialogs().ShowError(errorText(e));
    } catch (const store::Error& e) {
        dialogs().ShowError(errorText(e));
    }
    return false;
}

// Cell editors behave as bound edit boxes: they stop at the field's width, the first
// keystroke puts the table into edit state, so its post button and the row indicator show
// the change at once, and the row shown again meanwhile does not overwrite what is being
// typed.
class GridDelegate final : public QStyledItemDelegate {
public:
    explicit GridDelegate(DBGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* line = qobject_cast<QLineEdit*>(editor)) {
            if (const auto* model = qobject_cast<const TableModel*>(index.model())) {
                const int limit = maxLengthFor(model->fieldOf(index.column()),
                                               int(index.data(Qt::EditRole).toString().size()));
                if (limit > 0) {
                    line->setMaxLength(limit);
                }
            }
            DBGrid* grid = m_grid;
            const int row = index.row();
            connect(line, &QLineEdit::textEdited, grid, [grid, row] { grid->cellEdited(row); });
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override {
        if (auto* line = qobject_cast<QLineEdit*>(editor); line && line->isModified()) {
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        if (!paintOneLine(painter, option, index)) {
            QStyledItemDelegate::paint(painter, option, index);
        }
    }

private:
    // Nearly every cell is one line of text that fits. The style would lay such a text out
    // three times (for the cell's layout, for eliding and for drawing); here it is laid out
    // once and drawn where the style draws it, the background and colours still the
    // style's. Anything else (a check box, the focus frame, an editor, a text that is cut or
    // wraps) the style draws itself.
    bool paintOneLine(QPainter* painter, const QStyleOptionViewItem& option,
                      const QModelIndex& index) const {
        const auto* model = qobject_cast<const TableModel*>(index.model());
        if (!model || model->isCheckColumn(index.column()) ||
            (option.state & (QStyle::State_HasFocus | QStyle::State_Editing))) {
            return false;
        }
        QStyleOptionViewItem opt(option);
        // What initStyleOption takes from this model: the text and its alignment.
        opt.index = index;
        const QVariant value = index.data(Qt::DisplayRole);
        if (value.isValid() && !value.isNull()) {
            opt.features |= QStyleOptionViewItem::HasDisplay;
            opt.text = displayText(value, opt.locale);
        }
        const QVariant alignment = index.data(Qt::TextAlignmentRole);
        if (alignment.isValid()) {
            opt.displayAlignment = alignment.value<Qt::Alignment>();
        }
        const QWidget* widget = opt.widget;
        QStyle* style = widget ? widget->style() : QApplication::style();
        if (opt.text.isEmpty()) {
            style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
            return true;
        }
        if ((opt.displayAlignment & Qt::AlignVertical_Mask) != Qt::AlignVCenter) {
            return false;
        }
        const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
        const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
        // A text that fits on its line is placed the same wrapped or not; one that does not
        // fit is left to the style.
        QTextOption textOption;
        textOption.setWrapMode(QTextOption::ManualWrap);
        textOption.setTextDirection(opt.direction);
        textOption.setAlignment(QStyle::visualAlignment(opt.direction, opt.displayAlignment));
        QTextLayout layout(opt.text, opt.font);
        layout.setTextOption(textOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(textRect.width());
        line.setPosition(QPointF(0, 0));
        const bool whole = line.textLength() == opt.text.size() && !layout.createLine().isValid();
        layout.endLayout();
        const int height = qCeil(line.height());
        if (!whole || line.naturalTextWidth() > textRect.width() || height > textRect.height()) {
            return false;
        }
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);
        QPalette::ColorGroup group =
            (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
        if (group == QPalette::Normal && !(opt.state & QStyle::State_Active)) {
            group = QPalette::Inactive;
        }
        painter->save();
        painter->setPen(opt.palette.color(group, (opt.state & QStyle::State_Selected)
                                                     ? QPalette::HighlightedText
                                                     : QPalette::Text));
        layout.draw(painter,
                    QPointF(textRect.x(), textRect.y() + (textRect.height() - height) / 2));
        painter->restore();
        return true;
    }

    DBGrid* m_grid;
};

// The row indicator's column. Every title in it is empty but the current row's mark, so the
// width Qt would find by measuring the first and the last hundred rows, after every change
// of the rows, comes from measuring one empty row and the marked one.
class IndicatorHeader final : public QHeaderView {
public:
    explicit IndicatorHeader(QWidget* parent) : QHeaderView(Qt::Vertical, parent) {
        // As the header a table view makes itself.
        setSectionsClickable(true);
        setHighlightSections(true);
    }

    QSize sizeHint() const override {
        const auto* table = qobject_cast<const TableModel*>(model());
        const int n = count();
        if (!table || n < 2) {
            return QHeaderView::sizeHint();
        }
        const int current = table->currentRow();
        QSize hint = sectionSizeFromContents(current == 0 ? 1 : 0);
        const int firstMeasured = std::min(100, n);
        const bool measured =
            current >= 0 && current < n &&
            (current < firstMeasured || current >= std::max(firstMeasured, n - 100));
        if (measured) {
            hint = hint.expandedTo(sectionSizeFromContents(current));
        }
        return hint;
    }
};

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), m_model(new TableModel(this)) {
    setVerticalHeader(new IndicatorHeader(this));
    setModel(m_model);
    setItemDelegate(new GridDelegate(this));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::AnyKeyPressed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶▶")));
    horizontalHeader()->setHighlightSections(false);
    m_fontHeight = fontMetrics().height();
    connect(m_model, &TableModel::currentRowChanged, this, &DBGrid::followTable);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::showSortOrder);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int section) {
        if (m_sorting) {
            sortByColumn(section);
        }
    });
}

QString DBGrid::defaultDeleteQuestion() {
    return deleteRecordQuestion();
}

DBGrid::~DBGrid() {
    unhookUpdates();
}

void DBGrid::setDataSource(DataSource* source) {
    unhookUpdates();
    disconnect(m_replaced);
    m_model->setDataSource(source);
    if (source) {
        m_replaced = connect(source, &DataSource::dataSetReplaced, this, &DBGrid::hookUpdates);
    }
    hookUpdates();
}

void DBGrid::hookUpdates() {
    unhookUpdates();
    DataSource* source = m_model->dataSource();
    if (source && source->DataSet()) {
        m_hookTable = source->DataSet();
        m_hook = m_hookTable->addUpdateRecordHook([this] { commitEdit(); });
    }
}

void DBGrid::unhookUpdates() {
    if (m_hookTable && m_hook) {
        m_hookTable->removeUpdateRecordHook(m_hook);
    }
    m_hookTable = nullptr;
    m_hook = 0;
}

void DBGrid::commitEdit() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        // As the view does when the editor is left: the text goes in and the editor closes.
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void DBGrid::cellEdited(int row) {
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    if (!t || !t->Active() || t->State() != store::DataSetState::Browse ||
        (dataSource() && !dataSource()->Enabled())) {
        return;
    }
    try {
        if (row != m_model->currentRow()) {
            t->MoveTo(row);
        }
        t->Edit();
    } catch (const store::SilentAbort&) {
    } catch (const store::Error& e) {
        dialogs().ShowError(errorText(e));
    }
}

// An editor closed with Esc leaves the row as it was: an edit nothing was written into
// ends with it.
void DBGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
    QTableView::closeEditor(editor, hint);
    if (hint != QAbstractItemDelegate::RevertModelCache) {
        return;
    }
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    if (t && t->Active() && t->State() == store::DataSetState::Edit && !t->Modified()) {
        t->Cancel();
    }
}

void DBGrid::setColumns(const QList<GridColumn>& columns) {
    m_model->setColumns(columns);
    for (int i = 0; i < columns.size(); ++i) {
        if (columns.at(i).width > 0) {
            setColumnWidth(i, columns.at(i).width);
        }
    }
    // The widths given now are those of the font the grid has now.
    m_baseWidths.clear();
    m_fontHeight = fontMetrics().height();
}

QStringList DBGrid::columnTitles() const {
    QStringList out;
    for (int i = 0; i < m_model->columnCount(); ++i) {
        out << m_model->headerData(i, Qt::Horizontal, Qt::DisplayRole).toString();
    }
    return out;
}

void DBGrid::setColumnTitles(const QStringList& titles) {
    for (int i = 0; i < titles.size() && i < m_model->columns().size(); ++i) {
        m_model->setColumnTitle(i, titles.at(i));
        // A translated title may run longer than the column was made for: widen, never
        // narrow, so it is not cut off.
        const int need = horizontalHeader()->sectionSizeHint(i);
        if (need > columnWidth(i)) {
            setColumnWidth(i, need);
            if (i < m_baseWidths.size() && m_baseFontHeight > 0) {
                const double ratio = double(m_fontHeight) / m_baseFontHeight;
                m_baseWidths[i] = std::max(m_baseWidths.at(i), int(std::ceil(need / ratio)));
            }
        }
    }
}

void DBGrid::setEditing(bool on) {
    m_editing = on;
    m_model->setReadOnly(!on);
    setEditTriggers(on ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::AnyKeyPressed
                       : QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(on ? QAbstractItemView::SelectItems : QAbstractItemView::SelectRows);
}

void DBGrid::setSorting(bool on) {
    m_sorting = on;
    horizontalHeader()->setSectionsClickable(on);
    horizontalHeader()->setSortIndicatorShown(on);
    showSortOrder();
}

void DBGrid::sortByColumn(int column) {
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    store::Field* f = m_model->fieldOf(column);
    try {
        if (t && t->Active() && f && !f->Calculated()) {
            const QList<store::SortField> now = t->SortOrder();
            const bool again = now.size() == 1 &&
                               now.first().field.compare(f->FieldName(), Qt::CaseInsensitive) == 0;
            // A changed row is saved first, as moving off it would.
            t->CheckBrowseMode();
            t->setSortOrder({{f->FieldName(), again && !now.first().descending}});
        }
    } catch (const store::SilentAbort&) {
    } catch (const store::Error& e) {
        dialogs().ShowError(errorText(e));
    }
    showSortOrder();
}

// The header turns its arrow by itself on a click; the table's order is what it shows.
void DBGrid::showSortOrder() {
    QHeaderView* header = horizontalHeader();
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    int section = -1;
    Qt::SortOrder order = Qt::AscendingOrder;
    if (m_sorting && t && t->Active() && t->SortOrder().size() == 1) {
        const store::SortField s = t->SortOrder().first();
        for (int i = 0; i < m_model->columnCount(); ++i) {
            const store::Field* f = m_model->fieldOf(i);
            if (f && f->FieldName().compare(s.field, Qt::CaseInsensitive) == 0) {
                section = i;
                order = s.descending ? Qt::DescendingOrder : Qt::AscendingOrder;
                break;
            }
        }
    }
    const QSignalBlocker block(header);
    header->setSortIndicator(section, order);
}

void DBGrid::discardEdit() {
    if (state() != QAbstractItemView::EditingState) {
        return;
    }
    if (QWidget* editor = indexWidget(currentIndex())) {
        QTableView::closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
    }
}

void DBGrid::followTable(int row) {
    if (row < 0) {
        return;
    }
    m_following = true;
    const int col = currentIndex().isValid() ? currentIndex().column() : 0;
    setCurrentIndex(m_model->index(row, col));
    m_following = false;
}

void DBGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid()) {
        return;
    }
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    if (!t || !t->Active() || current.row() == m_model->currentRow()) {
        return;
    }
    const int target = current.row();
    try {
        if (t->State() == store::DataSetState::Insert && target > t->InsertPosition()) {
            // Moving off a new row: posting it or dropping it shifts the rows below.
            t->CheckBrowseMode();
            t->MoveTo(std::max(0, target - 1));
        } else {
            t->MoveTo(target);
        }
    } catch (...) {
        followTable(m_model->currentRow());
        throw;
    }
}

void DBGrid::keyPressEvent(QKeyEvent* e) {
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    if (t && t->Active() && e->key() == Qt::Key_Delete && (e->modifiers() & Qt::ControlModifier)) {
        if (!t->IsEmpty() &&
            dialogs().MessageDlg(m_deleteQuestion ? m_deleteQuestion() : defaultDeleteQuestion(),
                                 MsgType::Confirmation, Button::OK | Button::Cancel) == mrOk) {
            t->Delete();
        }
        return;
    }
    if (t && t->Active() && m_editing && state() != QAbstractItemView::EditingState) {
        if (e->key() == Qt::Key_Insert) {
            t->Insert();
            return;
        }
        if (e->key() == Qt::Key_Down && m_model->currentRow() == m_model->rowCount() - 1 &&
            t->State() != store::DataSetState::Insert) {
            t->Append();
            return;
        }
        if (e->key() == Qt::Key_Escape && t->State() != store::DataSetState::Browse) {
            t->Cancel();
            return;
        }
    }
    QTableView::keyPressEvent(e);
}

void DBGrid::focusOutEvent(QFocusEvent* e) {
    QTableView::focusOutEvent(e);
    // The cell editor taking the focus is not leaving the grid.
    QWidget* now = QApplication::focusWidget();
    if (now && isAncestorOf(now)) {
        return;
    }
    store::Table* t = dataSource() ? dataSource()->DataSet() : nullptr;
    if (t && t->Active() && t->State() == store::DataSetState::Insert && !t->Modified()) {
        t->Cancel();
    }
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    QTableView::mouseDoubleClickEvent(e);
    Q_EMIT DblClick();
}

void DBGrid::changeEvent(QEvent* e) {
    QTableView::changeEvent(e);
    if (e->type() == QEvent::FontChange) {
        followFont();
    }
}

// Rows as high as the font needs; columns as wide as before the first change of font times
// the ratio of the fonts, so cell texts and titles are not cut when the window scales its
// fonts. Widths set at the first font (by the window or by the user) are the ones scaled.
void DBGrid::followFont() {
    const int height = fontMetrics().height();
    verticalHeader()->setDefaultSectionSize(height + 4);
    verticalHeader()->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("▶▶")));
    if (height <= 0 || height == m_fontHeight) {
        return;
    }
    if (m_baseWidths.isEmpty() && m_fontHeight > 0) {
        m_baseFontHeight = m_fontHeight;
        for (int i = 0; i < m_model->columnCount(); ++i) {
            m_baseWidths << columnWidth(i);
        }
    }
    m_fontHeight = height;
    if (m_baseFontHeight <= 0) {
        return;
    }
    const double ratio = double(height) / m_baseFontHeight;
    for (int i = 0; i < m_baseWidths.size() && i < m_model->columnCount(); ++i) {
        setColumnWidth(i, std::max(1, int(std::lround(m_baseWidths.at(i) * ratio))));
    }
}

}  // namespace toolkit
