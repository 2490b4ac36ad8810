// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

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

// The same count in a given language index's language.
QString countTextFor(int language, QStringView section, QStringView key, qint64 n,
                     const QString& danishOne, const QString& danishOther);

// The same lookup for a given language index (-1 Danish, 0.. a language of the main
// window's source); an index the source does not have gives the Danish text.
QString textFor(int language, QStringView section, QStringView key, const QString& danish);

// The language index of the desktop's own language (LANG and friends) when it is one of the
// program's: 0 English, 1 Norwegian, 2 Swedish, 3 German; -1 (Danish) for any other. The
// language of a first start, and of whatever is said before the settings are read.
int desktopLanguage();
// The same from the messages locale (LC_ALL, else LC_MESSAGES, else LANG) and the languages
// the user prefers, first first: the first the program speaks wins.
int languageOfLocale(const QByteArray& locale, const QStringList& preferred);

// The ISO code of a language index ("da", "en", "nb", "sv", "de"): the language of Qt's own
// dialogs and of the calendar's month names. Danish for an index the program lacks.
QString languageCode(int language);

}  // namespace i18n
