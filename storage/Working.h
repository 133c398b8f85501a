#pragma once
// Working: the progress window of the long operations. Callers load and
// show it, write the step, the counts and the bar, call refresh() so that
// the values are painted during their work, and unload it at the end.

#include "Form.h"

class QGroupBox;
class QLabel;
class QLineEdit;
namespace vb {
class ProgressBar;
}

class Working : public vb::Form {
    Q_OBJECT
public:
    Working();

    QGroupBox *Frame1 = nullptr;
    QLabel *Label1 = nullptr;     // the current step
    QLineEdit *Text3 = nullptr;   // a first count
    QLineEdit *Text4 = nullptr;   // a second count
    vb::ProgressBar *ProgressBar1 = nullptr;

protected:
    void formLoad() override;
};
