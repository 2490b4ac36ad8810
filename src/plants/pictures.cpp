// SPDX-License-Identifier: GPL-3.0-or-later
#include "pictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QSaveFile>
#include <QScrollArea>
#include <QSet>
#include <cstring>

#include "billedform.h"
#include "data/datafolder.h"
#include "data/settings.h"
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

// The natural size scaled down to fit a space, never below one pixel; unchanged when it fits.
QSize fitted(QSize natural, QSize space) {
    if (!space.isValid() ||
        (natural.width() <= space.width() && natural.height() <= space.height())) {
        return natural;
    }
    return natural.scaled(space, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

// With a space to fit, a larger picture is decoded straight to the size it is shown at:
// the decoder then skips most of the work, and no camera-sized copy is held.
QImage decode(const PictureBytes& bytes, PictureError* error, QSize fitInto = QSize(),
              QSize* natural = nullptr) {
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
    // A camera held upright says so in the file: the picture is shown as it was taken.
    reader.setAutoTransform(true);
    const bool turned = reader.transformation() & QImageIOHandler::TransformationRotate90;
    const QSize stored = reader.size();
    const QSize full = turned ? stored.transposed() : stored;
    if (full.isValid() && fitInto.isValid()) {
        const QSize shown = fitted(full, fitInto);
        if (shown != full) {
            // The decoder scales the picture as stored, before turning it.
            reader.setScaledSize(turned ? shown.transposed() : shown);
        }
    }
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return fail(PictureError::Picture);
    }
    if (natural) {
        *natural = full.isValid() ? full : image.size();
    }
    if (error) {
        *error = PictureError::None;
    }
    return image;
}

bool isPng(const PictureBytes& bytes) {
    static const char signature[] = "\x89PNG\r\n\x1a\n";
    return bytes.size() >= 8 && std::memcmp(bytes.data(), signature, 8) == 0;
}

// A PNG picture as the JPEG it is stored as: what is transparent lies on white, as the
// picture box shows it.
QImage decodePng(const PictureBytes& bytes, PictureError* error) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    // A file cut short has no end chunk.
    if (data.lastIndexOf(QByteArrayView("IEND")) < 8) {
        *error = PictureError::Picture;
        return QImage();
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(AllocationLimitMB);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        *error = PictureError::Picture;
        return QImage();
    }
    QImage flat(image.size(), QImage::Format_RGB32);
    flat.fill(Qt::white);
    {
        QPainter p(&flat);
        p.drawImage(0, 0, image);
    }
    *error = PictureError::None;
    return flat;
}

QByteArray encodeJpeg(const QImage& image) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(92);
    return writer.write(image) ? out : QByteArray();
}

// Replaces the file in one step: until the new content is whole on disk the old file
// stays, so a full disk or a failed write loses nothing.
bool writeWhole(const QString& target, const char* data, qint64 size, QString* why) {
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly)) {
        *why = out.errorString();
        return false;
    }
    if (out.write(data, size) != size) {
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

QString importErrorText(PictureError error, const QString& file) {
    if (error == PictureError::File) {
        return pictureErrorText(error, file, i18n::mainActiveLanguage());
    }
    return i18n::text(
               u"PictureTexts", u"NotAPicture",
               QStringLiteral("Filen er ikke et JPEG- eller PNG-billede, der kan vises:\n\r%1"))
        .arg(QDir::toNativeSeparators(file));
}

namespace {

int& fitChoice() {
    static int choice = -1;  // read from the user's settings when first asked
    return choice;
}

QSet<TImage*>& allBoxes() {
    static QSet<TImage*> boxes;
    return boxes;
}

}  // namespace

bool picturesFit() {
    int& choice = fitChoice();
    if (choice < 0) {
        choice = data::readViewChoice(QStringLiteral("FitPictures"), true) ? 1 : 0;
    }
    return choice == 1;
}

void setPicturesFit(bool on) {
    fitChoice() = on ? 1 : 0;
    data::writeViewChoice(QStringLiteral("FitPictures"), on);
    for (TImage* box : std::as_const(allBoxes())) {
        box->refit();
        Q_EMIT box->fitChosen(on);
    }
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

QString pictureFilter(Register reg) {
    return importFilter(
        reg == Register::Plants
            ? i18n::text(u"PictureTexts", u"FilterName", QStringLiteral("Billede"))
            : i18n::text(u"PictureTexts", u"FilterNames", QStringLiteral("Billeder")));
}

void showInBox(QLabel* image, QImage picture) {
    if (auto* box = qobject_cast<TImage*>(image)) {
        const QSize natural = picture.size();
        box->setPicture(std::move(picture), QString(), natural);
        return;
    }
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

namespace {

// Into a box that fits its pictures, read at the size it is shown at.
bool loadInto(QLabel* image, const QString& file, PictureError* error) {
    auto* box = qobject_cast<TImage*>(image);
    QSize natural;
    QImage picture =
        decode(PictureBytes(file), error, box && box->fits() ? box->fitSpace() : QSize(), &natural);
    if (picture.isNull()) {
        return false;
    }
    if (box) {
        box->setPicture(std::move(picture), file, natural);
    } else {
        showInBox(image, std::move(picture));
    }
    return true;
}

}  // namespace

bool loadPicture(QLabel* image, Register reg, const store::Table& table) {
    PictureError error = PictureError::None;
    if (loadInto(image, recordPictureFile(reg, table), &error)) {
        return true;
    }
    const QString fallback = defaultPictureFile(reg);
    if (!loadInto(image, fallback, &error)) {
        showInBox(image, QImage());
        toolkit::dialogs().ShowError(pictureErrorText(error, fallback, i18n::mainActiveLanguage()));
        return false;
    }
    return true;
}

PictureUndo::PictureUndo(Register reg, const store::Table& table, QObject* parent)
    : QObject(parent), m_register(reg), m_table(&table) {
    connect(&table, &store::Table::recordChanged, this, &PictureUndo::recordMoved);
    connect(&table, &store::Table::posted, this, [this] {
        if (!m_reverting) {
            keep();
        }
    });
}

void PictureUndo::remember(const QString& file) {
    if (m_file == file) {
        return;
    }
    keep();
    QFile f(file);
    const bool existed = f.exists();
    QByteArray before;
    // What cannot be read cannot be put back; the import goes on as it always did.
    if (existed) {
        if (!f.open(QIODevice::ReadOnly)) {
            return;
        }
        before = f.readAll();
        if (before.size() != f.size()) {
            return;
        }
    }
    m_file = file;
    m_before = std::move(before);
    m_existed = existed;
    Q_EMIT pendingChanged(true);
}

bool PictureUndo::undoWith(const std::function<void()>& putRecordBack) {
    m_reverting = true;
    try {
        putRecordBack();
    } catch (...) {
        m_reverting = false;
        throw;
    }
    m_reverting = false;
    return revert();
}

bool PictureUndo::revert() {
    if (!pending()) {
        return true;
    }
    QString why;
    bool ok = true;
    if (m_existed) {
        ok = writeWhole(m_file, m_before.constData(), m_before.size(), &why);
    } else if (QFile::exists(m_file)) {
        QFile f(m_file);
        ok = f.remove();
        why = f.errorString();
    }
    if (!ok) {
        toolkit::dialogs().ShowError(
            i18n::text(u"PictureTexts", u"RestoreFailed",
                       QStringLiteral("Det tidligere billede kan ikke lægges tilbage i %1.\n\r%2"))
                .arg(QDir::toNativeSeparators(m_file), why));
        return false;
    }
    keep();
    return true;
}

void PictureUndo::keep() {
    if (!pending()) {
        return;
    }
    m_file.clear();
    m_before.clear();
    Q_EMIT pendingChanged(false);
}

// Another record is current: the picture stays with the one the user left.
void PictureUndo::recordMoved() {
    if (!pending() || m_reverting) {
        return;
    }
    try {
        if (!m_table->Active() || recordPictureFile(m_register, *m_table) != m_file) {
            keep();
        }
    } catch (const std::exception&) {
        keep();
    }
}

QString importFilter(const QString& name) {
    return name + QStringLiteral(
                      " (*.jpg *.jpeg *.JPG *.JPEG *.png *.PNG)|"
                      "*.jpg;*.jpeg;*.JPG;*.JPEG;*.png;*.PNG");
}

bool importPicture(QLabel* image, Register reg, const store::Table& table, const QString& filter,
                   PictureUndo* undo) {
    const QString chosen = toolkit::dialogs().OpenFile(filter);
    if (chosen.isEmpty()) {
        return false;
    }
    // The chosen file is checked before anything on disk changes: a file that is no whole
    // JPEG or PNG picture leaves the record's stored picture as it was.
    const PictureBytes bytes(chosen);
    PictureError error = PictureError::None;
    QImage picture;
    QByteArray converted;
    if (bytes.opened() && isPng(bytes)) {
        picture = decodePng(bytes, &error);
        if (!picture.isNull()) {
            converted = encodeJpeg(picture);
            if (converted.isEmpty()) {
                picture = QImage();
                error = PictureError::Picture;
            }
        }
    } else {
        picture = decode(bytes, &error);
    }
    if (picture.isNull()) {
        toolkit::dialogs().ShowError(importErrorText(error, chosen));
        return false;
    }
    const QString target = recordPictureFile(reg, table);
    const bool itself =
        QFileInfo(chosen).canonicalFilePath() == QFileInfo(target).canonicalFilePath();
    if (!itself || !converted.isEmpty()) {
        if (undo) {
            undo->remember(target);
        }
        QString why;
        const bool written =
            converted.isEmpty() ? writeWhole(target, reinterpret_cast<const char*>(bytes.data()),
                                             bytes.size(), &why)
                                : writeWhole(target, converted.constData(), converted.size(), &why);
        if (!written) {
            toolkit::dialogs().ShowError(copyErrorText(chosen, target, why));
            return false;
        }
        const store::Field& regnr = table.FieldByName(QStringLiteral("Regnr"));
        if (table.State() == store::DataSetState::Insert && !regnr.IsNull()) {
            followNewRecord(table, regnr.AsInteger(), target);
        }
    }
    if (auto* box = qobject_cast<TImage*>(image)) {
        const QSize natural = picture.size();
        box->setPicture(std::move(picture), target, natural);
    } else {
        showInBox(image, std::move(picture));
    }
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
    if (auto* t = qobject_cast<TImage*>(image)) {
        t->attachTo(box);
    }
    showInBox(image, QImage());
}

TImage::TImage(QWidget* parent) : QLabel(parent) {
    allBoxes().insert(this);
    m_sharpen.setSingleShot(true);
    m_sharpen.setInterval(200);
    connect(&m_sharpen, &QTimer::timeout, this, &TImage::sharpen);
}

TImage::~TImage() {
    allBoxes().remove(this);
}

void TImage::attachTo(QScrollArea* box) {
    if (m_box) {
        m_box->removeEventFilter(this);
    }
    m_box = box;
    if (box) {
        box->installEventFilter(this);
    }
}

bool TImage::fits() const {
    return m_box && picturesFit();
}

// The box without its scroll bars, less the picture's one-pixel margin.
QSize TImage::fitSpace() const {
    if (!m_box) {
        return QSize();
    }
    const QSize space = m_box->maximumViewportSize() - QSize(2, 2);
    return (space * devicePixelRatioF()).expandedTo(QSize(1, 1));
}

void TImage::setPicture(QImage picture, const QString& file, QSize natural) {
    m_picture = std::move(picture);
    m_file = file;
    m_natural = natural.isValid() ? natural : m_picture.size();
    m_sharpen.stop();
    refit();
}

void TImage::refit() {
    QWidget* holder = parentWidget();
    const bool held = holder && holder->property("PictureHolder").toBool();
    if (m_picture.isNull()) {
        clear();
        resize(0, 0);
        if (held) {
            holder->resize(1, 1);
        }
        return;
    }
    if (!fits()) {
        // Pixel for pixel: a picture read smaller is read again whole.
        if (m_picture.size() != m_natural && !m_file.isEmpty()) {
            QImage whole = readPicture(m_file);
            if (!whole.isNull()) {
                m_picture = std::move(whole);
                m_natural = m_picture.size();
            }
        }
        setPixmap(QPixmap::fromImage(m_picture));
        resize(m_picture.size());
        move(1, 1);
        if (held) {
            holder->resize(geometry().bottomRight().x() + 1, geometry().bottomRight().y() + 1);
        }
        return;
    }
    const qreal ratio = devicePixelRatioF();
    const QSize target = fitted(m_natural, fitSpace());
    if (m_picture.width() > target.width() * 2) {
        // Only what is shown is kept; a larger box reads the file again.
        m_picture = m_picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    QPixmap pixmap = QPixmap::fromImage(
        m_picture.size() == target
            ? m_picture
            : m_picture.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    pixmap.setDevicePixelRatio(ratio);
    setPixmap(pixmap);
    const QSize shown = (QSizeF(target) / ratio).toSize();
    resize(shown);
    if (held) {
        const QSize whole = m_box->maximumViewportSize();
        holder->resize(whole);
        move((whole.width() - shown.width()) / 2, (whole.height() - shown.height()) / 2);
    }
    if (target.width() > m_picture.width() && m_picture.size() != m_natural && !m_file.isEmpty()) {
        m_sharpen.start();
    }
}

void TImage::sharpen() {
    if (!fits() || m_file.isEmpty()) {
        return;
    }
    QSize natural;
    QImage picture = decode(PictureBytes(m_file), nullptr, fitSpace(), &natural);
    if (!picture.isNull()) {
        m_picture = std::move(picture);
        m_natural = natural;
        refit();
    }
}

bool TImage::eventFilter(QObject* watched, QEvent* e) {
    if (watched == m_box && e->type() == QEvent::Resize && fits()) {
        refit();
    }
    return QLabel::eventFilter(watched, e);
}

void TImage::mouseReleaseEvent(QMouseEvent* e) {
    QLabel::mouseReleaseEvent(e);
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint())) {
        Q_EMIT Click();
    }
}

void TImage::mouseDoubleClickEvent(QMouseEvent* e) {
    QLabel::mouseDoubleClickEvent(e);
    if (e->button() == Qt::LeftButton) {
        Q_EMIT DoubleClick();
    }
}

}  // namespace plants
