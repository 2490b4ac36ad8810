// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringView>
#include <Qt>

class QObject;

namespace i18n {

class TQCustomLanguageSource;

enum TBiDiMode {
    bdLeftToRight = 0,
    bdRightToLeft = 1,
    bdRightToLeftNoAlign = 2,
    bdRightToLeftReadingOnly = 3,
};

// The reading direction and font character set of a language, kept in the section
// "General Settings" of its file. Every read goes to the open file; while the built-in
// language is active the values stored here are used instead.
class TQLanguageSettings final {
public:
    static constexpr int DEFAULT_CHARSET = 1;
    static QString SectionName() { return QStringLiteral("General Settings"); }

    // EQLocalError without a source.
    explicit TQLanguageSettings(TQCustomLanguageSource* source);
    TQLanguageSettings(const TQLanguageSettings&) = delete;
    TQLanguageSettings& operator=(const TQLanguageSettings&) = delete;

    TQCustomLanguageSource* Source() const { return m_source; }

    TBiDiMode BiDiMode() const;
    int FontCharSet() const;
    // Written into the active language's file; stored here while the built-in language is
    // active or the source is read-only; ignored while the source is being loaded.
    void SetBiDiMode(TBiDiMode mode);
    void SetFontCharSet(int charSet);
    // Copies the other's values as it reads them.
    void Assign(const TQLanguageSettings& other);

    // Windows font character-set names: RUSSIAN_CHARSET is 204. Unknown names read as
    // DEFAULT_CHARSET (1), unknown numbers are written as DEFAULT_CHARSET.
    static int CharSetFromName(QStringView name);
    static QString CharSetName(int charSet);
    static Qt::LayoutDirection LayoutDirection(TBiDiMode mode);

    // Gives the window and the components it owns the character set and reading direction;
    // a window that is the localizer's own also sets the screen-wide fonts. Qt's fonts are
    // Unicode, so no glyph mapping follows from the character set: it is only recorded.
    // Each widget is left with a font and a direction of its own (ParentFont and
    // ParentBiDiMode false), as after any translation.
    static void ApplySettings(QObject* window, const QList<QObject*>& components, int charSet,
                              TBiDiMode mode, bool ownWindow);
    // The character set last given to the screen-wide hint, menu and icon fonts.
    static int ScreenFontCharSet();

private:
    TQCustomLanguageSource* m_source;
    TBiDiMode m_bidiMode = bdLeftToRight;
    int m_fontCharSet = DEFAULT_CHARSET;
};

}  // namespace i18n
