#pragma once
// frmAbout: title, version, the system-information button and the two web
// buttons.

#include "Form.h"

class QFrame;
class QLabel;
class QPushButton;

class frmAbout : public vb::Form {
    Q_OBJECT
public:
    frmAbout();

    QLabel *picIcon = nullptr;
    QLabel *lblTitle = nullptr;
    QLabel *lblVersion = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *lblWeb = nullptr, *lblRights = nullptr, *lblContact = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdSysInfo = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QFrame *Line1[2] = {nullptr, nullptr};

    void CmdOK_Click();
    void cmdSysInfo_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void formLoad() override;
};
