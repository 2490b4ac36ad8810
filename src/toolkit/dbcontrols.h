// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <functional>

#include "fieldlink.h"

namespace toolkit {

// What the bound text controls share: the first change puts the table into edit state,
// and the typed text reaches the row when the control is left or the row is posted.
class TextBinding {
public:
    // Before the field is shown, prepare hears the field (null when there is none), the
    // length of the text about to be shown, and whether the control is to take no typing
    // (set read-only, or a table in a read-only data folder).
    using Prepare = std::function<void(const store::Field*, int shownLength, bool locked)>;
    TextBinding(QWidget* control, std::function<QString()> text,
                std::function<void(const QString&)> setText, Prepare prepare = {});

    FieldLink* link() const { return m_link; }
    bool pending() const { return m_pending; }
    bool readOnly = false;
    // Shows the field unless typed text is waiting; whole text for editing while focused.
    void refresh();
    // The user changed the text; false (and the text restored) when the row cannot be edited.
    bool changed();
    // Hands the typed text to the field; a refusal raises and keeps the text.
    void commit();
    // As commit, for leaving the control: shows a refusal and keeps the focus there.
    void leave();
    void revert();

private:
    QString fieldText() const;

    QWidget* m_control;
    FieldLink* m_link;
    std::function<QString()> m_text;
    std::function<void(const QString&)> m_setText;
    Prepare m_prepare;
    bool m_pending = false;
};

// The longest text a line edit for the field should take: the field's width, or what it holds
// already where stored text is longer, so nothing shown is cut; 0 for no limit.
int maxLengthFor(const store::Field* field, int shownLength);

// Common surface of the bound controls: the data source and field they show.
#define VERDAMO_BOUND_CONTROL                    \
public:                                          \
    void setDataSource(toolkit::DataSource* s) { \
        m_binding.link()->setDataSource(s);      \
    }                                            \
    toolkit::DataSource* DataSource() const {    \
        return m_binding.link()->dataSource();   \
    }                                            \
    void setDataField(const QString& f) {        \
        m_binding.link()->setFieldName(f);       \
    }                                            \
    QString DataField() const {                  \
        return m_binding.link()->fieldName();    \
    }                                            \
    store::Field* Field() const {                \
        return m_binding.link()->field();        \
    }

class DBEdit : public QLineEdit {
    Q_OBJECT
    VERDAMO_BOUND_CONTROL

public:
    explicit DBEdit(QWidget* parent = nullptr);
    void setReadOnly(bool on);

protected:
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    TextBinding m_binding;
};

class DBMemo final : public QPlainTextEdit {
    Q_OBJECT
    VERDAMO_BOUND_CONTROL

public:
    explicit DBMemo(QWidget* parent = nullptr);
    void setReadOnly(bool on);

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;

private:
    TextBinding m_binding;
    bool m_setting = false;
};

// A field shown read-only.
class DBText final : public QLabel {
    Q_OBJECT

public:
    explicit DBText(QWidget* parent = nullptr);
    void setDataSource(toolkit::DataSource* s) { m_link->setDataSource(s); }
    void setDataField(const QString& f) { m_link->setFieldName(f); }

private:
    FieldLink* m_link;
};

class DBCheckBox final : public QCheckBox {
    Q_OBJECT

public:
    explicit DBCheckBox(QWidget* parent = nullptr);
    void setDataSource(toolkit::DataSource* s) { m_link->setDataSource(s); }
    void setDataField(const QString& f) { m_link->setFieldName(f); }
    QString ValueChecked = QStringLiteral("True");
    QString ValueUnchecked = QStringLiteral("False");
    void setValues(const QString& checked, const QString& unchecked);

private:
    void refresh();
    FieldLink* m_link;
};

}  // namespace toolkit
