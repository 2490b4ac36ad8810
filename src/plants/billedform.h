// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <memory>

#include "pictures.h"

namespace Ui {
class TBilledForm;
}

namespace plants {

// The picture viewer: one record's picture fitted to the window, or at its natural size with
// scroll bars (a double-click switches), maximised whenever it becomes active.
class TBilledForm final : public QDialog {
    Q_OBJECT

public:
    explicit TBilledForm(QWidget* parent = nullptr);
    ~TBilledForm() override;

    // The register and table whose current record the viewer shows; null for the data
    // module's table of that register.
    void setRegister(Register reg, const store::Table* table = nullptr);
    Register register_() const { return m_register; }
    TImage* image() const;

protected:
    void showEvent(QShowEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    void FormActivate();

    std::unique_ptr<Ui::TBilledForm> ui;
    Register m_register = Register::Plants;
    const store::Table* m_table = nullptr;
};

}  // namespace plants
