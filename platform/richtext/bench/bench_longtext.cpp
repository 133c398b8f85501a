// Opening a note card whose text is long, as a double-click opens it: the
// record sought in a real base, the card opener, the card window in the
// main window's area. Timed from the open to the program idle: no event
// waiting, nothing left that the layout does on its own (the loop blocks
// for 100 ms with nothing to do; the caret's blinking is not work). Beside
// it, the largest gap between two turns of the event loop after the window
// shows: the longest a key press or a menu click would wait. Then five keys
// typed in the middle of the text and the view taken to its end by the
// scroll bar, each with the longest gap they caused.
//
// Shapes, at 1 M and 10 M characters: one word, one line of words, ordinary
// prose (paragraphs of 200 to 8,000 characters), short paragraphs ("Short."
// each), and one letter carrying a run of combining marks. Cards hold their
// text as RTF; the run of marks is stored as plain text, as a base from
// elsewhere may hold it (as RTF every mark would take seven characters).
// 10 M runs when BENCH_LONGTEXT_10M is set (each open then takes seconds).
//
// The floor: the same text laid out the same way by the plainest fast code,
// the least any program must do to show that card's text: a bare widget of
// the card's text area, given the text (no base, no RTF), that lays out
// with QTextLayout the same font, width and wrap mode from the text's start
// until its area is full, and paints those lines. Qt's greedy line breaking
// from the start of the text gives the lines the box shows there, so the
// screen is the same; what lies below is not laid out by either. (A run of
// marks on one letter has no place to end a line: both cut it after 1,024
// characters.) Both sides run in turn in every iteration, box then floor.
#include "BenchFailure.h"
#include "CardOpeners.h"
#include "CardWindow.h"
#include "CardWindows.h"
#include "Form.h"
#include "MemoryStatus.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "TestBase.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QKeyEvent>
#include <QScrollBar>
#include <QMainWindow>
#include <QPainter>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextLayout>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>

namespace {

enum Shape { OneWord, OneLine, Prose, ShortParagraphs, Marks };
const char *const kShapeNames[] = {"one word", "one line", "prose", "short paragraphs", "combining marks"};
const char *const kShapeKeys[] = {"WORD", "LINE", "PROSE", "SHORT", "MARKS"};

QString make(Shape shape, int size)
{
    static const char *const words[] = {"the", "card", "of", "a", "long", "paragraph", "shows", "as", "one",
                                        "whatever", "its", "length", "and", "script", "notes", "quoted"};
    QString t;
    t.reserve(size + 16);
    switch (shape) {
    case OneWord:
        while (t.size() < size)
            t += QChar(char16_t(u'a' + t.size() % 26));
        break;
    case OneLine:
        for (int i = 0; t.size() < size; ++i) {
            t += QLatin1String(words[(i * 7 + i / 5) % 16]);
            t += u' ';
        }
        break;
    case Prose:
        for (int i = 0, para = 0; t.size() < size; ++i) {
            t += QLatin1String(words[(i * 7 + i / 5) % 16]);
            t += i % 13 == 12 ? QStringLiteral(". ") : QStringLiteral(" ");
            // Paragraphs from 200 to 8,000 characters, some longer than the
            // pieces a paragraph is held in.
            if (t.size() - para > 200 + (i * 7919) % 7800) {
                t.back() = u'\n';
                para = int(t.size());
            }
        }
        break;
    case ShortParagraphs:
        while (t.size() < size)
            t += QStringLiteral("Short.\n");
        break;
    case Marks:
        t += u'a';
        while (t.size() < size)
            t += QChar(0x0301);
        break;
    }
    t.truncate(size);
    return t;
}

QString toRtf(const QString &text)
{
    QString rtf = QStringLiteral("{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss Arial;}}\\pard\\f0\\fs20 ");
    rtf.reserve(text.size() + text.size() / 8 + 64);
    for (const QChar c : text) {
        if (c == u'\n')
            rtf += QStringLiteral("\\par\r\n");
        else if (c == u'\\' || c == u'{' || c == u'}')
            rtf += u'\\', rtf += c;
        else if (c.unicode() > 0x7F)
            rtf += QStringLiteral("\\u%1?").arg(qint16(c.unicode()));
        else
            rtf += c;
    }
    return rtf + u'}';
}

// Times every event the application delivers: the longest is the longest
// the loop went without a turn.
class TimedApp : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject *receiver, QEvent *event) override
    {
        if (m_depth++ > 0 || !m_timing) {
            const bool r = QApplication::notify(receiver, event);
            --m_depth;
            return r;
        }
        QElapsedTimer t;
        t.start();
        const bool r = QApplication::notify(receiver, event);
        --m_depth;
        m_longest = std::max(m_longest, t.nsecsElapsed());
        return r;
    }
    void startTiming()
    {
        m_longest = 0;
        m_timing = true;
    }
    double longestMs()
    {
        m_timing = false;
        return m_longest / 1e6;
    }

private:
    int m_depth = 0;
    bool m_timing = false;
    qint64 m_longest = 0;
};

TimedApp *app() { return static_cast<TimedApp *>(qApp); }

// Runs the loop until it has waited 100 ms with nothing to do; returns when
// it last began to wait (ms since `clock` started), or -1 after a minute.
double runUntilIdle(const QElapsedTimer &clock)
{
    auto *dispatcher = QAbstractEventDispatcher::instance();
    double blockedAt = clock.nsecsElapsed() / 1e6;
    bool blocked = false;
    QEventLoop loop;
    QTimer quiet;
    quiet.setSingleShot(true);
    QObject::connect(&quiet, &QTimer::timeout, &loop, [&] {
        if (blocked)
            loop.quit();
        else
            quiet.start(100);
    });
    const auto a = QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, &loop, [&] {
        blocked = true;
        blockedAt = clock.nsecsElapsed() / 1e6;
        quiet.start(100);
    });
    const auto b = QObject::connect(dispatcher, &QAbstractEventDispatcher::awake, &loop, [&] { blocked = false; });
    QTimer limit;
    bool late = false;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, [&] {
        late = true;
        loop.quit();
    });
    limit.start(60000);
    quiet.start(100);
    loop.exec();
    QObject::disconnect(a);
    QObject::disconnect(b);
    return late ? -1 : blockedAt;
}

testbase::Base *g_base = nullptr;
vb::MdiForm *g_main = nullptr;
QSize g_textArea;

void closeCards()
{
    for (CardWindowLink *c : cardwindows::all())
        c->closeWithoutAsking();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QString noteKey(Shape shape, int size)
{
    return QStringLiteral("%1_%2M.TXT").arg(QLatin1String(kShapeKeys[shape])).arg(size / 1000000);
}

void addNote(Shape shape, int size, const QString &text)
{
    rsNote.AddNew();
    fldNoteCit.setValue(noteKey(shape, size));
    fldNoteTexte.setValue(text);
    if (shape != Marks)
        fldNoteTextRtf.setValue(toRtf(text));
    rsNote.Update();
}

// The floor's widget: the text's first lines, laid out as the box lays them
// out, painted.
class Floor : public QWidget {
public:
    Floor(const QString &text, const QFont &font, QWidget *parent) : QWidget(parent), m_text(text), m_font(font)
    {
        setAutoFillBackground(true);
        setPalette(QPalette(Qt::white));
    }
    int painted = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const qreal margin = 4;
        const qreal width = this->width() - 2 * margin;
        qreal y = margin;
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        // Paragraph by paragraph; a long one only as far as the area shows.
        for (qsizetype from = 0; from < m_text.size() && y < height();) {
            qsizetype end = m_text.indexOf(u'\n', from);
            if (end < 0)
                end = m_text.size();
            // Windows as the box takes them: a line of a mostly-marks text
            // is cut after 1,024 characters, as nothing else would end it.
            const QStringView head = QStringView(m_text).mid(from, std::min<qsizetype>(end - from, 1024));
            const auto marks = std::count_if(head.begin(), head.end(), [](QChar c) { return c.isMark(); });
            const qsizetype take = std::min<qsizetype>(end - from, marks * 2 > head.size() ? 1024 : 4096);
            QTextLayout layout(m_text.mid(from, take), m_font);
            layout.setTextOption(option);
            layout.beginLayout();
            for (;;) {
                QTextLine line = layout.createLine();
                if (!line.isValid())
                    break;
                line.setLeadingIncluded(true);
                line.setLineWidth(width);
                line.setPosition(QPointF(margin, y));
                y += line.height();
                ++painted;
                if (y >= height())
                    break;
            }
            layout.endLayout();
            layout.draw(&p, QPointF());
            from = end + 1;
        }
    }

private:
    QString m_text;
    QFont m_font;
};

void BM_OpenLongCard(benchmark::State &state, Shape shape, int size)
{
    state.SetLabel(kShapeNames[shape]);
    benchfail::guard(state, [&] {
        const QString text = make(shape, size);
        addNote(shape, size, text);
        double floorMs = 0, floorGap = 0, boxGap = 0, typeGap = 0, endGap = 0;
        for (auto _ : state) {
            // The box: the record sought, the card opened as a double-click
            // opens it.
            QElapsedTimer clock;
            clock.start();
            rsNote.setIndex(QStringLiteral("NoteNDX"));
            rsNote.Seek(QStringLiteral("="), noteKey(shape, size));
            benchfail::check(!rsNote.NoMatch(), "the note is not in the base");
            SearchTextPos = 0;
            cards::ShowNoteCard();
            app()->startTiming();
            const double idle = runUntilIdle(clock);
            boxGap = std::max(boxGap, app()->longestMs());
            benchfail::check(idle >= 0, "the card window never went idle");
            const auto open = cardwindows::all();
            benchfail::check(open.size() == 1, "the card did not open");
            auto *card = dynamic_cast<CardWindow *>(open.front());
            benchfail::check(card && card->textBox()->isVisible(), "the card's text is not shown");
            vb::RichTextBox *box = card->textBox();
            benchfail::check(box->Text().size() == text.size(), "the card shows another text");
            g_textArea = box->editor()->viewport()->size();
            const QFont font = box->document()->defaultFont();
            state.SetIterationTime(idle / 1000);

            // Typing in the middle of the text, then the view taken to its
            // end by the scroll bar: the longest a key or the bar waits.
            box->setSelStart(int(text.size() / 2));
            runUntilIdle(clock);
            app()->startTiming();
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::postEvent(box->editor(),
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
                QCoreApplication::postEvent(box->editor(),
                                            new QKeyEvent(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x")));
                benchfail::check(runUntilIdle(clock) >= 0, "typing never went idle");
            }
            typeGap = std::max(typeGap, app()->longestMs());
            benchfail::check(box->Text().size() == text.size() + 5, "the keys typed did not arrive");
            app()->startTiming();
            QScrollBar *bar = box->editor()->verticalScrollBar();
            QMetaObject::invokeMethod(bar, [bar] { bar->setValue(bar->maximum()); }, Qt::QueuedConnection);
            benchfail::check(runUntilIdle(clock) >= 0, "the view at the end never went idle");
            endGap = std::max(endGap, app()->longestMs());
            closeCards(); // its text changed: closed without the question

            // The floor, in the same area.
            QElapsedTimer floorClock;
            floorClock.start();
            auto *floor = new Floor(text, font, g_main->window());
            floor->setGeometry(QRect(QPoint(10, 10), g_textArea));
            floor->show();
            app()->startTiming();
            const double floorIdle = runUntilIdle(floorClock);
            floorGap = std::max(floorGap, app()->longestMs());
            benchfail::check(floorIdle >= 0 && floor->painted > 0, "the floor painted nothing");
            floorMs += floorIdle;
            delete floor;
            QCoreApplication::processEvents();
        }
        state.counters["gap_ms"] = boxGap;
        state.counters["type_gap_ms"] = typeGap;
        state.counters["end_gap_ms"] = endGap;
        state.counters["floor_ms"] = floorMs / double(state.iterations());
        state.counters["floor_gap_ms"] = floorGap;
        // The base keeps only the notes of the benchmark running.
        rsNote.setIndex(QStringLiteral("NoteNDX"));
        rsNote.Seek(QStringLiteral("="), noteKey(shape, size));
        if (!rsNote.NoMatch())
            rsNote.Delete();
    });
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TimedApp application(argc, argv);
    g_base = new testbase::Base();
    vb::setMemoryStatusSource([] {
        vb::MemoryStatus s;
        s.totalPhys = s.availPhys = s.totalVirtual = s.availVirtual = qint64(8) << 30;
        return s;
    });
    g_main = new vb::MdiForm();
    g_main->window()->resize(1200, 800);
    g_main->show();
    QCoreApplication::processEvents();

    std::vector<int> sizes{1000000};
    if (!qEnvironmentVariableIsEmpty("BENCH_LONGTEXT_10M"))
        sizes.push_back(10000000);
    for (int size : sizes) {
        for (int shape = OneWord; shape <= Marks; ++shape) {
            const std::string name = std::string("OpenLongCard/") + kShapeKeys[shape] + "/" + std::to_string(size / 1000000) + "M";
            benchmark::RegisterBenchmark(name.c_str(), BM_OpenLongCard, Shape(shape), size)
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(3);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    closeCards();
    g_main->unload();
    delete g_base;
    return 0;
}
