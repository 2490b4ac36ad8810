// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutwnd.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QStandardPaths>
#include <QStyle>
#include <QUrl>

#include "aboutbox.h"
#include "desktop.h"
#include "i18n/texts.h"
#include "toolkit/dialogs.h"
#include "ui_aboutwnd.h"

namespace widgets {

namespace {

QString withName(QString design, const QString& name) {
    return design.replace(QLatin1String("%s"), name);
}

// The wait cursor for as long as a desktop program is being started.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

TAboutWnd::TAboutWnd(TAboutBox* box, QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TAboutWnd>()) {
    ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_designSize = size();
    for (QWidget* w : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_design.insert(w, w->geometry());
    }

    // No localizer of its own: the texts are read in the active language as it opens.
    const QString name = box ? box->AppName() : QString();
    setWindowTitle(withName(i18n::text(u"AboutTexts", u"Caption", windowTitle()), name));
    ui->lblAppName->setText(withName(ui->lblAppName->text(), name));
    ui->lblVersionInfo->setText(i18n::text(u"AboutTexts", u"Version", ui->lblVersionInfo->text()));
    ui->btnSysInfo->setText(i18n::text(u"AboutTexts", u"SystemInfo", ui->btnSysInfo->text()));
    ui->btnOk->setText(toolkit::Dialogs::captionOf(toolkit::Button::OK));
    if (box) {
        ui->lblCopyright->setText(box->Copyright());
        ui->lblWarning->setText(box->Warning());
        // The whole address, or the name given for it; the address is the hint either way.
        ui->lblUrl->setText(box->UrlCaption().isEmpty() ? box->Url() : box->UrlCaption());
        ui->lblUrl->setToolTip(box->Url());
    }

    QFont small = ui->lblWarning->font();
    small.setPixelSize(9);
    ui->lblWarning->setFont(small);
    QPalette blue = ui->lblUrl->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    ui->lblUrl->setPalette(blue);
    ui->lblUrl->installEventFilter(this);

    connect(ui->btnOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->btnSysInfo, &QPushButton::clicked, this, &TAboutWnd::btnSysInfoClick);

    fitToText(ui->lblAppName);
    fitToText(ui->lblUrl);
    // A copyright line that wraps takes the lines it needs, up to the link below it.
    QRect copyright = m_design.value(ui->lblCopyright);
    copyright.setHeight(
        std::min(std::max(copyright.height(), ui->lblCopyright->heightForWidth(copyright.width())),
                 m_design.value(ui->lblUrl).top() - copyright.top()));
    m_design.insert(ui->lblCopyright, copyright);
    // A caption wider than the design's button widens it leftwards, keeping the right edge.
    for (QPushButton* b : {ui->btnSysInfo, ui->btnOk}) {
        const int margin = b->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b);
        const int needed = b->fontMetrics().horizontalAdvance(b->text()) + 2 * margin + 4;
        QRect r = m_design.value(b);
        r.setLeft(std::min(r.left(), r.right() + 1 - needed));
        m_design.insert(b, r);
    }
    FormCreate();

    QRect image = m_design.value(ui->imgApp);
    int designW = image.width();
    int designH = image.height();
    const QPixmap picture = box ? box->Picture() : QPixmap();
    QSize img(designW, designH);
    if (!picture.isNull()) {
        ui->imgApp->setPixmap(picture);
        const QSize size = picture.deviceIndependentSize().toSize();
        img.setWidth(size.width());
        if (size.height() > img.height()) {
            img.setHeight(size.height());
        }
    } else {
        img = QSize(0, 0);
        designW = 0;
        designH = 0;
        ui->bvlOuter->hide();
    }
    const int dw = img.width() - designW;
    const int dh = img.height() - designH;
    image.setSize(img);
    m_design.insert(ui->imgApp, image);
    // The frame keeps its design margin round the picture: a pixel either side and above.
    QRect frame = m_design.value(ui->bvlOuter);
    frame.setWidth(img.width() + 2);
    frame.setHeight(std::max(frame.height(), img.height() + 1));
    m_design.insert(ui->bvlOuter, frame);

    setFixedSize(m_designSize.width() + dw, m_designSize.height() + dh);
    placeControls();

    const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        move(screen->availableGeometry().center() - rect().center());
    }
    ui->btnOk->setFocus();
}

TAboutWnd::~TAboutWnd() = default;

void TAboutWnd::FormCreate() {
    showVersion(QStringLiteral(VERDAMO_VERSION));
}

void TAboutWnd::showVersion(const QString& version) {
    const QString text = versionText(version);
    ui->lblVersion->setText(text);
    ui->lblVersionInfo->setVisible(!text.isEmpty());
    fitToText(ui->lblVersionInfo);
    // A desktop font wider than the design's may push "Version:" into the number.
    QRect number = m_design.value(ui->lblVersion);
    number.moveLeft(std::max(104, m_design.value(ui->lblVersionInfo).right() + 5));
    m_design.insert(ui->lblVersion, number);
    fitToText(ui->lblVersion);
    placeControls();
}

// One-line labels take the width of their text, as far as the right margin.
void TAboutWnd::fitToText(QLabel* label) {
    QRect r = m_design.value(label);
    const QSize hint = label->sizeHint();
    r.setWidth(std::min(hint.width(), m_designSize.width() - 8 - r.x()));
    r.setHeight(std::max(r.height(), hint.height()));
    m_design.insert(label, r);
}

// The design's anchors for a window grown by a larger picture: the upper text block and the
// buttons follow the right edge, the buttons and the lower block the bottom edge, the
// separator and the notice stretch with the width.
void TAboutWnd::placeControls() {
    const int dw = width() - m_designSize.width();
    const int dh = height() - m_designSize.height();
    for (auto it = m_design.cbegin(); it != m_design.cend(); ++it) {
        QWidget* w = it.key();
        QRect r = it.value();
        if (w == ui->lblAppName || w == ui->lblVersionInfo || w == ui->lblVersion ||
            w == ui->lblCopyright || w == ui->lblUrl) {
            r.translate(dw, 0);
        } else if (w == ui->btnSysInfo || w == ui->btnOk) {
            r.translate(dw, dh);
        } else if (w == ui->bvlSep || w == ui->lblWarning) {
            r.translate(0, dh);
            r.setWidth(r.width() + dw);
        }
        w->setGeometry(r);
    }
}

bool TAboutWnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui->lblUrl && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton &&
            ui->lblUrl->rect().contains(me->position().toPoint())) {
            lblUrlClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutWnd::lblUrlClick() {
    const QString url = ui->lblUrl->toolTip().trimmed();
    if (url.isEmpty()) {
        return;
    }
    WaitCursor wait;
    // A failure is not reported: the address is shown, the user can type it.
    QDesktopServices::openUrl(QUrl::fromUserInput(url));
}

void TAboutWnd::btnSysInfoClick() {
    bool started = false;
    {
        WaitCursor wait;
        for (const QString& name : desktop::systemInfoPrograms()) {
            const QString path = QStandardPaths::findExecutable(name);
            if (!path.isEmpty() && QProcess::startDetached(path, {})) {
                started = true;
                break;
            }
        }
    }
    if (!started) {
        toolkit::dialogs().MessageDlg(
            i18n::text(u"AboutTexts", u"NoSystemInfo",
                       QStringLiteral("Systeminformationen kunne ikke startes!")),
            toolkit::MsgType::Error, toolkit::Button::OK);
    }
}

}  // namespace widgets
