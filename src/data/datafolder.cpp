// SPDX-License-Identifier: GPL-3.0-or-later
#include "datafolder.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTextStream>

#include "dm.h"
#include "i18n/texts.h"
#include "store/session.h"

static void initStarterResources() {
    Q_INIT_RESOURCE(starter);
}

namespace data {

using store::FieldDef;
using store::FieldType;
using store::TableDef;

namespace {

QStringList resourceLines(const QString& name) {
    initStarterResources();
    QFile f(QStringLiteral(":/starter/") + name);
    QStringList lines;
    if (!f.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return lines;
    }
    QTextStream in(&f);
    in.setEncoding(QStringConverter::Utf8);
    while (!in.atEnd()) {
        const QString l = in.readLine();
        if (!l.trimmed().isEmpty()) {
            lines << l;
        }
    }
    return lines;
}

}  // namespace

QString programFile(const QString& relative) {
    const QDir bin(QCoreApplication::applicationDirPath());
    const QString beside = bin.filePath(relative);
    if (QFile::exists(beside)) {
        return beside;
    }
    const QString installed =
        QDir::cleanPath(bin.filePath(QStringLiteral("../share/verdamo/") + relative));
    return QFile::exists(installed) ? installed : beside;
}

QList<TableDef> tableDefs() {
    const FieldType I = FieldType::Integer, S = FieldType::String, D = FieldType::Date,
                    C = FieldType::Currency, M = FieldType::Memo;
    return {
        {QStringLiteral("Config.DB"),
         {{QStringLiteral("Sprog"), I},
          {QStringLiteral("H_Main"), I},
          {QStringLiteral("W_Main"), I},
          {QStringLiteral("H_Reg"), I},
          {QStringLiteral("W_Reg"), I},
          {QStringLiteral("H_Have"), I},
          {QStringLiteral("W_Have"), I},
          {QStringLiteral("H_Oversigt"), I},
          {QStringLiteral("W_Oversigt"), I}},
         {},
         false},
        {QStringLiteral("Regnr.db"),
         {{QStringLiteral("Regnr"), I}},
         {QStringLiteral("Regnr")},
         false},
        {QStringLiteral("Planter.db"),
         {{QStringLiteral("Regnr"), I},
          {QStringLiteral("Plantenavn"), S, 60},
          {QStringLiteral("Latin"), S, 60},
          {QStringLiteral("Antal"), I},
          // Family and type as wide as the lists they are chosen from.
          {QStringLiteral("Plantetype"), S, 60},
          {QStringLiteral("Familie"), S, 60},
          {QStringLiteral("Lysforhold"), S, 60},
          {QStringLiteral("Jordbund"), S, 60},
          {QStringLiteral("Stoerrelse"), S, 40},
          {QStringLiteral("Blomster"), S, 60},
          {QStringLiteral("Blomstring"), S, 60},
          {QStringLiteral("Plantning"), S, 100},
          {QStringLiteral("Vanding"), S, 100},
          {QStringLiteral("Goedning"), S, 100},
          {QStringLiteral("Placering"), S, 100},
          {QStringLiteral("Plantet"), D},
          {QStringLiteral("Omplantning_1"), D},
          {QStringLiteral("Omplantning_2"), D},
          {QStringLiteral("Omplantning_3"), D},
          {QStringLiteral("Omplantning_4"), D},
          {QStringLiteral("Fjernet"), D},
          {QStringLiteral("Erhvervet_fra"), S, 100},
          {QStringLiteral("Pris"), C},
          {QStringLiteral("Notater"), M}},
         {QStringLiteral("Regnr")},
         true},
        {QStringLiteral("Vexmo.DB"),
         {{QStringLiteral("Regnr"), I},
          {QStringLiteral("Arbejdet"), S, 100},
          {QStringLiteral("Placering"), S, 100},
          {QStringLiteral("Kategori"), S, 60},
          {QStringLiteral("Datostart"), D},
          {QStringLiteral("Datoslut"), D},
          {QStringLiteral("Planlagt"), S, 3},
          {QStringLiteral("Pris"), C},
          {QStringLiteral("Notater"), M}},
         {QStringLiteral("Regnr")},
         true},
        {QStringLiteral("Haveregnr.db"),
         {{QStringLiteral("Regnr"), I}},
         {QStringLiteral("Regnr")},
         true},
        {QStringLiteral("Familie.db"),
         {{QStringLiteral("Familie"), S, 60}},
         {QStringLiteral("Familie")},
         true},
        {QStringLiteral("Plantetype.db"),
         {{QStringLiteral("Plantetype"), S, 60}},
         {QStringLiteral("Plantetype")},
         true},
        // Any number of materials per work: rows are told apart by their place in the
        // table, and read in the order of the work they belong to.
        {QStringLiteral("Materialer.db"),
         {{QStringLiteral("Regnr"), I},
          {QStringLiteral("Arbejdet"), S, 100},
          {QStringLiteral("Materialer"), S, 40},
          {QStringLiteral("Antal"), I},
          {QStringLiteral("Pris"), C},
          {QStringLiteral("Forhandler"), S, 50},
          {QStringLiteral("Notater"), M}},
         {QStringLiteral("Regnr"), QStringLiteral("Arbejdet")},
         false},
        {QStringLiteral("Navne.db"),
         {{QStringLiteral("Navn"), S, 60}, {QStringLiteral("Latin"), S, 60}},
         {QStringLiteral("Navn"), QStringLiteral("Latin")},
         true},
    };
}

static void createTablesNow(store::Database& db);

void createTables(store::Database& db) {
    db.inTransaction([&] { createTablesNow(db); });
}

static void createTablesNow(store::Database& db) {
    for (const TableDef& def : tableDefs()) {
        db.createTable(def);
    }
    db.insertRow(QStringLiteral("Config.DB"),
                 {i18n::desktopLanguage(), MainDesignSize.height, MainDesignSize.width,
                  RegDesignSize.height, RegDesignSize.width, HaveDesignSize.height,
                  HaveDesignSize.width, OversigtDesignSize.height, OversigtDesignSize.width});
    for (const QString& f : resourceLines(QStringLiteral("familie.txt"))) {
        db.insertRow(QStringLiteral("Familie.db"), {f.trimmed()});
    }
    for (const QString& t : resourceLines(QStringLiteral("plantetype.txt"))) {
        db.insertRow(QStringLiteral("Plantetype.db"), {t.trimmed()});
    }
    for (const QString& line : resourceLines(QStringLiteral("navne.tsv"))) {
        const QStringList parts = line.split(QLatin1Char('\t'));
        db.insertRow(QStringLiteral("Navne.db"),
                     {parts.value(0).trimmed(), parts.value(1).trimmed()});
    }
}

void registerDataFolder() {
    const QString alias = QString::fromLatin1(TDM::Alias);
    store::Session::setDefault(
        alias, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation), createTables);
    store::Session::setUpgrade(alias, upgradeDataFolder);
}

void upgradeDataFolder(store::Database& db) {
    const QList<TableDef> defs = tableDefs();
    if (db.readOnly() || db.narrowerThan(defs).isEmpty()) {
        return;
    }
    const QDir folder(db.folder());
    const QString stem =
        QStringLiteral("Verdamo-før-opdatering-") + QDate::currentDate().toString(Qt::ISODate);
    QString copy = folder.filePath(stem + QStringLiteral(".sqlite"));
    for (int n = 2; QFileInfo::exists(copy); ++n) {
        copy = folder.filePath(stem + QStringLiteral("-%1.sqlite").arg(n));
    }
    try {
        db.backupTo(copy);
    } catch (const store::Error&) {
        // No copy, no change: the fields keep their widths until a start that can make one.
        return;
    }
    try {
        db.widenTextFields(defs);
    } catch (const store::Error&) {
        // Rolled back whole; the data is as it was and the copy stays beside it.
    }
}

DataFolderProblem checkDataFolder() {
    DataFolderProblem p;
    p.aliasFile = store::Session::aliasFile();
    QFile file(p.aliasFile);
    if (!file.exists()) {
        return p;
    }
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        p.says = QString::fromUtf8(file.readAll()).trimmed();
    }
    store::Session::reloadConfiguration();
    const QString alias = QString::fromLatin1(TDM::Alias);
    const QStringList params =
        store::Session::isConfigured(alias) ? store::Session::GetAliasParams(alias) : QStringList();
    const QString first = params.value(0);
    if (!first.startsWith(QLatin1String("PATH="), Qt::CaseInsensitive) || first.size() <= 5) {
        p.kind = DataFolderProblem::AliasMissing;
        return p;
    }
    p.folder = first.mid(5);
    if (!QFileInfo(p.folder).isDir()) {
        p.kind = DataFolderProblem::FolderMissing;
    } else if (!holdsDatabase(p.folder)) {
        p.kind = DataFolderProblem::DatabaseMissing;
    }
    return p;
}

bool holdsDatabase(const QString& folder) {
    return QFileInfo(QDir(folder).filePath(QString::fromLatin1(store::Database::FileName)))
        .isFile();
}

void useDataFolder(const QString& folder, bool create) {
    if (create) {
        store::Session::createDatabase(folder, createTables);
    }
    store::Session::setAliasPath(QString::fromLatin1(TDM::Alias), folder);
}

QString dataFolder() {
    const QStringList params = store::Session::GetAliasParams(QString::fromLatin1(TDM::Alias));
    return params.value(0).mid(5);
}

QString dataLocationNotice(int language) {
    auto part = [language](const char16_t* key, const char* danish) {
        return i18n::textFor(language, u"HovedFormTexts", key, QString::fromUtf8(danish));
    };
    const QString br = messageBreak();
    return part(u"DataLocationHeading", "Data for dette program er placeret i: ") + br + br +
           dataFolder() + br + br +
           part(u"DataLocationAdvice",
                "Det er meget vigtigt, at du sikkerhedskopierer filer i datamappen mindst en "
                "gang om dagen!") +
           br + br + part(u"DataLocationWarning", "VIGTIGT!") + br +
           part(u"DataLocationClosing",
                "Dette program må IKKE være åbent under sikkerhedskopiering af data.");
}

}  // namespace data
