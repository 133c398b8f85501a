#pragma once
// The texts of the keyword graph browsers and of the keyword list window.
// Spacing and punctuation are part of the texts.

#include "BrowserTexts.h"

#include <QString>

namespace keywords::texts {

inline const QString linksCaption = QStringLiteral("Top-Down Links");
inline const QString upLinksCaption = QStringLiteral("Down-Up Links");
inline const QString listCaption = QStringLiteral("KeyWords List");

inline const QString toCome = QStringLiteral("To come...");
inline const QString rootDrop =
    QStringLiteral("If you want to make this Keyword a Root, you shall delete all its UpLinks");

// The keyword list.
inline const QString noKeyword = QStringLiteral("No Keyword");
inline const QString newKeywordPrompt = QStringLiteral("Fill in the Keyword you want to add");
inline const QString newKeywordTitle = QStringLiteral("New Keyword");

using browser::texts::discardKeyword;
using browser::texts::keywordExists;
using browser::texts::keywordTooLong;
using browser::texts::loopLink;
using browser::texts::readOnly;
using browser::texts::selfLink;

} // namespace keywords::texts
