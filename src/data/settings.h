#pragma once

#include <QString>
#include <QVariant>
#include <initializer_list>
#include <utility>

namespace data {

// The settings record: read a field as an integer; write fields in one edit and post (in a
// read-only data folder, nothing).
int readSetting(const QString& field);
void writeSettings(std::initializer_list<std::pair<QString, QVariant>> values);

}  // namespace data
