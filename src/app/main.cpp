#include <QDir>
#include <QTextStream>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "store/session.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"

int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Verdamo"));
    QApplication::setApplicationDisplayName(QStringLiteral("Vexmo"));
    QApplication::setApplicationVersion(QStringLiteral(VERDAMO_VERSION));
    data::registerDefaultDataFolder();

    data::TDM dm;
    int status = 0;
    QTextStream out(stdout);
    toolkit::reportErrors([&] {
        status = 1;
        dm.ConfigTable->Open();
        for (store::Table* t : dm.tablesInOpeningOrder()) {
            t->Open();
        }
        out << "Verdamo " << VERDAMO_VERSION << ": data folder " << data::dataFolder() << '\n'
            << "  plants " << dm.PlanteTable->RecordCount() << ", garden works "
            << dm.HaveTable->RecordCount() << ", catalogue names " << dm.NavneTable->RecordCount()
            << ", families " << dm.FamilieTable->RecordCount() << ", plant types "
            << dm.TypeTable->RecordCount() << '\n'
            << "The windows are not built yet; the data module started and closed cleanly.\n";
        status = 0;
    });
    return status;
}
