#pragma once
// The lines of one long paragraph, laid out a window of text at a time.
//
// Qt lays out a paragraph whole, at a cost far beyond its length (a long
// word is scanned again for every line), and lays it out whole again after
// every edit. Here a window of a few thousand characters is laid out from a
// line start; every line but the last is kept and the next window begins
// where the last one began. Greedy line breaking decides a line from its
// start and the text after it only, so the lines are those of the whole
// paragraph, justified lines and first-line indent included, at a bounded
// cost per window and per edit.
//
// Lines are laid out only where they are asked for. Lines laid out from the
// paragraph's start form the exact run; a far place asked for first (the end
// of a long text) starts a run of its own at a likely line start, whose
// lines are whole lines of the text but may be placed a few characters away
// from where the exact run will put them. Runs are joined where their line
// starts meet. Heights between runs are estimated.
//
// The text may come from a base made elsewhere: no window holds more than
// 16,384 characters (1,024 where they are mostly marks or joiners, which
// the shaper is slow on), a run that gives no place to end a line is cut at
// the window's end, and a place far from any laid-out line is reached
// without laying out what comes before it. What this cannot bound is Qt's
// cost for one window, which grows with its length only.

#include <QFont>
#include <QList>
#include <QString>
#include <QTextBlockFormat>
#include <QTextLayout>
#include <QTextOption>

#include <memory>
#include <vector>

class QPaintDevice;

namespace textflow {

class ParagraphFlow {
public:
    // What the flow reads of its paragraph; offsets are those of the
    // paragraph's characters, from 0 to length().
    class Source {
    public:
        virtual ~Source() = default;
        virtual int length() const = 0;
        virtual QString text(int from, int to) const = 0;
        // Formats of [from, to), their starts counted from `from`.
        virtual QList<QTextLayout::FormatRange> formats(int from, int to) const = 0;
    };

    struct Geometry {
        QFont font;
        const QPaintDevice *device = nullptr;
        QTextOption option;
        qreal firstX = 0; // the paragraph's first line: left edge and width
        qreal firstWidth = 0;
        qreal x = 0; // every other line
        qreal width = 0;
        QTextBlockFormat format; // line height rules
        qreal scaling = 1;       // device pixels per screen pixel
        qreal lineHeight = 16;   // estimates for what is not laid out
        qreal charsPerLine = 60;
        // On pages (a printout): where the paragraph's lines begin on the
        // document, the page height (0: no pages) and the page margins.
        double pageTop = 0;
        double pageHeight = 0;
        double pageTopMargin = 0;
        double pageBottomMargin = 0;
    };

    // Where a line `height` high that would begin at `y` begins: on the next
    // page when it would cross the foot of this one, as Qt's layout does.
    static double pagedTop(double y, double height, double pageHeight, double topMargin,
                           double bottomMargin);

    struct Line {
        int start = 0;
        int length = 0;   // trailing spaces included
        double top = 0;   // where the line's space begins, from its run's top
        float advance = 0; // to the next line's top
        float adjust = 0;  // drawn this much higher than its top
        float extent = 0;  // its bottom, from its top
    };

    // A line found: its run and index, and its top in the paragraph.
    struct Ref {
        int run = -1;
        int index = -1;
        double top = 0;
        bool valid() const { return run >= 0; }
    };

    explicit ParagraphFlow(const Source &source);
    ~ParagraphFlow();
    ParagraphFlow(const ParagraphFlow &) = delete;
    ParagraphFlow &operator=(const ParagraphFlow &) = delete;

    // Forgets every line; they are laid out again with this geometry.
    void reset(const Geometry &geometry);
    const Geometry &geometry() const { return m_geometry; }

    // The paragraph's text changed: `removed` characters at `at` became
    // `added` ones (the source already gives the new text). Lines are laid
    // out again from the edit until they meet the old ones.
    void textChanged(int at, int removed, int added);

    // Height of the paragraph's lines, estimated where they are not laid out.
    double height() const;
    // True when every line from the start to the end is laid out.
    bool complete() const;

    // Lays out the lines holding `offset`, and those covering [y0, y1).
    void ensureOffset(int offset);
    void ensureRange(double y0, double y1);
    // Every line, from the start (a printout).
    void layOutAll();

    // The line holding `offset` (a position at a soft break belongs to the
    // line it starts), or the line at `y`; laid out as needed.
    Ref lineAt(int offset);
    Ref lineAtY(double y);
    // The next and previous laid-out line (invalid at the paragraph's ends
    // and where a run ends before the text does).
    Ref next(const Ref &ref);
    Ref previous(const Ref &ref);
    const Line &line(const Ref &ref) const;
    bool isLast(const Ref &ref) const;

    // A text layout holding the line: the window it was laid out in, laid
    // out again the same way, with the line placed at its own top (paragraph
    // coordinates). The returned index is the line's own in that layout;
    // the layout stays valid until the flow changes.
    const QTextLayout *layoutOf(const Ref &ref, int *lineInLayout);
    // The line's lines in its window's layout start at this offset.
    int layoutStart(const Ref &ref) const;

    // Frees the text layouts kept for drawing (laid out again when needed).
    void releaseLayouts();

    // x of the caret at `offset` and the offset at x on a line.
    qreal cursorToX(const Ref &ref, int offset);
    int xToCursor(const Ref &ref, qreal x);

    // Bumped whenever laid-out lines move or change (not when lines are only
    // added after the others).
    quint64 generation() const { return m_generation; }

    // Every laid-out line, in order (for tests).
    std::vector<Line> laidOutLines() const;
    int runCount() const { return int(m_runs.size()); }
    bool exactFrom(int run) const;

    // Window lengths; small ones let the tests cross many windows.
    struct Windows {
        int length = 4096;
        int markHeavy = 1024; // a window mostly of combining marks or joiners
        int longest = 16384;
        int margin = 32;      // kept lines end this far before the window's end
        int reach = 65536;    // farther than this from a run, a new run begins
        int afterEdit = 6;    // windows laid out after an edit before giving up on meeting
    };
    static Windows &windows();

private:
    struct Window {
        int start = 0;
        int end = 0;
        int skip = 0; // lines laid out before ours
        int count = 0;
        int firstLine = 0; // index of our first line in the run
    };
    struct Run {
        std::vector<Line> lines;
        std::vector<Window> windows;
        double top = 0; // in the paragraph, derived
        bool exact = false;
        int start() const { return lines.front().start; }
        int end() const { return lines.back().start + lines.back().length; }
        double height() const;
    };
    struct CachedLayout;

    int windowLength(int start) const;
    // Lays out one window from `start`; appends the kept lines (tops from
    // `top`) and the window to the run.
    void layWindow(Run &run, int start);
    void extend(int run);
    void joinFollowing(int run);
    void joinAt(int run, int ourIndex, int theirIndex);
    int syncPoint(int offset, int low, int high) const;
    int newRun(int start);
    void relayoutAfterEdit(int run, int at, int removed, int added);
    void dropLines(Run &run, int from);
    void dropFront(Run &run, int count);
    void renumberWindows(Run &run);
    double gapHeight(int chars) const;
    void placeRuns();
    int runHolding(int offset) const;
    int windowOf(const Run &run, int index) const;
    void setUpLayout(QTextLayout &layout, int start, int end) const;
    void measure(const QTextLine &line, Line &out) const;
    void changed();

    const Source &m_source;
    Geometry m_geometry;
    std::vector<Run> m_runs;
    int m_length = 0;
    quint64 m_generation = 1;
    std::vector<std::unique_ptr<CachedLayout>> m_cache;
};

} // namespace textflow
