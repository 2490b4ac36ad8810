// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractListModel>
#include <QComboBox>
#include <QPointer>

#include "fieldlink.h"

namespace toolkit {

// A plain drop-down list under the box in every style (some styles open a popup as tall as
// the screen over the box). One style shared by every box: a style sheet of its own would
// make each box slow to create. Setting a style makes a box build its list at once.
void useDropDownList(QComboBox* box);

// The rows of a list table as one column of texts, read on demand.
class ListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    explicit ListModel(QObject* parent = nullptr);
    void setSource(DataSource* source, const QString& keyField, const QString& listField);
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // The first row whose key equals the text, or -1.
    int rowOfKey(const QString& key) const;
    QString keyAt(int row) const;

private:
    QString fieldAt(int row, const QString& field) const;
    QPointer<DataSource> m_source;
    QString m_key;
    QString m_list;
    int m_rows = 0;
};

// Lists a field of every row its list table shows, in that table's order and through its
// filter. Bound to a field, choosing writes the key there; unbound, choosing moves the
// list table to the first row with that key and raises Click.
class DBLookupComboBox final : public QComboBox {
    Q_OBJECT

public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);

    void setListSource(DataSource* source);
    void setKeyField(const QString& f);
    void setListField(const QString& f);
    void setDataSource(DataSource* source) { m_link->setDataSource(source); }
    void setDataField(const QString& f) { m_link->setFieldName(f); }
    void setDropDownRows(int rows) { setMaxVisibleItems(rows); }
    int DropDownRows() const { return maxVisibleItems(); }

    QString KeyValue() const { return m_key; }
    // Shows the entry with that key, or nothing for an empty key.
    void setKeyValue(const QString& key);
    QString Text() const { return currentText(); }

    void showPopup() override;

Q_SIGNALS:
    void Click();

private:
    void rebuild();
    void choose(int row);
    void showKey();

    ListModel* m_model;
    FieldLink* m_link;
    QPointer<DataSource> m_listSource;
    QString m_keyField;
    QString m_listField;
    QString m_key;
    QMetaObject::Connection m_listChanged;
};

}  // namespace toolkit
