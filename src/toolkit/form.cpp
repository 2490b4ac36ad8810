// SPDX-License-Identifier: GPL-3.0-or-later
#include "form.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QShortcut>
#include <QShowEvent>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>
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

namespace {

// The frame of the last window the window manager framed in this run: the frame of a window
// not framed yet is taken to be the same.
QMargins g_knownFrame;
QRect g_areaOverride;

QMargins frameOf(const QWidget* window, bool* own = nullptr) {
    const QWindow* handle = window->windowHandle();
    const QMargins frame = handle && window->isVisible() ? handle->frameMargins() : QMargins();
    if (own) {
        *own = !frame.isNull();
    }
    if (!frame.isNull()) {
        g_knownFrame = frame;
        return frame;
    }
    return g_knownFrame;
}

QSize frameSize(const QMargins& m) {
    return {m.left() + m.right(), m.top() + m.bottom()};
}

// Sets the inner size for an outer size and puts the frame's centre at the area's centre,
// wholly inside it.
void apply(QWidget* window, const QSize& outer, const QRect& area, const QMargins& frame) {
    window->resize((outer - frameSize(frame)).expandedTo(QSize(1, 1)));
    if (area.isEmpty()) {
        return;
    }
    QPoint corner = area.center() - QPoint(outer.width() / 2, outer.height() / 2);
    corner.setX(std::clamp(corner.x(), area.left(),
                           std::max(area.left(), area.right() + 1 - outer.width())));
    corner.setY(std::clamp(corner.y(), area.top(),
                           std::max(area.top(), area.bottom() + 1 - outer.height())));
    window->move(corner);
}

// Waits for the window manager to frame the window, then sizes and centres it again when
// the frame is not the one assumed, unless the user has already resized it. The frame is
// known only once the window manager has reparented the window, which no event of the
// window's own need tell: it is looked at for a few moments after the window is placed.
class FrameWatch final : public QObject {
public:
    FrameWatch(QWidget* window, QSize outer, QRect area, QMargins assumed)
        : QObject(window), m_window(window), m_outer(outer), m_area(area), m_assumed(assumed) {
        m_inner = window->size();
        connect(&m_poll, &QTimer::timeout, this, &FrameWatch::look);
        m_poll.start(25);
        // A window manager frames a window within moments of its showing, or never.
        QTimer::singleShot(3000, this, [this] { deleteLater(); });
    }

private:
    void look() {
        if (!m_window->isVisible()) {
            return;
        }
        bool own = false;
        const QMargins frame = frameOf(m_window, &own);
        if (!own) {
            return;
        }
        m_poll.stop();
        if (frame != m_assumed && m_window->size() == m_inner) {
            apply(m_window, m_outer, m_area, frame);
        }
        deleteLater();
    }

    QWidget* m_window;
    QSize m_outer;
    QRect m_area;
    QMargins m_assumed;
    QSize m_inner;
    QTimer m_poll;
};

}  // namespace

QRect availableArea(const QWidget* window) {
    if (!g_areaOverride.isEmpty()) {
        return g_areaOverride;
    }
    // The screen the user works on: the active window's, else the window's own.
    const QWidget* active = QApplication::activeWindow();
    const QScreen* screen = active && active != window ? active->screen() : window->screen();
    return screen ? screen->availableGeometry() : QRect();
}

void setAvailableAreaOverride(const QRect& area) {
    g_areaOverride = area;
}

void placeWindow(QWidget* window, QSize stored, QSize design) {
    bool own = false;
    const QMargins frame = frameOf(window, &own);
    const QSize least = window->minimumSize() + frameSize(frame);
    if (!stored.isValid() || stored.width() <= 0 || stored.height() <= 0 ||
        stored.width() < least.width() || stored.height() < least.height()) {
        stored = design;
    }
    const QRect area = availableArea(window);
    const QSize outer = area.isEmpty() ? stored : stored.boundedTo(area.size());
    setMinimumWithinScreen(window, window->minimumSize());
    apply(window, outer, area, frame);
    if (!own) {
        new FrameWatch(window, outer, area, frame);
    }
}

void setMinimumWithinScreen(QWidget* window, QSize minimum) {
    const QRect area = availableArea(window);
    if (!area.isEmpty()) {
        minimum = minimum.boundedTo(area.size() - frameSize(frameOf(window)));
    }
    window->setMinimumSize(minimum);
}

QSize outerSize(const QWidget* window) {
    return window->size() + frameSize(frameOf(window));
}

}  // namespace toolkit
