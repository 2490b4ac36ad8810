// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

#include "dm.h"

namespace data {

int readSetting(const QString& field) {
    return DM->ConfigTable->FieldByName(field).AsInteger();
}

void writeSettings(std::initializer_list<std::pair<QString, QVariant>> values) {
    store::Table& t = *DM->ConfigTable;
    // A read-only data folder was announced at start; sizes and language are then kept for
    // this run only, and no window is kept from closing over it.
    if (t.readOnly()) {
        return;
    }
    // What the row holds already costs no write to the disk.
    bool same = t.State() == store::DataSetState::Browse;
    for (const auto& [field, value] : values) {
        const QVariant now = same ? t.FieldByName(field).Value() : QVariant();
        same = same && now.isValid() && now == value;
    }
    if (same) {
        return;
    }
    t.Edit();
    try {
        for (const auto& [field, value] : values) {
            t.FieldByName(field).setValue(value);
        }
        t.Post();
    } catch (...) {
        // Nothing else keeps the settings row in edit state.
        t.Cancel();
        throw;
    }
}

namespace {

// Beside the alias configuration, as plain lines a user can read: [UdgiftForm] Width=… Height=…
QString windowsFile() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation))
        .filePath(QStringLiteral("windows.ini"));
}

}  // namespace

QSize readWindowSize(const QString& window) {
    const QSettings s(windowsFile(), QSettings::IniFormat);
    bool w = false;
    bool h = false;
    const QSize size(s.value(window + QStringLiteral("/Width")).toInt(&w),
                     s.value(window + QStringLiteral("/Height")).toInt(&h));
    return w && h ? size : QSize();
}

void writeWindowSize(const QString& window, const QSize& outerSize) {
    QSettings s(windowsFile(), QSettings::IniFormat);
    s.setValue(window + QStringLiteral("/Width"), outerSize.width());
    s.setValue(window + QStringLiteral("/Height"), outerSize.height());
    s.sync();
}

bool readViewChoice(const QString& key, bool fallback) {
    const QSettings s(windowsFile(), QSettings::IniFormat);
    const QVariant v = s.value(QStringLiteral("View/") + key);
    return v.isValid() ? v.toBool() : fallback;
}

void writeViewChoice(const QString& key, bool on) {
    QSettings s(windowsFile(), QSettings::IniFormat);
    s.setValue(QStringLiteral("View/") + key, on);
    s.sync();
}

}  // namespace data
