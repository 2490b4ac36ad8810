// SPDX-License-Identifier: GPL-3.0-or-later
#include "langsource.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

#include "errors.h"
#include "langfile.h"
#include "localizer.h"

namespace i18n {

namespace {

void sortLines(QStringList& lines) {
    std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
}

}  // namespace

TQCustomLanguageSource::TQCustomLanguageSource(QObject* owner)
    : QObject(owner), m_settings(std::make_unique<TQLanguageSettings>(this)) {}

TQCustomLanguageSource::~TQCustomLanguageSource() {
    // The localizers learn of the removal while this object is still whole.
    const QList<TQCustomLocalizer*> localizers = m_localizers;
    m_localizers.clear();
    for (TQCustomLocalizer* l : localizers) {
        l->sourceRemoved(this);
    }
}

void TQCustomLanguageSource::checkIndex(int index) const {
    if (index < -1 || index >= LanguageCount()) {
        throw EQLocalError(QStringLiteral("Index out of bounds (%1)").arg(index));
    }
}

void TQCustomLanguageSource::SetActiveLanguage(int index) {
    if (m_loading) {
        m_pendingLanguage = index;
        m_ready = false;
        return;
    }
    checkIndex(index);
    if (index == m_activeLanguage) {
        m_ready = true;
        return;
    }
    // Permission is asked before the old file is closed, so that a refused change leaves
    // the old language whole and readable.
    if (m_ready) {
        bool allow = true;
        LanguageChanging(index, allow);
        if (!allow) {
            return;
        }
    }
    if (m_activeLanguage >= 0) {
        CloseLanguage(m_activeLanguage);
    }
    m_activeLanguage = index;
    if (index >= 0) {
        OpenLanguage(index);
    }
    const QList<TQCustomLocalizer*> localizers = m_localizers;
    for (TQCustomLocalizer* l : localizers) {
        if (m_localizers.contains(l)) {
            l->Localize();
        }
    }
    if (m_ready) {
        LanguageChanged();
    }
    m_ready = true;
}

void TQCustomLanguageSource::SetLanguages(const QStringList& languages) {
    if (languages == m_languages) {
        return;
    }
    m_languages = languages;
    SetActiveLanguage(-1);
}

QString TQCustomLanguageSource::GetLanguageName(int index) const {
    if (index == -1) {
        return m_originalName;
    }
    checkIndex(index);
    const QString& line = m_languages[index];
    const qsizetype eq = line.indexOf(u'=');
    return eq < 0 ? QString() : line.left(eq);
}

QString TQCustomLanguageSource::GetLanguageFileName(int index) const {
    if (index == -1) {
        return {};
    }
    checkIndex(index);
    const QString name = GetLanguageName(index);
    // By name: a name listed twice yields the first line's file.
    for (const QString& line : m_languages) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq >= 0 && QStringView(line).first(eq).compare(name, Qt::CaseInsensitive) == 0) {
            return line.mid(eq + 1);
        }
    }
    return {};
}

void TQCustomLanguageSource::RegisterLocalizer(TQCustomLocalizer* localizer) {
    if (!localizer || m_localizers.contains(localizer)) {
        return;
    }
    m_localizers.append(localizer);
    if (m_activeLanguage >= 0) {
        localizer->Localize();
    }
}

void TQCustomLanguageSource::UnregisterLocalizer(TQCustomLocalizer* localizer) {
    m_localizers.removeAll(localizer);
}

void TQCustomLanguageSource::BeginLoading() {
    m_loading = true;
    m_ready = false;
}

void TQCustomLanguageSource::EndLoading() {
    m_loading = false;
    if (m_pendingLanguage >= -1 && m_pendingLanguage < LanguageCount()) {
        SetActiveLanguage(m_pendingLanguage);
    }
}

void TQCustomLanguageSource::LanguageChanging(int newIndex, bool& allow) {
    // The localizers are told; their answers are not consulted.
    const QList<TQCustomLocalizer*> localizers = m_localizers;
    for (TQCustomLocalizer* l : localizers) {
        if (m_localizers.contains(l)) {
            bool ignored = true;
            l->LanguageChanging(newIndex, ignored);
        }
    }
    Q_EMIT OnLanguageChanging(newIndex, &allow);
}

void TQCustomLanguageSource::LanguageChanged() {
    const QList<TQCustomLocalizer*> localizers = m_localizers;
    for (TQCustomLocalizer* l : localizers) {
        if (m_localizers.contains(l)) {
            l->LanguageChanged();
        }
    }
    Q_EMIT OnLanguageChanged();
}

void TQCustomLanguageSource::OpenLanguage(int) {}

void TQCustomLanguageSource::CloseLanguage(int) {}

QString TQCustomLanguageSource::ReadString(const QString&, const QString& defaultValue) {
    return defaultValue;
}

void TQCustomLanguageSource::CheckWritable() const {
    if (IsReadOnly()) {
        throw EQLocalError(QStringLiteral("Cannot write to source file (ReadOnly = True)!"));
    }
}

void TQCustomLanguageSource::WriteString(const QString&, const QString&) {
    CheckWritable();
}

void TQCustomLanguageSource::ReadSection(QStringList*) {}

void TQCustomLanguageSource::WriteSection(const QStringList*) {
    CheckWritable();
}

void TQCustomLanguageSource::EraseSection() {
    CheckWritable();
}

void TQCustomLanguageSource::ClearAll() {
    CheckWritable();
}

TQFileLanguageSource::TQFileLanguageSource(QObject* owner) : TQCustomLanguageSource(owner) {}

TQLanguageSource::TQLanguageSource(QObject* owner) : TQFileLanguageSource(owner) {}

TQLanguageSource::~TQLanguageSource() {
    m_file.reset();
}

void TQLanguageSource::OpenLanguage(int) {
    m_file.reset();
    if (ActiveLanguage() >= 0) {
        m_file = std::make_unique<TQLanguageFile>(
            FindLanguageFile(GetLanguageFileName(ActiveLanguage())));
    }
}

void TQLanguageSource::CloseLanguage(int) {
    m_file.reset();
}

QString TQLanguageSource::ReadString(const QString& key, const QString& defaultValue) {
    if (!m_file || key.isEmpty()) {
        return defaultValue;
    }
    return m_file->ReadString(GetSection(), key, defaultValue);
}

void TQLanguageSource::WriteString(const QString& key, const QString& value) {
    CheckWritable();
    if (m_file && !key.isEmpty()) {
        m_file->WriteString(GetSection(), key, value);
    }
}

void TQLanguageSource::ReadSection(QStringList* list) {
    if (!list || !m_file) {
        return;
    }
    m_file->ReadSectionValues(GetSection(), *list);
    if (m_sortSections) {
        sortLines(*list);
    }
}

void TQLanguageSource::WriteSection(const QStringList* list) {
    CheckWritable();
    if (!list || !m_file) {
        return;
    }
    QStringList lines = *list;
    if (m_sortSections) {
        sortLines(lines);
    }
    for (const QString& line : lines) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0) {
            WriteString(line.left(eq), line.mid(eq + 1));
        }
    }
}

void TQLanguageSource::EraseSection() {
    CheckWritable();
    if (m_file && !GetSection().isEmpty()) {
        m_file->EraseSection(GetSection());
    }
}

void TQLanguageSource::ClearAll() {
    CheckWritable();
    if (m_file) {
        m_file->Clear();
    }
}

TQCustomLanguageSource* mainLanguageSource() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* source = w->findChild<TQCustomLanguageSource*>(QStringLiteral("QLanguageSource1"),
                                                                 Qt::FindDirectChildrenOnly)) {
            return source;
        }
    }
    return nullptr;
}

int mainActiveLanguage() {
    const TQCustomLanguageSource* source = mainLanguageSource();
    return source ? source->ActiveLanguage() : -1;
}

}  // namespace i18n
