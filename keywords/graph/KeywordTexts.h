#pragma once
// Bounds of a keyword and of one list of the graph, and the texts shown
// alike by the main window's browser and the keyword windows when they add
// or discard keywords and links. Spacing is part of the texts.

#include <QString>

namespace keywords {

// Entries of one list of the graph, and the size of a keyword in the base.
inline constexpr int kMaxListEntries = 101;
inline constexpr int kKeywordSize = 30;

namespace texts {

inline const QString readOnly = QStringLiteral("Fichier en lecture seule !");
inline const QString keywordExists = QStringLiteral(" This Keywords exists ");
inline const QString discardKeyword = QStringLiteral("discard this Keyword ?");
inline const QString keywordTooLong = QStringLiteral(" A Keyword has 30 characters at most ");

// Links refused because they would take keywords out of every root column.
inline const QString selfLink = QStringLiteral("A Keyword cannot be linked under itself");
inline QString loopLink(const QString &dropped, const QString &upper)
{
    return dropped + QStringLiteral(" is already above ") + upper +
           QStringLiteral(": this link would make a loop");
}

} // namespace texts
} // namespace keywords
