// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDate>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QSignalSpy>
#include <QStandardPaths>
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

    // A new row whose number cannot be issued is not left behind without one.
    void aRefusedCounterRowDropsTheNewRow() {
        Table& counter = *m_dm->HaveRegTable;
        addCounterRows(counter, 5);
        store::FieldRules fewer;
        fewer.minValue = 100.0;  // the counter now refuses the next number
        counter.setFieldRules(QStringLiteral("Regnr"), fewer);
        Table& works = *m_dm->HaveTable;
        QVERIFY_THROWS_EXCEPTION(store::FieldError, works.Insert());
        QCOMPARE(works.State(), DataSetState::Browse);
        QVERIFY(works.IsEmpty());
        QCOMPARE(counter.State(), DataSetState::Browse);  // the refused row is not left pending
        QCOMPARE(counterRows(counter), (QList<int>{1, 2, 3, 4, 5}));
        counter.setFieldRules(QStringLiteral("Regnr"), {});
    }

    void aCounterBehindTheDataIsCaughtUp_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("counter");
        QTest::addColumn<int>("highestInUse");
        QTest::addColumn<bool>("orphanedMaterial");
        QTest::newRow("plants") << "PlanteTable"
                                << "RegTable" << 40 << false;
        QTest::newRow("garden works") << "HaveTable"
                                      << "HaveRegTable" << 12 << false;
        // Materials of a work deleted long ago still carry its number.
        QTest::newRow("garden works, a material's number higher") << "HaveTable"
                                                                  << "HaveRegTable" << 12 << true;
    }

    // After an old-data import, a restored backup or a hand edit the counter may lag behind
    // the numbers in use; a new row must never collide with one of them.
    void aCounterBehindTheDataIsCaughtUp() {
        QFETCH(QString, table);
        QFETCH(QString, counter);
        QFETCH(int, highestInUse);
        QFETCH(bool, orphanedMaterial);
        auto db = store::Session::database(QStringLiteral("Vexmo"));
        const bool plants = table == QLatin1String("PlanteTable");
        const QString nameField =
            plants ? QStringLiteral("Plantenavn") : QStringLiteral("Arbejdet");
        db->insertRow(plants ? QStringLiteral("Planter.db") : QStringLiteral("Vexmo.DB"),
                      {QStringLiteral("Regnr"), nameField},
                      {highestInUse, QStringLiteral("Gammel")});
        if (orphanedMaterial) {
            db->insertRow(
                QStringLiteral("Materialer.db"),
                {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"), QStringLiteral("Materialer")},
                {30, QStringLiteral("Slettet"), QStringLiteral("Sten")});
        }
        Table& t = *m_dm->findChild<Table*>(table);
        Table& c = *m_dm->findChild<Table*>(counter);
        addCounterRows(c, 3);
        t.Refresh();
        const int expected = (orphanedMaterial ? 30 : highestInUse) + 1;
        t.Insert();
        QCOMPARE(regnr(t), expected);
        QCOMPARE(counterRows(c), (QList<int>{1, 2, 3, expected}));
        t.FieldByName(nameField).setAsString(QStringLiteral("Ny"));
        t.Post();
        QVERIFY(m_dialogs->shown.isEmpty());
        if (orphanedMaterial) {
            QCOMPARE(m_dm->MaterialeTable->RecordCount(), 0);  // not the old work's stones
        }
    }

    void valuesAFieldCannotHoldAreRefused_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");  // -1: taken
        const int below = int(store::Error::Kind::BelowMinimum);
        const int tooLong = int(store::Error::Kind::TooLong);
        const int notAllowed = int(store::Error::Kind::NotAllowed);
        QTest::newRow("negative number of plants") << "PlanteTable"
                                                   << "Antal"
                                                   << "-1" << below;
        QTest::newRow("negative plant price") << "PlanteTable"
                                              << "Pris"
                                              << "-0,01" << below;
        QTest::newRow("free plant") << "PlanteTable"
                                    << "Pris"
                                    << "0" << -1;
        QTest::newRow("negative work price") << "HaveTable"
                                             << "Pris"
                                             << "-100" << below;
        QTest::newRow("negative quantity") << "MaterialeTable"
                                           << "Antal"
                                           << "-2" << below;
        QTest::newRow("negative unit price") << "MaterialeTable"
                                             << "Pris"
                                             << "-1,25" << below;
        QTest::newRow("planned x") << "HaveTable"
                                   << "Planlagt"
                                   << "x" << notAllowed;
        QTest::newRow("planned Ja") << "HaveTable"
                                    << "Planlagt"
                                    << "Ja" << -1;
        QTest::newRow("a family as long as the list holds")
            << "PlanteTable"
            << "Familie" << QString(60, QLatin1Char('f')) << -1;
        QTest::newRow("a family longer") << "PlanteTable"
                                         << "Familie" << QString(61, QLatin1Char('f')) << tooLong;
        QTest::newRow("a work name longer")
            << "HaveTable"
            << "Arbejdet" << QString(110, QLatin1Char('a')) << tooLong;
        QTest::newRow("a Latin name longer")
            << "PlanteTable"
            << "Latin" << QString(200, QLatin1Char('l')) << tooLong;
        QTest::newRow("a material longer")
            << "MaterialeTable"
            << "Materialer" << QString(41, QLatin1Char('m')) << tooLong;
    }

    void valuesAFieldCannotHoldAreRefused() {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, kind);
        addWork(*m_dm, QStringLiteral("Bed"));
        Table& t = *m_dm->findChild<Table*>(table);
        t.Insert();
        try {
            t.FieldByName(field).setAsString(text);
            QCOMPARE(kind, -1);
            QCOMPARE(t.FieldByName(field).AsString(),
                     text.startsWith(QLatin1Char('0')) ? QStringLiteral("0") : text);
        } catch (const store::FieldError& e) {
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.field(), field);
            QVERIFY(t.FieldByName(field).AsString() != text);
        }
        t.Cancel();
    }

    void aMaterialNeedsAWork() {
        // An empty register, and a filter that hides every work.
        QVERIFY_THROWS_EXCEPTION(store::Error, m_dm->MaterialeTable->Insert());
        addWork(*m_dm, QStringLiteral("Bed"));
        m_dm->HaveTable->setFilter(QStringLiteral("Planlagt = 'Ja'"));
        m_dm->HaveTable->setFiltered(true);
        try {
            m_dm->MaterialeTable->Insert();
            QFAIL("inserted");
        } catch (const store::Error& e) {
            QCOMPARE(e.message(), data::TDM::noWorkText());
            QVERIFY(e.message().startsWith(QStringLiteral("Der er intet haveanlæg")));
        }
        QCOMPARE(m_dm->MaterialeTable->State(), DataSetState::Browse);
        m_dm->HaveTable->setFiltered(false);
        addMaterial(*m_dm, QStringLiteral("Sten"), QStringLiteral("1"), QStringLiteral("2"));
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 1);
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

        // Renamed after its materials were added, the work keeps them: they take its name.
        works.Edit();
        works.FieldByName(QStringLiteral("Arbejdet")).setAsString(QStringLiteral("Nyt navn"));
        works.Post();
        QCOMPARE(m_dm->MaterialeTable->RecordCount(), 2);
        QCOMPARE(m_dm->MaterialeTableArbejdet->AsString(), QStringLiteral("Nyt navn"));

        // Deleting a work deletes its materials, and only its.
        works.Delete();
        QCOMPARE(regnr(works), 11);
        Table all;
        all.setDatabaseName(QStringLiteral("Vexmo"));
        all.setTableName(QStringLiteral("Materialer.db"));
        all.Open();
        QCOMPARE(all.RecordCount(), 1);
        QCOMPARE(all.FieldByName(QStringLiteral("Materialer")).AsString(), QStringLiteral("Pæle"));
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
        // The sizes a window had already are not written again; one changed value is.
        QSignalSpy posted(m_dm->ConfigTable, &store::Table::dataSetChanged);
        data::writeSettings(
            {{QStringLiteral("H_Oversigt"), 500}, {QStringLiteral("W_Oversigt"), 640}});
        QCOMPARE(posted.count(), 0);
        data::writeSettings(
            {{QStringLiteral("H_Oversigt"), 500}, {QStringLiteral("W_Oversigt"), 641}});
        QCOMPARE(posted.count(), 1);
        QCOMPARE(data::readSetting(QStringLiteral("W_Oversigt")), 641);
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
            << 0 << "The data of this program are located in: "
            << "It is very important to back up the files in the data folder at least once a "
               "day!"
            << "IMPORTANT!"
            << "This program must NOT be open while the data are being backed up.";
        QTest::newRow("Norwegian")
            << 1 << "Dataene for dette programmet ligger i: "
            << "Det er svært viktig at du tar sikkerhetskopi av filene i datamappen minst én gang "
               "om dagen!"
            << "VIKTIG!"
            << "Dette programmet må IKKE være åpent mens dataene sikkerhetskopieres.";
        QTest::newRow("Swedish")
            << 2 << "Data för det här programmet finns i: "
            << "Det är mycket viktigt att du säkerhetskopierar filerna i datamappen minst en gång "
               "om dagen!"
            << "VIKTIGT!"
            << "Det här programmet får INTE vara öppet medan data säkerhetskopieras.";
        QTest::newRow("German")
            << 3 << "Die Daten dieses Programms befinden sich in: "
            << "Es ist sehr wichtig, dass Sie die Dateien im Datenordner mindestens einmal "
               "täglich sichern!"
            << "WICHTIG!"
            << "Dieses Programm darf während der Datensicherung NICHT geöffnet sein.";
    }

    // Each language in its own words from its file, none in Danish but Danish.
    void dataLocationNotice() {
        QFETCH(int, language);
        QFETCH(QString, heading);
        QFETCH(QString, advice);
        QFETCH(QString, warning);
        QFETCH(QString, closing);
        testsupport::MainLanguage main;
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

    void aWrongDataFolderIsFoundBeforeOpening_data() {
        QTest::addColumn<QString>("aliases");  // %1: the data folder; empty: no alias file
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("folder");  // %1 as above
        using P = data::DataFolderProblem;
        QTest::newRow("a first start") << QString() << int(P::None) << QString();
        QTest::newRow("the alias") << "[Vexmo]\nPATH=%1\n" << int(P::None) << "%1";
        QTest::newRow("a mistyped section") << "[Vexmoo]\nPATH=%1\n"
                                            << int(P::AliasMissing) << QString();
        QTest::newRow("no folder line") << "[Vexmo]\nSTI=%1\n" << int(P::AliasMissing) << QString();
        QTest::newRow("an empty file") << "\n" << int(P::AliasMissing) << QString();
        QTest::newRow("a folder that is not there") << "[Vexmo]\nPATH=%1/flyttet\n"
                                                    << int(P::FolderMissing) << "%1/flyttet";
        QTest::newRow("a folder without the database") << "[Vexmo]\nPATH=%1/Billeder\n"
                                                       << int(P::DatabaseMissing) << "%1/Billeder";
    }

    void aWrongDataFolderIsFoundBeforeOpening() {
        QFETCH(QString, aliases);
        QFETCH(int, kind);
        QFETCH(QString, folder);
        m_dm.reset();
        store::Session::closeAll();
        QDir(m_folder->path()).mkdir(QStringLiteral("Billeder"));
        const QString file = store::Session::aliasFile();
        QFile::remove(file);
        const QString text = aliases.arg(m_folder->path());
        if (!aliases.isEmpty()) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(text.toUtf8());
        }
        store::Session::reloadConfiguration();
        const data::DataFolderProblem p = data::checkDataFolder();
        QCOMPARE(int(p.kind), kind);
        QCOMPARE(p.aliasFile, file);
        QCOMPARE(p.says, text.trimmed());
        if (kind != data::DataFolderProblem::AliasMissing) {
            QCOMPARE(p.folder, folder.arg(m_folder->path()));
        }
        // Looking never makes anything: no new database, no changed alias file.
        const QString defaultFolder =
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        QVERIFY(!QFileInfo::exists(defaultFolder));
        if (!aliases.isEmpty()) {
            QFile in(file);
            QVERIFY(in.open(QIODevice::ReadOnly));
            QCOMPARE(QString::fromUtf8(in.readAll()), text);
            if (kind != data::DataFolderProblem::None) {
                QVERIFY_THROWS_EXCEPTION(store::StoreError,
                                         store::Session::database(QStringLiteral("Vexmo")));
                QVERIFY(!QFileInfo::exists(defaultFolder));
            }
        }
    }

    void aChosenDataFolderIsWrittenToTheAlias() {
        m_dm.reset();
        store::Session::closeAll();
        QTemporaryDir empty;
        QVERIFY(!data::holdsDatabase(empty.path()));
        data::useDataFolder(empty.path(), true);
        QVERIFY(data::holdsDatabase(empty.path()));
        QCOMPARE(data::dataFolder(), empty.path());
        QCOMPARE(data::checkDataFolder().kind, data::DataFolderProblem::None);
        data::TDM dm;
        testsupport::openAll(dm);
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), -1);
        QVERIFY(dm.NavneTable->RecordCount() >= 150);
        // Choosing the old folder again takes it as it is.
        for (store::Table* t : dm.tablesInOpeningOrder()) {
            t->Close();
        }
        dm.ConfigTable->Close();
        store::Session::closeAll();
        data::useDataFolder(m_folder->path(), false);
        QCOMPARE(data::dataFolder(), m_folder->path());
    }

    // A data folder made by the program before family and type were widened.
    void anOlderDataFolderIsWidenedKeepingEveryRow() {
        m_dm.reset();
        store::Session::closeAll();
        QTemporaryDir dir;
        QList<store::TableDef> old = data::tableDefs();
        for (store::TableDef& def : old) {
            for (store::FieldDef& f : def.fields) {
                if (def.name == QLatin1String("Planter.db") &&
                    (f.name == QLatin1String("Familie") || f.name == QLatin1String("Plantetype"))) {
                    f.size = 40;
                }
            }
        }
        {
            store::Database db(dir.path(), true);
            for (const store::TableDef& def : old) {
                db.createTable(def);
            }
            // In one transaction, as an import would, so the test stays quick.
            db.inTransaction([&] {
                db.insertRow(QStringLiteral("Config.DB"),
                             {3, 700, 900, 772, 1032, 770, 1032, 600, 800});
                for (int n = 1; n <= 30; ++n) {
                    db.insertRow(QStringLiteral("Regnr.db"), {n});
                    db.insertRow(
                        QStringLiteral("Planter.db"),
                        {QStringLiteral("Regnr"), QStringLiteral("Plantenavn"),
                         QStringLiteral("Familie"), QStringLiteral("Plantetype"),
                         QStringLiteral("Plantet"), QStringLiteral("Pris"),
                         QStringLiteral("Notater")},
                        {n, QStringLiteral("Plante %1 æøå").arg(n), QString(40, QChar(u'ø')),
                         QStringLiteral("Staude"),
                         QStringLiteral("2020-05-%1").arg(n % 28 + 1, 2, 10, QLatin1Char('0')),
                         n * 1.25, QStringLiteral("Linje 1\nLinje 2")});
                }
                for (int n = 1; n <= 4; ++n) {
                    db.insertRow(QStringLiteral("Haveregnr.db"), {n});
                    db.insertRow(QStringLiteral("Vexmo.DB"),
                                 {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"),
                                  QStringLiteral("Planlagt")},
                                 {n, QStringLiteral("Anlæg %1").arg(n), QStringLiteral("Nej")});
                    for (int m = 0; m < 3; ++m) {
                        db.insertRow(QStringLiteral("Materialer.db"),
                                     {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"),
                                      QStringLiteral("Materialer"), QStringLiteral("Antal")},
                                     {n, QStringLiteral("Anlæg %1").arg(n),
                                      QStringLiteral("Ting %1").arg(m), m});
                    }
                }
                // Materials of a work renamed by the program of today, reachable from nowhere.
                db.insertRow(QStringLiteral("Materialer.db"),
                             {QStringLiteral("Regnr"), QStringLiteral("Arbejdet"),
                              QStringLiteral("Materialer")},
                             {2, QStringLiteral("Gammelt navn"), QStringLiteral("Sand")});
                db.insertRow(QStringLiteral("Familie.db"), {QString(60, QChar(u'f'))});
                db.insertRow(QStringLiteral("Plantetype.db"), {QStringLiteral("Staude")});
                db.insertRow(QStringLiteral("Navne.db"),
                             {QStringLiteral("Løvefod"), QStringLiteral("Alchemilla mollis")});
            });
        }
        store::Session::setAliasPath(QStringLiteral("Vexmo"), dir.path());
        auto dump = [] {
            QStringList out;
            for (const store::TableDef& def : data::tableDefs()) {
                Table t;
                t.setDatabaseName(QStringLiteral("Vexmo"));
                t.setTableName(def.name);
                t.Open();
                for (t.First(); !t.Eof(); t.Next()) {
                    QStringList row{def.name};
                    for (int i = 0; i < t.FieldCount(); ++i) {
                        row << t.Fields(i).AsString();
                    }
                    out << row.join(QLatin1Char('|'));
                }
            }
            return out;
        };
        const QStringList before = dump();
        QCOMPARE(before.size(), 1 + 30 + 30 + 4 + 4 + 13 + 1 + 1 + 1);
        store::Session::closeAll();

        data::registerDataFolder();
        auto restore = qScopeGuard([] { store::Session::setUpgrade(QStringLiteral("Vexmo"), {}); });
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Familie")).Size(), 60);
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Plantetype")).Size(), 60);
        QCOMPARE(dump(), before);
        QCOMPARE(data::readSetting(QStringLiteral("Sprog")), 3);
        // The family the list holds can now be stored whole.
        m_dm->PlanteTable->First();
        m_dm->PlanteTable->Edit();
        m_dm->PlanteTable->FieldByName(QStringLiteral("Familie")).setAsString(QString(60, u'f'));
        m_dm->PlanteTable->Post();
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Familie")).AsString().size(), 60);

        // The copy beside the database is the folder as it was.
        const QString copyName = QStringLiteral("Verdamo-før-opdatering-%1.sqlite")
                                     .arg(QDate::currentDate().toString(Qt::ISODate));
        const QStringList copies =
            QDir(dir.path()).entryList({QStringLiteral("Verdamo-før-opdatering-*")});
        QCOMPARE(copies, QStringList{copyName});
        QTemporaryDir look;
        QVERIFY(QFile::copy(QDir(dir.path()).filePath(copyName),
                            QDir(look.path()).filePath(QStringLiteral("Verdamo.sqlite"))));
        {
            store::Database copy(look.path(), false);
            QCOMPARE(copy.narrowerThan(data::tableDefs()).size(), 1);
            QCOMPARE(copy.rowCount(QStringLiteral("Materialer.db")), 13);
        }
        // Opened again, nothing is left to do and no second copy is made.
        m_dm.reset();
        store::Session::closeAll();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        QCOMPARE(QDir(dir.path()).entryList({QStringLiteral("Verdamo-før-opdatering-*")}).size(),
                 1);
        m_dm.reset();
        store::Session::closeAll();
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
