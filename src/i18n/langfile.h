// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

namespace i18n {

// The in-memory image of one language file: sections in file order, each with its lines.
// The file is read once, when the image is made; reads are served from memory and every
// write saves the whole image. The file is data the user may edit, so a line that does not
// make sense is kept or skipped, never an error.
//
// Text form: Windows-1252 as shipped; a file that begins with a UTF-8 byte-order mark, or that
// is valid UTF-8 with letters beyond ASCII (a modern editor's save), is read as UTF-8 and
// written back so. Lines end in CR, LF or CR LF, a NUL ends the text; lines
// trimmed of codes up to 32; empty lines, ";" comments and lines before the first
// "[section]" dropped; "key=value" lines with the value stored by EncodeValue. Section names
// and keys compare without regard to case; the later section, and within a section the
// later key, wins.
class TQLanguageFile final {
public:
    // Larger files are read only up to the last line break below this size.
    static constexpr qsizetype kMaxFileSize = 8 * 1024 * 1024;

    // An empty image bound to no file: writes are kept in memory only.
    TQLanguageFile() = default;
    // Loads the file when it exists; a missing or unreadable file leaves the image empty.
    explicit TQLanguageFile(const QString& fileName);

    const QString& FileName() const { return m_fileName; }
    // Why the file could not be read whole (empty when it was, or when it does not exist).
    // Such a file is never overwritten: saving the image would lose what was not read.
    const QString& ReadError() const { return m_readError; }

    QString ReadString(const QString& section, const QString& key,
                       const QString& defaultValue) const;
    // Encodes the value, stores it and saves the file (EQLocalError when that fails; the
    // image keeps the change).
    void WriteString(const QString& section, const QString& key, const QString& value);
    // One "key=decoded value" line per key: at the place of its first occurrence, with its
    // last value; keys whose value decodes to nothing are left out.
    void ReadSectionValues(const QString& section, QStringList& list) const;
    // Removes every section of that name and saves the file.
    void EraseSection(const QString& section);
    // Empties the image; the file changes at the next write.
    void Clear() { m_sections.clear(); }
    // Writes the image to the file (nothing when bound to no file).
    void UpdateFile() const;

    QStringList SectionNames() const;
    void LoadFromBytes(QByteArrayView bytes);
    QByteArray SaveToBytes() const;
    // The file was read as UTF-8 (and is saved so), with or without a byte-order mark.
    bool IsUtf8() const { return m_utf8; }

private:
    struct Line {
        QString text;
        qsizetype eq = -1;  // the first "=", or -1: such a line matches no key
        QString key() const;
        QString rawValue() const;
    };
    struct Section {
        QString name;
        QList<Line> lines;
    };

    const Section* findSection(const QString& name) const;
    Section* findSection(const QString& name);

    QString m_fileName;
    QString m_readError;
    QList<Section> m_sections;
    bool m_utf8 = false;
    bool m_byteOrderMark = false;
};

// Where a language file named in the language list is found: an absolute name as it is;
// otherwise the program's language folder (beside the program, then the installed one),
// then the working folder. When none has it, the name in the working folder.
QString FindLanguageFile(const QString& fileName);

}  // namespace i18n
