#include "easyfind.h"

#include <QCursor>
#include <QGuiApplication>

#include "store/field.h"
#include "store/table.h"

namespace overview {

namespace {

// Shared by every finder; set afresh at the start of each search.
QString g_multiChar = QStringLiteral("%");
QChar g_singleChar = QLatin1Char('_');

QString asciiUpper(const QString& s) {
    QString out = s;
    for (QChar& c : out) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
            c = QChar(c.unicode() - 'a' + 'A');
        }
    }
    return out;
}

// Where the first wildcard of either kind begins in p, or -1.
qsizetype firstWildcard(QStringView p) {
    const qsizetype m = g_multiChar.isEmpty() ? -1 : p.indexOf(g_multiChar);
    const qsizetype s = g_singleChar.isNull() ? -1 : p.indexOf(g_singleChar);
    if (m < 0) {
        return s;
    }
    if (s < 0) {
        return m;
    }
    return std::min(m, s);
}

// The text without the characters below 32 at its end (line breaks and the like).
QStringView withoutTrailingControls(QStringView t) {
    qsizetype n = t.size();
    while (n > 0 && t.at(n - 1).unicode() < 32) {
        --n;
    }
    return t.left(n);
}

}  // namespace

void setWildcards(const QString& multiChar, QChar singleChar) {
    g_multiChar = multiChar.left(TEasyFind::MultiCharLength);
    g_singleChar = singleChar;
}

bool wildcardMatch(const QString& text, const QString& pattern) {
    const QStringView M(g_multiChar);
    const bool hasM = !M.isEmpty();
    const bool hasS = !g_singleChar.isNull();
    QStringView t(text);
    QStringView p(pattern);
    for (;;) {
        if (hasM && p == M) {
            return true;
        }
        if (t.isEmpty()) {
            return p.isEmpty();
        }
        if (!hasM || !p.startsWith(M)) {
            if (hasS && !p.isEmpty() && p.front() == g_singleChar) {
                while (!p.isEmpty() && p.front() == g_singleChar) {
                    if (t.isEmpty()) {
                        return false;
                    }
                    t = t.mid(1);
                    p = p.mid(1);
                }
                continue;
            }
            if (p.isEmpty() || p.front() != t.front()) {
                return false;
            }
            // The run of equal characters, wildcard characters included.
            qsizetype n = 0;
            while (n < t.size() && n < p.size() && t.at(n) == p.at(n)) {
                ++n;
            }
            t = t.mid(n);
            p = p.mid(n);
            continue;
        }
        const QStringView r = p.mid(M.size());
        const qsizetype w = firstWildcard(r);
        if (w < 0) {
            // An occurrence of r counts when it ends the text, line breaks at the end aside.
            const QStringView trimmed = withoutTrailingControls(t);
            for (qsizetype at = t.indexOf(r); at >= 0; at = t.indexOf(r, at + 1)) {
                const qsizetype end = at + r.size();
                if (end == t.size() || end == trimmed.size()) {
                    return true;
                }
            }
            return false;
        }
        const QStringView literal = r.left(w);
        if (literal.isEmpty()) {
            return false;
        }
        // Only the first occurrence is tried.
        const qsizetype at = t.indexOf(literal);
        if (at < 0) {
            return false;
        }
        t = t.mid(at + literal.size());
        p = r.mid(w);
    }
}

bool keyMatches(const QString& text, const QString& key, bool caseSensitive, bool allowWildcards) {
    const QString t = caseSensitive ? text : text.toUpper();
    const QString k = caseSensitive ? key : key.toUpper();
    if (!allowWildcards) {
        return !k.isEmpty() && t.contains(k);
    }
    return wildcardMatch(t, k);
}

TEasyFind::TEasyFind(QObject* parent) : QObject(parent) {}

store::Field* TEasyFind::searchedField() const {
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    if (!t) {
        return nullptr;
    }
    const QString wanted = asciiUpper(m_searchField);
    for (int i = 0; i < t->FieldCount(); ++i) {
        if (asciiUpper(t->Fields(i).DisplayLabel()) == wanted) {
            return &t->Fields(i);
        }
    }
    return nullptr;
}

// The text a record is tested on, folded as the comparison wants it.
QString TEasyFind::recordText(store::Field& f) const {
    QString text;
    if (f.DataType() == store::FieldType::Memo) {
        text = f.AsString();
        // A memo is read in 256 pieces of 255 bytes at most.
        if (text.size() > MemoBytes / 3) {
            QByteArray bytes = text.toUtf8();
            if (bytes.size() > MemoBytes) {
                qsizetype cut = MemoBytes;
                while (cut > 0 && (uchar(bytes.at(cut)) & 0xC0) == 0x80) {
                    --cut;  // not inside a character
                }
                bytes.truncate(cut);
                text = QString::fromUtf8(bytes);
            }
        }
    } else {
        text = f.EditText();
        if (text.size() > TextLength) {
            text.truncate(TextLength);
        }
    }
    if (!m_caseSensitive) {
        text = std::move(text).toUpper();
    }
    return text;
}

// key is already folded as the comparison wants it.
bool TEasyFind::textMatches(const QString& text, const QString& key) const {
    if (!m_allowWildcards) {
        return !key.isEmpty() && text.contains(key);
    }
    return wildcardMatch(text, key);
}

void TEasyFind::dropCache() {
    for (const QMetaObject::Connection& c : std::as_const(m_cache.connections)) {
        QObject::disconnect(c);
    }
    m_cache = TextCache();
}

void TEasyFind::watch(store::Table& table) {
    auto drop = [this] {
        m_cache.complete = false;
        m_cache.rowids.clear();
        m_cache.texts.clear();
        m_cache.position.clear();
    };
    m_cache.connections = {
        connect(&table, &store::Table::dataSetChanged, this, drop),
        connect(&table, &store::Table::fieldChanged, this, drop),
        connect(&table, &store::Table::stateChanged, this, drop),
        connect(&table, &store::Table::activeChanged, this, drop),
    };
}

bool TEasyFind::cacheServes(const store::Field& f) const {
    store::Table& t = f.DataSet();
    // Held-back notices or an unsaved row could mean texts the cache has not seen.
    return m_cache.complete && m_cache.table == &t && m_cache.field == f.Index() &&
           m_cache.caseSensitive == m_caseSensitive && !t.ControlsDisabled() &&
           t.State() == store::DataSetState::Browse;
}

bool TEasyFind::findInCache(store::Table& table, const QString& key, bool& found) {
    int from = 0;
    if (m_findNext) {
        if (m_cache.position.isEmpty()) {
            for (int i = 0; i < int(m_cache.rowids.size()); ++i) {
                m_cache.position.insert(m_cache.rowids[size_t(i)], i);
            }
        }
        const store::Bookmark here = table.GetBookmark();
        const auto it = m_cache.position.constFind(here.rowid);
        if (!here.valid || it == m_cache.position.constEnd()) {
            return false;
        }
        from = *it + 1;
    }
    found = false;
    for (int i = from; i < int(m_cache.texts.size()); ++i) {
        if (textMatches(m_cache.texts.at(i), key)) {
            table.GotoBookmark({m_cache.rowids[size_t(i)], true});
            found = true;
            break;
        }
    }
    // Nothing further: the cursor stays, as a scan that returns to its start leaves it.
    return true;
}

void TEasyFind::Find() {
    const QString key = m_searchKey.left(KeyLength);
    setWildcards(m_multiChar, m_singleChar);
    store::Field* field = searchedField();
    if (!field) {
        m_findNext = false;
        throw EDBSearchPatternNotFound(QStringLiteral("Search Field not in Dataset"));
    }
    store::Table& table = field->DataSet();
    m_lastKey = key.toUpper();
    m_lastField = m_searchField.toUpper();
    const QString folded = m_caseSensitive ? key : key.toUpper();

    const bool cached = cacheServes(*field);
    // A plain search from the first row that sees every row leaves their texts behind.
    // Memos are left out: their texts can be long.
    const bool collect = !cached && !m_findNext && !table.ControlsDisabled() &&
                         table.State() == store::DataSetState::Browse &&
                         field->DataType() != store::FieldType::Memo;
    if (!cached) {
        dropCache();
    }
    table.DisableControls();
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    store::Bookmark mark = table.GetBookmark();
    bool found = false;
    TextCache seen;
    auto test = [&] {
        const QString text = recordText(*field);
        if (collect) {
            seen.rowids.push_back(table.GetBookmark().rowid);
            seen.texts.append(text);
        }
        return textMatches(text, folded);
    };
    try {
        const bool answered = cached && findInCache(table, folded, found);
        if (!answered) {
            if (m_findNext) {
                table.Next();
            } else {
                table.First();
            }
            if (table.Eof()) {
                m_findNext = false;
                // The record under the cursor is still tested; an empty dataset has none.
                found = !table.IsEmpty() && test();
            } else {
                for (;;) {
                    if (test()) {
                        found = true;
                        break;
                    }
                    table.Next();
                    if (table.Eof()) {
                        break;
                    }
                }
            }
            if (!found && mark.valid) {
                table.GotoBookmark(mark);
            }
        }
    } catch (...) {
        // A failing store ends the search where it started, with the controls live again.
        try {
            if (mark.valid) {
                table.GotoBookmark(mark);
            }
        } catch (...) {
        }
        table.FreeBookmark(mark);
        if (cursor) {
            QGuiApplication::restoreOverrideCursor();
        }
        m_findNext = false;
        table.EnableControls();
        throw;
    }
    table.FreeBookmark(mark);
    if (cursor) {
        QGuiApplication::restoreOverrideCursor();
    }
    if (collect && !found) {
        m_cache.table = &table;
        m_cache.field = field->Index();
        m_cache.caseSensitive = m_caseSensitive;
        m_cache.rowids = std::move(seen.rowids);
        m_cache.texts = std::move(seen.texts);
        m_cache.complete = true;
        watch(table);
    }
    table.EnableControls();
    if (!found) {
        m_findNext = false;
    }
}

void TEasyFind::FindNext() {
    m_findNext = false;
    if (!m_searchKey.isEmpty() && m_searchKey.toUpper() == m_lastKey &&
        m_searchField.toUpper() == m_lastField) {
        m_findNext = true;
        try {
            Find();
        } catch (...) {
            m_findNext = false;
            throw;
        }
        m_findNext = false;
        return;
    }
    throw EDBSearchError(QStringLiteral("No initial Find/Locate done first"));
}

}  // namespace overview
