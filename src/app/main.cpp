#include <cstdio>

#include "data/datafolder.h"
#include "data/dm.h"
#include "hovedform.h"
#include "toolkit/application.h"
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
    QApplication::setApplicationName(QStringLiteral("Verdamo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vexmo"));
    QApplication::setApplicationVersion(QStringLiteral(VERDAMO_VERSION));
    data::registerDefaultDataFolder();

    app::THovedForm HovedForm;
    if (widgets::TJustOne::anotherCopyRunning()) {
        return 0;  // the running copy has come forward instead
    }
    data::TDM DM;
    HovedForm.show();
    return QApplication::exec();
}
