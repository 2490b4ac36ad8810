// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <memory>

#include "toolkit/form.h"

namespace Ui {
class TOversigtForm;
}
namespace i18n {
class TQFormLocalizer;
}
namespace resize {
class TFormResizer;
}

namespace overview {

class TEasyFind;

// The read-only list of every plant: narrowed by family, type and planting dates together
// through the shared plant table's filter, sorted by a click on a column title, counted,
// searched as the user types, printed, and opened in the registration window. Its selection
// and order reach nothing outside it: both go when the window closes.
class TOversigtForm final : public toolkit::Form {
    Q_OBJECT

public:
    explicit TOversigtForm(QWidget* parent = nullptr);
    ~TOversigtForm() override;

    TEasyFind* easyFind() const { return EasyFind1; }
    // "I alt N planter" (one: "I alt 1 plante") in the language of the index, N the plants
    // the table shows now.
    static QString countText(int language, int count);
    // The plant list's selection label: the family, type and date range the list is
    // narrowed to now, empty when it lists every plant.
    QString selectionLabel() const;
    // Family or type literal for the filter, quotes doubled as the filter reads them.
    static QString quoted(const QString& value);

public Q_SLOTS:
    void Edit1Enter();
    void Edit2Enter();
    void Edit1Change();
    void Edit2Change();
    void DBLookupComboBox1Click();
    void DBLookupComboBox2Click();
    void DateEdit1Exit();
    void DateEdit2Change();
    void RadioButton1Click();
    void Button2Click();
    void Button1Click();
    void DBGrid1DblClick();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void FormClose() override;

private:
    void FormCreate();
    void FormShow() override;
    void FormResize();
    void EditKeyDown(int key);
    void writeCount();
    void showAll();
    void applySelection();
    void setPlantFilter(const QString& text, bool on);
    void placeCount();

    std::unique_ptr<Ui::TOversigtForm> ui;
    TEasyFind* EasyFind1 = nullptr;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    void clearPlantFilter() noexcept;

    bool m_clearingDates = false;
    // What the list is narrowed to; each part narrows what the others leave.
    QString m_family;
    QString m_type;
    bool m_dates = false;
    QDate m_start;
    QDate m_end;
    QString m_label;
};

}  // namespace overview
