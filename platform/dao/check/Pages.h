#pragma once
// The pages of an encrypted base, authenticated and decrypted as the engine
// does it for the bases this program makes (1024-byte pages, a 16-byte salt
// at the start of the file, AES-256-CBC with a random IV and an HMAC-SHA1 in
// each page's last 48 bytes, keys by PBKDF2), with the key derived once and
// no set-up per page. The checker reads a file through this, many pages a
// read, and hands SQLite the plain pages to check their structure.
//
// The engine writes every page through its cipher, so no page of a base it
// made is stored as zeros: a page of zeros (which the engine would take for
// one never written, and read as zeros) is never authentic here. The build
// makes sure the engine's defaults are the ones implemented here
// (CipherDefaults.h).

#include <sqlite3.h>

#include <sys/stat.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace check {

constexpr int kPageSize = 1024;
constexpr int kSaltSize = 16;
constexpr int kReserve = 48;

class PageCipher {
public:
    // passphrase as given to sqlite3_key; salt: the file's first 16 bytes.
    PageCipher(const std::string &passphrase, const unsigned char *salt);
    ~PageCipher();
    PageCipher(const PageCipher &) = delete;
    PageCipher &operator=(const PageCipher &) = delete;

    enum Result {
        Opened, // authentic; out holds the plain page
        Forged, // not written with this key under this number, or damaged
    };
    // in and out: kPageSize bytes each, not overlapping.
    Result open(uint32_t pageNumber, const unsigned char *in, unsigned char *out);
    // The same verdict without the plain page, for pages no one reads.
    Result authenticate(uint32_t pageNumber, const unsigned char *in);
    // As open, with only the first AES block of the page decrypted and the
    // rest of out zeros: for an overflow page, all of which a structure
    // check reads is the number of the next one, in its first 4 bytes. The
    // whole page is authenticated all the same.
    Result openHead(uint32_t pageNumber, const unsigned char *in, unsigned char *out);
    // Whether the keys were derived from this salt.
    bool madeFor(const unsigned char *salt) const;

private:
    bool authentic(uint32_t pageNumber, const unsigned char *in);
    struct State;
    std::unique_ptr<State> m;
};

// PBKDF2 with HMAC-SHA1, the two keyed states of the HMAC made once for all
// rounds: OpenSSL's own makes them again each round, which costs several
// times the hashing itself at the engine's 64000 rounds.
void pbkdf2Sha1(const unsigned char *pass, size_t passSize, const unsigned char *salt, size_t saltSize, int rounds,
                unsigned char *out, size_t outSize);

// A base file as SQLite holds it: read through the descriptor SQLite opened
// and locked (the same open file, not the path opened again, which another
// program may have pointed elsewhere meanwhile), and only while SQLite holds
// its shared lock on it. Whatever was read before the lock was taken, or
// under an earlier lock, counts for nothing: the size and every page are
// read again. What a writer that ignores the locks does to the file while it
// is read is not seen here; lockedAsAtStart() tells whether the file's times
// moved meanwhile.
class PageFile {
public:
    // The descriptor SQLite opened the file through, not owned (-1: none).
    void attach(int fd);
    void detach();
    int descriptor() const { return m_fd; }

    // With a passphrase the pages are served to SQLite decrypted (the plain
    // pages); without, SQLite reads them as stored, through its own cipher.
    void setPassphrase(std::string passphrase) { m_passphrase = std::move(passphrase); }
    bool servesPlainPages() const { return !m_passphrase.empty(); }

    // SQLite took its shared lock, or dropped its last lock.
    void lockTaken();
    void lockDropped();
    bool locked() const { return m_locked; }
    // How many times the lock was taken: a check holds one lock throughout.
    uint64_t lockCount() const { return m_lockCount; }
    // Under the lock: the file as fstat tells it now, and whether it is
    // still the one the lock was taken on, unchanged. restartFrom() takes
    // the file as it is now for the start, when SQLite itself wrote it
    // under its lock (a journal rolled back) and reads it as stored.
    std::optional<struct stat> now() const;
    bool lockedAsAtStart() const;
    void restartFrom();

    // Under the lock, serving plain pages: whether page 1 opened with the
    // passphrase and shows the page size, reserve and journal of the bases
    // implemented here (if not, the engine's own road decides).
    bool servable() const { return m_servable; }
    uint64_t pages() const { return m_size / kPageSize; }
    // The page count page 1 declares, as SQLite reads it (the file's size
    // when the header's count is not kept).
    uint64_t declaredPages() const { return m_declared; }

    // The stored bytes of page n (from 1); null when the file ends before,
    // or when no lock is held.
    const unsigned char *stored(uint64_t n);

    // Authenticates and decrypts page n into out.
    PageCipher::Result read(uint64_t n, unsigned char *out);
    // Authenticates every page not read yet; false at the first that fails.
    bool authenticateRest();
    // For SQLite's own cipher: the file is exactly `count` pages of
    // pageSize bytes, and none of them (the page SQLite keeps for its locks
    // aside) is stored as zeros.
    bool wholeAndWritten(uint64_t pageSize, uint64_t count);
    // The entries of the b-tree rooted at page root: the rows of a table,
    // or the entries of an index; nothing when it is not a whole tree of
    // that kind. Leaves read before are counted from what they showed then,
    // without reading them again.
    std::optional<uint64_t> entries(uint64_t root, bool index);
    // While on, a page that a b-tree page read so far names as overflow is
    // authenticated whole but decrypted only as far as the number of the
    // next one: for quick_check, which reads nothing else of them. Off
    // again before anything reads what they hold.
    void setOverflowHeadsOnly(bool on) { m_headsOnly = on; }
    // Whether a read through SQLite met a page that failed.
    bool forgedSeen() const { return m_forgedSeen; }
    void noteForged() { m_forgedSeen = true; }

private:
    // Runs of pages read at once. SQLite's reads mostly go forward through
    // a region of the file; a run mostly unused when it is dropped makes the
    // next ones shorter, one mostly used makes them longer.
    struct Run {
        uint64_t first = 0, count = 0, used = 0, lastUse = 0;
        std::unique_ptr<unsigned char[]> bytes; // room for kMaxRun pages
    };
    static constexpr int kRuns = 8;
    static constexpr uint64_t kMaxRun = 128;
    int m_fd = -1;
    std::string m_passphrase;
    bool m_locked = false;
    uint64_t m_lockCount = 0;
    struct stat m_atStart {};
    bool m_servable = false;
    uint64_t m_size = 0;
    uint64_t m_declared = 0;
    uint64_t m_runPages = 64;
    uint64_t m_clock = 0;
    std::vector<Run> m_runs;
    std::unique_ptr<PageCipher> m_cipher;
    std::vector<bool> m_done;
    // Of each page read, its b-tree kind (the flag byte, 0 for none) and
    // cell count: leaves are counted from these without reading them again.
    std::vector<uint8_t> m_kind;
    std::vector<uint16_t> m_cells;
    // Pages named as overflow by a cell or by the overflow page before.
    std::vector<bool> m_overflow;
    // Pages the current count has met.
    std::vector<bool> m_walked;
    bool m_headsOnly = false;
    bool m_forgedSeen = false;

    void forget();
    bool openFirstPage();
    void noteOverflow(uint64_t n);
    void noteOverflows(uint64_t n, const unsigned char *plain);
    bool walk(uint64_t page, bool index, int depth, uint64_t &count, unsigned char *buf);
};

// Registers (once) the VFS "corvane-pages": the main database file opened
// through it is the one file SQLite opens it by; its lock is followed by
// file, which serves it as plain pages or hands it to SQLite as stored
// (PageFile::setPassphrase). Everything else (journals) goes to the default
// VFS. Null when the default VFS does not let the checker see which
// descriptor it opened.
const char *pageVfs(PageFile *file);

} // namespace check
