// SPDX-License-Identifier: GPL-3.0-or-later
#include "localizer.h"

#include <QWidget>
#include <optional>

#include "codec.h"
#include "errors.h"
#include "properties.h"

namespace i18n {

namespace {

bool sameName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool containsName(const QStringList& list, QStringView name) {
    return list.contains(name, Qt::CaseInsensitive);
}

// The value of the first "name=value" line of that name, if any.
std::optional<QString> valueOf(const QStringList& lines, QStringView name) {
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && sameName(QStringView(line).first(eq), name)) {
            return line.mid(eq + 1);
        }
    }
    return std::nullopt;
}

bool ownsFormLocalizer(const QObject* o) {
    for (const QObject* child : o->children()) {
        if (child && qobject_cast<const TQFormLocalizer*>(child)) {
            return true;
        }
    }
    return false;
}

// The components an object owns: its named descendants, depth first in creation order.
// Qt's own helper objects (named qt_...) are passed through, not listed; what another
// localized window inside owns is its own, unless frames are included, when its
// components' paths begin with that window's name.
void walk(const QObject* owner, const QString& prefix, bool includeFrames,
          QList<TQFormLocalizer::Component>& out) {
    for (QObject* child : owner->children()) {
        if (!child) {
            continue;  // a sibling being destroyed
        }
        const QString name = child->objectName();
        const bool listed = !name.isEmpty() && !name.startsWith(QLatin1StringView("qt_"));
        if (listed) {
            out.append({child, prefix + name});
        }
        if (ownsFormLocalizer(child)) {
            if (includeFrames && listed) {
                walk(child, prefix + name + u'.', includeFrames, out);
            }
            continue;
        }
        walk(child, prefix, includeFrames, out);
    }
}

QObject* findComponent(const QObject* owner, QStringView name) {
    if (name.isEmpty()) {
        return nullptr;
    }
    QList<TQFormLocalizer::Component> components;
    walk(owner, QString(), false, components);
    for (const TQFormLocalizer::Component& c : components) {
        if (sameName(c.object->objectName(), name)) {
            return c.object;
        }
    }
    return nullptr;
}

}  // namespace

// TQCustomLocalizer

TQCustomLocalizer::TQCustomLocalizer(QObject* owner) : QObject(owner) {
    if (!owner) {
        throw EQLocalError(QStringLiteral("Owner is not specified!"));
    }
    // A widget announces its destruction before it deletes its children, so a source among
    // them that goes first cannot make this localizer touch half-destroyed components.
    connect(owner, &QObject::destroyed, this, [this] { m_ownerAlive = false; });
}

TQCustomLocalizer::~TQCustomLocalizer() {
    if (m_source) {
        m_source->UnregisterLocalizer(this);
    }
}

void TQCustomLocalizer::SetSource(TQCustomLanguageSource* source) {
    if (m_loading) {
        m_pendingSource = source;
        return;
    }
    if (source == m_source) {
        return;
    }
    if (m_source) {
        m_source->UnregisterLocalizer(this);
    }
    const int newIndex = source ? source->ActiveLanguage() : -1;
    const int oldIndex = m_source ? m_source->ActiveLanguage() : -1;
    if (newIndex != oldIndex) {
        bool allow = true;
        LanguageChanging(newIndex, allow);
    }
    m_source = source;
    if (newIndex != oldIndex) {
        LanguageChanged();
    }
    if (source) {
        source->RegisterLocalizer(this);
    }
    m_pendingSource = nullptr;
}

void TQCustomLocalizer::BeginLoading() {
    m_loading = true;
}

void TQCustomLocalizer::EndLoading() {
    m_loading = false;
    if (m_pendingSource) {
        SetSource(m_pendingSource);
    }
}

void TQCustomLocalizer::LanguageChanging(int newIndex, bool& allow) {
    Q_EMIT OnLanguageChanging(newIndex, &allow);
}

void TQCustomLocalizer::LanguageChanged() {
    Q_EMIT OnLanguageChanged();
}

void TQCustomLocalizer::sourceRemoved(TQCustomLanguageSource* source) {
    if (source != m_source) {
        return;
    }
    m_source = nullptr;
    if (m_ownerAlive) {
        Localize();
    }
}

// TQFormLocalizer

TQFormLocalizer::TQFormLocalizer(QWidget* form) : TQCustomLocalizer(form), m_form(form) {
    for (const QObject* child : form->children()) {
        if (child != this && qobject_cast<const TQFormLocalizer*>(child)) {
            throw EQLocalError(QStringLiteral("'%1' already contains instance of %2 class!")
                                   .arg(FormName(), QStringLiteral("TQFormLocalizer")));
        }
    }
}

TQFormLocalizer::~TQFormLocalizer() = default;

QString TQFormLocalizer::FormName() const {
    const QString name = m_form->objectName();
    QString className = QString::fromLatin1(m_form->metaObject()->className());
    className = className.mid(className.lastIndexOf(u':') + 1);
    if (name.size() > 1 && name.startsWith(u'T') && name == className) {
        return name.mid(1);
    }
    return name;
}

QList<TQFormLocalizer::Component> TQFormLocalizer::Components() const {
    QList<Component> components;
    walk(m_form, QString(), m_saveOptions.testFlag(soIncludeFrames), components);
    return components;
}

void TQFormLocalizer::SetPropNames(const QStringList& names) {
    if (names == m_propNames) {
        return;
    }
    if (Source() && Source()->ActiveLanguage() >= 0) {
        QStringList removed;
        QStringList added;
        for (const QString& n : m_propNames) {
            if (!containsName(names, n)) {
                removed << n;
            }
        }
        for (const QString& n : names) {
            if (!containsName(m_propNames, n)) {
                added << n;
            }
        }
        RestoreOriginals(removed);
        if (!added.isEmpty()) {
            collect(added, &m_originals, QString());
        }
    }
    m_propNames = names;
}

void TQFormLocalizer::SetDependencies(const QStringList& lines) {
    m_dependencies = lines;
    Localize();
}

void TQFormLocalizer::SetExcluded(const QStringList& lines) {
    m_excluded = lines;
    Localize();
}

void TQFormLocalizer::Localize() {
    LocalizeSection(FormName());
}

void TQFormLocalizer::SaveTexts() {
    if (m_clearBeforeSave && Source()) {
        // The window's own section: the current one may be another window's.
        Source()->SetSection(FormName());
        Source()->EraseSection();
    }
    SaveSection(FormName());
}

void TQFormLocalizer::LanguageChanging(int newIndex, bool& allow) {
    TQCustomLocalizer::LanguageChanging(newIndex, allow);
    if ((!Source() || Source()->ActiveLanguage() == -1) && newIndex >= 0) {
        StoreOriginals();
    }
}

void TQFormLocalizer::LanguageChanged() {
    if (!Source() || Source()->ActiveLanguage() == -1) {
        RestoreOriginals(m_propNames);
    }
    TQCustomLocalizer::LanguageChanged();
}

void TQFormLocalizer::LocalizeSection(const QString& section) {
    if (!ownerAlive()) {
        return;
    }
    TQCustomLanguageSource* source = Source();
    if (source && source->ActiveLanguage() >= 0 &&
        source->ActiveLanguage() < source->LanguageCount()) {
        const TQLanguageSettings& settings = source->ActiveSettings();
        applySettings(settings.FontCharSet(), settings.BiDiMode());
        source->SetSection(section);
        QStringList lines;
        source->ReadSection(&lines);
        for (const QString& line : lines) {
            const qsizetype eq = line.indexOf(u'=');
            if (eq < 0) {
                continue;
            }
            QString key = line.left(eq);
            if (containsName(m_excluded, key)) {
                continue;
            }
            QObject* target = FindTarget(key);
            ApplyValue(target, key, m_propNames, line.mid(eq + 1));
        }
    } else {
        applySettings(TQLanguageSettings::DEFAULT_CHARSET, bdLeftToRight);
        RestoreOriginals(m_propNames);
    }
}

void TQFormLocalizer::SaveSection(const QString& section) {
    if (Source() && Source()->ActiveLanguage() >= 0 && ownerAlive()) {
        collect(m_propNames, nullptr, section);
    }
}

QObject* TQFormLocalizer::FindTarget(QString& key) const {
    if (!key.contains(u'.')) {
        return m_form;
    }
    QObject* current = m_form;
    for (;;) {
        const qsizetype dot = key.indexOf(u'.');
        const qsizetype bracket = key.indexOf(u'[');
        qsizetype sep = dot;
        if (bracket >= 0 && (sep < 0 || bracket < sep)) {
            sep = bracket;
        }
        if (sep < 0) {
            return current;
        }
        const QString segment = key.left(sep);
        const bool indexed = key[sep] == u'[';
        key.remove(0, sep + 1);
        if (QObject* component = findComponent(current, segment)) {
            current = component;
            continue;
        }
        if (!containsName(m_propNames, segment)) {
            return nullptr;
        }
        const NamedProperty property(current, segment);
        // No Qt property is an indexed collection, so "[n]." addresses nothing.
        if (property.kind() != PropKind::Object || indexed) {
            return nullptr;
        }
        current = property.object();
        if (!current) {
            return nullptr;
        }
    }
}

void TQFormLocalizer::ApplyValue(QObject* target, const QString& propName,
                                 const QStringList& propList, const QString& value) {
    if (!target || !containsName(propList, propName)) {
        return;
    }
    const NamedProperty property(target, propName);
    if (!property.exists()) {
        return;
    }
    bool allow = true;
    QString newValue = value;
    Q_EMIT OnPropertyLocalizing(target, propName, &newValue, &allow);
    if (!allow) {
        return;
    }
    switch (property.kind()) {
        case PropKind::Text:
            // A text left empty in the design is never filled from a file.
            if (m_saveOptions.testFlag(soSaveEmpty) || !property.text().isEmpty()) {
                property.setText(newValue);
            }
            break;
        case PropKind::Lines:
            property.setLines(FromCommaText(newValue));
            break;
        case PropKind::Columns: {
            // Columns without an item keep their titles; surplus items are ignored.
            QStringList titles = property.lines();
            const QStringList items = FromCommaText(newValue);
            for (qsizetype i = 0; i < titles.size() && i < items.size(); ++i) {
                titles[i] = items[i];
            }
            property.setLines(titles);
            break;
        }
        default:
            break;
    }
    Q_EMIT OnPropertyLocalized(target, propName, newValue);
}

void TQFormLocalizer::StoreOriginals() {
    if (!ownerAlive()) {
        return;
    }
    m_originals.clear();
    collect(m_propNames, &m_originals, QString());
}

void TQFormLocalizer::RestoreOriginals(const QStringList& propList) {
    if (propList.isEmpty() || !ownerAlive()) {
        return;
    }
    for (qsizetype i = 0; i < m_originals.size();) {
        const QString line = m_originals[i];
        const qsizetype eq = line.indexOf(u'=');
        QString propName = eq < 0 ? line : line.left(eq);
        QObject* target = FindTarget(propName);
        if (eq < 0 || !containsName(propList, propName)) {
            ++i;
            continue;
        }
        ApplyValue(target, propName, propList, DecodeValue(QStringView(line).sliced(eq + 1)));
        // A handler may have changed the list; the line is removed where it now is.
        const qsizetype at = m_originals.indexOf(line, i);
        m_originals.removeAt(at >= 0 ? at : i);
    }
}

QString TQFormLocalizer::readText(QObject* object, const QString& propName) const {
    const NamedProperty property(object, propName);
    switch (property.kind()) {
        case PropKind::Text:
            return property.text();
        case PropKind::Lines:
        case PropKind::Columns:
            return ToCommaText(property.lines());
        default:
            return {};
    }
}

void TQFormLocalizer::collect(const QStringList& propList, QStringList* destination,
                              const QString& section) {
    QList<Component> objects{{m_form, FormName()}};
    objects += Components();
    for (qsizetype n = 0; n < objects.size(); ++n) {
        const Component& c = objects[n];
        const bool isForm = n == 0;
        if (c.path.isEmpty() || containsName(m_excluded, c.path)) {
            continue;
        }
        for (const QString& prop : propList) {
            if (TrimControls(prop).isEmpty()) {
                continue;
            }
            QObject* readObject = c.object;
            QString readName = prop;
            bool fromDependency = false;
            if (std::optional<QString> target = valueOf(m_dependencies, prop)) {
                QStringList seen{prop};
                QString t = *target;
                for (;;) {
                    if (containsName(seen, t)) {
                        t = prop;  // a cycle: the property itself
                        break;
                    }
                    seen << t;
                    const std::optional<QString> next = valueOf(m_dependencies, t);
                    if (!next) {
                        break;
                    }
                    t = *next;
                }
                if (!sameName(t, prop)) {
                    const QStringList segments = t.split(u'.');
                    QObject* o = c.object;
                    for (qsizetype s = 0; o && s + 1 < segments.size(); ++s) {
                        const NamedProperty step(o, segments[s]);
                        o = step.kind() == PropKind::Object ? step.object() : nullptr;
                    }
                    if (o) {
                        readObject = o;
                        readName = segments.last();
                        fromDependency = true;
                    }
                }
            }
            QString text = readText(readObject, readName);
            if (text.isEmpty() && fromDependency &&
                m_saveOptions.testFlag(soIgnoreDependencyIfEmpty)) {
                text = readText(c.object, prop);
            }
            if (TrimControls(text).isEmpty() && !m_saveOptions.testFlag(soSaveEmpty)) {
                continue;
            }
            const QString key = isForm ? prop : c.path + u'.' + prop;
            if (destination) {
                const QString line = key + u'=' + EncodeValue(text);
                bool replaced = false;
                for (QString& existing : *destination) {
                    const qsizetype eq = existing.indexOf(u'=');
                    if (eq >= 0 && sameName(QStringView(existing).first(eq), key)) {
                        existing = line;
                        replaced = true;
                        break;
                    }
                }
                if (!replaced) {
                    destination->append(line);
                }
                continue;
            }
            Source()->SetSection(section.isEmpty() ? FormName() : section);
            bool allow = true;
            QString saved = text;
            Q_EMIT OnPropertySaving(c.object, prop, &saved, &allow);
            if (!allow) {
                break;
            }
            Source()->WriteString(key, saved);
            Q_EMIT OnPropertySaved(c.object, prop, saved);
        }
    }
}

void TQFormLocalizer::applySettings(int charSet, TBiDiMode mode) {
    QList<QObject*> objects;
    for (const Component& c : Components()) {
        objects << c.object;
    }
    TQLanguageSettings::ApplySettings(m_form, objects, charSet, mode, true);
}

}  // namespace i18n
