// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QMainWindow>
#include <QSet>
#include <QTranslator>
#include <future>
#include <memory>

class QAction;

namespace Ui {
class THovedForm;
}
namespace i18n {
class TQLanguageSource;
class TQFormLocalizer;
}  // namespace i18n
namespace resize {
class TFormResizer;
}
namespace widgets {
class TAboutBox;
class TJustOne;
}  // namespace widgets
namespace data {
struct DataFolderProblem;
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
    int ActiveLanguage() const;
    i18n::TQLanguageSource* languageSource() const { return QLanguageSource1; }
    widgets::TJustOne* guard() const { return JustOne1; }
    // The language entries of the menu: five generated radio entries, then the design ones.
    QList<QAction*> languageEntries() const;
    bool chooserShown() const;
    // The page "Hjælp" opens.
    QString helpPage() const;

    static QString screenSizeNotice();
    // What is wrong with the data folder, and what the user may do, in a language.
    static QString dataFolderProblemText(const data::DataFolderProblem& problem, int language);
    static QString programFolder();
    // The help page of a language, the Danish one when the language has none; in the
    // program's folder, or in the given one.
    static QString helpPageOf(int language, const QString& folder = programFolder());
    // The name the about window's link shows for a help page: its title.
    static QString helpPageTitle(const QString& page);

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
    void Udgifter1Click();
    void Dataplacering1Click();
    void Sikkerhedskopi1Click();
    void Gendan1Click();
    void Eksporter1Click();
    void Importer1Click();
    void HelpClick();
    void Omskrmstrrelser1Click();
    void InfoClick();
    void LanguageItemClick();
    void DanskClick();
    void EnglishClick();
    void NorskClick();
    void SvenskClick();
    void DeutschClick();

Q_SIGNALS:
    // The database has been checked after the start, and whatever that called for is done.
    void startChecked();

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void FormCreate();
    void FormShow();
    void openData();
    void beginStartCheck();
    void afterStartCheck();
    void FormClose();
    bool findDataFolder();
    void announceReadOnly();
    void hideChooser();
    void buildLanguageMenu();
    void applyStoredLanguage();
    void showLanguage();
    void designLanguage(int index);
    void reportUnreadableLanguageFile();
    void followInQtDialogs();
    void setHelpPage(const QString& page);

    std::unique_ptr<Ui::THovedForm> ui;
    bool m_shown = false;
    bool m_checkDue = false;
    bool m_damageOffered = false;
    std::future<QImage> m_ivyAhead;
    bool m_sizeRead = false;
    bool m_languageRead = false;
    i18n::TQLanguageSource* QLanguageSource1 = nullptr;
    i18n::TQFormLocalizer* QFormLocalizer1 = nullptr;
    resize::TFormResizer* FormResizer1 = nullptr;
    widgets::TAboutBox* AboutBox1 = nullptr;
    widgets::TJustOne* JustOne1 = nullptr;
    QList<QAction*> m_generated;
    QTranslator m_qtTranslator;
    QString m_designHelpCaption;
    QSet<QString> m_reportedFiles;
};

}  // namespace app
