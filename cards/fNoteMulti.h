#pragma once
// The note card: one NOTE record, its keywords, its text tools.

#include "CardWindow.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace vb {
class FlexGrid;
class RichTextBox;
class Toolbar;
} // namespace vb

class fNoteMulti : public CardWindow {
    Q_OBJECT
public:
    fNoteMulti();

    vb::Toolbar *Toolbar1 = nullptr;
    QLineEdit *cNoteNDX = nullptr;
    QLineEdit *cNoteDate = nullptr;
    QLineEdit *cNoteAuthor = nullptr;
    QLineEdit *cNoteTitle = nullptr;
    vb::RichTextBox *NoteRTF = nullptr;
    QLineEdit *FenNum = nullptr;
    QGroupBox *Frame2 = nullptr; // "Keywords"
    vb::FlexGrid *cgMCNote = nullptr;
    QPushButton *KWAdd = nullptr;
    QPushButton *KWSupp = nullptr;
    QPushButton *Command7 = nullptr; // Text Compare
    QGroupBox *Frame1 = nullptr;
    QPushButton *CmdStore = nullptr;
    QPushButton *Command2 = nullptr; // Delete
    QPushButton *Command1 = nullptr; // New

    static constexpr double kWidth = 8695;
    static constexpr double kHeight = 6250;

protected:
    cards::CardEdits edits() const override;
    void fillCard(const CardSlot &slot, int n) override;
    QString captionFirst(const CardSlot &slot) const override { return slot.title; }
    double designWidth() const override { return kWidth; }
    double designHeight() const override { return kHeight; }
};
