#pragma once
// The texts the keyword browser shows: messages of the all-keywords pane and
// the link editor, and the tooltips with their keywords spliced in. Spacing
// and quotes are part of the texts.

#include <QString>

namespace browser {

// Bounds of the browser: entries of one list, levels of one pane, and the
// size of a keyword in the base.
inline constexpr int kMaxListEntries = 101;
inline constexpr int kMaxLevel = 20;
inline constexpr int kKeywordSize = 30;

namespace texts {

inline const QString readOnly = QStringLiteral("Fichier en lecture seule !");

// All-keywords pane.
inline const QString fillInText =
    QStringLiteral(" Fill in the text zone above the List zone to add a Keyword");
inline const QString keywordExists = QStringLiteral(" This Keywords exists ");
inline const QString discardKeyword = QStringLiteral("discard this Keyword ?");
inline const QString listCannotBeEmpty = QStringLiteral("The list cannot be empty sorry");
inline const QString keywordTooLong = QStringLiteral(" A Keyword has 30 characters at most ");
inline const QString keywordGone = QStringLiteral(" This Keyword is no longer in the base ");

inline QString confirmAdd(const QString &keyword)
{
    return QStringLiteral(" Do you want to add ") + keyword + QStringLiteral(" as a new Keyword? ");
}
inline QString addKeywordTip(const QString &text)
{
    return QStringLiteral("  Add  ' ") + text + QStringLiteral(" '  to Keywords list  ");
}

// Link editor.
inline const QString linkNeedsKeywords = QStringLiteral(" Choose a central Set and a Keyword first ");
inline const QString linkExists = QStringLiteral(" This link exists ");
inline const QString linkGone = QStringLiteral(" This link does not exist ");
// Refused by the link editor and the column browsers alike.
inline const QString selfLink = QStringLiteral("A Keyword cannot be linked under itself");
inline QString loopLink(const QString &lower, const QString &upper)
{
    return lower + QStringLiteral(" is already above ") + upper +
           QStringLiteral(": this link would make a loop");
}

inline QString selectAsCentralTip(const QString &row)
{
    return QStringLiteral("  Selects  ' ") + row + QStringLiteral(" '  as central Set  ");
}
inline QString discardSubsetTip(const QString &row, const QString &central)
{
    return QStringLiteral(" Discards  ' ") + row + QStringLiteral(" ' from  ' ") + central +
           QStringLiteral(" ' Subsets  ");
}
inline QString discardSupersetTip(const QString &row, const QString &central)
{
    return QStringLiteral(" Discards  ' ") + row + QStringLiteral(" ' from  ' ") + central +
           QStringLiteral(" ' Supersets  ");
}
inline QString showLinksTip(const QString &selected)
{
    return QStringLiteral("  Show ") + selected + QStringLiteral(" Subsets and Supersets  ");
}
inline QString addToSupersetsTip(const QString &selected, const QString &central)
{
    return QStringLiteral("  Add ") + selected + QStringLiteral(" to ") + central +
           QStringLiteral(" Supersets  ");
}
inline QString addToSubsetsTip(const QString &selected, const QString &central)
{
    return QStringLiteral("   Add ") + selected + QStringLiteral(" to ") + central +
           QStringLiteral(" Subsets  ");
}

inline const QString centralSetGridTip =
    QStringLiteral("  Double-click on a Set makes it the central Set  ");

} // namespace texts
} // namespace browser
