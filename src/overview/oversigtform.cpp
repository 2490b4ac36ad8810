// SPDX-License-Identifier: GPL-3.0-or-later
#include "oversigtform.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QScreen>
#include <QShortcut>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "easyfind.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "resize/formresizer.h"
#include "store/format.h"
#include "store/table.h"
#include "toolkit/dialogs.h"
#include "ui_oversigtform.h"

#include "plants/qrform.h"
#include "plants/regform.h"

namespace overview {

using data::DM;

namespace {

// The date value zero: the lower bound of a range without a start date.
QString filterDate(const QDate& d) {
    return store::formatDate(d.isValid() ? d : QDate(1899, 12, 30));
}

// Titles where they differ from the field name; widths in pixels.
const toolkit::GridColumn Columns[] = {
    {QStringLiteral("Regnr"), QStringLiteral("Regnr."), 45},
    {QStringLiteral("Plantenavn"), {}, 130},
    {QStringLiteral("Latin"), {}, 130},
    {QStringLiteral("Antal"), {}, 40},
    {QStringLiteral("Plantetype"), {}, 80},
    {QStringLiteral("Familie"), QStringLiteral("Plantefamilie"), 100},
    {QStringLiteral("Lysforhold"), {}, 80},
    {QStringLiteral("Jordbund"), {}, 80},
    {QStringLiteral("Stoerrelse"), QStringLiteral("Størrelse"), 70},
    {QStringLiteral("Blomster"), {}, 80},
    {QStringLiteral("Blomstring"), {}, 80},
    {QStringLiteral("Plantning"), {}, 120},
    {QStringLiteral("Vanding"), {}, 120},
    {QStringLiteral("Goedning"), QStringLiteral("Gødning"), 120},
    {QStringLiteral("Placering"), {}, 100},
    {QStringLiteral("Plantet"), {}, 75},
    {QStringLiteral("Omplantning_1"), QStringLiteral("Omplantning 1"), 85},
    {QStringLiteral("Omplantning_2"), QStringLiteral("Omplantning 2"), 85},
    {QStringLiteral("Omplantning_3"), QStringLiteral("Omplantning 3"), 85},
    {QStringLiteral("Omplantning_4"), QStringLiteral("Omplantning 4"), 85},
    {QStringLiteral("Fjernet"), {}, 75},
    {QStringLiteral("Erhvervet_fra"), QStringLiteral("Erhvervet fra"), 110},
    {QStringLiteral("Pris"), {}, 70},
};

}  // namespace

TOversigtForm::TOversigtForm(QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::TOversigtForm>()) {
    ui->setupUi(this);
    // It closes by "Luk oversigt" and the title bar only; Esc belongs to the boxes.
    setEscapeCloses(false);
    EasyFind1 = new TEasyFind(this);
    EasyFind1->setObjectName(QStringLiteral("EasyFind1"));
    EasyFind1->setSearchField(QStringLiteral("Plantenavn"));
    // Both search fields find their texts at hand from the first keystroke.
    EasyFind1->setReadAheadFields({QStringLiteral("Latin")});
    EasyFind1->setMultiCharPattern(QStringLiteral("%"));
    EasyFind1->setSingleCharPattern(QLatin1Char('_'));
    EasyFind1->setCaseSensitive(false);
    EasyFind1->setAllowWildcards(false);

    ui->DBGrid1->setEditing(false);
    ui->DBGrid1->setColumns(QList<toolkit::GridColumn>(std::begin(Columns), std::end(Columns)));
    ui->DBGrid1->setSorting(true);
    ui->DBMemo1->setReadOnly(true);
    // Enter belongs to the search fields; no button takes it over.
    for (QPushButton* b : {ui->Button1, ui->Button2}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    // A lone radio button: unchecked by the selections, never by a click on itself.
    ui->RadioButton1->setAutoExclusive(false);
    QFont count = ui->Label6->font();
    count.setBold(true);
    count.setPixelSize(13);
    ui->Label6->setFont(count);
    QPalette grey = ui->Label6->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    ui->Label6->setPalette(grey);
    ui->Label6->setProperty("AutoSize", false);
    if (DM) {
        EasyFind1->setDataSource(DM->PlanteSource);
        ui->DBGrid1->setDataSource(DM->PlanteSource);
        ui->DBMemo1->setDataSource(DM->PlanteSource);
        ui->DBMemo1->setDataField(QStringLiteral("Notater"));
        ui->DBLookupComboBox1->setListSource(DM->FamilieSource);
        ui->DBLookupComboBox1->setKeyField(QStringLiteral("Familie"));
        ui->DBLookupComboBox1->setListField(QStringLiteral("Familie"));
        ui->DBLookupComboBox2->setListSource(DM->TypeSource);
        ui->DBLookupComboBox2->setKeyField(QStringLiteral("Plantetype"));
        ui->DBLookupComboBox2->setListField(QStringLiteral("Plantetype"));
        // The count states the rows shown, also after a delete or a change made in the
        // registration window.
        connect(DM->PlanteSource, &toolkit::DataSource::dataSetChanged, this,
                &TOversigtForm::writeCount);
    }

    for (QWidget* w :
         {static_cast<QWidget*>(ui->Edit1), static_cast<QWidget*>(ui->Edit2),
          static_cast<QWidget*>(ui->DateEdit1), static_cast<QWidget*>(ui->DBLookupComboBox1),
          static_cast<QWidget*>(ui->DBLookupComboBox2)}) {
        w->installEventFilter(this);
    }
    // Ctrl+F goes to the name search, as a click into it does.
    auto* find = new QShortcut(QKeySequence::Find, this);
    connect(find, &QShortcut::activated, this, [this] {
        ui->Edit1->setFocus(Qt::ShortcutFocusReason);
        ui->Edit1->selectAll();
    });
    connect(ui->Edit1, &QLineEdit::textChanged, this, &TOversigtForm::Edit1Change);
    connect(ui->Edit2, &QLineEdit::textChanged, this, &TOversigtForm::Edit2Change);
    connect(ui->DBLookupComboBox1, &toolkit::DBLookupComboBox::Click, this,
            &TOversigtForm::DBLookupComboBox1Click);
    connect(ui->DBLookupComboBox2, &toolkit::DBLookupComboBox::Click, this,
            &TOversigtForm::DBLookupComboBox2Click);
    connect(ui->DateEdit2, &toolkit::DateEdit::changed, this, &TOversigtForm::DateEdit2Change);
    connect(ui->RadioButton1, &QRadioButton::clicked, this, &TOversigtForm::RadioButton1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TOversigtForm::Button2Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TOversigtForm::Button1Click);
    connect(ui->DBGrid1, &toolkit::DBGrid::DblClick, this, &TOversigtForm::DBGrid1DblClick);

    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Columns")});
    QFormLocalizer1->SetSource(i18n::mainLanguageSource());
    FormCreate();
}

TOversigtForm::~TOversigtForm() {
    if (DM) {
        disconnect(DM->PlanteSource, nullptr, this, nullptr);
    }
    clearPlantFilter();
}

void TOversigtForm::FormCreate() {
    FormResizer1 = resize::makeFormResizer(this);
}

void TOversigtForm::FormShow() {
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    toolkit::placeWindow(this,
                         {data::readSetting(QStringLiteral("W_Oversigt")),
                          data::readSetting(QStringLiteral("H_Oversigt"))},
                         {data::OversigtDesignSize.width, data::OversigtDesignSize.height});
    // Every opening lists the plants in key order.
    DM->PlanteTable->setSortOrder({});
    ui->RadioButton1->setChecked(true);
    RadioButton1Click();
    DM->PlanteTable->setFiltered(false);
    writeCount();
}

void TOversigtForm::resizeEvent(QResizeEvent* e) {
    toolkit::Form::resizeEvent(e);
    FormResize();
}

void TOversigtForm::FormResize() {
    if (!FormResizer1) {
        return;
    }
    FormResizer1->ResizeAll();
    placeCount();
}

// The count stays centred across the panel; the resizer would fit it to its text.
void TOversigtForm::placeCount() {
    const int panel = ui->Panel1->width();
    const QRect r = ui->Label6->geometry();
    ui->Label6->setGeometry(panel * 10 / 191, r.y(), panel * 171 / 191,
                            std::max(r.height(), ui->Label6->sizeHint().height()));
}

QString TOversigtForm::countText(int language, int count) {
    return i18n::countTextFor(language, u"OversigtFormTexts", u"Count", count,
                              QStringLiteral("I alt %1 plante"),
                              QStringLiteral("I alt %1 planter"));
}

// Always in the active language, after a selection as at the opening.
void TOversigtForm::writeCount() {
    if (DM && DM->PlanteTable->Active()) {
        ui->Label6->setText(countText(i18n::mainActiveLanguage(), DM->PlanteTable->RecordCount()));
    }
}

bool TOversigtForm::eventFilter(QObject* watched, QEvent* e) {
    const bool search = watched == ui->Edit1 || watched == ui->Edit2;
    if (search && e->type() == QEvent::FocusIn) {
        // Coming back to the window or from a pop-up is not entering the field.
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            toolkit::reportErrors([&] { watched == ui->Edit1 ? Edit1Enter() : Edit2Enter(); });
        }
    } else if (search && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            toolkit::reportErrors([&] { EditKeyDown(key); });
            return true;
        }
    } else if ((watched == ui->DBLookupComboBox1 || watched == ui->DBLookupComboBox2) &&
               e->type() == QEvent::KeyPress) {
        // Delete or Backspace takes that box out of the selection; the others stay.
        const int key = static_cast<QKeyEvent*>(e)->key();
        auto* box = static_cast<toolkit::DBLookupComboBox*>(watched);
        if ((key == Qt::Key_Delete || key == Qt::Key_Backspace) && !box->KeyValue().isEmpty()) {
            box->setKeyValue(QString());
            (box == ui->DBLookupComboBox1 ? m_family : m_type).clear();
            toolkit::reportErrors([this] { applySelection(); });
            return true;
        }
    } else if (watched == ui->DateEdit1 && e->type() == QEvent::FocusOut) {
        const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            toolkit::reportErrors([this] { DateEdit1Exit(); });
        }
    }
    return toolkit::Form::eventFilter(watched, e);
}

// A search covers every plant: the selection goes, and the boxes no longer show it.
void TOversigtForm::Edit1Enter() {
    showAll();
}

void TOversigtForm::Edit2Enter() {
    showAll();
}

void TOversigtForm::Edit1Change() {
    toolkit::reportErrors([this] {
        EasyFind1->setSearchField(QStringLiteral("Plantenavn"));
        EasyFind1->setSearchKey(ui->Edit1->text());
        EasyFind1->Find();
    });
}

void TOversigtForm::Edit2Change() {
    toolkit::reportErrors([this] {
        EasyFind1->setSearchField(QStringLiteral("Latin"));
        EasyFind1->setSearchKey(ui->Edit2->text());
        EasyFind1->Find();
    });
}

void TOversigtForm::EditKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        EasyFind1->FindNext();
    }
}

QString TOversigtForm::quoted(const QString& value) {
    QString v = value;
    v.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + v + QLatin1Char('\'');
}

// Family, type and planting period together, each narrowing what the others leave; one of
// them alone gives the filter and label it always gave.
void TOversigtForm::applySelection() {
    QStringList parts;
    QStringList labels;
    if (!m_family.isEmpty()) {
        parts << QStringLiteral("Familie = ") + quoted(m_family);
        labels << m_family;
    }
    if (!m_type.isEmpty()) {
        parts << QStringLiteral("Plantetype = ") + quoted(m_type);
        labels << m_type;
    }
    if (m_dates) {
        QString range = QStringLiteral("Plantet >= '") + filterDate(m_start) + QLatin1Char('\'');
        if (m_end.isValid()) {
            range += QStringLiteral(" and Plantet <='") + filterDate(m_end) + QLatin1Char('\'');
        }
        parts << range;
        labels << (m_start.isValid() ? store::formatDate(m_start) : QString()) +
                      QStringLiteral("  -  ") +
                      (m_end.isValid() ? store::formatDate(m_end) : QString());
    }
    if (parts.isEmpty()) {
        showAll();
        return;
    }
    setPlantFilter(parts.join(QStringLiteral(" and ")), true);
    ui->RadioButton1->setChecked(false);
    m_label = labels.join(QStringLiteral(", "));
    writeCount();
}

// The controls hear of the new view once, not of the text and the switch apiece.
void TOversigtForm::setPlantFilter(const QString& text, bool on) {
    store::Table* plants = DM->PlanteTable;
    plants->DisableControls();
    try {
        plants->setFilter(text);
        plants->setFiltered(on);
    } catch (...) {
        plants->EnableControls();
        throw;
    }
    plants->EnableControls();
}

void TOversigtForm::DBLookupComboBox1Click() {
    toolkit::reportErrors([this] {
        m_family = ui->DBLookupComboBox1->Text();
        applySelection();
    });
}

void TOversigtForm::DBLookupComboBox2Click() {
    toolkit::reportErrors([this] {
        m_type = ui->DBLookupComboBox2->Text();
        applySelection();
    });
}

void TOversigtForm::DateEdit1Exit() {
    const QString before = ui->DateEdit2->Text();
    const QDate start = ui->DateEdit1->Date();
    if (start.isValid()) {
        ui->DateEdit2->setDate(start);
    } else {
        ui->DateEdit2->Clear();
    }
    // The one-day range applies at once, also when the end field held that day already.
    if (ui->DateEdit2->Text() == before && start.isValid()) {
        DateEdit2Change();
    }
}

// A bound that is no complete date bounds nothing; with neither bound there is no date
// selection at all.
void TOversigtForm::DateEdit2Change() {
    if (m_clearingDates) {
        return;
    }
    toolkit::reportErrors([this] {
        m_start = ui->DateEdit1->Date();
        m_end = ui->DateEdit2->Date();
        const bool dates = m_start.isValid() || m_end.isValid();
        // Emptied dates that were no part of the selection change nothing.
        if (!dates && !m_dates) {
            return;
        }
        m_dates = dates;
        applySelection();
    });
}

void TOversigtForm::RadioButton1Click() {
    toolkit::reportErrors([this] { showAll(); });
}

void TOversigtForm::showAll() {
    ui->RadioButton1->setChecked(true);
    ui->DBLookupComboBox1->setKeyValue(QString());
    ui->DBLookupComboBox2->setKeyValue(QString());
    // Emptying the dates selects nothing: the list is to show every plant.
    m_clearingDates = true;
    ui->DateEdit1->Clear();
    ui->DateEdit2->Clear();
    m_clearingDates = false;
    m_family.clear();
    m_type.clear();
    m_dates = false;
    m_start = m_end = QDate();
    m_label.clear();
    setPlantFilter(DM->PlanteTable->Filter(), false);
    writeCount();
}

QString TOversigtForm::selectionLabel() const {
    return DM && DM->PlanteTable->Active() && DM->PlanteTable->Filtered() ? m_label : QString();
}

void TOversigtForm::Button2Click() {
    toolkit::reportErrors([this] {
        auto report = std::make_unique<plants::TQRForm>();
        report->setSelectionLabel(selectionLabel());
        report->Preview();
    });
}

void TOversigtForm::Button1Click() {
    close();
}

// Only on a plant: with none current there is nothing to open, and opening the window on
// an empty table would start a new plant outside the selection.
void TOversigtForm::DBGrid1DblClick() {
    toolkit::reportErrors([] {
        if (DM->PlanteTable->IsEmpty()) {
            return;
        }
        toolkit::showModal<plants::TRegForm>();
    });
}

void TOversigtForm::FormClose() {
    const QSize outer = toolkit::outerSize(this);
    data::writeSettings({{QStringLiteral("H_Oversigt"), outer.height()},
                         {QStringLiteral("W_Oversigt"), outer.width()}});
    // The main window's plant chooser and everything else see every plant again, in key
    // order.
    DM->PlanteTable->setFiltered(false);
    DM->PlanteTable->setSortOrder({});
}

void TOversigtForm::clearPlantFilter() noexcept {
    try {
        if (DM && DM->PlanteTable->Active()) {
            DM->PlanteTable->setFiltered(false);
            DM->PlanteTable->setSortOrder({});
        }
    } catch (const std::exception&) {
        // Gone with the window; the next opening starts unfiltered anyway.
    }
}

}  // namespace overview
