// SPDX-License-Identifier: GPL-3.0-or-later
#include "lookup.h"

#include <QApplication>
#include <QProxyStyle>

#include "store/errors.h"

namespace toolkit {

namespace {

class DropDownStyle final : public QProxyStyle {
public:
    explicit DropDownStyle(const QString& base) : QProxyStyle(base) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returned) const override {
        if (hint == SH_ComboBox_Popup) {
            return 0;
        }
        return QProxyStyle::styleHint(hint, option, widget, returned);
    }
};

}  // namespace

void useDropDownList(QComboBox* box) {
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownStyle(QApplication::style()->name());
        style->setParent(qApp);
    }
    if (box->style() != style) {
        box->setStyle(style);
    }
}

ListModel::ListModel(QObject* parent) : QAbstractListModel(parent) {}

void ListModel::setSource(DataSource* source, const QString& keyField, const QString& listField) {
    beginResetModel();
    m_source = source;
    m_key = keyField;
    m_list = listField.isEmpty() ? keyField : listField;
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    m_rows = t && t->Active() ? t->RecordCount() : 0;
    endResetModel();
}

int ListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

QString ListModel::fieldAt(int row, const QString& field) const {
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    if (!t || !t->Active() || row < 0 || row >= m_rows) {
        return QString();
    }
    store::Table::RowScope scope(*t, row);
    store::Field* f = t->FindField(field);
    return f ? f->DisplayText() : QString();
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole)) {
        return {};
    }
    return fieldAt(index.row(), m_list);
}

QString ListModel::keyAt(int row) const {
    return fieldAt(row, m_key);
}

int ListModel::rowOfKey(const QString& key) const {
    for (int r = 0; r < m_rows; ++r) {
        if (keyAt(r) == key) {
            return r;
        }
    }
    return -1;
}

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent), m_model(new ListModel(this)), m_link(new FieldLink(this)) {
    setModel(m_model);
    // The list shows DropDownRows rows under the box (see showPopup).
    setMaxVisibleItems(7);
    setEditable(false);
    m_link->onRefresh = [this] {
        if (store::Field* f = m_link->field()) {
            m_key = f->AsString();
            showKey();
        }
    };
    connect(this, &QComboBox::activated, this, &DBLookupComboBox::choose);
}

void DBLookupComboBox::showPopup() {
    // Only as the list first opens: most boxes of a window are never opened, and a window
    // with several opens quicker without building their lists.
    useDropDownList(this);
    QComboBox::showPopup();
}

void DBLookupComboBox::setListSource(DataSource* source) {
    disconnect(m_listChanged);
    m_listSource = source;
    if (source) {
        m_listChanged =
            connect(source, &DataSource::dataSetChanged, this, &DBLookupComboBox::rebuild);
    }
    rebuild();
}

void DBLookupComboBox::setKeyField(const QString& f) {
    m_keyField = f;
    rebuild();
}

void DBLookupComboBox::setListField(const QString& f) {
    m_listField = f;
    rebuild();
}

void DBLookupComboBox::rebuild() {
    m_model->setSource(m_listSource, m_keyField, m_listField);
    showKey();
}

void DBLookupComboBox::setKeyValue(const QString& key) {
    m_key = key;
    showKey();
}

void DBLookupComboBox::showKey() {
    const int row = m_key.isEmpty() ? -1 : m_model->rowOfKey(m_key);
    const QSignalBlocker block(this);
    setCurrentIndex(row);
}

void DBLookupComboBox::choose(int row) {
    if (row < 0) {
        return;
    }
    const QString key = m_model->keyAt(row);
    if (!m_link->fieldName().isEmpty() && m_link->dataSource()) {
        if (!m_link->edit()) {
            showKey();
            return;
        }
        m_key = key;
        m_link->field()->setAsString(key);
    } else {
        m_key = key;
        if (m_listSource && m_listSource->DataSet()) {
            m_listSource->DataSet()->Locate(m_keyField, key);
        }
    }
    showKey();
    Q_EMIT Click();
}

}  // namespace toolkit
