// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

#include "toolkit/dialogs.h"

namespace data {
class TDM;
}
class QWidget;
namespace i18n {
class TQLanguageSource;
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
        // A typed box's title and button captions as the user read them, in the language
        // active when it was shown.
        QString title = {};
        QStringList buttonCaptions = {};
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

// A stand-in for the main window's language source: a top-level widget holding the program's
// "QLanguageSource1" with its four languages, whose files are found as the program finds them
// (the test's language folder). Code that says something in the active language reads it.
class MainLanguage {
public:
    MainLanguage();
    ~MainLanguage();
    i18n::TQLanguageSource* source() const { return m_source; }
    void set(int language);

private:
    std::unique_ptr<QWidget> m_main;
    i18n::TQLanguageSource* m_source = nullptr;
};

// Points the user's configuration and data folders at a new temporary home for the run,
// so no test sees what an earlier run or the real user left there.
void isolateUserFolders();

// Opens the nine tables of a data module, the settings first, as the main window does.
void openAll(data::TDM& dm);

// Fixes what the program takes from the region: Danish numbers and dd-MM-yyyy dates.
void useDanishFormats();

// What windows show, for the tests of languages and sizes. The controls are the window's
// named ones (an objectName not starting with "qt_") that it shows now.
struct ShownText {
    QString where;  // "Button1 caption", "DBGrid1 column 2" ...
    QString text;   // as shown: without its mnemonic "&"
};
// Window title, captions, titles, tool tips, tab texts, grid column titles, menu titles and
// entries.
QList<ShownText> shownTexts(const QWidget* window);
// A caption without its mnemonic: "&Gem" is "Gem", "Sten && grus" is "Sten & grus".
QString withoutMnemonic(const QString& caption);
// The visible controls whose caption, title or text does not fit its box at its font:
// "Button5: »Luk forbrug af materialer« needs 160 x 14, has 156 x 31".
QStringList cutCaptions(const QWidget* window);
// Buttons and menu entries without one "&", and Alt letters used twice among a window's
// visible buttons and menu bar, or within one menu.
QStringList mnemonicProblems(const QWidget* window);

// Compares text with a reviewed golden file; a missing file fails. Run the test with
// VERDAMO_UPDATE_GOLDEN=1 to write the files anew, then review them before committing.
void compareGolden(const QString& actual, const QString& goldenPath);

}  // namespace testsupport
