#pragma once
// fChoix1: opens the sample base for editing or locked, then shows the main
// window on it.

#include "Form.h"

class QLabel;
class QPushButton;

class fChoix1 : public vb::Form {
    Q_OBJECT
public:
    fChoix1();

    QLabel *Label1 = nullptr;
    QPushButton *Command1 = nullptr; // "Edit mode"
    QPushButton *Command2 = nullptr; // "Locked mode"

    void Command1_Click();
    void Command2_Click();

protected:
    void formLoad() override;

private:
    void opened(bool ok);
};
