// SPDX-License-Identifier: GPL-3.0-or-later
#include "application.h"

#include "dialogs.h"
#include "errortext.h"
#include "store/errors.h"

namespace toolkit {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    bool handled = true;  // an event whose handler failed counts as handled
    reportErrors([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void reportErrors(const std::function<void()>& work) {
    try {
        work();
    } catch (const store::SilentAbort&) {
    } catch (const std::exception& e) {
        dialogs().ShowError(errorText(e));
    }
}

}  // namespace toolkit
