#include "hovedform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QScreen>
#include <QUrl>

#include "artwork.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "ui_hovedform.h"

namespace app {

using data::DM;

THovedForm::THovedForm(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::THovedForm>()) {
    ui->setupUi(this);
    // Sizeable, with the close button only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    setWindowIcon(artwork::appIcon());
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &THovedForm::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &THovedForm::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &THovedForm::SpeedButton3Click);
    connect(ui->SpeedButton4, &QToolButton::clicked, this, &THovedForm::SpeedButton4Click);
    connect(ui->SpeedButton5, &QToolButton::clicked, this, &THovedForm::SpeedButton5Click);
    connect(ui->DBLookupComboBox1, &toolkit::DBLookupComboBox::Click, this,
            &THovedForm::DBLookupComboBox1Click);
    connect(ui->Afslut, &QAction::triggered, this, &THovedForm::AfslutClick);
    connect(ui->Afslut1, &QAction::triggered, this, &THovedForm::AfslutClick);
    connect(ui->Definitioner1, &QAction::triggered, this, &THovedForm::Definitioner1Click);
    connect(ui->Navne1, &QAction::triggered, this, &THovedForm::Navne1Click);
    connect(ui->Dataplacering1, &QAction::triggered, this, &THovedForm::Dataplacering1Click);
    connect(ui->Help, &QAction::triggered, this, &THovedForm::HelpClick);
    connect(ui->Omskrmstrrelser1, &QAction::triggered, this, &THovedForm::Omskrmstrrelser1Click);
    connect(ui->Info, &QAction::triggered, this, &THovedForm::InfoClick);
    FormCreate();
}

THovedForm::~THovedForm() = default;

void THovedForm::FormCreate() {
    // No translucent frame here: the bottom strip takes the window's colour.
    QPalette white = ui->BottomPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui->BottomPanel->setPalette(white);
    ui->centralwidget->setAutoFillBackground(true);
    ui->centralwidget->setPalette(white);

    ui->Image1->setPixmap(artwork::ivyVine(ui->Image1->size()));
    // Labels take the width of their text, whatever font the desktop gives them.
    ui->Label1->adjustSize();
    ui->Sproget->adjustSize();
    ui->RxLabel1->setFont(artwork::titleFont(96));
    ui->RxLabel1->setTextColor(QColor(0x2e, 0x7d, 0x32));
    ui->RxLabel1->setShadowColor(QColor(0x9e, 0x9e, 0x9e));
    ui->RxLabel1->setShadowOffset(3);
    ui->SpeedButton2->setGlyph(artwork::buttonGlyph(artwork::Glyph::Overview));
    ui->SpeedButton1->setGlyph(artwork::buttonGlyph(artwork::Glyph::Register));
    ui->SpeedButton5->setGlyph(artwork::buttonGlyph(artwork::Glyph::GardenWorks));
    ui->SpeedButton4->setGlyph(artwork::buttonGlyph(artwork::Glyph::Quit));
    ui->SpeedButton3->setGlyph(artwork::buttonGlyph(artwork::Glyph::NewPlant));
    ui->SpeedButton3->setIconSize(QSize(16, 16));
    for (auto* b : {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton4, ui->SpeedButton5}) {
        b->setAutoRaise(true);
    }
}

void THovedForm::showEvent(QShowEvent* e) {
    QMainWindow::showEvent(e);
    if (!m_shown) {
        m_shown = true;
        // A failure leaves the remaining steps undone and the window open.
        toolkit::reportErrors([this] { FormShow(); });
    }
}

QString THovedForm::programFolder() {
    return QDir(QCoreApplication::applicationDirPath()).absolutePath() + QLatin1Char('/');
}

QString THovedForm::helpPage() const {
    return ui->Help->toolTip();
}

void THovedForm::FormShow() {
    DM->ConfigTable->Open();
    setMinimumSize(0, 0);
    setOuterSize(data::readSetting(QStringLiteral("W_Main")),
                 data::readSetting(QStringLiteral("H_Main")));
    if (QScreen* s = screen()) {
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    }
    ui->Help->setToolTip(programFolder() + QStringLiteral("Help/Index.html"));
    for (store::Table* t : DM->tablesInOpeningOrder()) {
        t->Open();
    }
    ui->DBLookupComboBox1->setListSource(DM->PlanteSource);
    ui->DBLookupComboBox1->setKeyField(QStringLiteral("Plantenavn"));
    ui->DBLookupComboBox1->setListField(QStringLiteral("Plantenavn"));
    // The language menu and the stored language join here with the language source.
    const int stored = data::readSetting(QStringLiteral("Sprog"));
    m_language = (stored >= -1 && stored <= 3) ? stored : -1;
    setWindowTitle(QStringLiteral("Verdamo"));
    ui->Help->setToolTip(helpPageOf(m_language));
}

QString THovedForm::helpPageOf(int language) {
    static const char* const folders[] = {"Dansk", "Engelsk", "Norsk", "Svensk", "Tysk"};
    const int i = (language >= -1 && language <= 3) ? language + 1 : 0;
    return programFolder() + QStringLiteral("Help/%1/index.html").arg(QLatin1String(folders[i]));
}

// Heights and widths are kept as outer sizes, frame and title bar included.
void THovedForm::setOuterSize(int width, int height) {
    const QSize frame = frameGeometry().size() - geometry().size();
    resize(std::max(1, width - frame.width()), std::max(1, height - frame.height()));
}

QSize THovedForm::outerSize() const {
    return frameGeometry().size();
}

void THovedForm::closeEvent(QCloseEvent* e) {
    // A settings record that cannot be written is reported; the program still ends.
    toolkit::reportErrors([this] { FormClose(); });
    e->accept();
}

void THovedForm::FormClose() {
    if (!DM || !DM->ConfigTable->Active()) {
        return;
    }
    const QSize size = outerSize();
    data::writeSettings({{QStringLiteral("Sprog"), m_language},
                         {QStringLiteral("H_Main"), size.height()},
                         {QStringLiteral("W_Main"), size.width()}});
}

bool THovedForm::chooserShown() const {
    return ui->SpeedButton1->isHidden();
}

void THovedForm::hideChooser() {
    ui->SpeedButton1->show();
    ui->Label1->hide();
    ui->DBLookupComboBox1->hide();
    ui->SpeedButton3->hide();
}

void THovedForm::SpeedButton1Click() {
    ui->SpeedButton1->hide();
    ui->Label1->show();
    ui->DBLookupComboBox1->show();
    ui->SpeedButton3->show();
    ui->DBLookupComboBox1->setFocus();
}

void THovedForm::DBLookupComboBox1Click() {
    // The choice has made the first plant of that name current; the registration window
    // opens on it once it is built.
    hideChooser();
}

void THovedForm::SpeedButton3Click() {
    // A new plant is started only where the registration window can take it.
    hideChooser();
}

void THovedForm::SpeedButton2Click() {
    hideChooser();
}

void THovedForm::SpeedButton5Click() {
    hideChooser();
}

void THovedForm::SpeedButton4Click() {
    close();
}

void THovedForm::AfslutClick() {
    close();
}

void THovedForm::Definitioner1Click() {}

void THovedForm::Navne1Click() {}

void THovedForm::Dataplacering1Click() {
    toolkit::dialogs().ShowMessage(data::dataLocationNotice(m_language));
}

void THovedForm::HelpClick() {
    // Whatever the desktop does with the page, missing or not, is its own business.
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpPage()));
}

QString THovedForm::screenSizeNotice() {
    const QString br = data::messageBreak();
    return QStringLiteral("SKÆRMSTØRRELSER") + br + br +
           QStringLiteral(
               "I dag findes der et utal af forskellige skærmstørrelser og skærmopløsninger. "
               "Vinduerne i dette program kan tilpasse sig den skærm og opløsning, som du "
               "anvender på denne PC.  Placér musen på en af de fire vinduesrammer, hold venstre "
               "musetast nede og træk rammen større eller mindre.  Indholdet i vinduet vil "
               "automatisk tilpasse sig vinduets størrelse. ") +
           br + br + QStringLiteral("BEMÆRK") + br +
           QStringLiteral(
               "Den størrelse på vinduet, som du har valgt, vil være den størrelse, som "
               "vinduet åbnes med, næste gang du åbner dette program!");
}

void THovedForm::Omskrmstrrelser1Click() {
    toolkit::dialogs().MessageDlg(screenSizeNotice(), toolkit::MsgType::Information,
                                  toolkit::Button::OK);
}

void THovedForm::InfoClick() {}

}  // namespace app
