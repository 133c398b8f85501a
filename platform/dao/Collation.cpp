// Text order of every index and seek: letters compare without regard to
// case (full Unicode case folding, not ASCII only), an accented letter sorts
// beside its base letter, and two texts are equal only when they fold to the
// same text ("resume" and "résumé" stay distinct, "Économie" equals
// "économie"). Texts compare in normal form C: "é" typed as one character
// and "e" followed by a combining accent are the same key.

#include "Collation.h"

#include "Dao.h"

#include <QChar>
#include <QString>

#include <array>
#include <cstring>
#include <memory>

namespace dao {

namespace {

struct Tables {
    std::array<char16_t, 65536> base; // folded base letter
    std::array<char16_t, 65536> fold; // folded letter
    Tables()
    {
        for (int c = 0; c < 65536; ++c) {
            const QChar ch(static_cast<char16_t>(c));
            char16_t f = ch.isSurrogate() ? char16_t(c) : ch.toCaseFolded().unicode();
            fold[size_t(c)] = f;
            base[size_t(c)] = f;
            if (ch.isSurrogate() || c < 128)
                continue;
            // The base letter of the full decomposition ("ǘ" sorts beside
            // "u", not beside "ü"): a composed letter then takes the place
            // of the ASCII letter it was composed from, as the quick byte
            // comparison below assumes.
            QChar b = ch;
            while (b.decompositionTag() == QChar::Canonical) {
                const QString d = b.decomposition();
                if (d.isEmpty() || d.at(0) == b || d.at(0).isSurrogate())
                    break;
                b = d.at(0);
            }
            if (b != ch)
                base[size_t(c)] = b.toCaseFolded().unicode();
        }
    }
};

const Tables &tables()
{
    static const std::unique_ptr<Tables> t = std::make_unique<Tables>();
    return *t;
}

inline unsigned char lowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

int collate(void *, int na, const void *pa, int nb, const void *pb)
{
    const auto *a = static_cast<const unsigned char *>(pa);
    const auto *b = static_cast<const unsigned char *>(pb);
    // The same bytes are the same key, whatever they hold: a seek or a join
    // on a long key compares it with its own copies at memcmp's pace.
    if (na == nb && std::memcmp(a, b, size_t(na)) == 0)
        return 0;
    const int n = na < nb ? na : nb;
    for (int i = 0; i < n; ++i) {
        const unsigned char x = a[i], y = b[i];
        if ((x | y) & 0x80)
            return compareText(fromStoredText(QByteArrayView(a, na)), fromStoredText(QByteArrayView(b, nb)));
        const unsigned char lx = lowerAscii(x), ly = lowerAscii(y);
        if (lx != ly)
            return lx < ly ? -1 : 1;
    }
    // One text is a prefix of the other; the rest may hold letters that are
    // not ASCII, which do not change the order (longer sorts after).
    return na == nb ? 0 : (na < nb ? -1 : 1);
}

// Every text whose characters all lie below the combining accents (U+0300)
// is in normal form C already.
bool mayNeedComposing(QStringView s)
{
    for (QChar c : s)
        if (c.unicode() >= 0x300)
            return true;
    return false;
}

int compareComposed(QStringView a, QStringView b)
{
    const Tables &t = tables();
    const qsizetype n = a.size() < b.size() ? a.size() : b.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = t.base[a[i].unicode()], y = t.base[b[i].unicode()];
        if (x != y)
            return x < y ? -1 : 1;
    }
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t x = t.fold[a[i].unicode()], y = t.fold[b[i].unicode()];
        if (x != y)
            return x < y ? -1 : 1;
    }
    return 0;
}

} // namespace

QString composedText(QStringView text)
{
    return mayNeedComposing(text) ? text.toString().normalized(QString::NormalizationForm_C)
                                   : text.toString();
}

QString textKey(QStringView text)
{
    QString key = composedText(text);
    const Tables &t = tables();
    for (QChar &c : key)
        c = QChar(t.fold[c.unicode()]);
    return key;
}

int compareText(QStringView a, QStringView b)
{
    if (mayNeedComposing(a) || mayNeedComposing(b))
        return compareComposed(composedText(a), composedText(b));
    return compareComposed(a, b);
}

int compareTextUtf8(const char *a, int na, const char *b, int nb)
{
    return collate(nullptr, na, a, nb, b);
}

int registerTextCollation(sqlite3 *db)
{
    tables();
    return sqlite3_create_collation_v2(db, kTextCollation, SQLITE_UTF8, nullptr, collate, nullptr);
}

} // namespace dao
