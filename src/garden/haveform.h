// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <memory>

#include "toolkit/form.h"

namespace Ui {
class THaveForm;
}
namespace i18n {
class TQCustomLanguageSource;
class TQFormLocalizer;
}  // namespace i18n
namespace resize {
class TFormResizer;
}
namespace plants {
class PictureUndo;
}
class QRadioButton;

namespace garden {

// The register of garden works: a grid over the whole register with the current work's
// fields beside it, three filters, the picture, and a panel with the work's materials and
// what they cost. Opened modally from the main window; the filter it sets stays on the
// shared table after it closes.
class THaveForm final : public toolkit::Form {
    Q_OBJECT

public:
    // The source is the main window's: it picks the language of texts and messages.
    explicit THaveForm(i18n::TQCustomLanguageSource* source, QWidget* parent = nullptr);
    ~THaveForm() override;

    // -1 Danish, 0 English, 1 Norwegian, 2 Swedish, 3 German.
    int ActiveLanguage() const;
    bool materialsShown() const;
    // The total of the materials as shown under the panel.
    QString totalText() const;
    // Which radio button is checked: 1 to 3, or 0 for none.
    int checkedSelection() const;
    // Whether "Fortryd" has anything to put back: a change of the work, of its material
    // being typed, or of its picture.
    bool hasChanges() const;

    // The messages and captions of code, in a language index's language.
    static QString nameMissingText(int language);
    static QString deleteQuestion(int language, const QString& work);
    static QString materialDeleteQuestion(int language, const QString& material);
    static QString closeCaption(int language);
    // The toggle's open caption in the active language: the caption its localizer gives it,
    // read from the same place (the design's own in Danish).
    QString openCaption() const;
    // The filter texts of the two filtering radio buttons (1 and 2).
    static QString filterText(int selection);
    // Shortest form with up to 15 significant digits, the regional decimal separator, no
    // grouping: how the total is shown.
    static QString generalNumber(double value);

public Q_SLOTS:
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void Button5Click();
    void Button6Click();
    void Button7Click();
    void Button8Click();
    void Button9Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void SpeedButton3Click();
    void Image1Click();
    // "Fortryd": the work as it was stored, with its material and picture; a new work is
    // discarded and its number given back.
    void FortrydButtonClick();
    // Ctrl+S: the work, and the material being typed, saved now.
    void saveCurrent();

protected:
    void FormClose() override;
    void resizeEvent(QResizeEvent* e) override;

private:
    void FormCreate();
    void FormShow() override;
    void computeTotal();
    QString materialsGoneText() const;
    void placeTotal();
    void saveMaterial();
    void closePendingMaterial(bool workDiscarded);
    void setSelection(int selection);
    void discardNewWork();
    void showUndoState();
    void restoreKeyOrder() noexcept;
    void loadPicture();

    std::unique_ptr<Ui::THaveForm> ui;
    i18n::TQCustomLanguageSource* m_source;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    plants::PictureUndo* m_pictureUndo = nullptr;
    QString m_designOpenCaption;
};

}  // namespace garden
