#include "fCorvane.h"

#include "BaseCommands.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "ProgramState.h"
#include "MainWindowRules.h"
#include "OuvreBase.h"
#include "Screen.h"
#include "ShortTexts.h"
#include "Start.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "frmAbout.h"
#include "RowUpdate.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QVBoxLayout>
#include <type_traits>

using mainwindow::Toggle;
using vb::setGeometryTwips;

bool g_KWFrameHidden = false;

namespace {

// Design geometry, in twips. The window is tall enough for a level pane
// grown by two levels below the tab strip's two rows of tabs.
constexpr double kTopBarHeight = 600;
constexpr double kDesignHeight = 8700;
constexpr double kTabStripHeight = 6960;
constexpr double kPaneWidth = 2200;
constexpr double kLevelPaneHeight = 2055;
constexpr double kLevelGridHeight = 1815;
constexpr double kScrollWidth = 255;
constexpr double kLinkButton = 375;
constexpr double kDownUpWidth = 3300;

// A pane of list levels: its grids and boxes take the pane's width less the
// scroll bar, which stays on the right edge; their tops are the pane
// code's business.
class LevelPane : public QWidget {
public:
    using QWidget::QWidget;
    QScrollBar *scroll = nullptr;

protected:
    void resizeEvent(QResizeEvent *e) override
    {
        QWidget::resizeEvent(e);
        const int sw = vb::pixelsX(kScrollWidth);
        for (QObject *o : children()) {
            auto *w = qobject_cast<QWidget *>(o);
            if (!w)
                continue;
            if (w == scroll)
                w->setGeometry(width() - sw, w->y(), sw, w->height());
            else
                w->setGeometry(0, w->y(), qMax(0, width() - sw), w->height());
        }
    }
};

vb::FlexGrid *newListGrid(QWidget *parent)
{
    auto *g = new vb::FlexGrid(1, 1, 0, 0, parent);
    g->setColWidth(0, 3000);
    return g;
}

QLabel *newLabel(QWidget *parent, const QString &caption, double l, double t, double w, double h)
{
    return vb::newCaptioned<QLabel>(parent, caption, l, t, w, h);
}

QPushButton *newButton(QWidget *parent, const QString &caption, double l, double t, double w, double h)
{
    return vb::newCaptioned<QPushButton>(parent, caption, l, t, w, h);
}

QFrame *newFrame(QWidget *parent, double l, double t, double w, double h)
{
    auto *f = new QFrame(parent);
    f->setFrameShape(QFrame::NoFrame);
    setGeometryTwips(f, l, t, w, h);
    return f;
}

} // namespace

// The events of one toggle, handed to the window's handlers.
struct fCorvane::ToggleSink : Palvex_Ctl::IPalvexEvents {
    fCorvane *form = nullptr;
    Toggle which = Toggle::KW;
    void MouseDown(short &, short &, float &, float &) override
    {
        vb::runEvent([this] { form->toggleMouseDown(which); });
    }
    void MouseUp(short &, short &, float &, float &) override
    {
        vb::runEvent([this] { form->toggleMouseUp(which); });
    }
};

fCorvane::fCorvane()
{
    setObjectName(QStringLiteral("fCorvane"));

    // The MDI area goes beside the left panel, below the top bar.
    QMdiArea *area = mdiArea();
    window()->takeCentralWidget();
    auto *frame = new QWidget;
    auto *column = new QVBoxLayout(frame);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    Picture2 = new QWidget(frame);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    Picture2->setFixedHeight(vb::pixelsY(kTopBarHeight));
    column->addWidget(Picture2);
    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    Picture1 = new QWidget(frame);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    row->addWidget(Picture1);
    row->addWidget(area, 1);
    column->addLayout(row, 1);
    window()->setCentralWidget(frame);

    StatusBar1 = new vb::StatusBar(window());
    StatusBar1->setObjectName(QStringLiteral("StatusBar1"));
    window()->setStatusBar(StatusBar1);

    buildTopBar();
    buildLeftPanel();
    buildToggles();
    buildMenus();
    connectSearchControls();
    setLeftPanelWidth(mainwindow::kTabLayoutPanelWidth);
    setWidth(mainwindow::kMainWindowWidth);
    setHeight(kDesignHeight);

    const auto &factory = mainwindow::keywordBrowserFactory();
    if (factory)
        m_browser = factory(*this);
    if (!m_browser)
        m_browser = std::make_unique<mainwindow::KeywordBrowserHooks>();
}

fCorvane::~fCorvane()
{
    // The toggles are children of the window and may outlive this object
    // by a moment; they must not call into sinks that are gone.
    for (Toggle t : {Toggle::KW, Toggle::Search, Toggle::Other, Toggle::SimpleBrowser,
                     Toggle::DoubleBrowser}) {
        com::Control &c = toggle(t);
        if (!c.isNull() && m_sinks[int(t)] && c.widget())
            c.unadvise(m_sinks[int(t)].get());
    }
}

// ---------------------------------------------------------------------------
// Building the design

void fCorvane::buildTopBar()
{
    QWidget *bar = Picture2;
    FrameSwitch = newFrame(bar, 60, -120, 2520, 720);
    FrameSwitch->setObjectName(QStringLiteral("FrameSwitch"));

    FrameFile = newFrame(bar, 2620, -120, 3240, 720);
    OptionNote = new QRadioButton(QStringLiteral("Notes"), FrameFile);
    setGeometryTwips(OptionNote, 45, 200, 870, 375);
    OptionCit = new QRadioButton(QStringLiteral("Quotes"), FrameFile);
    setGeometryTwips(OptionCit, 930, 200, 990, 375);
    OptionRef = new QRadioButton(QStringLiteral("References"), FrameFile);
    setGeometryTwips(OptionRef, 1935, 200, 1305, 375);

    FrameSearch = newFrame(bar, 5880, -120, 3600, 720);
    LabelText = newLabel(FrameSearch, QStringLiteral("Text :"), 60, 240, 540, 300);
    TextSearch = new QLineEdit(FrameSearch);
    setGeometryTwips(TextSearch, 620, 210, 2300, 330);
    CommandSearchText = newButton(FrameSearch, QStringLiteral("Go"), 3000, 180, 540, 375);

    FrameOther = newFrame(bar, 5940, -120, 4700, 720);
    Label6 = newLabel(FrameOther, QStringLiteral("sorted by :"), 60, 240, 900, 300);
    OptionByAuthor = new QRadioButton(QStringLiteral("Author"), FrameOther);
    setGeometryTwips(OptionByAuthor, 1000, 200, 950, 375);
    OptionByKeyword = new QRadioButton(QStringLiteral("Keyword"), FrameOther);
    setGeometryTwips(OptionByKeyword, 1990, 200, 1095, 375);
    OptionByDate = new QRadioButton(QStringLiteral("Date"), FrameOther);
    setGeometryTwips(OptionByDate, 3100, 200, 810, 375);
    CommandSearchOther = newButton(FrameOther, QStringLiteral("Go"), 4000, 180, 540, 375);

    FrameKW = newFrame(bar, 2620, -120, 3300, 720);

    const std::pair<QString, QWidget *> named[] = {
        {QStringLiteral("FrameFile"), FrameFile},     {QStringLiteral("FrameSearch"), FrameSearch},
        {QStringLiteral("FrameOther"), FrameOther},   {QStringLiteral("FrameKW"), FrameKW},
        {QStringLiteral("OptionNote"), OptionNote},   {QStringLiteral("OptionCit"), OptionCit},
        {QStringLiteral("OptionRef"), OptionRef},     {QStringLiteral("LabelText"), LabelText},
        {QStringLiteral("TextSearch"), TextSearch},   {QStringLiteral("CommandSearchText"), CommandSearchText},
        {QStringLiteral("Label6"), Label6},           {QStringLiteral("OptionByAuthor"), OptionByAuthor},
        {QStringLiteral("OptionByKeyword"), OptionByKeyword},
        {QStringLiteral("OptionByDate"), OptionByDate},
        {QStringLiteral("CommandSearchOther"), CommandSearchOther},
    };
    for (const auto &[name, w] : named) {
        w->setObjectName(name);
        m_named.insert(name, w);
        addControl(name, w);
    }
}

void fCorvane::buildLevelPane(QWidget *pane, vb::ControlArray<vb::FlexGrid> &grids,
                              vb::ControlArray<QLineEdit> &boxes, QScrollBar *&scroll)
{
    auto *levels = static_cast<LevelPane *>(pane);
    const QString prefix = pane->objectName() == QStringLiteral("DownPanel") ? QStringLiteral("Down")
                                                                             : QStringLiteral("Up");
    auto *grid = newListGrid(pane);
    setGeometryTwips(grid, 0, 120, kPaneWidth - kScrollWidth, kLevelGridHeight);
    grid->setObjectName(prefix + QStringLiteral("Grid"));
    auto *box = new QLineEdit(pane);
    setGeometryTwips(box, 0, 240, kPaneWidth - kScrollWidth, 285);
    box->setObjectName(prefix + QStringLiteral("GridSel"));
    box->setVisible(false);
    scroll = new QScrollBar(Qt::Vertical, pane);
    scroll->setObjectName(prefix + QStringLiteral("VScroll"));
    scroll->setRange(0, 0);
    // One level a step (LargeChange 1): the thumb stands for one of the
    // Max + 1 places, so at Max it shows at the bottom.
    scroll->setPageStep(1);
    setGeometryTwips(scroll, kPaneWidth - kScrollWidth, 120, kScrollWidth, kLevelGridHeight);
    levels->scroll = scroll;

    // New levels are made like level 0 (column 0 3000 twips wide), hidden,
    // with an empty box.
    grids.setDesign(grid, [pane, grid](int) {
        auto *g = newListGrid(pane);
        g->setGeometry(grid->geometry());
        g->setToolTip(grid->toolTip());
        return g;
    });
    boxes.setDesign(box, [pane, box](int) {
        auto *b = new QLineEdit(pane);
        b->setGeometry(box->geometry());
        return b;
    });
    addControl(grid->objectName(), grid);
    addControl(box->objectName(), box);
    addControl(scroll->objectName(), scroll);
}

void fCorvane::buildLeftPanel()
{
    QWidget *p = Picture1;

    TabStrip1 = new vb::TabStrip(p);
    TabStrip1->setObjectName(QStringLiteral("TabStrip1"));
    // The three captions do not fit the panel's width side by side: they
    // take two rows rather than scroll arrows.
    TabStrip1->setMultiRow(true);
    setGeometryTwips(TabStrip1, 60, 480, 2230, kTabStripHeight);
    TabStrip1->addTab(QStringLiteral("Down Links,"), QStringLiteral("displays the subsets of the selected Keyword"));
    TabStrip1->addTab(QStringLiteral("Up Links."), QStringLiteral("displays the supersets or the selected Keyword"));
    TabStrip1->addTab(QStringLiteral("  All Keywords   "), QStringLiteral("display, add and remove Keywords"));
    TabStrip1->setSelectedIndex(1);
    vb::connectEvent(TabStrip1, &vb::TabStrip::click, this, [this] { TabStrip1_Click(); });

    auto *down = new LevelPane(p);
    down->setObjectName(QStringLiteral("DownPanel"));
    setGeometryTwips(down, 120, 900, kPaneWidth, kLevelPaneHeight);
    DownPanel = down;
    buildLevelPane(DownPanel, DownGrid, DownGridSel, DownVScroll);

    auto *up = new LevelPane(p);
    up->setObjectName(QStringLiteral("UpPanel"));
    setGeometryTwips(up, 120, 2900, kPaneWidth, kLevelPaneHeight);
    UpPanel = up;
    buildLevelPane(UpPanel, UpGrid, UpGridSel, UpVScroll);

    AllKWPanel = new QWidget(p);
    AllKWPanel->setObjectName(QStringLiteral("AllKWPanel"));
    setGeometryTwips(AllKWPanel, 120, 900, kPaneWidth, 6000);
    Text1 = new QLineEdit(AllKWPanel);
    Text1->setObjectName(QStringLiteral("Text1"));
    setGeometryTwips(Text1, 0, 0, kPaneWidth, 330);
    KWAdd = newButton(AllKWPanel, QStringLiteral("Add"), 0, 390, 1050, 330);
    KWAdd->setObjectName(QStringLiteral("KWAdd"));
    KWSupp = newButton(AllKWPanel, QStringLiteral("Supp"), 1150, 390, 1050, 330);
    KWSupp->setObjectName(QStringLiteral("KWSupp"));
    KWList = new vb::FlexGrid(1, 1, 0, 0, AllKWPanel);
    KWList->setObjectName(QStringLiteral("KWList"));
    setGeometryTwips(KWList, 0, 780, kPaneWidth, 5200);
    KWList->setColWidth(0, 5000);

    // The link editor stands so that cmdFindIfLinks, beside the central Set
    // SelUpDown, comes above cmdAddFromListUp, which the simple layout puts
    // 100 twips below the keyword list's top: level with GridUp. Never above
    // 420, where the button would meet KWSel.
    DownUpPanel = new QWidget(p);
    DownUpPanel->setObjectName(QStringLiteral("DownUpPanel"));
    const double downUpTop = qMax(420.0, TabStrip1->clientTop() + 100 - 690);
    setGeometryTwips(DownUpPanel, 3000, downUpTop, kDownUpWidth, 5400);
    SelUpDown = newLabel(DownUpPanel, QString(), 0, 0, kDownUpWidth, 300);
    SelUpDown->setObjectName(QStringLiteral("SelUpDown"));
    Label2 = newLabel(DownUpPanel, QStringLiteral("Sets including"), 0, 390, 1500, 255);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label4 = newLabel(DownUpPanel, QString(), 1560, 390, 1740, 255);
    Label4->setObjectName(QStringLiteral("Label4"));
    GridUp = newListGrid(DownUpPanel);
    GridUp->setObjectName(QStringLiteral("GridUp"));
    setGeometryTwips(GridUp, 0, 690, kDownUpWidth, 1900);
    Label3 = newLabel(DownUpPanel, QStringLiteral("Sets included in"), 0, 2760, 1500, 255);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label5 = newLabel(DownUpPanel, QString(), 1560, 2760, 1740, 255);
    Label5->setObjectName(QStringLiteral("Label5"));
    GridDown = newListGrid(DownUpPanel);
    GridDown->setObjectName(QStringLiteral("GridDown"));
    setGeometryTwips(GridDown, 0, 3060, kDownUpWidth, 1900);
    const QString setTip = QStringLiteral("  Double-click on a Set makes it the central Set  ");
    GridUp->setToolTip(setTip);
    GridDown->setToolTip(setTip);

    // The link editor's buttons sit in the gaps on either side of DownUpPanel.
    auto linkButton = [&](QPushButton *&b, const char *name, const QString &caption) {
        b = newButton(p, caption, 0, 0, kLinkButton, kLinkButton);
        b->setObjectName(QString::fromLatin1(name));
    };
    linkButton(cmdAddFromListUp, "cmdAddFromListUp", QStringLiteral(">"));
    linkButton(cmdAddFromListDown, "cmdAddFromListDown", QStringLiteral(">"));
    linkButton(cmdFindIfLinks, "cmdFindIfLinks", QStringLiteral("?"));
    linkButton(cmdSelFromUp, "cmdSelFromUp", QStringLiteral("<"));
    linkButton(cmdSuppFromListUp, "cmdSuppFromListUp", QStringLiteral("X"));
    linkButton(cmdSelFromDown, "cmdSelFromDown", QStringLiteral("<"));
    linkButton(cmdSuppFromListDown, "cmdSuppFromListDown", QStringLiteral("X"));
    linkButton(cmdSearchUp, "cmdSearchUp", QStringLiteral("^"));
    linkButton(cmdReverseSearch, "cmdReverseSearch", QStringLiteral("v"));
    setGeometryTwips(cmdSearchUp, 0, 1200, kLinkButton, kLinkButton);
    setGeometryTwips(cmdReverseSearch, 0, 1680, kLinkButton, kLinkButton);

    // Where the tab strip's tabs are in the tab layout, under KWSel2.
    Label1 = newLabel(p, QStringLiteral("Double Browser System"), 120, 480, 2200, 300);
    Label1->setObjectName(QStringLiteral("Label1"));
    KWSel = newLabel(p, QString(), 2440, 60, 3000, 300);
    KWSel->setObjectName(QStringLiteral("KWSel"));
    KWSel2 = newLabel(p, QString(), 120, 120, 2200, 300);
    KWSel2->setObjectName(QStringLiteral("KWSel2"));

    const QList<QWidget *> named{TabStrip1, DownPanel, UpPanel, AllKWPanel, DownUpPanel,
                                 cmdAddFromListUp, cmdAddFromListDown, cmdFindIfLinks, cmdSelFromUp,
                                 cmdSelFromDown, cmdSuppFromListUp, cmdSuppFromListDown, cmdSearchUp,
                                 cmdReverseSearch, Label1, KWSel, KWSel2};
    for (QWidget *w : named) {
        m_named.insert(w->objectName(), w);
        addControl(w->objectName(), w);
    }
    for (QWidget *w : std::initializer_list<QWidget *>{KWList, Text1, KWAdd, KWSupp, SelUpDown, GridUp,
                                                       GridDown, Label2, Label3, Label4, Label5})
        addControl(w->objectName(), w);
    // The labels that show the chosen keyword, which they hold whole.
    for (QLabel *l : {KWSel, KWSel2, SelUpDown, Label4, Label5})
        vb::showShortTexts(l);
}

void fCorvane::buildToggles()
{
    struct Design {
        Toggle which;
        const char *name;
        QWidget *frame;
        const char *caption;
        int style;
        int position;
        double left, width;
    };
    const Design designs[] = {
        // Wide enough for the caption and its one-pixel shift when pushed,
        // clear of the two-pixel bevel.
        {Toggle::KW, "SwitchKW", FrameSwitch, "KeyWords", Palvex_Ctl::Switch, Palvex_Ctl::up, 60, 1050},
        {Toggle::Search, "SwitchSearch", FrameSwitch, "Search", Palvex_Ctl::Switch, Palvex_Ctl::Down, 1140, 720},
        {Toggle::Other, "SwitchOther", FrameSwitch, "Other", Palvex_Ctl::Switch, Palvex_Ctl::up, 1890, 630},
        {Toggle::SimpleBrowser, "SwitchSimpleBrowser", FrameKW, "Simple Browser", Palvex_Ctl::Normal,
         Palvex_Ctl::Down, 60, 1560},
        {Toggle::DoubleBrowser, "SwitchDoubleBrowser", FrameKW, "Double Browser", Palvex_Ctl::Normal,
         Palvex_Ctl::up, 1680, 1560},
    };
    try {
        for (const Design &d : designs) {
            com::Control c = com::Control::create(Palvex_Ctl::CLSID_Palvex, d.frame, Palvex_Ctl::LibraryName);
            // The saved design: only what differs from the control's defaults.
            com::PropertyBag bag{{QStringLiteral("Caption"), QString::fromLatin1(d.caption)}};
            if (d.style != Palvex_Ctl::Normal)
                bag.writeProperty(QStringLiteral("Style"), d.style);
            if (d.position != Palvex_Ctl::up)
                bag.writeProperty(QStringLiteral("Position"), d.position);
            c.load(bag);
            QWidget *w = c.widget();
            w->setObjectName(QString::fromLatin1(d.name));
            setGeometryTwips(w, d.left, 180, d.width, 375);
            auto sink = std::make_unique<ToggleSink>();
            sink->form = this;
            sink->which = d.which;
            c.advise(sink.get());
            m_sinks[int(d.which)] = std::move(sink);
            toggle(d.which) = c;
            addControl(w->objectName(), w);
        }
    } catch (const vb::Error &e) {
        // Without the control library the window still works from its menus.
        vb::reportError(e);
    }
}

void fCorvane::buildMenus()
{
    QMenuBar *bar = window()->menuBar();
    auto top = [&](const char *name, const QString &caption) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m_menus.insert(m->objectName(), m);
        m_items.insert(m->objectName(), m->menuAction());
        return m;
    };
    auto sub = [&](QMenu *parent, const char *name, const QString &caption) {
        QMenu *m = parent->addMenu(caption);
        m->setObjectName(QString::fromLatin1(name));
        m_menus.insert(m->objectName(), m);
        m_items.insert(m->objectName(), m->menuAction());
        return m;
    };
    auto sep = [&](QMenu *parent, const char *name) {
        QAction *a = parent->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        m_items.insert(a->objectName(), a);
    };
    // A command of the window itself, or one of MainCommands, reached
    // directly.
    auto item = [&](QMenu *parent, const char *name, const QString &caption, auto command) {
        QAction *a = parent->addAction(caption);
        a->setObjectName(QString::fromLatin1(name));
        m_items.insert(a->objectName(), a);
        if constexpr (std::is_same_v<decltype(command), void (fCorvane::*)()>)
            vb::connectEvent(a, &QAction::triggered, this, [this, command] { (this->*command)(); });
        else
            vb::connectEvent(a, &QAction::triggered, this, [this, command] { ((*m_commands).*command)(); });
        return a;
    };

    QMenu *db = top("mDatabase", QStringLiteral("&Database"));
    item(db, "mLoad2", QStringLiteral("&Load"), &fCorvane::mLoad2_Click);
    item(db, "mNewBase", QStringLiteral("&New"), &fCorvane::mNewBase_Click);
    sep(db, "Nul");
    item(db, "mImport", QStringLiteral("&Import"), &fCorvane::mImport_Click);
    sep(db, "Nul3");
    item(db, "mSaveAs", QStringLiteral("&Save As..."), &fCorvane::mSaveAs_Click);
    sep(db, "Nul2");
    QAction *quit = item(db, "mQuit", QStringLiteral("&Quit"), &fCorvane::mQuit_Click);
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);

    QMenu *type = top("mDataType", QStringLiteral("&DataType"));
    QMenu *ref = sub(type, "mRef", QStringLiteral("&Reference"));
    QMenu *bibOpen = sub(ref, "mBibOpen", QStringLiteral("&Open"));
    item(bibOpen, "mBibOpenAuthor", QStringLiteral("by &Author"), &mainwindow::MainCommands::mBibOpenAuthor_Click);
    item(bibOpen, "mBibOpenKW", QStringLiteral("by &Keyword"), &mainwindow::MainCommands::mBibOpenKW_Click);
    item(ref, "mBibNew2", QStringLiteral("&New"), &mainwindow::MainCommands::mBibNew2_Click);
    QMenu *quote = sub(type, "mQuote", QStringLiteral("&Quote"));
    QMenu *citOpen = sub(quote, "mCitOpen", QStringLiteral("&Open"));
    item(citOpen, "mCitOpenAuthor", QStringLiteral("by &Author"), &mainwindow::MainCommands::mCitOpenAuthor_Click);
    item(citOpen, "mCitOpenKW", QStringLiteral("by &Keyword"), &mainwindow::MainCommands::mCitOpenKW_Click);
    item(citOpen, "mCitOpenDate", QStringLiteral("by &Date"), &mainwindow::MainCommands::mCitOpenDate_Click);
    item(quote, "mCitNew2", QStringLiteral("&New"), &mainwindow::MainCommands::mCitNew2_Click);
    QMenu *note = sub(type, "mn", QStringLiteral("&Note"));
    QMenu *noteOpen = sub(note, "mNote", QStringLiteral("&Open"));
    item(noteOpen, "mNotebyKeyword", QStringLiteral("by &Keyword"), &mainwindow::MainCommands::mNotebyKeyword_Click);
    item(noteOpen, "mNotebyDate", QStringLiteral("by &Date"), &mainwindow::MainCommands::mNotebyDate_Click);
    item(note, "mNoteNew", QStringLiteral("&New"), &mainwindow::MainCommands::mNoteNew_Click);
    sep(type, "Nul4");

    QMenu *newMenu = top("mNew", QStringLiteral("&New"));
    item(newMenu, "mBibNew", QStringLiteral("&Reference"), &mainwindow::MainCommands::mBibNew_Click);
    item(newMenu, "mCitNew", QStringLiteral("&Quote"), &mainwindow::MainCommands::mCitNew_Click);
    item(newMenu, "mNNew", QStringLiteral("&Note"), &mainwindow::MainCommands::mNNew_Click);

    // No items: shown greyed.
    top("mEdit", QStringLiteral("&Edit"))->menuAction()->setEnabled(false);

    QMenu *kw = top("mKeywords", QStringLiteral("&Keywords"));
    item(kw, "mKWList", QStringLiteral("&List"), &fCorvane::mKWList_Click);
    item(kw, "mKWStruct", QStringLiteral("&Structure"), &fCorvane::mKWStruct_Click);
    QMenu *indexAll = sub(kw, "mIndexAll", QStringLiteral("&Index All"));
    item(indexAll, "mIndexAllQuotes", QStringLiteral("&Quotes"), &mainwindow::MainCommands::mIndexAllQuotes_Click);
    item(indexAll, "mIndexAllNotes", QStringLiteral("&Notes"), &mainwindow::MainCommands::mIndexAllNotes_Click);
    QMenu *allKw = sub(kw, "mnuAllKeywords", QStringLiteral("&All Keywords"));
    item(allKw, "mnuAllKeywordsQuotes", QStringLiteral("&Quotes"), &mainwindow::MainCommands::mnuAllKeywordsQuotes_Click);
    item(allKw, "mnuAllKeywordsNotes", QStringLiteral("&Notes"), &mainwindow::MainCommands::mnuAllKeywordsNotes_Click);

    QMenu *find = top("FindNoteText", QStringLiteral("Search Word in Text"));
    QMenu *inQuotes = sub(find, "mCitFindTextAll", QStringLiteral("in Quotes"));
    item(inQuotes, "GridKWText2", QStringLiteral("display Grid"), &mainwindow::MainCommands::GridKWText2_Click);
    item(inQuotes, "mCitFindText", QStringLiteral("display Cards"), &mainwindow::MainCommands::mCitFindText_Click);
    QMenu *inNotes = sub(find, "mNFindTextAll", QStringLiteral("in Notes"));
    item(inNotes, "GridKWText", QStringLiteral("display Grid"), &mainwindow::MainCommands::GridKWText_Click);
    item(inNotes, "mNFindText", QStringLiteral("display Cards"), &mainwindow::MainCommands::mNFindText_Click);

    QMenu *windows = top("mWindows", QStringLiteral("Windows"));
    item(windows, "mWCascade", QStringLiteral("Cascade"), &fCorvane::mWCascade_Click);
    item(windows, "mWIcons", QStringLiteral("Arrange Icons"), &fCorvane::mWIcons_Click);
    item(windows, "mCloseAll", QStringLiteral("Close All"), &fCorvane::mCloseAll_Click);
    setWindowListMenu(windows);

    QMenu *help = top("mHelp", QStringLiteral("&?"));
    item(help, "mCopyright", QStringLiteral("&About"), &fCorvane::mCopyright_Click);
}

QAction *fCorvane::menuItem(const QString &name) const { return m_items.value(name); }
QMenu *fCorvane::menu(const QString &name) const { return m_menus.value(name); }

com::Control &fCorvane::toggle(Toggle t)
{
    switch (t) {
    case Toggle::KW: return SwitchKW;
    case Toggle::Search: return SwitchSearch;
    case Toggle::Other: return SwitchOther;
    case Toggle::SimpleBrowser: return SwitchSimpleBrowser;
    case Toggle::DoubleBrowser: break;
    }
    return SwitchDoubleBrowser;
}

QWidget *fCorvane::namedControl(const QString &name) const { return m_named.value(name); }

// ---------------------------------------------------------------------------
// Loading

void fCorvane::formLoad()
{
    ClearGridRows();

    // The shared path stays absolute, so that the base commands reach the
    // file wherever it lies; the window shows the bare file name.
    const QString fileName = FileNameOfPath(g_BasePath);
    StatusBar1->setPanelText(1, fileName);
    setCaption(mainwindow::mainCaption(fileName));

    if (rsCGroup1.RecordCount() == 0) {
        // A read-only base refuses the row: it then loads with an empty list.
        vb::trapNumber(dao::ErrReadOnly, [] {
            dao::RowUpdate row(rsCGroup1, dao::RowUpdate::AddNew);
            fldCGroup1Groupe.setValue(QStringLiteral("No Keyword"));
            row.Update();
        });
    }

    setLeft(0);
    setWidth(mainwindow::kMainWindowWidth);
    setTop(0);
    setLeft(mainwindow::centredOffset(vb::Screen::width(), width()));
    setTop(mainwindow::centredOffset(vb::Screen::height(), height()));

    setLeftPanelWidth(mainwindow::kTabLayoutPanelWidth);
    placeDownAndUpPanels();
    UpPanel->setEnabled(false);

    m_browser->BindLinkRecordset();
    m_browser->CollectRootKeywords();
    m_browser->FillRootGrid(DownGrid[0]);

    // Every load starts from the design's state, also after a base command
    // unloaded a window that was in a browser layout.
    m_browser->ResetNavigation();
    m_modes = mainwindow::MainWindowModes();
    g_KWFrameHidden = false;
    writePositions();

    AllKWPanel->setEnabled(false);
    AllKWPanel->move(vb::pixelsX(TabStrip1->clientLeft()), vb::pixelsY(TabStrip1->clientTop()));

    FillKeywordList();

    CardKind = QStringLiteral("Cit");
    OptionCit->setChecked(true);

    const QPoint at = mainwindow::MainWindowModes::searchFramePositionAtLoad();
    vb::setLeft(FrameSearch, at.x());
    vb::setTop(FrameSearch, at.y());
    // Search mode with the first tab, as the design shows it.
    TabStrip1->blockSignals(true);
    TabStrip1->setSelectedIndex(1);
    TabStrip1->blockSignals(false);
    applyVisibleSet();
}

void fCorvane::FillKeywordList()
{
    KWList->clear(); // plain rows: no colour of an earlier click
    KWList->setColWidth(0, 5000);
    if (rsCGroup1.RecordCount() == 0) {
        KWList->setRows(0);
        return;
    }
    KWList->setRows(1);
    KWList->setRow(0);
    rsCGroup1.MoveFirst();
    KWList->setText(fldCGroup1Groupe.Value().toString());
    rsCGroup1.MoveNext();
    while (!rsCGroup1.Eof()) {
        KWList->addItem(fldCGroup1Groupe.Value().toString());
        rsCGroup1.MoveNext();
    }
}

// ---------------------------------------------------------------------------
// Layouts

void fCorvane::setLeftPanelWidth(double twips) { Picture1->setFixedWidth(qMax(0, vb::pixelsX(twips))); }

void fCorvane::placeDownAndUpPanels()
{
    const double l = TabStrip1->clientLeft(), t = TabStrip1->clientTop(), w = TabStrip1->clientWidth();
    setGeometryTwips(DownPanel, l, t, w, vb::heightOf(DownPanel));
    setGeometryTwips(UpPanel, l, t + mainwindow::kUpPanelOffset, w, vb::heightOf(UpPanel));
}

void fCorvane::applyVisibleSet()
{
    const QSet<QString> visible = m_modes.visibleControls();
    for (const QString &name : mainwindow::MainWindowModes::allControls()) {
        QWidget *w = namedControl(name);
        if (!w)
            continue;
        const bool shown = visible.contains(name);
        w->setVisible(shown);
        if (mainwindow::MainWindowModes::isPane(name))
            w->setEnabled(shown);
    }
}

void fCorvane::LayoutTabPanes()
{
    setLeftPanelWidth(mainwindow::kTabLayoutPanelWidth);
    KWSel2->setText(KWSel->text());
    placeDownAndUpPanels();
    TabStrip1_Click();
}

void fCorvane::TabStrip1_Click()
{
    m_modes.selectTab(TabStrip1->selectedIndex());
    applyVisibleSet();
    if (m_modes.selectedTab() == 2)
        m_browser->RefreshUpPane();
}

void fCorvane::ShowSelectedKeywordInList()
{
    const int rows = KWList->rows();
    const QString selected = KWSel->text();
    for (int i = 0; i < rows; ++i) {
        if (KWList->textMatrix(i, 0) != selected)
            continue;
        KWList->setRow(i);
        KWList->setRowSel(i);
        if (const auto top = mainwindow::keywordListTopRow(i, rows))
            KWList->setTopRow(*top);
        return;
    }
}

void fCorvane::LayoutSimpleBrowser()
{
    applyVisibleSet();
    ShowSelectedKeywordInList();

    mainwindow::SimpleBrowserInput in;
    in.allKWPanel = {vb::leftOf(AllKWPanel), vb::topOf(AllKWPanel), vb::widthOf(AllKWPanel),
                     vb::heightOf(AllKWPanel)};
    in.downUpPanelTop = vb::topOf(DownUpPanel);
    in.downUpPanelWidth = vb::widthOf(DownUpPanel);
    in.selUpDownTop = vb::topOf(SelUpDown);
    in.gridUpTop = vb::topOf(GridUp);
    in.gridDownTop = vb::topOf(GridDown);
    in.selFromUpHeight = vb::heightOf(cmdSelFromUp);
    in.selFromDownHeight = vb::heightOf(cmdSelFromDown);
    const mainwindow::SimpleBrowserPlaces p = mainwindow::simpleBrowserPlaces(in);

    auto place = [](QWidget *w, double l, double t) {
        vb::setLeft(w, l);
        vb::setTop(w, t);
    };
    place(cmdAddFromListUp, p.addFromListUpLeft, p.addFromListUpTop);
    place(cmdAddFromListDown, p.addFromListDownLeft, p.addFromListDownTop);
    place(cmdFindIfLinks, p.findIfLinksLeft, p.findIfLinksTop);
    vb::setLeft(DownUpPanel, p.downUpPanelLeft);
    place(cmdSelFromUp, p.selFromUpLeft, p.selFromUpTop);
    place(cmdSuppFromListUp, p.suppFromListUpLeft, p.suppFromListUpTop);
    place(cmdSelFromDown, p.selFromDownLeft, p.selFromDownTop);
    place(cmdSuppFromListDown, p.suppFromListDownLeft, p.suppFromListDownTop);

    g_KWFrameHidden = true;
    setLeftPanelWidth(p.leftPanelWidth);
}

void fCorvane::LayoutDoubleBrowser()
{
    applyVisibleSet();
    ShowSelectedKeywordInList();
    g_KWFrameHidden = true;

    const mainwindow::RectTwips all{vb::leftOf(AllKWPanel), vb::topOf(AllKWPanel), vb::widthOf(AllKWPanel),
                                    vb::heightOf(AllKWPanel)};
    const mainwindow::DoubleBrowserPlaces p =
        mainwindow::doubleBrowserPlaces(all, vb::widthOf(DownPanel), vb::widthOf(UpPanel));
    vb::setLeft(DownPanel, p.downPanelLeft);
    vb::setLeft(cmdSearchUp, p.searchUpLeft);
    vb::setLeft(UpPanel, p.upPanelLeft);
    setLeftPanelWidth(p.leftPanelWidth);
}

// ---------------------------------------------------------------------------
// The toggles

void fCorvane::writePositions()
{
    for (Toggle t : {Toggle::KW, Toggle::Search, Toggle::Other, Toggle::SimpleBrowser,
                     Toggle::DoubleBrowser}) {
        const com::Control &c = toggle(t);
        if (!c.isNull())
            c.put(Palvex_Ctl::DISPID_Position, qint32(m_modes.position(t)));
    }
}

void fCorvane::applyEffect(const mainwindow::ToggleEffect &effect)
{
    switch (effect.resultWindow) {
    case mainwindow::ResultWindow::Show: SetResultGridVisible(true); break;
    case mainwindow::ResultWindow::Hide: SetResultGridVisible(false); break;
    case mainwindow::ResultWindow::Unchanged: break;
    }
    const QSet<QString> visible = m_modes.visibleControls();
    for (const char *frame : {"FrameFile", "FrameSearch", "FrameOther", "FrameKW"}) {
        const QString name = QString::fromLatin1(frame);
        if (!visible.contains(name))
            continue;
        const QPoint at = mainwindow::MainWindowModes::framePosition(name);
        vb::setLeft(namedControl(name), at.x());
        vb::setTop(namedControl(name), at.y());
    }
    g_KWFrameHidden = m_modes.kwFrameHidden();
    switch (effect.layout) {
    case mainwindow::Layout::Tabs: LayoutTabPanes(); break;
    case mainwindow::Layout::SimpleBrowser: LayoutSimpleBrowser(); break;
    case mainwindow::Layout::DoubleBrowser: LayoutDoubleBrowser(); break;
    case mainwindow::Layout::None: applyVisibleSet(); break;
    }
}

void fCorvane::toggleMouseDown(Toggle t)
{
    const mainwindow::ToggleEffect e = m_modes.mouseDown(t);
    writePositions();
    applyEffect(e);
}

void fCorvane::toggleMouseUp(Toggle t)
{
    const mainwindow::ToggleEffect e = m_modes.mouseUp(t);
    writePositions();
    applyEffect(e);
}

// ---------------------------------------------------------------------------
// Menu commands

void fCorvane::mWCascade_Click() { arrange(vb::vbCascade); }
void fCorvane::mWIcons_Click() { arrange(vb::vbArrangeIcons); }

void fCorvane::mCloseAll_Click() { mainwindow::CloseAllWindowsBut(this); }

void fCorvane::mLoad2_Click() { mainwindow::LoadAnotherBase(mainwindow::baseServices()); }
void fCorvane::mNewBase_Click() { mainwindow::ShowNewBaseWelcome(mainwindow::baseServices()); }
void fCorvane::mImport_Click() { mainwindow::ImportIntoBase(mainwindow::baseServices()); }
void fCorvane::mSaveAs_Click() { mainwindow::SaveBaseAs(mainwindow::baseServices()); }
void fCorvane::mQuit_Click() { mainwindow::QuitProgram(mainwindow::baseServices()); }

void fCorvane::mKWList_Click() { ShowKeywordList(); }
void fCorvane::mKWStruct_Click() { ShowKeywordStructure(); }
void fCorvane::mCopyright_Click() { vb::Forms::get<frmAbout>().show(); }

// ---------------------------------------------------------------------------

namespace mainwindow {

KeywordBrowserHooks::~KeywordBrowserHooks() = default;

namespace {
KeywordBrowserFactory &factorySlot()
{
    static KeywordBrowserFactory f;
    return f;
}
} // namespace

void setKeywordBrowserFactory(KeywordBrowserFactory factory) { factorySlot() = std::move(factory); }
const KeywordBrowserFactory &keywordBrowserFactory() { return factorySlot(); }

} // namespace mainwindow
