// Opening a card text of 100 KB, 2 MB and 10 MB in the rich-text box, in
// every shape a base from elsewhere may carry: one unbroken word, one line
// of words, many lines, many short paragraphs, RTF with and without formats.
// Timed from the value handed over to the box shown and painted; each must
// stay under 2 s. The direct side is a bare QPlainTextEdit showing the same
// characters with the same wrap option: Qt's fastest widget for plain text,
// which lays out one block at a time. On one huge paragraph it lays it out
// whole, so it runs only where it ends in reasonable time.
#include "BenchFailure.h"
#include "RichTextBox.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTextEdit>

#include <benchmark/benchmark.h>


namespace {

enum Shape { OneWord, OneLine, ManyLines, ShortParagraphs, RtfPlain, RtfFormatted };

const char *const kShapeNames[] = {"one word", "one line", "many lines", "short paragraphs",
                                   "RTF plain", "RTF formatted"};

QString make(Shape shape, int size)
{
    QString t;
    t.reserve(size + 64);
    switch (shape) {
    case OneWord:
        while (t.size() < size)
            t += QChar(char16_t(u'a' + t.size() % 26));
        break;
    case OneLine:
        while (t.size() < size)
            t += QStringLiteral("words of one line without its end ");
        break;
    case ManyLines:
        while (t.size() < size)
            t += QStringLiteral("A line of some eighty characters, as a text file from elsewhere has them.\n");
        break;
    case ShortParagraphs:
        while (t.size() < size)
            t += QStringLiteral("Short.\n");
        break;
    case RtfPlain:
        t = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 ");
        while (t.size() < size)
            t += QChar(char16_t(u'a' + t.size() % 26));
        t += u'}';
        break;
    case RtfFormatted:
        t = QStringLiteral("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}\\f0 ");
        while (t.size() < size)
            t += QStringLiteral("{\\b abcdefghij}{\\i\\cf1 klmnopqrst}uvwxyz\\par\n{\\b unbroken}");
        t += u'}';
        break;
    }
    return t;
}

// The characters the box shows for a value: what the direct side shows.
QString shownText(const QString &value)
{
    vb::RichTextBox box;
    box.setTextRTF(value);
    return box.Text();
}

void showAndPaint(QWidget &w, QWidget *viewport)
{
    w.resize(600, 400);
    w.show();
    viewport->repaint();
    QApplication::processEvents();
}

void BM_OpenInBox(benchmark::State &state)
{
    const auto shape = Shape(state.range(0));
    const QString value = make(shape, int(state.range(1)));
    state.SetLabel(kShapeNames[shape]);
    benchfail::guard(state, [&] {
        for (auto _ : state) {
            vb::RichTextBox box;
            box.setTextRTF(value);
            showAndPaint(box, box.editor()->viewport());
            benchfail::check(box.isVisible() && !box.Text().isEmpty(), "the box did not show the text");
        }
        state.SetBytesProcessed(state.iterations() * value.size());
    });
}

void BM_OpenInBareEditor(benchmark::State &state)
{
    const auto shape = Shape(state.range(0));
    const QString text = shownText(make(shape, int(state.range(1))));
    state.SetLabel(kShapeNames[shape]);
    benchfail::guard(state, [&] {
        for (auto _ : state) {
            QPlainTextEdit edit;
            edit.setWordWrapMode(QTextEdit().wordWrapMode());
            edit.setPlainText(text);
            showAndPaint(edit, edit.viewport());
            benchfail::check(edit.isVisible(), "the editor did not show the text");
        }
        state.SetBytesProcessed(state.iterations() * text.size());
    });
}

constexpr int kSizes[] = {100 * 1024, 2 * 1024 * 1024, 10 * 1024 * 1024};

void boxArgs(benchmark::internal::Benchmark *b)
{
    for (int shape = OneWord; shape <= RtfFormatted; ++shape)
        for (int size : kSizes)
            b->Args({shape, size});
}

// One paragraph of megabytes takes Qt minutes to lay out whole; the bare
// editor shows those shapes at 100 KB only.
void bareArgs(benchmark::internal::Benchmark *b)
{
    for (int shape = OneWord; shape <= RtfFormatted; ++shape) {
        const bool onePara = shape == OneWord || shape == OneLine || shape == RtfPlain;
        for (int size : kSizes)
            if (!onePara || size == kSizes[0])
                b->Args({shape, size});
    }
}

} // namespace

BENCHMARK(BM_OpenInBox)->Apply(boxArgs)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenInBareEditor)->Apply(bareArgs)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
