#include "TextFind.h"

#include <QChar>
#include <QHash>

#include <algorithm>
#include <array>
#include <numeric>
#include <string_view>

namespace textfind {

void WordList::reset()
{
    words = QStringList{QString()};
    counts = QList<int>{0};
}

void WordList::append(const QString &word, int count)
{
    words.append(word);
    counts.append(count);
}

// ---- characters ---------------------------------------------------------

int ansiCode(char16_t c)
{
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    switch (c) {
    case 0x20AC: return 128;
    case 0x201A: return 130;
    case 0x0192: return 131;
    case 0x201E: return 132;
    case 0x2026: return 133;
    case 0x2020: return 134;
    case 0x2021: return 135;
    case 0x02C6: return 136;
    case 0x2030: return 137;
    case 0x0160: return 138;
    case 0x2039: return 139;
    case 0x0152: return 140;
    case 0x017D: return 142;
    case 0x2018: return 145;
    case 0x2019: return 146;
    case 0x201C: return 147;
    case 0x201D: return 148;
    case 0x2022: return 149;
    case 0x2013: return 150;
    case 0x2014: return 151;
    case 0x02DC: return 152;
    case 0x2122: return 153;
    case 0x0161: return 154;
    case 0x203A: return 155;
    case 0x0153: return 156;
    case 0x017E: return 158;
    case 0x0178: return 159;
    default: break;
    }
    return 63;
}

namespace {

// Separator flags of the first 256 code units; the rest is decided by
// ansiCode and the character's category.
const std::array<bool, 256> &latinTable()
{
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (int c = 0; c < 256; ++c) {
            bool sep = c < 65 || (c >= 91 && c <= 96);
            // C1 controls have no place in the code page.
            if (c >= 0x80 && c < 0xA0)
                sep = true;
            // The page's punctuation and the no-break space separate words.
            if (c >= 0xA0 && (c == 0xA0 || QChar(char16_t(c)).isPunct()))
                sep = true;
            t[size_t(c)] = sep;
        }
        return t;
    }();
    return table;
}

bool isLeadTrim(QChar c)
{
    return c == u'~' || c == u'\'' || c == u'(' || c == QChar(0xAB);
}

bool isTrailTrim(QChar c)
{
    switch (c.unicode()) {
    case u',':
    case u';':
    case u'.':
    case u'?':
    case u'~':
    case u')':
    case u'\n':
    case u'\r':
    case 8:
    case u'\t':
    case 0xBB:
        return true;
    default:
        return false;
    }
}

} // namespace

bool isSeparator(char16_t c)
{
    if (c < 256)
        return latinTable()[c];
    if (ansiCode(c) == 63)
        return true;
    return QChar(c).isPunct();
}

namespace {

// Code units at which normal form C may change the text; the Latin
// letters, the code page's punctuation and its symbols never change.
bool mayNeedComposing(char16_t c)
{
    return c >= 0x300 && !(c >= 0x2002 && c <= 0x206F) && c != 0x20AC && c != 0x2122;
}

} // namespace

QString prepareText(const QString &text)
{
    // Most texts are already in normal form C: they are then shared, not copied.
    for (QChar c : text)
        if (mayNeedComposing(c.unicode()))
            return text.normalized(QString::NormalizationForm_C);
    return text;
}

QStringView trimWord(QStringView w)
{
    while (w.size() > 2) {
        if (isLeadTrim(w.front()))
            w = w.mid(1);
        else if (isTrailTrim(w.back()))
            w.chop(1);
        else
            break;
    }
    return w;
}

// ---- excluded words -----------------------------------------------------

namespace {

// The characters as the index compares them: letter case folded.
quint64 hashFolded(QStringView w)
{
    quint64 h = 1469598103934665603ull;
    for (QChar c : w) {
        char16_t u = c.unicode();
        if (u < 128) {
            if (u >= u'A' && u <= u'Z')
                u = char16_t(u + 32);
        } else if (!c.isSurrogate()) {
            u = c.toCaseFolded().unicode();
        }
        h = (h ^ u) * 1099511628211ull;
    }
    return h;
}

} // namespace

// The hash of dao::textKey(w); the normal form is made only for a word
// that may not be in it ("cafe" and a combining accent is "café").
quint64 foldHash(QStringView w)
{
    for (QChar c : w)
        if (mayNeedComposing(c.unicode()))
            return hashFolded(dao::composedText(w));
    return hashFolded(w);
}

ExcludedWords::ExcludedWords(const QStringList &words)
{
    m_sorted.reserve(size_t(words.size()));
    for (const QString &w : words)
        if (!w.isEmpty()) {
            m_sorted.push_back(w);
            m_byHash.emplace(foldHash(w), w);
        }
    std::sort(m_sorted.begin(), m_sorted.end(),
              [](const QString &a, const QString &b) { return dao::compareText(a, b) < 0; });
}

ExcludedWords ExcludedWords::fromBase(const dao::Database &db)
{
    QStringList words;
    dao::Recordset rs = db.OpenRecordset(QStringLiteral("Words"));
    dao::Field word = rs.Fields(QStringLiteral("Word"));
    if (rs.RecordCount() > 0)
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            words << word.Value().toString();
    rs.Close();
    return ExcludedWords(words);
}

bool ExcludedWords::contains(QStringView word) const
{
    if (m_byHash.empty())
        return false;
    const auto [from, to] = m_byHash.equal_range(foldHash(word));
    for (auto it = from; it != to; ++it)
        if (dao::compareText(it->second, word) == 0)
            return true;
    return false;
}

// ---- the steps ------------------------------------------------------------

namespace {

// A word of the list while it is worked on: a view into the text (or into
// the list it came from) and its count.
struct Entry {
    QStringView word;
    int count;
    // The first eight code units packed, exact or lower-cased: most
    // comparisons of a sort end on them.
    quint64 key = 0, key2 = 0;
};

bool lessExact(QStringView a, QStringView b)
{
    const std::u16string_view x(a.utf16(), size_t(a.size())), y(b.utf16(), size_t(b.size()));
    return x < y;
}

inline char16_t lowered(char16_t c)
{
    if (c < 128)
        return (c >= u'A' && c <= u'Z') ? char16_t(c + 32) : c;
    return QChar(c).toLower().unicode();
}

// The lower-cased words compared, then the exact words.
bool lessFolded(QStringView a, QStringView b)
{
    const qsizetype n = std::min(a.size(), b.size());
    const char16_t *x = a.utf16(), *y = b.utf16();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t lx = lowered(x[i]), ly = lowered(y[i]);
        if (lx != ly)
            return lx < ly;
    }
    if (a.size() != b.size())
        return a.size() < b.size();
    return lessExact(a, b);
}

// The distinct words while a text is cut: open addressing over slots kept
// from one call to the next, so that counting allocates next to nothing.
class WordTable {
public:
    WordTable(std::vector<Entry> &entries, qsizetype textLength) : m_entries(entries)
    {
        thread_local std::vector<int> kept;
        m_cells = &kept;
        // Small texts after a long one do not clear a large table each time.
        size_t wanted = 1024;
        while (wanted < size_t(textLength) / 4 && wanted < (size_t(1) << 22))
            wanted *= 2;
        if (kept.size() < 1024 || kept.size() > wanted * 8)
            kept.assign(wanted, -1);
        else
            std::fill(kept.begin(), kept.end(), -1);
        m_mask = kept.size() - 1;
    }
    // Counts the word; true when it is new.
    bool count(QStringView word)
    {
        const size_t h = qHash(word);
        std::vector<int> &cells = *m_cells;
        for (size_t at = h & m_mask;; at = (at + 1) & m_mask) {
            const int idx = cells[at];
            if (idx < 0) {
                cells[at] = int(m_entries.size());
                m_entries.push_back({word, 1});
                if (m_entries.size() * 2 > cells.size())
                    grow();
                return true;
            }
            if (m_entries[size_t(idx)].word == word) {
                ++m_entries[size_t(idx)].count;
                return false;
            }
        }
    }

private:
    void grow()
    {
        std::vector<int> &cells = *m_cells;
        cells.assign(cells.size() * 2, -1);
        m_mask = cells.size() - 1;
        for (size_t k = 0; k < m_entries.size(); ++k) {
            size_t at = qHash(m_entries[k].word) & m_mask;
            while (cells[at] >= 0)
                at = (at + 1) & m_mask;
            cells[at] = int(k);
        }
    }

    std::vector<Entry> &m_entries;
    std::vector<int> *m_cells;
    size_t m_mask;
};

// Cuts and counts; the entries are views into `buffer`.
bool cutAndCount(const QString &text, ParseMode mode, QString &buffer, std::vector<Entry> &entries,
                 ProgressSink *progress)
{
    entries.clear();
    buffer = prepareText(text);
    qsizetype start = 0;
    // The no-break space counts as a space, here and as a separator.
    while (start < buffer.size() && (buffer.at(start) == u' ' || buffer.at(start) == QChar(0xA0)))
        ++start;
    if (buffer.size() - start < 3)
        return false;

    const bool trim = mode == ParseMode::Filtered;
    const qsizetype length = text.size();
    const char16_t *p = reinterpret_cast<const char16_t *>(buffer.constData());
    const qsizetype end = buffer.size();
    const std::array<bool, 256> &table = latinTable();
    auto separates = [&table](char16_t c) { return c < 256 ? table[c] : isSeparator(c); };

    WordTable slotOf(entries, end - start);
    int lastBar = -1;
    qsizetype i = start;
    while (i < end) {
        while (i < end && separates(p[i]))
            ++i;
        if (i >= end)
            break;
        const qsizetype from = i;
        while (i < end && !separates(p[i]))
            ++i;
        QStringView word(p + from, i - from);
        if (trim) {
            word = trimWord(word);
            if (word.size() < 3)
                continue;
        }
        if (!slotOf.count(word))
            continue;
        if (progress) {
            progress->count(int(entries.size()));
            // The space that closes the word, counted from 1 in the text as
            // it came (its leading spaces included).
            const int percent = percentOf(i + 1, length);
            if (percent != lastBar) {
                progress->bar(percent);
                lastBar = percent;
            }
        }
    }
    return true;
}

void dropExcluded(std::vector<Entry> &entries, const ExcludedWords &excluded, ProgressSink *progress)
{
    if (progress) {
        progress->step(QStringLiteral("Cleaning Text..."));
        progress->caption(QStringLiteral("Number of remaining words :"));
    }
    const size_t n = entries.size();
    size_t kept = 0;
    for (size_t i = 0; i < n; ++i) {
        if (excluded.isEmpty() || !excluded.contains(entries[i].word))
            entries[kept++] = entries[i];
        if (progress && ((i + 1) % 256 == 0 || i + 1 == n)) {
            progress->count(int(kept + (n - i - 1)));
            progress->bar(percentOf(qint64(i + 1), qint64(n)));
        }
    }
    entries.resize(kept);
}

template <class Map> void pack(Entry &e, Map map)
{
    const QStringView w = e.word;
    quint64 k = 0, k2 = 0;
    for (qsizetype i = 0; i < 4; ++i)
        k = (k << 16) | (i < w.size() ? map(w.utf16()[i]) : 0u);
    for (qsizetype i = 4; i < 8; ++i)
        k2 = (k2 << 16) | (i < w.size() ? map(w.utf16()[i]) : 0u);
    e.key = k;
    e.key2 = k2;
}

void sortEntriesAscending(std::vector<Entry> &entries)
{
    for (Entry &e : entries)
        pack(e, [](char16_t c) { return quint64(c); });
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.key != b.key)
            return a.key < b.key;
        if (a.key2 != b.key2)
            return a.key2 < b.key2;
        return lessExact(a.word, b.word);
    });
}

int mergeEntries(std::vector<Entry> &entries, ProgressSink *progress)
{
    if (progress)
        progress->step(QStringLiteral("Plurals elimination..."));
    int merges = 0;
    // From the second word on: slot 0 (the empty word) never takes part.
    for (size_t i = 1; i < entries.size(); ++i) {
        const QStringView plural = entries[i].word, singular = entries[i - 1].word;
        if (plural.size() == singular.size() + 1 && plural.back() == u's' && plural.startsWith(singular)) {
            entries[i - 1].count += entries[i].count;
            entries[i].count = 0;
            ++merges;
        }
    }
    if (progress) {
        progress->count(int(entries.size()) - merges);
        progress->bar(100);
    }
    return merges;
}

void sortEntriesByFrequency(std::vector<Entry> &entries, ProgressSink *progress)
{
    if (progress)
        progress->step(QStringLiteral(" First Sort.."));
    if (progress)
        progress->step(QStringLiteral(" Double Sort.."));
    for (Entry &e : entries)
        pack(e, [](char16_t c) { return quint64(lowered(c)); });
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        if (a.count != b.count)
            return a.count > b.count;
        if (a.key != b.key)
            return a.key < b.key;
        if (a.key2 != b.key2)
            return a.key2 < b.key2;
        return lessFolded(a.word, b.word);
    });
    if (progress)
        progress->step(QStringLiteral("Preparing Display..."));
}

std::vector<Entry> entriesOf(const WordList &list)
{
    std::vector<Entry> out;
    out.reserve(size_t(list.size()));
    for (int i = 1; i <= list.size(); ++i)
        out.push_back({QStringView(list.words.at(i)), list.counts.at(i)});
    return out;
}

void store(const std::vector<Entry> &entries, WordList &list)
{
    WordList out;
    out.words.reserve(qsizetype(entries.size()) + 1);
    out.counts.reserve(qsizetype(entries.size()) + 1);
    for (const Entry &e : entries)
        out.append(e.word.toString(), e.count);
    list = std::move(out);
}

} // namespace

bool countWords(const QString &text, ParseMode mode, WordList &list, ProgressSink *progress)
{
    QString buffer;
    std::vector<Entry> entries;
    const bool found = cutAndCount(text, mode, buffer, entries, progress);
    store(entries, list);
    return found;
}

void removeExcluded(WordList &list, const ExcludedWords &excluded, ProgressSink *progress)
{
    std::vector<Entry> e = entriesOf(list);
    dropExcluded(e, excluded, progress);
    store(e, list);
}

void sortAscending(WordList &list)
{
    std::vector<Entry> e = entriesOf(list);
    sortEntriesAscending(e);
    store(e, list);
}

int mergePlurals(WordList &list, ProgressSink *progress)
{
    std::vector<Entry> e = entriesOf(list);
    const int merges = mergeEntries(e, progress);
    store(e, list);
    return merges;
}

void sortByFrequency(WordList &list, ProgressSink *progress)
{
    std::vector<Entry> e = entriesOf(list);
    sortEntriesByFrequency(e, progress);
    store(e, list);
}

bool analyseText(const QString &text, ParseMode mode, const ExcludedWords &excluded, WordList &out,
                 ProgressSink *progress)
{
    if (progress) {
        progress->step(QStringLiteral("Parsing Text..."));
        progress->count(0);
        progress->caption(QStringLiteral("Number of different words :"));
        progress->bar(0);
    }
    QString buffer;
    // Reused from call to call: a long list is not allocated afresh each time.
    thread_local std::vector<Entry> entries;
    if (!cutAndCount(text, mode, buffer, entries, progress)) {
        out.reset();
        return false;
    }
    if (mode == ParseMode::Filtered)
        dropExcluded(entries, excluded, progress);
    sortEntriesAscending(entries);
    mergeEntries(entries, progress);
    sortEntriesByFrequency(entries, progress);
    store(entries, out);
    return true;
}

void extractIndexWords(const QString &text, const ExcludedWords &excluded, WordList &out)
{
    QString buffer;
    thread_local std::vector<Entry> entries;
    if (cutAndCount(text, ParseMode::Filtered, buffer, entries, nullptr)) {
        if (!excluded.isEmpty())
            dropExcluded(entries, excluded, nullptr);
        sortEntriesAscending(entries);
        mergeEntries(entries, nullptr);
    }
    store(entries, out);
}

} // namespace textfind
