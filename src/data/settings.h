// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSize>
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <utility>

namespace data {

// The settings record: read a field as an integer; write fields in one edit and post (in a
// read-only data folder, nothing).
int readSetting(const QString& field);
void writeSettings(std::initializer_list<std::pair<QString, QVariant>> values);

// The outer size of a window the settings record has no field for, kept per user in the
// program's configuration folder; an invalid size when none is kept yet.
QSize readWindowSize(const QString& window);
void writeWindowSize(const QString& window, const QSize& outerSize);

// A yes-or-no choice of the user's about how the windows show things, kept beside the window
// sizes; `fallback` when none is kept yet.
bool readViewChoice(const QString& key, bool fallback);
void writeViewChoice(const QString& key, bool on);

}  // namespace data
