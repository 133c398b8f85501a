#pragma once
// Working: the progress window of the long operations. Callers load and
// show it, write the step, the counts and the bar, call refresh() so that
// the values are painted during their work, and unload it at the end.

#include "Form.h"
#include "Memory.h"

#include <QString>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
namespace vb {
class ProgressBar;
}

// Paints a progress window now and, at most a few times a second, lets the
// window system catch up: the window mapped and exposed, a menu that started
// the work closed over the main window. No input reaches any window
// meanwhile (it is dropped), so the user starts nothing else while the work
// runs; with acceptInput, the window's own controls take theirs.
void PaintProgress(vb::Form &window, bool acceptInput = false);

// The end of the work that PaintProgress followed in this window. Input
// that came in since the last pump is handled as during the work: dropped,
// or taken by the window's own controls with acceptInput. Left queued, a
// click meant for the work would act on the window beneath once the work is
// over. Call it before anything that runs events (a message box, the unload
// of the window).
void EndProgress(vb::Form &window, bool acceptInput = false);

class Working : public vb::Form {
    Q_OBJECT
public:
    Working();

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;     // the current step
    QLineEdit *Text3 = nullptr;   // a first count
    QLineEdit *Text4 = nullptr;   // a second count
    vb::ProgressBar *ProgressBar1 = nullptr;
    QPushButton *cmdStop = nullptr; // shown only for work that may stop

    // Painted now, as the work goes (hides Form::refresh on purpose).
    void refresh();

    // Shows the Stop button (Escape does the same) below the frame.
    void offerStop();
    bool stopRequested() const { return m_stop; }

protected:
    void formLoad() override;
    // The work that showed the window is over: EndProgress.
    void formUnload(int &cancel) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool m_stop = false;
    bool m_stopOffered = false;
};

// Opening a set of cards, shown in Working with its Stop button when the
// set is larger than kCardsWithoutProgress: "Opening cards...", the cards
// opened and the cards of the set, the bar. Unloads Working when it ends.
inline constexpr int kCardsWithoutProgress = kSmallCardSet;
class CardSetProgress {
public:
    explicit CardSetProgress(qsizetype total);
    ~CardSetProgress();
    CardSetProgress(const CardSetProgress &) = delete;
    CardSetProgress &operator=(const CardSetProgress &) = delete;

    // After each card; false once the user asked to stop.
    bool opened(qsizetype done);

private:
    qsizetype m_total;
    Working *m_window = nullptr;
};
