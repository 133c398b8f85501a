#include "DaoReads.h"

#include "DaoImpl.h"

namespace dao {

namespace {

std::shared_ptr<TableMeta> tableOf(const std::shared_ptr<DatabaseImpl> &d, const QString &table)
{
    d->checkOpen();
    std::shared_ptr<TableMeta> t = d->findTableFresh(table);
    if (!t)
        fail(ErrTableNotFound, table);
    return t;
}

int indexOf(const TableMeta &t, const QString &index)
{
    const int i = t.findIndex(index);
    if (i < 0)
        fail(ErrNotAnIndex, index);
    return i;
}

std::vector<int> columnsOf(const TableMeta &t, const QStringList &columns)
{
    std::vector<int> cols;
    for (const QString &name : columns) {
        const int c = t.findColumn(name);
        if (c < 0)
            fail(ErrItemNotFound, name);
        cols.push_back(c);
    }
    return cols;
}

// The columns asked for, then the row id (which every index holds, so an
// index that holds the columns still answers alone).
QByteArray selectOf(const TableMeta &t, const std::vector<int> &cols)
{
    QByteArray sql("SELECT ");
    for (size_t i = 0; i < cols.size(); ++i)
        sql += t.cols[size_t(cols[i])].sql + ", ";
    return sql + "rowid";
}

// A statement of its own, finalized when the read ends: the visitor may use
// recordsets, and even the same read, meanwhile.
struct OwnStatement {
    sqlite3_stmt *s = nullptr;
    OwnStatement(DatabaseImpl &d, const QByteArray &sql)
    {
        const int rc = sqlite3_prepare_v2(d.db, sql.constData(), int(sql.size()), &s, nullptr);
        if (rc != SQLITE_OK) {
            sqlite3_finalize(s);
            s = nullptr;
            d.raise(rc);
        }
    }
    ~OwnStatement() { sqlite3_finalize(s); }
    OwnStatement(const OwnStatement &) = delete;
    OwnStatement &operator=(const OwnStatement &) = delete;
};

} // namespace

// ---------------------------------------------------------------- RowView

void RowView::check(int i) const
{
    if (i < 0 || size_t(i) >= (m_metas ? m_metas->size() : m_cols->size()))
        fail(ErrItemNotFound, QString::number(i));
}

const ColumnMeta &RowView::meta(int i) const
{
    return m_metas ? *(*m_metas)[size_t(i)] : m_table->cols[size_t((*m_cols)[size_t(i)])];
}

bool RowView::isNull(int i) const
{
    check(i);
    return sqlite3_column_type(m_stmt, i) == SQLITE_NULL;
}

bool RowView::holdsText(int i) const
{
    check(i);
    return sqlite3_column_type(m_stmt, i) == SQLITE_TEXT;
}

QByteArrayView RowView::utf8(int i) const
{
    if (!holdsText(i))
        return {};
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
    return QByteArrayView(p, sqlite3_column_bytes(m_stmt, i));
}

qint64 RowView::number(int i) const
{
    check(i);
    return sqlite3_column_int64(m_stmt, i);
}

QVariant RowView::value(int i) const
{
    check(i);
    return fieldValue(meta(i), m_stmt, i);
}

QString RowView::text(int i) const
{
    check(i);
    const int type = meta(i).type;
    // A text held as text reads as a Field gives it, without the variant.
    if ((type == dbText || type == dbMemo) && sqlite3_column_type(m_stmt, i) == SQLITE_TEXT) {
        const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, i));
        return fromStoredText(QByteArrayView(p, sqlite3_column_bytes(m_stmt, i)));
    }
    const QVariant v = value(i);
    return v.isValid() ? v.toString() : QString();
}

qint64 RowView::rowId() const
{
    return sqlite3_column_int64(m_stmt, int(m_metas ? m_metas->size() : m_cols->size()));
}

// ---------------------------------------------------------------- ReadScope

ReadScope::ReadScope(const Database &db)
    : m_db(Access::impl(db))
{
    if (m_db && !m_db->closed)
        m_db->holdRead();
}

ReadScope::~ReadScope() = default;

// ---------------------------------------------------------------- KeyReader

KeyReader::KeyReader(const Database &db, const QString &table, const QString &index, const QStringList &columns,
                     int keyColumns)
    : m_db(need(Access::impl(db)))
{
    m_table = tableOf(m_db, table);
    const TableMeta &t = *m_table;
    const IndexMeta &ix = t.indexes[size_t(indexOf(t, index))];
    if (keyColumns < 1 || keyColumns > int(ix.cols.size()))
        fail(ErrInvalidArgument);
    m_cols = columnsOf(t, columns);
    m_keyCols.assign(ix.cols.begin(), ix.cols.begin() + keyColumns);
    m_sql = selectOf(t, m_cols);
    if (ix.rowidOrder) {
        m_sql += " FROM " + t.sql + " WHERE rowid = ?";
        return;
    }
    // The rows of one key come as the index holds them: by its remaining
    // columns, then by row id.
    m_sql += " FROM " + t.sql + " INDEXED BY " + quoteName(t.name + u'.' + ix.name) + " WHERE ";
    for (size_t i = 0; i < m_keyCols.size(); ++i)
        m_sql += (i ? " AND " : "") + t.cols[size_t(m_keyCols[i])].sql + " = ?";
    m_sql += " ORDER BY ";
    for (size_t i = size_t(keyColumns); i < ix.cols.size(); ++i)
        m_sql += t.cols[size_t(ix.cols[i])].sql + ", ";
    m_sql += "rowid";
}

KeyReader::KeyReader(const Database &db, const QString &table, ByRowId, const QStringList &columns)
    : m_db(need(Access::impl(db)))
{
    m_table = tableOf(m_db, table);
    m_cols = columnsOf(*m_table, columns);
    m_sql = selectOf(*m_table, m_cols) + " FROM " + m_table->sql + " WHERE rowid = ?";
}

KeyReader::~KeyReader() = default;

int KeyReader::readRow(qint64 rowId, const std::function<bool(const RowView &row)> &visit)
{
    m_db->checkOpen();
    if (!m_keyCols.empty())
        fail(ErrInvalidArgument);
    if (!m_stmt)
        m_stmt = m_db->prepare(m_sql);
    m_db->holdRead();
    sqlite3_bind_int64(m_stmt, 1, rowId);
    return visitRows(m_stmt, visit);
}

sqlite3_stmt *KeyReader::start(const QVariantList &key)
{
    m_db->checkOpen();
    if (m_keyCols.empty() || key.size() != qsizetype(m_keyCols.size()))
        fail(ErrInvalidArgument);
    std::vector<QVariant> k(m_keyCols.size());
    for (size_t i = 0; i < m_keyCols.size(); ++i) {
        int err = 0;
        if (!toStorage(m_table->cols[size_t(m_keyCols[i])], key[qsizetype(i)], k[i], err))
            fail(ErrCriteriaMismatch);
        // Null equals nothing here, as no Seek "=" on a text finds it.
        if (!k[i].isValid())
            return nullptr;
    }
    // The cached statement: a visitor that reads through recordsets uses
    // other statements.
    if (!m_stmt)
        m_stmt = m_db->prepare(m_sql);
    m_db->holdRead();
    for (size_t i = 0; i < k.size(); ++i)
        bindValue(m_stmt, int(i) + 1, k[i]);
    return m_stmt;
}

int KeyReader::read(const QVariantList &key, const std::function<bool(const QVariantList &row)> &visit)
{
    QVariantList row;
    row.reserve(qsizetype(m_cols.size()));
    return read(key, [&](const RowView &view) {
        row.clear();
        for (int c = 0; c < int(m_cols.size()); ++c)
            row.append(view.value(c));
        return visit(row);
    });
}

int KeyReader::read(const QVariantList &key, const std::function<bool(const RowView &row)> &visit)
{
    sqlite3_stmt *s = start(key);
    return s ? visitRows(s, visit) : 0;
}

int KeyReader::read(const QString &key, const std::function<bool(const RowView &row)> &visit)
{
    if (m_keyCols.empty())
        fail(ErrInvalidArgument);
    const int type = m_table->cols[size_t(m_keyCols[0])].type;
    if (m_keyCols.size() != 1 || (type != dbText && type != dbMemo))
        return read(QVariantList{key}, visit);
    // A text key of a text column is stored as it is: bound without the
    // variants.
    m_db->checkOpen();
    if (!m_stmt)
        m_stmt = m_db->prepare(m_sql);
    m_db->holdRead();
    bindText(m_stmt, 1, key);
    return visitRows(m_stmt, visit);
}

namespace {

// Steps the statement, which the view reads, until visit returns false or
// the rows run out; the statement is reset after. Returns the rows visited.
int visitAll(DatabaseImpl &d, sqlite3_stmt *s, const RowView &view,
             const std::function<bool(const RowView &row)> &visit)
{
    StmtScope sc(s);
    int n = 0, rc;
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        ++n;
        if (!visit(view))
            return n;
    }
    if (rc != SQLITE_DONE)
        d.raise(sqlite3_extended_errcode(d.db));
    return n;
}

} // namespace

int KeyReader::visitRows(sqlite3_stmt *s, const std::function<bool(const RowView &row)> &visit)
{
    RowView view;
    view.m_stmt = s;
    view.m_table = m_table.get();
    view.m_cols = &m_cols;
    return visitAll(*m_db, s, view, visit);
}

// ---------------------------------------------------------------- ReadCardsOfKey

int ReadCardsOfKey(const Database &db, const CardsOfKey &what, const QString &key,
                   const std::function<bool(const RowView &row)> &visit)
{
    const std::shared_ptr<DatabaseImpl> &d = need(Access::impl(db));
    const std::shared_ptr<TableMeta> links = tableOf(d, what.linkTable), cards = tableOf(d, what.cardTable);
    const IndexMeta &byKeyword = links->indexes[size_t(indexOf(*links, what.byKeyword))];
    const IndexMeta &byCard = links->indexes[size_t(indexOf(*links, what.byCard))];
    const IndexMeta &cardIndex = cards->indexes[size_t(indexOf(*cards, what.cardIndex))];
    if (byCard.cols.size() != 1 || cardIndex.cols.size() != 1 || byKeyword.rowidOrder || byCard.rowidOrder ||
        cardIndex.rowidOrder)
        fail(ErrInvalidArgument);
    const std::vector<int> linkCols = columnsOf(*links, what.linkColumns),
                           cardCols = columnsOf(*cards, what.cardColumns);
    std::vector<const ColumnMeta *> metas;
    QByteArray sql = "SELECT ";
    for (int c : linkCols) {
        metas.push_back(&links->cols[size_t(c)]);
        sql += "l." + links->cols[size_t(c)].sql + ", ";
    }
    for (int c : cardCols) {
        metas.push_back(&cards->cols[size_t(c)]);
        sql += "c." + cards->cols[size_t(c)].sql + ", ";
    }
    const QByteArray &cardOfLink = links->cols[size_t(byCard.cols[0])].sql;
    const QByteArray &cardKey = cards->cols[size_t(cardIndex.cols[0])].sql;
    // The key's links in the order of their index, each card found by its
    // unique key, its links in the order of theirs: three nested loops, in
    // the order CROSS JOIN fixes, each walking its index, which keeps equal
    // keys in the order of their rows. The rows come in that order as they
    // are read; an ORDER BY saying so made SQLite sort them all first.
    sql += "c.rowid FROM " + links->sql + " k INDEXED BY " + indexSqlName(*links, byKeyword) + " CROSS JOIN " +
           cards->sql + " c INDEXED BY " + indexSqlName(*cards, cardIndex) + " ON c." + cardKey + " = k." +
           cardOfLink + " CROSS JOIN " + links->sql + " l INDEXED BY " + indexSqlName(*links, byCard) + " ON l." +
           cardOfLink + " = c." + cardKey + " WHERE k." + links->cols[size_t(byKeyword.cols[0])].sql + " = ?";

    int err = 0;
    QVariant k;
    if (!toStorage(links->cols[size_t(byKeyword.cols[0])], key, k, err))
        fail(ErrCriteriaMismatch);
    if (!k.isValid())
        return 0;
    sqlite3_stmt *s = d->prepare(sql);
    d->holdRead();
    bindValue(s, 1, k);
    RowView view;
    view.m_stmt = s;
    view.m_metas = &metas;
    return visitAll(*d, s, view, visit);
}

// ---------------------------------------------------------------- ScanIndex

void ScanIndex(const Database &db, const QString &table, const QString &index, const QStringList &columns,
               bool descending, const std::function<bool(const RowView &row)> &visit)
{
    const std::shared_ptr<DatabaseImpl> &d = need(Access::impl(db));
    const std::shared_ptr<TableMeta> t = tableOf(d, table);
    const int i = indexOf(*t, index);
    const std::vector<int> cols = columnsOf(*t, columns);
    const OrderDef &o = t->orders[size_t(i + 1)];
    OwnStatement st(*d, selectOf(*t, cols) + o.from + (descending ? o.orderDesc : o.orderAsc));
    RowView view;
    view.m_stmt = st.s;
    view.m_table = t.get();
    view.m_cols = &cols;
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW)
        if (!visit(view))
            return;
    if (rc != SQLITE_DONE)
        d->raise(rc);
}

void ScanIndex(const Database &db, const QString &table, const QString &index, const QStringList &columns,
               bool descending, const std::function<bool(const QVariantList &row)> &visit)
{
    QVariantList row;
    ScanIndex(db, table, index, columns, descending, [&](const RowView &view) {
        row.clear();
        for (int c = 0; c < columns.size(); ++c)
            row.append(view.value(c));
        return visit(row);
    });
}

// ---------------------------------------------------------------- ScanTexts

QString TextRow::text() const
{
    return m_null ? QString() : fromStoredText(m_text);
}

QVariant TextRow::value(int i) const
{
    if (i < 0 || size_t(i) >= m_cols->size())
        fail(ErrItemNotFound, QString::number(i));
    return fieldValue(m_table->cols[size_t((*m_cols)[size_t(i)])], m_stmt, i + 1);
}

void ScanTexts(const Database &db, const QString &table, const QString &textColumn, const QStringList &columns,
               const std::function<bool(const TextRow &row)> &visit)
{
    const std::shared_ptr<DatabaseImpl> &d = need(Access::impl(db));
    const std::shared_ptr<TableMeta> t = tableOf(d, table);
    const std::vector<int> text = columnsOf(*t, {textColumn});
    const std::vector<int> cols = columnsOf(*t, columns);
    std::vector<int> all = text;
    all.insert(all.end(), cols.begin(), cols.end());
    // Stored order, as ScanTable reads it.
    OwnStatement st(*d, selectOf(*t, all) + " FROM " + quoteName(t->name));
    TextRow row;
    row.m_stmt = st.s;
    row.m_table = t.get();
    row.m_cols = &cols;
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
        // A number or blob in a text column reads as its text, as Fields do.
        const int type = sqlite3_column_type(st.s, 0);
        row.m_null = type == SQLITE_NULL;
        if (row.m_null) {
            row.m_text = {};
        } else {
            const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(st.s, 0));
            row.m_text = QByteArrayView(p, sqlite3_column_bytes(st.s, 0));
        }
        if (!visit(row))
            return;
    }
    if (rc != SQLITE_DONE)
        d->raise(rc);
}

} // namespace dao
