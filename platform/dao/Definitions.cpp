// Table definitions, their fields and indexes, and the step that writes a
// new table into the file together with its catalog rows.

#include "DaoImpl.h"

#include "BaseFormat.h"

#include "Error.h"

namespace dao {

namespace {

void checkEditable(const FieldImpl &f)
{
    if (f.frozen || f.rs || f.appended)
        fail(ErrInvalidOperation);
}

void checkEditable(const IndexImpl &i)
{
    if (i.frozen || i.appended)
        fail(ErrInvalidOperation);
}

std::shared_ptr<FieldImpl> fieldFromMeta(const TableMeta &t, int col)
{
    const ColumnMeta &c = t.cols[size_t(col)];
    auto f = std::make_shared<FieldImpl>();
    f->name = c.name;
    f->type = c.type;
    f->size = c.size;
    f->attributes = c.attributes;
    f->attributesSet = true;
    f->allowZeroLength = c.allowZeroLength;
    f->required = c.required;
    f->ordinal = col;
    f->frozen = true;
    return f;
}

std::shared_ptr<TableDefImpl> tableDefFromMeta(const std::shared_ptr<DatabaseImpl> &db,
                                               const std::shared_ptr<TableMeta> &t)
{
    auto td = std::make_shared<TableDefImpl>();
    td->name = t->name;
    td->appended = true;
    td->db = db;
    td->meta = t;
    for (int i = 0; i < int(t->cols.size()); ++i)
        td->fields.push_back(fieldFromMeta(*t, i));
    for (const IndexMeta &ix : t->indexes) {
        auto ii = std::make_shared<IndexImpl>();
        ii->name = ix.name;
        ii->primary = ix.primary;
        ii->unique = ix.unique;
        ii->required = ix.required;
        ii->ignoreNulls = ix.ignoreNulls;
        ii->frozen = true;
        for (int c : ix.cols) {
            auto f = std::make_shared<FieldImpl>();
            f->name = t->cols[size_t(c)].name;
            f->frozen = true;
            ii->fields.push_back(f);
        }
        td->indexes.push_back(ii);
    }
    return td;
}

long defaultAttributes(int type)
{
    return (type == dbText || type == dbMemo) ? dbVariableField : dbFixedField;
}

QByteArray columnSql(const ColumnMeta &c)
{
    if (c.counter)
        return c.sql + format::kCounterDecl;
    switch (c.type) {
    case dbText:
    case dbMemo: return c.sql + format::kTextDecl;
    case dbDate: return c.sql + format::kDateDecl;
    default: return c.sql + format::kNumberDecl;
    }
}

} // namespace

QByteArray indexSqlName(const TableMeta &t, const IndexMeta &ix)
{
    return quoteName(t.name + u'.' + ix.name);
}

QByteArray createIndexSql(const TableMeta &t, const IndexMeta &ix)
{
    QByteArray sql = ix.unique ? "CREATE UNIQUE INDEX " : "CREATE INDEX ";
    sql += indexSqlName(t, ix) + " ON " + t.sql + "(";
    for (size_t i = 0; i < ix.cols.size(); ++i)
        sql += (i ? ", " : "") + t.cols[size_t(ix.cols[i])].sql;
    return sql + ")";
}

// ---------------------------------------------------------------- Field

QString Field::Name() const { return need(m_impl)->name; }
void Field::setName(const QString &name)
{
    checkEditable(*need(m_impl));
    m_impl->name = name;
}
int Field::Type() const { return need(m_impl)->type; }
void Field::setType(int type)
{
    checkEditable(*need(m_impl));
    m_impl->type = type;
}
int Field::Size() const
{
    need(m_impl);
    switch (m_impl->type) {
    case dbText: return m_impl->size > 0 ? m_impl->size : 50;
    case dbBoolean: return 1;
    case dbInteger: return 2;
    case dbLong: return 4;
    case dbDate: return 8;
    default: return 0;
    }
}
void Field::setSize(int size)
{
    checkEditable(*need(m_impl));
    m_impl->size = size;
}
long Field::Attributes() const
{
    need(m_impl);
    return m_impl->attributesSet ? m_impl->attributes : defaultAttributes(m_impl->type);
}
void Field::setAttributes(long attributes)
{
    checkEditable(*need(m_impl));
    m_impl->attributes = attributes;
    m_impl->attributesSet = true;
}
bool Field::AllowZeroLength() const { return need(m_impl)->allowZeroLength; }
void Field::setAllowZeroLength(bool allow)
{
    checkEditable(*need(m_impl));
    m_impl->allowZeroLength = allow;
}
bool Field::Required() const { return need(m_impl)->required; }
void Field::setRequired(bool required)
{
    checkEditable(*need(m_impl));
    m_impl->required = required;
}
int Field::OrdinalPosition() const { return need(m_impl)->ordinal; }

QVariant Field::Value() const
{
    need(m_impl);
    if (!m_impl->rs)
        fail(ErrInvalidOperation);
    return m_impl->rs->value(m_impl->col);
}

void Field::setValue(const QVariant &value) const
{
    need(m_impl);
    if (!m_impl->rs)
        fail(ErrInvalidOperation);
    m_impl->rs->setValue(m_impl->col, value);
}

// ---------------------------------------------------------------- Index

QString Index::Name() const { return need(m_impl)->name; }
void Index::setName(const QString &name)
{
    checkEditable(*need(m_impl));
    m_impl->name = name;
}
bool Index::Primary() const { return need(m_impl)->primary; }
void Index::setPrimary(bool v)
{
    checkEditable(*need(m_impl));
    m_impl->primary = v;
}
bool Index::Unique() const { return need(m_impl)->unique; }
void Index::setUnique(bool v)
{
    checkEditable(*need(m_impl));
    m_impl->unique = v;
}
bool Index::Required() const { return need(m_impl)->required; }
void Index::setRequired(bool v)
{
    checkEditable(*need(m_impl));
    m_impl->required = v;
}
bool Index::IgnoreNulls() const { return need(m_impl)->ignoreNulls; }
void Index::setIgnoreNulls(bool v)
{
    checkEditable(*need(m_impl));
    m_impl->ignoreNulls = v;
}
Field Index::CreateField(const QString &name) const
{
    need(m_impl);
    auto f = std::make_shared<FieldImpl>();
    f->name = name;
    return Access::make<Field>(f);
}
FieldsCollection Index::Fields() const
{
    auto c = std::make_shared<FieldsImpl>();
    c->idx = need(m_impl);
    return Access::make<FieldsCollection>(c);
}

// ---------------------------------------------------------------- TableDef

QString TableDef::Name() const { return need(m_impl)->name; }
void TableDef::setName(const QString &name)
{
    if (need(m_impl)->appended)
        fail(ErrInvalidOperation);
    m_impl->name = name;
}
Field TableDef::CreateField(const QString &name, int type, int size) const
{
    need(m_impl);
    auto f = std::make_shared<FieldImpl>();
    f->name = name;
    f->type = type;
    f->size = size;
    return Access::make<Field>(f);
}
Index TableDef::CreateIndex(const QString &name) const
{
    need(m_impl);
    auto i = std::make_shared<IndexImpl>();
    i->name = name;
    return Access::make<Index>(i);
}
FieldsCollection TableDef::Fields() const
{
    auto c = std::make_shared<FieldsImpl>();
    c->td = need(m_impl);
    return Access::make<FieldsCollection>(c);
}
Field TableDef::Fields(const QString &name) const { return Fields().Item(name); }
Field TableDef::Fields(int i) const { return Fields().Item(i); }
IndexesCollection TableDef::Indexes() const
{
    auto c = std::make_shared<IndexesImpl>();
    c->td = need(m_impl);
    return Access::make<IndexesCollection>(c);
}
Index TableDef::Indexes(const QString &name) const { return Indexes().Item(name); }
Index TableDef::Indexes(int i) const { return Indexes().Item(i); }
long TableDef::RecordCount() const
{
    need(m_impl);
    auto db = m_impl->db.lock();
    if (!m_impl->appended || !db)
        fail(ErrInvalidOperation);
    db->checkOpen();
    sqlite3_stmt *s = db->prepare("SELECT count(*) FROM " + m_impl->meta->sql);
    StmtScope sc(s);
    if (sqlite3_step(s) != SQLITE_ROW)
        db->raise(sqlite3_extended_errcode(db->db));
    return long(sqlite3_column_int64(s, 0));
}

// ---------------------------------------------------------------- collections

namespace {
const std::vector<std::shared_ptr<FieldImpl>> *fieldList(const FieldsImpl &c)
{
    if (c.td)
        return &c.td->fields;
    if (c.idx)
        return &c.idx->fields;
    return nullptr;
}
} // namespace

int FieldsCollection::Count() const
{
    need(m_impl);
    if (m_impl->rs) {
        m_impl->rs->check();
        return int(m_impl->rs->t->cols.size());
    }
    return int(fieldList(*m_impl)->size());
}

Field FieldsCollection::Item(int i) const
{
    need(m_impl);
    if (m_impl->rs) {
        m_impl->rs->check();
        if (i < 0 || i >= int(m_impl->rs->t->cols.size()))
            fail(ErrItemNotFound, QString::number(i));
        auto f = fieldFromMeta(*m_impl->rs->t, i);
        f->rs = m_impl->rs;
        f->col = i;
        return Access::make<Field>(f);
    }
    const auto *v = fieldList(*m_impl);
    if (i < 0 || i >= int(v->size()))
        fail(ErrItemNotFound, QString::number(i));
    return Access::make<Field>((*v)[size_t(i)]);
}

Field FieldsCollection::Item(const QString &name) const
{
    need(m_impl);
    if (m_impl->rs) {
        m_impl->rs->check();
        const int c = m_impl->rs->t->findColumn(name);
        if (c < 0)
            fail(ErrItemNotFound, name);
        return Item(c);
    }
    for (const auto &f : *fieldList(*m_impl))
        if (sameName(f->name, name))
            return Access::make<Field>(f);
    fail(ErrItemNotFound, name);
}

Field FieldsCollection::operator()(const QString &name) const { return Item(name); }
Field FieldsCollection::operator()(int i) const { return Item(i); }

void FieldsCollection::Append(const Field &f)
{
    need(m_impl);
    auto &fi = need(Access::impl(f));
    if (m_impl->rs || (m_impl->td && m_impl->td->appended) || (m_impl->idx && m_impl->idx->frozen) ||
        (m_impl->idx && m_impl->idx->appended))
        fail(ErrInvalidOperation);
    if (fi->appended || fi->rs || fi->frozen)
        fail(ErrInvalidOperation);
    if (!validName(fi->name))
        fail(ErrInvalidName, fi->name);
    auto *v = m_impl->td ? &m_impl->td->fields : &m_impl->idx->fields;
    for (const auto &x : *v)
        if (sameName(x->name, fi->name))
            fail(ErrFieldTwice, fi->name);
    if (m_impl->td) {
        const int t = fi->type;
        if (t != dbBoolean && t != dbInteger && t != dbLong && t != dbDate && t != dbText &&
            t != dbMemo)
            fail(ErrInvalidFieldType, fi->name);
        if (t == dbText && (fi->size < 0 || fi->size > 255))
            fail(ErrInvalidFieldType, fi->name);
        const long a = fi->attributesSet ? fi->attributes : defaultAttributes(t);
        if ((a & dbAutoIncrField) && t != dbLong)
            fail(ErrInvalidFieldType, fi->name);
        if (a & dbAutoIncrField)
            for (const auto &x : *v)
                if (x->attributesSet && (x->attributes & dbAutoIncrField))
                    fail(ErrInvalidFieldType, fi->name);
        fi->ordinal = int(v->size());
    }
    fi->appended = true;
    v->push_back(fi);
}

int IndexesCollection::Count() const { return int(need(m_impl)->td->indexes.size()); }

Index IndexesCollection::Item(int i) const
{
    const auto &v = need(m_impl)->td->indexes;
    if (i < 0 || i >= int(v.size()))
        fail(ErrItemNotFound, QString::number(i));
    return Access::make<Index>(v[size_t(i)]);
}

Index IndexesCollection::Item(const QString &name) const
{
    for (const auto &x : need(m_impl)->td->indexes)
        if (sameName(x->name, name))
            return Access::make<Index>(x);
    fail(ErrItemNotFound, name);
}

Index IndexesCollection::operator()(const QString &name) const { return Item(name); }
Index IndexesCollection::operator()(int i) const { return Item(i); }

void IndexesCollection::Append(const Index &idx)
{
    auto &td = need(m_impl)->td;
    auto &ii = need(Access::impl(idx));
    if (td->appended || ii->appended || ii->frozen)
        fail(ErrInvalidOperation);
    if (!validName(ii->name))
        fail(ErrInvalidName, ii->name);
    for (const auto &x : td->indexes) {
        if (sameName(x->name, ii->name))
            fail(ErrIndexExists, ii->name);
        if (x->primary && ii->primary)
            fail(ErrPrimaryExists);
    }
    if (ii->fields.empty())
        fail(ErrNoFieldDefined, ii->name);
    ii->appended = true;
    td->indexes.push_back(ii);
}

int TableDefsCollection::Count() const
{
    need(m_db)->checkOpen();
    return int(m_db->tables.size());
}

TableDef TableDefsCollection::Item(int i) const
{
    need(m_db)->checkOpen();
    if (i < 0 || i >= int(m_db->tables.size()))
        fail(ErrItemNotFound, QString::number(i));
    return Access::make<TableDef>(tableDefFromMeta(m_db, m_db->tables[size_t(i)]));
}

TableDef TableDefsCollection::Item(const QString &name) const
{
    need(m_db)->checkOpen();
    auto t = m_db->findTableFresh(name);
    if (!t)
        fail(ErrItemNotFound, name);
    return Access::make<TableDef>(tableDefFromMeta(m_db, t));
}

TableDef TableDefsCollection::operator()(const QString &name) const { return Item(name); }
TableDef TableDefsCollection::operator()(int i) const { return Item(i); }

TableDef Database::CreateTableDef(const QString &name) const
{
    need(m_impl)->checkOpen();
    auto td = std::make_shared<TableDefImpl>();
    td->name = name;
    td->db = m_impl;
    return Access::make<TableDef>(td);
}

void TableDefsCollection::Append(const TableDef &tdef)
{
    DatabaseImpl &db = *need(m_db);
    auto &td = need(Access::impl(tdef));
    db.checkWritable();
    if (td->appended)
        fail(ErrInvalidOperation);
    if (!validName(td->name))
        fail(ErrInvalidName, td->name);
    if (db.findTableFresh(td->name))
        fail(ErrTableExists, td->name);
    if (td->fields.empty())
        fail(ErrNoFieldDefined, td->name);
    if (td->fields.size() > size_t(kMaxColumns))
        fail(ErrTooManyFields);

    auto t = std::make_shared<TableMeta>();
    t->name = td->name;
    t->sql = quoteName(t->name);
    int maxId = 0;
    for (const auto &x : db.tables)
        maxId = std::max(maxId, x->id);
    t->id = maxId + 1;
    for (const auto &f : td->fields) {
        ColumnMeta c;
        c.name = f->name;
        c.type = f->type;
        c.size = f->type == dbText ? (f->size > 0 ? f->size : 50) : 0;
        c.attributes = f->attributesSet ? f->attributes : defaultAttributes(f->type);
        c.allowZeroLength = f->allowZeroLength;
        c.required = f->required;
        c.counter = (c.attributes & dbAutoIncrField) != 0;
        c.sql = quoteName(c.name);
        if (c.counter)
            t->counter = int(t->cols.size());
        t->cols.push_back(std::move(c));
    }
    for (const auto &ii : td->indexes) {
        IndexMeta ix;
        ix.name = ii->name;
        ix.primary = ii->primary;
        ix.unique = ii->unique || ii->primary;
        ix.required = ii->required;
        ix.ignoreNulls = ii->ignoreNulls;
        for (const auto &f : ii->fields) {
            const int c = t->findColumn(f->name);
            if (c < 0)
                fail(ErrItemNotFound, f->name);
            if (t->cols[size_t(c)].memo())
                fail(ErrInvalidFieldType, f->name);
            ix.cols.push_back(c);
        }
        t->indexes.push_back(std::move(ix));
    }
    t->finish();

    QByteArray create = "CREATE TABLE " + t->sql + "(";
    for (size_t i = 0; i < t->cols.size(); ++i)
        create += (i ? ", " : "") + columnSql(t->cols[i]);
    create += ")";

    // One step: the table, its indexes and its catalog rows are in the file
    // together, or none of them is.
    db.exec("SAVEPOINT ddl");
    try {
        db.exec(create);
        for (const IndexMeta &ix : t->indexes)
            if (!ix.rowidOrder)
                db.exec(createIndexSql(*t, ix));
        sqlite3_stmt *s = db.prepare("INSERT INTO \"dao.tables\"(id, name) VALUES(?, ?)");
        {
            StmtScope sc(s);
            sqlite3_bind_int(s, 1, t->id);
            bindValue(s, 2, t->name);
            if (sqlite3_step(s) != SQLITE_DONE)
                db.raise(sqlite3_extended_errcode(db.db));
        }
        s = db.prepare("INSERT INTO \"dao.columns\" VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        for (size_t i = 0; i < t->cols.size(); ++i) {
            const ColumnMeta &c = t->cols[i];
            StmtScope sc(s);
            sqlite3_bind_int(s, 1, t->id);
            sqlite3_bind_int(s, 2, int(i));
            bindValue(s, 3, c.name);
            sqlite3_bind_int(s, 4, c.type);
            sqlite3_bind_int(s, 5, c.size);
            sqlite3_bind_int64(s, 6, c.attributes);
            sqlite3_bind_int(s, 7, c.allowZeroLength);
            sqlite3_bind_int(s, 8, c.required);
            if (sqlite3_step(s) != SQLITE_DONE)
                db.raise(sqlite3_extended_errcode(db.db));
        }
        s = db.prepare("INSERT INTO \"dao.indexes\" VALUES(?, ?, ?, ?, ?, ?, ?, ?)");
        for (size_t i = 0; i < t->indexes.size(); ++i) {
            const IndexMeta &ix = t->indexes[i];
            QStringList cols;
            for (int c : ix.cols)
                cols << QString::number(c);
            StmtScope sc(s);
            sqlite3_bind_int(s, 1, t->id);
            sqlite3_bind_int(s, 2, int(i));
            bindValue(s, 3, ix.name);
            sqlite3_bind_int(s, 4, ix.primary);
            sqlite3_bind_int(s, 5, ix.unique);
            sqlite3_bind_int(s, 6, ix.required);
            sqlite3_bind_int(s, 7, ix.ignoreNulls);
            bindValue(s, 8, cols.join(u','));
            if (sqlite3_step(s) != SQLITE_DONE)
                db.raise(sqlite3_extended_errcode(db.db));
        }
        db.exec("RELEASE ddl");
    } catch (const vb::Error &e) {
        sqlite3_exec(db.db, "ROLLBACK TO ddl; RELEASE ddl", nullptr, nullptr, nullptr);
        // A name SQLite already holds, outside our catalog.
        if (e.number() == ErrEngine && e.description().contains(QLatin1String("already exists")))
            fail(ErrTableExists, td->name);
        throw;
    }
    db.tables.push_back(t);
    db.touch();
    td->appended = true;
    td->meta = t;
    td->db = m_db;
    for (auto &f : td->fields)
        f->frozen = true;
    for (auto &i : td->indexes)
        i->frozen = true;
}

} // namespace dao
