#pragma once
// The frame the note card and the quote card share: the window owns what
// its opener handed over (key, slot number, title, authors, keywords) and
// every command seeks its own record by its key before it acts.

#include "CardRecords.h"
#include "CardSets.h"
#include "CardWindows.h"
#include "Form.h"

#include <QPointer>
#include <QStringList>

class QLineEdit;

namespace vb {
class FlexGrid;
class RichTextBox;
class Toolbar;
} // namespace vb

class CardWindow : public vb::Form, public CardWindowLink {
    Q_OBJECT
public:
    ~CardWindow() override;

    // CardWindowLink
    CardType cardType() const override { return m_type; }
    QString cardKey() const override { return tag(); }
    vb::Form *cardForm() override { return this; }
    void setCardNumber(int number) override;
    int cardNumber() const override;
    void reloadKeywords() override;
    void reloadCaption() override;
    QString cardPlainText() const override;
    void closeWithoutAsking() override;

    bool isChanged() const { return m_changed; }
    QStringList keywords() const { return m_keywords; }
    // Selects the hit of a search term (nothing below position 1), clamped
    // to the text.
    void selectHit(int hit, const QString &term);

    // The commands, as their buttons run them.
    // Store: true when the record now holds the card's edits.
    bool Store();
    void Delete();
    void AddKeywords();
    void RemoveKeyword();
    void TextCompare();
    void ToolbarButtonClick(const QString &key);
    void KeywordGridDblClick();

    vb::RichTextBox *textBox() const { return m_text; }
    // The design's hidden print buffer; most cards never print, so it is
    // made the first time it is asked for (also as the control "ToPrint").
    vb::RichTextBox *ToPrint();
    vb::FlexGrid *keywordGrid() const { return m_keywordGrid; }

    static constexpr double TextRightMargin = 240;
    static constexpr double TextBottomMargin = 1140;

protected:
    explicit CardWindow(CardType type);

    // What Store writes from the window's boxes.
    virtual cards::CardEdits edits() const = 0;
    // The kind's own fill from the hand-over of slot n.
    virtual void fillCard(const CardSlot &slot, int n) = 0;
    virtual QString captionFirst(const CardSlot &slot) const = 0;
    virtual double designWidth() const = 0;
    virtual double designHeight() const = 0;

    // The key still names the record the card loaded (not a newer card that
    // took the key after a delete); otherwise says so.
    bool stillOwnCard();

    // Builds the toolbar with its four tools and wires the shared controls.
    void setUpShared(vb::RichTextBox *text, vb::FlexGrid *keywords, QLineEdit *fenNum,
                     vb::Toolbar *toolbar);
    void markChanged() { m_changed = true; }
    // Registers the print buffer at its place among the design's controls.
    void addPrintBuffer();
    // Keyword grid rows from the window's own keyword list.
    void showKeywords();
    // The text box follows the window, never to a negative size.
    void stretchText();

    void formLoad() override;
    void formActivate() override;
    void formUnload(int &cancel) override;
    void formResize() override;

    QString m_searchTerm;

private:
    void writeBackNumber(int &current) const;

    CardType m_type;
    vb::RichTextBox *m_text = nullptr;
    vb::FlexGrid *m_keywordGrid = nullptr;
    QLineEdit *m_fenNum = nullptr;
    QPointer<vb::RichTextBox> m_toPrint;
    QStringList m_keywords;
    // The record the card loaded and what it held then.
    cards::CardStamp m_stamp;
    bool m_changed = false;
    bool m_closeWithoutAsking = false;
};
