#pragma once
// The excluded-words window "Words choice": the list of excluded words
// (table Words), kept word by word, and the option of the analysis
// "Include All Words (even <2)". Its OK analyses the word window's card again.

#include "CardSets.h"
#include "Form.h"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

class fChoixMots : public vb::Form {
    Q_OBJECT
public:
    fChoixMots();

    QLabel *Label2 = nullptr;
    QCheckBox *Check1 = nullptr;
    QLabel *Label1 = nullptr;
    QListWidget *List1 = nullptr;
    QPushButton *Command2 = nullptr; // Add
    QPushButton *Command3 = nullptr; // Supp
    QPushButton *Command1 = nullptr; // OK

    // The card whose text OK analyses again.
    void setAnalysedCard(CardType type, const QString &key);
    bool allWords() const;

    void FillExcludedList();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();

protected:
    void formLoad() override;

private:
    void selectionChanged();

    CardType m_type = CardType::Note;
    QString m_key;
    bool m_hasCard = false;
};
