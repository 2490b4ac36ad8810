#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

namespace backup::paradox {

// Field type codes of the Paradox table format.
enum FieldType {
    Alpha = 0x01,
    Date = 0x02,
    Short = 0x03,
    Long = 0x04,
    Currency = 0x05,
    Number = 0x06,
    Logical = 0x09,
    Memo = 0x0C,
    Blob = 0x0D,
    FormattedMemo = 0x0E,
    Ole = 0x0F,
    Graphic = 0x10,
    Time = 0x14,
    Timestamp = 0x15,
    AutoInc = 0x16,
    Bcd = 0x17,
    Bytes = 0x18,
};

struct Field {
    QString name;
    int type = 0;
    int length = 0;
};

// A table as read: texts converted from the table's code page, dates as QDate, times as
// QTime, timestamps as QDateTime, numbers as int or double, logicals as bool, memos as text,
// binary blobs as QByteArray; an empty field is an invalid QVariant.
struct Table {
    QString file;
    int version = 0;   // 30, 35, 40, 45, 50, 70
    int codePage = 0;  // the one the texts were converted from
    QList<Field> fields;
    QList<QVariantList> rows;
};

// Version 3 tables carry no code page; theirs is taken to be this one.
constexpr int DefaultCodePage = 1252;

// The code page a table's texts are in: version 3 headers have no field for it, so theirs
// is the fallback, as is that of a newer file that names none.
int codePageOf(int version, int headerCodePage, int fallback = DefaultCodePage);

// Reads a .DB file, with the memo file (.MB) beside it when it has one. The files are
// copied aside first and read in a child process, so a library that aborts or scribbles
// cannot harm the originals or the program; such a failure raises store::Error naming
// `stoppedText`'s file.
// A reader that takes longer than timeoutMs is stopped: the library can loop forever on a
// damaged header.
Table readTable(const QString& dbPath, const QString& stoppedText = QString(),
                int fallbackCodePage = DefaultCodePage, int timeoutMs = 30000);
// The same, in this process: what the child runs, there with the texts left as bytes.
Table readTableHere(const QString& dbPath, int fallbackCodePage = DefaultCodePage,
                    bool decodeTexts = true);

// Memo block reading of our own: the blob a field's last ten bytes point to in the .MB
// file's contents. Raises store::Error when the pointer leads outside the file.
QByteArray memoBlock(const QByteArray& mb, const QByteArray& pointer);
// The plain text held in a formatted memo's blob (its first section), else the blob.
QByteArray formattedMemoText(const QByteArray& blob);
// Paradox dates count days with 1 January of year 1 as day 1.
QDate dateFromDays(qint64 days);
qint64 daysFromDate(const QDate& date);

}  // namespace backup::paradox
