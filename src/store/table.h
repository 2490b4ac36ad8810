// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <vector>

#include "errors.h"
#include "field.h"
#include "filter.h"

namespace store {

namespace detail {
class Statement;
}
class Database;

enum class DataSetState { Inactive, Browse, Edit, Insert, CalcFields };

struct Bookmark {
    qint64 rowid = 0;
    bool valid = false;
};

// One field of a sort order.
struct SortField {
    QString field;
    bool descending = false;
    bool operator==(const SortField&) const = default;
};

// A cursor on one table of a data folder, with the states browse, edit and insert, a row
// filter, an optional master link and calculated fields. Rows come in key order, text keys
// in Danish order, unless a sort order is set.
class Table final : public QObject {
    Q_OBJECT
    struct Buffer;

public:
    explicit Table(QObject* parent = nullptr);
    ~Table() override;

    // Design-time properties; set while the table is closed.
    QString DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString& alias) { m_databaseName = alias; }
    QString TableName() const { return m_tableName; }
    void setTableName(const QString& name) { m_tableName = name; }
    // Declared fields: when any are declared, exactly these exist, checked against the
    // stored ones on opening.
    Field* declareField(const QString& name, FieldType type, int size = 0);
    Field* declareCalcField(const QString& name, FieldType type);
    void setMasterSource(Table* master);
    Table* MasterSource() const { return m_master; }
    void setMasterFields(const QString& fields) { m_masterFieldNames = fields; }
    void setIndexFieldNames(const QString& fields) { m_indexFieldNames = fields; }
    // The rows of a detail belong to their master row. With cascading updates, a master
    // row posted with other link values takes its detail rows along in the same
    // transaction; while it is being edited or is new, its details stay linked to the values
    // it had when the edit began. With cascading deletes, deleting the master row deletes its
    // detail rows in the same transaction, and a new master row that is dropped takes the
    // detail rows posted under it along.
    void setCascadeUpdates(bool on) { m_cascadeUpdates = on; }
    void setCascadeDeletes(bool on) { m_cascadeDeletes = on; }
    // What a field takes beyond its type and width; kept for the field across openings.
    void setFieldRules(const QString& field, const FieldRules& rules);

    // Rules attached by the data module. A failing before-insert rule refuses the insert; a
    // failing after-insert rule drops the new row again.
    std::function<void(Table&)> BeforeInsert;
    std::function<void(Table&)> AfterInsert;
    std::function<void(Table&)> OnCalcFields;
    // Called with the refusal; returning lets the error go on to the caller.
    std::function<void(Table&, const StoreError&)> OnPostError;

    void Open();
    void Close();
    bool Active() const { return m_state != DataSetState::Inactive; }
    DataSetState State() const { return m_state; }
    bool readOnly() const;
    // The database the open table reads; null while closed.
    Database* database() const { return m_db.get(); }

    int FieldCount() const { return int(m_fields.size()); }
    Field& Fields(int i) { return *m_fields.at(i); }
    Field* FindField(const QString& name) const;
    Field& FieldByName(const QString& name) const;

    void First();
    void Next();
    void Prior();
    void Last();
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty();
    int RecordCount();  // rows through filter and master range; an unposted new row not counted
    int RecNo();        // position of the current row from 0; -1 when there is none
    void MoveTo(int row);
    void MoveBy(int distance);

    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    void Refresh();
    bool Modified() const { return m_modified; }
    // Position at which the unposted new row is shown in a grid.
    int InsertPosition();

    QString Filter() const { return m_filterText; }
    void setFilter(const QString& text);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool on);

    bool Locate(const QString& fieldName, const QVariant& value);

    // A pass over the rows the table shows, in the order First and Next go, read a few rows
    // at a time without moving the cursor, so a long read can leave the window live in
    // between. While a row is visited the fields read it; the fields named come with the
    // pass, others are read when asked for. A pass stops for good when the rows shown
    // change or anything is written to the database; what it read until then stays true.
    class Pass {
    public:
        ~Pass();
        Pass(const Pass&) = delete;
        Pass& operator=(const Pass&) = delete;
        // Visits the next rows until visit returns false (true then) or none are left.
        bool read(const std::function<bool(qint64 rowid)>& visit);
        bool atEnd() const { return m_atEnd; }
        bool stopped() const { return !m_table; }

    private:
        friend class Table;
        Pass(Table& table, const QVector<int>& fields);
        void stop();

        Table* m_table;
        std::unique_ptr<detail::Statement> m_statement;
        QVector<int> m_columnOf;
        std::unique_ptr<Buffer> m_row;
        bool m_atEnd = false;
    };
    // A row being edited or inserted is posted or dropped first, as moving away does.
    std::unique_ptr<Pass> beginPass(const QVector<int>& fields);
    // The order rows come in: by these fields, texts in Danish order, dates by date, numbers
    // by value, empty values first; rows that tie keep their key order. No fields: the key
    // order. The current row stays current, and a row being edited or inserted stays so:
    // the order changes where the cursor goes next, not what it holds. Calculated fields
    // cannot be sorted by.
    void setSortOrder(const QList<SortField>& fields);
    QList<SortField> SortOrder() const { return m_sortOrder; }

    Bookmark GetBookmark() const;
    bool BookmarkValid(const Bookmark& b);
    void GotoBookmark(const Bookmark& b);
    void FreeBookmark(Bookmark& b) { b = Bookmark(); }

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // Data links hand over text typed but not yet in the row; run before every post.
    int addUpdateRecordHook(std::function<void()> hook);
    void removeUpdateRecordHook(int id);
    void UpdateRecord();
    // Posts a changed row and drops an unchanged one, as moving away from it does.
    void CheckBrowseMode();

    // Makes the row at a position the one fields read from, for as long as the scope
    // lives; the cursor does not move. For grids.
    class RowScope {
    public:
        RowScope(Table& t, int row);
        ~RowScope();
        RowScope(const RowScope&) = delete;
        RowScope& operator=(const RowScope&) = delete;

    private:
        Table& m_table;
        void* m_previous;
        std::shared_ptr<void> m_hold;
    };

    // Called by the database before anything is written to it.
    void releaseScan();

Q_SIGNALS:
    void activeChanged();
    void stateChanged();
    void recordChanged();  // the cursor moved or the current row was read again
    void fieldChanged(store::Field* field);
    void dataSetChanged();  // the rows seen changed: open, filter, post, delete, master move
    void posted();          // the current row was written

private:
    friend class Field;
    struct Buffer {
        qint64 rowid = 0;
        QVector<QVariant> values;
        QVector<char> loaded;
        bool calcDone = false;
    };

    QVariant readValue(int field);
    void writeValue(int field, const QVariant& v);
    void ensureLoaded(Buffer& b, int field);
    void loadRow(Buffer& b, qint64 rowid);
    Buffer emptyBuffer() const;
    void runCalc(Buffer& b);

    QString selectColumns() const;
    QString scanColumns();
    QString seekSql(bool desc, bool inclusive, const QVariantList& keys,
                    QVariantList& params) const;
    void doInsert(bool atEnd);
    QString whereSql(QVariantList& params, const QString& extra = QString()) const;
    QString orderSql(bool desc) const;
    QVariantList keyValues(const Buffer& b) const;
    void rebuildOrder();
    void loadOrderFields(Buffer& b);
    void rebuildFilter();
    void rebuildRange();
    void resetView();

    bool openScan(bool desc, const Buffer* from, bool inclusive);
    bool stepScan();
    void takeScanRow();
    bool seekFrom(const Buffer& from, bool forward, bool inclusive);
    void setNoRow();
    bool passes(qint64 rowid);
    void positionAfterChange(const Buffer& at, bool justPosted = false);
    void ensureIndex();
    void ensureRows(size_t rows);
    void dropIndex();
    int rowsBefore(const Buffer& b);
    std::shared_ptr<Buffer> cachedRow(int row);
    Database& db() const;

    void notifyScroll();
    void notifyDataSet();
    void notifyState();
    void notifyField(Field* f);
    void masterChanged();
    void detailsCheckBrowseMode();
    void checkWritable() const;
    QVariant linkValue(const Field& f) const;
    bool followsOrigin(const Table& detail) const;
    QString detailCondition(const Table& detail, const Buffer& row, QVariantList& params);
    void cascadeUpdates();
    void cascadeDeletes(const Buffer& row);
    void setState(DataSetState s);
    void checkActive() const;

    QString m_databaseName;
    QString m_tableName;
    QString m_sqlName;
    std::shared_ptr<Database> m_db;

    std::vector<std::unique_ptr<Field>> m_fields;
    bool m_declared = false;
    QVector<int> m_columnOf;  // field -> select column, -1 for calculated
    QVector<int> m_keyFields;
    // The fields rows are ordered and sought by: the sort order's, then the key's.
    struct OrderField {
        int field;
        bool descending;
    };
    QVector<OrderField> m_order;
    QList<SortField> m_sortOrder;
    bool m_hasCalc = false;

    Table* m_master = nullptr;
    QList<Table*> m_details;
    QString m_masterFieldNames;
    QString m_indexFieldNames;
    QVector<int> m_rangeFields;
    QVector<Field*> m_rangeMasterFields;
    bool m_cascadeUpdates = false;
    bool m_cascadeDeletes = false;
    QHash<QString, FieldRules> m_rules;  // by field name in lower case
    // The row as it was when its edit or insert began; details stay linked to it.
    Buffer m_origin;
    bool m_originValid = false;
    bool m_detailsPosted = false;  // detail rows were posted under this unposted new row

    DataSetState m_state = DataSetState::Inactive;
    Buffer m_cur;
    Buffer m_saved;  // the row that was current before an insert
    bool m_savedHasRow = false;
    Buffer* m_active = &m_cur;
    bool m_hasRow = false;
    bool m_eof = true;
    bool m_bof = true;
    bool m_modified = false;
    int m_pos = -1;
    int m_insertPos = -1;
    bool m_insertAtEnd = false;

    std::unique_ptr<detail::Statement> m_scan;
    bool m_scanOnCur = false;
    bool m_scanDesc = false;
    // Fields read so far: a scan steps over these columns only, and takes in a new one
    // when it is first asked for.
    QVector<char> m_hot;
    QVector<int> m_scanCol;

    QString m_filterText;
    bool m_filtered = false;
    FilterSql m_filter;
    QString m_rangeSql;
    QVariantList m_rangeParams;

    int m_count = -1;
    // The rowids of the rows shown, in their order, read only as far as someone looked:
    // a grid over many rows needs the count and its first screen, not every row.
    std::vector<qint64> m_index;
    bool m_indexValid = false;                       // m_index is the start of the rows shown
    bool m_indexComplete = false;                    // and holds all of them
    std::unique_ptr<detail::Statement> m_indexScan;  // reads on where m_index stops
    QHash<qint64, std::shared_ptr<Buffer>> m_rowCache;

    int m_disableCount = 0;
    bool m_pendingDataSet = false;
    bool m_pendingScroll = false;

    QList<Pass*> m_passes;
    void stopPasses();

    QList<std::pair<int, std::function<void()>>> m_updateHooks;
    int m_nextHook = 1;
};

}  // namespace store
