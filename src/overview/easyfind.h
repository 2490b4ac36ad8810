// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <exception>
#include <memory>
#include <vector>

#include "store/table.h"
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
bool wildcardMatch(QStringView text, QStringView pattern);
// The test one record's text gets: containment, or the pattern with wildcards.
bool keyMatches(const QString& text, const QString& key, bool caseSensitive, bool allowWildcards);

// Moves a dataset's cursor to the first record whose field contains (or matches) a key,
// and on to the next one on request, for type-to-find edits.
//
// The texts searched are read ahead: after the table opens or changes, once the window has
// been left alone for a moment, a few rows at a time, so that the first keystroke finds them
// at hand. A search that comes first reads what is missing itself. Any change of the table
// drops them, and the next keystroke sees the table as it is.
class TEasyFind final : public QObject {
    Q_OBJECT

public:
    // The fixed buffers the texts are compared in.
    static constexpr int KeyLength = 255;
    static constexpr int MultiCharLength = 4;
    static constexpr int TextLength = 255;
    static constexpr int MemoBytes = 256 * 255;
    // How long the table must be left alone before its texts are read ahead (a burst of
    // changes is read once), and the longest a read goes on before the window has its turn.
    static constexpr int ReadAheadDelayMs = 50;
    static constexpr int SliceMs = 4;

    explicit TEasyFind(QObject* parent = nullptr);
    ~TEasyFind() override;

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
    void setDataSource(toolkit::DataSource* s);
    QString SearchField() const { return m_searchField; }
    void setSearchField(const QString& label);
    QString SearchKey() const { return m_searchKey; }
    // Cut to 255 characters, the size of the key buffer.
    void setSearchKey(const QString& key) { m_searchKey = key.left(KeyLength); }
    // Fields read ahead besides SearchField and those searched before, by display label, for
    // a window that searches more than one. Memos are never read ahead: they can be long.
    void setReadAheadFields(const QStringList& labels);

    // From the first record; the cursor stays where it was when nothing matches.
    void Find();
    // From the record after the current one, for the key and field of the last search.
    void FindNext();

    // Whether the texts of every row shown are at hand for SearchField.
    bool hasTextCache() const;

private:
    // The folded texts of the fields read ahead over the rows the table shows, in its
    // order, as far as they have been read.
    struct Texts {
        QPointer<store::Table> table;
        bool caseSensitive = false;
        QVector<int> fields;
        std::vector<qint64> rowids;
        std::vector<QString> pools;  // per field, the texts one after another
        // Per field, where each row's text ends; with no kept text over 255 characters, 32
        // bits reach past sixteen million rows.
        std::vector<std::vector<quint32>> ends;
        std::unique_ptr<store::Table::Pass> pass;  // reads on where rowids stop
        bool complete = false;

        QStringView text(int column, size_t row) const;
    };

    store::Field* fieldByLabel(const QString& label) const;
    store::Field* searchedField() const { return fieldByLabel(m_searchField); }
    QString recordText(store::Field& f) const;
    bool textMatches(QStringView text, const QString& key) const;
    bool search(store::Table& table, store::Field& field, const QString& key, bool trusted);
    // The texts kept for the field, begun anew when they are not kept; null for a memo.
    Texts* textsFor(store::Table& table, int field);
    // Reads further rows into the texts while more returns true for each row read.
    void readOn(Texts& texts, const std::function<bool(size_t row)>& more);
    void dropTexts();
    void watch(store::Table* table);
    void readAhead();
    void scheduleReadAhead();

    QString m_multiChar = QStringLiteral("%");
    QChar m_singleChar = QLatin1Char('_');
    bool m_caseSensitive = false;
    bool m_allowWildcards = false;
    QPointer<toolkit::DataSource> m_source;
    QString m_searchField;
    QString m_searchKey;
    QStringList m_readAheadLabels;  // upper-cased, SearchField and the fields searched among them

    bool m_findNext = false;
    QString m_lastKey;
    QString m_lastField;

    std::unique_ptr<Texts> m_texts;
    QPointer<store::Table> m_watched;
    QList<QMetaObject::Connection> m_connections;
    QMetaObject::Connection m_replaced;
    QTimer m_readAhead;
};

}  // namespace overview
