#include "CodePages.h"

namespace rtf {

namespace {

// 0x80..0x9F of Windows-1252; the five unassigned bytes keep their C1 value,
// as Windows itself decodes them.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

QByteArray converterName(int codePage)
{
    switch (codePage) {
    case 437: return "IBM437";
    case 850: return "IBM850";
    case 932: return "windows-31j";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 10000: return "macintosh";
    default: return "windows-" + QByteArray::number(codePage);
    }
}

} // namespace

int codePageForCharset(int charset)
{
    switch (charset) {
    case 0: return 1252;
    case 2: return 1252; // Symbol: the glyphs are the font's business
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

bool isLeadByte(int codePage, unsigned char b)
{
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

char16_t cp1252ToUnicode(unsigned char b)
{
    if (b >= 0x80 && b < 0xA0)
        return kCp1252High[b - 0x80];
    return b;
}

int unicodeToCp1252(char16_t c)
{
    if (c >= 0xA0 && c <= 0xFF)
        return c;
    for (int i = 0; i < 32; ++i) {
        // The C1 placeholders are not real characters of 1252.
        if (kCp1252High[i] == c && c > 0xFF)
            return 0x80 + i;
    }
    return -1;
}

QStringDecoder *CodePageDecoder::decoderFor(int codePage)
{
    auto it = m_decoders.find(codePage);
    if (it != m_decoders.end())
        return it->second.get();
    auto dec = std::make_unique<QStringDecoder>(converterName(codePage).constData(),
                                                QStringConverter::Flag::Stateless);
    if (!dec->isValid())
        dec.reset();
    QStringDecoder *raw = dec.get();
    m_decoders.emplace(codePage, std::move(dec));
    return raw;
}

void CodePageDecoder::decode(int codePage, QByteArrayView bytes, QString &out)
{
    if (bytes.isEmpty())
        return;
    QStringDecoder *dec = codePage == 1252 ? nullptr : decoderFor(codePage);
    if (!dec) {
        out.reserve(out.size() + bytes.size());
        for (char ch : bytes)
            out.append(QChar(cp1252ToUnicode(static_cast<unsigned char>(ch))));
        return;
    }
    out.append(dec->decode(bytes));
}

} // namespace rtf
