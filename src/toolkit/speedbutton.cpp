// SPDX-License-Identifier: GPL-3.0-or-later
#include "speedbutton.h"

namespace toolkit {

SpeedButton::SpeedButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
}

void SpeedButton::setGlyph(const QIcon& glyph) {
    setIcon(glyph);
    if (!glyph.isNull() && toolButtonStyle() == Qt::ToolButtonTextOnly) {
        setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
}

}  // namespace toolkit
