#pragma once

#include <QDialog>
#include <QPointer>
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

// Window sizes are kept as outer sizes, frame and title bar included. A size not usable
// (nothing stored yet) gives `fallback` when there is one.
void setOuterSize(QWidget* window, int width, int height, QSize fallback = QSize());

// Creates the window with the application as owner, shows it modally and destroys it when
// it returns, also when it ends with an error.
template <class F, class... Args>
int showModal(Args&&... args) {
    std::unique_ptr<F> form(new F(std::forward<Args>(args)...));
    return form->exec();
}

}  // namespace toolkit
