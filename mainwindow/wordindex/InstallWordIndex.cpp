#include "InstallWordIndex.h"

#include "AfficheKW.h"
#include "CommonControls.h"
#include "ProgramState.h"
#include "Screen.h"
#include "WindowLinks.h"
#include "WordBase.h"
#include "WordIndexBuilder.h"
#include "Working.h"
#include "frmMots.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>

namespace wordindex {

namespace {

void indexAll(CardType type)
{
    CardKind = cardKindName(type);
    frmMots &progress = vb::Forms::get<frmMots>();
    progress.show();
    // Mapped and painted before the work, the menu that started it closed.
    progress.refresh();
    BuildResult result;
    {
        vb::HourglassCursor wait;
        WordIndexBuilder builder(type);
        QElapsedTimer clock;
        clock.start();
        builder.onCard = [&](const QString &key, int rows, int skipped) {
            // A few paints a second are enough to follow a long build.
            if (clock.elapsed() < 100)
                return;
            clock.restart();
            progress.Text1->setText(key);
            progress.Text2->setText(QString::number(rows));
            progress.Text3->setText(QString::number(skipped));
            progress.refresh();
        };
        result = builder.build();
    }
    // The window stays with the figures; the work is over.
    EndProgress(progress);
    progress.Text1->setText(result.lastKey);
    progress.Text2->setText(QString::number(result.rowsWritten));
    progress.Text3->setText(QString::number(result.wordsSkipped));
    if (result.failure)
        words::reportWriteFailure(*result.failure);
    words::ShowWordIndexWindow();
}

void allKeywords(CardType type)
{
    CardKind = cardKindName(type);
    Working &w = vb::Forms::get<Working>();
    w.show();
    w.Label1->setText(QStringLiteral("Words Aggregation..."));
    w.refresh();
    TotalsResult result;
    {
        vb::HourglassCursor wait;
        WordIndexBuilder builder(type);
        QElapsedTimer clock;
        clock.start();
        builder.onTotalsRow = [&](int read, int total) {
            if (clock.elapsed() < 100 && read != total)
                return;
            clock.restart();
            w.ProgressBar1->setValue(total > 0 ? qRound(double(read) / total * 100) : 0);
            w.Text3->setText(u' ' + QString::number(read));
            w.refresh();
        };
        result = builder.aggregate();
    }
    vb::Forms::unload<Working>();
    if (result.failure)
        words::reportWriteFailure(*result.failure);
    words::ShowWordTotalsWindow();
}

} // namespace

void IndexAllNotes() { indexAll(CardType::Note); }
void IndexAllQuotes() { indexAll(CardType::Quote); }
void AllKeywordsNotes() { allKeywords(CardType::Note); }
void AllKeywordsQuotes() { allKeywords(CardType::Quote); }

} // namespace wordindex

void InstallWordIndex()
{
    WindowLinks &l = windowLinks();
    l.indexAllNotes = wordindex::IndexAllNotes;
    l.indexAllQuotes = wordindex::IndexAllQuotes;
    l.allKeywordsNotes = wordindex::AllKeywordsNotes;
    l.allKeywordsQuotes = wordindex::AllKeywordsQuotes;
}
