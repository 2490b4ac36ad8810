// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCommandLineParser>
#include <QTimer>
#include <cstdio>

#include "data/datafolder.h"
#include "data/dm.h"
#include "hovedform.h"
#include "i18n/langsource.h"
#include "i18n/texts.h"
#include "installcheck.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "widgets/justone.h"

namespace {

// Without a desktop Qt would abort; say so plainly instead.
bool haveDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariableIsSet("QT_QPA_PLATFORM");
}

}  // namespace

int main(int argc, char** argv) {
    if (!haveDisplay()) {
        std::fputs(
            "Verdamo is a desktop program and needs a graphical display, but none was found "
            "(DISPLAY is not set). Start it from the desktop.\n",
            stderr);
        return 2;
    }
    toolkit::Application app(argc, argv);
    // No display name: Qt would append it to every window title. The application title
    // "Vexmo" is the toolkit's (toolkit::applicationTitle()).
    QApplication::setApplicationName(QStringLiteral("Verdamo"));
    QApplication::setApplicationVersion(QStringLiteral(VERDAMO_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.verdamo.Verdamo"));

    QCommandLineParser options;
    options.setApplicationDescription(QStringLiteral("Verdamo: the garden register"));
    options.addHelpOption();
    options.addVersionOption();
    const QCommandLineOption checkOption(
        QStringLiteral("check-installation"),
        QStringLiteral("Start, report the language files, help pages and default pictures "
                       "found, and end."));
    options.addOption(checkOption);
    options.process(app);
    data::registerDataFolder();

    app::THovedForm HovedForm;
    // The installation check runs beside a copy the user may have open.
    if (!options.isSet(checkOption) && widgets::TJustOne::anotherCopyRunning()) {
        // The running copy has come forward instead; one that does not answer is said so,
        // and this copy ends without ever opening the data.
        if (HovedForm.guard()->otherCopyBusy()) {
            // The box's title and button in that language too.
            toolkit::reportErrors([&HovedForm] {
                HovedForm.languageSource()->SetActiveLanguage(i18n::desktopLanguage());
            });
            toolkit::dialogs().MessageDlg(widgets::TJustOne::busyText(), toolkit::MsgType::Warning,
                                          toolkit::Button::OK);
            return 1;
        }
        return 0;
    }
    data::TDM DM;
    HovedForm.show();
    if (options.isSet(checkOption)) {
        // Once the window is up, as a user would have it.
        QTimer::singleShot(0, &HovedForm, [&HovedForm] {
            bool all = false;
            for (const QString& line : app::checkInstallation(HovedForm, &all)) {
                std::printf("%s\n", qPrintable(line));
            }
            std::fflush(stdout);
            QCoreApplication::exit(all ? 0 : 1);
        });
    }
    return QApplication::exec();
}
