// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>
#include <functional>
#include <memory>

#include "i18n/codec.h"
#include "i18n/errors.h"
#include "i18n/langfile.h"
#include "i18n/langsettings.h"
#include "i18n/langsource.h"
#include "i18n/localizer.h"
#include "i18n/properties.h"
#include "i18n/texts.h"

using namespace i18n;

namespace {

QString errorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const EQLocalError& e) {
        return e.message();
    }
    return {};
}

QString write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        qFatal("cannot write %s", qPrintable(path));
    }
    return path;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray cp1252(const QString& text) {
    return ToWindows1252(text);
}

}  // namespace

// A data grid stand-in: its column titles as a list property.
class Grid final : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QStringList Columns READ Columns WRITE SetColumns)

public:
    using QWidget::QWidget;
    QStringList Columns() const { return m_columns; }
    void SetColumns(const QStringList& c) { m_columns = c; }

private:
    QStringList m_columns;
};

class AboutBox final : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Warning READ Warning WRITE SetWarning)

public:
    using QObject::QObject;
    QString Warning() const { return m_warning; }
    void SetWarning(const QString& w) { m_warning = w; }

private:
    QString m_warning;
};

// A window as a form designer makes it: its objectName is its class name.
class TTestForm final : public QWidget {
    Q_OBJECT

public:
    TTestForm() {
        setObjectName(QStringLiteral("TTestForm"));
        setWindowTitle(QStringLiteral("Vindue"));
        auto named = [](QObject* o, const char* name) { o->setObjectName(QLatin1String(name)); };
        auto* panel = new QWidget(this);  // unnamed: its children are still the window's
        button = new QPushButton(QStringLiteral("Knap"), panel);
        named(button, "Button1");
        button->setToolTip(QStringLiteral("Tryk her"));
        label = new QLabel(QStringLiteral("Navn"), this);
        named(label, "Label1");
        emptyLabel = new QLabel(this);
        named(emptyLabel, "Label2");
        action = new QAction(QStringLiteral("Gem"), this);
        named(action, "Action1");
        menu = new QMenu(QStringLiteral("Filer"), this);
        named(menu, "Menu1");
        group = new QGroupBox(QStringLiteral("Gruppe"), this);
        named(group, "Group1");
        edit = new QLineEdit(QStringLiteral("brugerdata"), group);
        named(edit, "Edit1");
        grid = new Grid(this);
        named(grid, "DBGrid1");
        grid->SetColumns(
            {QStringLiteral("Navn"), QStringLiteral("Latin"), QStringLiteral("Omplantning 1")});
        about = new AboutBox(this);
        named(about, "AboutBox1");
        about->SetWarning(QStringLiteral("Advarsel"));
    }

    QStringList texts() const {
        return {windowTitle(),      button->text(),
                button->toolTip(),  label->text(),
                emptyLabel->text(), action->text(),
                menu->title(),      group->title(),
                edit->text(),       grid->Columns().join(u'|'),
                about->Warning()};
    }

    QPushButton* button;
    QLabel* label;
    QLabel* emptyLabel;
    QAction* action;
    QMenu* menu;
    QGroupBox* group;
    QLineEdit* edit;
    Grid* grid;
    AboutBox* about;
};

namespace fake {
// Stands in for the main window: same class name, so the same section name.
class THovedForm final : public QMainWindow {
    Q_OBJECT

public:
    THovedForm() { setObjectName(QStringLiteral("THovedForm")); }
};
}  // namespace fake

// Records the order in which a source closes and opens its files.
class RecordingSource final : public TQLanguageSource {
    Q_OBJECT

public:
    using TQLanguageSource::TQLanguageSource;
    QStringList log;
    void OpenLanguage(int index) override {
        TQLanguageSource::OpenLanguage(index);
        log << QStringLiteral("open %1").arg(index);
    }
    void CloseLanguage(int index) override {
        log << QStringLiteral("close %1").arg(index);
        TQLanguageSource::CloseLanguage(index);
    }
};

class I18nTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString path(const QString& name) const { return m_dir->filePath(name); }

    // English and Norwegian files for the test window; Norwegian lacks the label.
    void writeLanguages() {
        write(path(QStringLiteral("English.lng")),
              cp1252(QStringLiteral("[General Settings]\r\nBiDiMode=\"0\"\r\n"
                                    "[TestForm]\r\n"
                                    "Caption=\"Window\"\r\n"
                                    "Button1.Caption=\"Button\"\r\n"
                                    "Button1.Hint=\"Press here\"\r\n"
                                    "Label1.Caption=\"Name\"\r\n"
                                    "Label2.Caption=\"Never shown\"\r\n"
                                    "Action1.Caption=\"Save\"\r\n"
                                    "Action1.Hint=\"Save it\"\r\n"
                                    "Menu1.Caption=\"File\"\r\n"
                                    "Group1.Caption=\"Group\"\r\n"
                                    "Edit1.Caption=\"overwritten\"\r\n"
                                    "AboutBox1.Warning=\"Warning\"\r\n"
                                    "Nowhere.Caption=\"ignored\"\r\n")));
        write(path(QStringLiteral("Norsk.lng")),
              cp1252(QStringLiteral("[TestForm]\r\nbutton1.caption=\"Knapp\"\r\n")));
    }

    std::unique_ptr<TQLanguageSource> makeSource() {
        auto source = std::make_unique<TQLanguageSource>();
        source->SetOriginalName(QStringLiteral("Dansk"));
        source->SetLanguages({QStringLiteral("English=") + path(QStringLiteral("English.lng")),
                              QStringLiteral("Norsk=") + path(QStringLiteral("Norsk.lng")),
                              QStringLiteral("Svensk=") + path(QStringLiteral("Svensk.lng")),
                              QStringLiteral("Deutsch=") + path(QStringLiteral("Deutsch.lng"))});
        return source;
    }

    static QStringList designTexts() { return TTestForm().texts(); }

private Q_SLOTS:
    void init() {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        writeLanguages();
    }

    // The value codec ---------------------------------------------------------------

    void codecRoundTrip_data() {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        QTest::newRow("plain") << QStringLiteral("Planter") << QStringLiteral("\"Planter\"");
        QTest::newRow("empty") << QString() << QStringLiteral("\"\"");
        QTest::newRow("quotes") << QStringLiteral("say \"hi\"")
                                << QStringLiteral("\"say \"\"hi\"\"\"");
        QTest::newRow("two lines")
            << QStringLiteral("Line1\r\nLine2") << QStringLiteral("\"Line1\"#13#10\"Line2\"");
        QTest::newRow("trailing control")
            << QStringLiteral("abc\t") << QStringLiteral("\"abc\"#9\"\"");
        QTest::newRow("leading control")
            << QStringLiteral("\nabc") << QStringLiteral("\"\"#10\"abc\"");
        QTest::newRow("only a NUL") << QString(QChar(0)) << QStringLiteral("\"\"#0\"\"");
        QTest::newRow("Windows-1252 letters")
            << QStringLiteral("Hjælp € “x”") << QStringLiteral("\"Hjælp € “x”\"");
        // A "#" after a quote is stored as a code, or it would read as a code run.
        QTest::newRow("hash after quote")
            << QStringLiteral("a\"#b") << QStringLiteral("\"a\"\"\"#35\"b\"");
        QTest::newRow("leading hash")
            << QStringLiteral("#1 plant") << QStringLiteral("\"\"#35\"1 plant\"");
        QTest::newRow("hash elsewhere") << QStringLiteral("a#b") << QStringLiteral("\"a#b\"");
    }

    void codecRoundTrip() {
        QFETCH(QString, value);
        QFETCH(QString, stored);
        QCOMPARE(EncodeValue(value), stored);
        QCOMPARE(DecodeValue(stored), value);
    }

    void codecReadsHandWrittenValues_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("value");
        QTest::newRow("unquoted") << QStringLiteral("plain text") << QStringLiteral("plain text");
        QTest::newRow("unquoted code run")
            << QStringLiteral("say \"#65\"") << QStringLiteral("say A");
        QTest::newRow("a lone quote") << QStringLiteral("\"") << QStringLiteral("\"");
        QTest::newRow("text after the closing quote")
            << QStringLiteral("\"abc\"xyz") << QStringLiteral("abc");
        QTest::newRow("unclosed quote") << QStringLiteral("\"abc") << QStringLiteral("abc");
        QTest::newRow("bad codes add nothing")
            << QStringLiteral("\"a\"#x##66\"\"") << QStringLiteral("aB");
        QTest::newRow("lowest 8 bits") << QStringLiteral("\"a\"#321\"\"") << QStringLiteral("aA");
        QTest::newRow("code 128 is the euro")
            << QStringLiteral("\"\"#128\"\"") << QStringLiteral("€");
        QTest::newRow("run without end") << QStringLiteral("\"ab\"#13") << QStringLiteral("ab13");
        QTest::newRow("huge code")
            << QStringLiteral("\"a\"#99999999999999\"\"") << QStringLiteral("a");
    }

    void codecReadsHandWrittenValues() {
        QFETCH(QString, stored);
        QFETCH(QString, value);
        QCOMPARE(DecodeValue(stored), value);
    }

    // Every text made of the characters the codec treats specially survives.
    void codecRoundTripsAnyText() {
        const QString alphabet = QStringLiteral("\"#\r\n a1\t€") + QChar(0);
        QRandomGenerator rng(1252);
        for (int round = 0; round < 20000; ++round) {
            QString value;
            const int length = rng.bounded(9);
            for (int i = 0; i < length; ++i) {
                value += alphabet[rng.bounded(int(alphabet.size()))];
            }
            QCOMPARE(DecodeValue(EncodeValue(value)), value);
        }
    }

    void windows1252() {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            all += char(b);
        }
        const QString text = FromWindows1252(all);
        QCOMPARE(text[0x80], QChar(0x20AC));
        QCOMPARE(text[0x9F], QChar(0x0178));
        QCOMPARE(text[0xE6], QChar(u'æ'));
        QCOMPARE(ToWindows1252(text), all);  // every byte survives
        QCOMPARE(ToWindows1252(QStringLiteral("Ω")), QByteArray("?"));
    }

    // Comma text --------------------------------------------------------------------

    void commaTextRoundTrip_data() {
        QTest::addColumn<QStringList>("items");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty list") << QStringList() << QString();
        QTest::newRow("one empty item") << QStringList{QString()} << QStringLiteral("\"\"");
        QTest::newRow("plain") << QStringList{QStringLiteral("Navn"), QStringLiteral("Latin")}
                               << QStringLiteral("Navn,Latin");
        QTest::newRow("blank in an item")
            << QStringList{QStringLiteral("Omplantning 1"), QStringLiteral("Navn")}
            << QStringLiteral("\"Omplantning 1\",Navn");
        QTest::newRow("quote in an item")
            << QStringList{QStringLiteral("say \"x\"")} << QStringLiteral("\"say \"\"x\"\"\"");
        QTest::newRow("comma in an item")
            << QStringList{QStringLiteral("a,b")} << QStringLiteral("\"a,b\"");
        QTest::newRow("control in an item")
            << QStringList{QStringLiteral("a\tb")} << QStringLiteral("\"a\tb\"");
        QTest::newRow("empty last item")
            << QStringList{QStringLiteral("a"), QString()} << QStringLiteral("a,");
        QTest::newRow("empty first item")
            << QStringList{QString(), QStringLiteral("a")} << QStringLiteral(",a");
        QTest::newRow("two empty items")
            << QStringList{QString(), QString()} << QStringLiteral(",");
    }

    void commaTextRoundTrip() {
        QFETCH(QStringList, items);
        QFETCH(QString, text);
        QCOMPARE(ToCommaText(items), text);
        QCOMPARE(FromCommaText(text), items);
    }

    void commaTextReadsHandWrittenLists_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("unquoted blank splits")
            << QStringLiteral("Omplantning 1")
            << QStringList{QStringLiteral("Omplantning"), QStringLiteral("1")};
        QTest::newRow("blanks around") << QStringLiteral("  a ,  b  ")
                                       << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("controls before")
            << QStringLiteral("\t\r\na,b") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("quoted then text")
            << QStringLiteral("\"a\"b") << QStringList{QStringLiteral("a"), QStringLiteral("b")};
        QTest::newRow("unclosed quote")
            << QStringLiteral("\"a, b") << QStringList{QStringLiteral("a, b")};
        QTest::newRow("blanks only") << QStringLiteral("   ") << QStringList();
        QTest::newRow("comma after blanks")
            << QStringLiteral("a , ") << QStringList{QStringLiteral("a")};
    }

    void commaTextReadsHandWrittenLists() {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(FromCommaText(text), items);
    }

    // The file format ---------------------------------------------------------------

    void fileFormat_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        const QString missing = QStringLiteral("-");
        QTest::newRow("trimmed") << QByteArray("[S]\r\n \t Key  =  \"v  \"  \r\n") << "S"
                                 << "Key" << QStringLiteral("v  ");
        QTest::newRow("unquoted reads literally") << QByteArray("[S]\nKey = plain text\n") << "S"
                                                  << "Key" << QStringLiteral("plain text");
        QTest::newRow("later key wins, any case")
            << QByteArray("[S]\nkey=\"a\"\nKEY=\"b\"\n") << "S"
            << "Key" << QStringLiteral("b");
        QTest::newRow("later section wins")
            << QByteArray("[HovedForm]\nA=\"1\"\n[hovedform]\nB=\"2\"\n") << "HOVEDFORM"
            << "A" << missing;
        QTest::newRow("later section is read")
            << QByteArray("[HovedForm]\nA=\"1\"\n[hovedform]\nB=\"2\"\n") << "HovedForm"
            << "B" << QStringLiteral("2");
        QTest::newRow("comment") << QByteArray("[S]\n;A=\"1\"\n") << "S"
                                 << "A" << missing;
        QTest::newRow("before the first section") << QByteArray("A=\"1\"\n[S]\n") << "S"
                                                  << "A" << missing;
        // A modern editor's save: the mark keeps the first section, and UTF-8 reads as such.
        QTest::newRow("byte-order mark keeps the first header")
            << QByteArray("\xEF\xBB\xBF[S]\nA=\"1\"\n") << "S"
            << "A" << QStringLiteral("1");
        QTest::newRow("byte-order mark and UTF-8") << QByteArray(
                                                          "\xEF\xBB\xBF[S]\nA=\"Pflanzen\xC3\xBC"
                                                          "bersicht\"\n[T]\nB=\"2\"\n")
                                                   << "S"
                                                   << "A" << QStringLiteral("Pflanzenübersicht");
        QTest::newRow("UTF-8 without a mark") << QByteArray(
                                                     "[S]\nA=\"Pflanzen\xC3\xBC"
                                                     "bersicht \xE2\x82\xAC\"\n")
                                              << "S"
                                              << "A" << QStringLiteral("Pflanzenübersicht €");
        QTest::newRow("not UTF-8: Windows-1252")
            << QByteArray("[S]\nA=\"\xC3\xBC und \xFC\"\n") << "S"
            << "A" << QStringLiteral("Ã¼ und ü");
        QTest::newRow("a mark before bad UTF-8")
            << QByteArray("\xEF\xBB\xBF[S]\nA=\"x\xFCy\"\n") << "S"
            << "A" << QStringLiteral("x\uFFFDy");
        QTest::newRow("NUL ends the text") << QByteArray("[S]\nA=\"1\"\n\0B=\"2\"\n", 18) << "S"
                                           << "B" << missing;
        QTest::newRow("lines before a NUL apply")
            << QByteArray("[S]\nA=\"1\"\n\0B=\"2\"\n", 18) << "S"
            << "A" << QStringLiteral("1");
        QTest::newRow("CR alone ends a line") << QByteArray("[S]\rA=\"1\"\rB=\"2\"") << "S"
                                              << "B" << QStringLiteral("2");
        QTest::newRow("line without =") << QByteArray("[S]\nA\nB=\"2\"\n") << "S"
                                        << "A" << missing;
        QTest::newRow("Windows-1252") << QByteArray("[S]\nA=\"Hj\xe6lp \x80\"\n") << "S"
                                      << "A" << QStringLiteral("Hjælp €");
        QTest::newRow("section name trimmed") << QByteArray("[  S \t]\nA=1\n") << "S"
                                              << "A" << QStringLiteral("1");
        QTest::newRow("unclosed quote") << QByteArray("[S]\nA=\"abc\n") << "S"
                                        << "A" << QStringLiteral("abc");
        QTest::newRow("no-break space kept") << QByteArray("[S]\nA=x\xA0\n") << "S"
                                             << "A" << QStringLiteral("x\u00A0");
    }

    void fileFormat() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        TQLanguageFile file;
        file.LoadFromBytes(bytes);
        QCOMPARE(file.ReadString(section, key, QStringLiteral("-")), value);
        // The same from disk.
        const TQLanguageFile onDisk(write(path(QStringLiteral("f.lng")), bytes));
        QCOMPARE(onDisk.ReadString(section, key, QStringLiteral("-")), value);
    }

    // A file read as UTF-8 is written back as UTF-8, its mark kept; Windows-1252 stays so.
    void encodingIsKeptOnWriting_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("written");
        QTest::newRow("Windows-1252") << QByteArray("[S]\r\nA=\"\xFC\"\r\n")
                                      << QByteArray("[S]\r\nA=\"\xFC\"\r\nB=\"\xE6\"\r\n\r\n");
        QTest::newRow("UTF-8") << QByteArray("[S]\r\nA=\"\xC3\xBC\"\r\n")
                               << QByteArray("[S]\r\nA=\"\xC3\xBC\"\r\nB=\"\xC3\xA6\"\r\n\r\n");
        QTest::newRow("UTF-8 with a mark")
            << QByteArray("\xEF\xBB\xBF[S]\r\nA=\"x\"\r\n")
            << QByteArray("\xEF\xBB\xBF[S]\r\nA=\"x\"\r\nB=\"\xC3\xA6\"\r\n\r\n");
    }

    void encodingIsKeptOnWriting() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, written);
        const QString name = write(path(QStringLiteral("e.lng")), bytes);
        TQLanguageFile file(name);
        file.WriteString(QStringLiteral("S"), QStringLiteral("B"), QStringLiteral("æ"));
        QCOMPARE(readAll(name), written);
    }

    void readSectionValues() {
        TQLanguageFile file;
        file.LoadFromBytes("[S]\nB=\"1\"\nA=\"\"\nb=\"2\"\nC=plain\nD\nE=\"x\"\ne=\"\"\n=\"y\"\n");
        QStringList list{QStringLiteral("stale")};
        file.ReadSectionValues(QStringLiteral("s"), list);
        // One line per key, first place, last value; empty values left out.
        QCOMPARE(list, (QStringList{QStringLiteral("B=2"), QStringLiteral("C=plain")}));
        file.ReadSectionValues(QStringLiteral("none"), list);
        QCOMPARE(list, QStringList());
    }

    void writingSavesTheWholeImage() {
        const QString name =
            write(path(QStringLiteral("w.lng")),
                  "; a comment\r\nstray=1\r\n[A]\r\nX=\"1\"\r\n\r\n[B]\nY=plain\nnoequals\n");
        TQLanguageFile file(name);
        file.WriteString(QStringLiteral("a"), QStringLiteral("x"), QStringLiteral("two\r\nlines"));
        file.WriteString(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("Ærø"));
        QCOMPARE(readAll(name), QByteArray("[A]\r\nx=\"two\"#13#10\"lines\"\r\n\r\n"
                                           "[B]\r\nY=plain\r\nnoequals\r\n\r\n"
                                           "[New]\r\nK=\"\xC6r\xF8\"\r\n\r\n"));
        file.EraseSection(QStringLiteral("b"));
        QCOMPARE(TQLanguageFile(name).SectionNames(),
                 (QStringList{QStringLiteral("A"), QStringLiteral("New")}));
        QCOMPARE(TQLanguageFile(name).ReadString(QStringLiteral("A"), QStringLiteral("X"), {}),
                 QStringLiteral("two\r\nlines"));
    }

    void failedSaveKeepsTheImage() {
        TQLanguageFile file(path(QStringLiteral("no/such/folder/x.lng")));
        const QString error = errorOf([&] {
            file.WriteString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("v"));
        });
        QVERIFY2(error.startsWith(QStringLiteral("Cannot write language file")), qPrintable(error));
        QCOMPARE(file.ReadString(QStringLiteral("S"), QStringLiteral("K"), {}),
                 QStringLiteral("v"));
    }

    // A file that was not read whole is never overwritten with what was read.
    void unreadableFileIsNotOverwritten() {
        const QString name = path(QStringLiteral("Folder.lng"));
        QVERIFY(QDir().mkpath(name));
        TQLanguageFile file(name);
        QVERIFY(!file.ReadError().isEmpty());
        QCOMPARE(file.ReadString(QStringLiteral("S"), QStringLiteral("K"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QVERIFY(!errorOf([&] {
                     file.WriteString(QStringLiteral("S"), QStringLiteral("K"), {});
                 }).isEmpty());
    }

    // Bad files: no crash, no error, the readable lines apply ------------------------

    void badFiles_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label");
        const QByteArray head = "[TestForm]\r\nButton1.Caption=\"Button\"\r\n";
        QTest::newRow("missing") << QByteArray() << QStringLiteral("Knap")
                                 << QStringLiteral("Navn");
        QTest::newRow("unreadable")
            << QByteArray("dir") << QStringLiteral("Knap") << QStringLiteral("Navn");
        QTest::newRow("truncated in a value")
            << head + "Label1.Caption=\"Na" << QStringLiteral("Button") << QStringLiteral("Na");
        QTest::newRow("unclosed quote then more lines")
            << head + "Label1.Caption=\"Name\r\nGroup1.Caption=\"G\"\r\n"
            << QStringLiteral("Button") << QStringLiteral("Name");
        QTest::newRow("key without =") << head + "Label1.Caption \"Name\"\r\n"
                                       << QStringLiteral("Button") << QStringLiteral("Navn");
        QTest::newRow("huge line") << head + QByteArray(2'000'000, 'x') + "\r\nLabel1.Caption=N\r\n"
                                   << QStringLiteral("Button") << QStringLiteral("N");
        QTest::newRow("NUL bytes") << head + QByteArray("Label1.Caption=\"N\"\0\0\0", 22)
                                   << QStringLiteral("Button") << QStringLiteral("N");
        QTest::newRow("binary garbage") << QByteArray("\x01\xFF[\x7F\x80]\x9D") + "\n" + head
                                        << QStringLiteral("Button") << QStringLiteral("Navn");
        QByteArray big = head;
        big += QByteArray(TQLanguageFile::kMaxFileSize, '\n');
        big += "Label1.Caption=\"beyond the limit\"\r\n";
        QTest::newRow("larger than the limit")
            << big << QStringLiteral("Button") << QStringLiteral("Navn");
    }

    void badFiles() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, button);
        QFETCH(QString, label);
        const QString name = path(QStringLiteral("English.lng"));
        QFile::remove(name);
        if (bytes == "dir") {
            QVERIFY(QDir().mkpath(name));
        } else if (!bytes.isEmpty()) {
            write(name, bytes);
        }
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        QCOMPARE(errorOf([&] { source->SetActiveLanguage(0); }), QString());
        QCOMPARE(source->ActiveLanguage(), 0);
        QCOMPARE(form.button->text(), button);
        QCOMPARE(form.label->text(), label);
        QCOMPARE(form.windowTitle(), QStringLiteral("Vindue"));
    }

    // The language source -----------------------------------------------------------

    void boundsError_data() {
        QTest::addColumn<int>("index");
        QTest::newRow("past the last") << 4;
        QTest::newRow("below -1") << -2;
    }

    void boundsError() {
        QFETCH(int, index);
        auto source = makeSource();
        source->SetActiveLanguage(0);
        const QString expected = QStringLiteral("Index out of bounds (%1)").arg(index);
        QCOMPARE(errorOf([&] { source->SetActiveLanguage(index); }), expected);
        QCOMPARE(errorOf([&] { source->GetLanguageName(index); }), expected);
        QCOMPARE(errorOf([&] { source->GetLanguageFileName(index); }), expected);
        QCOMPARE(source->ActiveLanguage(), 0);
        QVERIFY(source->LanguageFile());
        // what() is the message in UTF-8, as the error box shows it.
        try {
            source->SetActiveLanguage(index);
        } catch (const std::exception& e) {
            QCOMPARE(QString::fromUtf8(e.what()), expected);
        }
    }

    void languageNames() {
        TQLanguageSource source;
        QCOMPARE(source.OriginalName(), QStringLiteral("Original"));
        source.SetLanguages({QStringLiteral("English=English.lng"), QStringLiteral("Nameless"),
                             QStringLiteral("english=Other.lng")});
        QCOMPARE(source.GetLanguageName(-1), QStringLiteral("Original"));
        QCOMPARE(source.GetLanguageName(0), QStringLiteral("English"));
        QCOMPARE(source.GetLanguageName(1), QString());
        QCOMPARE(source.GetLanguageFileName(-1), QString());
        // Looked up by name: the first line of that name gives the file.
        QCOMPARE(source.GetLanguageFileName(2), QStringLiteral("English.lng"));
        QCOMPARE(source.DefaultFileExt(), QStringLiteral("lng"));
    }

    void readOnlySource() {
        TQFileLanguageSource source;
        source.SetLanguages({QStringLiteral("English=") + path(QStringLiteral("English.lng"))});
        source.SetActiveLanguage(0);
        const QString expected = QStringLiteral("Cannot write to source file (ReadOnly = True)!");
        const QStringList lines{QStringLiteral("a=b")};
        QCOMPARE(errorOf([&] { source.WriteString(QStringLiteral("a"), {}); }), expected);
        QCOMPARE(errorOf([&] { source.WriteSection(&lines); }), expected);
        QCOMPARE(errorOf([&] { source.EraseSection(); }), expected);
        QCOMPARE(errorOf([&] { source.ClearAll(); }), expected);
        source.SetSection(QStringLiteral("TestForm"));
        QCOMPARE(source.ReadString(QStringLiteral("Caption"), QStringLiteral("d")),
                 QStringLiteral("d"));
        QStringList list{QStringLiteral("kept")};
        source.ReadSection(&list);
        QCOMPARE(list, QStringList{QStringLiteral("kept")});
    }

    void sourceReadsAndWrites() {
        auto source = makeSource();
        source->SetActiveLanguage(0);
        source->SetSection(QStringLiteral("testform"));
        QCOMPARE(source->ReadString(QStringLiteral("CAPTION"), {}), QStringLiteral("Window"));
        QCOMPARE(source->ReadString(QString(), QStringLiteral("d")), QStringLiteral("d"));
        source->SetSortSections(true);
        QStringList list;
        source->ReadSection(&list);
        QCOMPARE(list.first(), QStringLiteral("AboutBox1.Warning=Warning"));
        source->SetSection(QStringLiteral("New"));
        const QStringList lines{QStringLiteral("b=2"), QStringLiteral("A=1"),
                                QStringLiteral("no equals")};
        source->WriteSection(&lines);
        QCOMPARE(readAll(path(QStringLiteral("English.lng"))).right(23),
                 QByteArray("[New]\r\nA=\"1\"\r\nb=\"2\"\r\n\r\n"));
        source->EraseSection();
        QCOMPARE(TQLanguageFile(path(QStringLiteral("English.lng"))).SectionNames().size(), 2);
    }

    void assigningTheActiveIndexDoesNothing() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        const TQLanguageFile* file = source->LanguageFile();
        QSignalSpy changed(source.get(), &TQCustomLanguageSource::OnLanguageChanged);
        QSignalSpy localized(&localizer, &TQFormLocalizer::OnPropertyLocalized);
        source->SetActiveLanguage(0);
        QCOMPARE(source->LanguageFile(), file);
        QCOMPARE(changed.count(), 0);
        QCOMPARE(localized.count(), 0);
    }

    void switchingLanguages() {
        TTestForm form;
        RecordingSource source;
        source.SetLanguages(makeSource()->Languages());
        TQFormLocalizer localizer(&form);
        localizer.SetSource(&source);
        source.SetActiveLanguage(0);
        source.log.clear();
        source.SetActiveLanguage(1);
        QCOMPARE(source.log, (QStringList{QStringLiteral("close 0"), QStringLiteral("open 1")}));
        QVERIFY(source.LanguageFile()->FileName().endsWith(QStringLiteral("Norsk.lng")));
        QCOMPARE(form.button->text(), QStringLiteral("Knapp"));
        QCOMPARE(form.label->text(), QStringLiteral("Name"));  // missing in Norsk: English
        source.log.clear();
        source.SetActiveLanguage(-1);
        QCOMPARE(source.log, QStringList{QStringLiteral("close 1")});
        QCOMPARE(form.texts(), designTexts());
        QCOMPARE(localizer.Originals(), QStringList());
    }

    void changeNotificationsInOrder() {
        TTestForm form1;
        TTestForm form2;
        auto source = makeSource();
        TQFormLocalizer first(&form1);
        TQFormLocalizer second(&form2);
        first.SetSource(source.get());
        second.SetSource(source.get());
        QStringList log;
        connect(&first, &TQCustomLocalizer::OnLanguageChanging, this,
                [&](int i, bool*) { log << QStringLiteral("first changing %1").arg(i); });
        connect(&second, &TQCustomLocalizer::OnLanguageChanging, this,
                [&](int i, bool*) { log << QStringLiteral("second changing %1").arg(i); });
        connect(source.get(), &TQCustomLanguageSource::OnLanguageChanging, this,
                [&](int i, bool*) { log << QStringLiteral("source changing %1").arg(i); });
        connect(&first, &TQCustomLocalizer::OnLanguageChanged, this,
                [&] { log << QStringLiteral("first changed ") + form1.button->text(); });
        connect(&second, &TQCustomLocalizer::OnLanguageChanged, this,
                [&] { log << QStringLiteral("second changed ") + form2.button->text(); });
        connect(source.get(), &TQCustomLanguageSource::OnLanguageChanged, this,
                [&] { log << QStringLiteral("source changed"); });
        source->SetActiveLanguage(0);
        QCOMPARE(log,
                 (QStringList{
                     QStringLiteral("first changing 0"), QStringLiteral("second changing 0"),
                     QStringLiteral("source changing 0"), QStringLiteral("first changed Button"),
                     QStringLiteral("second changed Button"), QStringLiteral("source changed")}));
    }

    // A refused change leaves the old language whole, its file still readable.
    void refusedChange() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        connect(source.get(), &TQCustomLanguageSource::OnLanguageChanging, this,
                [](int, bool* allow) { *allow = false; });
        source->SetActiveLanguage(1);
        QCOMPARE(source->ActiveLanguage(), 0);
        QVERIFY(source->IsReady());
        QVERIFY(source->LanguageFile());
        TTestForm later;
        TQFormLocalizer laterLocalizer(&later);
        laterLocalizer.SetSource(source.get());
        QCOMPARE(later.button->text(), QStringLiteral("Button"));
    }

    void languageAssignedWhileLoading() {
        TTestForm form;
        auto source = makeSource();
        QVERIFY(source->IsReady());
        TQFormLocalizer localizer(&form);
        localizer.BeginLoading();
        localizer.SetSource(source.get());
        QCOMPARE(localizer.Source(), nullptr);
        QSignalSpy changing(source.get(), &TQCustomLanguageSource::OnLanguageChanging);
        QSignalSpy changed(source.get(), &TQCustomLanguageSource::OnLanguageChanged);
        source->BeginLoading();
        source->SetActiveLanguage(0);
        source->ActiveSettings().SetBiDiMode(bdRightToLeft);  // ignored while loading
        QCOMPARE(source->ActiveLanguage(), -1);
        QVERIFY(!source->IsReady());
        source->EndLoading();
        QCOMPARE(source->ActiveLanguage(), 0);
        QVERIFY(source->IsReady());
        QCOMPARE(changing.count(), 0);
        QCOMPARE(changed.count(), 0);
        localizer.EndLoading();
        QCOMPARE(localizer.Source(), source.get());
        QCOMPARE(form.button->text(), QStringLiteral("Button"));
        QCOMPARE(source->ActiveSettings().BiDiMode(), bdLeftToRight);
    }

    void newLanguageListReturnsToTheBuiltInLanguage() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        source->SetLanguages({QStringLiteral("Other=") + path(QStringLiteral("English.lng"))});
        QCOMPARE(source->ActiveLanguage(), -1);
        QCOMPARE(form.texts(), designTexts());
    }

    void destroyedSourceRestoresTheWindow() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        source.reset();
        QCOMPARE(localizer.Source(), nullptr);
        QCOMPARE(form.texts(), designTexts());
    }

    // The main window owns the source and its localizer; either may go first.
    void windowOwningSourceAndLocalizerCloses_data() {
        QTest::addColumn<bool>("sourceFirst");
        QTest::newRow("source made first") << true;
        QTest::newRow("localizer made first") << false;
    }

    void windowOwningSourceAndLocalizerCloses() {
        QFETCH(bool, sourceFirst);
        auto form = std::make_unique<TTestForm>();
        TQLanguageSource* source = nullptr;
        TQFormLocalizer* localizer = nullptr;
        if (sourceFirst) {
            source = new TQLanguageSource(form.get());
            localizer = new TQFormLocalizer(form.get());
        } else {
            localizer = new TQFormLocalizer(form.get());
            source = new TQLanguageSource(form.get());
        }
        source->SetLanguages(makeSource()->Languages());
        localizer->SetSource(source);
        source->SetActiveLanguage(0);
        QSignalSpy localized(localizer, &TQFormLocalizer::OnPropertyLocalized);
        form.reset();
        QCOMPARE(localized.count(), 0);
    }

    // The language settings ----------------------------------------------------------

    void settingsDefaults() {
        TQLanguageSource source;
        QCOMPARE(source.ActiveSettings().BiDiMode(), bdLeftToRight);
        QCOMPARE(source.ActiveSettings().FontCharSet(), TQLanguageSettings::DEFAULT_CHARSET);
        QCOMPARE(errorOf([] { TQLanguageSettings settings(nullptr); }),
                 QStringLiteral("Language source must be specified!"));
        QCOMPARE(TQLanguageSettings::CharSetName(204), QStringLiteral("RUSSIAN_CHARSET"));
        QCOMPARE(TQLanguageSettings::CharSetName(5), QStringLiteral("DEFAULT_CHARSET"));
        QCOMPARE(TQLanguageSettings::CharSetFromName(u"oem_charset"), 255);
        QCOMPARE(TQLanguageSettings::CharSetFromName(u"ANSI_CHARSET"), 0);
    }

    void settingsFromFile_data() {
        QTest::addColumn<QByteArray>("section");
        QTest::addColumn<int>("bidi");
        QTest::addColumn<int>("charSet");
        QTest::newRow("names in any case")
            << QByteArray("BiDiMode=\"1\"\r\nFontCharSet=\"russian_charset\"") << 1 << 204;
        QTest::newRow("unquoted") << QByteArray("BiDiMode=3\r\nFontCharSet=ARABIC_CHARSET") << 3
                                  << 178;
        QTest::newRow("number for the charset, 7 for the direction")
            << QByteArray("BiDiMode=\"7\"\r\nFontCharSet=\"204\"") << 0 << 1;
        QTest::newRow("words") << QByteArray("BiDiMode=\"right\"\r\nFontCharSet=\"\"") << 0 << 1;
        QTest::newRow("missing keys") << QByteArray() << 0 << 1;
    }

    void settingsFromFile() {
        QFETCH(QByteArray, section);
        QFETCH(int, bidi);
        QFETCH(int, charSet);
        write(path(QStringLiteral("English.lng")), "[General Settings]\r\n" + section + "\r\n");
        auto source = makeSource();
        source->SetActiveLanguage(0);
        source->SetSection(QStringLiteral("Somewhere"));
        QCOMPARE(int(source->ActiveSettings().BiDiMode()), bidi);
        QCOMPARE(source->ActiveSettings().FontCharSet(), charSet);
        QCOMPARE(source->GetSection(), QStringLiteral("Somewhere"));
    }

    void settingsWritten() {
        auto source = makeSource();
        source->ActiveSettings().SetFontCharSet(204);  // Danish: kept in the object
        QCOMPARE(source->ActiveSettings().FontCharSet(), 204);
        source->SetActiveLanguage(0);
        source->SetSection(QStringLiteral("TestForm"));
        source->ActiveSettings().SetFontCharSet(238);
        source->ActiveSettings().SetBiDiMode(bdRightToLeftNoAlign);
        QCOMPARE(source->GetSection(), QStringLiteral("TestForm"));
        const TQLanguageFile file(path(QStringLiteral("English.lng")));
        QCOMPARE(
            file.ReadString(QStringLiteral("General Settings"), QStringLiteral("FontCharSet"), {}),
            QStringLiteral("EASTEUROPE_CHARSET"));
        QCOMPARE(
            file.ReadString(QStringLiteral("General Settings"), QStringLiteral("BiDiMode"), {}),
            QStringLiteral("2"));
        source->SetActiveLanguage(-1);
        QCOMPARE(source->ActiveSettings().FontCharSet(), 204);
    }

    void settingsApplied() {
        write(path(QStringLiteral("English.lng")),
              "[General Settings]\r\nBiDiMode=\"1\"\r\nFontCharSet=\"GREEK_CHARSET\"\r\n");
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        QVERIFY(ParentFont(form.label));
        source->SetActiveLanguage(0);
        QCOMPARE(TQLanguageSettings::ScreenFontCharSet(), 161);
        const QList<QWidget*> widgets = form.findChildren<QWidget*>();
        for (QWidget* w : widgets) {
            if (!w->objectName().isEmpty()) {
                QVERIFY2(!ParentFont(w), qPrintable(w->objectName()));
                QVERIFY2(!ParentBiDiMode(w), qPrintable(w->objectName()));
                QCOMPARE(w->layoutDirection(), Qt::RightToLeft);
            }
        }
        source->SetActiveLanguage(-1);
        QCOMPARE(TQLanguageSettings::ScreenFontCharSet(), 1);
        for (QWidget* w : widgets) {
            if (!w->objectName().isEmpty()) {
                QVERIFY(!ParentFont(w));
                QCOMPARE(w->layoutDirection(), Qt::LeftToRight);
            }
        }
    }

    // The form localizer -------------------------------------------------------------

    void danishEnglishDanish() {
        TTestForm form;
        form.action->setToolTip(QString());  // Qt shows the text; the design has no hint
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint"),
                                QStringLiteral("Warning"), QStringLiteral("Columns")});
        localizer.SetSource(source.get());
        QCOMPARE(localizer.Originals(), QStringList());
        source->SetActiveLanguage(0);
        QCOMPARE(
            form.texts(),
            (QStringList{QStringLiteral("Window"), QStringLiteral("Button"),
                         QStringLiteral("Press here"), QStringLiteral("Name"), QString(),
                         QStringLiteral("Save"), QStringLiteral("File"), QStringLiteral("Group"),
                         QStringLiteral("brugerdata"), QStringLiteral("Navn|Latin|Omplantning 1"),
                         QStringLiteral("Warning")}));
        QCOMPARE(form.action->toolTip(), QStringLiteral("Save"));  // no hint of its own
        QVERIFY(localizer.Originals().contains(QStringLiteral("Button1.Caption=\"Knap\"")));
        QVERIFY(localizer.Originals().contains(
            QStringLiteral("DBGrid1.Columns=\"Navn,Latin,\"\"Omplantning 1\"\"\"")));
        source->SetActiveLanguage(-1);
        QCOMPARE(form.texts(), designTexts());
        QCOMPARE(localizer.Originals(), QStringList());
        QCOMPARE(form.action->toolTip(), QStringLiteral("Gem"));
    }

    void windowOpenedWhileEnglishIsActive() {
        auto source = makeSource();
        source->SetActiveLanguage(0);
        TTestForm form;
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        QCOMPARE(form.button->text(), QStringLiteral("Button"));
        QCOMPARE(localizer.FormName(), QStringLiteral("TestForm"));
        localizer.SetSource(nullptr);
        QCOMPARE(form.texts(), designTexts());
    }

    void columns_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QStringList>("titles");
        QTest::newRow("fewer items") << QByteArray("\"Name\"")
                                     << QStringList{QStringLiteral("Name"), QStringLiteral("Latin"),
                                                    QStringLiteral("Omplantning 1")};
        QTest::newRow("more items") << QByteArray("\"A,B,\"\"Replanting 1\"\",D\"")
                                    << QStringList{QStringLiteral("A"), QStringLiteral("B"),
                                                   QStringLiteral("Replanting 1")};
        QTest::newRow("unquoted blank splits")
            << QByteArray("Replanting 1")
            << QStringList{QStringLiteral("Replanting"), QStringLiteral("1"),
                           QStringLiteral("Omplantning 1")};
    }

    void columns() {
        QFETCH(QByteArray, value);
        QFETCH(QStringList, titles);
        write(path(QStringLiteral("English.lng")), "[TestForm]\r\nDBGrid1.Columns=" + value);
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetPropNames({QStringLiteral("Columns")});
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        QCOMPARE(form.grid->Columns(), titles);
        source->SetActiveLanguage(-1);
        QCOMPARE(form.grid->Columns(), designTexts()[9].split(u'|'));
    }

    void removingHintWhileEnglishIsActive() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        QCOMPARE(form.button->toolTip(), QStringLiteral("Press here"));
        localizer.SetPropNames({QStringLiteral("Caption")});
        QCOMPARE(form.button->toolTip(), QStringLiteral("Tryk her"));
        QCOMPARE(form.button->text(), QStringLiteral("Button"));
        for (const QString& line : localizer.Originals()) {
            QVERIFY2(!line.contains(QStringLiteral(".Hint=")), qPrintable(line));
        }
        // Added back: its current text is kept, and the next translation applies it.
        localizer.SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint")});
        source->SetActiveLanguage(1);
        source->SetActiveLanguage(0);
        QCOMPARE(form.button->toolTip(), QStringLiteral("Press here"));
        source->SetActiveLanguage(-1);
        QCOMPARE(form.texts(), designTexts());
    }

    void propertyEvents() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        connect(&localizer, &TQFormLocalizer::OnPropertyLocalizing, this,
                [](QObject* o, const QString& prop, QString* value, bool* allow) {
                    if (o->objectName() == u"Label1") {
                        *allow = false;
                    } else if (prop == u"Caption" && o->objectName() == u"Button1") {
                        *value = value->toUpper();
                    }
                });
        QSignalSpy localized(&localizer, &TQFormLocalizer::OnPropertyLocalized);
        source->SetActiveLanguage(0);
        QCOMPARE(form.button->text(), QStringLiteral("BUTTON"));
        QCOMPARE(form.label->text(), QStringLiteral("Navn"));
        // Every applied key but the refused one; Edit1 has no caption, Nowhere no component.
        QCOMPARE(localized.count(), 8);
    }

    void excluded() {
        TTestForm form;
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        localizer.SetExcluded({QStringLiteral("label1.caption")});
        source->SetActiveLanguage(-1);
        source->SetActiveLanguage(0);
        QCOMPARE(form.label->text(), QStringLiteral("Navn"));
        QCOMPARE(form.button->text(), QStringLiteral("Button"));
    }

    void ownerChecks() {
        QCOMPARE(errorOf([] { TQFormLocalizer l(nullptr); }),
                 QStringLiteral("Owner is not specified!"));
        TTestForm form;
        TQFormLocalizer first(&form);
        QCOMPARE(errorOf([&] { TQFormLocalizer second(&form); }),
                 QStringLiteral("'TestForm' already contains instance of TQFormLocalizer class!"));
        QCOMPARE(form.findChildren<TQFormLocalizer*>().size(), 1);
    }

    void findTarget_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("property");
        QTest::newRow("window") << "Caption"
                                << "TTestForm"
                                << "Caption";
        QTest::newRow("component") << "Button1.Caption"
                                   << "Button1"
                                   << "Caption";
        QTest::newRow("any case") << "button1.caption"
                                  << "Button1"
                                  << "caption";
        QTest::newRow("inside another widget") << "Group1.Edit1.Caption"
                                               << "Edit1"
                                               << "Caption";
        QTest::newRow("no such component") << "Nowhere.Caption" << QString() << QString();
        QTest::newRow("empty name") << ".Caption" << QString() << QString();
        QTest::newRow("collection index") << "DBGrid1.Columns[0].Title" << QString() << QString();
    }

    void findTarget() {
        QFETCH(QString, key);
        QFETCH(QString, target);
        QFETCH(QString, property);
        TTestForm form;
        TQFormLocalizer localizer(&form);
        localizer.SetPropNames({QStringLiteral("Caption"), QStringLiteral("Columns")});
        QObject* found = localizer.FindTarget(key);
        QCOMPARE(found ? found->objectName() : QString(), target);
        if (found) {
            QCOMPARE(key, property);
        }
    }

    void saveTexts() {
        write(path(QStringLiteral("English.lng")), "[TestForm]\r\nOld=\"x\"\r\n");
        TTestForm form;
        auto source = makeSource();
        source->SetActiveLanguage(0);
        TQFormLocalizer localizer(&form);
        localizer.SetPropNames({QStringLiteral("Caption"), QStringLiteral("Hint")});
        localizer.SetDependencies({QStringLiteral("Hint=Caption")});
        localizer.SetSaveOptions(soIgnoreDependencyIfEmpty);
        localizer.SetExcluded({QStringLiteral("Group1")});
        localizer.SetClearBeforeSave(true);
        localizer.SetSource(source.get());
        source->SetSection(QStringLiteral("General Settings"));
        QSignalSpy saved(&localizer, &TQFormLocalizer::OnPropertySaved);
        localizer.SaveTexts();
        TQLanguageFile file(path(QStringLiteral("English.lng")));
        QStringList lines;
        file.ReadSectionValues(QStringLiteral("TestForm"), lines);
        QCOMPARE(lines,
                 (QStringList{
                     QStringLiteral("Caption=Vindue"), QStringLiteral("Hint=Vindue"),
                     QStringLiteral("Button1.Caption=Knap"), QStringLiteral("Button1.Hint=Knap"),
                     QStringLiteral("Label1.Caption=Navn"), QStringLiteral("Label1.Hint=Navn"),
                     QStringLiteral("Action1.Caption=Gem"), QStringLiteral("Action1.Hint=Gem"),
                     QStringLiteral("Menu1.Caption=Filer"), QStringLiteral("Menu1.Hint=Filer")}));
        QCOMPARE(saved.count(), lines.size());
    }

    // Where language files are found -------------------------------------------------

    void languageFolderLookupOrder() {
        const QString name =
            QStringLiteral("Lookup-%1.lng").arg(QCoreApplication::applicationPid());
        const QString program =
            QCoreApplication::applicationDirPath() + QStringLiteral("/Languages/") + name;
        // Where an installed program's language files are, seen from its own folder.
        const QString shareDir = QDir::cleanPath(QCoreApplication::applicationDirPath() +
                                                 QStringLiteral("/../share/verdamo/Languages"));
        QVERIFY(QDir().mkpath(shareDir));
        const QString installed = shareDir + u'/' + name;
        const QString oldCurrent = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        const QString working = QDir::current().absoluteFilePath(name);
        for (const QString& p : {program, installed, working}) {
            write(p, "[S]\r\n");
        }
        QCOMPARE(FindLanguageFile(name), program);
        QFile::remove(program);
        QCOMPARE(FindLanguageFile(name), installed);
        QFile::remove(installed);
        QCOMPARE(FindLanguageFile(name), working);
        QFile::remove(working);
        QCOMPARE(FindLanguageFile(name), working);  // none: where a write would create it
        QCOMPARE(FindLanguageFile(path(name)), path(name));
        QVERIFY(QDir::setCurrent(oldCurrent));
        QDir(shareDir).removeRecursively();
    }

    // The shipped language files -----------------------------------------------------

    void shippedFiles_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("help");
        QTest::addColumn<QString>("plantOverview");
        QTest::newRow("English") << 0 << "&Help"
                                 << "&Plant overview";
        QTest::newRow("Norsk") << 1 << "&Hjelp"
                               << "&Planteoversikt";
        QTest::newRow("Svensk") << 2 << "&Hjälp"
                                << "&Växtöversikt";
        QTest::newRow("Deutsch") << 3 << "&Hilfe"
                                 << "&Pflanzenübersicht";
    }

    void shippedFiles() {
        QFETCH(int, index);
        QFETCH(QString, help);
        QFETCH(QString, plantOverview);
        const QString ui = QStringLiteral(VERDAMO_SOURCE_DIR "/src/app/hovedform.ui");
        QFile uiFile(ui);
        QVERIFY(uiFile.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&uiFile);
        QStringList names;
        QString root;
        while (xml.readNextStartElement() || !xml.atEnd()) {
            if (xml.isStartElement() && (xml.name() == u"widget" || xml.name() == u"action")) {
                const QString n = xml.attributes().value(QStringLiteral("name")).toString();
                if (root.isEmpty()) {
                    root = n;
                }
                names << n;
            }
            xml.readNext();
        }
        QCOMPARE(root, QStringLiteral("THovedForm"));
        QVERIFY(names.contains(QStringLiteral("Omskrmstrrelser1")));
        names << QStringLiteral("AboutBox1");  // made in code by the main window

        // The real main window's components, by their names and kinds.
        fake::THovedForm form;
        QHash<QString, QObject*> made;
        for (const QString& n : names.mid(1)) {
            QObject* o = n == u"AboutBox1" ? static_cast<QObject*>(new AboutBox(&form))
                                           : static_cast<QObject*>(new QAction(&form));
            o->setObjectName(n);
            made.insert(n, o);
        }
        TQLanguageSource source(&form);
        source.SetOriginalName(QStringLiteral("Dansk"));
        source.SetLanguages({QStringLiteral("English=English.lng"),
                             QStringLiteral("Norsk=Norsk.lng"), QStringLiteral("Svensk=Svensk.lng"),
                             QStringLiteral("Deutsch=Deutsch.lng")});
        const QString file = QStringLiteral(VERDAMO_SOURCE_DIR "/resources/Languages/") +
                             source.GetLanguageFileName(index);
        const QByteArray bytes = readAll(file);
        QVERIFY(!bytes.isEmpty());
        QVERIFY(!bytes.startsWith("\xEF\xBB\xBF"));
        QCOMPARE(bytes.count('\n'), bytes.count("\r\n"));
        QCOMPARE(bytes.count('\r'), bytes.count("\r\n"));
        // The program's language folder holds the same file.
        QCOMPARE(FindLanguageFile(source.GetLanguageFileName(index)),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/Languages/") +
                     source.GetLanguageFileName(index));
        QCOMPARE(readAll(FindLanguageFile(source.GetLanguageFileName(index))), bytes);

        TQLanguageFile image(file);
        QStringList lines;
        image.ReadSectionValues(QStringLiteral("HovedForm"), lines);
        QCOMPARE(lines.size(), 24);
        for (const QString& line : lines) {
            const QString key = line.left(line.indexOf(u'='));
            const qsizetype dot = key.indexOf(u'.');
            if (dot < 0) {
                QCOMPARE(key, QStringLiteral("Caption"));
                continue;
            }
            QVERIFY2(names.contains(key.left(dot)), qPrintable(key));
            const QString prop = key.mid(dot + 1);
            QVERIFY2(prop == u"Caption" || prop == u"Warning", qPrintable(key));
        }
        QCOMPARE(
            image.ReadString(QStringLiteral("General Settings"), QStringLiteral("BiDiMode"), {}),
            QStringLiteral("0"));
        QCOMPARE(
            image.ReadString(QStringLiteral("General Settings"), QStringLiteral("FontCharSet"), {}),
            QStringLiteral("DEFAULT_CHARSET"));

        TQFormLocalizer localizer(&form);
        localizer.SetPropNames(
            {QStringLiteral("Caption"), QStringLiteral("Hint"), QStringLiteral("Warning")});
        form.setWindowTitle(QStringLiteral("Verdamo"));
        for (const QString& n :
             {QStringLiteral("Help"), QStringLiteral("SpeedButton2"), QStringLiteral("Sprog1")}) {
            static_cast<QAction*>(made[n])->setText(QStringLiteral("Dansk tekst"));
        }
        static_cast<AboutBox*>(made[QStringLiteral("AboutBox1")])
            ->SetWarning(QStringLiteral("Advarsel"));
        localizer.SetSource(&source);
        source.SetActiveLanguage(index);
        QCOMPARE(localizer.FormName(), QStringLiteral("HovedForm"));
        QCOMPARE(form.windowTitle(), QStringLiteral("Verdamo"));
        QCOMPARE(static_cast<QAction*>(made[QStringLiteral("Help")])->text(), help);
        QCOMPARE(static_cast<QAction*>(made[QStringLiteral("SpeedButton2")])->text(),
                 plantOverview);
        QCOMPARE(static_cast<QAction*>(made[QStringLiteral("Sprog1")])->text(),
                 QStringLiteral("&Sprog/Language/Sprache"));
        QVERIFY(static_cast<AboutBox*>(made[QStringLiteral("AboutBox1")])->Warning().size() > 150);
        source.SetActiveLanguage(-1);
        QCOMPARE(static_cast<QAction*>(made[QStringLiteral("Help")])->text(),
                 QStringLiteral("Dansk tekst"));
    }
    // Texts shown by code ------------------------------------------------------------

    void desktopLanguage_data() {
        QTest::addColumn<QByteArray>("locale");
        QTest::addColumn<QStringList>("preferred");
        QTest::addColumn<int>("language");
        QTest::newRow("German") << QByteArray("de_DE.UTF-8") << QStringList{"de-DE", "de"} << 3;
        QTest::newRow("Austrian") << QByteArray("de_AT.UTF-8") << QStringList{"de-AT"} << 3;
        QTest::newRow("bokmål") << QByteArray("nb_NO.UTF-8") << QStringList{"nb-NO"} << 1;
        QTest::newRow("nynorsk") << QByteArray("nn_NO.UTF-8") << QStringList{"nn-NO"} << 1;
        QTest::newRow("Swedish") << QByteArray("sv_SE.UTF-8") << QStringList{"sv-SE"} << 2;
        QTest::newRow("English") << QByteArray("en_GB.UTF-8") << QStringList{"en-GB"} << 0;
        QTest::newRow("Danish") << QByteArray("da_DK.UTF-8") << QStringList{"da-DK"} << -1;
        QTest::newRow("French") << QByteArray("fr_FR.UTF-8") << QStringList{"fr-FR"} << -1;
        QTest::newRow("first spoken of a list")
            << QByteArray("fr_FR.UTF-8") << QStringList{"fr", "sv", "de"} << 2;
        QTest::newRow("C speaks none") << QByteArray("C.UTF-8") << QStringList{"de"} << -1;
        QTest::newRow("POSIX") << QByteArray("POSIX") << QStringList{"en"} << -1;
        QTest::newRow("nothing set") << QByteArray() << QStringList{"sv"} << -1;
    }

    void desktopLanguage() {
        QFETCH(QByteArray, locale);
        QFETCH(QStringList, preferred);
        QFETCH(int, language);
        QCOMPARE(i18n::languageOfLocale(locale, preferred), language);
    }

    // A caption from a file is plain text, and a label fits the caption it is given.
    void captionsArePlainTextAndFit() {
        write(
            path(QStringLiteral("English.lng")),
            cp1252(QStringLiteral("[TestForm]\r\nLabel1.Caption=\"<h1>A much longer name</h1>\"\r\n"
                                  "Button1.Hint=\"<b>bold</b>\"\r\n")));
        TTestForm form;
        form.label->adjustSize();
        const int danish = form.label->width();
        auto source = makeSource();
        TQFormLocalizer localizer(&form);
        localizer.SetSource(source.get());
        source->SetActiveLanguage(0);
        QCOMPARE(form.label->text(), QStringLiteral("<h1>A much longer name</h1>"));
        QCOMPARE(form.label->textFormat(), Qt::PlainText);
        QVERIFY(form.label->width() > danish);
        QCOMPARE(form.label->width(), form.label->sizeHint().width());
        QVERIFY2(form.button->toolTip().contains(QStringLiteral("&lt;b&gt;bold&lt;/b&gt;")),
                 qPrintable(form.button->toolTip()));
        source->SetActiveLanguage(-1);
        QCOMPARE(form.label->text(), QStringLiteral("Navn"));
        QCOMPARE(form.label->width(), danish);
        QCOMPARE(form.button->toolTip(), QStringLiteral("Tryk her"));
    }

    // Code texts follow the main window's source: Danish built in, other languages from
    // their file, and the Danish text where a file lacks the key.
    void codeTexts() {
        write(path(QStringLiteral("English.lng")),
              cp1252(QStringLiteral("[TestTexts]\r\nGreeting=\"Hello\"#10#13\"there\"\r\n"
                                    "Count.One=\"%1 plant\"\r\nCount.Other=\"%1 plants\"\r\n")));
        QWidget main;
        auto* source = new TQLanguageSource(&main);
        source->setObjectName(QStringLiteral("QLanguageSource1"));
        source->SetOriginalName(QStringLiteral("Dansk"));
        source->SetLanguages({QStringLiteral("English=") + path(QStringLiteral("English.lng")),
                              QStringLiteral("Norsk=") + path(QStringLiteral("Norsk.lng"))});
        const QString danish = QStringLiteral("Hej\n\rder");
        QCOMPARE(text(u"TestTexts", u"Greeting", danish), danish);
        QCOMPARE(countText(u"TestTexts", u"Count", 1, QStringLiteral("%1 plante"),
                           QStringLiteral("%1 planter")),
                 QStringLiteral("1 plante"));

        source->SetActiveLanguage(0);
        QCOMPARE(text(u"TestTexts", u"Greeting", danish), QStringLiteral("Hello\n\rthere"));
        QCOMPARE(text(u"testtexts", u"GREETING", danish), QStringLiteral("Hello\n\rthere"));
        QCOMPARE(text(u"TestTexts", u"Missing", danish), danish);
        QCOMPARE(countText(u"TestTexts", u"Count", 1, QStringLiteral("%1 plante"),
                           QStringLiteral("%1 planter")),
                 QStringLiteral("1 plant"));
        QCOMPARE(countText(u"TestTexts", u"Count", 0, QStringLiteral("%1 plante"),
                           QStringLiteral("%1 planter")),
                 QStringLiteral("0 plants"));

        // Another language than the active one is read from its own file.
        QCOMPARE(textFor(0, u"TestTexts", u"Greeting", danish), QStringLiteral("Hello\n\rthere"));
        source->SetActiveLanguage(1);
        QCOMPARE(text(u"TestTexts", u"Greeting", danish), danish);
        QCOMPARE(textFor(0, u"TestTexts", u"Greeting", danish), QStringLiteral("Hello\n\rthere"));
        QCOMPARE(textFor(7, u"TestTexts", u"Greeting", danish), danish);
    }
};

QTEST_MAIN(I18nTest)
#include "tst_i18n.moc"
