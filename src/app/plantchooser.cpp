// SPDX-License-Identifier: GPL-3.0-or-later
#include "plantchooser.h"

#include <QAbstractProxyModel>
#include <QAbstractTableModel>
#include <QCompleter>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSortFilterProxyModel>
#include <QTreeView>
#include <vector>

#include "store/table.h"
#include "toolkit/datasource.h"
#include "toolkit/lookup.h"

namespace app {

namespace {

constexpr int RegnrRole = Qt::UserRole + 1;

QTreeView* twoColumnList() {
    auto* view = new QTreeView;
    view->setRootIsDecorated(false);
    view->setHeaderHidden(true);
    view->setUniformRowHeights(true);
    view->setItemsExpandable(false);
    view->setAllColumnsShowFocus(true);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    return view;
}

}  // namespace

// Name and Latin name of every plant, held as plain texts: a list of many thousand plants
// stays small and quick to narrow.
class PlantListModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    struct Plant {
        QString name;
        QString latin;
        int regnr = 0;
    };

    void setPlants(std::vector<Plant> plants) {
        beginResetModel();
        m_plants = std::move(plants);
        endResetModel();
    }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : int(m_plants.size());
    }
    int columnCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : 2;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || index.row() >= int(m_plants.size())) {
            return {};
        }
        const Plant& p = m_plants[size_t(index.row())];
        switch (role) {
            case Qt::DisplayRole:
            case Qt::EditRole:
                return index.column() == 0 ? p.name : p.latin;
            case RegnrRole:
                return p.regnr;
            default:
                return {};
        }
    }

private:
    std::vector<Plant> m_plants;
};

namespace {

// A plant passes when its name or Latin name holds every word typed.
class Narrowing final : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setWords(const QString& text) {
        m_words = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        invalidateFilter();
    }

protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        if (m_words.isEmpty()) {
            return true;
        }
        const QAbstractItemModel* m = sourceModel();
        const QString name = m->index(row, 0, parent).data().toString();
        const QString latin = m->index(row, 1, parent).data().toString();
        for (const QString& w : m_words) {
            if (!name.contains(w, Qt::CaseInsensitive) && !latin.contains(w, Qt::CaseInsensitive)) {
                return false;
            }
        }
        return true;
    }

private:
    QStringList m_words;
};

}  // namespace

PlantChooser::PlantChooser(QWidget* parent)
    : QComboBox(parent),
      m_model(new PlantListModel(this)),
      m_narrowed(new Narrowing(this)),
      m_completer(new QCompleter(this)) {
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    // Leaving the box with a name in it chooses nothing: only a pick or Enter opens a plant.
    disconnect(lineEdit(), &QLineEdit::editingFinished, this, nullptr);
    // The combo box's own completion would fill in the first name; the list narrows instead.
    setCompleter(nullptr);
    // A plain drop-down list in every style, as the other lookup boxes have.
    toolkit::useDropDownList(this);
    setMaxVisibleItems(20);
    setView(twoColumnList());
    setModel(m_model);
    setModelColumn(0);
    m_narrowed->setSourceModel(m_model);

    m_completer->setModel(m_narrowed);
    m_completer->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    m_completer->setMaxVisibleItems(20);
    m_completer->setPopup(twoColumnList());
    m_completer->setWidget(lineEdit());
    lineEdit()->installEventFilter(this);

    connect(lineEdit(), &QLineEdit::textEdited, this, &PlantChooser::narrow);
    connect(m_completer, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) {
                const auto* shown = qobject_cast<const QAbstractProxyModel*>(index.model());
                const QModelIndex at = shown ? shown->mapToSource(index) : index;
                if (at.model() == m_narrowed) {
                    pick(m_narrowed->mapToSource(at).row());
                }
            });
    connect(this, qOverload<int>(&QComboBox::activated), this, &PlantChooser::pick);
}

void PlantChooser::setPlantSource(toolkit::DataSource* plants) {
    m_plants = plants;
    // Read when the chooser is shown, as the plants are then; not while the program starts.
    m_model->setPlants({});
}

void PlantChooser::reload() {
    std::vector<PlantListModel::Plant> plants;
    store::Table* shared = m_plants ? m_plants->DataSet() : nullptr;
    if (shared && shared->Active()) {
        // A cursor of its own: the shared one stays where the other windows left it, and
        // the list comes sorted from the store, in Danish order.
        store::Table t;
        t.setDatabaseName(shared->DatabaseName());
        t.setTableName(shared->TableName());
        t.setFilter(shared->Filter());
        t.setFiltered(shared->Filtered());
        t.setSortOrder({{QStringLiteral("Plantenavn")}, {QStringLiteral("Latin")}});
        t.Open();
        store::Field& name = t.FieldByName(QStringLiteral("Plantenavn"));
        store::Field& latin = t.FieldByName(QStringLiteral("Latin"));
        store::Field& regnr = t.FieldByName(QStringLiteral("Regnr"));
        plants.reserve(size_t(t.RecordCount()));
        for (t.First(); !t.Eof(); t.Next()) {
            plants.push_back({name.AsString(), latin.AsString(), regnr.AsInteger()});
        }
    }
    const QSignalBlocker block(this);
    m_model->setPlants(std::move(plants));
    setCurrentIndex(-1);
    lineEdit()->clear();
    static_cast<Narrowing*>(m_narrowed)->setWords(QString());
}

QStringList PlantChooser::shownEntries() const {
    QStringList out;
    for (int r = 0; r < m_narrowed->rowCount(); ++r) {
        const QString latin = m_narrowed->index(r, 1).data().toString();
        out << m_narrowed->index(r, 0).data().toString() +
                   (latin.isEmpty() ? QString() : QStringLiteral(" — ") + latin);
    }
    return out;
}

QList<int> PlantChooser::shownNumbers() const {
    QList<int> out;
    for (int r = 0; r < m_narrowed->rowCount(); ++r) {
        out << m_narrowed->index(r, 0).data(RegnrRole).toInt();
    }
    return out;
}

void PlantChooser::pickShown(int row) {
    if (row >= 0 && row < m_narrowed->rowCount()) {
        pick(m_narrowed->mapToSource(m_narrowed->index(row, 0)).row());
    }
}

void PlantChooser::narrow(const QString& text) {
    static_cast<Narrowing*>(m_narrowed)->setWords(text);
    if (text.trimmed().isEmpty() || m_narrowed->rowCount() == 0) {
        m_completer->popup()->hide();
        return;
    }
    showNarrowed();
}

// Wide enough for both names, under the box.
void PlantChooser::showNarrowed() {
    QAbstractItemView* popup = m_completer->popup();
    auto* tree = static_cast<QTreeView*>(popup);
    tree->header()->resizeSection(0, std::max(width(), fontMetrics().averageCharWidth() * 24));
    const int wide = std::max(width() * 2, tree->header()->sectionSize(0) * 2);
    m_completer->complete(QRect(0, 0, wide, lineEdit()->height()));
}

void PlantChooser::pick(int row) {
    store::Table* t = m_plants ? m_plants->DataSet() : nullptr;
    const QModelIndex at = m_model->index(row, 0);
    if (!t || !t->Active() || !at.isValid() ||
        !t->Locate(QStringLiteral("Regnr"), at.data(RegnrRole).toInt())) {
        return;
    }
    m_completer->popup()->hide();
    {
        const QSignalBlocker block(this);
        setCurrentIndex(row);
    }
    Q_EMIT Click();
}

// Enter picks the one plant the text leaves, or the one whose name is just the text;
// otherwise it shows what the text leaves to choose from.
bool PlantChooser::eventFilter(QObject* watched, QEvent* e) {
    if (watched == lineEdit() && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            const QString text = lineEdit()->text().trimmed();
            if (text.isEmpty()) {
                return true;
            }
            static_cast<Narrowing*>(m_narrowed)->setWords(text);
            if (m_narrowed->rowCount() == 1) {
                pickShown(0);
                return true;
            }
            QList<int> named;
            for (int r = 0; r < m_narrowed->rowCount(); ++r) {
                if (m_narrowed->index(r, 0).data().toString().compare(text, Qt::CaseInsensitive) ==
                    0) {
                    named << r;
                }
            }
            if (named.size() == 1) {
                pickShown(named.first());
                return true;
            }
            if (m_narrowed->rowCount() > 0) {
                showNarrowed();
            }
            return true;
        }
        if (key == Qt::Key_Down && !m_completer->popup()->isVisible() &&
            !lineEdit()->text().trimmed().isEmpty() && m_narrowed->rowCount() > 0) {
            showNarrowed();
            return true;
        }
    }
    return QComboBox::eventFilter(watched, e);
}

}  // namespace app
