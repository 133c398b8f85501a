#pragma once
// The word window "Words in Text": the words of the last analysed text, the
// words that are keywords, and the keywords of the analysed card. It keeps
// the analysed card (kind and key) from the moment it is filled, so that
// what it writes goes to that card whatever card is active meanwhile.

#include "CardSets.h"
#include "Form.h"
#include "TextFind.h"
#include "WordBase.h"

#include <QString>

class QLabel;
class QPushButton;
namespace vb {
class FlexGrid;
class StatusBar;
} // namespace vb

class fWords : public vb::Form {
    Q_OBJECT
public:
    fWords();

    vb::FlexGrid *Grid1 = nullptr;
    vb::FlexGrid *Grid2 = nullptr;
    vb::FlexGrid *Grid3 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    QPushButton *Command4 = nullptr;
    QPushButton *Command5 = nullptr;
    QPushButton *Command6 = nullptr;
    vb::StatusBar *StatusBar1 = nullptr;

    // Takes the analysed card and the word list as they stand now and
    // fills the three grids (a new analysis refills an open window).
    void fillFromAnalysis();

    CardType analysedType() const { return m_type; }
    QString analysedKey() const { return m_key; }
    QString selectedWord() const { return m_selectedWord; }
    QString lastExcludedWord() const { return m_lastExcluded; }

    // The event procedures, public so that tests drive them.
    void Grid1_Click();
    void Command1_Click(); // Word Exclude
    void Command2_Click(); // Print List: the exclusion list applied again
    void Command3_Click(); // the selected word made a keyword
    void Command4_Click(); // the selected keyword attached to the card
    void Command5_Click(); // every keyword attached to the card
    void Command6_Click(); // Exclusion List Parameters

protected:
    void formLoad() override;
    void formUnload(int &cancel) override;

private:
    void fillWordGrid();
    void fillKeywordTermGrid();
    void fillCardKeywordGrid();
    void attach(const QList<words::KeywordTerm> &terms, bool withCount);

    CardType m_type = CardType::Note;
    QString m_key;
    textfind::WordList m_list;
    QList<words::KeywordTerm> m_terms;
    QString m_selectedWord;
    QString m_lastExcluded;
};
