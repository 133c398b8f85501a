// Reading and writing a card text of about 1 MB: both must stay far below
// 100 ms, so that loading or storing a long card never stalls the window.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QGuiApplication>
#include <QTextCursor>
#include <QTextDocument>

#include <benchmark/benchmark.h>

namespace {

// A text as word processors write it: paragraphs of accented prose with a
// format change every few words.
QByteArray sampleRtf(qsizetype size)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}"
                     "{\\f1\\froman Times New Roman;}}{\\colortbl ;\\red255\\green0\\blue0;}"
                     "\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    int i = 0;
    while (rtf.size() < size) {
        rtf += "Le caf\\'e9 o\\'f9 l'on ne fume pas, {\\b gras} et {\\i\\cf1 italique "
               "rouge} \\u8364? ";
        if (++i % 8 == 0)
            rtf += "\\par\r\n\\pard\\li200 ";
    }
    return rtf + "}";
}

void BM_ReadRtf1MB(benchmark::State &state)
{
    const QByteArray rtf = sampleRtf(1 << 20);
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
    state.SetBytesProcessed(state.iterations() * rtf.size());
}

void BM_WriteRtf1MB(benchmark::State &state)
{
    QTextDocument doc;
    rtf::read(sampleRtf(1 << 20), doc);
    qsizetype bytes = 0;
    for (auto _ : state) {
        const QByteArray out = rtf::write(doc);
        bytes = out.size();
        benchmark::DoNotOptimize(out.constData());
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

void BM_ReadPlainParagraphs1MB(benchmark::State &state)
{
    QByteArray rtf = "{\\rtf1\\ansi ";
    while (rtf.size() < (1 << 20))
        rtf += "A line of plain text without any format at all.\\par\r\n";
    rtf += "}";
    for (auto _ : state) {
        QTextDocument doc;
        rtf::read(rtf, doc);
        benchmark::DoNotOptimize(doc.characterCount());
    }
}

} // namespace

BENCHMARK(BM_ReadRtf1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteRtf1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadPlainParagraphs1MB)->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
