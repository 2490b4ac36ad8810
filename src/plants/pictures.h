// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <functional>

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
// The same for a file chosen to import, which may be a JPEG or a PNG picture.
QString importErrorText(PictureError error, const QString& file);

// Whether a picture larger than its box is shown scaled down to fit (the default) or at its
// natural size with scroll bars. One choice for every picture box and the viewer, kept per
// user; changing it shows every open box anew.
bool picturesFit();
void setPicturesFit(bool on);
// The file dialog's filter for the pictures of a register, in the active language
// ("Billede (*.jpg *.jpeg ...)|*.jpg;*.jpeg;...").
QString pictureFilter(Register reg);

// Puts a picture into a picture box at its natural size; the box's holder in a scroll box
// (see setupPictureBox) follows. A null image empties the box.
void showInBox(QLabel* image, QImage picture);

// The record's picture, else the register's default; false (the failure reported, the box
// emptied) when even the default cannot be read.
bool loadPicture(QLabel* image, Register reg, const store::Table& table);
// What "Fortryd" needs to put a record's picture back as it was before it was replaced: the
// file's earlier content, or that there was none. It holds the first content since it was
// last kept, and follows one record: a picture the user moved away from, or saved with its
// record, is kept.
class PictureUndo final : public QObject {
    Q_OBJECT

public:
    PictureUndo(Register reg, const store::Table& table, QObject* parent = nullptr);

    // Before the file is replaced; a file already held keeps its first content.
    void remember(const QString& file);
    bool pending() const { return !m_file.isEmpty(); }
    // Puts the record back by the given step, then the picture: the earlier content written
    // back in one step (the file removed when there was none). The record leaving its edit on
    // the way is no saving of the picture. False, reported, when the file cannot be written,
    // and then it is still held.
    bool undoWith(const std::function<void()>& putRecordBack);
    void keep();

Q_SIGNALS:
    void pendingChanged(bool pending);

private:
    bool revert();
    void recordMoved();

    Register m_register;
    const store::Table* m_table;
    QString m_file;
    QByteArray m_before;
    bool m_existed = false;
    bool m_reverting = false;
};

// The file types "Hent billede" offers: JPEG by any of its names, and PNG, which is stored
// as JPEG. `name` is the filter's name in the window ("Billede", "Billeder").
QString importFilter(const QString& name);

// "Hent billede": the file dialog, then the chosen file checked, copied over the record's
// picture file in one step and shown; a PNG picture is stored as JPEG. A file that is no
// picture, or a copy that fails, is reported and changes nothing, on disk or in the box. A
// picture imported for a new record goes again when that record is discarded instead of
// saved. With an undo, the record's earlier picture is held for "Fortryd". False when the
// dialog was cancelled or nothing was imported.
bool importPicture(QLabel* image, Register reg, const store::Table& table, const QString& filter,
                   PictureUndo* undo = nullptr);
// The viewer on the table's current record, titled, modal, destroyed when it closes.
void showPicture(Register reg, const store::Table& table, const QString& title,
                 QWidget* parent = nullptr);

// Places the picture box at (1, 1) in the scroll box through an unnamed holder, so the
// form resizer leaves the picture at the size it is shown at while it scales the scroll box.
void setupPictureBox(QScrollArea* box, QLabel* image);

// A picture box that tells when it is clicked. In a scroll box it shows its picture as the
// user's choice says: larger than the box scaled down to fit, centred, or at its natural size
// with scroll bars; again whenever the box or the choice changes.
class TImage final : public QLabel {
    Q_OBJECT

public:
    explicit TImage(QWidget* parent = nullptr);
    ~TImage() override;

    // The decoded picture, at its natural size or smaller, of the file it was read from,
    // which is read again when a larger one is needed.
    void setPicture(QImage picture, const QString& file, QSize natural);
    QSize naturalSize() const { return m_natural; }
    // Whether it shows its picture fitted now: the choice is to fit, and it has a box.
    bool fits() const;
    // The space the box gives a fitted picture, in device pixels; empty without a box.
    QSize fitSpace() const;
    void attachTo(QScrollArea* box);
    // Shows the picture again for the box and choice of the moment.
    void refit();

Q_SIGNALS:
    void Click();
    void DoubleClick();
    // The user's choice between fitted and natural size changed, wherever it was made.
    void fitChosen(bool fit);

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void sharpen();

    QImage m_picture;
    QString m_file;
    QSize m_natural;
    QPointer<QScrollArea> m_box;
    QTimer m_sharpen;  // a box grown past the decoded picture reads it again, once settled
};

}  // namespace plants
