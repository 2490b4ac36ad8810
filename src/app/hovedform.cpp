// SPDX-License-Identifier: GPL-3.0-or-later
#include "hovedform.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include <QActionGroup>
#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QVBoxLayout>

#include "artwork.h"
#include "backup/functions.h"
#include "costs/udgiftform.h"
#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "garden/haveform.h"
#include "i18n/langfile.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/texts.h"
#include "lists/defform.h"
#include "lists/navneform.h"
#include "overview/oversigtform.h"
#include "plantchooser.h"
#include "plants/regform.h"
#include "resize/formresizer.h"
#include "store/session.h"
#include "toolkit/application.h"
#include "toolkit/dialogs.h"
#include "toolkit/form.h"
#include "ui_hovedform.h"
#include "widgets/aboutbox.h"
#include "widgets/justone.h"
#include "widgets/picture.h"

namespace app {

using data::DM;

THovedForm::THovedForm(QWidget* parent)
    : QMainWindow(parent), ui(std::make_unique<Ui::THovedForm>()) {
    ui->setupUi(this);
    // The ivy and the window icon come as the build drew them (on a screen of another pixel
    // ratio they are drawn afresh, which takes some milliseconds): other cores fetch them
    // while the window is built.
    m_ivyAhead =
        std::async(std::launch::async, [size = ui->Image1->size(), ratio = devicePixelRatioF()] {
            return artwork::ivyImage(size, ratio);
        });
    auto icon = std::async(std::launch::async, [] { return artwork::appIconImages(); });
    m_designHelpCaption = ui->Help->text();
    // The components of the design, created with the window.
    QLanguageSource1 = new i18n::TQLanguageSource(this);
    QLanguageSource1->setObjectName(QStringLiteral("QLanguageSource1"));
    QLanguageSource1->SetOriginalName(QStringLiteral("Dansk"));
    QLanguageSource1->SetLanguages(
        {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
         QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
    AboutBox1 = new widgets::TAboutBox(this);
    AboutBox1->setObjectName(QStringLiteral("AboutBox1"));
    AboutBox1->setAppName(QStringLiteral("Verdamo"));
    AboutBox1->setPicture(widgets::productPicture());
    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Warning")});
    QFormLocalizer1->SetSource(QLanguageSource1);
    JustOne1 = new widgets::TJustOne(this);  // a running copy is asked forward here
    JustOne1->setObjectName(QStringLiteral("JustOne1"));
    // Sizeable, with the close button only.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::CustomizeWindowHint);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &THovedForm::SpeedButton1Click);
    connect(ui->SpeedButton2, &QToolButton::clicked, this, &THovedForm::SpeedButton2Click);
    connect(ui->SpeedButton3, &QToolButton::clicked, this, &THovedForm::SpeedButton3Click);
    connect(ui->SpeedButton4, &QToolButton::clicked, this, &THovedForm::SpeedButton4Click);
    connect(ui->SpeedButton5, &QToolButton::clicked, this, &THovedForm::SpeedButton5Click);
    connect(ui->DBLookupComboBox1, &PlantChooser::Click, this, &THovedForm::DBLookupComboBox1Click);
    // F1 and Ctrl+Q, as everywhere on the desktop; F1 reaches the help from every window.
    ui->Help->setShortcut(QKeySequence(Qt::Key_F1));
    ui->Afslut->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    qApp->installEventFilter(this);
    connect(ui->Afslut, &QAction::triggered, this, &THovedForm::AfslutClick);
    connect(ui->Afslut1, &QAction::triggered, this, &THovedForm::AfslutClick);
    connect(ui->Definitioner1, &QAction::triggered, this, &THovedForm::Definitioner1Click);
    connect(ui->Navne1, &QAction::triggered, this, &THovedForm::Navne1Click);
    connect(ui->Udgifter1, &QAction::triggered, this, &THovedForm::Udgifter1Click);
    connect(ui->Dataplacering1, &QAction::triggered, this, &THovedForm::Dataplacering1Click);
    connect(ui->Sikkerhedskopi1, &QAction::triggered, this, &THovedForm::Sikkerhedskopi1Click);
    connect(ui->Gendan1, &QAction::triggered, this, &THovedForm::Gendan1Click);
    connect(ui->Eksporter1, &QAction::triggered, this, &THovedForm::Eksporter1Click);
    connect(ui->Importer1, &QAction::triggered, this, &THovedForm::Importer1Click);
    connect(ui->Help, &QAction::triggered, this, &THovedForm::HelpClick);
    connect(ui->Omskrmstrrelser1, &QAction::triggered, this, &THovedForm::Omskrmstrrelser1Click);
    connect(ui->Info, &QAction::triggered, this, &THovedForm::InfoClick);
    connect(ui->Dansk, &QAction::triggered, this, &THovedForm::DanskClick);
    connect(ui->English, &QAction::triggered, this, &THovedForm::EnglishClick);
    connect(ui->Norsk, &QAction::triggered, this, &THovedForm::NorskClick);
    connect(ui->Svensk, &QAction::triggered, this, &THovedForm::SvenskClick);
    connect(ui->Deutsch, &QAction::triggered, this, &THovedForm::DeutschClick);
    FormCreate();
    setWindowIcon(artwork::appIcon(icon.get()));
}

THovedForm::~THovedForm() {
    // Nothing may call back into a window that is gone.
    store::Session::finishCheckAhead();
}

void THovedForm::FormCreate() {
    // No translucent frame here: the bottom strip takes the window's colour.
    QPalette white = ui->BottomPanel->palette();
    white.setColor(QPalette::Window, Qt::white);
    ui->BottomPanel->setPalette(white);
    ui->centralwidget->setAutoFillBackground(true);
    ui->centralwidget->setPalette(white);

    ui->Image1->setPixmap(QPixmap::fromImage(m_ivyAhead.get()));
    // Labels take the width of their text, whatever font the desktop gives them.
    ui->Label1->adjustSize();
    ui->Sproget->adjustSize();
    ui->SpeedButton2->setGlyph(artwork::buttonGlyph(artwork::Glyph::Overview));
    ui->SpeedButton1->setGlyph(artwork::buttonGlyph(artwork::Glyph::Register));
    ui->SpeedButton5->setGlyph(artwork::buttonGlyph(artwork::Glyph::GardenWorks));
    ui->SpeedButton4->setGlyph(artwork::buttonGlyph(artwork::Glyph::Quit));
    ui->SpeedButton3->setGlyph(artwork::buttonGlyph(artwork::Glyph::NewPlant));
    ui->SpeedButton3->setIconSize(QSize(16, 16));
    for (auto* b : {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton4, ui->SpeedButton5}) {
        b->setAutoRaise(true);
        QFont f = b->font();
        f.setBold(true);
        f.setPixelSize(16);
        b->setFont(f);
    }
    QFont lang = ui->Sproget->font();
    lang.setBold(true);
    lang.setPixelSize(13);
    ui->Sproget->setFont(lang);
    ui->Sproget->adjustSize();
    // The background fills the window at any size; the resizer leaves it to its layout.
    auto* fill = new QVBoxLayout(ui->centralwidget);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(ui->Image3);
    FormResizer1 = resize::makeFormResizer(this);
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
    // The folder that holds the help pages: beside the program in the build tree, the share
    // folder when installed.
    return QFileInfo(data::programFile(QStringLiteral("Help"))).absolutePath() + QLatin1Char('/');
}

QString THovedForm::helpPage() const {
    return ui->Help->toolTip();
}

void THovedForm::FormShow() {
    if (!findDataFolder()) {
        return;  // the user chose no folder: the window stays open without tables
    }
    // The database is checked once the window is up (see paintEvent): the check of a large
    // database takes as long as building the window, and the window need not wait for it.
    m_checkDue = true;
    try {
        openData();
    } catch (const store::StoreError& e) {
        // Too damaged to read at all: the offer of the newest good backup comes at once.
        if (e.errorCode() != store::StoreError::Corrupt || m_damageOffered) {
            throw;
        }
        m_damageOffered = true;
        if (!backup::offerRestoreIfDamaged(DM)) {
            throw;
        }
        openData();
    }
    announceReadOnly();
}

void THovedForm::openData() {
    DM->ConfigTable->Open();
    const int storedWidth = data::readSetting(QStringLiteral("W_Main"));
    const int storedHeight = data::readSetting(QStringLiteral("H_Main"));
    m_sizeRead = true;
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    toolkit::placeWindow(this, {storedWidth, storedHeight},
                         {data::MainDesignSize.width, data::MainDesignSize.height});
    setHelpPage(helpPageOf(ActiveLanguage()));
    for (store::Table* t : DM->tablesInOpeningOrder()) {
        t->Open();
    }
    ui->DBLookupComboBox1->setPlantSource(DM->PlanteSource);
    buildLanguageMenu();
    applyStoredLanguage();
}

void THovedForm::paintEvent(QPaintEvent* e) {
    QMainWindow::paintEvent(e);
    if (m_checkDue) {
        m_checkDue = false;
        // Begun once this first picture is on the screen.
        QTimer::singleShot(0, this, &THovedForm::beginStartCheck);
    }
}

void THovedForm::beginStartCheck() {
    if (m_damageOffered) {
        afterStartCheck();  // already checked, when it could not be read
        return;
    }
    // The answer comes back to this thread; the window waits for it when it goes.
    store::Session::checkAhead(QString::fromLatin1(data::TDM::Alias), [this] {
        QMetaObject::invokeMethod(this, &THovedForm::afterStartCheck, Qt::QueuedConnection);
    });
}

void THovedForm::afterStartCheck() {
    // A restore closes every table: it waits until the user is back in this window.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(250, this, &THovedForm::afterStartCheck);
        return;
    }
    toolkit::reportErrors([this] {
        if (!m_damageOffered) {
            m_damageOffered = true;
            // A damaged database is reported first, with the offer of the newest good backup.
            if (backup::offerRestoreIfDamaged(DM)) {
                applyStoredLanguage();
            }
        }
        backup::remindOfOutsideBackup(ActiveLanguage());
    });
    Q_EMIT startChecked();
}

QString THovedForm::dataFolderProblemText(const data::DataFolderProblem& p, int language) {
    const QString br = data::messageBreak();
    const QString choose =
        i18n::textFor(language, u"HovedFormTexts", u"ChooseDataFolder",
                      QStringLiteral("Vælg den mappe, dine data ligger i (den med filen %1)."))
            .arg(QString::fromLatin1(store::Database::FileName));
    QString problem;
    switch (p.kind) {
        case data::DataFolderProblem::AliasMissing:
            problem = i18n::textFor(language, u"HovedFormTexts", u"AliasMissing",
                                    QStringLiteral("Verdamo kan ikke finde dine data: aliasfilen "
                                                   "%1 nævner ikke datamappen »%2«."))
                          .arg(p.aliasFile, QString::fromLatin1(data::TDM::Alias));
            problem += br + br +
                       i18n::textFor(language, u"HovedFormTexts", u"AliasFileSays",
                                     QStringLiteral("Filen siger:")) +
                       br + (p.says.isEmpty() ? QStringLiteral("—") : p.says);
            break;
        case data::DataFolderProblem::FolderMissing:
            problem = i18n::textFor(language, u"HovedFormTexts", u"FolderMissing",
                                    QStringLiteral("Verdamo kan ikke finde dine data: aliasfilen "
                                                   "%1 peger på mappen %2, som ikke findes."))
                          .arg(p.aliasFile, p.folder);
            break;
        case data::DataFolderProblem::DatabaseMissing:
            problem = i18n::textFor(language, u"HovedFormTexts", u"DatabaseMissing",
                                    QStringLiteral("Verdamo kan ikke finde dine data: mappen %2, "
                                                   "som aliasfilen %1 peger på, indeholder "
                                                   "ingen database."))
                          .arg(p.aliasFile, p.folder);
            break;
        case data::DataFolderProblem::None:
            return QString();
    }
    return problem + br + br + choose;
}

// A mistyped alias file must never look like lost data: the gardener is told what the file
// says and chooses the folder; only a first start, without any alias file, makes a new
// database unasked.
bool THovedForm::findDataFolder() {
    // The settings are not read yet: the desktop's language it is.
    const int language = i18n::desktopLanguage();
    for (;;) {
        const data::DataFolderProblem problem = data::checkDataFolder();
        if (problem.kind == data::DataFolderProblem::None) {
            return true;
        }
        // The boxes' titles and buttons speak it too; the stored language follows later.
        QLanguageSource1->SetActiveLanguage(language);
        if (toolkit::dialogs().MessageDlg(
                dataFolderProblemText(problem, language), toolkit::MsgType::Warning,
                toolkit::Button::OK | toolkit::Button::Cancel) != toolkit::mrOk) {
            return false;
        }
        QString start = problem.folder;
        while (!start.isEmpty() && !QFileInfo(start).isDir()) {
            start = QFileInfo(start).absolutePath() == start ? QString()
                                                             : QFileInfo(start).absolutePath();
        }
        const QString folder =
            toolkit::dialogs().ChooseFolder(start.isEmpty() ? QDir::homePath() : start);
        if (folder.isEmpty()) {
            return false;
        }
        if (data::holdsDatabase(folder)) {
            data::useDataFolder(folder, false);
            continue;  // checked again: the folder is read as the alias now names it
        }
        const QString question =
            i18n::textFor(language, u"HovedFormTexts", u"NoDatabaseThere",
                          QStringLiteral("Mappen %1 indeholder ingen Verdamo-database.\n\rVil "
                                         "du oprette en ny, tom database i den?"))
                .arg(folder);
        if (toolkit::dialogs().MessageDlg(question, toolkit::MsgType::Confirmation,
                                          toolkit::Button::Yes | toolkit::Button::No) ==
            toolkit::mrYes) {
            data::useDataFolder(folder, true);
        }
    }
}

void THovedForm::announceReadOnly() {
    if (!DM->ConfigTable->readOnly()) {
        return;
    }
    toolkit::dialogs().MessageDlg(
        i18n::text(u"HovedFormTexts", u"ReadOnlyFolder",
                   QStringLiteral("Datamappen %1 er skrivebeskyttet.\n\rDu kan se dine data, "
                                  "men intet kan gemmes, før der igen kan skrives i mappen."))
            .arg(data::dataFolder()),
        toolkit::MsgType::Information, toolkit::Button::OK);
}

void THovedForm::setHelpPage(const QString& page) {
    ui->Help->setToolTip(page);
    // The program has no web site: the about window's link leads to its help, shown by the
    // page's own title rather than a file address too long for the line.
    AboutBox1->setUrl(QUrl::fromLocalFile(page).toString());
    AboutBox1->setUrlCaption(helpPageTitle(page));
}

QString THovedForm::helpPageTitle(const QString& page) {
    QFile file(page);
    if (file.open(QIODevice::ReadOnly)) {
        const QString html = QString::fromUtf8(file.read(4096));
        static const QRegularExpression title(QStringLiteral("<title>([^<]*)</title>"),
                                              QRegularExpression::CaseInsensitiveOption);
        const QString found = title.match(html).captured(1).trimmed();
        if (!found.isEmpty()) {
            return found;
        }
    }
    return QFileInfo(page).fileName();
}

int THovedForm::ActiveLanguage() const {
    return QLanguageSource1->ActiveLanguage();
}

QList<QAction*> THovedForm::languageEntries() const {
    return ui->Sprog1->actions();
}

void THovedForm::buildLanguageMenu() {
    if (!m_generated.isEmpty()) {
        return;
    }
    auto* group = new QActionGroup(this);
    group->setExclusive(true);
    QAction* before = ui->Sprog1->actions().value(0);
    // Each entry gets the first letter of its name that no entry of the menu has yet, so
    // Alt and a letter picks one language, not two.
    QSet<QChar> taken;
    for (const QAction* a : ui->Sprog1->actions()) {
        const QString t = a->text();
        const qsizetype amp = t.indexOf(u'&');
        if (amp >= 0 && amp + 1 < t.size()) {
            taken.insert(t.at(amp + 1).toLower());
        }
    }
    const int count = int(QLanguageSource1->Languages().size());
    for (int index = -1; index < count; ++index) {
        QString caption = QLanguageSource1->GetLanguageName(index);
        for (qsizetype i = 0; i < caption.size(); ++i) {
            if (caption.at(i).isLetter() && !taken.contains(caption.at(i).toLower())) {
                taken.insert(caption.at(i).toLower());
                caption.insert(i, u'&');
                break;
            }
        }
        auto* entry = new QAction(caption, this);
        entry->setObjectName(QStringLiteral("LanguageItem%1").arg(index + 2));
        entry->setData(index + 2);  // the tag
        entry->setCheckable(true);
        group->addAction(entry);
        connect(entry, &QAction::triggered, this, &THovedForm::LanguageItemClick);
        ui->Sprog1->insertAction(before, entry);
        m_generated << entry;
    }
    m_generated.value(ActiveLanguage() + 1)->setChecked(true);
}

void THovedForm::applyStoredLanguage() {
    // A stored index out of range is refused here; what follows is then left as it was. No
    // language stored yet is the desktop's.
    const int stored = DM->ConfigTable->FieldByName(QStringLiteral("Sprog")).IsNull()
                           ? i18n::desktopLanguage()
                           : data::readSetting(QStringLiteral("Sprog"));
    m_languageRead = true;
    QLanguageSource1->SetActiveLanguage(stored);
    showLanguage();
}

// Qt's own dialogs and buttons speak the language too, where Qt has a translation for it.
void THovedForm::followInQtDialogs() {
    QCoreApplication::removeTranslator(&m_qtTranslator);
    if (m_qtTranslator.load(QStringLiteral("qtbase_") + i18n::languageCode(ActiveLanguage()),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qtTranslator);
    }
}

// Everything that shows which language is active follows it, whichever entry chose it: the
// label, the check mark, the help page and its caption.
void THovedForm::showLanguage() {
    followInQtDialogs();
    ui->Sproget->setText(QLanguageSource1->GetLanguageName(ActiveLanguage()));
    ui->Sproget->adjustSize();
    setWindowTitle(QStringLiteral("Verdamo"));
    if (QAction* entry = m_generated.value(ActiveLanguage() + 1)) {
        entry->setChecked(true);
    }
    setHelpPage(helpPageOf(ActiveLanguage()));
    ui->Help->setText(
        i18n::textFor(ActiveLanguage(), u"HovedForm", u"Help.Caption", m_designHelpCaption));
    // Captions of another length: the window may not be made smaller than they fit.
    toolkit::setMinimumWithinScreen(this, FormResizer1->minimumSize());
    reportUnreadableLanguageFile();
}

// A language that shows Danish because its file is missing or cannot be read says so, once
// per file and run, rather than leave the user wondering.
void THovedForm::reportUnreadableLanguageFile() {
    const i18n::TQLanguageFile* file = QLanguageSource1->LanguageFile();
    if (!file || m_reportedFiles.contains(file->FileName())) {
        return;
    }
    QString text;
    if (!QFileInfo::exists(file->FileName())) {
        text = i18n::text(u"HovedFormTexts", u"LanguageFileMissing",
                          QStringLiteral("Sprogfilen %1 findes ikke, så programmet viser sine "
                                         "danske tekster."))
                   .arg(QDir::toNativeSeparators(file->FileName()));
    } else if (!file->ReadError().isEmpty()) {
        text = i18n::text(u"HovedFormTexts", u"LanguageFileUnreadable",
                          QStringLiteral("Sprogfilen %1 kan ikke læses helt (%2).\n\rHvor den "
                                         "ikke kan læses, viser programmet sine danske tekster."))
                   .arg(QDir::toNativeSeparators(file->FileName()), file->ReadError());
    } else {
        return;
    }
    m_reportedFiles.insert(file->FileName());
    toolkit::dialogs().MessageDlg(text, toolkit::MsgType::Warning, toolkit::Button::OK);
}

void THovedForm::LanguageItemClick() {
    if (auto* entry = qobject_cast<QAction*>(sender())) {
        entry->setChecked(true);
        const int tag = entry->data().toInt();
        if (tag >= 1 && tag <= int(QLanguageSource1->Languages().size()) + 1) {
            QLanguageSource1->SetActiveLanguage(tag - 2);
        }
    }
    showLanguage();
    data::writeSettings({{QStringLiteral("Sprog"), QString::number(ActiveLanguage())}});
    m_languageRead = true;  // chosen now: closing keeps it
}

// The design entries change the language as the generated ones do; the choice is stored
// when the window closes.
void THovedForm::designLanguage(int index) {
    QLanguageSource1->SetActiveLanguage(index);
    m_languageRead = true;
    showLanguage();
}

void THovedForm::DanskClick() {
    designLanguage(-1);
}
void THovedForm::EnglishClick() {
    designLanguage(0);
}
void THovedForm::NorskClick() {
    designLanguage(1);
}
void THovedForm::SvenskClick() {
    designLanguage(2);
}
void THovedForm::DeutschClick() {
    designLanguage(3);
}

void THovedForm::resizeEvent(QResizeEvent* e) {
    QMainWindow::resizeEvent(e);
    if (!FormResizer1) {
        return;
    }
    FormResizer1->ResizeAll();
    // The ivy is drawn afresh for a new box (it takes a few milliseconds; the title draws
    // itself), and the glyphs of the big buttons shrink with them so their captions stay
    // readable.
    if (ui->Image1->pixmap().deviceIndependentSize().toSize() != ui->Image1->size()) {
        ui->Image1->setPixmap(artwork::ivyVine(ui->Image1->size(), devicePixelRatioF()));
    }
    for (auto* b : {ui->SpeedButton1, ui->SpeedButton2, ui->SpeedButton4, ui->SpeedButton5}) {
        const int side = std::clamp(b->height() * 32 / 66, 8, 64);
        b->setIconSize(QSize(side, side));
    }
}

QString THovedForm::helpPageOf(int language, const QString& folder) {
    static const char* const folders[] = {"Dansk", "Engelsk", "Norsk", "Svensk", "Tysk"};
    const int i = (language >= -1 && language <= 3) ? language + 1 : 0;
    const QString page =
        folder + QStringLiteral("Help/%1/index.html").arg(QLatin1String(folders[i]));
    // A language without its page gets the Danish one, which every installation has.
    if (i != 0 && !QFileInfo::exists(page)) {
        return helpPageOf(-1, folder);
    }
    return page;
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
    // Only what was read at start, or chosen since, is written back: a start that failed
    // half-way must not put its defaults over the stored language or size.
    const QSize size = toolkit::outerSize(this);
    if (m_languageRead) {
        data::writeSettings({{QStringLiteral("Sprog"), ActiveLanguage()}});
    }
    if (m_sizeRead) {
        data::writeSettings(
            {{QStringLiteral("H_Main"), size.height()}, {QStringLiteral("W_Main"), size.width()}});
    }
    // The data-location notice asks for a backup every day; most users never make one.
    backup::dailyBackupAtClose(ActiveLanguage());
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
    // The plants as they are now, each time the chooser is shown.
    ui->DBLookupComboBox1->reload();
    ui->SpeedButton1->hide();
    ui->Label1->show();
    ui->DBLookupComboBox1->show();
    ui->SpeedButton3->show();
    ui->DBLookupComboBox1->setFocus();
}

void THovedForm::DBLookupComboBox1Click() {
    // The choice has made the plant picked current.
    toolkit::showModal<plants::TRegForm>();
    hideChooser();
}

// The help's own shortcut serves this window; over a modal window F1 is caught here.
bool THovedForm::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::KeyPress && QApplication::activeModalWidget()) {
        const auto* key = static_cast<QKeyEvent*>(e);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            HelpClick();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, e);
}

void THovedForm::SpeedButton3Click() {
    // The data module gives the new plant its number as the row is started.
    DM->PlanteTable->Insert();
    toolkit::showModal<plants::TRegForm>();
    hideChooser();
}

void THovedForm::SpeedButton2Click() {
    hideChooser();
    toolkit::showModal<overview::TOversigtForm>();
}

void THovedForm::SpeedButton5Click() {
    hideChooser();
    toolkit::showModal<garden::THaveForm>(QLanguageSource1);
}

void THovedForm::SpeedButton4Click() {
    close();
}

void THovedForm::AfslutClick() {
    close();
}

void THovedForm::Definitioner1Click() {
    toolkit::showModal<lists::TDefForm>(QLanguageSource1);
}

void THovedForm::Navne1Click() {
    toolkit::showModal<lists::TNavneForm>(QLanguageSource1);
}

void THovedForm::Udgifter1Click() {
    toolkit::showModal<costs::TUdgiftForm>(QLanguageSource1);
}

void THovedForm::Dataplacering1Click() {
    toolkit::dialogs().ShowMessage(data::dataLocationNotice(ActiveLanguage()));
}

void THovedForm::Sikkerhedskopi1Click() {
    backup::takeBackup(ActiveLanguage());
}

void THovedForm::Gendan1Click() {
    backup::restoreFromBackup(ActiveLanguage(), DM);
}

void THovedForm::Eksporter1Click() {
    backup::exportToCsv(ActiveLanguage(), DM);
}

void THovedForm::Importer1Click() {
    backup::importOldTables(ActiveLanguage(), DM);
}

void THovedForm::HelpClick() {
    // A page that is not there opens nothing: say so rather than leave the click unanswered.
    if (!QFileInfo(helpPage()).isFile()) {
        toolkit::dialogs().MessageDlg(
            i18n::text(u"HovedFormTexts", u"NoHelp",
                       QStringLiteral("Der er ingen hjælp installeret: siden %1 findes ikke."))
                .arg(QDir::toNativeSeparators(helpPage())),
            toolkit::MsgType::Information, toolkit::Button::OK);
        return;
    }
    QDesktopServices::openUrl(QUrl::fromLocalFile(helpPage()));
}

QString THovedForm::screenSizeNotice() {
    return i18n::text(
        u"HovedFormTexts", u"ScreenSizes",
        QStringLiteral(
            "SKÆRMSTØRRELSER\n\r\n\rI dag findes der et utal af forskellige skærmstørrelser og "
            "skærmopløsninger. Vinduerne i dette program kan tilpasse sig den skærm og "
            "opløsning, som du anvender på denne PC.  Placér musen på en af de fire "
            "vinduesrammer, hold venstre musetast nede og træk rammen større eller mindre.  "
            "Indholdet i vinduet vil automatisk tilpasse sig vinduets størrelse. "
            "\n\r\n\rBEMÆRK\n\rDen størrelse på vinduet, som du har valgt, vil være den "
            "størrelse, som vinduet åbnes med, næste gang du åbner dette program!"));
}

void THovedForm::Omskrmstrrelser1Click() {
    toolkit::dialogs().MessageDlg(screenSizeNotice(), toolkit::MsgType::Information,
                                  toolkit::Button::OK);
}

void THovedForm::InfoClick() {
    AboutBox1->Execute();
}

}  // namespace app
