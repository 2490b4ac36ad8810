// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QHash>
#include <QRect>
#include <memory>

class QLabel;

namespace Ui {
class TAboutWnd;
}

namespace widgets {

class TAboutBox;

// The about window, built from the box's properties. Its own texts are the same in every
// language; only the box's Warning is translated, by the owner's localizer.
class TAboutWnd final : public QDialog {
    Q_OBJECT

public:
    explicit TAboutWnd(TAboutBox* box, QWidget* parent = nullptr);
    ~TAboutWnd() override;

    // Shows the version line for a dotted version; "Version:" only when there is one.
    void showVersion(const QString& version);

public Q_SLOTS:
    void lblUrlClick();
    void btnSysInfoClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void placeControls();
    void fitToText(QLabel* label);

    std::unique_ptr<Ui::TAboutWnd> ui;
    QSize m_designSize;
    QHash<QWidget*, QRect> m_design;
};

}  // namespace widgets
