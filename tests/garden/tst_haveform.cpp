// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

#include "data/dm.h"
#include "data/settings.h"
#include "garden/haveform.h"
#include "i18n/langsource.h"
#include "i18n/texts.h"
#include "plants/pictures.h"
#include "report/output.h"
#include "store/format.h"
#include "store/session.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/dateedit.h"
#include "toolkit/dbcontrols.h"
#include "toolkit/grid.h"
#include "toolkit/speedbutton.h"

using store::DataSetState;
using testsupport::ScriptedDialogs;

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

namespace {

const QString Sep = QStringLiteral("\n\r");

}  // namespace

// The garden works window on a data folder of its own, shown offscreen.
class HaveFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    // The language source sits on a window of its own as on the main window, so texts from
    // the language files follow it too.
    std::unique_ptr<QWidget> m_main;
    i18n::TQLanguageSource* m_source = nullptr;
    std::unique_ptr<garden::THaveForm> m_form;

    store::Table& have() { return *m_dm->HaveTable; }
    store::Table& materials() { return *m_dm->MaterialeTable; }

    template <class T>
    T* child(const char* name) {
        T* w = m_form->findChild<T*>(QString::fromLatin1(name));
        if (!w) {
            qFatal("no control %s", name);
        }
        return w;
    }
    // Near the left edge, where a radio button's short caption is too.
    void click(const char* name) {
        auto* b = child<QAbstractButton>(name);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }

    void open() {
        m_form = std::make_unique<garden::THaveForm>(m_source);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }
    // Closes by the title bar; true when the window went away.
    bool closeWindow() {
        m_form->close();
        return !m_form->isVisible();
    }

    int addWork(const QString& name, const QString& planned = QStringLiteral("Nej"),
                const QDate& end = QDate()) {
        have().Insert();
        have().FieldByName(QStringLiteral("Arbejdet")).setAsString(name);
        have().FieldByName(QStringLiteral("Planlagt")).setAsString(planned);
        have().FieldByName(QStringLiteral("Datoslut")).setAsDate(end);
        have().Post();
        return have().FieldByName(QStringLiteral("Regnr")).AsInteger();
    }
    // A material of the work that is current.
    void addMaterial(const QString& name, int count, double price) {
        materials().Insert();
        m_dm->MaterialeTableMaterialer->setAsString(name);
        m_dm->MaterialeTableAntal->setAsInteger(count);
        m_dm->MaterialeTablePris->setAsFloat(price);
        materials().Post();
    }
    QStringList listedWorks() {
        QStringList out;
        for (have().First(); !have().Eof(); have().Next()) {
            out << have().FieldByName(QStringLiteral("Arbejdet")).AsString();
        }
        return out;
    }
    // A field of every stored row, read past filters and links.
    QStringList storedColumn(const char* table, const char* field) {
        store::Table t;
        t.setDatabaseName(QString::fromLatin1(data::TDM::Alias));
        t.setTableName(QString::fromLatin1(table));
        t.Open();
        QStringList out;
        for (t.First(); !t.Eof(); t.Next()) {
            out << t.FieldByName(QString::fromLatin1(field)).AsString();
        }
        return out;
    }
    int counterRows() { return m_dm->HaveRegTable->RecordCount(); }
    void setLanguage(int language) { m_source->SetActiveLanguage(language); }

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
        m_dialogs = std::make_unique<ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        m_main = std::make_unique<QWidget>();
        m_source = new i18n::TQLanguageSource(m_main.get());
        m_source->setObjectName(QStringLiteral("QLanguageSource1"));
        m_source->SetOriginalName(QStringLiteral("Dansk"));
        m_source->SetLanguages(
            {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
        plants::setPicturesFit(true);
    }

    void cleanup() {
        m_form.reset();
        m_main.reset();
        m_source = nullptr;
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    void theControlsStandAtTheirDesignPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("name") << "DBEdit1" << QRect(10, 30, 401, 21);
        QTest::newRow("place") << "DBEdit5" << QRect(10, 75, 401, 21);
        QTest::newRow("start") << "DBDateEdit1" << QRect(10, 120, 121, 21);
        QTest::newRow("end") << "DBDateEdit2" << QRect(160, 120, 121, 21);
        QTest::newRow("category") << "DBEdit4" << QRect(10, 160, 401, 21);
        QTest::newRow("notes") << "DBMemo1" << QRect(10, 205, 401, 266);
        QTest::newRow("picture button") << "SpeedButton3" << QRect(437, 4, 106, 24);
        QTest::newRow("picture box") << "ScrollBox1" << QRect(435, 30, 571, 376);
        QTest::newRow("grid") << "DBGrid1" << QRect(435, 415, 571, 261);
        QTest::newRow("buttons") << "Panel2" << QRect(10, 485, 185, 241);
        QTest::newRow("new") << "Button1" << QRect(20, 20, 141, 25);
        QTest::newRow("save") << "Button2" << QRect(20, 60, 68, 25);
        QTest::newRow("undo") << "FortrydButton" << QRect(93, 60, 68, 25);
        QTest::newRow("fit picture") << "TilpasButton" << QRect(549, 4, 106, 24);
        QTest::newRow("quit") << "Button4" << QRect(20, 195, 141, 30);
        QTest::newRow("filters") << "Panel1" << QRect(225, 485, 186, 241);
        QTest::newRow("toggle") << "Button5" << QRect(15, 195, 156, 31);
        QTest::newRow("materials") << "Panel3" << QRect(435, 2, 578, 724);
        QTest::newRow("material") << "DBEdit3" << QRect(290, 40, 266, 21);
        QTest::newRow("line total") << "DBEdit2" << QRect(450, 85, 106, 21);
        QTest::newRow("material notes") << "DBMemo2" << QRect(25, 185, 531, 96);
        QTest::newRow("material grid") << "DBGrid2" << QRect(25, 295, 531, 396);
        QTest::newRow("add material") << "Button6" << QRect(30, 35, 186, 31);
        QTest::newRow("delete material") << "Button8" << QRect(30, 115, 186, 31);
    }

    void theControlsStandAtTheirDesignPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        garden::THaveForm form(m_source);  // not shown: the design layout as created
        QWidget* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->geometry(), place);
    }

    void theDesignTextsAndTabOrder() {
        open();
        QCOMPARE(m_form->windowTitle(), QStringLiteral("Haveanlæg"));
        QVERIFY(child<QWidget>("Panel3")->isHidden());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->columnTitles(),
                 (QStringList{"Regnr.", "Betegnelse", "Placering", "Kategori", "Startdato",
                              "Slutdato", "Planlagt", "Pris"}));
        QCOMPARE(child<toolkit::DBGrid>("DBGrid2")->columnTitles(),
                 (QStringList{"Materialer", "Antal", "Pris", "Forhandler", "Ialt"}));
        for (const char* r : {"RadioButton1", "RadioButton2", "RadioButton3"}) {
            QVERIFY(!child<QRadioButton>(r)->isChecked());
        }
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("DBEdit1"));
        QStringList order;
        QWidget* w = child<QWidget>("DBEdit1");
        do {
            if (w->focusPolicy() & Qt::TabFocus && !w->objectName().isEmpty() &&
                !w->objectName().startsWith(QLatin1String("qt_"))) {
                order << w->objectName();
            }
            w = w->nextInFocusChain();
        } while (w != child<QWidget>("DBEdit1") && order.size() < 30);
        QCOMPARE(order.mid(0, 18),
                 (QStringList{"DBEdit1", "DBEdit5", "DBDateEdit1", "DBDateEdit2", "DBEdit4",
                              "DBMemo1", "DBGrid1", "ScrollBox1", "DBCheckBox1", "Button1",
                              "Button2", "FortrydButton", "Button3", "Button9", "Button4",
                              "RadioButton1", "RadioButton2", "RadioButton3"}));
        QVERIFY(!order.contains(QStringLiteral("SpeedButton3")));  // it takes no focus
    }

    void thePictureIsImportedUnderTheWorksNumber() {
        addWork(QStringLiteral("Bed"));
        addWork(QStringLiteral("Dam"));
        have().Last();
        open();
        QVERIFY(m_dialogs->shown.isEmpty());  // the default picture was found
        auto* image = child<QLabel>("Image1");
        const QSize defaultSize = image->pixmap().size();
        QVERIFY(!defaultSize.isEmpty());
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("dam.jpg"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(chosen, "JPEG"));
        m_dialogs->files = {chosen};
        click("SpeedButton3");
        QCOMPARE(m_dialogs->texts(QStringLiteral("file")),
                 QStringList{QStringLiteral("Billeder (*.jpg *.jpeg *.JPG *.JPEG *.png *.PNG)|"
                                            "*.jpg;*.jpeg;*.JPG;*.JPEG;*.png;*.PNG")});
        QVERIFY(QFile::exists(QDir(plants::pictureFolder()).filePath(QStringLiteral("Have2.jpg"))));
        QVERIFY(
            !QFile::exists(QDir(plants::pictureFolder()).filePath(QStringLiteral("Have1.jpg"))));
        QCOMPARE(image->pixmap().size(), QSize(40, 30));
        // Moving to another work shows its number but keeps the picture until reopening.
        have().First();
        QCOMPARE(child<QLabel>("DBText1")->text(), QStringLiteral("1"));
        QCOMPARE(image->pixmap().size(), QSize(40, 30));
        QVERIFY(closeWindow());
        open();
        QCOMPARE(child<QLabel>("Image1")->pixmap().size(), defaultSize);
    }

    void theGridEditsInPlace() {
        addWork(QStringLiteral("Bed"));
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QVERIFY(grid->editing());
        QVERIFY(grid->tabKeyNavigation());
        QAbstractItemModel* model = grid->model();
        QCOMPARE(model->columnCount(), 8);
        QVERIFY(model->flags(model->index(0, 7)) & Qt::ItemIsEditable);
        QVERIFY(model->setData(model->index(0, 7), QStringLiteral("1250"), Qt::EditRole));
        QCOMPARE(have().State(), DataSetState::Edit);
        click("Button2");
        QCOMPARE(have().FieldByName(QStringLiteral("Pris")).AsFloat(), 1250.0);
        // Ctrl+Delete asks first.
        m_dialogs->answers = {toolkit::mrCancel};
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Slet denne post?")});
        QCOMPARE(have().RecordCount(), 1);
    }

    void aNewWorkClosedWithoutANameGivesItsNumberBack() {
        addWork(QStringLiteral("Terrasse"));
        open();
        click("Button1");
        QCOMPARE(have().State(), DataSetState::Insert);
        QCOMPARE(have().FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
        QCOMPARE(have().FieldByName(QStringLiteral("Planlagt")).AsString(), QStringLiteral("Nej"));
        QVERIFY(!child<toolkit::DBCheckBox>("DBCheckBox1")->isChecked());
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("DBEdit1"));
        QCOMPARE(counterRows(), 2);
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().text,
                 QStringLiteral("Du har ikke givet anlægget et navn!") + Sep +
                     QStringLiteral("Din registrering af et nyt anlæg annulleres!"));
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Information);
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(listedWorks(), QStringList{QStringLiteral("Terrasse")});
        QCOMPARE(counterRows(), 1);
        // The next new work gets the same number.
        open();
        click("Button1");
        QCOMPARE(have().FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
    }

    void theTitleBarFindsNoNameWhileTheBoxHasTheFocus() {
        open();
        click("Button1");
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Bed"));
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(have().RecordCount(), 0);
        QCOMPARE(counterRows(), 0);
    }

    void afslutTakesTheFocusSoTheNameIsSaved() {
        open();
        click("Button1");
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Bed"));
        click("Button4");
        QVERIFY(!m_form->isVisible());
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(listedWorks(), QStringList{QStringLiteral("Bed")});
    }

    void closingWithNoWorkShowsTheMessageAndStoresTheSize() {
        open();
        m_form->resize(800, 600);
        const QSize outer = m_form->frameGeometry().size();
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);
        QCOMPARE(counterRows(), 0);
        QCOMPARE(data::readSetting(QStringLiteral("W_Have")), outer.width());
        QCOMPARE(data::readSetting(QStringLiteral("H_Have")), outer.height());
        QCOMPARE(m_dm->ConfigTable->State(), DataSetState::Browse);
        // The next opening takes that size.
        open();
        QCOMPARE(m_form->frameGeometry().size(), outer);
    }

    void anErasedNameOfAnExistingWorkStaysPending() {
        addWork(QStringLiteral("Dam"));
        open();
        auto* box = child<QLineEdit>("DBEdit1");
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::mouseClick(child<QWidget>("DBEdit5"), Qt::LeftButton);  // the box is left
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);
        QCOMPARE(have().State(), DataSetState::Edit);  // neither saved nor cancelled
        QCOMPARE(storedColumn("Vexmo.DB", "Arbejdet"), QStringList{QStringLiteral("Dam")});
        QCOMPARE(counterRows(), 1);
        have().Cancel();
    }

    void aRefusedSaveKeepsTheWindowOpenAndTheSizeUnstored() {
        addWork(QStringLiteral("Dam"));
        const int storedWidth = data::readSetting(QStringLiteral("W_Have"));
        open();
        m_form->resize(700, 500);
        click("Button1");
        // A row with the new work's number written behind the window's back: saving collides.
        store::Session::database(QStringLiteral("Vexmo"))
            ->insertRow(QStringLiteral("Vexmo.DB"),
                        {QStringLiteral("Regnr"), QStringLiteral("Arbejdet")},
                        {have().FieldByName(QStringLiteral("Regnr")).AsInteger(),
                         QStringLiteral("Skjult")});
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Bed"));
        click("Button4");
        QVERIFY(m_form->isVisible());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{data::duplicateWarningText()});
        QCOMPARE(have().State(), DataSetState::Insert);
        QCOMPARE(data::readSetting(QStringLiteral("W_Have")), storedWidth);
        have().Cancel();
    }

    void theFilters() {
        addWork(QStringLiteral("Bed"), QStringLiteral("Ja"));
        addWork(QStringLiteral("Dam"), QStringLiteral("Nej"), QDate(2020, 5, 1));
        addWork(QStringLiteral("Hæk"), QStringLiteral("Nej"));
        addWork(QStringLiteral("Mur"), QStringLiteral("Ja"), QDate(1944, 3, 14));
        addWork(QStringLiteral("Sti"), QStringLiteral("Nej"), QDate(1944, 3, 15));
        open();
        click("RadioButton1");
        QCOMPARE(have().Filter(), QStringLiteral("Planlagt = 'Ja'"));
        QVERIFY(have().Filtered());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 2);
        QCOMPARE(listedWorks(), (QStringList{"Bed", "Mur"}));
        click("RadioButton2");
        QCOMPARE(have().Filter(), QStringLiteral("DatoSlut > '14-03-1944'"));
        QCOMPARE(listedWorks(), (QStringList{"Dam", "Sti"}));
        click("RadioButton3");
        QVERIFY(!have().Filtered());
        QCOMPARE(have().Filter(), QStringLiteral("DatoSlut > '14-03-1944'"));
        QCOMPARE(listedWorks().size(), 5);
        click("RadioButton1");
        click("RadioButton3");
        click("RadioButton2");
        QCOMPARE(have().Filter(), QStringLiteral("DatoSlut > '14-03-1944'"));
        QCOMPARE(listedWorks(), (QStringList{"Dam", "Sti"}));
    }

    // The finished filter reads under any regional date form, not only day-month-year.
    void theFinishedFilterUnderAnotherDateFormat() {
        addWork(QStringLiteral("Dam"), QStringLiteral("Nej"), QDate(2020, 5, 1));
        addWork(QStringLiteral("Hæk"), QStringLiteral("Nej"));
        addWork(QStringLiteral("Mur"), QStringLiteral("Nej"), QDate(1944, 3, 14));
        store::setShortDateFormat(QStringLiteral("MM/dd/yyyy"));
        auto restore = qScopeGuard([] { store::setShortDateFormat(QStringLiteral("dd-MM-yyyy")); });
        open();
        click("RadioButton2");
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(have().Filter(), QStringLiteral("DatoSlut > '03/14/1944'"));
        QCOMPARE(listedWorks(), QStringList{QStringLiteral("Dam")});
    }

    void aNewWorkLeavesThePlannedListOnceSaved() {
        addWork(QStringLiteral("Bed"), QStringLiteral("Ja"));
        open();
        click("RadioButton1");
        click("Button1");
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Dam"));
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QCOMPARE(grid->model()->rowCount(), 2);  // shown while new
        click("Button2");
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(grid->model()->rowCount(), 1);
        QCOMPARE(listedWorks(), QStringList{QStringLiteral("Bed")});
        have().setFiltered(false);
        QCOMPARE(listedWorks(), (QStringList{"Bed", "Dam"}));
    }

    void theFilterOutlivesTheWindow() {
        addWork(QStringLiteral("Bed"), QStringLiteral("Ja"));
        addWork(QStringLiteral("Dam"), QStringLiteral("Nej"));
        open();
        click("RadioButton1");
        click("Button4");
        QVERIFY(!m_form->isVisible());
        open();
        for (const char* r : {"RadioButton1", "RadioButton2", "RadioButton3"}) {
            QVERIFY(!child<QRadioButton>(r)->isChecked());
        }
        QCOMPARE(m_form->checkedSelection(), 0);
        QVERIFY(have().Filtered());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->model()->rowCount(), 1);
    }

    void theDeleteConfirmation_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("materialsGone");
        QTest::newRow("Danish") << -1 << "Er du sikker på, at du vil slette Bed ?"
                                << "Haveanlæggets 2 materialer bliver også slettet.";
        // Each language asks in its own words.
        QTest::newRow("English") << 0 << "Are you sure you want to delete Bed?"
                                 << "The 2 materials of this garden work will be deleted too.";
        QTest::newRow("Norwegian") << 1 << "Er du sikker på at du vil slette Bed?"
                                   << "Hageanleggets 2 materialer blir også slettet.";
        QTest::newRow("Swedish") << 2 << "Är du säker på att du vill ta bort Bed?"
                                 << "Anläggningens 2 material tas också bort.";
        QTest::newRow("German") << 3 << "Möchten Sie Bed wirklich löschen?"
                                << "Die 2 Materialien der Anlage werden ebenfalls gelöscht.";
    }

    // A work's materials go with it, and the question says so.
    void theDeleteConfirmation() {
        QFETCH(int, language);
        QFETCH(QString, question);
        QFETCH(QString, materialsGone);
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sand"), 1, 10.0);
        addMaterial(QStringLiteral("Sten"), 2, 5.0);
        addWork(QStringLiteral("Dam"));
        addMaterial(QStringLiteral("Folie"), 1, 300.0);
        addWork(QStringLiteral("Hæk"));
        have().First();
        setLanguage(language);
        open();
        m_dialogs->answers = {toolkit::mrNo, toolkit::mrYes};
        click("Button3");
        QCOMPARE(have().RecordCount(), 3);
        QCOMPARE(storedColumn("Materialer.db", "Materialer").size(), 3);
        click("Button3");
        const QString asked = question + Sep + materialsGone;
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")), (QStringList{asked, asked}));
        QCOMPARE(m_dialogs->shown.first().buttons, toolkit::Button::Yes | toolkit::Button::No);
        QCOMPARE(listedWorks(), (QStringList{"Dam", "Hæk"}));
        QCOMPARE(storedColumn("Materialer.db", "Materialer"), QStringList{QStringLiteral("Folie")});
        // One material is said as one; a work without any is asked as before.
        have().First();
        m_dialogs->answers = {toolkit::mrNo};
        click("Button3");
        QVERIFY(m_dialogs->texts(QStringLiteral("message"))
                    .last()
                    .endsWith(i18n::countText(u"HaveFormTexts", u"MaterialsGoToo", 1, QString(),
                                              QString())));
        have().Last();
        m_dialogs->answers = {toolkit::mrNo};
        click("Button3");
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).last(),
                 QString(question).replace(QStringLiteral("Bed"), QStringLiteral("Hæk")));
    }

    // Ctrl+Delete in the grid takes the materials too, after a question that says so.
    void theGridDeletesAWorkWithItsMaterials() {
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sand"), 1, 10.0);
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        grid->setFocus();
        m_dialogs->answers = {toolkit::mrOk};
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Slet denne post?") + Sep +
                             QStringLiteral("Haveanlæggets ene materiale bliver også slettet.")});
        QCOMPARE(have().RecordCount(), 0);
        QVERIFY(storedColumn("Materialer.db", "Materialer").isEmpty());
    }

    void theNameMissingMessagePerLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::newRow("Danish") << -1
                                << QStringLiteral("Du har ikke givet anlægget et navn!") + Sep +
                                       QStringLiteral(
                                           "Din registrering af et nyt anlæg annulleres!");
        QTest::newRow("English") << 0
                                 << QStringLiteral("You have not given the garden work a name!") +
                                        Sep + QStringLiteral("Your registration is cancelled!");
        QTest::newRow("Norwegian")
            << 1
            << QStringLiteral("Du har ikke gitt hageanlegget et navn!") + Sep +
                   QStringLiteral("Registreringen av det nye anlegget blir annullert!");
        QTest::newRow("Swedish") << 2
                                 << QStringLiteral("Du har inte gett anläggningen något namn!") +
                                        Sep +
                                        QStringLiteral(
                                            "Registreringen av den nya anläggningen annulleras!");
        QTest::newRow("German") << 3
                                << QStringLiteral("Die Anlage hat noch keinen Namen bekommen!") +
                                       Sep +
                                       QStringLiteral(
                                           "Die Eintragung der neuen Anlage wird verworfen!");
    }

    void theNameMissingMessagePerLanguage() {
        QFETCH(int, language);
        QFETCH(QString, text);
        setLanguage(language);
        open();
        click("Button1");
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")), QStringList{text});
    }

    void theTotalOfTheMaterials() {
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sten"), 3, 12.50);
        addMaterial(QStringLiteral("Sand"), 2, 5.0);
        addWork(QStringLiteral("Dam"));
        have().First();
        open();
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));  // the design caption
        click("Button5");
        QVERIFY(m_form->materialsShown());
        QCOMPARE(m_form->totalText(), QStringLiteral("47,5"));
        QCOMPARE(child<toolkit::DBGrid>("DBGrid2")->model()->rowCount(), 2);
        // Moving to another work leaves the total until it is computed again.
        have().Next();
        QCOMPARE(materials().RecordCount(), 0);
        QCOMPARE(m_form->totalText(), QStringLiteral("47,5"));
        click("Button7");
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));
    }

    void theGeneralNumberFormat_data() {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0.0 << "0";
        QTest::newRow("no trailing zeros") << 47.50 << "47,5";
        QTest::newRow("whole") << 1250.0 << "1250";
        QTest::newRow("no grouping") << 1234567.25 << "1234567,25";
        QTest::newRow("not rounded to cents") << 3 * 0.333 << "0,999";
        QTest::newRow("negative") << -12.5 << "-12,5";
    }

    void theGeneralNumberFormat() {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(garden::THaveForm::generalNumber(value), text);
    }

    // The open caption is the language's own, from the same place the localizer reads it.
    void theToggleInEveryLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("closed");
        QTest::newRow("Danish") << -1 << "&Forbrug af materialer"
                                << "Luk &forbrug af materialer";
        QTest::newRow("English") << 0 << "&Materials used"
                                 << "Close &materials";
        QTest::newRow("Norwegian") << 1 << "&Materialforbruk"
                                   << "Lukk &materialforbruk";
        QTest::newRow("Swedish") << 2 << "&Materialåtgång"
                                 << "Stäng &materialåtgång";
        QTest::newRow("German") << 3 << "&Materialverbrauch"
                                << "&Materialien schließen";
    }

    void theToggleInEveryLanguage() {
        QFETCH(int, language);
        QFETCH(QString, open);
        QFETCH(QString, closed);
        addWork(QStringLiteral("Bed"));
        setLanguage(language);
        this->open();
        auto* toggle = child<QPushButton>("Button5");
        // The language file's caption must be the open caption, or the toggle never opens.
        QCOMPARE(toggle->text(), open);
        for (int round = 0; round < 2; ++round) {
            click("Button5");
            QVERIFY(m_form->materialsShown());
            QCOMPARE(toggle->text(), closed);
            // The total stands clear of its caption, however long the translation.
            auto* caption = child<QLabel>("Label7");
            QVERIFY(caption->width() >= caption->fontMetrics().horizontalAdvance(caption->text()));
            QVERIFY(child<QLabel>("Label8")->x() > caption->geometry().right());
            QVERIFY(child<QWidget>("SpeedButton3")->isHidden());
            QVERIFY(child<QWidget>("DBText1")->isHidden());
            QVERIFY(child<QWidget>("Label13")->isHidden());
            click("Button5");
            QVERIFY(!m_form->materialsShown());
            QCOMPARE(toggle->text(), open);
            QVERIFY(!child<QWidget>("SpeedButton3")->isHidden());
            QVERIFY(!child<QWidget>("DBText1")->isHidden());
        }
    }

    // A caption the language file gives otherwise (a translator's edit) still toggles.
    void theToggleWorksWhateverItsCaption() {
        addWork(QStringLiteral("Bed"));
        open();
        auto* toggle = child<QPushButton>("Button5");
        toggle->setText(QStringLiteral("&Materials"));
        click("Button5");
        QVERIFY(m_form->materialsShown());
        QCOMPARE(toggle->text(), QStringLiteral("Luk &forbrug af materialer"));
        click("Button5");
        QVERIFY(!m_form->materialsShown());
        QCOMPARE(toggle->text(), QStringLiteral("&Forbrug af materialer"));
    }

    void aNewMaterialIsSavedByClosingThePanel() {
        addWork(QStringLiteral("Bed"));
        open();
        click("Button5");
        click("Button6");
        QCOMPARE(materials().State(), DataSetState::Insert);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>("DBEdit3"));
        QCOMPARE(m_dm->MaterialeTableRegnr->AsInteger(), 1);
        QCOMPARE(m_dm->MaterialeTableArbejdet->AsString(), QStringLiteral("Bed"));
        QTest::keyClicks(child<QWidget>("DBEdit3"), QStringLiteral("Grus"));
        QTest::keyClick(child<QWidget>("DBEdit3"), Qt::Key_Tab);
        QTest::keyClicks(child<QWidget>("DBEdit14"), QStringLiteral("4"));
        QTest::keyClick(child<QWidget>("DBEdit14"), Qt::Key_Tab);
        QTest::keyClicks(child<QWidget>("DBEdit15"), QStringLiteral("2,25"));
        QTest::keyClick(child<QWidget>("DBEdit15"), Qt::Key_Tab);
        QVERIFY(child<QLineEdit>("DBEdit2")->text().startsWith(QStringLiteral("9,00")));
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));  // not while editing
        click("Button5");
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(materials().RecordCount(), 1);
        QCOMPARE(m_dm->MaterialeTableMaterialer->AsString(), QStringLiteral("Grus"));
        QCOMPARE(m_dm->MaterialeTableIalt->AsFloat(), 9.0);
    }

    void deletingAMaterial() {
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sten"), 3, 12.50);
        addMaterial(QStringLiteral("Sand"), 2, 5.0);
        open();
        click("Button5");
        materials().First();
        m_dialogs->answers = {toolkit::mrNo};
        click("Button8");
        QCOMPARE(materials().RecordCount(), 2);
        QCOMPARE(m_form->totalText(), QStringLiteral("47,5"));
        materials().First();
        const QString first = m_dm->MaterialeTableMaterialer->AsString();
        m_dialogs->answers = {toolkit::mrYes};
        click("Button8");
        QCOMPARE(
            m_dialogs->texts(QStringLiteral("message")).last(),
            QStringLiteral("Er du sikker på, at du vil slette ") + first + QStringLiteral(" ?"));
        QCOMPARE(materials().RecordCount(), 1);
        QCOMPARE(m_form->totalText(),
                 first == QLatin1String("Sand") ? QStringLiteral("37,5") : QStringLiteral("10"));
        // Yes with no material left: the table's error, the total as it was.
        m_dialogs->answers = {toolkit::mrYes, toolkit::mrYes};
        click("Button8");
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));
        click("Button8");
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Der er ingen post at slette.")});
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));
    }

    // Every language asks in its own words, read from its file.
    void theMaterialDeleteQuestionPerLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("question");
        QTest::newRow("Danish") << -1 << QStringLiteral("Er du sikker på, at du vil slette Grus ?");
        QTest::newRow("English") << 0 << QStringLiteral("Are you sure you want to delete Grus?");
        QTest::newRow("Norwegian") << 1 << QStringLiteral("Er du sikker på at du vil slette Grus?");
        QTest::newRow("Swedish") << 2 << QStringLiteral("Är du säker på att du vill ta bort Grus?");
        QTest::newRow("German") << 3 << QStringLiteral("Möchten Sie Grus wirklich löschen?");
    }

    void theMaterialDeleteQuestionPerLanguage() {
        QFETCH(int, language);
        QFETCH(QString, question);
        QCOMPARE(garden::THaveForm::materialDeleteQuestion(language, QStringLiteral("Grus")),
                 question);
    }

    void renamingAWorkKeepsItsMaterials() {
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sten"), 3, 12.50);
        open();
        click("Button5");
        QCOMPARE(materials().RecordCount(), 1);
        auto* box = child<QLineEdit>("DBEdit1");
        box->setFocus();
        QTest::keyClicks(box, QStringLiteral(" ved huset"));
        QTest::keyClick(box, Qt::Key_Tab);
        // Still shown while the new name is not saved, and after.
        QCOMPARE(child<toolkit::DBGrid>("DBGrid2")->model()->rowCount(), 1);
        click("Button2");
        QCOMPARE(have().FieldByName(QStringLiteral("Arbejdet")).AsString(),
                 QStringLiteral("Bed ved huset"));
        QCOMPARE(materials().RecordCount(), 1);
        QCOMPARE(child<toolkit::DBGrid>("DBGrid2")->model()->rowCount(), 1);
        QCOMPARE(storedColumn("Materialer.db", "Arbejdet"),
                 QStringList{QStringLiteral("Bed ved huset")});
        click("Button7");
        QCOMPARE(m_form->totalText(), QStringLiteral("37,5"));
    }

    // The natural path: a new work, its materials, and only then its name.
    void materialsAddedBeforeTheNameStayWithTheWork() {
        addWork(QStringLiteral("Terrasse"));
        open();
        click("Button1");
        const int number = have().FieldByName(QStringLiteral("Regnr")).AsInteger();
        click("Button5");
        for (const char* name : {"Fliser", "Grus"}) {
            click("Button6");
            QTest::keyClicks(child<QWidget>("DBEdit3"), QString::fromLatin1(name));
            click("Button7");
        }
        QCOMPARE(materials().RecordCount(), 2);
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));
        QTest::mouseClick(child<QWidget>("DBEdit1"), Qt::LeftButton);
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Bed"));
        QTest::keyClick(child<QWidget>("DBEdit1"), Qt::Key_Tab);
        QCOMPARE(materials().RecordCount(), 2);
        click("Button2");
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(materials().RecordCount(), 2);
        QCOMPARE(storedColumn("Materialer.db", "Arbejdet"), (QStringList{"Bed", "Bed"}));
        QCOMPARE(storedColumn("Materialer.db", "Regnr"),
                 (QStringList{QString::number(number), QString::number(number)}));
        // Moving away and back shows them still.
        have().First();
        QCOMPARE(materials().RecordCount(), 0);
        have().Last();
        QCOMPARE(materials().RecordCount(), 2);
    }

    // A new work closed without a name is cancelled with everything entered for it.
    void aDiscardedNewWorkTakesItsSavedMaterials() {
        open();
        click("Button1");
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QWidget>("DBEdit3"), QStringLiteral("Grus"));
        click("Button7");
        QCOMPARE(storedColumn("Materialer.db", "Materialer"), QStringList{QStringLiteral("Grus")});
        QVERIFY(closeWindow());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);  // name missing
        QCOMPARE(have().RecordCount(), 0);
        QCOMPARE(counterRows(), 0);  // the number is given back
        QVERIFY(storedColumn("Materialer.db", "Materialer").isEmpty());
        // The next work gets the number and nothing of the discarded one.
        open();
        click("Button1");
        QCOMPARE(have().FieldByName(QStringLiteral("Regnr")).AsInteger(), 1);
        QCOMPARE(materials().RecordCount(), 0);
    }

    void noCurrentWorkRefusesMaterials_data() {
        QTest::addColumn<bool>("filtered");
        QTest::newRow("an empty register") << false;
        QTest::newRow("a filter hides every work") << true;
    }

    void noCurrentWorkRefusesMaterials() {
        QFETCH(bool, filtered);
        if (filtered) {
            addWork(QStringLiteral("Bed"));
        }
        setLanguage(0);
        open();
        if (filtered) {
            click("RadioButton1");
        }
        QVERIFY(have().IsEmpty());
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QWidget>("DBEdit3"), QStringLiteral("Grus"));
        click("Button7");
        const QString refusal = QStringLiteral(
            "There is no garden work to add the material to.\n\rChoose a garden work in the "
            "list, or make one with \"New registration\", before you add materials.");
        QCOMPARE(data::TDM::noWorkText(), refusal);
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).contains(refusal));  // Tilføj, typing
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")), QStringList{refusal});  // Gem
        QCOMPARE(materials().State(), DataSetState::Browse);
        QVERIFY(storedColumn("Materialer.db", "Materialer").isEmpty());
        QCOMPARE(child<QLineEdit>("DBEdit3")->text(), QString());
        have().setFiltered(false);
    }

    void theBoxesTakeNoMoreThanTheirFields_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("width");
        QTest::newRow("name") << "DBEdit1" << 100;
        QTest::newRow("place") << "DBEdit5" << 100;
        QTest::newRow("category") << "DBEdit4" << 60;
        QTest::newRow("material") << "DBEdit3" << 40;
        QTest::newRow("dealer") << "DBEdit16" << 50;
    }

    void theBoxesTakeNoMoreThanTheirFields() {
        QFETCH(QString, box);
        QFETCH(int, width);
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sten"), 1, 1.0);
        open();
        click("Button5");
        auto* edit = m_form->findChild<QLineEdit*>(box);
        QVERIFY(edit);
        QCOMPARE(edit->maxLength(), width);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, QString(width + 10, QLatin1Char('x')));
        QCOMPARE(edit->text().size(), width);
        QTest::keyClick(edit, Qt::Key_Tab);
        QVERIFY(m_dialogs->shown.isEmpty());
        click("Button2");
        click("Button7");
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).isEmpty());
    }

    void aGridCellTakesNoMoreThanItsField() {
        addWork(QStringLiteral("Bed"));
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 1));
        QTest::keyClick(grid, Qt::Key_F2);
        auto* editor = qobject_cast<QLineEdit*>(QApplication::focusWidget());
        QVERIFY(editor);
        QCOMPARE(editor->maxLength(), 100);
        editor->selectAll();
        QTest::keyClicks(editor, QString(110, QLatin1Char('a')));
        QTest::keyClick(editor, Qt::Key_Return);
        click("Button2");
        QCOMPARE(have().FieldByName(QStringLiteral("Arbejdet")).AsString(),
                 QString(100, QLatin1Char('a')));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void aNegativeAmountIsRefusedByItsCaption_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("cell");
        QTest::newRow("Danish") << -1
                                << "»Antal« kan ikke være -3.\n\rDet mindste tal, feltet kan "
                                   "rumme, er 0."
                                << "»Pris« kan ikke være -1.";
        QTest::newRow("English") << 0
                                 << "\"Quantity\" cannot be -3.\n\rThe smallest number the "
                                    "field takes is 0."
                                 << "\"Unit price\" cannot be -1.";
        QTest::newRow("German") << 3
                                << "„Anzahl“ kann nicht -3 sein.\n\rDie kleinste Zahl, die das "
                                   "Feld annimmt, ist 0."
                                << "„Stückpreis“ kann nicht -1 sein.";
    }

    // The refusal names the field by the caption the user sees, in the user's language.
    void aNegativeAmountIsRefusedByItsCaption() {
        QFETCH(int, language);
        QFETCH(QString, box);
        QFETCH(QString, cell);
        addWork(QStringLiteral("Bed"));
        addMaterial(QStringLiteral("Sten"), 2, 5.0);
        setLanguage(language);
        open();
        click("Button5");
        auto* quantity = child<QLineEdit>("DBEdit14");
        quantity->setFocus();
        quantity->selectAll();
        QTest::keyClicks(quantity, QStringLiteral("-3"));
        QTest::keyClick(quantity, Qt::Key_Tab);
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")), QStringList{box});
        QCOMPARE(quantity->text(), QStringLiteral("-3"));  // kept for the user to mend
        QCOMPARE(m_dm->MaterialeTableAntal->AsInteger(), 2);
        QTest::keyClick(quantity, Qt::Key_Escape);
        materials().Cancel();
        // A grid cell is named by its column.
        auto* grid = child<toolkit::DBGrid>("DBGrid2");
        QVERIFY(!grid->model()->setData(grid->model()->index(0, 2), QStringLiteral("-1"),
                                        Qt::EditRole));
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")).size(), 2);
        QVERIFY2(m_dialogs->texts(QStringLiteral("error")).last().startsWith(cell),
                 qPrintable(m_dialogs->texts(QStringLiteral("error")).last()));
        QCOMPARE(m_dm->MaterialeTablePris->AsFloat(), 5.0);
        materials().Cancel();
    }

    // The planned flag is a check box in the grid too: it holds Ja or Nej and takes no typing.
    void thePlannedColumnIsACheckBox() {
        addWork(QStringLiteral("Bed"));
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        QAbstractItemModel* model = grid->model();
        QAbstractItemModelTester tester(model,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        const QModelIndex planned = model->index(0, 6);
        QVERIFY(model->flags(planned) & Qt::ItemIsUserCheckable);
        QVERIFY(!(model->flags(planned) & Qt::ItemIsEditable));
        QCOMPARE(model->data(planned, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        grid->setFocus();
        grid->setCurrentIndex(planned);
        QTest::keyClicks(grid, QStringLiteral("x"));
        QCOMPARE(have().State(), DataSetState::Browse);
        QTest::keyClick(grid, Qt::Key_Space);
        QCOMPARE(have().FieldByName(QStringLiteral("Planlagt")).AsString(), QStringLiteral("Ja"));
        QVERIFY(child<toolkit::DBCheckBox>("DBCheckBox1")->isChecked());
        click("Button2");
        QCOMPARE(storedColumn("Vexmo.DB", "Planlagt"), QStringList{QStringLiteral("Ja")});
        // A click on the box clears it again.
        const QRect cell = grid->visualRect(planned);
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                          QPoint(cell.left() + 10, cell.center().y()));
        QCOMPARE(model->data(planned, Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
        click("Button2");
        QCOMPARE(storedColumn("Vexmo.DB", "Planlagt"), QStringList{QStringLiteral("Nej")});
    }

    // A material still in the panel's boxes when the window closes is kept with its work.
    void aPendingMaterialIsSavedWhenTheWindowCloses() {
        addWork(QStringLiteral("Bed"));
        open();
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QWidget>("DBEdit3"), QStringLiteral("Grus"));  // focus stays
        QVERIFY(closeWindow());
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(materials().RecordCount(), 1);
        QCOMPARE(m_dm->MaterialeTableMaterialer->AsString(), QStringLiteral("Grus"));
        QCOMPARE(m_dm->MaterialeTableRegnr->AsInteger(), 1);
        // An untouched new material is dropped, not stored empty.
        open();
        click("Button5");
        click("Button6");
        QVERIFY(closeWindow());
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(materials().RecordCount(), 1);
    }

    void aPendingMaterialGoesWithADiscardedWork() {
        open();
        click("Button1");
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QWidget>("DBEdit3"), QStringLiteral("Grus"));
        QVERIFY(closeWindow());
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(have().RecordCount(), 0);
        // No material left behind under the number given back.
        QVERIFY(storedColumn("Materialer.db", "Materialer").isEmpty());
    }

    // Esc in a box is no way out: the closing steps that would discard a new work do not run.
    void escapeKeepsTheWindowOpen() {
        open();
        click("Button1");
        QTest::keyClick(child<QWidget>("DBEdit5"), Qt::Key_Escape);
        QTest::keyClick(child<QWidget>("DBGrid1"), Qt::Key_Escape);
        QTest::keyClick(m_form.get(), Qt::Key_Escape);
        QVERIFY(m_form->isVisible());
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(counterRows(), 1);
    }

    // A picture imported for a new work belongs to it: discarded, the work takes it along,
    // so the number issued again shows the default; saved, it keeps it.
    void aDiscardedNewWorkTakesItsPictureAlong() {
        open();
        const QSize defaultSize = child<QLabel>("Image1")->pixmap().size();
        click("Button1");
        const int number = have().FieldByName(QStringLiteral("Regnr")).AsInteger();
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("dam.jpg"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::darkGreen);
        QVERIFY(picture.save(chosen, "JPEG"));
        m_dialogs->files = {chosen};
        click("SpeedButton3");
        const QString own =
            QDir(plants::pictureFolder()).filePath(QStringLiteral("Have%1.jpg").arg(number));
        QVERIFY(QFile::exists(own));
        QVERIFY(closeWindow());
        QVERIFY(!QFile::exists(own));
        open();
        click("Button1");
        QCOMPARE(have().FieldByName(QStringLiteral("Regnr")).AsInteger(), number);
        QCOMPARE(child<QLabel>("Image1")->pixmap().size(), defaultSize);
        m_dialogs->files = {chosen};
        click("SpeedButton3");
        QTest::keyClicks(child<QWidget>("DBEdit1"), QStringLiteral("Dam"));
        click("Button4");
        QVERIFY(!m_form->isVisible());
        QVERIFY(QFile::exists(own));
    }

    // --- sorting, "Fortryd", Ctrl+S ----------------------------------------------------------

    // The column titles sort, a second click the other way round; a filter keeps the order,
    // and the key order comes back when the window closes.
    void clickingAColumnTitleSortsTheWorks() {
        addWork(QStringLiteral("Terrasse"), QStringLiteral("Ja"));
        addWork(QStringLiteral("bed"), QStringLiteral("Nej"), QDate(2011, 3, 20));
        addWork(QStringLiteral("Åben dam"), QStringLiteral("Ja"), QDate(2012, 6, 30));
        addWork(QStringLiteral("Æblehave"), QStringLiteral("Nej"), QDate(2010, 1, 5));
        open();
        auto* grid = child<toolkit::DBGrid>("DBGrid1");
        clickTitle(1);
        QCOMPARE(listedWorks(),
                 (QStringList{QStringLiteral("bed"), QStringLiteral("Terrasse"),
                              QStringLiteral("Æblehave"), QStringLiteral("Åben dam")}));
        QCOMPARE(grid->model()->index(0, 1).data().toString(), QStringLiteral("bed"));
        QCOMPARE(grid->horizontalHeader()->sortIndicatorSection(), 1);
        clickTitle(5);  // end date; no date first
        QCOMPARE(listedWorks(), (QStringList{QStringLiteral("Terrasse"), QStringLiteral("Æblehave"),
                                             QStringLiteral("bed"), QStringLiteral("Åben dam")}));
        clickTitle(5);
        QCOMPARE(listedWorks().first(), QStringLiteral("Åben dam"));
        QCOMPARE(grid->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        click("RadioButton2");  // finished works, still by end date, latest first
        QCOMPARE(listedWorks(), (QStringList{QStringLiteral("Åben dam"), QStringLiteral("bed"),
                                             QStringLiteral("Æblehave")}));
        // The print lists them as shown.
        CapturingPreviewer previewer;
        report::setPreviewer(&previewer);
        click("Button9");
        report::setPreviewer(nullptr);
        QCOMPARE(previewer.shown, 1);
        const qsizetype pond = previewer.texts.indexOf(QStringLiteral("Åben dam"));
        const qsizetype bed = previewer.texts.indexOf(QStringLiteral("bed"));
        const qsizetype orchard = previewer.texts.indexOf(QStringLiteral("Æblehave"));
        QVERIFY(pond >= 0 && pond < bed && bed < orchard);
        // A change typed into a cell is saved before the rows are sorted again.
        clickTitle(1);
        have().First();
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(0, 3));
        QTest::keyClick(grid, 'V');  // the first key opens the cell's editor
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("and"));
        QCOMPARE(have().State(), DataSetState::Edit);
        clickTitle(3);
        QCOMPARE(have().State(), DataSetState::Browse);
        QVERIFY2(storedColumn("Vexmo.DB", "Kategori").contains(QStringLiteral("Vand")),
                 qPrintable(storedColumn("Vexmo.DB", "Kategori").join(u'|')));
        QVERIFY(closeWindow());
        QCOMPARE(have().SortOrder(), QList<store::SortField>());
        QCOMPARE(listedWorks().first(), QStringLiteral("bed"));  // Regnr 2; the filter stays
        m_form.reset();
        have().setSortOrder({{QStringLiteral("Arbejdet"), true}});
        open();
        QCOMPARE(have().SortOrder(), QList<store::SortField>());
        QCOMPARE(child<toolkit::DBGrid>("DBGrid1")->horizontalHeader()->sortIndicatorSection(), -1);
    }

    // "Fortryd" puts the work back as stored, with the material being typed and the picture;
    // it asks first, and Ctrl+Z reaches it once the box has nothing of its own to undo.
    void fortrydPutsTheWorkBackAsStored() {
        addWork(QStringLiteral("Dam"));
        addMaterial(QStringLiteral("Sten"), 3, 12.5);
        open();
        auto* undo = child<QPushButton>("FortrydButton");
        QVERIFY(!undo->isEnabled());
        auto* name = child<QLineEdit>("DBEdit1");
        name->setFocus();
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Sø"));
        QVERIFY(undo->isEnabled());
        const QString own = QDir(plants::pictureFolder()).filePath(QStringLiteral("Have1.jpg"));
        QTemporaryDir dir;
        const QString chosen = dir.filePath(QStringLiteral("dam.png"));
        QImage picture(40, 30, QImage::Format_RGB32);
        picture.fill(Qt::blue);
        QVERIFY(picture.save(chosen, "PNG"));
        m_dialogs->files = {chosen};
        click("SpeedButton3");
        QVERIFY(QFile::exists(own));
        click("Button5");  // the materials
        auto* material = child<QLineEdit>("DBEdit3");
        material->setFocus();
        QTest::keyClicks(material, QStringLiteral("x"));
        QCOMPARE(materials().State(), DataSetState::Edit);
        m_dialogs->answers = {toolkit::mrNo, toolkit::mrYes};
        QTest::keyClick(material, Qt::Key_Z, Qt::ControlModifier);  // the box's own typing
        QCOMPARE(material->text(), QStringLiteral("Sten"));
        QVERIFY(m_dialogs->texts(QStringLiteral("message")).isEmpty());
        QTest::keyClick(material, Qt::Key_Z, Qt::ControlModifier);  // asked: No
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Vil du fortryde dine ændringer af haveanlægget?\n\r"
                                            "Haveanlægget bliver, som det sidst blev gemt.")});
        QCOMPARE(have().State(), DataSetState::Edit);
        click("FortrydButton");  // Yes
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(name->text(), QStringLiteral("Dam"));
        QCOMPARE(storedColumn("Vexmo.DB", "Arbejdet"), QStringList{QStringLiteral("Dam")});
        QCOMPARE(storedColumn("Materialer.db", "Materialer"), QStringList{QStringLiteral("Sten")});
        QVERIFY(!QFile::exists(own));
        QCOMPARE(m_form->totalText(), QStringLiteral("37,5"));
        QVERIFY(!undo->isEnabled());
    }

    // A new work is discarded with its materials, and its number is given back.
    void fortrydDiscardsANewWork() {
        addWork(QStringLiteral("Dam"));
        open();
        click("Button1");
        const int number = have().FieldByName(QStringLiteral("Regnr")).AsInteger();
        QTest::keyClicks(child<QLineEdit>("DBEdit1"), QStringLiteral("Bed"));
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QLineEdit>("DBEdit3"), QStringLiteral("Muld"));
        click("Button7");  // the material is saved under the new work
        QCOMPARE(storedColumn("Materialer.db", "Materialer"), QStringList{QStringLiteral("Muld")});
        m_dialogs->answers = {toolkit::mrYes};
        click("FortrydButton");
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).value(0),
                 QStringLiteral("Vil du kassere det nye haveanlæg?\n\rIntet af det, du har "
                                "skrevet om det, bliver gemt."));
        QVERIFY(m_form->isVisible());
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(storedColumn("Vexmo.DB", "Arbejdet"), QStringList{QStringLiteral("Dam")});
        QVERIFY(storedColumn("Materialer.db", "Materialer").isEmpty());
        QCOMPARE(counterRows(), 1);
        QCOMPARE(m_form->totalText(), QStringLiteral("0"));
        click("Button1");
        QCOMPARE(have().FieldByName(QStringLiteral("Regnr")).AsInteger(), number);
    }

    // Ctrl+S saves the work, and the material being typed, at once.
    void ctrlSSavesTheWork() {
        addWork(QStringLiteral("Dam"));
        open();
        QTest::keyClicks(child<QLineEdit>("DBEdit5"), QStringLiteral("Baghave"));
        QTest::keyClick(child<QLineEdit>("DBEdit5"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(have().State(), DataSetState::Browse);
        QCOMPARE(storedColumn("Vexmo.DB", "Placering"), QStringList{QStringLiteral("Baghave")});
        QVERIFY(!child<QPushButton>("FortrydButton")->isEnabled());
        click("Button5");
        click("Button6");
        QTest::keyClicks(child<QLineEdit>("DBEdit3"), QStringLiteral("Grus"));
        QTest::keyClicks(child<QLineEdit>("DBEdit14"), QStringLiteral("2"));
        QTest::keyClicks(child<QLineEdit>("DBEdit15"), QStringLiteral("4"));
        QTest::keyClick(child<QLineEdit>("DBEdit15"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(materials().State(), DataSetState::Browse);
        QCOMPARE(storedColumn("Materialer.db", "Materialer"), QStringList{QStringLiteral("Grus")});
        QCOMPARE(m_form->totalText(), QStringLiteral("8"));
        QVERIFY(m_dialogs->shown.isEmpty());
    }
};

// Errors in handlers reach the standard error box, as in the program.
int main(int argc, char** argv) {
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    HaveFormTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "tst_haveform.moc"
