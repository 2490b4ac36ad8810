#include "speedbutton.h"

namespace toolkit {

SpeedButton::SpeedButton(QWidget* parent) : QToolButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAutoRaise(true);
}

void SpeedButton::setGlyph(const QIcon& glyph) {
    setIcon(glyph);
    setToolButtonStyle(glyph.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonTextBesideIcon);
}

}  // namespace toolkit
