#include "CardWindow.h"

#include "CardKeywords.h"
#include "CardOpeners.h"
#include "CardRules.h"
#include "CardTextTools.h"
#include "CommonControls.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "FListSel.h"
#include "FlexGrid.h"
#include "Placement.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "Twips.h"
#include "WindowLinks.h"

#include <QHash>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>

namespace {

// Small drawn icons for the four tools, drawn once for every card.
QIcon drawToolIcon(const QString &key)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    if (key == QLatin1String("Open")) {
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(1, 5, 13, 9);
        p.drawRect(1, 3, 6, 2);
    } else if (key == QLatin1String("Save")) {
        p.setBrush(QColor(70, 90, 160));
        p.drawRect(1, 1, 13, 13);
        p.setBrush(Qt::white);
        p.drawRect(4, 2, 7, 4);
    } else if (key == QLatin1String("Print")) {
        p.setBrush(Qt::white);
        p.drawRect(4, 1, 7, 5);
        p.setBrush(QColor(160, 160, 160));
        p.drawRect(1, 6, 13, 6);
        p.setBrush(Qt::white);
        p.drawRect(4, 10, 7, 5);
    } else {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.drawText(QRect(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
    }
    return QIcon(pm);
}

QIcon toolIcon(const QString &key)
{
    static QHash<QString, QIcon> icons;
    auto it = icons.find(key);
    if (it == icons.end())
        it = icons.insert(key, drawToolIcon(key));
    return *it;
}

} // namespace

CardWindow::CardWindow(CardType type)
    : m_type(type)
{
    setMdiChild(true);
    connect(this, &vb::Form::unloadedSignal, this, [this] { cardwindows::remove(this); });
}

CardWindow::~CardWindow() { cardwindows::remove(this); }

void CardWindow::setUpShared(vb::RichTextBox *text, vb::FlexGrid *keywords, QLineEdit *fenNum,
                             vb::Toolbar *toolbar)
{
    m_text = text;
    m_keywordGrid = keywords;
    m_fenNum = fenNum;
    m_fenNum->setVisible(false);
    for (const char *key : {"Open", "Save", "Print", "Font"}) {
        const QString k = QString::fromLatin1(key);
        const QString tip = k == QLatin1String("Open")   ? QStringLiteral("Open RTF File")
                            : k == QLatin1String("Save") ? QStringLiteral("Save RTF File")
                            : k == QLatin1String("Print") ? QStringLiteral("Print")
                                                          : QStringLiteral("Change Font");
        toolbar->addButton(k, tip, toolIcon(k));
    }
    vb::connectEvent(toolbar, &vb::Toolbar::buttonClick, this,
                     [this](const QString &key) { ToolbarButtonClick(key); });
    connect(m_text, &vb::RichTextBox::Change, this, [this] { markChanged(); });
    vb::connectEvent(m_keywordGrid, &vb::FlexGrid::dblClick, this, [this] { KeywordGridDblClick(); });
}

void CardWindow::addPrintBuffer()
{
    addControl(QStringLiteral("ToPrint"), [this]() -> QObject * {
        m_toPrint = new vb::RichTextBox(client());
        m_toPrint->setVisible(false);
        return m_toPrint;
    });
}

vb::RichTextBox *CardWindow::ToPrint()
{
    if (!m_toPrint)
        control(QStringLiteral("ToPrint"));
    return m_toPrint;
}

void CardWindow::setCardNumber(int number) { m_fenNum->setText(QString::number(number)); }

int CardWindow::cardNumber() const { return cards::cardNumberOf(m_fenNum->text()); }

QString CardWindow::cardPlainText() const { return m_text->Text(); }

void CardWindow::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    if (!unload())
        m_closeWithoutAsking = false;
}

void CardWindow::selectHit(int hit, const QString &term)
{
    const auto sel = cards::hitSelection(hit, int(term.size()), int(m_text->Text().size()));
    if (!sel) {
        m_text->setSelLength(0);
        return;
    }
    m_text->setSelStart(sel->start);
    m_text->setSelLength(sel->length);
}

void CardWindow::showKeywords()
{
    vb::FlexGrid *g = m_keywordGrid;
    if (m_keywords.isEmpty()) {
        g->setRows(1);
        g->setTextMatrix(0, 0, QString());
        g->setRow(0);
    } else {
        g->setRows(int(m_keywords.size()));
        for (int i = 0; i < m_keywords.size(); ++i)
            g->setTextMatrix(i, 0, m_keywords.at(i));
        // The fill leaves the last keyword current, as Supp then proposes.
        g->setRow(int(m_keywords.size()) - 1);
    }
    g->refresh();
}

void CardWindow::reloadKeywords()
{
    // Read by the card's own key: whatever slot it had, and whatever set
    // was opened since.
    try {
        m_keywords = cards::readCardKeywords(m_type, tag());
    } catch (const vb::Error &) {
        return; // the grid keeps what it showed
    }
    SortCardKeywords(m_keywords);
    showKeywords();
}

void CardWindow::reloadCaption()
{
    try {
        if (!cards::seekCard(m_type, tag()))
            return; // the caption stays as it was
        const cards::CardRecord r = cards::readCurrentCard(m_type);
        const QString first =
            m_type == CardType::Note ? r.title : cards::readReferenceAuthors(r.referenceKey).value(0);
        m_searchTerm.clear();
        setCaption(cards::cardCaption(first, m_searchTerm, cardNumber()));
    } catch (const vb::Error &) {
    }
}

void CardWindow::stretchText()
{
    vb::setWidth(m_text, cards::stretchedSize(width(), vb::leftOf(m_text), TextRightMargin));
    vb::setHeight(m_text, cards::stretchedSize(height(), vb::topOf(m_text), TextBottomMargin));
}

void CardWindow::formLoad()
{
    const CardSet &set = cardSet(m_type);
    const int n = set.count;
    const CardSlot slot = set.slot;

    // SearchText keeps the last search's term for the next opening at a hit;
    // a card opened without one shows none.
    m_searchTerm = slot.hitPosition >= 1 ? SearchText : QString();
    setCaption(cards::cardCaption(captionFirst(slot), m_searchTerm, n));
    setHeight(designHeight());
    setWidth(designWidth());
    const MainWindowSize m = mainWindowSize();
    const cards::CardPlacement at = cards::cardPlacement(m.width, m.height, m.leftPanel, width(), height());
    setLeft(at.left);
    setTop(at.top);
    setTag(slot.key);
    setCardNumber(n);

    // The text box takes its size before its text: the text is then laid
    // out once, at the width it is shown with.
    formResize();
    // The opener made the stamp from the values it read; a hand-over without
    // one is read by key, without moving the shared cursor, which a set
    // opener may be walking.
    if (slot.counter >= 0) {
        m_stamp = cards::CardStamp{slot.counter, slot.digest};
    } else {
        vb::errorOf([&] {
            if (const auto stamp = cards::readCardStamp(m_type, slot.key))
                m_stamp = *stamp;
        });
    }
    fillCard(slot, n);
    m_keywords = slot.keywords;
    SortCardKeywords(m_keywords);
    showKeywords();
    selectHit(slot.hitPosition, m_searchTerm);
    formResize();
    m_changed = false;
    cardwindows::add(this);
}

void CardWindow::formActivate()
{
    CardKind = cardKindName(m_type);
    // The shared cursor follows the active card; the commands seek again.
    vb::errorOf([this] { cards::seekCard(m_type, tag()); });
    if (KeywordsChanged) {
        reloadKeywords();
        KeywordsChanged = false;
    }
}

void CardWindow::formUnload(int &cancel)
{
    if (!m_changed || m_closeWithoutAsking)
        return;
    // The card that asks stands in front (Close All asks one card after
    // another).
    bringToFront();
    if (vb::MsgBox(cards::closeQuestion(m_type), vb::vbOKCancel) != vb::vbOK)
        return;
    // A store that failed has said why; the card stays open with its edits.
    if (!Store())
        cancel = 1;
}

void CardWindow::formResize() { stretchText(); }

bool CardWindow::Store()
{
    const cards::CardEdits e = edits();
    cards::CardStamp stamp = m_stamp;
    try {
        while (!cards::storeCard(m_type, tag(), e, stamp)) {
            // Changed elsewhere since it was read: the user decides, and a
            // declined store writes nothing and keeps what the window holds.
            bringToFront();
            if (vb::MsgBox(QString::fromLatin1(cards::kChangedSinceRead),
                           vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2)
                != vb::vbYes)
                return false;
        }
    } catch (const vb::Error &error) {
        cards::reportWriteFailure(error);
        return false;
    }
    m_stamp = stamp;
    return true;
}

bool CardWindow::stillOwnCard()
{
    try {
        cards::checkSameCard(m_type, tag(), m_stamp.counter);
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
        return false;
    }
    return true;
}

void CardWindow::Delete()
{
    try {
        cards::deleteCard(m_type, tag(), m_stamp.counter);
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
        return;
    }
    // The card goes, not whichever card holds the set's last slot; the
    // count comes down only when this one held it.
    CardSet &set = cardSet(m_type);
    if (set.window == this && set.count > 0) {
        --set.count;
        set.window = nullptr;
    }
    closeWithoutAsking();
    // No list may still offer the deleted card.
    UnloadResultGrid();
    vb::Forms::unload<FListSel>();
}

void CardWindow::writeBackNumber(int &current) const { current = cardNumber(); }

void CardWindow::AddKeywords()
{
    CardKind = cardKindName(m_type);
    SelectMode = 1;
    if (!stillOwnCard())
        return;
    try {
        if (!cards::seekCard(m_type, tag())) {
            vb::MsgBox(QString::fromLatin1(cards::kCardGone), vb::vbExclamation);
            return;
        }
        if (m_type == CardType::Note) {
            CurrentNoteKey = tag();
            writeBackNumber(CurrentNoteNumber);
        } else {
            CurrentQuoteKey = tag();
            writeBackNumber(CurrentQuoteNumber);
        }
        ChooserRequest r;
        r.mode = m_type == CardType::Note ? ChooserMode::KWNoteSelect : ChooserMode::KWCitAdd;
        r.caption = QStringLiteral("Select Keywords");
        r.source = g_Db.OpenRecordset(QStringLiteral("CGROUP1"), dao::dbOpenTable);
        r.source.setIndex(QStringLiteral("Groupe"));
        r.sourceField = r.source.Fields(QStringLiteral("GROUPE"));
        r.defaultButton = false;
        r.targetType = m_type;
        r.targetKey = tag();
        r.targetNumber = cardNumber();
        r.targetCounter = m_stamp.counter;
        ShowChooser(r);
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
    }
}

void CardWindow::RemoveKeyword()
{
    const QString keyword = m_keywordGrid->text();
    CardKind = cardKindName(m_type);
    SelectMode = 1;
    writeBackNumber(m_type == CardType::Note ? CurrentNoteNumber : CurrentQuoteNumber);
    // The card is stored first, both texts together, as Store does.
    if (!Store())
        return;
    if (vb::MsgBox(cards::suppQuestion(keyword, m_type), vb::vbOKCancel | vb::vbQuestion) != vb::vbOK)
        return;
    try {
        cards::checkSameCard(m_type, tag(), m_stamp.counter);
        cards::removeKeywordLinks(m_type, tag(), keyword);
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
    }
    reloadKeywords();
}

void CardWindow::TextCompare()
{
    CardKind = cardKindName(m_type);
    UnloadWordWindows();
    AnalysedCardKind = cardKindName(m_type);
    AnalysedCardKey = tag();
    // The word window attaches keywords by this key.
    if (!stillOwnCard())
        return;
    try {
        if (!cards::seekCard(m_type, tag())) {
            vb::MsgBox(QString::fromLatin1(cards::kCardGone), vb::vbExclamation);
            return;
        }
    } catch (const vb::Error &e) {
        cards::reportWriteFailure(e);
        return;
    }
    ParseTextWords(m_text->Text());
}

void CardWindow::ToolbarButtonClick(const QString &key)
{
    if (key == QLatin1String("Open")) {
        if (cards::OpenRtfFile(*m_text) && m_type == CardType::Note)
            m_text->update();
    } else if (key == QLatin1String("Save")) {
        cards::SaveRtfFile(*m_text);
    } else if (key == QLatin1String("Print")) {
        cards::PrintCard(*m_text);
    } else if (key == QLatin1String("Font")) {
        cards::ChangeFont(*m_text);
    }
}

void CardWindow::KeywordGridDblClick() { cards::OpenCardsOfKeyword(m_type, m_keywordGrid->text()); }
