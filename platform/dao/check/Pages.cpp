#include "Pages.h"

#include "Sha1.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace check {

namespace {

// The engine's settings for the bases we make (its defaults, which the build
// holds to CipherDefaults.h): key of 32 bytes from 64000 rounds of
// PBKDF2-HMAC-SHA1 over the salt; the HMAC key from 2 more rounds with the
// salt masked by 0x3a; page numbers enter the HMAC little-endian.
constexpr int kKdfRounds = 64000;
constexpr int kHmacKdfRounds = 2;
constexpr unsigned char kHmacSaltMask = 0x3a;
constexpr int kKeySize = 32;
constexpr int kIvSize = 16;
constexpr int kHmacSize = 20;
constexpr int kBlock = 16;
constexpr char kHeader[] = "SQLite format 3";

// to ^= from, for one AES block, in one vector operation.
inline void xorBlock(unsigned char *to, const unsigned char *from)
{
    typedef unsigned char Block __attribute__((vector_size(kBlock)));
    Block a, b;
    std::memcpy(&a, to, kBlock);
    std::memcpy(&b, from, kBlock);
    a ^= b;
    std::memcpy(to, &a, kBlock);
}

} // namespace

struct PageCipher::State {
    sha1::HmacKey mac {};
    // The outer hash's one block (see sha1::finish).
    unsigned char block[sha1::kBlock] {};
    unsigned char salt[kSaltSize] {};
    // CBC is ECB of each block XORed with the block before it: the ECB
    // context needs no IV, so nothing is set up per page.
    EVP_CIPHER_CTX *ecb = nullptr;
};

void pbkdf2Sha1(const unsigned char *pass, size_t passSize, const unsigned char *salt, size_t saltSize, int rounds,
                unsigned char *out, size_t outSize)
{
    const sha1::HmacKey k = sha1::hmacKey(pass, passSize);
    unsigned char block[sha1::kBlock];
    sha1::digestBlock(block);
    for (uint32_t index = 1; outSize > 0; ++index) {
        const unsigned char number[4] = {static_cast<unsigned char>(index >> 24), static_cast<unsigned char>(index >> 16),
                                         static_cast<unsigned char>(index >> 8), static_cast<unsigned char>(index)};
        unsigned char t[sha1::kDigest];
        sha1::Hash h(k.inner, sha1::kBlock);
        h.update(salt, saltSize);
        h.update(number, sizeof number);
        h.final(block);
        sha1::finish(k.outer, block);
        std::memcpy(t, block, sizeof t);
        for (int r = 1; r < rounds; ++r) {
            sha1::finish(k.inner, block);
            sha1::finish(k.outer, block);
            for (size_t i = 0; i < sizeof t; ++i)
                t[i] ^= block[i];
        }
        const size_t take = std::min(outSize, sizeof t);
        std::memcpy(out, t, take);
        out += take;
        outSize -= take;
        sha1::wipe(t, sizeof t);
    }
    sha1::wipe(block, sizeof block);
}

PageCipher::PageCipher(const std::string &passphrase, const unsigned char *salt) : m(std::make_unique<State>())
{
    unsigned char key[kKeySize], hmacKey[kKeySize], hmacSalt[kSaltSize];
    pbkdf2Sha1(reinterpret_cast<const unsigned char *>(passphrase.data()), passphrase.size(), salt, kSaltSize,
               kKdfRounds, key, kKeySize);
    for (int i = 0; i < kSaltSize; ++i)
        hmacSalt[i] = salt[i] ^ kHmacSaltMask;
    pbkdf2Sha1(key, kKeySize, hmacSalt, kSaltSize, kHmacKdfRounds, hmacKey, kKeySize);
    m->mac = sha1::hmacKey(hmacKey, kKeySize);
    sha1::digestBlock(m->block);
    std::memcpy(m->salt, salt, kSaltSize);

    m->ecb = EVP_CIPHER_CTX_new();
    EVP_DecryptInit_ex(m->ecb, EVP_aes_256_ecb(), nullptr, key, nullptr);
    EVP_CIPHER_CTX_set_padding(m->ecb, 0);
    OPENSSL_cleanse(key, sizeof key);
    OPENSSL_cleanse(hmacKey, sizeof hmacKey);
}

PageCipher::~PageCipher()
{
    EVP_CIPHER_CTX_free(m->ecb);
    sha1::wipe(&m->mac, sizeof m->mac);
}

bool PageCipher::madeFor(const unsigned char *salt) const { return std::memcmp(m->salt, salt, kSaltSize) == 0; }

bool PageCipher::authentic(uint32_t pageNumber, const unsigned char *in)
{
    // The first page keeps the salt in the clear before its encrypted part.
    const int skip = pageNumber == 1 ? kSaltSize : 0;
    const unsigned char *mac = in + kPageSize - kReserve + kIvSize;
    const unsigned char number[4] = {static_cast<unsigned char>(pageNumber), static_cast<unsigned char>(pageNumber >> 8),
                                     static_cast<unsigned char>(pageNumber >> 16),
                                     static_cast<unsigned char>(pageNumber >> 24)};
    sha1::Hash h(m->mac.inner, sha1::kBlock);
    h.update(in + skip, size_t(kPageSize - kReserve - skip + kIvSize));
    h.update(number, sizeof number);
    unsigned char *block = m->block;
    h.final(block);
    sha1::finish(m->mac.outer, block);
    return CRYPTO_memcmp(block, mac, kHmacSize) == 0;
}

PageCipher::Result PageCipher::authenticate(uint32_t pageNumber, const unsigned char *in)
{
    return authentic(pageNumber, in) ? Opened : Forged;
}

PageCipher::Result PageCipher::openHead(uint32_t pageNumber, const unsigned char *in, unsigned char *out)
{
    if (pageNumber == 1)
        return open(pageNumber, in, out);
    if (!authentic(pageNumber, in))
        return Forged;
    int n = 0;
    if (EVP_DecryptUpdate(m->ecb, out, &n, in, kBlock) != 1 || n != kBlock)
        return Forged;
    xorBlock(out, in + kPageSize - kReserve);
    std::memset(out + kBlock, 0, kPageSize - kBlock);
    return Opened;
}

PageCipher::Result PageCipher::open(uint32_t pageNumber, const unsigned char *in, unsigned char *out)
{
    if (!authentic(pageNumber, in))
        return Forged;
    const int skip = pageNumber == 1 ? kSaltSize : 0;
    const unsigned char *data = in + skip;
    const int size = kPageSize - kReserve - skip;
    const unsigned char *iv = in + kPageSize - kReserve;
    int n = 0;
    if (EVP_DecryptUpdate(m->ecb, out + skip, &n, data, size) != 1 || n != size)
        return Forged;
    // Each block XORed with the cipher block before it, the first with the
    // IV, 16 bytes at a time.
    unsigned char *plain = out + skip;
    xorBlock(plain, iv);
    for (int at = kBlock; at < size; at += kBlock)
        xorBlock(plain + at, data + at - kBlock);
    if (skip)
        std::memcpy(out, kHeader, kSaltSize);
    std::memset(out + kPageSize - kReserve, 0, kReserve);
    return Opened;
}

// ---- the file ----------------------------------------------------------------------

namespace {

// The b-tree page kinds, by their flag byte.
constexpr uint8_t kIndexInterior = 2, kTableInterior = 5, kIndexLeaf = 10, kTableLeaf = 13;

uint32_t be32(const unsigned char *p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

// SQLite never writes the page that holds the file locks (past 1 GB).
constexpr uint64_t kLockByte = 0x40000000;

bool sameState(const struct stat &a, const struct stat &b)
{
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec;
}

// Reads size bytes at offset, whatever the pieces; false when the file ends
// before.
bool readFully(int fd, unsigned char *to, size_t size, uint64_t offset)
{
    size_t got = 0;
    while (got < size) {
        const ssize_t k = ::pread(fd, to + got, size - got, off_t(offset + got));
        if (k <= 0)
            return false;
        got += size_t(k);
    }
    return true;
}

} // namespace

void PageFile::attach(int fd)
{
    m_fd = fd;
    m_locked = false;
    m_size = 0;
    forget();
}

void PageFile::detach()
{
    lockDropped();
    m_fd = -1;
}

void PageFile::forget()
{
    m_servable = false;
    m_declared = 0;
    for (Run &r : m_runs)
        r.count = 0;
    const size_t n = size_t(pages()) + 1;
    m_done.assign(n, false);
    m_kind.assign(n, 0);
    m_cells.assign(n, 0);
    m_overflow.assign(n, false);
    m_walked.clear();
}

void PageFile::lockTaken()
{
    m_locked = true;
    ++m_lockCount;
    m_size = 0;
    m_atStart = {};
    if (const std::optional<struct stat> st = now(); st && S_ISREG(st->st_mode) && st->st_size >= 0) {
        m_atStart = *st;
        m_size = uint64_t(st->st_size);
    }
    m_runs.resize(kRuns);
    forget();
    if (servesPlainPages())
        m_servable = openFirstPage();
}

void PageFile::lockDropped()
{
    m_locked = false;
    m_size = 0;
    forget();
}

std::optional<struct stat> PageFile::now() const
{
    struct stat st {};
    if (m_fd < 0 || ::fstat(m_fd, &st) != 0)
        return std::nullopt;
    return st;
}

bool PageFile::lockedAsAtStart() const
{
    const std::optional<struct stat> st = now();
    return m_locked && m_atStart.st_ino != 0 && st && sameState(*st, m_atStart);
}

void PageFile::restartFrom()
{
    const std::optional<struct stat> st = now();
    if (!m_locked || !st || servesPlainPages())
        return;
    m_atStart = *st;
    m_size = uint64_t(std::max<off_t>(st->st_size, 0));
    forget();
}

bool PageFile::openFirstPage()
{
    if (m_size % kPageSize != 0)
        return false;
    const unsigned char *in = stored(1);
    if (!in)
        return false;
    if (!m_cipher || !m_cipher->madeFor(in))
        m_cipher = std::make_unique<PageCipher>(m_passphrase, in);
    unsigned char first[kPageSize];
    if (read(1, first) != PageCipher::Opened)
        return false;
    // 1024-byte pages, 48 reserved, no write-ahead log: as we make them.
    if (first[16] != 4 || first[17] != 0 || first[18] != 1 || first[19] != 1 || first[20] != kReserve)
        return false;
    // The page count in the header holds only while the counter it was
    // written with is the file's; else SQLite goes by the size.
    const uint32_t count = be32(first + 28);
    m_declared = count != 0 && std::memcmp(first + 24, first + 92, 4) == 0 ? count : pages();
    return true;
}

const unsigned char *PageFile::stored(uint64_t n)
{
    if (!m_locked || m_fd < 0 || n < 1 || n > pages())
        return nullptr;
    ++m_clock;
    for (Run &r : m_runs) {
        if (r.count && n >= r.first && n < r.first + r.count) {
            ++r.used;
            r.lastUse = m_clock;
            return r.bytes.get() + (n - r.first) * kPageSize;
        }
    }
    Run &r = *std::min_element(m_runs.begin(), m_runs.end(),
                               [](const Run &a, const Run &b) { return a.lastUse < b.lastUse; });
    if (r.count) {
        if (r.used * 8 < r.count)
            m_runPages = std::max<uint64_t>(4, m_runPages / 2);
        else if (r.used * 2 > r.count)
            m_runPages = std::min<uint64_t>(kMaxRun, m_runPages * 2);
    }
    r.first = (n - 1) / m_runPages * m_runPages + 1;
    r.count = std::min(m_runPages, pages() - r.first + 1);
    if (!r.bytes)
        r.bytes.reset(new unsigned char[kMaxRun * kPageSize]);
    r.used = 1;
    r.lastUse = m_clock;
    if (!readFully(m_fd, r.bytes.get(), size_t(r.count * kPageSize), (r.first - 1) * kPageSize)) {
        // Cut short under the lock: by something that ignores it.
        r.count = 0;
        return nullptr;
    }
    return r.bytes.get() + (n - r.first) * kPageSize;
}

bool PageFile::wholeAndWritten(uint64_t pageSize, uint64_t count)
{
    // SQLite's page sizes are powers of two from 512 to 65536.
    if (!m_locked || m_fd < 0 || pageSize < 512 || pageSize > 65536 || (pageSize & (pageSize - 1)) != 0 ||
        m_size != pageSize * count)
        return false;
    const uint64_t lockPage = kLockByte / pageSize + 1;
    constexpr size_t kChunk = 256 << 10;
    std::vector<unsigned char> buf(kChunk);
    for (uint64_t at = 0; at < m_size;) {
        const size_t want = size_t(std::min<uint64_t>(kChunk, m_size - at));
        if (!readFully(m_fd, buf.data(), want, at))
            return false;
        for (size_t p = 0; p < want; p += pageSize) {
            const uint64_t n = (at + p) / pageSize + 1;
            const unsigned char *page = buf.data() + p;
            if (n != lockPage && page[0] == 0 && std::memcmp(page, page + 1, pageSize - 1) == 0)
                return false;
        }
        at += want;
    }
    return true;
}

PageCipher::Result PageFile::read(uint64_t n, unsigned char *out)
{
    const unsigned char *in = stored(n);
    if (!in || !m_cipher)
        return PageCipher::Forged;
    if (m_headsOnly && m_overflow[size_t(n)]) {
        const PageCipher::Result r = m_cipher->openHead(uint32_t(n), in, out);
        if (r == PageCipher::Opened) {
            m_done[size_t(n)] = true;
            // Not a b-tree page, whatever its first byte says.
            m_kind[size_t(n)] = 0;
            noteOverflow(be32(out));
        }
        return r;
    }
    const PageCipher::Result r = m_cipher->open(uint32_t(n), in, out);
    if (r == PageCipher::Opened) {
        m_done[size_t(n)] = true;
        const unsigned char *head = out + (n == 1 ? 100 : 0);
        m_kind[size_t(n)] = head[0];
        m_cells[size_t(n)] = uint16_t(head[3] << 8 | head[4]);
        if (m_headsOnly)
            noteOverflows(n, out);
    }
    return r;
}

void PageFile::noteOverflow(uint64_t n)
{
    // Page 1 is the file's header whatever a cell says.
    if (n > 1 && n <= pages())
        m_overflow[size_t(n)] = true;
}

namespace {

// A varint as SQLite writes them, at p and before end; its length in
// used, 0 when it runs past end.
uint64_t varint(const unsigned char *p, const unsigned char *end, int &used)
{
    uint64_t v = 0;
    for (int i = 0; i < 9; ++i) {
        if (p + i >= end) {
            used = 0;
            return 0;
        }
        if (i == 8) {
            used = 9;
            return v << 8 | p[i];
        }
        v = v << 7 | (p[i] & 0x7f);
        if (!(p[i] & 0x80)) {
            used = i + 1;
            return v;
        }
    }
    used = 0;
    return 0;
}

} // namespace

void PageFile::noteOverflows(uint64_t n, const unsigned char *plain)
{
    // Where a cell's payload goes on past the page, as the file format
    // puts it: the part kept on the page, then the first overflow page.
    constexpr int kUsable = kPageSize - kReserve;
    constexpr uint64_t kMinLocal = (kUsable - 12) * 32 / 255 - 23;
    const unsigned char *head = plain + (n == 1 ? 100 : 0);
    const uint8_t kind = head[0];
    if (kind != kTableLeaf && kind != kIndexLeaf && kind != kIndexInterior)
        return;
    const uint64_t maxLocal = kind == kTableLeaf ? kUsable - 35 : (kUsable - 12) * 64 / 255 - 23;
    const int headSize = kind == kIndexInterior ? 12 : 8;
    const unsigned cells = unsigned(head[3]) << 8 | head[4];
    const unsigned char *end = plain + kUsable;
    const unsigned char *pointers = head + headSize;
    if (pointers + 2 * cells > end)
        return;
    for (unsigned i = 0; i < cells; ++i) {
        const unsigned at = unsigned(pointers[2 * i]) << 8 | pointers[2 * i + 1];
        const unsigned char *cell = plain + at;
        if (at < 8 || cell >= end)
            continue;
        int used = 0;
        const unsigned char *p = cell + (kind == kIndexInterior ? 4 : 0);
        if (p >= end)
            continue;
        // Most payloads are short: one byte says so.
        if (!(*p & 0x80) && *p <= maxLocal)
            continue;
        const uint64_t payload = varint(p, end, used);
        if (!used || payload <= maxLocal)
            continue;
        p += used;
        if (kind == kTableLeaf) {
            varint(p, end, used);
            if (!used)
                continue;
            p += used;
        }
        uint64_t local = kMinLocal + (payload - kMinLocal) % (kUsable - 4);
        if (local > maxLocal)
            local = kMinLocal;
        if (local + 4 > uint64_t(end - p))
            continue;
        noteOverflow(be32(p + local));
    }
}

bool PageFile::authenticateRest()
{
    const uint64_t lockPage = kLockByte / kPageSize + 1;
    m_runPages = kMaxRun;
    for (uint64_t n = 1; n <= pages(); ++n) {
        if (m_done[size_t(n)] || n == lockPage)
            continue;
        const unsigned char *in = stored(n);
        if (!in || !m_cipher || m_cipher->authenticate(uint32_t(n), in) != PageCipher::Opened)
            return false;
    }
    return true;
}

std::optional<uint64_t> PageFile::entries(uint64_t root, bool index)
{
    uint64_t count = 0;
    // A page met twice makes no tree, and could make the walk endless.
    m_walked.assign(size_t(pages()) + 1, false);
    unsigned char buf[kPageSize];
    if (!walk(root, index, 0, count, buf))
        return std::nullopt;
    return count;
}

bool PageFile::walk(uint64_t page, bool index, int depth, uint64_t &count, unsigned char *buf)
{
    // SQLite gives up on trees deeper than 20.
    if (page < 2 || page > pages() || depth > 20 || m_walked[size_t(page)])
        return false;
    m_walked[size_t(page)] = true;
    const uint8_t leaf = index ? kIndexLeaf : kTableLeaf, interior = index ? kIndexInterior : kTableInterior;
    if (!m_done[size_t(page)] || m_kind[size_t(page)] == interior) {
        // Not read yet, or an inner page, whose children were not kept.
        if (read(page, buf) != PageCipher::Opened)
            return false;
    }
    const uint8_t kind = m_kind[size_t(page)];
    const uint64_t cells = m_cells[size_t(page)];
    if (kind == leaf) {
        count += cells;
        return true;
    }
    if (kind != interior || 12 + 2 * cells > uint64_t(kPageSize - kReserve))
        return false;
    if (index)
        count += cells;
    // buf is reused below: the children first.
    std::vector<uint32_t> children;
    children.reserve(size_t(cells) + 1);
    for (uint64_t i = 0; i < cells; ++i) {
        const unsigned at = unsigned(buf[12 + 2 * i]) << 8 | buf[13 + 2 * i];
        if (at < 12 || at + 4 > unsigned(kPageSize - kReserve))
            return false;
        children.push_back(be32(buf + at));
    }
    children.push_back(be32(buf + 8));
    for (uint32_t child : children)
        if (!walk(child, index, depth + 1, count, buf))
            return false;
    return true;
}

// ---- the VFS ------------------------------------------------------------------------

namespace {

struct VfsFile {
    sqlite3_file base;
    PageFile *pages; // the main database file; null for a journal
    int level;       // the lock SQLite holds on it
    sqlite3_file *real() { return reinterpret_cast<sqlite3_file *>(this + 1); }
};

sqlite3_vfs *g_real = nullptr;
PageFile *g_file = nullptr;

// Which descriptor the default VFS opened the main database file through:
// its open() is ours while it opens that file (xSetSystemCall).
sqlite3_syscall_ptr g_realOpen = nullptr;
const char *g_opening = nullptr;
int g_opened = -1;

int openAndNote(const char *path, int flags, int mode)
{
    const int fd = reinterpret_cast<int (*)(const char *, int, int)>(g_realOpen)(path, flags, mode);
    if (fd >= 0 && g_opening && std::strcmp(path, g_opening) == 0)
        g_opened = fd;
    return fd;
}

VfsFile *of(sqlite3_file *f) { return reinterpret_cast<VfsFile *>(f); }
sqlite3_file *real(sqlite3_file *f) { return of(f)->real(); }
// The main file when its pages are served plain.
PageFile *plainPages(sqlite3_file *f)
{
    PageFile *p = of(f)->pages;
    return p && p->servesPlainPages() ? p : nullptr;
}

int xClose(sqlite3_file *f)
{
    if (PageFile *p = of(f)->pages)
        p->detach();
    sqlite3_file *r = real(f);
    return r->pMethods ? r->pMethods->xClose(r) : SQLITE_OK;
}

int xRead(sqlite3_file *f, void *buf, int amount, sqlite3_int64 offset)
{
    PageFile *p = plainPages(f);
    if (!p)
        return real(f)->pMethods->xRead(real(f), buf, amount, offset);
    auto *to = static_cast<unsigned char *>(buf);
    if (!p->locked()) {
        // SQLite's look at the header as it opens the file, before any
        // lock, for the page size: nothing read now would be worth anything,
        // so it is told the one layout served here, and reads page 1 again
        // under its lock (where another layout makes it the engine's road).
        std::memset(to, 0, size_t(amount));
        if (offset != 0)
            return SQLITE_IOERR_SHORT_READ;
        static const unsigned char layout[24] = {'S', 'Q', 'L', 'i', 't', 'e', ' ', 'f', 'o', 'r', 'm', 'a',
                                                 't', ' ', '3', 0, kPageSize >> 8, 0, 1, 1, kReserve, 64, 32, 32};
        std::memcpy(to, layout, std::min(size_t(amount), sizeof layout));
        return amount <= int(sizeof layout) ? SQLITE_OK : SQLITE_IOERR_SHORT_READ;
    }
    // Page 1 did not open under the lock: the engine's road decides.
    if (!p->servable())
        return SQLITE_IOERR_READ;
    const uint64_t size = p->pages() * kPageSize;
    unsigned char plain[kPageSize];
    while (amount > 0) {
        // Past the end: the file is shorter than its header says.
        if (offset < 0 || uint64_t(offset) >= size) {
            p->noteForged();
            return SQLITE_IOERR_READ;
        }
        const uint64_t n = uint64_t(offset) / kPageSize + 1;
        const int at = int(uint64_t(offset) % kPageSize);
        const int take = std::min(amount, kPageSize - at);
        // A whole page, as the pager reads: decrypted in place.
        unsigned char *into = at == 0 && take == kPageSize ? to : plain;
        if (p->read(n, into) != PageCipher::Opened) {
            p->noteForged();
            return SQLITE_IOERR_READ;
        }
        if (into == plain)
            std::memcpy(to, plain + at, size_t(take));
        to += take;
        offset += take;
        amount -= take;
    }
    return SQLITE_OK;
}

int xWrite(sqlite3_file *f, const void *buf, int amount, sqlite3_int64 offset)
{
    if (plainPages(f))
        return SQLITE_READONLY;
    return real(f)->pMethods->xWrite(real(f), buf, amount, offset);
}

int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (plainPages(f))
        return SQLITE_READONLY;
    return real(f)->pMethods->xTruncate(real(f), size);
}

int xSync(sqlite3_file *f, int flags) { return real(f)->pMethods->xSync(real(f), flags); }
int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    if (PageFile *p = plainPages(f)) {
        *size = p->locked() ? sqlite3_int64(p->pages() * kPageSize) : 0;
        return SQLITE_OK;
    }
    return real(f)->pMethods->xFileSize(real(f), size);
}

int xLock(sqlite3_file *f, int level)
{
    VfsFile *v = of(f);
    const int rc = real(f)->pMethods->xLock(real(f), level);
    if (rc == SQLITE_OK && level > v->level) {
        const bool taken = v->level == SQLITE_LOCK_NONE;
        v->level = level;
        if (taken && v->pages)
            v->pages->lockTaken();
    }
    return rc;
}

int xUnlock(sqlite3_file *f, int level)
{
    VfsFile *v = of(f);
    const int rc = real(f)->pMethods->xUnlock(real(f), level);
    // A failed unlock leaves the lock unknown: held no more, for what this
    // file serves.
    if (level < v->level)
        v->level = level;
    if (level == SQLITE_LOCK_NONE && v->pages)
        v->pages->lockDropped();
    return rc;
}

int xCheckReservedLock(sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
int xFileControl(sqlite3_file *f, int op, void *arg)
{
    // The size and mapping hints are about the real file; plain pages are
    // served from memory already.
    if (plainPages(f) && (op == SQLITE_FCNTL_MMAP_SIZE || op == SQLITE_FCNTL_SIZE_HINT || op == SQLITE_FCNTL_CHUNK_SIZE))
        return SQLITE_NOTFOUND;
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
int xDeviceCharacteristics(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }

// Version 1: no memory mapping (which would bypass xRead) and no shared
// memory (no write-ahead log, which the bases we make never use).
const sqlite3_io_methods kMethods = {1,
                                     xClose,
                                     xRead,
                                     xWrite,
                                     xTruncate,
                                     xSync,
                                     xFileSize,
                                     xLock,
                                     xUnlock,
                                     xCheckReservedLock,
                                     xFileControl,
                                     xSectorSize,
                                     xDeviceCharacteristics,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr,
                                     nullptr};

int vOpen(sqlite3_vfs *, const char *name, sqlite3_file *f, int flags, int *outFlags)
{
    VfsFile *v = of(f);
    v->base.pMethods = nullptr;
    v->pages = nullptr;
    v->level = SQLITE_LOCK_NONE;
    const bool main = (flags & SQLITE_OPEN_MAIN_DB) && name && g_file;
    std::memset(v->real(), 0, size_t(g_real->szOsFile));
    g_opening = main ? name : nullptr;
    g_opened = -1;
    const int rc = g_real->xOpen(g_real, name, v->real(), flags, outFlags);
    g_opening = nullptr;
    if (rc != SQLITE_OK)
        return rc;
    v->base.pMethods = &kMethods;
    if (main) {
        // A descriptor the default VFS kept from an earlier open is not
        // known here: nothing to read through.
        if (g_opened < 0) {
            xClose(f);
            v->base.pMethods = nullptr;
            return SQLITE_CANTOPEN;
        }
        v->pages = g_file;
        g_file->attach(g_opened);
    }
    return SQLITE_OK;
}
int vDelete(sqlite3_vfs *, const char *name, int syncDir) { return g_real->xDelete(g_real, name, syncDir); }
int vAccess(sqlite3_vfs *, const char *name, int flags, int *out) { return g_real->xAccess(g_real, name, flags, out); }
int vFullPathname(sqlite3_vfs *, const char *name, int n, char *out)
{
    return g_real->xFullPathname(g_real, name, n, out);
}
int vRandomness(sqlite3_vfs *, int n, char *out) { return g_real->xRandomness(g_real, n, out); }
int vSleep(sqlite3_vfs *, int us) { return g_real->xSleep(g_real, us); }
int vCurrentTime(sqlite3_vfs *, double *t) { return g_real->xCurrentTime(g_real, t); }
int vGetLastError(sqlite3_vfs *, int n, char *out) { return g_real->xGetLastError(g_real, n, out); }
int vCurrentTimeInt64(sqlite3_vfs *, sqlite3_int64 *t) { return g_real->xCurrentTimeInt64(g_real, t); }

} // namespace

const char *pageVfs(PageFile *file)
{
    static sqlite3_vfs vfs {};
    g_file = file;
    if (!g_real) {
        sqlite3_vfs *real = sqlite3_vfs_find(nullptr);
        if (!real || real->iVersion < 3 || !real->xGetSystemCall || !real->xSetSystemCall)
            return nullptr;
        g_realOpen = real->xGetSystemCall(real, "open");
        if (!g_realOpen ||
            real->xSetSystemCall(real, "open", reinterpret_cast<sqlite3_syscall_ptr>(openAndNote)) != SQLITE_OK)
            return nullptr;
        g_real = real;
        vfs.iVersion = 2;
        vfs.szOsFile = int(sizeof(VfsFile)) + g_real->szOsFile;
        vfs.mxPathname = g_real->mxPathname;
        vfs.zName = "corvane-pages";
        vfs.xOpen = vOpen;
        vfs.xDelete = vDelete;
        vfs.xAccess = vAccess;
        vfs.xFullPathname = vFullPathname;
        vfs.xRandomness = vRandomness;
        vfs.xSleep = vSleep;
        vfs.xCurrentTime = vCurrentTime;
        vfs.xGetLastError = vGetLastError;
        vfs.xCurrentTimeInt64 = g_real->xCurrentTimeInt64 ? vCurrentTimeInt64 : nullptr;
        if (sqlite3_vfs_register(&vfs, 0) != SQLITE_OK)
            return nullptr;
    }
    return vfs.zName;
}

} // namespace check
