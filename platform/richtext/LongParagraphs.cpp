#include "LongParagraphs.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

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
