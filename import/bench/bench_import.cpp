// Importing a base of 100,000 rows (keywords, links, references with their
// authors, quotes and notes with their keyword links, in the proportions of
// a base in use) into an empty base, beside the same tables copied directly
// with ATTACH and INSERT ... SELECT on SQLCipher with the same page cache,
// in the same run; the ratio
// is printed at the end.

#include "BaseImporter.h"
#include "Collation.h"
#include "Dao.h"
#include "ImportPlan.h"
#include "Start.h"
#include "Tabdef.h"

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <map>

using namespace dao;

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");

// Rows per table; 100,000 in all.
struct Sizes {
    int keywords = 1000, links = 1500, references = 4000, referenceAuthors = 6000, authors = 2500,
        publishers = 500, periodicals = 200, articles = 1000, referenceLinks = 8000, quotes = 16000,
        quoteLinks = 32000, notes = 8000, noteLinks = 16000, noteAuthors = 300, words = 300,
        quoteTotals = 1350, noteTotals = 1350;
};

QString text(const char *what, int i, int width = 5)
{
    return QString::fromLatin1(what) + QStringLiteral("%1").arg(i, width, 10, QChar(u'0'));
}

QString body(int i, int length)
{
    static const QString words = QStringLiteral(
        "memory history travel language city river letter garden winter number mountain reading ");
    QString s;
    s.reserve(length);
    while (s.size() < length)
        s += words.mid((i * 7 + s.size()) % 60, 24);
    s.truncate(length);
    return s;
}

void add(Recordset &rs, std::initializer_list<std::pair<Field *, QVariant>> values)
{
    rs.AddNew();
    for (const auto &[f, v] : values)
        f->setValue(v);
    rs.Update();
}

struct Fixture {
    QTemporaryDir dir;
    QString source, empty;
    int rows = 0;

    Fixture()
    {
        const Sizes n;
        empty = dir.filePath(QStringLiteral("empty.cvb"));
        g_Db = DBEngine::CreateDatabase(empty, QString::fromLatin1(dbLangGeneral) + kConnect, dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        g_Db.Close();

        source = dir.filePath(QStringLiteral("source.cvb"));
        QFile::copy(empty, source);
        g_Db = DBEngine::OpenDatabase(source, false, false, kConnect);
        OpenBaseTables();
        DBEngine::BeginTrans();
        for (int i = 0; i < n.keywords; ++i)
            add(rsCGroup1, {{&fldCGroup1Groupe, text("keyword ", i, 4)}});
        for (int i = 0; i < n.links; ++i)
            add(rsGroup2, {{&fldGroup2Groupe2, text("keyword ", i / 3, 4)},
                           {&fldGroup2Groupe, text("keyword ", 500 + (i % 3) * 100 + i % 100, 4)}});
        for (int i = 0; i < n.references; ++i)
            add(rsBiblio, {{&fldBiblioNdx, text("Author_", i, 4)},
                           {&fldBiblioAuteur, text("Author ", i % n.authors, 4)},
                           {&fldBiblioTitre1, body(i, 60)},
                           {&fldBiblioType, QStringLiteral("Book")},
                           {&fldBiblioEditeur, text("Publisher ", i % n.publishers, 3)},
                           {&fldBiblioAnnee, 1950 + i % 70}});
        for (int i = 0; i < n.referenceAuthors; ++i)
            add(rsAutNdx, {{&fldAutNdxNdx, text("Author_", i % n.references, 4)},
                           {&fldAutNdxAuteur, text("Author ", i % n.authors, 4)}});
        for (int i = 0; i < n.authors; ++i)
            add(rsAuteurs, {{&fldAuteursNom, text("Author ", i, 4)}});
        for (int i = 0; i < n.publishers; ++i)
            add(rsEditeur, {{&fldEditeurNom, text("Publisher ", i, 3)}, {&fldEditeurVille, QStringLiteral("Paris")}});
        for (int i = 0; i < n.periodicals; ++i)
            add(rsRevue, {{&fldRevueNom, text("Review ", i, 3)}, {&fldRevueIssn, QStringLiteral("1234-5678")}});
        for (int i = 0; i < n.articles; ++i)
            add(rsRevueArticle, {{&fldRevueArticleNdx, text("Author_", i * 4, 4)},
                                 {&fldRevueArticleRevueTitre, text("Review ", i % n.periodicals, 3)},
                                 {&fldRevueArticleAnnee, 1990 + i % 30},
                                 {&fldRevueArticlePages, QStringLiteral("10-20")}});
        for (int i = 0; i < n.referenceLinks; ++i)
            add(rsGrBib, {{&fldGrBibGroupe, text("keyword ", i % n.keywords, 4)},
                          {&fldGrBibNdx, text("Author_", i % n.references, 4)}});
        for (int i = 0; i < n.quotes; ++i)
            add(rsCit, {{&fldCitCit, text("QUOT", i) + QStringLiteral(".TXT")},
                        {&fldCitNdx, text("Author_", i % n.references, 4)},
                        {&fldCitAuteur, text("Author ", i % n.authors, 4)},
                        {&fldCitTitre1, body(i, 40)},
                        {&fldCitTexte, body(i, 600)},
                        {&fldCitTextRtf, QStringLiteral("{\\rtf1\\ansi\\f0 ") + body(i, 600) + u'}'},
                        {&fldCitJour, QDate(2020, 1, 1).addDays(i % 900)}});
        for (int i = 0; i < n.quoteLinks; ++i)
            add(rsGrCit, {{&fldGrCitGroupe, text("keyword ", (i * 7) % n.keywords, 4)},
                          {&fldGrCitNdx, text("QUOT", i % n.quotes) + QStringLiteral(".TXT")}});
        for (int i = 0; i < n.notes; ++i)
            add(rsNote, {{&fldNoteCit, text("NOTE", i, 4) + QStringLiteral(".TXT")},
                         {&fldNoteAuteur, text("Writer ", i % n.noteAuthors, 3)},
                         {&fldNoteTitre1, body(i, 40)},
                         {&fldNoteTexte, body(i, 800)},
                         {&fldNoteTextRtf, QStringLiteral("{\\rtf1\\ansi\\f0 ") + body(i, 800) + u'}'},
                         {&fldNoteJour, QDate(2020, 1, 1).addDays(i % 900)}});
        for (int i = 0; i < n.noteLinks; ++i)
            add(rsGrNote, {{&fldGrNoteGroupe, text("keyword ", (i * 13) % n.keywords, 4)},
                           {&fldGrNoteNdx, text("NOTE", i % n.notes, 4) + QStringLiteral(".TXT")}});
        for (int i = 0; i < n.noteAuthors; ++i)
            add(rsAutNote, {{&fldAutNoteNom, text("Writer ", i, 3)}});
        for (int i = 0; i < n.words; ++i)
            add(rsWords, {{&fldWordsWord, text("w", i, 3)}});
        for (int i = 0; i < n.quoteTotals; ++i)
            add(rsWordsCitAll, {{&fldWordsCitAllMot, text("word", i, 4)}, {&fldWordsCitAllOccurences, i % 50}});
        for (int i = 0; i < n.noteTotals; ++i)
            add(rsWordsNoteAll, {{&fldWordsNoteAllMot, text("word", i, 4)}, {&fldWordsNoteAllOccurences, i % 50}});
        DBEngine::CommitTrans();
        for (const importer::TablePlan &t : importer::importPlan())
            rows += int(t.target->RecordCount());
        g_Db.Close();
        g_Db = Database();
    }
};

Fixture &fx()
{
    static Fixture f;
    return f;
}

QString freshTarget(int i)
{
    const QString p = fx().dir.filePath(QStringLiteral("target%1.cvb").arg(i));
    QFile::remove(p);
    QFile::copy(fx().empty, p);
    return p;
}

void Import_Engine(benchmark::State &st)
{
    int i = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const QString target = freshTarget(i++);
        g_Db = DBEngine::OpenDatabase(target, false, false, kConnect);
        OpenBaseTables();
        st.ResumeTiming();
        Database source = DBEngine::Workspaces(0).OpenForeignDatabase(fx().source, kConnect);
        const importer::ImportReport r = importer::BaseImporter(source, nullptr).run();
        source.Close();
        st.PauseTiming();
        if (r.failed || r.added() != fx().rows) {
            benchfail::skip(st, r.failed ? "the import failed: " + r.failure.toStdString()
                                         : "the import copied " + std::to_string(r.added()) + " rows of " +
                                               std::to_string(fx().rows));
            break;
        }
        g_Db.Close();
        g_Db = Database();
        st.ResumeTiming();
    }
    st.SetItemsProcessed(st.iterations() * fx().rows);
}

void check(sqlite3 *db, int rc)
{
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW)
        benchfail::fail("sqlite", db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
}

void Import_Direct(benchmark::State &st)
{
    int i = 0;
    for (auto _ : st) {
        st.PauseTiming();
        const QString target = freshTarget(i++);
        st.ResumeTiming();
        sqlite3 *db = nullptr;
        check(db, sqlite3_open_v2(QFile::encodeName(target).constData(), &db, SQLITE_OPEN_READWRITE, nullptr));
        sqlite3_key(db, "Qv47Tz28", 8);
        registerTextCollation(db);
        const QByteArray attach = "ATTACH DATABASE '" + QFile::encodeName(fx().source) + "' AS src KEY 'Qv47Tz28'";
        check(db, sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr));
        // The page cache the engine gives each base.
        check(db, sqlite3_exec(db, "PRAGMA main.cache_size=-65536; PRAGMA src.cache_size=-65536", nullptr, nullptr,
                               nullptr));
        check(db, sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr));
        for (const importer::TablePlan &t : importer::importPlan()) {
            QByteArray cols;
            for (const importer::ColumnPlan &c : t.columns)
                cols += (cols.isEmpty() ? "\"" : ", \"") + c.name.toUtf8() + '"';
            const QByteArray sql = "INSERT INTO main.\"" + t.table.toUtf8() + "\"(" + cols + ") SELECT " + cols +
                                   " FROM src.\"" + t.table.toUtf8() + '"';
            check(db, sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr));
        }
        check(db, sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr));
        sqlite3_close(db);
    }
    st.SetItemsProcessed(st.iterations() * fx().rows);
}

class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> times;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.aggregate_name == "median" || r.run_name.repetitions.empty())
                times[r.run_name.function_name] = r.GetAdjustedRealTime();
    }
};

} // namespace

BENCHMARK_GUARDED(Import_Engine)->Repetitions(3)->ReportAggregatesOnly(true)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(Import_Direct)->Repetitions(3)->ReportAggregatesOnly(true)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    std::vector<char *> args(argv, argv + argc);
    char interleave[] = "--benchmark_enable_random_interleaving=true";
    args.insert(args.begin() + 1, interleave);
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    std::printf("source base: %d rows\n", fx().rows);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto e = reporter.times.find("Import_Engine"), d = reporter.times.find("Import_Direct");
    if (e != reporter.times.end() && d != reporter.times.end() && d->second > 0)
        std::printf("\nImport / direct ATTACH and INSERT ... SELECT (real time): %.2fx\n", e->second / d->second);
    benchmark::Shutdown();
    return 0;
}
