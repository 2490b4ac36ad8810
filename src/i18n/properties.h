// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

class QObject;
class QWidget;

namespace i18n {

// Named-property access for the localizer. The property names of the language files map
// onto Qt properties:
//   Caption  windowTitle of a window; title of a menu or group box; text of a button, label,
//            action or other widget with a text that is not typed in (edits hold data)
//   Hint     toolTip (an action's tool tip that only echoes its text counts as none)
//   Columns  a QStringList property "Columns": the column titles of a data grid
//   Font, BiDiMode and their Parent* flags: see the helpers below
// Any other name is a Qt property of that name, compared without regard to case.
enum class PropKind {
    None,     // the object has no such property
    Text,     // a QString
    Lines,    // a QStringList, replaced as a whole
    Columns,  // grid column titles: only the titles that exist are set
    Object,   // a QObject*, stepped through in keys
    Other,    // exists but cannot take text
};

class NamedProperty final {
public:
    NamedProperty() = default;
    NamedProperty(QObject* object, QStringView name);

    PropKind kind() const { return m_kind; }
    bool exists() const { return m_kind != PropKind::None; }

    QString text() const;
    void setText(const QString& value) const;
    QStringList lines() const;
    void setLines(const QStringList& value) const;
    QObject* object() const;

private:
    QObject* m_object = nullptr;
    QByteArray m_qtName;
    PropKind m_kind = PropKind::None;
    bool m_actionToolTip = false;
};

// Reading direction and font character set, as the language settings apply them.
bool HasFontProperty(const QObject* object);
// A font is inherited while the widget has not been given one of its own.
bool ParentFont(const QWidget* widget);
// Gives the widget its current font as its own, so it no longer follows its parent.
void ClearParentFont(QWidget* widget);
bool HasBiDiModeProperty(const QObject* object);
bool ParentBiDiMode(const QWidget* widget);

}  // namespace i18n
