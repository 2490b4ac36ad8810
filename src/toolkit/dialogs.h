// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QString>

class QWidget;

namespace toolkit {

enum class MsgType { Warning, Error, Information, Confirmation };

enum class Button { OK = 1, Yes = 2, No = 4, Cancel = 8 };
Q_DECLARE_FLAGS(Buttons, Button)

// Answers as the program tests them: Yes is 6.
enum ModalResult { mrNone = 0, mrOk = 1, mrCancel = 2, mrYes = 6, mrNo = 7 };

// Every message box and file dialog of the program goes through this service, so tests
// can answer them by script.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    // A typed box: the title follows the type; titles and buttons speak the active
    // language ([DialogTexts], Danish built in). Texts are plain, whatever they hold.
    virtual int MessageDlg(const QString& text, MsgType type, Buttons buttons) = 0;
    // The plain notice box with the application's title and OK.
    virtual void ShowMessage(const QString& text) = 0;
    // The standard box for an error nobody caught.
    virtual void ShowError(const QString& text) = 0;
    // One file through a filter such as "Billede (*.jpg)|*.jpg"; empty when cancelled.
    virtual QString OpenFile(const QString& filter) = 0;
    // A file to write through such a filter, offering a suggested path; empty when cancelled.
    virtual QString SaveFile(const QString& filter, const QString& suggested) = 0;
    // An existing folder; empty when cancelled.
    virtual QString ChooseFolder(const QString& start) = 0;

    static QString titleOf(MsgType type);
    static QString captionOf(Button b);
};

Dialogs& dialogs();

// The question of grids and navigators before a row is deleted, in the active language.
QString deleteRecordQuestion();
// The application's title, on the plain notice box, the error box and the single-copy
// guard; the windows' titles are their own.
QString applicationTitle();
// Replaces the service (tests); null restores the real boxes.
void setDialogs(Dialogs* d);

// Converts "Name (*.jpg)|*.jpg|Other|*.png" into Qt's "Name (*.jpg);;Other (*.png)".
QString qtFileFilter(const QString& filter);

}  // namespace toolkit

Q_DECLARE_OPERATORS_FOR_FLAGS(toolkit::Buttons)
