#pragma once
// The quote card: one CIT record, the authors of its reference, its
// keywords, its text tools and the way to its reference card.

#include "CardWindow.h"

class QGroupBox;
class QLineEdit;
class QPushButton;

namespace vb {
class FlexGrid;
class RichTextBox;
class Toolbar;
} // namespace vb

class fCitMulti : public CardWindow {
    Q_OBJECT
public:
    fCitMulti();

    vb::Toolbar *Toolbar1 = nullptr;
    vb::FlexGrid *cgAutCit = nullptr;
    QLineEdit *cCitTitle = nullptr;
    QLineEdit *cCitNDX = nullptr;
    QLineEdit *cCitDate = nullptr;
    vb::RichTextBox *CitRTF = nullptr;
    QGroupBox *Frame1 = nullptr; // "Keywords"
    vb::FlexGrid *cgMCCit = nullptr;
    QPushButton *cmdAdd = nullptr;
    QPushButton *CmdSupp = nullptr;
    QPushButton *CmdTextComp = nullptr;
    QGroupBox *Frame2 = nullptr;
    QPushButton *CmdStore = nullptr;
    QPushButton *CmdDelete = nullptr;
    QPushButton *Command2 = nullptr; // New
    QPushButton *Command1 = nullptr; // Quote's Refs
    QLineEdit *FenNum = nullptr;
    QLineEdit *FormCount = nullptr;

    static constexpr double kWidth = 8430;
    static constexpr double kHeight = 5610;

    void setFormCount(int count);
    // "Quote's Refs": the reference card of this quote.
    void OpenReference();
    // "New": the way to a new quote, through the reference card.
    void NewQuote();

protected:
    cards::CardEdits edits() const override;
    void fillCard(const CardSlot &slot, int n) override;
    QString captionFirst(const CardSlot &slot) const override;
    double designWidth() const override { return kWidth; }
    double designHeight() const override { return kHeight; }
    void formResize() override;
};
