#include "texts.h"

#include <QHash>
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

QString countText(QStringView section, QStringView key, qint64 n, const QString& danishOne,
                  const QString& danishOther) {
    const QString k = key.toString() + (n == 1 ? QStringLiteral(".One") : QStringLiteral(".Other"));
    return text(section, k, n == 1 ? danishOne : danishOther).arg(n);
}

}  // namespace i18n
