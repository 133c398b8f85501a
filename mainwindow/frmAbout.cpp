#include "frmAbout.h"

#include "About.h"
#include "App.h"
#include "Events.h"
#include "MainWindowRules.h"
#include "Shell.h"
#include "Twips.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

using vb::setGeometryTwips;

frmAbout::frmAbout()
{
    setObjectName(QStringLiteral("frmAbout"));
    setMdiChild(false);
    QWidget *c = client();
    auto label = [c](const QString &text, double l, double t, double w, double h) {
        auto *x = new QLabel(text, c);
        setGeometryTwips(x, l, t, w, h);
        return x;
    };
    auto button = [c](const QString &text, double l, double t, double w, double h) {
        auto *b = new QPushButton(text, c);
        setGeometryTwips(b, l, t, w, h);
        return b;
    };

    picIcon = label(QString(), 240, 240, 540, 540);
    picIcon->setPixmap(QApplication::style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(32, 32));
    lblTitle = label(QString(), 1050, 240, 3885, 480);
    QFont big = lblTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.5);
    big.setBold(true);
    lblTitle->setFont(big);
    lblVersion = label(QString(), 1050, 780, 3885, 225);
    Label3 = label(QStringLiteral("Information Management System"), 1050, 1125, 3885, 300);
    lblWeb = label(QStringLiteral("On the web:"), 1050, 1560, 1200, 255);
    Command2 = button(about::kHomeHost, 2250, 1500, 2685, 375);
    Command1 = button(QString(), 4995, 1500, 375, 375);
    Command1->setToolTip(about::kAboutPage);
    Line1[0] = new QFrame(c);
    Line1[0]->setFrameShape(QFrame::HLine);
    setGeometryTwips(Line1[0], 120, 2070, 5310, 30);
    Line1[1] = new QFrame(c);
    Line1[1]->setFrameShape(QFrame::HLine);
    setGeometryTwips(Line1[1], 120, 2085, 5310, 30);
    lblRights = label(QStringLiteral("© The Corvane Studio developers. All rights reserved."), 255, 2250,
                      3510, 450);
    lblRights->setWordWrap(true);
    lblContact = label(QStringLiteral("Contact: through the web site."), 255, 2760, 3510, 255);
    // Wide enough for "Infos système..." with the button's margins.
    cmdOK = button(QStringLiteral("OK"), 3885, 2250, 1620, 345);
    cmdSysInfo = button(QStringLiteral("&Infos système..."), 3885, 2700, 1620, 345);
    setDefaultButton(cmdOK);
    setWidth(5730);
    setHeight(3705);

    vb::connectEvent(cmdOK, &QPushButton::clicked, this, [this] { CmdOK_Click(); });
    vb::connectEvent(cmdSysInfo, &QPushButton::clicked, this, [this] { cmdSysInfo_Click(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });

    const std::pair<const char *, QObject *> named[] = {
        {"picIcon", picIcon}, {"lblTitle", lblTitle}, {"lblVersion", lblVersion}, {"Label3", Label3},
        {"cmdOK", cmdOK},     {"cmdSysInfo", cmdSysInfo}, {"Command1", Command1}, {"Command2", Command2},
    };
    for (const auto &[name, o] : named) {
        o->setObjectName(QString::fromLatin1(name));
        addControl(o->objectName(), o);
    }
}

void frmAbout::formLoad()
{
    const QString title = mainwindow::kProductName;
    setCaption(about::aboutCaption(title));
    lblVersion->setText(about::versionText(vb::App::major(), vb::App::minor(), vb::App::revision()));
    lblTitle->setText(title);
    placeOverMdiForm();
}

void frmAbout::CmdOK_Click() { unload(); }
void frmAbout::cmdSysInfo_Click() { about::StartSysInfo(); }
void frmAbout::Command1_Click() { vb::ShellExecute(about::kAboutPage); }
void frmAbout::Command2_Click() { vb::ShellExecute(about::kHomePage); }
