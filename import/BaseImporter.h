#pragma once
// The copy of another base into the open one, without windows: the source's
// rows are offered table by table (ImportPlan) to the open base's shared
// recordsets, all in one transaction, so that a failure midway (or the
// program ending) leaves the open base as it was.
//
// What is not added: a row the open base already holds (a keyword, a link
// pair, a card key, a name in the author, note-author, publisher or
// periodical lists, an excluded word, a word total); the keyword links,
// authors, article details and word-index rows of a card that was not added;
// the quotes of a reference the open base already had. So the same base
// imported twice adds nothing the second time. Counters are numbered by the
// open base.

#include "Dao.h"

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

namespace importer {

struct TableCount {
    QString table;
    int added = 0;
    // Offered and not added: already there, hanging on a card not added,
    // or refused by the open base.
    int skipped = 0;
    // The source has no such table: nothing of it was read.
    bool missing = false;
    // Columns the source table lacks; they stay empty in the added rows.
    QStringList missingColumns;
    // Columns left empty in some added rows, with how many: the value was
    // too long for the open base's column, or refused by it.
    QMap<QString, int> emptiedColumns;
};

struct ImportReport {
    QList<TableCount> tables;
    // Cards not added because their key was in the open base.
    int notesThere = 0, quotesThere = 0, referencesThere = 0;
    // The import stopped and was undone; why.
    bool failed = false;
    QString failure;

    int added() const;
    int skipped() const;
    // Something of the source could not be read (a table, a column).
    bool somethingUnread() const;
    const TableCount *count(const QString &table) const;
};

// The progress window as the import sees it.
class ImportProgress {
public:
    virtual ~ImportProgress();
    virtual void step(const QString &label) = 0;
    // 0 to 100 through the source table being walked.
    virtual void percent(int value) = 0;
};

class BaseImporter {
public:
    // source: open, read-only. progress may be null.
    explicit BaseImporter(dao::Database source, ImportProgress *progress = nullptr);

    // Copies into the open base (g_Db and its shared recordsets). Raises
    // nothing: a failure is in the report, with the base as it was.
    ImportReport run();

private:
    dao::Database m_source;
    ImportProgress *m_progress;
};

// The closing summary shown to the user.
QString summaryText(const ImportReport &report, const QString &sourceName);

// The text of a key as the indexes compare it (normal form C, letter case
// folded), with a Null told apart from "".
QString foldedKey(const QVariant &value);

} // namespace importer
