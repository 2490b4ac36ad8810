// SPDX-License-Identifier: GPL-3.0-or-later
#include "plants.h"

#include <QDate>
#include <QFile>
#include <QLocale>
#include <QStandardPaths>
#include <random>

#include "data/datafolder.h"
#include "data/dm.h"
#include "rawsqlite.h"
#include "store/format.h"
#include "store/session.h"

namespace benchfig {

const std::array<const char*, 30> Families = {
    "Amaranthaceae",   "Amaryllidaceae", "Apiaceae",      "Asparagaceae",    "Asteraceae",
    "Betulaceae",      "Boraginaceae",   "Brassicaceae",  "Campanulaceae",   "Caprifoliaceae",
    "Caryophyllaceae", "Crassulaceae",   "Cucurbitaceae", "Cupressaceae",    "Ericaceae",
    "Fabaceae",        "Fagaceae",       "Geraniaceae",   "Grossulariaceae", "Hydrangeaceae",
    "Iridaceae",       "Lamiaceae",      "Liliaceae",     "Oleaceae",        "Paeoniaceae",
    "Papaveraceae",    "Pinaceae",       "Poaceae",       "Ranunculaceae",   "Rosaceae"};

namespace {

struct PlantName {
    const char* name;
    const char* latin;
};
const std::array<PlantName, 16> Names = {{{"Rose", "Rosa"},
                                          {"Lavendel", "Lavandula angustifolia"},
                                          {"Pæon", "Paeonia lactiflora"},
                                          {"Tulipan", "Tulipa"},
                                          {"Hortensia", "Hydrangea macrophylla"},
                                          {"Solhat", "Rudbeckia fulgida"},
                                          {"Akeleje", "Aquilegia vulgaris"},
                                          {"Rododendron", "Rhododendron"},
                                          {"Klokkeblomst", "Campanula persicifolia"},
                                          {"Tomat", "Solanum lycopersicum"},
                                          {"Ribs", "Ribes rubrum"},
                                          {"Syren", "Syringa vulgaris"},
                                          {"Birk", "Betula pendula"},
                                          {"Ærteblomst", "Lathyrus odoratus"},
                                          {"Salvie", "Salvia officinalis"},
                                          {"Iris", "Iris sibirica"}}};
const std::array<const char*, 6> Types = {"Staude", "Busk", "Træ", "Løg", "Enårig", "Klatreplante"};
const std::array<const char*, 3> Light = {"Sol", "Halvskygge", "Skygge"};
const std::array<const char*, 4> Soil = {"Muldrig", "Sandet", "Leret", "Kalkholdig"};
const std::array<const char*, 5> Colours = {"Hvid", "Rød", "Gul", "Blå", "Lyserød"};
const std::array<const char*, 4> Shops = {"Planteskolen", "Havecentret", "Byttet med nabo",
                                          "Frø fra egen have"};

}  // namespace

void useDanishTestSettings() {
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    store::setShortDateFormat(QStringLiteral("dd-MM-yyyy"));
}

QString plantName(int regnr) {
    const PlantName& n = Names[size_t(regnr) % Names.size()];
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(n.name)).arg(regnr % 50 + 1);
}

QString familyFilter(int family) {
    return QStringLiteral("Familie = '%1'").arg(QString::fromLatin1(Families[size_t(family)]));
}

PlantSet writePlants(const QByteArray& dbPath, int count, bool keepNames) {
    PlantSet set;
    RawDb db(dbPath);
    RawStmt ins(db,
                "INSERT INTO Planter (Regnr, Plantenavn, Latin, Antal, Plantetype, Familie, "
                "Lysforhold, Jordbund, Stoerrelse, Blomster, Blomstring, Plantning, Vanding, "
                "Goedning, Placering, Plantet, Omplantning_1, Fjernet, Erhvervet_fra, Pris, "
                "Notater) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
    std::mt19937 rng(20240501);
    auto pick = [&](size_t n) { return size_t(rng() % n); };
    const QDate start(2008, 3, 1);
    db.exec("BEGIN IMMEDIATE");
    for (int regnr = 1; regnr <= count; ++regnr) {
        const PlantName& n = Names[size_t(regnr) % Names.size()];
        const size_t family = pick(Families.size());
        ++set.familyCount[family];
        const QDate planted = start.addDays(qint64(pick(5800)));
        const QString name = plantName(regnr);
        if (keepNames) {
            set.names << name;
        }
        ins.integer(1, regnr);
        ins.text(2, name);
        ins.text(3, QStringLiteral("%1 %2").arg(QString::fromUtf8(n.latin)).arg(regnr % 50 + 1));
        ins.integer(4, qint64(pick(12) + 1));
        ins.text(5, QString::fromUtf8(Types[pick(Types.size())]));
        ins.text(6, QString::fromLatin1(Families[family]));
        ins.text(7, QString::fromUtf8(Light[pick(Light.size())]));
        ins.text(8, QString::fromUtf8(Soil[pick(Soil.size())]));
        ins.text(9, QStringLiteral("%1-%2 cm").arg(pick(5) * 20 + 10).arg(pick(5) * 40 + 60));
        ins.text(10, QString::fromUtf8(Colours[pick(Colours.size())]));
        ins.text(11, QStringLiteral("Juni-August"));
        ins.text(12, QStringLiteral("Forår, 30 cm mellem planterne"));
        ins.text(13, QStringLiteral("Rigeligt i tørre perioder"));
        ins.text(14, QStringLiteral("Kompost om foråret"));
        ins.text(15, QStringLiteral("Bed %1").arg(pick(40) + 1));
        ins.text(16, planted.toString(Qt::ISODate));
        if (pick(10) < 3) {
            ins.text(17, planted.addDays(qint64(pick(900) + 30)).toString(Qt::ISODate));
        } else {
            ins.null(17);
        }
        if (pick(20) == 0) {
            ins.text(18, planted.addDays(qint64(pick(2000) + 60)).toString(Qt::ISODate));
        } else {
            ins.null(18);
        }
        ins.text(19, QString::fromUtf8(Shops[pick(Shops.size())]));
        ins.real(20, double(pick(49000) + 1000) / 100.0);
        ins.text(21, QStringLiteral("Plantet i bed %1, trives godt.").arg(pick(40) + 1));
        ins.run();
    }
    db.exec("COMMIT");
    set.rows = count;
    set.firstName = plantName(1);
    set.lastName = plantName(count);
    return set;
}

QString makeDataFolder(const QString& folder, int count, PlantSet& plants, bool keepNames) {
    QString path;
    {
        store::Database db(folder, true);
        data::createTables(db);
        path = db.filePath();
    }
    plants = writePlants(QFile::encodeName(path), count, keepNames);
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), folder);
    return path;
}

}  // namespace benchfig
