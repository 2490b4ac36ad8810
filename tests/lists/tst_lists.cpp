// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/hovedform.h"
#include "data/dm.h"
#include "i18n/langsource.h"
#include "lists/defform.h"
#include "lists/navneform.h"
#include "plants/regform.h"
#include "store/session.h"
#include "testsupport.h"
#include "toolkit/application.h"
#include "toolkit/dbcontrols.h"
#include "toolkit/grid.h"
#include "toolkit/lookup.h"
#include "toolkit/navigator.h"
#include "widgets/justone.h"

using store::DataSetState;
using toolkit::NavButton;

namespace {

QString text(store::Table* t, const char* field) {
    return t->FieldByName(QString::fromLatin1(field)).AsString();
}

QStringList column(store::Table* t, const char* field) {
    QStringList out;
    const store::Bookmark at = t->GetBookmark();
    for (t->First(); !t->Eof(); t->Next()) {
        out << text(t, field);
    }
    t->GotoBookmark(at);
    return out;
}

void emptyTable(store::Table* t) {
    t->First();
    while (!t->IsEmpty()) {
        t->Delete();
    }
}

void addName(store::Table* t, const QString& name, const QString& latin) {
    t->Insert();
    t->FieldByName(QStringLiteral("Navn")).setAsString(name);
    t->FieldByName(QStringLiteral("Latin")).setAsString(latin);
    t->Post();
}

}  // namespace

// Both list windows on a fresh data folder with the starter lists, shown offscreen.
class ListsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    // The main window's source, as the windows find it for the texts of their code.
    std::unique_ptr<testsupport::MainLanguage> m_main;
    i18n::TQLanguageSource* m_source = nullptr;
    QTemporaryDir m_guard;

    void useLanguage(int index) { m_source->SetActiveLanguage(index); }

    template <class T, class F>
    static T* child(F& form, const char* name) {
        T* w = form.template findChild<T*>(QString::fromLatin1(name));
        if (!w) {
            qWarning("no control %s", name);
        }
        return w;
    }

    template <class F>
    std::unique_ptr<F> open() {
        auto form = std::make_unique<F>(m_source);
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get())) {
            qWarning("the window did not become active");
        }
        return form;
    }

    static void click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton); }
    // A radio button takes a click on its mark or its text.
    static void choose(QRadioButton* b) {
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
    }

    // Types into the current cell of a grid, as a user does: the key opens the editor.
    static void typeInCell(toolkit::DBGrid* grid, const QString& s) {
        grid->setFocus();
        QTest::keyClicks(grid, s.left(1));
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && editor != grid && grid->isAncestorOf(editor));
        QTest::keyClicks(editor, s.mid(1));
    }

    // A catalogue of five entries in key order.
    void smallCatalogue() {
        store::Table* t = m_dm->NavneTable;
        emptyTable(t);
        addName(t, QStringLiteral("Hunderose"), QStringLiteral("Rosa canina"));
        addName(t, QStringLiteral("Kartoffelrose"), QStringLiteral("Rosa rugosa"));
        addName(t, QStringLiteral("Lavendel"), QStringLiteral("Lavandula angustifolia"));
        addName(t, QStringLiteral("Rosmarin"), QStringLiteral("Salvia rosmarinus"));
        addName(t, QStringLiteral("Æble"), QStringLiteral("Malus domestica"));
        t->First();
    }

private Q_SLOTS:
    void initTestCase() {
        testsupport::useDanishFormats();
        widgets::TJustOne::setDefaultServerName(m_guard.filePath(QStringLiteral("guard")));
    }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        m_main = std::make_unique<testsupport::MainLanguage>();
        m_source = m_main->source();
    }

    void cleanup() {
        m_source = nullptr;
        m_main.reset();
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    // ---- families and plant types ----

    void theDefinitionsWindowHasTwoHalves() {
        auto form = open<lists::TDefForm>();
        QCOMPARE(form->windowTitle(), QStringLiteral("Definitioner"));
        QCOMPARE(form->size(), QSize(433, 446));
        auto* left = child<QWidget>(*form, "Panel1");
        auto* right = child<QWidget>(*form, "Panel2");
        QCOMPARE(left->geometry(), QRect(0, 0, 216, 446));
        QCOMPARE(right->geometry(), QRect(216, 0, 216, 446));
        for (toolkit::DBNavigator* nav : {form->DBNavigator1(), form->DBNavigator2()}) {
            QCOMPARE(nav->VisibleButtons(),
                     toolkit::NavButtons(NavButton::Insert | NavButton::Delete | NavButton::Post));
            QCOMPARE(nav->geometry().bottom(), 444);  // docked to the bottom, inside the bevel
        }
        QCOMPARE(form->DBGrid1()->columnTitles(), QStringList{QStringLiteral("Plantefamilie")});
        QCOMPARE(form->DBGrid2()->columnTitles(), QStringList{QStringLiteral("Plantetype")});
        QVERIFY(form->DBGrid1()->editing());
        QVERIFY(form->DBGrid2()->editing());
        // The starter lists are there to be extended.
        QCOMPARE(form->DBGrid1()->model()->rowCount(), m_dm->FamilieTable->RecordCount());
        QVERIFY(m_dm->FamilieTable->RecordCount() > 20);
        QCOMPARE(form->DBGrid2()->model()->rowCount(), m_dm->TypeTable->RecordCount());
        QVERIFY(column(m_dm->TypeTable, "Plantetype").contains(QStringLiteral("Busk")));
        // Wider, the halves keep their width.
        form->resize(700, 500);
        QCOMPARE(right->geometry(), QRect(216, 0, 216, 500));
    }

    void theDefinitionsWindowIsTranslated() {
        useLanguage(0);
        auto form = open<lists::TDefForm>();
        QCOMPARE(form->windowTitle(), QStringLiteral("Definitions"));
        QCOMPARE(form->DBGrid1()->columnTitles(), QStringList{QStringLiteral("Plant family")});
        QCOMPARE(form->DBGrid2()->columnTitles(), QStringList{QStringLiteral("Plant type")});
        QCOMPARE(form->DBNavigator1()->button(NavButton::Insert)->toolTip(),
                 QStringLiteral("Insert record"));
        useLanguage(-1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Definitioner"));
        QCOMPARE(form->DBGrid1()->columnTitles(), QStringList{QStringLiteral("Plantefamilie")});
    }

    void aFamilyAddedShowsAtOnceInTheFamilyBox() {
        // The registration window's family box: names as key and shown value.
        toolkit::DBLookupComboBox familyBox;
        familyBox.setListSource(m_dm->FamilieSource);
        familyBox.setKeyField(QStringLiteral("Familie"));
        familyBox.setListField(QStringLiteral("Familie"));
        const int before = familyBox.count();

        auto form = open<lists::TDefForm>();
        form->DBNavigator1()->BtnClick(NavButton::Insert);
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Insert);
        typeInCell(form->DBGrid1(), QStringLiteral("Aaa-familien"));
        // The post button leaves the cell editor open; what it holds is posted all the same.
        click(form->DBNavigator1()->button(NavButton::Post));
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Browse);
        QCOMPARE(text(m_dm->FamilieTable, "Familie"), QStringLiteral("Aaa-familien"));
        QVERIFY(m_dialogs->shown.isEmpty());
        QCOMPARE(familyBox.count(), before + 1);
        QCOMPARE(familyBox.itemText(0), QStringLiteral("Aaa-familien"));
        form.reset();
        // The registration window opened afterwards on a plant offers it too.
        m_dm->PlanteTable->Insert();
        m_dm->PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(QStringLiteral("Akantus"));
        m_dm->PlanteTable->Post();
        plants::TRegForm reg;
        reg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reg));
        auto* regFamilies = child<toolkit::DBLookupComboBox>(reg, "DBLookupComboBox1");
        QCOMPARE(regFamilies->count(), before + 1);
        QCOMPARE(regFamilies->itemText(0), QStringLiteral("Aaa-familien"));
    }

    void aDuplicateIsRefusedAndLeftOpen_data() {
        QTest::addColumn<bool>("types");
        QTest::newRow("family") << false;
        QTest::newRow("type") << true;
    }

    void aDuplicateIsRefusedAndLeftOpen() {
        QFETCH(bool, types);
        auto form = open<lists::TDefForm>();
        store::Table* t = types ? m_dm->TypeTable : m_dm->FamilieTable;
        toolkit::DBGrid* grid = types ? form->DBGrid2() : form->DBGrid1();
        toolkit::DBNavigator* nav = types ? form->DBNavigator2() : form->DBNavigator1();
        const QString existing = column(t, types ? "Plantetype" : "Familie").value(1);
        const int count = t->RecordCount();
        nav->BtnClick(NavButton::Insert);
        typeInCell(grid, existing);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        click(nav->button(NavButton::Post));
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Der findes en tilsvarende registrering i forvejen.")});
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Warning);
        QCOMPARE(t->State(), DataSetState::Insert);
        QCOMPARE(t->RecordCount(), count);
        QCOMPARE(grid->model()->data(grid->currentIndex()).toString(), existing);
        // Corrected, it goes in.
        typeInCell(grid, existing + QStringLiteral(" II"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        click(nav->button(NavButton::Post));
        QCOMPARE(t->State(), DataSetState::Browse);
        QCOMPARE(t->RecordCount(), count + 1);
        QCOMPARE(m_dialogs->shown.size(), 1);
    }

    void deletingATypeInUseLeavesThePlantsTheirText() {
        m_dm->PlanteTable->Insert();
        m_dm->PlanteTable->FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(QStringLiteral("Syren"));
        m_dm->PlanteTable->FieldByName(QStringLiteral("Plantetype"))
            .setAsString(QStringLiteral("Busk"));
        m_dm->PlanteTable->Post();
        auto form = open<lists::TDefForm>();
        QVERIFY(m_dm->TypeTable->Locate(QStringLiteral("Plantetype"), QStringLiteral("Busk")));
        const int count = m_dm->TypeTable->RecordCount();
        m_dialogs->answers = {toolkit::mrCancel, toolkit::mrOk};
        click(form->DBNavigator2()->button(NavButton::Delete));
        QCOMPARE(m_dm->TypeTable->RecordCount(), count);  // refused at the question
        click(form->DBNavigator2()->button(NavButton::Delete));
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList(2, QStringLiteral("Slet denne post?")));
        QCOMPARE(m_dm->TypeTable->RecordCount(), count - 1);
        QVERIFY(!column(m_dm->TypeTable, "Plantetype").contains(QStringLiteral("Busk")));
        m_dm->PlanteTable->First();
        QCOMPARE(text(m_dm->PlanteTable, "Plantetype"), QStringLiteral("Busk"));
    }

    void anEmptyNewRowIsDroppedOnMovingAway() {
        auto form = open<lists::TDefForm>();
        const int count = m_dm->FamilieTable->RecordCount();
        m_dm->FamilieTable->Last();
        form->DBNavigator1()->BtnClick(NavButton::Insert);
        QCOMPARE(form->DBGrid1()->model()->rowCount(), count + 1);
        // The user clicks another row without typing.
        toolkit::DBGrid* grid = form->DBGrid1();
        const QRect cell = grid->visualRect(grid->model()->index(0, 0));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->FamilieTable->RecordCount(), count);
        QCOMPARE(m_dm->FamilieTable->RecNo(), 0);
        QCOMPARE(grid->model()->rowCount(), count);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void closingKeepsWhatWasTypedAndStaysOpenForADuplicate() {
        auto form = open<lists::TDefForm>();
        const int types = m_dm->TypeTable->RecordCount();
        // A new type typed and not posted is stored on closing.
        form->DBNavigator2()->BtnClick(NavButton::Insert);
        typeInCell(form->DBGrid2(), QStringLiteral("Vandplante"));
        QVERIFY(form->close());
        QCOMPARE(m_dm->TypeTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->TypeTable->RecordCount(), types + 1);
        QVERIFY(column(m_dm->TypeTable, "Plantetype").contains(QStringLiteral("Vandplante")));
        // A duplicate family keeps the window open with the warning.
        form = open<lists::TDefForm>();
        const QString existing = column(m_dm->FamilieTable, "Familie").first();
        form->DBNavigator1()->BtnClick(NavButton::Insert);
        typeInCell(form->DBGrid1(), existing);
        QVERIFY(!form->close());
        QVERIFY(form->isVisible());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Insert);
        // An untouched new row is simply dropped.
        m_dm->FamilieTable->Cancel();
        form->DBNavigator1()->BtnClick(NavButton::Insert);
        QVERIFY(form->close());
        QCOMPARE(m_dm->FamilieTable->State(), DataSetState::Browse);
    }

    // Whichever way its post comes, an entry without a name never reaches the list: a new
    // one is dropped, an edit that erased the name is undone.
    void anEmptyEntryIsNeverPosted_data() {
        QTest::addColumn<bool>("types");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("typed");  // typed, then erased; "-" types nothing
        QTest::newRow("new family, untouched") << false << false << "-";
        QTest::newRow("new family, typed and erased") << false << false << "Rosa";
        QTest::newRow("new type, spaces") << true << false << "   ";
        QTest::newRow("family renamed to nothing") << false << true << "";
        QTest::newRow("type renamed to spaces") << true << true << "  ";
    }

    void anEmptyEntryIsNeverPosted() {
        QFETCH(bool, types);
        QFETCH(bool, existing);
        QFETCH(QString, typed);
        auto form = open<lists::TDefForm>();
        store::Table* t = types ? m_dm->TypeTable : m_dm->FamilieTable;
        const char* field = types ? "Plantetype" : "Familie";
        toolkit::DBGrid* grid = types ? form->DBGrid2() : form->DBGrid1();
        toolkit::DBNavigator* nav = types ? form->DBNavigator2() : form->DBNavigator1();
        const QStringList before = column(t, field);
        if (existing) {
            t->First();
            grid->setFocus();
            QTest::keyClick(grid, Qt::Key_F2);  // the cell editor on the first entry
            QWidget* editor = QApplication::focusWidget();
            QVERIFY(editor && grid->isAncestorOf(editor));
            QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
            QTest::keyClick(editor, Qt::Key_Backspace);
            QTest::keyClicks(editor, typed);
        } else {
            click(nav->button(NavButton::Insert));
            if (typed != QLatin1String("-")) {
                typeInCell(grid, typed);
                if (!typed.trimmed().isEmpty()) {
                    QWidget* editor = QApplication::focusWidget();
                    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
                    QTest::keyClick(editor, Qt::Key_Backspace);
                }
            }
        }
        QVERIFY(nav->button(NavButton::Post)->isEnabled());
        click(nav->button(NavButton::Post));
        QCOMPARE(t->State(), DataSetState::Browse);
        QCOMPARE(column(t, field), before);
        QCOMPARE(grid->model()->rowCount(), before.size());
        QVERIFY(m_dialogs->shown.isEmpty());
        // Nor by closing the window.
        click(nav->button(NavButton::Insert));
        QVERIFY(form->close());
        QCOMPARE(column(t, field), before);
    }

    // The first keystroke in a cell puts the table into edit state: the post button stores
    // a rename while the cell editor is still open; Esc in the editor undoes it.
    void aRenameInTheCellIsPostedByTheButton_data() {
        QTest::addColumn<bool>("types");
        QTest::newRow("family") << false;
        QTest::newRow("type") << true;
    }

    void aRenameInTheCellIsPostedByTheButton() {
        QFETCH(bool, types);
        auto form = open<lists::TDefForm>();
        store::Table* t = types ? m_dm->TypeTable : m_dm->FamilieTable;
        const char* field = types ? "Plantetype" : "Familie";
        toolkit::DBGrid* grid = types ? form->DBGrid2() : form->DBGrid1();
        toolkit::DBNavigator* nav = types ? form->DBNavigator2() : form->DBNavigator1();
        t->Last();
        const QString old = text(t, field);
        const int count = t->RecordCount();
        QVERIFY(!nav->button(NavButton::Post)->isEnabled());
        typeInCell(grid, QStringLiteral("X"));
        QCOMPARE(t->State(), DataSetState::Edit);
        QVERIFY(nav->button(NavButton::Post)->isEnabled());
        // What was typed stays in the open editor while the row shows its new state.
        QWidget* editor = QApplication::focusWidget();
        QVERIFY(editor && grid->isAncestorOf(editor));
        QCOMPARE(qobject_cast<QLineEdit*>(editor)->text(), QStringLiteral("X"));
        QTest::keyClick(editor, Qt::Key_Escape);
        QCOMPARE(t->State(), DataSetState::Browse);
        QCOMPARE(text(t, field), old);
        QVERIFY(!nav->button(NavButton::Post)->isEnabled());
        typeInCell(grid, QStringLiteral("Zz-omdøbt"));
        click(nav->button(NavButton::Post));
        QCOMPARE(t->State(), DataSetState::Browse);
        QCOMPARE(t->RecordCount(), count);
        QVERIFY(column(t, field).contains(QStringLiteral("Zz-omdøbt")));
        QVERIFY(!column(t, field).contains(old));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // Families, types and the catalogue are listed in Danish order in every window that
    // lists them, and type-to-find from the top follows that order.
    void theListsAreInDanishOrder() {
        const QString order = QString::fromUtf8("Abrikos|asters|Zinnia|Æble|Østrigsk fyr|Ålegræs");
        const QStringList words = order.split(u'|');
        for (store::Table* t : {m_dm->FamilieTable, m_dm->TypeTable}) {
            emptyTable(t);
            for (const QString& w : {words[5], words[2], words[1], words[4], words[0], words[3]}) {
                t->Insert();
                t->Fields(0).setAsString(w);
                t->Post();
            }
        }
        store::Table* names = m_dm->NavneTable;
        emptyTable(names);
        addName(names, QStringLiteral("Zinniarose"), QStringLiteral("Zinnia rosea"));
        addName(names, QStringLiteral("klatrerose"), QStringLiteral("Rosa"));
        addName(names, QString::fromUtf8("Ålegræs"), QStringLiteral("Zostera marina"));
        addName(names, QStringLiteral("asters"), QStringLiteral("Aster"));

        auto defs = open<lists::TDefForm>();
        auto shown = [](QAbstractItemModel* m) {
            QStringList out;
            for (int r = 0; r < m->rowCount(); ++r) {
                out << m->data(m->index(r, 0)).toString();
            }
            return out;
        };
        QCOMPARE(shown(defs->DBGrid1()->model()), words);
        QCOMPARE(shown(defs->DBGrid2()->model()), words);
        defs.reset();
        // The registration window's boxes.
        m_dm->PlanteTable->Insert();
        plants::TRegForm reg;
        reg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&reg));
        auto items = [&](const char* box) {
            auto* b = child<toolkit::DBLookupComboBox>(reg, box);
            QStringList out;
            for (int i = 0; i < b->count(); ++i) {
                out << b->itemText(i);
            }
            return out;
        };
        QCOMPARE(items("DBLookupComboBox1"), words);
        QCOMPARE(items("DBLookupComboBox2"), words);
        QCOMPARE(items("DBLookupComboBox3"),
                 QString::fromUtf8("asters|klatrerose|Zinniarose|Ålegræs").split(u'|'));
        reg.close();
        // The catalogue's grid and its type-to-find from the top.
        auto catalogue = open<lists::TNavneForm>();
        QCOMPARE(shown(child<toolkit::DBGrid>(*catalogue, "DBGrid1")->model()),
                 QString::fromUtf8("asters|klatrerose|Zinniarose|Ålegræs").split(u'|'));
        names->Last();
        QTest::keyClicks(child<QLineEdit>(*catalogue, "Edit1"), QStringLiteral("rose"));
        QCOMPARE(text(names, "Navn"), QStringLiteral("klatrerose"));
        QTest::keyClick(child<QLineEdit>(*catalogue, "Edit1"), Qt::Key_Return);
        QCOMPARE(text(names, "Navn"), QStringLiteral("Zinniarose"));
    }

    // Nothing in the data folder needs the program's order: the standard sqlite3 tool adds a
    // family, and the program lists it in its place.
    void theStandardToolAddsAFamily() {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
        QVERIFY2(!tool.isEmpty(), "sqlite3 is installed by scripts/deps.sh");
        const int count = m_dm->FamilieTable->RecordCount();
        m_dm.reset();
        store::Session::closeAll();
        QProcess sqlite;
        sqlite.start(tool, {QDir(m_folder->path()).filePath(QStringLiteral("Verdamo.sqlite")),
                            QString::fromUtf8("PRAGMA integrity_check;"
                                              "INSERT INTO Familie VALUES ('Ølfamilien');"
                                              "INSERT INTO Navne VALUES ('Øllebrød', 'Hordeum');"
                                              "SELECT count(*) FROM Familie;")});
        QVERIFY(sqlite.waitForFinished(10000));
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardError()), QString());
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput()),
                 QStringLiteral("ok\n%1\n").arg(count + 1));
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        const QStringList families = column(m_dm->FamilieTable, "Familie");
        QCOMPARE(families.size(), count + 1);
        QCOMPARE(families.indexOf(QString::fromUtf8("Ølfamilien")), count);  // after z and æ
    }

    // ---- the name catalogue ----

    void theCatalogueStandsWhereItShould() {
        auto form = open<lists::TNavneForm>();
        QCOMPARE(form->windowTitle(), QStringLiteral("Plantenavne"));
        QCOMPARE(form->size(), QSize(671, 433));
        QCOMPARE(form->frameGeometry().topLeft(), QPoint(172, 172));
        QCOMPARE(child<QWidget>(*form, "Panel1")->geometry(), QRect(0, 0, 226, 433));
        QCOMPARE(child<QLabel>(*form, "Label4")->width(), 181);
        QVERIFY(child<QRadioButton>(*form, "RadioButton1")->isChecked());
        // Buttons top to bottom, the last at the bottom of the panel.
        int y = 0;
        for (const char* name : {"Button2", "Button4", "Button3", "Label4", "Button1"}) {
            QWidget* w = child<QWidget>(*form, name);
            QVERIFY2(w->y() > y, name);
            y = w->y();
        }
        // Every field of the name table, titled by its name, browsed only.
        auto* grid = child<toolkit::DBGrid>(*form, "DBGrid1");
        QCOMPARE(grid->columnTitles(),
                 (QStringList{QStringLiteral("Navn"), QStringLiteral("Latin")}));
        QVERIFY(!grid->editing());
        QCOMPARE(grid->model()->rowCount(), m_dm->NavneTable->RecordCount());
        QVERIFY(m_dm->NavneTable->RecordCount() > 100);  // the starter catalogue
        // Moved away and shown again, it is back at its place.
        form->hide();
        form->move(400, 300);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        QCOMPARE(form->frameGeometry().topLeft(), QPoint(172, 172));
        // Larger, the list and the last button follow the edges.
        form->resize(800, 600);
        QCOMPARE(grid->geometry().right(), 799);
        QCOMPARE(grid->geometry().bottom(), 599);
        QCOMPARE(child<QWidget>(*form, "Button1")->geometry().bottom(), 600 - 17);
    }

    void theCountIsWrittenInTheActiveLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("prefix");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<QString>("close");
        QTest::newRow("Danish") << -1 << "I alt "
                                << " planter"
                                << "Luk plantenavne";
        QTest::newRow("English") << 0 << "Total: "
                                 << " plants"
                                 << "Close plant names";
        QTest::newRow("Norwegian") << 1 << "I alt "
                                   << " planter"
                                   << "Lukk plantenavn";
        QTest::newRow("Swedish") << 2 << "Totalt "
                                 << " växter"
                                 << "Stäng växtnamn";
        QTest::newRow("German") << 3 << "Insgesamt "
                                << " Pflanzen"
                                << "Pflanzennamen schließen";
    }

    void theCountIsWrittenInTheActiveLanguage() {
        QFETCH(int, language);
        QFETCH(QString, prefix);
        QFETCH(QString, suffix);
        QFETCH(QString, close);
        useLanguage(language);
        auto form = open<lists::TNavneForm>();
        const int n = m_dm->NavneTable->RecordCount();
        QCOMPARE(child<QLabel>(*form, "Label4")->text(), prefix + QString::number(n) + suffix);
        QCOMPARE(testsupport::withoutMnemonic(child<QPushButton>(*form, "Button1")->text()), close);
        QVERIFY(lists::TNavneForm::countText(4, n).isNull());
        QVERIFY(lists::TNavneForm::deleteQuestion(-2, QStringLiteral("x")).isNull());
    }

    void theLatinSearchFollowsTheTypingAndEnterFindsTheNext() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        auto* search = child<QLineEdit>(*form, "Edit1");
        choose(child<QRadioButton>(*form, "RadioButton2"));
        QCOMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(search, QStringLiteral("rOS"));
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Rosa canina"));
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Rosa rugosa"));
        QTest::keyClick(search, Qt::Key_Enter);
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Salvia rosmarinus"));
        // At the last match it stays; Enter started nothing else in the window.
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Salvia rosmarinus"));
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QVERIFY(m_dialogs->shown.isEmpty());
        // No such text: the cursor stays.
        QTest::keyClicks(search, QStringLiteral("xyz"));
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Salvia rosmarinus"));
        // The Danish names are searched with the other kind.
        choose(child<QRadioButton>(*form, "RadioButton1"));
        QTest::keyClicks(search, QStringLiteral("æb"));
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Æble"));
    }

    void switchingTheSearchKindEmptiesTheTextAndKeepsTheCursor() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        auto* search = child<QLineEdit>(*form, "Edit1");
        QTest::keyClicks(search, QStringLiteral("lav"));
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Lavendel"));
        choose(child<QRadioButton>(*form, "RadioButton2"));
        QVERIFY(search->text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), search);
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Lavendel"));
        QTest::keyClicks(search, QStringLiteral("malus"));
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Æble"));
        // Clicking the kind already chosen leaves the text alone.
        choose(child<QRadioButton>(*form, "RadioButton2"));
        QCOMPARE(search->text(), QStringLiteral("malus"));
        choose(child<QRadioButton>(*form, "RadioButton1"));
        QVERIFY(search->text().isEmpty());
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Æble"));
        // Enter now, with nothing to search for, is the locate error.
        QTest::keyClick(search, Qt::Key_Return);
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("No initial Find/Locate done first")});
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Æble"));
    }

    void aNewUniqueNameGrowsTheCountByOne() {
        useLanguage(0);
        auto form = open<lists::TNavneForm>();
        const int n = m_dm->NavneTable->RecordCount();
        auto* count = child<QLabel>(*form, "Label4");
        click(child<QPushButton>(*form, "Button2"));
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Insert);
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(*form, "DBEdit1"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit1"), QStringLiteral("Blåregn"));
        QCOMPARE(count->text(), QStringLiteral("Total: %1 plants").arg(n));  // not yet
        click(child<QWidget>(*form, "DBEdit2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit2"), QStringLiteral("Wisteria sinensis"));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->NavneTable->RecordCount(), n + 1);
        QCOMPARE(count->text(), QStringLiteral("Total: %1 plants").arg(n + 1));
        QCOMPARE(text(m_dm->NavneTable, "Navn"), QStringLiteral("Blåregn"));
        QCOMPARE(text(m_dm->NavneTable, "Latin"), QStringLiteral("Wisteria sinensis"));
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void saveWithNothingChangedOnlyRewritesTheCount() {
        auto form = open<lists::TNavneForm>();
        const int n = m_dm->NavneTable->RecordCount();
        auto* count = child<QLabel>(*form, "Label4");
        count->setText(QStringLiteral("stale"));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(count->text(), QStringLiteral("I alt %1 planter").arg(n));
        QCOMPARE(m_dm->NavneTable->RecordCount(), n);
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    // "Gem" on a new entry without either name stores nothing; one name is enough.
    void saveStoresNoEntryWithoutAName() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        click(child<QPushButton>(*form, "Button2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit1"), QStringLiteral(" "));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 5);
        QCOMPARE(child<QLabel>(*form, "Label4")->text(), QStringLiteral("I alt 5 planter"));
        QVERIFY(!column(m_dm->NavneTable, "Navn").contains(QString()));
        click(child<QPushButton>(*form, "Button2"));
        click(child<QWidget>(*form, "DBEdit2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit2"), QStringLiteral("Hosta sieboldiana"));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(m_dm->NavneTable->RecordCount(), 6);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void aDuplicateNameIsWarnedAboutAndKeptOpen() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        auto* count = child<QLabel>(*form, "Label4");
        count->setText(QStringLiteral("stale"));
        click(child<QPushButton>(*form, "Button2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit1"), QStringLiteral("Lavendel"));
        click(child<QWidget>(*form, "DBEdit2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit2"),
                         QStringLiteral("Lavandula angustifolia"));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Der findes en tilsvarende registrering i forvejen.")});
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Insert);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 5);
        QCOMPARE(count->text(), QStringLiteral("stale"));
        QCOMPARE(child<QLineEdit>(*form, "DBEdit1")->text(), QStringLiteral("Lavendel"));
        // Corrected, it is saved.
        auto* latin = child<QLineEdit>(*form, "DBEdit2");
        click(latin);
        latin->selectAll();
        QTest::keyClicks(latin, QStringLiteral("Lavandula stoechas"));
        click(child<QPushButton>(*form, "Button4"));
        QCOMPARE(m_dm->NavneTable->RecordCount(), 6);
        QCOMPARE(count->text(), QStringLiteral("I alt 6 planter"));
    }

    void deletingAsksInTheActiveLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("count");
        QTest::newRow("Danish, no")
            << -1 << int(toolkit::mrNo) << "Er du sikker på, at du vil slette Lavendel ?"
            << "I alt 5 planter";
        QTest::newRow("Swedish, yes")
            << 2 << int(toolkit::mrYes) << "Är du säker på att du vill ta bort Lavendel?"
            << "Totalt 4 växter";
        QTest::newRow("English, yes")
            << 0 << int(toolkit::mrYes) << "Are you sure you want to delete Lavendel?"
            << "Total: 4 plants";
        QTest::newRow("German, no")
            << 3 << int(toolkit::mrNo) << "Möchten Sie Lavendel wirklich löschen?"
            << "Insgesamt 5 Pflanzen";
    }

    void deletingAsksInTheActiveLanguage() {
        QFETCH(int, language);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QString, count);
        smallCatalogue();
        useLanguage(language);
        auto form = open<lists::TNavneForm>();
        QVERIFY(m_dm->NavneTable->Locate(QStringLiteral("Navn"), QStringLiteral("Lavendel")));
        child<QLabel>(*form, "Label4")->setText(QStringLiteral("stale"));
        m_dialogs->answers = {answer};
        click(child<QPushButton>(*form, "Button3"));
        QCOMPARE(m_dialogs->shown.size(), 1);
        QCOMPARE(m_dialogs->shown.first().text, question);
        QCOMPARE(m_dialogs->shown.first().type, toolkit::MsgType::Confirmation);
        QCOMPARE(m_dialogs->shown.first().buttons, toolkit::Button::Yes | toolkit::Button::No);
        QCOMPARE(column(m_dm->NavneTable, "Navn").contains(QStringLiteral("Lavendel")),
                 answer == toolkit::mrNo);
        QCOMPARE(child<QLabel>(*form, "Label4")->text(), count);
    }

    void deletingAnUnsavedNewRecordDiscardsIt() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        click(child<QPushButton>(*form, "Button2"));
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Insert);
        m_dialogs->answers = {toolkit::mrYes};
        click(child<QPushButton>(*form, "Button3"));
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Er du sikker på, at du vil slette  ?")});
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 5);
        QCOMPARE(child<QLabel>(*form, "Label4")->text(), QStringLiteral("I alt 5 planter"));
    }

    void deletingFromAnEmptyCatalogueIsTheStoresError() {
        emptyTable(m_dm->NavneTable);
        auto form = open<lists::TNavneForm>();
        auto* count = child<QLabel>(*form, "Label4");
        QCOMPARE(count->text(), QStringLiteral("I alt 0 planter"));
        count->setText(QStringLiteral("stale"));
        m_dialogs->answers = {toolkit::mrYes};
        click(child<QPushButton>(*form, "Button3"));
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")),
                 QStringList{QStringLiteral("Er du sikker på, at du vil slette  ?")});
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")),
                 QStringList{QStringLiteral("Der er ingen post at slette.")});
        QCOMPARE(count->text(), QStringLiteral("stale"));
    }

    void closingStoresATypedRecordOrStaysOpenForADuplicate() {
        smallCatalogue();
        auto form = open<lists::TNavneForm>();
        click(child<QPushButton>(*form, "Button2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit1"), QStringLiteral("Lavendel"));
        click(child<QWidget>(*form, "DBEdit2"));
        QTest::keyClicks(child<QWidget>(*form, "DBEdit2"),
                         QStringLiteral("Lavandula angustifolia"));
        click(child<QPushButton>(*form, "Button1"));
        QVERIFY(form->isVisible());
        QCOMPARE(m_dialogs->texts(QStringLiteral("message")).size(), 1);
        auto* latin = child<QLineEdit>(*form, "DBEdit2");
        click(latin);
        latin->selectAll();
        QTest::keyClicks(latin, QStringLiteral("Lavandula x intermedia"));
        click(child<QPushButton>(*form, "Button1"));
        QVERIFY(!form->isVisible());
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 6);
        // A new record left empty is dropped.
        form = open<lists::TNavneForm>();
        click(child<QPushButton>(*form, "Button2"));
        click(child<QPushButton>(*form, "Button1"));
        QVERIFY(!form->isVisible());
        QCOMPARE(m_dm->NavneTable->State(), DataSetState::Browse);
        QCOMPARE(m_dm->NavneTable->RecordCount(), 6);
    }

    void theCatalogueIsTranslatedAndBack() {
        useLanguage(0);
        auto form = open<lists::TNavneForm>();
        QCOMPARE(form->windowTitle(), QStringLiteral("Plant names"));
        QCOMPARE(child<QPushButton>(*form, "Button2")->text(),
                 QStringLiteral("&Register new plant"));
        QCOMPARE(child<QRadioButton>(*form, "RadioButton2")->text(), QStringLiteral("&Latin name"));
        QCOMPARE(child<toolkit::DBGrid>(*form, "DBGrid1")->columnTitles(),
                 (QStringList{QStringLiteral("Danish name"), QStringLiteral("Latin name")}));
        useLanguage(-1);
        QCOMPARE(form->windowTitle(), QStringLiteral("Plantenavne"));
        QCOMPARE(child<QPushButton>(*form, "Button2")->text(),
                 QStringLiteral("&Registrer ny plante"));
        QCOMPARE(child<toolkit::DBGrid>(*form, "DBGrid1")->columnTitles(),
                 (QStringList{QStringLiteral("Navn"), QStringLiteral("Latin")}));
    }

    // ---- from the main window ----

    void theMainWindowsMenuOpensBothWindows() {
        m_dm.reset();
        auto main = std::make_unique<app::THovedForm>();
        m_dm = std::make_unique<data::TDM>();
        main->show();
        QVERIFY(QTest::qWaitForWindowExposed(main.get()));
        QStringList opened;
        QString title;
        auto closeWhenShown = [&] {
            QTimer::singleShot(50, [&] {
                if (QWidget* w = QApplication::activeModalWidget()) {
                    opened << w->objectName();
                    title = w->windowTitle();
                    w->close();
                }
            });
        };
        main->languageSource()->SetActiveLanguage(3);
        closeWhenShown();
        main->findChild<QAction*>(QStringLiteral("Definitioner1"))->trigger();
        QCOMPARE(title, QStringLiteral("Definitionen"));
        closeWhenShown();
        main->findChild<QAction*>(QStringLiteral("Navne1"))->trigger();
        QCOMPARE(title, QStringLiteral("Pflanzennamen"));
        QCOMPARE(opened, (QStringList{QStringLiteral("TDefForm"), QStringLiteral("TNavneForm")}));
        QVERIFY(!QApplication::activeModalWidget());
        QVERIFY(m_dialogs->shown.isEmpty());
        main.reset();
    }
};

int main(int argc, char** argv) {
    // Errors that reach the event loop are shown as the program shows them.
    toolkit::Application app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    ListsTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_lists.moc"
