// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

namespace widgets {

// The product picture of the about window: a tall green strip with a leaf and the name, from
// resources/artwork/about.svg. It fits the about window's 48 x 200 picture area.
QPixmap productPicture();

}  // namespace widgets
