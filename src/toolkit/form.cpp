#include "form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QShortcut>
#include <QShowEvent>
#include <QTextEdit>
#include <algorithm>

#include "dialogs.h"
#include "errortext.h"
#include "store/errors.h"

namespace toolkit {

namespace {

bool ownUndo(const QObject* o) {
    if (const auto* line = qobject_cast<const QLineEdit*>(o)) {
        return !line->isReadOnly() && line->isUndoAvailable();
    }
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(o)) {
        return !plain->isReadOnly() && plain->document()->isUndoAvailable();
    }
    if (const auto* rich = qobject_cast<const QTextEdit*>(o)) {
        return !rich->isReadOnly() && rich->document()->isUndoAvailable();
    }
    return false;
}

// Text boxes claim Ctrl+Z for themselves even with nothing to undo; inside the window such
// a claim is turned down, so the window's own undo gets the key.
class UndoKeyFilter final : public QObject {
public:
    explicit UndoKeyFilter(QWidget* window) : QObject(window), m_window(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::ShortcutOverride) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(e);
        auto* widget = qobject_cast<QWidget*>(watched);
        return key->matches(QKeySequence::Undo) && widget && m_window->isAncestorOf(widget) &&
               !ownUndo(widget);
    }

private:
    QWidget* m_window;
};

}  // namespace

Form::Form(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);
}

void Form::setUndoButton(QAbstractButton* button) {
    if (!m_undoButton) {
        qApp->installEventFilter(new UndoKeyFilter(this));
        auto* key = new QShortcut(QKeySequence::Undo, this);
        connect(key, &QShortcut::activated, this, [this] {
            if (m_undoButton && m_undoButton->isEnabled() && m_undoButton->isVisible()) {
                m_undoButton->click();
            }
        });
    }
    m_undoButton = button;
}

void Form::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    // Each time it is shown, not when the window system restores it from an icon.
    if (!e->spontaneous()) {
        reportErrors([this] { FormShow(); });
    }
}

void Form::closeEvent(QCloseEvent* e) {
    try {
        FormClose();
    } catch (const store::SilentAbort&) {
        e->ignore();
        return;
    } catch (const std::exception& err) {
        dialogs().ShowError(errorText(err));
        e->ignore();
        return;
    }
    m_closing = true;
    QDialog::closeEvent(e);  // hides the window through reject()
    m_closing = false;
}

// Esc closes through the close handler, like the title bar does.
void Form::reject() {
    if (m_closing) {
        QDialog::reject();
    } else if (m_escapeCloses) {
        close();
    }
}

void setOuterSize(QWidget* window, int width, int height, QSize fallback) {
    if ((width <= 0 || height <= 0) && fallback.isValid()) {
        width = fallback.width();
        height = fallback.height();
    }
    const QSize frame = window->frameGeometry().size() - window->geometry().size();
    window->resize(std::max(1, width - frame.width()), std::max(1, height - frame.height()));
}

}  // namespace toolkit
