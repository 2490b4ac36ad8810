// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "toolkit/form.h"

namespace Ui {
class TRegForm;
}
namespace i18n {
class TQFormLocalizer;
}
namespace resize {
class TFormResizer;
}

namespace plants {

class TImage;
class PictureUndo;

// Enters and edits the plant that is current in the shared plant table; the caller starts
// a new plant or positions the table before opening it.
class TRegForm final : public toolkit::Form {
    Q_OBJECT

public:
    explicit TRegForm(QWidget* parent = nullptr);
    ~TRegForm() override;

    TImage* image() const { return Image1; }

    // The messages of closing, in the language index's language: a new plant without a
    // name, a stored plant whose name was erased, the first plant without a quantity.
    static QString nameMissingText(int language);
    static QString nameErasedText(int language);
    static QString quantityMissingText(int language);
    // Whether "Fortryd" has anything to put back: a change of the plant or its picture.
    bool hasChanges() const;

public Q_SLOTS:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Image1Click();
    // "Fortryd": the plant as it was stored, its picture too; a new plant is discarded.
    void FortrydButtonClick();
    // Ctrl+S: the plant is saved now, if it has a name (and the first plant its quantity).
    void saveCurrent();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void FormClose() override;

private:
    void FormCreate();
    void FormShow() override;
    void bindControls();
    bool nameGiven() const;
    bool quantityWanted() const;
    void discardNewPlant();
    void showUndoState();

    std::unique_ptr<Ui::TRegForm> ui;
    TImage* Image1 = nullptr;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    PictureUndo* m_pictureUndo = nullptr;
    QString m_openDialogFilter;
};

}  // namespace plants
