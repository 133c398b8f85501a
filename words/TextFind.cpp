#include "TextFind.h"

#include <QChar>
#include <QHash>

#include <algorithm>
#include <array>
#include <numeric>

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

QString prepareText(const QString &text)
{
    QString out = text.normalized(QString::NormalizationForm_C);
    out.replace(QChar(0xA0), QLatin1Char(' '));
    return out;
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

ExcludedWords::ExcludedWords(const QStringList &words)
{
    m_sorted.reserve(size_t(words.size()));
    for (const QString &w : words)
        if (!w.isEmpty())
            m_sorted.push_back(w);
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
    auto it = std::lower_bound(m_sorted.begin(), m_sorted.end(), word,
                               [](const QString &a, QStringView b) { return dao::compareText(a, b) < 0; });
    return it != m_sorted.end() && dao::compareText(*it, word) == 0;
}

// ---- the steps ------------------------------------------------------------

bool countWords(const QString &text, ParseMode mode, WordList &list, ProgressSink *progress)
{
    list.reset();
    const QString prepared = prepareText(text);
    qsizetype start = 0;
    while (start < prepared.size() && prepared.at(start) == u' ')
        ++start;
    if (prepared.size() - start < 3)
        return false;

    const bool trim = mode == ParseMode::Filtered;
    const qsizetype length = text.size();
    const char16_t *p = reinterpret_cast<const char16_t *>(prepared.constData());
    const qsizetype end = prepared.size();
    const std::array<bool, 256> &table = latinTable();

    // Words are views into `prepared`, which outlives the map.
    QHash<QStringView, int> slotOf;
    slotOf.reserve(1024);
    std::vector<QStringView> order;
    std::vector<int> counts;
    int lastBar = -1;

    qsizetype i = start;
    while (i < end) {
        while (i < end && (p[i] < 256 ? table[p[i]] : isSeparator(p[i])))
            ++i;
        if (i >= end)
            break;
        const qsizetype from = i;
        while (i < end && !(p[i] < 256 ? table[p[i]] : isSeparator(p[i])))
            ++i;
        QStringView word(p + from, i - from);
        if (trim) {
            word = trimWord(word);
            if (word.size() < 3)
                continue;
        }
        auto it = slotOf.find(word);
        if (it != slotOf.end()) {
            ++counts[size_t(*it)];
            continue;
        }
        slotOf.insert(word, int(order.size()));
        order.push_back(word);
        counts.push_back(1);
        if (progress) {
            progress->count(int(order.size()));
            // The space that closes the word, counted from 1 in the text as
            // it came (its leading spaces included).
            const int percent = percentOf(i + 1, length);
            if (percent != lastBar) {
                progress->bar(percent);
                lastBar = percent;
            }
        }
    }

    list.words.reserve(qsizetype(order.size()) + 1);
    list.counts.reserve(qsizetype(order.size()) + 1);
    for (size_t k = 0; k < order.size(); ++k)
        list.append(order[k].toString(), counts[k]);
    return true;
}

void removeExcluded(WordList &list, const ExcludedWords &excluded, ProgressSink *progress)
{
    if (progress) {
        progress->step(QStringLiteral("Cleaning Text..."));
        progress->caption(QStringLiteral("Number of remaining words :"));
    }
    const int n = list.size();
    WordList kept;
    kept.words.reserve(n + 1);
    kept.counts.reserve(n + 1);
    for (int i = 1; i <= n; ++i) {
        if (!excluded.contains(list.words.at(i)))
            kept.append(list.words.at(i), list.counts.at(i));
        if (progress && (i % 256 == 0 || i == n)) {
            progress->count(kept.size() + (n - i));
            progress->bar(percentOf(i, n));
        }
    }
    list = std::move(kept);
}

namespace {

template <class Less> void sortSlots(WordList &list, Less less)
{
    const int n = list.size();
    if (n < 2)
        return;
    std::vector<int> idx(static_cast<size_t>(n));
    std::iota(idx.begin(), idx.end(), 1);
    std::sort(idx.begin(), idx.end(), less);
    WordList out;
    out.words.reserve(n + 1);
    out.counts.reserve(n + 1);
    for (int k : idx)
        out.append(list.words.at(k), list.counts.at(k));
    list = std::move(out);
}

} // namespace

void sortAscending(WordList &list)
{
    const QStringList &w = list.words;
    sortSlots(list, [&w](int a, int b) { return w.at(a) < w.at(b); });
}

int mergePlurals(WordList &list, ProgressSink *progress)
{
    if (progress)
        progress->step(QStringLiteral("Plurals elimination..."));
    const int n = list.size();
    int merges = 0;
    for (int i = 2; i <= n; ++i) {
        const QString &plural = list.words.at(i);
        const QString &singular = list.words.at(i - 1);
        if (plural.size() == singular.size() + 1 && plural.endsWith(QLatin1Char('s')) &&
            QStringView(plural).startsWith(singular)) {
            list.counts[i - 1] += list.counts.at(i);
            list.counts[i] = 0;
            ++merges;
        }
    }
    if (progress) {
        progress->count(n - merges);
        progress->bar(100);
    }
    return merges;
}

void sortByFrequency(WordList &list, ProgressSink *progress)
{
    if (progress)
        progress->step(QStringLiteral(" First Sort.."));
    const int n = list.size();
    std::vector<QString> lower(size_t(n) + 1);
    for (int i = 1; i <= n; ++i)
        lower[size_t(i)] = list.words.at(i).toLower();
    if (progress)
        progress->step(QStringLiteral(" Double Sort.."));
    const QStringList &w = list.words;
    const QList<int> &c = list.counts;
    sortSlots(list, [&](int a, int b) {
        if (c.at(a) != c.at(b))
            return c.at(a) > c.at(b);
        const int l = QString::compare(lower[size_t(a)], lower[size_t(b)], Qt::CaseSensitive);
        if (l != 0)
            return l < 0;
        return w.at(a) < w.at(b);
    });
    if (progress)
        progress->step(QStringLiteral("Preparing Display..."));
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
    if (!countWords(text, mode, out, progress))
        return false;
    if (mode == ParseMode::Filtered)
        removeExcluded(out, excluded, progress);
    sortAscending(out);
    mergePlurals(out, progress);
    sortByFrequency(out, progress);
    return true;
}

void extractIndexWords(const QString &text, const ExcludedWords &excluded, WordList &out)
{
    if (!countWords(text, ParseMode::Filtered, out))
        return;
    if (!excluded.isEmpty())
        removeExcluded(out, excluded);
    sortAscending(out);
    mergePlurals(out);
}

} // namespace textfind
