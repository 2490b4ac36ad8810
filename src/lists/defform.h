// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "toolkit/form.h"

namespace Ui {
class TDefForm;
}
namespace i18n {
class TQCustomLanguageSource;
class TQFormLocalizer;
}  // namespace i18n
namespace toolkit {
class DBGrid;
class DBNavigator;
}  // namespace toolkit

namespace lists {

// The two short lists the plant register chooses from: plant families and plant types,
// each kept in its own grid, edited in place.
class TDefForm final : public toolkit::Form {
    Q_OBJECT

public:
    // Translated from the main window's language source.
    explicit TDefForm(i18n::TQCustomLanguageSource* source, QWidget* parent = nullptr);
    ~TDefForm() override;

    toolkit::DBGrid* DBGrid1() const;
    toolkit::DBGrid* DBGrid2() const;
    toolkit::DBNavigator* DBNavigator1() const;
    toolkit::DBNavigator* DBNavigator2() const;

protected:
    void showEvent(QShowEvent* e) override;
    void FormClose() override;

private:
    std::unique_ptr<Ui::TDefForm> ui;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    bool m_placed = false;
};

}  // namespace lists
