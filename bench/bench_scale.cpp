// The program at the size of a real base: bases of 1,000, 10,000 and
// 100,000 notes with their keywords, links, quotes and references in the
// proportions of a base in use, made once and kept in the build folder.
// At each size: opening, the notes of a big keyword into the result window
// (the first time after opening and again), the notes by date, a text
// search, the word index built and run again, and an import; the listings,
// the index build and the import each beside the fastest plain SQLCipher
// code for the same result. The figures and ratios are printed at
// the end, with the peak memory of the index build (the peak since the
// build began, so run one size alone for a figure of the build itself).
//
//   bench_scale                                    every size, 3 runs
//   bench_scale --benchmark_filter=/10000/         one size

#include "BaseImporter.h"
#include "BenchFailure.h"
#include "CardSets.h"
#include "Collation.h"
#include "DaoImpl.h"
#include "Guard.h"
#include "LeftBases.h"
#include "ImportPlan.h"
#include "ListByDate.h"
#include "ProgramState.h"
#include "ListingFloors.h"
#include "Listings.h"
#include "Start.h"
#include "Tabdef.h"
#include "TextFind.h"
#include "WordIndexBuilder.h"
#include "WordSearch.h"
#include "fGrid.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <map>
#include <string>

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
const char kKey[] = "Qv47Tz28";
// Changed whenever the generated bases change, so that old ones are not used.
const char kGeneration[] = "g1";
const QString kBigKeyword = QStringLiteral("keyword 00000");
// In one note of a hundred.
const QString kMarker = QStringLiteral("Hieronymus");
constexpr int kNoteChars = 2048;
constexpr int kQuoteChars = 600;
const QList<int> kSizes = {1000, 10000, 100000};

QString folder()
{
    static const QString dir = [] {
        const QString d = QString::fromUtf8(BENCH_BASE_DIR);
        QDir().mkpath(d);
        return d;
    }();
    return dir;
}

QString basePath(int notes)
{
    return folder() + QStringLiteral("/notes-%1-%2.cvb").arg(notes).arg(QLatin1String(kGeneration));
}
// Work files are this run's own: two runs at once never write into each
// other's copy (a lock held past the engine's wait fails a build).
QString workPrefix()
{
    return QStringLiteral("work-%1-").arg(QCoreApplication::applicationPid());
}
QString workPath(const QString &what)
{
    return folder() + u'/' + workPrefix() + what + QStringLiteral(".cvb");
}

[[noreturn]] void die(sqlite3 *db, const char *what)
{
    benchfail::fail(what, db ? sqlite3_errmsg(db) : "no connection");
}

void exec(sqlite3 *db, const QByteArray &sql)
{
    if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
        die(db, sql.constData());
}

// A direct connection with the same key, text order and cache as the engine's.
sqlite3 *openDirect(const QString &path)
{
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                        nullptr) != SQLITE_OK)
        die(db, "open");
    sqlite3_key(db, kKey, int(sizeof kKey - 1));
    dao::registerTextCollation(db);
    exec(db, "PRAGMA cache_size=-65536");
    return db;
}

// ---- texts -----------------------------------------------------------------

const QStringList &vocabulary()
{
    static const QStringList words = [] {
        const QStringList stems = {u"libert\u00E9"_qs, u"\u00E9t\u00E9"_qs, "house", "Paris", "analysis", "word",
                                   "memory", "Physics", "class", u"na\u00EFve"_qs, "river", "letter", "garden",
                                   u"c\u0153ur"_qs, "winter", "number", "mountain", "reading", "history", "city"};
        QStringList out;
        QRandomGenerator rng(7);
        for (int i = 0; i < 20000; ++i) {
            QString w = stems.at(i % stems.size());
            for (int k = int(rng.bounded(6)); k > 0; --k)
                w += QChar(u'a' + int(rng.bounded(26)));
            if (i % 3 == 0)
                w += u's';
            out << w;
        }
        return out;
    }();
    return words;
}

// Prose with a Zipf-like spread of words, punctuation and line breaks.
QString prose(int chars, QRandomGenerator &rng)
{
    const QStringList &v = vocabulary();
    QString out;
    out.reserve(chars + 32);
    int n = 0;
    while (out.size() < chars) {
        const int rank = int(std::pow(double(v.size()), rng.generateDouble())) - 1;
        out += v.at(std::clamp(rank, 0, int(v.size()) - 1));
        out += ++n % 13 == 0 ? QStringLiteral(".\r\n") : n % 5 == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
    }
    return out;
}

QString rtfOf(const QString &text)
{
    return QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ") + text + u'}';
}

QString key(const char *prefix, int i)
{
    return QLatin1String(prefix) + QStringLiteral("%1.TXT").arg(i, 6, 10, QChar(u'0'));
}
QString keyword(int i)
{
    return QStringLiteral("keyword %1").arg(i, 5, 10, QChar(u'0'));
}
QString dateText(QRandomGenerator &rng)
{
    const QDateTime d = QDateTime(QDate(2004, 1, 1), QTime(0, 0)).addSecs(qint64(rng.bounded(20 * 365 * 86400)));
    return d.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

// ---- the bases ---------------------------------------------------------------

struct Inserter {
    sqlite3 *db;
    sqlite3_stmt *s = nullptr;
    Inserter(sqlite3 *d, const char *table, const char *cols, int n) : db(d)
    {
        QByteArray marks;
        for (int i = 0; i < n; ++i)
            marks += i ? ", ?" : "?";
        const QByteArray sql = QByteArray("INSERT INTO \"") + table + "\"(" + cols + ") VALUES(" + marks + ")";
        if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) != SQLITE_OK)
            die(db, sql.constData());
    }
    ~Inserter() { sqlite3_finalize(s); }
    void row(std::initializer_list<QVariant> values)
    {
        int i = 0;
        for (const QVariant &v : values) {
            ++i;
            if (v.typeId() == QMetaType::Int) {
                sqlite3_bind_int(s, i, v.toInt());
            } else {
                const QByteArray b = v.toString().toUtf8();
                sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
            }
        }
        if (sqlite3_step(s) != SQLITE_DONE)
            die(db, "insert");
        sqlite3_reset(s);
    }
};

// A base is made under a name of this run's own, then renamed over its
// place in one step: runs at once that both make it never write into one
// file, and a run never opens one half made.
QString partOf(const QString &path)
{
    return path + QStringLiteral(".part-%1").arg(QCoreApplication::applicationPid());
}
void putInPlace(const QString &part, const QString &path)
{
    if (::rename(QFile::encodeName(part).constData(), QFile::encodeName(path).constData()) != 0)
        benchfail::fail("putting " + path.toStdString() + " in place", std::strerror(errno));
}

// A new base as the program makes it (one commit), left closed.
void makeEmptyBase(const QString &path)
{
    QFile::remove(path);
    dao::TransactionScope tx;
    g_Db = dao::DBEngine::CreateDatabase(path, QString::fromLatin1(dao::dbLangGeneral) + kConnect, dao::dbEncrypt);
    CreateBaseTables();
    FillTypesTable();
    tx.Commit();
    g_Db.Close();
    g_Db = dao::Database();
}

// Per 8 notes, as in a base in use: 1 keyword, 1.5 keyword links, 4
// references with 6 author rows, 2.5 authors, 0.5 publishers, 0.2
// periodicals, 1 article, 8 reference links, 16 quotes with 32 keyword
// links, 16 note keyword links, 0.3 note authors; 300 excluded words. Three
// notes in ten have the big keyword.
void generate(int notes, const QString &path)
{
    std::fprintf(stderr, "making a base of %d notes...\n", notes);
    const QString tmp = partOf(path);
    makeEmptyBase(tmp);
    sqlite3 *db = openDirect(tmp);
    exec(db, "BEGIN");
    QRandomGenerator rng{quint32(notes)};
    const int keywords = std::max(40, notes / 8), refs = notes / 2, authors = std::max(1, notes * 5 / 16),
              publishers = std::max(1, notes / 16), periodicals = std::max(1, notes / 40),
              noteAuthors = std::max(1, notes * 3 / 80);
    {
        Inserter kw(db, "CGROUP1", "GROUPE", 1);
        for (int i = 0; i < keywords; ++i)
            kw.row({keyword(i)});
        Inserter ln(db, "GROUP2", "GROUPE2, GROUPE", 2);
        for (int i = 0; i < keywords * 3 / 2; ++i)
            ln.row({keyword(i / 3), keyword((i * 37 + 1) % keywords)});
    }
    {
        Inserter b(db, "BIBLIO", "NDX, AUTEUR, TITRE1, Type, EDITEUR, ANNEE, JOURHEURE", 7);
        Inserter an(db, "AUTNDX", "NDX, AUTEUR", 2);
        Inserter gb(db, "GRBIB", "GROUPE, NDX", 2);
        for (int i = 0; i < refs; ++i) {
            const QString k = QStringLiteral("REF%1").arg(i, 7, 10, QChar(u'0'));
            b.row({k, QStringLiteral("Author %1").arg(i % authors), prose(60, rng), QStringLiteral("Book"),
                   QStringLiteral("Publisher %1").arg(i % publishers), 1950 + i % 70, dateText(rng)});
            an.row({k, QStringLiteral("Author %1").arg(i % authors)});
            if (i % 2 == 0)
                an.row({k, QStringLiteral("Author %1").arg((i * 7 + 3) % authors)});
            for (int l = 0; l < 2; ++l)
                gb.row({keyword(int(rng.bounded(keywords))), k});
        }
        Inserter au(db, "AUTEURS", "NOM", 1);
        for (int i = 0; i < authors; ++i)
            au.row({QStringLiteral("Author %1").arg(i)});
        Inserter ed(db, "EDITEUR", "NOM, Ville", 2);
        for (int i = 0; i < publishers; ++i)
            ed.row({QStringLiteral("Publisher %1").arg(i), QStringLiteral("Paris")});
        Inserter rv(db, "REVUE", "NOM, ISSN", 2);
        for (int i = 0; i < periodicals; ++i)
            rv.row({QStringLiteral("Review %1").arg(i), QStringLiteral("1234-5678")});
        Inserter ar(db, "RevueArticle", "NDX, RevueTitre, Annee, Pages", 4);
        for (int i = 0; i < notes / 8; ++i)
            ar.row({QStringLiteral("REF%1").arg(i * 4, 7, 10, QChar(u'0')), QStringLiteral("Review %1").arg(i % periodicals),
                    1990 + i % 30, QStringLiteral("10-20")});
    }
    {
        Inserter q(db, "CIT", "CIT, AUTEUR, NDX, JOUR, TITRE1, TEXTE, TEXTRTF", 7);
        Inserter gq(db, "GRCIT", "GROUPE, NDX", 2);
        for (int i = 0; i < notes * 2; ++i) {
            const QString k = key("QUOT", i), text = prose(kQuoteChars, rng);
            q.row({k, QStringLiteral("Author %1").arg(i % authors), QStringLiteral("REF%1").arg(i % refs, 7, 10, QChar(u'0')),
                   dateText(rng), prose(40, rng), text, rtfOf(text)});
            for (int l = 0; l < 2; ++l)
                gq.row({keyword(int(rng.bounded(keywords))), k});
        }
    }
    {
        // Notes in an order unlike their keys, as a base filled over years.
        Inserter n(db, "NOTE", "CIT, AUTEUR, TITRE1, JOUR, TEXTE, TEXTRTF", 6);
        Inserter gn(db, "GRNOTE", "GROUPE, NDX", 2);
        for (int j = 0; j < notes; ++j) {
            const int i = int((qint64(j) * 7919) % notes);
            const QString k = key("NOTE", i);
            QString text = prose(kNoteChars, rng);
            if (i % 100 == 0)
                text.insert(text.indexOf(u' ', text.size() / 2) + 1, kMarker + u' ');
            n.row({k, QStringLiteral("Writer %1").arg(i % noteAuthors), prose(40, rng), dateText(rng), text,
                   rtfOf(text)});
            gn.row({i % 10 < 3 ? kBigKeyword : keyword(1 + int(rng.bounded(keywords - 1))), k});
            gn.row({keyword(1 + int(std::pow(double(keywords - 1), rng.generateDouble())) % (keywords - 1)), k});
        }
        Inserter na(db, "AUTNOTE", "NOM", 1);
        for (int i = 0; i < noteAuthors; ++i)
            na.row({QStringLiteral("Writer %1").arg(i)});
        Inserter w(db, "words", "Word", 1);
        for (int i = 0; i < 300; ++i)
            w.row({vocabulary().at(i * 61 % vocabulary().size()) + QStringLiteral("x%1").arg(i)});
        // A few excluded words that the texts do hold.
        for (int i = 0; i < 20; ++i)
            w.row({vocabulary().at(i * 3)});
    }
    exec(db, "COMMIT");
    sqlite3_close(db);
    putInPlace(tmp, path);
}

QString sourceBase(int notes)
{
    const QString p = basePath(notes);
    if (!QFile::exists(p))
        generate(notes, p);
    return p;
}

QString emptyBase()
{
    const QString p = folder() + QStringLiteral("/empty-") + QLatin1String(kGeneration) + QStringLiteral(".cvb");
    if (!QFile::exists(p)) {
        const QString tmp = partOf(p);
        makeEmptyBase(tmp);
        putInPlace(tmp, p);
    }
    return p;
}

QString freshCopy(const QString &from, const QString &as)
{
    const QString p = workPath(as);
    QFile::remove(p);
    // A journal left by a run that was ended would be rolled back into the
    // new copy when it is opened.
    QFile::remove(p + QStringLiteral("-journal"));
    QFile in(from);
    if (!in.copy(p))
        benchfail::fail("copying " + from.toStdString() + " to " + p.toStdString(), in.errorString().toStdString());
    return p;
}

// The open base of the program, as after "an existing base".
QString g_openPath;
void openBase(const QString &path)
{
    if (g_openPath == path && !g_Db.isNothing())
        return;
    vb::Forms::unload<fGrid>();
    if (!g_Db.isNothing())
        g_Db.Close();
    g_Db = dao::DBEngine::OpenDatabase(path, false, false, kConnect);
    OpenBaseTables();
    g_openPath = path;
}
void closeBase()
{
    vb::Forms::unload<fGrid>();
    if (!g_Db.isNothing())
        g_Db.Close();
    g_Db = dao::Database();
    g_openPath.clear();
}

// Peak resident memory since the last reset, in MB.
void resetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
double peakMemoryMb()
{
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stod(line.substr(6)) / 1024.0;
    return 0;
}

// Why an index build stopped: the engine's error and where.
std::string buildFailure(const wordindex::BuildResult &r)
{
    return QStringLiteral("the index build stopped after %1 cards (%2 rows; last card %3): error %4, %5 (%6)")
        .arg(r.cardsIndexed)
        .arg(r.rowsWritten)
        .arg(r.lastKey.isEmpty() ? QStringLiteral("none") : r.lastKey)
        .arg(r.failure->number())
        .arg(r.failure->description(), r.failure->source())
        .toStdString();
}

std::map<int, double> g_buildPeak;
std::map<int, double> g_indexRows, g_importRows;

// ---- what the user does --------------------------------------------------------

// The first open, by size, apart from the medians: the first open of a file
// new to the program goes through the checker.
std::map<int, double> g_firstOpen;

double secondsOf(const std::function<void()> &f)
{
    QElapsedTimer t;
    t.start();
    f();
    return double(t.nsecsElapsed()) * 1e-9;
}

void BM_Open(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString path = sourceBase(n);
    closeBase();
    if (!g_firstOpen.count(n)) {
        // As a file the program never closed.
        QFile::remove(dao::leftbases::recordFile(path));
        g_firstOpen[n] = secondsOf([&] { openBase(path); });
        closeBase();
    }
    for (auto _ : st) {
        openBase(path);
        st.PauseTiming();
        closeBase();
        st.ResumeTiming();
    }
}

void BM_KeywordIntoGrid(benchmark::State &st)
{
    openBase(sourceBase(int(st.range(0))));
    QString k = kBigKeyword;
    keywords::ListNotesOfKeyword(k); // warm
    for (auto _ : st) {
        keywords::ListNotesOfKeyword(k);
        st.counters["rows"] = double(GridRowCount);
    }
}

// The same, first after the base is opened: the listing reads and decrypts
// pages the engine has not cached yet.
void BM_KeywordIntoGridFirst(benchmark::State &st)
{
    const QString path = sourceBase(int(st.range(0)));
    for (auto _ : st) {
        st.PauseTiming();
        closeBase();
        openBase(path);
        st.ResumeTiming();
        QString k = kBigKeyword;
        keywords::ListNotesOfKeyword(k);
        st.counters["rows"] = double(GridRowCount);
    }
}

// The notes of the keyword from one joined query on a connection of the
// floor's own, its rows made texts: warm, and first on a fresh connection
// that has read its catalog only, as the program's after opening.
void keywordFloor(benchmark::State &st, bool first)
{
    const QString path = sourceBase(int(st.range(0)));
    openBase(path);
    const QByteArray keyword = kBigKeyword.toUtf8();
    sqlite3 *db = openDirect(path);
    floors::checkNoSort(db, floors::kCardsOfKeyword);
    const QList<keywords::ResultRow> mine = keywords::CardsOfKeyword(CardType::Note, kBigKeyword);
    const QList<keywords::ResultRow> direct = floors::cardsOfKeyword(db, keyword);
    bool same = mine.size() == direct.size();
    for (qsizetype i = 0; same && i < mine.size(); ++i)
        same = mine.at(i).key == direct.at(i).key && std::equal(std::begin(mine.at(i).cells), std::end(mine.at(i).cells),
                                                                 std::begin(direct.at(i).cells));
    if (!same) {
        sqlite3_close(db);
        return benchfail::skip(st, "the floor's rows are not the program's");
    }
    for (auto _ : st) {
        if (first) {
            st.PauseTiming();
            sqlite3_close(db);
            db = openDirect(path);
            floors::readCatalog(db);
            st.ResumeTiming();
        }
        st.counters["rows"] = double(floors::cardsOfKeyword(db, keyword).size());
    }
    sqlite3_close(db);
}
void BM_KeywordFloor(benchmark::State &st) { keywordFloor(st, false); }
void BM_KeywordFloorFirst(benchmark::State &st) { keywordFloor(st, true); }

void BM_NotesByDate(benchmark::State &st)
{
    openBase(sourceBase(int(st.range(0))));
    for (auto _ : st)
        st.counters["rows"] = double(keywords::CardsByDate(CardType::Note).size());
}

void BM_NotesByDateFloor(benchmark::State &st)
{
    const QString path = sourceBase(int(st.range(0)));
    sqlite3 *db = openDirect(path);
    floors::checkNotesByDatePlan(db);
    for (auto _ : st)
        st.counters["rows"] = double(floors::notesByDate(db).size());
    sqlite3_close(db);
}

void BM_TextSearch(benchmark::State &st)
{
    openBase(sourceBase(int(st.range(0))));
    for (auto _ : st)
        st.counters["hits"] = double(words::scanCardTexts(CardType::Note, kMarker).hits.size());
}

void BM_IndexBuild(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString source = sourceBase(n);
    for (auto _ : st) {
        st.PauseTiming();
        closeBase();
        const QString copy = freshCopy(source, QStringLiteral("build-%1").arg(n));
        // A byte copy of a base this program made: the look before opening
        // is BM_Open's to time, and at this size, on a busy machine, it may
        // pass its time limit and end the run before the build is reached.
        dao::leftbases::testing::recordAsItIs(copy);
        openBase(copy);
        resetPeakMemory();
        st.ResumeTiming();
        const wordindex::BuildResult r = wordindex::WordIndexBuilder(CardType::Note).build();
        st.PauseTiming();
        if (r.failure) {
            benchfail::skip(st, buildFailure(r));
            return;
        }
        g_buildPeak[n] = std::max(g_buildPeak[n], peakMemoryMb());
        g_indexRows[n] = r.rowsWritten;
        st.counters["rows"] = r.rowsWritten;
        st.counters["peakMB"] = peakMemoryMb();
        st.ResumeTiming();
    }
}

// The same rows with the fastest plain code: the texts read in key order,
// the same words extracted, the rows inserted into the index table with its
// lookup indexes dropped, and those made again after the rows, all in one
// transaction on the same schema, key and cipher.
void BM_IndexBuildFloor(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString source = sourceBase(n);
    for (auto _ : st) {
        st.PauseTiming();
        closeBase();
        const QString path = freshCopy(source, QStringLiteral("floor"));
        resetPeakMemory();
        st.ResumeTiming();
        sqlite3 *db = openDirect(path);
        QStringList stop;
        {
            sqlite3_stmt *s = nullptr;
            if (sqlite3_prepare_v2(db, "SELECT Word FROM words", -1, &s, nullptr) != SQLITE_OK)
                die(db, "reading the excluded words");
            int rc;
            while ((rc = sqlite3_step(s)) == SQLITE_ROW)
                stop << QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, 0)),
                                          sqlite3_column_bytes(s, 0));
            sqlite3_finalize(s);
            if (rc != SQLITE_DONE)
                die(db, "reading the excluded words");
        }
        const textfind::ExcludedWords excluded(stop);
        exec(db, "BEGIN");
        const char *indexes[][2] = {{"AsKW", "AsKW"}, {"Index", "Index"}, {"Mot", "Mot"},
                                    {"NbOccurIndex", "NboccurIndex"}, {"TypeFichier", "TypeFichier"}};
        for (const auto &ix : indexes)
            exec(db, QByteArray("DROP INDEX \"WordsNoteIndex.") + ix[0] + '"');
        sqlite3_stmt *read = nullptr, *ins = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT CIT, TEXTE FROM NOTE ORDER BY CIT", -1, &read, nullptr) != SQLITE_OK ||
            sqlite3_prepare_v2(db, "INSERT INTO WordsNoteIndex(Mot, \"Index\", NboccurIndex) VALUES(?, ?, ?)", -1,
                               &ins, nullptr) != SQLITE_OK)
            die(db, "preparing the index build");
        textfind::WordList list;
        double rows = 0;
        int step;
        while ((step = sqlite3_step(read)) == SQLITE_ROW) {
            const int keyBytes = sqlite3_column_bytes(read, 0);
            const QByteArray k(reinterpret_cast<const char *>(sqlite3_column_text(read, 0)), keyBytes);
            const QString text = QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(read, 1)),
                                                   sqlite3_column_bytes(read, 1));
            textfind::extractIndexWords(text, excluded, list);
            for (int i = 1; i <= list.size(); ++i) {
                const QString &w = list.words.at(i);
                if (w.isEmpty() || w.size() > wordindex::kMaxIndexWord)
                    continue;
                const QByteArray wb = w.toUtf8();
                sqlite3_bind_text(ins, 1, wb.constData(), int(wb.size()), SQLITE_STATIC);
                sqlite3_bind_text(ins, 2, k.constData(), int(k.size()), SQLITE_STATIC);
                sqlite3_bind_int(ins, 3, list.counts.at(i));
                if (sqlite3_step(ins) != SQLITE_DONE)
                    die(db, "index row");
                sqlite3_reset(ins);
                ++rows;
            }
        }
        if (step != SQLITE_DONE)
            die(db, "reading the notes");
        sqlite3_finalize(read);
        sqlite3_finalize(ins);
        for (const auto &ix : indexes)
            exec(db, QByteArray("CREATE INDEX \"WordsNoteIndex.") + ix[0] + "\" ON WordsNoteIndex(\"" + ix[1] + "\")");
        exec(db, "COMMIT");
        sqlite3_close(db);
        st.counters["rows"] = rows;
        st.counters["peakMB"] = peakMemoryMb();
    }
}

void BM_IndexRerun(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString built = workPath(QStringLiteral("build-%1").arg(n));
    // The base the last build of this size left, or a build of its own first.
    closeBase();
    openBase(QFile::exists(built) ? built : freshCopy(sourceBase(n), QStringLiteral("build-%1").arg(n)));
    if (rsWordsNoteIndex.RecordCount() == 0) {
        const wordindex::BuildResult first = wordindex::WordIndexBuilder(CardType::Note).build();
        if (first.failure)
            return benchfail::skip(st, buildFailure(first));
    }
    for (auto _ : st) {
        const wordindex::BuildResult r = wordindex::WordIndexBuilder(CardType::Note).build();
        if (r.failure) {
            benchfail::skip(st, buildFailure(r));
            break;
        }
        st.counters["kept"] = r.cardsKept;
    }
    closeBase();
}

void BM_Import(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString source = sourceBase(n);
    for (auto _ : st) {
        st.PauseTiming();
        closeBase();
        openBase(freshCopy(emptyBase(), QStringLiteral("import")));
        st.ResumeTiming();
        dao::Database src = dao::DBEngine::Workspaces(0).OpenForeignDatabase(source, kConnect);
        const importer::ImportReport r = importer::BaseImporter(src, nullptr).run();
        src.Close();
        st.PauseTiming();
        if (r.failed) {
            benchfail::skip(st, "the import failed: " + r.failure.toStdString());
            return;
        }
        g_importRows[n] = r.added();
        st.counters["rows"] = r.added();
        closeBase();
        st.ResumeTiming();
    }
}

// The same tables copied with ATTACH and INSERT ... SELECT, same cache.
void BM_ImportFloor(benchmark::State &st)
{
    const int n = int(st.range(0));
    const QString source = sourceBase(n);
    for (auto _ : st) {
        st.PauseTiming();
        closeBase();
        const QString target = freshCopy(emptyBase(), QStringLiteral("importfloor"));
        st.ResumeTiming();
        sqlite3 *db = openDirect(target);
        exec(db, "ATTACH DATABASE '" + QFile::encodeName(source) + "' AS src KEY '" + kKey + "'");
        exec(db, "PRAGMA src.cache_size=-65536");
        exec(db, "BEGIN");
        for (const importer::TablePlan &t : importer::importPlan()) {
            QByteArray cols;
            for (const importer::ColumnPlan &c : t.columns)
                cols += (cols.isEmpty() ? "\"" : ", \"") + c.name.toUtf8() + '"';
            const QByteArray table = t.table.toUtf8();
            exec(db, "INSERT INTO main.\"" + table + "\"(" + cols + ") SELECT " + cols + " FROM src.\"" + table + '"');
        }
        exec(db, "COMMIT");
        sqlite3_close(db);
    }
}

// Keeps the median real time of each benchmark, by name and size.
class Reporter : public benchmark::ConsoleReporter {
public:
    std::map<std::pair<std::string, int>, double> seconds;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs) {
            if (!(r.aggregate_name == "median" || (r.run_type == Run::RT_Iteration && r.repetitions <= 1)))
                continue;
            const std::string &args = r.run_name.args;
            const size_t digit = args.find_first_of("0123456789");
            const int size = digit == std::string::npos ? 0 : std::atoi(args.c_str() + digit);
            seconds[{r.run_name.function_name, size}] = r.GetAdjustedRealTime() * 1e-3;
        }
    }
};

} // namespace

#define SIZES ->Arg(1000)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)
BENCHMARK_GUARDED(BM_Open) SIZES;
BENCHMARK_GUARDED(BM_KeywordIntoGridFirst) SIZES;
BENCHMARK_GUARDED(BM_KeywordFloorFirst) SIZES;
BENCHMARK_GUARDED(BM_KeywordIntoGrid) SIZES;
BENCHMARK_GUARDED(BM_KeywordFloor) SIZES;
BENCHMARK_GUARDED(BM_NotesByDate) SIZES;
BENCHMARK_GUARDED(BM_NotesByDateFloor) SIZES;
BENCHMARK_GUARDED(BM_TextSearch) SIZES;
BENCHMARK_GUARDED(BM_IndexBuild) SIZES;
BENCHMARK_GUARDED(BM_IndexBuildFloor) SIZES;
BENCHMARK_GUARDED(BM_IndexRerun) SIZES;
BENCHMARK_GUARDED(BM_Import) SIZES;
BENCHMARK_GUARDED(BM_ImportFloor) SIZES;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen")
                                                                    : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    // Three runs of each unless told otherwise; the medians make the ratios.
    std::vector<char *> args(argv, argv + argc);
    char reps[] = "--benchmark_repetitions=3";
    char aggregates[] = "--benchmark_report_aggregates_only=true";
    bool repsGiven = false;
    for (int i = 1; i < argc; ++i)
        repsGiven = repsGiven || std::string(argv[i]).rfind("--benchmark_repetitions", 0) == 0;
    if (!repsGiven) {
        args.insert(args.begin() + 1, reps);
        args.insert(args.begin() + 2, aggregates);
    }
    int n = int(args.size());
    benchmark::Initialize(&n, args.data());
    Reporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    closeBase();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QDir work(folder());
    for (const QString &f : work.entryList({workPrefix() + u'*'}, QDir::Files))
        work.remove(f);

    auto at = [&](const char *name, int size) {
        const auto it = reporter.seconds.find({name, size});
        return it == reporter.seconds.end() ? -1.0 : it->second;
    };
    std::printf("\n%-8s %8s %8s %8s %8s %9s %9s %7s %7s %9s %9s %7s %8s\n", "notes", "open", "keyword", "by date",
                "search", "index", "floor", "ratio", "rerun", "import", "floor", "ratio", "peak MB");
    for (int s : kSizes) {
        if (at("BM_Open", s) < 0 && at("BM_IndexBuild", s) < 0 && at("BM_Import", s) < 0)
            continue;
        const double b = at("BM_IndexBuild", s), bf = at("BM_IndexBuildFloor", s), im = at("BM_Import", s),
                     imf = at("BM_ImportFloor", s);
        std::printf("%-8d %8.3f %8.3f %8.3f %8.3f %9.3f %9.3f %7.2f %7.3f %9.3f %9.3f %7.2f %8.0f\n", s,
                    at("BM_Open", s), at("BM_KeywordIntoGrid", s), at("BM_NotesByDate", s), at("BM_TextSearch", s), b,
                    bf, bf > 0 ? b / bf : 0, at("BM_IndexRerun", s), im, imf, imf > 0 ? im / imf : 0, g_buildPeak[s]);
    }
    for (int s : kSizes)
        if (g_firstOpen.count(s))
            std::printf("first at %d notes: open of a new file %.3f s, then the program's own base %.3f s (median)\n",
                        s, g_firstOpen[s], at("BM_Open", s));
    std::printf("\nlistings against their floors (medians, s):\n%-8s %8s %8s %7s %8s %8s %7s %8s %8s %7s\n", "notes",
                "first", "floor", "ratio", "warm", "floor", "ratio", "by date", "floor", "ratio");
    auto ratio = [](double a, double b) { return a > 0 && b > 0 ? a / b : 0.0; };
    for (int s : kSizes) {
        const double f = at("BM_KeywordIntoGridFirst", s), ff = at("BM_KeywordFloorFirst", s),
                     w = at("BM_KeywordIntoGrid", s), wf = at("BM_KeywordFloor", s), d = at("BM_NotesByDate", s),
                     df = at("BM_NotesByDateFloor", s);
        if (f > 0 || w > 0 || d > 0)
            std::printf("%-8d %8.3f %8.3f %7.2f %8.3f %8.3f %7.2f %8.3f %8.3f %7.2f\n", s, f, ff, ratio(f, ff), w, wf,
                        ratio(w, wf), d, df, ratio(d, df));
    }
    auto perRow = [&](const char *name, std::map<int, double> &rows, int s) {
        const double t = at(name, s);
        return t > 0 && rows[s] > 0 ? t / rows[s] * 1e6 : -1;
    };
    for (int s : {10000, 100000}) {
        const double ib = perRow("BM_IndexBuild", g_indexRows, s), ii = perRow("BM_Import", g_importRows, s);
        if (ib > 0 || ii > 0)
            std::printf("per row at %d notes: index build %.2f us, import %.2f us\n", s, ib, ii);
    }
    const double b10 = perRow("BM_IndexBuild", g_indexRows, 10000), b100 = perRow("BM_IndexBuild", g_indexRows, 100000);
    const double i10 = perRow("BM_Import", g_importRows, 10000), i100 = perRow("BM_Import", g_importRows, 100000);
    if (b10 > 0 && b100 > 0)
        std::printf("per-row growth 10k -> 100k: index build %.2fx, import %.2fx\n", b100 / b10,
                    i10 > 0 && i100 > 0 ? i100 / i10 : 0.0);
    benchmark::Shutdown();
    return 0;
}
