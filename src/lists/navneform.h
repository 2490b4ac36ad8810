// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <memory>

#include "toolkit/form.h"

namespace Ui {
class TNavneForm;
}
namespace i18n {
class TQCustomLanguageSource;
class TQFormLocalizer;
}  // namespace i18n
namespace overview {
class TEasyFind;
}

namespace lists {

// The catalogue of plant names (a Danish name and its Latin name) that the registration
// window copies names from: find, add, save and delete entries, and see how many there are.
class TNavneForm final : public toolkit::Form {
    Q_OBJECT

public:
    // Translated from the main window's language source, whose language also picks the
    // texts of the count and the delete question.
    explicit TNavneForm(i18n::TQCustomLanguageSource* source, QWidget* parent = nullptr);
    ~TNavneForm() override;

    // The count for a language; a null text for a language it has none for.
    static QString countText(int language, int count);
    // The delete question for a language; a null text for a language it has none for.
    static QString deleteQuestion(int language, const QString& name);

    overview::TEasyFind* EasyFind1() const { return m_easyFind; }

public Q_SLOTS:
    void Edit1Change();
    void Edit1KeyDown(int key);
    void RadioButton1Click();
    void RadioButton2Click();
    void Button2Click();
    void Button4Click();
    void Button3Click();
    void Button1Click();

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void FormClose() override;

private:
    void FormShow() override;
    int language() const;
    void writeCount();
    void searchKindChosen();

    std::unique_ptr<Ui::TNavneForm> ui;
    QPointer<i18n::TQCustomLanguageSource> m_source;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    overview::TEasyFind* m_easyFind = nullptr;
};

}  // namespace lists
