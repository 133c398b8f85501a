#pragma once
// The texts the keyword browser shows: messages of the all-keywords pane and
// the link editor, and the tooltips with their keywords spliced in. Spacing
// and quotes are part of the texts.

#include "KeywordGraph.h"
#include "KeywordTexts.h"
#include "ShownText.h"

#include <QString>

namespace browser {

// The graph model the browser walks, and its bounds.
using keywords::KeywordGraph;
using keywords::KeywordList;
using keywords::kKeywordSize;
using keywords::kMaxListEntries;
using keywords::sameKeyword;

// Levels of one pane.
inline constexpr int kMaxLevel = 20;

namespace texts {

using keywords::texts::discardKeyword;
using keywords::texts::keywordExists;
using keywords::texts::keywordTooLong;
using keywords::texts::readOnly;

// All-keywords pane.
inline const QString fillInText =
    QStringLiteral(" Fill in the text zone above the List zone to add a Keyword");
inline const QString listCannotBeEmpty = QStringLiteral("The list cannot be empty sorry");
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
using keywords::texts::loopLink;
using keywords::texts::selfLink;

// A tip holds at most a prefix of a stored keyword: a tooltip lays out
// all of its text when it shows.
inline QString selectAsCentralTip(const QString &row)
{
    return QStringLiteral("  Selects  ' ") + vb::shownText(row) + QStringLiteral(" '  as central Set  ");
}
inline QString discardSubsetTip(const QString &row, const QString &central)
{
    return QStringLiteral(" Discards  ' ") + vb::shownText(row) + QStringLiteral(" ' from  ' ") + vb::shownText(central) +
           QStringLiteral(" ' Subsets  ");
}
inline QString discardSupersetTip(const QString &row, const QString &central)
{
    return QStringLiteral(" Discards  ' ") + vb::shownText(row) + QStringLiteral(" ' from  ' ") + vb::shownText(central) +
           QStringLiteral(" ' Supersets  ");
}
inline QString showLinksTip(const QString &selected)
{
    return QStringLiteral("  Show ") + vb::shownText(selected) + QStringLiteral(" Subsets and Supersets  ");
}
inline QString addToSupersetsTip(const QString &selected, const QString &central)
{
    return QStringLiteral("  Add ") + vb::shownText(selected) + QStringLiteral(" to ") + vb::shownText(central) +
           QStringLiteral(" Supersets  ");
}
inline QString addToSubsetsTip(const QString &selected, const QString &central)
{
    return QStringLiteral("   Add ") + vb::shownText(selected) + QStringLiteral(" to ") + vb::shownText(central) +
           QStringLiteral(" Subsets  ");
}

inline const QString centralSetGridTip =
    QStringLiteral("  Double-click on a Set makes it the central Set  ");

} // namespace texts
} // namespace browser
