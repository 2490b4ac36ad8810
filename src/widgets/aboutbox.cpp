// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutbox.h"

#include <QWidget>
#include <algorithm>

#include "aboutwnd.h"
#include "i18n/texts.h"

namespace widgets {

TAboutBox::TAboutBox(QObject* parent)
    : QObject(parent), m_url(defaultUrl()), m_warning(defaultWarning()) {}

int TAboutBox::Execute() {
    TAboutWnd wnd(this, qobject_cast<QWidget*>(parent()));
    return wnd.exec();
}

QString TAboutBox::defaultCopyright() {
    return i18n::text(u"AboutTexts", u"Copyright",
                      QStringLiteral("Copyright © 2026 Verdamos udviklere"));
}

QString TAboutBox::defaultUrl() {
    return QStringLiteral("https://verdamo.example");
}

QString TAboutBox::defaultWarning() {
    // The program is free software: the notice may not forbid what its licence allows.
    return QStringLiteral(
        "Dette program er beskyttet af lov om ophavsret. Det er fri software: du må videregive "
        "og ændre det på vilkårene i GNU General Public License, version 3 eller senere. "
        "Programmet leveres uden nogen garanti, og producenten påtager sig intet ansvar for "
        "skader, der måtte opstå ved brug af programmet.");
}

QString versionText(const QString& version) {
    const QStringList parts = version.split(QLatin1Char('.'));
    if (version.isEmpty() || parts.size() > 4) {
        return QString();
    }
    uint numbers[4] = {0, 0, 0, 0};
    for (qsizetype i = 0; i < parts.size(); ++i) {
        const QString& part = parts.at(i);
        const bool digits = !part.isEmpty() && std::all_of(part.begin(), part.end(), [](QChar c) {
            return c >= QLatin1Char('0') && c <= QLatin1Char('9');
        });
        bool ok = false;
        // Each number of a file version is 16 bits wide.
        const uint n = digits ? part.toUInt(&ok) : 0;
        if (!ok || n > 0xFFFF) {
            return QString();
        }
        numbers[i] = n;
    }
    return QStringLiteral("%1.%2 (%3: %4.%5)")
        .arg(QString::number(numbers[0]), QString::number(numbers[1]),
             i18n::text(u"AboutTexts", u"Build", QStringLiteral("Build")),
             QString::number(numbers[2]), QString::number(numbers[3]));
}

}  // namespace widgets
