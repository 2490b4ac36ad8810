// SPDX-License-Identifier: GPL-3.0-or-later
#include "easyfind.h"

#include <QCursor>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>

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

bool wildcardMatch(QStringView text, QStringView pattern) {
    const QStringView M(g_multiChar);
    const bool hasM = !M.isEmpty();
    const bool hasS = !g_singleChar.isNull();
    QStringView t = text;
    QStringView p = pattern;
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

TEasyFind::TEasyFind(QObject* parent) : QObject(parent) {
    m_readAhead.setSingleShot(true);
    connect(&m_readAhead, &QTimer::timeout, this, &TEasyFind::readAhead);
}

TEasyFind::~TEasyFind() {
    dropTexts();
    watch(nullptr);
}

void TEasyFind::setDataSource(toolkit::DataSource* s) {
    disconnect(m_replaced);
    m_source = s;
    dropTexts();
    if (s) {
        m_replaced = connect(s, &toolkit::DataSource::dataSetReplaced, this, [this] {
            dropTexts();
            scheduleReadAhead();
        });
    }
    scheduleReadAhead();
}

void TEasyFind::setSearchField(const QString& label) {
    m_searchField = label;
    if (!m_readAheadLabels.contains(asciiUpper(label))) {
        m_readAheadLabels << asciiUpper(label);
        scheduleReadAhead();
    }
}

void TEasyFind::setReadAheadFields(const QStringList& labels) {
    for (const QString& label : labels) {
        if (!m_readAheadLabels.contains(asciiUpper(label))) {
            m_readAheadLabels << asciiUpper(label);
        }
    }
    scheduleReadAhead();
}

store::Field* TEasyFind::fieldByLabel(const QString& label) const {
    store::Table* t = m_source ? m_source->DataSet() : nullptr;
    if (!t) {
        return nullptr;
    }
    const QString wanted = asciiUpper(label);
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
bool TEasyFind::textMatches(QStringView text, const QString& key) const {
    if (!m_allowWildcards) {
        return !key.isEmpty() && text.contains(key);
    }
    return wildcardMatch(text, key);
}

QStringView TEasyFind::Texts::text(int column, size_t row) const {
    const auto& end = ends[size_t(column)];
    const qsizetype from = row == 0 ? 0 : qsizetype(end[row - 1]);
    return QStringView(pools[size_t(column)]).sliced(from, qsizetype(end[row]) - from);
}

bool TEasyFind::hasTextCache() const {
    const store::Field* f = searchedField();
    return f && m_texts && m_texts->complete && m_texts->table == &f->DataSet() &&
           m_texts->caseSensitive == m_caseSensitive && m_texts->fields.contains(f->Index());
}

void TEasyFind::dropTexts() {
    m_texts.reset();
}

// Any change the table reports may change what its rows say or which rows it shows.
void TEasyFind::watch(store::Table* table) {
    if (table == m_watched) {
        return;
    }
    for (const QMetaObject::Connection& c : std::as_const(m_connections)) {
        QObject::disconnect(c);
    }
    m_connections.clear();
    m_watched = table;
    if (!table) {
        return;
    }
    auto changed = [this] {
        dropTexts();
        scheduleReadAhead();
    };
    m_connections = {
        connect(table, &store::Table::dataSetChanged, this, changed),
        connect(table, &store::Table::fieldChanged, this, changed),
        connect(table, &store::Table::stateChanged, this, changed),
        connect(table, &store::Table::activeChanged, this, changed),
    };
}

void TEasyFind::scheduleReadAhead() {
    if (m_source) {
        m_readAhead.start(ReadAheadDelayMs);
    }
}

TEasyFind::Texts* TEasyFind::textsFor(store::Table& table, int field) {
    if (table.Fields(field).DataType() == store::FieldType::Memo) {
        return nullptr;
    }
    watch(&table);
    Texts* t = m_texts.get();
    // A pass stopped by a write elsewhere in the database cannot go on where it was.
    if (t && t->table == &table && t->caseSensitive == m_caseSensitive &&
        t->fields.contains(field) && (t->complete || (t->pass && !t->pass->stopped()))) {
        return t;
    }
    dropTexts();
    auto texts = std::make_unique<Texts>();
    texts->table = &table;
    texts->caseSensitive = m_caseSensitive;
    texts->fields = {field};
    for (const QString& label : std::as_const(m_readAheadLabels)) {
        const store::Field* f = fieldByLabel(label);
        if (f && f->DataType() != store::FieldType::Memo && !texts->fields.contains(f->Index())) {
            texts->fields << f->Index();
        }
    }
    texts->pools.resize(size_t(texts->fields.size()));
    texts->ends.resize(size_t(texts->fields.size()));
    texts->pass = table.beginPass(texts->fields);
    m_texts = std::move(texts);
    return m_texts.get();
}

void TEasyFind::readOn(Texts& t, const std::function<bool(size_t)>& more) {
    store::Table& table = *t.table;
    t.pass->read([&](qint64 rowid) {
        for (int c = 0; c < t.fields.size(); ++c) {
            t.pools[size_t(c)] += recordText(table.Fields(t.fields[c]));
            t.ends[size_t(c)].push_back(quint32(t.pools[size_t(c)].size()));
        }
        t.rowids.push_back(rowid);
        return more(t.rowids.size() - 1);
    });
    if (t.pass->atEnd()) {
        t.pass.reset();
        t.complete = true;
    }
}

// While the window is idle, a slice at a time. A failing store is left for the next search
// to meet and report.
void TEasyFind::readAhead() {
    store::Field* field = searchedField();
    if (!field) {
        return;
    }
    store::Table& table = field->DataSet();
    if (!table.Active() || table.ControlsDisabled() ||
        table.State() != store::DataSetState::Browse) {
        return;
    }
    try {
        Texts* t = textsFor(table, field->Index());
        if (!t || t->complete) {
            return;
        }
        QElapsedTimer clock;
        clock.start();
        size_t rows = 0;
        readOn(*t, [&](size_t) { return ++rows % 64 != 0 || clock.elapsed() < SliceMs; });
        if (!t->complete) {
            m_readAhead.start(0);
        }
    } catch (const std::exception&) {
        dropTexts();
    }
}

// The rows in the order the table shows them, from the first: the texts kept as far as they
// reach, then read on. Only a match moves the cursor.
bool TEasyFind::search(store::Table& table, store::Field& field, const QString& key, bool trusted) {
    // A row being edited is stored first, as moving away from it does.
    table.CheckBrowseMode();
    const store::Bookmark here = table.GetBookmark();
    // In find-next mode the rows up to the current one are passed over.
    bool passed = !m_findNext;
    bool testedAfter = false;
    qint64 hit = 0;
    auto consider = [&](qint64 rowid, QStringView text) {
        if (!passed) {
            passed = here.valid && rowid == here.rowid;
            return false;
        }
        testedAfter = true;
        if (textMatches(text, key)) {
            hit = rowid;
            return true;
        }
        return false;
    };
    Texts* texts = trusted && table.State() == store::DataSetState::Browse
                       ? textsFor(table, field.Index())
                       : nullptr;
    if (texts) {
        const int column = int(texts->fields.indexOf(field.Index()));
        size_t i = 0;
        if (m_findNext && here.valid) {
            const auto it = std::find(texts->rowids.begin(), texts->rowids.end(), here.rowid);
            i = size_t(it - texts->rowids.begin());
            if (it != texts->rowids.end()) {
                ++i;
                passed = true;
            }
        }
        bool stop = false;
        for (; i < texts->rowids.size() && !stop; ++i) {
            stop = consider(texts->rowids[i], texts->text(column, i));
        }
        if (!stop && !texts->complete) {
            readOn(*texts, [&](size_t row) {
                return !consider(texts->rowids[row], texts->text(column, row));
            });
        }
        if (!texts->complete) {
            scheduleReadAhead();
        }
    } else {
        const auto pass = table.beginPass({field.Index()});
        pass->read([&](qint64 rowid) { return !consider(rowid, recordText(field)); });
    }
    if (m_findNext && !testedAfter) {
        // From the last row there is no next one: the row under the cursor is tested once
        // more, and a match keeps it there.
        m_findNext = false;
        table.Next();  // at the end now, as a scan that ran off the last row is
        return !table.IsEmpty() && textMatches(recordText(field), key);
    }
    if (hit) {
        table.GotoBookmark({hit, true});
        return true;
    }
    return false;
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

    // Held-back notices could mean changes the kept texts have not seen.
    const bool trusted = !table.ControlsDisabled();
    table.DisableControls();
    const bool cursor = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
    if (cursor) {
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    }
    bool found = false;
    try {
        found = search(table, *field, folded, trusted);
    } catch (...) {
        // A failing store ends the search where it started, with the controls live again.
        dropTexts();
        if (cursor) {
            QGuiApplication::restoreOverrideCursor();
        }
        m_findNext = false;
        table.EnableControls();
        throw;
    }
    if (cursor) {
        QGuiApplication::restoreOverrideCursor();
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
