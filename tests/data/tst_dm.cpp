#include <QDir>
#include <QFile>
#include <QSet>
#include <QtTest>
#include <memory>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "store/session.h"
#include "testsupport.h"

using store::DataSetState;
using store::Table;

namespace {

int regnr(Table& t) {
    return t.FieldByName(QStringLiteral("Regnr")).AsInteger();
}

QList<int> counterRows(Table& t) {
    QList<int> out;
    t.First();
    while (!t.Eof()) {
        out << regnr(t);
        t.Next();
    }
    return out;
}

void addCounterRows(Table& counter, int upTo) {
    for (int n = 1; n <= upTo; ++n) {
        counter.Append();
        counter.FieldByName(QStringLiteral("Regnr")).setAsInteger(n);
        counter.Post();
    }
}

// A garden work with a name, posted.
void addWork(data::TDM& dm, const QString& name) {
    dm.HaveTable->Insert();
    dm.HaveTable->FieldByName(QStringLiteral("Arbejdet")).setAsString(name);
    dm.HaveTable->Post();
}

void addMaterial(data::TDM& dm, const QString& name, const QString& antal, const QString& pris) {
    dm.MaterialeTable->Insert();
    dm.MaterialeTableMaterialer->setAsString(name);
    dm.MaterialeTableAntal->setAsString(antal);
    dm.MaterialeTablePris->setAsString(pris);
    dm.MaterialeTable->Post();
}

}  // namespace

class DataModuleTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<data::TDM> m_dm;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
    }

    void cleanup() {
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theNineTablesAreThereWithTheirNames() {
        QCOMPARE(m_dm->PlanteTable->objectName(), QStringLiteral("PlanteTable"));
        QCOMPARE(m_dm->HaveSource->DataSet(), m_dm->HaveTable);
        QCOMPARE(m_dm->MaterialeTable->TableName(), QStringLiteral("Materialer.db"));
        QCOMPARE(m_dm->HaveTable->TableName(), QStringLiteral("Vexmo.DB"));
        QCOMPARE(m_dm->PlanteTable->DatabaseName(), QStringLiteral("Vexmo"));
        const QStringList plantFields = {
            "Regnr",      "Plantenavn",    "Latin",         "Antal",         "Plantetype",
            "Familie",    "Lysforhold",    "Jordbund",      "Stoerrelse",    "Blomster",
            "Blomstring", "Plantning",     "Vanding",       "Goedning",      "Placering",
            "Plantet",    "Omplantning_1", "Omplantning_2", "Omplantning_3", "Omplantning_4",
            "Fjernet",    "Erhvervet_fra", "Pris",          "Notater"};
        QStringList names;
        for (int i = 0; i < m_dm->PlanteTable->FieldCount(); ++i) {
            names << m_dm->PlanteTable->Fields(i).FieldName();
        }
        QCOMPARE(names, plantFields);
        QCOMPARE(m_dm->MaterialeTable->FieldCount(), 8);
        QCOMPARE(m_dm->MaterialeTable->Fields(6).FieldName(), QStringLiteral("Ialt"));
        QVERIFY(m_dm->MaterialeTableIalt->Calculated());
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Datoslut")).DataType(),
                 store::FieldType::Date);
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Pris")).DataType(),
                 store::FieldType::Currency);
        QCOMPARE(m_dm->ConfigTable->RecordCount(), 1);
    }

    void theStarterListsAreFilledIn() {
        QVERIFY(m_dm->NavneTable->RecordCount() >= 150);
        QVERIFY(m_dm->FamilieTable->RecordCount() >= 10);
        QVERIFY(m_dm->TypeTable->RecordCount() >= 5);
        QSet<QString> names;
        Table& navne = *m_dm->NavneTable;
        for (navne.First(); !navne.Eof(); navne.Next()) {
            const QString n = navne.FieldByName(QStringLiteral("Navn")).AsString();
            const QString l = navne.FieldByName(QStringLiteral("Latin")).AsString();
            QVERIFY2(!n.isEmpty() && !l.isEmpty(), qPrintable(n));
            names.insert(n);
        }
        QVERIFY(names.contains(QStringLiteral("Løvefod")));
        QVERIFY(m_dm->FamilieTable->Locate(QStringLiteral("Familie"), QStringLiteral("Rosaceae")));
    }

    void plantNumbersComeFromTheCounter() {
        Table& plants = *m_dm->PlanteTable;
        Table& counter = *m_dm->RegTable;
        plants.Insert();
        QCOMPARE(regnr(plants), 1);  // empty counter: the first plant is number 1
        QCOMPARE(counterRows(counter), (QList<int>{1}));
        QCOMPARE(plants.State(), DataSetState::Insert);  // the plant itself is not posted
        plants.Cancel();
        QCOMPARE(plants.RecordCount(), 0);
        QCOMPARE(counterRows(counter), (QList<int>{1}));  // the number stays issued

        while (!counter.IsEmpty()) {
            counter.Delete();
        }
        addCounterRows(counter, 7);
        plants.Insert();
        QCOMPARE(regnr(plants), 8);
        // Giving the number back: cancel the plant, delete the counter's current row.
        plants.Cancel();
        QCOMPARE(regnr(counter), 8);
        counter.Delete();
        plants.Insert();
        QCOMPARE(regnr(plants), 8);
        plants.FieldByName(QStringLiteral("Plantenavn")).setAsString(QStringLiteral("Rose"));
        plants.Post();
        // A deleted plant's number is never issued again.
        plants.Delete();
        plants.Insert();
        QCOMPARE(regnr(plants), 9);
        QCOMPARE(counterRows(counter), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }

    void aRefusedCounterRowLeavesTheNewRowWithoutANumber() {
        // A filter on the counter hides its highest numbers, so the next one is taken.
        Table& counter = *m_dm->HaveRegTable;
        addCounterRows(counter, 5);
        counter.setFilter(QStringLiteral("Regnr < 3"));
        counter.setFiltered(true);
        Table& works = *m_dm->HaveTable;
        QVERIFY_THROWS_EXCEPTION(store::SilentAbort, works.Insert());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{data::duplicateWarningText()});
        QCOMPARE(works.State(), DataSetState::Insert);
        QVERIFY(works.FieldByName(QStringLiteral("Regnr")).IsNull());
        QVERIFY(works.FieldByName(QStringLiteral("Planlagt")).IsNull());  // the rest is skipped
        QCOMPARE(counter.State(), DataSetState::Browse);  // the refused row is not left pending
        counter.setFiltered(false);
        QCOMPARE(counterRows(counter), (QList<int>{1, 2, 3, 4, 5}));
        works.Cancel();
    }

    void aNewGardenWorkIsNotPlanned() {
        Table& works = *m_dm->HaveTable;
        works.Insert();
        QCOMPARE(works.FieldByName(QStringLiteral("Planlagt")).AsString(), QStringLiteral("Nej"));
        QCOMPARE(regnr(works), 1);
        QCOMPARE(counterRows(*m_dm->HaveRegTable), (QList<int>{1}));
        QVERIFY(works.FieldByName(QStringLiteral("Placering")).IsNull());
        QCOMPARE(counterRows(*m_dm->RegTable), QList<int>{});  // the plant counter is untouched
    }

    void duplicatesAreRefusedWithOneWarning_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("values");
        QTest::newRow("families") << "FamilieTable" << QStringList{"Familie"}
                                  << QStringList{"Rosaceae"};
        QTest::newRow("plant types")
            << "TypeTable" << QStringList{"Plantetype"} << QStringList{"Staude"};
        QTest::newRow("catalogue") << "NavneTable" << QStringList{"Navn", "Latin"}
                                   << QStringList{"Løvefod", "Alchemilla mollis"};
        QTest::newRow("garden-work counter")
            << "HaveRegTable" << QStringList{"Regnr"} << QStringList{"1"};
        QTest::newRow("plants") << "PlanteTable" << QStringList{"Regnr"} << QStringList{"1"};
        QTest::newRow("garden works") << "HaveTable" << QStringList{"Regnr"} << QStringList{"1"};
    }

    void duplicatesAreRefusedWithOneWarning() {
        QFETCH(QString, table);
        QFETCH(QStringList, fields);
        QFETCH(QStringList, values);
        Table* t = m_dm->findChild<Table*>(table);
        QVERIFY(t);
        // Make sure a row with the key exists.
        auto fill = [&] {
            for (int i = 0; i < fields.size(); ++i) {
                t->FieldByName(fields[i]).setAsString(values[i]);
            }
        };
        if (!t->Locate(fields.first(), values.first())) {
            t->Insert();
            fill();
            t->Post();
        }
        const int before = t->RecordCount();
        t->Insert();
        fill();
        QVERIFY_THROWS_EXCEPTION(store::SilentAbort, t->Post());
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().text,
                 QStringLiteral("Der findes en tilsvarende registrering i forvejen."));
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Warning);
        QCOMPARE(m_dialogs->shown.first().buttons, toolkit::Buttons(toolkit::Button::OK));
        QCOMPARE(t->State(), DataSetState::Insert);  // the values stay for the user to change
        QCOMPARE(t->FieldByName(fields.first()).AsString(), values.first());
        t->Cancel();
        QCOMPARE(t->RecordCount(), before);
    }

    void lineTotals_data() {
        QTest::addColumn<QString>("antal");
        QTest::addColumn<QString>("pris");
        QTest::addColumn<double>("ialt");
        QTest::newRow("3 x 12,50") << "3"
                                   << "12,50" << 37.5;
        QTest::newRow("empty price") << "3"
                                     << "" << 0.0;
        QTest::newRow("empty quantity") << ""
                                        << "12,50" << 0.0;
        QTest::newRow("not rounded to cents") << "3"
                                              << "0,333" << 0.999;
        QTest::newRow("negative") << "-2"
                                  << "1,25" << -2.5;
    }

    void lineTotals() {
        QFETCH(QString, antal);
        QFETCH(QString, pris);
        QFETCH(double, ialt);
        addWork(*m_dm, QStringLiteral("Bed"));
        addMaterial(*m_dm, QStringLiteral("Sten"), antal, pris);
        QCOMPARE(m_dm->MaterialeTableIalt->AsFloat(), ialt);
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 1);
    }

    void theTotalFollowsEditsAndIsNeverStored() {
        addWork(*m_dm, QStringLiteral("Terrasse"));
        addMaterial(*m_dm, QStringLiteral("Fliser"), QStringLiteral("10"), QStringLiteral("20"));
        Table& m = *m_dm->MaterialeTable;
        m.Edit();
        m_dm->MaterialeTableAntal->setAsString(QStringLiteral("3"));
        QCOMPARE(m_dm->MaterialeTableIalt->AsFloat(), 60.0);
        m_dm->MaterialeTablePris->setAsString(QStringLiteral("12,50"));
        QCOMPARE(m_dm->MaterialeTableIalt->AsFloat(), 37.5);
        m.Post();
        QCOMPARE(m_dm->MaterialeTableIalt->DisplayText().contains(QStringLiteral("37,50")), true);
        QVERIFY(
            !store::Session::database(QStringLiteral("Vexmo"))->hasTable(QStringLiteral("Ialt")));
        QCOMPARE(m_dm->MaterialeTableIalt->Calculated(), true);
    }

    void materialsFollowTheCurrentWork() {
        Table& works = *m_dm->HaveTable;
        for (int i = 1; i <= 12; ++i) {
            addWork(*m_dm, QStringLiteral("Arbejde %1").arg(i));
        }
        QCOMPARE(regnr(works), 12);
        // A new material of work 12 carries its number and name before anything is typed.
        m_dm->MaterialeTable->Insert();
        QCOMPARE(m_dm->MaterialeTableRegnr->AsInteger(), 12);
        QCOMPARE(m_dm->MaterialeTableArbejdet->AsString(), QStringLiteral("Arbejde 12"));
        m_dm->MaterialeTable->Cancel();
        addMaterial(*m_dm, QStringLiteral("Grus"), QStringLiteral("2"), QStringLiteral("100"));
        addMaterial(*m_dm, QStringLiteral("Sand"), QStringLiteral("1"), QStringLiteral("50"));
        works.First();
        addMaterial(*m_dm, QStringLiteral("Pæle"), QStringLiteral("4"), QStringLiteral("25"));
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 1);
        works.Last();
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 2);
        QCOMPARE(m_dm->MaterialeTableMaterialer->AsString(), QStringLiteral("Grus"));

        // Renamed after its materials were added, the work no longer shows them.
        works.Edit();
        works.FieldByName(QStringLiteral("Arbejdet")).setAsString(QStringLiteral("Nyt navn"));
        works.Post();
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 0);
        works.Edit();
        works.FieldByName(QStringLiteral("Arbejdet")).setAsString(QStringLiteral("Arbejde 12"));
        works.Post();
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 2);

        // Deleting a work leaves its materials in the table.
        works.Delete();
        QCOMPARE(regnr(works), 11);
        m_dm->MaterialeTable->setMasterSource(nullptr);
        m_dm->MaterialeTable->Close();
        m_dm->MaterialeTable->Open();
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 3);
        m_dm->MaterialeTable->setMasterSource(&works);
    }

    void aWorkCanHaveAnyNumberOfMaterials() {
        addWork(*m_dm, QStringLiteral("Hæk"));
        for (int i = 0; i < 30; ++i) {
            addMaterial(*m_dm, QStringLiteral("Bøgeplanter"), QStringLiteral("1"),
                        QStringLiteral("15"));
        }
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 30);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void typeMismatchInTheMaterialsTableStopsItsOpening() {
        m_dm.reset();
        store::Session::closeAll();
        // A folder whose materials table keeps its price as text, and has no plant table.
        QTemporaryDir dir;
        {
            store::Database db(dir.path(), true);
            db.createTable({QStringLiteral("Materialer.db"),
                            {{QStringLiteral("Regnr"), store::FieldType::Integer},
                             {QStringLiteral("Arbejdet"), store::FieldType::String, 100},
                             {QStringLiteral("Materialer"), store::FieldType::String, 40},
                             {QStringLiteral("Antal"), store::FieldType::Integer},
                             {QStringLiteral("Pris"), store::FieldType::String},
                             {QStringLiteral("Forhandler"), store::FieldType::String, 50},
                             {QStringLiteral("Notater"), store::FieldType::Memo}},
                            {QStringLiteral("Regnr"), QStringLiteral("Arbejdet")},
                            false});
        }
        store::Session::setAliasPath(QStringLiteral("Vexmo"), dir.path());
        m_dm = std::make_unique<data::TDM>();
        try {
            m_dm->MaterialeTable->Open();
            QFAIL("opened");
        } catch (const store::Error& e) {
            QCOMPARE(e.message(),
                     QStringLiteral(
                         "Type mismatch for field 'Pris', expecting: Currency actual: String"));
        }
        // A data folder lacking a table is the store's error, not a new table.
        try {
            m_dm->PlanteTable->Open();
            QFAIL("opened");
        } catch (const store::StoreError& e) {
            QVERIFY(e.message().contains(QStringLiteral("Planter.db")));
        }
    }

    void settingsRoundTrip() {
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
        QCOMPARE(data::readSetting(QStringLiteral("W_Main")), 1032);
        QCOMPARE(data::readSetting(QStringLiteral("H_Main")), 770);
        QCOMPARE(data::readSetting(QStringLiteral("H_Oversigt")), 770);
        data::writeSettings(
            {{QStringLiteral("Sprog"), QStringLiteral("2")}});  // as the menu writes it
        data::writeSettings(
            {{QStringLiteral("H_Oversigt"), 500}, {QStringLiteral("W_Oversigt"), 640}});
        m_dm.reset();
        store::Session::closeAll();
        m_dm = std::make_unique<data::TDM>();
        m_dm->ConfigTable->Open();
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 2);
        QCOMPARE(data::readSetting(QStringLiteral("H_Oversigt")), 500);
        QCOMPARE(data::readSetting(QStringLiteral("W_Oversigt")), 640);
        QCOMPARE(data::readSetting(QStringLiteral("W_Have")), 1032);  // the others keep theirs
        QCOMPARE(m_dm->ConfigTable->State(), DataSetState::Browse);
        // A refused value leaves the record as it was and not in edit state.
        QVERIFY_THROWS_EXCEPTION(
            store::Error, data::writeSettings({{QStringLiteral("Sprog"), QStringLiteral("x")}}));
        QCOMPARE(m_dm->ConfigTable->State(), DataSetState::Browse);
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 2);
        // An empty language reads as 0.
        data::writeSettings({{QStringLiteral("Sprog"), QVariant()}});
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 0);
    }

    void dataLocationNotice_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("heading");
        QTest::addColumn<QString>("advice");
        QTest::addColumn<QString>("warning");
        QTest::addColumn<QString>("closing");
        QTest::newRow("Danish")
            << -1 << "Data for dette program er placeret i: "
            << "Det er meget vigtigt, at du sikkerhedskopierer filer i datamappen mindst en gang "
               "om dagen!"
            << "VIGTIGT!"
            << "Dette program må IKKE være åbent under sikkerhedskopiering af data.";
        QTest::newRow("English")
            << 0 << "Data for this program are located in: "
            << "It is very important, to backup files in the data folder at least once a day!"
            << "IMPORTANT!"
            << "This program should NOT be open during data backup.";
        QTest::newRow("Norwegian")
            << 1 << "Data for dette programmet ligger i: "
            << "Det er svært viktig at du sikkerhetskopierer data filene i mappen minst en gang om "
               "dagen!"
            << "VIGTIGT!"
            << "Dette programmet bør IKKE være åpen under sikkerhetskopiering av data.";
        QTest::newRow("Swedish")
            << 2 << "Data för detta program finns i: "
            << "Det är mycket viktigt att du säkerhetskopierar data filer i mappen minst en gång "
               "om dagen!"
            << "VIGTIGT!"
            << "Detta program bör inte vara öppet under säkerhetskopiering av data.";
        QTest::newRow("German")
            << 3 << "Die Daten für dieses Programm befinden sich in: "
            << "Es ist sehr wichtig, dass Sie eine Sicherungskopie von Daten-Dateien, mindestens "
               "einmal pro Tag!"
            << "Von großer Bedeutung!"
            << "Dieses Programm sollte nicht geöffnet werden, während der Daten-Backup.";
    }

    void dataLocationNotice() {
        QFETCH(int, language);
        QFETCH(QString, heading);
        QFETCH(QString, advice);
        QFETCH(QString, warning);
        QFETCH(QString, closing);
        const QString br = QStringLiteral("\n\r");
        QCOMPARE(data::dataFolder(), m_folder->path());
        QCOMPARE(data::dataLocationNotice(language), heading + br + br + m_folder->path() + br +
                                                         br + advice + br + br + warning + br +
                                                         closing);
    }

    void theFolderIsTakenAsItStandsInTheAlias() {
        const QString odd = m_folder->path() + QStringLiteral("/./");
        store::Session::setAliasPath(QStringLiteral("Vexmo"), odd);
        QCOMPARE(data::dataFolder(), odd);
        QVERIFY(data::dataLocationNotice(-1).contains(QStringLiteral("i: \n\r\n\r") + odd +
                                                      QStringLiteral("\n\r")));
    }

    void theFirstStartMakesTheDefaultDataFolder() {
        m_dm.reset();
        store::Session::closeAll();
        QFile::remove(store::Session::aliasFile());
        store::Session::reloadConfiguration();
        data::registerDataFolder();
        data::TDM dm;
        testsupport::openAll(dm);
        QCOMPARE(data::dataFolder(),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
        QVERIFY(dm.NavneTable->RecordCount() >= 150);
        QCOMPARE(dm.PlanteTable->RecordCount(), 0);
    }
};

QTEST_MAIN(DataModuleTest)
#include "tst_dm.moc"
