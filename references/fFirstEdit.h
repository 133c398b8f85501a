#pragma once
// fFirstEdit: the first edition of a referenced book. One window serves
// every card; it is bound to the reference of the card that asked for it,
// and stores there whichever card is active meanwhile. It goes when its
// reference is deleted, and never stores into a newer reference that took
// the same key.

#include "Form.h"
#include "ReferenceRecords.h"

#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

class fFirstEdit : public vb::Form {
    Q_OBJECT
public:
    fFirstEdit();

    // Shows the dialog for a reference, over the given place (twips in the
    // main window's area). Asked again for the same reference it comes
    // forward as it is; for another one it is filled again for that one,
    // after asking whether to store what was typed for the first one.
    static void showFor(const QString &referenceKey, double left, double top);
    // A reference was deleted: its dialog closes.
    static void referenceDeleted(const QString &referenceKey);

    QString referenceKey() const { return m_key; }

    QLabel *Label1 = nullptr;
    QPlainTextEdit *tTitreOrig = nullptr;
    QComboBox *Combo1 = nullptr;
    QLineEdit *tLieuOrig = nullptr;
    QLineEdit *tDateOrig = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;

    void Combo1_Click();
    // Store; true when written.
    bool Command1_Click();
    void Command2_Click();

protected:
    void formLoad() override;

private:
    enum class Stored { Yes, Kept, Gone };
    // Kept: refused or failed, said why; the boxes stay as typed.
    Stored store();
    void fillFor(const QString &referenceKey);
    void markTyped();

    QString m_key;
    std::optional<qint64> m_identity;
    // What the boxes were filled from.
    references::ReadStamp m_read;
    bool m_typed = false;
    bool m_filling = false;
};
