#pragma once
// fBibMulti: the reference card. One window per open card, created by the
// card openers through the window links; it copies its slot's hand-over at
// load and from then on works only by its own key.

#include "CardWindows.h"
#include "ComponentHost.h"
#include "Form.h"
#include "ReferenceRecords.h"

#include <memory>

class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vb {
class FlexGrid;
class RichTextBox;
class StatusBar;
} // namespace vb

class fBibMulti : public vb::Form, public CardWindowLink {
    Q_OBJECT
public:
    fBibMulti();
    ~fBibMulti() override;

    // --- the design
    QGroupBox *FrameRefs = nullptr;
    QGroupBox *FrameTitles = nullptr;
    QLineEdit *cBibTitre1 = nullptr;
    QLineEdit *cBibTitre2 = nullptr;
    QGroupBox *FrameAuthors = nullptr;
    vb::FlexGrid *cgAutBib = nullptr;
    QLabel *Label1 = nullptr;
    QComboBox *ComboType = nullptr;
    QGroupBox *FrameKW = nullptr;
    vb::FlexGrid *cgMCBib = nullptr;
    QPushButton *cmdAddKW = nullptr;
    QPushButton *cmdSuppKW = nullptr;
    QGroupBox *FrameQuotes = nullptr;
    vb::FlexGrid *cgBibCit = nullptr;
    QPushButton *CmdAddQuote = nullptr;
    QFrame *FrameCommands = nullptr;
    QPushButton *CommandStore = nullptr;
    QPushButton *CmdDelete = nullptr;
    QPushButton *CommandNew = nullptr;
    com::Control SwitchCompleteRefs;
    vb::StatusBar *StatusBar1 = nullptr;
    QLineEdit *FenNum = nullptr;

    QGroupBox *FrameBook = nullptr;
    QComboBox *ComboPublisher = nullptr;
    QPushButton *cmdNewEditeur = nullptr;
    QLineEdit *Town = nullptr;
    QLineEdit *tDate = nullptr;
    QLineEdit *ISBN = nullptr;
    QLineEdit *BibCongress = nullptr;
    QPushButton *CommandBookOriginal = nullptr;
    QPushButton *CommandBookStore = nullptr;
    QPushButton *CommandBookClose = nullptr;

    QGroupBox *FrameArticle = nullptr;
    QComboBox *ComboReview = nullptr;
    QPushButton *CommandAddReview = nullptr;
    QLineEdit *ArticleYear = nullptr;
    QLineEdit *ArticleMonth = nullptr;
    QLineEdit *ArticleNumber = nullptr;
    QLineEdit *ArticleOther = nullptr;
    QLineEdit *ArticlePages = nullptr;
    QLineEdit *ArticleISSN = nullptr;
    QPushButton *CommandArticleStore = nullptr;
    QPushButton *CommandArticleClose = nullptr;

    QGroupBox *FrameOther = nullptr;
    QLabel *Label15 = nullptr;
    vb::RichTextBox *TextOther = nullptr;

    // --- state
    // Some box was edited since the card loaded (stores do not clear it).
    bool DataChanged() const { return m_mainChanged || m_bookChanged || m_articleChanged; }
    bool CompleteView() const { return m_completeView; }
    // The card's keywords as its grid shows them.
    QStringList keywords() const { return m_keywords; }

    // --- commands
    void CommandStore_Click();
    void CmdDelete_Click();
    void CmdAddQuote_Click();
    void CommandNew_Click();
    void cmdAddKW_Click();
    void cmdSuppKW_Click();
    void cgBibCit_DblClick();
    void cgMCBib_DblClick();
    void SwitchCompleteRefs_MouseUp();
    void CommandBookStore_Click();
    void CommandArticleStore_Click();
    void CommandBookClose_Click();
    void CommandArticleClose_Click();
    void cmdNewEditeur_Click();
    void CommandBookOriginal_Click();
    // Both grids read again from the base by the card's own key.
    void RefreshKeywordsAndQuotes();

    // --- CardWindowLink
    CardType cardType() const override { return CardType::Reference; }
    QString cardKey() const override { return m_key; }
    vb::Form *cardForm() override { return this; }
    void setCardNumber(int number) override;
    int cardNumber() const override;
    void reloadKeywords() override { RefreshKeywordsAndQuotes(); }
    QString cardPlainText() const override { return QString(); }
    void closeWithoutAsking() override;

protected:
    void formLoad() override;
    void formActivate() override;
    void formUnload(int &cancel) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct SwitchSink;

    void buildDesign();
    void buildBookFrame();
    void buildArticleFrame();
    void buildOtherFrame();
    void buildSwitch();
    void wireChanges();
    void wireCommands();
    void placeOverMainWindow();
    void fillReferenceCard();
    void fillTypeCombo(const QString &storedType);
    void fillBookFrame();
    void fillArticleFrame();
    void showDetailFrame(QGroupBox *frame);
    // Back to the quotes from the Close of a detail frame (the height stays).
    void closeDetailFrame(QGroupBox *frame);
    void backToQuotesView(bool restoreHeight);
    // The card's height: the design's, or more when that would cut off a
    // shown frame.
    void fitHeight(int designHeight);
    double visibleClientHeight() const;

public:
    // Bottom of the room the controls have (twips), the status bar excluded.
    double clientRoom() const { return visibleClientHeight(); }

private:
    void setSwitch(int position, const QString &caption);

    references::MainFields mainBoxes() const;
    references::BookDetails bookBoxes() const;
    references::ArticleDetails articleBoxes() const;
    // Each store says why when it fails; true when written.
    bool storeMain();
    bool storeBook();
    bool storeArticle();
    // Checks the boxes, then writes them by the card's key.
    template <class Boxes>
    bool storeBoxes(const Boxes &boxes, std::optional<QString> (*check)(const Boxes &),
                    references::Outcome (*store)(const QString &, const Boxes &, references::ReadStamp *),
                    references::ReadStamp &read);
    // The card's record is still in the base, and not a newer reference
    // that took its key; otherwise says so.
    bool referenceStillThere();
    void sayGone();

    QString m_key;
    // What the card read of its record, for each part a store writes.
    references::ReadStamp m_mainRead, m_bookRead, m_articleRead;
    QStringList m_keywords;
    bool m_mainChanged = false;
    bool m_bookChanged = false;
    // Typing in the book frame since its last store.
    bool m_bookUnsaved = false;
    bool m_articleChanged = false;
    bool m_completeView = false;
    bool m_filling = false;
    bool m_closeWithoutAsking = false;
    std::unique_ptr<SwitchSink> m_switchSink;
};
