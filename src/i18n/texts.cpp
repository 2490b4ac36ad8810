// SPDX-License-Identifier: GPL-3.0-or-later
#include "texts.h"

#include <QHash>
#include <QLocale>
#include <memory>

#include "langfile.h"
#include "langsource.h"

namespace i18n {

namespace {

// Files of languages other than the active one, read once when a text of theirs is asked for
// (a report in a chosen language, a test); the active language is read from the source.
const TQLanguageFile* otherLanguageFile(const QString& fileName) {
    static QHash<QString, std::shared_ptr<TQLanguageFile>> files;
    const QString path = FindLanguageFile(fileName);
    auto it = files.find(path);
    if (it == files.end()) {
        it = files.insert(path, std::make_shared<TQLanguageFile>(path));
    }
    return it->get();
}

}  // namespace

QString textFor(int language, QStringView section, QStringView key, const QString& danish) {
    TQCustomLanguageSource* source = mainLanguageSource();
    if (language < 0 || !source || language >= source->LanguageCount()) {
        return danish;
    }
    const TQLanguageFile* file = nullptr;
    auto* fileSource = qobject_cast<TQLanguageSource*>(source);
    if (fileSource && source->ActiveLanguage() == language) {
        file = fileSource->LanguageFile();
    }
    if (!file) {
        file = otherLanguageFile(source->GetLanguageFileName(language));
    }
    const QString value = file->ReadString(section.toString(), key.toString(), QString());
    return value.isEmpty() ? danish : value;
}

QString text(QStringView section, QStringView key, const QString& danish) {
    return textFor(mainActiveLanguage(), section, key, danish);
}

QString countTextFor(int language, QStringView section, QStringView key, qint64 n,
                     const QString& danishOne, const QString& danishOther) {
    const QString k = key.toString() + (n == 1 ? QStringLiteral(".One") : QStringLiteral(".Other"));
    return textFor(language, section, k, n == 1 ? danishOne : danishOther).arg(n);
}

QString countText(QStringView section, QStringView key, qint64 n, const QString& danishOne,
                  const QString& danishOther) {
    return countTextFor(mainActiveLanguage(), section, key, n, danishOne, danishOther);
}

int languageOfLocale(const QByteArray& locale, const QStringList& preferred) {
    // As gettext has it: the C locale speaks no language, whatever LANGUAGE says.
    if (locale.isEmpty() || locale == "C" || locale.startsWith("C.") || locale == "POSIX") {
        return -1;
    }
    for (const QString& name : preferred) {
        switch (QLocale(name).language()) {
            case QLocale::Danish:
                return -1;
            case QLocale::English:
                return 0;
            case QLocale::NorwegianBokmal:
            case QLocale::NorwegianNynorsk:
                return 1;
            case QLocale::Swedish:
                return 2;
            case QLocale::German:
                return 3;
            default:
                break;
        }
    }
    return -1;
}

int desktopLanguage() {
    QByteArray locale = qgetenv("LC_ALL");
    if (locale.isEmpty()) {
        locale = qgetenv("LC_MESSAGES");
    }
    if (locale.isEmpty()) {
        locale = qgetenv("LANG");
    }
    // In the user's order of preference: LANGUAGE, then the locale.
    return languageOfLocale(locale, QLocale::system().uiLanguages());
}

QString languageCode(int language) {
    static const char* const codes[] = {"da", "en", "nb", "sv", "de"};
    return QLatin1String(codes[language >= -1 && language <= 3 ? language + 1 : 0]);
}

}  // namespace i18n
