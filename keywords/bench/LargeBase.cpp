#include "LargeBase.h"

#include "Collation.h"
#include "Dao.h"
#include "DaoImpl.h"
#include "Start.h"
#include "Form.h"
#include "Tabdef.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace benchbase {

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
const QByteArray kKey = "Qv47Tz28";

// Plain text as a card's rich text would hold it.
QString rtfOf(const QString &text)
{
    QString out = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                                 "\\viewkind4\\uc1\\pard\\f0\\fs20 ");
    out.reserve(text.size() * 11 / 10 + 100);
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            out += QStringLiteral("\\par\r\n");
        else if (u == u'\r')
            continue;
        else if (u == u'\\' || u == u'{' || u == u'}')
            out += u'\\', out += c;
        else if (u < 0x80)
            out += c;
        else
            out += QStringLiteral("\\u%1?").arg(int(qint16(u)));
    }
    return out + QStringLiteral("\\par\r\n}");
}

QString baseDir()
{
    return QStringLiteral(CORVANE_BENCH_BASE_DIR);
}

QString pathFor(int notes)
{
    return baseDir() + QStringLiteral("/notes-%1-v1.cvb").arg(notes);
}

void exec(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        fprintf(stderr, "%s: %s\n", sql, err);
        sqlite3_free(err);
    }
}

void bindText(sqlite3_stmt *s, int i, const QString &text)
{
    const QByteArray b = text.toUtf8();
    sqlite3_bind_text(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

// Written straight on the engine's connection: the rows of a real base,
// made far faster than through the cursors.
void fill(int notes)
{
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    exec(db, "BEGIN");
    sqlite3_stmt *kw = nullptr, *note = nullptr, *link = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO CGROUP1 (GROUPE) VALUES (?)", -1, &kw, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO NOTE (CIT, AUTEUR, TITRE1, JOUR, TEXTE, TEXTRTF) VALUES (?, ?, ?, ?, ?, ?)",
                       -1, &note, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO GRNOTE (GROUPE, NDX, WordsNb) VALUES (?, ?, ?)", -1, &link, nullptr);
    QStringList pool;
    for (int i = 0; i < 500; ++i)
        pool << QStringLiteral("Keyword %1").arg(i, 3, 10, QLatin1Char('0'));
    for (const QString &k : pool + QStringList{QString::fromLatin1(kBigKeyword)}) {
        bindText(kw, 1, k);
        sqlite3_step(kw);
        sqlite3_reset(kw);
    }
    // Sixty authors, each with its own four-letter prefix.
    QStringList authors;
    for (int i = 0; i < 60; ++i)
        authors << QStringLiteral("%1%2ner%3").arg(QChar(u'A' + i % 26)).arg(QChar(u'a' + i / 26)).arg(i);
    std::vector<int> numbers(size_t(authors.size()), 0);
    QRandomGenerator rng(42);
    const QDate first(2010, 1, 1);
    const int marked = std::max(1, notes / 100);
    for (int i = 0; i < notes; ++i) {
        const int a = int(rng.bounded(int(authors.size())));
        const QString key = authors.at(a).left(4).toUpper() +
                            QStringLiteral("%1.TXT").arg(++numbers[size_t(a)], 4, 10, QLatin1Char('0'));
        QString text = prose(2048, quint32(i + 11));
        if (i % (notes / marked) == 0)
            text.insert(text.size() / 2, u" \u00E9t\u00E9 \u00AB "_qs + QString::fromLatin1(kMarker) + u' ');
        const QDate day = first.addDays(rng.bounded(3650));
        bindText(note, 1, key);
        bindText(note, 2, authors.at(a));
        bindText(note, 3, QStringLiteral("Title %1 of %2").arg(i).arg(authors.at(a)));
        bindText(note, 4, day.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00"));
        bindText(note, 5, text);
        bindText(note, 6, rtfOf(text));
        sqlite3_step(note);
        sqlite3_reset(note);
        QStringList links;
        if (i % 10 < 3)
            links << QString::fromLatin1(kBigKeyword);
        while (links.size() < 2 + i % 2) {
            const QString k = pool.at(int(rng.bounded(int(pool.size()))));
            if (!links.contains(k))
                links << k;
        }
        for (const QString &k : links) {
            bindText(link, 1, k);
            bindText(link, 2, key);
            sqlite3_bind_int(link, 3, 1);
            sqlite3_step(link);
            sqlite3_reset(link);
        }
    }
    sqlite3_finalize(kw);
    sqlite3_finalize(note);
    sqlite3_finalize(link);
    exec(db, "COMMIT");
}

} // namespace

const QStringList &vocabulary()
{
    static const QStringList words = [] {
        QStringList out;
        const QStringList stems = {u"libert\u00E9"_qs, u"\u00E9t\u00E9"_qs, "house", "Paris", "analysis", "word",
                                   "keyword", "Physics", "class", u"na\u00EFve"_qs, "card", "note", "quote",
                                   u"c\u0153ur"_qs, "index", "search", "text", "reference", "author", "date"};
        QRandomGenerator rng(7);
        for (int i = 0; i < 50000; ++i) {
            QString w = stems.at(i % stems.size());
            const int extra = int(rng.bounded(6));
            for (int k = 0; k < extra; ++k)
                w += QChar(u'a' + int(rng.bounded(26)));
            if (i % 3 == 0)
                w += u's';
            if (i % 11 == 0)
                w[0] = w.at(0).toUpper();
            out << w;
        }
        return out;
    }();
    return words;
}

QString prose(qsizetype chars, quint32 seed)
{
    const QStringList &v = vocabulary();
    QRandomGenerator rng(seed);
    QString out;
    out.reserve(chars + 64);
    int n = 0;
    while (out.size() < chars) {
        const double u = rng.generateDouble();
        const int rank = int(std::pow(double(v.size()), u)) - 1;
        out += v.at(std::clamp(rank, 0, int(v.size()) - 1));
        switch (++n % 17) {
        case 3: out += QStringLiteral(", "); break;
        case 5: out += u"\u00A0: "_qs; break;
        case 7: out += u" \u00AB\u00A0"_qs; break;
        case 9: out += u"\u2019"_qs; break;
        case 11: out += QStringLiteral(" 1984 "); break;
        case 13: out += QStringLiteral(".\r\n"); break;
        default: out += u' '; break;
        }
    }
    return out;
}

QString OpenLargeBase(int notes)
{
    const QString path = pathFor(notes);
    if (!QFile::exists(path)) {
        QDir().mkpath(baseDir());
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        fprintf(stderr, "Making a base of %d notes in %s (once)...\n", notes, qPrintable(path));
        g_Db = dao::DBEngine::CreateDatabase(part, QString::fromLatin1(dao::dbLangGeneral) + kConnect,
                                             dao::dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        fill(notes);
        g_Db.Close();
        g_Db.reset();
        QFile::rename(part, path);
    }
    g_Db = dao::DBEngine::OpenDatabase(path, false, false, kConnect);
    // CORVANE_BENCH_CACHE_KB sets the page cache of the engine's connection
    // (and so of the direct one) to see how the figures follow it.
    const QByteArray cache = qgetenv("CORVANE_BENCH_CACHE_KB");
    if (!cache.isEmpty())
        exec(dao::Access::impl(g_Db)->db, ("PRAGMA cache_size=-" + cache).constData());
    OpenBaseTables();
    return path;
}

void CloseLargeBase()
{
    if (!g_Db.isNothing())
        g_Db.Close();
    g_Db.reset();
}

void RunBenchmarks(int &argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

sqlite3 *OpenDirect(const QString &path)
{
    sqlite3 *raw = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX,
                    nullptr);
    sqlite3_key(raw, kKey.constData(), int(kKey.size()));
    dao::registerTextCollation(raw);
    // The same page cache as the engine's connection.
    if (!g_Db.isNothing()) {
        sqlite3_stmt *s = nullptr;
        sqlite3_prepare_v2(dao::Access::impl(g_Db)->db, "PRAGMA cache_size", -1, &s, nullptr);
        if (sqlite3_step(s) == SQLITE_ROW) {
            const QByteArray set = "PRAGMA cache_size=" + QByteArray::number(sqlite3_column_int64(s, 0));
            exec(raw, set.constData());
        }
        sqlite3_finalize(s);
    }
    return raw;
}

} // namespace benchbase
