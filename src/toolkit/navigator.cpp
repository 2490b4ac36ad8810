// SPDX-License-Identifier: GPL-3.0-or-later
#include "navigator.h"

#include <QToolButton>

#include "dialogs.h"

namespace toolkit {

namespace {

struct ButtonInfo {
    NavButton button;
    const char* glyph;
    const char* hint;
};

const ButtonInfo Infos[] = {
    {NavButton::First, "⏮", "Første"},   {NavButton::Prior, "◀", "Forrige"},
    {NavButton::Next, "▶", "Næste"},     {NavButton::Last, "⏭", "Sidste"},
    {NavButton::Insert, "+", "Indsæt"},  {NavButton::Delete, "−", "Slet"},
    {NavButton::Edit, "✎", "Rediger"},   {NavButton::Post, "✔", "Gem"},
    {NavButton::Cancel, "✖", "Fortryd"}, {NavButton::Refresh, "⟳", "Opdater"},
};

}  // namespace

DBNavigator::DBNavigator(QWidget* parent) : QWidget(parent) {
    for (const ButtonInfo& info : Infos) {
        auto* b = new QToolButton(this);
        b->setText(QString::fromUtf8(info.glyph));
        b->setToolTip(QString::fromUtf8(info.hint));
        b->setFocusPolicy(Qt::NoFocus);
        b->setObjectName(QStringLiteral("nav") + QString::fromUtf8(info.hint));
        const NavButton which = info.button;
        connect(b, &QToolButton::clicked, this, [this, which] { BtnClick(which); });
        m_buttons.insert(which, b);
    }
    setVisibleButtons(NavButtons(0x3ff));
}

void DBNavigator::setDataSource(DataSource* source) {
    for (const auto& c : std::as_const(m_connections)) {
        disconnect(c);
    }
    m_connections.clear();
    m_source = source;
    if (source) {
        for (auto sig : {&DataSource::stateChanged, &DataSource::recordChanged,
                         &DataSource::dataSetChanged, &DataSource::activeChanged}) {
            m_connections << connect(source, sig, this, &DBNavigator::updateEnabled);
        }
    }
    updateEnabled();
}

void DBNavigator::setVisibleButtons(NavButtons buttons) {
    m_visible = buttons;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it) {
        it.value()->setVisible(buttons.testFlag(it.key()));
    }
    layoutButtons();
}

void DBNavigator::setButtonHint(NavButton b, const QString& hint) {
    if (QToolButton* button = m_buttons.value(b)) {
        button->setToolTip(hint);
    }
}

void DBNavigator::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    layoutButtons();
}

void DBNavigator::layoutButtons() {
    QList<QToolButton*> shown;
    for (const ButtonInfo& info : Infos) {
        if (m_visible.testFlag(info.button)) {
            shown << m_buttons.value(info.button);
        }
    }
    if (shown.isEmpty()) {
        return;
    }
    const int w = width() / int(shown.size());
    for (int i = 0; i < shown.size(); ++i) {
        const int x = i * w;
        const int right = (i == shown.size() - 1) ? width() : x + w;
        shown[i]->setGeometry(x, 0, right - x, height());
    }
}

void DBNavigator::updateEnabled() {
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    const bool active = t && t->Active();
    const bool browsing = active && t->State() == store::DataSetState::Browse;
    const bool editing = active && !browsing;
    const bool hasRow = active && !t->IsEmpty();
    m_buttons[NavButton::First]->setEnabled(active && !t->Bof());
    m_buttons[NavButton::Prior]->setEnabled(active && !t->Bof());
    m_buttons[NavButton::Next]->setEnabled(active && !t->Eof());
    m_buttons[NavButton::Last]->setEnabled(active && !t->Eof());
    m_buttons[NavButton::Insert]->setEnabled(active);
    m_buttons[NavButton::Delete]->setEnabled(hasRow || editing);
    m_buttons[NavButton::Edit]->setEnabled(browsing && hasRow);
    m_buttons[NavButton::Post]->setEnabled(editing);
    m_buttons[NavButton::Cancel]->setEnabled(editing);
    m_buttons[NavButton::Refresh]->setEnabled(active);
}

void DBNavigator::BtnClick(NavButton b) {
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    if (!t || !t->Active()) {
        return;
    }
    switch (b) {
        case NavButton::First:
            t->First();
            break;
        case NavButton::Prior:
            t->Prior();
            break;
        case NavButton::Next:
            t->Next();
            break;
        case NavButton::Last:
            t->Last();
            break;
        case NavButton::Insert:
            t->Insert();
            break;
        case NavButton::Delete:
            if (dialogs().MessageDlg(deleteRecordQuestion(), MsgType::Confirmation,
                                     Button::OK | Button::Cancel) == mrOk) {
                t->Delete();
            }
            break;
        case NavButton::Edit:
            t->Edit();
            break;
        case NavButton::Post:
            t->Post();
            break;
        case NavButton::Cancel:
            t->Cancel();
            break;
        case NavButton::Refresh:
            t->Refresh();
            break;
    }
    updateEnabled();
    Q_EMIT Click(b);
}

}  // namespace toolkit
