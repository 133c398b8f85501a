#include "WordAnalysis.h"

#include "CommonControls.h"
#include "Error.h"
#include "ProgramState.h"
#include "Screen.h"
#include "Start.h"
#include "TextFind.h"
#include "Working.h"
#include "fChoixMots.h"
#include "fWords.h"

#include <QCheckBox>

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

namespace words {

namespace {

// Writes the phases into Working; counts and bar are painted a few times a
// second at most, so a long text is not slowed by its own progress.
class WorkingProgress : public textfind::ProgressSink {
public:
    explicit WorkingProgress(Working &w) : m_w(w) { m_clock.start(); }

    void step(const QString &label) override
    {
        flush();
        m_w.Label1->setText(label);
        m_w.refresh();
    }
    void caption(const QString &text4) override { m_w.Text4->setText(text4); }
    void count(int text3) override
    {
        m_count = text3;
        maybeFlush();
    }
    void bar(int percent) override
    {
        m_bar = percent;
        maybeFlush();
    }
    void flush()
    {
        m_w.Text3->setText(QString::number(m_count));
        m_w.ProgressBar1->setValue(m_bar);
        m_clock.restart();
    }

private:
    void maybeFlush()
    {
        if (m_clock.elapsed() < 100)
            return;
        flush();
        m_w.refresh();
    }

    Working &m_w;
    QElapsedTimer m_clock;
    int m_count = 0;
    int m_bar = 0;
};

} // namespace

void ParseTextWords(const QString &text)
{
    vb::HourglassCursor wait;
    Working &working = vb::Forms::get<Working>();
    working.show();
    fChoixMots &choice = vb::Forms::get<fChoixMots>();
    const bool allWords = choice.allWords();
    textfind::ExcludedWords excluded;
    if (!allWords) {
        try {
            excluded = textfind::ExcludedWords::fromBase(g_Db);
        } catch (const vb::Error &) {
            // No list to read: nothing is excluded.
        }
    }
    textfind::WordList list;
    WorkingProgress progress(working);
    const bool found = textfind::analyseText(
        text, allWords ? textfind::ParseMode::AllWords : textfind::ParseMode::Filtered, excluded, list, &progress);
    TextWords = list.words;
    TextWordCounts = list.counts;
    if (!found) {
        vb::Forms::unload<Working>();
        return;
    }
    progress.step(QStringLiteral("Preparing Display..."));
    working.ProgressBar1->setValue(0);
    if (fWords *open = vb::Forms::find<fWords>())
        open->fillFromAnalysis();
    else
        vb::Forms::get<fWords>(); // its load fills and shows it
    vb::Forms::unload<Working>();
    if (fWords *w = vb::Forms::find<fWords>())
        w->setFocus();
}

void CompareCardText(const QString &text)
{
    // The quote card starts its analysis without the short words; what the
    // user ticks afterwards in the excluded-words window holds for its OK.
    if (AnalysedCardKind == QLatin1String("Cit")) {
        fChoixMots &choice = vb::Forms::get<fChoixMots>();
        choice.hide();
        choice.Check1->setChecked(false);
    }
    ParseTextWords(text);
}

void UnloadWordWindows()
{
    // fChoixMots stays: the note card's analysis keeps the user's choice.
    vb::Forms::unload<fWords>();
}

} // namespace words
