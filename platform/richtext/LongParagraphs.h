#pragma once
// Text layout slows down far more than in proportion to a paragraph's
// length: one paragraph of a few megabytes (a long unbroken word, a text
// without line ends) would stall the window for minutes. Such a paragraph is
// held as several blocks of the document; each block after the first is
// marked as continuing the paragraph, and the break before it is no
// character of the text: the plain text, the positions in it and the RTF
// written are those of the one paragraph.

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
// near the end of each piece where there is one, never inside a character
// or before a combining mark. The text does not change. Returns the number
// of blocks added.
int cutLongParagraphs(QTextDocument &doc);

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
