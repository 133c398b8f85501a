// What the look at a base from elsewhere costs before it is opened: the
// checker process on a new base and on one of about 100 MB (with
// BENCH_CHECK_935MB=1 also on one of about 935 MB, which takes a while to
// make), each beside its floor: the plainest code for the same result, which
// derives the key once, then authenticates every page and decrypts the
// b-tree pages with OpenSSL, contexts reused, 256 KB a read. CheckOverFloor
// runs the two in turn and gives the ratio of their processor times. Also
// the reopen of a base the program left. Run build/bin/bench_check (not a
// test).

#include "Collation.h"
#include "Dao.h"
#include "Error.h"
#include "Guard.h"
#include "LeftBases.h"
#include "Start.h"
#include "Tabdef.h"

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#define OPENSSL_SUPPRESS_DEPRECATED
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/sha.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using namespace dao;

namespace {

const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");

// A new base, and copies of it grown to about 100 MB (or the base named by
// BENCH_CHECK_BASE) and 935 MB of notes. All are made outside the engine, so
// the program has not left them as they are and looks at them each time.
struct Fixture {
    QTemporaryDir dir;
    QString made, small;
    std::map<int, QString> large;

    Fixture()
    {
        made = dir.filePath(QStringLiteral("made.cvb"));
        g_Db = DBEngine::CreateDatabase(made, QString(dbLangGeneral) + kConnect, dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        g_Db.Close();
        small = dir.filePath(QStringLiteral("small.cvb"));
        QFile::copy(made, small);
    }

    // The base of about mb MB.
    QString of(int mb)
    {
        if (large.count(mb))
            return large[mb];
        // Another base in place of the 100 MB one (bench_scale's, say).
        if (mb == 100 && qEnvironmentVariableIsSet("BENCH_CHECK_BASE")) {
            large[mb] = qEnvironmentVariable("BENCH_CHECK_BASE");
            std::printf("large base: %s, %.1f MB\n", qPrintable(large[mb]), QFileInfo(large[mb]).size() / 1048576.0);
            return large[mb];
        }
        const QString p = dir.filePath(QStringLiteral("large%1.cvb").arg(mb));
        QFile::copy(made, p);
        sqlite3 *db = nullptr;
        sqlite3_open_v2(QFile::encodeName(p).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_key(db, "Qv47Tz28", 8);
        registerTextCollation(db);
        const QByteArray fill = "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                                QByteArray::number(mb * 10) +
                                ") INSERT INTO \"NOTE\"(CIT, TEXTE) SELECT 'N' || i || '.TXT', hex(randomblob(50000)) "
                                "FROM n";
        const int rc = sqlite3_exec(db, fill.constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        benchfail::check(rc == SQLITE_OK, "making the base of " + std::to_string(mb) + " MB", sqlite3_errstr(rc));
        if (mb == 100 && qEnvironmentVariableIsSet("BENCH_CHECK_KEEP"))
            QFile::copy(p, qEnvironmentVariable("BENCH_CHECK_KEEP"));
        std::printf("large base: %.1f MB\n", QFileInfo(p).size() / 1048576.0);
        return large[mb] = p;
    }
};

Fixture &fx()
{
    static Fixture f;
    return f;
}

// The checker on path. A refusal fails the benchmark, and so does a look
// that started no checker (a base the program left opens on its record).
void check(const QString &path)
{
    const int before = checksRun();
    try {
        checkBeforeOpening(path, "Qv47Tz28", true);
    } catch (const vb::Error &e) {
        benchfail::fail("the checker refused the base", e.description().toStdString());
    }
    benchfail::check(checksRun() > before, "no check ran",
                     "the program left this base as it is and opens it on its record: nothing was timed");
}

void BM_CheckNewBase(benchmark::State &st)
{
    fx();
    for (auto _ : st)
        check(fx().small);
}
BENCHMARK_GUARDED(BM_CheckNewBase)->Unit(benchmark::kMillisecond)->Iterations(10);

// Processor time so far, in ms, of this process (RUSAGE_SELF) or of the
// checker processes (RUSAGE_CHILDREN): on a busy machine the fairer figures
// to set side by side.
double cpuMs(int who)
{
    rusage u {};
    ::getrusage(who, &u);
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-3;
}

double checkerCpuMs(const QString &path)
{
    const double before = cpuMs(RUSAGE_CHILDREN);
    check(path);
    const double used = cpuMs(RUSAGE_CHILDREN) - before;
    benchfail::check(used > 0, "no check ran", "the checker process used no processor time");
    return used;
}

// The floor: what authenticating every page and decrypting the b-tree
// pages costs at the least, with the engine's settings for our bases
// (PBKDF2-HMAC-SHA1, 64000 rounds; HMAC key by 2 more over the salt XOR 0x3a;
// HMAC-SHA1 over the page's ciphertext, IV and little-endian number;
// AES-256-CBC; 1024-byte pages, 48 reserved). The HMAC's keyed states are
// made once and copied, for the key derivation's rounds as for the pages,
// and its outer hash is one compression (OpenSSL's SHA-1 calls, the fastest
// it has for that); a page's first AES block tells whether it is a b-tree
// page, and only those are decrypted further, as ECB over the page with the
// CBC chaining XORed after, 16 bytes at a time, so nothing is set up per
// page; the file is read 256 KB a read, which stays in the caches.
void keyedStates(const unsigned char *key, size_t size, SHA_CTX &inner, SHA_CTX &outer)
{
    unsigned char pad[SHA_CBLOCK];
    std::memset(pad, 0x36, sizeof pad);
    for (size_t i = 0; i < size; ++i)
        pad[i] ^= key[i];
    SHA1_Init(&inner);
    SHA1_Update(&inner, pad, sizeof pad);
    std::memset(pad, 0x5c, sizeof pad);
    for (size_t i = 0; i < size; ++i)
        pad[i] ^= key[i];
    SHA1_Init(&outer);
    SHA1_Update(&outer, pad, sizeof pad);
}

// hmac: a digest in its first 20 bytes, SHA-1's padding for 84 bytes after;
// gets the digest of the keyed state and it, in one compression.
void finish(const SHA_CTX &keyed, unsigned char *hmac)
{
    SHA_CTX c = keyed;
    SHA1_Transform(&c, hmac);
    const SHA_LONG h[5] = {c.h0, c.h1, c.h2, c.h3, c.h4};
    for (int i = 0; i < 5; ++i) {
        hmac[4 * i] = static_cast<unsigned char>(h[i] >> 24);
        hmac[4 * i + 1] = static_cast<unsigned char>(h[i] >> 16);
        hmac[4 * i + 2] = static_cast<unsigned char>(h[i] >> 8);
        hmac[4 * i + 3] = static_cast<unsigned char>(h[i]);
    }
}

void padded(unsigned char *hmac)
{
    std::memset(hmac, 0, SHA_CBLOCK);
    hmac[20] = 0x80;
    hmac[62] = (84 * 8) >> 8;
    hmac[63] = (84 * 8) & 0xff;
}

// PBKDF2-HMAC-SHA1 (keys here are shorter than a SHA-1 block).
void derive(const unsigned char *pass, size_t passSize, const unsigned char *salt, int rounds, unsigned char *out,
            size_t outSize)
{
    SHA_CTX inner, outer;
    keyedStates(pass, passSize, inner, outer);
    unsigned char u[SHA_CBLOCK];
    padded(u);
    for (uint32_t block = 1; outSize > 0; ++block) {
        const unsigned char be[4] = {static_cast<unsigned char>(block >> 24), static_cast<unsigned char>(block >> 16),
                                     static_cast<unsigned char>(block >> 8), static_cast<unsigned char>(block)};
        unsigned char t[SHA_DIGEST_LENGTH];
        SHA_CTX c = inner;
        SHA1_Update(&c, salt, 16);
        SHA1_Update(&c, be, 4);
        SHA1_Final(u, &c);
        finish(outer, u);
        std::memcpy(t, u, sizeof t);
        for (int r = 1; r < rounds; ++r) {
            finish(inner, u);
            finish(outer, u);
            for (size_t i = 0; i < sizeof t; ++i)
                t[i] ^= u[i];
        }
        const size_t take = std::min(outSize, sizeof t);
        std::memcpy(out, t, take);
        out += take;
        outSize -= take;
    }
}

bool authenticateAndDecrypt(const QString &path, const char *pass, QString &why)
{
    constexpr int kPage = 1024, kReserve = 48, kChunk = 256 << 10;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = QStringLiteral("cannot open ") + path;
        return false;
    }
    std::vector<unsigned char> buf(kChunk);
    unsigned char out[kPage];
    if (::pread(fd, buf.data(), 16, 0) != 16) {
        ::close(fd);
        why = QStringLiteral("no salt");
        return false;
    }
    unsigned char salt[16], key[32], hmacSalt[16], hmacKey[32];
    std::memcpy(salt, buf.data(), 16);
    derive(reinterpret_cast<const unsigned char *>(pass), std::strlen(pass), salt, 64000, key, 32);
    for (int i = 0; i < 16; ++i)
        hmacSalt[i] = salt[i] ^ 0x3a;
    derive(key, 32, hmacSalt, 2, hmacKey, 32);
    SHA_CTX inner, outer;
    keyedStates(hmacKey, 32, inner, outer);
    EVP_CIPHER_CTX *aes = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(aes, EVP_aes_256_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(aes, 0);

    typedef unsigned char Block __attribute__((vector_size(16)));
    // The plain text of [from, to) of a page: ECB, then each block XORed with
    // the cipher block before it (the IV for the first).
    auto decrypt = [&](const unsigned char *page, int skip, int from, int to, const unsigned char *iv) {
        int n = 0;
        if (EVP_DecryptUpdate(aes, out + skip + from, &n, page + skip + from, to - from) != 1 || n != to - from)
            return false;
        for (int i = from; i < to; i += 16) {
            Block a, b;
            std::memcpy(&a, out + skip + i, 16);
            std::memcpy(&b, i == 0 ? iv : page + skip + i - 16, 16);
            a ^= b;
            std::memcpy(out + skip + i, &a, 16);
        }
        return true;
    };
    unsigned char mac[SHA_CBLOCK];
    padded(mac);
    bool ok = true;
    uint32_t pgno = 0;
    for (off_t at = 0; ok;) {
        const ssize_t got = ::pread(fd, buf.data(), kChunk, at);
        if (got <= 0)
            break;
        at += got;
        for (ssize_t p = 0; p + kPage <= got && ok; p += kPage) {
            ++pgno;
            const unsigned char *page = buf.data() + p;
            const int skip = pgno == 1 ? 16 : 0, size = kPage - kReserve - skip;
            const unsigned char *iv = page + kPage - kReserve;
            const unsigned char number[4] = {static_cast<unsigned char>(pgno), static_cast<unsigned char>(pgno >> 8),
                                             static_cast<unsigned char>(pgno >> 16),
                                             static_cast<unsigned char>(pgno >> 24)};
            SHA_CTX c = inner;
            SHA1_Update(&c, page + skip, size_t(size + 16));
            SHA1_Update(&c, number, 4);
            SHA1_Final(mac, &c);
            finish(outer, mac);
            ok = CRYPTO_memcmp(mac, iv + 16, 20) == 0;
            if (!ok) {
                why = QStringLiteral("page %1 is not authentic").arg(pgno);
                break;
            }
            // Page 1 is the header and a b-tree page; of the others, the flag
            // in the first block says.
            const int head = pgno == 1 ? size : 16;
            ok = decrypt(page, skip, 0, head, iv);
            const unsigned char flag = out[0];
            if (ok && pgno != 1 && (flag == 2 || flag == 5 || flag == 10 || flag == 13))
                ok = decrypt(page, skip, head, size, iv);
            if (!ok)
                why = QStringLiteral("page %1 does not decrypt").arg(pgno);
        }
    }
    EVP_CIPHER_CTX_free(aes);
    ::close(fd);
    OPENSSL_cleanse(key, sizeof key);
    benchmark::DoNotOptimize(out);
    return ok;
}

double floorCpuMs(const QString &path)
{
    const double before = cpuMs(RUSAGE_SELF);
    QString why;
    benchfail::check(authenticateAndDecrypt(path, "Qv47Tz28", why), "the floor refused the base", why.toStdString());
    return cpuMs(RUSAGE_SELF) - before;
}

// One side alone, the checker or its floor, on the base of mb MB: its
// processor time under counter.
void BM_Side(benchmark::State &st, int mb, double (*side)(const QString &), const char *counter)
{
    const QString p = fx().of(mb);
    double cpu = 0;
    for (auto _ : st)
        cpu += side(p);
    st.counters[counter] = cpu / double(st.iterations());
}

// The checker and its floor in turn, so that both meet the same load: the
// ratio of their processor times.
void BM_CheckOverFloor(benchmark::State &st, int mb)
{
    const QString p = fx().of(mb);
    double checker = 0, floor = 0;
    for (auto _ : st) {
        checker += checkerCpuMs(p);
        floor += floorCpuMs(p);
    }
    benchfail::check(floor > 0, "the floor used no processor time");
    st.counters["checker_cpu_ms"] = checker / double(st.iterations());
    st.counters["floor_cpu_ms"] = floor / double(st.iterations());
    st.counters["ratio"] = checker / floor;
}

// A base the program closed, opened again: the record is read and matched,
// and no checker runs.
void BM_ReopenOwnBase100MB(benchmark::State &st)
{
    const QString own = fx().dir.filePath(QStringLiteral("own.cvb"));
    QFile::remove(own);
    QFile::copy(fx().of(100), own);
    for (auto _ : st) {
        st.PauseTiming();
        DBEngine::OpenDatabase(own, false, false, kConnect).Close();
        const int before = checksRun();
        st.ResumeTiming();
        checkBeforeOpening(own, "Qv47Tz28", true);
        benchfail::check(checksRun() == before, "the base the program closed went through the checker again");
    }
}
BENCHMARK_GUARDED(BM_ReopenOwnBase100MB)->Unit(benchmark::kMillisecond)->Iterations(5);

// The open that follows, for scale: one key derivation and the catalog.
void BM_OpenNewBaseUnchecked(benchmark::State &st)
{
    for (auto _ : st) {
        leftbases::testing::recordAsItIs(fx().small);
        DBEngine::OpenDatabase(fx().small, false, true, kConnect).Close();
    }
}
BENCHMARK_GUARDED(BM_OpenNewBaseUnchecked)->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    std::vector<int> sizes{100};
    if (qEnvironmentVariableIntValue("BENCH_CHECK_935MB") == 1)
        sizes.push_back(935);
    for (int mb : sizes) {
        std::string at = "/";
        at += std::to_string(mb);
        at += "MB";
        benchfail::registerGuarded(("BM_Check" + at).c_str(), BM_Side, mb, checkerCpuMs, "checker_cpu_ms")
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        benchfail::registerGuarded(("BM_CheckFloor" + at).c_str(), BM_Side, mb, floorCpuMs, "floor_cpu_ms")
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
        benchfail::registerGuarded(("BM_CheckOverFloor" + at).c_str(), BM_CheckOverFloor, mb)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(5);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
