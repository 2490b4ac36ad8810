// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <exception>

namespace store {

// Base of every error the program raises with a message meant for the user.
//
// The store speaks no language of the user's: an error it raises carries a kind and the
// values its text is made of, and the layer that shows it composes the text in the active
// language from those (toolkit::errorText). message() is the built-in English text, for
// errors of kind Other the only one.
class Error : public std::exception {
public:
    enum class Kind {
        Other,
        // Field errors (FieldError): %1 the field, then
        TooLong,         // %2 the length of the text, %3 the field's width
        BelowMinimum,    // %2 the value, %3 the smallest value the field takes
        NotAllowed,      // %2 the value, %3 the values the field takes, separated by ", "
        InvalidInteger,  // %2 the text that is no whole number
        InvalidFloat,    // %2 the text that is no number
        InvalidDate,     // %2 the text that is no date
        // Errors of a table: %1 the table
        EmptyDataset,    // an operation that needs a row, on a table without one
        ClosedDataset,   // an operation on a table that is not open
        NotEditing,      // a value written while the table is not being edited
        RecordNotFound,  // the row has gone (deleted meanwhile)
        TableMissing,    // %2 the data folder that lacks it
        // Store errors (StoreError)
        ReadOnly,          // %1 the data folder
        KeyViolation,      // a row with the same key exists
        DiskFull,          // %1 the database file
        Corrupt,           // %1 the database file
        Busy,              // %1 the database file: another program holds it
        FolderMissing,     // %1 the data folder
        DatabaseMissing,   // %1 the data folder
        CannotOpen,        // %1 the database file, %2 why (the engine's own words)
        CannotCreate,      // %1 the data folder
        CannotWriteAlias,  // %1 the alias file
        UnknownAlias,      // %1 the alias
    };

    explicit Error(QString message) : Error(Kind::Other, std::move(message), {}) {}
    Error(Kind kind, QString message, QStringList args)
        : m_kind(kind),
          m_message(std::move(message)),
          m_args(std::move(args)),
          m_what(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }
    Kind kind() const noexcept { return m_kind; }
    // The values the text is composed from, in the order of its %1, %2 ...
    const QStringList& args() const noexcept { return m_args; }

private:
    Kind m_kind;
    QString m_message;
    QStringList m_args;
    QByteArray m_what;
};

// A value a field refuses. The first argument is the field's name; the control that wrote
// the value may add the caption the user knows the field by. The table is empty when the
// text was refused before it reached one (a value typed for a field).
class FieldError : public Error {
public:
    FieldError(Kind kind, QString message, QString table, QStringList args)
        : Error(kind, std::move(message), std::move(args)), m_table(std::move(table)) {}
    const QString& table() const noexcept { return m_table; }
    QString field() const { return args().value(0); }
    const QString& caption() const noexcept { return m_caption; }
    void setCaption(const QString& caption) { m_caption = caption; }

private:
    QString m_table;
    QString m_caption;
};

// An error of the table engine itself; callers look at the code of the first entry.
class StoreError : public Error {
public:
    static constexpr int KeyViolation = 9729;  // 0x2601
    static constexpr int ReadOnly = 10763;
    static constexpr int NotFound = 10024;
    static constexpr int Corrupt = 12033;
    static constexpr int General = 8449;

    struct Entry {
        int code;
        QString message;
    };

    StoreError(int code, const QString& message) : StoreError(code, Kind::Other, message, {}) {}
    StoreError(int code, Kind kind, const QString& message, QStringList args)
        : Error(kind, message, std::move(args)), m_entries{{code, message}} {}
    const QList<Entry>& entries() const noexcept { return m_entries; }
    int errorCode() const noexcept { return m_entries.isEmpty() ? 0 : m_entries.first().code; }

private:
    QList<Entry> m_entries;
};

// Ends the operation in progress without any further message.
class SilentAbort : public std::exception {
public:
    const char* what() const noexcept override { return "Operation aborted"; }
};

}  // namespace store
