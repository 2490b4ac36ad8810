// SPDX-License-Identifier: GPL-3.0-or-later
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>
#include <memory>

#include "data/dm.h"
#include "data/settings.h"
#include "i18n/langsource.h"
#include "overview/easyfind.h"
#include "overview/oversigtform.h"
#include "store/table.h"
#include "testsupport.h"
#include "toolkit/dateedit.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"

#include "report/output.h"

// Keeps the texts of the report that would have been previewed.
class CapturingPreviewer final : public report::Previewer {
public:
    QStringList texts;
    int shown = 0;
    void preview(const report::Document& doc, const QString&) override {
        ++shown;
        for (const report::Page& p : doc.pages) {
            for (const report::PlacedText& t : p.texts) {
                texts << t.text;
            }
        }
    }
};

using overview::TOversigtForm;

// The overview on a data folder of its own, shown offscreen.
class OversigtFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    std::unique_ptr<TOversigtForm> m_form;
    std::unique_ptr<QWidget> m_main;  // stands in for the main window with its language

    store::Table& plants() { return *m_dm->PlanteTable; }

    template <class T>
    T* child(const char* name) {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) {
            qFatal("no control %s", name);
        }
        return w;
    }
    QString count() { return child<QLabel>("Label6")->text(); }
    QString current() { return plants().FieldByName(QStringLiteral("Plantenavn")).AsString(); }

    void addPlant(const QString& name, const QString& family, const QString& type,
                  const QString& planted) {
        store::Table& t = plants();
        t.Insert();
        t.FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        t.FieldByName(QStringLiteral("Familie")).setAsString(family);
        t.FieldByName(QStringLiteral("Plantetype")).setAsString(type);
        t.FieldByName(QStringLiteral("Antal")).setAsInteger(1);
        if (!planted.isEmpty()) {
            t.FieldByName(QStringLiteral("Plantet")).setAsString(planted);
        }
        t.Post();
    }

    void addList(store::Table* list, const QString& field, const QString& value) {
        list->Append();
        list->FieldByName(field).setAsString(value);
        list->Post();
    }

    // Eight plants: three roses, two of the family with an apostrophe.
    void addGarden() {
        addList(m_dm->FamilieTable, QStringLiteral("Familie"), QStringLiteral("Cox's"));
        addPlant(QStringLiteral("Klatrerose"), QStringLiteral("Rosaceae"), QStringLiteral("Busk"),
                 QStringLiteral("15-05-2009"));
        addPlant(QStringLiteral("Lavendel"), QStringLiteral("Lamiaceae"), QStringLiteral("Busk"),
                 QStringLiteral("14-05-2009"));
        addPlant(QStringLiteral("Tulipan"), QStringLiteral("Liliaceae"), QStringLiteral("Løg"),
                 QStringLiteral("01-04-1999"));
        addPlant(QStringLiteral("ROSMARIN"), QStringLiteral("Lamiaceae"), QStringLiteral("Staude"),
                 QStringLiteral("31-12-2000"));
        addPlant(QStringLiteral("Æble"), QStringLiteral("Cox's"), QStringLiteral("Træ"),
                 QStringLiteral("01-01-2001"));
        addPlant(QStringLiteral("Pære"), QStringLiteral("Cox's"), QStringLiteral("Træ"),
                 QStringLiteral("15-05-2009"));
        addPlant(QStringLiteral("Hunderose"), QStringLiteral("Rosaceae"), QStringLiteral("Busk"),
                 QStringLiteral("16-05-2009"));
        addPlant(QStringLiteral("Pæon"), QStringLiteral("Paeoniaceae"), QStringLiteral("Staude"),
                 QString());
    }

    void open() {
        m_form = std::make_unique<TOversigtForm>();
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }

    void close() {
        m_form->close();
        m_form.reset();
    }

    void pick(const char* box, const QString& text) {
        auto* b = child<toolkit::DBLookupComboBox>(box);
        b->setFocus(Qt::MouseFocusReason);  // as the click that opens its list gives it
        const int row = b->findText(text);
        QVERIFY2(row >= 0, qPrintable(text));
        b->setCurrentIndex(row);
        Q_EMIT b->activated(row);
    }

    void typeDate(const char* field, const QString& text) {
        auto* d = child<toolkit::DateEdit>(field);
        d->setFocus(Qt::TabFocusReason);
        d->setText(text);
    }

    // Focus moves on as a Tab would, so the field's leaving is seen.
    void leave(const char* field) {
        QVERIFY(child<QWidget>(field)->hasFocus());
        child<QRadioButton>("RadioButton1")->setFocus(Qt::TabFocusReason);
    }

    void startLanguage(int index) {
        m_main = std::make_unique<QWidget>();
        auto* source = new i18n::TQLanguageSource(m_main.get());
        source->setObjectName(QStringLiteral("QLanguageSource1"));
        source->SetLanguages(
            {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
        source->SetActiveLanguage(index);
    }

    QStringList shownNames() {
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) {
            out << grid->model()->index(r, 1).data().toString();
        }
        return out;
    }

    void clickTitle(int column) {
        auto* header = child<toolkit::DBGrid>("DBGrid1")->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2,
                        header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private Q_SLOTS:
    void initTestCase() { testsupport::useDanishFormats(); }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        addGarden();
    }

    void cleanup() {
        m_form.reset();
        m_main.reset();
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theControlsStandAtTheirDesignPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("panel") << "Panel1" << QRect(0, 0, 191, 732);
        QTest::newRow("count") << "Label6" << QRect(10, 368, 171, 16);
        QTest::newRow("grid") << "DBGrid1" << QRect(191, 0, 825, 560);
        QTest::newRow("notes") << "DBMemo1" << QRect(191, 560, 825, 172);
        QTest::newRow("family heading") << "Label4" << QRect(10, 18, 65, 13);
        QTest::newRow("family") << "DBLookupComboBox1" << QRect(10, 33, 155, 21);
        QTest::newRow("type heading") << "Label3" << QRect(10, 62, 52, 13);
        QTest::newRow("type") << "DBLookupComboBox2" << QRect(10, 77, 155, 21);
    }

    void theControlsStandAtTheirDesignPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        TOversigtForm form;  // not shown: the design layout as created
        QWidget* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), place);
        QCOMPARE(form.size(), QSize(1016, 732));
    }

    void theGridListsEveryPlantInTwentyThreeColumns() {
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        const QStringList titles = grid->columnTitles();
        QCOMPARE(titles.size(), 23);
        QCOMPARE(titles.value(0), QStringLiteral("Regnr."));
        QCOMPARE(titles.value(5), QStringLiteral("Plantefamilie"));
        QCOMPARE(titles.value(8), QStringLiteral("Størrelse"));
        QCOMPARE(titles.value(13), QStringLiteral("Gødning"));
        QCOMPARE(titles.value(16), QStringLiteral("Omplantning 1"));
        QCOMPARE(titles.value(21), QStringLiteral("Erhvervet fra"));
        QCOMPARE(titles.value(22), QStringLiteral("Pris"));
        QCOMPARE(grid->model()->rowCount(), 8);
        QVERIFY(!grid->editing());
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Oversigt"));
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
    }

    void theCountAtOpeningIsInTheLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("opening");
        QTest::addColumn<QString>("grid");
        QTest::addColumn<QString>("selected");
        QTest::newRow("German") << 3 << "Insgesamt 8 Pflanzen"
                                << "Pflanzenfamilie"
                                << "Insgesamt 2 Pflanzen";
        QTest::newRow("English") << 0 << "Total: 8 plants"
                                 << "Plant family"
                                 << "Total: 2 plants";
        QTest::newRow("Swedish") << 2 << "Totalt 8 växter"
                                 << "Växtfamilj"
                                 << "Totalt 2 växter";
        QTest::newRow("Danish") << -1 << "I alt 8 planter"
                                << "Plantefamilie"
                                << "I alt 2 planter";
    }

    void theCountAtOpeningIsInTheLanguage() {
        QFETCH(int, language);
        QFETCH(QString, opening);
        QFETCH(QString, grid);
        QFETCH(QString, selected);
        startLanguage(language);
        open();
        QCOMPARE(count(), opening);
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->columnTitles().value(5), grid);
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->columnTitles().size(), 23);
        // Every later count is in the language too.
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(count(), selected);
    }

    // Each box narrows what the others leave; Delete takes one box out again.
    void aTypeNarrowsTheFamily() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Lamiaceae"));
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Lamiaceae'"));
        QVERIFY(plants().Filtered());
        QVERIFY(!child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("Lamiaceae"));
        pick("DBLookupComboBox2", QStringLiteral("Busk"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(),
                 QStringLiteral("Lamiaceae"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Familie = 'Lamiaceae' and Plantetype = 'Busk'"));
        QCOMPARE(count(), QStringLiteral("I alt 1 plante"));
        QCOMPARE(current(), QStringLiteral("Lavendel"));
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("Lamiaceae, Busk"));
        // Another family replaces the family only.
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        // Delete in the family box: the type alone.
        auto* family = child<toolkit::DBLookupComboBox>("DBLookupComboBox1");
        QTest::keyClick(family, Qt::Key_Delete);
        QCOMPARE(family->Text(), QString());
        QCOMPARE(plants().Filter(), QStringLiteral("Plantetype = 'Busk'"));
        QCOMPARE(count(), QStringLiteral("I alt 3 planter"));
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("Busk"));
        // Backspace in the type box: nothing left, every plant listed.
        QTest::keyClick(child<toolkit::DBLookupComboBox>("DBLookupComboBox2"), Qt::Key_Backspace);
        QVERIFY(!plants().Filtered());
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(m_form->selectionLabel(), QString());
    }

    void aFamilyWithAnApostropheIsSelected() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Cox's"));
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Cox''s'"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(TOversigtForm::quoted(QStringLiteral("d'Orange")), QStringLiteral("'d''Orange'"));
    }

    void aFamilyNobodyHasGivesAnEmptyList() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Betulaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 0 planter"));
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 0);
    }

    void aFamilyNarrowsTheDates() {
        open();
        typeDate("DateEdit1", QStringLiteral("01-05-2009"));
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Plantet >= '01-05-2009' and Plantet <='31-05-2009'"));
        QCOMPARE(count(), QStringLiteral("I alt 4 planter"));
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Familie = 'Rosaceae' and Plantet >= '01-05-2009' and "
                                "Plantet <='31-05-2009'"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QCOMPARE(child<toolkit::DateEdit>("DateEdit2")->Text(), QStringLiteral("31-05-2009"));
        // The report is labelled with what it lists: the family and the dates.
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("Rosaceae, 01-05-2009  -  31-05-2009"));
        // A date changed keeps the family.
        typeDate("DateEdit2", QStringLiteral("15-05-2009"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(),
                 QStringLiteral("Rosaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 1 plante"));
        QCOMPARE(current(), QStringLiteral("Klatrerose"));
    }

    void leavingTheStartDateShowsThatDay() {
        open();
        typeDate("DateEdit1", QStringLiteral("15-05-2009"));
        QVERIFY(!plants().Filtered());  // nothing until the field is left
        leave("DateEdit1");
        QCOMPARE(child<toolkit::DateEdit>("DateEdit2")->Text(), QStringLiteral("15-05-2009"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Plantet >= '15-05-2009' and Plantet <='15-05-2009'"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        // Left again with the same day beside a family: both apply.
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        typeDate("DateEdit1", QStringLiteral("15-05-2009"));
        leave("DateEdit1");
        QCOMPARE(count(), QStringLiteral("I alt 1 plante"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Familie = 'Rosaceae' and Plantet >= '15-05-2009' and "
                                "Plantet <='15-05-2009'"));
    }

    void anEmptyStartDateMeansFromTheBeginning() {
        open();
        typeDate("DateEdit2", QStringLiteral("31-12-2000"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Plantet >= '30-12-1899' and Plantet <='31-12-2000'"));
        // Both bounds inclusive; the plant without a date is not in a range.
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
    }

    void showAllClearsEverything() {
        open();
        typeDate("DateEdit1", QStringLiteral("01-05-2009"));
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        pick("DBLookupComboBox2", QStringLiteral("Træ"));
        QTest::mouseClick(child<QRadioButton>("RadioButton1"), Qt::LeftButton);
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QVERIFY(!plants().Filtered());
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
        QVERIFY(child<toolkit::DateEdit>("DateEdit1")->isEmpty());
        QVERIFY(child<toolkit::DateEdit>("DateEdit2")->isEmpty());
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox2")->Text(), QString());
        QCOMPARE(m_form->selectionLabel(), QString());
        // A second click keeps it checked.
        QTest::mouseClick(child<QRadioButton>("RadioButton1"), Qt::LeftButton);
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
    }

    // A search covers every plant: the selection goes, from the list, the count and the
    // boxes alike.
    void enteringASearchFieldListsEveryPlant_data() {
        QTest::addColumn<QString>("field");
        QTest::newRow("plant name") << "Edit1";
        QTest::newRow("Latin name") << "Edit2";
    }

    void enteringASearchFieldListsEveryPlant() {
        QFETCH(QString, field);
        open();
        typeDate("DateEdit1", QStringLiteral("01-05-2009"));
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QTest::mouseClick(child<QLineEdit>(qPrintable(field)), Qt::LeftButton);
        QVERIFY(!plants().Filtered());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 8);
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(), QString());
        QVERIFY(child<toolkit::DateEdit>("DateEdit2")->isEmpty());
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(m_form->selectionLabel(), QString());
    }

    void typingFindsAndEnterMovesOn() {
        open();
        auto* edit = child<QLineEdit>("Edit1");
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_R);
        QCOMPARE(current(), QStringLiteral("Klatrerose"));
        QTest::keyClick(edit, Qt::Key_O);
        QTest::keyClick(edit, Qt::Key_S);
        QCOMPARE(current(), QStringLiteral("Klatrerose"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(current(), QStringLiteral("ROSMARIN"));
        QTest::keyClick(edit, Qt::Key_Enter);
        QCOMPARE(current(), QStringLiteral("Hunderose"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(current(), QStringLiteral("Hunderose"));
        // Enter stayed in the field: nothing was printed or closed.
        QVERIFY(m_form->isVisible());
        QVERIFY(m_dialogs->shown.isEmpty());
        // The grid follows the cursor.
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->currentIndex().row(), 6);
        // A Latin name search in the other field.
        plants().First();
        auto* latin = child<QLineEdit>("Edit2");
        latin->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(latin, QStringLiteral("zz"));
        QCOMPARE(current(), QStringLiteral("Klatrerose"));
    }

    void enterBeforeAnySearchIsAnError() {
        open();
        auto* edit = child<QLineEdit>("Edit1");
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("No initial Find/Locate done first")});
        QVERIFY(m_form->isVisible());
    }

    // Closed by any way out, the window takes its selection along: the main window's plant
    // chooser and everything else see every plant again. Esc is no way out.
    void theSelectionGoesWithTheWindow_data() {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("Luk oversigt") << true;
        QTest::newRow("title bar") << false;
    }

    void theSelectionGoesWithTheWindow() {
        QFETCH(bool, byButton);
        open();
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QTest::keyClick(child<toolkit::DBGrid>("DBGrid1"), Qt::Key_Escape);
        QTest::keyClick(child<QLineEdit>("Edit1"), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        QVERIFY(plants().Filtered());
        if (byButton) {
            QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
        } else {
            m_form->close();
        }
        QVERIFY(!m_form->isVisible());
        QVERIFY(!plants().Filtered());
        QCOMPARE(plants().RecordCount(), 8);
        m_form.reset();
        QVERIFY(!plants().Filtered());
        open();
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
    }

    // Esc in any of the window's boxes leaves the window open.
    void escapeKeepsTheWindowOpen_data() {
        QTest::addColumn<QString>("box");
        QTest::newRow("search") << "Edit1";
        QTest::newRow("start date") << "DateEdit1";
        QTest::newRow("family") << "DBLookupComboBox1";
        QTest::newRow("grid") << "DBGrid1";
        QTest::newRow("notes") << "DBMemo1";
    }

    void escapeKeepsTheWindowOpen() {
        QFETCH(QString, box);
        open();
        QWidget* w = child<QWidget>(qPrintable(box));
        w->setFocus(Qt::TabFocusReason);
        QTest::keyClick(w, Qt::Key_Escape);
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void theSizeIsKept() {
        open();
        m_form->resize(900, 640);
        QTest::qWait(10);
        const QSize outer = m_form->frameGeometry().size();
        close();
        QCOMPARE(data::readSetting(QStringLiteral("H_Oversigt")), outer.height());
        QCOMPARE(data::readSetting(QStringLiteral("W_Oversigt")), outer.width());
        open();
        QCOMPARE(m_form->frameGeometry().size(), outer);
        // The controls were scaled to it.
        QVERIFY(child<QWidget>("DBGrid1")->width() < 825);
    }

    void ctrlDeleteAsksFirst() {
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        grid->setFocus();
        plants().First();
        m_dialogs->answers = {toolkit::mrCancel, toolkit::mrOk};
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plants().RecordCount(), 8);
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plants().RecordCount(), 7);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).value(0),
                 QStringLiteral("Slet denne post?"));
        QCOMPARE(count(), QStringLiteral("I alt 7 planter"));
        // Under a selection the count follows as well.
        pick("DBLookupComboBox1", QStringLiteral("Lamiaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(count(), QStringLiteral("I alt 1 plante"));
        QCOMPARE(grid->model()->rowCount(), 1);
    }

    void aDoubleClickOpensThePlant() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Cox's"));
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        const QModelIndex second = grid->model()->index(1, 1);
        grid->setCurrentIndex(second);
        QString opened;
        QString shownPlant;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget(); w && w != m_form.get()) {
                opened = w->objectName();
                shownPlant = current();
                w->close();
            }
        });
        closer.start(10);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(second).center());
        closer.stop();
        QCOMPARE(opened, QStringLiteral("TRegForm"));
        QCOMPARE(shownPlant, QStringLiteral("Pære"));
        // The selection is still in force afterwards.
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Cox''s'"));
        QVERIFY(plants().Filtered());
    }

    // The count follows a plant changed in the registration window opened from the list.
    void theCountFollowsAChangeMadeInTheOpenedPlant() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        const QModelIndex first = grid->model()->index(0, 1);
        grid->setCurrentIndex(first);
        QTimer changer;
        connect(&changer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget(); w && w != m_form.get()) {
                changer.stop();
                auto* family =
                    w->findChild<toolkit::DBLookupComboBox*>(QStringLiteral("DBLookupComboBox1"));
                const int row = family->findText(QStringLiteral("Lamiaceae"));
                family->setCurrentIndex(row);
                Q_EMIT family->activated(row);
                w->close();
            }
        });
        changer.start(10);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(first).center());
        QCOMPARE(count(), QStringLiteral("I alt 1 plante"));
        QCOMPARE(grid->model()->rowCount(), 1);
    }

    // An empty range is no date selection: every plant is listed, "Vis alle" checked.
    void anEmptiedRangeSelectsNothing() {
        open();
        typeDate("DateEdit1", QStringLiteral("01-05-2009"));
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        QCOMPARE(count(), QStringLiteral("I alt 4 planter"));
        auto* start = child<toolkit::DateEdit>("DateEdit1");
        start->setFocus(Qt::TabFocusReason);
        start->selectAll();
        QTest::keyClick(start, Qt::Key_Backspace);
        QVERIFY(start->isEmpty());
        leave("DateEdit1");
        QVERIFY(child<toolkit::DateEdit>("DateEdit2")->isEmpty());
        QVERIFY(!plants().Filtered());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 8);
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
        QVERIFY(child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(m_form->selectionLabel(), QString());
        // Dates left over beside a family are no selection of their own to undo.
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        pick("DBLookupComboBox1", QStringLiteral("Lamiaceae"));
        auto* end = child<toolkit::DateEdit>("DateEdit2");
        end->setFocus(Qt::TabFocusReason);
        end->selectAll();
        QTest::keyClick(end, Qt::Key_Backspace);
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Lamiaceae'"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
    }

    // A range with only its start lists every plant from that day on.
    void aRangeWithoutAnEndHasNoUpperBound() {
        open();
        typeDate("DateEdit1", QStringLiteral("15-05-2009"));
        leave("DateEdit1");
        auto* end = child<toolkit::DateEdit>("DateEdit2");
        end->setFocus(Qt::TabFocusReason);
        end->selectAll();
        QTest::keyClick(end, Qt::Key_Backspace);
        QCOMPARE(plants().Filter(), QStringLiteral("Plantet >= '15-05-2009'"));
        QCOMPARE(count(), QStringLiteral("I alt 3 planter"));
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("15-05-2009  -  "));
    }

    void aDoubleClickOnAnEmptyListOpensNothing() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Betulaceae"));
        const int counters = m_dm->RegTable->RecordCount();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QString opened;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* w = QApplication::activeModalWidget(); w && w != m_form.get()) {
                opened = w->objectName();
                w->close();
            }
        });
        closer.start(10);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::qWait(50);
        closer.stop();
        QCOMPARE(opened, QString());
        QCOMPARE(m_dm->RegTable->RecordCount(), counters);
        QCOMPARE(plants().State(), store::DataSetState::Browse);
        QCOMPARE(count(), QStringLiteral("I alt 0 planter"));
        QTest::mouseClick(child<QRadioButton>("RadioButton1"), Qt::LeftButton);
        QCOMPARE(plants().RecordCount(), 8);
    }

    // A click on a column title sorts by it, a second the other way round: texts in Danish
    // order, dates by date (no date first), numbers by value; ties keep their key order.
    void clickingAColumnTitleSorts_data() {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("ascending");
        QTest::newRow("name, Danish order")
            << 1 << QStringList{"Hunderose", "Klatrerose", "Lavendel", "Pæon",
                                "Pære",      "ROSMARIN",   "Tulipan",  "Æble"};
        QTest::newRow("planted, by date")
            << 15 << QStringList{"Pæon",     "Tulipan",    "ROSMARIN", "Æble",
                                 "Lavendel", "Klatrerose", "Pære",     "Hunderose"};
        QTest::newRow("price, by value")
            << 22 << QStringList{"Pæon",     "Pære",    "Æble",     "Hunderose",
                                 "ROSMARIN", "Tulipan", "Lavendel", "Klatrerose"};
    }

    void clickingAColumnTitleSorts() {
        QFETCH(int, column);
        QFETCH(QStringList, ascending);
        // Prices whose text order differs from their value: 9 < 10 < 100 < 1000.
        const double prices[] = {1000, 250, 100, 99.5, 10, 9, 12};
        plants().First();
        for (double price : prices) {
            plants().Edit();
            plants().FieldByName(QStringLiteral("Pris")).setAsFloat(price);
            plants().Post();
            plants().Next();
        }
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QHeaderView* header = grid->horizontalHeader();
        QCOMPARE(header->sortIndicatorSection(), -1);
        plants().First();
        plants().Next();  // Lavendel
        clickTitle(column);
        QCOMPARE(shownNames(), ascending);
        QCOMPARE(header->sortIndicatorSection(), column);
        QCOMPARE(header->sortIndicatorOrder(), Qt::AscendingOrder);
        // The plant the user was on stays current, where the new order puts it.
        QCOMPARE(current(), QStringLiteral("Lavendel"));
        QCOMPARE(grid->currentIndex().row(), int(ascending.indexOf(QStringLiteral("Lavendel"))));
        clickTitle(column);
        QStringList descending;
        for (const QString& n : ascending) {
            descending.prepend(n);
        }
        if (column == 15) {
            // Planted the same day: key order in either direction.
            descending.swapItemsAt(int(descending.indexOf(QStringLiteral("Klatrerose"))),
                                   int(descending.indexOf(QStringLiteral("Pære"))));
        }
        QCOMPARE(shownNames(), descending);
        QCOMPARE(header->sortIndicatorOrder(), Qt::DescendingOrder);
        // Walking the table goes the shown way, as the report and the search do.
        QStringList walked;
        for (plants().First(); !plants().Eof(); plants().Next()) {
            walked << current();
        }
        QCOMPARE(walked, descending);
    }

    // Type-to-find, Enter and the print follow the shown order; a selection keeps it; the
    // window gives the key order back when it closes and opens in key order.
    void theSearchAndThePrintFollowTheShownOrder() {
        open();
        clickTitle(1);  // by name
        auto* edit = child<QLineEdit>("Edit1");
        edit->setFocus(Qt::TabFocusReason);
        QTest::keyClicks(edit, QStringLiteral("ros"));
        QCOMPARE(current(), QStringLiteral("Hunderose"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(current(), QStringLiteral("Klatrerose"));
        QTest::keyClick(edit, Qt::Key_Return);
        QCOMPARE(current(), QStringLiteral("ROSMARIN"));
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->currentIndex().row(), 5);
        pick("DBLookupComboBox2", QStringLiteral("Busk"));
        QCOMPARE(shownNames(),
                 (QStringList{QStringLiteral("Hunderose"), QStringLiteral("Klatrerose"),
                              QStringLiteral("Lavendel")}));
        CapturingPreviewer previewer;
        report::setPreviewer(&previewer);
        clickTitle(1);  // the other way round
        QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
        report::setPreviewer(nullptr);
        QCOMPARE(previewer.shown, 1);
        const qsizetype lavendel = previewer.texts.indexOf(QStringLiteral("Lavendel"));
        const qsizetype klatrerose = previewer.texts.indexOf(QStringLiteral("Klatrerose"));
        const qsizetype hunderose = previewer.texts.indexOf(QStringLiteral("Hunderose"));
        QVERIFY(lavendel >= 0 && lavendel < klatrerose && klatrerose < hunderose);
        close();
        QCOMPARE(plants().SortOrder(), QList<store::SortField>());
        QStringList walked;
        for (plants().First(); !plants().Eof(); plants().Next()) {
            walked << current();
        }
        QCOMPARE(walked.first(), QStringLiteral("Klatrerose"));  // Regnr 1
        QCOMPARE(walked.last(), QStringLiteral("Pæon"));
        // Left sorted by another window, the table still opens the overview in key order.
        plants().setSortOrder({{QStringLiteral("Plantenavn"), true}});
        open();
        QCOMPARE(shownNames().first(), QStringLiteral("Klatrerose"));
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->horizontalHeader()->sortIndicatorSection(), -1);
    }

    // Ctrl+F puts the focus in the name search, as a click into it does.
    void ctrlFGoesToTheNameSearch() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        grid->setFocus(Qt::TabFocusReason);
        auto* edit = child<QLineEdit>("Edit1");
        edit->setText(QStringLiteral("Lav"));
        QTest::keyClick(grid, Qt::Key_F, Qt::ControlModifier);
        QTRY_COMPARE(QApplication::focusWidget(), edit);
        QCOMPARE(edit->selectedText(), QStringLiteral("Lav"));
        QVERIFY(!plants().Filtered());
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
        QTest::keyClicks(edit, QStringLiteral("pæ"));
        QCOMPARE(current(), QStringLiteral("Pære"));
    }

    // The report's label describes exactly the rows it lists, however the user got there.
    void printingLabelsTheSelection_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("lines");
        QTest::newRow("nothing") << ""
                                 << "" << 8;
        QTest::newRow("family") << "family Cox's"
                                << "Cox's" << 2;
        QTest::newRow("family, then a search") << "family Rosaceae;search"
                                               << "" << 8;
        QTest::newRow("dates, then a family") << "start 01-05-2009;end 31-05-2009;family Rosaceae"
                                              << "Rosaceae, 01-05-2009  -  31-05-2009" << 2;
        QTest::newRow("a type, then dates") << "type Træ;start 01-01-2001;end 31-12-2001"
                                            << "Træ, 01-01-2001  -  31-12-2001" << 1;
        QTest::newRow("a family and a type") << "family Cox's;type Træ"
                                             << "Cox's, Træ" << 2;
        QTest::newRow("type") << "type Busk"
                              << "Busk" << 3;
        QTest::newRow("no start") << "end 31-12-2000"
                                  << "  -  31-12-2000" << 2;
        QTest::newRow("dates, then all") << "start 01-05-2009;end 31-05-2009;all"
                                         << "" << 8;
    }

    void printingLabelsTheSelection() {
        QFETCH(QString, steps);
        QFETCH(QString, label);
        QFETCH(int, lines);
        CapturingPreviewer previewer;
        report::setPreviewer(&previewer);
        open();
        for (const QString& step : steps.split(u';', Qt::SkipEmptyParts)) {
            const QString what = step.section(u' ', 0, 0);
            const QString value = step.section(u' ', 1);
            if (what == QLatin1String("family")) {
                pick("DBLookupComboBox1", value);
            } else if (what == QLatin1String("type")) {
                pick("DBLookupComboBox2", value);
            } else if (what == QLatin1String("start")) {
                typeDate("DateEdit1", value);
                leave("DateEdit1");
            } else if (what == QLatin1String("end")) {
                typeDate("DateEdit2", value);
            } else if (what == QLatin1String("search")) {
                QTest::mouseClick(child<QLineEdit>("Edit1"), Qt::LeftButton);
            } else if (what == QLatin1String("all")) {
                QTest::mouseClick(child<QRadioButton>("RadioButton1"), Qt::LeftButton);
            }
        }
        QCOMPARE(m_form->selectionLabel(), label);
        QTest::mouseClick(child<QPushButton>("Button2"), Qt::LeftButton);
        report::setPreviewer(nullptr);
        QCOMPARE(previewer.shown, 1);
        QVERIFY(m_dialogs->shown.isEmpty());
        if (!label.isEmpty()) {
            QVERIFY(previewer.texts.contains(label));
        }
        // The report lists what the filter lets through.
        int names = 0;
        for (const char* n : {"Klatrerose", "Lavendel", "Tulipan", "ROSMARIN", "Æble", "Pære",
                              "Hunderose", "Pæon"}) {
            names += previewer.texts.contains(QString::fromUtf8(n)) ? 1 : 0;
        }
        QCOMPARE(names, lines);
    }
};

QTEST_MAIN(OversigtFormTest)
#include "tst_oversigtform.moc"
