// SPDX-License-Identifier: GPL-3.0-or-later
#include "defform.h"

#include <QScreen>

#include "data/dm.h"
#include "i18n/localizer.h"
#include "listsupport.h"
#include "toolkit/grid.h"
#include "toolkit/navigator.h"
#include "ui_defform.h"

namespace lists {

using data::DM;
using toolkit::NavButton;

TDefForm::TDefForm(i18n::TQCustomLanguageSource* source, QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::TDefForm>()) {
    ui->setupUi(this);
    setSizeGripEnabled(true);
    ui->DBGrid1->setDataSource(DM->FamilieSource);
    ui->DBGrid1->setColumns({{QStringLiteral("Familie"), QStringLiteral("Plantefamilie")}});
    ui->DBGrid2->setDataSource(DM->TypeSource);
    ui->DBGrid2->setColumns({{QStringLiteral("Plantetype"), QStringLiteral("Plantetype")}});
    for (toolkit::DBGrid* grid : {ui->DBGrid1, ui->DBGrid2}) {
        grid->setEditing(true);
        fillWidth(grid);
    }
    // A blank family or type would show as an empty line in every family and type box.
    new EmptyEntryGuard(DM->FamilieTable, {QStringLiteral("Familie")}, this);
    new EmptyEntryGuard(DM->TypeTable, {QStringLiteral("Plantetype")}, this);
    const toolkit::NavButtons shown = NavButton::Insert | NavButton::Delete | NavButton::Post;
    ui->DBNavigator1->setDataSource(DM->FamilieSource);
    ui->DBNavigator1->setVisibleButtons(shown);
    ui->DBNavigator2->setDataSource(DM->TypeSource);
    ui->DBNavigator2->setVisibleButtons(shown);

    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames(
        {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Columns")});
    QFormLocalizer1->SetSource(source);
}

TDefForm::~TDefForm() = default;

toolkit::DBGrid* TDefForm::DBGrid1() const {
    return ui->DBGrid1;
}
toolkit::DBGrid* TDefForm::DBGrid2() const {
    return ui->DBGrid2;
}
toolkit::DBNavigator* TDefForm::DBNavigator1() const {
    return ui->DBNavigator1;
}
toolkit::DBNavigator* TDefForm::DBNavigator2() const {
    return ui->DBNavigator2;
}

void TDefForm::showEvent(QShowEvent* e) {
    toolkit::Form::showEvent(e);
    if (!m_placed) {
        m_placed = true;
        if (QScreen* s = screen()) {
            const QRect frame = frameGeometry();
            move(s->availableGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2));
        }
    }
}

// A name typed but not yet posted would otherwise stay pending on the shared table after
// the window is gone, and be lost or posted later by another window. A duplicate keeps the
// window open (the warning shown) for correction.
void TDefForm::FormClose() {
    finishPending(ui->DBGrid1);
    finishPending(ui->DBGrid2);
}

}  // namespace lists
