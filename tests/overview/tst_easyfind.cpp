// SPDX-License-Identifier: GPL-3.0-or-later
#include <QGuiApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "data/dm.h"
#include "overview/easyfind.h"
#include "store/session.h"
#include "store/table.h"
#include "testsupport.h"

using overview::TEasyFind;

namespace {

// The matching rules written again as plain recursion, to check the matcher against.
bool reference(const QString& t, const QString& p, const QString& M, QChar S) {
    if (p == M) {
        return true;
    }
    if (t.isEmpty()) {
        return p.isEmpty();
    }
    if (!p.startsWith(M)) {
        if (p.startsWith(S)) {
            int n = 0;
            while (n < p.size() && p.at(n) == S) {
                ++n;
            }
            if (t.size() < n) {
                return false;
            }
            return reference(t.mid(n), p.mid(n), M, S);
        }
        if (p.isEmpty() || p.at(0) != t.at(0)) {
            return false;
        }
        int n = 0;
        while (n < t.size() && n < p.size() && t.at(n) == p.at(n)) {
            ++n;
        }
        return reference(t.mid(n), p.mid(n), M, S);
    }
    const QString r = p.mid(M.size());
    int w = -1;
    for (int i = 0; i < r.size() && w < 0; ++i) {
        if (r.at(i) == S || r.mid(i).startsWith(M)) {
            w = i;
        }
    }
    if (w < 0) {
        QString cut = t;
        while (!cut.isEmpty() && cut.back().unicode() < 32) {
            cut.chop(1);
        }
        return t.endsWith(r) || cut.endsWith(r);
    }
    if (w == 0) {
        return false;
    }
    const int at = int(t.indexOf(r.left(w)));
    if (at < 0) {
        return false;
    }
    return reference(t.mid(at + w), r.mid(w), M, S);
}

}  // namespace

class EasyFindTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<data::TDM> m_dm;
    std::unique_ptr<TEasyFind> m_find;

    store::Table& plants() { return *m_dm->PlanteTable; }
    QString name() { return plants().FieldByName(QStringLiteral("Plantenavn")).AsString(); }

    void addPlant(const QString& name, const QString& latin, const QString& notes = QString(),
                  const QString& planted = QString()) {
        store::Table& t = plants();
        t.Insert();
        t.FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        t.FieldByName(QStringLiteral("Latin")).setAsString(latin);
        if (!notes.isEmpty()) {
            t.FieldByName(QStringLiteral("Notater")).setAsString(notes);
        }
        if (!planted.isEmpty()) {
            t.FieldByName(QStringLiteral("Plantet")).setAsString(planted);
        }
        t.Post();
    }

    void addGarden() {
        addPlant(QStringLiteral("Lavendel"), QStringLiteral("Lavandula"));
        addPlant(QStringLiteral("Klatrerose"), QStringLiteral("Rosa"),
                 QStringLiteral("Mod syd\r\nvokser hurtigt ROSE\r\n"),
                 QStringLiteral("15-05-2009"));
        addPlant(QStringLiteral("Tulipan"), QStringLiteral("Tulipa"));
        addPlant(QStringLiteral("ROSMARIN"), QStringLiteral("Rosmarinus"));
        addPlant(QStringLiteral("Æblerose"), QStringLiteral("Rosa rugosa"));
        addPlant(QStringLiteral("Pæon"), QStringLiteral("Paeonia"));
    }

    void search(const QString& field, const QString& key) {
        m_find->setSearchField(field);
        m_find->setSearchKey(key);
        m_find->Find();
    }

    // The rows whose field holds the key, as a walk in the shown order finds them.
    static QList<qint64> walkedMatches(store::Table& t, const QString& field, const QString& key) {
        QList<qint64> out;
        t.First();
        while (!t.Eof()) {
            if (overview::keyMatches(t.FieldByName(field).AsString(), key, false, false)) {
                out << t.GetBookmark().rowid;
            }
            t.Next();
        }
        return out;
    }

    // Where a search and then find-next after find-next take the cursor, until it stays.
    static QList<qint64> visited(TEasyFind& find, store::Table& t, const QString& field,
                                 const QString& key) {
        QList<qint64> out;
        t.MoveTo(3);
        find.setSearchField(field);
        find.setSearchKey(key);
        find.Find();
        out << t.GetBookmark().rowid;
        for (;;) {
            find.FindNext();
            if (t.GetBookmark().rowid == out.last()) {
                return out;
            }
            out << t.GetBookmark().rowid;
        }
    }

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        m_find = std::make_unique<TEasyFind>();
        m_find->setDataSource(m_dm->PlanteSource);
    }

    void cleanup() {
        m_find.reset();
        m_dm.reset();
        m_folder.reset();
    }

    void theMatcherFollowsItsRules_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("wildcards");
        QTest::addColumn<bool>("matches");
        QTest::newRow("inside") << "ros"
                                << "Klatrerose" << false << true;
        QTest::newRow("any case") << "RoS"
                                  << "rosmarin" << false << true;
        QTest::newRow("national letters") << "æble"
                                          << "ÆBLEROSE" << false << true;
        QTest::newRow("national letters up") << "PÆON"
                                             << "pæon" << false << true;
        QTest::newRow("ø and å") << "blå"
                                 << "BLÅBÆR" << false << true;
        QTest::newRow("absent") << "rosa"
                                << "Klatrerose" << false << false;
        QTest::newRow("empty key") << ""
                                   << "Rose" << false << false;
        QTest::newRow("empty key, empty text") << ""
                                               << "" << false << false;
        QTest::newRow("% alone") << "%"
                                 << "Rose" << true << true;
        QTest::newRow("% on nothing") << "%"
                                      << "" << true << true;
        QTest::newRow("prefix") << "ROS%"
                                << "Rosmarin" << true << true;
        QTest::newRow("prefix not there") << "ROS%"
                                          << "Klatrerose" << true << false;
        QTest::newRow("suffix") << "%ROSE"
                                << "Klatrerose" << true << true;
        QTest::newRow("suffix before line break") << "%ROSE"
                                                  << "Rose\r\n"
                                                  << true << true;
        QTest::newRow("suffix not at end") << "%ROSE"
                                           << "Roser" << true << false;
        QTest::newRow("one character") << "R_SE"
                                       << "Rose" << true << true;
        QTest::newRow("one too many") << "R_SE"
                                      << "Roses" << true << false;
        QTest::newRow("%% matches nothing") << "%%X"
                                            << "X" << true << false;
        QTest::newRow("%_ matches nothing") << "%_X"
                                            << "AX" << true << false;
        QTest::newRow("whole text") << "ROSE"
                                    << "Rose" << true << true;
        QTest::newRow("no containment") << "OS"
                                        << "Rose" << true << false;
        QTest::newRow("inner %") << "K%ROSE"
                                 << "Klatrerose" << true << true;
        QTest::newRow("first occurrence only") << "%RO%X"
                                               << "RORX" << true << true;
        QTest::newRow("first occurrence taken") << "%R_X"
                                                << "RARBX" << true << false;
        QTest::newRow("_ runs out") << "RO__"
                                    << "ROS" << true << false;
        QTest::newRow("% literal in a run") << "A%"
                                            << "A%B" << true << false;
    }

    void theMatcherFollowsItsRules() {
        QFETCH(QString, key);
        QFETCH(QString, text);
        QFETCH(bool, wildcards);
        QFETCH(bool, matches);
        overview::setWildcards(QStringLiteral("%"), QLatin1Char('_'));
        QCOMPARE(overview::keyMatches(text, key, false, wildcards), matches);
    }

    void caseSensitiveComparesLetters() {
        QVERIFY(!overview::keyMatches(QStringLiteral("Rose"), QStringLiteral("ROS"), true, false));
        QVERIFY(overview::keyMatches(QStringLiteral("Rose"), QStringLiteral("Ros"), true, false));
        QVERIFY(!overview::keyMatches(QStringLiteral("æble"), QStringLiteral("Æ%"), true, true));
    }

    // Random short texts and patterns over a small alphabet with both wildcards in it.
    void theMatcherAgreesWithTheReference_data() {
        QTest::addColumn<QString>("multi");
        QTest::addColumn<QChar>("single");
        QTest::newRow("% and _") << "%" << QChar(QLatin1Char('_'));
        QTest::newRow("** and ?") << "**" << QChar(QLatin1Char('?'));
    }

    void theMatcherAgreesWithTheReference() {
        QFETCH(QString, multi);
        QFETCH(QChar, single);
        overview::setWildcards(multi, single);
        QRandomGenerator rng(4711);
        const QString alphabet = QStringLiteral("AB\n") + multi.left(1) + single;
        auto random = [&](int max) {
            QString s;
            const int n = int(rng.bounded(max + 1));
            for (int i = 0; i < n; ++i) {
                s += alphabet.at(int(rng.bounded(int(alphabet.size()))));
            }
            return s;
        };
        for (int i = 0; i < 20000; ++i) {
            const QString t = random(6);
            QString p = random(5);
            if (rng.bounded(3) == 0) {
                p.prepend(multi);
            }
            QVERIFY2(overview::wildcardMatch(t, p) == reference(t, p, multi, single),
                     qPrintable(QStringLiteral("text '%1' pattern '%2'").arg(t, p)));
        }
    }

    void findMovesToTheFirstMatchAndOn() {
        addGarden();
        plants().Last();
        search(QStringLiteral("Plantenavn"), QStringLiteral("ros"));
        QCOMPARE(name(), QStringLiteral("Klatrerose"));
        m_find->FindNext();
        QCOMPARE(name(), QStringLiteral("ROSMARIN"));
        m_find->FindNext();
        QCOMPARE(name(), QStringLiteral("Æblerose"));
        // Nothing after the last match: the cursor stays on it, no wrap to the top.
        m_find->FindNext();
        QCOMPARE(name(), QStringLiteral("Æblerose"));
        m_find->FindNext();
        QCOMPARE(name(), QStringLiteral("Æblerose"));
    }

    void findNextFromTheLastRecordTestsItAgain() {
        addGarden();
        search(QStringLiteral("Plantenavn"), QStringLiteral("pæ"));
        QCOMPARE(name(), QStringLiteral("Pæon"));
        m_find->FindNext();
        QCOMPARE(name(), QStringLiteral("Pæon"));
        QVERIFY(plants().Eof());
    }

    void nothingFoundLeavesTheCursor_data() {
        QTest::addColumn<QString>("key");
        QTest::newRow("absent") << "Bregne";
        QTest::newRow("empty") << "";
    }

    void nothingFoundLeavesTheCursor() {
        QFETCH(QString, key);
        addGarden();
        plants().First();
        plants().Next();
        plants().Next();
        QSignalSpy moved(m_dm->PlanteTable, &store::Table::recordChanged);
        search(QStringLiteral("Plantenavn"), key);
        QCOMPARE(name(), QStringLiteral("Tulipan"));
        QCOMPARE(plants().RecNo(), 2);
        QVERIFY(!plants().ControlsDisabled());
        // The cursor never left its row: the controls hear nothing.
        QCOMPARE(moved.count(), 0);
    }

    // The controls are frozen while the rows are read: they hear of the end position once,
    // not of every row passed.
    void aMatchIsAnnouncedOnce() {
        addGarden();
        plants().First();
        QSignalSpy moved(m_dm->PlanteTable, &store::Table::recordChanged);
        search(QStringLiteral("Plantenavn"), QStringLiteral("pæon"));
        QCOMPARE(name(), QStringLiteral("Pæon"));
        QCOMPARE(moved.count(), 1);
        QCOMPARE(plants().RecNo(), 5);
        QVERIFY(!plants().ControlsDisabled());
    }

    void theFieldIsFoundByItsLabel_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("found");
        QTest::newRow("second field") << "Latin"
                                      << "rugosa"
                                      << "Æblerose";
        QTest::newRow("lower case") << "latin"
                                    << "rugosa"
                                    << "Æblerose";
        QTest::newRow("upper case") << "PLANTENAVN"
                                    << "æblE"
                                    << "Æblerose";
        QTest::newRow("memo") << "Notater"
                              << "hurtigt"
                              << "Klatrerose";
        QTest::newRow("date edit text") << "Plantet"
                                        << "05-2009"
                                        << "Klatrerose";
    }

    void theFieldIsFoundByItsLabel() {
        QFETCH(QString, field);
        QFETCH(QString, key);
        QFETCH(QString, found);
        addGarden();
        search(field, key);
        QCOMPARE(name(), found);
    }

    void aSetLabelIsWhatIsSearchedFor() {
        addGarden();
        plants().FieldByName(QStringLiteral("Latin")).setDisplayLabel(QStringLiteral("Latinsk"));
        search(QStringLiteral("latinsk"), QStringLiteral("tulipa"));
        QCOMPARE(name(), QStringLiteral("Tulipan"));
        QVERIFY_THROWS_EXCEPTION(overview::EDBSearchPatternNotFound,
                                 search(QStringLiteral("Latin"), QStringLiteral("tulipa")));
    }

    void aMemoEndingInALineBreakMatchesASuffix() {
        addGarden();
        m_find->setAllowWildcards(true);
        search(QStringLiteral("Notater"), QStringLiteral("%ROSE"));
        QCOMPARE(name(), QStringLiteral("Klatrerose"));
    }

    void onlyTheReadPartOfALongMemoIsTested() {
        addPlant(
            QStringLiteral("Lang"), QString(),
            QString(TEasyFind::MemoBytes - 4, QLatin1Char('a')) + QStringLiteral("ROSEMALING"));
        addPlant(QStringLiteral("Kort"), QString(), QStringLiteral("rosemaling"));
        search(QStringLiteral("Notater"), QStringLiteral("rosemal"));
        QCOMPARE(name(), QStringLiteral("Kort"));
        search(QStringLiteral("Notater"), QStringLiteral("aROSE"));
        QCOMPARE(name(), QStringLiteral("Lang"));
    }

    void aLongKeyIsCutToItsBuffer() {
        addPlant(QStringLiteral("Lang"), QString(),
                 QStringLiteral("y") + QString(255, QLatin1Char('x')));
        plants().First();
        m_find->setSearchKey(QString(300, QLatin1Char('x')));
        QCOMPARE(m_find->SearchKey().size(), 255);
        m_find->setSearchField(QStringLiteral("Notater"));
        m_find->Find();
        QCOMPARE(name(), QStringLiteral("Lang"));
        m_find->setMultiCharPattern(QStringLiteral("*****"));
        QCOMPARE(m_find->MultiCharPattern(), QStringLiteral("****"));
    }

    void theErrors() {
        addGarden();
        plants().First();
        plants().Next();
        // Before any search, with an empty key, and after the key or field changed.
        QVERIFY_THROWS_EXCEPTION(overview::EDBSearchError, m_find->FindNext());
        try {
            m_find->setSearchField(QStringLiteral("Blomsterfarve"));
            m_find->setSearchKey(QStringLiteral("ros"));
            m_find->Find();
            QFAIL("no error for a missing field");
        } catch (const overview::EDBSearchPatternNotFound& e) {
            QCOMPARE(e.message(), QStringLiteral("Search Field not in Dataset"));
            QCOMPARE(QString::fromUtf8(e.what()), QStringLiteral("Search Field not in Dataset"));
        }
        QCOMPARE(name(), QStringLiteral("Klatrerose"));
        QVERIFY(!plants().ControlsDisabled());
        search(QStringLiteral("Plantenavn"), QStringLiteral("ros"));
        m_find->FindNext();  // same key and field: fine
        m_find->setSearchKey(QStringLiteral("ROS"));
        m_find->FindNext();  // the same when upper-cased
        m_find->setSearchKey(QStringLiteral("rose"));
        try {
            m_find->FindNext();
            QFAIL("no error for a new key");
        } catch (const overview::EDBSearchError& e) {
            QCOMPARE(e.message(), QStringLiteral("No initial Find/Locate done first"));
        }
        m_find->setSearchKey(QStringLiteral("ros"));
        m_find->setSearchField(QStringLiteral("Latin"));
        QVERIFY_THROWS_EXCEPTION(overview::EDBSearchError, m_find->FindNext());
        m_find->setSearchKey(QString());
        QVERIFY_THROWS_EXCEPTION(overview::EDBSearchError, m_find->FindNext());
        // A search that found nothing still counts as the last one.
        search(QStringLiteral("Plantenavn"), QStringLiteral("bregne"));
        m_find->FindNext();
        // The exceptions are their own classes, not store errors.
        static_assert(!std::is_base_of_v<store::Error, overview::EDBSearchError>);
        static_assert(std::is_base_of_v<std::exception, overview::EDBSearchPatternNotFound>);
    }

    void anEmptyDatasetFindsNothing() {
        m_find->setAllowWildcards(true);
        search(QStringLiteral("Plantenavn"), QStringLiteral("%"));
        QVERIFY(plants().IsEmpty());
        m_find->FindNext();
        QVERIFY(plants().IsEmpty());
    }

    void aFilterNarrowsTheSearch() {
        addGarden();
        plants().setFilter(QStringLiteral("Latin = 'Rosa rugosa'"));
        plants().setFiltered(true);
        search(QStringLiteral("Plantenavn"), QStringLiteral("ros"));
        QCOMPARE(name(), QStringLiteral("Æblerose"));
    }

    // A search through every row keeps their texts; the next searches give what a scan
    // would give, and any change of the table drops them.
    void aFullPassServesTheNextSearches() {
        addGarden();
        plants().MoveTo(2);
        search(QStringLiteral("Plantenavn"), QStringLiteral("bregne"));
        QVERIFY(m_find->hasTextCache());
        QCOMPARE(name(), QStringLiteral("Tulipan"));
        QStringList visited;
        search(QStringLiteral("Plantenavn"), QStringLiteral("ros"));
        visited << name();
        for (int i = 0; i < 3; ++i) {
            m_find->FindNext();
            visited << name();
        }
        QCOMPARE(visited, (QStringList{QStringLiteral("Klatrerose"), QStringLiteral("ROSMARIN"),
                                       QStringLiteral("Æblerose"), QStringLiteral("Æblerose")}));
        QVERIFY(m_find->hasTextCache());
        // Another field is read afresh.
        search(QStringLiteral("Latin"), QStringLiteral("paeonia"));
        QCOMPARE(name(), QStringLiteral("Pæon"));
    }

    // A change is seen at the next keystroke, whether it comes at once or after the names
    // have been read ahead again.
    void aChangedTableIsReadAgain_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("found");
        QTest::addColumn<bool>("pause");
        for (const bool pause : {false, true}) {
            const char* when = pause ? ", after a pause" : ", at once";
            QTest::addRow("renamed%s", when) << "rename"
                                             << "bregne"
                                             << "Bregne" << pause;
            QTest::addRow("added%s", when) << "insert"
                                           << "kaprifolium"
                                           << "Kaprifolium" << pause;
            QTest::addRow("deleted%s", when) << "delete"
                                             << "lavendel"
                                             << "Pæon" << pause;
            QTest::addRow("filtered%s", when) << "filter"
                                              << "rosmarin"
                                              << "Lavendel" << pause;
            QTest::addRow("reopened%s", when) << "reopen"
                                              << "bregne"
                                              << "Bregne" << pause;
        }
    }

    void aChangedTableIsReadAgain() {
        QFETCH(QString, change);
        QFETCH(QString, key);
        QFETCH(QString, found);
        QFETCH(bool, pause);
        addGarden();
        if (pause) {
            m_find->setSearchField(QStringLiteral("Plantenavn"));
            QTRY_VERIFY(m_find->hasTextCache());  // read ahead while idle
        } else {
            search(QStringLiteral("Plantenavn"), QStringLiteral("zzz"));
        }
        QVERIFY(m_find->hasTextCache());
        store::Table& t = plants();
        if (change == QLatin1String("rename")) {
            t.First();
            t.Edit();
            t.FieldByName(QStringLiteral("Plantenavn")).setAsString(QStringLiteral("Bregne"));
            t.Post();
        } else if (change == QLatin1String("insert")) {
            addPlant(QStringLiteral("Kaprifolium"), QStringLiteral("Lonicera"));
        } else if (change == QLatin1String("delete")) {
            t.First();
            t.Delete();  // Lavendel goes; the search ends where the cursor was
            t.Last();
        } else if (change == QLatin1String("filter")) {
            t.setFilter(QStringLiteral("Latin = 'Lavandula'"));
            t.setFiltered(true);
        } else {
            // Written through another table object while this one is closed.
            t.Close();
            {
                store::Table other;
                other.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
                other.setTableName(QStringLiteral("Planter.db"));
                other.Open();
                other.First();
                other.Edit();
                other.FieldByName(QStringLiteral("Plantenavn"))
                    .setAsString(QStringLiteral("Bregne"));
                other.Post();
            }
            t.Open();
        }
        QVERIFY(!m_find->hasTextCache());
        if (pause) {
            QTRY_VERIFY(m_find->hasTextCache());
        }
        search(QStringLiteral("Plantenavn"), key);
        QCOMPARE(name(), found);
    }

    // However far the names have been read (not at all, up to an earlier match, all of them
    // ahead), every search and find-next visits the rows a walk in the shown order finds.
    void everySearchVisitsWhatAWalkFinds_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("key");
        QTest::newRow("name, many") << "Plantenavn"
                                    << "ROS";
        QTest::newRow("name, national letters") << "Plantenavn"
                                                << "æble";
        QTest::newRow("latin, few") << "Latin"
                                    << "rugosa 1";
        QTest::newRow("none") << "Plantenavn"
                              << "bregne";
    }

    void everySearchVisitsWhatAWalkFinds() {
        QFETCH(QString, field);
        QFETCH(QString, key);
        auto db = store::Session::database(QString::fromLatin1(data::TDM::Alias));
        const char* names[] = {"Klatrerose", "Tulipan", "Æblerose", "ROSMARIN", "Pæon"};
        db->inTransaction([&] {
            for (int i = 0; i < 3000; ++i) {
                QVariantList row;
                row << (3000 - i)
                    << QStringLiteral("%1 %2").arg(QString::fromUtf8(names[i % 5])).arg(i)
                    << QStringLiteral("Rosa rugosa %1").arg(i % 40);
                for (int c = 3; c < 24; ++c) {
                    row << QVariant();
                }
                db->insertRow(QStringLiteral("Planter.db"), row);
            }
        });
        store::Table& t = plants();
        t.Refresh();
        const QList<qint64> walked = walkedMatches(t, field, key);
        QList<qint64> expected = walked;
        if (expected.isEmpty()) {
            t.MoveTo(3);
            expected << t.GetBookmark().rowid;  // nothing found: the cursor stays
        }
        // Nothing read yet.
        TEasyFind cold;
        cold.setDataSource(m_dm->PlanteSource);
        QCOMPARE(visited(cold, t, field, key), expected);
        // Read as far as an earlier search went, then on.
        TEasyFind partly;
        partly.setDataSource(m_dm->PlanteSource);
        partly.setSearchField(field);
        partly.setSearchKey(t.FieldByName(field).AsString().left(4));
        t.MoveTo(40);
        const QString early = t.FieldByName(field).AsString();
        partly.setSearchKey(early);
        partly.Find();
        QVERIFY(!partly.hasTextCache());
        QCOMPARE(visited(partly, t, field, key), expected);
        // All read ahead while idle.
        TEasyFind ahead;
        ahead.setDataSource(m_dm->PlanteSource);
        ahead.setSearchField(field);
        QTRY_VERIFY(ahead.hasTextCache());
        QCOMPARE(visited(ahead, t, field, key), expected);
    }

    // The catalogue's names come in Danish order, not in the order they were written: the
    // search goes the same way.
    void theSearchGoesInTheShownOrder() {
        store::Table& names = *m_dm->NavneTable;
        for (const char* n : {"Zz rose", "Åkande rose", "Aa rose", "Ærterose"}) {
            names.Insert();
            names.FieldByName(QStringLiteral("Navn")).setAsString(QString::fromUtf8(n));
            names.FieldByName(QStringLiteral("Latin")).setAsString(QStringLiteral("Rosa"));
            names.Post();
        }
        const QList<qint64> walked =
            walkedMatches(names, QStringLiteral("Navn"), QStringLiteral("rose"));
        QVERIFY(walked.size() >= 4);
        QList<qint64> byRowid = walked;
        std::sort(byRowid.begin(), byRowid.end());
        QVERIFY(walked != byRowid);  // the order shown is not the order written
        TEasyFind find;
        find.setDataSource(m_dm->NavneSource);
        QCOMPARE(visited(find, names, QStringLiteral("Navn"), QStringLiteral("rose")), walked);
        find.setSearchField(QStringLiteral("Navn"));
        QTRY_VERIFY(find.hasTextCache());
        QCOMPARE(visited(find, names, QStringLiteral("Navn"), QStringLiteral("rose")), walked);
    }

    void aRowBeingEditedIsNotTakenFromTheTexts() {
        addGarden();
        search(QStringLiteral("Plantenavn"), QStringLiteral("zzz"));
        plants().First();
        plants().Edit();
        plants().FieldByName(QStringLiteral("Plantenavn")).setAsString(QStringLiteral("Bregne"));
        search(QStringLiteral("Plantenavn"), QStringLiteral("bregne"));
        QCOMPARE(name(), QStringLiteral("Bregne"));
        QCOMPARE(plants().State(), store::DataSetState::Browse);  // the move posted it
    }

    // A store failing in the middle of the scan: the cursor goes back, the controls and
    // the mouse cursor are live again, and the error reaches the caller.
    void aFailingScanLeavesEverythingAsItWas() {
        store::Table names;
        names.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        names.setTableName(QStringLiteral("Navne.db"));
        names.declareField(QStringLiteral("Navn"), store::FieldType::String, 60);
        names.declareField(QStringLiteral("Latin"), store::FieldType::String, 60);
        names.declareCalcField(QStringLiteral("Navn2"), store::FieldType::String);
        int calls = 0;
        names.OnCalcFields = [&](store::Table& t) {
            if (++calls == 40) {
                throw store::StoreError(store::StoreError::General, QStringLiteral("disk gone"));
            }
            t.FieldByName(QStringLiteral("Navn2"))
                .setAsString(t.FieldByName(QStringLiteral("Navn")).AsString());
        };
        names.Open();
        toolkit::DataSource source;
        source.setDataSet(&names);
        names.MoveTo(5);
        const QString before = names.FieldByName(QStringLiteral("Navn")).AsString();
        calls = 0;
        TEasyFind find;
        find.setDataSource(&source);
        find.setSearchField(QStringLiteral("Navn2"));
        find.setSearchKey(QStringLiteral("no such plant"));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, find.Find());
        QVERIFY(!names.ControlsDisabled());
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(names.FieldByName(QStringLiteral("Navn")).AsString(), before);
        QVERIFY(calls >= 40);
        // The next search runs normally.
        find.Find();
        QCOMPARE(names.FieldByName(QStringLiteral("Navn")).AsString(), before);
        // Reading ahead meets the failure too, and leaves it to the next search to report.
        calls = 0;
        names.Refresh();
        QTest::qWait(4 * TEasyFind::ReadAheadDelayMs);
        QVERIFY(!find.hasTextCache());
        calls = 0;
        QVERIFY_THROWS_EXCEPTION(store::StoreError, find.Find());
    }
};

QTEST_MAIN(EasyFindTest)
#include "tst_easyfind.moc"
