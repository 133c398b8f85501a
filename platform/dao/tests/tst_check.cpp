// The look at a base before it is opened: a base this program closed,
// unchanged since, opens without the checker; any change, a planted record
// or a crash while open sends it through the checker again, which
// authenticates every page, refuses damaged ones and pages of zeros, waits
// for another program's writes instead of reading them half-way, and names
// the very file it read.

#include "Answer.h"
#include "CipherDefaults.h"
#include "Collation.h"
#include "DaoErrors.h"
#include "DaoTestUtil.h"
#include "Guard.h"
#include "LeftBases.h"
#include "Pages.h"
#include "Sha1.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>

#include <openssl/evp.h>
#include <openssl/hmac.h>
#include <sqlite3.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

using namespace dao;

namespace {

QByteArray readAll(const QString &p)
{
    QFile f(p);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString &p, const QByteArray &b)
{
    QFile f(p);
    QVERIFY(f.open(QIODevice::WriteOnly));
    QCOMPARE(f.write(b), b.size());
}

// Bytes of one page overwritten in place, as a stray write would.
void spoil(const QString &p, qint64 page, int at = 100)
{
    QFile f(p);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek((page - 1) * 1024 + at));
    QCOMPARE(f.write(QByteArray(8, '\x5a')), qint64(8));
}

quint32 be32(const unsigned char *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | p[3];
}

// One number out of SQL on the base at p.
qint64 rawNumber(const QString &p, const QByteArray &sql)
{
    sqlite3 *db = nullptr;
    qint64 n = -1;
    sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_key(db, "Qv47Tz28", 8);
    registerTextCollation(db);
    sqlite3_stmt *s = nullptr;
    if (sqlite3_prepare_v2(db, sql.constData(), -1, &s, nullptr) == SQLITE_OK && sqlite3_step(s) == SQLITE_ROW)
        n = sqlite3_column_int64(s, 0);
    sqlite3_finalize(s);
    sqlite3_close(db);
    return n;
}

// The engine's keys for a base, by OpenSSL's own derivation: the page key,
// then the HMAC key.
struct Keys {
    unsigned char page[32], mac[32];
    explicit Keys(const unsigned char *salt)
    {
        PKCS5_PBKDF2_HMAC_SHA1("Qv47Tz28", 8, salt, 16, 64000, 32, page);
        unsigned char macSalt[16];
        for (int i = 0; i < 16; ++i)
            macSalt[i] = salt[i] ^ 0x3a;
        PKCS5_PBKDF2_HMAC_SHA1(reinterpret_cast<const char *>(page), 32, macSalt, 16, 2, 32, mac);
    }
};

// A plain page (not the first) encrypted and signed as the engine writes
// it, with the IV it had.
QByteArray sealed(const Keys &k, quint32 number, const unsigned char *plain, const unsigned char *stored)
{
    QByteArray out(reinterpret_cast<const char *>(stored), 1024);
    auto *o = reinterpret_cast<unsigned char *>(out.data());
    EVP_CIPHER_CTX *c = EVP_CIPHER_CTX_new();
    int n = 0;
    EVP_EncryptInit_ex(c, EVP_aes_256_cbc(), nullptr, k.page, stored + 976);
    EVP_CIPHER_CTX_set_padding(c, 0);
    EVP_EncryptUpdate(c, o, &n, plain, 976);
    EVP_CIPHER_CTX_free(c);
    QByteArray signedPart = out.left(992);
    for (int i = 0; i < 4; ++i)
        signedPart.append(char(number >> (8 * i)));
    unsigned int size = 20;
    HMAC(EVP_sha1(), k.mac, 32, reinterpret_cast<const unsigned char *>(signedPart.constData()), size_t(signedPart.size()),
         o + 992, &size);
    return out;
}

// The page reader on the file at p, as the checker has it under SQLite's
// lock (here nobody else has the file).
struct PagesOf {
    int fd;
    check::PageFile file;
    explicit PagesOf(const QString &p) : fd(::open(QFile::encodeName(p).constData(), O_RDONLY | O_CLOEXEC))
    {
        file.attach(fd);
        file.setPassphrase("Qv47Tz28");
        file.lockTaken();
    }
    ~PagesOf()
    {
        file.detach();
        ::close(fd);
    }
};

// Every page of a base's bytes decrypted (empty where a page is not
// authentic).
std::vector<QByteArray> plainPages(const QByteArray &bytes)
{
    const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
    check::PageCipher cipher("Qv47Tz28", raw);
    std::vector<QByteArray> pages(size_t(bytes.size() / 1024) + 1);
    for (qsizetype n = 1; n * 1024 <= bytes.size(); ++n) {
        QByteArray plain(1024, '\0');
        if (cipher.open(quint32(n), raw + (n - 1) * 1024, reinterpret_cast<unsigned char *>(plain.data())) ==
            check::PageCipher::Opened)
            pages[size_t(n)] = plain;
    }
    return pages;
}

// The overflow pages of the rows' long texts (the rows of base(), each a
// text of one letter): their numbers, and whether each is the last of its
// chain.
QList<QPair<qint64, bool>> overflowPages(const QByteArray &bytes)
{
    QList<QPair<qint64, bool>> found;
    const std::vector<QByteArray> pages = plainPages(bytes);
    for (size_t n = 2; n < pages.size(); ++n) {
        const QByteArray &p = pages[n];
        if (p.isEmpty() || p.at(4) < 'a' || p.at(4) > 'z' || p.mid(4, 900).count(p.at(4)) != 900)
            continue;
        found.append({qint64(n), be32(reinterpret_cast<const unsigned char *>(p.constData())) == 0});
    }
    return found;
}

// Run with CORVANE_TEST_WRITE_BASE set, the test is another copy of the
// program writing that base: small transactions one after another, each
// changing the length of a text and adding a row, until its input closes.
// It says "writing" after its first commit, and how many it made at the end.
// Run with CORVANE_TEST_LOCK_BASE and CORVANE_TEST_LOCK (shared, reserved or
// exclusive), it takes that lock as SQLite takes it, says "held", and keeps
// it until its input closes.
const int g_otherProgram = [] {
    const QByteArray writes = qgetenv("CORVANE_TEST_WRITE_BASE"), locks = qgetenv("CORVANE_TEST_LOCK_BASE");
    if (writes.isEmpty() && locks.isEmpty())
        return 0;
    sqlite3 *db = nullptr;
    if (sqlite3_open_v2((writes.isEmpty() ? locks : writes).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) !=
        SQLITE_OK)
        std::_Exit(2);
    sqlite3_key(db, "Qv47Tz28", 8);
    registerTextCollation(db);
    // Far above any honest wait: a check of a small base takes moments.
    sqlite3_busy_timeout(db, 120000);
    auto say = [](const QByteArray &what) {
        std::fputs((what + '\n').constData(), stdout);
        std::fflush(stdout);
    };
    auto inputClosed = [](int waitMs) {
        pollfd in{0, POLLIN, 0};
        char c = 0;
        return ::poll(&in, 1, waitMs) > 0 && ::read(0, &c, 1) <= 0;
    };
    if (!locks.isEmpty()) {
        const QByteArray kind = qgetenv("CORVANE_TEST_LOCK");
        const char *sql = kind == "shared"     ? "BEGIN; SELECT count(*) FROM sqlite_master"
                          : kind == "reserved" ? "BEGIN IMMEDIATE"
                                               : "BEGIN EXCLUSIVE";
        if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            std::_Exit(3);
        say("held");
        while (!inputClosed(-1)) {
        }
        sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        std::_Exit(0);
    }
    long commits = 0;
    do {
        const QByteArray n = QByteArray::number(commits);
        const QByteArray sql = "BEGIN IMMEDIATE; UPDATE \"K\" SET \"T\" = replace(hex(zeroblob(" +
                               QByteArray::number(50 + commits * 977 % 4000) + ")), '0', 'w') WHERE \"GROUPE\" = 'kw" +
                               QByteArray::number(commits % 12) + "'; INSERT INTO \"K\"(\"GROUPE\", \"T\") VALUES('w" + n +
                               "', 'x'); COMMIT";
        if (sqlite3_exec(db, sql.constData(), nullptr, nullptr, nullptr) != SQLITE_OK)
            std::_Exit(4);
        if (++commits == 1)
            say("writing");
    } while (!inputClosed(0));
    sqlite3_close(db);
    say(QByteArray::number(commits));
    std::_Exit(0);
}();

} // namespace

class TestCheck : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    int m_n = 0;

    QString path() { return m_dir.filePath(QStringLiteral("b%1.cvb").arg(++m_n)); }

    // A base made and closed by the engine, with rows of long text (of
    // textSize characters); with dropRows the rows are deleted again,
    // leaving free pages.
    QString base(int rows = 40, bool dropRows = false, int textSize = 3000)
    {
        const QString p = path();
        Database db = DBEngine::CreateDatabase(p, kLocale, dbEncrypt);
        makeTable(db, "K", {{"GROUPE", dbText, 30}, {"T", dbMemo}, {"GrCount", dbLong, 0, false, 17}},
                  {{"Groupe", {"GROUPE"}, "U"}});
        Recordset rs = db.OpenRecordset("K");
        TransactionScope tx;
        for (int i = 0; i < rows; ++i)
            addRow(rs, {QStringLiteral("kw%1").arg(i), QString(textSize, QChar(u'a' + i % 26))});
        if (dropRows) {
            rs.MoveFirst();
            for (int i = 0; i < rows; ++i) {
                if (i >= 2)
                    rs.Delete();
                rs.MoveNext();
            }
        }
        tx.Commit();
        rs.Close();
        db.Close();
        return p;
    }

    static bool checked(const QString &p, int *error = nullptr) { return openRunsChecker(p, error); }

    static void raw(const QString &p, const char *sql)
    {
        sqlite3 *db = nullptr;
        QCOMPARE(sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                                 nullptr),
                 SQLITE_OK);
        sqlite3_key(db, "Qv47Tz28", 8);
        registerTextCollation(db);
        QCOMPARE(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }

    // A copy of the file at p under a new name: a base from elsewhere, which
    // this program never left.
    QString copyOf(const QString &p)
    {
        const QString c = path();
        writeAll(c, readAll(p));
        return c;
    }

    // A copy of bytes with page n (from 1) replaced, or bytes added at the end.
    QString withPage(QByteArray bytes, qint64 n, const QByteArray &page)
    {
        bytes.replace((n - 1) * 1024, page.size(), page);
        const QString p = path();
        writeAll(p, bytes);
        return p;
    }

    // The checker's look at p: the error number it ends in (0: it passed),
    // -1 when no checker ran.
    static int verdict(const QString &p, bool writable = false)
    {
        const int before = checksRun();
        const int e = errorOf([&] { checkBeforeOpening(p, "Qv47Tz28", writable); });
        return checksRun() > before ? e : -1;
    }

    // This test, run again as another program (g_otherProgram) on the file
    // at p; env names what it does.
    static void startOther(QProcess &other, const char *var, const QString &p, const QByteArray &lock = {})
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(var), p);
        if (!lock.isEmpty())
            env.insert(QStringLiteral("CORVANE_TEST_LOCK"), QString::fromLatin1(lock));
        other.setProcessEnvironment(env);
        other.start(QCoreApplication::applicationFilePath(), {});
    }

    static QByteArray said(QProcess &other)
    {
        // Far above any honest wait.
        if (!other.canReadLine() && !other.waitForReadyRead(120000))
            return {};
        return other.readLine().trimmed();
    }

    static void finish(QProcess &other)
    {
        other.closeWriteChannel();
        QVERIFY(other.waitForFinished(120000));
        QCOMPARE(other.exitCode(), 0);
    }

    // Whether another process holds the byte SQLite's writers lock while
    // they wait for the readers to leave (its PENDING lock).
    static bool pendingLockHeld(const QString &p)
    {
        const int fd = ::open(QFile::encodeName(p).constData(), O_RDONLY | O_CLOEXEC);
        struct flock probe {};
        probe.l_type = F_RDLCK;
        probe.l_whence = SEEK_SET;
        probe.l_start = 0x40000000;
        probe.l_len = 1;
        const bool held = fd >= 0 && ::fcntl(fd, F_GETLK, &probe) == 0 && probe.l_type == F_WRLCK;
        ::close(fd);
        return held;
    }

private slots:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

    void ownBaseUnchangedOpensWithoutTheChecker()
    {
        const QString p = base();
        QVERIFY(QFile::exists(leftbases::recordFile(p)));
        QVERIFY(!checked(p));
        // Closed again by the program: again as left.
        QVERIFY(!checked(p));
        // Through another name of the same file.
        const QString link = m_dir.filePath(QStringLiteral("link.cvb"));
        QVERIFY(QFile::link(p, link));
        QVERIFY(!checked(link));
        // The key is still asked for. The engine read the file to try a
        // wrong one, so the record went before: looked at again once.
        QCOMPARE(errorOf([&] { DBEngine::OpenDatabase(p, false, false, ";pwd=other").Close(); }), 3031);
        QVERIFY(checked(p));
        QVERIFY(!checked(p));
    }

    void anyChangeSendsItThroughTheChecker()
    {
        int error = 0;
        // Another writer, through the engine as another copy of the program
        // would: same size, new contents.
        QString p = base();
        raw(p, "UPDATE K SET T = 'x' WHERE GROUPE = 'kw1'");
        QVERIFY(checked(p, &error));
        QCOMPARE(error, 0);

        // Times changed, contents not.
        p = base();
        QVERIFY(::utimensat(AT_FDCWD, QFile::encodeName(p).constData(), nullptr, 0) == 0);
        QVERIFY(checked(p));

        // Grown by a page.
        p = base();
        {
            QFile f(p);
            QVERIFY(f.open(QIODevice::Append));
            f.write(QByteArray(1024, '\x11'));
        }
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // Replaced by another base of the same size, whose record is kept
        // under its own name.
        p = base();
        const QString other = base();
        QCOMPARE(QFileInfo(p).size(), QFileInfo(other).size());
        QVERIFY(::rename(QFile::encodeName(other).constData(), QFile::encodeName(p).constData()) == 0);
        QVERIFY(checked(p));

        // A page spoilt at once after the close, inside one tick of the
        // file system's clock.
        p = base();
        spoil(p, 5);
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // A journal beside it makes it another base.
        p = base();
        writeAll(p + QStringLiteral("-journal"), {});
        QVERIFY(checked(p));
    }

    void plantedRecordsAreNotTrusted()
    {
        // A record copied from another base.
        const QString a = base(), b = base();
        QVERIFY(QFile::remove(leftbases::recordFile(b)));
        QVERIFY(QFile::copy(leftbases::recordFile(a), leftbases::recordFile(b)));
        QVERIFY(checked(b));

        // A record edited by one character.
        const QString c = base();
        QByteArray r = readAll(leftbases::recordFile(c));
        QVERIFY(r.size() > 3);
        r[3] = r[3] == '0' ? '1' : '0';
        writeAll(leftbases::recordFile(c), r);
        QVERIFY(checked(c));

        // A key others could read (or have written) is no key.
        const QString d = base();
        const QByteArray key = QFile::encodeName(leftbases::folder() + QStringLiteral("/key"));
        QVERIFY(::chmod(key.constData(), 0644) == 0);
        QVERIFY(checked(d));
        QVERIFY(::chmod(key.constData(), 0600) == 0);
        const QString e = base();
        QVERIFY(!checked(e));
    }

    void openBaseHasNoRecord()
    {
        const QString p = base();
        Database db = DBEngine::OpenDatabase(p, false, false, kConnect);
        // What a crash now would leave: nothing to trust.
        QVERIFY(!QFile::exists(leftbases::recordFile(p)));
        QVERIFY(checked(p));
        addRow(db.OpenRecordset("K"), {QStringLiteral("more")});
        QVERIFY(!QFile::exists(leftbases::recordFile(p)));
        db.Close();
        QVERIFY(!checked(p));
    }

    void keyDerivedAsOpenSslDoes()
    {
        // The published vectors, then the engine's own shapes: a key as the
        // passphrase, two blocks out, a passphrase longer than a block.
        const auto derived = [](const QByteArray &pass, const QByteArray &salt, int rounds, int size) {
            QByteArray out(size, '\0');
            check::pbkdf2Sha1(reinterpret_cast<const unsigned char *>(pass.constData()), size_t(pass.size()),
                              reinterpret_cast<const unsigned char *>(salt.constData()), size_t(salt.size()), rounds,
                              reinterpret_cast<unsigned char *>(out.data()), size_t(size));
            return out;
        };
        QCOMPARE(derived("password", "salt", 1, 20).toHex(), QByteArray("0c60c80f961f0e71f3a9b524af6012062fe037a6"));
        QCOMPARE(derived("password", "salt", 2, 20).toHex(), QByteArray("ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957"));
        QCOMPARE(derived("password", "salt", 4096, 20).toHex(), QByteArray("4b007901b765489abead49d926f721d065a429c1"));
        QCOMPARE(derived("passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25).toHex(),
                 QByteArray("3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038"));
        for (const QByteArray &pass : {QByteArray("Qv47Tz28"), QByteArray(32, '\xa7'), QByteArray(100, 'k')}) {
            const QByteArray salt("\x01\x02\x03\x04\x05\x06\x07\x08\x09\x0a\x0b\x0c\x0d\x0e\x0f\xff", 16);
            for (int rounds : {2, 1000}) {
                QByteArray expected(32, '\0');
                PKCS5_PBKDF2_HMAC_SHA1(pass.constData(), int(pass.size()),
                                       reinterpret_cast<const unsigned char *>(salt.constData()), 16, rounds, 32,
                                       reinterpret_cast<unsigned char *>(expected.data()));
                QCOMPARE(derived(pass, salt, rounds, 32).toHex(), expected.toHex());
            }
        }
    }

    void sha1BothWaysAsOpenSslHashes()
    {
        // Lengths about a block's end and the page's signed part; whole
        // blocks through the plain compression and, where the processor has
        // them, its SHA instructions, which must agree.
        QByteArray data(1200, '\0');
        QRandomGenerator rng(20240531);
        for (char &c : data)
            c = char(rng.generate());
        const auto *bytes = reinterpret_cast<const unsigned char *>(data.constData());
        for (int size : {0, 1, 55, 56, 63, 64, 65, 119, 120, 128, 980, 996, 1060, 1200}) {
            unsigned char expected[20], got[20];
            unsigned int n = 0;
            EVP_Digest(bytes, size_t(size), expected, &n, EVP_sha1(), nullptr);
            check::sha1::Hash h;
            h.update(bytes, size_t(size / 3));
            h.update(bytes + size / 3, size_t(size - size / 3));
            h.final(got);
            QCOMPARE(QByteArray(reinterpret_cast<char *>(got), 20).toHex(),
                     QByteArray(reinterpret_cast<char *>(expected), 20).toHex());
            check::sha1::State plain = check::sha1::initial(), fast = plain;
            check::sha1::compressPlain(plain, bytes, size_t(size / 64));
            if (check::sha1::accelerated()) {
                check::sha1::compressAccelerated(fast, bytes, size_t(size / 64));
                QVERIFY(std::equal(plain.h, plain.h + 5, fast.h));
            }
        }
        // HMAC as a page is signed: the keyed states made once, then the
        // outer hash in one compression.
        for (int keySize : {20, 32, 64, 100}) {
            const check::sha1::HmacKey k = check::sha1::hmacKey(bytes + 1000, size_t(keySize));
            unsigned char block[64], expected[20];
            check::sha1::digestBlock(block);
            check::sha1::Hash h(k.inner, 64);
            h.update(bytes, 996);
            h.final(block);
            check::sha1::finish(k.outer, block);
            unsigned int n = 20;
            HMAC(EVP_sha1(), bytes + 1000, keySize, bytes, 996, expected, &n);
            QCOMPARE(QByteArray(reinterpret_cast<char *>(block), 20).toHex(),
                     QByteArray(reinterpret_cast<char *>(expected), 20).toHex());
        }
    }

    void engineDefaultsAreTheReadersOwn()
    {
        // The engine we link reads bases as the page reader does; one whose
        // default differs in a setting is named for it.
        const auto differs = []() -> QByteArray {
            sqlite3 *db = nullptr;
            sqlite3_open(":memory:", &db);
            sqlite3_key(db, "probe", 5);
            const char *what = cipherSettingThatDiffers(db);
            const QByteArray r = what ? QByteArray(what) : QByteArray();
            sqlite3_close(db);
            return r;
        };
        QCOMPARE(differs(), QByteArray());
        const auto withDefault = [&](const char *set, const char *back) {
            sqlite3 *db = nullptr;
            sqlite3_open(":memory:", &db);
            sqlite3_exec(db, set, nullptr, nullptr, nullptr);
            const QByteArray r = differs();
            sqlite3_exec(db, back, nullptr, nullptr, nullptr);
            sqlite3_close(db);
            return r;
        };
        QCOMPARE(withDefault("PRAGMA cipher_default_kdf_iter = 256000", "PRAGMA cipher_default_kdf_iter = 64000"),
                 QByteArray("PRAGMA kdf_iter"));
        QCOMPARE(withDefault("PRAGMA cipher_default_page_size = 4096", "PRAGMA cipher_default_page_size = 1024"),
                 QByteArray("PRAGMA cipher_page_size"));
        QCOMPARE(withDefault("PRAGMA cipher_default_use_hmac = OFF", "PRAGMA cipher_default_use_hmac = ON"),
                 QByteArray("PRAGMA cipher_use_hmac"));
        QCOMPARE(differs(), QByteArray());
    }

    void treesCountedFromTheirPages()
    {
        // Enough rows for trees of three levels; the entries of each found
        // from the pages, read first by the count itself, then from what
        // earlier reads showed.
        const QString p = base(6000, false, 60);
        const qint64 rows = rawNumber(p, "SELECT count(*) FROM \"K\"");
        QCOMPARE(rows, qint64(6000));
        const qint64 tableRoot = rawNumber(p, "SELECT rootpage FROM sqlite_master WHERE type = 'table' AND name = 'K'");
        const qint64 indexRoot =
            rawNumber(p, "SELECT rootpage FROM sqlite_master WHERE type = 'index' AND tbl_name = 'K' AND sql IS NOT NULL");
        QVERIFY(tableRoot > 1 && indexRoot > 1);

        for (bool readFirst : {false, true}) {
            PagesOf pages(p);
            check::PageFile &file = pages.file;
            QVERIFY(file.servable());
            if (readFirst) {
                unsigned char page[1024];
                for (uint64_t n = 1; n <= file.pages(); ++n)
                    QVERIFY(file.read(n, page) != check::PageCipher::Forged);
            }
            QCOMPARE(file.entries(uint64_t(tableRoot), false), std::optional<uint64_t>(6000));
            QCOMPARE(file.entries(uint64_t(indexRoot), true), std::optional<uint64_t>(6000));
            // A tree of the other kind, or none at all, is no tree.
            QCOMPARE(file.entries(uint64_t(tableRoot), true), std::nullopt);
            QCOMPARE(file.entries(uint64_t(indexRoot), false), std::nullopt);
            QCOMPARE(file.entries(file.pages() + 1, false), std::nullopt);
            QCOMPARE(file.entries(1, false), std::nullopt);
        }

        // An inner page whose every child is one page: no tree, though
        // every page on the way is of the right kind; and one whose every
        // child is itself, which must not walk on forever.
        QByteArray bytes = readAll(p);
        const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
        check::PageCipher cipher("Qv47Tz28", raw);
        unsigned char inner[1024];
        QCOMPARE(cipher.open(quint32(tableRoot), raw + (tableRoot - 1) * 1024, inner), check::PageCipher::Opened);
        QCOMPARE(int(inner[0]), 5);
        const quint32 loop = be32(inner + (inner[12] << 8 | inner[13]));
        const unsigned char *stored = raw + (loop - 1) * 1024;
        QCOMPARE(cipher.open(loop, stored, inner), check::PageCipher::Opened);
        QCOMPARE(int(inner[0]), 5);
        const int cells = inner[3] << 8 | inner[4];
        QVERIFY(cells > 20);
        const auto pointAll = [&](quint32 child) {
            for (int c = 0; c <= cells; ++c) {
                const int at = c == cells ? 8 : inner[12 + 2 * c] << 8 | inner[13 + 2 * c];
                for (int i = 0; i < 4; ++i)
                    inner[at + i] = static_cast<unsigned char>(child >> (24 - 8 * i));
            }
        };
        const quint32 firstLeaf = be32(inner + (inner[12] << 8 | inner[13]));
        for (const quint32 child : {firstLeaf, loop}) {
            pointAll(child);
            QByteArray spoilt = bytes;
            spoilt.replace(int((loop - 1) * 1024), 1024, sealed(Keys(raw), loop, inner, stored));
            const QString looped = path();
            writeAll(looped, spoilt);
            PagesOf pages(looped);
            check::PageFile &file = pages.file;
            QVERIFY(file.servable());
            QCOMPARE(file.entries(uint64_t(tableRoot), false), std::nullopt);
            QCOMPARE(file.entries(uint64_t(indexRoot), true), std::optional<uint64_t>(6000));
        }
    }

    void anOverflowChainCutShortIsDamage()
    {
        // The check reads of an overflow page only the number of the next;
        // that number must be the one stored. A chain ended one page early,
        // the page encrypted and signed again with the right keys, so
        // nothing but the structure is wrong.
        const QString p = base(4);
        QByteArray bytes = readAll(p);
        const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
        const Keys keys(raw);
        check::PageCipher cipher("Qv47Tz28", raw);
        unsigned char plain[1024];
        qint64 cut = 0;
        for (qint64 n = 2; n <= bytes.size() / 1024 && !cut; ++n) {
            const unsigned char *stored = raw + (n - 1) * 1024;
            QCOMPARE(cipher.open(quint32(n), stored, plain), check::PageCipher::Opened);
            // The text of a row, with another page after it.
            if (be32(plain) != 0 && std::all_of(plain + 4, plain + 976, [&](unsigned char b) { return b == plain[4]; }) &&
                plain[4] >= 'a' && plain[4] <= 'z') {
                std::memset(plain, 0, 4);
                bytes.replace(int((n - 1) * 1024), 1024, sealed(keys, quint32(n), plain, stored));
                cut = n;
            }
        }
        QVERIFY(cut > 0);
        // Signed as the engine signs: only the structure is wrong.
        QCOMPARE(cipher.open(quint32(cut), reinterpret_cast<const unsigned char *>(bytes.constData()) + (cut - 1) * 1024,
                             plain),
                 check::PageCipher::Opened);
        QCOMPARE(be32(plain), 0u);
        writeAll(p, bytes);
        int error = 0;
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));
    }

    void everyPageIsAuthenticated()
    {
        // Free pages are read by no query; they are authenticated all the same.
        const QString p = base(200, true);
        const QByteArray bytes = readAll(p);
        const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
        check::PageCipher cipher("Qv47Tz28", raw);
        unsigned char first[1024], trunk[1024];
        QCOMPARE(cipher.open(1, raw, first), check::PageCipher::Opened);
        QCOMPARE(QByteArray(reinterpret_cast<char *>(first), 16), QByteArray("SQLite format 3\0", 16));
        QCOMPARE(int(first[16]) << 8 | first[17], 1024);
        QCOMPARE(int(first[20]), check::kReserve);
        const quint32 trunkPage = be32(first + 32);
        QVERIFY(trunkPage > 1 && be32(first + 36) > 2);
        QCOMPARE(cipher.open(trunkPage, raw + (trunkPage - 1) * 1024, trunk), check::PageCipher::Opened);
        QVERIFY(be32(trunk + 4) > 0);
        const quint32 leaf = be32(trunk + 8);
        // A page read under another number is not authentic.
        QCOMPARE(cipher.open(leaf + 1, raw + (leaf - 1) * 1024, trunk), check::PageCipher::Forged);

        QVERIFY(!checked(p));
        spoil(p, leaf, 500);
        int error = 0;
        QVERIFY(checked(p, &error));
        QCOMPARE(error, int(ErrCorrupt));

        // The first page spoilt reads as a wrong key; a page of zeros where
        // a table's page was is damage, as the engine finds it.
        QString q = base();
        spoil(q, 1, 40);
        QVERIFY(checked(q, &error));
        QCOMPARE(error, 3031);
        q = base();
        QByteArray b = readAll(q);
        b.replace(2 * 1024, 1024, QByteArray(1024, '\0'));
        writeAll(q, b);
        QVERIFY(checked(q, &error));
        QCOMPARE(error, int(ErrCorrupt));
        // The IV or the MAC of a page.
        for (int at : {1024 - 48, 1024 - 30}) {
            q = base();
            spoil(q, 3, at);
            QVERIFY(checked(q, &error));
            QCOMPARE(error, int(ErrCorrupt));
        }
        // Overflow pages, of which the check decrypts only the number of
        // the next: past that number, in the middle of a chain and at its end.
        const QByteArray chains = readAll(base(4));
        int spoilt = 0;
        for (const auto &[page, last] : overflowPages(chains)) {
            QByteArray b = chains;
            b[(page - 1) * 1024 + 600] = char(b[(page - 1) * 1024 + 600] ^ 1);
            q = path();
            writeAll(q, b);
            QCOMPARE(verdict(q), int(ErrCorrupt));
            ++spoilt;
        }
        QCOMPARE(spoilt, 12);
    }

    void basesTheEngineMadePass()
    {
        // As the engine leaves them: free pages after deletes, long overflow
        // chains, rows deleted from a table's end, a file shrunk by VACUUM;
        // and each as a file from elsewhere, through the whole check.
        const QString freed = base(200, true);
        QVERIFY(rawNumber(freed, "PRAGMA freelist_count") > 100);
        const QString tail = base(100);
        raw(tail, "DELETE FROM K WHERE GrCount > 50");
        QVERIFY(rawNumber(tail, "PRAGMA freelist_count") > 0);
        const QString vacuumed = base(200, true);
        raw(vacuumed, "VACUUM");
        QVERIFY(QFileInfo(vacuumed).size() < QFileInfo(freed).size() / 4);
        for (const QString &p : {base(), freed, base(6, false, 60000), tail, vacuumed}) {
            QCOMPARE(verdict(copyOf(p)), 0);
            QCOMPARE(verdict(copyOf(p), true), 0);
        }
        // Another program's base under the same key, of two pages: whole,
        // and no base of ours.
        const QString other = path();
        raw(other, "CREATE TABLE things(x); INSERT INTO things VALUES(1)");
        QCOMPARE(QFileInfo(other).size(), qint64(2048));
        QCOMPARE(verdict(other), int(ErrNotABase));
    }

    void pagesOfZerosAreDamage()
    {
        // The engine takes a page of zeros for one never written and reads
        // it as zeros: the rest of a text, or a free page handed out again.
        // The engine writes every page through its cipher, so no base of
        // ours holds one.
        const QByteArray chains = readAll(base(12));
        const QByteArray zeros(1024, '\0');
        int tails = 0, accepted = 0;
        for (const auto &[page, last] : overflowPages(chains)) {
            if (!last)
                continue;
            ++tails;
            if (verdict(withPage(chains, page, zeros)) != ErrCorrupt)
                ++accepted;
        }
        QCOMPARE(tails, 12);
        QCOMPARE(accepted, 0);

        // The free list: its trunk and leaves spread over it, the last.
        const QByteArray freed = readAll(base(200, true));
        const std::vector<QByteArray> plain = plainPages(freed);
        const auto *first = reinterpret_cast<const unsigned char *>(plain[1].constData());
        const quint32 trunk = be32(first + 32);
        QVERIFY(trunk > 1 && be32(first + 36) > 100);
        const auto *list = reinterpret_cast<const unsigned char *>(plain[trunk].constData());
        const quint32 leaves = be32(list + 4);
        QVERIFY(leaves > 100);
        QList<qint64> free{trunk};
        for (quint32 i = 0; i < leaves; i += 25)
            free.append(be32(list + 8 + 4 * i));
        free.append(be32(list + 8 + 4 * (leaves - 1)));
        for (qint64 page : free)
            if (verdict(withPage(freed, page, zeros)) != ErrCorrupt)
                ++accepted;
        QCOMPARE(accepted, 0);

        // Whole pages of zeros after the last; page 1 zeros after its salt.
        for (int pages : {1, 3})
            QCOMPARE(verdict(withPage(chains, chains.size() / 1024 + 1, QByteArray(pages * 1024, '\0'))),
                     int(ErrCorrupt));
        QVERIFY(verdict(withPage(chains, 1, chains.left(16) + QByteArray(1008, '\0'))) > 0);
    }

    void pagesPastTheDeclaredCountAreDamage()
    {
        // A page the key signed under the next number is authentic, yet no
        // page of the base: SQLite never reads past the count page 1
        // declares.
        const QByteArray bytes = readAll(base(4));
        const qint64 count = bytes.size() / 1024;
        const auto *raw = reinterpret_cast<const unsigned char *>(bytes.constData());
        const std::vector<QByteArray> plain = plainPages(bytes);
        QCOMPARE(be32(reinterpret_cast<const unsigned char *>(plain[1].constData()) + 28), quint32(count));
        const QByteArray extra = sealed(Keys(raw), quint32(count + 1),
                                        reinterpret_cast<const unsigned char *>(plain[size_t(count)].constData()),
                                        raw + (count - 1) * 1024);
        const QString grown = withPage(bytes, count + 1, extra);
        {
            PagesOf pages(grown);
            QVERIFY(pages.file.servable());
            QVERIFY(pages.file.authenticateRest());
        }
        QCOMPARE(verdict(grown), int(ErrCorrupt));
        // One page short of it: SQLite would read the missing page as zeros.
        const QString cut = path();
        writeAll(cut, bytes.left(bytes.size() - 1024));
        QCOMPARE(verdict(cut), int(ErrCorrupt));
    }

    void aBaseAnotherProgramWritesIsNeverDamaged()
    {
        // Another copy of the program commits small transactions one after
        // another while the base is looked at: the look waits for each
        // commit, and reads no half-written state.
        const QString p = copyOf(base(12));
        QProcess writer;
        startOther(writer, "CORVANE_TEST_WRITE_BASE", p);
        QCOMPARE(said(writer), QByteArray("writing"));
        QMap<int, int> verdicts;
        for (int i = 0; i < 20; ++i)
            ++verdicts[verdict(p)];
        finish(writer);
        const qint64 commits = said(writer).toLongLong();
        QVERIFY2(commits > 20, QByteArray::number(commits).constData());
        // Passed, or at worst found in use: never damaged.
        QCOMPARE(verdicts.value(int(ErrCorrupt)), 0);
        QCOMPARE(verdicts.value(0) + verdicts.value(int(ErrBaseInUse)), 20);
        QVERIFY(verdicts.value(0) > 0);
        QCOMPARE(verdict(p), 0);
    }

    void aLockAnotherProgramHoldsIsWaitedForWithinTheLimit()
    {
        // Each within the program's own time limit for a small base: a lock
        // held on is reported as the base in use, not as a slow check.
        const QString p = copyOf(base(4));
        {
            // A writer that has not begun writing the file lets it be read.
            QProcess reserved;
            startOther(reserved, "CORVANE_TEST_LOCK_BASE", p, "reserved");
            QCOMPARE(said(reserved), QByteArray("held"));
            QCOMPARE(verdict(p), 0);
            finish(reserved);
        }
        {
            QProcess exclusive;
            startOther(exclusive, "CORVANE_TEST_LOCK_BASE", p, "exclusive");
            QCOMPARE(said(exclusive), QByteArray("held"));
            QCOMPARE(verdict(p), int(ErrBaseInUse));
            QCOMPARE(verdict(p, true), int(ErrBaseInUse));
            finish(exclusive);
        }
        {
            // A writer waiting for a reader to leave lets no new reader in.
            QProcess reader, writer;
            startOther(reader, "CORVANE_TEST_LOCK_BASE", p, "shared");
            QCOMPARE(said(reader), QByteArray("held"));
            startOther(writer, "CORVANE_TEST_LOCK_BASE", p, "exclusive");
            for (int i = 0; i < 6000 && !pendingLockHeld(p); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            QVERIFY(pendingLockHeld(p));
            QCOMPARE(verdict(p), int(ErrBaseInUse));
            finish(reader);
            QCOMPARE(said(writer), QByteArray("held"));
            finish(writer);
        }
        QCOMPARE(verdict(p), 0);
    }

    void theAnswerNamesTheFileRead()
    {
        const QString p = copyOf(base(4));
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(p).constData(), &st), 0);
        FileIdentity seen;
        QCOMPARE(errorOf([&] { seen = checkBeforeOpening(p, "Qv47Tz28", false); }), 0);
        QVERIFY(seen.known());
        QVERIFY(seen.sameAs(identityOf(st)));
        // Through a link: the file it leads to.
        const QString link = m_dir.filePath(QStringLiteral("answer-link.cvb"));
        QVERIFY(QFile::link(p, link));
        QCOMPARE(errorOf([&] { seen = checkBeforeOpening(link, "Qv47Tz28", true); }), 0);
        QVERIFY(seen.sameAs(identityOf(st)));

        const std::optional<check::Identity> id = check::parseOkAnswer(check::okAnswer(st));
        QVERIFY(id);
        QCOMPARE(id->dev, quint64(st.st_dev));
        QCOMPARE(id->ino, quint64(st.st_ino));
        QCOMPARE(id->size, qint64(st.st_size));
        QCOMPARE(id->mtimeNsec, qint64(st.st_mtim.tv_nsec));
        const std::optional<check::Identity> old = check::parseOkAnswer("ok 1 2 3 -4 5 -86400 999999999");
        QVERIFY(old);
        QCOMPARE(old->ctimeSec, qint64(-4));
        QCOMPARE(old->mtimeSec, qint64(-86400));
        QCOMPARE(old->mtimeNsec, qint64(999999999));
        // Anything else is no answer of the checker's.
        for (const char *bad : {"ok", "ok ", "ok 1 2 3 4 5 6", "ok 1 2 3 4 5 6 7 8", "ok 1 2 3 4 5 6 7 ",
                                "ok 1  2 3 4 5 6 7", "ok -1 2 3 4 5 6 7", "ok 1 2 -3 4 5 6 7", "ok 1 2 3 4 -5 6 7",
                                "ok 1 2 3 4 1000000000 6 7", "ok 1 2 3 x 5 6 7", "ok 1 2 3 +4 5 6 7", "ok 1 2 3 - 5 6 7",
                                "ok 18446744073709551616 2 3 4 5 6 7", "ok 1 2 3 4 5 6 7x", "okay 1 2 3 4 5 6 7",
                                "ok\t1 2 3 4 5 6 7"})
            QVERIFY2(!check::parseOkAnswer(bad), bad);
    }
};

QTEST_GUILESS_MAIN(TestCheck)
#include "tst_check.moc"
