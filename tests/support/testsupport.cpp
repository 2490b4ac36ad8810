#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTest>

#include "data/datafolder.h"
#include "data/dm.h"
#include "store/format.h"
#include "store/session.h"

namespace testsupport {

ScriptedDialogs::ScriptedDialogs() {
    toolkit::setDialogs(this);
}
ScriptedDialogs::~ScriptedDialogs() {
    toolkit::setDialogs(nullptr);
}

int ScriptedDialogs::MessageDlg(const QString& text, toolkit::MsgType type,
                                toolkit::Buttons buttons) {
    shown.append({QStringLiteral("message"), text, type, buttons});
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

}  // namespace testsupport
