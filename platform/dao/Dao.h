#pragma once
// Our own database objects, shaped like the DAO objects the program's code is
// written against (DBEngine, Workspace, Database, TableDef, Field, Index,
// Recordset), on an encrypted SQLite file.
//
// Every class is a handle: copies refer to the same object, a default-made
// handle is "Nothing" (isNothing(), or false in a boolean test), and using a
// Nothing handle raises error 91. Failures raise vb::Error with the engine's
// error numbers (see DaoErrors.h).
//
// Values are QVariant: Null is an invalid QVariant; Text and Memo read as
// QString, Long and Integer as int, Boolean as bool (stored as -1/0; writes
// take bool or any number, non-zero being True), Date as QDateTime in
// Qt::UTC whose date() and time() are the stored wall-clock value, which
// belongs to no zone (second precision; writes take a QDateTime's own date()
// and time() whatever its zone, a QDate, or an ISO date text).

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QVariant>
#include <QVariantList>

#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

struct sqlite3_stmt;

namespace dao {

// Field types.
enum : int {
    dbBoolean = 1,
    dbInteger = 3,
    dbLong = 4,
    dbDate = 8,
    dbText = 10,
    dbMemo = 12,
};

// Field attributes.
enum : long {
    dbFixedField = 1,
    dbVariableField = 2,
    dbAutoIncrField = 16,
};

// Recordset types and options, database options.
enum : int {
    dbOpenTable = 1,
    dbReadOnly = 4,
    dbEncrypt = 2,
    dbUseJet = 2,
};

// Recordset::EditMode().
enum : int {
    dbEditNone = 0,
    dbEditInProgress = 1,
    dbEditAdd = 2,
};

// The locale part of a connect string for a new base (general sort order).
inline const char *const dbLangGeneral = ";LANGID=0x0409;CP=1252;COUNTRY=0";

struct DatabaseImpl;
struct WorkspaceImpl;
struct TableDefImpl;
struct FieldImpl;
struct IndexImpl;
struct RecordsetImpl;
struct FieldsImpl;
struct IndexesImpl;

class Field;
class Index;
class TableDef;
class Recordset;
class Database;

// A collection of fields: of a table definition, of an index or of a recordset.
class FieldsCollection {
public:
    FieldsCollection() = default;
    int Count() const;
    Field Item(int i) const;            // 0-based; 3265 when out of range
    Field Item(const QString &name) const; // any letter case; 3265 when absent
    Field operator()(const QString &name) const;
    Field operator()(int i) const;
    void Append(const Field &f);        // only before the owner is appended
    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }

private:
    friend struct Access;
    std::shared_ptr<FieldsImpl> m_impl;
};

class IndexesCollection {
public:
    IndexesCollection() = default;
    int Count() const;
    Index Item(int i) const;
    Index Item(const QString &name) const;
    Index operator()(const QString &name) const;
    Index operator()(int i) const;
    void Append(const Index &idx);
    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }

private:
    friend struct Access;
    std::shared_ptr<IndexesImpl> m_impl;
};

class TableDefsCollection {
public:
    TableDefsCollection() = default;
    int Count() const;
    TableDef Item(int i) const;
    TableDef Item(const QString &name) const;
    TableDef operator()(const QString &name) const;
    TableDef operator()(int i) const;
    // Creates the table in the file, with its fields and indexes, as one
    // committed step: 3010 when a table of that name exists.
    void Append(const TableDef &td);
    void Refresh() {}
    bool isNothing() const { return !m_db; }
    explicit operator bool() const { return bool(m_db); }

private:
    friend struct Access;
    std::shared_ptr<DatabaseImpl> m_db;
};

// A field: a column definition (of a TableDef or an Index), or a column of a
// recordset, whose Value is that of the recordset's current record or of its
// edit buffer.
class Field {
public:
    Field() = default;

    QString Name() const;
    void setName(const QString &name);
    int Type() const;
    void setType(int type);
    int Size() const;
    void setSize(int size);
    long Attributes() const;
    void setAttributes(long attributes);
    bool AllowZeroLength() const;
    void setAllowZeroLength(bool allow);
    bool Required() const;
    void setRequired(bool required);
    int OrdinalPosition() const;

    // Recordset fields only.
    QVariant Value() const;
    void setValue(const QVariant &value) const;
    // VB's Null test.
    bool isNullValue() const { return !Value().isValid(); }

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    void reset() { m_impl.reset(); }
    friend bool operator==(const Field &a, const Field &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<FieldImpl> m_impl;
};

class Index {
public:
    Index() = default;

    QString Name() const;
    void setName(const QString &name);
    bool Primary() const;
    void setPrimary(bool v);
    bool Unique() const;
    void setUnique(bool v);
    bool Required() const;
    void setRequired(bool v);
    bool IgnoreNulls() const;
    void setIgnoreNulls(bool v);
    // A field of the index, to be appended to Fields(); ascending.
    Field CreateField(const QString &name) const;
    FieldsCollection Fields() const;

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    void reset() { m_impl.reset(); }
    friend bool operator==(const Index &a, const Index &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<IndexImpl> m_impl;
};

class TableDef {
public:
    TableDef() = default;

    QString Name() const;
    void setName(const QString &name);
    Field CreateField(const QString &name = {}, int type = dbText, int size = 0) const;
    Index CreateIndex(const QString &name = {}) const;
    FieldsCollection Fields() const;
    Field Fields(const QString &name) const;
    Field Fields(int i) const;
    IndexesCollection Indexes() const;
    Index Indexes(const QString &name) const;
    Index Indexes(int i) const;
    long RecordCount() const; // appended tables only

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    void reset() { m_impl.reset(); }
    friend bool operator==(const TableDef &a, const TableDef &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<TableDefImpl> m_impl;
};

// A table-type recordset: an independent cursor on one table, in the order
// of its current index (insertion order when it has none).
class Recordset {
public:
    Recordset() = default;

    QString Name() const;
    int Type() const { return dbOpenTable; }
    bool Updatable() const;

    // Current index by name, any letter case; "" for none (insertion order).
    // Changing it keeps the current record.
    QString Index() const;
    void setIndex(const QString &name);

    // op: "=", "<", "<=", ">", ">="; keys: the whole key of the current
    // index or its leading part. After a failed seek NoMatch() is true and
    // there is no current record.
    void Seek(const QString &op, const QVariantList &keys);
    template <typename... Keys>
    void Seek(const QString &op, const Keys &...keys)
    {
        Seek(op, QVariantList{QVariant(keys)...});
    }
    bool NoMatch() const;

    bool Eof() const;
    bool Bof() const;
    void MoveFirst();
    void MoveLast();
    void MoveNext();
    void MovePrevious();
    void Move(long rows);

    void AddNew();
    void Edit();
    void Update();
    void CancelUpdate();
    void Delete();
    int EditMode() const;
    void Close();

    long RecordCount() const;
    QByteArray Bookmark() const;
    void setBookmark(const QByteArray &bookmark);
    double PercentPosition() const;
    void setPercentPosition(double percent);

    Field Fields(const QString &name) const;
    Field Fields(int i) const;
    FieldsCollection Fields() const;

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    void reset() { m_impl.reset(); }
    friend bool operator==(const Recordset &a, const Recordset &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<RecordsetImpl> m_impl;
};

class Database {
public:
    Database() = default;

    QString Name() const;
    QString Connect() const;
    bool Updatable() const;

    TableDef CreateTableDef(const QString &name = {}) const;
    TableDefsCollection TableDefs() const;
    TableDef TableDefs(const QString &name) const;
    TableDef TableDefs(int i) const;
    // type: dbOpenTable (the only type); options: 0 or dbReadOnly.
    Recordset OpenRecordset(const QString &name, int type = dbOpenTable, int options = 0,
                            int lockEdits = 0) const;
    // Closes the base: every recordset and field taken from it then raises 3420.
    void Close();

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    void reset() { m_impl.reset(); }
    friend bool operator==(const Database &a, const Database &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<DatabaseImpl> m_impl;
};

class Workspace {
public:
    Workspace() = default;

    QString Name() const;
    // connect: ";pwd=" followed by the key; everything after the first
    // ";pwd=" is the key, handed over as bytes. readOnly: every write then
    // fails with 3027. Never creates a file.
    Database OpenDatabase(const QString &name, const QVariant &options = false,
                          bool readOnly = false, const QString &connect = {}) const;
    // A base from elsewhere, to be read only: opened read-only with the
    // engine's defensive settings (no triggers, extensions or tokenizers,
    // page checks, reads only). Raises 3343 when its tables are not what its
    // catalog says (a catalogued table that is not a plain table or lacks a
    // column, or any view or trigger), besides the errors of OpenDatabase.
    Database OpenForeignDatabase(const QString &name, const QString &connect) const;
    // locale: a locale string and optionally ";pwd=..."; 3204 when anything
    // exists at that path (the path is then left untouched).
    Database CreateDatabase(const QString &name, const QString &locale, int options = 0) const;

    // Transactions span every base open in the workspace; they nest (5 deep).
    void BeginTrans() const;
    void CommitTrans() const;
    void Rollback() const;
    int TransactionLevel() const;

    bool isNothing() const { return !m_impl; }
    explicit operator bool() const { return bool(m_impl); }
    friend bool operator==(const Workspace &a, const Workspace &b) { return a.m_impl == b.m_impl; }

private:
    friend struct Access;
    std::shared_ptr<WorkspaceImpl> m_impl;
};

// The engine; one per program, with one default workspace, Workspaces(0).
class DBEngine {
public:
    static Workspace Workspaces(int i);
    static Database OpenDatabase(const QString &name, const QVariant &options = false,
                                 bool readOnly = false, const QString &connect = {});
    static Database CreateDatabase(const QString &name, const QString &locale, int options = 0);
    static void BeginTrans();
    static void CommitTrans();
    static void Rollback();
    static int DefaultType();
    static void setDefaultType(int type);
};

// A transaction on a workspace that rolls back unless committed.
class TransactionScope {
public:
    explicit TransactionScope(Workspace ws = DBEngine::Workspaces(0));
    ~TransactionScope();
    void Commit();
    TransactionScope(const TransactionScope &) = delete;
    TransactionScope &operator=(const TransactionScope &) = delete;

private:
    Workspace m_ws;
    bool m_open = false;
};

struct TableMeta;

// Rows written into a table that is empty, inside an open transaction: its
// indexes that allow duplicates are set aside while the rows go in and made
// again after them, one sort each. They are back before anything reads the
// table through them, when the fill ends, and before the transaction
// commits; a rollback brings them back by itself. On a table holding rows,
// or with no transaction open, nothing is set aside.
class BulkFill {
public:
    BulkFill(const Database &db, const QString &table);
    ~BulkFill();
    bool active() const;
    // Makes the indexes again now; raises the engine's error.
    void finish();
    BulkFill(const BulkFill &) = delete;
    BulkFill &operator=(const BulkFill &) = delete;

private:
    std::shared_ptr<DatabaseImpl> m_db;
    std::shared_ptr<TableMeta> m_table;
};

// Reads the named columns of every row of a table, in stored order, without
// moving any recordset: for scans that read each record once (memo columns
// included, which a recordset reads one record at a time). `visit` gets the
// values as fields read them and returns false to stop. Raises 3078 for an
// unknown table and 3265 for an unknown column.
void ScanTable(const Database &db, const QString &table, const QStringList &columns,
               const std::function<bool(const QVariantList &row)> &visit);

// Reads the named columns of every row of a table in the order of one of
// its indexes ("": stored order), memo columns included, with one statement
// of its own: for copies that read each record once. Raises 3078 for an
// unknown table and 3015 for an unknown index; a column the table lacks
// reads as Null (has() tells).
class RowReader {
public:
    RowReader(const Database &db, const QString &table, const QString &index, const QStringList &columns);
    ~RowReader();
    bool has(int column) const;
    long count() const;
    // Onto the next row; false after the last.
    bool next();
    // The value as the table's field reads it.
    QVariant value(int column) const;
    RowReader(const RowReader &) = delete;
    RowReader &operator=(const RowReader &) = delete;

private:
    friend class RowWriter;
    std::shared_ptr<DatabaseImpl> m_db;
    std::shared_ptr<TableMeta> m_table;
    std::vector<int> m_cols; // column of the table, -1: not there
    ::sqlite3_stmt *m_stmt = nullptr;
};

// Adds rows to a table through the same rules as AddNew and Update on a
// recordset: its counter numbered by the base, Nulls, lengths and zero-length
// texts checked, the engine's refusals raised. A value that is already in the
// form the column stores is copied from a RowReader's row as it is.
class RowWriter {
public:
    RowWriter(const Database &db, const QString &table, const QStringList &columns);
    ~RowWriter();
    // A new row, every column Null but the counter, which takes its number.
    void begin();
    // As Field::setValue; returns the error number of a refused value
    // (the column stays Null), 0 when taken.
    int set(int column, const QVariant &value);
    // The reader's value of its column `from` as it is stored, when the
    // value needs no conversion into this column (the same type, a stored
    // form this column takes unchanged: text in valid UTF-8, a number in its
    // range, a date in the stored form); false
    // otherwise, leaving the column as it was. `length` gets the length of a
    // text in UTF-16 units, as QString::size() gives it.
    bool copyStored(int column, const RowReader &reader, int from, qsizetype *length = nullptr);
    // As Update after AddNew: raises the refusal of the row.
    void insert();
    RowWriter(const RowWriter &) = delete;
    RowWriter &operator=(const RowWriter &) = delete;

private:
    struct Slot;
    std::shared_ptr<DatabaseImpl> m_db;
    std::shared_ptr<TableMeta> m_table;
    std::vector<int> m_cols;
    std::vector<Slot> m_slots; // per column of the table
    bool m_begun = false;
};

// The comparison every index and seek applies to text: Unicode case folding,
// accents distinct; accented letters sort beside their base letter; texts
// compare in normal form C (composedText).
int compareText(QStringView a, QStringView b);
// The text in normal form C: an accent typed as a combining character after
// its letter becomes the one composed character.
QString composedText(QStringView text);
// The text as compareText sees it: in normal form C, letter case folded.
// Two texts that compareText finds equal have the same key, so a hash or a
// set of keys groups texts as the indexes do.
QString textKey(QStringView text);

// A text as the file holds it (UTF-8) and back, every character kept: a
// leading U+FEFF stays, which the conversions of Qt and SQLite take for a
// byte order mark and drop. Half of a surrogate pair, which UTF-8 cannot
// hold, is stored as U+FFFD, as a reader of bytes that are not UTF-8 gets
// them. Every text the engine writes, seeks or compares is converted so.
QByteArray toStoredText(QStringView text);
QString fromStoredText(QByteArrayView utf8);

// Gives up an AddNew or Edit that is still pending; does nothing when there
// is none (a failed Update has already given it up).
void CancelPending(const Recordset &rs);

} // namespace dao
