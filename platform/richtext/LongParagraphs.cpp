#include "LongParagraphs.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <QTextFragment>

#include <algorithm>
#include <functional>

namespace rtf {

namespace {

// A combining mark, whole or as the first half of one beyond the basic plane.
bool isMarkAt(const QString &text, qsizetype i)
{
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
        return QChar::isMark(QChar::surrogateToUcs4(c, text.at(i + 1)));
    return c.isMark();
}

// Where to end the piece that starts at `from` of a paragraph's text.
qsizetype cutAfter(const QString &text, qsizetype from)
{
    const qsizetype cut = from + kPieceLength;
    // A word boundary near the end keeps the words of ordinary text whole.
    for (qsizetype i = cut; i > cut - kPieceLength / 8; --i) {
        if (text.at(i - 1).isSpace())
            return i;
    }
    // Never between the halves of a character, nor before an accent while
    // its letter is near: a piece then begins with the letter.
    for (qsizetype i = cut; i > from + kPieceLength / 2; --i) {
        if (!text.at(i).isLowSurrogate() && !isMarkAt(text, i))
            return i;
    }
    // Half a piece of marks on one letter (a text made to stall the layout)
    // has no such place: the cut falls among the marks, and the layout
    // shows them as one paragraph still.
    return text.at(cut).isLowSurrogate() ? cut - 1 : cut;
}

} // namespace

bool continuesParagraph(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(ContinuesParagraph);
}

int cutLongParagraphs(QTextDocument &doc)
{
    return cutLongParagraphs(doc, 0, doc.characterCount());
}

int cutLongParagraphs(QTextDocument &doc, int from, int to)
{
    // A long paragraph is no group: one that grew past the length is split
    // into its paragraphs, and the mark leaves a long paragraph's block.
    std::vector<int> joined;
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.length() - 1 > kLongParagraph && joinsParagraphs(b))
            joined.push_back(b.blockNumber());
    }
    for (auto it = joined.rbegin(); it != joined.rend(); ++it)
        splitGroup(doc, doc.findBlockByNumber(*it));
    std::vector<int> cuts;
    for (QTextBlock b = doc.findBlock(from); b.isValid() && b.position() <= to; b = b.next()) {
        if (b.length() - 1 <= kLongParagraph)
            continue;
        const QString text = b.text();
        for (qsizetype from = 0; text.size() - from > kPieceLength + kPieceLength / 2;) {
            from = cutAfter(text, from);
            cuts.push_back(b.position() + int(from));
        }
    }
    if (cuts.empty())
        return 0;
    QTextCursor c(&doc);
    c.beginEditBlock();
    // From the end, so that the positions still to cut stay where they were.
    for (auto it = cuts.rbegin(); it != cuts.rend(); ++it) {
        c.setPosition(*it);
        QTextBlockFormat f = c.blockFormat();
        f.setProperty(ContinuesParagraph, true);
        c.insertBlock(f, c.charFormat());
    }
    c.endEditBlock();
    return int(cuts.size());
}

bool joinsParagraphs(const QTextBlock &block)
{
    return block.blockFormat().boolProperty(JoinsParagraphs);
}

namespace {

// Characters after which QTextCursor::insertText begins a new block.
bool endsBlock(QChar c)
{
    return c == u'\n' || c == QChar::ParagraphSeparator || c == QChar(0xFDD0) || c == QChar(0xFDD1);
}

} // namespace

JoinedText joinShortParagraphs(QStringView plain)
{
    JoinedText out;
    out.text.reserve(plain.size());
    const qsizetype n = plain.size();
    // The end of the line starting at `from`, and whether it holds a real
    // line break (such a line is never joined).
    auto lineEnd = [&](qsizetype from, bool &hasBreak) {
        hasBreak = false;
        qsizetype i = from;
        for (; i < n && !endsBlock(plain[i]); ++i)
            hasBreak = hasBreak || plain[i] == QChar::LineSeparator;
        return i;
    };
    int block = 0;
    qsizetype blockLength = 0; // of the block being made, joined ends included
    bool joinedAny = false;
    bool hasBreak = false;
    qsizetype e = lineEnd(0, hasBreak);
    for (qsizetype s = 0;;) {
        out.text.append(plain.mid(s, e - s));
        blockLength += e - s;
        if (e >= n)
            break;
        const QChar end = plain[e];
        bool nextBreak = false;
        const qsizetype next = lineEnd(e + 1, nextBreak);
        // Only a paragraph end joins (a frame mark makes a block of its own).
        const bool join = (end == u'\n' || end == QChar::ParagraphSeparator) && !hasBreak && !nextBreak
                          && blockLength + 1 + (next - e - 1) <= kGroupLength;
        if (join) {
            out.text.append(QChar::LineSeparator);
            ++blockLength;
            joinedAny = true;
        } else {
            out.text.append(end);
            if (joinedAny)
                out.groups.push_back(block);
            ++block;
            blockLength = 0;
            joinedAny = false;
        }
        s = e + 1;
        e = next;
        hasBreak = nextBreak;
    }
    if (joinedAny)
        out.groups.push_back(block);
    return out;
}

void markGroups(QTextDocument &doc, const std::vector<int> &groups)
{
    QTextCursor c(&doc);
    QTextBlockFormat mark;
    mark.setProperty(JoinsParagraphs, true);
    // Neighbouring groups take the mark in one call.
    for (std::size_t i = 0; i < groups.size();) {
        std::size_t j = i;
        while (j + 1 < groups.size() && groups[j + 1] == groups[j] + 1)
            ++j;
        c.setPosition(doc.findBlockByNumber(groups[i]).position());
        c.setPosition(doc.findBlockByNumber(groups[j]).position(), QTextCursor::KeepAnchor);
        c.mergeBlockFormat(mark);
        i = j + 1;
    }
}

void splitGroup(QTextDocument &doc, const QTextBlock &block)
{
    if (!block.isValid() || !joinsParagraphs(block))
        return;
    QTextBlockFormat format = block.blockFormat();
    format.clearProperty(JoinsParagraphs);
    const QString text = block.text();
    const int at = block.position();
    QTextCursor c(&doc);
    c.beginEditBlock();
    c.setPosition(at);
    c.setBlockFormat(format);
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        if (text[i] != QChar::LineSeparator)
            continue;
        const int p = at + int(i);
        // The paragraph end first goes in after the line separator, which
        // then goes: a cursor on either side of it stays on its side.
        c.setPosition(p + 1);
        const QTextCharFormat end = c.charFormat(); // the line separator's
        c.insertBlock(format, end);
        c.setPosition(p);
        c.deleteChar();
    }
    c.endEditBlock();
}

namespace {

// The blocks an edit of [from, to] reaches: those holding either end, and
// the one beyond an end that lies at a block's edge; the last first.
std::vector<int> blocksAnEditReaches(const QTextDocument &doc, int from, int to)
{
    const QTextBlock first = doc.findBlock(from);
    const QTextBlock last = doc.findBlock(to);
    if (!first.isValid() || !last.isValid())
        return {};
    // Whole groups between the ends are only ever taken away whole.
    std::vector<int> blocks{first.blockNumber(), last.blockNumber()};
    if (first.position() == from && first.previous().isValid())
        blocks.push_back(first.blockNumber() - 1);
    if (to == last.position() + last.length() - 1 && last.next().isValid())
        blocks.push_back(last.blockNumber() + 1);
    std::sort(blocks.begin(), blocks.end(), std::greater<>());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    return blocks;
}

} // namespace

bool editReachesGroup(const QTextDocument &doc, int from, int to)
{
    for (int n : blocksAnEditReaches(doc, from, to))
        if (joinsParagraphs(doc.findBlockByNumber(n)))
            return true;
    return false;
}

void splitGroupsAt(QTextDocument &doc, int from, int to)
{
    // From the end: the blocks before keep their numbers.
    for (int n : blocksAnEditReaches(doc, from, to))
        splitGroup(doc, doc.findBlockByNumber(n));
}

bool showsAsItsParagraphs(const QTextBlock &block)
{
    const QTextBlockFormat f = block.blockFormat();
    const QString text = block.text();
    if (!text.contains(QChar::LineSeparator))
        return true;
    if (f.textIndent() != 0 || f.topMargin() != 0 || f.bottomMargin() != 0 || text.size() > kLongParagraph
        || continuesParagraph(block) || continuesParagraph(block.next()))
        return false;
    // A line separator adds its font to the line it ends, and a line of no
    // text takes the height of the block's own character format: each one
    // must be of the character before it, and an empty paragraph's of the
    // block's, as the paragraph ends of the blocks they stand for are.
    const int own = block.charFormatIndex();
    int before = own;       // format of the character before
    bool afterEnd = true;   // at a paragraph's start
    for (auto it = block.begin(); !it.atEnd(); ++it) {
        const QTextFragment frag = it.fragment();
        const int format = frag.charFormatIndex();
        if (format == own && before == own) {
            // Everything of the block's own format: nothing to tell apart.
            const QString t = frag.text();
            afterEnd = t.endsWith(QChar::LineSeparator);
            continue;
        }
        const QString t = frag.text();
        for (QChar ch : t) {
            if (ch == QChar::LineSeparator) {
                if (afterEnd ? (format != own || before != own) : format != before)
                    return false;
                afterEnd = true;
            } else {
                afterEnd = false;
            }
            before = format;
        }
    }
    // A last paragraph of no text shows as a line of the block's format.
    return !afterEnd || before == own;
}

int settleGroups(QTextDocument &doc, int from, int to)
{
    std::vector<int> wrong;
    const QTextBlock end = doc.findBlock(to);
    for (QTextBlock b = doc.findBlock(from); b.isValid(); b = b.next()) {
        if (joinsParagraphs(b) && !showsAsItsParagraphs(b))
            wrong.push_back(b.blockNumber());
        if (b == end)
            break;
    }
    for (auto it = wrong.rbegin(); it != wrong.rend(); ++it)
        splitGroup(doc, doc.findBlockByNumber(*it));
    return int(wrong.size());
}

QString plainText(const QTextDocument &doc)
{
    QString text = doc.toPlainText();
    const PieceBreaks breaks(doc);
    if (breaks.isEmpty())
        return text;
    return breaks.textBetween(text, 0, doc.characterCount() - 1);
}

PieceBreaks::PieceBreaks(const QTextDocument &doc)
{
    for (QTextBlock b = doc.begin().next(); b.isValid(); b = b.next()) {
        if (continuesParagraph(b)) {
            m_textStarts.push_back(b.position() - int(m_blockStarts.size()) - 1);
            m_blockStarts.push_back(b.position());
        }
    }
}

int PieceBreaks::toText(int documentPosition) const
{
    const auto before = std::upper_bound(m_blockStarts.begin(), m_blockStarts.end(), documentPosition);
    return documentPosition - int(before - m_blockStarts.begin());
}

int PieceBreaks::toDocument(int textPosition) const
{
    const auto before = std::upper_bound(m_textStarts.begin(), m_textStarts.end(), textPosition);
    return textPosition + int(before - m_textStarts.begin());
}

QString PieceBreaks::textBetween(const QString &text, int fromDocument, int toDocument) const
{
    // `text` is the document's own plain text, breaks included.
    QString out;
    out.reserve(toDocument - fromDocument);
    int at = fromDocument;
    const auto first = std::upper_bound(m_blockStarts.begin(), m_blockStarts.end(), fromDocument);
    for (auto it = first; it != m_blockStarts.end() && *it <= toDocument; ++it) {
        out.append(QStringView(text).mid(at, *it - 1 - at));
        at = *it;
    }
    out.append(QStringView(text).mid(at, toDocument - at));
    return out;
}

} // namespace rtf
