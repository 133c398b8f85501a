// Copying rows from one table to another without a recordset on either
// side: one statement reads the source in order, memo columns with the rest,
// and a value that is already in the form the target column stores goes
// from the read statement to the insert statement as it is, without being
// turned into a program value and back.

#include "DaoImpl.h"

#include <QDate>
#include <QTime>

#include <cstring>

namespace dao {

namespace {

bool textual(int type)
{
    return type == dbText || type == dbMemo;
}

// The length in UTF-16 units of valid UTF-8, or -1 when it is not valid
// UTF-8 (overlong forms, surrogates and values beyond U+10FFFF included):
// such text is read with replacement characters, never copied as it is.
qsizetype utf16Length(const unsigned char *p, int n)
{
    qsizetype units = 0;
    for (int i = 0; i < n;) {
        // Most text is ASCII: eight bytes at a time while it lasts.
        if (i + 8 <= n) {
            quint64 word;
            std::memcpy(&word, p + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                units += 8;
                continue;
            }
        }
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            ++units;
            continue;
        }
        int extra;
        unsigned cp;
        if (c >= 0xc2 && c <= 0xdf) {
            extra = 1;
            cp = c & 0x1f;
        } else if (c >= 0xe0 && c <= 0xef) {
            extra = 2;
            cp = c & 0x0f;
        } else if (c >= 0xf0 && c <= 0xf4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return -1;
        }
        if (i + extra >= n)
            return -1;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char cc = p[i + k];
            if ((cc & 0xc0) != 0x80)
                return -1;
            cp = cp << 6 | (cc & 0x3f);
        }
        if ((extra == 2 && (cp < 0x800 || (cp >= 0xd800 && cp <= 0xdfff))) ||
            (extra == 3 && (cp < 0x10000 || cp > 0x10ffff)))
            return -1;
        units += extra == 3 ? 2 : 1;
        i += extra + 1;
    }
    return units;
}

// A date text in the stored form "yyyy-MM-dd hh:mm:ss" that reads back as
// the same date and time, within the years a Date column takes: a copy of
// it as it is stores what reading it and writing it back would store.
bool storedDate(const unsigned char *p, int n)
{
    if (n != 19 || p[4] != '-' || p[7] != '-' || p[10] != ' ' || p[13] != ':' || p[16] != ':')
        return false;
    auto num = [&](int at, int digits, int &out) {
        out = 0;
        for (int i = at; i < at + digits; ++i) {
            if (p[i] < '0' || p[i] > '9')
                return false;
            out = out * 10 + (p[i] - '0');
        }
        return true;
    };
    int y, mo, d, h, mi, se;
    if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, se))
        return false;
    const QDate date(y, mo, d);
    const QTime time(h, mi, se);
    // No zone: a time the local clock skips is as good as any other.
    return y >= 100 && date.isValid() && time.isValid();
}

std::shared_ptr<TableMeta> tableOf(DatabaseImpl &d, const QString &table)
{
    d.checkOpen();
    std::shared_ptr<TableMeta> t = d.findTableFresh(table);
    if (!t)
        fail(ErrTableNotFound, table);
    return t;
}

} // namespace

// ---------------------------------------------------------------- RowReader

RowReader::RowReader(const Database &db, const QString &table, const QString &index, const QStringList &columns)
    : m_db(need(Access::impl(db)))
{
    m_table = tableOf(*m_db, table);
    const TableMeta &t = *m_table;
    int ix = -1;
    if (!index.isEmpty()) {
        ix = t.findIndex(index);
        if (ix < 0)
            fail(ErrNotAnIndex, index);
        // Read through the index, so it must be in place.
        if (t.asideLevel > 0)
            m_db->restoreIndexes(*m_table);
    }
    const OrderDef &o = t.orders[size_t(ix + 1)];
    QByteArray sql("SELECT rowid");
    for (const QString &name : columns) {
        const int c = t.findColumn(name);
        m_cols.push_back(c);
        if (c >= 0)
            sql += ", " + t.cols[size_t(c)].sql;
    }
    sql += o.from + o.orderAsc;
    // A statement of its own: it stays on its row while the caller writes.
    const int rc = sqlite3_prepare_v2(m_db->db, sql.constData(), int(sql.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_db->raise(rc);
    }
    // Statement positions of the columns read.
    int p = 1;
    for (int &c : m_cols)
        c = c < 0 ? -1 : (c << 8 | p++);
}

RowReader::~RowReader()
{
    sqlite3_finalize(m_stmt);
}

bool RowReader::has(int column) const
{
    return m_cols[size_t(column)] >= 0;
}

long RowReader::count() const
{
    sqlite3_stmt *s = m_db->prepare("SELECT count(*) FROM " + m_table->sql);
    StmtScope sc(s);
    if (sqlite3_step(s) != SQLITE_ROW)
        m_db->raise(sqlite3_extended_errcode(m_db->db));
    return long(sqlite3_column_int64(s, 0));
}

bool RowReader::next()
{
    m_db->checkOpen();
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    sqlite3_reset(m_stmt);
    if (rc != SQLITE_DONE)
        m_db->raise(sqlite3_extended_errcode(m_db->db));
    return false;
}

QVariant RowReader::value(int column) const
{
    const int c = m_cols[size_t(column)];
    if (c < 0)
        return {};
    return fieldValue(m_table->cols[size_t(c >> 8)], m_stmt, c & 0xff);
}

// ---------------------------------------------------------------- RowWriter

struct RowWriter::Slot {
    enum Kind { Null, Stored, Utf8, Integer } kind = Null;
    QVariant stored;
    const char *text = nullptr;
    int bytes = 0;
    qsizetype length = 0;
    qint64 number = 0;
};

RowWriter::RowWriter(const Database &db, const QString &table, const QStringList &columns)
    : m_db(need(Access::impl(db)))
{
    m_table = tableOf(*m_db, table);
    for (const QString &name : columns) {
        const int c = m_table->findColumn(name);
        if (c < 0)
            fail(ErrItemNotFound, name);
        m_cols.push_back(c);
    }
    m_slots.resize(m_table->cols.size());
}

RowWriter::~RowWriter() = default;

void RowWriter::begin()
{
    m_db->checkOpen();
    if (m_db->readOnly)
        fail(ErrReadOnly);
    m_begun = false;
    for (Slot &s : m_slots)
        s.kind = Slot::Null;
    if (m_table->counter >= 0) {
        Slot &s = m_slots[size_t(m_table->counter)];
        s.kind = Slot::Integer;
        s.number = m_db->takeCounter(*m_table);
    }
    m_begun = true;
}

int RowWriter::set(int column, const QVariant &value)
{
    if (!m_begun)
        fail(ErrUpdateWithoutEdit);
    const ColumnMeta &c = m_table->cols[size_t(m_cols[size_t(column)])];
    if (c.counter)
        return ErrCounterNotUpdatable;
    QVariant stored;
    int err = 0;
    if (!toStorage(c, value, stored, err))
        return err;
    Slot &s = m_slots[size_t(m_cols[size_t(column)])];
    if (stored.isValid()) {
        s.kind = Slot::Stored;
        s.stored = std::move(stored);
    } else {
        s.kind = Slot::Null;
    }
    return 0;
}

bool RowWriter::copyStored(int column, const RowReader &reader, int from, qsizetype *length)
{
    if (!m_begun)
        fail(ErrUpdateWithoutEdit);
    const int rc = reader.m_cols[size_t(from)];
    const ColumnMeta &c = m_table->cols[size_t(m_cols[size_t(column)])];
    if (rc < 0 || c.counter)
        return false;
    const ColumnMeta &sc = reader.m_table->cols[size_t(rc >> 8)];
    Slot &s = m_slots[size_t(m_cols[size_t(column)])];
    sqlite3_stmt *st = reader.m_stmt;
    const int i = rc & 0xff;
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        s.kind = Slot::Null;
        if (length)
            *length = 0;
        return true;
    case SQLITE_TEXT: {
        const bool dates = c.type == dbDate && sc.type == dbDate;
        if (!dates && (!textual(c.type) || !textual(sc.type)))
            return false;
        const auto *p = sqlite3_column_text(st, i);
        const int n = sqlite3_column_bytes(st, i);
        if (dates && !storedDate(p, n))
            return false;
        const qsizetype units = dates ? 0 : utf16Length(p, n);
        if (units < 0)
            return false;
        s.kind = Slot::Utf8;
        s.text = reinterpret_cast<const char *>(p);
        s.bytes = n;
        s.length = units;
        if (length)
            *length = units;
        return true;
    }
    case SQLITE_INTEGER: {
        if (c.type != sc.type)
            return false;
        const qint64 v = sqlite3_column_int64(st, i);
        bool same = false;
        switch (c.type) {
        case dbLong: same = v >= -2147483648LL && v <= 2147483647LL; break;
        case dbInteger: same = v >= -32768 && v <= 32767; break;
        case dbBoolean: same = v == 0 || v == -1; break;
        default: break;
        }
        if (!same)
            return false;
        s.kind = Slot::Integer;
        s.number = v;
        if (length)
            *length = 0;
        return true;
    }
    default: return false;
    }
}

void RowWriter::insert()
{
    if (!m_begun)
        fail(ErrUpdateWithoutEdit);
    m_begun = false; // whatever happens, the row is given up after this
    releaseStreams();
    m_db->checkWritable();
    const TableMeta &t = *m_table;
    const size_t n = t.cols.size();
    for (size_t i = 0; i < n; ++i) {
        const ColumnMeta &c = t.cols[i];
        const Slot &s = m_slots[i];
        const bool null = s.kind == Slot::Null;
        // Text columns hold text only: copied as it is or converted.
        const qsizetype len = null || !textual(c.type) ? 0
                              : s.kind == Slot::Utf8  ? s.length
                                                      : s.stored.toString().size();
        checkColumnValue(t, c, null, len);
    }
    for (const IndexMeta &ix : t.indexes) {
        if (!(ix.primary || ix.required) || ix.rowidOrder)
            continue;
        for (int c : ix.cols)
            if (m_slots[size_t(c)].kind == Slot::Null)
                fail(ErrNullInIndex, ix.name);
    }
    m_db->insertRow(
        t,
        [&](sqlite3_stmt *st) {
            for (size_t i = 0; i < n; ++i) {
                const Slot &s = m_slots[i];
                const int p = int(i) + 1;
                switch (s.kind) {
                case Slot::Null: sqlite3_bind_null(st, p); break;
                case Slot::Stored: bindValue(st, p, s.stored); break;
                case Slot::Utf8: sqlite3_bind_text(st, p, s.text, s.bytes, SQLITE_STATIC); break;
                case Slot::Integer: sqlite3_bind_int64(st, p, s.number); break;
                }
            }
        },
        [&](qint64 counter) { m_slots[size_t(t.counter)].number = counter; });
    m_db->touch();
}

} // namespace dao
