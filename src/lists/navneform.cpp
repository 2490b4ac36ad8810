// SPDX-License-Identifier: GPL-3.0-or-later
#include "navneform.h"

#include <QKeyEvent>

#include "data/dm.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "listsupport.h"
#include "overview/easyfind.h"
#include "toolkit/dialogs.h"
#include "toolkit/grid.h"
#include "ui_navneform.h"

namespace lists {

using data::DM;

namespace {
constexpr int PlacedAt = 172;  // left and top on every show
}

TNavneForm::TNavneForm(i18n::TQCustomLanguageSource* source, QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::TNavneForm>()), m_source(source) {
    ui->setupUi(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setSizeGripEnabled(true);

    QFont count = ui->Label4->font();
    count.setBold(true);
    count.setPixelSize(13);
    ui->Label4->setFont(count);

    ui->DBEdit1->setDataSource(DM->NavneSource);
    ui->DBEdit1->setDataField(QStringLiteral("Navn"));
    ui->DBEdit2->setDataSource(DM->NavneSource);
    ui->DBEdit2->setDataField(QStringLiteral("Latin"));
    ui->DBGrid1->setDataSource(DM->NavneSource);
    ui->DBGrid1->setEditing(false);
    // Every field in table order, titled by its name; as named columns the titles can be
    // translated.
    if (DM->NavneTable->Active()) {
        QList<toolkit::GridColumn> columns;
        for (int i = 0; i < DM->NavneTable->FieldCount(); ++i) {
            const QString name = DM->NavneTable->Fields(i).FieldName();
            columns.append({name, name});
        }
        ui->DBGrid1->setColumns(columns);
    }
    ui->DBGrid1->setColumnWidth(0, 200);
    fillWidth(ui->DBGrid1);
    // An entry without either name would show as a blank line in the registration window.
    new EmptyEntryGuard(DM->NavneTable, {QStringLiteral("Navn"), QStringLiteral("Latin")}, this);

    m_easyFind = new overview::TEasyFind(this);
    m_easyFind->setObjectName(QStringLiteral("EasyFind1"));
    m_easyFind->setDataSource(DM->NavneSource);
    m_easyFind->setSearchField(QStringLiteral("Navn"));
    m_easyFind->setMultiCharPattern(QStringLiteral("%"));
    m_easyFind->setSingleCharPattern(QLatin1Char('_'));
    m_easyFind->setCaseSensitive(false);
    m_easyFind->setAllowWildcards(false);

    connect(ui->Edit1, &QLineEdit::textChanged, this, &TNavneForm::Edit1Change);
    ui->Edit1->installEventFilter(this);
    // A kind is chosen when its button becomes checked, by click or by arrow key; clicking
    // the kind already chosen changes nothing.
    connect(ui->RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RadioButton1Click();
        }
    });
    connect(ui->RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RadioButton2Click();
        }
    });
    connect(ui->Button2, &QPushButton::clicked, this, &TNavneForm::Button2Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TNavneForm::Button4Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TNavneForm::Button3Click);
    connect(ui->Button1, &QPushButton::clicked, this, &TNavneForm::Button1Click);

    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Columns")});
    QFormLocalizer1->SetSource(source);
}

TNavneForm::~TNavneForm() = default;

// An index outside the languages has no text: the count and the question are left out.
QString TNavneForm::countText(int language, int count) {
    if (language < -1 || language > 3) {
        return {};
    }
    return i18n::countTextFor(language, u"NavneFormTexts", u"Count", count,
                              QStringLiteral("I alt %1 plante"),
                              QStringLiteral("I alt %1 planter"));
}

QString TNavneForm::deleteQuestion(int language, const QString& name) {
    if (language < -1 || language > 3) {
        return {};
    }
    return i18n::textFor(language, u"NavneFormTexts", u"DeleteName",
                         QStringLiteral("Er du sikker på, at du vil slette %1 ?"))
        .arg(name);
}

int TNavneForm::language() const {
    return m_source ? m_source->ActiveLanguage() : -1;
}

void TNavneForm::writeCount() {
    const QString text = countText(language(), DM->NavneTable->RecordCount());
    if (!text.isNull()) {
        ui->Label4->setText(text);
    }
}

void TNavneForm::FormShow() {
    move(PlacedAt, PlacedAt);  // wherever it was before
    writeCount();
}

// The panel keeps the left edge and the whole height, with its last button at the bottom;
// the list takes the rest under the two edits.
void TNavneForm::resizeEvent(QResizeEvent* e) {
    toolkit::Form::resizeEvent(e);
    ui->Panel1->setGeometry(0, 0, ui->Panel1->width(), height());
    ui->Button1->move(ui->Button1->x(), height() - 49);
    const int left = ui->Panel1->width();
    const int top = ui->DBGrid1->y();
    ui->DBGrid1->setGeometry(left, top, std::max(0, width() - left), std::max(0, height() - top));
}

bool TNavneForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == ui->Edit1 && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            Edit1KeyDown(13);
            return true;  // the window's buttons do not take Enter from here
        }
    }
    return toolkit::Form::eventFilter(watched, e);
}

void TNavneForm::Edit1Change() {
    if (ui->RadioButton1->isChecked()) {
        m_easyFind->setSearchField(QStringLiteral("Navn"));
    } else if (ui->RadioButton2->isChecked()) {
        m_easyFind->setSearchField(QStringLiteral("Latin"));
    } else {
        return;
    }
    m_easyFind->setSearchKey(ui->Edit1->text());
    m_easyFind->Find();
}

void TNavneForm::Edit1KeyDown(int key) {
    if (key == 13) {
        m_easyFind->FindNext();
    }
}

void TNavneForm::searchKindChosen() {
    ui->Edit1->clear();
    ui->Edit1->setFocus();
}

void TNavneForm::RadioButton1Click() {
    searchKindChosen();
}

void TNavneForm::RadioButton2Click() {
    searchKindChosen();
}

void TNavneForm::Button2Click() {
    ui->DBEdit1->setFocus();
    DM->NavneTable->Insert();
}

void TNavneForm::Button4Click() {
    store::Table* t = DM->NavneTable;
    if (t->State() == store::DataSetState::Edit || t->State() == store::DataSetState::Insert) {
        t->Post();  // a duplicate is warned about and ends here, the record kept open
    }
    writeCount();
}

void TNavneForm::Button3Click() {
    const QString question =
        deleteQuestion(language(), DM->NavneTable->FieldByName(QStringLiteral("Navn")).AsString());
    if (question.isNull()) {
        return;
    }
    if (toolkit::dialogs().MessageDlg(question, toolkit::MsgType::Confirmation,
                                      toolkit::Button::Yes | toolkit::Button::No) ==
        toolkit::mrYes) {
        DM->NavneTable->Delete();  // an unsaved new record is discarded instead
    }
    writeCount();
}

void TNavneForm::Button1Click() {
    close();
}

// A record typed but not saved would otherwise stay pending on the shared table after the
// window is gone, to be lost or posted later by another window; a duplicate keeps the
// window open with the warning.
void TNavneForm::FormClose() {
    store::Table* t = DM->NavneTable;
    if (t->Active()) {
        t->CheckBrowseMode();
    }
}

}  // namespace lists
