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

// Cuts every paragraph longer than kLongParagraph into blocks (a group
// that grew that long is split into its paragraphs first), at a space
// near the end of each piece where there is one, never inside a character,
// and before a combining mark only inside a run of marks longer than half a
// piece. The text does not change. Returns the number of blocks added.
int cutLongParagraphs(QTextDocument &doc);
// The same for the blocks between two positions (a text pasted).
int cutLongParagraphs(QTextDocument &doc, int from, int to);

// Short paragraphs are the other way round: a text of a million of them
// would take the document seconds to make, one block each. Runs of short
// paragraphs of one block format are held as fewer blocks ("groups"), the
// paragraphs of a group ended by U+2028 inside it, which Qt lays out as a
// forced break and toPlainText gives as "\n": the text and every position
// in it are those of the paragraphs. A group is made only where it shows
// and prints as its paragraphs would (no first-line indent, no space above
// or below, no long paragraph), and is turned back into one block per
// paragraph before anything could tell it from them: an edit of its text,
// a real line break, a paragraph format for part of it.

// Block property: every U+2028 in the block ends a paragraph; a block
// without it holds real line breaks only.
constexpr int JoinsParagraphs = QTextFormat::UserProperty + 0x4C51;
// A group stays this short, so that laying it out at each keystroke is cheap.
constexpr int kGroupLength = 2048;

bool joinsParagraphs(const QTextBlock &block);

// A plain text ("\n" ends paragraphs) with U+2028 where paragraphs are
// joined, and the numbers of the blocks it makes that are groups.
struct JoinedText {
    QString text;
    std::vector<int> groups;
};
JoinedText joinShortParagraphs(QStringView plain);
// Marks the blocks a JoinedText made as groups.
void markGroups(QTextDocument &doc, const std::vector<int> &groups);

// Turns a group into one block per paragraph; the text, the positions and
// the cursors in it stay where they were. Does nothing to another block.
void splitGroup(QTextDocument &doc, const QTextBlock &block);
// Splits the groups an edit of [from, to] reaches: those holding either
// end, and the one beyond an end that lies at a block's edge.
void splitGroupsAt(QTextDocument &doc, int from, int to);
// Whether such an edit reaches a group (splitGroupsAt would split one).
bool editReachesGroup(const QTextDocument &doc, int from, int to);
// Splits every group touching [from, to] that would no longer show as its
// paragraphs do (a format set on part of it, say). Returns how many.
int settleGroups(QTextDocument &doc, int from, int to);
bool showsAsItsParagraphs(const QTextBlock &block);

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
