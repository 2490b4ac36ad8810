// SPDX-License-Identifier: GPL-3.0-or-later
#include "codec.h"

#include <array>

namespace i18n {

namespace {

// 0x80..0x9F of Windows-1252; the rest of the code page is Latin-1.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  //
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t decodeByte(unsigned char b) {
    return (b >= 0x80 && b <= 0x9F) ? kHighControls[b - 0x80] : char16_t(b);
}

char encodeChar(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return char(c);
    }
    for (std::size_t i = 0; i < kHighControls.size(); ++i) {
        if (kHighControls[i] == c) {
            return char(0x80 + i);
        }
    }
    return '?';
}

constexpr char16_t kQuote = u'"';

bool isControl(QChar c) {
    return c.unicode() < 32;
}

bool isBlankOrControl(QChar c) {
    return c.unicode() >= 1 && c.unicode() <= 32;
}

// Reads the quoted string that begins at text[pos] (a double quote): up to the next single
// double quote, a doubled one standing for one. An unclosed quote takes the rest of the
// text. pos ends after the closing quote.
QString extractQuoted(QStringView text, qsizetype& pos) {
    QString out;
    ++pos;
    while (pos < text.size()) {
        const QChar c = text[pos];
        if (c == kQuote) {
            if (pos + 1 < text.size() && text[pos + 1] == kQuote) {
                out += c;
                pos += 2;
                continue;
            }
            ++pos;
            return out;
        }
        out += c;
        ++pos;
    }
    return out;
}

}  // namespace

QString FromWindows1252(QByteArrayView bytes) {
    QString out(bytes.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        d[i] = QChar(decodeByte(static_cast<unsigned char>(bytes[i])));
    }
    return out;
}

QByteArray ToWindows1252(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    char* d = out.data();
    for (qsizetype i = 0; i < text.size(); ++i) {
        d[i] = encodeChar(text[i].unicode());
    }
    return out;
}

QChar CharFromCode(int code) {
    return QChar(decodeByte(static_cast<unsigned char>(code & 0xFF)));
}

QStringView TrimControls(QStringView text) {
    qsizetype b = 0;
    qsizetype e = text.size();
    while (b < e && text[b].unicode() <= 32) {
        ++b;
    }
    while (e > b && text[e - 1].unicode() <= 32) {
        --e;
    }
    return text.sliced(b, e - b);
}

QString EncodeValue(QStringView value) {
    QString quoted;
    quoted.reserve(value.size() + 2);
    quoted += kQuote;
    for (QChar c : value) {
        if (c == kQuote) {
            quoted += kQuote;
        }
        quoted += c;
    }
    quoted += kQuote;

    QString out;
    out.reserve(quoted.size() + 8);
    bool prevControl = false;
    QChar prevChar;
    for (QChar c : quoted) {
        // A "#" right after a quote would read back as the start of a code run, so it is
        // stored as a code itself; the reader needs no change for it.
        const bool control = isControl(c) || (c == u'#' && prevChar == kQuote);
        if (control) {
            if (!prevControl) {
                out += kQuote;
            }
            out += u'#';
            out += QString::number(c.unicode());
        } else {
            if (prevControl) {
                out += kQuote;
            }
            out += c;
        }
        prevControl = control;
        prevChar = c;
    }
    return out;
}

QString DecodeValue(QStringView stored) {
    static constexpr QStringView kMarker = u"\"#";
    QString result;
    QStringView rest = stored;
    qsizetype p;
    while ((p = rest.indexOf(kMarker)) >= 0) {
        result += rest.first(p);
        rest = rest.sliced(p + 2);
        QStringView run;
        const qsizetype q = rest.indexOf(kQuote);
        if (q >= 0) {
            run = rest.first(q);
            rest = rest.sliced(q + 1);
        }
        qsizetype start = 0;
        while (start <= run.size()) {
            qsizetype hash = run.indexOf(u'#', start);
            if (hash < 0) {
                hash = run.size();
            }
            bool ok = false;
            const int code = run.sliced(start, hash - start).toInt(&ok, 10);
            if (ok) {
                result += CharFromCode(code);
            }
            start = hash + 1;
        }
    }
    result += rest;
    if (result.size() > 1 && result[0] == kQuote) {
        qsizetype pos = 0;
        return extractQuoted(result, pos);
    }
    return result;
}

QString ToCommaText(const QStringList& items) {
    if (items.size() == 1 && items[0].isEmpty()) {
        return QStringLiteral("\"\"");
    }
    QString out;
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (i > 0) {
            out += u',';
        }
        const QString& item = items[i];
        bool needsQuotes = false;
        for (QChar c : item) {
            if (c.unicode() <= 32 || c == kQuote || c == u',') {
                needsQuotes = true;
                break;
            }
        }
        if (!needsQuotes) {
            out += item;
            continue;
        }
        out += kQuote;
        for (QChar c : item) {
            if (c == kQuote) {
                out += kQuote;
            }
            out += c;
        }
        out += kQuote;
    }
    return out;
}

QStringList FromCommaText(QStringView text) {
    // A NUL ends the text, as it would end the line it came from.
    const qsizetype nul = text.indexOf(QChar(0));
    if (nul >= 0) {
        text = text.first(nul);
    }
    QStringList items;
    const qsizetype n = text.size();
    qsizetype i = 0;
    auto skipBlanks = [&] {
        while (i < n && isBlankOrControl(text[i])) {
            ++i;
        }
    };
    skipBlanks();
    // Each round consumes at least one character: a quote, a comma or an item character.
    while (i < n) {
        if (text[i] == kQuote) {
            items << extractQuoted(text, i);
        } else {
            const qsizetype start = i;
            while (i < n && text[i].unicode() > 32 && text[i] != u',') {
                ++i;
            }
            items << text.sliced(start, i - start).toString();
        }
        skipBlanks();
        if (i < n && text[i] == u',') {
            if (i + 1 == n) {
                items << QString();
            }
            ++i;
            skipBlanks();
        }
    }
    return items;
}

}  // namespace i18n
