#pragma once
// Our RTF writer: the text, paragraphs and character formats of a document as
// Rich Text that our reader and word processors read back. Only 7-bit bytes
// are written: characters of code page 1252 as \'hh, all others as \uN.

#include <QByteArray>

class QTextDocument;

namespace rtf {

QByteArray write(const QTextDocument &doc);

} // namespace rtf
