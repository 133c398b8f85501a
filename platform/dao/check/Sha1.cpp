#include "Sha1.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#include <immintrin.h>
#define CHECK_SHA_X86 1
#endif

namespace check::sha1 {

namespace {

inline uint32_t rol(uint32_t x, int n) { return x << n | x >> (32 - n); }

inline uint32_t load32(const unsigned char *p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

inline void store32(unsigned char *p, uint32_t v)
{
    p[0] = static_cast<unsigned char>(v >> 24);
    p[1] = static_cast<unsigned char>(v >> 16);
    p[2] = static_cast<unsigned char>(v >> 8);
    p[3] = static_cast<unsigned char>(v);
}

} // namespace

State initial() { return State{{0x67452301u, 0xEFCDAB89u, 0x98BADCFEu, 0x10325476u, 0xC3D2E1F0u}}; }

void compressPlain(State &s, const unsigned char *blocks, size_t count)
{
    for (; count > 0; --count, blocks += kBlock) {
        uint32_t w[80];
        for (int i = 0; i < 16; ++i)
            w[i] = load32(blocks + 4 * i);
        for (int i = 16; i < 80; ++i)
            w[i] = rol(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        uint32_t a = s.h[0], b = s.h[1], c = s.h[2], d = s.h[3], e = s.h[4];
        for (int i = 0; i < 80; ++i) {
            uint32_t f, k;
            if (i < 20) {
                f = (b & c) | (~b & d);
                k = 0x5A827999u;
            } else if (i < 40) {
                f = b ^ c ^ d;
                k = 0x6ED9EBA1u;
            } else if (i < 60) {
                f = (b & c) | (b & d) | (c & d);
                k = 0x8F1BBCDCu;
            } else {
                f = b ^ c ^ d;
                k = 0xCA62C1D6u;
            }
            const uint32_t t = rol(a, 5) + f + e + k + w[i];
            e = d;
            d = c;
            c = rol(b, 30);
            b = a;
            a = t;
        }
        s.h[0] += a;
        s.h[1] += b;
        s.h[2] += c;
        s.h[3] += d;
        s.h[4] += e;
    }
}

#ifdef CHECK_SHA_X86

bool accelerated()
{
    static const bool has = [] {
        unsigned a = 0, b = 0, c = 0, d = 0;
        if (!__get_cpuid(1, &a, &b, &c, &d) || !(c & bit_SSSE3) || !(c & bit_SSE4_1))
            return false;
        return __get_cpuid_count(7, 0, &a, &b, &c, &d) && (b & bit_SHA);
    }();
    return has;
}

namespace {

// Four rounds: abcd the state with a in the highest lane, e the fifth word
// (plus the message words) as sha1nexte or the first add made it.
template <int F>
__attribute__((target("sha,sse4.1,ssse3"))) inline void rounds4(__m128i &abcd, __m128i &e, __m128i &ePrev,
                                                               const __m128i &w, bool first)
{
    const __m128i in = first ? _mm_add_epi32(e, w) : _mm_sha1nexte_epu32(ePrev, w);
    ePrev = abcd;
    abcd = _mm_sha1rnds4_epu32(abcd, in, F);
}

// The message words of group g of four rounds: the block's own for the
// first four, each later group's from the four before it.
__attribute__((target("sha,sse4.1,ssse3"))) inline __m128i words(__m128i *w, const unsigned char *block,
                                                                 const __m128i &order, int g)
{
    if (g < 4) {
        w[g] = _mm_shuffle_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i *>(block + 16 * g)), order);
    } else {
        __m128i x = _mm_sha1msg1_epu32(w[g & 3], w[(g + 1) & 3]);
        x = _mm_xor_si128(x, w[(g + 2) & 3]);
        w[g & 3] = _mm_sha1msg2_epu32(x, w[(g + 3) & 3]);
    }
    return w[g & 3];
}

} // namespace

__attribute__((target("sha,sse4.1,ssse3"))) void compressAccelerated(State &s, const unsigned char *blocks,
                                                                     size_t count)
{
    // Message words are big-endian, and the instructions want word 0 in the
    // highest lane.
    const __m128i order = _mm_set_epi64x(0x0001020304050607LL, 0x08090a0b0c0d0e0fLL);
    __m128i abcd = _mm_shuffle_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i *>(s.h)), 0x1B);
    __m128i e = _mm_set_epi32(int(s.h[4]), 0, 0, 0);
    for (; count > 0; --count, blocks += kBlock) {
        const __m128i abcdSaved = abcd, eSaved = e;
        __m128i w[4];
        __m128i ePrev = e;
        rounds4<0>(abcd, e, ePrev, words(w, blocks, order, 0), true);
        for (int g = 1; g < 5; ++g)
            rounds4<0>(abcd, e, ePrev, words(w, blocks, order, g), false);
        for (int g = 5; g < 10; ++g)
            rounds4<1>(abcd, e, ePrev, words(w, blocks, order, g), false);
        for (int g = 10; g < 15; ++g)
            rounds4<2>(abcd, e, ePrev, words(w, blocks, order, g), false);
        for (int g = 15; g < 20; ++g)
            rounds4<3>(abcd, e, ePrev, words(w, blocks, order, g), false);
        // The last e, from the state before the last four rounds, plus the
        // block's first e.
        e = _mm_sha1nexte_epu32(ePrev, eSaved);
        abcd = _mm_add_epi32(abcd, abcdSaved);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i *>(s.h), _mm_shuffle_epi32(abcd, 0x1B));
    s.h[4] = uint32_t(_mm_extract_epi32(e, 3));
}

#else

bool accelerated() { return false; }
void compressAccelerated(State &s, const unsigned char *blocks, size_t count) { compressPlain(s, blocks, count); }

#endif

void compress(State &s, const unsigned char *blocks, size_t count)
{
    static const auto run = accelerated() ? compressAccelerated : compressPlain;
    run(s, blocks, count);
}

void Hash::update(const unsigned char *p, size_t n)
{
    m_length += n;
    if (m_fill) {
        const size_t take = std::min(n, kBlock - m_fill);
        std::memcpy(m_buf + m_fill, p, take);
        m_fill += take;
        p += take;
        n -= take;
        if (m_fill < kBlock)
            return;
        compress(m_s, m_buf, 1);
        m_fill = 0;
    }
    if (n >= kBlock) {
        compress(m_s, p, n / kBlock);
        p += n / kBlock * kBlock;
        n %= kBlock;
    }
    std::memcpy(m_buf, p, n);
    m_fill = n;
}

void Hash::final(unsigned char *out)
{
    const uint64_t bits = m_length * 8;
    m_buf[m_fill++] = 0x80;
    if (m_fill > kBlock - 8) {
        std::memset(m_buf + m_fill, 0, kBlock - m_fill);
        compress(m_s, m_buf, 1);
        m_fill = 0;
    }
    std::memset(m_buf + m_fill, 0, kBlock - 8 - m_fill);
    store32(m_buf + kBlock - 8, uint32_t(bits >> 32));
    store32(m_buf + kBlock - 4, uint32_t(bits));
    compress(m_s, m_buf, 1);
    for (int i = 0; i < 5; ++i)
        store32(out + 4 * i, m_s.h[i]);
}

HmacKey hmacKey(const unsigned char *key, size_t size)
{
    unsigned char shortKey[kDigest];
    if (size > kBlock) {
        Hash h;
        h.update(key, size);
        h.final(shortKey);
        wipe(&h, sizeof h);
        key = shortKey;
        size = sizeof shortKey;
    }
    unsigned char pad[kBlock];
    HmacKey k{initial(), initial()};
    std::memset(pad, 0x36, sizeof pad);
    for (size_t i = 0; i < size; ++i)
        pad[i] ^= key[i];
    compress(k.inner, pad, 1);
    std::memset(pad, 0x5c, sizeof pad);
    for (size_t i = 0; i < size; ++i)
        pad[i] ^= key[i];
    compress(k.outer, pad, 1);
    wipe(pad, sizeof pad);
    wipe(shortKey, sizeof shortKey);
    return k;
}

void digestBlock(unsigned char *block)
{
    std::memset(block, 0, kBlock);
    block[kDigest] = 0x80;
    constexpr unsigned bits = (kBlock + kDigest) * 8;
    block[kBlock - 2] = static_cast<unsigned char>(bits >> 8);
    block[kBlock - 1] = static_cast<unsigned char>(bits);
}

void finish(const State &outer, unsigned char *block)
{
    State c = outer;
    compress(c, block, 1);
    for (int i = 0; i < 5; ++i)
        store32(block + 4 * i, c.h[i]);
}

void wipe(void *p, size_t n)
{
    volatile unsigned char *v = static_cast<volatile unsigned char *>(p);
    while (n--)
        *v++ = 0;
}

} // namespace check::sha1
