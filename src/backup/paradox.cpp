// SPDX-License-Identifier: GPL-3.0-or-later
#include "paradox.h"

#include <iconv.h>
// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDataStream>
#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTime>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <string>

#include "store/errors.h"

namespace backup::paradox {

namespace {

// Day 1 of the Paradox calendar, 1 January of year 1, as a Julian day.
constexpr qint64 JulianDayOfDayOne = 1721426;
constexpr qint64 MsPerDay = 86400000;
// pxlib 0.6.8 gives empty Long, Date and Time fields back as this instead of null.
constexpr long EmptyLong = -2147483647L - 1;

quint32 le32(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint32(u[0]) | quint32(u[1]) << 8 | quint32(u[2]) << 16 | quint32(u[3]) << 24;
}
quint16 le16(const char* p) {
    const auto* u = reinterpret_cast<const unsigned char*>(p);
    return quint16(u[0] | u[1] << 8);
}

[[noreturn]] void bad(Reason reason, const QString& detail, const QString& message) {
    throw ReadError(reason, detail, message);
}
[[noreturn]] void bad(const QString& why) {
    bad(Reason::Other, why, why);
}
[[noreturn]] void badMemo(const QString& why) {
    bad(Reason::MemoDamaged, QString(), why);
}

// Text from a single-byte code page; a byte the code page lacks becomes U+FFFD.
class Recoder {
public:
    explicit Recoder(int codePage) {
        m_cd = iconv_open("UTF-8", QStringLiteral("CP%1").arg(codePage).toLatin1().constData());
        if (m_cd == iconv_t(-1)) {
            m_cd = iconv_open("UTF-8", "CP1252");
        }
    }
    ~Recoder() {
        if (m_cd != iconv_t(-1)) {
            iconv_close(m_cd);
        }
    }
    Recoder(const Recoder&) = delete;
    Recoder& operator=(const Recoder&) = delete;

    QString operator()(const QByteArray& bytes) {
        if (m_cd == iconv_t(-1)) {
            return QString::fromLatin1(bytes);
        }
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
        char* in = const_cast<char*>(bytes.constData());
        size_t inLeft = size_t(bytes.size());
        char* to = out.data();
        size_t toLeft = size_t(out.size());
        QString result;
        while (inLeft > 0) {
            if (iconv(m_cd, &in, &inLeft, &to, &toLeft) == size_t(-1)) {
                if (errno == EILSEQ || errno == EINVAL) {
                    result += QString::fromUtf8(out.constData(), to - out.constData());
                    result += QChar(QChar::ReplacementCharacter);
                    to = out.data();
                    toLeft = size_t(out.size());
                    ++in;
                    --inLeft;
                    continue;
                }
                break;
            }
        }
        result += QString::fromUtf8(out.constData(), to - out.constData());
        return result;
    }

private:
    iconv_t m_cd = iconv_t(-1);
};

QByteArray untilNul(const char* p, int len) {
    int n = 0;
    while (n < len && p[n] != '\0') {
        ++n;
    }
    return QByteArray(p, n);
}

std::string& lastLibraryError() {
    static std::string e;
    return e;
}

void onLibraryError(pxdoc_t*, int level, const char* msg, void*) {
    if (level != PX_Warning) {
        lastLibraryError() = msg ? msg : "";
    }
}

struct Doc {
    pxdoc_t* px = nullptr;
    ~Doc() {
        if (px) {
            PX_close(px);
            PX_delete(px);
        }
    }
};

QString findBeside(const QString& dbPath, const QString& suffix) {
    const QFileInfo fi(dbPath);
    const QString wanted = fi.completeBaseName() + QLatin1Char('.') + suffix;
    for (const QString& name : fi.dir().entryList(QDir::Files)) {
        if (name.compare(wanted, Qt::CaseInsensitive) == 0) {
            return fi.dir().filePath(name);
        }
    }
    return QString();
}

QDataStream& operator<<(QDataStream& s, const Table& t) {
    s << t.file << qint32(t.version) << qint32(t.codePage) << t.sortOrder
      << qint32(t.fields.size());
    for (const Field& f : t.fields) {
        s << f.name << qint32(f.type) << qint32(f.length);
    }
    s << qint64(t.rows.size());
    for (qsizetype i = 0; i < t.rows.size(); ++i) {
        s << t.rows.at(i) << qint32(t.recordOfRow.value(i));
    }
    s << qint64(t.damaged.size());
    for (const DamagedRecord& d : t.damaged) {
        s << qint32(d.record) << qint32(d.reason) << d.detail;
    }
    return s;
}

QDataStream& operator>>(QDataStream& s, Table& t) {
    qint32 version = 0, codePage = 0, fields = 0;
    s >> t.file >> version >> codePage >> t.sortOrder >> fields;
    t.version = version;
    t.codePage = codePage;
    for (qint32 i = 0; i < fields && s.status() == QDataStream::Ok; ++i) {
        Field f;
        qint32 type = 0, length = 0;
        s >> f.name >> type >> length;
        f.type = type;
        f.length = length;
        t.fields << f;
    }
    qint64 rows = 0;
    s >> rows;
    for (qint64 i = 0; i < rows && s.status() == QDataStream::Ok; ++i) {
        QVariantList r;
        qint32 record = 0;
        s >> r >> record;
        t.rows << r;
        t.recordOfRow << record;
    }
    qint64 damaged = 0;
    s >> damaged;
    for (qint64 i = 0; i < damaged && s.status() == QDataStream::Ok; ++i) {
        qint32 record = 0, reason = 0;
        DamagedRecord d;
        s >> record >> reason >> d.detail;
        d.record = record;
        d.reason = Reason(reason);
        t.damaged << d;
    }
    return s;
}

}  // namespace

int codePageOf(int version, int headerCodePage, int fallback) {
    return codePageOf(version, headerCodePage, QString(), fallback);
}

int codePageOf(int version, int headerCodePage, const QString& sortOrder, int fallback) {
    if (version >= 40 && headerCodePage > 0) {
        return headerCodePage;
    }
    const int bySortOrder = codePageOfSortOrder(sortOrder);
    return bySortOrder > 0 ? bySortOrder : fallback;
}

int codePageOfSortOrder(const QString& name) {
    // The language drivers of the old table engine: Paradox's by name, the ANSI ones in the
    // Windows code page, dBASE's with the code page in their name.
    static const std::pair<const char*, int> known[] = {
        {"ascii", 437},    {"intl", 437},    {"intl850", 850}, {"nordan", 865}, {"nordan40", 865},
        {"swedfin", 437},  {"spanish", 437}, {"iceland", 861}, {"turk", 857},   {"czech", 852},
        {"hun852dc", 852}, {"polish", 852},  {"slovene", 852}, {"cyrr", 866},   {"greek", 737},
    };
    const QString n = name.trimmed();
    for (const auto& [driver, codePage] : known) {
        if (n.compare(QLatin1String(driver), Qt::CaseInsensitive) == 0) {
            return codePage;
        }
    }
    if (n.startsWith(QLatin1String("ANSI"), Qt::CaseInsensitive) ||
        n.startsWith(QLatin1String("DBWIN"), Qt::CaseInsensitive) ||
        n.startsWith(QLatin1String("BLLT1"), Qt::CaseInsensitive)) {
        return 1252;
    }
    if (n.startsWith(QLatin1String("DB"), Qt::CaseInsensitive) && n.size() >= 5) {
        bool ok = false;
        const int codePage = n.mid(2, 3).toInt(&ok);
        if (ok && codePage >= 437) {
            return codePage;
        }
    }
    return 0;
}

QString sortOrderIn(const QByteArray& header, const QList<QByteArray>& fieldNames) {
    if (fieldNames.isEmpty()) {
        return QString();
    }
    QByteArray names;
    for (const QByteArray& n : fieldNames) {
        names += n + '\0';
    }
    qsizetype at = header.indexOf(names);
    if (at < 0) {
        return QString();
    }
    at += names.size();
    // The field numbers 1 … n, two bytes each, when the header has them.
    bool numbered = at + 2 * fieldNames.size() <= header.size();
    for (qsizetype i = 0; numbered && i < fieldNames.size(); ++i) {
        numbered = le16(header.constData() + at + 2 * i) == quint16(i + 1);
    }
    if (numbered) {
        at += 2 * fieldNames.size();
    }
    QByteArray name;
    while (at < header.size() && header.at(at) != '\0' && name.size() < 40) {
        const char c = header.at(at++);
        if (c < 0x20 || c > 0x7e) {
            return QString();
        }
        name += c;
    }
    return QString::fromLatin1(name);
}

QDate dateFromDays(qint64 days) {
    return QDate::fromJulianDay(JulianDayOfDayOne + days - 1);
}

qint64 daysFromDate(const QDate& date) {
    return date.toJulianDay() - JulianDayOfDayOne + 1;
}

QByteArray memoBlock(const QByteArray& mb, const QByteArray& pointer) {
    if (pointer.size() < 10) {
        badMemo(QStringLiteral("memo pointer too short"));
    }
    const quint32 offset = le32(pointer.constData());
    const quint32 length = le32(pointer.constData() + 4);
    const qint64 block = offset & 0xFFFFFF00u;
    const int index = int(offset & 0xFF);
    const auto outside = [&] {
        badMemo(QStringLiteral("memo block at %1 lies outside the memo file").arg(block));
    };
    if (block + 12 > mb.size()) {
        outside();
    }
    const char* b = mb.constData() + block;
    if (index == 0xFF) {
        // A blob of its own: a nine-byte header, then the data.
        if (b[0] != 2) {
            badMemo(
                QStringLiteral("memo block at %1 is of type %2, not 2").arg(block).arg(int(b[0])));
        }
        const quint32 stored = le32(b + 3);
        const quint32 n = std::min(stored, length ? length : stored);
        if (block + 9 + qint64(n) > mb.size()) {
            outside();
        }
        return QByteArray(b + 9, n);
    }
    // A block shared by small blobs: a table of five-byte entries from offset 12.
    if (b[0] != 3) {
        badMemo(QStringLiteral("memo block at %1 is of type %2, not 3").arg(block).arg(int(b[0])));
    }
    const qint64 entry = block + 12 + 5 * index;
    if (entry + 5 > mb.size()) {
        outside();
    }
    const auto* e = reinterpret_cast<const unsigned char*>(mb.constData() + entry);
    if (e[1] == 0) {
        badMemo(QStringLiteral("memo entry %1 of the block at %2 is empty").arg(index).arg(block));
    }
    const qint64 start = block + qint64(e[0]) * 16;
    const qint64 n = (qint64(e[1]) - 1) * 16 + e[4];
    if (start + n > mb.size() || start < block) {
        outside();
    }
    return mb.mid(start, n);
}

QByteArray formattedMemoText(const QByteArray& blob) {
    // A count of sections, each a two-byte kind and a four-byte size; the text comes first,
    // ended by a zero byte, and the formatting runs after it.
    if (blob.size() < 8) {
        return blob;
    }
    const int sections = le16(blob.constData());
    const qint64 head = 2 + qint64(sections) * 6;
    if (sections < 1 || head > blob.size()) {
        return blob;
    }
    qint64 at = head;
    for (int i = 0; i < sections; ++i) {
        const char* s = blob.constData() + 2 + i * 6;
        const quint16 kind = le16(s);
        const quint32 size = le32(s + 2);
        if (at + qint64(size) > blob.size()) {
            return blob;
        }
        if (kind == 0) {
            return untilNul(blob.constData() + at, int(size));
        }
        at += size;
    }
    return blob;
}

Table readTableHere(const QString& dbPath, int fallbackCodePage, bool decodeTexts) {
    lastLibraryError().clear();
    Doc doc;
    doc.px = PX_new2(onLibraryError, nullptr, nullptr, nullptr);
    if (!doc.px) {
        bad(Reason::ReaderStopped, QString(), QStringLiteral("out of memory"));
    }
    if (PX_open_file(doc.px, QFile::encodeName(dbPath).constData()) < 0) {
        bad(Reason::NotATable, QString(),
            lastLibraryError().empty() ? QStringLiteral("not a Paradox table")
                                       : QString::fromStdString(lastLibraryError()));
    }
    const pxhead_t* head = doc.px->px_head;
    Table t;
    t.file = QFileInfo(dbPath).fileName();
    t.version = head->px_fileversion;
    {
        QFile raw(dbPath);
        QList<QByteArray> names;
        const pxfield_t* f = PX_get_fields(doc.px);
        for (int i = 0; f && i < PX_get_num_fields(doc.px); ++i) {
            names << QByteArray(f[i].px_fname);
        }
        if (raw.open(QIODevice::ReadOnly)) {
            t.sortOrder = sortOrderIn(raw.read(std::max(head->px_headersize, 0)), names);
        }
    }
    t.codePage = codePageOf(t.version, head->px_doscodepage, t.sortOrder, fallbackCodePage);
    // The child that reads leaves texts as bytes: converting them loads code page modules,
    // which is no work for a process forked from a threaded one.
    std::unique_ptr<Recoder> recoder;
    if (decodeTexts) {
        recoder = std::make_unique<Recoder>(t.codePage);
    }
    const auto recode = [&](const QByteArray& raw) -> QVariant {
        return recoder ? QVariant((*recoder)(raw)) : QVariant(raw);
    };

    const int count = PX_get_num_fields(doc.px);
    const pxfield_t* fields = PX_get_fields(doc.px);
    int recordSize = 0;
    for (int i = 0; i < count; ++i) {
        const QByteArray name(fields[i].px_fname);
        t.fields << Field{recoder ? (*recoder)(name) : QString::fromLatin1(name),
                          fields[i].px_ftype, fields[i].px_flen};
        recordSize += fields[i].px_flen;
    }
    if (recordSize != head->px_recordsize) {
        bad(Reason::StructureDamaged, QString(),
            QStringLiteral("the fields do not fill the record"));
    }
    static const int readable[] = {Alpha,   Date,      Short,         Long, Currency, Number,
                                   Logical, Memo,      FormattedMemo, Blob, Ole,      Graphic,
                                   Time,    Timestamp, AutoInc,       Bcd,  Bytes};
    for (const Field& f : std::as_const(t.fields)) {
        if (std::find(std::begin(readable), std::end(readable), f.type) == std::end(readable)) {
            bad(Reason::UnknownFieldType, f.name,
                QStringLiteral("field %1 has the unknown type %2").arg(f.name).arg(f.type));
        }
        if (f.type == Memo || f.type == FormattedMemo || f.type == Blob || f.type == Ole ||
            f.type == Graphic) {
            if (f.length < 10) {
                bad(Reason::StructureDamaged, f.name,
                    QStringLiteral("field %1 is too short for a blob").arg(f.name));
            }
        }
    }

    QByteArray mb;
    bool hasMb = false;
    const QString mbPath = findBeside(dbPath, QStringLiteral("MB"));
    if (!mbPath.isEmpty()) {
        QFile f(mbPath);
        if (!f.open(QIODevice::ReadOnly)) {
            bad(Reason::CannotCopy, QFileInfo(mbPath).fileName(),
                QStringLiteral("%1: %2").arg(QFileInfo(mbPath).fileName(), f.errorString()));
        }
        mb = f.readAll();
        hasMb = true;
    }

    QByteArray record(recordSize, '\0');
    const int records = PX_get_num_records(doc.px);
    // More records than the data blocks can hold: the header is damaged, not the records.
    if (records < 0 || records > std::max(head->px_theonumrecords, 0)) {
        bad(Reason::StructureDamaged, QString(),
            QStringLiteral("the header counts %1 records, the blocks hold at most %2")
                .arg(records)
                .arg(head->px_theonumrecords));
    }
    for (int r = 0; r < records; ++r) {
        if (PX_get_record(doc.px, r, record.data()) == nullptr) {
            t.damaged.append(
                {r + 1, Reason::RecordUnreadable, QString::fromStdString(lastLibraryError())});
            continue;
        }
        try {
            QVariantList row;
            int off = 0;
            for (const Field& f : std::as_const(t.fields)) {
                char* data = record.data() + off;
                off += f.length;
                QVariant v;
                long l = 0;
                double d = 0;
                short s = 0;
                char c = 0;
                switch (f.type) {
                    case Alpha: {
                        const QByteArray raw = untilNul(data, f.length);
                        if (!raw.isEmpty()) {
                            v = recode(raw);
                        }
                        break;
                    }
                    case Date:
                        if (PX_get_data_long(doc.px, data, f.length, &l) > 0 && l != EmptyLong) {
                            v = dateFromDays(l);
                        }
                        break;
                    case Short:
                        if (PX_get_data_short(doc.px, data, f.length, &s) > 0 && s != SHRT_MIN) {
                            v = int(s);
                        }
                        break;
                    case Long:
                    case AutoInc:
                        if (PX_get_data_long(doc.px, data, f.length, &l) > 0 && l != EmptyLong) {
                            v = int(l);
                        }
                        break;
                    case Time:
                        if (PX_get_data_long(doc.px, data, f.length, &l) > 0 && l != EmptyLong) {
                            v = QTime::fromMSecsSinceStartOfDay(int(l));
                        }
                        break;
                    case Currency:
                    case Number:
                        if (PX_get_data_double(doc.px, data, f.length, &d) > 0) {
                            v = d;
                        }
                        break;
                    case Timestamp:
                        if (PX_get_data_double(doc.px, data, f.length, &d) > 0) {
                            const auto ms = qint64(d);
                            const qint64 days = ms / MsPerDay;
                            v = QDateTime(dateFromDays(days), QTime::fromMSecsSinceStartOfDay(
                                                                  int(ms - days * MsPerDay)));
                        }
                        break;
                    case Logical:
                        if (PX_get_data_byte(doc.px, data, f.length, &c) > 0) {
                            v = c != 0;
                        }
                        break;
                    case Bcd: {
                        char* text = nullptr;
                        if (PX_get_data_bcd(doc.px, reinterpret_cast<unsigned char*>(data),
                                            f.length, &text) > 0 &&
                            text) {
                            v = QString::fromLatin1(text).toDouble();
                        }
                        if (text) {
                            doc.px->free(doc.px, text);
                        }
                        break;
                    }
                    case Bytes: {
                        const QByteArray raw(data, f.length);
                        if (raw.count('\0') != raw.size()) {
                            v = raw;
                        }
                        break;
                    }
                    case Memo:
                    case FormattedMemo:
                    case Blob:
                    case Ole:
                    case Graphic: {
                        // The field holds the start of the blob and, in its last ten bytes, where
                        // the whole of it lies in the memo file.
                        const int leader = f.length - 10;
                        const QByteArray pointer(data + leader, 10);
                        const quint32 length = le32(pointer.constData() + 4);
                        if (length == 0) {
                            break;
                        }
                        QByteArray blob;
                        if (length <= quint32(leader)) {
                            blob = QByteArray(data, int(length));
                        } else {
                            if (!hasMb) {
                                const QString mbName =
                                    QFileInfo(dbPath).completeBaseName() + QStringLiteral(".MB");
                                bad(Reason::MemoMissing, mbName,
                                    QStringLiteral("the memo file %1 is missing").arg(mbName));
                            }
                            blob = memoBlock(mb, pointer);
                            if (f.type == FormattedMemo) {
                                blob = formattedMemoText(blob);
                            }
                        }
                        if (f.type == Memo || f.type == FormattedMemo) {
                            while (blob.endsWith('\0')) {
                                blob.chop(1);
                            }
                            v = recode(blob);
                        } else {
                            v = blob;
                        }
                        break;
                    }
                    default:
                        break;  // refused above
                }
                row << v;
            }
            t.rows << row;
            t.recordOfRow << r + 1;
        } catch (const ReadError& e) {
            QString detail = e.detail();
            if (e.reason() == Reason::MemoDamaged && detail.isEmpty()) {
                detail = QFileInfo(dbPath).completeBaseName() + QStringLiteral(".MB");
            }
            t.damaged.append({r + 1, e.reason(), detail});
        }
    }
    return t;
}

Table readTable(const QString& dbPath, const QString& stoppedText, int fallbackCodePage,
                int timeoutMs) {
    // pxlib opens the file for writing: it only ever sees copies.
    QTemporaryDir work;
    if (!work.isValid()) {
        bad(work.errorString());
    }
    const QString copy = work.filePath(QFileInfo(dbPath).fileName());
    if (!QFile::copy(dbPath, copy)) {
        bad(Reason::CannotCopy, dbPath, QStringLiteral("cannot copy %1").arg(dbPath));
    }
    const QString mb = findBeside(dbPath, QStringLiteral("MB"));
    if (!mb.isEmpty() && !QFile::copy(mb, work.filePath(QFileInfo(mb).fileName()))) {
        bad(Reason::CannotCopy, mb, QStringLiteral("cannot copy %1").arg(mb));
    }
    const QString result = work.filePath(QStringLiteral("result"));

    const pid_t pid = fork();
    if (pid < 0) {
        bad(Reason::ReaderStopped, QString(), QStringLiteral("cannot start the reader"));
    }
    if (pid == 0) {
        int code = 0;
        QFile out(result);
        if (out.open(QIODevice::WriteOnly)) {
            QDataStream s(&out);
            try {
                const Table t = readTableHere(copy, fallbackCodePage, false);
                s << true << t;
            } catch (const ReadError& e) {
                s << false << qint32(e.reason()) << e.detail() << e.message();
                code = 1;
            } catch (const std::exception& e) {
                s << false << qint32(Reason::Other) << QString() << QString::fromUtf8(e.what());
                code = 1;
            }
            out.close();
        }
        _exit(code);
    }

    int status = 0;
    QElapsedTimer clock;
    clock.start();
    for (;;) {
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            break;
        }
        if (done < 0 && errno != EINTR) {
            bad(Reason::ReaderStopped, QString(), QStringLiteral("the reader was lost"));
        }
        if (clock.elapsed() > timeoutMs) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            break;
        }
        QThread::msleep(5);
    }
    const QString stopped =
        stoppedText.isEmpty() ? QStringLiteral("the reading stopped unexpectedly") : stoppedText;
    const auto stop = [&] { bad(Reason::ReaderStopped, QString(), stopped); };
    if (!WIFEXITED(status)) {
        stop();
    }
    QFile in(result);
    if (!in.open(QIODevice::ReadOnly)) {
        stop();
    }
    QDataStream s(&in);
    bool ok = false;
    s >> ok;
    if (!ok) {
        qint32 reason = 0;
        QString detail, why;
        s >> reason >> detail >> why;
        if (s.status() != QDataStream::Ok) {
            stop();
        }
        bad(Reason(reason), detail, why);
    }
    Table t;
    s >> t;
    if (s.status() != QDataStream::Ok) {
        stop();
    }
    t.file = QFileInfo(dbPath).fileName();
    Recoder recode(t.codePage);
    for (Field& f : t.fields) {
        f.name = recode(f.name.toLatin1());
    }
    for (QVariantList& row : t.rows) {
        for (int c = 0; c < row.size() && c < t.fields.size(); ++c) {
            const int type = t.fields.at(c).type;
            if ((type == Alpha || type == Memo || type == FormattedMemo) && row.at(c).isValid()) {
                row[c] = recode(row.at(c).toByteArray());
            }
        }
    }
    return t;
}

}  // namespace backup::paradox
