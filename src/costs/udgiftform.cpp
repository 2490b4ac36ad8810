// SPDX-License-Identifier: GPL-3.0-or-later
#include "udgiftform.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QStandardPaths>

#include "chart.h"
#include "costcsv.h"
#include "costreport.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "report/output.h"
#include "resize/formresizer.h"
#include "store/errors.h"
#include "toolkit/dialogs.h"
#include "toolkit/errortext.h"
#include "ui_udgiftform.h"
#include "views.h"

namespace costs {

namespace {

QString text(QStringView key, const char* danish) {
    return i18n::text(u"CostTexts", key, QString::fromUtf8(danish));
}

// The window's design size, frame included, as the other large windows have.
constexpr QSize DesignSize(1032, 770);

}  // namespace

TUdgiftForm::TUdgiftForm(i18n::TQCustomLanguageSource* source, QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::TUdgiftForm>()) {
    ui->setupUi(this);
    FormCreate();
    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Tabs")});
    QFormLocalizer1->SetSource(source);
    // Captions take the width of their text in the language of the moment.
    for (QLabel* l : findChildren<QLabel*>()) {
        l->adjustSize();
    }
    FormResizer1 = resize::makeFormResizer(this);
}

TUdgiftForm::~TUdgiftForm() = default;

void TUdgiftForm::FormCreate() {
    setSizeGripEnabled(true);
    const QList<QList<ColumnDef>> columns = {yearColumns(), familyColumns(), typeColumns(),
                                             workColumns(), categoryColumns()};
    const QList<SumView*> views = {ui->SumView1, ui->SumView2, ui->SumView3, ui->SumView4,
                                   ui->SumView5};
    for (qsizetype i = 0; i < views.size(); ++i) {
        auto* m = new SumModel(columns.at(i), this);
        m_models << m;
        views.at(i)->setModel(m);
    }
    QFont bold = ui->Label3->font();
    bold.setBold(true);
    ui->Label3->setFont(bold);

    connect(ui->ComboBox1, &QComboBox::currentIndexChanged, this, &TUdgiftForm::ComboBox1Change);
    connect(ui->ComboBox2, &QComboBox::currentIndexChanged, this, &TUdgiftForm::ComboBox2Change);
    connect(ui->Button1, &QPushButton::clicked, this, &TUdgiftForm::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TUdgiftForm::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TUdgiftForm::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TUdgiftForm::Button4Click);
    // Nothing read yet: the views show their empty totals.
    m_overview = summarize(m_data, 0, 0);
    showSums();
}

CostChart* TUdgiftForm::chart() const {
    return ui->Chart1;
}

SumModel* TUdgiftForm::model(int view) const {
    return m_models.value(view - 1);
}

void TUdgiftForm::FormShow() {
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    toolkit::placeWindow(this, data::readWindowSize(QString::fromLatin1(SizeKey)), DesignSize);
    ui->SumView1->setFocus();
    // Read here, so that a store error is shown and the window still opens, empty.
    try {
        m_data = readCosts(*data::DM);
    } catch (...) {
        m_data = CostData();
        fillYears();
        showSums();
        throw;
    }
    fillYears();
    showSums();
}

void TUdgiftForm::FormClose() {
    data::writeWindowSize(QString::fromLatin1(SizeKey), toolkit::outerSize(this));
}

void TUdgiftForm::resizeEvent(QResizeEvent* e) {
    toolkit::Form::resizeEvent(e);
    if (FormResizer1) {
        FormResizer1->ResizeAll();
    }
}

// Every year from the first to the last that has costs, in both boxes; the whole range
// chosen.
void TUdgiftForm::fillYears() {
    m_filling = true;
    ui->ComboBox1->clear();
    ui->ComboBox2->clear();
    const int first = m_data.firstYear();
    const int last = m_data.lastYear();
    for (int y = first; first > 0 && y <= last; ++y) {
        ui->ComboBox1->addItem(QString::number(y), y);
        ui->ComboBox2->addItem(QString::number(y), y);
    }
    ui->ComboBox1->setCurrentIndex(0);
    ui->ComboBox2->setCurrentIndex(ui->ComboBox2->count() - 1);
    ui->ComboBox1->setEnabled(first > 0);
    ui->ComboBox2->setEnabled(first > 0);
    m_filling = false;
}

int TUdgiftForm::yearOf(int comboBox) const {
    const QComboBox* box = comboBox == 1 ? ui->ComboBox1 : ui->ComboBox2;
    return box->currentIndex() >= 0 ? box->currentData().toInt() : 0;
}

void TUdgiftForm::showSums() {
    m_overview = summarize(m_data, yearOf(1), yearOf(2));
    const QList<const QList<Line>*> views = {&m_overview.years, &m_overview.families,
                                             &m_overview.types, &m_overview.works,
                                             &m_overview.categories};
    for (qsizetype i = 0; i < views.size(); ++i) {
        m_models.at(i)->setLines(*views.at(i));
    }
    ui->Chart1->setBars(yearBars(m_overview));
    ui->Label3->setText(
        text(u"GrandTotal", "Udgifter i alt: %1").arg(money(m_overview.total.amount())));
    ui->Label3->adjustSize();
    ui->Button4->setEnabled(!m_overview.wholeRange);
}

// A start after the end moves the end along, and an end before the start the start.
void TUdgiftForm::ComboBox1Change() {
    if (m_filling) {
        return;
    }
    if (ui->ComboBox2->currentIndex() < ui->ComboBox1->currentIndex()) {
        m_filling = true;
        ui->ComboBox2->setCurrentIndex(ui->ComboBox1->currentIndex());
        m_filling = false;
    }
    showSums();
}

void TUdgiftForm::ComboBox2Change() {
    if (m_filling) {
        return;
    }
    if (ui->ComboBox1->currentIndex() > ui->ComboBox2->currentIndex()) {
        m_filling = true;
        ui->ComboBox1->setCurrentIndex(ui->ComboBox2->currentIndex());
        m_filling = false;
    }
    showSums();
}

void TUdgiftForm::Button1Click() {
    report::preview(buildReport(m_overview), reportTitle());
}

void TUdgiftForm::Button2Click() {
    const QString years = m_overview.from == 0 ? QString()
                          : m_overview.from == m_overview.to
                              ? QStringLiteral(" %1").arg(m_overview.from)
                              : QStringLiteral(" %1-%2").arg(m_overview.from).arg(m_overview.to);
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!QFileInfo(folder).isDir()) {
        folder = QDir::homePath();
    }
    const QString suggested = QDir(folder).filePath(reportTitle() + years + QStringLiteral(".csv"));
    QString path = toolkit::dialogs().SaveFile(QStringLiteral("CSV (*.csv)|*.csv"), suggested);
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".csv");
    }
    try {
        writeCsv(m_overview, path, backup::regionalCsvFormat());
    } catch (const store::Error& e) {
        toolkit::dialogs().MessageDlg(text(u"CsvFailed", "Udgifterne kunne ikke gemmes.") +
                                          data::messageBreak() + toolkit::errorText(e),
                                      toolkit::MsgType::Error, toolkit::Button::OK);
        return;
    }
    toolkit::dialogs().MessageDlg(
        text(u"CsvDone", "Udgifterne er gemt i %1.").arg(QDir::toNativeSeparators(path)),
        toolkit::MsgType::Information, toolkit::Button::OK);
}

void TUdgiftForm::Button3Click() {
    close();
}

void TUdgiftForm::Button4Click() {
    m_filling = true;
    ui->ComboBox1->setCurrentIndex(0);
    ui->ComboBox2->setCurrentIndex(ui->ComboBox2->count() - 1);
    m_filling = false;
    showSums();
}

}  // namespace costs
