#include "fBibMulti.h"

#include "CardKeywords.h"
#include "CardSetOpener.h"
#include "CardSets.h"
#include "CommonControls.h"
#include "Dao.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "FlexGrid.h"
#include "MainWindowLink.h"
#include "Palvex_Ctl.h"
#include "ProgramState.h"
#include "ReferenceMessages.h"
#include "ReferenceRules.h"
#include "RichTextBox.h"
#include "ShortTexts.h"
#include "Start.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "fFirstEdit.h"
#include "RowUpdate.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

using namespace references;
using vb::setGeometryTwips;

namespace {

constexpr int kCardWidth = 8430;
constexpr int kCardHeight = 6470;
constexpr int kDetailLeft = 2640;
constexpr int kDetailTop = 3240;
constexpr int kCommandsTop = 5040;

QLabel *newLabel(QWidget *parent, const QString &caption, double l, double t, double w, double h)
{
    return vb::newCaptioned<QLabel>(parent, caption, l, t, w, h);
}

QPushButton *newButton(QWidget *parent, const QString &caption, double l, double t, double w, double h)
{
    return vb::newCaptioned<QPushButton>(parent, caption, l, t, w, h);
}

QLineEdit *newBox(QWidget *parent, int maxLength, double l, double t, double w, double h)
{
    auto *e = new QLineEdit(parent);
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    setGeometryTwips(e, l, t, w, h);
    return e;
}

QComboBox *newCombo(QWidget *parent, double l, double t, double w, double h)
{
    auto *c = new QComboBox(parent);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    // The list holds names of the base; the box edits the whole one.
    vb::showShortTexts(c->view());
    setGeometryTwips(c, l, t, w, h);
    return c;
}

QGroupBox *newFrame(QWidget *parent, const QString &caption, double l, double t, double w, double h)
{
    return vb::newCaptioned<QGroupBox>(parent, caption, l, t, w, h);
}

// One keyword (or author) a row, from row 0; the current row ends on the
// last one, as the fill leaves it.
void fillColumn(vb::FlexGrid *grid, const QStringList &values)
{
    grid->setRows(int(values.size()));
    for (int i = 0; i < values.size(); ++i)
        grid->setTextMatrix(i, 0, values.at(i));
    if (!values.isEmpty()) {
        grid->setRow(int(values.size()) - 1);
        grid->setCol(0);
    }
    grid->refresh();
}

// A combo's list refilled; what its box shows stays.
void refillList(QComboBox *combo, const QStringList &names)
{
    const QString text = combo->currentText();
    combo->clear();
    combo->addItems(names);
    combo->setEditText(text);
}

} // namespace

struct fBibMulti::SwitchSink : Palvex_Ctl::IPalvexEvents {
    fBibMulti *form = nullptr;
    void MouseMove(short &, short &, float &, float &) override
    {
        form->StatusBar1->setPanelText(
            1, QStringLiteral("Switches between the Quotes View and the Complete References view"));
    }
    void MouseUp(short &, short &, float &, float &) override
    {
        vb::runEvent([this] { form->SwitchCompleteRefs_MouseUp(); });
    }
};

fBibMulti::fBibMulti()
{
    setObjectName(QStringLiteral("fBibMulti"));
    setMdiChild(true);
    buildDesign();
    buildBookFrame();
    buildArticleFrame();
    buildOtherFrame();
    buildSwitch();
    wireChanges();
    wireCommands();
}

fBibMulti::~fBibMulti()
{
    cardwindows::remove(this);
    if (!SwitchCompleteRefs.isNull() && m_switchSink && SwitchCompleteRefs.widget())
        SwitchCompleteRefs.unadvise(m_switchSink.get());
}

// ---------------------------------------------------------------------------
// The design

void fBibMulti::buildDesign()
{
    QWidget *c = client();
    c->setMouseTracking(true);
    c->installEventFilter(this);

    StatusBar1 = new vb::StatusBar(window());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    window()->setStatusBar(StatusBar1);

    FrameRefs = newFrame(c, QStringLiteral("Document's References"), 60, 0, 8115, 1935);
    FrameTitles = newFrame(FrameRefs, QStringLiteral("Title -Sub Title"), 120, 240, 3855, 1575);
    cBibTitre1 = newBox(FrameTitles, kTitle1Size, 120, 360, 3615, 375);
    cBibTitre2 = newBox(FrameTitles, kTitle2Size, 120, 900, 3615, 375);
    FrameAuthors = newFrame(FrameRefs, QStringLiteral("Authors"), 4080, 240, 3915, 1575);
    cgAutBib = new vb::FlexGrid(0, 1, 0, 0, FrameAuthors);
    setGeometryTwips(cgAutBib, 120, 300, 3675, 1155);

    Label1 = newLabel(c, QStringLiteral("Document Type :"), 120, 2100, 1695, 255);
    ComboType = newCombo(c, 120, 2400, 2415, 315);
    ComboType->lineEdit()->setMaxLength(kTypeSize);

    FrameKW = newFrame(c, QStringLiteral("Document's Keywords"), kDetailLeft, 1980, 5535, 1215);
    cgMCBib = new vb::FlexGrid(0, 1, 0, 0, FrameKW);
    setGeometryTwips(cgMCBib, 120, 240, 4095, 855);
    cmdAddKW = newButton(FrameKW, QStringLiteral("Add"), 4320, 240, 1095, 375);
    cmdSuppKW = newButton(FrameKW, QStringLiteral("Supp"), 4320, 690, 1095, 375);

    FrameQuotes = newFrame(c, QStringLiteral("Quotes from this document and their keywords"), kDetailLeft,
                           kDetailTop, 5535, 2295);
    // Starts with no row: a reference without quotes shows none.
    cgBibCit = new vb::FlexGrid(0, 2, 0, 0, FrameQuotes);
    setGeometryTwips(cgBibCit, 120, 240, 5295, 1455);
    CmdAddQuote = newButton(FrameQuotes, QStringLiteral("Add Quote"), 120, 1800, 1335, 375);

    FrameCommands = new QFrame(c);
    FrameCommands->setFrameShape(QFrame::NoFrame);
    setGeometryTwips(FrameCommands, 60, kCommandsTop, 2535, 495);
    CommandStore = newButton(FrameCommands, QStringLiteral("Store"), 60, 60, 780, 375);
    CmdDelete = newButton(FrameCommands, QStringLiteral("Delete"), 870, 60, 780, 375);
    CommandNew = newButton(FrameCommands, QStringLiteral("New"), 1680, 60, 780, 375);

    FenNum = new QLineEdit(c);
    FenNum->setVisible(false);

    cgMCBib->setColWidth(0, 3000);
    cgAutBib->setColWidth(0, 4000);
    cgBibCit->setColWidth(0, 3000);
    cgBibCit->setColWidth(1, 2000);

    addControls({
        {"FrameRefs", FrameRefs},     {"FrameTitles", FrameTitles}, {"cBibTitre1", cBibTitre1},
        {"cBibTitre2", cBibTitre2},   {"FrameAuthors", FrameAuthors}, {"cgAutBib", cgAutBib},
        {"Label1", Label1},           {"ComboType", ComboType},     {"FrameKW", FrameKW},
        {"cgMCBib", cgMCBib},         {"cmdAddKW", cmdAddKW},       {"cmdSuppKW", cmdSuppKW},
        {"FrameQuotes", FrameQuotes}, {"cgBibCit", cgBibCit},       {"CmdAddQuote", CmdAddQuote},
        {"FrameCommands", FrameCommands}, {"CommandStore", CommandStore}, {"CmdDelete", CmdDelete},
        {"CommandNew", CommandNew},   {"StatusBar1", StatusBar1},   {"FenNum", FenNum},
    });

    // The status texts of the controls that have one.
    for (QWidget *w : std::initializer_list<QWidget *>{cgBibCit->viewport(), cgMCBib->viewport(), CmdDelete,
                                                       CommandNew, CommandStore}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
}

void fBibMulti::buildBookFrame()
{
    FrameBook = newFrame(client(), QStringLiteral("Book"), 120, 5760, 4695, 2835);
    QWidget *f = FrameBook;
    constexpr double L = 120, B = 1320, W = 3255, H = 315, LW = 1155;
    newLabel(f, QStringLiteral("Publisher"), L, 300, LW, 255);
    ComboPublisher = newCombo(f, B, 255, W, H);
    newLabel(f, QStringLiteral("New Publisher"), L, 660, LW, 255);
    cmdNewEditeur = newButton(f, QStringLiteral("Add a Publisher to the List"), B, 615, W, H);
    newLabel(f, QStringLiteral("Town"), L, 1020, LW, 255);
    Town = newBox(f, kTownSize, B, 975, W, H);
    newLabel(f, QStringLiteral("Date"), L, 1380, LW, 255);
    tDate = newBox(f, 6, B, 1335, 1095, H);
    newLabel(f, QStringLiteral("ISBN"), L, 1740, LW, 255);
    ISBN = newBox(f, kIsbnSize, B, 1695, W, H);
    newLabel(f, QStringLiteral("LOC Ref"), L, 2100, LW, 255);
    BibCongress = newBox(f, kCongressSize, B, 2055, W, H);
    CommandBookOriginal = newButton(f, QStringLiteral("Original Edition"), L, 2430, 1575, 330);
    CommandBookStore = newButton(f, QStringLiteral("Store"), 1800, 2430, 1095, 330);
    CommandBookClose = newButton(f, QStringLiteral("Close"), 3000, 2430, 1095, 330);
    FrameBook->setVisible(false);

    addControls({
        {"FrameBook", FrameBook}, {"ComboPublisher", ComboPublisher}, {"cmdNewEditeur", cmdNewEditeur},
        {"Town", Town}, {"tDate", tDate}, {"ISBN", ISBN}, {"BibCongress", BibCongress},
        {"CommandBookOriginal", CommandBookOriginal}, {"CommandBookStore", CommandBookStore},
        {"CommandBookClose", CommandBookClose},
    });
}

void fBibMulti::buildArticleFrame()
{
    FrameArticle = newFrame(client(), QStringLiteral("Article"), 5040, 5760, 4695, 3015);
    QWidget *f = FrameArticle;
    constexpr double L = 120, B = 1320, W = 3255, H = 315, LW = 1155, S = 345;
    double t = 255;
    newLabel(f, QStringLiteral("Review"), L, t + 45, LW, 255);
    ComboReview = newCombo(f, B, t, W, H);
    t += S;
    CommandAddReview = newButton(f, QStringLiteral("Add a Review"), B, t, W, H);
    t += S;
    newLabel(f, QStringLiteral("Year"), L, t + 45, LW, 255);
    ArticleYear = newBox(f, 11, B, t, 1095, H);
    newLabel(f, QStringLiteral("Month"), 2520, t + 45, 615, 255);
    ArticleMonth = newBox(f, 11, 3480, t, 1095, H);
    t += S;
    newLabel(f, QStringLiteral("Number"), L, t + 45, LW, 255);
    ArticleNumber = newBox(f, kArticleTextSize, B, t, W, H);
    t += S;
    newLabel(f, QStringLiteral("Other"), L, t + 45, LW, 255);
    ArticleOther = newBox(f, 0, B, t, W, H);
    t += S;
    newLabel(f, QStringLiteral("pages"), L, t + 45, LW, 255);
    ArticlePages = newBox(f, kArticleTextSize, B, t, W, H);
    t += S;
    newLabel(f, QStringLiteral("ISSN"), L, t + 45, LW, 255);
    ArticleISSN = newBox(f, 0, B, t, W, H);
    t += S + 15;
    CommandArticleStore = newButton(f, QStringLiteral("Store"), 1800, t, 1095, 330);
    CommandArticleClose = newButton(f, QStringLiteral("Close"), 3000, t, 1095, 330);
    // Nothing stores these: they take no typing that would be lost.
    ArticleOther->setEnabled(false);
    ArticleISSN->setEnabled(false);
    CommandAddReview->setEnabled(false);
    FrameArticle->setVisible(false);

    addControls({
        {"FrameArticle", FrameArticle}, {"ComboReview", ComboReview}, {"CommandAddReview", CommandAddReview},
        {"ArticleYear", ArticleYear}, {"ArticleMonth", ArticleMonth}, {"ArticleNumber", ArticleNumber},
        {"ArticleOther", ArticleOther}, {"ArticlePages", ArticlePages}, {"ArticleISSN", ArticleISSN},
        {"CommandArticleStore", CommandArticleStore}, {"CommandArticleClose", CommandArticleClose},
    });
}

void fBibMulti::buildOtherFrame()
{
    FrameOther = newFrame(client(), QStringLiteral("Other"), 9000, 1080, 4695, 4095);
    // The label sits below the frame's own caption, the box below the label
    // and ends where the design has it end.
    Label15 = newLabel(FrameOther, QStringLiteral("Reference"), 120, 270, 1500, 240);
    TextOther = new vb::RichTextBox(FrameOther);
    setGeometryTwips(TextOther, 120, 540, 4455, 3435);
    // Its text is stored nowhere.
    TextOther->setEnabled(false);
    FrameOther->setVisible(false);
    FrameOther->setObjectName(QStringLiteral("FrameOther"));
    Label15->setObjectName(QStringLiteral("Label15"));
    TextOther->setObjectName(QStringLiteral("TextOther"));
    addControl(FrameOther->objectName(), FrameOther);
    addControl(Label15->objectName(), Label15);
    addControl(TextOther->objectName(), TextOther);
}

void fBibMulti::buildSwitch()
{
    try {
        com::Control c = com::Control::create(Palvex_Ctl::CLSID_Palvex, client(), Palvex_Ctl::LibraryName);
        // The saved design: style Normal and Position up are the defaults.
        c.load(com::PropertyBag{{QStringLiteral("Caption"), QStringLiteral("Complete Refs")}});
        QWidget *w = c.widget();
        w->setObjectName(QStringLiteral("SwitchCompleteRefs"));
        setGeometryTwips(w, 240, 4080, 1815, 375);
        m_switchSink = std::make_unique<SwitchSink>();
        m_switchSink->form = this;
        c.advise(m_switchSink.get());
        SwitchCompleteRefs = c;
        addControl(w->objectName(), w);
    } catch (const vb::Error &e) {
        // Without the control library the card works, without its details view.
        vb::reportError(e);
    }
}

void fBibMulti::wireChanges()
{
    auto mark = [this](bool &area) {
        return [this, &area] {
            if (!m_filling)
                area = true;
        };
    };
    for (QLineEdit *e : {cBibTitre1, cBibTitre2})
        connect(e, &QLineEdit::textEdited, this, mark(m_mainChanged));
    connect(ComboType->lineEdit(), &QLineEdit::textEdited, this, mark(m_mainChanged));
    connect(ComboType, &QComboBox::activated, this, mark(m_mainChanged));
    connect(cgAutBib, &vb::FlexGrid::rowColChange, this, mark(m_mainChanged));

    // The book frame also knows whether it holds typing not yet stored.
    auto markBook = [this] {
        if (!m_filling)
            m_bookChanged = m_bookUnsaved = true;
    };
    for (QLineEdit *e : {Town, tDate, ISBN, BibCongress})
        connect(e, &QLineEdit::textEdited, this, markBook);
    connect(ComboPublisher->lineEdit(), &QLineEdit::textEdited, this, markBook);
    connect(ComboPublisher, &QComboBox::activated, this, markBook);

    for (QLineEdit *e : {ArticleYear, ArticleMonth, ArticleNumber, ArticlePages})
        connect(e, &QLineEdit::textEdited, this, mark(m_articleChanged));
    connect(ComboReview->lineEdit(), &QLineEdit::textEdited, this, mark(m_articleChanged));
    connect(ComboReview, &QComboBox::activated, this, mark(m_articleChanged));
}

void fBibMulti::wireCommands()
{
    const std::pair<QPushButton *, void (fBibMulti::*)()> clicks[] = {
        {CommandStore, &fBibMulti::CommandStore_Click},
        {CmdDelete, &fBibMulti::CmdDelete_Click},
        {CmdAddQuote, &fBibMulti::CmdAddQuote_Click},
        {CommandNew, &fBibMulti::CommandNew_Click},
        {cmdAddKW, &fBibMulti::cmdAddKW_Click},
        {cmdSuppKW, &fBibMulti::cmdSuppKW_Click},
        {CommandBookStore, &fBibMulti::CommandBookStore_Click},
        {CommandArticleStore, &fBibMulti::CommandArticleStore_Click},
        {CommandBookClose, &fBibMulti::CommandBookClose_Click},
        {CommandArticleClose, &fBibMulti::CommandArticleClose_Click},
        {cmdNewEditeur, &fBibMulti::cmdNewEditeur_Click},
        {CommandBookOriginal, &fBibMulti::CommandBookOriginal_Click},
    };
    for (const auto &[button, handler] : clicks)
        vb::connectEvent(button, &QPushButton::clicked, this, [this, h = handler] { (this->*h)(); });
    vb::connectEvent(cgBibCit, &vb::FlexGrid::dblClick, this, [this] { cgBibCit_DblClick(); });
    vb::connectEvent(cgMCBib, &vb::FlexGrid::dblClick, this, [this] { cgMCBib_DblClick(); });
    // A press selects the one row under the pointer.
    for (vb::FlexGrid *g : {cgBibCit, cgMCBib})
        connect(g, &vb::FlexGrid::mouseDown, this, [g] {
            if (g->rows() > 0 && g->row() >= 0) {
                g->setRow(g->row());
                g->setRowSel(g->row());
            }
        });
}

bool fBibMulti::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseMove) {
        QString text;
        if (watched == cgBibCit->viewport())
            text = QStringLiteral(
                "Double-click opens the Quote - Add Quote creates a Quote Card linked to this Reference");
        else if (watched == cgMCBib->viewport())
            text = QStringLiteral("Keywords linked to this Reference");
        else if (watched == CmdDelete)
            text = QStringLiteral("Deletes this Reference and all its links");
        else if (watched == CommandNew)
            text = QStringLiteral("Creates a new Reference");
        else if (watched == CommandStore)
            text = QStringLiteral("Stores the changes to the Card");
        if (watched == client() || !text.isEmpty())
            StatusBar1->setPanelText(1, text);
    }
    return vb::Form::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------
// Load, activation, unload

void fBibMulti::formLoad()
{
    const CardSlot slot = ReferenceCards.slot;
    const int number = ReferenceCards.count;
    m_key = slot.key;
    setTag(m_key);
    setCardNumber(number);

    setHeight(kCardHeight);
    setWidth(kCardWidth);
    placeOverMainWindow();

    m_filling = true;
    const std::optional<MainFields> stored = ReadMainFields(m_key);
    fillTypeCombo(stored ? stored->type : QString());
    QStringList authors = ReadReferenceAuthors(m_key);
    if (authors.isEmpty())
        authors = slot.authors;
    setCaption(CardCaption(authors.value(0), MainSelectedKeyword(), number));
    fillColumn(cgAutBib, authors);
    cBibTitre1->setText(slot.title);
    if (stored)
        cBibTitre2->setText(stored->title2);
    m_keywords = slot.keywords;
    RefreshKeywordsAndQuotes();
    m_filling = false;
    vb::errorOf([&] {
        m_mainRead = ReadPartStamp(m_key, Part::Main).value_or(ReadStamp{});
        m_bookRead = ReadPartStamp(m_key, Part::Book).value_or(ReadStamp{});
        m_articleRead = ReadPartStamp(m_key, Part::Article).value_or(ReadStamp{});
    });

    CardKind = QStringLiteral("Bib");
    SeekReference(m_key);
    m_mainChanged = m_bookChanged = m_articleChanged = false;
    cardwindows::add(this);
}

void fBibMulti::placeOverMainWindow()
{
    const MainWindowLink &m = mainWindowLink();
    const int mainWidth = m.width ? m.width() : 0;
    const int mainHeight = m.height ? m.height() : 0;
    const int panel = m.leftPanelWidth ? m.leftPanelWidth() : 0;
    const int left = (mainWidth - kCardWidth) / 2 - panel / 2;
    const int top = (mainHeight - kCardHeight) / 8;
    // A main window narrower than the card would put it out of reach.
    setLeft(qMax(0, left));
    setTop(qMax(0, top));
}

void fBibMulti::fillTypeCombo(const QString &storedType)
{
    ComboType->clear();
    ComboType->addItems(ReadTypes());
    // A stored type shows as it is, listed or not, so that a store keeps it;
    // an empty type shows "No Type"; an empty list leaves the box as it is.
    if (ComboType->count() == 0 && storedType.isEmpty())
        return;
    const QString shown = TypeToShow(storedType);
    const int listed = ComboType->findText(shown, Qt::MatchExactly);
    if (listed >= 0)
        ComboType->setCurrentIndex(listed);
    else
        ComboType->setEditText(shown);
}

void fBibMulti::formActivate()
{
    CardKind = QStringLiteral("Bib");
    SeekReference(m_key);
    // Keyword links and quotes are read again at every activation, by the
    // card's own key: links made for another card never show here.
    RefreshKeywordsAndQuotes();
    if (KeywordsChanged)
        KeywordsChanged = false;
}

void fBibMulti::formUnload(int &cancel)
{
    if (!m_closeWithoutAsking && DataChanged()) {
        // The card that asks stands in front.
        bringToFront();
        if (vb::MsgBox(kDataChanged, vb::vbOKCancel) == vb::vbOK) {
            bool stored = storeMain();
            // A book frame stored already holds nothing to write back over
            // what another card of the reference may have stored since.
            if (stored && m_bookUnsaved)
                stored = storeBook();
            if (stored && m_articleChanged)
                stored = storeArticle();
            // What could not be stored stays on screen.
            if (!stored) {
                cancel = 1;
                return;
            }
        }
    }
    cardwindows::remove(this);
    if (ReferenceCards.window == this)
        ReferenceCards.window = nullptr;
}

void fBibMulti::closeWithoutAsking()
{
    m_closeWithoutAsking = true;
    unload();
}

void fBibMulti::setCardNumber(int number) { FenNum->setText(QString::number(number)); }

int fBibMulti::cardNumber() const { return FenNum->text().toInt(); }

// ---------------------------------------------------------------------------
// Keywords and quotes

void fBibMulti::RefreshKeywordsAndQuotes()
{
    const bool wasFilling = m_filling;
    m_filling = true;
    try {
        m_keywords = ReadReferenceKeywords(m_key);
    } catch (const vb::Error &) {
        // The grid keeps what it showed.
    }
    QStringList sorted = m_keywords;
    SortCardKeywords(sorted);
    fillColumn(cgMCBib, sorted);

    try {
        const QList<QuoteRow> rows = ReadReferenceQuotes(m_key);
        cgBibCit->setRows(int(rows.size()));
        for (int i = 0; i < rows.size(); ++i) {
            cgBibCit->setTextMatrix(i, 0, rows.at(i).keyword);
            cgBibCit->setTextMatrix(i, 1, rows.at(i).quoteKey);
        }
        cgBibCit->refresh();
    } catch (const vb::Error &) {
    }
    m_filling = wasFilling;
    // The shared recordset stands on the card again.
    try {
        SeekReference(m_key);
    } catch (const vb::Error &) {
    }
}

void fBibMulti::cmdAddKW_Click()
{
    CardKind = QStringLiteral("Bib");
    SelectMode = 1;
    try {
        if (!referenceStillThere())
            return;
        CurrentReferenceKey = m_key;
        CurrentReferenceNumber = cardNumber();
        ChooserRequest request;
        request.mode = ChooserMode::KWBibAdd;
        request.caption = QStringLiteral("Select Keywords");
        request.source = g_Db.OpenRecordset(QStringLiteral("CGROUP1"), dao::dbOpenTable);
        request.source.setIndex(QStringLiteral("Groupe"));
        request.sourceField = request.source.Fields(QStringLiteral("GROUPE"));
        request.defaultButton = true;
        request.targetType = CardType::Reference;
        request.targetKey = m_key;
        request.targetNumber = cardNumber();
        request.targetCounter = m_mainRead.identity;
        ShowChooser(request);
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
}

void fBibMulti::cmdSuppKW_Click()
{
    CardKind = QStringLiteral("Bib");
    SelectMode = 1;
    CurrentReferenceNumber = cardNumber();
    try {
        if (!referenceStillThere())
            return;
        // A read-only base says so before anything is asked.
        dao::RowUpdate(rsBiblio, dao::RowUpdate::Edit).Update();
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
        return;
    }
    const QString keyword = cgMCBib->text();
    if (vb::MsgBox(DeleteKeywordPrompt(keyword), vb::vbOKCancel | vb::vbQuestion) != vb::vbOK)
        return;
    try {
        if (!referenceStillThere())
            return;
        RemoveKeywordLinks(m_key, keyword);
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
    // Every open card of this reference shows what is left.
    RefreshCardKeywords(CardType::Reference, m_key);
}

void fBibMulti::cgBibCit_DblClick()
{
    if (cgBibCit->rows() == 0 || cgBibCit->row() < 0)
        return;
    cgBibCit->setCol(1);
    const QString quoteKey = cgBibCit->text();
    rsCit.setIndex(QStringLiteral("CitNDX"));
    rsCit.Seek(QStringLiteral("="), quoteKey);
    if (!rsCit.NoMatch())
        ShowQuoteCard();
}

void fBibMulti::cgMCBib_DblClick()
{
    // A reference card's keyword grid starts the result grid's count again.
    KeywordCardsRoad road;
    road.clearGridCount = true;
    OpenKeywordCardSet(CardType::Reference, cgMCBib->text(), road);
}

// ---------------------------------------------------------------------------
// Store, delete, new quote, new reference

MainFields fBibMulti::mainBoxes() const
{
    return {cBibTitre1->text(), cBibTitre2->text(), ComboType->currentText()};
}

BookDetails fBibMulti::bookBoxes() const
{
    return {ComboPublisher->currentText(), Town->text(), tDate->text(), ISBN->text(), BibCongress->text()};
}

ArticleDetails fBibMulti::articleBoxes() const
{
    return {ComboReview->currentText(), ArticleYear->text(), ArticleMonth->text(), ArticleNumber->text(),
            ArticlePages->text()};
}

void fBibMulti::sayGone() { vb::MsgBox(kReferenceGone, vb::vbExclamation); }

bool fBibMulti::referenceStillThere()
{
    if (ReferenceIdentity(m_key) == m_mainRead.identity)
        return true; // and BIBLIO stands on it
    sayGone();
    return false;
}

template <class Boxes>
bool fBibMulti::storeBoxes(const Boxes &boxes, std::optional<QString> (*check)(const Boxes &),
                           Outcome (*store)(const QString &, const Boxes &, ReadStamp *), ReadStamp &read)
{
    if (const auto refusal = check(boxes)) {
        ReportRefusal(*refusal);
        return false;
    }
    ReadStamp attempt = read;
    try {
        for (;;) {
            switch (store(m_key, boxes, &attempt)) {
            case Outcome::Missing:
                sayGone();
                return false;
            case Outcome::Changed:
                // Changed elsewhere since it was read: the user decides; a
                // declined store writes nothing and the boxes keep it all.
                bringToFront();
                if (vb::MsgBox(kReferenceChanged, vb::vbYesNo | vb::vbExclamation | vb::vbDefaultButton2) !=
                    vb::vbYes)
                    return false;
                continue;
            default:
                read = attempt;
                return true;
            }
        }
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
    return false;
}

bool fBibMulti::storeMain() { return storeBoxes(mainBoxes(), &CheckMainFields, &StoreMainFields, m_mainRead); }

bool fBibMulti::storeBook()
{
    if (!storeBoxes(bookBoxes(), &CheckBookDetails, &StoreBookDetails, m_bookRead))
        return false;
    m_bookUnsaved = false;
    return true;
}

bool fBibMulti::storeArticle()
{
    return storeBoxes(articleBoxes(), &CheckArticleDetails, &StoreArticleDetails, m_articleRead);
}

void fBibMulti::CommandStore_Click() { storeMain(); }

void fBibMulti::CmdDelete_Click()
{
    if (vb::MsgBox(QStringLiteral("Confirm that you want to delete this card ?"), vb::vbOKCancel | vb::vbQuestion) !=
        vb::vbOK)
        return;
    const QString key = m_key;
    try {
        switch (DeleteReference(key, m_mainRead.identity)) {
        case Outcome::Missing:
            sayGone();
            return;
        case Outcome::HasQuotes:
            vb::MsgBox(QStringLiteral("Quotes belong to this reference. Please delete these quotes first"));
            return;
        default:
            break;
        }
    } catch (const vb::Error &e) {
        // Nothing was deleted.
        ReportWriteFailure(e);
        return;
    }
    // This card and any other of the same reference close; the lists that
    // are open forget it.
    CloseCardsOfKey(CardType::Reference, key);
    fFirstEdit::referenceDeleted(key);
    DropDeletedCard(CardType::Reference, key);
}

void fBibMulti::CmdAddQuote_Click()
{
    QString quoteKey;
    try {
        // A quote goes under this card's reference only.
        if (!referenceStillThere())
            return;
        if (AddQuoteForReference(m_key, &quoteKey) == Outcome::Missing) {
            sayGone();
            return;
        }
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
        return;
    }
    RefreshKeywordsAndQuotes();
    // CIT stands on the new quote again (the refresh walked it).
    rsCit.setIndex(QStringLiteral("CitNDX"));
    rsCit.Seek(QStringLiteral("="), quoteKey);
    ShowQuoteCard();
}

void fBibMulti::CommandNew_Click() { ShowAuthorSelection(); }

// ---------------------------------------------------------------------------
// The complete references view

void fBibMulti::setSwitch(int position, const QString &caption)
{
    if (SwitchCompleteRefs.isNull())
        return;
    SwitchCompleteRefs.put(Palvex_Ctl::DISPID_Position, qint32(position));
    SwitchCompleteRefs.put(Palvex_Ctl::DISPID_Caption, caption);
}

void fBibMulti::showDetailFrame(QGroupBox *frame)
{
    for (QGroupBox *f : {FrameQuotes, FrameBook, FrameArticle, FrameOther})
        if (f != frame)
            f->setVisible(false);
    vb::setLeft(frame, kDetailLeft);
    vb::setTop(frame, kDetailTop);
    frame->setVisible(true);
}

void fBibMulti::fitHeight(int designHeight)
{
    // The design heights leave the window's own frame and status bar less
    // room than they take here; the card grows by what would be cut off, so
    // that the shown frame and the commands stay whole.
    int needed = 0;
    for (QWidget *w : std::initializer_list<QWidget *>{FrameCommands, FrameQuotes, FrameBook, FrameArticle,
                                                      FrameOther})
        if (w->isVisibleTo(client()))
            needed = qMax(needed, int(vb::topOf(w) + vb::heightOf(w)));
    const double overhead = isVisible() ? height() - visibleClientHeight() : 0;
    setHeight(qMax(double(designHeight), needed + 60 + overhead));
}

double fBibMulti::visibleClientHeight() const
{
    int px = window()->height();
    if (StatusBar1->isVisible())
        px -= StatusBar1->height();
    return vb::twipsY(qMax(0, px));
}

void fBibMulti::backToQuotesView(bool restoreHeight)
{
    FrameBook->setVisible(false);
    FrameArticle->setVisible(false);
    FrameOther->setVisible(false);
    FrameQuotes->setVisible(true);
    if (restoreHeight) {
        vb::setTop(FrameCommands, kCommandsTop);
        fitHeight(kCardHeight);
    }
    setSwitch(Palvex_Ctl::up, QStringLiteral("Complete Refs"));
    m_completeView = false;
}

void fBibMulti::SwitchCompleteRefs_MouseUp()
{
    if (m_completeView) {
        backToQuotesView(true);
        return;
    }
    setSwitch(Palvex_Ctl::Down, QStringLiteral("Quotes"));
    m_completeView = true;
    const DetailFrame which = FrameForType(ComboType->currentText());
    QGroupBox *frame = which == DetailFrame::Book      ? FrameBook
                       : which == DetailFrame::Article ? FrameArticle
                                                       : FrameOther;
    if (which != DetailFrame::Other)
        setWidth(kCardWidth);
    showDetailFrame(frame);
    const ViewGeometry g = CompleteViewGeometry(which, int(vb::heightOf(frame)), kDetailTop);
    vb::setTop(FrameCommands, g.commandsTop);
    fitHeight(g.cardHeight);
    // The fill puts the stored values into the boxes; it neither marks the
    // card changed nor forgets earlier edits.
    const bool wasFilling = m_filling;
    m_filling = true;
    try {
        if (which == DetailFrame::Book)
            fillBookFrame();
        else if (which == DetailFrame::Article)
            fillArticleFrame();
    } catch (const vb::Error &e) {
        m_filling = wasFilling;
        vb::reportError(e);
        return;
    }
    m_filling = wasFilling;
}

void fBibMulti::fillBookFrame()
{
    refillList(ComboPublisher, ReadPublisherNames());
    // Boxes the user changed and has not stored keep what was typed; once
    // stored, they show what the base holds, which another card of the
    // reference may have changed.
    if (m_bookUnsaved)
        return;
    BookDetails boxes = bookBoxes();
    m_bookRead = ReadPartStamp(m_key, Part::Book).value_or(ReadStamp{});
    ReadBookDetails(m_key, boxes);
    ComboPublisher->setEditText(boxes.publisher);
    // The publisher's town may be longer than the box.
    FillBox(Town, QStringLiteral("Town"), boxes.town);
    FillBox(tDate, QStringLiteral("Date"), boxes.date);
    FillBox(ISBN, QStringLiteral("ISBN"), boxes.isbn);
    FillBox(BibCongress, QStringLiteral("LOC Ref"), boxes.congress);
    SeekReference(m_key);
}

void fBibMulti::fillArticleFrame()
{
    refillList(ComboReview, ReadReviewNames());
    if (m_articleChanged)
        return;
    ArticleDetails boxes = articleBoxes();
    m_articleRead = ReadPartStamp(m_key, Part::Article).value_or(ReadStamp{});
    ReadArticleDetails(m_key, boxes);
    ComboReview->setEditText(boxes.review);
    ArticleYear->setText(boxes.year);
    ArticleMonth->setText(boxes.month);
    ArticleNumber->setText(boxes.number);
    ArticlePages->setText(boxes.pages);
}

void fBibMulti::CommandBookStore_Click() { storeBook(); }

void fBibMulti::CommandArticleStore_Click()
{
    if (storeArticle())
        unload();
}

void fBibMulti::closeDetailFrame(QGroupBox *frame)
{
    frame->setVisible(false);
    FrameQuotes->setVisible(true);
    m_completeView = false;
    setSwitch(Palvex_Ctl::up, QStringLiteral("Complete Refs"));
}

void fBibMulti::CommandBookClose_Click() { closeDetailFrame(FrameBook); }

void fBibMulti::CommandArticleClose_Click() { closeDetailFrame(FrameArticle); }

void fBibMulti::cmdNewEditeur_Click()
{
    const QString name = ComboPublisher->currentText();
    if (name.isEmpty()) {
        vb::MsgBox(QStringLiteral("Enter the name in the box first"), vb::vbInformation);
        return;
    }
    const QString town = Town->text();
    if (vb::MsgBox(QStringLiteral("do you want to add ") + name + QLatin1Char('-') + town +
                       QStringLiteral(" in Publisher's list ?"),
                   vb::vbQuestion | vb::vbOKCancel) != vb::vbOK)
        return;
    if (const auto refusal = TooLongMessage(QStringLiteral("Publisher"), name, kPublisherNameSize)) {
        ReportRefusal(*refusal);
        return;
    }
    try {
        if (AddPublisher(name, town) == Outcome::Exists)
            vb::MsgBox(QStringLiteral("This Publisher exists"), vb::vbExclamation);
    } catch (const vb::Error &e) {
        ReportWriteFailure(e);
    }
}

void fBibMulti::CommandBookOriginal_Click()
{
    if (!referenceStillThere())
        return;
    fFirstEdit::showFor(m_key, left() + vb::leftOf(FrameBook), top() + vb::topOf(FrameBook));
}
