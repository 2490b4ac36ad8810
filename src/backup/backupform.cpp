// SPDX-License-Identifier: GPL-3.0-or-later
#include "backupform.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

#include "archive.h"
#include "functions.h"
#include "i18n/localizer.h"
#include "places.h"
#include "store/format.h"
#include "texts.h"
#include "toolkit/dialogs.h"
#include "ui_backupform.h"

namespace backup {

TSikkerhedskopiForm::TSikkerhedskopiForm(i18n::TQCustomLanguageSource* source, int language,
                                         QWidget* parent)
    : toolkit::Form(parent), ui(std::make_unique<Ui::TSikkerhedskopiForm>()), m_language(language) {
    ui->setupUi(this);
    connect(ui->VaelgButton, &QPushButton::clicked, this, &TSikkerhedskopiForm::VaelgButtonClick);
    connect(ui->FjernButton, &QPushButton::clicked, this, &TSikkerhedskopiForm::FjernButtonClick);
    connect(ui->GemButton, &QPushButton::clicked, this, &TSikkerhedskopiForm::GemButtonClick);
    connect(ui->LukButton, &QPushButton::clicked, this, &QWidget::close);
    QFormLocalizer1 = new i18n::TQFormLocalizer(this);
    QFormLocalizer1->setObjectName(QStringLiteral("QFormLocalizer1"));
    QFormLocalizer1->SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint")});
    QFormLocalizer1->SetSource(source);
    showState();
    ui->GemButton->setFocus();
}

TSikkerhedskopiForm::~TSikkerhedskopiForm() = default;

void TSikkerhedskopiForm::showState() {
    const LastBackups last = lastBackups();
    const auto when = [&](const QDateTime& at, const QString& folder) {
        if (!at.isValid()) {
            return text(Text::Never, m_language);
        }
        return text(Text::LastAt, m_language)
            .arg(store::formatDate(at.date()) + QLatin1Char(' ') +
                     at.time().toString(QStringLiteral("HH:mm")),
                 QDir::toNativeSeparators(folder));
    };
    ui->SenesteLabel->setText(when(last.last, last.lastFolder));
    ui->UdenforLabel->setText(when(last.outside, last.outsideFolder));
    const QString place = secondPlace();
    if (place.isEmpty()) {
        ui->StedEdit->setText(text(Text::NoPlace, m_language));
    } else if (!QFileInfo(place).isDir()) {
        ui->StedEdit->setText(
            text(Text::PlaceAbsent, m_language).arg(QDir::toNativeSeparators(place)));
    } else {
        ui->StedEdit->setText(QDir::toNativeSeparators(place));
    }
    ui->StedEdit->setCursorPosition(0);
    ui->FjernButton->setEnabled(!place.isEmpty());
}

void TSikkerhedskopiForm::VaelgButtonClick() {
    const QString current = secondPlace();
    const QString folder = toolkit::dialogs().ChooseFolder(
        !current.isEmpty() && QFileInfo(current).isDir() ? current : QDir::homePath());
    if (folder.isEmpty()) {
        return;
    }
    const QString refused = refusedSecondPlace(folder, m_language);
    if (!refused.isEmpty()) {
        toolkit::dialogs().MessageDlg(refused, toolkit::MsgType::Error, toolkit::Button::OK);
        return;
    }
    setSecondPlace(folder);
    showState();
}

void TSikkerhedskopiForm::FjernButtonClick() {
    setSecondPlace(QString());
    showState();
}

void TSikkerhedskopiForm::GemButtonClick() {
    if (saveBackupAs(m_language)) {
        showState();
    }
}

}  // namespace backup
