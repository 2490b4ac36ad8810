// SPDX-License-Identifier: GPL-3.0-or-later
#include "urllabel.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QRegularExpression>

#include "desktop.h"

namespace widgets {

namespace {

// An address that already starts with a scheme of its own ("ftp://…", "https://…").
bool hasOwnScheme(const QString& url) {
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]*://"));
    return scheme.match(url).hasMatch();
}

}  // namespace

TURLLabel::TURLLabel(QWidget* parent) : QLabel(parent) {
    setCursor(Qt::PointingHandCursor);
    // Addresses are shown as typed: no markup, no accelerator characters.
    setTextFormat(Qt::PlainText);
    m_passiveFont = font();
    m_linkFont = font();
    m_linkFont.setUnderline(true);
    setLinkColor(QColor(0, 0, 255));
    m_linkType = ltHTTP;
    m_showPrefix = false;
    m_urlAsHint = true;
    updateShown();
    applyFont();
    checkAvailability();
}

QString TURLLabel::prefixOf(TLinkType type) {
    switch (type) {
        case ltFile:
            return QStringLiteral("file://");
        case ltFTP:
            return QStringLiteral("ftp://");
        case ltGopher:
            return QStringLiteral("gopher://");
        case ltHTTP:
            return QStringLiteral("http://");
        case ltMailTo:
            return QStringLiteral("mailto:");
        case ltNews:
            return QStringLiteral("news:");
        case ltTelNet:
            return QStringLiteral("telnet:");
        case ltNone:
            break;
    }
    return QString();
}

void TURLLabel::setURL(const QString& url) {
    if (url == m_url) {
        return;
    }
    // An "@" makes a mail address, unless it sits inside an address with a scheme of its own
    // ("http://host/@name", "ftp://user@host").
    if (url.contains(QLatin1Char('@')) && !hasOwnScheme(url) && m_linkType != ltMailTo) {
        m_linkType = ltMailTo;
        checkAvailability();
    }
    const QString head = url.left(7).toLower();
    if (head == QLatin1String("mailto:") || head == QLatin1String("http://")) {
        m_url = url.mid(7);
    } else {
        m_url = url;
    }
    updateShown();
}

void TURLLabel::setLinkType(TLinkType type) {
    if (type == m_linkType) {
        return;
    }
    m_linkType = type;
    checkAvailability();
    updateShown();
}

void TURLLabel::setLabelType(TLabelType type) {
    if (type == m_labelType) {
        return;
    }
    m_labelType = type;
    applyFont();
}

void TURLLabel::setShowPrefix(bool show) {
    m_showPrefix = show;
    updateShown();
}

void TURLLabel::setURLAsHint(bool asHint) {
    if (asHint == m_urlAsHint) {
        return;
    }
    m_urlAsHint = asHint;
    if (asHint) {
        m_hintWritten = false;
    }
    updateHint();
}

void TURLLabel::setLinkFont(const QFont& font) {
    m_linkFont = font;
    m_linkFontSet = true;
    applyFont();
}

void TURLLabel::setPassiveFont(const QFont& font) {
    m_passiveFont = font;
    m_passiveFontSet = true;
    applyFont();
}

void TURLLabel::setLinkColor(const QColor& colour) {
    m_linkColor = colour;
    QPalette p = palette();
    p.setColor(QPalette::Link, colour);
    setPalette(p);
}

void TURLLabel::setCaption(const QString& caption) {
    m_captionSet = true;
    setText(caption);
}

void TURLLabel::setHint(const QString& hint) {
    m_urlAsHint = false;
    m_hintWritten = true;
    setToolTip(hint);
}

QString TURLLabel::address(bool withPrefix) const {
    // An address that carries its own scheme gets no second one in front.
    if (!withPrefix || hasOwnScheme(m_url) ||
        m_url.startsWith(prefixOf(m_linkType), Qt::CaseInsensitive)) {
        return m_url;
    }
    return prefixOf(m_linkType) + m_url;
}

QUrl TURLLabel::target() const {
    return QUrl(address(true), QUrl::TolerantMode);
}

void TURLLabel::updateShown() {
    if (m_showPrefix && m_linkType == ltNone) {
        return;
    }
    const QString shown = address(m_showPrefix);
    if (!m_captionSet) {
        setText(shown);
    }
    m_shown = shown;
    updateHint();
}

void TURLLabel::updateHint() {
    if (m_urlAsHint) {
        setToolTip(m_shown);
    } else if (!m_hintWritten) {
        setToolTip(QString());
    }
}

void TURLLabel::checkAvailability() {
    // Other link types keep what the last check found.
    if (m_linkType == ltHTTP) {
        m_available = desktop::hasHandler(QStringLiteral("x-scheme-handler/http"));
    } else if (m_linkType == ltMailTo) {
        m_available = desktop::hasHandler(QStringLiteral("x-scheme-handler/mailto"));
    }
}

bool TURLLabel::linkShown() const {
    return m_labelType == Active || (m_labelType == Auto && m_hot);
}

void TURLLabel::applyFont() {
    const bool link = linkShown();
    m_applying = true;
    setFont(link ? m_linkFont : m_passiveFont);
    setForegroundRole(link ? QPalette::Link : QPalette::WindowText);
    m_applying = false;
    update();
}

void TURLLabel::changeEvent(QEvent* event) {
    // A font given from outside (the window design, the parent) becomes the base of the two
    // fonts that were not set on their own.
    if (event->type() == QEvent::FontChange && !m_applying) {
        QFont base = font();
        if (linkShown()) {
            base.setUnderline(m_passiveFont.underline());
        }
        if (!m_passiveFontSet) {
            m_passiveFont = base;
        }
        if (!m_linkFontSet) {
            m_linkFont = base;
            m_linkFont.setUnderline(true);
        }
        applyFont();
    }
    QLabel::changeEvent(event);
}

void TURLLabel::enterEvent(QEnterEvent* event) {
    if (m_labelType == Auto) {
        m_hot = true;
        applyFont();
    }
    QLabel::enterEvent(event);
}

void TURLLabel::leaveEvent(QEvent* event) {
    if (m_labelType == Auto) {
        m_hot = false;
        applyFont();
    }
    QLabel::leaveEvent(event);
}

void TURLLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void TURLLabel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pressed) {
        m_pressed = false;
        event->accept();
        if (rect().contains(event->position().toPoint())) {
            Click();
        }
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void TURLLabel::Click() {
    Q_EMIT clicked();
    if (m_linkType == ltNone) {
        return;
    }
    if (m_labelType == Active || (m_labelType == Auto && m_available)) {
        // A failure is not reported, as with any link the desktop cannot follow.
        QDesktopServices::openUrl(target());
    }
}

}  // namespace widgets
