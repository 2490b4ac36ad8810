#pragma once

#include <QImage>
#include <QLabel>
#include <QString>

class QScrollArea;
class QWidget;

namespace store {
class Table;
}

namespace plants {

// The two registers that keep one picture per record; their numbers are issued by separate
// counters, so the file prefixes keep them apart in the one folder.
enum class Register { Plants, GardenWorks };

// "Billeder" in the data folder, created when needed: the pictures are the user's data.
QString pictureFolder();
// "Plante"/"Have" + Regnr + ".jpg" in the picture folder for the table's current record.
QString recordPictureFile(Register reg, const store::Table& table);
// The default picture installed with the program ("Billeder/Plante.jpg", "Billeder/Have.jpg").
QString defaultPictureFile(Register reg);

// Why a picture could not be read.
enum class PictureError { None, File, Picture };

// Decodes a file as JPEG whatever its content, within a memory limit, so a damaged, foreign
// or enormous file gives an error instead of a crash; a file cut short is no picture either.
// A null image on failure.
QImage readPicture(const QString& file, PictureError* error = nullptr);
// The text shown for a picture that could not be read, in the language index's language.
QString pictureErrorText(PictureError error, const QString& file, int language);
// The file dialog's filter for pictures, in the active language ("Billede (*.jpg)|*.jpg").
QString pictureFilter();

// Puts a picture into a picture box at its natural size; the box's holder in a scroll box
// (see setupPictureBox) follows. A null image empties the box.
void showInBox(QLabel* image, QImage picture);

// The record's picture, else the register's default; false (the failure reported, the box
// emptied) when even the default cannot be read.
bool loadPicture(QLabel* image, Register reg, const store::Table& table);
// "Hent billede": the file dialog, then the chosen file checked, copied over the record's
// picture file in one step and shown. A file that is no picture, or a copy that fails, is
// reported and changes nothing, on disk or in the box. A picture imported for a new record
// goes again when that record is discarded instead of saved. False when the dialog was
// cancelled or nothing was imported.
bool importPicture(QLabel* image, Register reg, const store::Table& table, const QString& filter);
// The viewer on the table's current record, titled, modal, destroyed when it closes.
void showPicture(Register reg, const store::Table& table, const QString& title,
                 QWidget* parent = nullptr);

// Places the picture box at (1, 1) in the scroll box through an unnamed holder, so the
// form resizer leaves the picture at its natural size while it scales the scroll box.
void setupPictureBox(QScrollArea* box, QLabel* image);

// A picture box that tells when it is clicked.
class TImage final : public QLabel {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);

Q_SIGNALS:
    void Click();

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

}  // namespace plants
