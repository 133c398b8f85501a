#include "RtfWriter.h"

#include "CodePages.h"
#include "LongParagraphs.h"

#include <QColor>
#include <QFont>
#include <QHash>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFragment>

#include <cctype>
#include <utility>
#include <vector>

namespace rtf {

namespace {

struct Run {
    int font = 0;
    int halfPoints = 24;
    int color = 0;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strike = false;
};

class Writer {
public:
    explicit Writer(const QTextDocument &doc) : m_doc(doc), m_default(doc.defaultFont()) {}
    QByteArray run();

private:
    static QString familyOf(const QFont &f)
    {
        const QStringList families = f.families();
        return families.isEmpty() ? f.family() : families.first();
    }
    Run runFor(const QTextCharFormat &fmt);
    int fontIndex(const QString &family);
    void word(const char *w);
    void word(const char *w, int param);
    void text(QStringView s);
    void writeRun(const Run &r);
    void writeBlockFormat(const QTextBlockFormat &b);
    void endParagraph();
    const Run &runOf(const QTextFragment &frag);

    const QTextDocument &m_doc;
    QFont m_default;
    QByteArray m_out;
    bool m_delimit = false; // the last thing written was a control word
    QHash<QString, int> m_fontIndex;
    QStringList m_fonts;
    QHash<QRgb, int> m_colorIndex;
    std::vector<QRgb> m_colors;
    Run m_current;
    bool m_haveCurrent = false;
    std::vector<int> m_runOfFormat;
    std::vector<Run> m_runs;
};

int Writer::fontIndex(const QString &family)
{
    const auto it = m_fontIndex.constFind(family);
    if (it != m_fontIndex.constEnd())
        return *it;
    const int n = static_cast<int>(m_fonts.size());
    m_fontIndex.insert(family, n);
    m_fonts.append(family);
    return n;
}

Run Writer::runFor(const QTextCharFormat &fmt)
{
    const QFont f = fmt.font().resolve(m_default);
    Run r;
    r.font = fontIndex(familyOf(f));
    const double pt = f.pointSizeF();
    r.halfPoints = pt > 0 ? qBound(1, qRound(pt * 2), 3276) : 24;
    r.bold = f.weight() >= QFont::DemiBold;
    r.italic = f.italic();
    r.underline = f.underline();
    r.strike = f.strikeOut();
    if (fmt.foreground().style() != Qt::NoBrush) {
        const QRgb rgb = fmt.foreground().color().rgb() & 0xFFFFFF;
        auto it = m_colorIndex.constFind(rgb);
        if (it == m_colorIndex.constEnd()) {
            m_colors.push_back(rgb);
            it = m_colorIndex.insert(rgb, static_cast<int>(m_colors.size()));
        }
        r.color = *it;
    }
    return r;
}

void Writer::word(const char *w)
{
    m_out.append('\\');
    m_out.append(w);
    m_delimit = true;
}

void Writer::word(const char *w, int param)
{
    word(w);
    m_out.append(QByteArray::number(param));
}

void Writer::text(QStringView s)
{
    static const char hex[] = "0123456789abcdef";
    for (QChar qc : s) {
        const char16_t c = qc.unicode();
        if (c >= 0x20 && c < 0x80) {
            if (c == '\\' || c == '{' || c == '}') {
                m_out.append('\\');
                m_out.append(static_cast<char>(c));
                m_delimit = false;
                continue;
            }
            // A letter, digit, blank or minus right after a control word
            // would be read as part of it.
            if (m_delimit && (isalnum(c) || c == ' ' || c == '-'))
                m_out.append(' ');
            m_out.append(static_cast<char>(c));
            m_delimit = false;
            continue;
        }
        if (c == '\t') {
            word("tab");
            continue;
        }
        if (c == QChar::LineSeparator) {
            word("line");
            continue;
        }
        // No-break space, soft hyphen and no-break hyphen as the symbols
        // word processors write and read.
        if (c == 0x00A0 || c == 0x00AD || c == 0x2011) {
            m_out.append('\\');
            m_out.append(c == 0x00A0 ? '~' : c == 0x00AD ? '-' : '_');
            m_delimit = false;
            continue;
        }
        if (c < 0x20 || c == QChar::ParagraphSeparator || c == QChar::ObjectReplacementCharacter)
            continue; // no character of the text: objects are not written
        const int b = unicodeToCp1252(c);
        if (b >= 0) {
            m_out.append("\\'");
            m_out.append(hex[b >> 4]);
            m_out.append(hex[b & 15]);
            m_delimit = false;
            continue;
        }
        word("u", static_cast<qint16>(c));
        m_out.append('?');
        m_delimit = false;
    }
}

void Writer::writeRun(const Run &r)
{
    const bool all = !m_haveCurrent;
    if (all || r.font != m_current.font)
        word("f", r.font);
    if (all || r.halfPoints != m_current.halfPoints)
        word("fs", r.halfPoints);
    if (all || r.bold != m_current.bold)
        r.bold ? word("b") : word("b", 0);
    if (all || r.italic != m_current.italic)
        r.italic ? word("i") : word("i", 0);
    if (all || r.underline != m_current.underline)
        r.underline ? word("ul") : word("ulnone");
    if (all || r.strike != m_current.strike)
        r.strike ? word("strike") : word("strike", 0);
    if (all || r.color != m_current.color)
        word("cf", r.color);
    m_current = r;
    m_haveCurrent = true;
}

void Writer::endParagraph()
{
    word("par");
    m_out.append("\r\n");
    m_delimit = false;
}

const Run &Writer::runOf(const QTextFragment &frag)
{
    // Fragments share a few formats: each is worked out once, by its index.
    const int index = frag.charFormatIndex();
    if (static_cast<size_t>(index) >= m_runOfFormat.size())
        m_runOfFormat.resize(index + 1, -1);
    if (m_runOfFormat[index] < 0) {
        m_runOfFormat[index] = static_cast<int>(m_runs.size());
        m_runs.push_back(runFor(frag.charFormat()));
    }
    return m_runs[m_runOfFormat[index]];
}

void Writer::writeBlockFormat(const QTextBlockFormat &b)
{
    word("pard");
    const int left = qRound(b.leftMargin() * 15);
    const int right = qRound(b.rightMargin() * 15);
    const int first = qRound(b.textIndent() * 15);
    if (left)
        word("li", left);
    if (right)
        word("ri", right);
    if (first)
        word("fi", first);
    switch (b.alignment() & Qt::AlignHorizontal_Mask) {
    case Qt::AlignHCenter: word("qc"); break;
    case Qt::AlignRight: word("qr"); break;
    case Qt::AlignJustify: word("qj"); break;
    default: break;
    }
}

QByteArray Writer::run()
{
    fontIndex(familyOf(m_default)); // \f0, the document's own font

    // The body first: the tables in the header list what it uses.
    m_out.reserve(m_doc.characterCount() + 1024);
    for (QTextBlock block = m_doc.begin(); block.isValid(); block = block.next()) {
        // A block that only cuts a long paragraph is no paragraph of its own.
        if (block == m_doc.begin() || !continuesParagraph(block)) {
            if (block != m_doc.begin())
                endParagraph();
            writeBlockFormat(block.blockFormat());
        }
        // In a group each line separator ends a paragraph of that format.
        const bool joins = joinsParagraphs(block);
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (!frag.isValid())
                continue;
            if (frag.charFormatIndex() < 0)
                continue;
            const QString t = frag.text();
            QStringView rest(t);
            while (!rest.isEmpty()) {
                const qsizetype end = joins ? rest.indexOf(QChar::LineSeparator) : -1;
                const QStringView part = end < 0 ? rest : rest.left(end);
                // Only characters written take a run: a paragraph end's own
                // format is written for no paragraph, as between blocks.
                if (!part.isEmpty()) {
                    writeRun(runOf(frag));
                    text(part);
                }
                if (end < 0)
                    break;
                endParagraph();
                writeBlockFormat(block.blockFormat());
                rest = rest.mid(end + 1);
            }
        }
    }
    const QByteArray body = std::move(m_out);
    m_out = QByteArray();
    m_delimit = false;
    m_out.append("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl");
    for (int i = 0; i < m_fonts.size(); ++i) {
        m_out.append("{\\f" + QByteArray::number(i) + "\\fnil\\fcharset0");
        m_delimit = true;
        QString name = m_fonts.at(i);
        name.remove(QLatin1Char(';'));
        text(name);
        m_out.append(";}");
        m_delimit = false;
    }
    m_out.append("}\r\n{\\colortbl ;");
    for (QRgb c : m_colors) {
        m_out.append("\\red" + QByteArray::number(qRed(c)) + "\\green"
                     + QByteArray::number(qGreen(c)) + "\\blue" + QByteArray::number(qBlue(c))
                     + ";");
    }
    m_out.append("}\r\n\\viewkind4\\uc1");
    m_out.append(body);
    m_out.append("}\r\n");
    return m_out;
}

} // namespace

QByteArray write(const QTextDocument &doc)
{
    return Writer(doc).run();
}

} // namespace rtf
