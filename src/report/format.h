// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFont>
#include <QLocale>
#include <QString>

namespace report {

// Formats a number by a picture mask such as "###,##0.00": '0' is a digit always shown,
// '#' a digit shown when needed, ',' asks for thousands grouping and '.' marks the decimals;
// the separators are the locale's. Text around the digits is kept as it stands.
QString formatMask(double value, const QString& mask, const QLocale& locale = QLocale());

// The part of text that fits on one line of the given width (mm) in the font, broken at a
// word boundary; a first word that is wider than the box is cut where the box ends.
QString firstLine(const QString& text, const QFont& font, double widthMm);

// Width (mm) and height of one line of text in a font, measured without hinting.
double textWidthMm(const QString& text, const QFont& font);
double lineHeightMm(const QFont& font);

}  // namespace report
