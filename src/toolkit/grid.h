// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QTableView>
#include <functional>

#include "datasource.h"

namespace toolkit {

struct GridColumn {
    QString field;
    QString title;  // empty: the field's display label
    int width = -1;
    // The texts stored when ticked and when clear: the field is shown and set as a check box,
    // and takes no typing.
    QStringList checkValues = {};
};

// The rows a table shows, read on demand, so a grid stays quick at any size; an unposted
// new row appears where it was inserted.
class TableModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit TableModel(QObject* parent = nullptr);

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_source; }
    // No columns: every field of the table.
    void setColumns(const QList<GridColumn>& columns);
    const QList<GridColumn>& columns() const { return m_columns; }
    void setColumnTitle(int column, const QString& title);
    store::Field* fieldOf(int column) const;
    bool isCheckColumn(int column) const;
    int currentRow() const;  // the table's current row as a model row, or -1
    void setReadOnly(bool on) { m_readOnly = on; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

Q_SIGNALS:
    void currentRowChanged(int row);

private:
    store::Table* table() const { return m_source ? m_source->DataSet() : nullptr; }
    void reset();
    void rowChanged();
    QList<GridColumn> effectiveColumns() const;

    QPointer<DataSource> m_source;
    QList<GridColumn> m_columns;
    QList<GridColumn> m_shown;
    mutable QVector<int> m_fieldAt;  // the index of each shown column's field, as last found
    QList<QMetaObject::Connection> m_connections;
    int m_rows = 0;
    int m_lastCurrent = -1;
    bool m_readOnly = false;
};

// A grid over a table: its current row follows and moves the table's cursor. Ctrl+Delete
// asks before deleting; leaving the grid drops a new row nobody changed.
class DBGrid final : public QTableView {
    Q_OBJECT
    // The column titles as one list, for the language files.
    Q_PROPERTY(QStringList Columns READ columnTitles WRITE setColumnTitles)

public:
    explicit DBGrid(QWidget* parent = nullptr);
    ~DBGrid() override;

    void setDataSource(DataSource* source);
    DataSource* dataSource() const { return m_model->dataSource(); }
    void setColumns(const QList<GridColumn>& columns);
    void setColumnTitle(int column, const QString& title) {
        m_model->setColumnTitle(column, title);
    }
    QStringList columnTitles() const;
    // Titles for the first columns; extra titles are ignored, missing ones keep theirs.
    void setColumnTitles(const QStringList& titles);
    // Without editing the grid only browses, as the overview and catalogue lists do.
    void setEditing(bool on);
    // A click on a column title sorts the table by that column, a second click the other
    // way round; the title shows the table's sort order, whoever set it.
    void setSorting(bool on);
    bool sorting() const { return m_sorting; }
    void sortByColumn(int column);
    // Closes an open cell editor without handing its text to the row.
    void discardEdit();
    // The question Ctrl+Delete asks before deleting the current row; a window whose rows take
    // others along says so here.
    void setDeleteQuestion(std::function<QString()> question) {
        m_deleteQuestion = std::move(question);
    }
    static QString defaultDeleteQuestion();
    bool editing() const { return m_editing; }
    TableModel* tableModel() const { return m_model; }
    // Hands the text of an open cell editor to the row. Every post of the grid's table does
    // it first, as the bound edit boxes hand theirs over, also when the post comes from a
    // navigator button that leaves the editor open.
    void commitEdit();

Q_SIGNALS:
    void DblClick();

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    friend class GridDelegate;
    void followFont();
    void cellEdited(int row);
    void followTable(int row);
    void showSortOrder();
    void hookUpdates();
    void unhookUpdates();
    TableModel* m_model;
    QPointer<store::Table> m_hookTable;
    int m_hook = 0;
    QMetaObject::Connection m_replaced;
    bool m_editing = true;
    bool m_sorting = false;
    bool m_following = false;
    std::function<QString()> m_deleteQuestion;
    // The columns' widths at the font the grid was made with, and that font's height: a
    // window scaled with its fonts scales its grid's rows and columns with them.
    QList<int> m_baseWidths;
    int m_baseFontHeight = 0;
    int m_fontHeight = 0;
};

}  // namespace toolkit
