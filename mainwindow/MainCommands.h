#pragma once
// The main window's searches and card commands without widgets: the
// card-kind options, the text search with its "Go" button and Enter key,
// the other search by author, keyword or date (RunOtherSearch), the menus
// "Search Word in Text", "&DataType", "&New" and the word-index items of
// "&Keywords", and "Close All". Each decides on the open base's record
// counts and the window's state (through MainCommandHost) and calls the
// other folders' windows through the window links.

#include "CardSets.h"

#include <QString>

namespace vb {
class Form;
}

namespace mainwindow {

// The order of the other search: the option set in FrameOther, if any.
enum class OtherOrder { None, Author, Keyword, Date };

// Every road into the word searches needs at least this many characters.
inline constexpr int kMinSearchLength = 3;

// What the commands read from the main window and ask of it.
class MainCommandHost {
public:
    virtual ~MainCommandHost();
    // The card-kind option that is set.
    virtual CardType checkedKind() const = 0;
    // Sets a card-kind option without running its handler.
    virtual void checkKind(CardType type) = 0;
    virtual OtherOrder otherOrder() const = 0;
    // The caption of KWSel: the selected keyword.
    virtual QString selectedKeyword() const = 0;
    virtual QString searchText() const = 0;
    // Position Down of the toggles SwitchSearch and SwitchOther.
    virtual bool searchModeDown() const = 0;
    virtual bool otherModeDown() const = 0;
    // The card windows in cascade.
    virtual void cascade() = 0;
    // The tab of all keywords brought to the front where the tabs show.
    virtual void showAllKeywordsTab() = 0;
};

class MainCommands {
public:
    explicit MainCommands(MainCommandHost &host) : m_host(host) {}

    // --- card-kind options
    void OptionNote_Click();
    void OptionCit_Click();
    void OptionRef_Click();

    // --- text search
    void CommandSearchText_Click();
    // keyCode 13 (Enter) searches; other keys do nothing.
    void TextSearch_KeyDown(int keyCode, int shift);
    void GridKWText_Click();  // in Notes > display Grid
    void GridKWText2_Click(); // in Quotes > display Grid
    void mNFindText_Click();  // in Notes > display Cards
    void mCitFindText_Click(); // in Quotes > display Cards

    // --- other search, run by its "Go" button and each order option
    void RunOtherSearch();

    // --- "&DataType" and "&New"
    void mBibOpenAuthor_Click();
    void mBibOpenKW_Click();
    void mBibNew2_Click();
    void mCitOpenAuthor_Click();
    void mCitOpenKW_Click();
    void mCitOpenDate_Click();
    void mCitNew2_Click();
    void mNotebyKeyword_Click();
    void mNotebyDate_Click();
    void mNoteNew_Click();
    void mBibNew_Click();
    void mCitNew_Click();
    void mNNew_Click();

    // --- "&Keywords" > "&Index All" and "&All Keywords"
    void mIndexAllNotes_Click();
    void mIndexAllQuotes_Click();
    void mnuAllKeywordsNotes_Click();
    void mnuAllKeywordsQuotes_Click();

private:
    void listSelectedKeyword(CardType type);
    // The chooser on the keyword list for the cards of a keyword; "No
    // Records" when there is no keyword or no link of the kind.
    void keywordChooser(CardType type);
    void authorChooser(bool quotes);
    // The word search behind "Go", Enter and "display Cards": false (after
    // saying why) when the term is too short or the table is empty.
    bool wordSearchAllowed(CardType type, const QString &term);
    // The word search of notes or quotes when allowed; false when refused.
    bool searchByWord(CardType type, const QString &term);
    // The text search grid of notes or quotes; says so when the table is empty.
    void textSearchGrid(CardType type);

    MainCommandHost &m_host;
};

// "Close All": every loaded window but keep, newest first, each changed
// card asking whether to store; stops at a window that refuses to close.
// False when one refused.
bool CloseAllWindowsBut(vb::Form *keep);

// Texts of the commands.
inline const QString kTooShort = QStringLiteral("You cannot search less than 3 characters");
inline const QString kNoTextInReferences = QStringLiteral("There is no text to search in References");
inline const QString kNoRecordsText = QStringLiteral("no Records");
inline const QString kNoRecords = QStringLiteral("No Records");
inline const QString kQuoteFromReference =
    QStringLiteral("Please select or create a Reference, then run the Add Quote button from it");

} // namespace mainwindow
