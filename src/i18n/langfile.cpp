// SPDX-License-Identifier: GPL-3.0-or-later
#include "langfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtDebug>
#include <algorithm>

#include "codec.h"
#include "errors.h"

namespace i18n {

namespace {

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Bytes beyond ASCII that decode as UTF-8 without a single fault: in Windows-1252 such runs
// ("Ã¼" for "ü") are next to impossible in real text.
bool looksLikeUtf8(QByteArrayView bytes, QString* text) {
    const bool ascii = std::all_of(bytes.begin(), bytes.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) {
        return false;
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString decoded = decoder(bytes);
    if (decoder.hasError()) {
        return false;
    }
    *text = std::move(decoded);
    return true;
}

}  // namespace

QString TQLanguageFile::Line::key() const {
    return TrimControls(QStringView(text).first(eq)).toString();
}

QString TQLanguageFile::Line::rawValue() const {
    return TrimControls(QStringView(text).sliced(eq + 1)).toString();
}

TQLanguageFile::TQLanguageFile(const QString& fileName) : m_fileName(fileName) {
    if (fileName.isEmpty() || !QFileInfo::exists(fileName)) {
        return;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        m_readError = file.errorString();
        qWarning("Language file %s cannot be read: %s", qPrintable(fileName),
                 qPrintable(m_readError));
        return;
    }
    QByteArray bytes = file.read(kMaxFileSize + 1);
    if (file.error() != QFileDevice::NoError) {
        m_readError = file.errorString();
    } else if (bytes.size() > kMaxFileSize) {
        m_readError = QStringLiteral("The file is larger than %1 bytes").arg(kMaxFileSize);
        // Only whole lines: a cut line would apply half a value.
        const qsizetype end = std::max(bytes.lastIndexOf('\n', kMaxFileSize - 1),
                                       bytes.lastIndexOf('\r', kMaxFileSize - 1));
        bytes.truncate(std::max<qsizetype>(end, 0));
    }
    if (!m_readError.isEmpty()) {
        qWarning("Language file %s is read only in part: %s", qPrintable(fileName),
                 qPrintable(m_readError));
    }
    LoadFromBytes(bytes);
}

void TQLanguageFile::LoadFromBytes(QByteArrayView bytes) {
    m_sections.clear();
    const qsizetype nul = bytes.indexOf('\0');
    if (nul >= 0) {
        bytes = bytes.first(nul);
    }
    m_byteOrderMark = bytes.startsWith(QByteArrayView(kByteOrderMark));
    if (m_byteOrderMark) {
        bytes = bytes.sliced(3);
    }
    QString text;
    m_utf8 = looksLikeUtf8(bytes, &text) || m_byteOrderMark;
    if (m_byteOrderMark && text.isEmpty()) {
        // Marked as UTF-8: faults become replacement characters, not Windows-1252 letters.
        text = QString::fromUtf8(bytes);
    } else if (!m_utf8) {
        text = FromWindows1252(bytes);
    }
    const qsizetype n = text.size();
    Section* current = nullptr;
    qsizetype start = 0;
    while (start < n) {
        qsizetype end = start;
        while (end < n && text[end] != u'\r' && text[end] != u'\n') {
            ++end;
        }
        const QStringView line = TrimControls(QStringView(text).sliced(start, end - start));
        start = end;
        if (start < n && text[start] == u'\r') {
            ++start;
        }
        if (start < n && text[start] == u'\n') {
            ++start;
        }
        if (line.isEmpty() || line.startsWith(u';')) {
            continue;
        }
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            m_sections.append(
                Section{TrimControls(line.sliced(1, line.size() - 2)).toString(), {}});
            current = &m_sections.last();
            continue;
        }
        if (current) {
            current->lines.append(Line{line.toString(), line.indexOf(u'=')});
        }
    }
}

QByteArray TQLanguageFile::SaveToBytes() const {
    QString text;
    for (const Section& s : m_sections) {
        text += u'[' + s.name + QStringLiteral("]\r\n");
        for (const Line& l : s.lines) {
            text += l.text + QStringLiteral("\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    if (!m_utf8) {
        return ToWindows1252(text);
    }
    return (m_byteOrderMark ? QByteArray(kByteOrderMark) : QByteArray()) + text.toUtf8();
}

void TQLanguageFile::UpdateFile() const {
    if (m_fileName.isEmpty()) {
        return;
    }
    if (!m_readError.isEmpty()) {
        throw EQLocalError(
            QStringLiteral("Cannot write language file \"%1\": it was not read whole (%2)")
                .arg(m_fileName, m_readError));
    }
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(SaveToBytes()) < 0 || !file.commit()) {
        throw EQLocalError(QStringLiteral("Cannot write language file \"%1\": %2")
                               .arg(m_fileName, file.errorString()));
    }
}

const TQLanguageFile::Section* TQLanguageFile::findSection(const QString& name) const {
    for (qsizetype i = m_sections.size() - 1; i >= 0; --i) {
        if (sameName(m_sections[i].name, name)) {
            return &m_sections[i];
        }
    }
    return nullptr;
}

TQLanguageFile::Section* TQLanguageFile::findSection(const QString& name) {
    return const_cast<Section*>(std::as_const(*this).findSection(name));
}

QString TQLanguageFile::ReadString(const QString& section, const QString& key,
                                   const QString& defaultValue) const {
    const Section* s = findSection(section);
    if (!s) {
        return defaultValue;
    }
    for (qsizetype i = s->lines.size() - 1; i >= 0; --i) {
        const Line& l = s->lines[i];
        if (l.eq >= 0 && sameName(l.key(), key)) {
            return DecodeValue(l.rawValue());
        }
    }
    return defaultValue;
}

void TQLanguageFile::WriteString(const QString& section, const QString& key, const QString& value) {
    Section* s = findSection(section);
    if (!s) {
        m_sections.append(Section{section, {}});
        s = &m_sections.last();
    }
    const QString text = key + u'=' + EncodeValue(value);
    const Line line{text, key.size()};
    bool replaced = false;
    for (qsizetype i = s->lines.size() - 1; i >= 0; --i) {
        if (s->lines[i].eq >= 0 && sameName(s->lines[i].key(), key)) {
            s->lines[i] = line;
            replaced = true;
            break;
        }
    }
    if (!replaced) {
        s->lines.append(line);
    }
    UpdateFile();
}

void TQLanguageFile::ReadSectionValues(const QString& section, QStringList& list) const {
    list.clear();
    const Section* s = findSection(section);
    if (!s) {
        return;
    }
    QStringList keys;
    QStringList values;
    QHash<QString, qsizetype> index;  // folded key -> place in keys
    for (const Line& l : s->lines) {
        if (l.eq < 0) {
            continue;
        }
        const QString key = l.key();
        if (key.isEmpty()) {
            continue;
        }
        const QString folded = key.toCaseFolded();
        const auto it = index.constFind(folded);
        if (it != index.constEnd()) {
            values[*it] = l.rawValue();
        } else {
            index.insert(folded, keys.size());
            keys << key;
            values << l.rawValue();
        }
    }
    for (qsizetype i = 0; i < keys.size(); ++i) {
        const QString value = DecodeValue(values[i]);
        if (!value.isEmpty()) {
            list << keys[i] + u'=' + value;
        }
    }
}

void TQLanguageFile::EraseSection(const QString& section) {
    m_sections.removeIf([&](const Section& s) { return sameName(s.name, section); });
    UpdateFile();
}

QStringList TQLanguageFile::SectionNames() const {
    QStringList names;
    for (const Section& s : m_sections) {
        names << s.name;
    }
    return names;
}

QString FindLanguageFile(const QString& fileName) {
    if (fileName.isEmpty() || QDir::isAbsolutePath(fileName)) {
        return fileName;
    }
    // The program's own language folder first (beside it in the build tree, in the share
    // folder when installed); the working folder only as the last resort.
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QDir bin(QCoreApplication::applicationDirPath());
        candidates << bin.filePath(QStringLiteral("Languages/") + fileName)
                   << QDir::cleanPath(
                          bin.filePath(QStringLiteral("../share/verdamo/Languages/") + fileName));
    }
    const QString working = QDir::current().absoluteFilePath(fileName);
    candidates << working;
    for (const QString& c : candidates) {
        if (QFileInfo::exists(c)) {
            return c;
        }
    }
    return working;
}

}  // namespace i18n
