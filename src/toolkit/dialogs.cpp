// SPDX-License-Identifier: GPL-3.0-or-later
#include "dialogs.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include "i18n/texts.h"

namespace toolkit {

// Danish built in; the other languages from [DialogTexts] of their file.
QString Dialogs::titleOf(MsgType type) {
    switch (type) {
        case MsgType::Warning:
            return i18n::text(u"DialogTexts", u"Warning", QStringLiteral("Advarsel"));
        case MsgType::Error:
            return i18n::text(u"DialogTexts", u"Error", QStringLiteral("Fejl"));
        case MsgType::Information:
            return i18n::text(u"DialogTexts", u"Information", QStringLiteral("Information"));
        case MsgType::Confirmation:
            return i18n::text(u"DialogTexts", u"Confirmation", QStringLiteral("Bekræft"));
    }
    return QString();
}

QString Dialogs::captionOf(Button b) {
    switch (b) {
        case Button::OK:
            return i18n::text(u"DialogTexts", u"OK", QStringLiteral("OK"));
        case Button::Yes:
            return i18n::text(u"DialogTexts", u"Yes", QStringLiteral("&Ja"));
        case Button::No:
            return i18n::text(u"DialogTexts", u"No", QStringLiteral("&Nej"));
        case Button::Cancel:
            return i18n::text(u"DialogTexts", u"Cancel", QStringLiteral("Annuller"));
    }
    return QString();
}

QString deleteRecordQuestion() {
    return i18n::text(u"DialogTexts", u"DeleteRecord", QStringLiteral("Slet denne post?"));
}

QString applicationTitle() {
    return QStringLiteral("Vexmo");
}

QString qtFileFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i);
        const QString patterns =
            QString(parts.at(i + 1)).replace(QLatin1Char(';'), QLatin1Char(' '));
        if (!name.contains(QLatin1Char('('))) {
            name += QStringLiteral(" (%1)").arg(patterns);
        }
        out << name;
    }
    return out.join(QStringLiteral(";;"));
}

namespace {

// Messages break lines with line feed then carriage return; on screen that is one break.
QString shown(const QString& text) {
    QString t = text;
    t.replace(QLatin1String("\n\r"), QLatin1String("\n"));
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return t;
}

class WidgetDialogs final : public Dialogs {
public:
    int MessageDlg(const QString& text, MsgType type, Buttons buttons) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(titleOf(type));
        box.setTextFormat(Qt::PlainText);
        box.setText(shown(text));
        box.setIcon(type == MsgType::Warning       ? QMessageBox::Warning
                    : type == MsgType::Error       ? QMessageBox::Critical
                    : type == MsgType::Information ? QMessageBox::Information
                                                   : QMessageBox::Question);
        struct Pair {
            Button b;
            QMessageBox::ButtonRole role;
            int result;
        };
        const Pair all[] = {{Button::Yes, QMessageBox::YesRole, mrYes},
                            {Button::No, QMessageBox::NoRole, mrNo},
                            {Button::OK, QMessageBox::AcceptRole, mrOk},
                            {Button::Cancel, QMessageBox::RejectRole, mrCancel}};
        QList<std::pair<QAbstractButton*, int>> made;
        for (const Pair& p : all) {
            if (buttons.testFlag(p.b)) {
                made.append({box.addButton(captionOf(p.b), p.role), p.result});
            }
        }
        if (!made.isEmpty()) {
            box.setDefaultButton(qobject_cast<QPushButton*>(made.first().first));
        }
        // Esc answers the way that changes nothing: Annuller, else Nej, else the one button.
        for (const auto& [button, result] : made) {
            if (result == mrCancel || (result == mrNo && !buttons.testFlag(Button::Cancel)) ||
                made.size() == 1) {
                box.setEscapeButton(button);
            }
        }
        box.exec();
        for (const auto& [button, result] : made) {
            if (box.clickedButton() == button) {
                return result;
            }
        }
        return buttons.testFlag(Button::Cancel) ? mrCancel : mrNone;
    }

    void ShowMessage(const QString& text) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(applicationTitle());
        box.setTextFormat(Qt::PlainText);
        box.setText(shown(text));
        box.setEscapeButton(box.addButton(captionOf(Button::OK), QMessageBox::AcceptRole));
        box.exec();
    }

    void ShowError(const QString& text) override {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(applicationTitle());
        box.setIcon(QMessageBox::Critical);
        box.setTextFormat(Qt::PlainText);
        box.setText(shown(text));
        box.setEscapeButton(box.addButton(captionOf(Button::OK), QMessageBox::AcceptRole));
        box.exec();
    }

    QString OpenFile(const QString& filter) override {
        return QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(), QString(),
                                            qtFileFilter(filter));
    }
    QString SaveFile(const QString& filter, const QString& suggested) override {
        return QFileDialog::getSaveFileName(QApplication::activeWindow(), QString(), suggested,
                                            qtFileFilter(filter));
    }
    QString ChooseFolder(const QString& start) override {
        return QFileDialog::getExistingDirectory(QApplication::activeWindow(), QString(), start);
    }
};

Dialogs*& current() {
    static Dialogs* d = nullptr;
    return d;
}

}  // namespace

Dialogs& dialogs() {
    static WidgetDialogs real;
    Dialogs* d = current();
    return d ? *d : real;
}

void setDialogs(Dialogs* d) {
    current() = d;
}

}  // namespace toolkit
