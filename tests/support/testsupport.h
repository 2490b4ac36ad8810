#pragma once

#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <memory>

#include "toolkit/dialogs.h"

namespace data {
class TDM;
}

namespace testsupport {

// Answers message boxes from a script and records what they said.
class ScriptedDialogs final : public toolkit::Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "notice", "error", "file", "save", "folder"
        QString text;
        toolkit::MsgType type = toolkit::MsgType::Information;
        toolkit::Buttons buttons;
    };

    ScriptedDialogs();
    ~ScriptedDialogs() override;

    // The next boxes answer these results in order; unanswered ones give OK (or Cancel).
    QList<int> answers;
    QList<QString> files;  // answers to OpenFile, SaveFile and ChooseFolder in turn
    QList<Shown> shown;

    int MessageDlg(const QString& text, toolkit::MsgType type, toolkit::Buttons buttons) override;
    void ShowMessage(const QString& text) override;
    void ShowError(const QString& text) override;
    QString OpenFile(const QString& filter) override;
    QString SaveFile(const QString& filter, const QString& suggested) override;
    QString ChooseFolder(const QString& start) override;

    QStringList texts(const QString& kind) const;
};

// A data folder of its own for a test: the alias points at a new temporary folder that
// holds a freshly made database.
class DataFolder {
public:
    DataFolder();
    ~DataFolder();
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
};

// Points the user's configuration and data folders at a new temporary home for the run,
// so no test sees what an earlier run or the real user left there.
void isolateUserFolders();

// Opens the nine tables of a data module, the settings first, as the main window does.
void openAll(data::TDM& dm);

// Fixes what the program takes from the region: Danish numbers and dd-MM-yyyy dates.
void useDanishFormats();

// Compares text with a reviewed golden file; a missing file fails. Run the test with
// VERDAMO_UPDATE_GOLDEN=1 to write the files anew, then review them before committing.
void compareGolden(const QString& actual, const QString& goldenPath);

}  // namespace testsupport
