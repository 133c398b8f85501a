#pragma once
// Reads that go straight to the file for listings and searches over many
// rows: none of them moves a recordset, and each reads a row's columns once.
// They raise what the recordsets raise: 3078 for an unknown table, 3265 for
// an unknown column, 3015 for an unknown index, 3420 once the base is closed.

#include "Dao.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <QVariantList>

#include <functional>
#include <memory>

struct sqlite3_stmt;

namespace dao {

struct TableMeta;
struct ColumnMeta;
struct CardsOfKey;

// One row of a read, its columns as the file holds them and converted only
// when asked: for listings that turn many rows into texts.
class RowView {
public:
    bool isNull(int i) const;
    // Whether the file holds the column as text, and that text as stored
    // (UTF-8, not converted), valid until the visit returns.
    bool holdsText(int i) const;
    QByteArrayView utf8(int i) const;
    // The stored number (0 for Null or text that is not one).
    qint64 number(int i) const;
    // The column as its Field gives it, and that value as text ("" for Null).
    QVariant value(int i) const;
    QString text(int i) const;
    // The row's number in its table, for reading it again later through
    // KeyReader::readRow.
    qint64 rowId() const;

private:
    friend class KeyReader;
    friend void ScanIndex(const Database &, const QString &, const QString &, const QStringList &, bool,
                          const std::function<bool(const RowView &)> &);
    friend int ReadCardsOfKey(const Database &, const CardsOfKey &, const QString &,
                              const std::function<bool(const RowView &)> &);
    void check(int i) const;
    const ColumnMeta &meta(int i) const;
    sqlite3_stmt *m_stmt = nullptr;
    const TableMeta *m_table = nullptr;
    const std::vector<int> *m_cols = nullptr;
    // Columns of several tables, instead of m_table and m_cols.
    const std::vector<const ColumnMeta *> *m_metas = nullptr;
};

// Takes the base's held read transaction now (every read takes it anyway,
// see DatabaseImpl::holdRead): the reads that follow see one state of the
// file and lock it once. A write, or the event loop's next turn, ends it.
class ReadScope {
public:
    explicit ReadScope(const Database &db);
    ~ReadScope();
    ReadScope(const ReadScope &) = delete;
    ReadScope &operator=(const ReadScope &) = delete;

private:
    std::shared_ptr<DatabaseImpl> m_db;
};

// The rows of one table whose key on one index equals a given key, as
// Seek "=" and MoveNext find them: the same rows (text compared as the index
// compares it), in the same order. Made once, asked for many keys in turn.
class KeyReader {
public:
    // keyColumns: how many leading columns of the index the keys give.
    KeyReader(const Database &db, const QString &table, const QString &index, const QStringList &columns,
              int keyColumns = 1);
    ~KeyReader();
    // Calls visit with the columns of each row of the key, until it returns
    // false; returns the number of rows visited. Not to be called again
    // from inside its own visit.
    int read(const QVariantList &key, const std::function<bool(const QVariantList &row)> &visit);
    int read(const QVariant &key, const std::function<bool(const QVariantList &row)> &visit)
    {
        return read(QVariantList{key}, visit);
    }
    // The same rows, as the file holds them.
    int read(const QVariantList &key, const std::function<bool(const RowView &row)> &visit);
    int read(const QVariant &key, const std::function<bool(const RowView &row)> &visit)
    {
        return read(QVariantList{key}, visit);
    }
    int read(const QString &key, const std::function<bool(const RowView &row)> &visit);

    // A reader of rows by their number (RowView::rowId) instead of a key:
    // for listings that find rows through one index and read them in the
    // order of the file, or not at all when read already.
    struct ByRowId {};
    KeyReader(const Database &db, const QString &table, ByRowId, const QStringList &columns);
    // Calls visit with the row of that number, if the table has it;
    // returns 1 when it does, else 0.
    int readRow(qint64 rowId, const std::function<bool(const RowView &row)> &visit);

    KeyReader(const KeyReader &) = delete;
    KeyReader &operator=(const KeyReader &) = delete;

private:
    // The statement bound to the key and ready to step, or null when the
    // key finds nothing.
    sqlite3_stmt *start(const QVariantList &key);
    int visitRows(sqlite3_stmt *s, const std::function<bool(const RowView &row)> &visit);
    std::shared_ptr<DatabaseImpl> m_db;
    std::shared_ptr<TableMeta> m_table;
    std::vector<int> m_keyCols, m_cols;
    QByteArray m_sql;
    // The base's cached statement, kept until the base closes.
    sqlite3_stmt *m_stmt = nullptr;
};

// The cards filed under one key of a link table, each with every link it
// has, in one read: for each link of the key (on the link table's index
// byKeyword, in its order) the card whose key (the one column of the card
// table's index cardIndex) equals the link's card column, the one column of
// the link table's index byCard; then every link of that card on byCard, in
// its order. A link without its card gives nothing. These are the rows of
// seeking each link's card by key and walking the card's links, keys
// compared as the indexes compare them.
struct CardsOfKey {
    QString linkTable, byKeyword, byCard;
    QString cardTable, cardIndex;
    QStringList linkColumns; // read from each link of a card
    QStringList cardColumns; // read from the card
};
// visit gets the link columns, then the card columns; RowView::rowId is the
// card's row number. Returns the number of rows visited. Not to be called
// again from inside its own visit.
int ReadCardsOfKey(const Database &db, const CardsOfKey &what, const QString &key,
                   const std::function<bool(const RowView &row)> &visit);

// Every row of a table in the order of one of its indexes (its columns,
// then the order of insertion), last first when descending, with the named
// columns. When the index holds every column asked for (the counter counts
// as held), only the index is read.
void ScanIndex(const Database &db, const QString &table, const QString &index, const QStringList &columns,
               bool descending, const std::function<bool(const QVariantList &row)> &visit);
void ScanIndex(const Database &db, const QString &table, const QString &index, const QStringList &columns,
               bool descending, const std::function<bool(const RowView &row)> &visit);

// One row of ScanTexts: the text column as the file holds it (UTF-8, not
// converted) and the other columns, converted only when asked for.
class TextRow {
public:
    bool textIsNull() const { return m_null; }
    // Valid until the visit returns.
    QByteArrayView utf8() const { return m_text; }
    // The text converted, as Fields read it.
    QString text() const;
    // The i-th of the other columns.
    QVariant value(int i) const;

private:
    friend void ScanTexts(const Database &, const QString &, const QString &, const QStringList &,
                          const std::function<bool(const TextRow &)> &);
    sqlite3_stmt *m_stmt = nullptr;
    const TableMeta *m_table = nullptr;
    const std::vector<int> *m_cols = nullptr;
    QByteArrayView m_text;
    bool m_null = true;
};

// Every row of a table in stored order, for searches that look at one text
// column of each row once: the text comes as bytes, and the other columns
// cost nothing unless read.
void ScanTexts(const Database &db, const QString &table, const QString &textColumn, const QStringList &columns,
               const std::function<bool(const TextRow &row)> &visit);

} // namespace dao
