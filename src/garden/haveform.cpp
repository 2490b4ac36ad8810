// SPDX-License-Identifier: GPL-3.0-or-later
#include "garden/haveform.h"

#include <QLocale>
#include <QScreen>
#include <QShortcut>
#include <QStyle>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "garden/qrform2.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "plants/pictures.h"
#include "resize/formresizer.h"
#include "store/format.h"
#include "toolkit/dialogs.h"
#include "toolkit/grid.h"
#include "ui_haveform.h"

namespace garden {

using data::DM;
using store::DataSetState;

namespace {

bool pending(const store::Table& t) {
    return t.State() == DataSetState::Edit || t.State() == DataSetState::Insert;
}

}  // namespace

QString THaveForm::nameMissingText(int language) {
    return i18n::textFor(language, u"HaveFormTexts", u"NameMissing",
                         QStringLiteral("Du har ikke givet anlægget et navn!\n\r"
                                        "Din registrering af et nyt anlæg annulleres!"));
}

QString THaveForm::deleteQuestion(int language, const QString& work) {
    return i18n::textFor(language, u"HaveFormTexts", u"DeleteWork",
                         QStringLiteral("Er du sikker på, at du vil slette %1 ?"))
        .arg(work);
}

QString THaveForm::materialDeleteQuestion(int language, const QString& material) {
    return i18n::textFor(language, u"HaveFormTexts", u"DeleteMaterial",
                         QStringLiteral("Er du sikker på, at du vil slette %1 ?"))
        .arg(material);
}

QString THaveForm::openCaption() const {
    return i18n::textFor(ActiveLanguage(), u"HaveForm", u"Button5.Caption", m_designOpenCaption);
}

QString THaveForm::closeCaption(int language) {
    return i18n::textFor(language, u"HaveFormTexts", u"CloseMaterials",
                         QStringLiteral("Luk &forbrug af materialer"));
}

QString THaveForm::filterText(int selection) {
    if (selection == 1) {
        return QStringLiteral("Planlagt = 'Ja'");
    }
    // The constant in the user's own short date form ("14-03-1944" with day-month-year and
    // hyphens), so the filter reads under any regional date format.
    return QStringLiteral("DatoSlut > '%1'").arg(store::formatDate(QDate(1944, 3, 14)));
}

QString THaveForm::generalNumber(double value) {
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    return locale.toString(value, 'g', 15);
}

THaveForm::THaveForm(i18n::TQCustomLanguageSource* source, QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::THaveForm>()), m_source(source) {
    ui->setupUi(this);
    m_designOpenCaption = ui->Button5->text();
    // It closes by "Afslut" and the title bar only: Esc in a box must not run the closing
    // steps that discard a new work.
    setEscapeCloses(false);
    FormCreate();
}

THaveForm::~THaveForm() {
    restoreKeyOrder();
}

// The works come in key order again for everyone else: the report, the next opening.
void THaveForm::restoreKeyOrder() noexcept {
    try {
        if (DM && DM->HaveTable->Active()) {
            DM->HaveTable->setSortOrder({});
        }
    } catch (const std::exception&) {
        // Gone with the window; the next opening starts in key order anyway.
    }
}

int THaveForm::ActiveLanguage() const {
    return m_source ? m_source->ActiveLanguage() : -1;
}

void THaveForm::FormCreate() {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);

    auto bind = [](auto* control, toolkit::DataSource* source, const char* field) {
        control->setDataSource(source);
        control->setDataField(QString::fromLatin1(field));
    };
    bind(ui->DBEdit1, DM->HaveSource, "Arbejdet");
    bind(ui->DBEdit5, DM->HaveSource, "Placering");
    bind(ui->DBDateEdit1, DM->HaveSource, "Datostart");
    bind(ui->DBDateEdit2, DM->HaveSource, "Datoslut");
    bind(ui->DBEdit4, DM->HaveSource, "Kategori");
    bind(ui->DBMemo1, DM->HaveSource, "Notater");
    bind(ui->DBCheckBox1, DM->HaveSource, "Planlagt");
    ui->DBCheckBox1->setValues(QStringLiteral("Ja"), QStringLiteral("Nej"));
    bind(ui->DBText1, DM->HaveSource, "Regnr");
    ui->DBGrid1->setDataSource(DM->HaveSource);
    ui->DBGrid1->setSorting(true);
    ui->DBGrid1->setDeleteQuestion(
        [this] { return toolkit::DBGrid::defaultDeleteQuestion() + materialsGoneText(); });
    // Widths that let the eight columns share the grid's design width.
    ui->DBGrid1->setColumns({{QStringLiteral("Regnr"), QStringLiteral("Regnr."), 52},
                             {QStringLiteral("Arbejdet"), QStringLiteral("Betegnelse"), 100},
                             {QStringLiteral("Placering"), QStringLiteral("Placering"), 78},
                             {QStringLiteral("Kategori"), QStringLiteral("Kategori"), 62},
                             {QStringLiteral("Datostart"), QStringLiteral("Startdato"), 74},
                             {QStringLiteral("Datoslut"), QStringLiteral("Slutdato"), 74},
                             {QStringLiteral("Planlagt"),
                              QStringLiteral("Planlagt"),
                              50,
                              {QStringLiteral("Ja"), QStringLiteral("Nej")}},
                             {QStringLiteral("Pris"), QStringLiteral("Pris"), 60}});

    bind(ui->DBEdit3, DM->MaterialeSource, "Materialer");
    bind(ui->DBEdit14, DM->MaterialeSource, "Antal");
    bind(ui->DBEdit15, DM->MaterialeSource, "Pris");
    bind(ui->DBEdit2, DM->MaterialeSource, "Ialt");
    ui->DBEdit2->setReadOnly(true);  // a calculated field
    bind(ui->DBEdit16, DM->MaterialeSource, "Forhandler");
    bind(ui->DBMemo2, DM->MaterialeSource, "Notater");
    ui->DBGrid2->setDataSource(DM->MaterialeSource);
    ui->DBGrid2->setColumns({{QStringLiteral("Materialer"), QStringLiteral("Materialer")},
                             {QStringLiteral("Antal"), QStringLiteral("Antal")},
                             {QStringLiteral("Pris"), QStringLiteral("Pris")},
                             {QStringLiteral("Forhandler"), QStringLiteral("Forhandler")},
                             {QStringLiteral("Ialt"), QStringLiteral("Ialt")}});

    auto* image = new plants::TImage;
    image->setObjectName(QStringLiteral("Image1"));
    image->setCursor(Qt::PointingHandCursor);
    plants::setupPictureBox(ui->ScrollBox1, image);
    connect(image, &plants::TImage::Click, this, &THaveForm::Image1Click);
    ui->SpeedButton3->setGlyph(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->SpeedButton3->setIconSize(QSize(16, 16));

    connect(ui->Button1, &QPushButton::clicked, this, &THaveForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &THaveForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &THaveForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &THaveForm::Button4Click);
    connect(ui->Button5, &QPushButton::clicked, this, &THaveForm::Button5Click);
    connect(ui->Button6, &QPushButton::clicked, this, &THaveForm::Button6Click);
    connect(ui->Button7, &QPushButton::clicked, this, &THaveForm::Button7Click);
    connect(ui->Button8, &QPushButton::clicked, this, &THaveForm::Button8Click);
    connect(ui->Button9, &QPushButton::clicked, this, &THaveForm::Button9Click);
    connect(ui->RadioButton1, &QRadioButton::clicked, this, &THaveForm::RadioButton1Click);
    connect(ui->RadioButton2, &QRadioButton::clicked, this, &THaveForm::RadioButton2Click);
    connect(ui->RadioButton3, &QRadioButton::clicked, this, &THaveForm::RadioButton3Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &THaveForm::SpeedButton3Click);
    connect(ui->FortrydButton, &QPushButton::clicked, this, &THaveForm::FortrydButtonClick);
    setUndoButton(ui->FortrydButton);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &THaveForm::saveCurrent);
    ui->TilpasButton->setChecked(plants::picturesFit());
    connect(ui->TilpasButton, &QToolButton::toggled, this, [](bool on) {
        if (on != plants::picturesFit()) {
            plants::setPicturesFit(on);
        }
    });
    // The viewer changes the choice too.
    connect(image, &plants::TImage::fitChosen, ui->TilpasButton, &QToolButton::setChecked);
    m_pictureUndo = new plants::PictureUndo(plants::Register::GardenWorks, *DM->HaveTable, this);
    connect(m_pictureUndo, &plants::PictureUndo::pendingChanged, this, &THaveForm::showUndoState);
    for (toolkit::DataSource* source : {DM->HaveSource, DM->MaterialeSource}) {
        connect(source, &toolkit::DataSource::stateChanged, this, &THaveForm::showUndoState);
    }
    showUndoState();

    // Labels take the width of their text, whatever font the desktop gives them.
    for (QLabel* l : findChildren<QLabel*>()) {
        if (l != image && l != ui->Label7 && l != ui->DBText1) {
            l->adjustSize();
        }
    }

    // Translated before the layout is recorded, as the design's components are.
    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Columns")});
    QFormLocalizer1->SetSource(m_source);
    placeTotal();

    FormResizer1 = resize::makeFormResizer(this);
}

void THaveForm::FormShow() {
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    toolkit::placeWindow(
        this,
        {data::readSetting(QStringLiteral("W_Have")), data::readSetting(QStringLiteral("H_Have"))},
        {data::HaveDesignSize.width, data::HaveDesignSize.height});
    // Every opening lists the works in key order.
    DM->HaveTable->setSortOrder({});
    ui->DBEdit1->setFocus();
    loadPicture();
    showUndoState();
}

void THaveForm::resizeEvent(QResizeEvent* e) {
    toolkit::Form::resizeEvent(e);
    if (FormResizer1) {
        FormResizer1->ResizeAll();
        placeTotal();
    }
}

// The caption of the total is as wide as its text in the language and font of the moment;
// the sum follows right after it, where the design has it for the Danish caption.
void THaveForm::placeTotal() {
    QLabel* caption = ui->Label7;
    caption->resize(std::max(caption->width(), caption->sizeHint().width()), caption->height());
    const int gap = std::max(1, caption->fontMetrics().horizontalAdvance(QLatin1Char(' ')) * 2);
    ui->Label8->move(caption->geometry().right() + 1 + gap, ui->Label8->y());
}

void THaveForm::loadPicture() {
    plants::loadPicture(findChild<QLabel*>(QStringLiteral("Image1")), plants::Register::GardenWorks,
                        *DM->HaveTable);
}

bool THaveForm::materialsShown() const {
    return !ui->Panel3->isHidden();
}

QString THaveForm::totalText() const {
    return ui->Label8->text();
}

int THaveForm::checkedSelection() const {
    if (ui->RadioButton1->isChecked()) {
        return 1;
    }
    if (ui->RadioButton2->isChecked()) {
        return 2;
    }
    if (ui->RadioButton3->isChecked()) {
        return 3;
    }
    return 0;
}

void THaveForm::Button1Click() {
    DM->HaveTable->Insert();
    ui->DBEdit1->setFocus();
}

void THaveForm::Button2Click() {
    if (pending(*DM->HaveTable)) {
        DM->HaveTable->Post();
    }
    // A picture fetched for the work is kept with it.
    m_pictureUndo->keep();
}

bool THaveForm::hasChanges() const {
    return pending(*DM->HaveTable) || pending(*DM->MaterialeTable) ||
           (m_pictureUndo && m_pictureUndo->pending());
}

void THaveForm::showUndoState() {
    ui->FortrydButton->setEnabled(hasChanges());
}

void THaveForm::saveCurrent() {
    toolkit::reportErrors([this] {
        store::Table& have = *DM->HaveTable;
        // Saving the work saves the material being typed with it.
        if (pending(have)) {
            have.Post();
        } else if (pending(*DM->MaterialeTable) && !have.IsEmpty()) {
            saveMaterial();
        }
        if (materialsShown()) {
            computeTotal();
        }
        m_pictureUndo->keep();
        showUndoState();
    });
}

// Asked first: a slip of the key must not throw away what was typed.
void THaveForm::FortrydButtonClick() {
    toolkit::reportErrors([this] {
        if (!hasChanges()) {
            return;
        }
        store::Table& have = *DM->HaveTable;
        const bool isNew = have.State() == DataSetState::Insert;
        const QString question =
            isNew ? i18n::text(u"HaveFormTexts", u"UndoNewWork",
                               QStringLiteral("Vil du kassere det nye haveanlæg?\n\rIntet af det, "
                                              "du har skrevet om det, bliver gemt."))
                  : i18n::text(u"HaveFormTexts", u"UndoChanges",
                               QStringLiteral("Vil du fortryde dine ændringer af haveanlægget?\n\r"
                                              "Haveanlægget bliver, som det sidst blev gemt."));
        if (toolkit::dialogs().MessageDlg(question, toolkit::MsgType::Confirmation,
                                          toolkit::Button::Yes | toolkit::Button::No) !=
            toolkit::mrYes) {
            return;
        }
        ui->DBGrid1->discardEdit();
        ui->DBGrid2->discardEdit();
        const bool pictureChanged = m_pictureUndo->pending();
        m_pictureUndo->undoWith([&] {
            store::Table& materials = *DM->MaterialeTable;
            if (pending(materials)) {
                materials.Cancel();
            }
            if (isNew) {
                discardNewWork();  // with the materials saved under it
            } else if (pending(have)) {
                have.Cancel();
            }
        });
        if (pictureChanged) {
            loadPicture();
        }
        if (materialsShown()) {
            computeTotal();
        }
        showUndoState();
    });
}

// The counter row is given back only while it is the one issued for this work.
void THaveForm::discardNewWork() {
    store::Table& have = *DM->HaveTable;
    const int number = have.FieldByName(QStringLiteral("Regnr")).AsInteger();
    have.Cancel();
    store::Table& counter = *DM->HaveRegTable;
    if (counter.Active() && !counter.IsEmpty() &&
        counter.FieldByName(QStringLiteral("Regnr")).AsInteger() == number) {
        counter.Delete();
    }
}

// A work's materials go with it; the question says so, and how many.
QString THaveForm::materialsGoneText() const {
    store::Table& materials = *DM->MaterialeTable;
    const int count = materials.Active() ? materials.RecordCount() : 0;
    if (count == 0) {
        return QString();
    }
    return data::messageBreak() +
           i18n::countText(u"HaveFormTexts", u"MaterialsGoToo", count,
                           QStringLiteral("Haveanlæggets ene materiale bliver også slettet."),
                           QStringLiteral("Haveanlæggets %1 materialer bliver også slettet."));
}

void THaveForm::Button3Click() {
    store::Table& have = *DM->HaveTable;
    const QString text =
        deleteQuestion(ActiveLanguage(), have.FieldByName(QStringLiteral("Arbejdet")).AsString()) +
        materialsGoneText();
    if (toolkit::dialogs().MessageDlg(text, toolkit::MsgType::Confirmation,
                                      toolkit::Button::Yes | toolkit::Button::No) ==
        toolkit::mrYes) {
        have.Delete();  // its materials in the same step
    }
}

void THaveForm::Button4Click() {
    close();
}

void THaveForm::setSelection(int selection) {
    store::Table& have = *DM->HaveTable;
    if (selection == 3) {
        have.setFiltered(false);
        return;
    }
    have.setFilter(filterText(selection));
    have.setFiltered(true);
}

void THaveForm::RadioButton1Click() {
    setSelection(1);
}

void THaveForm::RadioButton2Click() {
    setSelection(2);
}

void THaveForm::RadioButton3Click() {
    setSelection(3);
}

// The toggle knows the panel's state by its own caption, compared with the open caption of
// the language it reads; a caption that is neither (a file edited meanwhile) goes by the
// panel itself.
void THaveForm::Button5Click() {
    const int language = ActiveLanguage();
    const QString caption = ui->Button5->text();
    const bool opening =
        caption == openCaption() || (caption != closeCaption(language) && ui->Panel3->isHidden());
    if (opening) {
        ui->Panel3->show();
        ui->Panel3->raise();
        ui->SpeedButton3->hide();
        ui->TilpasButton->hide();
        ui->DBText1->hide();
        ui->Label13->hide();
        ui->Button5->setText(closeCaption(language));
        computeTotal();
    } else {
        ui->Panel3->hide();
        ui->SpeedButton3->show();
        ui->TilpasButton->show();
        ui->DBText1->show();
        ui->Label13->show();
        ui->Button5->setText(openCaption());
        saveMaterial();
    }
}

void THaveForm::saveMaterial() {
    if (pending(*DM->MaterialeTable)) {
        DM->MaterialeTable->Post();
    }
}

void THaveForm::computeTotal() {
    store::Table& materials = *DM->MaterialeTable;
    const int count = materials.RecordCount();
    double sum = 0.0;
    materials.DisableControls();
    try {
        materials.First();
        for (int i = 0; i < count; ++i) {
            sum += DM->MaterialeTableIalt->AsFloat();
            materials.Next();
        }
    } catch (...) {
        materials.EnableControls();
        throw;
    }
    materials.EnableControls();
    ui->Label8->setText(generalNumber(sum));
    ui->Label8->adjustSize();
    placeTotal();
}

void THaveForm::Button6Click() {
    ui->DBEdit3->setFocus();
    DM->MaterialeTable->Insert();
}

void THaveForm::Button7Click() {
    // With no work there is nothing a material could be saved under.
    if (DM->HaveTable->IsEmpty()) {
        toolkit::dialogs().MessageDlg(data::TDM::noWorkText(), toolkit::MsgType::Information,
                                      toolkit::Button::OK);
        return;
    }
    saveMaterial();
    computeTotal();
}

void THaveForm::Button8Click() {
    store::Table& materials = *DM->MaterialeTable;
    const QString text =
        materialDeleteQuestion(ActiveLanguage(), DM->MaterialeTableMaterialer->AsString());
    if (toolkit::dialogs().MessageDlg(text, toolkit::MsgType::Confirmation,
                                      toolkit::Button::Yes | toolkit::Button::No) ==
        toolkit::mrYes) {
        materials.Delete();
    }
    computeTotal();
}

void THaveForm::Button9Click() {
    TQRForm2 report;
    report.setSelectionLabel(QString());
    const int language = ActiveLanguage();
    if (ui->RadioButton1->isChecked()) {
        report.setSelectionLabel(TQRForm2::selectionText(language, 1));
    } else if (ui->RadioButton2->isChecked()) {
        report.setSelectionLabel(TQRForm2::selectionText(language, 2));
    } else if (ui->RadioButton3->isChecked()) {
        report.setSelectionLabel(TQRForm2::selectionText(language, 3));
    }
    report.Preview();
}

void THaveForm::SpeedButton3Click() {
    plants::importPicture(findChild<QLabel*>(QStringLiteral("Image1")),
                          plants::Register::GardenWorks, *DM->HaveTable,
                          plants::pictureFilter(plants::Register::GardenWorks), m_pictureUndo);
}

void THaveForm::Image1Click() {
    plants::showPicture(plants::Register::GardenWorks, *DM->HaveTable,
                        DM->HaveTable->FieldByName(QStringLiteral("Arbejdet")).AsString(), this);
}

// A material still being typed when the window closes is saved with its work, as closing
// the panel saves it; left pending in the shared table it would be lost when the program
// ends, and its last typed text with the window's boxes. A new work that is discarded
// takes its pending material with it.
void THaveForm::closePendingMaterial(bool workDiscarded) {
    store::Table& materials = *DM->MaterialeTable;
    if (!materials.Active() || !pending(materials)) {
        return;
    }
    materials.UpdateRecord();
    if (workDiscarded || (materials.State() == DataSetState::Insert && !materials.Modified())) {
        materials.Cancel();
    } else {
        materials.Post();
    }
}

void THaveForm::FormClose() {
    store::Table& have = *DM->HaveTable;
    // The field, not the box: a name still being typed has not reached the record.
    const QString name =
        have.Active() ? have.FieldByName(QStringLiteral("Arbejdet")).AsString() : QString();
    closePendingMaterial(name.isEmpty() && have.State() == DataSetState::Insert);
    if (!name.isEmpty()) {
        if (pending(have)) {
            have.Post();
        }
    } else {
        toolkit::dialogs().MessageDlg(nameMissingText(ActiveLanguage()),
                                      toolkit::MsgType::Information, toolkit::Button::OK);
        if (have.State() == DataSetState::Insert) {
            discardNewWork();
        }
        // An existing work whose name was erased keeps its change pending in the table.
    }
    const QSize size = toolkit::outerSize(this);
    data::writeSettings(
        {{QStringLiteral("H_Have"), size.height()}, {QStringLiteral("W_Have"), size.width()}});
    have.setSortOrder({});
}

}  // namespace garden
