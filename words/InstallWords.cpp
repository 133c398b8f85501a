#include "InstallWords.h"

#include "WindowLinks.h"
#include "WordAnalysis.h"
#include "WordSearch.h"

void InstallWordWindows()
{
    WindowLinks &l = windowLinks();
    l.parseTextWords = words::CompareCardText;
    l.unloadWordWindows = words::UnloadWordWindows;
    l.searchNotesByWord = words::SearchNotesByWord;
    l.searchQuotesByWord = words::SearchQuotesByWord;
    l.textSearchNotes = words::TextSearchNotes;
    l.textSearchQuotes = words::TextSearchQuotes;
}
