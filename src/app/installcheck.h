// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

namespace app {

class THovedForm;

// Looks up, as the running program does, every file that is installed with it: the language
// files of the window's language menu, the help pages of the five languages and the two
// default pictures. Gives one line per file, "found <what>: <path>" or "missing <what>: <path>".
QStringList checkInstallation(const THovedForm& window, bool* allFound);

}  // namespace app
