#pragma once
// frmSelecChemin: a folder chooser. It hides itself with the chosen folder
// in its Tag, or "" when cancelled.

#include "Form.h"

class QLabel;
class QPushButton;
namespace vb {
class DriveListBox;
class DirListBox;
class FileListBox;
}

// "&Lire" takes the open folder only when it is the selected entry and
// holds at least one matching file; otherwise it opens the selected entry.
bool LireTakesOpenFolder(int fileCount, const QString &selectedEntry, const QString &openFolder);

class frmSelecChemin : public vb::Form {
    Q_OBJECT
public:
    frmSelecChemin();

    vb::DriveListBox *Drive1 = nullptr;
    vb::DirListBox *Dir1 = nullptr;
    vb::FileListBox *lfiFichiers = nullptr;
    QLabel *zimIconTemp = nullptr;
    QPushButton *btcLire = nullptr;
    QPushButton *btcAnnuler = nullptr;

    void Drive1_Change();
    void Dir1_Change();
    void btcLire_Click();
    void btcAnnuler_Click();
};
