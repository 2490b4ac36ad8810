// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QtTest>
#include <memory>

#include "data/datafolder.h"
#include "data/dm.h"
#include "data/settings.h"
#include "i18n/langsource.h"
#include "plants/billedform.h"
#include "plants/pictures.h"
#include "plants/regform.h"
#include "testsupport.h"
#include "toolkit/dateedit.h"
#include "toolkit/dbcontrols.h"
#include "toolkit/lookup.h"
#include "toolkit/navigator.h"
#include "toolkit/speedbutton.h"

using plants::Register;
using store::DataSetState;

namespace {

// A JPEG of a given size whose top-left pixel tells it apart from the others.
QByteArray jpeg(QSize size, QColor colour) {
    QImage img(size, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 90);
    return bytes;
}

// A JPEG as a camera held upright writes it: stored lying, left half red and right half
// blue, with the orientation "turn 90 degrees clockwise to show" in its EXIF data.
QByteArray turnedJpeg(QSize stored) {
    QImage img(stored, QImage::Format_RGB32);
    img.fill(Qt::blue);
    {
        QPainter p(&img);
        p.fillRect(0, 0, stored.width() / 2, stored.height(), Qt::red);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, "JPEG", 90);
    // APP1 "Exif": a little-endian TIFF header and one entry, Orientation (0x0112) = 6.
    static const char exif[] =
        "\xff\xe1\x00\x22"
        "Exif\0\0"
        "II\x2a\x00\x08\x00\x00\x00"
        "\x01\x00"
        "\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00"
        "\x00\x00\x00\x00";
    bytes.insert(2, QByteArray(exif, sizeof(exif) - 1));
    return bytes;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QSize shownSize(const QLabel* image) {
    return image->pixmap().isNull() ? QSize() : image->pixmap().size();
}

const QSize DefaultPlant(400, 300);

}  // namespace

class RegisterTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<testsupport::DataFolder> m_folder;
    std::unique_ptr<testsupport::ScriptedDialogs> m_dialogs;
    std::unique_ptr<data::TDM> m_dm;
    QTemporaryDir m_files;

    store::Table* plants() { return m_dm->PlanteTable; }
    QString picture(const QString& name) { return QDir(plants::pictureFolder()).filePath(name); }
    QString file(const QString& name) { return m_files.filePath(name); }

    int addPlant(const QString& name, const QString& antal = QStringLiteral("1")) {
        plants()->Insert();
        plants()->FieldByName(QStringLiteral("Plantenavn")).setAsString(name);
        if (!antal.isEmpty()) {
            plants()->FieldByName(QStringLiteral("Antal")).setAsString(antal);
        }
        plants()->Post();
        return plants()->FieldByName(QStringLiteral("Regnr")).AsInteger();
    }
    int addGardenWork(const QString& name) {
        m_dm->HaveTable->Insert();
        m_dm->HaveTable->FieldByName(QStringLiteral("Arbejdet")).setAsString(name);
        m_dm->HaveTable->Post();
        return m_dm->HaveTable->FieldByName(QStringLiteral("Regnr")).AsInteger();
    }
    int counterRows() { return m_dm->RegTable->RecordCount(); }

    std::unique_ptr<plants::TRegForm> open() {
        auto form = std::make_unique<plants::TRegForm>();
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get())) {
            return nullptr;
        }
        return form;
    }
    template <class T>
    static T* child(QWidget* form, const char* name) {
        return form->findChild<T*>(QString::fromLatin1(name));
    }
    static void click(QWidget* form, const char* button) {
        QTest::mouseClick(child<toolkit::SpeedButton>(form, button), Qt::LeftButton);
    }
    static void type(QWidget* form, const char* box, const QString& text) {
        auto* edit = child<QLineEdit>(form, box);
        edit->setFocus();
        QTest::keyClicks(edit, text);
    }
    QStringList messages() const { return m_dialogs->texts(QStringLiteral("message")); }

    // The ways out of the window a user has: its own button, the title bar, Esc.
    enum class WayOut { Luk, TitleBar, Escape };
    static void leave(QWidget* form, WayOut way) {
        switch (way) {
            case WayOut::Luk:
                click(form, "SpeedButton2");
                break;
            case WayOut::TitleBar:
                form->close();
                break;
            case WayOut::Escape:
                // Esc in a box first takes back what was typed there; the user leaves it.
                child<QWidget>(form, "DBEdit19")->setFocus(Qt::TabFocusReason);
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
                break;
        }
    }
    static void addWaysOut() {
        QTest::addColumn<int>("way");
        QTest::addColumn<bool>("otherPlants");
        for (bool others : {false, true}) {
            const char* table = others ? "among plants" : "first plant";
            QTest::addRow("Luk, %s", table) << int(WayOut::Luk) << others;
            QTest::addRow("title bar, %s", table) << int(WayOut::TitleBar) << others;
            QTest::addRow("Esc, %s", table) << int(WayOut::Escape) << others;
        }
    }

    // The installed default picture, hidden for the scope of a test.
    struct HiddenDefault {
        QString path = plants::defaultPictureFile(Register::Plants);
        HiddenDefault() { QFile::rename(path, path + QStringLiteral(".hidden")); }
        ~HiddenDefault() { QFile::rename(path + QStringLiteral(".hidden"), path); }
    };

private Q_SLOTS:
    void initTestCase() {
        testsupport::useDanishFormats();
        QVERIFY(m_files.isValid());
        QVERIFY2(QFile::exists(plants::defaultPictureFile(Register::Plants)),
                 "the default pictures are copied beside the test");
    }

    void init() {
        m_folder = std::make_unique<testsupport::DataFolder>();
        m_dialogs = std::make_unique<testsupport::ScriptedDialogs>();
        m_dm = std::make_unique<data::TDM>();
        testsupport::openAll(*m_dm);
        plants::setPicturesFit(true);  // as a user starts: larger pictures fitted
    }

    void cleanup() {
        m_dm.reset();
        m_dialogs.reset();
        m_folder.reset();
    }

    // --- pictures -------------------------------------------------------------------------

    void pictureFilesAreNamedByRegisterAndNumber() {
        const int plant = addPlant(QStringLiteral("Rose"));
        const int work = addGardenWork(QStringLiteral("Terrasse"));
        QCOMPARE(plant, 1);
        QCOMPARE(work, 1);
        const QString folder = QDir(data::dataFolder()).filePath(QStringLiteral("Billeder"));
        QCOMPARE(plants::pictureFolder(), folder);
        QVERIFY(QDir(folder).exists());
        // The same number in the two registers gives two files.
        QCOMPARE(plants::recordPictureFile(Register::Plants, *plants()),
                 QDir(folder).filePath(QStringLiteral("Plante1.jpg")));
        QCOMPARE(plants::recordPictureFile(Register::GardenWorks, *m_dm->HaveTable),
                 QDir(folder).filePath(QStringLiteral("Have1.jpg")));
        QVERIFY(plants::defaultPictureFile(Register::GardenWorks)
                    .endsWith(QStringLiteral("Billeder/Have.jpg")));
    }

    void anUnreadableRecordPictureGivesWayToTheDefault_data() {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good = jpeg(QSize(40, 30), Qt::red);
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("empty file") << QByteArray("");
        QTest::newRow("text") << QByteArray("not a picture at all\n");
        QImage png(20, 20, QImage::Format_RGB32);
        png.fill(Qt::blue);
        QByteArray pngBytes;
        QBuffer b(&pngBytes);
        b.open(QIODevice::WriteOnly);
        png.save(&b, "PNG");
        QTest::newRow("a PNG named .jpg") << pngBytes;
        QTest::newRow("only the header") << good.left(40);
        // A JPEG claiming 60000 x 60000 pixels: refused before anything is allocated.
        QByteArray huge = good;
        const int sof = huge.indexOf(QByteArray("\xff\xc0", 2));
        QVERIFY(sof > 0);
        huge[sof + 5] = char(0xea);
        huge[sof + 6] = char(0x60);
        huge[sof + 7] = char(0xea);
        huge[sof + 8] = char(0x60);
        QTest::newRow("absurd dimensions") << huge;
    }

    void anUnreadableRecordPictureGivesWayToTheDefault() {
        QFETCH(QByteArray, content);
        addPlant(QStringLiteral("Rose"));
        if (!content.isNull()) {
            writeFile(picture(QStringLiteral("Plante1.jpg")), content);
        }
        QLabel box;
        QVERIFY(plants::loadPicture(&box, Register::Plants, *plants()));
        QCOMPARE(shownSize(&box), DefaultPlant);
        QCOMPARE(box.size(), DefaultPlant);
        QVERIFY(m_dialogs->shown.isEmpty());  // silently
    }

    // A picture that cannot be decoded whole is no picture: a file cut short would show grey
    // below the cut. Baseline and progressive pictures, whole and cut at several places.
    void aPictureCutShortGivesWayToTheDefault_data() {
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("keptPercent");
        QTest::addColumn<bool>("shown");
        QTest::newRow("baseline, whole") << false << 100 << true;
        QTest::newRow("baseline, two thirds") << false << 66 << false;
        QTest::newRow("baseline, all but the end marker") << false << -2 << false;
        QTest::newRow("progressive, whole") << true << 100 << true;
        QTest::newRow("progressive, half") << true << 50 << false;
        QTest::newRow("progressive, all but the end marker") << true << -2 << false;
    }

    void aPictureCutShortGivesWayToTheDefault() {
        QFETCH(bool, progressive);
        QFETCH(int, keptPercent);
        QFETCH(bool, shown);
        addPlant(QStringLiteral("Rose"));
        // Noise, so that most of the file is picture data rather than tables.
        QImage noise(200, 150, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < noise.height(); ++y) {
            for (int x = 0; x < noise.width(); ++x) {
                noise.setPixel(x, y, random.generate() | 0xff000000u);
            }
        }
        QByteArray whole;
        QBuffer buffer(&whole);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(progressive);
        QVERIFY(writer.write(noise));
        QVERIFY(whole.endsWith(QByteArray("\xff\xd9", 2)));
        const QByteArray kept = keptPercent < 0 ? whole.left(whole.size() + keptPercent)
                                                : whole.left(whole.size() * keptPercent / 100);
        writeFile(picture(QStringLiteral("Plante1.jpg")), kept);
        QLabel box;
        QVERIFY(plants::loadPicture(&box, Register::Plants, *plants()));
        QCOMPARE(shownSize(&box), shown ? QSize(200, 150) : DefaultPlant);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void bytesAfterTheEndOfAPictureDoNotMatter() {
        addPlant(QStringLiteral("Rose"));
        // Some cameras append data after the picture's end marker.
        writeFile(picture(QStringLiteral("Plante1.jpg")),
                  jpeg(QSize(60, 40), Qt::red) + QByteArray(500, 'x'));
        QLabel box;
        QVERIFY(plants::loadPicture(&box, Register::Plants, *plants()));
        QCOMPARE(shownSize(&box), QSize(60, 40));
    }

    void aCameraSizedPictureIsShownWhole() {
        addPlant(QStringLiteral("Rose"));
        writeFile(picture(QStringLiteral("Plante1.jpg")), jpeg(QSize(4000, 3000), Qt::darkGreen));
        QLabel box;
        QVERIFY(plants::loadPicture(&box, Register::Plants, *plants()));
        QCOMPARE(shownSize(&box), QSize(4000, 3000));
    }

    // Shown as it was taken, at its natural size and fitted into a box.
    void aPictureTakenUprightIsShownUpright() {
        addPlant(QStringLiteral("Rose"));
        writeFile(picture(QStringLiteral("Plante1.jpg")), turnedJpeg(QSize(80, 40)));
        const QImage read = plants::readPicture(picture(QStringLiteral("Plante1.jpg")));
        QCOMPARE(read.size(), QSize(40, 80));
        QVERIFY(qRed(read.pixel(20, 10)) > 200 && qBlue(read.pixel(20, 10)) < 60);  // top
        QVERIFY(qBlue(read.pixel(20, 70)) > 200 && qRed(read.pixel(20, 70)) < 60);  // bottom

        writeFile(picture(QStringLiteral("Plante1.jpg")), turnedJpeg(QSize(4000, 3000)));
        QScrollArea area;
        area.resize(400, 600);
        auto* box = new plants::TImage;  // the box's holder owns it
        plants::setupPictureBox(&area, box);
        QVERIFY(plants::loadPicture(box, Register::Plants, *plants()));
        QCOMPARE(box->naturalSize(), QSize(3000, 4000));
        const QSize space = box->fitSpace();
        const QSize shown = shownSize(box);
        QCOMPARE(shown, QSize(3000, 4000).scaled(space, Qt::KeepAspectRatio));
        const QImage fitted = box->pixmap().toImage();
        QVERIFY(qRed(fitted.pixel(shown.width() / 2, shown.height() / 8)) > 200);
        QVERIFY(qBlue(fitted.pixel(shown.width() / 2, shown.height() * 7 / 8)) > 200);
    }

    void withoutTheDefaultTheFailureIsReported() {
        addPlant(QStringLiteral("Rose"));
        HiddenDefault hidden;
        QLabel box;
        box.setPixmap(QPixmap(10, 10));
        QVERIFY(!plants::loadPicture(&box, Register::Plants, *plants()));
        QVERIFY(box.pixmap().isNull());
        QCOMPARE(
            m_dialogs->texts(QStringLiteral("error")),
            QStringList{plants::pictureErrorText(plants::PictureError::File, hidden.path, -1)});
        QVERIFY(m_dialogs->shown.first().text.startsWith(QStringLiteral("Billedfilen")));
    }

    void theErrorTextsSpeakEveryLanguage() {
        testsupport::MainLanguage main;
        QSet<QString> texts;
        for (int language = -1; language <= 3; ++language) {
            for (auto e : {plants::PictureError::File, plants::PictureError::Picture}) {
                const QString t = plants::pictureErrorText(e, QStringLiteral("/x/P.jpg"), language);
                QVERIFY(t.endsWith(data::messageBreak() + QStringLiteral("/x/P.jpg")));
                texts.insert(t);
            }
        }
        QCOMPARE(texts.size(), 10);
    }

    void importCopiesIntoTheRecordsOwnFile() {
        addPlant(QStringLiteral("Rose"));
        addPlant(QStringLiteral("Tulipan"));
        const int work = addGardenWork(QStringLiteral("Dam"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Regnr")).AsInteger(), 2);
        writeFile(file(QStringLiteral("first.jpg")), jpeg(QSize(30, 20), Qt::red));
        writeFile(file(QStringLiteral("second.jpg")), jpeg(QSize(50, 40), Qt::blue));
        QLabel box;
        m_dialogs->files = {file(QStringLiteral("first.jpg"))};
        QVERIFY(plants::importPicture(&box, Register::Plants, *plants(),
                                      QStringLiteral("Billede (*.jpg)|*.jpg")));
        QCOMPARE(m_dialogs->texts(QStringLiteral("file")),
                 QStringList{QStringLiteral("Billede (*.jpg)|*.jpg")});
        QCOMPARE(shownSize(&box), QSize(30, 20));
        QVERIFY(QFile::exists(picture(QStringLiteral("Plante2.jpg"))));
        // A second import replaces the first.
        m_dialogs->files = {file(QStringLiteral("second.jpg"))};
        QVERIFY(plants::importPicture(&box, Register::Plants, *plants(), QString()));
        QCOMPARE(shownSize(&box), QSize(50, 40));
        QCOMPARE(plants::readPicture(picture(QStringLiteral("Plante2.jpg"))).size(), QSize(50, 40));
        // A garden work takes its own number and prefix, and the plant's file stays.
        m_dialogs->files = {file(QStringLiteral("first.jpg"))};
        QVERIFY(plants::importPicture(&box, Register::GardenWorks, *m_dm->HaveTable, QString()));
        QVERIFY(QFile::exists(picture(QStringLiteral("Have%1.jpg").arg(work))));
        QCOMPARE(plants::readPicture(picture(QStringLiteral("Plante2.jpg"))).size(), QSize(50, 40));
        QCOMPARE(QDir(plants::pictureFolder()).entryList(QDir::Files),
                 (QStringList{QStringLiteral("Have1.jpg"), QStringLiteral("Plante2.jpg")}));
        // Importing the record's own file again keeps it.
        m_dialogs->files = {picture(QStringLiteral("Plante2.jpg"))};
        QVERIFY(plants::importPicture(&box, Register::Plants, *plants(), QString()));
        QCOMPARE(shownSize(&box), QSize(50, 40));
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).isEmpty());
    }

    // A refused import changes nothing: not the stored file, not the box; the error names
    // the file the user chose, or says why the copy failed.
    void aRefusedImportChangesNothing_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("folderInTheWay");
        QTest::addColumn<int>("error");  // PictureError, or -1 for a failed copy
        QImage other(20, 20, QImage::Format_RGB32);
        other.fill(Qt::blue);
        QByteArray bmpBytes;
        QBuffer b(&bmpBytes);
        b.open(QIODevice::WriteOnly);
        other.save(&b, "BMP");
        QByteArray pngBytes;
        QBuffer p(&pngBytes);
        p.open(QIODevice::WriteOnly);
        other.save(&p, "PNG");
        const QByteArray good = jpeg(QSize(30, 20), Qt::red);
        QTest::newRow("a BMP named .jpg")
            << "blomst.jpg" << bmpBytes << false << int(plants::PictureError::Picture);
        QTest::newRow("a PNG cut short") << "blomst.png" << pngBytes.left(pngBytes.size() - 12)
                                         << false << int(plants::PictureError::Picture);
        QTest::newRow("text") << "notes.jpg" << QByteArray("just some text") << false
                              << int(plants::PictureError::Picture);
        QTest::newRow("cut short") << "halv.jpg" << good.left(good.size() / 2) << false
                                   << int(plants::PictureError::Picture);
        QTest::newRow("gone") << "gone.jpg" << QByteArray() << false
                              << int(plants::PictureError::File);
        QTest::newRow("a folder in the way") << "god.jpg" << good << true << -1;
    }

    void aRefusedImportChangesNothing() {
        QFETCH(QString, chosen);
        QFETCH(QByteArray, content);
        QFETCH(bool, folderInTheWay);
        QFETCH(int, error);
        addPlant(QStringLiteral("Rose"));
        const QString target = picture(QStringLiteral("Plante1.jpg"));
        const QByteArray stored = jpeg(QSize(80, 60), Qt::green);
        if (folderInTheWay) {
            QVERIFY(QDir().mkpath(target));
        } else {
            writeFile(target, stored);
        }
        if (!content.isNull()) {
            writeFile(file(chosen), content);
        }
        auto form = open();
        QVERIFY(form);
        const QSize before = shownSize(form->image());
        QCOMPARE(before, folderInTheWay ? DefaultPlant : QSize(80, 60));
        m_dialogs->files = {file(chosen)};
        click(form.get(), "SpeedButton3");
        const QStringList errors = m_dialogs->texts(QStringLiteral("error"));
        QCOMPARE(errors.size(), 1);
        if (error >= 0) {
            QCOMPARE(errors.first(),
                     plants::importErrorText(plants::PictureError(error), file(chosen)));
        } else {
            QVERIFY2(errors.first().startsWith(file(chosen) + QStringLiteral(" kan ikke kopieres")),
                     qPrintable(errors.first()));
            QVERIFY(errors.first().contains(target));
        }
        QCOMPARE(shownSize(form->image()), before);
        if (folderInTheWay) {
            QVERIFY(QFileInfo(target).isDir());
        } else {
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), stored);
        }
        // Nothing half-written is left beside it.
        QCOMPARE(QDir(plants::pictureFolder())
                     .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("Plante1.jpg")});
        QVERIFY(form->isVisible());
    }

    void aCancelledImportDoesNothing() {
        addPlant(QStringLiteral("Rose"));
        QLabel box;
        QVERIFY(plants::loadPicture(&box, Register::Plants, *plants()));
        const qint64 before = box.pixmap().cacheKey();
        QVERIFY(!plants::importPicture(&box, Register::Plants, *plants(), QString()));
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).isEmpty());
        QCOMPARE(box.pixmap().cacheKey(), before);
        QVERIFY(QDir(plants::pictureFolder()).entryList(QDir::Files).isEmpty());
    }

    void theViewerShowsTheRecordsPictureMaximised() {
        const int work = addGardenWork(QStringLiteral("Dam"));
        addGardenWork(QStringLiteral("Bed"));
        m_dm->HaveTable->First();
        writeFile(picture(QStringLiteral("Have%1.jpg").arg(work)),
                  jpeg(QSize(1500, 900), Qt::cyan));
        plants::TBilledForm viewer;
        QCOMPARE(viewer.windowTitle(), QStringLiteral("Billede"));
        const QSize screen = viewer.screen()->geometry().size();
        if (screen.width() != 1024) {
            QCOMPARE(viewer.size(), screen);
        }
        viewer.setWindowTitle(QStringLiteral("Dam"));
        viewer.setRegister(Register::GardenWorks);
        viewer.show();
        QVERIFY(QTest::qWaitForWindowExposed(&viewer));
        viewer.activateWindow();
        QTRY_VERIFY(viewer.isMaximized());
        // Larger than the window: fitted to it, whole and centred, without scroll bars.
        auto* scroll = viewer.findChild<QScrollArea*>(QStringLiteral("ScrollBox1"));
        const QSize space = scroll->maximumViewportSize() - QSize(2, 2);
        QTRY_COMPARE(shownSize(viewer.image()),
                     QSize(1500, 900).scaled(space, Qt::KeepAspectRatio));
        QCOMPARE(viewer.image()->naturalSize(), QSize(1500, 900));
        QCOMPARE(scroll->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(scroll->verticalScrollBar()->maximum(), 0);
        // A double-click shows it at its natural size with scroll bars, and the choice is kept.
        QTest::mouseDClick(viewer.image(), Qt::LeftButton);
        QCOMPARE(shownSize(viewer.image()), QSize(1500, 900));
        QCOMPARE(viewer.image()->pos(), QPoint(1, 1));
        QVERIFY(scroll->horizontalScrollBar()->maximum() > 0);
        QVERIFY(!plants::picturesFit());
        QCOMPARE(data::readViewChoice(QStringLiteral("FitPictures"), true), false);
        QTest::mouseDClick(viewer.image(), Qt::LeftButton);
        QVERIFY(plants::picturesFit());
        QCOMPARE(shownSize(viewer.image()), QSize(1500, 900).scaled(space, Qt::KeepAspectRatio));
        // The next work has no file of its own.
        m_dm->HaveTable->Next();
        plants::TBilledForm second;
        second.setRegister(Register::GardenWorks);
        second.show();
        QCOMPARE(shownSize(second.image()), QSize(400, 300));
    }

    // --- registration window ----------------------------------------------------------------

    void theControlsStandAtTheirDesignPlaces_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("place");
        QTest::newRow("name") << "DBEdit1" << QRect(15, 80, 336, 21);
        QTest::newRow("quantity") << "DBEdit12" << QRect(360, 80, 51, 21);
        QTest::newRow("family") << "DBLookupComboBox1" << QRect(15, 158, 396, 21);
        QTest::newRow("light") << "DBEdit7" << QRect(15, 353, 394, 21);
        QTest::newRow("feeding") << "DBEdit11" << QRect(15, 548, 396, 21);
        QTest::newRow("price") << "DBEdit20" << QRect(150, 587, 116, 21);
        QTest::newRow("replanting 3") << "DBDateEdit5" << QRect(290, 625, 121, 21);
        QTest::newRow("bought from") << "DBEdit19" << QRect(15, 664, 394, 21);
        QTest::newRow("group") << "GroupBox1" << QRect(15, 15, 396, 41);
        QTest::newRow("catalogue") << "DBLookupComboBox3" << QRect(10, 15, 241, 21);
        QTest::newRow("insert") << "SpeedButton1" << QRect(255, 11, 131, 24);
        QTest::newRow("get picture") << "SpeedButton3" << QRect(437, 14, 106, 24);
        QTest::newRow("picture box") << "ScrollBox1" << QRect(435, 40, 571, 376);
        QTest::newRow("notes") << "DBMemo1" << QRect(435, 440, 566, 241);
        QTest::newRow("navigator") << "DBNavigator1" << QRect(437, 693, 393, 25);
        QTest::newRow("undo") << "FortrydButton" << QRect(842, 692, 76, 26);
        QTest::newRow("fit picture") << "TilpasButton" << QRect(549, 14, 106, 24);
        QTest::newRow("close") << "SpeedButton2" << QRect(930, 692, 76, 26);
        QTest::newRow("label above name") << "Label1" << QRect(15, 65, 0, 0);
        QTest::newRow("label above replanting 2") << "Label17" << QRect(150, 610, 0, 0);
        QTest::newRow("number") << "DBText1" << QRect(916, 20, 65, 0);
        QTest::newRow(".jpg") << "Label13" << QRect(983, 19, 0, 0);
    }

    void theControlsStandAtTheirDesignPlaces() {
        QFETCH(QString, name);
        QFETCH(QRect, place);
        plants::TRegForm form;  // not shown: the design layout as created
        QCOMPARE(form.size(), QSize(1016, 734));
        QWidget* w = form.findChild<QWidget*>(name);
        QVERIFY(w);
        QCOMPARE(w->pos(), place.topLeft());
        if (place.width() > 0) {
            QCOMPARE(w->width(), place.width());
        }
        if (place.height() > 0) {
            QCOMPARE(w->height(), place.height());
        }
    }

    void theTabOrderFollowsTheDesign() {
        auto form = open();
        QVERIFY(form);
        QStringList order;
        QWidget* w = child<QWidget>(form.get(), "DBEdit1");
        for (int i = 0; i < 27 && w; ++i) {
            order << w->objectName();
            w = w->nextInFocusChain();
            while (w && (w->focusPolicy() & Qt::TabFocus) == 0) {
                w = w->nextInFocusChain();
            }
        }
        const QStringList expected{
            "DBEdit1",  "DBEdit12",    "DBEdit2",     "DBLookupComboBox1", "DBLookupComboBox2",
            "DBEdit4",  "DBEdit5",     "DBEdit6",     "DBEdit7",           "DBEdit13",
            "DBEdit8",  "DBEdit9",     "DBEdit10",    "DBEdit11",          "DBDateEdit1",
            "DBEdit20", "DBDateEdit2", "DBDateEdit3", "DBDateEdit4",       "DBDateEdit5",
            "DBEdit19", "DBMemo1",     "ScrollBox1",  "DBLookupComboBox3", "DBNavigator1"};
        QCOMPARE(order.mid(0, expected.size()), expected);
    }

    void showingSizesLoadsAndFocuses() {
        addPlant(QStringLiteral("Rose"));
        data::writeSettings({{QStringLiteral("W_Reg"), 1000}, {QStringLiteral("H_Reg"), 700}});
        auto form = open();
        QVERIFY(form);
        QCOMPARE(form->frameGeometry().size(), QSize(1000, 700));
        QCOMPARE(form->windowTitle(), QStringLiteral("Registrering af planter"));
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(form.get(), "DBEdit1"));
        QCOMPARE(child<QLabel>(form.get(), "DBText1")->text(), QStringLiteral("1"));
        // The resizer scaled the controls to the smaller window; the default picture is shown
        // whole: fitted to the box where it is larger, at its own size where it is not.
        auto* box = child<QScrollArea>(form.get(), "ScrollBox1");
        QVERIFY(box->width() < 571);
        const QSize space = box->maximumViewportSize() - QSize(2, 2);
        const bool fits =
            DefaultPlant.width() <= space.width() && DefaultPlant.height() <= space.height();
        QCOMPARE(shownSize(form->image()),
                 fits ? DefaultPlant : DefaultPlant.scaled(space, Qt::KeepAspectRatio));
        QCOMPARE(form->image()->naturalSize(), DefaultPlant);
        // The number still reads as one with ".jpg" beside it.
        const QRect number = child<QLabel>(form.get(), "DBText1")->geometry();
        QVERIFY(std::abs(number.right() + 1 - child<QLabel>(form.get(), "Label13")->x()) <= 3);
        QCOMPARE(child<QLabel>(form.get(), "DBText1")->alignment() & Qt::AlignRight,
                 Qt::AlignRight);
        QVERIFY(m_dialogs->shown.isEmpty());
    }

    void aStoredSizeOfNothingOpensAtTheDesignSize() {
        addPlant(QStringLiteral("Rose"));
        data::writeSettings({{QStringLiteral("W_Reg"), 0}, {QStringLiteral("H_Reg"), -5}});
        auto form = open();
        QVERIFY(form);
        QCOMPARE(form->frameGeometry().size(),
                 QSize(data::RegDesignSize.width, data::RegDesignSize.height));
    }

    void withoutAnyPictureTheWindowOpensEmpty() {
        addPlant(QStringLiteral("Rose"));
        HiddenDefault hidden;
        auto form = open();
        QVERIFY(form);
        QCOMPARE(m_dialogs->texts(QStringLiteral("error")).size(), 1);
        QVERIFY(form->image()->pixmap().isNull());
        QVERIFY(form->isVisible());
    }

    void theBoxesEditTheirOwnFields() {
        addPlant(QStringLiteral("Rose"));
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit6", QStringLiteral("Muld"));
        type(form.get(), "DBEdit7", QStringLiteral("Sol"));
        type(form.get(), "DBEdit5", QStringLiteral("2 m"));
        type(form.get(), "DBDateEdit1", QStringLiteral("01052024"));
        type(form.get(), "DBEdit20", QStringLiteral("12,50"));
        click(form.get(), "SpeedButton2");
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->State(), DataSetState::Browse);
        auto field = [&](const char* name) {
            return plants()->FieldByName(QString::fromLatin1(name)).AsString();
        };
        QCOMPARE(field("Jordbund"), QStringLiteral("Muld"));
        QCOMPARE(field("Lysforhold"), QStringLiteral("Sol"));
        QCOMPARE(field("Stoerrelse"), QStringLiteral("2 m"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantet")).AsDate(), QDate(2024, 5, 1));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Pris")).AsFloat(), 12.5);
    }

    // Every way out treats a new plant without a name alike: discarded, its number given
    // back, the notice shown once.
    void everyWayOutDiscardsAnUnnamedNewPlant_data() { addWaysOut(); }

    void everyWayOutDiscardsAnUnnamedNewPlant() {
        QFETCH(int, way);
        QFETCH(bool, otherPlants);
        if (otherPlants) {
            addPlant(QStringLiteral("Rose"));
        }
        const int plantsBefore = plants()->RecordCount();
        plants()->Insert();
        const int number = plants()->FieldByName(QStringLiteral("Regnr")).AsInteger();
        QCOMPARE(counterRows(), plantsBefore + 1);
        auto form = open();
        QVERIFY(form);
        QTRY_COMPARE(QApplication::focusWidget(), child<QWidget>(form.get(), "DBEdit1"));
        type(form.get(), "DBEdit12", QStringLiteral("3"));
        type(form.get(), "DBEdit2", QStringLiteral("Rosa"));
        // Spaces are no name either.
        type(form.get(), "DBEdit1", QStringLiteral("  "));
        leave(form.get(), WayOut(way));
        QVERIFY(!form->isVisible());
        QCOMPARE(messages(), QStringList{plants::TRegForm::nameMissingText(-1)});
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(plants()->RecordCount(), plantsBefore);
        QCOMPARE(counterRows(), plantsBefore);
        plants()->Insert();
        QCOMPARE(plants()->FieldByName(QStringLiteral("Regnr")).AsInteger(), number);
    }

    // A stored plant whose name was erased keeps its stored name: the edit is undone and the
    // message says so.
    void everyWayOutUndoesAnErasedName_data() { addWaysOut(); }

    void everyWayOutUndoesAnErasedName() {
        QFETCH(int, way);
        QFETCH(bool, otherPlants);
        if (otherPlants) {
            addPlant(QStringLiteral("Rose"));
        }
        addPlant(QStringLiteral("Tulipan"));
        const int count = plants()->RecordCount();
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit2", QStringLiteral("Tulipa"));
        auto* name = child<QLineEdit>(form.get(), "DBEdit1");
        name->setFocus();
        name->selectAll();
        QTest::keyClick(name, Qt::Key_Delete);
        QCOMPARE(plants()->State(), DataSetState::Edit);
        leave(form.get(), WayOut(way));
        QVERIFY(!form->isVisible());
        QCOMPARE(messages(), QStringList{plants::TRegForm::nameErasedText(-1)});
        QVERIFY(
            messages().first().endsWith(QStringLiteral("Dine ændringer af planten annulleres!")));
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(plants()->RecordCount(), count);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Tulipan"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(), QString());
        QCOMPARE(counterRows(), count);
    }

    // The first plant without a quantity keeps the window open on everything typed, by
    // every way out; with the quantity given it is saved. Among other plants the quantity
    // may stay empty.
    void theFirstPlantWaitsForItsQuantity_data() {
        QTest::addColumn<int>("way");
        QTest::newRow("Luk") << int(WayOut::Luk);
        QTest::newRow("title bar") << int(WayOut::TitleBar);
        QTest::newRow("Esc") << int(WayOut::Escape);
    }

    void theFirstPlantWaitsForItsQuantity() {
        QFETCH(int, way);
        plants()->Insert();
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit2", QStringLiteral("Rosa canina"));
        type(form.get(), "DBEdit1", QStringLiteral("Hunderose"));
        leave(form.get(), WayOut(way));
        QVERIFY(form->isVisible());
        QCOMPARE(messages(), QStringList{plants::TRegForm::quantityMissingText(-1)});
        QCOMPARE(plants()->State(), DataSetState::Insert);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit1")->text(), QStringLiteral("Hunderose"));
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit2")->text(), QStringLiteral("Rosa canina"));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(form.get(), "DBEdit12"));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("4"));
        leave(form.get(), WayOut(way));
        QVERIFY(!form->isVisible());
        QCOMPARE(messages().size(), 1);
        QCOMPARE(plants()->RecordCount(), 1);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Hunderose"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(),
                 QStringLiteral("Rosa canina"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Antal")).AsInteger(), 4);
        // The second plant may go without.
        plants()->Insert();
        form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit1", QStringLiteral("Tulipan"));
        leave(form.get(), WayOut(way));
        QVERIFY(!form->isVisible());
        QCOMPARE(messages().size(), 1);
        QCOMPARE(plants()->RecordCount(), 2);
        QVERIFY(plants()->FieldByName(QStringLiteral("Antal")).IsNull());
    }

    void theMessagesFollowTheLanguage_data() {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("caption");
        const QString br = data::messageBreak();
        QTest::newRow("Danish") << -1
                                << QStringLiteral("Du har ikke givet planten et navn!") + br +
                                       QStringLiteral(
                                           "Din registrering af en ny plante annulleres!")
                                << QStringLiteral("Registrering af planter");
        QTest::newRow("English") << 0
                                 << QStringLiteral("You have not given the plant a name!") + br +
                                        QStringLiteral(
                                            "Your registration of a new plant is cancelled!")
                                 << QStringLiteral("Plant registration");
        // Norwegian and Swedish in their own words, German about the plant and spelt right.
        QTest::newRow("Norwegian")
            << 1
            << QStringLiteral("Du har ikke gitt planten et navn!") + br +
                   QStringLiteral("Registreringen av den nye planten blir annullert!")
            << QStringLiteral("Registrering av planter");
        QTest::newRow("Swedish") << 2
                                 << QStringLiteral("Du har inte gett växten något namn!") + br +
                                        QStringLiteral(
                                            "Registreringen av den nya växten annulleras!")
                                 << QStringLiteral("Registrering av växter");
        QTest::newRow("German") << 3
                                << QStringLiteral("Die Pflanze hat noch keinen Namen bekommen!") +
                                       br +
                                       QStringLiteral(
                                           "Die Eintragung der neuen Pflanze wird verworfen!")
                                << QStringLiteral("Pflanzen erfassen");
    }

    void theMessagesFollowTheLanguage() {
        const QString br = data::messageBreak();
        QFETCH(int, language);
        QFETCH(QString, text);
        QFETCH(QString, caption);
        // The main window's language source, as the windows find it.
        QWidget mainWindow;
        auto* source = new i18n::TQLanguageSource(&mainWindow);
        source->setObjectName(QStringLiteral("QLanguageSource1"));
        source->SetOriginalName(QStringLiteral("Dansk"));
        source->SetLanguages(
            {QStringLiteral("English=English.lng"), QStringLiteral("Norsk=Norsk.lng"),
             QStringLiteral("Svensk=Svensk.lng"), QStringLiteral("Deutsch=Deutsch.lng")});
        source->SetActiveLanguage(language);
        plants()->Insert();
        auto form = open();
        QVERIFY(form);
        QCOMPARE(form->windowTitle(), caption);
        static const char* const deleteHints[] = {"Slet", "Delete", "Slett", "Ta bort", "Löschen"};
        QCOMPARE(child<toolkit::DBNavigator>(form.get(), "DBNavigator1")
                     ->button(toolkit::NavButton::Delete)
                     ->toolTip(),
                 QString::fromUtf8(deleteHints[language + 1]));
        form->close();
        QCOMPARE(messages(), QStringList{text});
        QCOMPARE(plants::TRegForm::nameMissingText(language), text);
        // The two messages that keep or undo instead of cancelling a registration have a
        // text of their own in every language.
        static const char* const erased[] = {
            "Dine ændringer af planten annulleres!", "Your changes to the plant are cancelled!",
            "Endringene dine på planten blir annullert!", "Dina ändringar av växten annulleras!",
            "Ihre Änderungen an der Pflanze werden verworfen!"};
        static const char* const quantity[] = {"Antal mangler!", "Quantity is missing!",
                                               "Antall mangler!", "Antal saknas!",
                                               "Die Anzahl fehlt!"};
        QVERIFY(plants::TRegForm::nameErasedText(language).endsWith(
            br + QString::fromUtf8(erased[language + 1])));
        QVERIFY(plants::TRegForm::quantityMissingText(language).startsWith(
            QString::fromUtf8(quantity[language + 1]) + br));
    }

    void lukOnAChangedPlantSavesBeforeClosing() {
        addPlant(QStringLiteral("Rose"));
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit2", QStringLiteral("Rosa"));
        QCOMPARE(plants()->State(), DataSetState::Edit);
        int postsSeen = 0;
        connect(plants(), &store::Table::dataSetChanged, this, [&] { ++postsSeen; });
        click(form.get(), "SpeedButton2");
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(), QStringLiteral("Rosa"));
        QVERIFY(postsSeen >= 1);
        QVERIFY(messages().isEmpty());
    }

    void theSizeIsKeptOnEveryCloseAlsoAfterAFailedSave() {
        addPlant(QStringLiteral("Rose"));
        plants()->Insert();
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit1", QStringLiteral("Tulipan"));
        // A number that is taken already: the save is refused with the duplicate warning.
        plants()->FieldByName(QStringLiteral("Regnr")).setAsInteger(1);
        form->resize(800, 600);
        click(form.get(), "SpeedButton2");
        QVERIFY(form->isVisible());
        QCOMPARE(plants()->State(), DataSetState::Insert);
        QCOMPARE(messages(), QStringList{data::duplicateWarningText()});
        QCOMPARE(data::readSetting(QStringLiteral("W_Reg")), form->frameGeometry().width());
        QCOMPARE(data::readSetting(QStringLiteral("H_Reg")), form->frameGeometry().height());
        // Given back its own number, it saves and closes; the next window opens at that size.
        plants()->FieldByName(QStringLiteral("Regnr")).setAsInteger(2);
        form->resize(640, 480);
        click(form.get(), "SpeedButton2");
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->RecordCount(), 2);
        const QSize kept = form->frameGeometry().size();
        form.reset();
        auto again = open();
        QVERIFY(again);
        QCOMPARE(again->frameGeometry().size(), kept);
    }

    void theNavigatorDeletesAndShowsTheNextPicture() {
        addPlant(QStringLiteral("Rose"));
        const int second = addPlant(QStringLiteral("Tulipan"));
        writeFile(picture(QStringLiteral("Plante%1.jpg").arg(second)),
                  jpeg(QSize(80, 60), Qt::red));
        auto form = open();
        QVERIFY(form);
        QCOMPARE(shownSize(form->image()), QSize(80, 60));
        auto* navigator = child<toolkit::DBNavigator>(form.get(), "DBNavigator1");
        QCOMPARE(navigator->VisibleButtons(), toolkit::NavButtons(toolkit::NavButton::Delete));
        QCOMPARE(navigator->toolTip(), QStringLiteral("Slet denne plante"));
        QCOMPARE(navigator->button(toolkit::NavButton::Delete)->toolTip(), QStringLiteral("Slet"));
        // Cancelled first, then confirmed.
        m_dialogs->answers = {toolkit::mrCancel};
        QTest::mouseClick(navigator->button(toolkit::NavButton::Delete), Qt::LeftButton);
        QCOMPARE(plants()->RecordCount(), 2);
        QTest::mouseClick(navigator->button(toolkit::NavButton::Delete), Qt::LeftButton);
        QCOMPARE(messages(), (QStringList{QStringLiteral("Slet denne post?"),
                                          QStringLiteral("Slet denne post?")}));
        QVERIFY(form->isVisible());
        QCOMPARE(plants()->RecordCount(), 1);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit1")->text(), QStringLiteral("Rose"));
        // The plant now current shows its own picture: Rose has none of its own.
        QCOMPARE(shownSize(form->image()), DefaultPlant);
        // The deleted plant's file stays in the folder.
        QVERIFY(QFile::exists(picture(QStringLiteral("Plante%1.jpg").arg(second))));
    }

    void insertPlantCopiesFromTheCatalogue() {
        addPlant(QStringLiteral("Rose"));
        auto* names = m_dm->NavneTable;
        QVERIFY(names->RecordCount() > 1);
        names->Last();
        const QString lastName = names->FieldByName(QStringLiteral("Navn")).AsString();
        const QString lastLatin = names->FieldByName(QStringLiteral("Latin")).AsString();
        names->First();
        auto form = open();
        QVERIFY(form);
        auto* picker = child<toolkit::DBLookupComboBox>(form.get(), "DBLookupComboBox3");
        QCOMPARE(picker->DropDownRows(), 27);
        QCOMPARE(picker->count(), names->RecordCount());
        // Text typed into the name box gives way to the catalogue's.
        type(form.get(), "DBEdit1", QStringLiteral(" typed"));
        Q_EMIT picker->activated(picker->count() - 1);
        click(form.get(), "SpeedButton1");
        QCOMPARE(plants()->State(), DataSetState::Edit);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit1")->text(), lastName);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit2")->text(), lastLatin);
        click(form.get(), "SpeedButton2");
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantenavn")).AsString(), lastName);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(), lastLatin);
    }

    void insertPlantFromAnEmptyCatalogueChangesNothing() {
        addPlant(QStringLiteral("Rose"));
        auto* names = m_dm->NavneTable;
        names->First();
        while (!names->IsEmpty()) {
            names->Delete();
        }
        plants()->First();
        plants()->Edit();
        plants()->FieldByName(QStringLiteral("Latin")).setAsString(QStringLiteral("Rosa"));
        plants()->Post();
        auto form = open();
        QVERIFY(form);
        click(form.get(), "SpeedButton1");
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit1")->text(), QStringLiteral("Rose"));
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit2")->text(), QStringLiteral("Rosa"));
        click(form.get(), "SpeedButton2");
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Rose"));
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(), QStringLiteral("Rosa"));
        QVERIFY(messages().isEmpty());
    }

    void hentBilledeAndThePictureClick() {
        addPlant(QStringLiteral("Rose"));
        plants()->Insert();  // a new plant gets its picture at once, before it is saved
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit1", QStringLiteral("Valmue"));
        writeFile(file(QStringLiteral("valmue.jpg")), jpeg(QSize(700, 500), Qt::red));
        m_dialogs->files = {file(QStringLiteral("valmue.jpg"))};
        click(form.get(), "SpeedButton3");
        QCOMPARE(m_dialogs->texts(QStringLiteral("file")),
                 QStringList{QStringLiteral("Billede (*.jpg *.jpeg *.JPG *.JPEG *.png *.PNG)|"
                                            "*.jpg;*.jpeg;*.JPG;*.JPEG;*.png;*.PNG")});
        QVERIFY(QFile::exists(picture(QStringLiteral("Plante2.jpg"))));
        // Larger than the box: fitted to it, without scroll bars.
        auto* box = child<QScrollArea>(form.get(), "ScrollBox1");
        const QSize space = box->maximumViewportSize() - QSize(2, 2);
        QCOMPARE(shownSize(form->image()), QSize(700, 500).scaled(space, Qt::KeepAspectRatio));
        QCOMPARE(box->horizontalScrollBar()->maximum(), 0);
        auto* fit = child<toolkit::SpeedButton>(form.get(), "TilpasButton");
        QVERIFY(fit->isChecked());
        // "Tilpas billede" off: the natural size, and it scrolls.
        click(form.get(), "TilpasButton");
        QVERIFY(!fit->isChecked());
        QCOMPARE(shownSize(form->image()), QSize(700, 500));
        QVERIFY(box->horizontalScrollBar()->maximum() > 0);
        // The click opens the viewer titled with the name (typed text reaches the row first).
        QString title;
        QSize viewed;
        QTimer::singleShot(0, [&] {
            if (auto* viewer =
                    qobject_cast<plants::TBilledForm*>(QApplication::activeModalWidget())) {
                title = viewer->windowTitle();
                viewed = shownSize(viewer->image());
                viewer->close();
            }
        });
        QTest::mouseClick(form->image(), Qt::LeftButton);
        QCOMPARE(viewed, QSize(700, 500));  // the viewer follows the same choice
        QCOMPARE(title, QStringLiteral("Valmue"));
        QVERIFY(form->isVisible());
        click(form.get(), "TilpasButton");
        QVERIFY(fit->isChecked());
        QCOMPARE(shownSize(form->image()), QSize(700, 500).scaled(space, Qt::KeepAspectRatio));
    }

    // A picture imported for a new plant belongs to it: discarded, the plant takes it along,
    // and the number issued again shows the default; saved, the plant keeps it.
    void aDiscardedNewPlantTakesItsPictureAlong_data() {
        QTest::addColumn<int>("way");
        QTest::addColumn<bool>("named");
        QTest::newRow("Luk, no name") << int(WayOut::Luk) << false;
        QTest::newRow("title bar, no name") << int(WayOut::TitleBar) << false;
        QTest::newRow("Esc, no name") << int(WayOut::Escape) << false;
        QTest::newRow("Luk, named") << int(WayOut::Luk) << true;
        QTest::newRow("title bar, named") << int(WayOut::TitleBar) << true;
    }

    void aDiscardedNewPlantTakesItsPictureAlong() {
        QFETCH(int, way);
        QFETCH(bool, named);
        const int kept = addPlant(QStringLiteral("Rose"));
        writeFile(picture(QStringLiteral("Plante%1.jpg").arg(kept)), jpeg(QSize(50, 50), Qt::red));
        plants()->Insert();
        const int number = plants()->FieldByName(QStringLiteral("Regnr")).AsInteger();
        auto form = open();
        QVERIFY(form);
        if (named) {
            type(form.get(), "DBEdit1", QStringLiteral("Valmue"));
        }
        writeFile(file(QStringLiteral("valmue.jpg")), jpeg(QSize(70, 50), Qt::red));
        m_dialogs->files = {file(QStringLiteral("valmue.jpg"))};
        click(form.get(), "SpeedButton3");
        const QString own = picture(QStringLiteral("Plante%1.jpg").arg(number));
        QVERIFY(QFile::exists(own));
        QCOMPARE(shownSize(form->image()), QSize(70, 50));
        child<QWidget>(form.get(), "DBEdit1")->setFocus();
        leave(form.get(), WayOut(way));
        QVERIFY(!form->isVisible());
        QCOMPARE(QFile::exists(own), named);
        // The other plant's picture is untouched either way.
        QVERIFY(QFile::exists(picture(QStringLiteral("Plante%1.jpg").arg(kept))));
        form.reset();
        QCoreApplication::processEvents();
        if (!named) {
            plants()->Insert();
            QCOMPARE(plants()->FieldByName(QStringLiteral("Regnr")).AsInteger(), number);
            auto next = open();
            QVERIFY(next);
            QCOMPARE(shownSize(next->image()), DefaultPlant);
            // Deleted with the navigator before it was saved, it goes too.
            writeFile(file(QStringLiteral("tulipan.jpg")), jpeg(QSize(30, 30), Qt::blue));
            m_dialogs->files = {file(QStringLiteral("tulipan.jpg"))};
            click(next.get(), "SpeedButton3");
            QVERIFY(QFile::exists(own));
            QTest::mouseClick(child<toolkit::DBNavigator>(next.get(), "DBNavigator1")
                                  ->button(toolkit::NavButton::Delete),
                              Qt::LeftButton);
            QVERIFY(!QFile::exists(own));
            QCOMPARE(shownSize(next->image()), QSize(50, 50));  // Rose is current again
        }
    }

    // --- pictures that fit, PNG import --------------------------------------------------

    // A camera photo fills the registration window's box instead of showing its corner; the
    // box reads it at the size it shows, and reads it whole for the natural size.
    void aCameraPhotoIsFittedToTheBox() {
        addPlant(QStringLiteral("Rose"));
        writeFile(picture(QStringLiteral("Plante1.jpg")), jpeg(QSize(4000, 3000), Qt::darkGreen));
        auto form = open();
        QVERIFY(form);
        auto* box = child<QScrollArea>(form.get(), "ScrollBox1");
        const QSize space = box->maximumViewportSize() - QSize(2, 2);
        const QSize fitted = QSize(4000, 3000).scaled(space, Qt::KeepAspectRatio);
        QCOMPARE(shownSize(form->image()), fitted);
        QCOMPARE(form->image()->naturalSize(), QSize(4000, 3000));
        QVERIFY(fitted.width() == space.width() || fitted.height() == space.height());
        // Centred in the box.
        const QRect at = form->image()->geometry();
        QVERIFY(std::abs(at.center().x() - (space.width() + 2) / 2) <= 1);
        QVERIFY(std::abs(at.center().y() - (space.height() + 2) / 2) <= 1);
        // A larger window gives a larger picture, read again once the box has settled.
        form->resize(form->width() * 3 / 2, form->height() * 3 / 2);
        const QSize larger =
            QSize(4000, 3000).scaled(box->maximumViewportSize() - QSize(2, 2), Qt::KeepAspectRatio);
        QVERIFY(larger.width() > fitted.width());
        QCOMPARE(shownSize(form->image()), larger);
        // Off, and pixel for pixel.
        plants::setPicturesFit(false);
        QCOMPARE(shownSize(form->image()), QSize(4000, 3000));
        QCOMPARE(form->image()->pos(), QPoint(1, 1));
        QVERIFY(!child<toolkit::SpeedButton>(form.get(), "TilpasButton")->isChecked());
        // A picture smaller than its box is never enlarged.
        plants::setPicturesFit(true);
        QScrollArea area;
        area.resize(600, 400);
        auto* small = new plants::TImage;  // the box's holder owns it
        plants::setupPictureBox(&area, small);
        writeFile(picture(QStringLiteral("Plante1.jpg")), jpeg(QSize(120, 80), Qt::red));
        QVERIFY(plants::loadPicture(small, Register::Plants, *plants()));
        QCOMPARE(shownSize(small), QSize(120, 80));
    }

    // "Hent billede" takes a JPEG by any of its names, and a PNG, which is stored as the
    // record's JPEG; what was transparent lies on white.
    void importTakesJpegByAnyNameAndConvertsPng_data() {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QByteArray>("format");
        QTest::newRow(".jpeg") << "blomst.jpeg" << QByteArray("JPEG");
        QTest::newRow(".JPG") << "BLOMST.JPG" << QByteArray("JPEG");
        QTest::newRow(".png") << "blomst.png" << QByteArray("PNG");
        QTest::newRow(".PNG") << "BLOMST.PNG" << QByteArray("PNG");
    }

    void importTakesJpegByAnyNameAndConvertsPng() {
        QFETCH(QString, chosen);
        QFETCH(QByteArray, format);
        addPlant(QStringLiteral("Rose"));
        QImage source(64, 48, QImage::Format_ARGB32);
        source.fill(Qt::transparent);
        {
            QPainter p(&source);
            p.fillRect(0, 0, 32, 48, Qt::blue);
        }
        QVERIFY(source.save(file(chosen), format.constData()));
        auto form = open();
        QVERIFY(form);
        m_dialogs->files = {file(chosen)};
        click(form.get(), "SpeedButton3");
        QVERIFY(m_dialogs->texts(QStringLiteral("error")).isEmpty());
        const QString stored = picture(QStringLiteral("Plante1.jpg"));
        QFile f(stored);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.read(2) == QByteArray("\xff\xd8", 2));  // a JPEG file, whatever came in
        const QImage back = plants::readPicture(stored);
        QCOMPARE(back.size(), QSize(64, 48));
        QVERIFY(qBlue(back.pixel(8, 24)) > 200 && qRed(back.pixel(8, 24)) < 60);
        if (format == "PNG") {
            QVERIFY(qGray(back.pixel(56, 24)) > 230);  // transparent: white
        }
        QCOMPARE(shownSize(form->image()), QSize(64, 48));
        QCOMPARE(QDir(plants::pictureFolder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("Plante1.jpg")});
    }

    // --- "Fortryd" and Ctrl+S ----------------------------------------------------------------

    // The plant is put back as it was stored, its picture too: the one it had, or none.
    void fortrydPutsThePlantBackAsStored_data() {
        QTest::addColumn<bool>("hadPicture");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("button, with a picture") << true << false;
        QTest::newRow("button, without a picture") << false << false;
        QTest::newRow("Ctrl+Z, with a picture") << true << true;
    }

    void fortrydPutsThePlantBackAsStored() {
        QFETCH(bool, hadPicture);
        QFETCH(bool, byKey);
        addPlant(QStringLiteral("Rose"));
        addPlant(QStringLiteral("Tulipan"));
        const QString own = picture(QStringLiteral("Plante2.jpg"));
        const QByteArray before = jpeg(QSize(80, 60), Qt::green);
        if (hadPicture) {
            writeFile(own, before);
        }
        auto form = open();
        QVERIFY(form);
        auto* undo = child<toolkit::SpeedButton>(form.get(), "FortrydButton");
        QVERIFY(!undo->isEnabled());  // nothing to put back yet
        // A wrong catalogue copy, an erased field, a new picture.
        type(form.get(), "DBEdit2", QStringLiteral("Tulipa"));
        QVERIFY(undo->isEnabled());
        type(form.get(), "DBEdit4", QStringLiteral("Bed 7"));
        writeFile(file(QStringLiteral("ny.jpg")), jpeg(QSize(30, 20), Qt::red));
        m_dialogs->files = {file(QStringLiteral("ny.jpg"))};
        click(form.get(), "SpeedButton3");
        QCOMPARE(shownSize(form->image()), QSize(30, 20));
        // Asked first; No keeps everything.
        m_dialogs->answers = {toolkit::mrNo, toolkit::mrYes};
        auto fortryd = [&] {
            if (byKey) {
                // Ctrl+Z first takes back the typing in the box, then the plant.
                auto* place = child<QLineEdit>(form.get(), "DBEdit4");
                place->setFocus();
                QTest::keyClick(place, Qt::Key_Z, Qt::ControlModifier);
            } else {
                click(form.get(), "FortrydButton");
            }
        };
        fortryd();
        QCOMPARE(plants()->State(), DataSetState::Edit);
        if (byKey) {
            // The box had its own typing to take back: no question yet.
            QCOMPARE(messages(), QStringList());
            QCOMPARE(child<QLineEdit>(form.get(), "DBEdit4")->text(), QString());
            fortryd();
        }
        QCOMPARE(messages().size(), 1);
        QCOMPARE(messages().first(),
                 QStringLiteral("Vil du fortryde dine ændringer af planten?\n\rPlanten bliver, "
                                "som den sidst blev gemt."));
        QCOMPARE(shownSize(form->image()), QSize(30, 20));
        fortryd();
        QCOMPARE(messages().size(), 2);
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit2")->text(), QString());
        QCOMPARE(child<QLineEdit>(form.get(), "DBEdit4")->text(), QString());
        QCOMPARE(plants()->FieldByName(QStringLiteral("Plantenavn")).AsString(),
                 QStringLiteral("Tulipan"));
        if (hadPicture) {
            QFile f(own);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            QCOMPARE(shownSize(form->image()), QSize(80, 60));
        } else {
            QVERIFY(!QFile::exists(own));
            QCOMPARE(shownSize(form->image()),
                     DefaultPlant.scaled(shownSize(form->image()), Qt::KeepAspectRatio));
        }
        QVERIFY(!undo->isEnabled());
        QVERIFY(form->isVisible());
        // Closing now finds nothing to save.
        click(form.get(), "SpeedButton2");
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(), QString());
    }

    // A new plant is discarded, as "Luk" discards one without a name: its number is given
    // back, its picture goes, and the window closes, having nothing left to show.
    void fortrydDiscardsANewPlant() {
        addPlant(QStringLiteral("Rose"));
        plants()->Insert();
        const int number = plants()->FieldByName(QStringLiteral("Regnr")).AsInteger();
        auto form = open();
        QVERIFY(form);
        type(form.get(), "DBEdit1", QStringLiteral("Valmue"));
        type(form.get(), "DBEdit12", QStringLiteral("2"));
        writeFile(file(QStringLiteral("valmue.png")), QByteArray());
        QImage png(40, 30, QImage::Format_RGB32);
        png.fill(Qt::red);
        QVERIFY(png.save(file(QStringLiteral("valmue.png")), "PNG"));
        m_dialogs->files = {file(QStringLiteral("valmue.png"))};
        click(form.get(), "SpeedButton3");
        const QString own = picture(QStringLiteral("Plante%1.jpg").arg(number));
        QVERIFY(QFile::exists(own));
        m_dialogs->answers = {toolkit::mrYes};
        click(form.get(), "FortrydButton");
        QCOMPARE(messages(),
                 QStringList{QStringLiteral("Vil du kassere den nye plante?\n\rIntet af det, du "
                                            "har skrevet om den, bliver gemt.")});
        QVERIFY(!form->isVisible());
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(plants()->RecordCount(), 1);
        QVERIFY(!QFile::exists(own));
        QCOMPARE(counterRows(), 1);
        plants()->Insert();
        QCOMPARE(plants()->FieldByName(QStringLiteral("Regnr")).AsInteger(), number);
        plants()->Cancel();
    }

    // A picture that was saved with its plant, or is left behind on another plant, stays.
    void aSavedPictureIsNoLongerUndone() {
        addPlant(QStringLiteral("Rose"));
        auto form = open();
        QVERIFY(form);
        writeFile(file(QStringLiteral("ny.jpg")), jpeg(QSize(30, 20), Qt::red));
        m_dialogs->files = {file(QStringLiteral("ny.jpg"))};
        click(form.get(), "SpeedButton3");
        QVERIFY(child<toolkit::SpeedButton>(form.get(), "FortrydButton")->isEnabled());
        QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
        QVERIFY(!child<toolkit::SpeedButton>(form.get(), "FortrydButton")->isEnabled());
        click(form.get(), "FortrydButton");
        QVERIFY(messages().isEmpty());
        QVERIFY(QFile::exists(picture(QStringLiteral("Plante1.jpg"))));
    }

    // Ctrl+S saves the plant at once, the text still in the box included; a plant without a
    // name, or the first plant without its quantity, is not saved and the user is told why.
    void ctrlSSavesThePlant() {
        plants()->Insert();
        auto form = open();
        QVERIFY(form);
        auto save = [&] { QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier); };
        type(form.get(), "DBEdit2", QStringLiteral("Papaver"));
        save();
        QCOMPARE(messages(),
                 QStringList{QStringLiteral("Planten kan ikke gemmes uden et navn.\n\rSkriv "
                                            "plantens navn, og gem den så.")});
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(form.get(), "DBEdit1"));
        type(form.get(), "DBEdit1", QStringLiteral("Valmue"));
        save();
        QCOMPARE(messages().value(1), plants::TRegForm::quantityMissingText(-1));
        QCOMPARE(plants()->State(), DataSetState::Insert);
        type(form.get(), "DBEdit12", QStringLiteral("4"));
        save();  // the quantity is still in its box
        QCOMPARE(messages().size(), 2);
        QCOMPARE(plants()->State(), DataSetState::Browse);
        QCOMPARE(plants()->RecordCount(), 1);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Antal")).AsInteger(), 4);
        QCOMPARE(plants()->FieldByName(QStringLiteral("Latin")).AsString(),
                 QStringLiteral("Papaver"));
        QVERIFY(form->isVisible());
        // Saved, "Fortryd" has nothing to put back.
        QVERIFY(!child<toolkit::SpeedButton>(form.get(), "FortrydButton")->isEnabled());
    }
};

QTEST_MAIN(RegisterTest)
#include "tst_register.moc"
