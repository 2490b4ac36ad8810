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

public Q_SLOTS:
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void Image1Click();

protected:
    void resizeEvent(QResizeEvent* e) override;
    void FormClose() override;

private:
    void FormCreate();
    void FormShow() override;
    void bindControls();
    bool nameGiven() const;
    void discardNewPlant();

    std::unique_ptr<Ui::TRegForm> ui;
    TImage* Image1 = nullptr;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    QString m_openDialogFilter;
};

}  // namespace plants
