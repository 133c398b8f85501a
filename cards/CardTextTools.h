#pragma once
// The rich-text tools of the card toolbars: open and save Rich Text files,
// print, change the font of the selection. Cancel in a dialog changes
// nothing; a file that cannot be read or written says why.

class QString;

namespace vb {
class RichTextBox;
}

namespace cards {

inline constexpr const char *kRtfFilter = "Rich Text File (*.Rtf)|*.rtf|All Files (*.*)|*.*";

// Replaces the box's text with the chosen file; true when it did.
bool OpenRtfFile(vb::RichTextBox &box);
// Writes the box's whole text to the chosen file; true when it did.
bool SaveRtfFile(vb::RichTextBox &box);
// The printer dialog offers the selection when there is one; what the user
// chooses there (the selection or all) is what prints.
bool PrintCard(vb::RichTextBox &box);
// The selection's font through the font dialog; true when it was applied.
bool ChangeFont(vb::RichTextBox &box);

} // namespace cards
