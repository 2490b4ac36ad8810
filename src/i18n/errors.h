// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <exception>
#include <utility>

namespace i18n {

// Every error of the localization classes; it carries only its message.
class EQLocalError final : public std::exception {
public:
    explicit EQLocalError(QString message)
        : m_message(std::move(message)), m_what(m_message.toUtf8()) {}
    // UTF-8, as the program's error box reads it.
    const char* what() const noexcept override { return m_what.constData(); }
    const QString& message() const noexcept { return m_message; }

private:
    QString m_message;
    QByteArray m_what;
};

}  // namespace i18n
