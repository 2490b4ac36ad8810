#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <exception>

namespace store {

// Base of every error the program raises with a message meant for the user.
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
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

    StoreError(int code, const QString& message) : Error(message), m_entries{{code, message}} {}
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
