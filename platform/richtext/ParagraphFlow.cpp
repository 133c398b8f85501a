#include "ParagraphFlow.h"

#include <QtMath>

#include <algorithm>

namespace textflow {

namespace {

// Lines placed here in a layout laid out again are not ours: far out of any
// clip, so that drawing the layout draws only the lines we keep.
constexpr double kFarAway = 1e7;

// A laid-out line's characters end here.
int lineEnd(const ParagraphFlow::Line &l)
{
    return l.start + l.length;
}

} // namespace

struct ParagraphFlow::CachedLayout {
    int start = 0;
    int end = 0;
    int skip = 0;
    int count = 0;
    quint64 generation = 0;
    std::unique_ptr<QTextLayout> layout;
};

ParagraphFlow::Windows &ParagraphFlow::windows()
{
    static Windows w;
    return w;
}

double ParagraphFlow::pagedTop(double y, double height, double pageHeight, double topMargin,
                               double bottomMargin)
{
    if (pageHeight <= 0)
        return y;
    const double content = pageHeight - topMargin - bottomMargin;
    for (int guard = 0; guard < 1 << 16; ++guard) {
        const double page = std::floor(y / pageHeight);
        if (y + height <= (page + 1) * pageHeight - bottomMargin || content < height)
            break;
        y = std::max(y, (page + 1) * pageHeight + topMargin);
    }
    return y;
}

ParagraphFlow::ParagraphFlow(const Source &source) : m_source(source), m_length(source.length()) {}

ParagraphFlow::~ParagraphFlow() = default;

double ParagraphFlow::Run::height() const
{
    return lines.empty() ? 0 : lines.back().top + lines.back().advance;
}

void ParagraphFlow::reset(const Geometry &geometry)
{
    m_geometry = geometry;
    m_geometry.charsPerLine = std::max<qreal>(1, m_geometry.charsPerLine);
    m_runs.clear();
    m_length = m_source.length();
    changed();
}

void ParagraphFlow::changed()
{
    ++m_generation;
    m_cache.clear();
}

double ParagraphFlow::gapHeight(int chars) const
{
    if (chars <= 0)
        return 0;
    return std::ceil(chars / m_geometry.charsPerLine) * m_geometry.lineHeight;
}

void ParagraphFlow::placeRuns()
{
    int end = 0;
    double y = 0;
    bool moved = false;
    for (Run &run : m_runs) {
        y += gapHeight(run.start() - end);
        moved = moved || run.top != y;
        run.top = y;
        y += run.height();
        end = run.end();
    }
    if (moved)
        changed();
}

double ParagraphFlow::height() const
{
    if (m_runs.empty())
        return std::max(gapHeight(m_length), double(m_geometry.lineHeight));
    const Run &last = m_runs.back();
    double h = last.top + last.height() + gapHeight(m_length - last.end());
    if (last.end() >= m_length) {
        // The paragraph's last line may reach below the next line's top.
        const Line &l = last.lines.back();
        h = std::max(h, last.top + l.top + l.extent);
    }
    return h;
}

bool ParagraphFlow::complete() const
{
    return m_runs.size() == 1 && m_runs.front().exact && m_runs.front().end() >= m_length;
}

bool ParagraphFlow::exactFrom(int run) const
{
    return m_runs.at(std::size_t(run)).exact;
}

int ParagraphFlow::windowLength(int start) const
{
    const Windows &w = windows();
    const QString sample = m_source.text(start, std::min(m_length, start + w.markHeavy));
    // Each combining mark or joiner costs the shaper far more than a letter,
    // and a run of them is one cluster no line may end in: a window made
    // mostly of them is kept short and never grown.
    const auto marks = std::count_if(sample.begin(), sample.end(), [](QChar c) {
        return c.isMark() || c.category() == QChar::Other_Format;
    });
    return marks * 2 > sample.size() ? w.markHeavy : w.length;
}

void ParagraphFlow::setUpLayout(QTextLayout &layout, int start, int end) const
{
    layout.setTextOption(m_geometry.option);
    QList<QTextLayout::FormatRange> formats = m_source.formats(start, end);
    if (!formats.isEmpty())
        layout.setFormats(formats);
}

void ParagraphFlow::measure(const QTextLine &line, Line &out) const
{
    // The rules of Qt's own document layout, so that a paragraph takes the
    // same height whichever way it is laid out.
    const QTextBlockFormat &f = m_geometry.format;
    const qreal raw = qCeil(line.ascent() + line.descent() + line.leading());
    const qreal advance = f.lineHeight(raw, m_geometry.scaling);
    const qreal bottom = f.lineHeight(line.height(), m_geometry.scaling);
    out.advance = float(advance);
    out.extent = float(bottom);
    out.adjust = 0;
    if (f.lineHeightType() == QTextBlockFormat::FixedHeight)
        out.adjust = float(line.ascent() + std::max<qreal>(line.leading(), 0) - advance * 4 / 5);
    else if (f.lineHeightType() == QTextBlockFormat::MinimumHeight)
        out.adjust = float(line.height() - advance);
}

void ParagraphFlow::layWindow(Run &run, int start)
{
    const Windows &w = windows();
    int want = windowLength(start);
    const bool markHeavy = want == w.markHeavy && w.markHeavy < w.length;
    for (;;) {
        int end = std::min(m_length, start + want);
        QString text = m_source.text(start, end);
        // A window never ends between the halves of a character.
        if (end < m_length && end - start > 1 && text.back().isHighSurrogate()) {
            text.chop(1);
            --end;
        }
        QTextLayout layout(text, m_geometry.font, const_cast<QPaintDevice *>(m_geometry.device));
        setUpLayout(layout, start, end);
        layout.setCacheEnabled(false);
        layout.beginLayout();
        for (int i = 0;; ++i) {
            QTextLine line = layout.createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(true);
            line.setLineWidth(start == 0 && i == 0 ? m_geometry.firstWidth : m_geometry.width);
        }
        layout.endLayout();
        const int n = layout.lineCount();
        int keep = n;
        if (end < m_length) {
            // The last line may end where the window does, not where the
            // text would end it; lines ending close to the window's end are
            // laid out again by the next window, with the text after them.
            keep = n - 1;
            while (keep > 1) {
                const QTextLine l = layout.lineAt(keep - 1);
                if (l.textStart() + l.textLength() <= end - start - w.margin)
                    break;
                --keep;
            }
            if (keep <= 0) {
                if (want < w.longest && !markHeavy) {
                    want = std::min(w.longest, want * 4);
                    continue;
                }
                // No line ends within the longest window (a run of marks
                // on one letter, zero-width characters): it is cut here.
                keep = std::min(1, n);
            }
        }
        double top = run.height();
        Window win;
        win.start = start;
        win.end = end;
        win.count = keep;
        win.firstLine = int(run.lines.size());
        for (int i = 0; i < keep; ++i) {
            const QTextLine l = layout.lineAt(i);
            Line out;
            out.start = start + l.textStart();
            out.length = l.textLength();
            if (i == keep - 1 && out.start + out.length == start && end > start)
                out.length = end - start; // an empty cut line would never end
            measure(l, out);
            if (m_geometry.pageHeight > 0) {
                const QTextBlockFormat::LineHeightTypes type
                    = QTextBlockFormat::LineHeightTypes(m_geometry.format.lineHeightType());
                const double breakHeight = type == QTextBlockFormat::FixedHeight
                                                   || type == QTextBlockFormat::MinimumHeight
                                               ? out.extent
                                               : l.height();
                top = pagedTop(m_geometry.pageTop + top, breakHeight, m_geometry.pageHeight,
                               m_geometry.pageTopMargin, m_geometry.pageBottomMargin)
                      - m_geometry.pageTop;
            }
            out.top = top;
            top += out.advance;
            run.lines.push_back(out);
        }
        run.windows.push_back(win);
        return;
    }
}

void ParagraphFlow::renumberWindows(Run &run)
{
    int first = 0;
    for (Window &win : run.windows) {
        win.firstLine = first;
        first += win.count;
    }
}

int ParagraphFlow::windowOf(const Run &run, int index) const
{
    const auto it = std::upper_bound(run.windows.begin(), run.windows.end(), index,
                                     [](int i, const Window &w) { return i < w.firstLine; });
    return int(it - run.windows.begin()) - 1;
}

void ParagraphFlow::dropLines(Run &run, int from)
{
    run.lines.resize(std::size_t(from));
    while (!run.windows.empty() && run.windows.back().firstLine >= from)
        run.windows.pop_back();
    if (!run.windows.empty())
        run.windows.back().count = from - run.windows.back().firstLine;
}

void ParagraphFlow::dropFront(Run &run, int count)
{
    if (count <= 0)
        return;
    const int wi = windowOf(run, count);
    run.windows.erase(run.windows.begin(), run.windows.begin() + wi);
    Window &first = run.windows.front();
    const int inside = count - first.firstLine;
    first.skip += inside;
    first.count -= inside;
    run.lines.erase(run.lines.begin(), run.lines.begin() + count);
    const double top = run.lines.front().top;
    for (Line &l : run.lines)
        l.top -= top;
    renumberWindows(run);
    changed();
}

void ParagraphFlow::joinAt(int r, int ours, int theirs)
{
    Run &run = m_runs[std::size_t(r)];
    Run next = std::move(m_runs[std::size_t(r) + 1]);
    m_runs.erase(m_runs.begin() + r + 1);
    const double top = ours < int(run.lines.size()) ? run.lines[std::size_t(ours)].top : run.height();
    dropLines(run, ours);
    const double shift = top - next.lines[std::size_t(theirs)].top;
    const int wi = windowOf(next, theirs);
    for (std::size_t i = std::size_t(wi); i < next.windows.size(); ++i) {
        Window win = next.windows[i];
        if (int(i) == wi) {
            const int inside = theirs - win.firstLine;
            win.skip += inside;
            win.count -= inside;
        }
        run.windows.push_back(win);
    }
    for (std::size_t i = std::size_t(theirs); i < next.lines.size(); ++i) {
        Line l = next.lines[i];
        l.top += shift;
        run.lines.push_back(l);
    }
    renumberWindows(run);
    changed();
}

void ParagraphFlow::joinFollowing(int r)
{
    while (std::size_t(r) + 1 < m_runs.size()) {
        Run &run = m_runs[std::size_t(r)];
        Run &next = m_runs[std::size_t(r) + 1];
        const int end = run.end();
        if (next.start() > end)
            return;
        auto startOf = [&](int offset) {
            const auto it = std::lower_bound(next.lines.begin(), next.lines.end(), offset,
                                             [](const Line &l, int o) { return l.start < o; });
            return it != next.lines.end() && it->start == offset ? int(it - next.lines.begin()) : -1;
        };
        // Where a line of ours starts where one of theirs does, the lines
        // after it are the same lines.
        bool joined = false;
        for (std::size_t k = 0; k < run.lines.size() && !joined; ++k) {
            if (run.lines[k].start < next.start())
                continue;
            const int j = startOf(run.lines[k].start);
            if (j >= 0) {
                joinAt(r, int(k), j);
                joined = true;
            }
        }
        if (joined)
            continue;
        const int j = startOf(end);
        if (j >= 0) {
            joinAt(r, int(run.lines.size()), j);
            continue;
        }
        // Not met yet: theirs before our end are ours now.
        const auto covered = std::lower_bound(next.lines.begin(), next.lines.end(), end,
                                              [](const Line &l, int o) { return l.start < o; });
        const int drop = int(covered - next.lines.begin());
        if (drop >= int(next.lines.size())) {
            m_runs.erase(m_runs.begin() + r + 1);
            continue;
        }
        dropFront(next, drop);
        return;
    }
}

int ParagraphFlow::syncPoint(int offset, int low, int high) const
{
    // A line starts after white space, or anywhere in a word longer than a
    // line; a likely start near the offset asked for.
    const int from = std::max(low, offset - 2048);
    const QString text = m_source.text(from, std::min(high, offset + 1));
    for (int i = offset - from; i > 0; --i) {
        if (text.at(i - 1).isSpace() && !text.at(std::min(i, int(text.size()) - 1)).isSpace())
            return std::min(from + i, high - 1);
    }
    int at = offset;
    for (int i = offset - from; i > 0 && at > from + 1 && at > offset - 64; --i) {
        const QChar c = text.at(std::min(i, int(text.size()) - 1));
        if (!c.isMark() && !c.isLowSurrogate())
            break;
        --at;
    }
    return std::clamp(at, low, std::max(low, high - 1));
}

int ParagraphFlow::newRun(int start)
{
    Run run;
    run.exact = start == 0;
    layWindow(run, start);
    const auto it = std::upper_bound(m_runs.begin(), m_runs.end(), start,
                                     [](int s, const Run &r) { return s < r.start(); });
    const int index = int(it - m_runs.begin());
    m_runs.insert(it, std::move(run));
    joinFollowing(index);
    placeRuns();
    return index;
}

void ParagraphFlow::extend(int r)
{
    Run &run = m_runs[std::size_t(r)];
    if (run.end() >= m_length)
        return;
    layWindow(run, run.end());
    joinFollowing(r);
    placeRuns();
}

int ParagraphFlow::runHolding(int offset) const
{
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        const Run &run = m_runs[i];
        if (offset < run.start())
            return -1;
        if (offset < run.end() || (run.end() >= m_length && offset >= m_length))
            return int(i);
    }
    return -1;
}

void ParagraphFlow::ensureOffset(int offset)
{
    offset = std::clamp(offset, 0, m_length);
    const Windows &w = windows();
    // Every turn lays out one window; the bound only guards against a
    // layout that would never reach the offset.
    for (int guard = 0; guard < 1 << 20; ++guard) {
        if (runHolding(offset) >= 0)
            return;
        int before = -1;
        for (std::size_t i = 0; i < m_runs.size() && m_runs[i].start() <= offset; ++i)
            before = int(i);
        const int high = std::size_t(before + 1) < m_runs.size() ? m_runs[std::size_t(before) + 1].start()
                                                                   : m_length + 1;
        if (before < 0) {
            newRun(offset <= w.reach ? 0 : syncPoint(offset, 0, high));
        } else if (offset - m_runs[std::size_t(before)].end() <= w.reach) {
            extend(before);
        } else {
            newRun(syncPoint(offset, m_runs[std::size_t(before)].end(), high));
        }
    }
}

void ParagraphFlow::ensureRange(double y0, double y1)
{
    y0 = std::max(0.0, y0);
    for (int guard = 0; guard < 1 << 20; ++guard) {
        placeRuns();
        y1 = std::min(y1, height());
        // The first place in [y0, y1) no laid-out line covers.
        double y = y0;
        int gapStart = 0;
        double gapTop = 0;
        int gapEnd = m_length;
        bool found = false;
        for (const Run &run : m_runs) {
            if (y < run.top) {
                gapEnd = run.start();
                found = true;
                break;
            }
            y = std::max(y, run.top + run.height());
            gapStart = run.end();
            gapTop = run.top + run.height();
        }
        if (!found && gapStart >= m_length && !m_runs.empty())
            return;
        if (y >= y1 && !(m_runs.empty() && y0 <= 0))
            return;
        const double gap = std::max(1.0, gapHeight(gapEnd - gapStart));
        const double share = std::clamp((y - gapTop) / gap, 0.0, 1.0);
        ensureOffset(gapStart + int(share * (gapEnd - gapStart)));
    }
}

void ParagraphFlow::layOutAll()
{
    if (m_runs.empty() || !m_runs.front().exact)
        newRun(0);
    while (m_runs.front().end() < m_length)
        extend(0);
    placeRuns();
}

ParagraphFlow::Ref ParagraphFlow::lineAt(int offset)
{
    offset = std::clamp(offset, 0, m_length);
    ensureOffset(offset);
    placeRuns();
    const int r = runHolding(offset);
    if (r < 0)
        return {};
    const Run &run = m_runs[std::size_t(r)];
    const auto it = std::upper_bound(run.lines.begin(), run.lines.end(), offset,
                                     [](int o, const Line &l) { return o < l.start; });
    const int index = std::max(0, int(it - run.lines.begin()) - 1);
    return {r, index, run.top + run.lines[std::size_t(index)].top};
}

ParagraphFlow::Ref ParagraphFlow::lineAtY(double y)
{
    ensureRange(y, y + 1);
    placeRuns();
    if (m_runs.empty())
        return {};
    int r = 0;
    for (std::size_t i = 0; i < m_runs.size(); ++i) {
        if (m_runs[i].top <= y)
            r = int(i);
    }
    const Run &run = m_runs[std::size_t(r)];
    const double local = y - run.top;
    const auto it = std::upper_bound(run.lines.begin(), run.lines.end(), local,
                                     [](double v, const Line &l) { return v < l.top; });
    const int index = std::max(0, int(it - run.lines.begin()) - 1);
    return {r, index, run.top + run.lines[std::size_t(index)].top};
}

ParagraphFlow::Ref ParagraphFlow::next(const Ref &ref)
{
    if (!ref.valid())
        return {};
    const Run &run = m_runs[std::size_t(ref.run)];
    if (std::size_t(ref.index) + 1 < run.lines.size())
        return {ref.run, ref.index + 1, run.top + run.lines[std::size_t(ref.index) + 1].top};
    const int end = run.end();
    if (end >= m_length)
        return {};
    return lineAt(end);
}

ParagraphFlow::Ref ParagraphFlow::previous(const Ref &ref)
{
    if (!ref.valid())
        return {};
    const Run &run = m_runs[std::size_t(ref.run)];
    if (ref.index > 0)
        return {ref.run, ref.index - 1, run.top + run.lines[std::size_t(ref.index) - 1].top};
    if (run.start() == 0)
        return {};
    // The line before a run's first: laid out from the run before it, or
    // from a likely start near it.
    return lineAt(run.start() - 1);
}

const ParagraphFlow::Line &ParagraphFlow::line(const Ref &ref) const
{
    return m_runs.at(std::size_t(ref.run)).lines.at(std::size_t(ref.index));
}

bool ParagraphFlow::isLast(const Ref &ref) const
{
    const Line &l = line(ref);
    return lineEnd(l) >= m_length;
}

int ParagraphFlow::layoutStart(const Ref &ref) const
{
    const Run &run = m_runs.at(std::size_t(ref.run));
    return run.windows.at(std::size_t(windowOf(run, ref.index))).start;
}

const QTextLayout *ParagraphFlow::layoutOf(const Ref &ref, int *lineInLayout)
{
    const Run &run = m_runs.at(std::size_t(ref.run));
    const Window &win = run.windows.at(std::size_t(windowOf(run, ref.index)));
    if (lineInLayout)
        *lineInLayout = win.skip + ref.index - win.firstLine;
    for (const auto &c : m_cache) {
        if (c->generation == m_generation && c->start == win.start && c->end == win.end && c->skip == win.skip
            && c->count == win.count)
            return c->layout.get();
    }
    auto cached = std::make_unique<CachedLayout>();
    cached->start = win.start;
    cached->end = std::min(win.end, m_length);
    cached->skip = win.skip;
    cached->count = win.count;
    cached->generation = m_generation;
    cached->layout = std::make_unique<QTextLayout>(m_source.text(win.start, cached->end), m_geometry.font,
                                                   const_cast<QPaintDevice *>(m_geometry.device));
    QTextLayout &layout = *cached->layout;
    setUpLayout(layout, win.start, cached->end);
    layout.setCacheEnabled(true);
    layout.beginLayout();
    // The window is laid out again exactly as it was, so the same lines come
    // out; one line more keeps our last line from passing for the layout's
    // last (which would show a paragraph end when selected).
    for (int i = 0; i <= win.skip + win.count; ++i) {
        QTextLine l = layout.createLine();
        if (!l.isValid())
            break;
        l.setLeadingIncluded(true);
        const bool first = win.start == 0 && i == 0;
        l.setLineWidth(first ? m_geometry.firstWidth : m_geometry.width);
        const qreal x = first ? m_geometry.firstX : m_geometry.x;
        if (i < win.skip) {
            l.setPosition(QPointF(x, -kFarAway));
        } else if (i < win.skip + win.count) {
            const Line &ours = run.lines[std::size_t(win.firstLine + i - win.skip)];
            l.setPosition(QPointF(x, run.top + ours.top - ours.adjust));
        } else {
            l.setPosition(QPointF(x, kFarAway));
        }
    }
    layout.endLayout();
    m_cache.insert(m_cache.begin(), std::move(cached));
    if (m_cache.size() > 8)
        m_cache.pop_back();
    return m_cache.front()->layout.get();
}

void ParagraphFlow::releaseLayouts()
{
    m_cache.clear();
}

qreal ParagraphFlow::cursorToX(const Ref &ref, int offset)
{
    int index = 0;
    const QTextLayout *layout = layoutOf(ref, &index);
    return layout->lineAt(index).cursorToX(offset - layoutStart(ref));
}

int ParagraphFlow::xToCursor(const Ref &ref, qreal x)
{
    int index = 0;
    const QTextLayout *layout = layoutOf(ref, &index);
    return layout->lineAt(index).xToCursor(x) + layoutStart(ref);
}

std::vector<ParagraphFlow::Line> ParagraphFlow::laidOutLines() const
{
    std::vector<Line> out;
    for (const Run &run : m_runs) {
        for (Line l : run.lines) {
            l.top += run.top;
            out.push_back(l);
        }
    }
    return out;
}

void ParagraphFlow::relayoutAfterEdit(int r, int at, int removed, int added)
{
    const Windows &w = windows();
    const int delta = added - removed;
    const int editEnd = at + removed; // in the old text
    Run old = m_runs[std::size_t(r)];
    Run &run = m_runs[std::size_t(r)];
    // The line holding the edit; the two before it may change with it (a
    // line's break depends on the first word of the next).
    const auto it = std::upper_bound(run.lines.begin(), run.lines.end(), at,
                                     [](int o, const Line &l) { return o < lineEnd(l); });
    const int holding = std::min(int(it - run.lines.begin()), int(run.lines.size()) - 1);
    const int restart = std::max(0, holding - 2);
    if (restart == 0 && !run.exact && run.start() >= at) {
        // An edit at a run's start: its start may no longer be a line start.
        m_runs.erase(m_runs.begin() + r);
        return;
    }
    const int from = run.lines[std::size_t(restart)].start;
    dropLines(run, restart);
    // Old lines after the edit, in windows whose text the edit left alone,
    // are the lines the new ones may meet.
    auto meets = [&](int offset) -> int {
        const int oldOffset = offset - delta;
        if (oldOffset < editEnd)
            return -1;
        const auto found = std::lower_bound(old.lines.begin(), old.lines.end(), oldOffset,
                                            [](const Line &l, int o) { return l.start < o; });
        if (found == old.lines.end() || found->start != oldOffset)
            return -1;
        const int j = int(found - old.lines.begin());
        return old.windows[std::size_t(windowOf(old, j))].start >= editEnd ? j : -1;
    };
    auto append = [&](int j) {
        const double shift = run.height() - old.lines[std::size_t(j)].top;
        const int wi = windowOf(old, j);
        for (std::size_t i = std::size_t(wi); i < old.windows.size(); ++i) {
            Window win = old.windows[i];
            if (int(i) == wi) {
                win.skip += j - win.firstLine;
                win.count -= j - win.firstLine;
            }
            win.start += delta;
            win.end += delta;
            run.windows.push_back(win);
        }
        for (std::size_t i = std::size_t(j); i < old.lines.size(); ++i) {
            Line l = old.lines[i];
            l.start += delta;
            l.top += shift;
            run.lines.push_back(l);
        }
        renumberWindows(run);
    };
    for (int laid = 0;; ++laid) {
        const std::size_t first = run.lines.size();
        const bool empty = run.lines.empty();
        if (!empty && run.end() >= m_length)
            return;
        if (laid >= w.afterEdit) {
            // Not met within a few windows (a long word shifted by one
            // letter may never meet): the old lines further on stay, as a
            // run of their own that is joined when the lines meet later.
            Run rest;
            const int end = run.end();
            for (std::size_t wi = 0; wi < old.windows.size(); ++wi) {
                const Window &win = old.windows[wi];
                if (win.start < editEnd || win.start + delta < end || win.count <= 0)
                    continue;
                for (std::size_t i = std::size_t(win.firstLine); i < old.lines.size(); ++i) {
                    Line l = old.lines[i];
                    l.start += delta;
                    rest.lines.push_back(l);
                }
                for (std::size_t i = wi; i < old.windows.size(); ++i) {
                    Window moved = old.windows[i];
                    moved.start += delta;
                    moved.end += delta;
                    rest.windows.push_back(moved);
                }
                const double top = rest.lines.front().top;
                for (Line &l : rest.lines)
                    l.top -= top;
                renumberWindows(rest);
                m_runs.insert(m_runs.begin() + r + 1, std::move(rest));
                break;
            }
            return;
        }
        layWindow(run, empty ? from : run.end());
        for (std::size_t k = first; k < run.lines.size(); ++k) {
            if (run.lines[k].start < at + added)
                continue;
            const int j = meets(run.lines[k].start);
            if (j >= 0) {
                dropLines(run, int(k));
                append(j);
                return;
            }
        }
        const int j = meets(run.end());
        if (j >= 0 && run.end() < m_length) {
            append(j);
            return;
        }
    }
}

void ParagraphFlow::textChanged(int at, int removed, int added)
{
    m_length = m_source.length();
    const int delta = added - removed;
    const int editEnd = at + removed;
    std::vector<int> touched;
    for (std::size_t i = 0; i < m_runs.size();) {
        Run &run = m_runs[i];
        if (run.start() > editEnd || (run.start() == editEnd && removed == 0 && run.start() > at)) {
            for (Line &l : run.lines)
                l.start += delta;
            for (Window &win : run.windows) {
                win.start += delta;
                win.end += delta;
            }
            ++i;
        } else if (run.end() < at) {
            // The last line's break depends on the word after it.
            if (at - run.end() < 4096) {
                dropLines(run, std::max(0, int(run.lines.size()) - 2));
                if (run.lines.empty()) {
                    m_runs.erase(m_runs.begin() + std::ptrdiff_t(i));
                    continue;
                }
            }
            ++i;
        } else if (run.start() > at || (run.start() == at && !run.exact)) {
            // A run starting inside the edit: its lines after the edit stay.
            const auto after = std::upper_bound(run.lines.begin(), run.lines.end(), editEnd,
                                                [](int o, const Line &l) { return o < l.start; });
            const int drop = int(after - run.lines.begin());
            if (drop >= int(run.lines.size())) {
                m_runs.erase(m_runs.begin() + std::ptrdiff_t(i));
                continue;
            }
            dropFront(run, drop);
            for (Line &l : run.lines)
                l.start += delta;
            for (Window &win : run.windows) {
                win.start += delta;
                win.end += delta;
            }
            // Its first window began before the edit's end: no longer the
            // same text, so its lines start a window of their own.
            if (run.windows.front().start < at + added) {
                m_runs.erase(m_runs.begin() + std::ptrdiff_t(i));
                continue;
            }
            ++i;
        } else {
            touched.push_back(int(i));
            ++i;
        }
    }
    for (auto t = touched.rbegin(); t != touched.rend(); ++t)
        relayoutAfterEdit(*t, at, removed, added);
    for (int i = int(m_runs.size()) - 2; i >= 0; --i)
        joinFollowing(i);
    placeRuns();
    changed();
}

} // namespace textflow
