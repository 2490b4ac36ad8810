// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QLineEdit>

#include "dbcontrols.h"

class QToolButton;

namespace toolkit {

// A date typed in the program's short date format through an input mask, or picked from
// a calendar. Empty, it holds the mask's blanks ("  -  -    " for dd-MM-yyyy).
class DateEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit DateEdit(QWidget* parent = nullptr);

    // The text with the mask's blanks, as shown.
    QString Text() const { return displayText(); }
    void setText(const QString& text);
    // Invalid for an empty box or text that is no date.
    QDate Date() const;
    void setDate(const QDate& d);
    void Clear();
    bool isEmpty() const;

    static QString maskFor(const QString& format);

Q_SIGNALS:
    // The date changed by typing, the calendar or code, like the text's own change event.
    void changed();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    virtual void picked(const QDate& d);

private:
    void showCalendar();
    void showTexts();
    QToolButton* m_button;
};

class DBDateEdit final : public DateEdit {
    Q_OBJECT
    VERDAMO_BOUND_CONTROL

public:
    explicit DBDateEdit(QWidget* parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void picked(const QDate& d) override;

private:
    TextBinding m_binding;
};

}  // namespace toolkit
