#pragma once
// The menu commands "&Index All" and "&All Keywords" (notes and quotes)
// behind the program's window links.
void InstallWordIndex();

namespace wordindex {
void IndexAllNotes();
void IndexAllQuotes();
void AllKeywordsNotes();
void AllKeywordsQuotes();
} // namespace wordindex
