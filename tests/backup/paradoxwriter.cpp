// SPDX-License-Identifier: GPL-3.0-or-later
#include "paradoxwriter.h"

// pxlib's header declares C functions without saying so.
extern "C" {
#include <paradox.h>
}

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTime>
#include <cstring>

#include "backup/paradox.h"

namespace {

void put32(char* p, quint32 v) {
    for (int i = 0; i < 4; ++i) {
        p[i] = char((v >> (8 * i)) & 0xff);
    }
}

QByteArray cp1252(const QString& s) {
    return s.toLatin1();  // the test texts keep to the letters both share
}

}  // namespace

void writeParadox(const QString& dbPath, const QList<PxColumn>& columns,
                  const QList<QVariantList>& rows, int codePage) {
    pxdoc_t* px = PX_new();
    auto* fields = static_cast<pxfield_t*>(px->malloc(px, sizeof(pxfield_t) * columns.size(), "f"));
    int recordSize = 0;
    for (int i = 0; i < columns.size(); ++i) {
        fields[i].px_fname = PX_strdup(px, columns[i].name.toLatin1().constData());
        fields[i].px_ftype = char(columns[i].type);
        fields[i].px_flen = columns[i].length;
        fields[i].px_fdc = 0;
        recordSize += columns[i].length;
    }
    QFile::remove(dbPath);
    if (PX_create_file(px, fields, int(columns.size()), QFile::encodeName(dbPath).constData(),
                       pxfFileTypNonIndexDB) < 0) {
        qFatal("cannot create %s", qPrintable(dbPath));
    }
    px->px_head->px_doscodepage = codePage;

    QByteArray mb(4096, '\0');  // the header block
    using namespace backup::paradox;
    for (const QVariantList& row : rows) {
        QByteArray rec(recordSize, '\0');
        int off = 0;
        for (int i = 0; i < columns.size(); ++i) {
            const PxColumn& c = columns[i];
            char* d = rec.data() + off;
            off += c.length;
            const QVariant v = row.value(i);
            if (!v.isValid()) {
                continue;
            }
            switch (c.type) {
                case Alpha: {
                    const QByteArray b = cp1252(v.toString()).left(c.length);
                    memcpy(d, b.constData(), size_t(b.size()));
                    break;
                }
                case Date:
                    PX_put_data_long(px, d, c.length, int(daysFromDate(v.toDate())));
                    break;
                case Short:
                    PX_put_data_short(px, d, c.length, short(v.toInt()));
                    break;
                case Long:
                case AutoInc:
                    PX_put_data_long(px, d, c.length, v.toInt());
                    break;
                case Time:
                    PX_put_data_long(px, d, c.length, v.toTime().msecsSinceStartOfDay());
                    break;
                case Currency:
                case Number:
                    PX_put_data_double(px, d, c.length, v.toDouble());
                    break;
                case Timestamp: {
                    const QDateTime t = v.toDateTime();
                    PX_put_data_double(px, d, c.length,
                                       double(daysFromDate(t.date()) * 86400000LL +
                                              t.time().msecsSinceStartOfDay()));
                    break;
                }
                case Logical:
                    PX_put_data_byte(px, d, c.length, char(v.toBool() ? 1 : 0));
                    break;
                case Bytes: {
                    const QByteArray b = v.toByteArray().left(c.length);
                    memcpy(d, b.constData(), size_t(b.size()));
                    break;
                }
                case Memo:
                case Blob: {
                    const QByteArray b = c.type == Memo ? cp1252(v.toString()) : v.toByteArray();
                    const int leader = c.length - 10;
                    memcpy(d, b.constData(), size_t(std::min<qsizetype>(leader, b.size())));
                    quint32 offset = 0;
                    if (b.size() > leader) {
                        // A block of its own: type 2, its size in 4 kB chunks, length, mod.
                        const qsizetype at = mb.size();
                        const qsizetype chunks = (9 + b.size() + 4095) / 4096;
                        QByteArray block(chunks * 4096, '\0');
                        block[0] = 2;
                        block[1] = char(chunks & 0xff);
                        block[2] = char(chunks >> 8);
                        put32(block.data() + 3, quint32(b.size()));
                        block[7] = 1;
                        memcpy(block.data() + 9, b.constData(), size_t(b.size()));
                        mb += block;
                        offset = quint32(at) | 0xff;
                    }
                    put32(d + leader, offset);
                    put32(d + leader + 4, quint32(b.size()));
                    d[leader + 8] = b.size() > leader ? 1 : 0;
                    break;
                }
                default:
                    qFatal("no writer for type %d", c.type);
            }
        }
        PX_put_record(px, rec.data());
    }
    PX_close(px);
    PX_delete(px);
    if (mb.size() > 4096) {
        const QFileInfo fi(dbPath);
        QFile f(fi.path() + QLatin1Char('/') + fi.completeBaseName() + QStringLiteral(".MB"));
        if (!f.open(QIODevice::WriteOnly) || f.write(mb) != mb.size()) {
            qFatal("cannot write the memo file");
        }
    }
}
