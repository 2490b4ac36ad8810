// SPDX-License-Identifier: GPL-3.0-or-later
#include "regform.h"

#include <QCloseEvent>
#include <QScreen>
#include <QShortcut>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "pictures.h"
#include "resize/formresizer.h"
#include "store/errors.h"
#include "store/table.h"
#include "toolkit/dialogs.h"
#include "toolkit/navigator.h"
#include "toolkit/svgpicture.h"
#include "ui_regform.h"

namespace plants {

using data::DM;
using store::DataSetState;

namespace {

// Small two-state glyphs: the lit picture shows under the pointer and while pressed.
QIcon twoState(const QString& name) {
    const QString file = QStringLiteral(":/artwork/glyphs/") + name;
    const QSize size(16, 16);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(toolkit::svgImage(file + QStringLiteral(".svg"), size)),
                   QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(toolkit::svgImage(file + QStringLiteral("-lit.svg"), size)),
                   QIcon::Active);
    return icon;
}

bool pending(const store::Table* t) {
    return t->State() == DataSetState::Edit || t->State() == DataSetState::Insert;
}

void inform(const QString& text) {
    toolkit::dialogs().MessageDlg(text, toolkit::MsgType::Information, toolkit::Button::OK);
}

}  // namespace

TRegForm::TRegForm(QWidget* parent) : toolkit::Form(parent), ui(std::make_unique<Ui::TRegForm>()) {
    ui->setupUi(this);
    m_openDialogFilter = pictureFilter(Register::Plants);
    Image1 = new TImage;
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setCursor(Qt::PointingHandCursor);
    setupPictureBox(ui->ScrollBox1, Image1);

    ui->SpeedButton1->setGlyph(twoState(QStringLiteral("insert-plant")));
    ui->SpeedButton3->setGlyph(twoState(QStringLiteral("fetch-picture")));
    for (auto* b : {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton3, ui->FortrydButton,
                    ui->TilpasButton}) {
        b->setIconSize(QSize(16, 16));
        b->setAutoRaise(false);
    }
    QFont bold = ui->DBText1->font();
    bold.setBold(true);
    ui->DBText1->setFont(bold);
    ui->Label13->setFont(bold);
    // The caption sits on the frame line, as the design has it, instead of above the frame.
    ui->GroupBox1->setStyleSheet(QStringLiteral(
        "QGroupBox#GroupBox1 { border: 1px solid palette(mid); border-radius: 2px;"
        " margin-top: 6px; }"
        "QGroupBox#GroupBox1::title { subcontrol-origin: margin; left: 8px; padding: 0 2px; }"));
    ui->DBLookupComboBox3->setDropDownRows(27);
    ui->DBNavigator1->setVisibleButtons(toolkit::NavButton::Delete);
    ui->DBNavigator1->setButtonHint(toolkit::NavButton::Delete, QStringLiteral("Slet"));
    ui->DBMemo1->setTabChangesFocus(false);
    bindControls();

    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TRegForm::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &TRegForm::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &TRegForm::SpeedButton3Click);
    connect(Image1, &TImage::Click, this, &TRegForm::Image1Click);
    connect(ui->FortrydButton, &QToolButton::clicked, this, &TRegForm::FortrydButtonClick);
    setUndoButton(ui->FortrydButton);
    auto* save = new QShortcut(QKeySequence::Save, this);
    connect(save, &QShortcut::activated, this, &TRegForm::saveCurrent);
    ui->TilpasButton->setChecked(picturesFit());
    connect(ui->TilpasButton, &QToolButton::toggled, this, [](bool on) {
        if (on != picturesFit()) {
            setPicturesFit(on);
        }
    });
    // The viewer changes the choice too.
    connect(Image1, &TImage::fitChosen, ui->TilpasButton, &QToolButton::setChecked);
    if (DM) {
        m_pictureUndo = new PictureUndo(Register::Plants, *DM->PlanteTable, this);
        connect(m_pictureUndo, &PictureUndo::pendingChanged, this, &TRegForm::showUndoState);
        connect(DM->PlanteSource, &toolkit::DataSource::stateChanged, this,
                &TRegForm::showUndoState);
    }
    showUndoState();
    // After a delete another plant is current: its picture is the one to show.
    connect(ui->DBNavigator1, &toolkit::DBNavigator::Click, this, [this](toolkit::NavButton b) {
        if (b == toolkit::NavButton::Delete && DM) {
            loadPicture(Image1, Register::Plants, *DM->PlanteTable);
        }
    });

    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint")});
    QFormLocalizer1->SetSource(i18n::mainLanguageSource());
    // Captions take the width of their text, in whatever language they now read; the number
    // keeps its box for its right alignment.
    for (QLabel* label : findChildren<QLabel*>()) {
        if (label != ui->DBText1 && label != Image1 && !label->objectName().isEmpty()) {
            label->adjustSize();
        }
    }
    FormCreate();
}

TRegForm::~TRegForm() = default;

void TRegForm::bindControls() {
    if (!DM) {
        return;
    }
    toolkit::DataSource* plants = DM->PlanteSource;
    const std::pair<toolkit::DBEdit*, const char*> edits[] = {
        {ui->DBEdit1, "Plantenavn"}, {ui->DBEdit12, "Antal"},         {ui->DBEdit2, "Latin"},
        {ui->DBEdit4, "Placering"},  {ui->DBEdit5, "Stoerrelse"},     {ui->DBEdit6, "Jordbund"},
        {ui->DBEdit7, "Lysforhold"}, {ui->DBEdit13, "Blomster"},      {ui->DBEdit8, "Blomstring"},
        {ui->DBEdit9, "Plantning"},  {ui->DBEdit10, "Vanding"},       {ui->DBEdit11, "Goedning"},
        {ui->DBEdit20, "Pris"},      {ui->DBEdit19, "Erhvervet_fra"},
    };
    for (const auto& [edit, field] : edits) {
        edit->setDataSource(plants);
        edit->setDataField(QString::fromLatin1(field));
    }
    const std::pair<toolkit::DBDateEdit*, const char*> dates[] = {
        {ui->DBDateEdit1, "Plantet"},       {ui->DBDateEdit2, "Fjernet"},
        {ui->DBDateEdit3, "Omplantning_1"}, {ui->DBDateEdit4, "Omplantning_2"},
        {ui->DBDateEdit5, "Omplantning_3"},
    };
    for (const auto& [date, field] : dates) {
        date->setDataSource(plants);
        date->setDataField(QString::fromLatin1(field));
    }
    auto lookup = [plants](toolkit::DBLookupComboBox* box, toolkit::DataSource* list,
                           const QString& field) {
        box->setListSource(list);
        box->setKeyField(field);
        box->setListField(field);
        box->setDataSource(plants);
        box->setDataField(field);
    };
    lookup(ui->DBLookupComboBox1, DM->FamilieSource, QStringLiteral("Familie"));
    lookup(ui->DBLookupComboBox2, DM->TypeSource, QStringLiteral("Plantetype"));
    // The catalogue picker is bound to no field: choosing moves the catalogue.
    ui->DBLookupComboBox3->setListSource(DM->NavneSource);
    ui->DBLookupComboBox3->setKeyField(QStringLiteral("Navn"));
    ui->DBLookupComboBox3->setListField(QStringLiteral("Navn"));
    ui->DBText1->setDataSource(plants);
    ui->DBText1->setDataField(QStringLiteral("Regnr"));
    ui->DBMemo1->setDataSource(plants);
    ui->DBMemo1->setDataField(QStringLiteral("Notater"));
    ui->DBNavigator1->setDataSource(plants);
}

void TRegForm::FormCreate() {
    FormResizer1 = resize::makeFormResizer(this);
}

void TRegForm::resizeEvent(QResizeEvent* e) {
    toolkit::Form::resizeEvent(e);
    if (!FormResizer1) {
        return;
    }
    FormResizer1->ResizeAll();
    // The resizer fits labels to their text; the number keeps its box so that it stays
    // right-aligned against ".jpg" whatever its width.
    const QSize design = FormResizer1->recordedSize();
    if (design.width() > 0) {
        const double ratio = double(width()) / design.width();
        const int left = resize::roundHalfEven(916 * ratio);
        const int right = resize::roundHalfEven(981 * ratio);
        ui->DBText1->setGeometry(left, ui->DBText1->y(), right - left, ui->DBText1->height());
    }
}

void TRegForm::FormShow() {
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    toolkit::placeWindow(
        this,
        {data::readSetting(QStringLiteral("W_Reg")), data::readSetting(QStringLiteral("H_Reg"))},
        {data::RegDesignSize.width, data::RegDesignSize.height});
    showUndoState();
    if (!loadPicture(Image1, Register::Plants, *DM->PlanteTable)) {
        return;  // reported; the focus is left where it is
    }
    ui->DBEdit1->setFocus();
}

bool TRegForm::hasChanges() const {
    return DM && (pending(DM->PlanteTable) || (m_pictureUndo && m_pictureUndo->pending()));
}

void TRegForm::showUndoState() {
    ui->FortrydButton->setEnabled(hasChanges());
}

QString TRegForm::nameMissingText(int language) {
    return i18n::textFor(language, u"RegFormTexts", u"NameMissing",
                         QStringLiteral("Du har ikke givet planten et navn!\n\r"
                                        "Din registrering af en ny plante annulleres!"));
}

QString TRegForm::nameErasedText(int language) {
    return i18n::textFor(language, u"RegFormTexts", u"NameErased",
                         QStringLiteral("Du har ikke givet planten et navn!\n\r"
                                        "Dine ændringer af planten annulleres!"));
}

QString TRegForm::quantityMissingText(int language) {
    return i18n::textFor(
        language, u"RegFormTexts", u"QuantityMissing",
        QStringLiteral("Antal mangler!\n\rSkriv antallet, så planten kan gemmes."));
}

// "Indsæt plante": the catalogue's current name and Latin name into the plant.
void TRegForm::SpeedButton1Click() {
    toolkit::reportErrors([] {
        store::Table* names = DM->NavneTable;
        // With nothing to copy the plant keeps its names.
        if (!names->Active() || names->IsEmpty()) {
            return;
        }
        store::Table* plant = DM->PlanteTable;
        if (plant->State() == DataSetState::Browse) {
            plant->Edit();
        }
        // Text typed into the boxes goes in first, so the catalogue's names win over it.
        plant->UpdateRecord();
        plant->FieldByName(QStringLiteral("Plantenavn"))
            .setAsString(names->FieldByName(QStringLiteral("Navn")).AsString());
        plant->FieldByName(QStringLiteral("Latin"))
            .setAsString(names->FieldByName(QStringLiteral("Latin")).AsString());
    });
}

// "Luk": a changed plant with a name is saved before the window closes; a plant without a
// name is dealt with by the closing steps, alike for every way out.
void TRegForm::SpeedButton2Click() {
    toolkit::reportErrors([this] {
        store::Table* plant = DM->PlanteTable;
        if (nameGiven() && plant->State() == DataSetState::Edit) {
            plant->Post();
        }
        close();
    });
}

bool TRegForm::nameGiven() const {
    return !ui->DBEdit1->text().trimmed().isEmpty();
}

// The new plant goes, and the counter row issued for it with it, so the next new plant
// gets the same number.
void TRegForm::discardNewPlant() {
    store::Table* plant = DM->PlanteTable;
    const store::Field& regnr = plant->FieldByName(QStringLiteral("Regnr"));
    const bool numbered = !regnr.IsNull();
    const int number = regnr.AsInteger();
    plant->Cancel();
    // The counter row is given back only for the number this plant was issued.
    store::Table* counter = DM->RegTable;
    if (numbered && !counter->IsEmpty() &&
        (counter->FieldByName(QStringLiteral("Regnr")).AsInteger() == number ||
         counter->Locate(QStringLiteral("Regnr"), number))) {
        counter->Delete();
    }
}

// "Hent billede".
void TRegForm::SpeedButton3Click() {
    toolkit::reportErrors([this] {
        importPicture(Image1, Register::Plants, *DM->PlanteTable, m_openDialogFilter,
                      m_pictureUndo);
    });
}

void TRegForm::Image1Click() {
    toolkit::reportErrors([this] {
        store::Table* plant = DM->PlanteTable;
        // A name being typed is the one the viewer is titled with.
        if (pending(plant)) {
            plant->UpdateRecord();
        }
        showPicture(Register::Plants, *plant,
                    plant->FieldByName(QStringLiteral("Plantenavn")).AsString(), this);
    });
}

// Asked first: a slip of the key must not throw away what was typed.
void TRegForm::FortrydButtonClick() {
    toolkit::reportErrors([this] {
        if (!hasChanges()) {
            return;
        }
        store::Table* plant = DM->PlanteTable;
        const bool isNew = plant->State() == DataSetState::Insert;
        const QString question =
            isNew ? i18n::text(u"RegFormTexts", u"UndoNewPlant",
                               QStringLiteral("Vil du kassere den nye plante?\n\rIntet af det, "
                                              "du har skrevet om den, bliver gemt."))
                  : i18n::text(u"RegFormTexts", u"UndoChanges",
                               QStringLiteral("Vil du fortryde dine ændringer af planten?\n\r"
                                              "Planten bliver, som den sidst blev gemt."));
        if (toolkit::dialogs().MessageDlg(question, toolkit::MsgType::Confirmation,
                                          toolkit::Button::Yes | toolkit::Button::No) !=
            toolkit::mrYes) {
            return;
        }
        const bool pictureChanged = m_pictureUndo->pending();
        m_pictureUndo->undoWith([&] {
            if (isNew) {
                discardNewPlant();
            } else if (pending(plant)) {
                plant->Cancel();
            }
        });
        if (isNew) {
            // The window was opened for the new plant; with it gone there is nothing to show.
            close();
            return;
        }
        if (pictureChanged) {
            loadPicture(Image1, Register::Plants, *plant);
        }
        showUndoState();
        ui->DBEdit1->setFocus();
    });
}

bool TRegForm::quantityWanted() const {
    store::Table* plant = DM->PlanteTable;
    return ui->DBEdit12->text().trimmed().isEmpty() && plant->State() == DataSetState::Insert &&
           plant->RecordCount() == 0;
}

void TRegForm::saveCurrent() {
    toolkit::reportErrors([this] {
        store::Table* plant = DM->PlanteTable;
        if (!hasChanges()) {
            return;
        }
        if (!nameGiven()) {
            inform(i18n::text(u"RegFormTexts", u"SaveNeedsName",
                              QStringLiteral("Planten kan ikke gemmes uden et navn.\n\rSkriv "
                                             "plantens navn, og gem den så.")));
            ui->DBEdit1->setFocus();
            return;
        }
        if (quantityWanted()) {
            inform(quantityMissingText(i18n::mainActiveLanguage()));
            ui->DBEdit12->setFocus();
            return;
        }
        if (pending(plant)) {
            plant->Post();
        }
        m_pictureUndo->keep();
        showUndoState();
    });
}

void TRegForm::FormClose() {
    // The size is kept on every close, before anything can fail.
    const QSize outer = toolkit::outerSize(this);
    data::writeSettings(
        {{QStringLiteral("H_Reg"), outer.height()}, {QStringLiteral("W_Reg"), outer.width()}});
    store::Table* plant = DM->PlanteTable;
    const int language = i18n::mainActiveLanguage();
    // A plant is never stored without a name: a new one is discarded, an erased name undoes
    // the edit and the stored plant stays as it was.
    if (!nameGiven()) {
        if (plant->State() == DataSetState::Insert) {
            inform(nameMissingText(language));
            discardNewPlant();
        } else if (plant->State() == DataSetState::Edit) {
            inform(nameErasedText(language));
            plant->Cancel();
        }
        return;
    }
    // The first plant of the register is not closed without its quantity; the window stays
    // open on it so that nothing typed is lost.
    if (quantityWanted()) {
        inform(quantityMissingText(language));
        ui->DBEdit12->setFocus();
        throw store::SilentAbort();
    }
    if (pending(plant)) {
        plant->Post();
    }
}

}  // namespace plants
