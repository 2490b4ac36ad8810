// SPDX-License-Identifier: GPL-3.0-or-later
#include <sys/wait.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <atomic>
#include <memory>

#include "store/collation.h"
#include "store/format.h"
#include "store/session.h"
#include "store/table.h"
#include "testsupport.h"

using store::DataSetState;
using store::Field;
using store::FieldType;
using store::Table;

namespace {

const QString Alias = QStringLiteral("StoreTest");

// A small garden: plants keyed by number, owners with items keyed by owner and name.
void makeSchema(store::Database& db) {
    db.createTable({QStringLiteral("Plants.db"),
                    {{QStringLiteral("Regnr"), FieldType::Integer},
                     {QStringLiteral("Name"), FieldType::String, 30},
                     {QStringLiteral("Family"), FieldType::String},
                     {QStringLiteral("Planted"), FieldType::Date},
                     {QStringLiteral("Price"), FieldType::Currency},
                     {QStringLiteral("Notes"), FieldType::Memo}},
                    {QStringLiteral("Regnr")},
                    true});
    db.createTable(
        {QStringLiteral("Owners.db"),
         {{QStringLiteral("Nr"), FieldType::Integer}, {QStringLiteral("Title"), FieldType::String}},
         {QStringLiteral("Nr")},
         true});
    db.createTable({QStringLiteral("Items.db"),
                    {{QStringLiteral("Nr"), FieldType::Integer},
                     {QStringLiteral("Title"), FieldType::String},
                     {QStringLiteral("Item"), FieldType::String},
                     {QStringLiteral("Qty"), FieldType::Integer}},
                    {QStringLiteral("Nr"), QStringLiteral("Title")},
                    false});
    const QVariantList rows[] = {
        {5, QStringLiteral("Rose"), QStringLiteral("Rosaceae"), QStringLiteral("2009-04-01"), 12.5,
         QStringLiteral("by the door")},
        {2, QStringLiteral("Tulip"), QStringLiteral("Liliaceae"), QStringLiteral("2009-04-30"), 3.0,
         QVariant()},
        {9, QStringLiteral("Apple"), QStringLiteral("Rosaceae"), QStringLiteral("1999-10-10"),
         250.0, QVariant()},
        {7, QStringLiteral("O'Brien's lily"), QStringLiteral("Liliaceae"), QVariant(), QVariant(),
         QVariant()},
        {3, QStringLiteral("Mint"), QVariant(), QStringLiteral("2009-05-01"), 1.25, QVariant()},
    };
    for (const QVariantList& r : rows) {
        db.insertRow(QStringLiteral("Plants.db"), r);
    }
    db.insertRow(QStringLiteral("Owners.db"), {1, QStringLiteral("Pond")});
    db.insertRow(QStringLiteral("Owners.db"), {2, QStringLiteral("Bed")});
    db.insertRow(QStringLiteral("Items.db"),
                 {1, QStringLiteral("Pond"), QStringLiteral("Liner"), 1});
    db.insertRow(QStringLiteral("Items.db"),
                 {1, QStringLiteral("Pond"), QStringLiteral("Stones"), 40});
    db.insertRow(QStringLiteral("Items.db"), {2, QStringLiteral("Bed"), QStringLiteral("Soil"), 3});
    db.insertRow(QStringLiteral("Items.db"),
                 {1, QStringLiteral("Old pond"), QStringLiteral("Pump"), 1});
}

QList<int> regnrs(Table& t, const QString& field = QStringLiteral("Regnr")) {
    QList<int> out;
    t.First();
    while (!t.Eof()) {
        out << t.FieldByName(field).AsInteger();
        t.Next();
    }
    return out;
}

}  // namespace

class TableTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Table> m_plants;

    std::unique_ptr<Table> open(const QString& name) {
        auto t = std::make_unique<Table>();
        t->setDatabaseName(Alias);
        t->setTableName(name);
        t->Open();
        return t;
    }

    // A table keyed by one text, posted into in the order given.
    std::unique_ptr<Table> wordList(std::initializer_list<const char*> list) {
        store::Session::database(Alias)->createTable(
            {QStringLiteral("Words.db"),
             {{QStringLiteral("Word"), FieldType::String, 40}},
             {QStringLiteral("Word")},
             true});
        auto words = open(QStringLiteral("Words.db"));
        for (const char* w : list) {
            words->Insert();
            words->FieldByName(QStringLiteral("Word")).setAsString(QString::fromUtf8(w));
            words->Post();
        }
        return words;
    }

private Q_SLOTS:
    void initTestCase() {
        testsupport::isolateUserFolders();
        testsupport::useDanishFormats();
    }

    void init() {
        store::Session::closeAll();
        m_dir = std::make_unique<QTemporaryDir>();
        {
            store::Database db(m_dir->path(), true);
            makeSchema(db);
        }
        store::Session::setAliasPath(Alias, m_dir->path());
        m_plants = open(QStringLiteral("Plants.db"));
    }

    void cleanup() {
        m_plants.reset();
        store::Session::closeAll();
        m_dir.reset();
    }

    // The one date format of the program comes from the region, always with digits only and
    // a four-digit year, so the date edit's mask and the filter texts work everywhere.
    void regionalShortDateFormat_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("format");
        QTest::newRow("Danish") << QStringLiteral("da_DK") << QStringLiteral("dd.MM.yyyy");
        QTest::newRow("German") << QStringLiteral("de_DE") << QStringLiteral("dd.MM.yyyy");
        QTest::newRow("US month first") << QStringLiteral("en_US") << QStringLiteral("MM/dd/yyyy");
        QTest::newRow("C, month name") << QStringLiteral("C") << QStringLiteral("dd MM yyyy");
    }

    void regionalShortDateFormat() {
        QFETCH(QString, locale);
        QFETCH(QString, format);
        const QLocale before;
        QLocale::setDefault(QLocale(locale));
        store::setShortDateFormat(QString());
        const QString got = store::shortDateFormat();
        const QDate parsed = store::parseDate(store::formatDate(QDate(1944, 3, 14)));
        QLocale::setDefault(before);
        testsupport::useDanishFormats();
        QCOMPARE(got, format);
        QCOMPARE(parsed, QDate(1944, 3, 14));
    }

    void rowsComeInKeyOrderWithBofAndEof() {
        Table& t = *m_plants;
        QCOMPARE(regnrs(t), (QList<int>{2, 3, 5, 7, 9}));
        QVERIFY(t.Eof());
        QCOMPARE(t.FieldByName(QStringLiteral("regnr")).AsInteger(), 9);  // stays on the last row
        t.First();
        QVERIFY(t.Bof());
        QCOMPARE(t.RecNo(), 0);
        t.Last();
        QVERIFY(t.Eof());
        QCOMPARE(t.RecNo(), 4);
        QList<int> back;
        while (!t.Bof()) {
            back << t.FieldByName(QStringLiteral("Regnr")).AsInteger();
            t.Prior();
        }
        QCOMPARE(back, (QList<int>{9, 7, 5, 3, 2}));
        t.MoveTo(3);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        t.Next();
        QCOMPARE(t.RecNo(), 4);
        QCOMPARE(t.RecordCount(), 5);
    }

    void fieldsFirstAskedForMidWalkAreRight() {
        Table& t = *m_plants;
        QStringList seen;
        t.First();
        while (!t.Eof()) {
            QString line = t.FieldByName(QStringLiteral("Name")).AsString();
            if (t.RecNo() >= 2) {
                line += QLatin1Char('/') + t.FieldByName(QStringLiteral("Family")).AsString();
            }
            if (t.RecNo() == 4) {
                line += QLatin1Char('/') + t.FieldByName(QStringLiteral("Price")).AsString();
            }
            seen << line;
            t.Next();
        }
        QCOMPARE(seen, (QStringList{QStringLiteral("Tulip"), QStringLiteral("Mint"),
                                    QStringLiteral("Rose/Rosaceae"),
                                    QStringLiteral("O'Brien's lily/Liliaceae"),
                                    QStringLiteral("Apple/Rosaceae/250")}));
        // Turning back from the end and forward again walks the same rows.
        t.Prior();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        t.Prior();
        t.Next();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        QCOMPARE(t.FieldByName(QStringLiteral("Notes")).AsString(), QString());
        t.Prior();
        QCOMPARE(t.FieldByName(QStringLiteral("Notes")).AsString(), QStringLiteral("by the door"));
        QCOMPARE(t.RecNo(), 2);
    }

    void fieldsReadAndConvert() {
        Table& t = *m_plants;
        t.First();  // Regnr 2, no notes
        QVERIFY(t.FieldByName(QStringLiteral("Notes")).IsNull());
        QCOMPARE(t.FieldByName(QStringLiteral("Notes")).AsString(), QString());
        t.Next();
        t.Next();  // Regnr 5
        QCOMPARE(t.FieldByName(QStringLiteral("Planted")).AsString(), QStringLiteral("01-04-2009"));
        QCOMPARE(t.FieldByName(QStringLiteral("Planted")).AsDate(), QDate(2009, 4, 1));
        QCOMPARE(t.FieldByName(QStringLiteral("Price")).AsFloat(), 12.5);
        QCOMPARE(t.FieldByName(QStringLiteral("Price")).EditText(), QStringLiteral("12,50"));
        QVERIFY(
            t.FieldByName(QStringLiteral("Price")).DisplayText().contains(QStringLiteral("12,50")));
        QCOMPARE(t.FieldByName(QStringLiteral("Notes")).AsString(), QStringLiteral("by the door"));
        t.Next();  // Regnr 7: empty date and price read as nothing and 0
        QCOMPARE(t.FieldByName(QStringLiteral("Price")).AsInteger(), 0);
        QCOMPARE(t.FieldByName(QStringLiteral("Planted")).AsString(), QString());
        QVERIFY_THROWS_EXCEPTION(store::Error, t.FieldByName(QStringLiteral("Nope")));
    }

    void textAFieldCannotTakeIsRefused_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("kind");
        using K = store::Error::Kind;
        QTest::newRow("integer") << "Regnr"
                                 << "12a"
                                 << "'12a' is not a valid integer value for field 'Regnr'"
                                 << int(K::InvalidInteger);
        QTest::newRow("integer overflow")
            << "Regnr"
            << "99999999999"
            << "'99999999999' is not a valid integer value for field 'Regnr'"
            << int(K::InvalidInteger);
        QTest::newRow("amount") << "Price"
                                << "ten"
                                << "'ten' is not a valid floating point value for field 'Price'"
                                << int(K::InvalidFloat);
        QTest::newRow("impossible date")
            << "Planted"
            << "31-02-2009"
            << "'31-02-2009' is not a valid date" << int(K::InvalidDate);
        QTest::newRow("date text") << "Planted"
                                   << "spring"
                                   << "'spring' is not a valid date" << int(K::InvalidDate);
    }

    void textAFieldCannotTakeIsRefused() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, message);
        QFETCH(int, kind);
        Table& t = *m_plants;
        t.First();
        t.Edit();
        const QVariant before = t.FieldByName(field).Value();
        try {
            t.FieldByName(field).setAsString(text);
            QFAIL("no error");
        } catch (const store::FieldError& e) {
            // The text is composed where it is shown, in the user's language, from these.
            QCOMPARE(e.message(), message);
            QCOMPARE(int(e.kind()), kind);
            QCOMPARE(e.args(), (QStringList{field, text}));
        }
        QCOMPARE(t.FieldByName(field).Value(), before);
        QCOMPARE(t.State(), DataSetState::Edit);
    }

    void textIsTakenInTheUsersForms() {
        Table& t = *m_plants;
        t.First();
        t.Edit();
        t.FieldByName(QStringLiteral("Price")).setAsString(QStringLiteral("1.234,5"));
        QCOMPARE(t.FieldByName(QStringLiteral("Price")).AsFloat(), 1234.5);
        t.FieldByName(QStringLiteral("Price")).setAsString(QStringLiteral("12.50"));
        QCOMPARE(t.FieldByName(QStringLiteral("Price")).AsFloat(), 12.5);
        t.FieldByName(QStringLiteral("Planted")).setAsString(QStringLiteral("  -  -    "));
        QVERIFY(t.FieldByName(QStringLiteral("Planted")).IsNull());
        t.FieldByName(QStringLiteral("Planted")).setAsString(QStringLiteral("7-3-2010"));
        QCOMPARE(t.FieldByName(QStringLiteral("Planted")).AsDate(), QDate(2010, 3, 7));
        t.FieldByName(QStringLiteral("Regnr")).setAsString(QStringLiteral("-1"));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), -1);
        // Text wider than its field is refused whole, never cut; the field keeps its text.
        const QString before = t.FieldByName(QStringLiteral("Name")).AsString();
        try {
            t.FieldByName(QStringLiteral("Name")).setAsString(QString(40, QLatin1Char('x')));
            QFAIL("taken");
        } catch (const store::FieldError& e) {
            QCOMPARE(e.kind(), store::Error::Kind::TooLong);
            QCOMPARE(e.args(), (QStringList{"Name", "40", "30"}));
            QCOMPARE(e.table(), QStringLiteral("Plants.db"));
        }
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), before);
        t.FieldByName(QStringLiteral("Name")).setAsString(QString(30, QLatin1Char('x')));
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString().size(), 30);
        t.Cancel();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
    }

    void writingOutsideEditIsRefused() {
        m_plants->First();
        QVERIFY_THROWS_EXCEPTION(
            store::Error,
            m_plants->FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("x")));
    }

    void filterSelectsRows_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QList<int>>("expected");
        QTest::newRow("text equal") << "Family = 'Rosaceae'" << QList<int>{5, 9};
        QTest::newRow("mixed-case field name") << "fAMILY = 'Liliaceae'" << QList<int>{2, 7};
        QTest::newRow("empty text is a blank field") << "Family = ''" << QList<int>{3};
        QTest::newRow("date range")
            << "Planted >= '01-04-2009' and Planted <='30-04-2009'" << QList<int>{2, 5};
        QTest::newRow("date after") << "PLANTED > '14-03-1944'" << QList<int>{2, 3, 5, 9};
        QTest::newRow("blank date never passes a comparison")
            << "Planted < '01-01-2100'" << QList<int>{2, 3, 5, 9};
        QTest::newRow("not equal") << "Family <> 'Rosaceae'" << QList<int>{2, 3, 7};
        QTest::newRow("or with parentheses")
            << "(Family = 'Liliaceae' and Price > 2) or Regnr = 9" << QList<int>{2, 9};
        QTest::newRow("number literal") << "Price <= 3" << QList<int>{2, 3};
        QTest::newRow("quoted number") << "Regnr > '5'" << QList<int>{7, 9};
        QTest::newRow("doubled quote in literal") << "Name = 'O''Brien''s lily'" << QList<int>{7};
        QTest::newRow("not") << "not Family = 'Rosaceae'" << QList<int>{2, 3, 7};
        QTest::newRow("literal first") << "'2009-01-01' <> Notes and 5 < Regnr" << QList<int>{7, 9};
        QTest::newRow("sql in a literal stays text") << "Name = 'x'' or 1=1 --'" << QList<int>{};
        QTest::newRow("empty filter") << "  " << QList<int>{2, 3, 5, 7, 9};
    }

    void filterSelectsRows() {
        QFETCH(QString, filter);
        QFETCH(QList<int>, expected);
        Table& t = *m_plants;
        t.setFilter(filter);
        t.setFiltered(true);
        QCOMPARE(t.RecordCount(), expected.size());
        QCOMPARE(regnrs(t), expected);
        QCOMPARE(t.IsEmpty(), expected.isEmpty());
    }

    void badFilterIsRefusedAndKeepsTheOldOne_data() {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("message");
        QTest::newRow("unknown field") << "Colour = 'red'"
                                       << "Field 'Colour' not found";
        QTest::newRow("open quote") << "Family = 'Ros"
                                    << "a quote is not closed";
        QTest::newRow("bad date") << "Planted > '2009-14-01'"
                                  << "is not a valid date";
        QTest::newRow("bad number") << "Regnr = 'five'"
                                    << "not a valid integer value";
        QTest::newRow("no operator") << "Family 'Rosaceae'"
                                     << "comparison operator";
        QTest::newRow("trailing text") << "Regnr = 2 Regnr"
                                       << "unexpected";
        QTest::newRow("open parenthesis") << "(Regnr = 2"
                                          << "parenthesis";
        QTest::newRow("two literals") << "'a' = 'a'"
                                      << "needs a field";
    }

    void badFilterIsRefusedAndKeepsTheOldOne() {
        QFETCH(QString, filter);
        QFETCH(QString, message);
        Table& t = *m_plants;
        t.setFilter(QStringLiteral("Family = 'Rosaceae'"));
        t.setFiltered(true);
        try {
            t.setFilter(filter);
            QFAIL("no error");
        } catch (const store::Error& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(t.Filter(), QStringLiteral("Family = 'Rosaceae'"));
        QCOMPARE(regnrs(t), (QList<int>{5, 9}));
        // Switching a bad filter on fails too and leaves filtering off.
        t.setFiltered(false);
        t.setFilter(filter);
        QVERIFY_THROWS_EXCEPTION(store::Error, t.setFiltered(true));
        QVERIFY(!t.Filtered());
        QCOMPARE(t.RecordCount(), 5);
    }

    void filterTextIsKeptWhileOff() {
        Table& t = *m_plants;
        t.setFilter(QStringLiteral("Family = 'Rosaceae'"));
        QCOMPARE(t.RecordCount(), 5);
        t.setFiltered(true);
        QCOMPARE(t.RecordCount(), 2);
        t.setFiltered(false);
        QCOMPARE(t.Filter(), QStringLiteral("Family = 'Rosaceae'"));
        QCOMPARE(t.RecordCount(), 5);
    }

    void postedRowFollowsItsKeyOrLeavesTheView() {
        Table& t = *m_plants;
        t.setFilter(QStringLiteral("Family = 'Rosaceae'"));
        t.setFiltered(true);
        t.Insert();
        QCOMPARE(t.State(), DataSetState::Insert);
        QCOMPARE(t.RecordCount(), 2);  // the new row is not counted until posted
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(6);
        t.FieldByName(QStringLiteral("Family")).setAsString(QStringLiteral("Rosaceae"));
        t.Post();
        QCOMPARE(t.State(), DataSetState::Browse);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 6);
        QCOMPARE(t.RecNo(), 1);
        QCOMPARE(t.RecordCount(), 3);
        // Edited so it no longer passes: it leaves the view and its neighbour is current.
        t.Edit();
        t.FieldByName(QStringLiteral("Family")).setAsString(QStringLiteral("Liliaceae"));
        t.Post();
        QCOMPARE(t.RecordCount(), 2);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 9);
        QCOMPARE(regnrs(t), (QList<int>{5, 9}));
        t.setFiltered(false);
        QCOMPARE(regnrs(t), (QList<int>{2, 3, 5, 6, 7, 9}));
    }

    void postedRowsAreOnDisk() {
        Table& t = *m_plants;
        t.Append();
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(1);
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Ærenpris ØÅ ß"));
        t.FieldByName(QStringLiteral("Price")).setAsFloat(0.1 + 0.2);
        t.Post();
        m_plants.reset();
        store::Session::closeAll();
        m_plants = open(QStringLiteral("Plants.db"));
        m_plants->First();
        QCOMPARE(m_plants->FieldByName(QStringLiteral("Name")).AsString(),
                 QStringLiteral("Ærenpris ØÅ ß"));
        QCOMPARE(m_plants->FieldByName(QStringLiteral("Price")).AsFloat(),
                 0.1 + 0.2);  // not rounded
    }

    void keyViolationGoesToThePostErrorRule() {
        Table& t = *m_plants;
        int calls = 0;
        int code = 0;
        t.OnPostError = [&](Table&, const store::StoreError& e) {
            ++calls;
            code = e.errorCode();
        };
        t.Insert();
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(5);
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Second rose"));
        try {
            t.Post();
            QFAIL("no error");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.errorCode(), store::StoreError::KeyViolation);
        }
        QCOMPARE(calls, 1);
        QCOMPARE(code, 9729);
        QCOMPARE(t.State(), DataSetState::Insert);
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Second rose"));
        // A rule that aborts silently ends the post the same way.
        t.OnPostError = [](Table&, const store::StoreError&) { throw store::SilentAbort(); };
        QVERIFY_THROWS_EXCEPTION(store::SilentAbort, t.Post());
        QCOMPARE(t.State(), DataSetState::Insert);
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(50);
        t.Post();
        QCOMPARE(t.RecordCount(), 6);
        // Two blank keys are equal keys as well.
        for (int i = 0; i < 2; ++i) {
            t.Insert();
            t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("no number"));
            if (i == 0) {
                t.Post();
            } else {
                QVERIFY_THROWS_EXCEPTION(store::SilentAbort, t.Post());
                t.Cancel();
            }
        }
    }

    void cancelAndDelete() {
        Table& t = *m_plants;
        t.First();
        t.Next();  // 3
        t.Insert();
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(4);
        t.Cancel();
        QCOMPARE(t.State(), DataSetState::Browse);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 3);
        QCOMPARE(t.RecordCount(), 5);
        // Delete in insert state only drops the new row.
        t.Insert();
        t.Delete();
        QCOMPARE(t.RecordCount(), 5);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 3);
        // Deleting moves to the next row, or the one before at the end.
        t.Delete();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 5);
        t.Last();
        t.Delete();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        QCOMPARE(regnrs(t), (QList<int>{2, 5, 7}));
        // An edit is dropped by Cancel and the stored values come back.
        t.First();
        t.Edit();
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("changed"));
        QVERIFY(t.Modified());
        t.Cancel();
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Tulip"));
        while (!t.IsEmpty()) {
            t.Delete();
        }
        try {
            t.Delete();
            QFAIL("no error");
        } catch (const store::Error& e) {
            QCOMPARE(e.message(),
                     QStringLiteral("Cannot perform this operation on an empty dataset"));
            QCOMPARE(e.kind(), store::Error::Kind::EmptyDataset);
        }
        QCOMPARE(t.RecordCount(), 0);
        QVERIFY(t.Eof() && t.Bof());
    }

    void movingAwayPostsAChangedRowAndDropsAnUnchangedOne() {
        Table& t = *m_plants;
        t.First();
        t.Edit();
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Red tulip"));
        t.Next();
        QCOMPARE(t.State(), DataSetState::Browse);
        t.First();
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Red tulip"));
        t.AfterInsert = [](Table& tt) { tt.FieldByName(QStringLiteral("Regnr")).setAsInteger(77); };
        t.Insert();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 77);
        QVERIFY(!t.Modified());  // only the rule filled it in
        t.Last();
        QCOMPARE(t.RecordCount(), 5);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 9);
    }

    void editOnAnEmptyTableInserts() {
        Table& t = *m_plants;
        t.setFilter(QStringLiteral("Regnr > 100"));
        t.setFiltered(true);
        QVERIFY(t.IsEmpty());
        QVERIFY(t.FieldByName(QStringLiteral("Name")).IsNull());
        t.Edit();
        QCOMPARE(t.State(), DataSetState::Insert);
    }

    void locateAndBookmarks() {
        Table& t = *m_plants;
        QVERIFY(t.Locate(QStringLiteral("Family"), QStringLiteral("Rosaceae")));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 5);  // first in key order
        QCOMPARE(t.RecNo(), 2);
        const store::Bookmark b = t.GetBookmark();
        QVERIFY(!t.Locate(QStringLiteral("Family"), QStringLiteral("Poaceae")));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 5);  // not moved
        QVERIFY(t.Locate(QStringLiteral("Family"), QString()));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 3);
        QVERIFY(t.Locate(QStringLiteral("Planted"), QStringLiteral("10-10-1999")));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 9);
        QVERIFY(t.BookmarkValid(b));
        t.GotoBookmark(b);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 5);
        t.Next();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        // A bookmark of a row the filter hides can no longer be reached.
        t.setFilter(QStringLiteral("Family = 'Liliaceae'"));
        t.setFiltered(true);
        QVERIFY(!t.BookmarkValid(b));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, t.GotoBookmark(b));
    }

    void rowScopeReadsAnyRowWithoutMoving() {
        Table& t = *m_plants;
        t.First();
        QStringList names;
        for (int row = 0; row < t.RecordCount(); ++row) {
            Table::RowScope scope(t, row);
            names << t.FieldByName(QStringLiteral("Name")).AsString();
        }
        QCOMPARE(names, (QStringList{QStringLiteral("Tulip"), QStringLiteral("Mint"),
                                     QStringLiteral("Rose"), QStringLiteral("O'Brien's lily"),
                                     QStringLiteral("Apple")}));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
        QVERIFY_THROWS_EXCEPTION(store::Error, Table::RowScope(t, 5));
    }

    void notificationsAndFrozenControls() {
        Table& t = *m_plants;
        QSignalSpy scroll(&t, &Table::recordChanged);
        QSignalSpy rows(&t, &Table::dataSetChanged);
        QSignalSpy state(&t, &Table::stateChanged);
        QSignalSpy field(&t, &Table::fieldChanged);
        t.Next();
        QCOMPARE(scroll.count(), 1);
        t.Edit();
        QCOMPARE(state.count(), 1);
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("x"));
        QCOMPARE(field.count(), 1);
        QCOMPARE(field.first().first().value<store::Field*>(), t.FindField(QStringLiteral("Name")));
        t.Post();
        QCOMPARE(state.count(), 2);
        QVERIFY(rows.count() >= 1);
        scroll.clear();
        rows.clear();
        t.DisableControls();
        QVERIFY(t.ControlsDisabled());
        t.First();
        t.Next();
        t.Next();
        QCOMPARE(scroll.count(), 0);
        t.EnableControls();
        QCOMPARE(scroll.count(), 1);
        QCOMPARE(rows.count(), 0);
    }

    void updateHooksHandPendingTextToThePost() {
        Table& t = *m_plants;
        QString pending = QStringLiteral("typed");
        const int id = t.addUpdateRecordHook(
            [&] { t.FieldByName(QStringLiteral("Name")).setAsString(pending); });
        t.First();
        t.Edit();
        t.Post();
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("typed"));
        // A refusal from a hook stops the post with the row still being edited.
        t.removeUpdateRecordHook(id);
        t.addUpdateRecordHook(
            [&] { t.FieldByName(QStringLiteral("Regnr")).setAsString(QStringLiteral("x")); });
        t.Edit();
        QVERIFY_THROWS_EXCEPTION(store::Error, t.Post());
        QCOMPARE(t.State(), DataSetState::Edit);
    }

    void masterLinkShowsAndFillsTheDetailRows() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = std::make_unique<Table>();
        items->setDatabaseName(Alias);
        items->setTableName(QStringLiteral("Items.db"));
        items->setMasterSource(owners.get());
        items->setMasterFields(QStringLiteral("Nr;Title"));
        items->setIndexFieldNames(QStringLiteral("Nr;Title"));
        QString seenAtInsert;
        items->AfterInsert = [&](Table& t) {
            seenAtInsert = t.FieldByName(QStringLiteral("Title")).AsString();
        };
        items->Open();
        QCOMPARE(items->RecordCount(), 2);  // Pond; the old pond's pump is not shown
        QCOMPARE(regnrs(*items, QStringLiteral("Qty")), (QList<int>{1, 40}));
        owners->Next();
        QCOMPARE(items->RecordCount(), 1);
        QCOMPARE(items->FieldByName(QStringLiteral("Item")).AsString(), QStringLiteral("Soil"));
        items->Insert();
        QCOMPARE(items->FieldByName(QStringLiteral("Nr")).AsInteger(), 2);
        QCOMPARE(seenAtInsert, QStringLiteral("Bed"));
        items->FieldByName(QStringLiteral("Item")).setAsString(QStringLiteral("Seeds"));
        // Moving the master posts the changed detail row first.
        owners->First();
        QCOMPARE(items->State(), DataSetState::Browse);
        QCOMPARE(items->RecordCount(), 2);
        owners->Next();
        QCOMPARE(items->RecordCount(), 2);
        // Renaming the work hides its rows: both fields must match.
        owners->Edit();
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Raised bed"));
        owners->Post();
        QCOMPARE(items->RecordCount(), 0);
        QVERIFY(items->IsEmpty());
        owners->Edit();
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Bed"));
        owners->Post();
        QCOMPARE(items->RecordCount(), 2);
    }

    void fieldRulesRefuseWithTheirKind_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("kind");  // -1: taken
        QTest::addColumn<QStringList>("args");
        const int below = int(store::Error::Kind::BelowMinimum);
        const int notAllowed = int(store::Error::Kind::NotAllowed);
        QTest::newRow("negative amount") << "Price"
                                         << "-12,50" << below << QStringList{"Price", "-12,5", "0"};
        QTest::newRow("negative integer") << "Regnr"
                                          << "-1" << below << QStringList{"Regnr", "-1", "0"};
        QTest::newRow("zero") << "Price"
                              << "0" << -1 << QStringList{};
        QTest::newRow("empty amount") << "Price"
                                      << "" << -1 << QStringList{};
        QTest::newRow("allowed text") << "Family"
                                      << "Ja" << -1 << QStringList{};
        QTest::newRow("empty text") << "Family"
                                    << "" << -1 << QStringList{};
        QTest::newRow("other case") << "Family"
                                    << "ja" << notAllowed << QStringList{"Family", "ja", "Ja, Nej"};
        QTest::newRow("any other text")
            << "Family"
            << "x" << notAllowed << QStringList{"Family", "x", "Ja, Nej"};
    }

    // Rules given to a table object hold for fields made when it opens, and every time.
    void fieldRulesRefuseWithTheirKind() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, kind);
        QFETCH(QStringList, args);
        m_plants->Close();
        store::FieldRules notNegative;
        notNegative.minValue = 0.0;
        m_plants->setFieldRules(QStringLiteral("price"), notNegative);
        m_plants->setFieldRules(QStringLiteral("Regnr"), notNegative);
        store::FieldRules jaNej;
        jaNej.allowed = {QStringLiteral("Ja"), QStringLiteral("Nej")};
        m_plants->setFieldRules(QStringLiteral("Family"), jaNej);
        for (int round = 0; round < 2; ++round) {
            m_plants->Open();
            m_plants->First();
            m_plants->Edit();
            Field& f = m_plants->FieldByName(field);
            const QVariant before = f.Value();
            try {
                f.setAsString(text);
                QCOMPARE(kind, -1);
                QCOMPARE(f.AsString(), text.isEmpty() ? QString() : f.AsString());
            } catch (const store::FieldError& e) {
                QCOMPARE(int(e.kind()), kind);
                QCOMPARE(e.args(), args);
                QCOMPARE(f.Value(), before);
            }
            m_plants->Cancel();
            m_plants->Close();
        }
        m_plants->Open();
    }

    // A detail whose rows belong to their master row, as a work's materials belong to it.
    std::unique_ptr<Table> ownedItems(Table& owners) {
        auto items = std::make_unique<Table>();
        items->setDatabaseName(Alias);
        items->setTableName(QStringLiteral("Items.db"));
        items->setMasterSource(&owners);
        items->setMasterFields(QStringLiteral("Nr;Title"));
        items->setIndexFieldNames(QStringLiteral("Nr;Title"));
        items->setCascadeUpdates(true);
        items->setCascadeDeletes(true);
        items->Open();
        return items;
    }
    // Every stored item as "number title item", past any link.
    QStringList storedItems() {
        auto all = open(QStringLiteral("Items.db"));
        QStringList out;
        for (all->First(); !all->Eof(); all->Next()) {
            out << QStringLiteral("%1 %2 %3")
                       .arg(all->FieldByName(QStringLiteral("Nr")).AsString(),
                            all->FieldByName(QStringLiteral("Title")).AsString(),
                            all->FieldByName(QStringLiteral("Item")).AsString());
        }
        return out;
    }
    void addItem(Table& items, const QString& name) {
        items.Insert();
        items.FieldByName(QStringLiteral("Item")).setAsString(name);
        items.Post();
    }

    void detailRowsFollowARename() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = ownedItems(*owners);
        QCOMPARE(items->RecordCount(), 2);
        owners->Edit();
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Fish pond"));
        // While the rename is pending the rows stay shown, and a new one joins them.
        QCOMPARE(items->RecordCount(), 2);
        addItem(*items, QStringLiteral("Fish"));
        QCOMPARE(owners->State(), DataSetState::Edit);
        QCOMPARE(items->FieldByName(QStringLiteral("Title")).AsString(), QStringLiteral("Pond"));
        owners->Post();
        QCOMPARE(items->RecordCount(), 3);
        // Another work's rows, and the rows of an older name, are left alone.
        QCOMPARE(storedItems(), (QStringList{"1 Fish pond Liner", "1 Fish pond Stones",
                                             "1 Fish pond Fish", "1 Old pond Pump", "2 Bed Soil"}));
        // A rename given up changes nothing.
        owners->Edit();
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Lake"));
        owners->Cancel();
        QCOMPARE(items->RecordCount(), 3);
        QCOMPARE(storedItems().filter(QStringLiteral("Lake")), QStringList{});
    }

    void aRefusedRenameLeavesTheDetailRows() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = ownedItems(*owners);
        owners->Edit();
        owners->FieldByName(QStringLiteral("Nr")).setAsInteger(2);  // taken by the bed
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Fish pond"));
        try {
            owners->Post();
            QFAIL("posted");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.errorCode(), store::StoreError::KeyViolation);
        }
        QCOMPARE(owners->State(), DataSetState::Edit);
        owners->Cancel();
        QCOMPARE(storedItems(),
                 (QStringList{"1 Old pond Pump", "1 Pond Liner", "1 Pond Stones", "2 Bed Soil"}));
        QCOMPARE(items->RecordCount(), 2);
    }

    void detailRowsOfANewMasterRowGoWithIt() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = ownedItems(*owners);
        owners->AfterInsert = [](Table& t) { t.FieldByName(QStringLiteral("Nr")).setAsInteger(3); };
        // Rows added before the new row has its name are the new row's once it is posted.
        owners->Insert();
        QVERIFY(items->IsEmpty());
        addItem(*items, QStringLiteral("Gravel"));
        addItem(*items, QStringLiteral("Edging"));
        QCOMPARE(items->RecordCount(), 2);
        QVERIFY(owners->Modified());  // no longer an untouched new row to drop
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Path"));
        QCOMPARE(items->RecordCount(), 2);
        owners->Post();
        QCOMPARE(items->RecordCount(), 2);
        QCOMPARE(storedItems().filter(QStringLiteral("3 ")),
                 (QStringList{"3 Path Gravel", "3 Path Edging"}));
        // A new row dropped takes the rows posted under it along, and only those.
        owners->AfterInsert = [](Table& t) { t.FieldByName(QStringLiteral("Nr")).setAsInteger(4); };
        owners->Insert();
        addItem(*items, QStringLiteral("Seeds"));
        owners->Cancel();
        QCOMPARE(storedItems().filter(QStringLiteral("Seeds")), QStringList{});
        QCOMPARE(storedItems().size(), 6);
        owners->Insert();
        owners->Delete();  // a new row: as dropping it
        QCOMPARE(storedItems().size(), 6);
    }

    void deletingAMasterRowDeletesItsDetailRows() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = ownedItems(*owners);
        owners->Delete();  // the pond
        QCOMPARE(owners->FieldByName(QStringLiteral("Title")).AsString(), QStringLiteral("Bed"));
        QCOMPARE(items->RecordCount(), 1);
        // The pump of the old name belonged to no row; it stays for the user to find.
        QCOMPARE(storedItems(), (QStringList{"1 Old pond Pump", "2 Bed Soil"}));
        // Deleted in the middle of a rename, the row takes the rows of its stored name.
        owners->Edit();
        owners->FieldByName(QStringLiteral("Title")).setAsString(QStringLiteral("Old pond"));
        owners->Delete();
        QCOMPARE(storedItems(), QStringList{"1 Old pond Pump"});
    }

    void noMasterRowShowsNoDetailRows() {
        auto owners = open(QStringLiteral("Owners.db"));
        auto items = ownedItems(*owners);
        owners->setFilter(QStringLiteral("Nr > 5"));
        owners->setFiltered(true);
        QVERIFY(owners->IsEmpty());
        QCOMPARE(items->RecordCount(), 0);
        QVERIFY(items->IsEmpty());
    }

    void insertRulesCanRefuseOrFail() {
        Table& t = *m_plants;
        const int before = t.RecordCount();
        t.BeforeInsert = [](Table&) { throw store::Error(QStringLiteral("not now")); };
        QVERIFY_THROWS_EXCEPTION(store::Error, t.Insert());
        QCOMPARE(t.State(), DataSetState::Browse);
        t.BeforeInsert = nullptr;
        // A row its after-insert rule could not complete is dropped, not left half made.
        t.AfterInsert = [](Table&) { throw store::Error(QStringLiteral("no number")); };
        QVERIFY_THROWS_EXCEPTION(store::Error, t.Insert());
        QCOMPARE(t.State(), DataSetState::Browse);
        QCOMPARE(t.RecordCount(), before);
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
    }

    void narrowTextFieldsAreWidenedKeepingEveryRow() {
        m_plants.reset();
        store::Session::closeAll();
        const QList<store::TableDef> wider = {
            {QStringLiteral("Plants.db"),
             {{QStringLiteral("Name"), FieldType::String, 60},
              {QStringLiteral("Family"), FieldType::String, 40}},
             {},
             false},
            {QStringLiteral("Owners.db"),
             {{QStringLiteral("Title"), FieldType::String}},
             {},
             false},
        };
        auto db = store::Session::database(Alias);
        QCOMPARE(db->narrowerThan(wider).size(), 1);  // an unlimited field stays as it is
        QStringList rowsBefore;
        {
            auto t = open(QStringLiteral("Plants.db"));
            for (t->First(); !t->Eof(); t->Next()) {
                QStringList r;
                for (int i = 0; i < t->FieldCount(); ++i) {
                    r << t->Fields(i).AsString();
                }
                rowsBefore << r.join(QLatin1Char('|'));
            }
        }
        db->widenTextFields(wider);
        QVERIFY(db->narrowerThan(wider).isEmpty());
        auto t = open(QStringLiteral("Plants.db"));
        QCOMPARE(t->FieldByName(QStringLiteral("Name")).Size(), 60);
        QCOMPARE(t->FieldByName(QStringLiteral("Family")).Size(), 0);  // never narrowed
        QStringList rowsAfter;
        for (t->First(); !t->Eof(); t->Next()) {
            QStringList r;
            for (int i = 0; i < t->FieldCount(); ++i) {
                r << t->Fields(i).AsString();
            }
            rowsAfter << r.join(QLatin1Char('|'));
        }
        QCOMPARE(rowsAfter, rowsBefore);
        // The key still refuses a number in use.
        t->Insert();
        t->FieldByName(QStringLiteral("Regnr")).setAsInteger(5);
        QVERIFY_THROWS_EXCEPTION(store::StoreError, t->Post());
        t->Cancel();
        t->Edit();
        t->FieldByName(QStringLiteral("Name")).setAsString(QString(60, QLatin1Char('n')));
        t->Post();
        QVERIFY(db->integrityOk());
    }

    void calculatedFieldsFollowTheRow() {
        auto items = std::make_unique<Table>();
        items->setDatabaseName(Alias);
        items->setTableName(QStringLiteral("Items.db"));
        items->declareField(QStringLiteral("Nr"), FieldType::Integer);
        items->declareField(QStringLiteral("Title"), FieldType::String);
        items->declareField(QStringLiteral("Item"), FieldType::String);
        items->declareField(QStringLiteral("Qty"), FieldType::Integer);
        store::Field* twice = items->declareCalcField(QStringLiteral("Twice"), FieldType::Integer);
        items->OnCalcFields = [](Table& t) {
            t.FieldByName(QStringLiteral("Twice"))
                .setAsInteger(2 * t.FieldByName(QStringLiteral("Qty")).AsInteger());
        };
        items->Open();
        QCOMPARE(items->FieldCount(), 5);
        QCOMPARE(regnrs(*items, QStringLiteral("Twice")), (QList<int>{2, 2, 80, 6}));
        {
            Table::RowScope scope(*items, 2);
            QCOMPARE(twice->AsInteger(), 80);
        }
        items->First();
        items->Edit();
        QSignalSpy field(items.get(), &Table::fieldChanged);
        items->FieldByName(QStringLiteral("Qty")).setAsInteger(21);
        QCOMPARE(twice->AsInteger(), 42);
        QCOMPARE(field.count(), 2);  // the quantity, then the calculated field
        QVERIFY_THROWS_EXCEPTION(store::Error, twice->setAsInteger(1));
        items->Cancel();
    }

    // A sort order other than the key's: every way of moving follows it, ties keep their
    // key order, empty values come first, and the key order comes back with no fields.
    void aSortOrderOrdersEveryMove_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<QList<int>>("order");
        QTest::newRow("text") << "Name" << false << QList<int>{9, 3, 7, 5, 2};
        QTest::newRow("text, descending") << "name" << true << QList<int>{2, 5, 7, 3, 9};
        QTest::newRow("text with ties") << "Family" << false << QList<int>{3, 2, 7, 5, 9};
        QTest::newRow("ties keep key order descending")
            << "Family" << true << QList<int>{5, 9, 2, 7, 3};
        QTest::newRow("date") << "Planted" << false << QList<int>{7, 9, 5, 2, 3};
        QTest::newRow("date, descending") << "Planted" << true << QList<int>{3, 2, 5, 9, 7};
        QTest::newRow("money") << "Price" << false << QList<int>{7, 3, 2, 5, 9};
        QTest::newRow("the key, descending") << "Regnr" << true << QList<int>{9, 7, 5, 3, 2};
    }

    void aSortOrderOrdersEveryMove() {
        QFETCH(QString, field);
        QFETCH(bool, descending);
        QFETCH(QList<int>, order);
        Table& t = *m_plants;
        t.Locate(QStringLiteral("Regnr"), 5);
        QSignalSpy changed(&t, &Table::dataSetChanged);
        t.setSortOrder({{field, descending}});
        QCOMPARE(changed.count(), 1);
        // The current row stays current, at its new place.
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 5);
        QCOMPARE(t.RecNo(), int(order.indexOf(5)));
        QCOMPARE(regnrs(t), order);
        QList<int> backwards;
        for (t.Last(); !t.Bof(); t.Prior()) {
            backwards.prepend(t.FieldByName(QStringLiteral("Regnr")).AsInteger());
        }
        QCOMPARE(backwards, order);
        for (int row = 0; row < order.size(); ++row) {
            t.MoveTo(row);
            QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), order.at(row));
            QCOMPARE(t.RecNo(), row);
            Table::RowScope scope(t, row);
            QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), order.at(row));
        }
        // Seeking from any row finds its neighbours in the order.
        t.MoveTo(2);
        t.Next();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), order.at(3));
        t.MoveTo(2);
        t.Prior();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), order.at(1));
        t.setSortOrder({});
        QCOMPARE(regnrs(t), (QList<int>{2, 3, 5, 7, 9}));
    }

    // Posts, inserts, deletes and filters keep to the sort order.
    void aSortOrderHoldsThroughChanges() {
        Table& t = *m_plants;
        t.setSortOrder({{QStringLiteral("Name")}});
        t.setFilter(QStringLiteral("Family = 'Rosaceae'"));
        t.setFiltered(true);
        QCOMPARE(regnrs(t), (QList<int>{9, 5}));
        t.setFiltered(false);
        t.MoveTo(1);  // Mint
        t.Insert();
        QCOMPARE(t.InsertPosition(), 1);
        t.FieldByName(QStringLiteral("Regnr")).setAsInteger(4);
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Basil"));
        t.Post();
        QCOMPARE(t.RecNo(), 1);
        QCOMPARE(regnrs(t), (QList<int>{9, 4, 3, 7, 5, 2}));
        // Renamed, a row moves to its new place and stays current.
        t.Locate(QStringLiteral("Regnr"), 2);
        t.Edit();
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Aster"));
        t.Post();
        QCOMPARE(t.RecNo(), 1);  // after Apple
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
        // Deleted, its neighbour in the order is current.
        t.Locate(QStringLiteral("Regnr"), 3);
        t.Delete();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 7);
        // Locate finds the first in the order.
        QVERIFY(t.Locate(QStringLiteral("Family"), QStringLiteral("Rosaceae")));
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 9);
        QCOMPARE(t.RecordCount(), 5);
    }

    // A row being typed stays in its edit when the order changes; the edit is not posted.
    void aSortOrderLeavesAnEditPending() {
        Table& t = *m_plants;
        t.Locate(QStringLiteral("Regnr"), 5);
        t.Edit();
        t.FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Zinnia"));
        t.setSortOrder({{QStringLiteral("Name"), true}});
        QCOMPARE(t.State(), DataSetState::Edit);
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Zinnia"));
        t.Cancel();
        QCOMPARE(t.FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Rose"));
        QCOMPARE(regnrs(t), (QList<int>{2, 5, 7, 3, 9}));
        // A new row keeps its place among the others.
        t.MoveTo(0);
        t.Insert();
        t.setSortOrder({{QStringLiteral("Name")}});
        QCOMPARE(t.State(), DataSetState::Insert);
        QCOMPARE(t.InsertPosition(), 4);  // before Tulip, where the cursor was
        t.Cancel();
        QCOMPARE(t.FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
    }

    void aSortOrderNeedsAStoredField() {
        Table& t = *m_plants;
        t.setSortOrder({{QStringLiteral("Family")}});
        QVERIFY_THROWS_EXCEPTION(store::Error, t.setSortOrder({{QStringLiteral("Nothing")}}));
        QCOMPARE(t.SortOrder(), (QList<store::SortField>{{QStringLiteral("Family"), false}}));
        QCOMPARE(regnrs(t), (QList<int>{3, 2, 7, 5, 9}));
        auto items = std::make_unique<Table>();
        items->setDatabaseName(Alias);
        items->setTableName(QStringLiteral("Items.db"));
        items->declareField(QStringLiteral("Nr"), FieldType::Integer);
        items->declareField(QStringLiteral("Title"), FieldType::String);
        items->declareField(QStringLiteral("Item"), FieldType::String);
        items->declareField(QStringLiteral("Qty"), FieldType::Integer);
        items->declareCalcField(QStringLiteral("Twice"), FieldType::Integer);
        items->Open();
        QVERIFY_THROWS_EXCEPTION(store::Error, items->setSortOrder({{QStringLiteral("Twice")}}));
        // Set while closed, it applies when the table opens.
        items->Close();
        items->setSortOrder({{QStringLiteral("Qty"), true}});
        items->Open();
        QCOMPARE(regnrs(*items, QStringLiteral("Qty")), (QList<int>{40, 3, 1, 1}));
    }

    void declaredFieldsMustMatchTheStoredOnes_data() {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("message");
        QTest::newRow("text declared as integer")
            << int(FieldType::Integer)
            << "Type mismatch for field 'Item', expecting: Integer actual: String";
        QTest::newRow("text declared as amount")
            << int(FieldType::Currency)
            << "Type mismatch for field 'Item', expecting: Currency actual: String";
        QTest::newRow("text declared as memo")
            << int(FieldType::Memo)
            << "Type mismatch for field 'Item', expecting: Memo actual: String";
    }

    void declaredFieldsMustMatchTheStoredOnes() {
        QFETCH(int, type);
        QFETCH(QString, message);
        Table items;
        items.setDatabaseName(Alias);
        items.setTableName(QStringLiteral("Items.db"));
        items.declareField(QStringLiteral("Nr"), FieldType::Integer);
        items.declareField(QStringLiteral("Item"), FieldType(type));
        try {
            items.Open();
            QFAIL("opened");
        } catch (const store::Error& e) {
            QCOMPARE(e.message(), message);
        }
        QVERIFY(!items.Active());
        Table missing;
        missing.setDatabaseName(Alias);
        missing.setTableName(QStringLiteral("Items.db"));
        missing.declareField(QStringLiteral("Colour"), FieldType::String);
        QVERIFY_THROWS_EXCEPTION(store::Error, missing.Open());
    }

    void openingFailsClearly() {
        Table t;
        t.setDatabaseName(Alias);
        t.setTableName(QStringLiteral("Nothing.db"));
        try {
            t.Open();
            QFAIL("opened");
        } catch (const store::StoreError& e) {
            QVERIFY(e.message().contains(QStringLiteral("Nothing.db")));
        }
        t.setDatabaseName(QStringLiteral("NoSuchAlias"));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, t.Open());
        QVERIFY(!t.Active());
        QVERIFY_THROWS_EXCEPTION(store::Error, t.First());
    }

    void aDamagedOrMissingDatabaseIsAnError() {
        m_plants.reset();
        store::Session::closeAll();
        const QString file =
            QDir(m_dir->path()).filePath(QString::fromLatin1(store::Database::FileName));
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'x'));
        }
        QFile::remove(file + QStringLiteral("-wal"));
        QFile::remove(file + QStringLiteral("-shm"));
        try {
            open(QStringLiteral("Plants.db"));
            QFAIL("opened");
        } catch (const store::StoreError& e) {
            QCOMPARE(e.errorCode(), store::StoreError::Corrupt);
        }
        QFile::remove(file);
        store::Session::closeAll();
        QVERIFY_THROWS_EXCEPTION(store::StoreError, open(QStringLiteral("Plants.db")));
        QVERIFY(!QFile::exists(file));  // never created behind the user's back
        store::Session::setAliasPath(Alias, m_dir->path() + QStringLiteral("/gone"));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, open(QStringLiteral("Plants.db")));
    }

    void aReadOnlyFolderReadsButRefusesToPost() {
        m_plants.reset();
        store::Session::closeAll();
        store::Session::folderOf(Alias);  // read while the configuration is still readable
        // Root may write anywhere, so the check runs as an unprivileged user in a child.
        QVERIFY(QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::ExeOwner |
                                                         QFile::ReadOther | QFile::ExeOther));
        const QString file =
            QDir(m_dir->path()).filePath(QString::fromLatin1(store::Database::FileName));
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther));
        const pid_t pid = fork();
        if (pid == 0) {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
                _exit(10);
            }
            int result = 0;
            try {
                auto t = open(QStringLiteral("Plants.db"));
                if (t->RecordCount() != 5 || !t->readOnly()) {
                    _exit(11);
                }
                t->First();
                // Refused before anything is pending, so no window is kept from closing.
                auto refused = [&](const std::function<void()>& change) {
                    try {
                        change();
                    } catch (const store::StoreError& e) {
                        return e.errorCode() == store::StoreError::ReadOnly &&
                               e.kind() == store::Error::Kind::ReadOnly &&
                               e.args() == QStringList{m_dir->path()} &&
                               t->State() == DataSetState::Browse;
                    }
                    return false;
                };
                if (!refused([&] { t->Edit(); }) || !refused([&] { t->Insert(); }) ||
                    !refused([&] { t->Delete(); })) {
                    result = 13;
                }
            } catch (...) {
                result = 14;
            }
            _exit(result);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        QFile::setPermissions(m_dir->path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(WIFEXITED(status));
        QCOMPARE(WEXITSTATUS(status), 0);
    }

    void aliasConfigurationAndTheDefaultFolder() {
        QTemporaryDir home;
        const QString folder = home.filePath(QStringLiteral("data/deep"));
        int created = 0;
        store::Session::setDefault(QStringLiteral("Fresh"), folder, [&](store::Database& db) {
            ++created;
            makeSchema(db);
        });
        // An alias file of the user's own that lacks the alias is not replaced by a new
        // database somewhere else.
        QVERIFY(!store::Session::isConfigured(QStringLiteral("Fresh")));
        QVERIFY_THROWS_EXCEPTION(store::StoreError,
                                 store::Session::GetAliasParams(QStringLiteral("Fresh")));
        QCOMPARE(created, 0);
        QVERIFY(!QFileInfo::exists(folder));
        QCOMPARE(store::Session::folderOf(Alias), m_dir->path());
        // Only a first start, without any alias file, makes one.
        QVERIFY(QFile::remove(store::Session::aliasFile()));
        store::Session::reloadConfiguration();
        const QStringList params = store::Session::GetAliasParams(QStringLiteral("Fresh"));
        QCOMPARE(params.value(0), QStringLiteral("PATH=") + folder);
        QCOMPARE(created, 1);
        QVERIFY(
            QFile::exists(QDir(folder).filePath(QString::fromLatin1(store::Database::FileName))));
        QVERIFY(!QFile::exists(QDir(folder).filePath(QStringLiteral(".new-database"))));
        QCOMPARE(store::Session::folderOf(QStringLiteral("Fresh")), folder);
        // A configured alias is left alone.
        store::Session::GetAliasParams(QStringLiteral("Fresh"));
        QCOMPARE(created, 1);
        QVERIFY_THROWS_EXCEPTION(store::StoreError,
                                 store::Session::GetAliasParams(QStringLiteral("Unknown")));
        store::Session::setAliasPath(Alias, m_dir->path());
    }

    void anUpgradeRunsWhenTheDatabaseIsOpened() {
        m_plants.reset();
        store::Session::closeAll();
        int runs = 0;
        store::Session::setUpgrade(Alias, [&](store::Database& db) {
            ++runs;
            QVERIFY(db.hasTable(QStringLiteral("Plants")));
        });
        open(QStringLiteral("Plants.db"));
        open(QStringLiteral("Owners.db"));
        QCOMPARE(runs, 1);  // once for the database, before any table reads it
        store::Session::setUpgrade(Alias, {});
    }

    // ---- Danish order of text keys ----

    void danishOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("z before æ") << "Zinnia"
                                    << "Æble" << -1;
        QTest::newRow("æ before ø") << "æble"
                                    << "ørnebregne" << -1;
        QTest::newRow("ø before å") << "Østrigsk fyr"
                                    << "Ålegræs" << -1;
        QTest::newRow("case folded") << "asters"
                                     << "Zinnia" << -1;
        QTest::newRow("upper and lower æ") << "Æble"
                                           << "æblerose" << -1;
        QTest::newRow("ä as æ") << "Äble"
                                << "Æblf" << -1;
        QTest::newRow("ö as ø") << "Öland"
                                << "Ølandz" << -1;
        QTest::newRow("ü as y") << "Über"
                                << "Ybe" << 1;
        QTest::newRow("é as e") << "Épi"
                                << "Epj" << -1;
        QTest::newRow("ß as ss") << "Straße"
                                 << "Strasse" << 1;
        QTest::newRow("aa left alone") << "Aalborg"
                                       << "Ab" << -1;
        QTest::newRow("a digit before a letter") << "2 roser"
                                                 << "A" << -1;
        QTest::newRow("shorter first") << "Rose"
                                       << "Roser" << -1;
        QTest::newRow("the same") << "Rose"
                                  << "Rose" << 0;
        QTest::newRow("case decides a tie") << "Rose"
                                            << "rose" << -1;
        QTest::newRow("empty first") << ""
                                     << "A" << -1;
    }

    void danishOrder() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        auto signOf = [](int v) { return v < 0 ? -1 : v > 0 ? 1 : 0; };
        QCOMPARE(signOf(store::compareDanish(a, b)), sign);
        QCOMPARE(signOf(store::compareDanish(b, a)), -sign);
        // Plain ASCII keys are compared in place, to the same result.
        const QByteArray la = a.toLatin1(), lb = b.toLatin1();
        if (QString::fromLatin1(la) == a && QString::fromLatin1(lb) == b) {
            QCOMPARE(signOf(store::compareDanish(QLatin1StringView(la), QLatin1StringView(lb))),
                     sign);
        }
    }

    // Walked both ways, sought, counted before and posted into: one order throughout.
    void textKeysComeInDanishOrder() {
        auto words = wordList({"Østrigsk fyr", "Zinnia", "asters", "Ålegræs", "Abrikos", "Æble",
                               "Aster", "ærenpris"});
        auto walk = [&](bool backwards) {
            QStringList out;
            backwards ? words->Last() : words->First();
            while (!(backwards ? words->Bof() : words->Eof())) {
                out << words->FieldByName(QStringLiteral("Word")).AsString();
                backwards ? words->Prior() : words->Next();
            }
            return out;
        };
        const QStringList expected = QString::fromUtf8(
                                         "Abrikos|Aster|asters|Zinnia|Æble|ærenpris|Østrigsk "
                                         "fyr|Ålegræs")
                                         .split(u'|');
        QCOMPARE(walk(false), expected);
        QStringList reversed(expected.rbegin(), expected.rend());
        QCOMPARE(walk(true), reversed);
        QVERIFY(words->Locate(QStringLiteral("Word"), QString::fromUtf8("Æble")));
        QCOMPARE(words->RecNo(), 4);
        words->Next();
        QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(),
                 QString::fromUtf8("ærenpris"));
        // A new word takes its place in the order at once.
        words->Insert();
        words->FieldByName(QStringLiteral("Word")).setAsString(QString::fromUtf8("ørnebregne"));
        words->Post();
        QCOMPARE(words->RecNo(), 6);
        words->Prior();
        QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(),
                 QString::fromUtf8("ærenpris"));
        // The same word twice is still refused: the key compares as it is stored.
        words->Insert();
        words->FieldByName(QStringLiteral("Word")).setAsString(QStringLiteral("Zinnia"));
        QVERIFY_THROWS_EXCEPTION(store::StoreError, words->Post());
        words->Cancel();
        QCOMPARE(words->RecordCount(), 9);
    }

    // A grid's rows are read only as far as it looks; the positions, the count and the rows
    // read are those of a walk through every row, in Danish order and through a filter, also
    // when a write elsewhere in the database stopped the reading and after a row is added.
    void rowsAreReadAsFarAsAskedForAndStayRight() {
        auto words = wordList({});
        auto db = store::Session::database(Alias);
        db->inTransaction([&] {
            for (int i = 0; i < 400; ++i) {
                const QString w = QStringLiteral("%1%2 %3")
                                      .arg(QString::fromUtf8(i % 3 ? "a" : "æ"))
                                      .arg(QChar(u'a' + i % 26))
                                      .arg(399 - i, 3, 10, QLatin1Char('0'));
                db->insertRow(QStringLiteral("Words.db"), {w});
            }
        });
        for (const bool filtered : {false, true}) {
            words->Refresh();
            words->setFilter(QStringLiteral("Word >= 'ac'"));
            words->setFiltered(filtered);
            QStringList all;
            words->First();
            while (!words->Eof()) {
                all << words->FieldByName(QStringLiteral("Word")).AsString();
                words->Next();
            }
            words->setFiltered(!filtered);
            words->setFiltered(filtered);  // a new view: nothing read yet
            for (int row : {0, 5, 63, 64, 200, 130, int(all.size()) - 1}) {
                if (row == 130) {
                    // Writing elsewhere stops the reading; it takes up where it was.
                    m_plants->First();
                    m_plants->Edit();
                    m_plants->FieldByName(QStringLiteral("Name"))
                        .setAsString(QStringLiteral("Ivy"));
                    m_plants->Post();
                }
                {
                    Table::RowScope scope(*words, row);
                    QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(), all.at(row));
                }
                words->MoveTo(row);
                QCOMPARE(words->RecNo(), row);
                QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(), all.at(row));
            }
            QCOMPARE(words->RecordCount(), int(all.size()));
            words->MoveTo(all.size() + 10);  // past the end: the last row
            QCOMPARE(words->RecNo(), int(all.size()) - 1);
            QVERIFY_THROWS_EXCEPTION(store::Error, Table::RowScope(*words, int(all.size())));
            words->Insert();
            words->FieldByName(QStringLiteral("Word")).setAsString(QStringLiteral("ad 000"));
            words->Post();
            QCOMPARE(words->RecordCount(), int(all.size()) + 1);
            const int at = words->RecNo();
            words->MoveTo(at);
            QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(),
                     QStringLiteral("ad 000"));
            words->Delete();
        }
    }

    // A pass reads the rows in the order First and Next go, through the filter, a few at a
    // time, without moving the cursor; it stops for good when the rows shown change or the
    // database is written to.
    void aPassReadsTheShownRowsInTurns() {
        auto words = wordList({"Østrigsk fyr", "Zinnia", "asters", "Ålegræs", "Abrikos", "Æble",
                               "Aster", "ærenpris"});
        words->setFilter(QStringLiteral("Word >= 'B'"));
        words->setFiltered(true);
        QStringList walked;
        words->First();
        while (!words->Eof()) {
            walked << words->FieldByName(QStringLiteral("Word")).AsString();
            words->Next();
        }
        words->MoveTo(1);
        const QString current = words->FieldByName(QStringLiteral("Word")).AsString();
        const int field = words->FieldByName(QStringLiteral("Word")).Index();
        auto pass = words->beginPass({field});
        QStringList read;
        // Two rows, then the rest.
        QVERIFY(pass->read([&](qint64) {
            read << words->FieldByName(QStringLiteral("Word")).AsString();
            return read.size() < 2;
        }));
        QCOMPARE(words->FieldByName(QStringLiteral("Word")).AsString(), current);
        QVERIFY(!pass->read([&](qint64) {
            read << words->FieldByName(QStringLiteral("Word")).AsString();
            return true;
        }));
        QVERIFY(pass->atEnd());
        QCOMPARE(read, walked);
        QCOMPARE(words->RecNo(), 1);

        // In a sort order too, the pass goes where Next goes.
        words->setSortOrder({{QStringLiteral("Word"), true}});
        walked.clear();
        for (words->First(); !words->Eof(); words->Next()) {
            walked << words->FieldByName(QStringLiteral("Word")).AsString();
        }
        read.clear();
        words->beginPass({field})->read([&](qint64) {
            read << words->FieldByName(QStringLiteral("Word")).AsString();
            return true;
        });
        QCOMPARE(read, walked);
        words->setSortOrder({});

        // Changes that end a pass.
        for (const char* change : {"filter", "sort", "post elsewhere", "refresh", "close"}) {
            if (!words->Active()) {
                words->Open();
            }
            auto p = words->beginPass({field});
            int rows = 0;
            QVERIFY(p->read([&](qint64) { return ++rows < 1; }));
            const QByteArray what(change);
            if (what == "filter") {
                words->setFilter(QStringLiteral("Word >= 'C'"));
            } else if (what == "sort") {
                words->setSortOrder({{QStringLiteral("Word")}});
            } else if (what == "post elsewhere") {
                m_plants->First();
                m_plants->Edit();
                m_plants->FieldByName(QStringLiteral("Name")).setAsString(QStringLiteral("Ivy"));
                m_plants->Post();
            } else if (what == "refresh") {
                words->Refresh();
            } else {
                words->Close();
            }
            QVERIFY2(p->stopped(), change);
            QVERIFY(!p->read([&](qint64) { return ++rows > 0; }));
            QCOMPARE(rows, 1);
        }
        // A visit that changes the rows ends the read there.
        words->Open();
        words->setFiltered(false);
        auto p = words->beginPass({field});
        int rows = 0;
        QVERIFY(!p->read([&](qint64) {
            ++rows;
            words->setFiltered(true);
            return true;
        }));
        QCOMPARE(rows, 1);
        QVERIFY(p->stopped());
    }

    // The quick check begun while the program starts gives the same answer as one made when
    // asked, and is not taken for a file written to since it began.
    void theCheckBegunAheadAnswersForTheFileAsItIs() {
        m_plants.reset();
        store::Session::closeAll();
        const QString file =
            QDir(m_dir->path()).filePath(QString::fromLatin1(store::Database::FileName));
        store::Session::checkAhead(Alias);
        QVERIFY(store::Session::database(Alias)->quickCheckOk());
        store::Session::closeAll();
        {
            // The answer begun ahead is the one given while the file is as it was, also
            // when opening it left an empty log beside it: shown by a change made behind
            // the file's back, with its time put back, which only a second check would see.
            // Told when the answer is there, from the checking thread.
            QSemaphore answered;
            std::atomic<bool> elsewhere = false;
            const auto here = QThread::currentThread();
            store::Session::checkAhead(Alias, [&] {
                elsewhere = QThread::currentThread() != here;
                answered.release();
            });
            QVERIFY(answered.tryAcquire(1, 10000));
            QVERIFY(elsewhere);
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const QDateTime modified = f.fileTime(QFileDevice::FileModificationTime);
            const QByteArray page = (f.seek(2 * 4096), f.read(4096));
            f.seek(2 * 4096);
            f.write(QByteArray(4096, '\xff'));
            f.flush();
            QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
            f.close();
            bool sound = false;
            try {
                sound = store::Session::database(Alias)->quickCheckOk();
            } catch (const store::StoreError&) {
            }
            store::Session::closeAll();
            QVERIFY(f.open(QIODevice::ReadWrite));
            f.seek(2 * 4096);
            f.write(page);
            f.close();
            QVERIFY(sound);
        }
        // Damaged after the check found it sound: that answer is not believed.
        store::Session::checkAhead(Alias);
        QThread::msleep(300);
        {
            QFile f(file);
            QVERIFY(f.open(QIODevice::ReadWrite));
            const qint64 size = f.size();
            QVERIFY(size > 4 * 4096);
            f.seek(2 * 4096);
            f.write(QByteArray(4096, '\xff'));
        }
        QThread::msleep(20);  // a later time stamp, on file systems that count in steps
        bool damaged = false;
        try {
            damaged = !store::Session::database(Alias)->quickCheckOk();
        } catch (const store::StoreError& e) {
            damaged = e.errorCode() == store::StoreError::Corrupt;
        }
        QVERIFY(damaged);
        store::Session::closeAll();
        // Begun on the damaged file, the check finds it damaged too.
        store::Session::checkAhead(Alias);
        damaged = false;
        try {
            damaged = !store::Session::database(Alias)->quickCheckOk();
        } catch (const store::StoreError& e) {
            damaged = e.errorCode() == store::StoreError::Corrupt;
        }
        QVERIFY(damaged);
        store::Session::closeAll();
        // No database where the alias points: nothing is begun, nothing is made, and the
        // answer is there at once.
        store::Session::setAliasPath(Alias, m_dir->path() + QStringLiteral("/gone"));
        bool told = false;
        store::Session::checkAhead(Alias, [&] { told = true; });
        QVERIFY(told);
        QVERIFY(!QFileInfo::exists(m_dir->path() + QStringLiteral("/gone")));
    }

    // The collation lives in the program only; the data folder stays readable and writable
    // with the standard sqlite3 tool.
    void theStandardToolReadsAndWritesTheDatabase() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        QVERIFY2(!tool.isEmpty(), "sqlite3 is installed by scripts/deps.sh");
        auto words = wordList({"Zinnia", "Abrikos"});
        words.reset();
        m_plants.reset();
        store::Session::closeAll();
        const QString file =
            QDir(m_dir->path()).filePath(QString::fromLatin1(store::Database::FileName));
        QProcess sqlite;
        sqlite.start(tool,
                     {file, QStringLiteral("PRAGMA integrity_check;"
                                           "INSERT INTO Words VALUES('æble');"
                                           "INSERT INTO Plants (Regnr, Name) VALUES (11, 'Iris');"
                                           "SELECT Word FROM Words ORDER BY Word;")});
        QVERIFY(sqlite.waitForFinished(10000));
        QCOMPARE(sqlite.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts),
                 QString::fromUtf8("ok|Abrikos|Zinnia|æble").split(u'|'));
        // What the tool wrote, the program reads in its own order.
        words = open(QStringLiteral("Words.db"));
        QStringList order;
        for (words->First(); !words->Eof(); words->Next()) {
            order << words->FieldByName(QStringLiteral("Word")).AsString();
        }
        QCOMPARE(order, QString::fromUtf8("Abrikos|Zinnia|æble").split(u'|'));
        m_plants = open(QStringLiteral("Plants.db"));
        QVERIFY(m_plants->Locate(QStringLiteral("Regnr"), 11));
        QCOMPARE(m_plants->FieldByName(QStringLiteral("Name")).AsString(), QStringLiteral("Iris"));
    }
};

QTEST_GUILESS_MAIN(TableTest)
#include "tst_table.moc"
