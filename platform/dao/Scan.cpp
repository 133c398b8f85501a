#include "DaoImpl.h"

namespace dao {

void ScanTable(const Database &db, const QString &table, const QStringList &columns,
               const std::function<bool(const QVariantList &row)> &visit)
{
    const std::shared_ptr<DatabaseImpl> &d = need(Access::impl(db));
    d->checkOpen();
    const std::shared_ptr<TableMeta> t = d->findTableFresh(table);
    if (!t)
        fail(ErrTableNotFound, table);
    std::vector<int> cols;
    QByteArray sql("SELECT ");
    for (const QString &name : columns) {
        const int c = t->findColumn(name);
        if (c < 0)
            fail(ErrItemNotFound, name);
        if (!cols.empty())
            sql += ", ";
        sql += t->cols[size_t(c)].sql;
        cols.push_back(c);
    }
    if (cols.empty())
        return;
    sql += " FROM " + quoteName(t->name);
    // Not kept in the statement cache: a scan may run while the visitor
    // reads the same table through a recordset.
    sqlite3_stmt *s = nullptr;
    int rc = sqlite3_prepare_v2(d->db, sql.constData(), int(sql.size()), &s, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(s);
        d->raise(rc);
    }
    struct Finalize {
        sqlite3_stmt *s;
        ~Finalize() { sqlite3_finalize(s); }
    } finalize{s};
    QVariantList row;
    row.reserve(qsizetype(cols.size()));
    while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        row.clear();
        for (size_t i = 0; i < cols.size(); ++i)
            row.append(fieldValue(t->cols[size_t(cols[i])], s, int(i)));
        if (!visit(row))
            return;
    }
    if (rc != SQLITE_DONE)
        d->raise(rc);
}

} // namespace dao
