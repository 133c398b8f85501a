#include "RtfReader.h"

#include "CodePages.h"
#include "LongParagraphs.h"

#include <QColor>
#include <QHash>
#include <QTextBlockFormat>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <limits>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace rtf {

namespace {

// Word processors nest a few dozen groups at most; deeper groups are skipped
// whole so that hostile files cannot grow the state stack without bound.
constexpr int kMaxDepth = 256;
constexpr int kDefaultHalfPoints = 24;
constexpr int kMaxHalfPoints = 3276;
constexpr int kMaxIndentTwips = 31680; // 22 inches, the widest page RTF knows
constexpr int kMaxUnicodeSkip = 16;
constexpr int kMaxWordLength = 32;

enum class Dest : unsigned char { Text, FontTable, ColorTable, Skip };

struct CharProps {
    int font = -1; // RTF font number; -1 is the document's default font
    int halfPoints = kDefaultHalfPoints;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
    bool hidden = false;
    bool operator==(const CharProps &) const = default;
};

struct ParaProps {
    int left = 0;
    int right = 0;
    int first = 0;
    Qt::Alignment align = Qt::AlignLeft;
    bool operator==(const ParaProps &) const = default;
};

struct State {
    Dest dest = Dest::Text;
    CharProps chr;
    ParaProps para;
    int uc = 1;
};

struct FontEntry {
    QString name;
    int codePage = 0;
};

enum class Kw : unsigned char {
    Unknown,
    SkipDest, FontTable, ColorTable,
    Plain, Bold, Italic, Underline, UnderlineNone, Strike, Font, FontSize, Color, Hidden,
    Pard, Left, Right, First, AlignLeft, AlignCenter, AlignRight, AlignJustify,
    Par, Line, Tab, Cell, Row,
    LQuote, RQuote, LDblQuote, RDblQuote, Bullet, EnDash, EmDash, EnSpace, EmSpace, QmSpace,
    Unicode, UnicodeSkip,
    Ansi, Mac, Pc, Pca, AnsiCpg, DefFont, CharSet, FontCpg,
    Red, Green, Blue,
};

const std::unordered_map<std::string_view, Kw> &keywords()
{
    static const std::unordered_map<std::string_view, Kw> table = [] {
        std::unordered_map<std::string_view, Kw> t;
        for (const char *w : {"stylesheet", "info", "header", "headerl", "headerr", "headerf",
                              "footer", "footerl", "footerr", "footerf", "footnote", "pict",
                              "object", "objdata", "shp", "shppict", "nonshppict", "do",
                              "themedata", "colorschememapping", "datastore", "latentstyles",
                              "listtable", "listoverridetable", "rsidtbl", "generator",
                              "xmlnstbl", "fldinst", "private", "annotation", "atnid",
                              "atnauthor", "atrfstart", "atrfend", "bkmkstart", "bkmkend",
                              "txe", "xe", "tc", "pn", "pntxta", "pntxtb", "pgdsctbl",
                              "filetbl", "revtbl", "userprops", "docvar", "mmathPr", "fchars",
                              "lchars", "template", "comment", "title", "subject", "author",
                              "operator", "keywords", "doccomm", "creatim", "revtim",
                              "printim", "buptim", "ftnsep", "ftnsepc", "ftncn", "aftnsep",
                              "aftnsepc", "aftncn", "protusertbl", "listpicture", "result"})
            t.emplace(w, Kw::SkipDest);
        for (const char *w : {"ul", "uld", "uldash", "uldashd", "uldashdd", "uldb", "ulhwave",
                              "ulldash", "ulth", "ulthd", "ulthdash", "ulthdashd", "ulthdashdd",
                              "ulthldash", "ululdbwave", "ulw", "ulwave"})
            t.emplace(w, Kw::Underline);
        const std::pair<const char *, Kw> rest[] = {
            {"fonttbl", Kw::FontTable}, {"colortbl", Kw::ColorTable},
            {"plain", Kw::Plain}, {"b", Kw::Bold}, {"i", Kw::Italic},
            {"ulnone", Kw::UnderlineNone}, {"strike", Kw::Strike}, {"striked", Kw::Strike},
            {"f", Kw::Font}, {"fs", Kw::FontSize}, {"cf", Kw::Color}, {"v", Kw::Hidden},
            {"pard", Kw::Pard}, {"li", Kw::Left}, {"ri", Kw::Right}, {"fi", Kw::First},
            {"ql", Kw::AlignLeft}, {"qc", Kw::AlignCenter}, {"qr", Kw::AlignRight},
            {"qj", Kw::AlignJustify},
            {"par", Kw::Par}, {"page", Kw::Par}, {"sect", Kw::Par}, {"line", Kw::Line},
            {"tab", Kw::Tab}, {"cell", Kw::Cell}, {"nestcell", Kw::Cell}, {"row", Kw::Row},
            {"nestrow", Kw::Row},
            {"lquote", Kw::LQuote}, {"rquote", Kw::RQuote}, {"ldblquote", Kw::LDblQuote},
            {"rdblquote", Kw::RDblQuote}, {"bullet", Kw::Bullet}, {"endash", Kw::EnDash},
            {"emdash", Kw::EmDash}, {"enspace", Kw::EnSpace}, {"emspace", Kw::EmSpace},
            {"qmspace", Kw::QmSpace},
            {"u", Kw::Unicode}, {"uc", Kw::UnicodeSkip},
            {"ansi", Kw::Ansi}, {"mac", Kw::Mac}, {"pc", Kw::Pc}, {"pca", Kw::Pca},
            {"ansicpg", Kw::AnsiCpg}, {"deff", Kw::DefFont}, {"fcharset", Kw::CharSet},
            {"cpg", Kw::FontCpg},
            {"red", Kw::Red}, {"green", Kw::Green}, {"blue", Kw::Blue},
        };
        for (const auto &[w, k] : rest)
            t.emplace(w, k);
        return t;
    }();
    return table;
}

inline bool isLetter(char16_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool isDigit(char16_t c) { return c >= '0' && c <= '9'; }
inline int hexValue(char16_t c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

class Parser {
public:
    // One edit block for the whole read: the document reports one change.
    explicit Parser(QTextDocument &doc, bool join) : m_cursor(&doc), m_join(join) { m_cursor.beginEditBlock(); }

    // Unit is unsigned char for files (bytes above 0x7F are code-page bytes)
    // or char16_t for markup held as a string (they are characters).
    template <class Unit>
    void run(const Unit *p, const Unit *end);
    void finish();

private:
    struct Word {
        char name[kMaxWordLength + 1];
        int length = 0;
        bool tooLong = false;
        bool hasParam = false;
        int param = 0;
    };

    template <class Unit>
    const Unit *lexWord(const Unit *p, const Unit *end, Word &w);
    template <class Unit>
    const Unit *control(const Unit *p, const Unit *end);
    template <class Unit>
    const Unit *skipGroupContent(const Unit *p, const Unit *end);

    bool skipping() const { return m_overflow > 0 || m_st.dest == Dest::Skip; }
    void openGroup();
    void closeGroup();
    void dispatch(const Word &w);
    void symbol(char16_t c);

    void addByte(unsigned char b);
    void flushBytes();
    int codePage() const;
    void putUnit(char16_t u);
    void putUnicode(int value);
    void beginText();
    void flushRun();
    void endParagraph();
    void endJoinedParagraph();
    void commitFont();
    void commitColor();
    QTextCharFormat formatFor(const CharProps &props);
    QTextBlockFormat blockFormat(bool joins = false) const;
    int written() const { return m_cursor.position() + int(m_run.size()); }
    bool joinHolds() const;
    void unjoin();

    QTextCursor m_cursor;
    // Joining short paragraphs: each paragraph that may be joined ends in a
    // line separator at once; the join is undone (a paragraph separator in
    // its place) once the next paragraph turns out not to fit the group.
    const bool m_join;
    bool m_joined = false;    // the paragraph being read follows a join
    bool m_lineBreak = false; // it holds a real line break
    bool m_blockJoins = false; // the block being written has the group mark
    int m_blockStart = 0;
    int m_paragraphStart = 0;
    State m_st;
    std::vector<State> m_stack;
    int m_overflow = 0;
    bool m_done = false;

    int m_ansiCp = 1252;
    int m_deff = 0;
    QHash<int, FontEntry> m_fonts;
    int m_fontNum = -1;
    QString m_fontName;
    int m_fontCharsetCp = 0;
    int m_fontCpg = 0;

    std::vector<std::optional<QRgb>> m_colors;
    int m_rgb[3] = {0, 0, 0};
    bool m_colorSet = false;

    QString m_run;
    CharProps m_runProps;
    ParaProps m_blockProps; // what the current block already has
    std::vector<std::pair<CharProps, QTextCharFormat>> m_formatCache;
    QByteArray m_bytes;
    int m_bytesCp = 1252;
    bool m_expectTrail = false;
    char16_t m_highSurrogate = 0;
    int m_ucSkip = 0;
    bool m_cellPending = false;
    CodePageDecoder m_decoder;
};

template <class Unit>
void Parser::run(const Unit *p, const Unit *end)
{
    constexpr bool wide = sizeof(Unit) > 1;
    while (p < end && !m_done) {
        if (skipping()) {
            p = skipGroupContent(p, end);
            continue;
        }
        const char16_t c = *p;
        if (m_expectTrail && c >= 0x40 && c < 0x80 && c != '\\' && c != '{' && c != '}') {
            ++p;
            if (m_ucSkip > 0)
                --m_ucSkip;
            else
                addByte(static_cast<unsigned char>(c));
            continue;
        }
        if (c == '\\') {
            p = control(p + 1, end);
            continue;
        }
        if (c == '\r' || c == '\n') {
            ++p;
            continue;
        }
        if (c >= 0x80 && !wide) {
            ++p;
            if (m_ucSkip > 0)
                --m_ucSkip;
            else
                addByte(static_cast<unsigned char>(c));
            continue;
        }
        flushBytes();
        if (c == '{') {
            ++p;
            openGroup();
            continue;
        }
        if (c == '}') {
            ++p;
            closeGroup();
            continue;
        }
        if (m_ucSkip > 0) {
            ++p;
            --m_ucSkip;
            continue;
        }
        if (c < 0x20) {
            ++p;
            if (c == '\t')
                putUnit('\t');
            continue;
        }
        if (m_st.dest != Dest::Text || c >= 0x80) {
            ++p;
            putUnit(c);
            continue;
        }
        // A run of plain characters goes in at once.
        const Unit *start = p;
        while (p < end && *p >= 0x20 && *p < 0x80 && *p != '\\' && *p != '{' && *p != '}')
            ++p;
        if (m_st.chr.hidden)
            continue;
        beginText();
        if (m_highSurrogate) {
            m_run.append(QChar(QChar::ReplacementCharacter));
            m_highSurrogate = 0;
        }
        if constexpr (wide)
            m_run.append(QStringView(start, p - start));
        else
            m_run.append(QLatin1StringView(reinterpret_cast<const char *>(start), p - start));
    }
}

template <class Unit>
const Unit *Parser::lexWord(const Unit *p, const Unit *end, Word &w)
{
    while (p < end && isLetter(*p)) {
        if (w.length < kMaxWordLength)
            w.name[w.length++] = static_cast<char>(*p);
        else
            w.tooLong = true;
        ++p;
    }
    w.name[w.length] = 0;
    bool negative = false;
    if (p + 1 < end && *p == '-' && isDigit(p[1])) {
        negative = true;
        ++p;
    }
    if (p < end && isDigit(*p)) {
        w.hasParam = true;
        long long v = 0;
        while (p < end && isDigit(*p)) {
            if (v < 100000000000LL)
                v = v * 10 + (*p - '0');
            ++p;
        }
        if (negative)
            v = -v;
        w.param = static_cast<int>(std::clamp<long long>(v, std::numeric_limits<int>::min(),
                                                         std::numeric_limits<int>::max()));
    }
    if (p < end && *p == ' ')
        ++p;
    return p;
}

template <class Unit>
const Unit *Parser::control(const Unit *p, const Unit *end)
{
    if (p >= end)
        return p;
    const char16_t c = *p;
    if (isLetter(c)) {
        flushBytes();
        Word w;
        p = lexWord(p, end, w);
        if (!w.tooLong && w.hasParam && std::string_view(w.name, w.length) == "bin") {
            // Raw data of the given length follows; it is never text.
            if (w.param > 0)
                p += std::min<long long>(w.param, end - p);
            if (m_ucSkip > 0)
                --m_ucSkip;
            return p;
        }
        if (m_ucSkip > 0) {
            --m_ucSkip;
            return p;
        }
        if (!w.tooLong)
            dispatch(w);
        return p;
    }
    ++p;
    if (c == '\'') {
        const int hi = p < end ? hexValue(*p) : -1;
        const int lo = p + 1 < end ? hexValue(p[1]) : -1;
        // A broken escape stands for nothing.
        if (hi < 0)
            return p;
        if (lo < 0)
            return p + 1;
        p += 2;
        if (m_ucSkip > 0)
            --m_ucSkip;
        else
            addByte(static_cast<unsigned char>(hi * 16 + lo));
        return p;
    }
    flushBytes();
    if (m_ucSkip > 0) {
        --m_ucSkip;
        return p;
    }
    symbol(c);
    return p;
}

template <class Unit>
const Unit *Parser::skipGroupContent(const Unit *p, const Unit *end)
{
    while (p < end) {
        const char16_t c = *p;
        if (c == '{') {
            openGroup();
            return p + 1;
        }
        if (c == '}') {
            closeGroup();
            return p + 1;
        }
        if (c == '\\') {
            ++p;
            if (p >= end)
                return p;
            if (isLetter(*p)) {
                Word w;
                p = lexWord(p, end, w);
                if (!w.tooLong && w.hasParam && w.param > 0
                    && std::string_view(w.name, w.length) == "bin")
                    p += std::min<long long>(w.param, end - p);
            } else {
                ++p; // an escaped brace must not count as a group
            }
            continue;
        }
        ++p;
    }
    return p;
}

void Parser::openGroup()
{
    m_ucSkip = 0;
    if (m_overflow > 0 || static_cast<int>(m_stack.size()) >= kMaxDepth) {
        ++m_overflow;
        return;
    }
    m_stack.push_back(m_st);
}

void Parser::closeGroup()
{
    m_ucSkip = 0;
    if (m_overflow > 0) {
        --m_overflow;
        return;
    }
    if (m_stack.empty()) {
        m_done = true;
        return;
    }
    if (m_stack.size() == 1) {
        // The document's own group has closed: what follows is not RTF, and
        // the last paragraph keeps the properties it had.
        flushBytes();
        m_done = true;
        return;
    }
    const Dest leaving = m_st.dest;
    m_st = m_stack.back();
    m_stack.pop_back();
    if (leaving == Dest::FontTable && m_st.dest != Dest::FontTable)
        commitFont();
    if (leaving == Dest::ColorTable && m_st.dest != Dest::ColorTable && m_colorSet)
        commitColor();
}

void Parser::symbol(char16_t c)
{
    switch (c) {
    case '\\':
    case '{':
    case '}':
        putUnit(c);
        break;
    case '~':
        putUnit(0x00A0);
        break;
    case '-': // optional (soft) hyphen
        putUnit(0x00AD);
        break;
    case '_':
        putUnit(0x2011);
        break;
    case '*':
        m_st.dest = Dest::Skip; // we read no optional destination
        break;
    case '\r':
    case '\n':
        if (m_st.dest == Dest::Text)
            endParagraph();
        break;
    case '\t':
        putUnit('\t');
        break;
    default: // \: and \| carry no text
        break;
    }
}

void Parser::dispatch(const Word &w)
{
    const auto &table = keywords();
    const auto it = table.find(std::string_view(w.name, w.length));
    if (it == table.end())
        return;
    const Kw kw = it->second;
    const bool on = !w.hasParam || w.param != 0;

    if (m_st.dest == Dest::FontTable) {
        switch (kw) {
        case Kw::Font:
            commitFont();
            m_fontNum = w.param;
            return;
        case Kw::CharSet:
            m_fontCharsetCp = codePageForCharset(w.param);
            return;
        case Kw::FontCpg:
            m_fontCpg = std::max(0, w.param);
            return;
        case Kw::Unicode:
            putUnicode(w.param);
            return;
        case Kw::SkipDest:
            m_st.dest = Dest::Skip;
            return;
        default:
            return;
        }
    }
    if (m_st.dest == Dest::ColorTable) {
        const int v = std::clamp(w.param, 0, 255);
        switch (kw) {
        case Kw::Red: m_rgb[0] = v; m_colorSet = true; return;
        case Kw::Green: m_rgb[1] = v; m_colorSet = true; return;
        case Kw::Blue: m_rgb[2] = v; m_colorSet = true; return;
        default: return;
        }
    }

    CharProps &chr = m_st.chr;
    ParaProps &para = m_st.para;
    switch (kw) {
    case Kw::Unknown:
    case Kw::Red:
    case Kw::Green:
    case Kw::Blue:
    case Kw::CharSet:
    case Kw::FontCpg:
        break;
    case Kw::SkipDest:
        m_st.dest = Dest::Skip;
        break;
    case Kw::FontTable:
        m_st.dest = Dest::FontTable;
        m_fontNum = -1;
        m_fontName.clear();
        m_fontCharsetCp = 0;
        m_fontCpg = 0;
        break;
    case Kw::ColorTable:
        m_st.dest = Dest::ColorTable;
        m_colors.clear();
        m_colorSet = false;
        m_rgb[0] = m_rgb[1] = m_rgb[2] = 0;
        break;
    case Kw::Plain:
        chr = CharProps{};
        break;
    case Kw::Bold: chr.bold = on; break;
    case Kw::Italic: chr.italic = on; break;
    case Kw::Underline: chr.underline = on; break;
    case Kw::UnderlineNone: chr.underline = false; break;
    case Kw::Strike: chr.strike = on; break;
    case Kw::Hidden: chr.hidden = on; break;
    case Kw::Font: chr.font = w.hasParam ? w.param : -1; break;
    case Kw::FontSize:
        chr.halfPoints = (w.hasParam && w.param > 0) ? std::min(w.param, kMaxHalfPoints)
                                                     : kDefaultHalfPoints;
        break;
    case Kw::Color: chr.color = std::max(0, w.param); break;
    case Kw::Pard: para = ParaProps{}; break;
    case Kw::Left: para.left = std::clamp(w.param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::Right: para.right = std::clamp(w.param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::First: para.first = std::clamp(w.param, -kMaxIndentTwips, kMaxIndentTwips); break;
    case Kw::AlignLeft: para.align = Qt::AlignLeft; break;
    case Kw::AlignCenter: para.align = Qt::AlignHCenter; break;
    case Kw::AlignRight: para.align = Qt::AlignRight; break;
    case Kw::AlignJustify: para.align = Qt::AlignJustify; break;
    case Kw::Par: endParagraph(); break;
    case Kw::Row: endParagraph(); break;
    case Kw::Line: putUnit(QChar::LineSeparator); break;
    case Kw::Tab: putUnit('\t'); break;
    case Kw::Cell:
        // Cells are kept apart by a tab; the last cell of a row gets none.
        if (m_cellPending) {
            m_cellPending = false;
            putUnit('\t');
        }
        m_cellPending = true;
        break;
    case Kw::LQuote: putUnit(0x2018); break;
    case Kw::RQuote: putUnit(0x2019); break;
    case Kw::LDblQuote: putUnit(0x201C); break;
    case Kw::RDblQuote: putUnit(0x201D); break;
    case Kw::Bullet: putUnit(0x2022); break;
    case Kw::EnDash: putUnit(0x2013); break;
    case Kw::EmDash: putUnit(0x2014); break;
    case Kw::EnSpace: putUnit(0x2002); break;
    case Kw::EmSpace: putUnit(0x2003); break;
    case Kw::QmSpace: putUnit(0x2005); break;
    case Kw::Unicode: putUnicode(w.param); break;
    case Kw::UnicodeSkip: m_st.uc = std::clamp(w.param, 0, kMaxUnicodeSkip); break;
    case Kw::Ansi: m_ansiCp = 1252; break;
    case Kw::Mac: m_ansiCp = 10000; break;
    case Kw::Pc: m_ansiCp = 437; break;
    case Kw::Pca: m_ansiCp = 850; break;
    case Kw::AnsiCpg:
        if (w.param > 0)
            m_ansiCp = w.param;
        break;
    case Kw::DefFont:
        m_deff = w.param;
        m_formatCache.clear();
        break;
    }
}

int Parser::codePage() const
{
    if (m_st.dest == Dest::FontTable)
        return m_fontCpg ? m_fontCpg : (m_fontCharsetCp ? m_fontCharsetCp : m_ansiCp);
    const auto it = m_fonts.constFind(m_st.chr.font < 0 ? m_deff : m_st.chr.font);
    if (it != m_fonts.constEnd() && it->codePage)
        return it->codePage;
    return m_ansiCp;
}

void Parser::addByte(unsigned char b)
{
    if (m_st.dest == Dest::Skip || m_overflow > 0)
        return;
    const int cp = codePage();
    if (!m_bytes.isEmpty() && cp != m_bytesCp)
        flushBytes();
    m_bytesCp = cp;
    m_bytes.append(static_cast<char>(b));
    if (m_expectTrail)
        m_expectTrail = false;
    else
        m_expectTrail = isLeadByte(cp, b);
}

void Parser::flushBytes()
{
    m_expectTrail = false;
    if (m_bytes.isEmpty())
        return;
    QString text;
    m_decoder.decode(m_bytesCp, m_bytes, text);
    m_bytes.clear();
    for (QChar ch : std::as_const(text))
        putUnit(ch.unicode());
}

void Parser::putUnicode(int value)
{
    flushBytes();
    if (value < 0)
        value += 65536;
    putUnit(value >= 0 && value <= 0xFFFF ? static_cast<char16_t>(value) : char16_t(0xFFFD));
    m_ucSkip = m_st.uc;
}

void Parser::putUnit(char16_t u)
{
    switch (m_st.dest) {
    case Dest::Skip:
        return;
    case Dest::FontTable:
        if (u == ';')
            commitFont();
        else if (u >= 0x20)
            m_fontName.append(QChar(u));
        return;
    case Dest::ColorTable:
        if (u == ';')
            commitColor();
        return;
    case Dest::Text:
        break;
    }
    if (m_st.chr.hidden)
        return;
    // Characters that would split the block or stand for objects never reach
    // the document: paragraphs come only from \par and its kin.
    if ((u < 0x20 && u != '\t') || u == QChar::ParagraphSeparator
        || u == QChar::ObjectReplacementCharacter || u == 0xFEFF)
        return;
    beginText();
    if (QChar::isHighSurrogate(u)) {
        if (m_highSurrogate)
            m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = u;
        return;
    }
    if (QChar::isLowSurrogate(u)) {
        if (m_highSurrogate) {
            m_run.append(QChar(m_highSurrogate));
            m_run.append(QChar(u));
            m_highSurrogate = 0;
        } else {
            m_run.append(QChar(QChar::ReplacementCharacter));
        }
        return;
    }
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    m_run.append(QChar(u));
    if (u == QChar::LineSeparator)
        m_lineBreak = true;
}

void Parser::beginText()
{
    if (!(m_st.chr == m_runProps)) {
        flushRun();
        m_runProps = m_st.chr;
    }
    if (m_cellPending) {
        m_cellPending = false;
        if (m_highSurrogate) {
            m_run.append(QChar(QChar::ReplacementCharacter));
            m_highSurrogate = 0;
        }
        m_run.append(QLatin1Char('\t'));
    }
}

void Parser::flushRun()
{
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    if (m_run.isEmpty())
        return;
    m_cursor.insertText(m_run, formatFor(m_runProps));
    m_run.clear();
}

QTextCharFormat Parser::formatFor(const CharProps &props)
{
    for (const auto &[p, f] : m_formatCache) {
        if (p == props)
            return f;
    }
    QTextCharFormat f;
    auto font = m_fonts.constFind(props.font < 0 ? m_deff : props.font);
    if (font == m_fonts.constEnd())
        font = m_fonts.constFind(m_deff);
    if (font != m_fonts.constEnd() && !font->name.isEmpty())
        f.setFontFamilies(QStringList{font->name});
    f.setFontPointSize(props.halfPoints / 2.0);
    f.setFontWeight(props.bold ? QFont::Bold : QFont::Normal);
    f.setFontItalic(props.italic);
    f.setFontUnderline(props.underline);
    f.setFontStrikeOut(props.strike);
    if (props.color > 0 && props.color < static_cast<int>(m_colors.size())
        && m_colors[props.color])
        f.setForeground(QColor::fromRgb(*m_colors[props.color]));
    if (m_formatCache.size() >= 32)
        m_formatCache.erase(m_formatCache.begin());
    m_formatCache.emplace_back(props, f);
    return f;
}

QTextBlockFormat Parser::blockFormat(bool joins) const
{
    // Indents are kept in pixels at 96 per inch: 15 twips each.
    QTextBlockFormat b;
    const ParaProps &p = m_st.para;
    if (p.left)
        b.setLeftMargin(p.left / 15.0);
    if (p.right)
        b.setRightMargin(p.right / 15.0);
    if (p.first)
        b.setTextIndent(p.first / 15.0);
    if (p.align != Qt::AlignLeft)
        b.setAlignment(p.align);
    if (joins)
        b.setProperty(JoinsParagraphs, true);
    return b;
}

bool Parser::joinHolds() const
{
    // The paragraph just read stays in its group when it has the group's
    // format, no real line break, and the group is still short.
    return m_st.para == m_blockProps && !m_lineBreak && written() - m_blockStart <= kGroupLength;
}

void Parser::unjoin()
{
    const int at = m_paragraphStart - 1;
    const int inDocument = m_cursor.position();
    if (at >= inDocument) {
        m_run[at - inDocument] = QChar::ParagraphSeparator;
    } else {
        // Already written (a format changed since): one block made here.
        QTextCursor c(m_cursor.document());
        c.setPosition(at + 1);
        const QTextCharFormat end = c.charFormat();
        c.insertBlock(c.blockFormat(), end);
        c.setPosition(at);
        c.deleteChar();
    }
    m_joined = false;
    m_blockStart = m_paragraphStart;
}

void Parser::endParagraph()
{
    flushBytes();
    m_cellPending = false;
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    if (m_join) {
        endJoinedParagraph();
        return;
    }
    // A new block takes the format of the one before it, so most breaks go
    // in with the text: far fewer edits of the document.
    if (!(m_st.para == m_blockProps)) {
        flushRun();
        m_cursor.setBlockFormat(blockFormat());
        m_blockProps = m_st.para;
    }
    m_run.append(QChar(QChar::ParagraphSeparator));
}

void Parser::endJoinedParagraph()
{
    if (m_joined && !joinHolds())
        unjoin();
    // A paragraph with a first-line indent or a real line break is never
    // in a group; its block has no mark.
    const bool joins = m_st.para.first == 0 && !m_lineBreak;
    if (!(m_st.para == m_blockProps) || joins != m_blockJoins) {
        flushRun();
        m_cursor.setBlockFormat(blockFormat(joins));
        m_blockProps = m_st.para;
        m_blockJoins = joins;
    }
    const int end = written();
    m_joined = joins && end + 1 - m_blockStart < kGroupLength;
    m_run.append(QChar(m_joined ? QChar::LineSeparator : QChar::ParagraphSeparator));
    m_paragraphStart = end + 1;
    if (!m_joined)
        m_blockStart = m_paragraphStart;
    m_lineBreak = false;
}

void Parser::commitFont()
{
    if (m_fontNum >= 0) {
        FontEntry e;
        e.name = m_fontName.trimmed();
        e.codePage = m_fontCpg ? m_fontCpg : m_fontCharsetCp;
        m_fonts.insert(m_fontNum, e);
        m_formatCache.clear();
    }
    m_fontNum = -1;
    m_fontName.clear();
    m_fontCharsetCp = 0;
    m_fontCpg = 0;
}

void Parser::commitColor()
{
    // An entry without components is "auto", the text colour of the box.
    if (m_colorSet)
        m_colors.emplace_back(qRgb(m_rgb[0], m_rgb[1], m_rgb[2]));
    else
        m_colors.emplace_back(std::nullopt);
    m_colorSet = false;
    m_rgb[0] = m_rgb[1] = m_rgb[2] = 0;
    m_formatCache.clear();
}

void Parser::finish()
{
    flushBytes();
    if (m_highSurrogate) {
        m_run.append(QChar(QChar::ReplacementCharacter));
        m_highSurrogate = 0;
    }
    if (m_joined && !joinHolds())
        unjoin();
    flushRun();
    const bool joins = m_join && m_st.para.first == 0 && !m_lineBreak;
    if (!(m_st.para == m_blockProps) || joins != m_blockJoins)
        m_cursor.setBlockFormat(blockFormat(joins));
    m_cursor.endEditBlock();
}

template <class Unit>
bool startsLikeRtf(const Unit *p, const Unit *end)
{
    while (p < end && (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n'))
        ++p;
    static const char head[] = "{\\rtf";
    for (int i = 0; i < 5; ++i, ++p) {
        if (p >= end || *p != static_cast<unsigned char>(head[i]))
            return false;
    }
    return true;
}

template <class Unit>
bool readUnits(const Unit *begin, const Unit *end, QTextDocument &doc, Blocks blocks)
{
    if (!startsLikeRtf(begin, end))
        return false;
    const Unit *p = begin;
    while (*p != '{')
        ++p;
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);
    doc.clear();
    {
        Parser parser(doc, blocks == Blocks::ShortOnesJoined);
        parser.run(p, end);
        parser.finish();
    }
    // Groups whose character formats would show otherwise than their
    // paragraphs are split again.
    if (blocks == Blocks::ShortOnesJoined)
        settleGroups(doc, 0, doc.characterCount() - 1);
    doc.setUndoRedoEnabled(undo);
    return true;
}

} // namespace

bool looksLikeRtf(QByteArrayView data)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data.data());
    return startsLikeRtf(p, p + data.size());
}

bool looksLikeRtf(QStringView text)
{
    const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
    return startsLikeRtf(p, p + text.size());
}

bool read(QByteArrayView data, QTextDocument &doc, Blocks blocks)
{
    const auto *p = reinterpret_cast<const unsigned char *>(data.data());
    return readUnits(p, p + data.size(), doc, blocks);
}

bool read(QStringView text, QTextDocument &doc, Blocks blocks)
{
    const auto *p = reinterpret_cast<const char16_t *>(text.utf16());
    return readUnits(p, p + text.size(), doc, blocks);
}

} // namespace rtf
