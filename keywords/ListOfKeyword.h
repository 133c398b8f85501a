#pragma once
// The cards filed under one keyword, listed in the result window fGrid.
// For now the window opens with the caption and kind of the listing and no
// rows; reading the link tables comes with the keyword windows.

#include <QString>

namespace keywords {
void ListNotesOfKeyword(QString &keyword);
void ListCitsOfKeyword(QString &keyword);
void ListRefsOfKeyword(QString &keyword);
} // namespace keywords
