#include "WindowLinks.h"

#include "Dialogs.h"

WindowLinks &windowLinks()
{
    static WindowLinks links;
    return links;
}

namespace {

void notYet() { vb::MsgBox(QString::fromLatin1(kNotAvailableYet), vb::vbInformation); }

template <class F, class... Args> void call(const F &hook, Args &&...args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
    else
        notYet();
}

template <class F, class... Args> bool ask(const F &hook, Args &&...args)
{
    if (hook)
        return hook(std::forward<Args>(args)...);
    notYet();
    return false;
}

// Calls that only tidy up do nothing when no folder provides them.
template <class F, class... Args> void quietly(const F &hook, Args &&...args)
{
    if (hook)
        hook(std::forward<Args>(args)...);
}

} // namespace

void ShowNoteCard() { call(windowLinks().showNoteCard); }
void ShowQuoteCard() { call(windowLinks().showQuoteCard); }
void ShowReferenceCard() { call(windowLinks().showReferenceCard); }
void ShowAuthorSelection() { call(windowLinks().showAuthorSelection); }
void ShowNoteAuthorSelection() { call(windowLinks().showNoteAuthorSelection); }
bool CreateNoteForAuthors(const QStringList &authors) { return ask(windowLinks().createNoteForAuthors, authors); }
bool CreateReferenceForAuthors(const QStringList &authors)
{
    return ask(windowLinks().createReferenceForAuthors, authors);
}
void ShowTypePicker(const QString &referenceKey) { call(windowLinks().showTypePicker, referenceKey); }
void ShowDateList(const QList<QStringList> &rows) { call(windowLinks().showDateList, rows); }
void DropFromDateList(CardType type, const QString &key) { quietly(windowLinks().dropFromDateList, type, key); }

void ListNotesOfKeyword(QString &keyword) { call(windowLinks().listNotesOfKeyword, keyword); }
void ListCitsOfKeyword(QString &keyword) { call(windowLinks().listCitsOfKeyword, keyword); }
void ListRefsOfKeyword(QString &keyword) { call(windowLinks().listRefsOfKeyword, keyword); }
void ListNotesByDate() { call(windowLinks().listNotesByDate); }
void ListCitsByDate() { call(windowLinks().listCitsByDate); }
void ListRefsByDate() { call(windowLinks().listRefsByDate); }
void ShowChooser(const ChooserRequest &request) { call(windowLinks().showChooser, request); }
void UnloadChooser() { quietly(windowLinks().unloadChooser); }
void SetResultGridVisible(bool visible) { quietly(windowLinks().setResultGridVisible, visible); }
void UnloadResultGrid() { quietly(windowLinks().unloadResultGrid); }
void ShowResultGrid(const QString &kindTag) { call(windowLinks().showResultGrid, kindTag); }
void DropDeletedCard(CardType type, const QString &key) { quietly(windowLinks().dropDeletedCard, type, key); }
void ShowKeywordList() { call(windowLinks().showKeywordList); }
void ShowKeywordStructure() { call(windowLinks().showKeywordStructure); }

void ParseTextWords(const QString &text) { call(windowLinks().parseTextWords, text); }
void UnloadWordWindows() { quietly(windowLinks().unloadWordWindows); }
void SearchNotesByWord() { call(windowLinks().searchNotesByWord); }
void SearchQuotesByWord() { call(windowLinks().searchQuotesByWord); }
void TextSearchNotes() { call(windowLinks().textSearchNotes); }
void TextSearchQuotes() { call(windowLinks().textSearchQuotes); }
void IndexAllNotes() { call(windowLinks().indexAllNotes); }
void IndexAllQuotes() { call(windowLinks().indexAllQuotes); }
void AllKeywordsNotes() { call(windowLinks().allKeywordsNotes); }
void AllKeywordsQuotes() { call(windowLinks().allKeywordsQuotes); }

bool ImportBase() { return ask(windowLinks().importBase); }

void SetCardKindOption(CardType type) { quietly(windowLinks().setCardKindOption, type); }
void RefillKeywordList() { quietly(windowLinks().refillKeywordList); }
QString MainSearchBoxText() { return windowLinks().searchBoxText ? windowLinks().searchBoxText() : QString(); }
QString MainSelectedKeyword()
{
    return windowLinks().selectedKeyword ? windowLinks().selectedKeyword() : QString();
}
