// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFlags>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

#include "langsettings.h"
#include "langsource.h"

class QWidget;

namespace i18n {

// The binding of a localizer to a language source and the language-change notifications.
class TQCustomLocalizer : public QObject {
    Q_OBJECT

public:
    explicit TQCustomLocalizer(QObject* owner);
    ~TQCustomLocalizer() override;

    TQCustomLanguageSource* Source() const { return m_source; }
    // Attaches to the source (or detaches with nullptr). A window attached while a file
    // language is active is translated at once.
    void SetSource(TQCustomLanguageSource* source);

    // Between these the source is only remembered and set when loading ends.
    void BeginLoading();
    void EndLoading();

    virtual void Localize() {}
    virtual void SaveTexts() {}
    // Told before the source's language becomes newIndex; allow is not read back.
    virtual void LanguageChanging(int newIndex, bool& allow);
    virtual void LanguageChanged();

Q_SIGNALS:
    void OnLanguageChanging(int index, bool* allow);
    void OnLanguageChanged();

protected:
    // False once the owner has begun to be destroyed: its components may be gone.
    bool ownerAlive() const { return m_ownerAlive; }

private:
    friend class TQCustomLanguageSource;
    // The source is being destroyed: forget it and go back to the built-in texts.
    void sourceRemoved(TQCustomLanguageSource* source);

    QPointer<TQCustomLanguageSource> m_source;
    QPointer<TQCustomLanguageSource> m_pendingSource;
    bool m_loading = false;
    bool m_ownerAlive = true;
};

enum TQSaveOption {
    soSaveEmpty = 0x1,                // collect and write empty texts too
    soIgnoreDependencyIfEmpty = 0x2,  // an empty dependency target collects the property itself
    soIncludeFrames = 0x4,            // also walk what embedded localized windows own
};
Q_DECLARE_FLAGS(TQSaveOptions, TQSaveOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TQSaveOptions)

// Translates the window that owns it from the window's section of the active language file,
// keeps the built-in (Danish) texts it replaces in Originals and puts them back when the
// built-in language becomes active again. A window attaches one like this:
//
//     auto* localizer = new i18n::TQFormLocalizer(this);   // QFormLocalizer1, owned by the form
//     localizer->setObjectName(QStringLiteral("QFormLocalizer1"));
//     localizer->SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint"),
//                              QStringLiteral("Warning")});
//     localizer->SetSource(mainWindowsLanguageSource);
//
// The section is the window's name (THovedForm's form reads [HovedForm]); a key is a
// property name for the window itself, or "Component.Property" for a component it owns
// (any named descendant, found by objectName without regard to case): "SpeedButton1.Caption",
// "DBGrid1.Columns" (comma text), "AboutBox1.Warning".
class TQFormLocalizer final : public TQCustomLocalizer {
    Q_OBJECT

public:
    // EQLocalError without a form, or when the form already has a TQFormLocalizer.
    explicit TQFormLocalizer(QWidget* form);
    ~TQFormLocalizer() override;

    QWidget* Form() const { return m_form; }
    // The window's section name: its objectName, less the "T" a Qt Designer form takes over
    // from its class name.
    QString FormName() const;

    const QStringList& PropNames() const { return m_propNames; }
    // While a file language is active: properties taken out get their originals back at
    // once, properties added have their current texts kept as originals.
    void SetPropNames(const QStringList& names);
    // "key=encoded value" lines of the built-in texts replaced so far.
    const QStringList& Originals() const { return m_originals; }
    void SetOriginals(const QStringList& lines) { m_originals = lines; }
    // "Property=Target" lines: when texts are collected, the property's text is taken from
    // the target property instead.
    const QStringList& Dependencies() const { return m_dependencies; }
    void SetDependencies(const QStringList& lines);
    // Component paths and keys that are skipped.
    const QStringList& Excluded() const { return m_excluded; }
    void SetExcluded(const QStringList& lines);
    TQSaveOptions SaveOptions() const { return m_saveOptions; }
    void SetSaveOptions(TQSaveOptions options) { m_saveOptions = options; }
    bool ClearBeforeSave() const { return m_clearBeforeSave; }
    void SetClearBeforeSave(bool clear) { m_clearBeforeSave = clear; }

    void Localize() override;
    // Writes the window's current texts into its section of the active language's file.
    void SaveTexts() override;
    void LanguageChanging(int newIndex, bool& allow) override;
    void LanguageChanged() override;

    void LocalizeSection(const QString& section);
    void SaveSection(const QString& section);

    // Resolves a key to the object it addresses and leaves the property name in key;
    // nullptr when the key names nothing.
    QObject* FindTarget(QString& key) const;
    // Sets a text, list or column titles when propName is one of propList. A text that is
    // empty stays empty (unless soSaveEmpty).
    void ApplyValue(QObject* target, const QString& propName, const QStringList& propList,
                    const QString& value);
    void StoreOriginals();
    // Puts back, and removes from Originals, the lines of the properties in propList.
    void RestoreOriginals(const QStringList& propList);

    // The window's components, each with its path relative to the window, in order.
    struct Component {
        QObject* object;
        QString path;
    };
    QList<Component> Components() const;

Q_SIGNALS:
    void OnPropertyLocalizing(QObject* object, const QString& propName, QString* newValue,
                              bool* allow);
    void OnPropertyLocalized(QObject* object, const QString& propName, const QString& value);
    void OnPropertySaving(QObject* object, const QString& propName, QString* newValue, bool* allow);
    void OnPropertySaved(QObject* object, const QString& propName, const QString& value);

private:
    void collect(const QStringList& propList, QStringList* destination, const QString& section);
    QString readText(QObject* object, const QString& propName) const;
    void applySettings(int charSet, TBiDiMode mode);

    QWidget* m_form;
    QStringList m_propNames{QStringLiteral("Caption"), QStringLiteral("Hint")};
    QStringList m_originals;
    QStringList m_dependencies;
    QStringList m_excluded;
    TQSaveOptions m_saveOptions;
    bool m_clearBeforeSave = false;
};

}  // namespace i18n
