// SPDX-License-Identifier: GPL-3.0-or-later
#include "properties.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMetaProperty>
#include <QPlainTextEdit>
#include <QTextDocument>
#include <QTextEdit>
#include <QWidget>

namespace i18n {

namespace {

bool isName(QStringView a, QStringView b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// A widget whose "text" is what the user types: never a caption.
bool isInput(const QObject* o) {
    return qobject_cast<const QLineEdit*>(o) || qobject_cast<const QAbstractSpinBox*>(o) ||
           qobject_cast<const QComboBox*>(o) || qobject_cast<const QTextEdit*>(o) ||
           qobject_cast<const QPlainTextEdit*>(o);
}

QMetaProperty findQtProperty(const QObject* o, QStringView name) {
    const QMetaObject* mo = o->metaObject();
    for (int i = 0; i < mo->propertyCount(); ++i) {
        const QMetaProperty p = mo->property(i);
        if (QLatin1StringView(p.name()).compare(name, Qt::CaseInsensitive) == 0) {
            return p;
        }
    }
    return {};
}

// Qt's own tool tip of an action that was given none: its text without "&" and "...".
QString implicitToolTip(QString s) {
    s.remove(QStringLiteral("..."));
    s.remove(u'&');
    return s.trimmed();
}

}  // namespace

NamedProperty::NamedProperty(QObject* object, QStringView name) : m_object(object) {
    if (!object || name.trimmed().isEmpty()) {
        return;
    }
    auto widget = qobject_cast<QWidget*>(object);
    if (isName(name, u"Caption")) {
        if (qobject_cast<QMenu*>(object) || qobject_cast<QGroupBox*>(object)) {
            m_qtName = "title";
        } else if (widget && widget->isWindow()) {
            m_qtName = "windowTitle";
        } else if (qobject_cast<QAbstractButton*>(object) || qobject_cast<QLabel*>(object) ||
                   qobject_cast<QAction*>(object)) {
            m_qtName = "text";
        } else if (widget && !isInput(object)) {
            const QMetaProperty p = findQtProperty(object, u"text");
            if (p.isValid() && p.isWritable() && p.metaType() == QMetaType::fromType<QString>()) {
                m_qtName = "text";
            }
        }
    } else if (isName(name, u"Hint")) {
        if (widget || qobject_cast<QAction*>(object)) {
            m_qtName = "toolTip";
            m_actionToolTip = qobject_cast<QAction*>(object) != nullptr;
        }
    }
    if (!m_qtName.isEmpty()) {
        m_kind = PropKind::Text;
        return;
    }
    const QMetaProperty p = findQtProperty(object, name);
    if (!p.isValid()) {
        return;
    }
    m_qtName = p.name();
    const QMetaType type = p.metaType();
    if (!p.isWritable()) {
        m_kind = PropKind::Other;
    } else if (type == QMetaType::fromType<QString>()) {
        m_kind = PropKind::Text;
    } else if (type == QMetaType::fromType<QStringList>()) {
        m_kind = isName(name, u"Columns") ? PropKind::Columns : PropKind::Lines;
    } else if (type.flags() & QMetaType::PointerToQObject) {
        m_kind = PropKind::Object;
    } else {
        m_kind = PropKind::Other;
    }
}

QString NamedProperty::text() const {
    if (m_kind != PropKind::Text) {
        return {};
    }
    QString value = m_object->property(m_qtName.constData()).toString();
    if (m_actionToolTip) {
        auto action = static_cast<QAction*>(m_object);
        if (value == implicitToolTip(action->text()) ||
            value == implicitToolTip(action->iconText())) {
            return {};
        }
    }
    return value;
}

void NamedProperty::setText(const QString& value) const {
    if (m_kind != PropKind::Text) {
        return;
    }
    // A caption is plain text whatever it holds: "<h1>" in a file is shown as typed.
    if (auto* label = qobject_cast<QLabel*>(m_object); label && m_qtName == "text") {
        label->setTextFormat(Qt::PlainText);
        label->setText(value);
        // A label that takes the width of its text takes that of the new one: a longer
        // translation is not cut at the width of the text it replaces.
        const QVariant autoSize = label->property("AutoSize");
        if (label->pixmap().isNull() && !label->wordWrap() &&
            (!autoSize.isValid() || autoSize.toBool())) {
            label->adjustSize();
        }
        return;
    }
    if (m_qtName == "toolTip" && Qt::mightBeRichText(value)) {
        m_object->setProperty(
            m_qtName.constData(),
            QStringLiteral("<p style='white-space:pre-wrap'>%1</p>").arg(value.toHtmlEscaped()));
        return;
    }
    m_object->setProperty(m_qtName.constData(), value);
}

QStringList NamedProperty::lines() const {
    if (m_kind == PropKind::Lines || m_kind == PropKind::Columns) {
        return m_object->property(m_qtName.constData()).toStringList();
    }
    return {};
}

void NamedProperty::setLines(const QStringList& value) const {
    if (m_kind == PropKind::Lines || m_kind == PropKind::Columns) {
        m_object->setProperty(m_qtName.constData(), value);
    }
}

QObject* NamedProperty::object() const {
    if (m_kind == PropKind::Object) {
        return m_object->property(m_qtName.constData()).value<QObject*>();
    }
    return nullptr;
}

bool HasFontProperty(const QObject* object) {
    return object && findQtProperty(object, u"font").isValid();
}

bool ParentFont(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_SetFont);
}

void ClearParentFont(QWidget* widget) {
    if (!ParentFont(widget)) {
        return;
    }
    QFont font = widget->font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    widget->setFont(font);
}

bool HasBiDiModeProperty(const QObject* object) {
    return object && findQtProperty(object, u"layoutDirection").isValid();
}

bool ParentBiDiMode(const QWidget* widget) {
    return !widget->testAttribute(Qt::WA_SetLayoutDirection);
}

}  // namespace i18n
