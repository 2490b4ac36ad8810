#include "pictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QSaveFile>
#include <QScrollArea>
#include <QSet>
#include <cstring>

#include "billedform.h"
#include "data/datafolder.h"
#include "i18n/langsource.h"
#include "i18n/texts.h"
#include "store/table.h"
#include "toolkit/dialogs.h"

namespace plants {

namespace {

// A 12-megapixel photo decodes to 48 MB; this leaves room for far larger cameras while a
// file that claims an absurd size is refused before anything is allocated.
constexpr int AllocationLimitMB = 512;

QString prefix(Register reg) {
    return reg == Register::Plants ? QStringLiteral("Plante") : QStringLiteral("Have");
}

}  // namespace

QString pictureFolder() {
    const QString folder = QDir(data::dataFolder()).filePath(QStringLiteral("Billeder"));
    QDir().mkpath(folder);
    return folder;
}

QString recordPictureFile(Register reg, const store::Table& table) {
    const store::Field& regnr = table.FieldByName(QStringLiteral("Regnr"));
    // An empty number names the default's file name, which this folder does not hold.
    const QString number = regnr.IsNull() ? QString() : QString::number(regnr.AsInteger());
    return QDir(pictureFolder()).filePath(prefix(reg) + number + QStringLiteral(".jpg"));
}

QString defaultPictureFile(Register reg) {
    return data::programFile(QStringLiteral("Billeder/") + prefix(reg) + QStringLiteral(".jpg"));
}

namespace {

// A picture file's bytes, mapped rather than read, for as long as it lives.
class PictureBytes {
public:
    explicit PictureBytes(const QString& path) : m_file(path) {
        if (!m_file.open(QIODevice::ReadOnly)) {
            return;
        }
        m_ok = true;
        const qint64 size = m_file.size();
        if (size > 0) {
            m_data = m_file.map(0, size);
            m_size = m_data ? qsizetype(size) : 0;
        }
        if (!m_data) {
            m_copy = m_file.readAll();
            m_data = reinterpret_cast<const uchar*>(m_copy.constData());
            m_size = m_copy.size();
        }
    }
    PictureBytes(const PictureBytes&) = delete;
    PictureBytes& operator=(const PictureBytes&) = delete;

    bool opened() const { return m_ok; }
    const uchar* data() const { return m_data; }
    qsizetype size() const { return m_size; }

private:
    QFile m_file;
    QByteArray m_copy;
    const uchar* m_data = nullptr;
    qsizetype m_size = 0;
    bool m_ok = false;
};

bool restartOrStuffing(uchar marker) {
    return marker == 0x00 || (marker >= 0xd0 && marker <= 0xd7);
}

// Whether the JPEG data runs on to its end marker. A file cut short (an interrupted copy, a
// card pulled out) decodes without complaint, grey below the cut; it is no whole picture.
bool reachesEnd(const uchar* p, qsizetype n) {
    if (n < 4 || p[0] != 0xff || p[1] != 0xd8) {
        return false;
    }
    qsizetype i = 2;
    for (;;) {
        // Stray bytes before a marker are skipped, as the decoder skips them.
        while (i < n && p[i] != 0xff) {
            ++i;
        }
        while (i < n && p[i] == 0xff) {
            ++i;
        }
        if (i >= n) {
            return false;
        }
        const uchar marker = p[i++];
        if (marker == 0xd9) {
            return true;
        }
        if (marker == 0x01 || restartOrStuffing(marker)) {
            continue;
        }
        if (i + 2 > n) {
            return false;
        }
        const qsizetype length = (qsizetype(p[i]) << 8) | p[i + 1];
        if (length < 2 || length > n - i) {
            return false;
        }
        i += length;
        if (marker != 0xda) {
            continue;
        }
        // The coded data of a scan runs to the next marker that is not a stuffed byte or a
        // restart marker.
        for (;;) {
            const void* ff = i < n ? std::memchr(p + i, 0xff, size_t(n - i)) : nullptr;
            if (!ff) {
                return false;
            }
            i = static_cast<const uchar*>(ff) - p;
            qsizetype next = i + 1;
            while (next < n && p[next] == 0xff) {
                ++next;
            }
            if (next >= n) {
                return false;
            }
            if (!restartOrStuffing(p[next])) {
                break;
            }
            i = next + 1;
        }
    }
}

QImage decode(const PictureBytes& bytes, PictureError* error) {
    auto fail = [&](PictureError e) {
        if (error) {
            *error = e;
        }
        return QImage();
    };
    if (!bytes.opened()) {
        return fail(PictureError::File);
    }
    if (!reachesEnd(bytes.data(), bytes.size())) {
        return fail(PictureError::Picture);
    }
    QByteArray data =
        QByteArray::fromRawData(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // The name says JPEG; a file of another kind is no picture here.
    QImageReader reader(&buffer, "jpeg");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(AllocationLimitMB);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return fail(PictureError::Picture);
    }
    if (error) {
        *error = PictureError::None;
    }
    return image;
}

// Replaces the file in one step: until the new content is whole on disk the old file
// stays, so a full disk or a failed write loses nothing.
bool writeWhole(const QString& target, const PictureBytes& bytes, QString* why) {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        *why = out.errorString();
        return false;
    }
    if (out.write(reinterpret_cast<const char*>(bytes.data()), bytes.size()) != bytes.size()) {
        *why = out.errorString();
        out.cancelWriting();
        return false;
    }
    if (!out.commit()) {
        *why = out.errorString();
        return false;
    }
    return true;
}

QString copyErrorText(const QString& chosen, const QString& target, const QString& why) {
    return i18n::text(u"PictureTexts", u"CopyFailed",
                      QStringLiteral("%1 kan ikke kopieres til %2.\n\r%3"))
        .arg(QDir::toNativeSeparators(chosen), QDir::toNativeSeparators(target), why);
}

// Whether a record with the number is stored in the table, read past any filter of the
// window's cursor.
bool stored(const store::Table& table, int number) {
    store::Table check;
    check.setDatabaseName(table.DatabaseName());
    check.setTableName(table.TableName());
    check.Open();
    return check.Locate(QStringLiteral("Regnr"), number);
}

// A picture imported for a record that is not saved yet belongs to that record: when the
// new record is discarded instead of saved, its picture goes with it, so that the number
// issued again does not show it on another record.
void followNewRecord(const store::Table& table, int number, const QString& file) {
    static QSet<QString> followed;
    if (followed.contains(file)) {
        return;
    }
    followed.insert(file);
    auto* watcher = new QObject;
    QObject::connect(&table, &store::Table::stateChanged, watcher, [&table, number, file, watcher] {
        if (table.State() == store::DataSetState::Insert) {
            return;
        }
        QObject::disconnect(&table, nullptr, watcher, nullptr);
        followed.remove(file);
        watcher->deleteLater();
        try {
            if (!stored(table, number)) {
                QFile::remove(file);
            }
        } catch (const std::exception&) {
            // The database cannot say: the picture stays rather than be lost.
        }
    });
    QObject::connect(&table, &QObject::destroyed, watcher, [file, watcher] {
        followed.remove(file);
        watcher->deleteLater();
    });
}

}  // namespace

QImage readPicture(const QString& file, PictureError* error) {
    return decode(PictureBytes(file), error);
}

QString pictureErrorText(PictureError error, const QString& file, int language) {
    const QString name = QDir::toNativeSeparators(file);
    if (error == PictureError::File) {
        return i18n::textFor(language, u"PictureTexts", u"CannotOpen",
                             QStringLiteral("Billedfilen kan ikke åbnes:\n\r%1"))
            .arg(name);
    }
    return i18n::textFor(language, u"PictureTexts", u"NotAPicture",
                         QStringLiteral("Filen er ikke et JPEG-billede, der kan vises:\n\r%1"))
        .arg(name);
}

QString pictureFilter() {
    return i18n::text(u"PictureTexts", u"Filter", QStringLiteral("Billede (*.jpg)|*.jpg"));
}

void showInBox(QLabel* image, QImage picture) {
    if (picture.isNull()) {
        image->clear();
        image->resize(0, 0);
    } else {
        const QSize size = picture.size();
        image->setPixmap(QPixmap::fromImage(std::move(picture)));
        image->resize(size);
    }
    // The unnamed holder in a scroll box keeps the picture at (1, 1).
    QWidget* holder = image->parentWidget();
    if (holder && holder->objectName().isEmpty() && holder->property("PictureHolder").toBool()) {
        holder->resize(image->geometry().bottomRight().x() + 1,
                       image->geometry().bottomRight().y() + 1);
    }
}

bool loadPicture(QLabel* image, Register reg, const store::Table& table) {
    QImage picture = readPicture(recordPictureFile(reg, table));
    if (picture.isNull()) {
        const QString fallback = defaultPictureFile(reg);
        PictureError error = PictureError::None;
        picture = readPicture(fallback, &error);
        if (picture.isNull()) {
            showInBox(image, QImage());
            toolkit::dialogs().ShowError(
                pictureErrorText(error, fallback, i18n::mainActiveLanguage()));
            return false;
        }
    }
    showInBox(image, std::move(picture));
    return true;
}

bool importPicture(QLabel* image, Register reg, const store::Table& table, const QString& filter) {
    const QString chosen = toolkit::dialogs().OpenFile(filter);
    if (chosen.isEmpty()) {
        return false;
    }
    // The chosen file is checked before anything on disk changes: a file that is no whole
    // JPEG picture leaves the record's stored picture as it was.
    const PictureBytes bytes(chosen);
    PictureError error = PictureError::None;
    QImage picture = decode(bytes, &error);
    if (picture.isNull()) {
        toolkit::dialogs().ShowError(pictureErrorText(error, chosen, i18n::mainActiveLanguage()));
        return false;
    }
    const QString target = recordPictureFile(reg, table);
    if (QFileInfo(chosen).canonicalFilePath() != QFileInfo(target).canonicalFilePath()) {
        QString why;
        if (!writeWhole(target, bytes, &why)) {
            toolkit::dialogs().ShowError(copyErrorText(chosen, target, why));
            return false;
        }
        const store::Field& regnr = table.FieldByName(QStringLiteral("Regnr"));
        if (table.State() == store::DataSetState::Insert && !regnr.IsNull()) {
            followNewRecord(table, regnr.AsInteger(), target);
        }
    }
    showInBox(image, std::move(picture));
    return true;
}

void showPicture(Register reg, const store::Table& table, const QString& title, QWidget* parent) {
    std::unique_ptr<TBilledForm> viewer(new TBilledForm(parent));
    viewer->setWindowTitle(title);
    viewer->setRegister(reg, &table);
    viewer->exec();
}

void setupPictureBox(QScrollArea* box, QLabel* image) {
    auto* holder = new QWidget;
    holder->setProperty("PictureHolder", true);
    image->setParent(holder);
    image->move(1, 1);
    image->show();
    box->setWidgetResizable(false);
    box->setWidget(holder);
    showInBox(image, QImage());
}

TImage::TImage(QWidget* parent) : QLabel(parent) {}

void TImage::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        Q_EMIT Click();
    }
}

}  // namespace plants
