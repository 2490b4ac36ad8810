// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QUrl>

namespace widgets {

// A label that behaves as a hyperlink: it shows an address, takes its link font while the
// mouse is over it, and a click opens the address with the scheme prefix of its link type.
class TURLLabel final : public QLabel {
    Q_OBJECT
    Q_PROPERTY(QString URL READ URL WRITE setURL)
    Q_PROPERTY(TLinkType LinkType READ LinkType WRITE setLinkType)
    Q_PROPERTY(TLabelType LabelType READ LabelType WRITE setLabelType)
    Q_PROPERTY(bool ShowPrefix READ ShowPrefix WRITE setShowPrefix)
    Q_PROPERTY(bool URLAsHint READ URLAsHint WRITE setURLAsHint)
    Q_PROPERTY(QFont LinkFont READ LinkFont WRITE setLinkFont)
    Q_PROPERTY(QColor LinkColor READ LinkColor WRITE setLinkColor)
    Q_PROPERTY(QFont PassiveFont READ PassiveFont WRITE setPassiveFont)
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(QString Hint READ Hint WRITE setHint)
    // Text and tool tip written by name (the localizer, a window design) count as written
    // explicitly, as through Caption and Hint.
    Q_PROPERTY(QString text READ text WRITE setCaption)
    Q_PROPERTY(QString toolTip READ toolTip WRITE setHint)

public:
    enum TLinkType { ltFile, ltFTP, ltGopher, ltHTTP, ltMailTo, ltNews, ltTelNet, ltNone };
    Q_ENUM(TLinkType)
    // Auto: passive font, link font under the mouse, opens only when the desktop can handle
    // the link. Active: link font, always opens. Passive: passive font, never opens.
    enum TLabelType { Auto, Passive, Active };
    Q_ENUM(TLabelType)

    explicit TURLLabel(QWidget* parent = nullptr);

    // The address without its scheme prefix ("http://" and "mailto:" are taken off).
    QString URL() const { return m_url; }
    void setURL(const QString& url);
    TLinkType LinkType() const { return m_linkType; }
    void setLinkType(TLinkType type);
    TLabelType LabelType() const { return m_labelType; }
    void setLabelType(TLabelType type);
    bool ShowPrefix() const { return m_showPrefix; }
    void setShowPrefix(bool show);
    bool URLAsHint() const { return m_urlAsHint; }
    void setURLAsHint(bool asHint);
    // Fonts carry no colour in Qt: the link colour is LinkColor.
    QFont LinkFont() const { return m_linkFont; }
    void setLinkFont(const QFont& font);
    QColor LinkColor() const { return m_linkColor; }
    void setLinkColor(const QColor& colour);
    QFont PassiveFont() const { return m_passiveFont; }
    void setPassiveFont(const QFont& font);
    QString Caption() const { return text(); }
    // From now on the address no longer changes the caption.
    void setCaption(const QString& caption);
    QString Hint() const { return toolTip(); }
    // A hint of one's own: URLAsHint goes off so the address does not replace it.
    void setHint(const QString& hint);

    // The address as shown: with its prefix when ShowPrefix is set.
    QString shownAddress() const { return m_shown; }
    // What a click opens: the prefix of the link type and the address.
    QUrl target() const;
    // Whether the desktop has a program for the link type (checked for web and mail links).
    bool linkAvailable() const { return m_available; }
    static QString prefixOf(TLinkType type);

Q_SIGNALS:
    void clicked();

public Q_SLOTS:
    // Runs the click: the clicked signal first, then the link is opened when the label type
    // and availability allow it.
    void Click();

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QString address(bool withPrefix) const;
    void updateShown();
    void updateHint();
    void checkAvailability();
    bool linkShown() const;
    void applyFont();

    QString m_url;
    QString m_shown;
    TLinkType m_linkType = ltHTTP;
    TLabelType m_labelType = Auto;
    bool m_showPrefix = false;
    bool m_urlAsHint = true;
    bool m_captionSet = false;
    bool m_hintWritten = false;
    bool m_available = false;
    bool m_hot = false;
    bool m_pressed = false;
    bool m_applying = false;
    bool m_linkFontSet = false;
    bool m_passiveFontSet = false;
    QFont m_linkFont;
    QFont m_passiveFont;
    QColor m_linkColor;
};

}  // namespace widgets
