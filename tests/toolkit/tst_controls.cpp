// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QtTest>
#include <memory>

#include "data/dm.h"
#include "store/session.h"
#include "testsupport.h"
#include "toolkit/dateedit.h"
#include "toolkit/dbcontrols.h"
#include "toolkit/errortext.h"
#include "toolkit/form.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"
#include "toolkit/navigator.h"
#include "toolkit/speedbutton.h"

using store::DataSetState;

namespace {

void addPlant(data::TDM& dm, const QString& name, const QString& family = QString()) {
    dm.PlanteTable->Insert();
    dm.PlanteTable->FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
    if (!family.isEmpty()) {
        dm.PlanteTable->FieldByName(QStringLiteral("Familie")).setAsString(family);
    }
    dm.PlanteTable->Post();
}

QString field(data::TDM& dm, const char* name) {
    return dm.PlanteTable->FieldByName(QString::fromLatin1(name)).AsString();
}

// A window with two bound boxes and a plain one to move the focus to.
struct EditWindow {
    QWidget window;
    toolkit::DBEdit* name = new toolkit::DBEdit(&window);
    toolkit::DBEdit* count = new toolkit::DBEdit(&window);
    QLineEdit* other = new QLineEdit(&window);

    explicit EditWindow(data::TDM& dm) {
        name->setDataSource(dm.PlanteSource);
        name->setDataField(QStringLiteral("Plantenavn"));
        count->setDataSource(dm.PlanteSource);
        count->setDataField(QStringLiteral("Antal"));
        count->move(0, 30);
        other->move(0, 60);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
    }
};

}  // namespace

// The data-bound controls on the real tables, typed into and clicked as a user would.
class ControlsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        addPlant(*m_dm, QStringLiteral("Rose"), QStringLiteral("Rosaceae"));
        addPlant(*m_dm, QStringLiteral("Tulipan"), QStringLiteral("Liliaceae"));
        addPlant(*m_dm, QStringLiteral("Rose"), QStringLiteral("Rosaceae"));
        m_dm->PlanteTable->First();
    }

    void cleanup() {
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theFirstKeyEditsAndTheTextWaitsForLeavingOrPosting() {
        EditWindow w(*m_dm);
        QCOMPARE(w.name->text(), QStringLiteral("Rose"));
        w.name->setFocus();
        w.name->end(false);
        QCOMPARE(m_dm->PlanteTable->State(), DataSetState::Browse);
        QTest::keyClick(w.name, Qt::Key_S);
        QCOMPARE(m_dm->PlanteTable->State(), DataSetState::Edit);
        QTest::keyClicks(w.name, QStringLiteral(" gallica"));
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Rose"));  // not yet in the row
        w.other->setFocus();
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Roses gallica"));
        // Posting takes the text of a box that still has the focus.
        w.name->setFocus();
        QTest::keyClick(w.name, Qt::Key_Backspace);
        QTest::keyClick(w.name, Qt::Key_A);
        m_dm->PlanteTable->Post();
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Roses gallica"));
        m_dm->PlanteTable->Refresh();
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Roses gallica"));
        QCOMPARE(w.name->text(), QStringLiteral("Roses gallica"));
        // Moving to another row shows it.
        m_dm->PlanteTable->Next();
        QCOMPARE(w.name->text(), QStringLiteral("Tulipan"));
    }

    void escapeRestoresTheStoredText() {
        EditWindow w(*m_dm);
        w.name->setFocus();
        QTest::keyClicks(w.name, QStringLiteral("xyz"));
        QTest::keyClick(w.name, Qt::Key_Escape);
        QCOMPARE(w.name->text(), QStringLiteral("Rose"));
        w.other->setFocus();
        m_dm->PlanteTable->Post();
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Rose"));
    }

    void aRefusedNumberKeepsTheTextAndShowsWhy() {
        EditWindow w(*m_dm);
        w.count->setFocus();
        QTest::keyClicks(w.count, QStringLiteral("tre"));
        w.other->setFocus();
        // Said in the user's language, by the caption the user knows the field by.
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{
                     QStringLiteral("»tre« er ikke et helt tal.\n\rSkriv et helt tal i »Antal«.")});
        QCOMPARE(w.count->text(), QStringLiteral("tre"));
        QTRY_VERIFY(w.count->hasFocus());  // the box keeps the focus
        // Posting is refused the same way, with the row still being edited.
        QVERIFY_THROWS_EXCEPTION(store::Error, m_dm->PlanteTable->Post());
        QCOMPARE(m_dm->PlanteTable->State(), DataSetState::Edit);
        QCOMPARE(w.count->text(), QStringLiteral("tre"));
        w.count->selectAll();
        QTest::keyClicks(w.count, QStringLiteral("3"));
        m_dm->PlanteTable->Post();
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Antal")).AsInteger(), 3);
    }

    // A box stops typing at its field's width; a text stored longer is shown whole.
    void aBoxTakesItsLengthFromItsField() {
        EditWindow w(*m_dm);
        QCOMPARE(w.name->maxLength(), 60);
        QCOMPARE(w.count->maxLength(), 32767);  // a number: no width
        w.name->setFocus();
        w.name->selectAll();
        QTest::keyClicks(w.name, QString(70, QLatin1Char('r')));
        QCOMPARE(w.name->text().size(), 60);
        w.other->setFocus();
        QCOMPARE(field(*m_dm, "Plantenavn").size(), 60);
        m_dm->PlanteTable->Post();
        const QString stored(75, QLatin1Char('s'));
        store::Session::database(QStringLiteral("Vexmo"))
            ->insertRow(QStringLiteral("Planter.db"),
                        {QStringLiteral("Regnr"), QStringLiteral("Plantenavn")}, {99, stored});
        m_dm->PlanteTable->Refresh();
        m_dm->PlanteTable->Last();
        QCOMPARE(w.name->text(), stored);
        QCOMPARE(w.name->maxLength(), 75);
        m_dm->PlanteTable->First();
        QCOMPARE(w.name->maxLength(), 60);
    }

    void aRefusalIsToldInTheUsersLanguageByItsCaption_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("text");
        using K = store::Error::Kind;
        QTest::newRow("too long, by its caption")
            << int(K::TooLong) << "Latinske navn" << QStringList{"Latin", "70", "60"}
            << "Teksten i »Latinske navn« er for lang: 70 tegn.\n\rFeltet kan højst rumme 60 "
               "tegn.";
        QTest::newRow("too long, by the field's name")
            << int(K::TooLong) << QString() << QStringList{"Latin", "70", "60"}
            << "Teksten i »Latin« er for lang: 70 tegn.\n\rFeltet kan højst rumme 60 tegn.";
        QTest::newRow("a value %2 is kept as typed")
            << int(K::NotAllowed) << "Planlagt" << QStringList{"Planlagt", "%2", "Ja, Nej"}
            << "»Planlagt« kan ikke være »%2«.\n\rFeltet kan kun rumme: Ja, Nej.";
        QTest::newRow("no whole number")
            << int(K::InvalidInteger) << "Antal" << QStringList{"Antal", "tre"}
            << "»tre« er ikke et helt tal.\n\rSkriv et helt tal i »Antal«.";
        QTest::newRow("no number")
            << int(K::InvalidFloat) << "Stk. pris" << QStringList{"Pris", "12,5,0"}
            << "»12,5,0« er ikke et tal.\n\rSkriv et tal i »Stk. pris«.";
        QTest::newRow("no date")
            << int(K::InvalidDate) << "Plantet" << QStringList{"Plantet", "31-02-2024"}
            << "»31-02-2024« er ikke en gyldig dato.\n\rSkriv en dato, der findes, i »Plantet«.";
    }

    void aRefusalIsToldInTheUsersLanguageByItsCaption() {
        QFETCH(int, kind);
        QFETCH(QString, caption);
        QFETCH(QStringList, args);
        QFETCH(QString, text);
        store::FieldError e(store::Error::Kind(kind), QStringLiteral("in English"),
                            QStringLiteral("Planter.db"), args);
        e.setCaption(caption);
        QCOMPARE(toolkit::errorText(e), text);
        // Errors that carry no kind give their own text; the engine's own words say whose.
        QCOMPARE(toolkit::errorText(store::Error(QStringLiteral("plain"))),
                 QStringLiteral("plain"));
        QCOMPARE(toolkit::errorText(std::runtime_error("what")), QStringLiteral("what"));
        QCOMPARE(toolkit::errorText(store::StoreError(store::StoreError::General,
                                                      QStringLiteral("disk I/O error"))),
                 QStringLiteral("Databasen meldte en fejl:\n\rdisk I/O error"));
    }

    // Every kind the store raises has a text of its own: none falls back to the engine's
    // English.
    void everyKindHasItsText() {
        using K = store::Error::Kind;
        for (int k = int(K::TooLong); k <= int(K::UnknownAlias); ++k) {
            const store::StoreError e(
                store::StoreError::General, K(k), QStringLiteral("English"),
                {QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
            const QString text = toolkit::errorText(e);
            QVERIFY2(!text.contains(QStringLiteral("English")) && !text.contains(u'%'),
                     qPrintable(QString::number(k) + QLatin1Char(' ') + text));
        }
    }

    void aControlIsKnownByTheLabelOfIt() {
        QWidget window;
        auto* box = new QLineEdit(&window);
        auto* label = new QLabel(QStringLiteral("&Antal:"), &window);
        QCOMPARE(toolkit::captionOf(box), QString());
        label->setBuddy(box);
        QCOMPARE(toolkit::captionOf(box), QStringLiteral("Antal"));
        label->setText(QStringLiteral("Sten && grus"));
        QCOMPARE(toolkit::captionOf(box), QStringLiteral("Sten & grus"));
    }

    void aSpeedButtonLeavesTheTypedTextPending() {
        EditWindow w(*m_dm);
        toolkit::SpeedButton button(&w.window);
        button.show();
        QString seen;
        connect(&button, &QToolButton::clicked, [&] {
            seen = field(*m_dm, "Plantenavn");
            m_dm->PlanteTable->Post();
        });
        w.name->setFocus();
        w.name->selectAll();
        QTest::keyClicks(w.name, QStringLiteral("Pæon"));
        QTest::mouseClick(&button, Qt::LeftButton);
        QVERIFY(w.name->hasFocus());
        QCOMPARE(seen, QStringLiteral("Rose"));
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Pæon"));
    }

    void memoTypesTabsAndDateEditShowsTheMask() {
        QWidget window;
        toolkit::DBMemo memo(&window);
        memo.setDataSource(m_dm->PlanteSource);
        memo.setDataField(QStringLiteral("Notater"));
        toolkit::DBDateEdit date(&window);
        date.move(0, 100);
        date.setDataSource(m_dm->PlanteSource);
        date.setDataField(QStringLiteral("Plantet"));
        toolkit::DateEdit free(&window);
        free.move(0, 130);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(free.Text(), QStringLiteral("  -  -    "));
        QVERIFY(free.isEmpty());
        QVERIFY(!free.Date().isValid());
        free.setDate(QDate(2009, 4, 1));
        QCOMPARE(free.Text(), QStringLiteral("01-04-2009"));

        memo.setFocus();
        QTest::keyClicks(&memo, QStringLiteral("a"));
        QTest::keyClick(&memo, Qt::Key_Tab);
        QTest::keyClicks(&memo, QStringLiteral("b"));
        QVERIFY(memo.hasFocus());
        QCOMPARE(date.Text(), QStringLiteral("  -  -    "));
        date.setFocus();
        date.home(false);
        QTest::keyClicks(&date, QStringLiteral("24052026"));
        QCOMPARE(date.Text(), QStringLiteral("24-05-2026"));
        m_dm->PlanteTable->Post();
        QCOMPARE(field(*m_dm, "Notater"), QStringLiteral("a\tb"));
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Plantet")).AsDate(),
                 QDate(2026, 5, 24));
        // An impossible date is refused when posting and stays in the box.
        date.setFocus();
        date.home(false);
        QTest::keyClicks(&date, QStringLiteral("31022026"));
        QVERIFY_THROWS_EXCEPTION(store::Error, m_dm->PlanteTable->Post());
        QCOMPARE(date.Text(), QStringLiteral("31-02-2026"));
        m_dm->PlanteTable->Cancel();
        QCOMPARE(date.Text(), QStringLiteral("24-05-2026"));
    }

    void checkBoxStoresItsValues() {
        m_dm->HaveTable->Insert();
        m_dm->HaveTable->FieldByName(QStringLiteral("Arbejdet")).setAsString(QStringLiteral("Bed"));
        m_dm->HaveTable->Post();
        QWidget window;
        toolkit::DBCheckBox box(&window);
        box.setValues(QStringLiteral("Ja"), QStringLiteral("Nej"));
        box.setDataSource(m_dm->HaveSource);
        box.setDataField(QStringLiteral("Planlagt"));
        window.show();
        QVERIFY(!box.isChecked());  // a new work is "Nej"
        QTest::mouseClick(&box, Qt::LeftButton);
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Planlagt")).AsString(),
                 QStringLiteral("Ja"));
        QTest::mouseClick(&box, Qt::LeftButton);
        QCOMPARE(m_dm->HaveTable->FieldByName(QStringLiteral("Planlagt")).AsString(),
                 QStringLiteral("Nej"));
        m_dm->HaveTable->Cancel();
        QVERIFY(!box.isChecked());
    }

    void lookupWithABoundFieldWritesTheKey() {
        QWidget window;
        toolkit::DBLookupComboBox combo(&window);
        combo.setListSource(m_dm->FamilieSource);
        combo.setKeyField(QStringLiteral("Familie"));
        combo.setListField(QStringLiteral("Familie"));
        combo.setDataSource(m_dm->PlanteSource);
        combo.setDataField(QStringLiteral("Familie"));
        window.show();
        QCOMPARE(combo.Text(), QStringLiteral("Rosaceae"));
        QCOMPARE(combo.count(), m_dm->FamilieTable->RecordCount());
        QCOMPARE(combo.DropDownRows(), 7);
        const int row = combo.findText(QStringLiteral("Lamiaceae"));
        QVERIFY(row >= 0);
        QSignalSpy click(&combo, &toolkit::DBLookupComboBox::Click);
        combo.setCurrentIndex(row);
        Q_EMIT combo.activated(row);
        QCOMPARE(click.count(), 1);
        QCOMPARE(m_dm->PlanteTable->State(), DataSetState::Edit);
        QCOMPARE(field(*m_dm, "Familie"), QStringLiteral("Lamiaceae"));
        m_dm->PlanteTable->Post();
        // A value the list lacks, and an empty one, show nothing.
        m_dm->PlanteTable->Edit();
        m_dm->PlanteTable->FieldByName(QStringLiteral("Familie"))
            .setAsString(QStringLiteral("Ukendt"));
        QCOMPARE(combo.currentIndex(), -1);
        m_dm->PlanteTable->Cancel();
        combo.setKeyValue(QString());
        QCOMPARE(combo.currentIndex(), -1);
    }

    void lookupListShowsItsDropDownRowsOnly() {
        QWidget window;
        toolkit::DBLookupComboBox combo(&window);
        combo.setListSource(m_dm->FamilieSource);
        combo.setKeyField(QStringLiteral("Familie"));
        combo.setListField(QStringLiteral("Familie"));
        combo.setDropDownRows(5);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(combo.count() > 20);
        const QSize closed = combo.sizeHint();
        combo.showPopup();
        QAbstractItemView* list = combo.view();
        QTRY_VERIFY(list->isVisible());
        // Under the box, not over it; the box itself is no other size for it.
        QVERIFY(list->mapToGlobal(QPoint(0, 0)).y() >=
                combo.mapToGlobal(QPoint(0, combo.height())).y() - 2);
        QCOMPARE(combo.sizeHint(), closed);
        const int row = list->sizeHintForRow(0);
        QVERIFY(row > 0);
        // Five rows and the frame, not the whole list of families.
        QVERIFY2(list->height() <= 6 * row + 2 * list->frameWidth(),
                 qPrintable(QStringLiteral("%1 px for rows of %2").arg(list->height()).arg(row)));
        combo.hidePopup();
    }

    void lookupWithoutAFieldMovesTheListTableThroughItsFilter() {
        m_dm->PlanteTable->setFilter(QStringLiteral("Familie = 'Rosaceae'"));
        m_dm->PlanteTable->setFiltered(true);
        QWidget window;
        toolkit::DBLookupComboBox chooser(&window);
        chooser.setListSource(m_dm->PlanteSource);
        chooser.setKeyField(QStringLiteral("Plantenavn"));
        chooser.setListField(QStringLiteral("Plantenavn"));
        window.show();
        QCOMPARE(chooser.count(), 2);  // the two roses; the tulip is filtered away
        QCOMPARE(chooser.itemText(1), QStringLiteral("Rose"));
        m_dm->PlanteTable->Last();
        QSignalSpy click(&chooser, &toolkit::DBLookupComboBox::Click);
        QList<int> at;
        connect(&chooser, &toolkit::DBLookupComboBox::Click,
                [&] { at << m_dm->PlanteTable->FieldByName(QStringLiteral("Regnr")).AsInteger(); });
        Q_EMIT chooser.activated(1);
        QCOMPARE(at, QList<int>{1});  // the first plant of that name, moved before the event
        QCOMPARE(chooser.KeyValue(), QStringLiteral("Rose"));
        m_dm->PlanteTable->setFiltered(false);
        QCOMPARE(chooser.count(), 3);
    }

    void gridHandsAnOpenCellEditorToAPostFromElsewhere() {
        toolkit::DBGrid grid;
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Regnr"), QStringLiteral("Nr."), 40},
                         {QStringLiteral("Plantenavn"), QString(), -1}});
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        m_dm->PlanteTable->First();
        // As after the navigator's insert or a first key in the row: the record is in edit.
        m_dm->PlanteTable->Edit();
        const QModelIndex name = grid.model()->index(0, 1);
        grid.setCurrentIndex(name);
        grid.edit(name);
        auto* editor = qobject_cast<QLineEdit*>(grid.indexWidget(name));
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Skovsyre"));
        // A navigator's post button takes no focus, so the editor is still open.
        m_dm->PlanteTable->Post();
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Skovsyre"));
        QCOMPARE(m_dm->PlanteTable->State(), DataSetState::Browse);
    }

    // A window scaling its fonts scales its grid: rows as high as the font, columns as wide
    // as before times the fonts' ratio, and back again.
    void gridRowsAndColumnsFollowTheFont() {
        toolkit::DBGrid grid;
        QFont f = grid.font();
        f.setPointSize(8);
        grid.setFont(f);
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Regnr"), QStringLiteral("Nr."), 40},
                         {QStringLiteral("Plantenavn"), QString(), 120}});
        grid.setColumnWidth(1, 150);  // as a window or the user gives it
        const int row = grid.verticalHeader()->defaultSectionSize();
        QVERIFY(row >= grid.fontMetrics().height());
        const int small = grid.fontMetrics().height();
        f.setPointSize(16);
        grid.setFont(f);
        const double ratio = double(grid.fontMetrics().height()) / small;
        QVERIFY(ratio > 1.5);
        QVERIFY(grid.verticalHeader()->defaultSectionSize() >= grid.fontMetrics().height());
        QVERIFY(std::abs(grid.columnWidth(0) - 40 * ratio) <= 1);
        QVERIFY(std::abs(grid.columnWidth(1) - 150 * ratio) <= 1);
        f.setPointSize(8);
        grid.setFont(f);
        QCOMPARE(grid.verticalHeader()->defaultSectionSize(), row);
        QCOMPARE(grid.columnWidth(0), 40);
        QCOMPARE(grid.columnWidth(1), 150);
    }

    void gridFollowsTheTableAndDeletesOnlyWhenConfirmed() {
        toolkit::DBGrid grid;
        QAbstractItemModelTester tester(grid.tableModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Regnr"), QStringLiteral("Nr."), 40},
                         {QStringLiteral("Plantenavn"), QString(), -1}});
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.columnTitles(),
                 (QStringList{QStringLiteral("Nr."), QStringLiteral("Plantenavn")}));
        QCOMPARE(grid.property("Columns").toStringList(), grid.columnTitles());
        grid.setProperty("Columns", QStringList{QStringLiteral("No."), QStringLiteral("Name"),
                                                QStringLiteral("x")});
        QCOMPARE(grid.columnTitles(), (QStringList{QStringLiteral("No."), QStringLiteral("Name")}));
        grid.setProperty("Columns", QStringList{QStringLiteral("Nr.")});
        QCOMPARE(grid.columnTitles(), (QStringList{QStringLiteral("Nr."), QStringLiteral("Name")}));
        // A longer translated title widens its narrow column instead of being cut.
        grid.setProperty("Columns", QStringList{QStringLiteral("Registration number")});
        QVERIFY(grid.columnWidth(0) >=
                grid.fontMetrics().horizontalAdvance(QStringLiteral("Registration number")));
        grid.setProperty("Columns", QStringList{QStringLiteral("Nr.")});
        QCOMPARE(grid.model()->rowCount(), 3);
        QCOMPARE(grid.currentIndex().row(), 0);
        m_dm->PlanteTable->Last();
        QCOMPARE(grid.currentIndex().row(), 2);
        QCOMPARE(grid.model()->headerData(2, Qt::Vertical).toString(), QStringLiteral("▶"));
        grid.setCurrentIndex(grid.model()->index(1, 1));
        QCOMPARE(field(*m_dm, "Plantenavn"), QStringLiteral("Tulipan"));

        grid.setFocus();
        m_dialogs->answers = {toolkit::mrCancel};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Slet denne post?")});
        QCOMPARE(m_dialogs->shown.last().type, toolkit::MsgType::Confirmation);
        QCOMPARE(m_dialogs->shown.last().buttons, toolkit::Button::OK | toolkit::Button::Cancel);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 3);
        m_dialogs->answers = {toolkit::mrOk};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        QCOMPARE(grid.model()->rowCount(), 2);
        QCOMPARE(grid.model()->data(grid.model()->index(1, 0)).toString(), QStringLiteral("3"));
    }

    void gridEditsInPlaceAndDropsAnUntouchedNewRow() {
        QWidget window;
        toolkit::DBGrid grid(&window);
        QLineEdit other(&window);
        other.move(0, 300);
        grid.resize(400, 250);
        QAbstractItemModelTester tester(grid.tableModel(),
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        grid.setDataSource(m_dm->FamilieSource);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const int families = m_dm->FamilieTable->RecordCount();
        grid.setFocus();
        m_dm->FamilieTable->Last();
        QTest::keyClick(&grid, Qt::Key_Down);  // past the last row: a new row
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Insert);
        QCOMPARE(grid.model()->rowCount(), families + 1);
        QCOMPARE(grid.currentIndex().row(), families);
        other.setFocus();
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Browse);
        QCOMPARE(grid.model()->rowCount(), families);
        QCOMPARE(m_dm->FamilieTable->RecordCount(), families);

        // Typed into a cell, a new family is posted when the cursor moves on.
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QVERIFY(grid.model()->setData(grid.model()->index(families, 0),
                                      QStringLiteral("Zingiberaceae")));
        m_dm->FamilieTable->First();
        QCOMPARE(m_dm->FamilieTable->RecordCount(), families + 1);
        QVERIFY(
            m_dm->FamilieTable->Locate(QStringLiteral("Familie"), QStringLiteral("Zingiberaceae")));
        // A duplicate typed in place is warned about and stays in edit state.
        grid.setCurrentIndex(grid.model()->index(0, 0));
        const QString first = m_dm->FamilieTable->FieldByName(QStringLiteral("Familie")).AsString();
        QVERIFY(grid.model()->setData(grid.model()->index(0, 0), QStringLiteral("Zingiberaceae")));
        QVERIFY_THROWS_EXCEPTION(store::SilentAbort, m_dm->FamilieTable->Post());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).last(),
                 QStringLiteral("Der findes en tilsvarende registrering i forvejen."));
        m_dm->FamilieTable->Cancel();
        QCOMPARE(m_dm->FamilieTable->FieldByName(QStringLiteral("Familie")).AsString(), first);
    }

    // The grid draws most cells itself, quicker than the style does; what it draws is the
    // style's picture to the pixel: texts left and right, national letters, cut texts,
    // empty cells, the selected row, the focused cell, a larger font, an inactive window.
    void gridCellsLookAsTheStyleDrawsThem_data() {
        QTest::addColumn<bool>("editing");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<bool>("active");
        QTest::newRow("browsing") << false << 0 << true;
        QTest::newRow("editing") << true << 0 << true;
        QTest::newRow("larger font") << false << 15 << true;
        QTest::newRow("inactive") << false << 0 << false;
    }

    void gridCellsLookAsTheStyleDrawsThem() {
        QFETCH(bool, editing);
        QFETCH(int, pointSize);
        QFETCH(bool, active);
        store::Table& plants = *m_dm->PlanteTable;
        plants.Last();
        plants.Edit();
        plants.FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(QStringLiteral("Ærteblomst med en lang, lang beskrivelse af sig selv"));
        plants.FieldByName(QStringLiteral("Pris")).setAsFloat(1234.5);
        plants.FieldByName(QStringLiteral("Plantet")).setAsString(QStringLiteral("15-05-2009"));
        plants.FieldByName(QStringLiteral("Antal")).setAsInteger(7);
        plants.Post();
        QWidget window;
        toolkit::DBGrid grid(&window);
        QLineEdit other(&window);
        other.move(0, 310);
        grid.resize(520, 300);
        grid.setEditing(editing);
        if (pointSize > 0) {
            QFont f = grid.font();
            f.setPointSize(pointSize);
            grid.setFont(f);
            grid.verticalHeader()->setDefaultSectionSize(QFontMetrics(f).height() + 4);
        }
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Regnr"), QStringLiteral("Nr."), 40},
                         {QStringLiteral("Plantenavn"), QString(), 120},
                         {QStringLiteral("Familie"), QString(), 90},
                         {QStringLiteral("Antal"), QString(), 40},
                         {QStringLiteral("Plantet"), QString(), 80},
                         {QStringLiteral("Pris"), QString(), 90}});
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        plants.First();
        grid.setFocus();
        if (!active) {
            other.setFocus();
            QWidget elsewhere;
            elsewhere.show();
            elsewhere.activateWindow();
            QTest::qWait(20);
        }
        const QImage own = grid.grab().toImage();
        grid.setItemDelegate(new QStyledItemDelegate(&grid));
        const QImage styled = grid.grab().toImage();
        QCOMPARE(own.size(), styled.size());
        QVERIFY(own == styled);
    }

    // The row indicator's column is as wide as a plain header measuring its rows makes it,
    // wherever the current row is, also in a larger font and with a new row.
    void gridIndicatorIsAsWideAsQtMakesIt() {
        store::Table& plants = *m_dm->PlanteTable;
        auto db = store::Session::database(QStringLiteral("Vexmo"));
        db->inTransaction([&] {
            for (int i = 10; i < 400; ++i) {
                QVariantList row;
                row << i << QStringLiteral("Plante %1").arg(i);
                for (int c = 2; c < 24; ++c) {
                    row << QVariant();
                }
                db->insertRow(QStringLiteral("Planter.db"), row);
            }
        });
        plants.Refresh();
        toolkit::DBGrid grid;
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Plantenavn"), QString(), -1}});
        QHeaderView plain(Qt::Vertical);
        plain.setModel(grid.model());
        for (int pointSize : {0, 24}) {
            if (pointSize > 0) {
                QFont f = grid.font();
                f.setPointSize(pointSize);
                grid.setFont(f);
            }
            plain.setFont(grid.verticalHeader()->font());
            for (int row : {0, 1, 99, 100, 150, 292, 293}) {
                plants.MoveTo(row);
                QCOMPARE(grid.verticalHeader()->sizeHint(), plain.sizeHint());
            }
            plants.MoveTo(150);
            plants.Insert();
            QCOMPARE(grid.verticalHeader()->sizeHint(), plain.sizeHint());
            plants.Cancel();
            plants.Last();
            plants.Append();
            QCOMPARE(grid.verticalHeader()->sizeHint(), plain.sizeHint());
            plants.Cancel();
        }
        QVERIFY(grid.verticalHeader()->sectionsClickable());
        QVERIFY(grid.verticalHeader()->highlightSections());
    }

    void gridStaysQuickOnAHundredThousandRows() {
        // Only the rows shown are read: building the model must not walk the table.
        store::Table& plants = *m_dm->PlanteTable;
        auto db = store::Session::database(QStringLiteral("Vexmo"));
        db->inTransaction([&] {
            for (int i = 10; i < 100010; ++i) {
                QVariantList row;
                row << i << QStringLiteral("Plante %1").arg(i);
                for (int c = 2; c < 24; ++c) {
                    row << QVariant();
                }
                db->insertRow(QStringLiteral("Planter.db"), row);
            }
        });
        plants.Refresh();
        toolkit::DBGrid grid;
        grid.setDataSource(m_dm->PlanteSource);
        grid.setColumns({{QStringLiteral("Plantenavn"), QString(), -1}});
        grid.resize(300, 400);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QCOMPARE(grid.model()->rowCount(), 100003);
        plants.Last();
        QCOMPARE(grid.currentIndex().row(), 100002);
        QCOMPARE(grid.model()->data(grid.model()->index(100002, 0)).toString(),
                 QStringLiteral("Plante 100009"));
    }

    void navigatorDeletesAfterAsking() {
        toolkit::DBNavigator nav;
        nav.setDataSource(m_dm->PlanteSource);
        nav.setVisibleButtons(toolkit::NavButton::Delete);
        nav.resize(100, 25);
        nav.show();
        QVERIFY(nav.button(toolkit::NavButton::Delete)->isVisible());
        QVERIFY(!nav.button(toolkit::NavButton::Insert)->isVisible());
        m_dialogs->answers = {toolkit::mrCancel, toolkit::mrOk};
        QTest::mouseClick(nav.button(toolkit::NavButton::Delete), Qt::LeftButton);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 3);
        QTest::mouseClick(nav.button(toolkit::NavButton::Delete), Qt::LeftButton);
        QCOMPARE(m_dm->PlanteTable->RecordCount(), 2);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 2);
        // Insert runs the numbering rule.
        nav.BtnClick(toolkit::NavButton::Insert);
        QCOMPARE(m_dm->PlanteTable->FieldByName(QStringLiteral("Regnr")).AsInteger(), 4);
        m_dm->PlanteTable->Cancel();
    }

    void aFailingCloseHandlerKeepsTheWindowOpen() {
        struct Window final : toolkit::Form {
            int mode = 0;
            int closes = 0;
            void FormClose() override {
                ++closes;
                if (mode == 1) {
                    throw store::SilentAbort();
                }
                if (mode == 2) {
                    throw store::Error(QStringLiteral("Kan ikke gemme"));
                }
            }
        };
        Window w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.mode = 1;
        QVERIFY(!w.close());
        QVERIFY(w.isVisible());
        w.mode = 2;
        QTest::keyClick(&w, Qt::Key_Escape);
        QVERIFY(w.isVisible());
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Kan ikke gemme")});
        w.mode = 0;
        QVERIFY(w.close());
        QVERIFY(!w.isVisible());
        QCOMPARE(w.closes, 3);
    }
};

QTEST_MAIN(ControlsTest)
#include "tst_controls.moc"
