// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QApplication>
#include <functional>

namespace toolkit {

// Shows an error that no handler caught in the standard error box and goes on; a silent
// abort ends its operation without a word.
class Application final : public QApplication {
    Q_OBJECT

public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// The same for code run outside the event loop, e.g. a window's first show.
void reportErrors(const std::function<void()>& work);

}  // namespace toolkit
