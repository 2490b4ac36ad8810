// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QMap>
#include <QWidget>

#include "datasource.h"

class QToolButton;

namespace toolkit {

enum class NavButton {
    First = 1,
    Prior = 2,
    Next = 4,
    Last = 8,
    Insert = 16,
    Delete = 32,
    Edit = 64,
    Post = 128,
    Cancel = 256,
    Refresh = 512
};
Q_DECLARE_FLAGS(NavButtons, NavButton)

// A bar of table buttons, of which only the visible set is shown.
class DBNavigator final : public QWidget {
    Q_OBJECT

public:
    explicit DBNavigator(QWidget* parent = nullptr);

    void setDataSource(DataSource* source);
    void setVisibleButtons(NavButtons buttons);
    NavButtons VisibleButtons() const { return m_visible; }
    void setButtonHint(NavButton b, const QString& hint);
    QToolButton* button(NavButton b) const { return m_buttons.value(b); }
    // Runs what the button does, as a click does.
    void BtnClick(NavButton b);

Q_SIGNALS:
    void Click(toolkit::NavButton button);

protected:
    void resizeEvent(QResizeEvent* e) override;

private:
    void layoutButtons();
    void updateEnabled();

    DataSource* m_source = nullptr;
    NavButtons m_visible;
    QMap<NavButton, QToolButton*> m_buttons;
    QList<QMetaObject::Connection> m_connections;
};

}  // namespace toolkit

Q_DECLARE_OPERATORS_FOR_FLAGS(toolkit::NavButtons)
