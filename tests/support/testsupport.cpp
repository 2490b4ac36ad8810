// SPDX-License-Identifier: GPL-3.0-or-later
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <algorithm>

#include "data/datafolder.h"
#include "data/dm.h"
#include "i18n/langsource.h"
#include "store/format.h"
#include "store/session.h"
#include "toolkit/form.h"

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() {
    toolkit::setDialogs(this);
}
ScriptedDialogs::~ScriptedDialogs() {
    toolkit::setDialogs(nullptr);
}

int ScriptedDialogs::MessageDlg(const QString& text, toolkit::MsgType type,
                                toolkit::Buttons buttons) {
    QStringList captions;
    for (toolkit::Button b : {toolkit::Button::Yes, toolkit::Button::No, toolkit::Button::OK,
                              toolkit::Button::Cancel}) {
        if (buttons.testFlag(b)) {
            captions << toolkit::Dialogs::captionOf(b);
        }
    }
    shown.append({QStringLiteral("message"), text, type, buttons, toolkit::Dialogs::titleOf(type),
                  captions});
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    return buttons.testFlag(toolkit::Button::OK) ? toolkit::mrOk : toolkit::mrCancel;
}

void ScriptedDialogs::ShowMessage(const QString& text) {
    shown.append({QStringLiteral("notice"), text, toolkit::MsgType::Information, {}});
}

void ScriptedDialogs::ShowError(const QString& text) {
    shown.append({QStringLiteral("error"), text, toolkit::MsgType::Error, {}});
}

QString ScriptedDialogs::OpenFile(const QString& filter) {
    shown.append({QStringLiteral("file"), filter, toolkit::MsgType::Information, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QString ScriptedDialogs::SaveFile(const QString& filter, const QString& suggested) {
    shown.append({QStringLiteral("save"),
                  filter + QLatin1Char('|') + suggested,
                  toolkit::MsgType::Information,
                  {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QString ScriptedDialogs::ChooseFolder(const QString& start) {
    shown.append({QStringLiteral("folder"), start, toolkit::MsgType::Information, {}});
    return files.isEmpty() ? QString() : files.takeFirst();
}

QStringList ScriptedDialogs::texts(const QString& kind) const {
    QStringList out;
    for (const Shown& s : shown) {
        if (s.kind == kind) {
            out << s.text;
        }
    }
    return out;
}

MainLanguage::MainLanguage() : m_main(std::make_unique<QWidget>()) {
    m_source = new i18n::TQLanguageSource(m_main.get());
    m_source->setObjectName(QStringLiteral("QLanguageSource1"));
    m_source->SetOriginalName(QStringLiteral("Dansk"));
    m_source->SetLanguages({QStringLiteral("English=English.lng"),
                            QStringLiteral("Norsk=Norsk.lng"), QStringLiteral("Svensk=Svensk.lng"),
                            QStringLiteral("Deutsch=Deutsch.lng")});
}

MainLanguage::~MainLanguage() = default;

void MainLanguage::set(int language) {
    m_source->SetActiveLanguage(language);
}

void isolateUserFolders() {
    static QTemporaryDir home;
    qputenv("HOME", home.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (home.path() + QStringLiteral("/.config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/.local/share")).toUtf8());
    QStandardPaths::setTestModeEnabled(true);
}

DataFolder::DataFolder() {
    isolateUserFolders();
    store::Session::closeAll();
    {
        store::Database db(m_dir.path(), true);
        data::createTables(db);
    }
    store::Session::setAliasPath(QString::fromLatin1(data::TDM::Alias), m_dir.path());
}

DataFolder::~DataFolder() {
    store::Session::closeAll();
}

void openAll(data::TDM& dm) {
    dm.ConfigTable->Open();
    for (store::Table* t : dm.tablesInOpeningOrder()) {
        t->Open();
    }
}

void useDanishFormats() {
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    store::setShortDateFormat(QStringLiteral("dd-MM-yyyy"));
}

void compareGolden(const QString& actual, const QString& goldenPath) {
    if (qEnvironmentVariableIntValue("VERDAMO_UPDATE_GOLDEN") == 1) {
        QDir().mkpath(QFileInfo(goldenPath).absolutePath());
        QFile out(goldenPath);
        QVERIFY2(out.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(goldenPath));
        out.write(actual.toUtf8());
        qWarning("golden file written: %s", qPrintable(goldenPath));
        return;
    }
    QFile in(goldenPath);
    QVERIFY2(in.open(QIODevice::ReadOnly),
             qPrintable(QStringLiteral("missing golden file %1 (VERDAMO_UPDATE_GOLDEN=1 writes it)")
                            .arg(goldenPath)));
    const QStringList expected = QString::fromUtf8(in.readAll()).split(u'\n');
    const QStringList lines = actual.split(u'\n');
    for (qsizetype i = 0; i < qMin(lines.size(), expected.size()); ++i) {
        QCOMPARE(lines.at(i), expected.at(i));
    }
    QCOMPARE(lines.size(), expected.size());
}

namespace {

bool designed(const QObject* o) {
    const QString name = o->objectName();
    return !name.isEmpty() && !name.startsWith(QLatin1String("qt_"));
}

void menuTexts(const QMenu* menu, const QString& where, QList<ShownText>& out) {
    out.append({where + QStringLiteral(" title"), withoutMnemonic(menu->title())});
    for (const QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            continue;
        }
        if (a->menu()) {
            menuTexts(a->menu(), where + QLatin1Char('/') + a->menu()->objectName(), out);
        } else {
            out.append({where + QLatin1Char('/') + a->objectName(), withoutMnemonic(a->text())});
        }
    }
}

// The Alt letter of a caption, or a null character when it has none or more than one.
QChar mnemonicOf(const QString& caption, int* count) {
    QChar letter;
    *count = 0;
    for (qsizetype i = 0; i + 1 < caption.size(); ++i) {
        if (caption.at(i) != QLatin1Char('&')) {
            continue;
        }
        if (caption.at(i + 1) == QLatin1Char('&')) {
            ++i;
            continue;
        }
        ++*count;
        letter = caption.at(i + 1).toLower();
        ++i;
    }
    return *count == 1 ? letter : QChar();
}

void checkLetters(const QList<std::pair<QString, QString>>& captions, const QString& scope,
                  QStringList& problems) {
    QHash<QChar, QString> seen;
    for (const auto& [where, caption] : captions) {
        int count = 0;
        const QChar letter = mnemonicOf(caption, &count);
        if (count != 1) {
            problems
                << QStringLiteral("%1: »%2« has %3 Alt letters").arg(where, caption).arg(count);
            continue;
        }
        if (seen.contains(letter)) {
            problems << QStringLiteral("%1: »%2« shares Alt+%3 with %4 in %5")
                            .arg(where, caption, letter, seen.value(letter), scope);
        }
        seen.insert(letter, where);
    }
}

}  // namespace

QString withoutMnemonic(const QString& caption) {
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption.at(i) == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;
        }
        out += caption.at(i);
    }
    return out;
}

QList<ShownText> shownTexts(const QWidget* window) {
    QList<ShownText> out;
    out.append({QStringLiteral("window title"), window->windowTitle()});
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!designed(w) || !w->isVisibleTo(window)) {
            continue;
        }
        const QString name = w->objectName();
        if (!w->toolTip().isEmpty()) {
            out.append({name + QStringLiteral(" tool tip"), w->toolTip()});
        }
        if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            out.append({name + QStringLiteral(" caption"), withoutMnemonic(b->text())});
        } else if (const auto* l = qobject_cast<const QLabel*>(w); l && l->pixmap().isNull()) {
            out.append({name + QStringLiteral(" caption"), withoutMnemonic(l->text())});
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            out.append({name + QStringLiteral(" title"), withoutMnemonic(g->title())});
        } else if (const auto* t = qobject_cast<const QTabWidget*>(w)) {
            for (int i = 0; i < t->count(); ++i) {
                out.append(
                    {name + QStringLiteral(" tab %1").arg(i), withoutMnemonic(t->tabText(i))});
            }
        } else if (const auto* v = qobject_cast<const QTableView*>(w); v && v->model()) {
            for (int i = 0; i < v->model()->columnCount(); ++i) {
                out.append({name + QStringLiteral(" column %1").arg(i),
                            v->model()->headerData(i, Qt::Horizontal).toString()});
            }
        } else if (const auto* bar = qobject_cast<const QMenuBar*>(w)) {
            for (const QAction* a : bar->actions()) {
                if (a->menu()) {
                    menuTexts(a->menu(), a->menu()->objectName(), out);
                } else {
                    out.append({a->objectName(), withoutMnemonic(a->text())});
                }
            }
        }
    }
    return out;
}

QStringList cutCaptions(const QWidget* window) {
    QStringList problems;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!designed(w) || !w->isVisibleTo(window) || qobject_cast<const QMenuBar*>(w)) {
            continue;
        }
        const QFontMetrics fm(w->font());
        QString text;
        int needW = -1;
        int needH = fm.height();
        if (const auto* b = qobject_cast<const QPushButton*>(w)) {
            text = withoutMnemonic(b->text());
            const QStyle* st = b->style();
            needW = fm.horizontalAdvance(text) +
                    st->pixelMetric(QStyle::PM_ButtonMargin, nullptr, b) +
                    2 * st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, b) +
                    (b->icon().isNull() ? 0 : b->iconSize().width() + 4);
        } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            // Tool buttons, radio buttons and check boxes: what Qt asks for them.
            text = withoutMnemonic(b->text());
            needW = b->sizeHint().width();
            needH = std::min(needH, b->sizeHint().height());
        } else if (const auto* g = qobject_cast<const QGroupBox*>(w)) {
            text = g->title();
            needW = fm.horizontalAdvance(withoutMnemonic(text)) + 16;
            needH = 0;
        } else if (const auto* l = qobject_cast<const QLabel*>(w);
                   l && l->pixmap().isNull() && !l->text().isEmpty()) {
            text = l->text();
            if (l->wordWrap()) {
                needH = l->heightForWidth(l->width());
            } else {
                needW = l->sizeHint().width();
            }
        } else if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QComboBox*>(w)) {
            // What is typed: a line of the font, inside the box's frame.
            needH = fm.height() + 2;
        } else if (const auto* v = qobject_cast<const QTableView*>(w)) {
            const int row = v->verticalHeader()->defaultSectionSize();
            if (row < fm.height()) {
                problems << QStringLiteral("%1: rows %2 high for a font of %3")
                                .arg(w->objectName())
                                .arg(row)
                                .arg(fm.height());
            }
            const QHeaderView* head = v->horizontalHeader();
            if (!head->isHidden() && head->height() < QFontMetrics(head->font()).height()) {
                problems << QStringLiteral("%1: titles %2 high for a font of %3")
                                .arg(w->objectName())
                                .arg(head->height())
                                .arg(QFontMetrics(head->font()).height());
            }
            for (int i = 0; v->model() && i < v->model()->columnCount(); ++i) {
                if (v->isColumnHidden(i)) {
                    continue;
                }
                const QString title = v->model()->headerData(i, Qt::Horizontal).toString();
                const int need = QFontMetrics(head->font()).horizontalAdvance(title);
                if (need > head->sectionSize(i)) {
                    problems << QStringLiteral("%1: title »%2« needs %3, has %4")
                                    .arg(w->objectName(), title)
                                    .arg(need)
                                    .arg(head->sectionSize(i));
                }
            }
            continue;
        } else {
            continue;
        }
        if (needW > w->width() || needH > w->height()) {
            problems << QStringLiteral("%1: »%2« needs %3 x %4, has %5 x %6")
                            .arg(w->objectName(), text)
                            .arg(std::max(needW, 0))
                            .arg(needH)
                            .arg(w->width())
                            .arg(w->height());
        }
    }
    return problems;
}

QStringList mnemonicProblems(const QWidget* window) {
    QStringList problems;
    QList<std::pair<QString, QString>> inWindow;
    for (const QAbstractButton* b : window->findChildren<QAbstractButton*>()) {
        // The navigator's glyphs, OK and Cancel answer to Enter and Esc.
        if (!designed(b) || !b->isVisibleTo(window) || b->text().isEmpty() ||
            qobject_cast<const QWidget*>(b->parent())->inherits("toolkit::DBNavigator") ||
            b->text() == QLatin1String("OK")) {
            continue;
        }
        inWindow.append({b->objectName(), b->text()});
    }
    for (const QMenuBar* bar : window->findChildren<QMenuBar*>()) {
        for (const QAction* a : bar->actions()) {
            if (a->isVisible()) {
                inWindow.append({a->menu() ? a->menu()->objectName() : a->objectName(), a->text()});
            }
            if (!a->menu()) {
                continue;
            }
            QList<std::pair<QString, QString>> entries;
            for (const QAction* e : a->menu()->actions()) {
                if (!e->isSeparator() && e->isVisible()) {
                    entries.append({e->objectName(), e->text()});
                }
            }
            checkLetters(entries, a->menu()->objectName(), problems);
        }
    }
    checkLetters(inWindow, window->objectName(), problems);
    return problems;
}

}  // namespace testsupport

namespace {

// Test programs see a desktop of 1400 x 1000, as a user with an ordinary screen has, rather
// than the offscreen platform's 800 x 600; a test of smaller screens sets its own.
void useOrdinaryDesktop() {
    toolkit::setAvailableAreaOverride(QRect(0, 0, 1400, 1000));
}
Q_COREAPP_STARTUP_FUNCTION(useOrdinaryDesktop)

}  // namespace
