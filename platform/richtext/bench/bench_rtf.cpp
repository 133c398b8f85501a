// Reading and writing a card text of about 1 MB: both must stay far below
// 100 ms, so that loading or storing a long card never stalls the window.
// The dense cases show where the text document itself sets the pace: the
// last benchmark is Qt filling a document with the same plain text.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include "BenchFailure.h"

#include <benchmark/benchmark.h>

namespace {

constexpr qsizetype kSize = 1 << 20;

const QByteArray kHeader = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                           "{\\f1\\froman Times New Roman;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                           "\\viewkind4\\uc1\\pard\\f0\\fs20 ";

// Prose as a word processor writes it: paragraphs of some 600 characters with
// accents, a bold word, an italic coloured phrase and a character outside 1252.
QByteArray cardText()
{
    QByteArray rtf = kHeader;
    while (rtf.size() < kSize) {
        rtf += "\\pard\\li200 ";
        for (int s = 0; s < 6; ++s)
            rtf += "Le caf\\'e9 o\\'f9 l'on ne fume pas est un lieu que l'on cite souvent, ";
        rtf += "{\\b gras} et {\\i\\cf1 italique rouge} pour \\u8364? cent ";
        for (int s = 0; s < 3; ++s)
            rtf += "et la phrase continue encore un peu avant de finir le paragraphe. ";
        rtf += "\\par\r\n";
    }
    return rtf + "}";
}

// A format change every few words.
QByteArray denseFormats()
{
    QByteArray rtf = kHeader;
    int i = 0;
    while (rtf.size() < kSize) {
        rtf += "Le caf\\'e9 o\\'f9 l'on ne fume pas, {\\b gras} et {\\i\\cf1 italique "
               "rouge} \\u8364? ";
        if (++i % 8 == 0)
            rtf += "\\par\r\n\\pard\\li200 ";
    }
    return rtf + "}";
}

// One short line per paragraph.
QByteArray shortParagraphs()
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < kSize)
        rtf += "A line of plain text without any format at all.\\par\r\n";
    return rtf + "}";
}

void read(benchmark::State &state, const QByteArray &rtf)
{
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void write(benchmark::State &state, const QByteArray &rtf)
{
    QTextDocument doc;
    rtf::read(rtf, doc);
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray out = rtf::write(doc);
        bytes = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ReadCardText1MB(benchmark::State &s) { read(s, cardText()); }
void BM_WriteCardText1MB(benchmark::State &s) { write(s, cardText()); }
void BM_ReadDenseFormats1MB(benchmark::State &s) { read(s, denseFormats()); }
void BM_WriteDenseFormats1MB(benchmark::State &s) { write(s, denseFormats()); }
void BM_ReadShortParagraphs1MB(benchmark::State &s) { read(s, shortParagraphs()); }

void BM_QtSetPlainTextShortParagraphs(benchmark::State &state)
{
    QTextDocument source;
    rtf::read(shortParagraphs(), source);
    const QString text = source.toPlainText();
    for (auto _ : state) {
        QTextDocument doc;
        doc.setUndoRedoEnabled(false);
        doc.setPlainText(text);
        benchmark::DoNotOptimize(doc.characterCount());
    }
}

} // namespace

BENCHMARK_GUARDED(BM_ReadCardText1MB)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(BM_WriteCardText1MB)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(BM_ReadDenseFormats1MB)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(BM_WriteDenseFormats1MB)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(BM_ReadShortParagraphs1MB)->Unit(benchmark::kMillisecond);
BENCHMARK_GUARDED(BM_QtSetPlainTextShortParagraphs)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
