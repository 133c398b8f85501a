// Filling an empty table in one go: its indexes that allow duplicates are
// dropped inside the transaction and made again after the rows, one sort
// each, instead of being kept up to date row by row. They are never missing
// outside the transaction: they are made again before it commits, before a
// read goes through one of them, and a rollback brings them back by itself.
// Unique indexes stay, since they refuse rows as they come.

#include "DaoImpl.h"

namespace dao {

namespace {

bool laidAsideKind(const IndexMeta &ix)
{
    return !ix.unique && !ix.rowidOrder;
}

bool tableEmpty(DatabaseImpl &db, const TableMeta &t)
{
    sqlite3_stmt *s = db.prepare("SELECT 1 FROM " + t.sql + " LIMIT 1");
    StmtScope sc(s);
    const int rc = sqlite3_step(s);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        db.raise(sqlite3_extended_errcode(db.db));
    return rc == SQLITE_DONE;
}

} // namespace

bool DatabaseImpl::layAside(TableMeta &t)
{
    checkOpen();
    if (t.asideLevel > 0)
        return true;
    // A base that cannot be written refuses the rows themselves, as ever.
    if (readOnly || savepoints == 0 || !tableEmpty(*this, t))
        return false;
    bool any = false;
    for (const IndexMeta &ix : t.indexes)
        any = any || laidAsideKind(ix);
    if (!any)
        return false;
    exec("SAVEPOINT aside");
    try {
        for (const IndexMeta &ix : t.indexes)
            if (laidAsideKind(ix))
                exec("DROP INDEX " + indexSqlName(t, ix));
        exec("RELEASE aside");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO aside; RELEASE aside", nullptr, nullptr, nullptr);
        throw;
    }
    t.asideLevel = savepoints;
    return true;
}

void DatabaseImpl::restoreIndexes(TableMeta &t)
{
    if (t.asideLevel == 0)
        return;
    checkOpen();
    exec("SAVEPOINT aside");
    try {
        for (const IndexMeta &ix : t.indexes)
            if (laidAsideKind(ix))
                exec(createIndexSql(t, ix));
        exec("RELEASE aside");
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO aside; RELEASE aside", nullptr, nullptr, nullptr);
        throw;
    }
    t.asideLevel = 0;
}

void DatabaseImpl::restoreIndexesFrom(int level)
{
    for (const auto &t : tables)
        if (t->asideLevel >= level)
            restoreIndexes(*t);
}

void DatabaseImpl::forgetAsideFrom(int level)
{
    for (const auto &t : tables)
        if (t->asideLevel >= level)
            t->asideLevel = 0;
}

BulkFill::BulkFill(const Database &db, const QString &table)
{
    const auto &d = need(Access::impl(db));
    d->checkOpen();
    auto t = d->findTableFresh(table);
    if (!t)
        fail(ErrTableNotFound, table);
    if (d->layAside(*t)) {
        m_db = d;
        m_table = t;
    }
}

BulkFill::~BulkFill()
{
    try {
        finish();
    } catch (...) {
        // Made again before the commit, or the commit fails.
    }
}

bool BulkFill::active() const
{
    return m_table && m_table->asideLevel > 0;
}

void BulkFill::finish()
{
    if (m_db && m_table && !m_db->closed)
        m_db->restoreIndexes(*m_table);
    m_db.reset();
    m_table.reset();
}

} // namespace dao
