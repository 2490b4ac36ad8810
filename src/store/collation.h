// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QLatin1StringView>
#include <QStringView>

namespace store {

// Danish order of text keys: a to z, then æ, ø, å, with case folded; ä and ö sort as æ and
// ø, ü as y, other accented letters as their base letter. Texts that differ only in case
// or accent are ordered by their code points, so the order is total and only equal texts
// compare equal. Negative, zero or positive, as for a sort.
int compareDanish(QStringView a, QStringView b);
// The same for Latin-1 text, read in place.
int compareDanish(QLatin1StringView a, QLatin1StringView b);

// The name the collation is registered under on every connection of the store. Nothing
// stored depends on it (no index, no view), so other tools read and write the database
// without it.
inline constexpr const char* DanishCollation = "DANISH";

}  // namespace store
