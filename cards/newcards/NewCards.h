#pragma once
// New notes and references start from their authors, chosen in the
// chooser: the chooser is set up to list the note or reference authors,
// and its action creates the record with a key made from the first chosen
// author and opens its card (a reference through the type picker).

#include <QString>
#include <QStringList>
#include <optional>

namespace newcards {

// A note's key: the author padded with "_" to 4, its first 4 characters in
// capitals, n as four digits, ".TXT" (Martin, 1 -> MART0001.TXT).
QString NoteKey(const QString &author, int n);
// A reference's key: the author padded with "_" to 7, its first 7
// characters as typed, n as three digits (Li, 1 -> Li_____001).
QString ReferenceKey(const QString &author, int n);

// The first key from n = 1 not in the table (sought on its key index, so
// letter case aside); nullopt when every number of the key's digits is taken.
std::optional<QString> FreeNoteKey(const QString &author);
std::optional<QString> FreeReferenceKey(const QString &author);

// Longest author of AUTNDX and longest joined authors of BIBLIO.
inline constexpr int kMaxAuthorLength = 60;
inline constexpr int kMaxAuthorsLength = 200;

void ShowNoteAuthorSelection();
void ShowAuthorSelection();
// False when nothing was created (no author chosen, a refusal said why).
bool CreateNoteForAuthors(const QStringList &authors);
bool CreateReferenceForAuthors(const QStringList &authors);

} // namespace newcards

// Puts the procedures behind the program's window links.
void InstallNewCards();
