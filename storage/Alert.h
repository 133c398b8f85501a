#pragma once
// Alert: the low-memory window, placed over the main window.

#include "Form.h"

class QLabel;
class QLineEdit;

class Alert : public vb::Form {
    Q_OBJECT
public:
    Alert();

    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *Text1 = nullptr; // physical memory used, written by the caller
    QLabel *Label4 = nullptr;
    QLineEdit *Text2 = nullptr; // virtual memory used, written by the caller

protected:
    void formLoad() override;
};
