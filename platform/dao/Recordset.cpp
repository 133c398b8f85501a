// The table-type recordset. Its position is a keyset: the ordering values of
// the current (or last deleted) row and its row id, so that a move after a
// delete or after another cursor's write goes on from where it stood. Moves
// read a few rows ahead with one query; any write to the file makes those
// rows and the current row stale, and they are read again.

#include "Collation.h"
#include "DaoImpl.h"

#include "Error.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <cstring>

namespace dao {

namespace {

// The destructors of recordsets and bases reach these registries, and a
// base kept in a static is destroyed by the exit handlers, after any static
// of this file: they are never destroyed.
std::vector<RecordsetImpl *> &liveStreams()
{
    static auto *v = new std::vector<RecordsetImpl *>;
    return *v;
}

std::vector<DatabaseImpl *> &heldReads()
{
    static auto *v = new std::vector<DatabaseImpl *>;
    return *v;
}

bool g_releaseQueued = false;

// Streams and held reads end when the event loop next gets control.
void queueRelease()
{
    if (g_releaseQueued || !QCoreApplication::instance())
        return;
    g_releaseQueued = true;
    QTimer::singleShot(0, [] {
        g_releaseQueued = false;
        releaseStreams();
    });
}

} // namespace

void releaseStreams()
{
    std::vector<RecordsetImpl *> running;
    running.swap(liveStreams());
    for (RecordsetImpl *r : running) {
        r->settleLive();
        sqlite3_reset(r->stream);
        r->streaming = false;
    }
    std::vector<DatabaseImpl *> held;
    held.swap(heldReads());
    for (DatabaseImpl *d : held)
        d->endHeldRead();
}

void DatabaseImpl::beginHeldRead()
{
    // Inside a transaction of the program's own the reads share it already.
    if (closed || !sqlite3_get_autocommit(db))
        return;
    sqlite3_stmt *s = prepare("BEGIN");
    StmtScope sc(s);
    if (sqlite3_step(s) != SQLITE_DONE)
        return; // the reads then go one by one, as they would anyway
    readHeld = true;
    heldReads().push_back(this);
    queueRelease();
}

void DatabaseImpl::endHeldRead()
{
    if (!readHeld)
        return;
    readHeld = false;
    ++readEpoch;
    auto &v = heldReads();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    if (!db || sqlite3_get_autocommit(db))
        return;
    // Nothing was written in it: ending it either way loses nothing.
    sqlite3_stmt *s = prepare("COMMIT");
    const int rc = sqlite3_step(s);
    sqlite3_reset(s);
    if (rc != SQLITE_DONE)
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
}

RecordsetImpl::~RecordsetImpl()
{
    forgetLive();
    endStream();
    for (auto &e : streams)
        sqlite3_finalize(e.second.s);
}

void RecordsetImpl::endStream()
{
    if (!streaming)
        return;
    settleLive();
    sqlite3_reset(stream);
    streaming = false;
    auto &v = liveStreams();
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
}

void RecordsetImpl::settleLive()
{
    if (rowidLive) {
        cur.rowid = streamRow = sqlite3_column_int64(stream, 0);
        rowidLive = false;
    }
    if (live.none())
        return;
    for (int c : t->selectOrds)
        if (live[size_t(c)])
            readLive(c);
}

void RecordsetImpl::ensureLoaded(const std::bitset<kMaxColumns> &cols)
{
    settleLive();
    if ((cur.loaded & cols) != cols)
        loadCurrent();
}

// The statement of a walk's stream: the segment's query with a select list
// of its own (see `wanted`). Kept while the columns and the segment stay.
sqlite3_stmt *RecordsetImpl::prepareStream(sqlite3_stmt *segmentStmt, quint64 key)
{
    const std::bitset<kMaxColumns> cols = (wanted | order().cols) & t->selectMask;
    if (stream && streamKey == key && streamCols == cols)
        return stream;
    endStream();
    stream = nullptr;
    StreamStmt &e = streams[key];
    if (!e.s || e.cols != cols) {
        sqlite3_finalize(e.s);
        e.s = nullptr;
        QByteArray list = "rowid";
        e.pos.assign(t->cols.size(), -1);
        int n = 0;
        for (int c : t->selectOrds) {
            if (!cols[size_t(c)])
                continue;
            list += ", " + t->cols[size_t(c)].sql;
            e.pos[size_t(c)] = ++n;
        }
        const QByteArray whole = sqlite3_sql(segmentStmt);
        const QByteArray head = "SELECT " + t->selectList;
        const QByteArray sql = "SELECT " + list + whole.mid(head.size());
        if (sqlite3_prepare_v2(db->db, sql.constData(), int(sql.size()), &e.s, nullptr) != SQLITE_OK) {
            sqlite3_finalize(e.s);
            streams.erase(key);
            db->raise(sqlite3_extended_errcode(db->db));
        }
        e.cols = cols;
    }
    stream = e.s;
    streamKey = key;
    streamCols = cols;
    streamPos = e.pos;
    return stream;
}

// The next row of a running walk, when the recordset still stands where the
// walk left it: StreamMoved. StreamEnded: the stream has run out and `ahead`
// holds what is left. StreamNone: the walk goes on the usual way.
RecordsetImpl::StreamStep RecordsetImpl::stepStream(int dir, quint64 version)
{
    if (!streaming)
        return StreamNone;
    if (aheadDir != dir || aheadVersion != version || !ahead.empty() || !onRow || deleted ||
        (!rowidLive && cur.rowid != streamRow) || streamIndex != index) {
        endStream();
        return StreamNone;
    }
    const int rc = sqlite3_step(stream);
    if (rc == SQLITE_ROW) {
        rowidLive = true;
        enterStreamRow();
        curVersion = version;
        bof = eof = false;
        return StreamMoved;
    }
    // Values never read are gone with the statement's row, the row id
    // among them: the walk cannot say where it stood and reports why.
    const int err = rc == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db->db);
    cur.loaded &= ~live;
    forgetLive();
    endStream();
    if (rc != SQLITE_DONE) {
        onRow = deleted = false;
        (dir > 0 ? eof : bof) = true;
        ordinal = -1;
        db->raise(err);
    }
    // The stream held every row beyond the one it started from: forward
    // none is left; backward, the rows whose first key is Null, which sort
    // before all others. A seek's stream held its key's rows: the walk goes
    // on beyond that key. Nothing needs the place of the last row.
    clearAhead();
    if (streamEq > 0) {
        // Taken out first: the stream started beyond the key takes its place.
        beyond.swap(streamFrom);
        streamEq = 0;
        scan(dir, &beyond, crossBatch, crossBatch, ahead, nullptr, true);
    } else if (dir < 0 && order().ords[0] >= 0) {
        runSegment(0, RIsNull, dir, pos, crossBatch, &ahead, nullptr);
    }
    aheadDir = dir;
    aheadVersion = version;
    aheadCross = true;
    return StreamEnded;
}

void RecordsetImpl::invalidate()
{
    forgetLive();
    endStream();
    for (auto &e : streams)
        sqlite3_finalize(e.second.s);
    streams.clear();
    stream = nullptr;
    closed = true;
    ahead.clear();
    cache.clear();
    editMode = dbEditNone;
    onRow = false;
}

void RecordsetImpl::dropEdit()
{
    editMode = dbEditNone;
    editVals.clear();
    dirty.clear();
}

Row RecordsetImpl::readRow(sqlite3_stmt *s) const
{
    Row r;
    r.rowid = sqlite3_column_int64(s, 0);
    const size_t n = t->cols.size();
    r.vals.resize(n);
    for (size_t j = 0; j < t->selectOrds.size(); ++j) {
        const int c = t->selectOrds[j];
        r.vals[size_t(c)] = columnValue(s, int(j) + 1);
        r.loaded.set(size_t(c));
    }
    return r;
}

void RecordsetImpl::takeFrom(Batch &b)
{
    const size_t nsel = t->selectOrds.size();
    const size_t i = b.next++;
    cur.rowid = b.ids[i];
    cur.vals.resize(t->cols.size());
    if (b.lastLive && b.next == b.ids.size()) {
        rowidLive = false;
        enterStreamRow();
    } else {
        QVariant *v = b.vals.data() + i * nsel;
        for (size_t j = 0; j < nsel; ++j)
            cur.vals[size_t(t->selectOrds[j])] = std::move(v[j]);
        for (int m : t->memoOrds)
            cur.vals[size_t(m)] = QVariant();
        cur.loaded = t->selectMask;
        forgetLive();
    }
    curVersion = db->file->version;
    onRow = true;
    deleted = false;
    bof = eof = false;
}

// The position is always that of the current row, or of the row last
// deleted, whose values stay in cur; it is worked out when a query needs it.
void RecordsetImpl::positionFromRow()
{
    const OrderDef &o = order();
    ensureLoaded(o.cols);
    pos.resize(o.ords.size());
    for (size_t i = 0; i < o.ords.size(); ++i)
        pos[i] = o.ords[i] < 0 ? QVariant(qlonglong(cur.rowid)) : cur.vals[size_t(o.ords[i])];
}

void RecordsetImpl::makeCurrent(Row &&r)
{
    cur = std::move(r);
    forgetLive();
    curVersion = db->file->version;
    onRow = true;
    deleted = false;
    bof = eof = false;
}

bool RecordsetImpl::fetchOne(qint64 rowid, Row &out)
{
    db->holdRead();
    sqlite3_stmt *s = db->prepare("SELECT " + t->selectList + " FROM " + t->sql + " WHERE rowid = ?");
    StmtScope sc(s);
    sqlite3_bind_int64(s, 1, rowid);
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW) {
        out = readRow(s);
        return true;
    }
    if (rc != SQLITE_DONE)
        db->raise(sqlite3_extended_errcode(db->db));
    return false;
}

void RecordsetImpl::loadCurrent()
{
    Row r;
    if (!fetchOne(rowid(), r)) {
        // Deleted through another cursor.
        onRow = false;
        deleted = true;
        fail(ErrRecordDeleted);
    }
    cur = std::move(r);
    forgetLive();
    curVersion = db->file->version;
}

void RecordsetImpl::loadColumn(int col)
{
    db->holdRead();
    sqlite3_stmt *s = db->prepare("SELECT " + t->cols[size_t(col)].sql + " FROM " + t->sql +
                                  " WHERE rowid = ?");
    StmtScope sc(s);
    sqlite3_bind_int64(s, 1, rowid());
    const int rc = sqlite3_step(s);
    if (rc == SQLITE_ROW)
        cur.vals[size_t(col)] = storedValue(t->cols[size_t(col)], s, 0);
    else if (rc == SQLITE_DONE)
        cur.vals[size_t(col)] = QVariant();
    else
        db->raise(sqlite3_extended_errcode(db->db));
    cur.loaded.set(size_t(col));
}

sqlite3_stmt *RecordsetImpl::segment(int eq, Range range, int dir, unsigned nullMask, bool countOnly)
{
    // A read through an index finds it in place, even amid a bulk fill.
    if (index >= 0 && t->asideLevel > 0)
        db->restoreIndexes(*t);
    const quint64 key = quint64(index + 1) | quint64(eq) << 10 | quint64(range) << 15 |
                        quint64(dir > 0) << 18 | quint64(countOnly) << 19 | quint64(nullMask) << 20;
    auto it = cache.find(key);
    if (it != cache.end())
        return it->second;
    const OrderDef &o = order();
    QByteArray sql = countOnly ? QByteArray("SELECT count(*)") : "SELECT " + t->selectList;
    sql += o.from;
    QByteArray where;
    auto add = [&](const QByteArray &cond) { where += (where.isEmpty() ? " WHERE " : " AND ") + cond; };
    for (int i = 0; i < eq; ++i)
        add(o.exprs[size_t(i)] + ((nullMask >> i) & 1 ? " IS NULL" : " = ?"));
    switch (range) {
    case RGt: add(o.exprs[size_t(eq)] + " > ?"); break;
    case RLt: add(o.exprs[size_t(eq)] + " < ?"); break;
    case RNotNull: add(o.exprs[size_t(eq)] + " IS NOT NULL"); break;
    case RIsNull: add(o.exprs[size_t(eq)] + " IS NULL"); break;
    case RGe: add(o.exprs[size_t(eq)] + " >= ?"); break;
    case RNone: break;
    }
    sql += where;
    if (!countOnly) {
        // The columns held equal are left out of the ORDER BY: they change
        // nothing there, and with them SQLite sorts instead of walking the
        // index.
        QByteArray orderBy;
        for (size_t i = size_t(eq); i < o.exprs.size(); ++i)
            orderBy += (orderBy.isEmpty() ? " ORDER BY " : ", ") + o.exprs[i] + (dir > 0 ? "" : " DESC");
        sql += orderBy + " LIMIT ?";
    }
    sqlite3_stmt *s = db->prepare(sql);
    cache.emplace(key, s);
    return s;
}

int RecordsetImpl::runSegment(int eq, Range range, int dir, const std::vector<QVariant> &vals,
                              int limit, Batch *out, long *countOut, bool asStream)
{
    unsigned mask = 0;
    for (int i = 0; i < eq; ++i)
        if (!vals[size_t(i)].isValid())
            mask |= 1u << i;
    sqlite3_stmt *s = segment(eq, range, dir, mask, countOut != nullptr);
    db->holdRead();
    if (asStream) {
        // The same query with a statement of its own, not limited, left
        // running after its first row.
        const quint64 key = quint64(index + 1) | quint64(eq) << 10 | quint64(range) << 15 |
                            quint64(dir > 0) << 18 | quint64(mask) << 20;
        s = prepareStream(s, key);
        endStream();
        limit = -1;
        streamEq = range == RNone ? eq : 0;
        if (streamEq > 0)
            streamFrom.assign(vals.begin(), vals.begin() + eq);
    }
    StmtScope sc(s);
    int p = 1;
    for (int i = 0; i < eq; ++i)
        if (vals[size_t(i)].isValid())
            bindValue(s, p++, vals[size_t(i)]);
    if (range == RGt || range == RLt || range == RGe)
        bindValue(s, p++, vals[size_t(eq)]);
    if (countOut) {
        if (sqlite3_step(s) != SQLITE_ROW)
            db->raise(sqlite3_extended_errcode(db->db));
        *countOut += long(sqlite3_column_int64(s, 0));
        return 0;
    }
    sqlite3_bind_int(s, p, limit);
    int n = 0, rc;
    const int nsel = int(t->selectOrds.size());
    const size_t expected = size_t(std::max(limit, 1));
    out->ids.reserve(out->ids.size() + expected);
    out->vals.reserve(out->vals.size() + expected * size_t(nsel));
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        out->ids.push_back(sqlite3_column_int64(s, 0));
        ++n;
        if (asStream) {
            out->vals.resize(out->vals.size() + size_t(nsel));
            out->lastLive = true;
            sc.s = nullptr; // left running
            streaming = true;
            streamIndex = index;
            streamRow = out->ids.back();
            liveStreams().push_back(this);
            queueRelease();
            return n;
        }
        for (int j = 0; j < nsel; ++j)
            out->vals.push_back(storedValue(t->cols[size_t(t->selectOrds[size_t(j)])], s, j + 1));
    }
    if (rc != SQLITE_DONE)
        db->raise(sqlite3_extended_errcode(db->db));
    return n;
}

// Rows strictly beyond the ordering values `from` (all of them, or a leading
// part) in direction dir. The levels are tried from the deepest (the rest of
// the current key) outwards and the first that yields rows ends the read:
// a walk over one key's rows, the program's usual loop, never reads the
// next key's rows beyond `crossLimit`. `crossed` tells whether the rows
// came from beyond the current key.
int RecordsetImpl::restStart(int dir) const
{
    constexpr int unknown = std::numeric_limits<int>::max();
    if (dir < 0 || aheadRest == unknown || aheadEpoch != db->readEpoch || !db->readHeld)
        return unknown;
    return aheadRest - 1;
}

int RecordsetImpl::scan(int dir, const std::vector<QVariant> *from, int limit, int crossLimit,
                        Batch &out, bool *crossed, bool mayStream, int startLevel, int *rest)
{
    const OrderDef &o = order();
    if (crossed)
        *crossed = false;
    if (!from)
        return runSegment(0, RNone, dir, {}, limit, &out, nullptr);
    const int m = int(from->size());
    // In a unique index a whole, non-Null key has no other row (after a
    // delete a new row may have taken the key, so the rest is read then).
    bool skipRowLevel = onRow && index >= 0 && t->indexes[size_t(index)].unique &&
                        m == int(o.exprs.size()) && m > 1;
    for (int l = 0; skipRowLevel && l < m - 1; ++l)
        skipRowLevel = (*from)[size_t(l)].isValid();
    bool first = true;
    for (int l = m - 1; l >= 0; --l) {
        if (l > startLevel) {
            first = false; // read whole before: as if asked, and empty
            continue;
        }
        if (l == m - 1 && skipRowLevel)
            continue;
        const int lim = first ? limit : crossLimit;
        const bool cross = !first;
        first = false;
        const bool known = (*from)[size_t(l)].isValid();
        int got = 0;
        // Beyond the first ordering value the rest of the order is one
        // query: a walk reads it on as a stream.
        const bool asStream = mayStream && l == 0;
        if (dir > 0) {
            got = runSegment(l, known ? RGt : RNotNull, dir, *from, lim, &out, nullptr, asStream);
        } else {
            if (known)
                got = runSegment(l, RLt, dir, *from, lim, &out, nullptr, asStream);
            if (known && got == 0 && o.ords[size_t(l)] >= 0)
                got = runSegment(l, RIsNull, dir, *from, lim, &out, nullptr);
        }
        if (got > 0) {
            if (crossed)
                *crossed = cross;
            // Fewer than asked: this level, and every one inside it, is
            // read whole.
            if (rest && dir > 0 && !asStream && got < lim)
                *rest = l;
            return got;
        }
    }
    return 0;
}

long RecordsetImpl::countRows() const
{
    if (count >= 0 && countVersion == db->file->version)
        return count;
    sqlite3_stmt *s = db->prepare("SELECT count(*) FROM " + t->sql);
    db->holdRead();
    StmtScope sc(s);
    if (sqlite3_step(s) != SQLITE_ROW)
        db->raise(sqlite3_extended_errcode(db->db));
    count = long(sqlite3_column_int64(s, 0));
    countVersion = db->file->version;
    return count;
}

long RecordsetImpl::currentOrdinal()
{
    if (ordinal >= 0 && ordinalVersion == db->file->version)
        return ordinal;
    long before = 0;
    const OrderDef &o = order();
    positionFromRow();
    for (int l = int(pos.size()) - 1; l >= 0; --l) {
        if (!pos[size_t(l)].isValid())
            continue;
        runSegment(l, RLt, -1, pos, 0, nullptr, &before);
        if (o.ords[size_t(l)] >= 0)
            runSegment(l, RIsNull, -1, pos, 0, nullptr, &before);
    }
    ordinal = before + (onRow ? 1 : 0);
    ordinalVersion = db->file->version;
    return ordinal;
}

void RecordsetImpl::moveTo(int dir, bool fromStart)
{
    check();
    if (editMode != dbEditNone)
        dropEdit();
    const quint64 version = db->file->version;
    if (!fromStart) {
        if ((dir > 0 && eof) || (dir < 0 && bof))
            fail(ErrNoCurrentRecord);
        // Before the first or after the last (a failed seek leaves EOF):
        // the move starts from that end.
        if (!onRow && !deleted)
            fromStart = true;
    }
    if (fromStart) {
        clearAhead();
        Batch &out = scratch;
        out.clear();
        scan(dir, nullptr, 1, 1, out, nullptr);
        if (out.empty()) {
            onRow = deleted = false;
            bof = eof = true;
            ordinal = -1;
            fail(ErrNoCurrentRecord);
        }
        takeFrom(out);
        ordinal = dir > 0 ? 1 : countRows();
        ordinalVersion = version;
        return;
    }
    const long ordinalBefore = ordinal >= 0 && ordinalVersion == version ? ordinal : -1;
    const StreamStep step = stepStream(dir, version);
    if (step == StreamMoved) {
        ordinal = ordinalBefore >= 0 ? ordinalBefore + dir : -1;
        ordinalVersion = version;
        return;
    }
    const bool fresh = aheadDir == dir && aheadVersion == version;
    if (step == StreamNone && (!fresh || ahead.empty())) {
        // Read-ahead grows while its rows get used and shrinks while writes
        // make it stale, separately within a key and across keys.
        int &size = aheadCross ? crossBatch : batch;
        if (aheadDir != dir)
            batch = crossBatch = 8;
        else if (!fresh && !ahead.empty())
            size = std::max(2, size / 2);
        else if (fresh)
            size = std::min(512, size * 4);
        const int start = fresh ? restStart(dir) : std::numeric_limits<int>::max();
        ahead.clear();
        aheadRest = std::numeric_limits<int>::max();
        if (start >= 0) {
            positionFromRow();
            // A walk that has gone on in this direction with no write between.
            scan(dir, &pos, batch, crossBatch, ahead, &aheadCross, fresh && size >= 32, start, &aheadRest);
            aheadEpoch = db->readEpoch;
        }
        aheadDir = dir;
        aheadVersion = version;
    }
    const bool knewOrdinal = ordinal >= 0 && ordinalVersion == version;
    if (ahead.empty()) {
        onRow = deleted = false;
        (dir > 0 ? eof : bof) = true;
        ordinal = -1;
        return;
    }
    const long o = knewOrdinal ? ordinal + dir : -1;
    takeFrom(ahead);
    ordinal = o;
    ordinalVersion = version;
}

void RecordsetImpl::seek(const QString &opText, const QVariantList &keys)
{
    check();
    dropEdit();
    if (index < 0)
        fail(ErrNoCurrentIndex);
    const IndexMeta &ix = t->indexes[size_t(index)];
    const QString op = opText.trimmed();
    int kind;
    if (op == u"=")
        kind = 0;
    else if (op == u">=")
        kind = 1;
    else if (op == u">")
        kind = 2;
    else if (op == u"<=")
        kind = 3;
    else if (op == u"<")
        kind = 4;
    else
        fail(ErrInvalidArgument);
    if (keys.isEmpty() || keys.size() > qsizetype(ix.cols.size()))
        fail(ErrInvalidArgument);
    std::vector<QVariant> k(size_t(keys.size()));
    for (qsizetype i = 0; i < keys.size(); ++i) {
        int err = 0;
        if (!toStorage(t->cols[size_t(ix.cols[size_t(i)])], keys[i], k[size_t(i)], err))
            fail(ErrCriteriaMismatch);
    }
    // The row left behind: what the stream held of it is not worth reading.
    if (rowidLive)
        cur.rowid = sqlite3_column_int64(stream, 0);
    cur.loaded &= ~live;
    forgetLive();
    clearAhead();
    ordinal = -1;
    Batch &out = scratch;
    out.clear();
    const int kc = int(k.size());
    // A seek "=" leaves its key's rows running as a stream, which a walk
    // usually goes on to read: one query for the key, however many rows.
    switch (kind) {
    case 0:
        if (kc != 1 || !seekFrom(ix, k[0]))
            runSegment(kc, RNone, +1, k, 1, &out, nullptr, true);
        break;
    case 1:
        if (!runSegment(kc, RNone, +1, k, 1, &out, nullptr))
            scan(+1, &k, 1, 1, out, nullptr);
        break;
    case 2: scan(+1, &k, 1, 1, out, nullptr); break;
    case 3:
        if (!runSegment(kc, RNone, -1, k, 1, &out, nullptr))
            scan(-1, &k, 1, 1, out, nullptr);
        break;
    default: scan(-1, &k, 1, 1, out, nullptr); break;
    }
    if (out.empty()) {
        noMatch = true;
        onRow = deleted = false;
        eof = true;
        bof = false;
        return;
    }
    noMatch = false;
    takeFrom(out);
    if (kind != 0)
        return;
    // The walk goes on along the stream.
    aheadDir = +1;
    aheadVersion = db->file->version;
    aheadCross = false;
    batch = crossBatch = 8;
}

// A seek "=" on a text key: the stream starts at the first row not below
// the key and runs on through the rest of the index, so that the walk
// beyond the key goes on in the same query and no row is compared with the
// key on the way. The first row is the key's when it compares equal, as
// the file compares it. False: the key is not of that kind.
bool RecordsetImpl::seekFrom(const IndexMeta &ix, const QVariant &key)
{
    if (ix.rowidOrder || key.typeId() != QMetaType::QString)
        return false;
    const int col = ix.cols[0];
    const ColumnMeta &c = t->cols[size_t(col)];
    if (c.type != dbText && c.type != dbMemo)
        return false;
    if (ix.textFirst < 0) {
        const char *coll = nullptr;
        const bool ok = sqlite3_table_column_metadata(db->db, "main", toStoredText(t->name).constData(),
                                                      toStoredText(c.name).constData(), nullptr, &coll, nullptr,
                                                      nullptr, nullptr) == SQLITE_OK;
        ix.textFirst = ok && coll && sqlite3_stricmp(coll, kTextCollation) == 0 ? 1 : 0;
    }
    if (ix.textFirst != 1)
        return false;
    Batch &out = scratch;
    std::vector<QVariant> from{key};
    if (runSegment(0, RGe, +1, from, 1, &out, nullptr, true) == 0)
        return true;
    const int at = streamPos[size_t(col)];
    // The same bytes as the key bound to the query.
    const QByteArray k = toStoredText(key.toString());
    const bool same = sqlite3_column_type(stream, at) == SQLITE_TEXT &&
                      compareTextUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stream, at)),
                                      sqlite3_column_bytes(stream, at), k.constData(), int(k.size())) == 0;
    if (!same) {
        endStream();
        out.clear();
    }
    return true;
}

QVariant RecordsetImpl::value(int col)
{
    check();
    const ColumnMeta &c = t->cols[size_t(col)];
    if (editMode == dbEditAdd || (editMode == dbEditInProgress && dirty[size_t(col)]))
        return fromStorage(c, editVals[size_t(col)]);
    if (!onRow)
        fail(deleted ? ErrRecordDeleted : ErrNoCurrentRecord);
    if (curVersion != db->file->version)
        loadCurrent();
    wanted[size_t(col)] = true;
    if (live[size_t(col)]) {
        // Read from the stream, which stands on the row, each time asked.
        return liveValue(col);
    }
    if (!cur.loaded[size_t(col)]) {
        loadColumn(col);
        // A stream without the column is given up: the next one has it.
        if (!c.memo())
            endStream();
    }
    return fromStorage(c, cur.vals[size_t(col)]);
}

QVariant RecordsetImpl::liveValue(int col)
{
    const ColumnMeta &c = t->cols[size_t(col)];
    const int i = streamPos[size_t(col)];
    if (c.type != dbText && c.type != dbMemo)
        return fieldValue(c, stream, i);
    // A text column holds texts or Nulls (a number stored there reads as
    // its text, as fieldValue gives it).
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(stream, i));
    if (!p)
        return QVariant();
    const int n = sqlite3_column_bytes(stream, i);
    if (!order().cols[size_t(col)])
        return textVariant(p, n);
    if (keyTexts.size() < t->cols.size())
        keyTexts.resize(t->cols.size());
    KeyText &k = keyTexts[size_t(col)];
    if (!k.read || k.utf8.size() != n || std::memcmp(k.utf8.constData(), p, size_t(n)) != 0) {
        k.utf8.resize(n);
        std::memcpy(k.utf8.data(), p, size_t(n));
        k.text = fromStoredText(QByteArrayView(p, n));
        k.read = true;
    }
    return QVariant(k.text);
}

void RecordsetImpl::setValue(int col, const QVariant &v)
{
    check();
    const ColumnMeta &c = t->cols[size_t(col)];
    if (editMode == dbEditNone)
        fail(ErrUpdateWithoutEdit);
    if (c.counter)
        fail(ErrCounterNotUpdatable, c.name);
    QVariant s;
    int err = 0;
    if (!toStorage(c, v, s, err))
        fail(err, c.name);
    editVals[size_t(col)] = std::move(s);
    dirty[size_t(col)] = 1;
}

void RecordsetImpl::addNew()
{
    check();
    if (readOnly)
        fail(ErrReadOnly);
    dropEdit();
    const size_t n = t->cols.size();
    editVals.assign(n, QVariant());
    dirty.assign(n, 0);
    if (t->counter >= 0) {
        newCounter = db->takeCounter(*t);
        editVals[size_t(t->counter)] = qlonglong(newCounter);
    }
    editMode = dbEditAdd;
}

void RecordsetImpl::edit()
{
    check();
    if (readOnly)
        fail(ErrReadOnly);
    if (!onRow)
        fail(deleted ? ErrRecordDeleted : ErrNoCurrentRecord);
    if (curVersion != db->file->version)
        loadCurrent();
    ensureLoaded(t->selectMask);
    dropEdit();
    editVals = cur.vals;
    dirty.assign(t->cols.size(), 0);
    editMode = dbEditInProgress;
}

void RecordsetImpl::update()
{
    check();
    releaseStreams();
    if (editMode == dbEditNone)
        fail(ErrUpdateWithoutEdit);
    // Whatever happens below, the edit buffer is gone afterwards: a failed
    // Update leaves the record as it was and nothing pending.
    struct Drop {
        RecordsetImpl *r;
        ~Drop() { r->dropEdit(); }
    } drop{this};
    if (readOnly)
        fail(ErrReadOnly);
    const bool adding = editMode == dbEditAdd;
    const size_t n = t->cols.size();
    for (size_t i = 0; i < n; ++i) {
        if (!adding && !dirty[i])
            continue;
        const ColumnMeta &c = t->cols[i];
        const QVariant &v = editVals[i];
        const bool textual = c.type == dbText || c.type == dbMemo;
        checkColumnValue(*t, c, !v.isValid(), v.isValid() && textual ? v.toString().size() : 0);
    }
    for (const IndexMeta &ix : t->indexes) {
        if (!(ix.primary || ix.required) || ix.rowidOrder)
            continue;
        bool touched = adding;
        for (int c : ix.cols)
            touched = touched || dirty[size_t(c)];
        if (!touched)
            continue;
        for (int c : ix.cols)
            if (!editVals[size_t(c)].isValid())
                fail(ErrNullInIndex, ix.name);
    }

    if (adding) {
        db->insertRow(
            *t,
            [&](sqlite3_stmt *s) {
                for (size_t i = 0; i < n; ++i)
                    bindValue(s, int(i) + 1, editVals[i]);
            },
            [&](qint64 counter) { editVals[size_t(t->counter)] = qlonglong(newCounter = counter); });
        db->touch();
        return; // the record current before AddNew stays current
    }

    QByteArray sql = "UPDATE " + t->sql + " SET ";
    std::vector<size_t> cols;
    for (size_t i = 0; i < n; ++i)
        if (dirty[i])
            cols.push_back(i);
    if (cols.empty()) {
        // Nothing changed; still a real write, so that a base that cannot be
        // written says so here.
        sql += "rowid = rowid";
    } else {
        for (size_t j = 0; j < cols.size(); ++j)
            sql += (j ? ", " : "") + t->cols[cols[j]].sql + " = ?";
    }
    sql += " WHERE rowid = ?";
    sqlite3_stmt *s = db->prepare(sql);
    {
        StmtScope sc(s);
        int p = 1;
        for (size_t c : cols)
            bindValue(s, p++, editVals[c]);
        sqlite3_bind_int64(s, p, rowid());
        if (sqlite3_step(s) != SQLITE_DONE)
            db->raise(sqlite3_extended_errcode(db->db), t->name);
    }
    if (sqlite3_changes(db->db) == 0) {
        onRow = false;
        deleted = true;
        fail(ErrRecordDeleted);
    }
    db->touch();
    for (size_t c : cols) {
        cur.vals[c] = editVals[c];
        cur.loaded.set(c);
    }
    curVersion = db->file->version;
}

void DatabaseImpl::insertRow(const TableMeta &t, const std::function<void(sqlite3_stmt *)> &bind,
                             const std::function<void(qint64)> &renumber)
{
    sqlite3_stmt *s = prepare(t.insertSql);
    auto insert = [&] {
        StmtScope sc(s);
        bind(s);
        const int rc = sqlite3_step(s) == SQLITE_DONE ? SQLITE_OK : sqlite3_extended_errcode(db);
        // A bound text may belong to another statement's row.
        sqlite3_clear_bindings(s);
        return rc;
    };
    int rc = insert();
    // The counter's number comes from this program's cache; another copy of
    // the program may have stored a row with it since, which the row id
    // refuses. A key of the user's that is already there is refused by its
    // index instead, and never tried again.
    if (rc == SQLITE_CONSTRAINT_PRIMARYKEY && t.counter >= 0) {
        // Under the write lock no other copy can store a row: the next free
        // number, read then, is still free at the insert. A transaction of
        // this program's own holds that lock since the refused insert;
        // otherwise it is taken here, waited for as any lock is.
        const bool own = sqlite3_get_autocommit(db) != 0;
        if (own && (rc = sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr)) != SQLITE_OK)
            raise(sqlite3_extended_errcode(db), t.name);
        struct Settle {
            sqlite3 *db;
            bool own;
            ~Settle()
            {
                if (own && !sqlite3_get_autocommit(db))
                    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
            }
        } settle{db, own};
        file->nextCounter.remove(t.id);
        renumber(takeCounter(t));
        rc = insert();
        if (rc == SQLITE_OK && own && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
            rc = sqlite3_extended_errcode(db);
    }
    if (rc != SQLITE_OK)
        raise(rc, t.name);
}

void RecordsetImpl::remove()
{
    check();
    releaseStreams();
    if (readOnly)
        fail(ErrReadOnly);
    if (!onRow)
        fail(deleted ? ErrRecordDeleted : ErrNoCurrentRecord);
    dropEdit();
    // The walk goes on from the deleted row's values, in whatever index.
    ensureLoaded(t->selectMask);
    sqlite3_stmt *s = db->prepare("DELETE FROM " + t->sql + " WHERE rowid = ?");
    {
        StmtScope sc(s);
        sqlite3_bind_int64(s, 1, rowid());
        if (sqlite3_step(s) != SQLITE_DONE)
            db->raise(sqlite3_extended_errcode(db->db), t->name);
    }
    const bool gone = sqlite3_changes(db->db) == 0;
    const bool knewOrdinal = ordinal >= 0 && ordinalVersion == db->file->version;
    db->touch();
    onRow = false;
    deleted = true;
    ordinal = knewOrdinal ? ordinal - 1 : -1;
    ordinalVersion = db->file->version;
    if (gone)
        fail(ErrRecordDeleted);
}

void RecordsetImpl::setIndex(const QString &name)
{
    check();
    int i = -1;
    if (!name.isEmpty()) {
        i = t->findIndex(name);
        if (i < 0)
            fail(ErrNotAnIndex, name);
    }
    if (i == index)
        return;
    dropEdit();
    if (onRow && curVersion != db->file->version) {
        try {
            loadCurrent();
        } catch (const vb::Error &) {
        }
    }
    index = i;
    clearAhead();
    ordinal = -1;
}

QByteArray RecordsetImpl::bookmark() const
{
    check();
    if (!onRow)
        fail(deleted ? ErrRecordDeleted : ErrNoCurrentRecord);
    QByteArray b(12, '\0');
    const qint32 id = t->id;
    const qint64 r = rowid();
    memcpy(b.data(), &id, 4);
    memcpy(b.data() + 4, &r, 8);
    return b;
}

void RecordsetImpl::setBookmark(const QByteArray &b)
{
    check();
    dropEdit();
    qint32 id = 0;
    qint64 r = 0;
    if (b.size() != 12)
        fail(ErrBadBookmark);
    memcpy(&id, b.constData(), 4);
    memcpy(&r, b.constData() + 4, 8);
    Row row;
    if (id != t->id || !fetchOne(r, row))
        fail(ErrBadBookmark);
    clearAhead();
    ordinal = -1;
    makeCurrent(std::move(row));
}

// ---------------------------------------------------------------- Recordset

QString Recordset::Name() const
{
    need(m_impl)->check();
    return m_impl->t->name;
}

bool Recordset::Updatable() const
{
    need(m_impl)->check();
    return !m_impl->readOnly;
}

QString Recordset::Index() const
{
    need(m_impl)->check();
    return m_impl->index < 0 ? QString() : m_impl->t->indexes[size_t(m_impl->index)].name;
}

void Recordset::setIndex(const QString &name) { need(m_impl)->setIndex(name); }
void Recordset::Seek(const QString &op, const QVariantList &keys) { need(m_impl)->seek(op, keys); }

bool Recordset::NoMatch() const
{
    need(m_impl)->check();
    return m_impl->noMatch;
}

bool Recordset::Eof() const
{
    need(m_impl)->check();
    return m_impl->eof;
}

bool Recordset::Bof() const
{
    need(m_impl)->check();
    return m_impl->bof;
}

void Recordset::MoveFirst() { need(m_impl)->moveTo(+1, true); }
void Recordset::MoveLast() { need(m_impl)->moveTo(-1, true); }
void Recordset::MoveNext() { need(m_impl)->moveTo(+1, false); }
void Recordset::MovePrevious() { need(m_impl)->moveTo(-1, false); }

void Recordset::Move(long rows)
{
    need(m_impl)->check();
    if (rows == 0) {
        if (!m_impl->onRow)
            fail(m_impl->deleted ? ErrRecordDeleted : ErrNoCurrentRecord);
        return;
    }
    for (long i = 0; i < std::abs(rows); ++i) {
        m_impl->moveTo(rows > 0 ? +1 : -1, false);
        if (m_impl->eof || m_impl->bof)
            break;
    }
}

void Recordset::AddNew() { need(m_impl)->addNew(); }
void Recordset::Edit() { need(m_impl)->edit(); }
void Recordset::Update() { need(m_impl)->update(); }

void Recordset::CancelUpdate()
{
    need(m_impl)->check();
    if (m_impl->editMode == dbEditNone)
        fail(ErrUpdateWithoutEdit);
    m_impl->dropEdit();
}

void Recordset::Delete() { need(m_impl)->remove(); }

void CancelPending(const Recordset &rs)
{
    if (rs.isNothing())
        return;
    const auto &impl = Access::impl(rs);
    if (!impl->closed && impl->editMode != dbEditNone)
        impl->dropEdit();
}

int Recordset::EditMode() const
{
    need(m_impl)->check();
    return m_impl->editMode;
}

void Recordset::Close()
{
    need(m_impl);
    if (!m_impl->closed)
        m_impl->invalidate();
}

long Recordset::RecordCount() const
{
    need(m_impl)->check();
    return m_impl->countRows();
}

QByteArray Recordset::Bookmark() const { return need(m_impl)->bookmark(); }
void Recordset::setBookmark(const QByteArray &bookmark) { need(m_impl)->setBookmark(bookmark); }

double Recordset::PercentPosition() const
{
    RecordsetImpl &r = *need(m_impl);
    r.check();
    const long n = r.countRows();
    if (n == 0 || (r.bof && !r.onRow))
        return 0;
    if (r.eof && !r.onRow && !r.deleted)
        return 100;
    return 100.0 * double(r.currentOrdinal()) / double(n);
}

void Recordset::setPercentPosition(double percent)
{
    RecordsetImpl &r = *need(m_impl);
    r.check();
    r.dropEdit();
    const long n = r.countRows();
    if (n == 0)
        fail(ErrNoCurrentRecord);
    long target = long(std::llround(percent / 100.0 * double(n)));
    target = std::clamp(target, 1L, n);
    const OrderDef &o = r.order();
    sqlite3_stmt *s = r.db->prepare("SELECT " + r.t->selectList + o.from + o.orderAsc +
                                    " LIMIT 1 OFFSET ?");
    r.db->holdRead();
    Row row;
    {
        StmtScope sc(s);
        sqlite3_bind_int64(s, 1, target - 1);
        const int rc = sqlite3_step(s);
        if (rc != SQLITE_ROW)
            r.db->raise(sqlite3_extended_errcode(r.db->db));
        row = r.readRow(s);
    }
    r.clearAhead();
    r.makeCurrent(std::move(row));
    r.ordinal = target;
    r.ordinalVersion = r.db->file->version;
}

FieldsCollection Recordset::Fields() const
{
    need(m_impl)->check();
    auto c = std::make_shared<FieldsImpl>();
    c->rs = m_impl;
    return Access::make<FieldsCollection>(c);
}

Field Recordset::Fields(const QString &name) const { return Fields().Item(name); }
Field Recordset::Fields(int i) const { return Fields().Item(i); }

} // namespace dao
