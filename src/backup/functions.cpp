#include "functions.h"

#include <QApplication>
#include <QCursor>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "archive.h"
#include "csv.h"
#include "data/datafolder.h"
#include "oldimport.h"
#include "store/errors.h"
#include "texts.h"
#include "toolkit/dialogs.h"

namespace backup {

namespace {

using toolkit::Button;
using toolkit::dialogs;
using toolkit::MsgType;

// A wait cursor for as long as the work takes.
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

private:
    bool m_on = false;
};

void inform(const QString& message) {
    dialogs().MessageDlg(message, MsgType::Information, Button::OK);
}

void error(const QString& message) {
    dialogs().MessageDlg(message, MsgType::Error, Button::OK);
}

const QString zipFilter = QStringLiteral("Sikkerhedskopi (*.zip)|*.zip");

}  // namespace

void takeBackup(int language) {
    QString path;
    try {
        QDir().mkpath(backupFolder());
        path = dialogs().SaveFile(
            zipFilter, QDir(backupFolder())
                           .filePath(backupFileName(Kind::Manual, QDateTime::currentDateTime())));
        if (path.isEmpty()) {
            return;
        }
        if (QFileInfo(path).suffix().isEmpty()) {
            path += QStringLiteral(".zip");
        }
        Busy busy;
        writeBackup(path, language);
    } catch (const store::Error& e) {
        error(e.message());
        return;
    }
    inform(text(Text::BackupSaved, language).arg(QDir::toNativeSeparators(path)));
}

void restoreFromBackup(int language, data::TDM* dm) {
    const QString path = dialogs().OpenFile(zipFilter);
    if (path.isEmpty()) {
        return;
    }
    QString safety;
    try {
        Busy busy;
        safety = restoreBackup(path, language, dm, [&](const QString& folder) {
            QApplication::restoreOverrideCursor();
            const bool yes =
                dialogs().MessageDlg(
                    text(Text::RestoreConfirm, language)
                        .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(folder)),
                    MsgType::Confirmation, Button::Yes | Button::No) == toolkit::mrYes;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return yes;
        });
    } catch (const store::Error& e) {
        error(e.message() + data::messageBreak() + text(Text::NothingChanged, language));
        return;
    }
    if (!safety.isEmpty()) {
        inform(text(Text::RestoreDone, language).arg(QDir::toNativeSeparators(safety)));
    }
}

void exportToCsv(int language, data::TDM* dm) {
    const QString folder =
        dialogs().ChooseFolder(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (folder.isEmpty()) {
        return;
    }
    const CsvFormat regional = regionalCsvFormat();
    // Where the region writes numbers with a point, its separators are the plain ones.
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
        n = exportCsv(*dm, folder, answer == toolkit::mrYes ? regional : CsvFormat());
    } catch (const store::Error& e) {
        error(text(Text::CsvFailed, language).arg(e.message()));
        return;
    }
    inform(text(Text::CsvDone, language)
               .arg(n.plants)
               .arg(n.works)
               .arg(n.materials)
               .arg(n.names)
               .arg(QDir::toNativeSeparators(folder)));
}

void importOldTables(int language, data::TDM* dm) {
    const QString folder = dialogs().ChooseFolder(QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    ImportReport report;
    try {
        Busy busy;
        report = importOldData(folder, language, dm, [&] {
            QApplication::restoreOverrideCursor();
            const bool yes =
                dialogs().MessageDlg(
                    text(Text::ImportConfirm, language).arg(QDir::toNativeSeparators(folder)),
                    MsgType::Confirmation, Button::Yes | Button::No) == toolkit::mrYes;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            return yes;
        });
    } catch (const store::Error& e) {
        error(e.message());
        return;
    }
    if (!report.cancelled) {
        inform(importReportText(report, language));
    }
}

void dailyBackupAtClose(int language) {
    Busy busy;
    dailyBackup(QDateTime::currentDateTime(), language);
}

}  // namespace backup
