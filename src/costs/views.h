// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTabWidget>
#include <QTableView>

#include "costs.h"

namespace costs {

// What a column of a view shows of its lines.
enum class Column { Label, Regnr, Category, PlantRows, Plants, MaterialRows, Materials, Amount };

struct ColumnDef {
    Column what;
    QString title;
};

// The text of a cell, as the window, the print and the export show it.
QString cellText(const Line& line, Column column);
bool isNumber(Column column);

// The columns of the five views, titled in the active language.
QList<ColumnDef> yearColumns();
QList<ColumnDef> familyColumns();
QList<ColumnDef> typeColumns();
QList<ColumnDef> workColumns();
QList<ColumnDef> categoryColumns();

// The lines of one view, read-only.
class SumModel final : public QAbstractTableModel {
    Q_OBJECT

public:
    // The line's kind, for the delegate that sets totals in bold and the lines of no group
    // in italics.
    static constexpr int KindRole = Qt::UserRole + 1;

    explicit SumModel(QList<ColumnDef> columns, QObject* parent = nullptr);

    void setLines(const QList<Line>& lines);
    const QList<Line>& lines() const { return m_lines; }
    const QList<ColumnDef>& columns() const { return m_columns; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QList<ColumnDef> m_columns;
    QList<Line> m_lines;
};

// A read-only table of sums: the first column takes the room left, the numbers as wide as
// their widest text in the font of the moment, which the window's scaling changes.
class SumView final : public QTableView {
    Q_OBJECT

public:
    explicit SumView(QWidget* parent = nullptr);
    void setModel(QAbstractItemModel* model) override;

protected:
    void changeEvent(QEvent* e) override;

private:
    void fitColumns();
};

// Tab titles a language file can translate, under the key "<name>.Tabs" as comma text;
// titles the text lacks stay as they are.
class CostTabs final : public QTabWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Tabs READ tabTitles WRITE setTabTitles)

public:
    explicit CostTabs(QWidget* parent = nullptr);
    QStringList tabTitles() const;
    void setTabTitles(const QStringList& titles);
};

}  // namespace costs
