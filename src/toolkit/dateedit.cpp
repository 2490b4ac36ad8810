// SPDX-License-Identifier: GPL-3.0-or-later
#include "dateedit.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QStyle>
#include <QToolButton>

#include "i18n/langsource.h"
#include "i18n/texts.h"
#include "store/format.h"

namespace toolkit {

QString DateEdit::maskFor(const QString& format) {
    QString mask;
    for (QChar c : format) {
        if (c == QLatin1Char('d') || c == QLatin1Char('M') || c == QLatin1Char('y')) {
            mask += QLatin1Char('9');
        } else {
            mask += QLatin1Char('\\');
            mask += c;
        }
    }
    return mask + QStringLiteral("; ");
}

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent), m_button(new QToolButton(this)) {
    setInputMask(maskFor(store::shortDateFormat()));
    m_button->setFocusPolicy(Qt::NoFocus);
    m_button->setCursor(Qt::ArrowCursor);
    m_button->setText(QStringLiteral("▾"));
    showTexts();
    m_button->setAutoRaise(true);
    connect(m_button, &QToolButton::clicked, this, &DateEdit::showCalendar);
    connect(this, &QLineEdit::textChanged, this, &DateEdit::changed);
}

void DateEdit::showTexts() {
    m_button->setToolTip(i18n::text(u"DialogTexts", u"Calendar", QStringLiteral("Kalender")));
}

// The program's language changes with Qt's own translations, which tell every widget.
void DateEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::LanguageChange) {
        showTexts();
    }
}

void DateEdit::resizeEvent(QResizeEvent* e) {
    QLineEdit::resizeEvent(e);
    const int side = std::max(12, height() - 2);
    m_button->setGeometry(width() - side - 1, 1, side, height() - 2);
    setTextMargins(0, 0, side, 0);
}

void DateEdit::setText(const QString& text) {
    if (displayText() != text && !(isEmpty() && store::isBlankDateText(text))) {
        QLineEdit::setText(text);
    }
}

QDate DateEdit::Date() const {
    return store::parseDate(displayText());
}

void DateEdit::setDate(const QDate& d) {
    setText(store::formatDate(d));
}

void DateEdit::Clear() {
    QLineEdit::clear();
}

bool DateEdit::isEmpty() const {
    return store::isBlankDateText(displayText());
}

void DateEdit::picked(const QDate& d) {
    setDate(d);
}

void DateEdit::showCalendar() {
    if (isReadOnly()) {
        return;
    }
    auto* cal = new QCalendarWidget(this);
    cal->setWindowFlags(Qt::Popup);
    cal->setAttribute(Qt::WA_DeleteOnClose);
    // Month and day names in the program's language; the date format stays the region's.
    cal->setLocale(QLocale(i18n::languageCode(i18n::mainActiveLanguage())));
    cal->setFirstDayOfWeek(Qt::Monday);
    cal->setGridVisible(true);
    if (Date().isValid()) {
        cal->setSelectedDate(Date());
    }
    connect(cal, &QCalendarWidget::activated, this, [this, cal](const QDate& d) {
        picked(d);
        cal->close();
        setFocus();
    });
    connect(cal, &QCalendarWidget::clicked, this, [this, cal](const QDate& d) {
        picked(d);
        cal->close();
        setFocus();
    });
    cal->adjustSize();
    cal->move(mapToGlobal(QPoint(0, height())));
    cal->show();
    cal->setFocus();
}

DBDateEdit::DBDateEdit(QWidget* parent)
    : DateEdit(parent),
      m_binding(
          this, [this] { return Text(); }, [this](const QString& t) { setText(t); },
          [this](const store::Field*, int, bool locked) { QLineEdit::setReadOnly(locked); }) {
    connect(this, &QLineEdit::textEdited, this, [this] { m_binding.changed(); });
}

void DBDateEdit::picked(const QDate& d) {
    if (!m_binding.changed()) {
        return;
    }
    setDate(d);
}

void DBDateEdit::focusOutEvent(QFocusEvent* e) {
    DateEdit::focusOutEvent(e);
    m_binding.leave();
}

void DBDateEdit::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && m_binding.pending()) {
        m_binding.revert();
        return;
    }
    DateEdit::keyPressEvent(e);
}

}  // namespace toolkit
