// SPDX-License-Identifier: GPL-3.0-or-later
#include "functions.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "archive.h"
#include "backupform.h"
#include "csv.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "i18n/langsource.h"
#include "oldimport.h"
#include "places.h"
#include "runstate_p.h"
#include "store/errors.h"
#include "store/session.h"
#include "store/table.h"
#include "texts.h"
#include "toolkit/dialogs.h"
#include "toolkit/errortext.h"
#include "toolkit/form.h"

namespace backup {

detail::RunState& detail::runState() {
    static RunState state;
    return state;
}

namespace {

using toolkit::Button;
using toolkit::dialogs;
using toolkit::MsgType;

// A wait cursor for as long as the work takes; put aside while a question is asked.
class Busy {
public:
    Busy() {
        if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
            m_on = true;
        }
    }
    ~Busy() {
        if (m_on) {
            QApplication::restoreOverrideCursor();
        }
    }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

    int ask(const QString& question, toolkit::Buttons buttons) {
        if (m_on) {
            QApplication::restoreOverrideCursor();
        }
        const int answer = dialogs().MessageDlg(question, MsgType::Confirmation, buttons);
        if (m_on) {
            QApplication::setOverrideCursor(Qt::WaitCursor);
        }
        return answer;
    }
    bool yes(const QString& question) {
        return ask(question, Button::Yes | Button::No) == toolkit::mrYes;
    }

private:
    bool m_on = false;
};

void inform(const QString& message) {
    dialogs().MessageDlg(message, MsgType::Information, Button::OK);
}

void warn(const QString& message) {
    dialogs().MessageDlg(message, MsgType::Warning, Button::OK);
}

void error(const QString& message) {
    dialogs().MessageDlg(message, MsgType::Error, Button::OK);
}

const QString zipFilter = QStringLiteral("Sikkerhedskopi (*.zip)|*.zip");

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The language of the settings record, read past the data module: at start it is not open
// yet, and the database may be damaged. Danish when it cannot be read.
int storedLanguage() {
    try {
        store::Table config;
        config.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        config.setTableName(QStringLiteral("Config.DB"));
        config.Open();
        config.First();
        const int language = config.FieldByName(QStringLiteral("Sprog")).AsInteger();
        return language >= -1 && language <= 3 ? language : -1;
    } catch (...) {
        return -1;
    }
}

}  // namespace

void takeBackup(int language) {
    toolkit::showModal<TSikkerhedskopiForm>(i18n::mainLanguageSource(), language);
}

bool saveBackupAs(int language) {
    QString path;
    try {
        QDir().mkpath(backupFolder());
        const QString second = secondPlace();
        const QString folder =
            !second.isEmpty() && QFileInfo(second).isDir() ? second : backupFolder();
        path = dialogs().SaveFile(zipFilter, QDir(folder).filePath(backupFileName(
                                                 Kind::Manual, QDateTime::currentDateTime())));
        if (path.isEmpty()) {
            return false;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += QStringLiteral(".zip");
        }
        const QString refused = refusedBackupTarget(path, language);
        if (!refused.isEmpty()) {
            error(refused);
            return false;
        }
        Busy busy;
        writeBackup(path, language);
    } catch (const store::Error& e) {
        error(toolkit::errorText(e));
        return false;
    }
    inform(text(Text::BackupSaved, language).arg(native(path)));
    return true;
}

void restoreFromBackup(int language, data::TDM* dm) {
    const QString path = dialogs().OpenFile(zipFilter);
    if (path.isEmpty()) {
        return;
    }
    QString safety;
    // Tables that could not be opened at start stay closed; the main window opens them.
    const bool opened = !dm || dm->ConfigTable->Active();
    try {
        Busy busy;
        const auto staged = prepareRestore(path, language);
        const bool damaged = databaseDamaged();
        const Text question = damaged ? Text::RestoreConfirmDamaged : Text::RestoreConfirm;
        if (!busy.yes(
                text(question, language).arg(staged->describe(language), native(backupFolder())))) {
            return;
        }
        safety = commitRestore(*staged, language, dm);
    } catch (const store::Error& e) {
        error(toolkit::errorText(e) + data::messageBreak() + text(Text::NothingChanged, language));
        return;
    }
    detail::runState().damageReported = false;
    QString done = text(Text::RestoreDone, language).arg(native(safety));
    if (!opened) {
        done += data::messageBreak() + text(Text::RestartNeeded, language);
    }
    inform(done);
}

void exportToCsv(int language, data::TDM*) {
    const QString folder =
        dialogs().ChooseFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (folder.isEmpty()) {
        return;
    }
    QStringList existing;
    for (const QString& f : csvFileNames()) {
        if (QFileInfo::exists(QDir(folder).filePath(f))) {
            existing << f;
        }
    }
    if (!existing.isEmpty() &&
        dialogs().MessageDlg(text(Text::CsvOverwrite, language)
                                 .arg(native(folder), existing.join(data::messageBreak())),
                             MsgType::Confirmation, Button::Yes | Button::No) != toolkit::mrYes) {
        return;
    }
    const CsvFormat regional = regionalCsvFormat();
    // Where the region writes numbers with a point, its separators are the plain ones; the
    // files are for a spreadsheet all the same, and its formulas are defused.
    int answer = toolkit::mrYes;
    if (regional.separator != CsvFormat().separator) {
        answer = dialogs().MessageDlg(
            text(Text::CsvRegional, language).arg(regional.separator).arg(regional.decimalPoint),
            MsgType::Confirmation, Button::Yes | Button::No | Button::Cancel);
    }
    if (answer != toolkit::mrYes && answer != toolkit::mrNo) {
        return;
    }
    CsvExport n;
    try {
        Busy busy;
        n = exportCsv(folder, answer == toolkit::mrYes ? regional : CsvFormat());
    } catch (const store::Error& e) {
        error(text(Text::CsvFailed, language).arg(toolkit::errorText(e)));
        return;
    }
    const auto line = [&](const QString& file, Text one, Text other, int rows) {
        return text(Text::CsvFileLine, language)
            .arg(file, countText(one, other, rows, language).arg(rows));
    };
    const QStringList files = csvFileNames();
    QStringList lines{text(Text::CsvDone, language).arg(native(folder))};
    lines << line(files.at(0), Text::CsvPlantsOne, Text::CsvPlantsOther, n.plants)
          << line(files.at(1), Text::CsvWorksOne, Text::CsvWorksOther, n.works)
          << line(files.at(2), Text::CsvMaterialsOne, Text::CsvMaterialsOther, n.materials)
          << line(files.at(3), Text::CsvNamesOne, Text::CsvNamesOther, n.names)
          << line(files.at(4), Text::CsvFamiliesOne, Text::CsvFamiliesOther, n.families)
          << line(files.at(5), Text::CsvTypesOne, Text::CsvTypesOther, n.types);
    inform(lines.join(data::messageBreak()));
}

void importOldTables(int language, data::TDM* dm) {
    const QString folder = dialogs().ChooseFolder(QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    ImportReport report;
    try {
        Busy busy;
        report = importOldData(folder, language, dm,
                               [&](const QString& question) { return busy.yes(question); });
    } catch (const store::Error& e) {
        error(toolkit::errorText(e));
        return;
    }
    if (!report.cancelled) {
        inform(importReportText(report, language));
    }
}

void dailyBackupAtClose(int language) {
    DailyResult result;
    try {
        Busy busy;
        result = dailyBackup(QDateTime::currentDateTime(), language);
    } catch (const DamagedDatabase&) {
        if (!detail::runState().damageReported) {
            detail::runState().damageReported = true;
            warn(text(Text::DamagedAtClose, language));
        }
        return;
    }
    if (!result.secondPlaceError.isEmpty()) {
        error(text(Text::SecondPlaceFailed, language)
                  .arg(native(secondPlace()), result.secondPlaceError));
    }
}

bool offerRestoreIfDamaged(data::TDM* dm) {
    if (!databaseDamaged()) {
        return false;
    }
    const int language = storedLanguage();
    detail::runState().damageReported = true;
    const QString database =
        native(QDir(data::dataFolder()).filePath(QString::fromLatin1(store::Database::FileName)));
    QStringList folders{backupFolder()};
    if (!secondPlace().isEmpty()) {
        folders << secondPlace();
    }
    std::unique_ptr<StagedRestore> staged;
    QString safety;
    {
        Busy busy;
        for (const QString& zip : backupsNewestFirst(folders)) {
            try {
                staged = prepareRestore(zip, language);
                break;
            } catch (const store::Error&) {
                // Not whole: the next older one is tried.
            }
        }
        if (!staged) {
            QStringList shown;
            for (const QString& f : std::as_const(folders)) {
                shown << native(f);
            }
            error(text(Text::DamagedNoBackup, language)
                      .arg(database, shown.join(data::messageBreak())));
            return false;
        }
        if (!busy.yes(text(Text::DamagedAtStart, language)
                          .arg(database, staged->describe(language), native(backupFolder())))) {
            inform(text(Text::DamagedDeclined, language));
            return false;
        }
        try {
            safety = commitRestore(*staged, language, dm);
        } catch (const store::Error& e) {
            error(toolkit::errorText(e) + data::messageBreak() +
                  text(Text::NothingChanged, language));
            return false;
        }
    }
    detail::runState().damageReported = false;
    inform(text(Text::RestoreDone, language).arg(native(safety)));
    return true;
}

void remindOfOutsideBackup(int language) {
    // A damaged database the user was just told of cannot be backed up: no reminder to.
    if (detail::runState().reminded || detail::runState().damageReported) {
        return;
    }
    try {
        // Nothing can be saved from a folder the user may only read.
        if (store::Session::database(QString::fromLatin1(data::TDM::Alias))->readOnly()) {
            return;
        }
    } catch (const store::Error&) {
        return;
    }
    const int days = daysWithoutOutsideBackup(QDateTime::currentDateTime());
    if (days < 30) {
        return;
    }
    detail::runState().reminded = true;
    if (dialogs().MessageDlg(text(Text::Reminder, language).arg(days), MsgType::Confirmation,
                             Button::Yes | Button::No) == toolkit::mrYes) {
        takeBackup(language);
    }
}

}  // namespace backup
