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
        QTest::newRow("German") << 3 << "In alles 8 Pflanzen"
                                << "Pflanzenfamilie";
        QTest::newRow("English") << 0 << "I alt 8 planter"
                                 << "Plant family";
        QTest::newRow("Swedish") << 2 << "I alt 8 planter"
                                 << "Växtfamilj";
        QTest::newRow("Danish") << -1 << "I alt 8 planter"
                                << "Plantefamilie";
    }

    void theCountAtOpeningIsInTheLanguage() {
        QFETCH(int, language);
        QFETCH(QString, opening);
        QFETCH(QString, grid);
        startLanguage(language);
        open();
        QCOMPARE(count(), opening);
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->columnTitles().value(5), grid);
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->columnTitles().size(), 23);
        // Every later count is Danish.
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
    }

    void aTypeReplacesTheFamily() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Lamiaceae"));
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Lamiaceae'"));
        QVERIFY(plants().Filtered());
        QVERIFY(!child<QRadioButton>("RadioButton1")->isChecked());
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        pick("DBLookupComboBox2", QStringLiteral("Busk"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(), QString());
        QCOMPARE(plants().Filter(), QStringLiteral("Plantetype = 'Busk'"));
        QCOMPARE(count(), QStringLiteral("I alt 3 planter"));
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("Busk"));
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

    void aFamilyReplacesTheDates() {
        open();
        typeDate("DateEdit1", QStringLiteral("01-05-2009"));
        typeDate("DateEdit2", QStringLiteral("31-05-2009"));
        QCOMPARE(plants().Filter(),
                 QStringLiteral("Plantet >= '01-05-2009' and Plantet <='31-05-2009'"));
        QCOMPARE(count(), QStringLiteral("I alt 4 planter"));
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QCOMPARE(plants().Filter(), QStringLiteral("Familie = 'Rosaceae'"));
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QCOMPARE(child<toolkit::DateEdit>("DateEdit2")->Text(), QStringLiteral("31-05-2009"));
        // The report is labelled with the dates, not the family.
        QCOMPARE(m_form->selectionLabel(), QStringLiteral("01-05-2009  -  31-05-2009"));
        // And a date picked again empties the family.
        typeDate("DateEdit2", QStringLiteral("30-05-2009"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(), QString());
        QCOMPARE(count(), QStringLiteral("I alt 4 planter"));
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
        // Left again with the same day after a family took over: the day applies again.
        pick("DBLookupComboBox1", QStringLiteral("Lamiaceae"));
        typeDate("DateEdit1", QStringLiteral("15-05-2009"));
        leave("DateEdit1");
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QVERIFY(plants().Filter().startsWith(QStringLiteral("Plantet")));
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

    void enteringASearchFieldListsEveryPlant() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        child<QLineEdit>("Edit2")->setFocus(Qt::TabFocusReason);
        QVERIFY(!plants().Filtered());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 8);
        // The old count and the selection stay as they were.
        QCOMPARE(count(), QStringLiteral("I alt 2 planter"));
        QCOMPARE(child<toolkit::DBLookupComboBox>("DBLookupComboBox1")->Text(),
                 QStringLiteral("Rosaceae"));
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

    void theFilterStaysAfterClosing() {
        open();
        pick("DBLookupComboBox1", QStringLiteral("Rosaceae"));
        QTest::mouseClick(child<QPushButton>("Button1"), Qt::LeftButton);
        QVERIFY(!m_form->isVisible());
        m_form.reset();
        QVERIFY(plants().Filtered());
        QCOMPARE(plants().RecordCount(), 2);
        open();
        QVERIFY(!plants().Filtered());
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));
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
        QCOMPARE(count(), QStringLiteral("I alt 8 planter"));  // counted when selected only
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

    void printingLabelsTheSelection_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("lines");
        QTest::newRow("nothing") << ""
                                 << "" << 8;
        QTest::newRow("family") << "Cox's"
                                << "Cox's" << 2;
    }

    void printingLabelsTheSelection() {
        QFETCH(QString, family);
        QFETCH(QString, label);
        QFETCH(int, lines);
        CapturingPreviewer previewer;
        report::setPreviewer(&previewer);
        open();
        if (!family.isEmpty()) {
            pick("DBLookupComboBox1", family);
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
