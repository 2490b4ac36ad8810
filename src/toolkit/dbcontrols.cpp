// SPDX-License-Identifier: GPL-3.0-or-later
#include "dbcontrols.h"

#include <QKeyEvent>
#include <QTimer>

#include "dialogs.h"
#include "errortext.h"
#include "store/errors.h"

namespace toolkit {

int maxLengthFor(const store::Field* field, int shownLength) {
    if (!field || field->DataType() != store::FieldType::String || field->Size() <= 0) {
        return 0;
    }
    return std::max(field->Size(), shownLength);
}

TextBinding::TextBinding(QWidget* control, std::function<QString()> text,
                         std::function<void(const QString&)> setText, Prepare prepare)
    : m_control(control),
      m_link(new FieldLink(control)),
      m_text(std::move(text)),
      m_setText(std::move(setText)),
      m_prepare(std::move(prepare)) {
    m_link->onRefresh = [this] { refresh(); };
    m_link->onUpdate = [this] { commit(); };
}

QString TextBinding::fieldText() const {
    store::Field* f = m_link->field();
    if (!f) {
        return QString();
    }
    return m_control->hasFocus() ? f->EditText() : f->DisplayText();
}

void TextBinding::refresh() {
    if (!m_link->editing()) {
        m_pending = false;
    }
    if (m_pending) {
        return;
    }
    const QString t = fieldText();
    if (m_prepare) {
        store::Table* table = m_link->table();
        const bool locked = readOnly || (table && table->Active() && table->readOnly());
        m_prepare(m_link->field(), int(t.size()), locked);
    }
    // Setting the same text again would move the caret under the user's fingers.
    if (t != m_text()) {
        m_setText(t);
    }
}

bool TextBinding::changed() {
    if (m_pending) {
        return true;
    }
    m_pending = true;
    bool ok = false;
    try {
        ok = !readOnly && m_link->edit();
    } catch (...) {
        m_pending = false;
        refresh();
        throw;
    }
    if (!ok) {
        m_pending = false;
        refresh();
    }
    return ok;
}

void TextBinding::commit() {
    if (!m_pending) {
        return;
    }
    store::Field* f = m_link->field();
    if (!f) {
        m_pending = false;
        return;
    }
    if (!m_link->editing()) {
        m_link->edit();
    }
    try {
        f->setAsString(m_text());  // raises on refusal; the text stays
    } catch (store::FieldError& e) {
        // The refusal names the field as the user knows it, wherever it is shown.
        if (e.caption().isEmpty()) {
            e.setCaption(captionOf(m_control));
        }
        throw;
    }
    m_pending = false;
    refresh();
}

void TextBinding::leave() {
    try {
        commit();
    } catch (const store::Error& e) {
        dialogs().ShowError(errorText(e));
        QTimer::singleShot(0, m_control, [c = m_control] { c->setFocus(); });
    }
}

void TextBinding::revert() {
    m_pending = false;
    refresh();
}

DBEdit::DBEdit(QWidget* parent)
    : QLineEdit(parent),
      m_binding(
          this, [this] { return text(); }, [this](const QString& t) { setText(t); },
          [this](const store::Field* f, int shown, bool locked) {
              // Typing stops at the field's width, so nothing is cut when it is saved.
              const int limit = maxLengthFor(f, shown);
              setMaxLength(limit > 0 ? limit : 32767);
              QLineEdit::setReadOnly(locked);
          }) {
    connect(this, &QLineEdit::textEdited, this, [this] { m_binding.changed(); });
}

void DBEdit::setReadOnly(bool on) {
    m_binding.readOnly = on;
    QLineEdit::setReadOnly(on);
}

void DBEdit::focusInEvent(QFocusEvent* e) {
    QLineEdit::focusInEvent(e);
    m_binding.refresh();
}

void DBEdit::focusOutEvent(QFocusEvent* e) {
    QLineEdit::focusOutEvent(e);
    m_binding.leave();
    m_binding.refresh();
}

void DBEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && m_binding.pending()) {
        m_binding.revert();
        return;
    }
    QLineEdit::keyPressEvent(e);
}

DBMemo::DBMemo(QWidget* parent)
    : QPlainTextEdit(parent),
      m_binding(
          this, [this] { return toPlainText(); },
          [this](const QString& t) {
              m_setting = true;
              setPlainText(t);
              m_setting = false;
          },
          [this](const store::Field*, int, bool locked) { QPlainTextEdit::setReadOnly(locked); }) {
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setTabChangesFocus(false);  // Tab types a tab in notes
    connect(this, &QPlainTextEdit::textChanged, this, [this] {
        if (!m_setting) {
            m_binding.changed();
        }
    });
}

void DBMemo::setReadOnly(bool on) {
    m_binding.readOnly = on;
    QPlainTextEdit::setReadOnly(on);
}

void DBMemo::focusOutEvent(QFocusEvent* e) {
    QPlainTextEdit::focusOutEvent(e);
    m_binding.leave();
}

void DBMemo::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && m_binding.pending()) {
        m_binding.revert();
        return;
    }
    QPlainTextEdit::keyPressEvent(e);
}

DBText::DBText(QWidget* parent) : QLabel(parent), m_link(new FieldLink(this)) {
    m_link->onRefresh = [this] {
        store::Field* f = m_link->field();
        setText(f ? f->DisplayText() : QString());
    };
}

DBCheckBox::DBCheckBox(QWidget* parent) : QCheckBox(parent), m_link(new FieldLink(this)) {
    m_link->onRefresh = [this] { refresh(); };
    connect(this, &QCheckBox::clicked, this, [this](bool on) {
        if (!m_link->edit()) {
            refresh();
            return;
        }
        m_link->field()->setAsString(on ? ValueChecked : ValueUnchecked);
    });
}

void DBCheckBox::setValues(const QString& checked, const QString& unchecked) {
    ValueChecked = checked;
    ValueUnchecked = unchecked;
    refresh();
}

void DBCheckBox::refresh() {
    store::Field* f = m_link->field();
    const bool on = f && f->AsString().compare(ValueChecked, Qt::CaseInsensitive) == 0;
    if (isChecked() != on) {
        const QSignalBlocker block(this);
        setChecked(on);
    }
}

}  // namespace toolkit
