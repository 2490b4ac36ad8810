// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "costs.h"
#include "toolkit/form.h"

namespace Ui {
class TUdgiftForm;
}
namespace i18n {
class TQCustomLanguageSource;
class TQFormLocalizer;
}  // namespace i18n
namespace resize {
class TFormResizer;
}

namespace costs {

class CostChart;
class SumModel;

// What the garden costs: the plants bought and the materials of the garden works, by year
// with a chart, by plant family and type, and by garden work and category, over a range of
// years; printed and exported from here. Read from the whole tables when it opens, whatever
// the other windows filter. Opened modally from the main window; it keeps its size.
class TUdgiftForm final : public toolkit::Form {
    Q_OBJECT

public:
    // Translated from the main window's language source.
    explicit TUdgiftForm(i18n::TQCustomLanguageSource* source, QWidget* parent = nullptr);
    ~TUdgiftForm() override;

    const Overview& overview() const { return m_overview; }
    CostChart* chart() const;
    SumModel* model(int view) const;  // 1 years, 2 families, 3 types, 4 works, 5 categories

    // The size the window opens at, kept per user outside the settings record.
    static constexpr const char* SizeKey = "UdgiftForm";

public Q_SLOTS:
    void ComboBox1Change();
    void ComboBox2Change();
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();

protected:
    void FormShow() override;
    void FormClose() override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void FormCreate();
    void fillYears();
    void showSums();
    int yearOf(int comboBox) const;

    std::unique_ptr<Ui::TUdgiftForm> ui;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    QList<SumModel*> m_models;
    CostData m_data;
    Overview m_overview;
    bool m_filling = false;
};

}  // namespace costs
