// SPDX-License-Identifier: GPL-3.0-or-later
#include "langsettings.h"

#include <QWidget>
#include <array>

#include "errors.h"
#include "langsource.h"
#include "properties.h"

namespace i18n {

namespace {

struct CharSet {
    const char16_t* name;
    int number;
};

constexpr std::array<CharSet, 19> kCharSets = {{
    {u"ANSI_CHARSET", 0},      {u"DEFAULT_CHARSET", 1},    {u"SYMBOL_CHARSET", 2},
    {u"MAC_CHARSET", 77},      {u"SHIFTJIS_CHARSET", 128}, {u"HANGEUL_CHARSET", 129},
    {u"JOHAB_CHARSET", 130},   {u"GB2312_CHARSET", 134},   {u"CHINESEBIG5_CHARSET", 136},
    {u"GREEK_CHARSET", 161},   {u"TURKISH_CHARSET", 162},  {u"VIETNAMESE_CHARSET", 163},
    {u"HEBREW_CHARSET", 177},  {u"ARABIC_CHARSET", 178},   {u"BALTIC_CHARSET", 186},
    {u"RUSSIAN_CHARSET", 204}, {u"THAI_CHARSET", 222},     {u"EASTEUROPE_CHARSET", 238},
    {u"OEM_CHARSET", 255},
}};

int g_screenFontCharSet = TQLanguageSettings::DEFAULT_CHARSET;

// Reads and writes of the settings go to "General Settings" and leave the source's current
// section as it was, also when they fail.
class SectionSwitch final {
public:
    explicit SectionSwitch(TQCustomLanguageSource* source)
        : m_source(source), m_saved(source->GetSection()) {
        m_source->SetSection(TQLanguageSettings::SectionName());
    }
    ~SectionSwitch() { m_source->SetSection(m_saved); }
    SectionSwitch(const SectionSwitch&) = delete;
    SectionSwitch& operator=(const SectionSwitch&) = delete;

private:
    TQCustomLanguageSource* m_source;
    QString m_saved;
};

}  // namespace

TQLanguageSettings::TQLanguageSettings(TQCustomLanguageSource* source) : m_source(source) {
    if (!source) {
        throw EQLocalError(QStringLiteral("Language source must be specified!"));
    }
}

TBiDiMode TQLanguageSettings::BiDiMode() const {
    if (m_source->ActiveLanguage() == -1) {
        return m_bidiMode;
    }
    SectionSwitch use(m_source);
    bool ok = false;
    const int n = m_source->ReadString(QStringLiteral("BiDiMode"), QStringLiteral("0")).toInt(&ok);
    return ok && n >= bdLeftToRight && n <= bdRightToLeftReadingOnly ? TBiDiMode(n) : bdLeftToRight;
}

int TQLanguageSettings::FontCharSet() const {
    if (m_source->ActiveLanguage() == -1) {
        return m_fontCharSet;
    }
    SectionSwitch use(m_source);
    return CharSetFromName(
        m_source->ReadString(QStringLiteral("FontCharSet"), QStringLiteral("DEFAULT_CHARSET")));
}

void TQLanguageSettings::SetBiDiMode(TBiDiMode mode) {
    if (m_source->IsLoading()) {
        return;
    }
    if (m_source->ActiveLanguage() == -1 || m_source->IsReadOnly()) {
        m_bidiMode = mode;
        return;
    }
    SectionSwitch use(m_source);
    m_source->WriteString(QStringLiteral("BiDiMode"), QString::number(int(mode)));
}

void TQLanguageSettings::SetFontCharSet(int charSet) {
    if (m_source->IsLoading()) {
        return;
    }
    if (m_source->ActiveLanguage() == -1 || m_source->IsReadOnly()) {
        m_fontCharSet = charSet & 0xFF;
        return;
    }
    SectionSwitch use(m_source);
    m_source->WriteString(QStringLiteral("FontCharSet"), CharSetName(charSet));
}

void TQLanguageSettings::Assign(const TQLanguageSettings& other) {
    if (&other == this) {
        return;
    }
    SetBiDiMode(other.BiDiMode());
    SetFontCharSet(other.FontCharSet());
}

int TQLanguageSettings::CharSetFromName(QStringView name) {
    for (const CharSet& c : kCharSets) {
        if (name.compare(QStringView(c.name), Qt::CaseInsensitive) == 0) {
            return c.number;
        }
    }
    return DEFAULT_CHARSET;
}

QString TQLanguageSettings::CharSetName(int charSet) {
    for (const CharSet& c : kCharSets) {
        if (c.number == charSet) {
            return QString::fromUtf16(c.name);
        }
    }
    return QStringLiteral("DEFAULT_CHARSET");
}

Qt::LayoutDirection TQLanguageSettings::LayoutDirection(TBiDiMode mode) {
    return mode == bdLeftToRight ? Qt::LeftToRight : Qt::RightToLeft;
}

void TQLanguageSettings::ApplySettings(QObject* window, const QList<QObject*>& components,
                                       int charSet, TBiDiMode mode, bool ownWindow) {
    if (ownWindow) {
        g_screenFontCharSet = charSet;
    }
    const Qt::LayoutDirection direction = LayoutDirection(mode);
    auto apply = [&](QObject* o) {
        auto widget = qobject_cast<QWidget*>(o);
        if (!widget) {
            return;  // actions and other objects have neither an own font nor a direction
        }
        if (HasFontProperty(widget)) {
            ClearParentFont(widget);
        }
        if (HasBiDiModeProperty(widget)) {
            widget->setLayoutDirection(direction);
        }
    };
    apply(window);
    for (QObject* o : components) {
        apply(o);
    }
}

int TQLanguageSettings::ScreenFontCharSet() {
    return g_screenFontCharSet;
}

}  // namespace i18n
