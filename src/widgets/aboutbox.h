// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QPixmap>
#include <QString>

namespace widgets {

// What the about window shows. Sits on a window as a component (a child object with a
// designer name), so the window's localizer can translate its Warning.
class TAboutBox final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString AppName READ AppName WRITE setAppName)
    Q_PROPERTY(QString Copyright READ Copyright WRITE setCopyright)
    Q_PROPERTY(QString Url READ Url WRITE setUrl)
    Q_PROPERTY(QString UrlCaption READ UrlCaption WRITE setUrlCaption)
    Q_PROPERTY(QString Warning READ Warning WRITE setWarning)
    Q_PROPERTY(QPixmap Picture READ Picture WRITE setPicture)

public:
    explicit TAboutBox(QObject* parent = nullptr);

    QString AppName() const { return m_appName; }
    void setAppName(const QString& name) { m_appName = name; }
    // Unless one is given, the default line in the active language.
    QString Copyright() const { return m_copyright.isEmpty() ? defaultCopyright() : m_copyright; }
    void setCopyright(const QString& text) { m_copyright = text; }
    QString Url() const { return m_url; }
    void setUrl(const QString& url) { m_url = url; }
    // What the link line shows for the address; empty shows the address itself.
    QString UrlCaption() const { return m_urlCaption; }
    void setUrlCaption(const QString& caption) { m_urlCaption = caption; }
    QString Warning() const { return m_warning; }
    void setWarning(const QString& text) { m_warning = text; }
    // A null picture means none: the window then shows no picture and no frame.
    QPixmap Picture() const { return m_picture; }
    void setPicture(const QPixmap& picture) { m_picture = picture; }

    // Shows the about window modally over the window the box sits on; the window is built
    // afresh from the properties each time and gone when this returns.
    int Execute();

    static QString defaultCopyright();
    static QString defaultUrl();
    static QString defaultWarning();

private:
    QString m_appName;
    QString m_copyright;
    QString m_url;
    QString m_urlCaption;
    QString m_warning;
    QPixmap m_picture;
};

// "major.minor (Build: release.build)" from a dotted version of one to four numbers, such as
// the program's "0.1.0" or a file version "2.7.0.0"; missing numbers count as 0. Empty when
// the text is no such version.
QString versionText(const QString& version);

}  // namespace widgets
