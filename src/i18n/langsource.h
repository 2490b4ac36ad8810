// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>

#include "langsettings.h"

namespace i18n {

class TQCustomLocalizer;
class TQLanguageFile;

// The list of languages, the active one, and the reads and writes of the form localizers
// that register with it. Assigning ActiveLanguage is the only way the program changes
// language: the old file is closed, the new one opened, and every registered localizer
// translates its window, in registration order.
//
// The main window owns the program's one source:
//
//     auto* source = new i18n::TQLanguageSource(this);   // QLanguageSource1
//     source->setObjectName(QStringLiteral("QLanguageSource1"));
//     source->SetOriginalName(QStringLiteral("Dansk"));
//     source->SetLanguages({QStringLiteral("English=English.lng"), ...});
//     ...
//     source->SetActiveLanguage(storedLanguage);          // -1 Danish, 0.. a file
//
// and builds its language menu from OriginalName() (-1) and GetLanguageName(0..count-1).
// This base class reads nothing and refuses every write.
class TQCustomLanguageSource : public QObject {
    Q_OBJECT

public:
    explicit TQCustomLanguageSource(QObject* owner = nullptr);
    ~TQCustomLanguageSource() override;

    int ActiveLanguage() const { return m_activeLanguage; }
    // EQLocalError "Index out of bounds (N)" outside -1 .. count-1; nothing changes then.
    void SetActiveLanguage(int index);

    // One "name=file" line per language; the line's place is the language index.
    const QStringList& Languages() const { return m_languages; }
    // A different list makes the built-in language active.
    void SetLanguages(const QStringList& languages);
    int LanguageCount() const { return int(m_languages.size()); }

    const QString& OriginalName() const { return m_originalName; }
    void SetOriginalName(const QString& name) { m_originalName = name; }

    TQLanguageSettings& ActiveSettings() { return *m_settings; }
    const TQLanguageSettings& ActiveSettings() const { return *m_settings; }
    void SetActiveSettings(const TQLanguageSettings& settings) { m_settings->Assign(settings); }

    QString GetLanguageName(int index) const;
    QString GetLanguageFileName(int index) const;

    void RegisterLocalizer(TQCustomLocalizer* localizer);
    void UnregisterLocalizer(TQCustomLocalizer* localizer);
    const QList<TQCustomLocalizer*>& Localizers() const { return m_localizers; }

    // Between these a configuration is being read: ActiveLanguage is only remembered, and
    // applied (without change notifications) when loading ends.
    void BeginLoading();
    void EndLoading();
    bool IsLoading() const { return m_loading; }
    bool IsReady() const { return m_ready; }

    virtual void LanguageChanging(int newIndex, bool& allow);
    virtual void LanguageChanged();
    virtual void OpenLanguage(int index);
    virtual void CloseLanguage(int index);
    virtual QString GetSection() const { return m_section; }
    virtual bool IsReadOnly() const { return true; }
    virtual void SetSection(const QString& name) { m_section = name; }
    virtual QString ReadString(const QString& key, const QString& defaultValue);
    virtual void WriteString(const QString& key, const QString& value);
    // Fills the list with "key=value" lines of the current section.
    virtual void ReadSection(QStringList* list);
    virtual void WriteSection(const QStringList* list);
    virtual void EraseSection();
    virtual void ClearAll();

Q_SIGNALS:
    // Asked before a change; a handler may set *allow to false to refuse it.
    void OnLanguageChanging(int index, bool* allow);
    void OnLanguageChanged();

protected:
    // EQLocalError when the source is read-only.
    void CheckWritable() const;

private:
    void checkIndex(int index) const;

    int m_activeLanguage = -1;
    int m_pendingLanguage = -1;
    bool m_loading = false;
    bool m_ready = false;
    QStringList m_languages;
    QString m_originalName = QStringLiteral("Original");
    QString m_section;
    QList<TQCustomLocalizer*> m_localizers;  // not owned
    std::unique_ptr<TQLanguageSettings> m_settings;
};

// Adds the default file extension, which is kept with the configuration only: file names
// come whole from Languages.
class TQFileLanguageSource : public TQCustomLanguageSource {
    Q_OBJECT

public:
    explicit TQFileLanguageSource(QObject* owner = nullptr);

    const QString& DefaultFileExt() const { return m_defaultFileExt; }
    void SetDefaultFileExt(const QString& ext) { m_defaultFileExt = ext; }

private:
    QString m_defaultFileExt = QStringLiteral("lng");
};

// Reads and writes the active language's file, held in memory from activation until the
// language changes. A file name is looked up by FindLanguageFile.
class TQLanguageSource : public TQFileLanguageSource {
    Q_OBJECT

public:
    explicit TQLanguageSource(QObject* owner = nullptr);
    ~TQLanguageSource() override;

    bool SortSections() const { return m_sortSections; }
    void SetSortSections(bool sort) { m_sortSections = sort; }

    // The open file's image; none while the built-in language is active.
    const TQLanguageFile* LanguageFile() const { return m_file.get(); }

    void OpenLanguage(int index) override;
    void CloseLanguage(int index) override;
    bool IsReadOnly() const override { return false; }
    QString ReadString(const QString& key, const QString& defaultValue) override;
    void WriteString(const QString& key, const QString& value) override;
    void ReadSection(QStringList* list) override;
    void WriteSection(const QStringList* list) override;
    void EraseSection() override;
    void ClearAll() override;

private:
    std::unique_ptr<TQLanguageFile> m_file;
    bool m_sortSections = false;
};

// The language source of the program's main window (its top-level child named
// "QLanguageSource1"), for windows and helpers that follow its language; null when there is
// no such window (a test, a tool).
TQCustomLanguageSource* mainLanguageSource();
// That source's active language, Danish (-1) without one.
int mainActiveLanguage();

}  // namespace i18n
