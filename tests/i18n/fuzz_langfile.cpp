// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz entry point for the language-file reader, the value codec and the comma text.
// Besides not crashing, it checks what callers rely on: a written image reads back as
// itself, every value survives the codec, and every list survives the comma text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "i18n/codec.h"
#include "i18n/langfile.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "fuzz_langfile: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    i18n::TQLanguageFile image;
    image.LoadFromBytes(bytes);
    QStringList lines;
    for (const QString& section : image.SectionNames()) {
        image.ReadSectionValues(section, lines);
        for (const QString& line : lines) {
            const QString key = line.left(line.indexOf(u'='));
            require(!image.ReadString(section, key, QString()).isEmpty(), "listed key reads");
        }
    }
    const QByteArray saved = image.SaveToBytes();
    i18n::TQLanguageFile again;
    again.LoadFromBytes(saved);
    require(again.SaveToBytes() == saved, "a saved image reads back as itself");

    const QString text = i18n::FromWindows1252(bytes);
    require(i18n::ToWindows1252(text) == bytes.toByteArray(), "Windows-1252 round trip");
    const QString decoded = i18n::DecodeValue(text);
    require(i18n::DecodeValue(i18n::EncodeValue(text)) == text, "codec round trip");
    require(i18n::DecodeValue(i18n::EncodeValue(decoded)) == decoded, "codec round trip");

    const QStringList items = i18n::FromCommaText(text);
    require(i18n::FromCommaText(i18n::ToCommaText(items)) == items, "comma text round trip");
    return 0;
}
