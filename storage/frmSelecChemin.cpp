#include "frmSelecChemin.h"

#include "Events.h"
#include "FileLists.h"
#include "Twips.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

bool LireTakesOpenFolder(int fileCount, const QString &selectedEntry, const QString &openFolder)
{
    return fileCount > 0 && selectedEntry == openFolder;
}

frmSelecChemin::frmSelecChemin()
{
    setObjectName(QStringLiteral("frmSelecChemin"));
    setCaption(QStringLiteral("Sélection du chemin"));
    QWidget *c = client();
    window()->resize(vb::pixelsX(5400), vb::pixelsY(4200));

    Drive1 = new vb::DriveListBox(c);
    Dir1 = new vb::DirListBox(c);
    lfiFichiers = new vb::FileListBox(c);
    lfiFichiers->setPattern(QStringLiteral("*.ico"));
    zimIconTemp = new QLabel(c);
    zimIconTemp->setFrameShape(QFrame::Box);
    btcLire = new QPushButton(QStringLiteral("&Lire"), c);
    btcAnnuler = new QPushButton(QStringLiteral("&Annuler"), c);
    vb::setGeometryTwips(Drive1, 120, 120, 2640, 315);
    vb::setGeometryTwips(Dir1, 120, 540, 2640, 2880);
    vb::setGeometryTwips(lfiFichiers, 2880, 120, 2400, 2400);
    vb::setGeometryTwips(zimIconTemp, 2880, 2640, 780, 780);
    vb::setGeometryTwips(btcLire, 1200, 3600, 1320, 420);
    vb::setGeometryTwips(btcAnnuler, 2880, 3600, 1320, 420);

    addControl(QStringLiteral("Drive1"), Drive1);
    addControl(QStringLiteral("Dir1"), Dir1);
    addControl(QStringLiteral("lfiFichiers"), lfiFichiers);
    addControl(QStringLiteral("zimIconTemp"), zimIconTemp);
    addControl(QStringLiteral("btcLire"), btcLire);
    addControl(QStringLiteral("btcAnnuler"), btcAnnuler);

    vb::connectEvent(Drive1, &vb::DriveListBox::change, this, [this] { Drive1_Change(); });
    vb::connectEvent(Dir1, &vb::DirListBox::change, this, [this] { Dir1_Change(); });
    vb::connectEvent(btcLire, &QPushButton::clicked, this, [this] { btcLire_Click(); });
    vb::connectEvent(btcAnnuler, &QPushButton::clicked, this, [this] { btcAnnuler_Click(); });

    Dir1->setPath(QDir::currentPath());
    lfiFichiers->setPath(Dir1->path());
}

void frmSelecChemin::Drive1_Change() { Dir1->setPath(Drive1->drive()); }

void frmSelecChemin::Dir1_Change() { lfiFichiers->setPath(Dir1->path()); }

void frmSelecChemin::btcLire_Click()
{
    const QString selected = Dir1->list(Dir1->listIndex());
    if (LireTakesOpenFolder(lfiFichiers->listCount(), selected, Dir1->path())) {
        setTag(Dir1->path());
        hide();
    } else {
        Dir1->setPath(selected);
    }
}

void frmSelecChemin::btcAnnuler_Click()
{
    setTag(QString());
    hide();
}
