#pragma once

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <exception>
#include <vector>

#include "toolkit/datasource.h"

namespace store {
class Field;
}

namespace overview {

// FindNext without a matching earlier search.
class EDBSearchError final : public std::exception {
public:
    explicit EDBSearchError(QString message)
        : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
};

// A search field that names no field of the dataset.
class EDBSearchPatternNotFound final : public std::exception {
public:
    explicit EDBSearchPatternNotFound(QString message)
        : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
};

// The wildcard matcher. Its two wildcards are shared by every finder: each search sets
// them from its own properties before it starts. An empty many-character wildcard or a
// null one-character wildcard means that wildcard is not used.
void setWildcards(const QString& multiChar, QChar singleChar);
// The whole text against the pattern, with the wildcards last set.
bool wildcardMatch(const QString& text, const QString& pattern);
// The test one record's text gets: containment, or the pattern with wildcards.
bool keyMatches(const QString& text, const QString& key, bool caseSensitive, bool allowWildcards);

// Moves a dataset's cursor to the first record whose field contains (or matches) a key,
// and on to the next one on request, for type-to-find edits.
class TEasyFind final : public QObject {
    Q_OBJECT

public:
    // The fixed buffers the texts are compared in.
    static constexpr int KeyLength = 255;
    static constexpr int MultiCharLength = 4;
    static constexpr int TextLength = 255;
    static constexpr int MemoBytes = 256 * 255;

    explicit TEasyFind(QObject* parent = nullptr);

    QString MultiCharPattern() const { return m_multiChar; }
    // Cut to four characters, the size of its buffer.
    void setMultiCharPattern(const QString& p) { m_multiChar = p.left(MultiCharLength); }
    QChar SingleCharPattern() const { return m_singleChar; }
    void setSingleCharPattern(QChar c) { m_singleChar = c; }
    bool CaseSensitive() const { return m_caseSensitive; }
    void setCaseSensitive(bool on) { m_caseSensitive = on; }
    bool AllowWildcards() const { return m_allowWildcards; }
    void setAllowWildcards(bool on) { m_allowWildcards = on; }
    toolkit::DataSource* DataSource() const { return m_source; }
    void setDataSource(toolkit::DataSource* s) { m_source = s; }
    QString SearchField() const { return m_searchField; }
    void setSearchField(const QString& label) { m_searchField = label; }
    QString SearchKey() const { return m_searchKey; }
    // Cut to 255 characters, the size of the key buffer.
    void setSearchKey(const QString& key) { m_searchKey = key.left(KeyLength); }

    // From the first record; the cursor stays where it was when nothing matches.
    void Find();
    // From the record after the current one, for the key and field of the last search.
    void FindNext();

    // Whether the texts of a whole earlier pass are at hand for the next search.
    bool hasTextCache() const { return m_cache.complete; }

private:
    // The folded texts of one field over every row a table shows, in its order, from a
    // search that went through all of them. Any change the table reports drops it.
    struct TextCache {
        QPointer<store::Table> table;
        int field = -1;
        bool caseSensitive = false;
        bool complete = false;
        std::vector<qint64> rowids;
        QStringList texts;
        QHash<qint64, int> position;
        QList<QMetaObject::Connection> connections;
    };

    store::Field* searchedField() const;
    QString recordText(store::Field& f) const;
    bool textMatches(const QString& text, const QString& key) const;
    bool cacheServes(const store::Field& f) const;
    // The search over the cached texts; false when it cannot tell (the current row unknown).
    bool findInCache(store::Table& table, const QString& key, bool& found);
    void dropCache();
    void watch(store::Table& table);

    QString m_multiChar = QStringLiteral("%");
    QChar m_singleChar = QLatin1Char('_');
    bool m_caseSensitive = false;
    bool m_allowWildcards = false;
    QPointer<toolkit::DataSource> m_source;
    QString m_searchField;
    QString m_searchKey;

    bool m_findNext = false;
    QString m_lastKey;
    QString m_lastField;
    TextCache m_cache;
};

}  // namespace overview
