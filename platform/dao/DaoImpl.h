#pragma once
// Inside of the database objects: the catalog kept beside the tables, the
// connection with its statement cache, and the cursor state of a recordset.

#include "Dao.h"
#include "DaoErrors.h"
#include "FileWatch.h"

#include <sqlite3.h>

#include <QHash>

#include <bitset>
#include <functional>
#include <limits>
#include <unordered_map>
#include <vector>

namespace dao {

// As many columns as a table may have.
inline constexpr int kMaxColumns = 255;

// Handles reach their inside through this.
struct Access {
    template <class H> static auto &impl(H &h) { return h.m_impl; }
    template <class H> static const auto &impl(const H &h) { return h.m_impl; }
    static auto &db(TableDefsCollection &c) { return c.m_db; }
    static const auto &db(const TableDefsCollection &c) { return c.m_db; }
    template <class H, class I> static H make(std::shared_ptr<I> p)
    {
        H h;
        h.m_impl = std::move(p);
        return h;
    }
};

[[noreturn]] void failNothing();

template <class P> inline P &need(P &p)
{
    if (!p)
        failNothing();
    return p;
}

QByteArray quoteName(const QString &name);
bool validName(const QString &name);
bool sameName(const QString &a, const QString &b);

struct ColumnMeta {
    QString name;
    int type = dbText;
    int size = 0;
    long attributes = 0;
    bool allowZeroLength = false;
    bool required = false;
    bool counter = false;
    bool memo() const { return type == dbMemo; }
    QByteArray sql; // quoted name
};

struct IndexMeta {
    QString name;
    bool primary = false, unique = false, required = false, ignoreNulls = false;
    std::vector<int> cols;
    bool rowidOrder = false; // the one field is the counter, which is the row id
    // Its first field is a text the file compares with the program's text
    // collation: -1 not known yet, 0 no, 1 yes.
    mutable int textFirst = -1;
};

// How rows are ordered for one index (or none): the ordering columns, the
// row id always last, and the text of the clauses built from them.
struct OrderDef {
    std::vector<QByteArray> exprs; // quoted columns, then "rowid"
    std::vector<int> ords;         // column ordinals, -1 for the row id
    std::bitset<kMaxColumns> cols; // the ordering columns
    QByteArray from;               // FROM ... [INDEXED BY ...]
    QByteArray orderAsc, orderDesc;
};

struct TableMeta {
    int id = 0;
    QString name;
    QByteArray sql;
    std::vector<ColumnMeta> cols;
    std::vector<IndexMeta> indexes;
    int counter = -1;
    // Built by finish().
    QByteArray selectList;      // rowid, then the columns other than Memo
    std::vector<int> selectOrds; // column of each selected value after the rowid
    std::vector<int> memoOrds;
    std::bitset<kMaxColumns> selectMask;
    QByteArray insertSql;
    std::vector<OrderDef> orders; // [0] = no index, [i+1] = indexes[i]
    // While a bulk fill writes the table: the transaction level at which its
    // indexes that allow duplicates were dropped, 0 when they are in place.
    int asideLevel = 0;

    void finish();
    int findColumn(const QString &name) const;
    int findIndex(const QString &name) const;
};

// What all connections of this program to one file share: the write count,
// which tells cursors that their rows may be stale, and the counters handed
// out at AddNew.
struct FileState {
    quint64 version = 1;
    QHash<int, qint64> nextCounter;
    // What our own writes left on the file (FileWatch.h).
    std::shared_ptr<filewatch::OwnWrites> own = std::make_shared<filewatch::OwnWrites>();
};

struct Row {
    qint64 rowid = 0;
    std::vector<QVariant> vals;   // storage form; Memo columns loaded on demand
    std::bitset<kMaxColumns> loaded; // per column, for Memo
};

// Rows read by one query, kept flat so that walking reuses the same memory:
// the row ids, and per row the selected (non-Memo) values in select order.
struct Batch {
    std::vector<qint64> ids;
    std::vector<QVariant> vals;
    size_t next = 0;
    // The last row is the one a walk's stream stands on: its values are
    // read from there (vals holds no more than room for them).
    bool lastLive = false;
    bool empty() const { return next >= ids.size(); }
    void clear()
    {
        ids.clear();
        vals.clear();
        next = 0;
        lastLive = false;
    }
};

struct WorkspaceImpl {
    QString name = QStringLiteral("#Default Workspace#");
    int level = 0;
    std::vector<std::weak_ptr<DatabaseImpl>> dbs;
};

struct DatabaseImpl : std::enable_shared_from_this<DatabaseImpl> {
    ~DatabaseImpl();
    sqlite3 *db = nullptr;
    int fd = -1; // the engine's descriptor of the main file (FileWatch.h)
    QString name;
    QString connect;
    bool readOnly = false;
    bool closed = false;
    int savepoints = 0; // workspace transaction levels opened on this connection
    std::shared_ptr<FileState> file;
    std::vector<std::shared_ptr<TableMeta>> tables;
    QHash<QByteArray, sqlite3_stmt *> stmts;
    std::vector<std::weak_ptr<RecordsetImpl>> recordsets;
    std::weak_ptr<WorkspaceImpl> ws;

    void checkOpen() const
    {
        if (closed)
            fail(ErrObjectClosed);
    }
    void checkWritable() const
    {
        checkOpen();
        if (readOnly)
            fail(ErrReadOnly);
    }
    sqlite3_stmt *prepare(const QByteArray &sql);
    void exec(const QByteArray &sql);
    [[noreturn]] void raise(int rc, const QString &arg = {}) const;
    std::shared_ptr<TableMeta> findTable(const QString &name) const;
    std::shared_ptr<TableMeta> findTableFresh(const QString &name);
    void touch() { ++file->version; }
    // Reads outside a transaction share one read transaction, taken by the
    // first of them: the file is locked and looked at once for a walk or a
    // listing, not once for every statement. It ends before any write of
    // this program (releaseStreams) and when the event loop gets control
    // back, so that no other program waits on it for long.
    bool readHeld = false;
    // Counts the held reads ended: rows read in one of them are known to be
    // all there are while the same one is held.
    quint64 readEpoch = 0;
    void holdRead()
    {
        if (!readHeld && savepoints == 0)
            beginHeldRead();
    }
    void beginHeldRead();
    void endHeldRead();
    // Bulk fills (Bulk.cpp): drops the table's indexes that allow duplicates
    // when it is empty and a transaction is open; builds them again.
    bool layAside(TableMeta &t);
    void restoreIndexes(TableMeta &t);
    // Before the transaction level `level` commits: every index laid aside
    // at that level or deeper is built again.
    void restoreIndexesFrom(int level);
    // After a rollback of `level`: the drops done there are undone.
    void forgetAsideFrom(int level);
    void closeNow();
    qint64 takeCounter(const TableMeta &t);
    // Inserts a new row of t: bind binds its values to the insert, renumber
    // gives its counter another number. Raises the engine's refusal.
    void insertRow(const TableMeta &t, const std::function<void(sqlite3_stmt *)> &bind,
                   const std::function<void(qint64)> &renumber);
};

QByteArray indexSqlName(const TableMeta &t, const IndexMeta &ix);
QByteArray createIndexSql(const TableMeta &t, const IndexMeta &ix);

// Gives up every running walk statement and ends every held read
// transaction (before a write, which another connection's read lock could
// hold off, and which must not fall into a read transaction of its own
// connection).
void releaseStreams();

// Maps an SQLite result code to our error number.
int errorFromSqlite(int rc);

// Resets a statement when the scope ends, so that no statement stays active
// between calls (an active statement would hold a lock on the file).
struct StmtScope {
    sqlite3_stmt *s;
    explicit StmtScope(sqlite3_stmt *st) : s(st) {}
    ~StmtScope() { sqlite3_reset(s); }
};

void bindValue(sqlite3_stmt *s, int i, const QVariant &v);
// A text bound as toStoredText gives it.
void bindText(sqlite3_stmt *s, int i, QStringView text);
QVariant columnValue(sqlite3_stmt *s, int i);
// The same for a column of the table, the stored form as columnValue gives
// it, read with fewer calls; fieldValue: as the table's field reads it.
QVariant storedValue(const ColumnMeta &c, sqlite3_stmt *s, int i);
// A text of UTF-8 bytes as a variant.
QVariant textVariant(const char *p, int n);
// The refusals of a value about to be written into a column, the same for
// an update and for a copied row: a Null where one is required, a text too
// long for its column, an empty text where none is allowed. length is in
// characters, as the column's size counts them.
void checkColumnValue(const TableMeta &t, const ColumnMeta &c, bool isNull, qsizetype length);

// Conversions between what the program hands over and what the file holds.
// toStorage returns false with the error number when the value does not fit.
bool toStorage(const ColumnMeta &c, const QVariant &v, QVariant &out, int &err);
QVariant fromStorage(const ColumnMeta &c, const QVariant &s);
// The same for a value read just now, taken over when it is already so.
QVariant fromStorage(const ColumnMeta &c, QVariant &&s);
QVariant fieldValue(const ColumnMeta &c, sqlite3_stmt *s, int i);

struct FieldImpl {
    // Definition.
    QString name;
    int type = dbText;
    int size = 0;
    long attributes = 0;
    bool attributesSet = false;
    bool allowZeroLength = false;
    bool required = false;
    int ordinal = -1;
    bool frozen = false; // part of an appended table: read-only
    bool appended = false;
    // A recordset field.
    std::shared_ptr<RecordsetImpl> rs;
    int col = -1;
};

struct IndexImpl {
    QString name;
    bool primary = false, unique = false, required = false, ignoreNulls = false;
    std::vector<std::shared_ptr<FieldImpl>> fields;
    bool frozen = false;
    bool appended = false;
};

struct TableDefImpl {
    QString name;
    std::vector<std::shared_ptr<FieldImpl>> fields;
    std::vector<std::shared_ptr<IndexImpl>> indexes;
    bool appended = false;
    std::weak_ptr<DatabaseImpl> db;
    std::shared_ptr<TableMeta> meta;
};

struct FieldsImpl {
    std::shared_ptr<TableDefImpl> td;
    std::shared_ptr<IndexImpl> idx;
    std::shared_ptr<RecordsetImpl> rs;
};

struct IndexesImpl {
    std::shared_ptr<TableDefImpl> td;
};

struct RecordsetImpl : std::enable_shared_from_this<RecordsetImpl> {
    std::shared_ptr<DatabaseImpl> db;
    std::shared_ptr<TableMeta> t;
    bool closed = false;
    bool readOnly = false;
    int index = -1; // into t->indexes; -1: none

    // Position.
    bool bof = true, eof = true;
    bool onRow = false;   // a current record
    bool deleted = false; // the current record was deleted
    bool noMatch = false;
    Row cur;
    quint64 curVersion = 0;
    std::vector<QVariant> pos; // ordering values of the position, row id last

    // Rows read ahead in the walking direction.
    Batch ahead;
    Batch scratch;
    int aheadDir = 0;
    quint64 aheadVersion = 0;
    int batch = 8;
    int crossBatch = 8;
    bool aheadCross = false;
    // The levels of the order (see scan) from aheadRest inwards hold no rows
    // beyond those of `ahead`: they were read whole, in the read transaction
    // of aheadEpoch. While it is held, a walk that has used them up goes on
    // further out without asking again. INT_MAX: not known.
    int aheadRest = std::numeric_limits<int>::max();
    quint64 aheadEpoch = 0;

    // Edit buffer.
    int editMode = dbEditNone;
    std::vector<QVariant> editVals;
    std::vector<char> dirty;
    qint64 newCounter = 0;

    long ordinal = -1; // 1-based position in the order, when known
    quint64 ordinalVersion = 0;
    mutable long count = -1;
    mutable quint64 countVersion = 0;

    std::unordered_map<quint64, sqlite3_stmt *> cache;

    // A long walk reads on from one statement of its own, left running
    // between moves instead of being asked again for each batch of rows. It
    // is given up at any write and when the event loop gets control back,
    // so that its read lock never outlives the walk.
    sqlite3_stmt *stream = nullptr;
    quint64 streamKey = 0;
    bool streaming = false;
    int streamIndex = -1;
    qint64 streamRow = 0;
    // A seek "=" on anything but one text key streams the rows of its key
    // alone (streamEq leading values held equal to streamFrom); when they
    // run out the walk goes on beyond that key. 0: the stream holds every
    // row beyond where it started.
    int streamEq = 0;
    std::vector<QVariant> streamFrom, beyond;
    // The statements of the streams this recordset has run, by segment:
    // seeks and walks on one recordset take turns without preparing again.
    struct StreamStmt {
        sqlite3_stmt *s = nullptr;
        std::bitset<kMaxColumns> cols;
        std::vector<int> pos;
    };
    std::unordered_map<quint64, StreamStmt> streams;
    // The stream selects the row id, the ordering columns and those the
    // program has read through this recordset (`wanted`); streamPos gives
    // each column's place in it, -1 when it is not there. A column the
    // stream lacks is read from the file on its own, and the stream is then
    // given up, so that the next one selects it too.
    std::bitset<kMaxColumns> wanted;
    std::bitset<kMaxColumns> streamCols;
    std::vector<int> streamPos;
    // Columns of the current row read from the stream, which stands on that
    // row: a walk decodes only the values it is asked for, when asked. They
    // are read into cur.vals before the stream is given up.
    std::bitset<kMaxColumns> live;
    // The last text of each ordering column read from the stream: a walk
    // along an index meets the same key row after row, and hands out the
    // one read before while the bytes stay the same.
    struct KeyText {
        QByteArray utf8;
        QString text;
        bool read = false;
    };
    std::vector<KeyText> keyTexts;
    QVariant liveValue(int col);
    // The current row's id, too, is read from the stream when needed.
    bool rowidLive = false;
    qint64 rowid() const { return rowidLive ? sqlite3_column_int64(stream, 0) : cur.rowid; }
    ~RecordsetImpl();
    void endStream();
    enum StreamStep { StreamNone, StreamMoved, StreamEnded };
    StreamStep stepStream(int dir, quint64 version);
    void enterStreamRow()
    {
        live = streamCols;
        cur.loaded = streamCols;
    }
    void forgetLive()
    {
        live.reset();
        if (rowidLive)
            streamRow = std::numeric_limits<qint64>::min(); // no row the stream stands on
        rowidLive = false;
    }
    void readLive(int col)
    {
        cur.vals[size_t(col)] = storedValue(t->cols[size_t(col)], stream, streamPos[size_t(col)]);
        live.reset(size_t(col));
    }
    void settleLive();
    // The given columns of the current row in cur.vals.
    void ensureLoaded(const std::bitset<kMaxColumns> &cols);
    sqlite3_stmt *prepareStream(sqlite3_stmt *segmentStmt, quint64 key);

    void check() const
    {
        if (closed)
            fail(ErrObjectClosed);
        db->checkOpen();
    }
    const OrderDef &order() const { return t->orders[size_t(index + 1)]; }
    QVariant value(int col);
    void setValue(int col, const QVariant &v);
    void moveTo(int dir, bool fromStart);
    void seek(const QString &op, const QVariantList &keys);
    bool seekFrom(const IndexMeta &ix, const QVariant &key);
    void dropEdit();
    void clearAhead()
    {
        ahead.clear();
        aheadDir = 0;
        aheadRest = std::numeric_limits<int>::max();
    }
    // The next read of a forward walk may start at this level of the order.
    int restStart(int dir) const;
    void takeFrom(Batch &b);
    void makeCurrent(Row &&r);
    void loadCurrent();
    void loadColumn(int col);
    long countRows() const;
    long currentOrdinal();
    Row readRow(sqlite3_stmt *s) const;
    bool fetchOne(qint64 rowid, Row &out);
    void positionFromRow();
    void addNew();
    void edit();
    void update();
    void remove();
    void setIndex(const QString &name);
    QByteArray bookmark() const;
    void setBookmark(const QByteArray &b);
    void invalidate();

    // Segments of an ordered scan: rows whose first `eq` ordering values
    // equal the given ones and whose next value lies beyond the given one.
    enum Range { RNone = 0, RGt, RLt, RNotNull, RIsNull, RGe };
    sqlite3_stmt *segment(int eq, Range range, int dir, unsigned nullMask, bool countOnly);
    int runSegment(int eq, Range range, int dir, const std::vector<QVariant> &vals, int limit,
                   Batch *out, long *countOut, bool asStream = false);
    // mayStream: the rows beyond the current key may come from a stream.
    // startLevel: the deepest level to ask (levels beyond it are known to
    // be empty); rest: set to the level from which inwards the rows read
    // are all there are, when they are.
    int scan(int dir, const std::vector<QVariant> *from, int limit, int crossLimit, Batch &out,
             bool *crossed, bool mayStream = false, int startLevel = std::numeric_limits<int>::max(),
             int *rest = nullptr);
};

} // namespace dao
