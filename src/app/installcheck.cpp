// SPDX-License-Identifier: GPL-3.0-or-later
#include "installcheck.h"

#include <QFileInfo>
#include <QImageReader>

#include "data/datafolder.h"
#include "hovedform.h"
#include "i18n/langfile.h"
#include "i18n/langsource.h"

namespace app {

QStringList checkInstallation(const THovedForm& window, bool* allFound) {
    QStringList lines;
    bool all = true;
    auto report = [&](const QString& what, const QString& path, bool ok) {
        all = all && ok;
        lines << QStringLiteral("%1 %2: %3")
                     .arg(ok ? QStringLiteral("found") : QStringLiteral("missing"), what, path);
    };
    for (const QString& entry : window.languageSource()->Languages()) {
        const QString file = entry.section(QLatin1Char('='), 1);
        const QString path = i18n::FindLanguageFile(file);
        report(QStringLiteral("language file"), path, QFileInfo(path).isFile());
    }
    for (int language = -1; language <= 3; ++language) {
        const QString path = THovedForm::helpPageOf(language);
        report(QStringLiteral("help page"), path, QFileInfo(path).isFile());
    }
    for (const char* name : {"Billeder/Plante.jpg", "Billeder/Have.jpg"}) {
        const QString path = data::programFile(QLatin1String(name));
        QImageReader reader(path);
        report(QStringLiteral("default picture"), path, reader.canRead());
    }
    if (allFound) {
        *allFound = all;
    }
    return lines;
}

}  // namespace app
