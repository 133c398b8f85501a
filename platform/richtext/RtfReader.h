#pragma once
// Our RTF reader: turns Rich Text (ours or a word processor's) into the text,
// paragraphs and character formats a QTextDocument can hold. It reads what a
// card can show: text, fonts, sizes, bold, italic, underline, strike-through,
// colours, indents and alignment; everything else is dropped. It never fails
// on damaged input once the data starts like RTF: it keeps what it could read.

#include <QByteArrayView>
#include <QStringView>

class QTextDocument;

namespace rtf {

// True when the data starts (after white space) with "{\rtf".
bool looksLikeRtf(QByteArrayView data);
bool looksLikeRtf(QStringView text);

// One block per paragraph, or runs of short paragraphs joined in groups
// (see LongParagraphs.h), which a document of many of them fills far faster.
enum class Blocks { OnePerParagraph, ShortOnesJoined };

// Replaces the document's content with the RTF's. Returns false and leaves
// the document untouched when the data is not RTF.
bool read(QByteArrayView data, QTextDocument &doc, Blocks blocks = Blocks::OnePerParagraph);
// The same for markup kept as a string: characters above 0x7F in it are taken
// as the characters themselves, not as code-page bytes.
bool read(QStringView text, QTextDocument &doc, Blocks blocks = Blocks::OnePerParagraph);

} // namespace rtf
