#include "pictures.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMouseEvent>
#include <QPixmap>
#include <QScrollArea>

#include "billedform.h"
#include "data/datafolder.h"
#include "i18n/langsource.h"
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

QImage readPicture(const QString& file, PictureError* error) {
    auto fail = [&](PictureError e) {
        if (error) {
            *error = e;
        }
        return QImage();
    };
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        return fail(PictureError::File);
    }
    // The name says JPEG; a file of another kind is no picture here.
    QImageReader reader(&f, "jpeg");
    reader.setDecideFormatFromContent(false);
    reader.setAllocationLimit(AllocationLimitMB);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return fail(reader.error() == QImageReader::DeviceError ? PictureError::File
                                                                : PictureError::Picture);
    }
    if (error) {
        *error = PictureError::None;
    }
    return image;
}

QString pictureErrorText(PictureError error, const QString& file, int language) {
    const QString br = data::messageBreak();
    const QString name = QDir::toNativeSeparators(file);
    if (error == PictureError::File) {
        switch (language) {
            case 0:
                return QStringLiteral("The picture file cannot be opened:") + br + name;
            case 1:
                return QStringLiteral("Bildefilen kan ikke åpnes:") + br + name;
            case 2:
                return QStringLiteral("Bildfilen kan inte öppnas:") + br + name;
            case 3:
                return QStringLiteral("Die Bilddatei kann nicht geöffnet werden:") + br + name;
            default:
                return QStringLiteral("Billedfilen kan ikke åbnes:") + br + name;
        }
    }
    switch (language) {
        case 0:
            return QStringLiteral("The file is not a JPEG picture that can be shown:") + br + name;
        case 1:
            return QStringLiteral("Filen er ikke et JPEG-bilde som kan vises:") + br + name;
        case 2:
            return QStringLiteral("Filen är inte en JPEG-bild som kan visas:") + br + name;
        case 3:
            return QStringLiteral("Die Datei ist kein darstellbares JPEG-Bild:") + br + name;
        default:
            return QStringLiteral("Filen er ikke et JPEG-billede, der kan vises:") + br + name;
    }
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
    const QString target = recordPictureFile(reg, table);
    // QFile::copy never overwrites; the record's file is replaced. Choosing the record's own
    // file again must not delete it first.
    if (QFileInfo(chosen).canonicalFilePath() != QFileInfo(target).canonicalFilePath()) {
        const QString partial = target + QStringLiteral(".part");
        QFile::remove(partial);
        if (QFile::copy(chosen, partial)) {
            QFile::remove(target);
            QFile::rename(partial, target);
        } else {
            QFile::remove(partial);
        }
    }
    PictureError error = PictureError::None;
    QImage picture = readPicture(target, &error);
    if (picture.isNull()) {
        toolkit::dialogs().ShowError(pictureErrorText(error, target, i18n::mainActiveLanguage()));
        return false;
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
