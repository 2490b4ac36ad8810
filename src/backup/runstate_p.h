// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace backup::detail {

// What the program has told the user in this run, so that nothing is said twice.
struct RunState {
    bool damageReported = false;  // the damaged database, at start or at closing
    bool reminded = false;        // the reminder of a backup outside the data folder
};
RunState& runState();

}  // namespace backup::detail
