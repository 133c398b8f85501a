#pragma once
// The pages of an encrypted base, authenticated and decrypted as the engine
// does it for the bases this program makes (1024-byte pages, a 16-byte salt
// at the start of the file, AES-256-CBC with a random IV and an HMAC-SHA1 in
// each page's last 48 bytes, keys by PBKDF2), with the key derived once and
// no set-up per page. The checker reads a file through this, many pages a
// read, and hands SQLite the plain pages to check their structure.

#include <sqlite3.h>

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
        Blank,  // all zeros, which the engine reads as a page of zeros
        Forged, // not written with this key, or damaged
    };
    // in and out: kPageSize bytes each, not overlapping.
    Result open(uint32_t pageNumber, const unsigned char *in, unsigned char *out);
    // The same verdict without the plain page, for pages no one reads.
    Result authenticate(uint32_t pageNumber, const unsigned char *in);
    // As open, with only the first AES block of the page decrypted and the
    // rest of out zeros: for an overflow page, all of which a structure
    // check reads is the number of the next one, in its first 4 bytes.
    Result openHead(uint32_t pageNumber, const unsigned char *in, unsigned char *out);

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

// A base file read many pages a read, each page authenticated when it is
// read.
class PageFile {
public:
    ~PageFile();
    // False when the file cannot be read as whole pages (then nothing else
    // is used).
    bool open(const std::string &path);
    uint64_t pages() const { return m_size / kPageSize; }
    int descriptor() const { return m_fd; }
    // The stored bytes of page n (from 1); null when the file ends before.
    const unsigned char *stored(uint64_t n);

    void setCipher(std::unique_ptr<PageCipher> cipher) { m_cipher = std::move(cipher); }
    // Authenticates and decrypts page n into out.
    PageCipher::Result read(uint64_t n, unsigned char *out);
    // Authenticates every page not read yet; false at the first that fails.
    bool authenticateRest();
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
    uint64_t m_size = 0;
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

    void noteOverflow(uint64_t n);
    void noteOverflows(uint64_t n, const unsigned char *plain);
    bool walk(uint64_t page, bool index, int depth, uint64_t &count, unsigned char *buf);
};

// Registers (once) the read-only VFS "corvane-pages": the main database file
// opened through it is served from file as plain pages; everything else
// (locks, journals) goes to the default VFS.
const char *pageVfs(PageFile *file);

} // namespace check
