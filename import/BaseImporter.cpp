#include "BaseImporter.h"

#include "DaoErrors.h"
#include "Error.h"
#include "ImportPlan.h"
#include "Start.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <memory>
#include <optional>
#include <vector>

namespace importer {

ImportProgress::~ImportProgress() = default;

int ImportReport::added() const
{
    int n = 0;
    for (const TableCount &t : tables)
        n += t.added;
    return n;
}

int ImportReport::skipped() const
{
    int n = 0;
    for (const TableCount &t : tables)
        n += t.skipped;
    return n;
}

bool ImportReport::somethingUnread() const
{
    for (const TableCount &t : tables)
        if (t.missing || !t.missingColumns.isEmpty())
            return true;
    return false;
}

const TableCount *ImportReport::count(const QString &table) const
{
    for (const TableCount &t : tables)
        if (t.table.compare(table, Qt::CaseInsensitive) == 0)
            return &t;
    return nullptr;
}

QString foldedKey(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QStringLiteral("N");
    return u'V' + dao::textKey(value.toString());
}

namespace {

// Refusals of one row by the open base; any other error stops the import.
bool isRowRefusal(int number)
{
    switch (number) {
    case dao::ErrDuplicate:
    case dao::ErrNullInIndex:
    case dao::ErrRequiredNull:
    case dao::ErrZeroLength:
    case dao::ErrFieldTooSmall:
    case dao::ErrConversion:
    case dao::ErrOverflow:
    case dao::ErrCounterNotUpdatable:
        return true;
    default:
        return false;
    }
}

QString joinedKey(const std::vector<QVariant> &values, const QList<int> &positions)
{
    if (positions.size() == 1)
        return foldedKey(values[size_t(positions[0])]);
    QString k;
    for (int p : positions) {
        k += foldedKey(values[size_t(p)]);
        k += QChar(0x1f);
    }
    return k;
}

QStringList columnNames(const TablePlan &plan)
{
    QStringList names;
    for (const ColumnPlan &c : plan.columns)
        names << c.name;
    return names;
}

// The values of the open base's table that the plan holds once at most.
QSet<QString> keysOfOpenBase(const TablePlan &plan)
{
    QSet<QString> keys;
    if (plan.uniqueColumns.isEmpty())
        return keys;
    QStringList names;
    for (int p : plan.uniqueColumns)
        names << plan.columns[p].name;
    dao::RowReader rows(g_Db, plan.table, QString(), names);
    keys.reserve(int(rows.count()));
    std::vector<QVariant> values(size_t(plan.columns.size()));
    while (rows.next()) {
        for (int i = 0; i < plan.uniqueColumns.size(); ++i)
            values[size_t(plan.uniqueColumns[i])] = rows.value(i);
        keys.insert(joinedKey(values, plan.uniqueColumns));
    }
    return keys;
}

bool sourceHasTable(const dao::Database &source, const QString &table)
{
    const dao::TableDefsCollection defs = source.TableDefs();
    for (int i = 0; i < defs.Count(); ++i)
        if (defs.Item(i).Name().compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

class Run {
public:
    Run(dao::Database source, ImportProgress *progress) : m_source(std::move(source)), m_progress(progress) {}

    void copyAll(ImportReport &report)
    {
        const QList<TablePlan> &plan = importPlan();
        for (const TablePlan &t : plan)
            m_keys.insert(t.table, keysOfOpenBase(t));
        // Taken before anything is added: the references the base had.
        m_referencesBefore = m_keys.value(QStringLiteral("BIBLIO"));
        for (const TablePlan &t : plan)
            report.tables.append(copyTable(t, report));
    }

private:
    TableCount copyTable(const TablePlan &plan, ImportReport &report)
    {
        TableCount count;
        count.table = plan.table;
        if (!plan.label.isEmpty() && m_progress)
            m_progress->step(plan.label);
        if (!sourceHasTable(m_source, plan.table)) {
            count.missing = true;
            return count;
        }
        const QStringList names = columnNames(plan);
        // The source is walked in its stored order, never through one of its
        // indexes: an index that lost entries (a file damaged elsewhere, which
        // the quick look before opening does not see) would hide their rows.
        dao::RowReader src(m_source, plan.table, QString(), names);
        for (int i = 0; i < plan.columns.size(); ++i)
            if (!src.has(i))
                count.missingColumns << plan.columns[i].name;

        QSet<QString> &keys = m_keys[plan.table];
        QSet<QString> *owners = plan.owner == CardKind::None ? nullptr : &m_added[int(plan.owner)];
        QSet<QString> *cardsAdded = plan.card == CardKind::None ? nullptr : &m_added[int(plan.card)];
        // For the progress bar only: a count may go through a damaged index.
        const long total = src.count();
        long read = 0;
        int shown = -1;
        // Only the values the rules look at are read as program values; the
        // rest go from the source to the open base as they are stored.
        std::vector<int> looked(plan.uniqueColumns.cbegin(), plan.uniqueColumns.cend());
        for (int p : {plan.ownerColumn, plan.referenceColumn})
            if (p >= 0 && std::find(looked.begin(), looked.end(), p) == looked.end())
                looked.push_back(p);
        std::vector<QVariant> values(size_t(plan.columns.size()));
        // The longest text each column of the open base takes; 0: any.
        std::vector<int> widest(size_t(plan.columns.size()), 0);
        for (int i = 0; i < plan.columns.size(); ++i)
            if (plan.columns[i].target->Type() == dao::dbText)
                widest[size_t(i)] = plan.columns[i].target->Size();

        // Into an empty table, the lookup indexes are made once after the rows.
        std::optional<dao::BulkFill> fill;
        std::optional<dao::RowWriter> target;
        while (src.next()) {
            if (!target) {
                fill.emplace(g_Db, plan.table);
                target.emplace(g_Db, plan.table, names);
                if (!plan.uniqueColumns.isEmpty())
                    keys.reserve(keys.size() + total);
                if (cardsAdded)
                    cardsAdded->reserve(cardsAdded->size() + total);
            }
            ++read;
            for (int p : looked)
                values[size_t(p)] = src.value(p);

            bool offer = true;
            QString key;
            if (owners && !owners->contains(foldedKey(values[size_t(plan.ownerColumn)])))
                offer = false;
            if (offer && !plan.uniqueColumns.isEmpty()) {
                key = joinedKey(values, plan.uniqueColumns);
                if (keys.contains(key)) {
                    offer = false;
                    if (plan.card == CardKind::Note)
                        ++report.notesThere;
                    else if (plan.card == CardKind::Quote)
                        ++report.quotesThere;
                    else if (plan.card == CardKind::Reference)
                        ++report.referencesThere;
                }
            }
            if (offer && plan.referenceColumn >= 0 &&
                m_referencesBefore.contains(foldedKey(values[size_t(plan.referenceColumn)])))
                offer = false;

            if (offer && addRow(plan, *target, src, widest, count)) {
                ++count.added;
                if (!key.isNull())
                    keys.insert(key);
                if (cardsAdded)
                    cardsAdded->insert(key);
            } else {
                ++count.skipped;
            }

            if (plan.progress && m_progress) {
                const int percent = int(std::min(read, total) * 100 / std::max(total, 1L));
                if (percent != shown) {
                    shown = percent;
                    m_progress->percent(percent);
                }
            }
        }
        if (fill)
            fill->finish();
        return count;
    }

    // One row into the open base; false when it refused the row. A value
    // that does not fit its column leaves that column empty, and the row
    // is stored without it.
    static bool addRow(const TablePlan &plan, dao::RowWriter &target, const dao::RowReader &src,
                       const std::vector<int> &widest, TableCount &count)
    {
        QStringList emptied;
        target.begin();
        for (int i = 0; i < plan.columns.size(); ++i) {
            if (!src.has(i))
                continue;
            const QString &column = plan.columns[i].name;
            qsizetype length = 0;
            if (target.copyStored(i, src, i, &length)) {
                if (widest[size_t(i)] > 0 && length > widest[size_t(i)]) {
                    emptied << column;
                    target.set(i, QVariant());
                }
                continue;
            }
            const QVariant value = src.value(i);
            if (widest[size_t(i)] > 0 && value.isValid() && value.toString().size() > widest[size_t(i)]) {
                emptied << column;
                continue;
            }
            if (const int refused = target.set(i, value)) {
                if (!isRowRefusal(refused))
                    dao::fail(refused, plan.columns[i].target->Name());
                emptied << column;
            }
        }
        try {
            target.insert();
        } catch (const vb::Error &e) {
            if (!isRowRefusal(e.number()))
                throw;
            return false;
        }
        for (const QString &column : std::as_const(emptied))
            ++count.emptiedColumns[column];
        return true;
    }

    dao::Database m_source;
    ImportProgress *m_progress;
    QHash<QString, QSet<QString>> m_keys;
    QSet<QString> m_referencesBefore;
    // Card keys added by this import, by CardKind.
    QSet<QString> m_added[4];
};

} // namespace

BaseImporter::BaseImporter(dao::Database source, ImportProgress *progress)
    : m_source(std::move(source)), m_progress(progress)
{
}

ImportReport BaseImporter::run()
{
    ImportReport report;
    try {
        dao::TransactionScope transaction;
        Run(m_source, m_progress).copyAll(report);
        transaction.Commit();
    } catch (const vb::Error &e) {
        // The transaction is undone: nothing of this import stays.
        report = ImportReport();
        report.failed = true;
        report.failure = e.number() == dao::ErrReadOnly ? QStringLiteral("Fichier en lecture seule !") : e.description();
    } catch (const std::bad_alloc &) {
        report = ImportReport();
        report.failed = true;
        report.failure = QStringLiteral("Out of memory");
    }
    return report;
}

QString summaryText(const ImportReport &report, const QString &sourceName)
{
    if (report.failed)
        return QStringLiteral("The import of %1 stopped and nothing was added to the base : %2")
            .arg(sourceName, report.failure);
    QString s = QStringLiteral("Import of %1 : %2 rows added, %3 skipped.")
                    .arg(sourceName)
                    .arg(report.added())
                    .arg(report.skipped());
    s += QStringLiteral("\n");
    for (const TableCount &t : report.tables) {
        s += QStringLiteral("\n") + t.table + QStringLiteral(" : ");
        if (t.missing) {
            s += QStringLiteral("not in the source, nothing read");
            continue;
        }
        s += QStringLiteral("%1 added, %2 skipped").arg(t.added).arg(t.skipped);
        if (!t.missingColumns.isEmpty())
            s += QStringLiteral(" (no column %1 in the source)").arg(t.missingColumns.join(QStringLiteral(", ")));
        if (!t.emptiedColumns.isEmpty()) {
            QStringList each;
            for (auto it = t.emptiedColumns.cbegin(); it != t.emptiedColumns.cend(); ++it)
                each << QStringLiteral("%1 in %2 %3").arg(it.key()).arg(it.value())
                            .arg(it.value() == 1 ? QStringLiteral("row") : QStringLiteral("rows"));
            s += QStringLiteral(" (left empty, the value did not fit : %1)").arg(each.join(QStringLiteral(", ")));
        }
    }
    const int there = report.notesThere + report.quotesThere + report.referencesThere;
    if (there > 0)
        s += QStringLiteral("\n\nCards skipped because their key is already in the base : %1 notes, %2 quotes, "
                            "%3 references (with their keywords, authors and other rows).")
                 .arg(report.notesThere)
                 .arg(report.quotesThere)
                 .arg(report.referencesThere);
    return s;
}

} // namespace importer
