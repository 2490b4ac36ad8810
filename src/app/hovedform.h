#pragma once

#include <QMainWindow>
#include <memory>

namespace Ui {
class THovedForm;
}

namespace app {

// The home screen: opens every table when first shown, leads to every other window, and
// stores the language and its size when it closes.
class THovedForm final : public QMainWindow {
    Q_OBJECT

public:
    explicit THovedForm(QWidget* parent = nullptr);
    ~THovedForm() override;

    // -1 Danish, 0 English, 1 Norwegian, 2 Swedish, 3 German.
    int ActiveLanguage() const { return m_language; }
    bool chooserShown() const;
    // The page "Hjælp" opens.
    QString helpPage() const;

    static QString screenSizeNotice();
    static QString programFolder();
    static QString helpPageOf(int language);

public Q_SLOTS:
    void SpeedButton1Click();
    void DBLookupComboBox1Click();
    void SpeedButton3Click();
    void SpeedButton2Click();
    void SpeedButton5Click();
    void SpeedButton4Click();
    void AfslutClick();
    void Definitioner1Click();
    void Navne1Click();
    void Dataplacering1Click();
    void HelpClick();
    void Omskrmstrrelser1Click();
    void InfoClick();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void hideChooser();
    void setOuterSize(int width, int height);
    QSize outerSize() const;

    std::unique_ptr<Ui::THovedForm> ui;
    bool m_shown = false;
    int m_language = -1;
};

}  // namespace app
