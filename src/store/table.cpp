// SPDX-License-Identifier: GPL-3.0-or-later
#include "table.h"

#include "session.h"
#include "sqlite_p.h"
#include "values_p.h"

namespace store {

using detail::quoted;
using detail::Statement;

namespace {

// The value a key expression gives for a field value: nulls become the sort-first sentinel.
QVariant keySql(FieldType type, const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        switch (type) {
            case FieldType::Integer:
                return QVariant(qlonglong(std::numeric_limits<qint64>::min()));
            case FieldType::Float:
            case FieldType::Currency:
                return QVariant(-1e308);
            default:
                return QVariant(QString(QLatin1String("")));
        }
    }
    return detail::toSql(type, v);
}

QStringList splitNames(const QString& s) {
    QStringList out;
    for (const QString& part : s.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        out << part.trimmed();
    }
    return out;
}

}  // namespace

Table::Table(QObject* parent) : QObject(parent) {}

Table::~Table() {
    stopPasses();
    if (m_db) {
        m_db->detach(this);
    }
    if (m_master) {
        m_master->m_details.removeAll(this);
    }
    for (Table* d : std::as_const(m_details)) {
        d->m_master = nullptr;
    }
}

Field* Table::declareField(const QString& name, FieldType type, int size) {
    m_declared = true;
    m_fields.push_back(
        std::make_unique<Field>(this, int(m_fields.size()), name, type, size, false));
    m_fields.back()->setRules(m_rules.value(name.toLower()));
    return m_fields.back().get();
}

Field* Table::declareCalcField(const QString& name, FieldType type) {
    m_hasCalc = true;
    m_fields.push_back(std::make_unique<Field>(this, int(m_fields.size()), name, type, 0, true));
    return m_fields.back().get();
}

void Table::setFieldRules(const QString& field, const FieldRules& rules) {
    m_rules.insert(field.toLower(), rules);
    if (Field* f = FindField(field)) {
        f->setRules(rules);
    }
}

void Table::setMasterSource(Table* master) {
    if (m_master) {
        m_master->m_details.removeAll(this);
    }
    m_master = master;
    if (m_master) {
        m_master->m_details.append(this);
    }
}

Database& Table::db() const {
    checkActive();
    return *m_db;
}

void Table::checkActive() const {
    if (m_state == DataSetState::Inactive) {
        throw Error(Error::Kind::ClosedDataset,
                    QStringLiteral("%1: Cannot perform this operation on a closed dataset")
                        .arg(m_tableName),
                    {m_tableName});
    }
}

bool Table::readOnly() const {
    return m_db && m_db->readOnly();
}

void Table::checkWritable() const {
    if (readOnly()) {
        throw StoreError(StoreError::ReadOnly, Error::Kind::ReadOnly,
                         QStringLiteral("The data cannot be changed: the data folder %1 is "
                                        "read-only.")
                             .arg(m_db->folder()),
                         {m_db->folder()});
    }
}

Field* Table::FindField(const QString& name) const {
    for (const auto& f : m_fields) {
        if (f->FieldName().compare(name, Qt::CaseInsensitive) == 0) {
            return f.get();
        }
    }
    return nullptr;
}

Field& Table::FieldByName(const QString& name) const {
    Field* f = FindField(name);
    if (!f) {
        throw Error(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, name));
    }
    return *f;
}

// ---- opening and closing -------------------------------------------------------------

void Table::Open() {
    if (Active()) {
        return;
    }
    const std::shared_ptr<Database> opened = Session::database(m_databaseName);
    Database& database = *opened;
    m_sqlName = Database::sqlName(m_tableName);
    if (!database.hasTable(m_sqlName)) {
        throw StoreError(StoreError::NotFound, Error::Kind::TableMissing,
                         QStringLiteral("Table %1 does not exist in the data folder %2.")
                             .arg(m_tableName, database.folder()),
                         {m_tableName, database.folder()});
    }
    auto& conn = database.connection();

    struct Stored {
        QString name;
        FieldType type;
        int size;
    };
    QList<Stored> stored;
    {
        Statement st(conn.handle(), QStringLiteral("PRAGMA table_info(%1)").arg(quoted(m_sqlName)));
        while (st.step()) {
            int size = 0;
            const FieldType t = detail::typeFromDeclared(st.text(2), &size);
            stored.append({st.text(1), t, size});
        }
    }
    auto findStored = [&](const QString& n) -> const Stored* {
        for (const Stored& s : stored) {
            if (s.name.compare(n, Qt::CaseInsensitive) == 0) {
                return &s;
            }
        }
        return nullptr;
    };

    QStringList columns;
    if (m_declared) {
        for (const auto& f : m_fields) {
            if (f->Calculated()) {
                continue;
            }
            const Stored* s = findStored(f->FieldName());
            if (!s) {
                throw Error(
                    QStringLiteral("%1: Field '%2' not found").arg(m_tableName, f->FieldName()));
            }
            if (detail::typeKind(s->type) != detail::typeKind(f->DataType())) {
                throw Error(
                    QStringLiteral("Type mismatch for field '%1', expecting: %2 actual: %3")
                        .arg(f->FieldName(), fieldTypeName(f->DataType()), fieldTypeName(s->type)));
            }
            // A declared width never exceeds what the stored field holds.
            if (f->DataType() == FieldType::String && s->size > 0 &&
                (f->Size() == 0 || f->Size() > s->size)) {
                f->setSize(s->size);
            }
            columns << s->name;
        }
    } else {
        m_fields.clear();
        for (const Stored& s : stored) {
            m_fields.push_back(
                std::make_unique<Field>(this, int(m_fields.size()), s.name, s.type, s.size, false));
            m_fields.back()->setRules(m_rules.value(s.name.toLower()));
            columns << s.name;
        }
    }
    m_columnOf.clear();
    int col = 1;
    for (const auto& f : m_fields) {
        m_columnOf.append(f->Calculated() ? -1 : col++);
    }

    m_keyFields.clear();
    {
        Statement st(conn.handle(), QStringLiteral("SELECT keyfields FROM _tables WHERE tbl = ?"));
        st.bind(1, m_sqlName);
        if (st.step()) {
            for (const QString& k : splitNames(st.text(0))) {
                Field* f = FindField(k);
                if (!f || f->Calculated()) {
                    throw Error(QStringLiteral("%1: Field '%2' not found").arg(m_tableName, k));
                }
                m_keyFields.append(f->Index());
            }
        }
    }

    m_rangeFields.clear();
    if (m_master) {
        for (const QString& n : splitNames(m_indexFieldNames)) {
            m_rangeFields.append(FieldByName(n).Index());
        }
    }

    m_db = opened;
    m_hot.fill(0, FieldCount());
    m_state = DataSetState::Browse;
    try {
        rebuildOrder();
        rebuildFilter();
    } catch (...) {
        m_state = DataSetState::Inactive;
        m_db = nullptr;
        throw;
    }
    m_db->attach(this);
    m_cur = emptyBuffer();
    rebuildRange();
    resetView();
    Q_EMIT activeChanged();
    notifyState();
}

void Table::Close() {
    if (!Active()) {
        return;
    }
    m_scan.reset();
    m_scanOnCur = false;
    stopPasses();
    m_db->detach(this);
    m_db = nullptr;
    m_state = DataSetState::Inactive;
    m_hasRow = false;
    m_modified = false;
    m_originValid = false;
    m_detailsPosted = false;
    m_count = -1;
    dropIndex();
    m_rowCache.clear();
    m_cur = Buffer();
    m_active = &m_cur;
    Q_EMIT activeChanged();
    notifyState();
    notifyDataSet();
    for (Table* d : std::as_const(m_details)) {
        d->masterChanged();
    }
}

// ---- row buffers ------------------------------------------------------------------------

Table::Buffer Table::emptyBuffer() const {
    Buffer b;
    b.values.resize(FieldCount());
    b.loaded.fill(1, FieldCount());
    return b;
}

QString Table::selectColumns() const {
    QString s = QStringLiteral("SELECT rowid");
    for (const auto& f : m_fields) {
        if (!f->Calculated()) {
            s += QLatin1Char(',') + quoted(f->FieldName());
        }
    }
    return s + QStringLiteral(" FROM ") + quoted(m_sqlName);
}

QString Table::scanColumns() {
    QString s = QStringLiteral("SELECT rowid");
    m_scanCol.fill(-1, FieldCount());
    int col = 1;
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_hot[i] && !m_fields[i]->Calculated()) {
            s += QLatin1Char(',') + quoted(m_fields[i]->FieldName());
            m_scanCol[i] = col++;
        }
    }
    return s + QStringLiteral(" FROM ") + quoted(m_sqlName);
}

void Table::loadRow(Buffer& b, qint64 rowid) {
    Statement& st = db().connection().cached(selectColumns() + QStringLiteral(" WHERE rowid = ?"));
    st.bind(1, rowid);
    if (!st.step()) {
        st.reset();
        throw StoreError(StoreError::NotFound, Error::Kind::RecordNotFound,
                         QStringLiteral("%1: Record not found.").arg(m_tableName), {m_tableName});
    }
    b.rowid = rowid;
    b.values.resize(FieldCount());
    b.loaded.fill(1, FieldCount());
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_columnOf[i] >= 0) {
            b.values[i] = detail::fromColumn(m_fields[i]->DataType(), st, m_columnOf[i]);
        } else {
            b.values[i] = QVariant();
        }
    }
    b.calcDone = false;
    st.reset();
}

void Table::ensureLoaded(Buffer& b, int field) {
    if (b.loaded[field]) {
        return;
    }
    if (&b == &m_cur && m_scanOnCur && m_scan) {
        if (m_scanCol[field] < 0) {
            // Read from here on: scan again from this row with the column taken in.
            m_hot[field] = 1;
            if (!openScan(m_scanDesc, &m_cur, true)) {
                loadRow(b, b.rowid);
                return;
            }
        }
        b.values[field] =
            detail::fromColumn(m_fields[field]->DataType(), *m_scan, m_scanCol[field]);
        b.loaded[field] = 1;
        return;
    }
    loadRow(b, b.rowid);
}

void Table::runCalc(Buffer& b) {
    b.calcDone = true;
    for (int i = 0; i < FieldCount(); ++i) {
        if (m_fields[i]->Calculated()) {
            b.values[i] = QVariant();
        }
    }
    if (!OnCalcFields) {
        return;
    }
    Buffer* previous = m_active;
    const DataSetState previousState = m_state;
    m_active = &b;
    m_state = DataSetState::CalcFields;
    try {
        OnCalcFields(*this);
    } catch (...) {
        m_active = previous;
        m_state = previousState;
        throw;
    }
    m_active = previous;
    m_state = previousState;
}

QVariant Table::readValue(int field) {
    if (!Active()) {
        return {};
    }
    Buffer& b = *m_active;
    if (&b == &m_cur && !m_hasRow && m_state == DataSetState::Browse) {
        return {};
    }
    if (m_fields[field]->Calculated()) {
        if (!b.calcDone) {
            runCalc(b);
        }
        return b.values[field];
    }
    ensureLoaded(b, field);
    return b.values[field];
}

void Table::writeValue(int field, const QVariant& v) {
    Field& f = *m_fields[field];
    if (f.Calculated()) {
        if (m_state != DataSetState::CalcFields) {
            throw Error(QStringLiteral("Field '%1' cannot be modified").arg(f.FieldName()));
        }
    } else if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        throw Error(Error::Kind::NotEditing,
                    QStringLiteral("%1: Dataset not in edit or insert mode").arg(m_tableName),
                    {m_tableName});
    }
    const QVariant value = detail::coerce(f.DataType(), f.FieldName(), v);
    // Refused whole, never cut to fit: the user must see what is kept.
    f.check(value);
    Buffer& b = *m_active;
    b.values[field] = value;
    b.loaded[field] = 1;
    if (f.Calculated()) {
        return;
    }
    m_modified = true;
    notifyField(&f);
    if (m_hasCalc) {
        runCalc(m_cur);
        for (const auto& c : m_fields) {
            if (c->Calculated()) {
                notifyField(c.get());
            }
        }
    }
}

// ---- details that belong to their master row ------------------------------------------------

// The value a detail links to: while the row is being edited or is new, the one it had when
// that began, so the details stay with the row until it is posted.
QVariant Table::linkValue(const Field& f) const {
    if (m_originValid && (m_state == DataSetState::Edit || m_state == DataSetState::Insert)) {
        return m_origin.values.value(f.Index());
    }
    return f.Value();
}

bool Table::followsOrigin(const Table& detail) const {
    return detail.m_cascadeUpdates && m_originValid &&
           (m_state == DataSetState::Edit || m_state == DataSetState::Insert);
}

// The rows of a detail that belong to a row of this table. Written from the names alone, so it
// holds whether the detail is open or not.
QString Table::detailCondition(const Table& detail, const Buffer& row, QVariantList& params) {
    const QStringList mine = splitNames(detail.m_masterFieldNames);
    const QStringList theirs = splitNames(detail.m_indexFieldNames);
    QStringList conds;
    for (int i = 0; i < mine.size() && i < theirs.size(); ++i) {
        const Field& f = FieldByName(mine.at(i));
        conds << detail::keyExpr(f.DataType(), theirs.at(i)) + QStringLiteral(" = ?");
        params << keySql(f.DataType(), row.values.value(f.Index()));
    }
    return conds.join(QStringLiteral(" AND "));
}

void Table::cascadeUpdates() {
    // A new row can only have detail rows that were posted while it was new.
    if (!m_originValid || (m_state == DataSetState::Insert && !m_detailsPosted)) {
        return;
    }
    auto& conn = db().connection();
    for (Table* d : std::as_const(m_details)) {
        if (!d->m_cascadeUpdates) {
            continue;
        }
        const QStringList mine = splitNames(d->m_masterFieldNames);
        const QStringList theirs = splitNames(d->m_indexFieldNames);
        QStringList sets;
        QVariantList values;
        bool changed = false;
        for (int i = 0; i < mine.size() && i < theirs.size(); ++i) {
            const Field& f = FieldByName(mine.at(i));
            const QVariant now = m_cur.values.value(f.Index());
            changed = changed || keySql(f.DataType(), now) !=
                                     keySql(f.DataType(), m_origin.values.value(f.Index()));
            if (const Field* own = d->FindField(theirs.at(i))) {
                own->check(detail::coerce(own->DataType(), own->FieldName(), now));
            }
            sets << quoted(theirs.at(i)) + QStringLiteral(" = ?");
            values << detail::toSql(f.DataType(), now);
        }
        if (!changed) {
            continue;
        }
        QVariantList params;
        const QString where = detailCondition(*d, m_origin, params);
        Statement st(conn.handle(), QStringLiteral("UPDATE %1 SET %2 WHERE %3")
                                        .arg(quoted(Database::sqlName(d->m_tableName)),
                                             sets.join(QLatin1Char(',')), where));
        st.bindAll(values + params);
        st.exec();
    }
}

void Table::cascadeDeletes(const Buffer& row) {
    auto& conn = db().connection();
    for (Table* d : std::as_const(m_details)) {
        if (!d->m_cascadeDeletes) {
            continue;
        }
        QVariantList params;
        const QString where = detailCondition(*d, row, params);
        Statement st(conn.handle(), QStringLiteral("DELETE FROM %1 WHERE %2")
                                        .arg(quoted(Database::sqlName(d->m_tableName)), where));
        st.bindAll(params);
        st.exec();
    }
}

// ---- the view: filter, master range, order -----------------------------------------------

void Table::rebuildFilter() {
    if (!m_filtered || m_filterText.trimmed().isEmpty()) {
        m_filter = FilterSql();
        return;
    }
    QList<FilterField> fields;
    for (const auto& f : m_fields) {
        if (!f->Calculated()) {
            fields.append({f->FieldName(), f->DataType(), quoted(f->FieldName())});
        }
    }
    m_filter = parseFilter(m_filterText, fields);
}

void Table::rebuildRange() {
    m_rangeSql.clear();
    m_rangeParams.clear();
    if (!m_master || m_rangeFields.isEmpty()) {
        return;
    }
    // No master row, no detail rows: nothing is anyone's.
    if (!m_master->Active() || (!m_master->m_hasRow && m_master->m_state == DataSetState::Browse)) {
        m_rangeSql = QStringLiteral("0");
        return;
    }
    const QStringList masterNames = splitNames(m_masterFieldNames);
    QStringList conds;
    for (int i = 0; i < m_rangeFields.size(); ++i) {
        const Field& own = *m_fields[m_rangeFields[i]];
        const Field& theirs = m_master->FieldByName(masterNames.value(i));
        conds << detail::keyExpr(own.DataType(), own.FieldName()) + QStringLiteral(" = ?");
        m_rangeParams << keySql(own.DataType(), detail::coerce(own.DataType(), own.FieldName(),
                                                               m_master->linkValue(theirs)));
    }
    m_rangeSql = conds.join(QStringLiteral(" AND "));
}

QString Table::whereSql(QVariantList& params, const QString& extra) const {
    QStringList conds;
    if (!m_filter.condition.isEmpty()) {
        conds << m_filter.condition;
        params << m_filter.params;
    }
    if (!m_rangeSql.isEmpty()) {
        conds << m_rangeSql;
        params << m_rangeParams;
    }
    if (!extra.isEmpty()) {
        conds << extra;
    }
    return conds.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + conds.join(QStringLiteral(" AND "));
}

// (key, rowid) beyond the given values, written so that SQLite seeks its key index to the
// start of the range instead of testing every row: k >= v AND (k > v OR <rest>). Text keys
// compare in their Danish order, which no index holds; their lists are short.
QString Table::seekSql(bool desc, bool inclusive, const QVariantList& keys,
                       QVariantList& params) const {
    auto wide = [](bool down) { return down ? QStringLiteral("<=") : QStringLiteral(">="); };
    auto strict = [](bool down) { return down ? QStringLiteral("<") : QStringLiteral(">"); };
    QString sql = QStringLiteral("rowid %1 ?").arg(inclusive ? wide(desc) : strict(desc));
    for (int i = int(m_order.size()) - 1; i >= 0; --i) {
        const Field& f = *m_fields[m_order[i].field];
        const QString k = detail::orderExpr(f.DataType(), f.FieldName());
        // A descending field is sought the other way round.
        const bool down = desc != m_order[i].descending;
        sql = QStringLiteral("(%1 %2 ? AND (%1 %3 ? OR %4))").arg(k, wide(down), strict(down), sql);
    }
    for (int i = 0; i < m_order.size(); ++i) {
        params << keys.at(i) << keys.at(i);
    }
    params << keys.last();
    return sql;
}

QString Table::orderSql(bool desc) const {
    QStringList parts;
    for (const OrderField& o : m_order) {
        const Field& f = *m_fields[o.field];
        parts << detail::orderExpr(f.DataType(), f.FieldName()) +
                     (desc != o.descending ? QStringLiteral(" DESC") : QString());
    }
    parts << QStringLiteral("rowid") + (desc ? QStringLiteral(" DESC") : QString());
    return QStringLiteral(" ORDER BY ") + parts.join(QLatin1Char(','));
}

QVariantList Table::keyValues(const Buffer& b) const {
    QVariantList out;
    for (const OrderField& o : m_order) {
        out << keySql(m_fields[o.field]->DataType(), b.values[o.field]);
    }
    out << b.rowid;
    return out;
}

// The sort order's fields, then the key's: ties keep their key order. Scans read the order
// fields, so seeking from a row needs nothing read again.
void Table::rebuildOrder() {
    QVector<OrderField> order;
    for (const SortField& s : std::as_const(m_sortOrder)) {
        const Field& f = FieldByName(s.field);
        if (f.Calculated()) {
            throw Error(
                QStringLiteral("%1: Field '%2' cannot be sorted by").arg(m_tableName, s.field));
        }
        order.append({f.Index(), s.descending});
    }
    for (int k : m_keyFields) {
        const bool sorted = std::any_of(order.cbegin(), order.cend(),
                                        [k](const OrderField& o) { return o.field == k; });
        if (!sorted) {
            order.append({k, false});
        }
    }
    m_order = order;
    for (const OrderField& o : std::as_const(m_order)) {
        m_hot[o.field] = 1;
    }
}

void Table::loadOrderFields(Buffer& b) {
    for (const OrderField& o : std::as_const(m_order)) {
        ensureLoaded(b, o.field);
    }
}

void Table::setSortOrder(const QList<SortField>& fields) {
    if (fields == m_sortOrder) {
        return;
    }
    if (!Active()) {
        m_sortOrder = fields;
        return;
    }
    stopPasses();  // they read in the old order
    const QList<SortField> old = m_sortOrder;
    m_sortOrder = fields;
    try {
        rebuildOrder();
    } catch (...) {
        m_sortOrder = old;
        rebuildOrder();
        throw;
    }
    m_index.clear();
    m_indexValid = false;
    m_rowCache.clear();
    m_pos = -1;
    m_insertPos = -1;
    if (m_state == DataSetState::Browse) {
        // The row the user was on stays current, wherever the new order puts it.
        if (m_hasRow) {
            releaseScan();
            positionAfterChange(m_cur);
        } else {
            First();
        }
    } else {
        // What is being typed stays in the buffer; the next move seeks in the new order.
        releaseScan();
    }
    notifyDataSet();
    notifyScroll();
}

void Table::resetView() {
    stopPasses();
    m_count = -1;
    dropIndex();
    m_rowCache.clear();
    if (!openScan(false, nullptr, false)) {
        setNoRow();
    } else {
        m_pos = 0;
        m_bof = true;
        m_eof = false;
    }
    notifyDataSet();
    notifyScroll();
}

bool Table::openScan(bool desc, const Buffer* from, bool inclusive) {
    QVariantList params;
    QVariantList seekParams;
    QString extra;
    if (from) {
        // The order fields of a lazily read row must be in the buffer before it is replaced.
        loadOrderFields(const_cast<Buffer&>(*from));
        extra = seekSql(desc, inclusive, keyValues(*from), seekParams);
    }
    const QString sql = scanColumns() + whereSql(params, extra) + orderSql(desc);
    params << seekParams;
    m_scan.reset();
    m_scanOnCur = false;
    auto st = std::make_unique<Statement>(db().connection().handle(), sql);
    st->bindAll(params);
    if (!st->step()) {
        return false;
    }
    m_scan = std::move(st);
    m_scanDesc = desc;
    takeScanRow();
    return true;
}

void Table::takeScanRow() {
    if (m_cur.values.size() != FieldCount()) {
        m_cur = emptyBuffer();
    }
    m_cur.rowid = m_scan->int64(0);
    m_cur.loaded.fill(0);
    m_cur.calcDone = false;
    m_hasRow = true;
    m_scanOnCur = true;
}

bool Table::stepScan() {
    if (!m_scan) {
        return false;
    }
    // Load what is still unread: a step past the last row takes the row with it.
    m_scanOnCur = false;
    if (m_scan->step()) {
        takeScanRow();
        return true;
    }
    m_scan.reset();
    return false;
}

bool Table::seekFrom(const Buffer& from, bool forward, bool inclusive) {
    const Buffer anchor = from;
    return openScan(!forward, &anchor, inclusive);
}

void Table::setNoRow() {
    m_scan.reset();
    m_scanOnCur = false;
    m_hasRow = false;
    m_cur = emptyBuffer();
    m_eof = true;
    m_bof = true;
    m_pos = -1;
}

bool Table::passes(qint64 rowid) {
    QVariantList params;
    const QString sql = QStringLiteral("SELECT 1 FROM ") + quoted(m_sqlName) +
                        whereSql(params, QStringLiteral("rowid = ?"));
    params << rowid;
    Statement& st = db().connection().cached(sql);
    st.bindAll(params);
    const bool found = st.step();
    st.reset();
    return found;
}

void Table::releaseScan() {
    if (m_scan && m_scanOnCur) {
        // Keep what the current row showed; the rest is read again when asked for.
        for (int i = 0; i < FieldCount(); ++i) {
            if (!m_cur.loaded[i] && m_scanCol[i] >= 0) {
                ensureLoaded(m_cur, i);
            }
        }
    }
    m_scan.reset();
    m_scanOnCur = false;
    m_indexScan.reset();
    stopPasses();
}

void Table::positionAfterChange(const Buffer& at, bool justPosted) {
    m_pos = -1;
    m_eof = false;
    m_bof = false;
    const bool unconditional = m_filter.condition.isEmpty() && m_rangeSql.isEmpty();
    if (at.rowid != 0 && ((justPosted && unconditional) || passes(at.rowid))) {
        m_scan.reset();
        m_scanOnCur = false;
        if (justPosted) {
            // The buffer holds exactly what was written.
            m_cur = at;
            m_cur.calcDone = false;
        } else {
            loadRow(m_cur, at.rowid);
        }
        m_hasRow = true;
        return;
    }
    if (seekFrom(at, true, false)) {
        return;
    }
    if (seekFrom(at, false, false)) {
        m_eof = true;
        return;
    }
    setNoRow();
}

void Table::ensureIndex() {
    ensureRows(std::numeric_limits<size_t>::max());
}

void Table::dropIndex() {
    m_indexScan.reset();
    m_index.clear();
    m_indexValid = false;
    m_indexComplete = false;
}

// Reads on until the first rows are known, or all of them.
void Table::ensureRows(size_t rows) {
    if (m_indexValid && (m_indexComplete || m_index.size() >= rows)) {
        return;
    }
    if (!m_indexValid) {
        m_index.clear();
        m_indexValid = true;
    }
    if (!m_indexScan) {
        QVariantList params;
        const QString sql = QStringLiteral("SELECT rowid FROM ") + quoted(m_sqlName) +
                            whereSql(params) + orderSql(false);
        auto st = std::make_unique<Statement>(db().connection().handle(), sql);
        st->bindAll(params);
        // Released before a write elsewhere in the database: the rows read stay valid.
        for (size_t skip = m_index.size(); skip > 0; --skip) {
            if (!st->step()) {
                break;
            }
        }
        m_indexScan = std::move(st);
    }
    while (m_index.size() < rows) {
        if (!m_indexScan->step()) {
            m_indexScan.reset();
            m_indexComplete = true;
            m_count = int(m_index.size());
            return;
        }
        m_index.push_back(m_indexScan->int64(0));
    }
}

std::shared_ptr<Table::Buffer> Table::cachedRow(int row) {
    // Read a block at once: grids ask for neighbouring rows.
    constexpr int Block = 64;
    const int first = std::max(0, row - Block / 4);
    ensureRows(size_t(first) + Block);
    if (row < 0 || row >= int(m_index.size())) {
        throw Error(QStringLiteral("%1: Row %2 is out of range").arg(m_tableName).arg(row));
    }
    const qint64 rowid = m_index[size_t(row)];
    if (rowid == m_cur.rowid && m_hasRow &&
        (m_state == DataSetState::Edit || m_state == DataSetState::Insert)) {
        return std::shared_ptr<Buffer>(std::shared_ptr<Buffer>(), &m_cur);
    }
    auto it = m_rowCache.find(rowid);
    if (it != m_rowCache.end()) {
        return *it;
    }
    // Rows held by an open scope stay alive through their shared pointer.
    if (m_rowCache.size() > 4096) {
        m_rowCache.clear();
    }
    QStringList marks;
    for (int i = 0; i < Block; ++i) {
        marks << QStringLiteral("?");
    }
    Statement& st = db().connection().cached(
        selectColumns() + QStringLiteral(" WHERE rowid IN (%1)").arg(marks.join(QLatin1Char(','))));
    for (int i = 0; i < Block; ++i) {
        const size_t r = size_t(first + i);
        st.bind(i + 1, r < m_index.size() ? QVariant(m_index[r]) : QVariant());
    }
    while (st.step()) {
        auto b = std::make_shared<Buffer>();
        b->rowid = st.int64(0);
        b->values.resize(FieldCount());
        b->loaded.fill(1, FieldCount());
        for (int i = 0; i < FieldCount(); ++i) {
            if (m_columnOf[i] >= 0) {
                b->values[i] = detail::fromColumn(m_fields[i]->DataType(), st, m_columnOf[i]);
            }
        }
        m_rowCache.insert(b->rowid, b);
    }
    st.reset();
    it = m_rowCache.find(rowid);
    if (it == m_rowCache.end()) {
        throw StoreError(StoreError::NotFound, Error::Kind::RecordNotFound,
                         QStringLiteral("%1: Record not found.").arg(m_tableName), {m_tableName});
    }
    return *it;
}

Table::RowScope::RowScope(Table& t, int row) : m_table(t), m_previous(t.m_active) {
    auto b = t.cachedRow(row);
    t.m_active = b.get();
    m_hold = std::move(b);
}

Table::RowScope::~RowScope() {
    m_table.m_active = static_cast<Buffer*>(m_previous);
}

// ---- navigation ----------------------------------------------------------------------

void Table::First() {
    checkActive();
    CheckBrowseMode();
    if (openScan(false, nullptr, false)) {
        m_pos = 0;
        m_bof = true;
        m_eof = false;
    } else {
        setNoRow();
    }
    notifyScroll();
}

void Table::Last() {
    checkActive();
    CheckBrowseMode();
    if (openScan(true, nullptr, false)) {
        m_pos = m_count >= 0 ? m_count - 1 : -1;
        m_bof = false;
        m_eof = true;
    } else {
        setNoRow();
    }
    notifyScroll();
}

void Table::Next() {
    checkActive();
    CheckBrowseMode();
    if (!m_hasRow) {
        m_eof = true;
        return;
    }
    const bool moved =
        (m_scan && m_scanOnCur && !m_scanDesc) ? stepScan() : seekFrom(m_cur, true, false);
    if (!moved) {
        m_eof = true;
        return;
    }
    if (m_pos >= 0) {
        ++m_pos;
    }
    m_bof = false;
    m_eof = false;
    notifyScroll();
}

void Table::Prior() {
    checkActive();
    CheckBrowseMode();
    if (!m_hasRow) {
        m_bof = true;
        return;
    }
    const bool moved =
        (m_scan && m_scanOnCur && m_scanDesc) ? stepScan() : seekFrom(m_cur, false, false);
    if (!moved) {
        m_bof = true;
        return;
    }
    if (m_pos > 0) {
        --m_pos;
    }
    m_bof = false;
    m_eof = false;
    notifyScroll();
}

void Table::MoveBy(int distance) {
    for (; distance > 0 && !m_eof; --distance) {
        Next();
    }
    for (; distance < 0 && !m_bof; ++distance) {
        Prior();
    }
}

void Table::MoveTo(int row) {
    checkActive();
    CheckBrowseMode();
    ensureRows(row < 0 ? 1 : size_t(row) + 1);
    if (m_index.empty()) {
        return;
    }
    row = std::clamp(row, 0, int(m_index.size()) - 1);
    m_scan.reset();
    m_scanOnCur = false;
    loadRow(m_cur, m_index[size_t(row)]);
    m_hasRow = true;
    m_pos = row;
    m_bof = row == 0;
    m_eof = false;
    notifyScroll();
}

bool Table::IsEmpty() {
    return !m_hasRow && m_state != DataSetState::Insert;
}

int Table::RecordCount() {
    checkActive();
    if (m_count < 0) {
        QVariantList params;
        const QString sql =
            QStringLiteral("SELECT count(*) FROM ") + quoted(m_sqlName) + whereSql(params);
        Statement& st = db().connection().cached(sql);
        st.bindAll(params);
        st.step();
        m_count = int(st.int64(0));
        st.reset();
    }
    return m_count;
}

int Table::RecNo() {
    checkActive();
    if (m_state == DataSetState::Insert) {
        return InsertPosition();
    }
    if (!m_hasRow) {
        return -1;
    }
    if (m_pos < 0) {
        const auto it =
            m_indexValid ? std::find(m_index.begin(), m_index.end(), m_cur.rowid) : m_index.end();
        if (it != m_index.end()) {
            m_pos = int(it - m_index.begin());
        } else if (m_indexValid && m_indexComplete) {
            m_pos = -1;
        } else {
            loadOrderFields(m_cur);
            m_pos = rowsBefore(m_cur);
        }
    }
    return m_pos;
}

// The rows of the view that come before a row in the view's order.
int Table::rowsBefore(const Buffer& b) {
    QVariantList params;
    QVariantList seekParams;
    const QString before = seekSql(true, false, keyValues(b), seekParams);
    const QString sql =
        QStringLiteral("SELECT count(*) FROM ") + quoted(m_sqlName) + whereSql(params, before);
    params << seekParams;
    Statement& st = db().connection().cached(sql);
    st.bindAll(params);
    st.step();
    const int n = int(st.int64(0));
    st.reset();
    return n;
}

// ---- editing -------------------------------------------------------------------------

void Table::setState(DataSetState s) {
    if (m_state != s) {
        m_state = s;
        notifyState();
    }
}

void Table::Insert() {
    doInsert(false);
}

void Table::Append() {
    doInsert(true);
}

void Table::doInsert(bool atEnd) {
    checkActive();
    checkWritable();
    if (BeforeInsert) {
        BeforeInsert(*this);
    }
    CheckBrowseMode();
    releaseScan();
    m_insertPos = -1;
    m_insertAtEnd = atEnd;
    m_saved = m_cur;
    m_savedHasRow = m_hasRow;
    if (m_hasRow) {
        loadOrderFields(m_saved);
    }
    m_cur = emptyBuffer();
    m_modified = false;
    m_originValid = false;
    m_detailsPosted = false;
    setState(DataSetState::Insert);
    const QStringList masterNames = splitNames(m_masterFieldNames);
    if (m_master && m_master->Active()) {
        for (int i = 0; i < m_rangeFields.size(); ++i) {
            Field& own = *m_fields[m_rangeFields[i]];
            own.setValue(m_master->linkValue(m_master->FieldByName(masterNames.value(i))));
        }
    }
    notifyDataSet();
    notifyScroll();
    if (AfterInsert) {
        try {
            AfterInsert(*this);
        } catch (...) {
            // A new row its rules could not complete (no number, say) is not left behind.
            Cancel();
            throw;
        }
    }
    // What the rules filled in is not a change of the user's: an untouched new row can
    // still be dropped.
    m_modified = false;
    if (!m_details.isEmpty()) {
        m_origin = m_cur;
        m_originValid = true;
        for (Table* d : std::as_const(m_details)) {
            if (followsOrigin(*d)) {
                d->masterChanged();
            }
        }
    }
}

// Worked out only when asked: counting rows on every insert would cost a pass over them.
int Table::InsertPosition() {
    if (m_state != DataSetState::Insert) {
        return -1;
    }
    if (m_insertPos < 0) {
        if (m_insertAtEnd) {
            m_insertPos = RecordCount();
        } else if (!m_savedHasRow) {
            m_insertPos = 0;
        } else {
            loadOrderFields(m_saved);
            m_insertPos = rowsBefore(m_saved);
        }
    }
    return m_insertPos;
}

void Table::Edit() {
    checkActive();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        return;
    }
    if (!m_hasRow) {
        Insert();
        return;
    }
    checkWritable();
    releaseScan();
    loadRow(m_cur, m_cur.rowid);
    m_modified = false;
    m_origin = m_cur;
    m_originValid = true;
    setState(DataSetState::Edit);
}

void Table::UpdateRecord() {
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        return;
    }
    const auto hooks = m_updateHooks;
    for (const auto& h : hooks) {
        h.second();
    }
}

int Table::addUpdateRecordHook(std::function<void()> hook) {
    m_updateHooks.append({m_nextHook, std::move(hook)});
    return m_nextHook++;
}

void Table::removeUpdateRecordHook(int id) {
    m_updateHooks.removeIf([id](const auto& h) { return h.first == id; });
}

void Table::detailsCheckBrowseMode() {
    for (Table* d : std::as_const(m_details)) {
        if (d->Active()) {
            d->CheckBrowseMode();
        }
    }
}

void Table::CheckBrowseMode() {
    if (!Active()) {
        return;
    }
    detailsCheckBrowseMode();
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        UpdateRecord();
        if (m_modified) {
            Post();
        } else {
            Cancel();
        }
    }
}

void Table::Post() {
    checkActive();
    UpdateRecord();
    if (m_state != DataSetState::Edit && m_state != DataSetState::Insert) {
        return;
    }
    detailsCheckBrowseMode();
    auto& conn = db().connection();
    m_db->aboutToWrite();
    Buffer posted = m_cur;
    try {
        QStringList names;
        QVariantList values;
        for (int i = 0; i < FieldCount(); ++i) {
            if (m_columnOf[i] >= 0) {
                names << quoted(m_fields[i]->FieldName());
                values << detail::toSql(m_fields[i]->DataType(), m_cur.values[i]);
            }
        }
        detail::Transaction tx(conn);
        if (m_state == DataSetState::Insert) {
            QStringList marks;
            for (int i = 0; i < names.size(); ++i) {
                marks << QStringLiteral("?");
            }
            Statement& st = conn.cached(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                            .arg(quoted(m_sqlName), names.join(QLatin1Char(',')),
                                                 marks.join(QLatin1Char(','))));
            st.bindAll(values);
            st.exec();
            posted.rowid = sqlite3_last_insert_rowid(conn.handle());
        } else {
            QStringList sets;
            for (const QString& n : names) {
                sets << n + QStringLiteral(" = ?");
            }
            Statement& st = conn.cached(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                            .arg(quoted(m_sqlName), sets.join(QLatin1Char(','))));
            values << m_cur.rowid;
            st.bindAll(values);
            st.exec();
        }
        cascadeUpdates();
        tx.commit();
    } catch (const StoreError& e) {
        if (OnPostError) {
            OnPostError(*this, e);
        }
        throw;
    }
    if (m_master && m_master->m_state == DataSetState::Insert) {
        // The new master row now has rows of its own: it is no longer an untouched one.
        m_master->m_modified = true;
        m_master->m_detailsPosted = true;
    }
    m_originValid = false;
    m_detailsPosted = false;
    m_modified = false;
    m_insertPos = -1;
    m_count = -1;
    dropIndex();
    m_rowCache.clear();
    m_state = DataSetState::Browse;
    positionAfterChange(posted, true);
    Q_EMIT this->posted();
    notifyState();
    notifyDataSet();
    notifyScroll();
}

void Table::Cancel() {
    checkActive();
    if (m_state == DataSetState::Insert && m_detailsPosted && m_originValid) {
        // The rows posted under a new row that is never stored would belong to nothing.
        db().aboutToWrite();
        detail::Transaction tx(db().connection());
        cascadeDeletes(m_origin);
        tx.commit();
    }
    m_originValid = false;
    m_detailsPosted = false;
    if (m_state == DataSetState::Insert) {
        m_state = DataSetState::Browse;
        m_modified = false;
        m_insertPos = -1;
        m_cur = emptyBuffer();
        if (m_savedHasRow) {
            positionAfterChange(m_saved);
        } else {
            setNoRow();
            if (openScan(false, nullptr, false)) {
                m_pos = 0;
                m_bof = true;
                m_eof = false;
            }
        }
        notifyState();
        notifyDataSet();
        notifyScroll();
    } else if (m_state == DataSetState::Edit) {
        m_state = DataSetState::Browse;
        m_modified = false;
        positionAfterChange(m_cur);
        notifyState();
        notifyDataSet();
        notifyScroll();
    }
}

void Table::Delete() {
    checkActive();
    if (m_state == DataSetState::Insert) {
        Cancel();
        return;
    }
    if (!m_hasRow) {
        throw Error(Error::Kind::EmptyDataset,
                    QStringLiteral("Cannot perform this operation on an empty dataset"),
                    {m_tableName});
    }
    checkWritable();
    detailsCheckBrowseMode();
    auto& conn = db().connection();
    m_db->aboutToWrite();
    loadOrderFields(m_cur);
    for (int i = 0; i < FieldCount(); ++i) {
        if (!m_fields[i]->Calculated()) {
            ensureLoaded(m_cur, i);
        }
    }
    const Buffer at = m_cur;
    {
        detail::Transaction tx(conn);
        Statement& st =
            conn.cached(QStringLiteral("DELETE FROM %1 WHERE rowid = ?").arg(quoted(m_sqlName)));
        st.bind(1, at.rowid);
        st.exec();
        // A row deleted while being edited takes the details of the values it was stored with.
        cascadeDeletes(m_state == DataSetState::Edit && m_originValid ? m_origin : at);
        tx.commit();
    }
    m_originValid = false;
    m_state = DataSetState::Browse;
    m_modified = false;
    m_count = -1;
    dropIndex();
    m_rowCache.clear();
    positionAfterChange(at);  // the row is gone: its neighbour by key becomes current
    notifyState();
    notifyDataSet();
    notifyScroll();
}

void Table::Refresh() {
    checkActive();
    CheckBrowseMode();
    stopPasses();
    m_count = -1;
    dropIndex();
    m_rowCache.clear();
    if (m_hasRow) {
        positionAfterChange(m_cur);
    } else {
        First();
    }
    notifyDataSet();
    notifyScroll();
}

// ---- filter, locate, bookmarks ----------------------------------------------------------

void Table::setFilter(const QString& text) {
    if (!Active() || !m_filtered) {
        m_filterText = text;
        return;
    }
    CheckBrowseMode();
    const QString old = m_filterText;
    m_filterText = text;
    try {
        rebuildFilter();
    } catch (...) {
        m_filterText = old;
        rebuildFilter();
        throw;
    }
    resetView();
}

void Table::setFiltered(bool on) {
    if (on == m_filtered) {
        return;
    }
    if (!Active()) {
        m_filtered = on;
        return;
    }
    CheckBrowseMode();
    m_filtered = on;
    try {
        rebuildFilter();
    } catch (...) {
        m_filtered = !on;
        rebuildFilter();
        throw;
    }
    resetView();
}

bool Table::Locate(const QString& fieldName, const QVariant& value) {
    checkActive();
    CheckBrowseMode();
    Field& f = FieldByName(fieldName);
    if (f.Calculated()) {
        throw Error(
            QStringLiteral("%1: Field '%2' cannot be searched").arg(m_tableName, fieldName));
    }
    const QVariant v = detail::coerce(f.DataType(), f.FieldName(), value);
    QVariantList params;
    QString cond;
    const bool textual = f.DataType() == FieldType::String || f.DataType() == FieldType::Memo;
    if (textual) {
        cond = QStringLiteral("ifnull(%1,'') = ?").arg(quoted(f.FieldName()));
    } else if (!v.isValid()) {
        cond = QStringLiteral("%1 IS NULL").arg(quoted(f.FieldName()));
    } else {
        cond = QStringLiteral("%1 = ?").arg(quoted(f.FieldName()));
    }
    const QString sql = QStringLiteral("SELECT rowid FROM ") + quoted(m_sqlName) +
                        whereSql(params, cond) + orderSql(false) + QStringLiteral(" LIMIT 1");
    if (textual) {
        params << (v.isValid() ? v.toString() : QString(QLatin1String("")));
    } else if (v.isValid()) {
        params << detail::toSql(f.DataType(), v);
    }
    Statement& st = db().connection().cached(sql);
    st.bindAll(params);
    if (!st.step()) {
        st.reset();
        return false;
    }
    const qint64 rowid = st.int64(0);
    st.reset();
    m_scan.reset();
    m_scanOnCur = false;
    loadRow(m_cur, rowid);
    m_hasRow = true;
    m_pos = -1;
    m_bof = false;
    m_eof = false;
    notifyScroll();
    return true;
}

std::unique_ptr<Table::Pass> Table::beginPass(const QVector<int>& fields) {
    checkActive();
    CheckBrowseMode();
    return std::unique_ptr<Pass>(new Pass(*this, fields));
}

void Table::stopPasses() {
    const QList<Pass*> passes = m_passes;
    for (Pass* p : passes) {
        p->stop();
    }
}

Table::Pass::Pass(Table& table, const QVector<int>& fields)
    : m_table(&table), m_row(std::make_unique<Buffer>(table.emptyBuffer())) {
    // A calculated field may read any stored one.
    bool all = false;
    for (int f : fields) {
        all = all || table.m_fields[f]->Calculated();
    }
    QString sql = QStringLiteral("SELECT rowid");
    m_columnOf.fill(-1, table.FieldCount());
    int col = 1;
    for (int i = 0; i < table.FieldCount(); ++i) {
        if ((all || fields.contains(i)) && !table.m_fields[i]->Calculated()) {
            sql += QLatin1Char(',') + quoted(table.m_fields[i]->FieldName());
            m_columnOf[i] = col++;
        }
    }
    QVariantList params;
    sql += QStringLiteral(" FROM ") + quoted(table.m_sqlName) + table.whereSql(params) +
           table.orderSql(false);
    // Not one of the connection's kept statements: it stays open between reads.
    m_statement = std::make_unique<Statement>(table.db().connection().handle(), sql);
    m_statement->bindAll(params);
    table.m_passes.append(this);
}

Table::Pass::~Pass() {
    stop();
}

void Table::Pass::stop() {
    if (m_table) {
        m_table->m_passes.removeAll(this);
        m_table = nullptr;
    }
    m_statement.reset();
}

bool Table::Pass::read(const std::function<bool(qint64)>& visit) {
    if (!m_table || m_atEnd) {
        return false;
    }
    Table& t = *m_table;
    Buffer& row = *m_row;
    struct Restore {
        Table& t;
        Buffer* previous;
        ~Restore() { t.m_active = previous; }
    } restore{t, t.m_active};
    t.m_active = &row;
    const int n = t.FieldCount();
    while (m_statement->step()) {
        row.rowid = m_statement->int64(0);
        row.calcDone = false;
        char* loaded = row.loaded.data();
        QVariant* values = row.values.data();
        for (int i = 0; i < n; ++i) {
            const int col = m_columnOf[i];
            loaded[i] = col >= 0;
            if (col >= 0) {
                values[i] = detail::fromColumn(t.m_fields[i]->DataType(), *m_statement, col);
            }
        }
        if (!visit(row.rowid)) {
            return true;
        }
        if (!m_table) {
            return false;  // the visit changed the rows shown
        }
    }
    m_atEnd = true;
    m_statement.reset();
    return false;
}

Bookmark Table::GetBookmark() const {
    return {m_cur.rowid, m_hasRow};
}

bool Table::BookmarkValid(const Bookmark& b) {
    return b.valid && Active() && passes(b.rowid);
}

void Table::GotoBookmark(const Bookmark& b) {
    checkActive();
    CheckBrowseMode();
    if (!b.valid) {
        return;
    }
    if (!passes(b.rowid)) {
        throw StoreError(StoreError::NotFound, Error::Kind::RecordNotFound,
                         QStringLiteral("%1: Record not found.").arg(m_tableName), {m_tableName});
    }
    m_scan.reset();
    m_scanOnCur = false;
    loadRow(m_cur, b.rowid);
    m_hasRow = true;
    m_pos = -1;
    m_bof = false;
    m_eof = false;
    notifyScroll();
}

// ---- notifications ---------------------------------------------------------------------

void Table::DisableControls() {
    ++m_disableCount;
}

void Table::EnableControls() {
    if (m_disableCount == 0 || --m_disableCount > 0) {
        return;
    }
    if (m_pendingDataSet) {
        m_pendingDataSet = false;
        m_pendingScroll = false;
        notifyDataSet();
        notifyScroll();
    } else if (m_pendingScroll) {
        m_pendingScroll = false;
        notifyScroll();
    }
}

void Table::notifyScroll() {
    if (m_disableCount > 0) {
        m_pendingScroll = true;
        return;
    }
    Q_EMIT recordChanged();
    for (Table* d : std::as_const(m_details)) {
        d->masterChanged();
    }
}

void Table::notifyDataSet() {
    if (m_disableCount > 0) {
        m_pendingDataSet = true;
        return;
    }
    Q_EMIT dataSetChanged();
}

void Table::notifyState() {
    Q_EMIT stateChanged();
}

void Table::notifyField(Field* f) {
    if (m_disableCount > 0) {
        m_pendingScroll = true;
    } else {
        Q_EMIT fieldChanged(f);
    }
    for (Table* d : std::as_const(m_details)) {
        if (splitNames(d->m_masterFieldNames).contains(f->FieldName(), Qt::CaseInsensitive) &&
            !followsOrigin(*d)) {
            d->masterChanged();
        }
    }
}

void Table::masterChanged() {
    if (!Active()) {
        return;
    }
    if (m_state == DataSetState::Edit || m_state == DataSetState::Insert) {
        CheckBrowseMode();
    }
    rebuildRange();
    resetView();
}

}  // namespace store
