// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <memory>

class QAbstractButton;

#include "application.h"

namespace toolkit {

// A window shown modally on demand. Showing it runs FormShow; an error there is shown and
// the window opens anyway. Closing it by its button or the title bar runs FormClose; an
// error or a silent abort there keeps the window open (the error shown).
class Form : public QDialog {
    Q_OBJECT

public:
    explicit Form(QWidget* parent = nullptr);

protected:
    // Esc closes the window through its close handler, as the title bar does, unless the
    // window closes only by its own buttons and the title bar.
    void setEscapeCloses(bool on) { m_escapeCloses = on; }
    // Ctrl+Z clicks the button (when it is enabled) once the box being typed in has nothing
    // of its own left to undo: what was typed in a box is taken back first, then the record.
    void setUndoButton(QAbstractButton* button);
    virtual void FormShow() {}
    virtual void FormClose() {}
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void reject() override;

private:
    QPointer<QAbstractButton> m_undoButton;
    bool m_closing = false;
    bool m_escapeCloses = true;
};

// Window sizes are kept as outer sizes, frame and title bar included.
//
// Gives a window the outer size it was closed with and centres it on the screen it opens on
// (the active window's). A size no user could have chosen (nothing stored, 0 or less, smaller
// than the window's minimum size) gives `design`; a size larger than the screen's available
// area is cut to it, so the whole window, title bar and buttons, is on the screen. The
// frame is the window's own once the window manager has framed it, else the frame of a
// window framed earlier in this run; a window framed otherwise than assumed is sized and
// centred again once it is, so its outer size is the one given.
void placeWindow(QWidget* window, QSize stored, QSize design);
// A window's minimum size, as large as the screen lets it be: whole on the screen is more
// than texts at their ease.
void setMinimumWithinScreen(QWidget* window, QSize minimum);
// The outer size of a window, as placeWindow takes it and the windows store it.
QSize outerSize(const QWidget* window);
// The area windows are kept within on a screen: its available geometry. Tests give a
// desktop of their own (the offscreen platform's screen is 800 x 600); an empty rectangle
// restores the screens'.
QRect availableArea(const QWidget* window);
void setAvailableAreaOverride(const QRect& area);

// Creates the window with the application as owner, shows it modally and destroys it when
// it returns, also when it ends with an error.
template <class F, class... Args>
int showModal(Args&&... args) {
    std::unique_ptr<F> form(new F(std::forward<Args>(args)...));
    return form->exec();
}

}  // namespace toolkit
