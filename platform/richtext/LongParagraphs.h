#pragma once
// Qt's text engine works on a whole block at every keystroke (it itemizes
// the block's text again after each edit; a 10 MB block takes about a
// second), and lays a long paragraph out far slower than in proportion. A
// long paragraph is therefore held as several blocks of the document; each
// block after the first is marked as continuing the paragraph, and the break
// before it is no character of the text: the plain text, the positions in
// it and the RTF written are those of the one paragraph. The box's layout
// (TextFlowLayout.h) shows and prints such blocks as the one paragraph.

#include <QString>
#include <QTextFormat>

#include <vector>

class QTextBlock;
class QTextDocument;

namespace rtf {

// Block property: the block continues the paragraph of the block before it.
constexpr int ContinuesParagraph = QTextFormat::UserProperty + 0x4C50;

// Paragraphs longer than this are cut into pieces of about kPieceLength.
constexpr int kLongParagraph = 4096;
constexpr int kPieceLength = 1024;

bool continuesParagraph(const QTextBlock &block);

// Cuts every paragraph longer than kLongParagraph into blocks, at a space
// near the end of each piece where there is one, never inside a character,
// and before a combining mark only inside a run of marks longer than half a
// piece. The text does not change. Returns the number of blocks added.
int cutLongParagraphs(QTextDocument &doc);
// The same for the blocks between two positions (a text pasted).
int cutLongParagraphs(QTextDocument &doc, int from, int to);

// The document's plain text as QTextDocument::toPlainText gives it, without
// the breaks that only cut a paragraph.
QString plainText(const QTextDocument &doc);

// Positions in the document against positions in its plain text.
class PieceBreaks {
public:
    explicit PieceBreaks(const QTextDocument &doc);
    bool isEmpty() const { return m_blockStarts.empty(); }
    int toText(int documentPosition) const;
    // A text position where a piece begins maps to the start of that piece.
    int toDocument(int textPosition) const;
    // The text between two document positions.
    QString textBetween(const QString &text, int fromDocument, int toDocument) const;

private:
    std::vector<int> m_blockStarts; // document positions of continuing blocks
    std::vector<int> m_textStarts;  // the same blocks in the plain text
};

} // namespace rtf
