#pragma once
// fAccueil: the welcome window, the chooser of the base to work on. Its
// first view offers a new or an existing base; after a refused password its
// second view offers to try again, open another base, create one or quit.

#include "Dao.h"
#include "Form.h"

#include <QString>

class QLabel;
class QPushButton;

class fAccueil : public vb::Form {
    Q_OBJECT
public:
    fAccueil();

    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QPushButton *Command1 = nullptr;     // "a new base"
    QPushButton *Command2 = nullptr;     // "an existing base"
    QPushButton *CommandAgain = nullptr; // "try to open the base again"
    QPushButton *CommandOther = nullptr; // "open another base"
    QPushButton *CommandNew = nullptr;   // "open a new base"
    QPushButton *CommandQuit = nullptr;  // "quit"

    // The roads of the buttons. Each ends, on success, with the base bound,
    // the main window shown and this window unloaded; on failure with a
    // message and this window shown.
    void PickBaseFile();
    void OpenSelectedBase(const QString &path);
    void AskPasswordAndOpenBase(const QString &path);
    void ShowInvalidPasswordChoices();
    void CreateNewBase();

    // The base whose password was refused, for "try to open the base again".
    QString candidatePath() const { return m_candidate; }
    bool invalidPasswordView() const { return m_invalidView; }

protected:
    void formLoad() override;

private:
    void showFirstView();
    void centre();
    // Hands an opened base over; false when it did not take.
    bool finish(const dao::Database &db, const QString &path, const QString &connect);
    void showFailure(const QString &description);

    QString m_candidate;
    bool m_invalidView = false;
};
