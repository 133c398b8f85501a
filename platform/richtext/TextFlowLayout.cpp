#include "TextFlowLayout.h"

#include "LongParagraphs.h"
#include "ParagraphFlow.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QtMath>

#include <algorithm>
#include <cmath>

namespace textflow {

namespace {

// Lengths are in screen pixels; on another device (a printer) Qt's own
// layout scales the frame's margins and the space between paragraphs, not
// a paragraph's indents. So does this one, so that a page looks the same.
constexpr qreal kScreenDpi = 96;

Qt::Alignment visualAlignment(Qt::LayoutDirection direction, Qt::Alignment alignment)
{
    if (!(alignment & Qt::AlignHorizontal_Mask))
        alignment |= Qt::AlignLeft;
    if (!(alignment & Qt::AlignAbsolute) && (alignment & (Qt::AlignLeft | Qt::AlignRight))) {
        if (direction == Qt::RightToLeft)
            alignment ^= (Qt::AlignLeft | Qt::AlignRight);
        alignment |= Qt::AlignAbsolute;
    }
    return alignment;
}

// Sums of paragraph heights up to any block, updated in place.
class Heights {
public:
    void build(const std::vector<double> &values)
    {
        m_tree.assign(values.size() + 1, 0);
        for (std::size_t i = 1; i <= values.size(); ++i) {
            m_tree[i] += values[i - 1];
            const std::size_t j = i + (i & (~i + 1));
            if (j < m_tree.size())
                m_tree[j] += m_tree[i];
        }
    }
    void add(std::size_t index, double delta)
    {
        for (std::size_t i = index + 1; i < m_tree.size(); i += i & (~i + 1))
            m_tree[i] += delta;
    }
    // Sum of the first `count` values.
    double before(std::size_t count) const
    {
        double sum = 0;
        for (std::size_t i = std::min(count, m_tree.size() - 1); i > 0; i -= i & (~i + 1))
            sum += m_tree[i];
        return sum;
    }
    double total() const { return m_tree.empty() ? 0 : before(m_tree.size() - 1); }
    // The index whose span holds y: the first whose running sum passes it.
    std::size_t find(double y) const
    {
        std::size_t pos = 0;
        std::size_t step = 1;
        while (step * 2 < m_tree.size())
            step *= 2;
        for (; step > 0; step /= 2) {
            if (pos + step < m_tree.size() && m_tree[pos + step] <= y) {
                pos += step;
                y -= m_tree[pos];
            }
        }
        return pos; // values [0, pos) sum to at most y
    }

private:
    std::vector<double> m_tree;
};

// Paragraphs a block holds: a group's are each a line at least.
int paragraphsIn(const QTextBlock &block)
{
    if (!rtf::joinsParagraphs(block))
        return 1;
    return 1 + int(block.text().count(QChar::LineSeparator));
}

} // namespace

// A paragraph held as several blocks: its text for the flow, and the
// mapping between the flow's offsets and document positions.
struct Chain : ParagraphFlow::Source {
    explicit Chain(const QTextDocument *d) : doc(d), flow(*this) {}

    int length() const override { return starts.back(); }

    QString text(int from, int to) const override
    {
        QString out;
        out.reserve(std::max(0, to - from));
        for (int k = pieceOf(from); k < pieces() && starts[std::size_t(k)] < to; ++k) {
            const QString t = doc->findBlockByNumber(first + k).text();
            const int s = starts[std::size_t(k)];
            const int a = std::max(from, s) - s;
            const int b = std::min(to, starts[std::size_t(k) + 1]) - s;
            if (b > a)
                out.append(QStringView(t).mid(a, b - a));
        }
        return out;
    }

    QList<QTextLayout::FormatRange> formats(int from, int to) const override
    {
        QList<QTextLayout::FormatRange> out;
        for (int k = pieceOf(from); k < pieces() && starts[std::size_t(k)] < to; ++k) {
            const QTextBlock b = doc->findBlockByNumber(first + k);
            const int s = starts[std::size_t(k)];
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextFragment f = it.fragment();
                const int fs = s + f.position() - b.position();
                const int a = std::max(from, fs);
                const int e = std::min(to, fs + f.length());
                if (e <= a)
                    continue;
                QTextLayout::FormatRange r;
                r.start = a - from;
                r.length = e - a;
                r.format = f.charFormat();
                out.append(r);
            }
        }
        return out;
    }

    int pieces() const { return int(starts.size()) - 1; }
    // The piece holding the offset; a piece's start belongs to it.
    int pieceOf(int offset) const
    {
        const auto it = std::upper_bound(starts.begin(), starts.end() - 1, offset);
        return std::max(0, int(it - starts.begin()) - 1);
    }
    int toDocument(int offset, int chainPosition) const { return chainPosition + offset + pieceOf(offset); }
    int toOffset(int position, int chainPosition) const
    {
        const int rel = position - chainPosition;
        // The piece k starts at starts[k] + k in the document.
        int lo = 0;
        int hi = pieces() - 1;
        while (lo < hi) {
            const int mid = (lo + hi + 1) / 2;
            if (starts[std::size_t(mid)] + mid <= rel)
                lo = mid;
            else
                hi = mid - 1;
        }
        return std::min(rel - lo, starts[std::size_t(lo) + 1]);
    }

    const QTextDocument *doc;
    int first = 0;                // block number of the first piece
    std::vector<int> starts{0, 0}; // text start of each piece, and the length
    ParagraphFlow flow;
};

class TextFlowLayout::Private {
public:
    struct Entry {
        int length = 1; // the block's, its separator included
        int paragraphs = 1; // a group's
        float margin = 0; // space above a paragraph, in screen pixels
        double height = 0;
        bool continues = false;
        bool laidOut = false;
        quint64 clusters = 0; // flow generation its cluster lines were placed with
        std::shared_ptr<Chain> chain;
    };

    TextFlowLayout *q;
    QTextDocument *doc;
    std::vector<Entry> entries;
    Heights sums;
    bool stale = true;
    bool contentsPending = false;
    int characters = 0;

    // Geometry
    qreal pageWidth = 0;
    qreal pageHeight = 0; // 0: one endless page
    qreal scale = 1;
    qreal left = 0, right = 0, top = 0, bottom = 0;
    qreal contentWidth = 0;
    QFont font;
    qreal lineHeight = 16;
    qreal charsPerLine = 60;
    bool paginatedDone = false;

    // What every line depends on besides the text: a call of documentChanged
    // that changes none of it and comes without a content change marks a
    // stretch of text dirty (an input method's preedit).
    struct Inputs {
        QSizeF page;
        QFont font;
        QTextFrameFormat frame;
        QTextOption::WrapMode wrap = QTextOption::WrapAtWordBoundaryOrAnywhere;
        Qt::Alignment alignment;
        Qt::LayoutDirection direction = Qt::LeftToRight;
        QTextOption::Flags flags;
        bool design = false;
        const QPaintDevice *device = nullptr;
        qreal indentWidth = 0;
        bool operator==(const Inputs &o) const
        {
            return page == o.page && font == o.font && frame == o.frame && wrap == o.wrap
                   && alignment == o.alignment && direction == o.direction && flags == o.flags && design == o.design && device == o.device
                   && indentWidth == o.indentWidth;
        }
    };
    Inputs inputs;
    Inputs currentInputs() const
    {
        Inputs i;
        i.page = doc->pageSize();
        i.font = doc->defaultFont();
        i.frame = doc->rootFrame()->frameFormat();
        i.wrap = doc->defaultTextOption().wrapMode();
        i.alignment = doc->defaultTextOption().alignment();
        i.direction = doc->defaultTextOption().textDirection();
        i.flags = doc->defaultTextOption().flags();
        i.design = doc->defaultTextOption().useDesignMetrics();
        i.device = q->paintDevice();
        i.indentWidth = doc->indentWidth();
        return i;
    }

    std::vector<int> clustered; // pieces whose layouts hold cluster lines
    // Paragraphs whose flows keep text layouts, the latest last: a text of
    // many long paragraphs keeps those of the few last used only.
    std::vector<std::weak_ptr<Chain>> recent;
    void used(const std::shared_ptr<Chain> &chain)
    {
        recent.erase(std::remove_if(recent.begin(), recent.end(),
                                    [&](const std::weak_ptr<Chain> &w) {
                                        const auto c = w.lock();
                                        return !c || c == chain;
                                    }),
                     recent.end());
        recent.push_back(chain);
        if (recent.size() > 12) {
            if (const auto old = recent.front().lock())
                old->flow.releaseLayouts();
            recent.erase(recent.begin());
        }
    }
    bool flushPending = false;
    bool clearPending = false;
    double updateFrom = -1;
    QSizeF reportedSize;

    explicit Private(TextFlowLayout *layout, QTextDocument *document) : q(layout), doc(document) {}

    bool ready() const { return doc->pageSize().width() != 0 || doc->pageSize().height() != 0; }
    bool paginated() const { return pageHeight > 0; }

    void readGeometry();
    void build();
    bool sync();
    int paragraphEnd(int first) const;
    int paragraphStart(int index) const;
    double marginBefore(int first) const;
    void readMargin(int first);
    void relayOutAll();
    double estimate(int first) const;
    ParagraphFlow::Geometry flowGeometry(int first, double pageTop) const;
    void setHeight(int first, double h);
    double topOf(int first) const { return top + sums.before(std::size_t(first)); }
    int paragraphAt(double y);
    void layOutBlock(int index, double absoluteTop);
    void layOutParagraph(int first);
    void layOutAll();
    void fillClusters(int first, int piece);
    QRectF pieceRect(int first, int piece);
    void clearClusters(bool now, bool all = false);
    void scheduleFlush(double from);
    void flush();
    void contentChanged(int from, int removed, int added);
    void setUpChain(int first, int last, bool fresh);
    Line chainLine(int first, const ParagraphFlow::Ref &ref);
    Line blockLine(int index, const QTextLine &line);
};

void TextFlowLayout::Private::readGeometry()
{
    inputs = currentInputs();
    const QSizeF page = doc->pageSize();
    pageWidth = page.width();
    pageHeight = page.height() > 0 && page.height() < INT_MAX ? page.height() : 0;
    const QPaintDevice *device = q->paintDevice();
    scale = device ? device->logicalDpiY() / kScreenDpi : 1;
    const QTextFrameFormat frame = doc->rootFrame()->frameFormat();
    auto px = [&](qreal v) { return std::round(v * scale); };
    const qreal border = px(frame.border()) + px(frame.padding());
    left = px(frame.leftMargin()) + border;
    right = px(frame.rightMargin()) + border;
    top = px(frame.topMargin()) + border;
    bottom = px(frame.bottomMargin()) + border;
    contentWidth = pageWidth > 0 ? std::max<qreal>(1, pageWidth - left - right) : 1e6;
    font = device ? QFont(doc->defaultFont(), device) : doc->defaultFont();
    const QFontMetricsF fm(font);
    lineHeight = std::max<qreal>(1, std::ceil(fm.ascent() + fm.descent() + std::max<qreal>(0, fm.leading())));
    charsPerLine = std::max<qreal>(1, contentWidth / std::max<qreal>(1, fm.averageCharWidth()));
}

int TextFlowLayout::Private::paragraphEnd(int first) const
{
    int last = first;
    while (std::size_t(last) + 1 < entries.size() && entries[std::size_t(last) + 1].continues)
        ++last;
    return last;
}

int TextFlowLayout::Private::paragraphStart(int index) const
{
    while (index > 0 && entries[std::size_t(index)].continues)
        --index;
    return index;
}

double TextFlowLayout::Private::marginBefore(int first) const
{
    return entries[std::size_t(first)].margin * scale;
}

void TextFlowLayout::Private::readMargin(int first)
{
    // As Qt's layout: the larger of this paragraph's space above and the
    // one before's space below; none above the first.
    float m = 0;
    if (first > 0 && std::size_t(first) < entries.size()) {
        const QTextBlock b = doc->findBlockByNumber(first);
        m = float(std::max<qreal>(0, std::max(b.blockFormat().topMargin(), b.previous().blockFormat().bottomMargin())));
    }
    entries[std::size_t(first)].margin = m;
}

double TextFlowLayout::Private::estimate(int first) const
{
    int chars = 0;
    const int last = paragraphEnd(first);
    for (int i = first; i <= last; ++i)
        chars += entries[std::size_t(i)].length - 1;
    const int paragraphs = entries[std::size_t(first)].paragraphs;
    return std::max<qreal>(paragraphs, std::ceil(chars / charsPerLine)) * lineHeight;
}

ParagraphFlow::Geometry TextFlowLayout::Private::flowGeometry(int first, double pageTop) const
{
    const QTextBlock block = doc->findBlockByNumber(first);
    const QTextBlockFormat f = block.blockFormat();
    const Qt::LayoutDirection dir = block.textDirection();
    ParagraphFlow::Geometry g;
    g.font = font;
    g.device = q->paintDevice();
    g.option = doc->defaultTextOption();
    g.option.setTextDirection(dir);
    g.option.setTabs(f.tabPositions());
    Qt::Alignment align = doc->defaultTextOption().alignment();
    if (f.hasProperty(QTextFormat::BlockAlignment))
        align = f.alignment();
    g.option.setAlignment(visualAlignment(dir, align));
    if (f.nonBreakableLines() || pageWidth < 0)
        g.option.setWrapMode(QTextOption::ManualWrap);
    const qreal indent = f.indent() * doc->indentWidth() * scale;
    const qreal l = f.leftMargin() + (dir == Qt::RightToLeft ? 0 : indent);
    const qreal r = f.rightMargin() + (dir == Qt::RightToLeft ? indent : 0);
    const qreal textIndent = f.textIndent();
    g.x = l;
    g.width = contentWidth - l - r;
    g.firstX = dir == Qt::LeftToRight ? l + textIndent : l;
    g.firstWidth = g.width - textIndent;
    g.format = f;
    g.scaling = scale;
    g.lineHeight = lineHeight;
    g.charsPerLine = std::max<qreal>(1, charsPerLine * g.width / std::max<qreal>(1, contentWidth));
    if (paginated()) {
        g.pageTop = pageTop;
        g.pageHeight = pageHeight;
        g.pageTopMargin = top;
        g.pageBottomMargin = bottom;
    }
    return g;
}

void TextFlowLayout::Private::build()
{
    clearClusters(true, true);
    readGeometry();
    // One pass over the blocks: a text of a million short paragraphs is
    // read here when it is first shown. Blocks share a few formats; each
    // is read once.
    const std::size_t count = std::size_t(doc->blockCount());
    entries.clear();
    entries.shrink_to_fit();
    entries.resize(count);
    int formatIndex = -1;
    bool continues = false;
    bool joins = false;
    qreal topMargin = 0;
    qreal bottomMargin = 0;
    qreal bottomBefore = 0;
    std::size_t i = 0;
    for (QTextBlock b = doc->begin(); b.isValid() && i < count; b = b.next(), ++i) {
        if (b.blockFormatIndex() != formatIndex) {
            formatIndex = b.blockFormatIndex();
            const QTextBlockFormat f = b.blockFormat();
            continues = f.boolProperty(rtf::ContinuesParagraph);
            joins = f.boolProperty(rtf::JoinsParagraphs);
            topMargin = f.topMargin();
            bottomMargin = f.bottomMargin();
        }
        Entry &e = entries[i];
        e.length = b.length();
        e.paragraphs = joins ? paragraphsIn(b) : 1;
        e.continues = i > 0 && continues;
        e.margin = i > 0 ? float(std::max<qreal>(0, std::max(topMargin, bottomBefore))) : 0;
        bottomBefore = bottomMargin;
        b.clearLayout();
    }
    for (std::size_t first = 0; first < count;) {
        const std::size_t last = std::size_t(paragraphEnd(int(first)));
        if (last > first)
            setUpChain(int(first), int(last), true);
        first = last + 1;
    }
    relayOutAll();
    characters = doc->characterCount();
    stale = false;
}

void TextFlowLayout::Private::relayOutAll()
{
    // Every paragraph back to its estimate; chains start over with the
    // present geometry.
    std::vector<double> heights(entries.size(), 0);
    for (int first = 0; first < int(entries.size());) {
        const int last = paragraphEnd(first);
        Entry &e = entries[std::size_t(first)];
        if (e.laidOut)
            doc->findBlockByNumber(first).clearLayout();
        e.laidOut = false;
        if (e.chain)
            e.chain->flow.reset(flowGeometry(first, 0));
        heights[std::size_t(first)] = e.height
            = marginBefore(first) + (e.chain ? e.chain->flow.height() : estimate(first));
        first = last + 1;
    }
    sums.build(heights);
    paginatedDone = false;
}

void TextFlowLayout::Private::setUpChain(int first, int last, bool fresh)
{
    Entry &e = entries[std::size_t(first)];
    if (!e.chain) {
        e.chain = std::make_shared<Chain>(doc);
        fresh = true;
    }
    Chain &c = *e.chain;
    c.first = first;
    c.starts.assign(1, 0);
    for (int i = first; i <= last; ++i)
        c.starts.push_back(c.starts.back() + entries[std::size_t(i)].length - 1);
    if (fresh)
        c.flow.reset(flowGeometry(first, 0));
}

bool TextFlowLayout::Private::sync()
{
    if (!ready())
        return false;
    if (stale || entries.size() != std::size_t(doc->blockCount()))
        build();
    // Inside an edit the document runs ahead of what this layout was told:
    // nothing is laid out until it is told.
    if (characters != doc->characterCount())
        return false;
    if (paginated() && !paginatedDone)
        layOutAll();
    return true;
}

void TextFlowLayout::Private::setHeight(int first, double h)
{
    Entry &e = entries[std::size_t(first)];
    if (e.height == h)
        return;
    const double old = e.height;
    sums.add(std::size_t(first), h - e.height);
    e.height = h;
    // What lies below moves.
    scheduleFlush(topOf(first) + std::min(old, h));
}

int TextFlowLayout::Private::paragraphAt(double y)
{
    const std::size_t i = sums.find(y - top);
    return paragraphStart(int(std::min(i, entries.size() - 1)));
}

void TextFlowLayout::Private::layOutBlock(int index, double absoluteTop)
{
    // As Qt's own document layout lays out a block, with what a card's text
    // can hold (no floats, tables or lists).
    Entry &e = entries[std::size_t(index)];
    const QTextBlock block = doc->findBlockByNumber(index);
    const ParagraphFlow::Geometry g = flowGeometry(index, 0);
    QTextLayout *tl = block.layout();
    tl->setTextOption(g.option);
    tl->setPosition(QPointF());
    const double before = marginBefore(index);
    double y = before;
    double lowest = y;
    const bool joins = rtf::joinsParagraphs(block);
    const QString text = joins ? block.text() : QString();
    tl->beginLayout();
    for (int i = 0;; ++i) {
        QTextLine line = tl->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(i == 0 ? g.firstWidth : g.width);
        const QTextBlockFormat &f = g.format;
        const qreal raw = qCeil(line.ascent() + line.descent() + line.leading());
        const qreal advance = f.lineHeight(raw, scale);
        const qreal extent = f.lineHeight(line.height(), scale);
        qreal adjust = 0;
        qreal breakHeight = line.height();
        if (f.lineHeightType() == QTextBlockFormat::FixedHeight) {
            adjust = line.ascent() + std::max<qreal>(line.leading(), 0) - advance * 4 / 5;
            breakHeight = extent;
        } else if (f.lineHeightType() == QTextBlockFormat::MinimumHeight) {
            adjust = line.height() - advance;
            breakHeight = extent;
        }
        if (paginated())
            y = ParagraphFlow::pagedTop(absoluteTop + y, breakHeight, pageHeight, top, bottom) - absoluteTop;
        line.setPosition(QPointF(i == 0 ? g.firstX : g.x, y - adjust));
        lowest = y + extent;
        y += advance;
        // A paragraph of a group ends as a block does: the next begins below
        // the whole of its last line (a line's advance may be less).
        if (joins && line.textLength() > 0 && text.at(line.textStart() + line.textLength() - 1) == QChar::LineSeparator)
            y = std::max(y, lowest);
    }
    tl->endLayout();
    e.laidOut = true;
    setHeight(index, std::max(y, lowest));
}

void TextFlowLayout::Private::layOutParagraph(int first)
{
    Entry &e = entries[std::size_t(first)];
    if (e.chain) {
        // A chain's height follows its flow, laid out where it was asked.
        setHeight(first, marginBefore(first) + e.chain->flow.height());
        return;
    }
    if (!e.laidOut)
        layOutBlock(first, topOf(first));
}

void TextFlowLayout::Private::layOutAll()
{
    // A paginated document (a printout) is laid out whole, in order, each
    // line pushed to the next page where it would cross a page's foot.
    paginatedDone = true;
    for (int first = 0; first < int(entries.size());) {
        const int last = paragraphEnd(first);
        Entry &e = entries[std::size_t(first)];
        const double at = topOf(first);
        if (e.chain) {
            e.chain->flow.reset(flowGeometry(first, at + marginBefore(first)));
            e.chain->flow.layOutAll();
            setHeight(first, marginBefore(first) + e.chain->flow.height());
        } else {
            layOutBlock(first, at);
        }
        first = last + 1;
    }
}

QRectF TextFlowLayout::Private::pieceRect(int first, int piece)
{
    Chain &c = *entries[std::size_t(first)].chain;
    ParagraphFlow &flow = c.flow;
    const int from = c.starts[std::size_t(piece)];
    const int to = c.starts[std::size_t(piece) + 1];
    const ParagraphFlow::Ref a = flow.lineAt(from);
    const ParagraphFlow::Ref b = flow.lineAt(std::max(from, to - 1));
    layOutParagraph(first);
    const double base = topOf(first) + marginBefore(first);
    if (!a.valid() || !b.valid())
        return QRectF(left, base, contentWidth, lineHeight);
    const double y0 = base + a.top;
    const ParagraphFlow::Line &last = flow.line(b);
    const double y1 = base + b.top + std::max(last.advance, last.extent);
    return QRectF(left, y0, contentWidth, std::max(1.0, y1 - y0));
}

void TextFlowLayout::Private::fillClusters(int first, int piece)
{
    Entry &pe = entries[std::size_t(first + piece)];
    Chain &c = *entries[std::size_t(first)].chain;
    used(entries[std::size_t(first)].chain);
    ParagraphFlow &flow = c.flow;
    const int from = c.starts[std::size_t(piece)];
    const int to = c.starts[std::size_t(piece) + 1];
    for (int attempt = 0; attempt < 2; ++attempt) {
        const QRectF rect = pieceRect(first, piece);
        const quint64 generation = flow.generation();
        const double base = topOf(first) + marginBefore(first);
        const QTextBlock block = doc->findBlockByNumber(first + piece);
        QTextLayout *tl = block.layout();
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAnywhere);
        option.setAlignment(Qt::AlignLeft | Qt::AlignAbsolute);
        option.setTextDirection(flow.geometry().option.textDirection());
        tl->setTextOption(option);
        tl->setPosition(QPointF());
        tl->beginLayout();
        for (;;) {
            QTextLine l = tl->createLine();
            if (!l.isValid())
                break;
            l.setLeadingIncluded(true);
            l.setNumColumns(1);
            const int offset = std::min(to, from + l.textStart());
            const ParagraphFlow::Ref ref = flow.lineAt(offset);
            if (!ref.valid())
                continue;
            int index = 0;
            const QTextLayout *visual = flow.layoutOf(ref, &index);
            const QTextLine v = visual->lineAt(index);
            const qreal x = v.cursorToX(offset - flow.layoutStart(ref));
            const qreal baseline = v.y() + v.ascent();
            l.setPosition(QPointF(x, base + baseline - l.ascent() - rect.top()));
        }
        tl->endLayout();
        if (flow.generation() == generation) {
            pe.clusters = generation;
            if (std::find(clustered.begin(), clustered.end(), first + piece) == clustered.end())
                clustered.push_back(first + piece);
            return;
        }
    }
    pe.clusters = flow.generation();
}

void TextFlowLayout::Private::clearClusters(bool now, bool all)
{
    if (clustered.empty())
        return;
    if (!now) {
        // Qt's cursor code may hold lines of a block while it asks for
        // another: cleared once it is done.
        if (!clearPending) {
            clearPending = true;
            QMetaObject::invokeMethod(q, [this] {
                clearPending = false;
                clearClusters(true);
            }, Qt::QueuedConnection);
        }
        return;
    }
    for (int index : clustered) {
        if (std::size_t(index) >= entries.size())
            continue;
        Entry &e = entries[std::size_t(index)];
        const int first = paragraphStart(index);
        const Entry &head = entries[std::size_t(first)];
        if (!all && head.chain && e.clusters == head.chain->flow.generation())
            continue;
        e.clusters = 0;
        doc->findBlockByNumber(index).clearLayout();
    }
    clustered.erase(std::remove_if(clustered.begin(), clustered.end(),
                                   [this](int i) {
                                       return std::size_t(i) >= entries.size()
                                              || entries[std::size_t(i)].clusters == 0;
                                   }),
                    clustered.end());
}

void TextFlowLayout::Private::scheduleFlush(double from)
{
    updateFrom = updateFrom < 0 ? from : std::min(updateFrom, from);
    if (flushPending)
        return;
    flushPending = true;
    // Told after the present call returns: the text edit adjusts its scroll
    // bars on the signal, which must not happen in the middle of painting.
    QMetaObject::invokeMethod(q, [this] { flush(); }, Qt::QueuedConnection);
}

void TextFlowLayout::Private::flush()
{
    flushPending = false;
    const double from = updateFrom;
    updateFrom = -1;
    const QSizeF size = q->documentSize();
    if (size != reportedSize) {
        reportedSize = size;
        emit q->documentSizeChanged(size);
    }
    if (from >= 0)
        emit q->update(QRectF(0, from, 1e9, 1e9));
}

TextFlowLayout::Line TextFlowLayout::Private::blockLine(int index, const QTextLine &line)
{
    const QTextBlock block = doc->findBlockByNumber(index);
    Line out;
    out.start = block.position() + line.textStart();
    out.end = out.start + line.textLength();
    const QTextLayout *tl = block.layout();
    out.lastOfParagraph = line.lineNumber() == tl->lineCount() - 1 && paragraphEnd(index) == index;
    out.rect = QRectF(left + line.x(), topOf(index) + line.y(), std::max<qreal>(1, line.width()),
                      std::max<qreal>(1, line.height()));
    return out;
}

TextFlowLayout::Line TextFlowLayout::Private::chainLine(int first, const ParagraphFlow::Ref &ref)
{
    Chain &c = *entries[std::size_t(first)].chain;
    const int position = doc->findBlockByNumber(first).position();
    const ParagraphFlow::Line &l = c.flow.line(ref);
    Line out;
    out.start = c.toDocument(l.start, position);
    out.end = c.toDocument(l.start + l.length, position);
    out.lastOfParagraph = c.flow.isLast(ref);
    const ParagraphFlow::Geometry &g = c.flow.geometry();
    const bool firstLine = l.start == 0;
    out.rect = QRectF(left + (firstLine ? g.firstX : g.x), topOf(first) + marginBefore(first) + ref.top,
                      std::max<qreal>(1, firstLine ? g.firstWidth : g.width), std::max<float>(1, l.advance));
    return out;
}

void TextFlowLayout::Private::contentChanged(int from, int removed, int added)
{
    if (stale || entries.empty()) {
        stale = true;
        return;
    }
    const int oldBlocks = int(entries.size());
    const int newBlocks = doc->blockCount();
    QTextBlock b0 = doc->findBlock(from);
    QTextBlock b1 = doc->findBlock(from + added);
    if (!b0.isValid())
        b0 = doc->lastBlock();
    if (!b1.isValid())
        b1 = doc->lastBlock();
    const int n0 = b0.blockNumber();
    const int newCount = b1.blockNumber() - n0 + 1;
    const int oldCount = newCount - (newBlocks - oldBlocks);
    if (oldCount < 1 || n0 + oldCount > oldBlocks || newCount < 1) {
        stale = true;
        return;
    }
    // What a paragraph held as pieces looked like before the edit, to tell
    // its flow what changed.
    const int cs = paragraphStart(std::min(n0, oldBlocks - 1));
    const int oldLast = paragraphEnd(cs);
    Chain *chain = entries[std::size_t(cs)].chain.get();
    const int oldLength = chain ? chain->length() : 0;
    const int chainPosition = doc->findBlockByNumber(cs).position();
    const int oldEndPosition = chain ? chainPosition + oldLength + (oldLast - cs) : 0;

    // Pieces whose cluster lines moved with the blocks.
    for (int &index : clustered) {
        if (index >= n0 + oldCount)
            index += newCount - oldCount;
        else if (index >= n0)
            index = -1;
    }
    clustered.erase(std::remove(clustered.begin(), clustered.end(), -1), clustered.end());

    bool sameFlags = true;
    if (oldCount == newCount) {
        QTextBlock b = b0;
        for (int i = n0; i < n0 + newCount; ++i, b = b.next()) {
            Entry &e = entries[std::size_t(i)];
            const bool continues = i > 0 && rtf::continuesParagraph(b);
            sameFlags = sameFlags && continues == e.continues;
            e.length = b.length();
            e.paragraphs = paragraphsIn(b);
            e.continues = continues;
            e.laidOut = false;
            e.clusters = 0;
            b.clearLayout();
        }
    } else {
        std::vector<Entry> fresh;
        fresh.resize(std::size_t(newCount));
        QTextBlock b = b0;
        for (int i = 0; i < newCount; ++i, b = b.next()) {
            fresh[std::size_t(i)].length = b.length();
            fresh[std::size_t(i)].paragraphs = paragraphsIn(b);
            fresh[std::size_t(i)].continues = n0 + i > 0 && rtf::continuesParagraph(b);
            b.clearLayout();
        }
        // The paragraph's first block keeps its flow when it stays first.
        if (n0 == cs && entries[std::size_t(n0)].chain && !fresh.front().continues)
            fresh.front().chain = std::move(entries[std::size_t(n0)].chain);
        entries.erase(entries.begin() + n0, entries.begin() + n0 + oldCount);
        entries.insert(entries.begin() + n0, std::make_move_iterator(fresh.begin()),
                       std::make_move_iterator(fresh.end()));
        sameFlags = false;
    }
    characters = doc->characterCount();

    // Every paragraph the edit touched, from the one it began in.
    const int start = std::min(cs, paragraphStart(std::min(n0, int(entries.size()) - 1)));
    const int stop = paragraphEnd(std::min(n0 + newCount - 1, int(entries.size()) - 1));
    const bool grew = newCount != oldCount;
    for (int first = start; first <= stop;) {
        const int last = paragraphEnd(first);
        Entry &e = entries[std::size_t(first)];
        for (int i = first + 1; i <= last; ++i) {
            entries[std::size_t(i)].chain.reset();
            entries[std::size_t(i)].laidOut = false;
            if (entries[std::size_t(i)].height != 0) {
                sums.add(std::size_t(i), -entries[std::size_t(i)].height);
                entries[std::size_t(i)].height = 0;
            }
        }
        if (last == first) {
            e.chain.reset();
            e.laidOut = false;
        } else {
            Chain *kept = e.chain.get();
            const bool incremental = kept && kept == chain && first == cs && sameFlags && last == oldLast
                                     && from >= chainPosition && from + removed <= oldEndPosition;
            setUpChain(first, last, !incremental);
            if (incremental) {
                Chain &c = *e.chain;
                const ParagraphFlow::Geometry g = flowGeometry(first, 0);
                const ParagraphFlow::Geometry &was = c.flow.geometry();
                const bool sameGeometry = g.option.alignment() == was.option.alignment()
                                          && g.option.textDirection() == was.option.textDirection()
                                          && g.firstX == was.firstX && g.x == was.x && g.width == was.width
                                          && g.firstWidth == was.firstWidth && g.format == was.format;
                const int at = c.toOffset(from, chainPosition);
                const int addedText = c.toOffset(from + added, chainPosition) - at;
                const int removedText = addedText - (c.length() - oldLength);
                if (sameGeometry && removedText >= 0 && at + removedText <= oldLength)
                    c.flow.textChanged(at, removedText, addedText);
                else
                    c.flow.reset(g);
            }
        }
        e.laidOut = false;
        readMargin(first);
        const double h = marginBefore(first) + (e.chain ? e.chain->flow.height() : estimate(first));
        if (!grew)
            setHeight(first, h);
        else
            e.height = h;
        first = last + 1;
    }
    // The paragraph after the last one touched may have another margin.
    if (std::size_t(stop) + 1 < entries.size()) {
        Entry &after = entries[std::size_t(stop) + 1];
        const float was = after.margin;
        readMargin(stop + 1);
        if (after.margin != was) {
            if (after.laidOut)
                doc->findBlockByNumber(stop + 1).clearLayout();
            after.laidOut = false;
            const double h = marginBefore(stop + 1)
                             + (after.chain ? after.chain->flow.height() : estimate(stop + 1));
            if (!grew)
                setHeight(stop + 1, h);
            else
                after.height = h;
        }
    }
    if (grew) {
        std::vector<double> heights(entries.size());
        for (std::size_t i = 0; i < entries.size(); ++i) {
            heights[i] = entries[i].continues ? 0 : entries[i].height;
            if (entries[i].chain)
                entries[i].chain->first = int(i); // the blocks before it moved
        }
        sums.build(heights);
    }
    paginatedDone = false;
    clearClusters(true);
    scheduleFlush(topOf(start));
}

TextFlowLayout::TextFlowLayout(QTextDocument *document)
    : QAbstractTextDocumentLayout(document), d(std::make_unique<Private>(this, document))
{
    // Content edits come with this signal just before documentChanged; a
    // call without it is a change of width, font or margins.
    connect(document, &QTextDocument::contentsChange, this, [this] { d->contentsPending = true; });
}

TextFlowLayout::~TextFlowLayout() = default;

void TextFlowLayout::documentChanged(int from, int charsRemoved, int charsAdded)
{
    const bool contents = d->contentsPending;
    d->contentsPending = false;
    if (!d->ready()) {
        // Filling with no page: laid out when it has one.
        d->stale = true;
        return;
    }
    if (contents) {
        d->contentChanged(from, charsRemoved, charsAdded);
        return;
    }
    if (!d->stale && d->currentInputs() == d->inputs) {
        // The same page again (the text edit sets it at every relayout), or
        // a stretch of text marked dirty.
        if (from > 0 || charsRemoved > 0 || charsAdded < document()->characterCount())
            d->contentChanged(from, charsRemoved, charsAdded);
        return;
    }
    // The page, font or margins changed: every line is laid out anew.
    d->clearClusters(true, true);
    d->readGeometry();
    if (d->stale || d->entries.size() != std::size_t(document()->blockCount())) {
        d->stale = true;
        d->scheduleFlush(0);
        return;
    }
    d->relayOutAll();
    d->scheduleFlush(0);
}

QSizeF TextFlowLayout::documentSize() const
{
    if (!d->sync())
        return QSizeF(std::max<qreal>(0, d->pageWidth), d->top + d->bottom);
    const double h = d->top + d->sums.total() + d->bottom;
    return QSizeF(d->pageWidth > 0 ? d->pageWidth : d->contentWidth + d->left + d->right, h);
}

int TextFlowLayout::pageCount() const
{
    if (!d->sync() || !d->paginated())
        return 1;
    return std::max(1, int(std::ceil(documentSize().height() / d->pageHeight)));
}

QRectF TextFlowLayout::frameBoundingRect(QTextFrame *frame) const
{
    if (frame != document()->rootFrame())
        return {};
    return QRectF(QPointF(), documentSize());
}

QRectF TextFlowLayout::blockBoundingRect(const QTextBlock &block) const
{
    if (!block.isValid() || !d->sync())
        return {};
    const int index = block.blockNumber();
    if (std::size_t(index) >= d->entries.size())
        return {};
    const int first = d->paragraphStart(index);
    Private::Entry &head = d->entries[std::size_t(first)];
    if (!head.chain) {
        d->layOutParagraph(first);
        const QTextLayout *tl = block.layout();
        const QRectF r = tl->boundingRect();
        return QRectF(d->left, d->topOf(first), std::max<qreal>(r.width(), 1), head.height);
    }
    const int piece = index - first;
    Private::Entry &e = d->entries[std::size_t(index)];
    if (e.clusters != head.chain->flow.generation() || block.layout()->lineCount() == 0)
        d->fillClusters(first, piece);
    const QRectF r = d->pieceRect(first, piece);
    d->clearClusters(false);
    return r;
}

TextFlowLayout::Line TextFlowLayout::lineAt(int position) const
{
    if (!d->sync())
        return {};
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {};
    const int index = block.blockNumber();
    const int first = d->paragraphStart(index);
    Private::Entry &head = d->entries[std::size_t(first)];
    if (!head.chain) {
        d->layOutParagraph(first);
        const QTextLayout *tl = block.layout();
        QTextLine line = tl->lineForTextPosition(position - block.position());
        if (!line.isValid() && tl->lineCount() > 0)
            line = tl->lineAt(tl->lineCount() - 1);
        return line.isValid() ? d->blockLine(index, line) : Line{};
    }
    Chain &c = *head.chain;
    d->used(head.chain);
    const int chainPosition = document()->findBlockByNumber(first).position();
    const ParagraphFlow::Ref ref = c.flow.lineAt(c.toOffset(position, chainPosition));
    d->layOutParagraph(first);
    d->clearClusters(false);
    return ref.valid() ? d->chainLine(first, ref) : Line{};
}

TextFlowLayout::Line TextFlowLayout::lineAbove(const Line &line) const
{
    if (!line.valid() || !d->sync())
        return {};
    const QTextBlock block = document()->findBlock(line.start);
    const int index = block.blockNumber();
    const int first = d->paragraphStart(index);
    Private::Entry &head = d->entries[std::size_t(first)];
    if (head.chain) {
        Chain &c = *head.chain;
        d->used(head.chain);
        const int chainPosition = document()->findBlockByNumber(first).position();
        const ParagraphFlow::Ref ref = c.flow.lineAt(c.toOffset(line.start, chainPosition));
        const ParagraphFlow::Ref above = c.flow.previous(ref);
        d->layOutParagraph(first);
        d->clearClusters(false);
        if (above.valid())
            return d->chainLine(first, above);
    } else {
        const QTextLine l = block.layout()->lineForTextPosition(line.start - block.position());
        if (l.isValid() && l.lineNumber() > 0)
            return d->blockLine(index, block.layout()->lineAt(l.lineNumber() - 1));
    }
    if (first == 0)
        return {};
    // The last line of the paragraph before.
    const QTextBlock last = document()->findBlockByNumber(first - 1);
    return lineAt(last.position() + last.length() - 1);
}

TextFlowLayout::Line TextFlowLayout::lineBelow(const Line &line) const
{
    if (!line.valid() || !d->sync())
        return {};
    if (line.lastOfParagraph) {
        QTextBlock b = document()->findBlock(line.start);
        while (b.next().isValid() && rtf::continuesParagraph(b.next()))
            b = b.next();
        const QTextBlock after = b.next();
        return after.isValid() ? lineAt(after.position()) : Line{};
    }
    // A line's end is the next line's start.
    return lineAt(line.end);
}

QRectF TextFlowLayout::caretRect(int position) const
{
    if (!d->sync())
        return {};
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid())
        return {};
    const QRectF r = blockBoundingRect(block);
    const QTextLine line = block.layout()->lineForTextPosition(position - block.position());
    if (!line.isValid())
        return QRectF(r.topLeft(), QSizeF(1, d->lineHeight));
    const qreal x = line.cursorToX(position - block.position());
    return QRectF(r.left() + x, r.top() + line.y(), 1, line.height());
}

int TextFlowLayout::hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const
{
    if (!d->sync() || d->entries.empty())
        return -1;
    const double y = std::max<double>(point.y(), d->top);
    int first = d->paragraphAt(y);
    d->layOutParagraph(first);
    // Laying out may have changed the heights above: find it again.
    first = d->paragraphAt(y);
    d->layOutParagraph(first);
    Private::Entry &head = d->entries[std::size_t(first)];
    const double top = d->topOf(first) + d->marginBefore(first);
    const qreal x = point.x() - d->left;
    int position = 0;
    bool exact = false;
    if (head.chain) {
        Chain &c = *head.chain;
        d->used(head.chain);
        const ParagraphFlow::Ref ref = c.flow.lineAtY(y - top);
        d->layOutParagraph(first);
        const int chainPosition = document()->findBlockByNumber(first).position();
        if (!ref.valid())
            return chainPosition;
        const int offset = c.flow.xToCursor(ref, x);
        position = c.toDocument(offset, chainPosition);
        const ParagraphFlow::Line &l = c.flow.line(ref);
        exact = y - top >= ref.top && y - top < ref.top + l.advance;
        d->clearClusters(false);
    } else {
        const QTextBlock block = document()->findBlockByNumber(first);
        const QTextLayout *tl = block.layout();
        const double local = y - d->topOf(first);
        QTextLine line;
        for (int i = 0; i < tl->lineCount(); ++i) {
            line = tl->lineAt(i);
            if (local < line.y() + line.height())
                break;
        }
        if (!line.isValid())
            return block.position();
        position = block.position() + line.xToCursor(x);
        exact = local >= line.y() && local < line.y() + line.height() && x >= line.naturalTextRect().left()
                && x <= line.naturalTextRect().right();
    }
    if (accuracy == Qt::ExactHit && !exact)
        return -1;
    return std::clamp(position, 0, document()->characterCount() - 1);
}

void TextFlowLayout::draw(QPainter *painter, const PaintContext &context)
{
    if (!d->sync() || d->entries.empty())
        return;
    const QRectF clip = context.clip.isValid() ? context.clip : QRectF(QPointF(), documentSize());
    const int cursorWidth = property("cursorWidth").isValid() ? property("cursorWidth").toInt() : 1;
    const QPen oldPen = painter->pen();
    painter->setPen(context.palette.color(QPalette::Text));
    QTextDocument *doc = document();

    int first = d->paragraphAt(clip.top());
    d->layOutParagraph(first);
    first = d->paragraphAt(clip.top());
    int caretPiece = -1;
    int caretFirst = -1;
    while (std::size_t(first) < d->entries.size()) {
        const double paraTop = d->topOf(first);
        if (paraTop > clip.bottom())
            break;
        const int last = d->paragraphEnd(first);
        Private::Entry &head = d->entries[std::size_t(first)];
        const QTextBlock block = doc->findBlockByNumber(first);
        const int blockPosition = block.position();
        if (!head.chain) {
            d->layOutParagraph(first);
            const QTextLayout *tl = block.layout();
            const int length = block.length();
            QList<QTextLayout::FormatRange> selections;
            for (const Selection &range : context.selections) {
                const int s = range.cursor.selectionStart() - blockPosition;
                const int e = range.cursor.selectionEnd() - blockPosition;
                if (s < length && e > 0 && e > s) {
                    QTextLayout::FormatRange o;
                    o.start = s;
                    o.length = e - s;
                    o.format = range.format;
                    selections.append(o);
                }
            }
            const QPointF at(d->left, d->topOf(first));
            tl->draw(painter, at, selections, clip);
            if (context.cursorPosition >= blockPosition && context.cursorPosition < blockPosition + length)
                tl->drawCursor(painter, at, context.cursorPosition - blockPosition, cursorWidth);
            else if (context.cursorPosition < -1 && !tl->preeditAreaText().isEmpty())
                tl->drawCursor(painter, at, tl->preeditAreaPosition() - (context.cursorPosition + 2), cursorWidth);
        } else {
            Chain &c = *head.chain;
        d->used(head.chain);
            ParagraphFlow &flow = c.flow;
            const double base = paraTop + d->marginBefore(first);
            flow.ensureRange(clip.top() - base, clip.bottom() - base);
            d->layOutParagraph(first);
            const double drawBase = d->topOf(first) + d->marginBefore(first);
            const quint64 generation = flow.generation();
            const int endPosition = c.toDocument(c.length(), blockPosition);
            // The windows holding the lines in the clip, each drawn once.
            ParagraphFlow::Ref ref = flow.lineAtY(std::max(0.0, clip.top() - drawBase));
            int drawnStart = -1;
            while (ref.valid() && drawBase + ref.top <= clip.bottom()) {
                int index = 0;
                const int windowStart = flow.layoutStart(ref);
                if (windowStart != drawnStart) {
                    drawnStart = windowStart;
                    const QTextLayout *tl = flow.layoutOf(ref, &index);
                    const bool holdsEnd = windowStart + tl->text().size() >= c.length();
                    QList<QTextLayout::FormatRange> selections;
                    for (const Selection &range : context.selections) {
                        const int ss = range.cursor.selectionStart();
                        const int se = range.cursor.selectionEnd();
                        if (se <= blockPosition || ss > endPosition || se <= ss)
                            continue;
                        int s = c.toOffset(std::max(ss, blockPosition), blockPosition) - windowStart;
                        int e = c.toOffset(std::min(se, endPosition), blockPosition) - windowStart;
                        if (se > endPosition && holdsEnd)
                            e += 1; // the paragraph's end is selected too
                        s = std::max(0, s);
                        e = std::min<int>(e, int(tl->text().size()) + (holdsEnd ? 1 : 0));
                        if (e <= s)
                            continue;
                        QTextLayout::FormatRange o;
                        o.start = s;
                        o.length = e - s;
                        o.format = range.format;
                        selections.append(o);
                    }
                    tl->draw(painter, QPointF(d->left, drawBase), selections, clip);
                }
                ref = flow.next(ref);
            }
            // Lines laid out while drawing may have moved some drawn ones.
            if (flow.generation() != generation)
                d->scheduleFlush(drawBase);
            if (context.cursorPosition >= blockPosition && context.cursorPosition <= endPosition) {
                caretFirst = first;
                caretPiece = doc->findBlock(context.cursorPosition).blockNumber() - first;
            }
        }
        first = last + 1;
    }
    if (caretPiece >= 0) {
        // The caret shows where Qt's cursor code places it: on the cluster
        // lines of its piece.
        const QTextBlock block = doc->findBlockByNumber(caretFirst + caretPiece);
        const QRectF r = blockBoundingRect(block);
        block.layout()->drawCursor(painter, r.topLeft(), context.cursorPosition - block.position(), cursorWidth);
    }
    painter->setPen(oldPen);
    d->clearClusters(true);
}

} // namespace textflow
