// SPDX-License-Identifier: GPL-3.0-or-later
#include "billedform.h"

#include <QEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "data/dm.h"
#include "ui_billedform.h"

namespace plants {

namespace {
constexpr int DesignWidth = 1024;
constexpr int DesignHeight = 768;
}  // namespace

TBilledForm::TBilledForm(QWidget* parent)
    : QDialog(parent), ui(std::make_unique<Ui::TBilledForm>()) {
    ui->setupUi(this);
    // A normal sizeable frame, with the minimise and maximise boxes.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
    setModal(true);
    auto* image = new TImage;
    image->setObjectName(QStringLiteral("Image1"));
    setupPictureBox(ui->ScrollBox1, image);
    // A double-click switches between the picture fitted to the window and its natural size.
    connect(image, &TImage::DoubleClick, this, [] { setPicturesFit(!picturesFit()); });
    FormCreate();
}

TBilledForm::~TBilledForm() = default;

TImage* TBilledForm::image() const {
    return findChild<TImage*>(QStringLiteral("Image1"));
}

void TBilledForm::setRegister(Register reg, const store::Table* table) {
    m_register = reg;
    m_table = table;
}

// Scales from the design screen of 1024 pixels across; the scroll box fills the window and
// the picture fits it or keeps its natural size, so only the window's own size changes.
void TBilledForm::FormCreate() {
    resize(DesignWidth, DesignHeight);
    const QScreen* s = screen();
    if (!s) {
        return;
    }
    const QSize screenSize = s->geometry().size();
    if (screenSize.width() != DesignWidth) {
        resize(screenSize.width() * DesignWidth / DesignWidth,
               screenSize.height() * DesignHeight / DesignHeight);
    }
    move(s->availableGeometry().center() - rect().center());
}

void TBilledForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    if (!e->spontaneous()) {
        FormShow();
    }
}

void TBilledForm::FormShow() {
    const store::Table* table = m_table;
    if (!table && data::DM) {
        table = m_register == Register::Plants ? data::DM->PlanteTable : data::DM->HaveTable;
    }
    if (table) {
        loadPicture(image(), m_register, *table);
    }
}

void TBilledForm::changeEvent(QEvent* e) {
    QDialog::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && isActiveWindow()) {
        FormActivate();
    }
}

void TBilledForm::FormActivate() {
    if (!isMaximized()) {
        // Not from inside the activation itself: the window manager is still busy with it.
        QTimer::singleShot(0, this, [this] { showMaximized(); });
    }
}

}  // namespace plants
