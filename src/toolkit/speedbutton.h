// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QToolButton>

namespace toolkit {

// A tool button that never takes the focus, so a bound box keeps its typed text while the
// button's handler posts the row. The glyph has two states: normal and pressed or hovered.
class SpeedButton final : public QToolButton {
    Q_OBJECT

public:
    explicit SpeedButton(QWidget* parent = nullptr);
    void setGlyph(const QIcon& glyph);
};

}  // namespace toolkit
