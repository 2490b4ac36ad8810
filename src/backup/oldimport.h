#pragma once

#include <QList>
#include <QString>
#include <functional>
#include <utility>

namespace data {
class TDM;
}

namespace backup {

struct ImportReport {
    bool cancelled = false;
    QList<std::pair<QString, int>> rows;  // table name, rows brought in
    int pictures = 0;
    QString safetyCopy;  // the backup of the data that were replaced
};

// Brings a folder of the nine Paradox tables of the earlier version in, in place of the
// data there are: fields by name, texts from their code page, dates, amounts and memos;
// pictures from a "Billeder" folder beside the tables. Everything is read and checked
// before anything is written, and written in one transaction. A missing table, an unreadable
// file, an unknown field or a value that does not fit raises store::Error naming them all,
// with nothing changed. confirm is asked before data there are get replaced.
ImportReport importOldData(const QString& folder, int language, data::TDM* dm,
                           const std::function<bool()>& confirm);

// The report as the user reads it.
QString importReportText(const ImportReport& report, int language);

}  // namespace backup
