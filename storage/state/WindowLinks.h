#pragma once
// The calls by which one folder's windows reach another's. Each folder fills
// the hooks it provides when the program starts (its Install* function);
// callers use the free functions below by their procedure names. The program
// links every folder and fills every hook (app/); a hook no folder filled,
// which only happens where a test links a few folders, shows "This command
// is not available yet", and a query or question answers empty or false.

#include "CardSets.h"
#include "Dao.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

class CardWindowLink;

// The chooser's ten action buttons, one per mode.
enum class ChooserMode {
    KWNoteSelect, // link keywords to a note card
    KWCitAdd,     // link keywords to a quote card
    KWBibAdd,     // link keywords to a reference card
    KWCitSel,     // quotes of a keyword
    KWBibSel,     // references of a keyword
    KWnoteSel,    // notes of a keyword
    AuthorSel,    // references of an author
    AuthorCit,    // quotes of an author's references
    cBibAutSel,   // a new reference for the chosen authors
    cNoteAutSel,  // a new note for the chosen authors
};

// How a caller configures the chooser: what it lists, its caption, its one
// action button, and for the keyword modes the card the action writes to.
struct ChooserRequest {
    ChooserMode mode = ChooserMode::KWnoteSel;
    QString caption;
    dao::Recordset source;
    dao::Field sourceField;
    // The action button is also the window's default button.
    bool defaultButton = true;
    // "Add" and "Supp" under the list (the author modes).
    bool listButtons = false;
    // The target card of the keyword modes.
    CardType targetType = CardType::Note;
    QString targetKey;
    int targetNumber = 0;
    // The counter of the target's record as its card read it: the chooser
    // writes only to that record, never to a newer card that took its key.
    qint64 targetCounter = -1;
};

struct WindowLinks {
    // --- card openers and creators (cards/)
    std::function<void()> showNoteCard, showQuoteCard, showReferenceCard;
    // Creates and loads a new reference card window, which takes its data
    // from ReferenceCards' hand-over at load (references/).
    std::function<CardWindowLink *()> createReferenceWindow;
    std::function<void()> showAuthorSelection, showNoteAuthorSelection;
    // The chooser's author modes hand over the chosen authors, in order.
    std::function<bool(const QStringList &authors)> createNoteForAuthors, createReferenceForAuthors;
    // The type picker for the reference just created (references/).
    std::function<void(const QString &referenceKey)> showTypePicker;
    // FListSel shows these rows, each (date text, card key), in place of
    // whatever it showed, and comes to the front (cards/).
    std::function<void(const QList<QStringList> &rows)> showDateList;
    // FListSel, where open, drops the row of a deleted card (cards/).
    std::function<void(CardType type, const QString &key)> dropFromDateList;

    // --- listings and the chooser (keywords/)
    std::function<void(QString &keyword)> listNotesOfKeyword, listCitsOfKeyword, listRefsOfKeyword;
    std::function<void()> listNotesByDate, listCitsByDate, listRefsByDate;
    std::function<void(const ChooserRequest &request)> showChooser;
    std::function<void()> unloadChooser;
    // Shows or hides the result window fGrid (loading it when needed);
    // unloads it.
    std::function<void(bool visible)> setResultGridVisible;
    std::function<void()> unloadResultGrid;
    // Unloads fGrid and loads it afresh from GridRows, GridKeys and
    // GridCaption with the card kind ("Note", "Cit", "Bib") as its Tag, then
    // shows it.
    std::function<void(const QString &kindTag)> showResultGrid;
    // fGrid and FListSel, where open, drop the rows of a deleted card.
    std::function<void(CardType type, const QString &key)> dropDeletedCard;
    std::function<void()> showKeywordList, showKeywordStructure;

    // --- word analysis and searches (words/)
    // Analyses a card's plain text; the caller sets CardKind,
    // AnalysedCardKind and AnalysedCardKey first.
    std::function<void(const QString &text)> parseTextWords;
    std::function<void()> unloadWordWindows;
    std::function<void()> searchNotesByWord, searchQuotesByWord;
    std::function<void()> textSearchNotes, textSearchQuotes;
    std::function<void()> indexAllNotes, indexAllQuotes;
    std::function<void()> allKeywordsNotes, allKeywordsQuotes;

    // --- base import (import/)
    // True when rows were added to the open base (the main window is then
    // loaded afresh); false when nothing changed.
    std::function<bool()> importBase;

    // --- the main window (mainwindow/)
    // Sets the card-kind option button without running its handler.
    std::function<void(CardType type)> setCardKindOption;
    // KWList filled again from the keyword table.
    std::function<void()> refillKeywordList;
    // Text of the text-search box; caption of KWSel.
    std::function<QString()> searchBoxText, selectedKeyword;
};

WindowLinks &windowLinks();

// The calls, by their procedure names.
void ShowNoteCard();
void ShowQuoteCard();
void ShowReferenceCard();
void ShowAuthorSelection();
void ShowNoteAuthorSelection();
bool CreateNoteForAuthors(const QStringList &authors);
bool CreateReferenceForAuthors(const QStringList &authors);
void ShowTypePicker(const QString &referenceKey);
void ShowDateList(const QList<QStringList> &rows);
void DropFromDateList(CardType type, const QString &key);

void ListNotesOfKeyword(QString &keyword);
void ListCitsOfKeyword(QString &keyword);
void ListRefsOfKeyword(QString &keyword);
void ListNotesByDate();
void ListCitsByDate();
void ListRefsByDate();
void ShowChooser(const ChooserRequest &request);
void UnloadChooser();
void SetResultGridVisible(bool visible);
void UnloadResultGrid();
void ShowResultGrid(const QString &kindTag);
void DropDeletedCard(CardType type, const QString &key);
void ShowKeywordList();
void ShowKeywordStructure();

void ParseTextWords(const QString &text);
void UnloadWordWindows();
void SearchNotesByWord();
void SearchQuotesByWord();
void TextSearchNotes();
void TextSearchQuotes();
void IndexAllNotes();
void IndexAllQuotes();
void AllKeywordsNotes();
void AllKeywordsQuotes();

bool ImportBase();

void SetCardKindOption(CardType type);
void RefillKeywordList();
QString MainSearchBoxText();
QString MainSelectedKeyword();

// The message of a hook no folder filled.
inline constexpr const char *kNotAvailableYet = "This command is not available yet";
