#pragma once
// The progress window of the word-index build: the key of the card being
// indexed, its rows and the words skipped so far.

#include "Form.h"

class QLabel;
class QLineEdit;

class frmMots : public vb::Form {
    Q_OBJECT
public:
    frmMots();
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;

    // Painted now, as the build goes (hides Form::refresh on purpose).
    void refresh();

protected:
    void formLoad() override;
};
