// SPDX-License-Identifier: GPL-3.0-or-later
#include "collation.h"

#include <QString>

namespace store {

namespace {

// Weights: everything before the letters keeps its code point, the letters follow from
// 0x10000 in Danish order, and every other character comes after them.
constexpr char32_t LetterBase = 0x10000;
constexpr char32_t OtherBase = 0x20000;

char32_t letter(int index) {
    return LetterBase + char32_t(index);
}

// The weights of one character; ß gives two.
int weigh(char32_t c, char32_t out[2]) {
    if (c < 0x80) {
        if (c >= 'A' && c <= 'Z') {
            c += 'a' - 'A';
        }
        out[0] = (c >= 'a' && c <= 'z') ? letter(int(c - 'a')) : c;
        return 1;
    }
    char32_t lower = QChar::toLower(c);
    switch (lower) {
        case U'æ':
        case U'ä':
            out[0] = letter(26);
            return 1;
        case U'ø':
        case U'ö':
            out[0] = letter(27);
            return 1;
        case U'å':
            out[0] = letter(28);
            return 1;
        case U'ü':
            out[0] = letter('y' - 'a');
            return 1;
        case U'ß':
            out[0] = out[1] = letter('s' - 'a');
            return 2;
        default:
            break;
    }
    // An accented Latin letter sorts as its base letter.
    if (lower <= 0xffff) {
        const QString d = QChar(char16_t(lower)).decomposition();
        if (!d.isEmpty() && d.at(0).unicode() < 0x80 && d.at(0).isLetter()) {
            out[0] = letter(d.at(0).toLower().unicode() - 'a');
            return 1;
        }
    }
    out[0] = OtherBase + lower;
    return 1;
}

// Reads the text one weight at a time.
template <class View>
class Weights {
public:
    explicit Weights(View s) : m_s(s) {}
    bool next(char32_t& w) {
        if (m_pending) {
            w = m_spare;
            m_pending = false;
            return true;
        }
        if (m_at >= m_s.size()) {
            return false;
        }
        char32_t c = QChar(m_s.at(m_at)).unicode();
        ++m_at;
        if (QChar::isHighSurrogate(c) && m_at < m_s.size() &&
            QChar(m_s.at(m_at)).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), QChar(m_s.at(m_at)).unicode());
            ++m_at;
        }
        char32_t out[2];
        if (weigh(c, out) == 2) {
            m_spare = out[1];
            m_pending = true;
        }
        w = out[0];
        return true;
    }

private:
    View m_s;
    qsizetype m_at = 0;
    char32_t m_spare = 0;
    bool m_pending = false;
};

template <class View>
int compareIn(View a, View b) {
    Weights<View> wa(a), wb(b);
    for (;;) {
        char32_t x = 0, y = 0;
        const bool hasX = wa.next(x);
        const bool hasY = wb.next(y);
        if (!hasX || !hasY) {
            if (hasX != hasY) {
                return hasX ? 1 : -1;
            }
            break;
        }
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.compare(b, Qt::CaseSensitive);
}

}  // namespace

int compareDanish(QStringView a, QStringView b) {
    return compareIn(a, b);
}

int compareDanish(QLatin1StringView a, QLatin1StringView b) {
    return compareIn(a, b);
}

}  // namespace store
