// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>

#include "store/errors.h"

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

// Why a table or a record could not be read; the caller words it in the user's language.
enum class Reason {
    Other,  // detail says what
    NotATable,
    StructureDamaged,  // the header's fields and records do not agree
    UnknownFieldType,  // detail: the field
    RecordUnreadable,
    MemoMissing,  // detail: the memo file
    MemoDamaged,  // detail: the memo file
    CannotCopy,
    ReaderStopped,
};

// A table that cannot be read at all. The message is for logs and tests; reason and detail
// are for the user.
class ReadError : public store::Error {
public:
    ReadError(Reason reason, const QString& detail, const QString& message)
        : store::Error(message), m_reason(reason), m_detail(detail) {}
    Reason reason() const { return m_reason; }
    const QString& detail() const { return m_detail; }

private:
    Reason m_reason;
    QString m_detail;
};

// A record left out because it, or a memo of it, cannot be read.
struct DamagedRecord {
    int record = 0;  // from 1, in the file's order
    Reason reason = Reason::Other;
    QString detail;
};

// A table as read: texts converted from the table's code page, dates as QDate, times as
// QTime, timestamps as QDateTime, numbers as int or double, logicals as bool, memos as text,
// binary blobs as QByteArray; an empty field is an invalid QVariant.
struct Table {
    QString file;
    int version = 0;    // 30, 35, 40, 45, 50, 70
    int codePage = 0;   // the one the texts were converted from
    QString sortOrder;  // the name of the table's sort order ("ascii", "nordan", "ANSIINTL" …)
    QList<Field> fields;
    QList<QVariantList> rows;      // the records that could be read
    QList<int> recordOfRow;        // each row's record number, from 1
    QList<DamagedRecord> damaged;  // the ones that could not
};

// Tables that name no code page, by header or sort order, are taken to be in this one.
constexpr int DefaultCodePage = 1252;

// The code page a table's texts are in: version 3 headers have no field for it, so theirs
// is the sort order's (when its name tells one), else the fallback; the same for a newer
// file whose header names none.
int codePageOf(int version, int headerCodePage, int fallback = DefaultCodePage);
int codePageOf(int version, int headerCodePage, const QString& sortOrder,
               int fallback = DefaultCodePage);
// The code page a sort order's name stands for ("nordan" 865, "intl850" 850, "ANSIINTL"
// 1252, "DB865DA0" 865 …); 0 when the name tells none.
int codePageOfSortOrder(const QString& name);
// The sort order's name in a table header: it follows the field names and their numbers.
QString sortOrderIn(const QByteArray& header, const QList<QByteArray>& fieldNames);

// Reads a .DB file, with the memo file (.MB) beside it when it has one. A record that
// cannot be read, or whose memo cannot, is left out and listed as damaged; a table that
// cannot be read at all raises ReadError. The files are copied aside first and read in a
// child process, so a library that aborts or scribbles cannot harm the originals or the
// program; such a failure raises ReadError (ReaderStopped) with `stoppedText`.
// A reader that takes longer than timeoutMs is stopped: the library can loop forever on a
// damaged header.
Table readTable(const QString& dbPath, const QString& stoppedText = QString(),
                int fallbackCodePage = DefaultCodePage, int timeoutMs = 30000);
// The same, in this process: what the child runs, there with the texts left as bytes.
Table readTableHere(const QString& dbPath, int fallbackCodePage = DefaultCodePage,
                    bool decodeTexts = true);

// Memo block reading of our own: the blob a field's last ten bytes point to in the .MB
// file's contents. Raises ReadError (MemoDamaged) when the pointer leads outside the file.
QByteArray memoBlock(const QByteArray& mb, const QByteArray& pointer);
// The plain text held in a formatted memo's blob (its first section), else the blob.
QByteArray formattedMemoText(const QByteArray& blob);
// Paradox dates count days with 1 January of year 1 as day 1.
QDate dateFromDays(qint64 days);
qint64 daysFromDate(const QDate& date);

}  // namespace backup::paradox
