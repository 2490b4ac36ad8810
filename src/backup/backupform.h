// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "toolkit/form.h"

namespace Ui {
class TSikkerhedskopiForm;
}
namespace i18n {
class TQCustomLanguageSource;
class TQFormLocalizer;
}  // namespace i18n

namespace backup {

// "Sikkerhedskopi": when the last backups were made, here and outside the data folder, the
// second place for backups, and saving a backup now.
class TSikkerhedskopiForm final : public toolkit::Form {
    Q_OBJECT

public:
    // Translated from the main window's language source; the messages in language.
    TSikkerhedskopiForm(i18n::TQCustomLanguageSource* source, int language,
                        QWidget* parent = nullptr);
    ~TSikkerhedskopiForm() override;

    void VaelgButtonClick();
    void FjernButtonClick();
    void GemButtonClick();

private:
    void showState();

    std::unique_ptr<Ui::TSikkerhedskopiForm> ui;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    int m_language;
};

}  // namespace backup
