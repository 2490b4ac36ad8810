// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <utility>

namespace data {
class TDM;
}

namespace backup {

struct ImportReport {
    bool cancelled = false;
    QList<std::pair<QString, int>> rows;  // table name, rows brought in
    QStringList kept;                     // tables that could not be read and kept their data
    int leftOut = 0;                      // damaged rows left out
    int pictures = 0;
    QString safetyCopy;  // the backup (or the folder of damaged files) of the data replaced
};

// Brings a folder of the nine Paradox tables of the earlier version in, in place of the
// data there are: fields by name, texts from their code page, dates, amounts and memos;
// pictures from a "Billeder" folder beside the tables. Everything is read and tried first;
// what can be read and what cannot (per table: rows readable, rows damaged, fields unknown)
// is put to confirm(question) before anything is written, whenever there are data to replace
// or anything cannot be read. Each readable table then replaces its table in one
// transaction; a table that cannot be read keeps its data, a damaged row is left out, an
// unknown field is left out. Nothing readable at all raises store::Error, nothing changed.
ImportReport importOldData(const QString& folder, int language, data::TDM* dm,
                           const std::function<bool(const QString& question)>& confirm);

// The report as the user reads it.
QString importReportText(const ImportReport& report, int language);

}  // namespace backup
