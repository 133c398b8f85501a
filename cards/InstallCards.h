#pragma once
// Fills the card openers of the window links (ShowNoteCard, ShowQuoteCard,
// ShowReferenceCard) with the card windows of this folder.
void InstallCardWindows();
