#pragma once

#include <QString>

namespace i18n {

// Texts that code shows (messages, counts, box titles). Danish is built in and given at the
// call; the other languages read the text from the active language file of the main
// window's source, in a section of code texts such as [RegFormTexts], under a plain key:
//
//     toolkit::dialogs().MessageDlg(
//         i18n::text(u"RegFormTexts", u"NameMissing",
//                    QStringLiteral("Du har ikke givet planten et navn!\n\r...")), ...);
//
// A file that lacks the key gives the Danish text, as a missing line leaves a caption as it
// was. Line breaks inside a text are stored in the file with the codec's #10#13 codes.
QString text(QStringView section, QStringView key, const QString& danish);

// A count: the key's ".One" text for 1 and its ".Other" text otherwise, with %1 replaced by
// the number written as plain decimal digits ("I alt %1 planter").
QString countText(QStringView section, QStringView key, qint64 n, const QString& danishOne,
                  const QString& danishOther);

// The same lookup for a given language index (-1 Danish, 0.. a language of the main
// window's source); an index the source does not have gives the Danish text.
QString textFor(int language, QStringView section, QStringView key, const QString& danish);

}  // namespace i18n
