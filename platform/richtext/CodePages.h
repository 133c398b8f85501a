#pragma once
// Byte-to-text decoding for the code pages RTF files name (\ansicpg, \fcharset,
// \cpg). Windows-1252 is built in, so the common case never depends on which
// converters the Qt build carries; the others go through QStringDecoder and
// fall back to 1252 when Qt does not know them.

#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <map>
#include <memory>

namespace rtf {

// Code page of an RTF \fcharsetN; 0 means "use the document's code page".
int codePageForCharset(int charset);

// True when b starts a two-byte character in a double-byte code page.
bool isLeadByte(int codePage, unsigned char b);

char16_t cp1252ToUnicode(unsigned char b);
// The 1252 byte for c (0x80..0xFF only), or -1 when 1252 has none.
int unicodeToCp1252(char16_t c);

class CodePageDecoder {
public:
    // Appends the decoded bytes to out.
    void decode(int codePage, QByteArrayView bytes, QString &out);

private:
    QStringDecoder *decoderFor(int codePage);
    std::map<int, std::unique_ptr<QStringDecoder>> m_decoders;
};

} // namespace rtf
