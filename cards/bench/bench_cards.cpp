// Opening cards: a set of 50 notes of about 2 KB of rich text each against
// fifty bare editors given the same documents and against the same cards
// written as plain Qt; sets of 25 to 200 cards in a main window's area
// against as many bare editors in such an area; one note of about 1 MB;
// the rich text box against a bare QTextEdit given the same document
// through insertFragment, in the same run; the stamp of a note of two 10 MB
// texts made from the values read, against a plain digest of them. Peak
// memory at the end.
#include "CardOpeners.h"
#include "CardRecords.h"
#include "CardWindows.h"
#include "Form.h"
#include "MemoryStatus.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "RtfReader.h"
#include "Start.h"
#include "TestBase.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPainter>
#include <QPushButton>
#include <QStringListModel>
#include <QTableView>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QToolButton>

#include "BenchFailure.h"

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

QByteArray paragraphRtf()
{
    return "\\pard\\li200 Le caf\\'e9 o\\'f9 l'on ne fume pas est un lieu que l'on cite souvent, "
           "{\\b gras} et {\\i\\cf1 italique rouge} pour \\u8364? cent, et la phrase continue "
           "encore un peu avant de finir le paragraphe.\\par\r\n";
}

QString cardRtf(qsizetype size)
{
    QByteArray rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}"
                     "{\\colortbl ;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard\\f0\\fs20 ";
    while (rtf.size() < size)
        rtf += paragraphRtf();
    return QString::fromLatin1(rtf + "}");
}

testbase::Base *g_base = nullptr;
QString g_small, g_big;
// A note of 10 MB in one line, plain and rich.
const QString kLongKey = QStringLiteral("LONG.TXT");
qsizetype g_longSize = 0;

// Resident and peak resident memory of this process.
QString memoryLine()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("(no /proc)");
    QStringList out;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS") || line.startsWith("VmHWM"))
            out << QString::fromLatin1(line.simplified());
    return out.join(QStringLiteral(", "));
}

void closeCards()
{
    for (CardWindowLink *c : cardwindows::all())
        c->closeWithoutAsking();
    QCoreApplication::processEvents();
    // Without an event loop running, the windows closed go only here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void addNote(const QString &key, const QString &rtf)
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    fldNoteTexte.setValue(QStringLiteral("plain"));
    fldNoteTextRtf.setValue(rtf);
    rsNote.Update();
}

// n notes of 2 KB filed under one keyword.
void addSet(const QString &keyword, const QString &prefix, int n)
{
    for (int i = 0; i < n; ++i) {
        const QString key = prefix + QStringLiteral("%1.TXT").arg(i, 4, 10, QLatin1Char('0'));
        addNote(key, g_small);
        rsGrNote.AddNew();
        fldGrNoteGroupe.setValue(keyword);
        fldGrNoteNdx.setValue(key);
        rsGrNote.Update();
    }
}

QString setOf(qint64 n) { return n == 50 ? QStringLiteral("set") : QStringLiteral("set%1").arg(n); }

void setUpBase()
{
    g_base = new testbase::Base();
    g_small = cardRtf(2048);
    g_big = cardRtf(1 << 20);
    addSet(QStringLiteral("set"), QStringLiteral("SET_"), 50);
    addNote(QStringLiteral("BIG.TXT"), g_big);
    for (int n : {25, 100, 200})
        addSet(setOf(n), QStringLiteral("S%1_").arg(n), n);
    const QString line = QStringLiteral("un mot ").repeated((10 << 20) / 7);
    g_longSize = line.size();
    rsNote.AddNew();
    fldNoteCit.setValue(kLongKey);
    fldNoteAuteur.setValue(QStringLiteral("author"));
    fldNoteTexte.setValue(line);
    fldNoteTextRtf.setValue(QStringLiteral("{\\rtf1\\ansi ") + line + u'}');
    rsNote.Update();
    vb::setMemoryStatusSource([] {
        vb::MemoryStatus s;
        s.totalPhys = s.availPhys = s.totalVirtual = s.availVirtual = 1 << 30;
        return s;
    });
}

void BM_OpenSetOf50Notes(benchmark::State &state)
{
    for (auto _ : state) {
        cards::OpenCardsOfKeyword(CardType::Note, QStringLiteral("set"));
        state.PauseTiming();
        const auto opened = cardwindows::all().size();
        closeCards();
        if (opened != 50) {
            benchfail::skip(state, "the set did not open: " + std::to_string(opened) + " cards of 50");
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(50 * state.iterations());
}

// The program opens its cards inside the main window's area, where each
// card is painted as it opens. Under the offscreen platform a new top-level
// window is not yet exposed when it is asked to repaint, so the top-level
// benchmarks above hardly paint at all.
void BM_OpenSetInMainWindow(benchmark::State &state)
{
    auto *main = new vb::MdiForm();
    main->window()->resize(1400, 900);
    main->show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        cards::OpenCardsOfKeyword(CardType::Note, setOf(state.range(0)));
        state.PauseTiming();
        const auto opened = cardwindows::all().size();
        closeCards();
        if (qsizetype(opened) != state.range(0)) {
            benchfail::skip(state, "the set did not open: " + std::to_string(opened) + " cards of " +
                                       std::to_string(state.range(0)));
            break;
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.range(0) * state.iterations());
    main->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void BM_OpenOneNoteOf1MB(benchmark::State &state)
{
    for (auto _ : state) {
        rsNote.setIndex(QStringLiteral("NoteNDX"));
        rsNote.Seek(QStringLiteral("="), QStringLiteral("BIG.TXT"));
        SearchTextPos = 0;
        cards::ShowNoteCard();
        state.PauseTiming();
        closeCards();
        state.ResumeTiming();
    }
}

// The stamp a card's store compares, made by the opener from the values of
// the note it has just read (two texts of 10 MB): no second read.
void BM_NoteStamp_10MB(benchmark::State &state)
{
    benchfail::check(cards::seekCard(CardType::Note, kLongKey), "the long note is not in the base");
    const cards::CardRecord r = cards::readCurrentCard(CardType::Note);
    benchfail::check(r.plainText.size() == g_longSize, "the note read short");
    for (auto _ : state) {
        const cards::CardStamp stamp = cards::stampOf(CardType::Note, r);
        benchmark::DoNotOptimize(stamp);
    }
}

// Its floor: OpenSSL's SHA-256 over the same four texts, each after its
// length, in plain calls.
void BM_DirectDigest_10MB(benchmark::State &state)
{
    benchfail::check(cards::seekCard(CardType::Note, kLongKey), "the long note is not in the base");
    const cards::CardRecord r = cards::readCurrentCard(CardType::Note);
    benchfail::check(r.plainText.size() == g_longSize, "the note read short");
    const QString *texts[] = {&r.author, &r.title, &r.plainText, &r.richText};
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    benchfail::check(ctx, "no digest context");
    for (auto _ : state) {
        unsigned char md[EVP_MAX_MD_SIZE];
        unsigned int size = 0;
        EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr);
        for (const QString *t : texts) {
            const qint64 n = t->size();
            EVP_DigestUpdate(ctx, &n, sizeof n);
            EVP_DigestUpdate(ctx, t->utf16(), size_t(n) * 2);
        }
        EVP_DigestFinal_ex(ctx, md, &size);
        if (size != 32) {
            benchfail::skip(state, "the digest is not SHA-256's");
            break;
        }
        benchmark::DoNotOptimize(md);
    }
    EVP_MD_CTX_free(ctx);
}

// The rich text box filled with the card's markup ...
void BM_RichTextBox(benchmark::State &state, const QString *rtf)
{
    vb::RichTextBox box;
    for (auto _ : state)
        box.setTextRTF(*rtf);
}

// ... and a bare editor given the parsed document itself, the least a
// widget can do to show it.
void BM_BareQTextEditFragment(benchmark::State &state, const QString *rtf)
{
    QTextDocument doc;
    rtf::read(QStringView(*rtf), doc);
    const QTextDocumentFragment fragment(&doc);
    QTextEdit edit;
    for (auto _ : state) {
        edit.clear();
        QTextCursor(edit.document()).insertFragment(fragment);
    }
}

// The documents of n notes, parsed before the clock starts.
std::vector<QTextDocumentFragment> parsedNotes(int n)
{
    std::vector<QTextDocumentFragment> fragments;
    for (int i = 0; i < n; ++i) {
        QTextDocument doc;
        rtf::read(QStringView(g_small), doc);
        fragments.emplace_back(&doc);
    }
    return fragments;
}

// The floor of a set: fifty bare editors made, each filled with its note's
// document already parsed and shown at the size of a card's text box, and
// asked to repaint, as the cards are. The fastest plain code for fifty shown
// texts. (Neither side is really painted: see BM_OpenSetInMainWindow.)
void BM_FiftyBareEditors(benchmark::State &state)
{
    const std::vector<QTextDocumentFragment> fragments = parsedNotes(50);
    for (auto _ : state) {
        std::vector<std::unique_ptr<QTextEdit>> edits;
        for (const QTextDocumentFragment &f : fragments) {
            auto e = std::make_unique<QTextEdit>();
            e->resize(547, 180);
            QTextCursor(e->document()).insertFragment(f);
            e->show();
            e->repaint();
            edits.push_back(std::move(e));
        }
        state.PauseTiming();
        edits.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(50 * state.iterations());
}

// Its floor: as many bare editors, each in a window of such an area and
// painted as it opens.
void BM_BareEditorsInArea(benchmark::State &state)
{
    const std::vector<QTextDocumentFragment> fragments = parsedNotes(int(state.range(0)));
    QMainWindow main;
    auto *area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1400, 900);
    main.show();
    QCoreApplication::processEvents();
    for (auto _ : state) {
        for (const QTextDocumentFragment &f : fragments) {
            auto *e = new QTextEdit();
            e->resize(547, 180);
            QTextCursor(e->document()).insertFragment(f);
            QMdiSubWindow *w = area->addSubWindow(e);
            w->show();
            e->repaint();
        }
        state.PauseTiming();
        for (QMdiSubWindow *w : area->subWindowList())
            delete w;
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.range(0) * state.iterations());
}

// The same card written as plain Qt with none of the program's code: a
// window holding the card's own controls at their places, the tool row,
// the two frames and their buttons, the four boxes filled, a one-column
// table of the card's keyword and the text given its parsed document. What
// showing fifty cards costs in widgets alone, beside the bare editors.
void BM_FiftyPlainCards(benchmark::State &state)
{
    const std::vector<QTextDocumentFragment> fragments = parsedNotes(50);
    QPixmap pm(16, 16);
    pm.fill(Qt::gray);
    const QIcon icon(pm);
    const auto at = [](QWidget *w, int x, int y, int width, int height) {
        w->setGeometry(x / 15, y / 15, width / 15, height / 15);
    };
    for (auto _ : state) {
        std::vector<std::unique_ptr<QWidget>> cards;
        for (int i = 0; i < 50; ++i) {
            auto card = std::make_unique<QWidget>();
            card->resize(580, 417);
            card->setWindowTitle(QStringLiteral("Note %1").arg(i + 1));
            auto *tools = new QWidget(card.get());
            at(tools, 0, 0, 2400, 420);
            for (int b = 0; b < 4; ++b) {
                auto *t = new QToolButton(tools);
                t->setAutoRaise(true);
                t->setIcon(icon);
                t->setGeometry(2 + b * 23, 2, 23, 22);
            }
            auto *frame1 = new QGroupBox(card.get());
            at(frame1, 120, 450, 3420, 640);
            at(new QPushButton(QStringLiteral("Store"), frame1), 120, 180, 1000, 360);
            at(new QPushButton(QStringLiteral("Delete"), frame1), 1200, 180, 1000, 360);
            at(new QPushButton(QStringLiteral("New"), frame1), 2280, 180, 1000, 360);
            const std::pair<int, int> boxes[] = {{120, 1170}, {2100, 1170}, {120, 1545}, {120, 1920}};
            const QString texts[] = {QStringLiteral("SET_%1.TXT").arg(i, 4, 10, QLatin1Char('0')),
                                     QStringLiteral("09/12/2026"), QStringLiteral("plain author"),
                                     QStringLiteral("plain title")};
            for (int b = 0; b < 4; ++b) {
                auto *e = new QLineEdit(texts[b], card.get());
                at(e, boxes[b].first, boxes[b].second, b == 1 ? 1440 : b == 0 ? 1900 : 3420, 315);
            }
            auto *frame2 = new QGroupBox(QStringLiteral("Keywords"), card.get());
            at(frame2, 3660, 450, 4680, 1785);
            auto *grid = new QTableView(frame2);
            auto *model = new QStringListModel({QStringLiteral("set")}, grid);
            grid->setModel(model);
            grid->horizontalHeader()->hide();
            grid->verticalHeader()->hide();
            grid->setColumnWidth(0, 133);
            at(grid, 120, 300, 2340, 1365);
            at(new QPushButton(QStringLiteral("Add"), frame2), 2580, 300, 960, 360);
            at(new QPushButton(QStringLiteral("Supp"), frame2), 3600, 300, 960, 360);
            at(new QPushButton(QStringLiteral("Text Compare"), frame2), 2580, 720, 1980, 360);
            auto *text = new QTextEdit(card.get());
            at(text, 120, 2340, 8335, 2770);
            QTextCursor(text->document()).insertFragment(fragments[std::size_t(i)]);
            card->show();
            card->repaint();
            cards.push_back(std::move(card));
        }
        state.PauseTiming();
        cards.clear();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(50 * state.iterations());
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setUpBase();
    // The memory of the program with a set of 50 cards open, before any
    // benchmark has run.
    cards::OpenCardsOfKeyword(CardType::Note, QStringLiteral("set"));
    QCoreApplication::processEvents();
    fprintf(stderr, "With 50 cards open: %s\n", qPrintable(memoryLine()));
    closeCards();
    benchfail::registerGuarded("OpenSetOf50Notes_2KB", BM_OpenSetOf50Notes)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("FiftyBareEditors_2KB", BM_FiftyBareEditors)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("FiftyPlainCards_2KB", BM_FiftyPlainCards)->Unit(benchmark::kMillisecond);
    for (int n : {25, 50, 100, 200}) {
        benchfail::registerGuarded("OpenSetInMainWindow_2KB", BM_OpenSetInMainWindow)
            ->Arg(n)
            ->Unit(benchmark::kMillisecond);
        benchfail::registerGuarded("BareEditorsInArea_2KB", BM_BareEditorsInArea)
            ->Arg(n)
            ->Unit(benchmark::kMillisecond);
    }
    benchfail::registerGuarded("OpenOneNote_1MB", BM_OpenOneNoteOf1MB)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("NoteStamp_10MB", BM_NoteStamp_10MB)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("DirectDigest_10MB", BM_DirectDigest_10MB)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("RichTextBox_2KB", BM_RichTextBox, &g_small)->Unit(benchmark::kMicrosecond);
    benchfail::registerGuarded("BareQTextEditFragment_2KB", BM_BareQTextEditFragment, &g_small)
        ->Unit(benchmark::kMicrosecond);
    benchfail::registerGuarded("RichTextBox_1MB", BM_RichTextBox, &g_big)->Unit(benchmark::kMillisecond);
    benchfail::registerGuarded("BareQTextEditFragment_1MB", BM_BareQTextEditFragment, &g_big)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    closeCards();
    delete g_base;
    return 0;
}
