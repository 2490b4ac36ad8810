#include "form.h"

#include <QCloseEvent>
#include <QShowEvent>
#include <algorithm>

#include "dialogs.h"
#include "errortext.h"
#include "store/errors.h"

namespace toolkit {

Form::Form(QWidget* parent) : QDialog(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setModal(true);
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
