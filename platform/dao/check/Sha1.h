#pragma once
// SHA-1 and HMAC-SHA1 for the page MACs and the key derivation of the
// engine's format. Our own because the two keyed states of an HMAC are made
// once and then copied for every page and for every round of PBKDF2: OpenSSL 3
// copies a digest state only with an allocation (EVP_MD_CTX_copy_ex), or
// through its deprecated SHA1_* calls. The compression runs on the
// processor's SHA instructions where it has them, in plain code elsewhere.

#include <cstddef>
#include <cstdint>

namespace check::sha1 {

constexpr size_t kBlock = 64;
constexpr size_t kDigest = 20;

struct State {
    uint32_t h[5];
};

State initial();

// Runs whole 64-byte blocks through s, on the processor's SHA instructions
// when it has them.
void compress(State &s, const unsigned char *blocks, size_t count);

// The two ways of compress, for tests: the plain one runs anywhere, the
// accelerated one only where accelerated() is true.
void compressPlain(State &s, const unsigned char *blocks, size_t count);
bool accelerated();
void compressAccelerated(State &s, const unsigned char *blocks, size_t count);

// A hash from a state that has taken `done` bytes, all in whole blocks.
class Hash {
public:
    explicit Hash(const State &from = initial(), uint64_t done = 0) : m_s(from), m_length(done) {}
    void update(const unsigned char *p, size_t n);
    // Writes the 20-byte digest to out.
    void final(unsigned char *out);

private:
    State m_s;
    uint64_t m_length;
    unsigned char m_buf[kBlock];
    size_t m_fill = 0;
};

// The states of HMAC-SHA1 under a key, after its padded key block.
struct HmacKey {
    State inner, outer;
};
HmacKey hmacKey(const unsigned char *key, size_t size);

// HMAC's last step, one compression: block holds the inner digest in its
// first 20 bytes and the padding of digestBlock after them, and gets the
// outer digest in its first 20 bytes.
void finish(const State &outer, unsigned char *block);

// Sets block up for finish: the padding of a 20-byte message after a key
// block.
void digestBlock(unsigned char *block);

// Wipes secrets the compiler must not drop as dead stores.
void wipe(void *p, size_t n);

} // namespace check::sha1
