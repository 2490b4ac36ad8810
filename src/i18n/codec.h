// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QStringView>

namespace i18n {

// Language files are single-byte Windows-1252 text. Bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) read as the C1 control of the same number, so every byte
// survives a read and a write; characters the code page lacks are written as "?".
QString FromWindows1252(QByteArrayView bytes);
QByteArray ToWindows1252(QStringView text);
// The character a code of a stored code run stands for: its lowest 8 bits as a byte.
QChar CharFromCode(int code);

// The value codec of language files: a value is stored as double-quoted text with runs of
// control codes ("#13#10") standing between the quoted pieces.
QString EncodeValue(QStringView value);
QString DecodeValue(QStringView stored);

// Comma text: the one-line form of a list of texts.
QString ToCommaText(const QStringList& items);
QStringList FromCommaText(QStringView text);

// Removes characters with codes up to 32 at both ends (Unicode spaces such as the no-break
// space belong to the text).
QStringView TrimControls(QStringView text);

}  // namespace i18n
