// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "store/errors.h"
#include "store/session.h"
#include "store/sums.h"
#include "store/table.h"
#include "testsupport.h"

using store::FieldType;
using store::GroupBy;

namespace {

const QString Alias = QStringLiteral("SumsTest");

// Bought plants with a date, a family and a price, and lines of a quantity times a price.
void makeSchema(store::Database& db) {
    db.createTable({QStringLiteral("Plants.db"),
                    {{QStringLiteral("Regnr"), FieldType::Integer},
                     {QStringLiteral("Family"), FieldType::String},
                     {QStringLiteral("Planted"), FieldType::Date},
                     {QStringLiteral("Price"), FieldType::Currency}},
                    {QStringLiteral("Regnr")},
                    true});
    db.createTable({QStringLiteral("Lines.db"),
                    {{QStringLiteral("Nr"), FieldType::Integer},
                     {QStringLiteral("Qty"), FieldType::Integer},
                     {QStringLiteral("Price"), FieldType::Currency}},
                    {QStringLiteral("Nr")},
                    false});
    const QVariantList plants[] = {
        {1, QStringLiteral("Rosaceae"), QStringLiteral("2021-04-01"), 10.5},
        {2, QStringLiteral("Rosaceae"), QStringLiteral("2021-09-30"), 4.0},
        {3, QStringLiteral("Liliaceae"), QStringLiteral("2022-03-01"), QVariant()},
        {4, QVariant(), QStringLiteral("2022-05-05"), 2.25},
        {5, QStringLiteral("Rosaceae"), QVariant(), 100.0},
        {6, QStringLiteral("Rosaceae"), QStringLiteral("not a date"), 1.0},
        {7, QStringLiteral(""), QStringLiteral("2021-01-01"), 0.75},  // empty, not null
    };
    for (const QVariantList& r : plants) {
        db.insertRow(QStringLiteral("Plants.db"), r);
    }
    const QVariantList lines[] = {
        {1, 3, 12.5}, {1, 2, 5.0}, {1, QVariant(), 7.0}, {2, -2, 10.0}, {2, 4, QVariant()},
    };
    for (const QVariantList& r : lines) {
        db.insertRow(QStringLiteral("Lines.db"), r);
    }
}

struct Expected {
    QVariantList keys;
    qint64 rows;
    QList<double> sums;
};

}  // namespace

// Grouped sums read from whole tables, whatever a cursor on them filters.
class SumsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    store::Database& db() { return *store::Session::database(Alias); }

    static void compare(const QList<store::GroupSum>& got, const QList<Expected>& expected) {
        QCOMPARE(got.size(), expected.size());
        for (qsizetype i = 0; i < got.size(); ++i) {
            QCOMPARE(got.at(i).keys, expected.at(i).keys);
            QCOMPARE(got.at(i).rows, expected.at(i).rows);
            QCOMPARE(got.at(i).sums, expected.at(i).sums);
        }
    }

private Q_SLOTS:
    void initTestCase() { testsupport::isolateUserFolders(); }

    void init() {
        store::Session::closeAll();
        m_dir = std::make_unique<QTemporaryDir>();
        {
            store::Database made(m_dir->path(), true);
            makeSchema(made);
        }
        store::Session::setAliasPath(Alias, m_dir->path());
    }

    void cleanup() {
        store::Session::closeAll();
        m_dir.reset();
    }

    // Years of dates, text that is no date and nulls alike without a year; empty and null
    // text both empty; a product whose factor is empty adds nothing but is counted.
    void groupsAndTheirKeys() {
        compare(store::groupedSums(db(), QStringLiteral("Plants.db"),
                                   {{QStringLiteral("Planted"), GroupBy::Year},
                                    {QStringLiteral("Price"), GroupBy::IsEmpty}},
                                   {{QStringLiteral("Price")}}),
                {{{QVariant(), false}, 2, {101.0}},
                 {{2021, false}, 3, {15.25}},
                 {{2022, false}, 1, {2.25}},
                 {{2022, true}, 1, {0.0}}});
        compare(store::groupedSums(db(), QStringLiteral("Plants.db"),
                                   {{QStringLiteral("Family"), GroupBy::IsEmpty}},
                                   {{QStringLiteral("Price")}, {}}),
                {{{false}, 5, {115.5, 5.0}}, {{true}, 2, {3.0, 2.0}}});
        compare(store::groupedSums(db(), QStringLiteral("Lines.db"), {{QStringLiteral("Nr")}},
                                   {{QStringLiteral("Qty"), QStringLiteral("Price")}}),
                {{{1}, 3, {47.5}}, {{2}, 2, {-20.0}}});
        // Nothing grouped: one sum over the table.
        compare(store::groupedSums(db(), QStringLiteral("lines.db"), {},
                                   {{QStringLiteral("qty"), QStringLiteral("PRICE")}}),
                {{{}, 5, {27.5}}});
    }

    // A filter set on a cursor of the table, as a window leaves it, does not narrow the sums.
    void theWholeTableWhateverTheCursorFilters() {
        store::Table plants;
        plants.setDatabaseName(Alias);
        plants.setTableName(QStringLiteral("Plants.db"));
        plants.Open();
        plants.setFilter(QStringLiteral("Family = 'Liliaceae'"));
        plants.setFiltered(true);
        QCOMPARE(plants.RecordCount(), 1);
        const auto all =
            store::groupedSums(db(), QStringLiteral("Plants.db"), {}, {{QStringLiteral("Price")}});
        QCOMPARE(all.size(), 1);
        QCOMPARE(all.first().rows, 7);
        QCOMPARE(all.first().sums.first(), 118.5);
        QCOMPARE(plants.RecordCount(), 1);
    }

    void refusedQuestions_data() {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("group");
        QTest::addColumn<int>("part");
        QTest::addColumn<QString>("factor");
        QTest::newRow("unknown table") << "Gone.db"
                                       << "Family" << int(GroupBy::Value) << "Price";
        QTest::newRow("unknown group field") << "Plants.db"
                                             << "Familie" << int(GroupBy::Value) << "Price";
        // Quoted, SQLite would take an unknown name for a text constant and sum nonsense.
        QTest::newRow("unknown factor") << "Plants.db"
                                        << "Family" << int(GroupBy::Value) << "Prce";
        QTest::newRow("a name that is SQL")
            << "Plants.db"
            << "Family\"); DROP TABLE Plants; --" << int(GroupBy::Value) << "Price";
        QTest::newRow("year of no date") << "Plants.db"
                                         << "Family" << int(GroupBy::Year) << "Price";
    }

    void refusedQuestions() {
        QFETCH(QString, table);
        QFETCH(QString, group);
        QFETCH(int, part);
        QFETCH(QString, factor);
        bool refused = false;
        try {
            store::groupedSums(db(), table, {{group, GroupBy::Part(part)}}, {{factor}});
        } catch (const store::StoreError& e) {
            refused = !e.message().isEmpty();
        }
        QVERIFY(refused);
        QVERIFY(db().hasTable(QStringLiteral("Plants")));
    }
};

QTEST_GUILESS_MAIN(SumsTest)
#include "tst_sums.moc"
