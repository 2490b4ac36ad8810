// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

// What the user's desktop offers, found the freedesktop way (environment, mimeapps.list,
// the desktop files of the applications folders, PATH).
namespace widgets::desktop {

// True when some installed application is registered for `mimeType`, e.g.
// "x-scheme-handler/http": as a default or added association in a mimeapps.list, or in the
// mimeinfo.cache of an applications folder. Only entries whose desktop file exists count.
bool hasHandler(const QString& mimeType);

// The system-information programs worth trying, those of the running desktop first.
QStringList systemInfoPrograms();

}  // namespace widgets::desktop
