// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture.h"

#include "toolkit/svgpicture.h"

namespace widgets {

QPixmap productPicture() {
    return QPixmap::fromImage(
        toolkit::svgImage(QStringLiteral(":/artwork/about.svg"), QSize(48, 200)));
}

}  // namespace widgets
