// The keyword browser inside the main window, driven offscreen through its
// controls: level clicks, scrolling, the right button, the Up tab, the link
// editor's buttons and drops, the type-ahead, adding and deleting keywords.

#include "BrowserTexts.h"
#include "Colors.h"
#include "DaoImpl.h"
#include "DragDrop.h"
#include "FlexGrid.h"
#include "Form.h"
#include "KeywordBrowser.h"
#include "MainWindowModes.h"
#include "TestBase.h"
#include "Twips.h"
#include "fCorvane.h"
#include "InstallKeywords.h"
#include "fGrid.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>

#include <sqlite3.h>

using namespace browser;
using testbase::Base;
using vb::DialogScript;

namespace {

QStringList rowsOf(vb::FlexGrid *g)
{
    QStringList out;
    for (int i = 0; i < g->rows(); ++i)
        out << g->textMatrix(i, 0);
    return out;
}

// A point of the row inside the grid: the keyword list's column is wider
// than the grid.
QPoint rowPoint(vb::FlexGrid *g, int row)
{
    const QRect cell = g->visualRect(g->model()->index(row, 0));
    return {std::min(cell.center().x(), g->viewport()->width() / 2), cell.center().y()};
}

void clickRow(vb::FlexGrid *g, int row, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(g->viewport(), button, {}, rowPoint(g, row));
}

void drop(vb::FlexGrid *g, const vb::DragPayload &payload)
{
    vb::PayloadMimeData data(payload);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(g->viewport(), &enter);
    QDropEvent event(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(g->viewport(), &event);
}

bool near(double a, double b) { return qAbs(a - b) <= 15; }

} // namespace

class TestBrowserWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<Base> m_base;
    std::unique_ptr<DialogScript> m_script;

    fCorvane &loadMain()
    {
        fCorvane &f = vb::Forms::get<fCorvane>();
        f.show();
        return f;
    }
    KeywordBrowser &browserOf(fCorvane &f) { return dynamic_cast<KeywordBrowser &>(f.browser()); }

    // Keyword mode: the simple browser, the keyword list beside the link
    // editor.
    void keywordMode(fCorvane &f)
    {
        QWidget *w = f.toggle(mainwindow::Toggle::KW).widget();
        QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
        QVERIFY(g_KWFrameHidden);
        QVERIFY(f.DownUpPanel->isVisible());
        QVERIFY(f.AllKWPanel->isEnabled());
    }
    // The "  All Keywords   " tab of the tab layout.
    void allKeywordsTab(fCorvane &f)
    {
        f.TabStrip1->setSelectedIndex(3);
        f.TabStrip1_Click();
        QVERIFY(f.AllKWPanel->isVisible());
        QVERIFY(f.AllKWPanel->isEnabled());
    }

private slots:
    void initTestCase()
    {
        vb::Forms::setProgramEndHandler([] {});
        InstallKeywordBrowser();
        InstallKeywordWindows();
    }

    void init()
    {
        m_base.reset();
        m_base = std::make_unique<Base>();
        g_BasePath = QStringLiteral("test.cvb");
        m_script = std::make_unique<DialogScript>();
    }

    void cleanup()
    {
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const bool ok = m_script->ok();
        const QByteArray report = m_script->report();
        m_script.reset();
        m_base.reset();
        QVERIFY2(ok, report.constData());
    }

    void downPaneByClicks()
    {
        Base::keywords({"A", "B", "C", "D", "Alone"});
        Base::link("A", "B");
        Base::link("B", "C");
        Base::link("C", "D");
        fCorvane &f = loadMain();
        QCOMPARE(rowsOf(f.DownGrid[0]), QStringList{"A"});
        QCOMPARE(rowsOf(f.KWList), (QStringList{"A", "Alone", "B", "C", "D"}));
        const double height0 = vb::heightOf(f.DownPanel);

        // In the tab layout a click lists the cards of the keyword.
        clickRow(f.DownGrid[0], 0);
        QCOMPARE(f.KWSel->text(), QStringLiteral("A"));
        QCOMPARE(f.KWSel2->text(), QStringLiteral("A"));
        QVERIFY(f.DownGrid.exists(1));
        QCOMPARE(rowsOf(f.DownGrid[1]), QStringList{"B"});
        QVERIFY(f.DownGrid[1]->isVisibleTo(f.DownPanel));
        QVERIFY(near(vb::heightOf(f.DownPanel), height0 + 2000));
        QVERIFY(near(vb::topOf(f.DownGrid[1]), 2120));
        fGrid *result = vb::Forms::find<fGrid>();
        QVERIFY(result);
        QCOMPARE(result->tag(), QStringLiteral("Cit"));
        QCOMPARE(f.cmdFindIfLinks->toolTip(), texts::showLinksTip("A"));

        // The clicked row is painted with the highlight colours.
        f.DownGrid[0]->setRow(0);
        QCOMPARE(f.DownGrid[0]->cellBackColor(), vb::oleColor(vb::vbHighlight));

        clickRow(f.DownGrid[1], 0);
        QCOMPARE(rowsOf(f.DownGrid[2]), QStringList{"C"});
        QVERIFY(near(vb::heightOf(f.DownPanel), height0 + 4000));

        // Level 2 holds the lowest slot: the view scrolls by one level.
        clickRow(f.DownGrid[2], 0);
        QCOMPARE(rowsOf(f.DownGrid[3]), QStringList{"D"});
        QVERIFY(!f.DownGrid[0]->isVisibleTo(f.DownPanel));
        QVERIFY(f.DownGrid[3]->isVisibleTo(f.DownPanel));
        QCOMPARE(f.DownVScroll->maximum(), 1);
        QCOMPARE(f.DownVScroll->value(), 1);
        // At Max the thumb is drawn at the bottom, and it stands for one of
        // the two places: the upper half of the bar is free.
        {
            QScrollBar *bar = f.DownVScroll;
            QStyleOptionSlider opt;
            opt.initFrom(bar);
            opt.orientation = Qt::Vertical;
            opt.minimum = bar->minimum();
            opt.maximum = bar->maximum();
            opt.sliderPosition = opt.sliderValue = bar->value();
            opt.singleStep = bar->singleStep();
            opt.pageStep = bar->pageStep();
            opt.upsideDown = bar->invertedAppearance();
            opt.subControls = QStyle::SC_All;
            const QRect groove =
                bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarGroove, bar);
            const QRect thumb =
                bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, QStyle::SC_ScrollBarSlider, bar);
            QVERIFY(thumb.bottom() >= groove.bottom() - 1);
            QVERIFY2(thumb.top() >= groove.center().y() - 1,
                     qPrintable(QStringLiteral("thumb from %1, groove %2..%3")
                                    .arg(thumb.top())
                                    .arg(groove.top())
                                    .arg(groove.bottom())));
        }

        f.DownVScroll->setValue(0);
        QVERIFY(f.DownGrid[0]->isVisibleTo(f.DownPanel));
        QVERIFY(!f.DownGrid[3]->isVisibleTo(f.DownPanel));
        QVERIFY(near(vb::topOf(f.DownGrid[0]), 120));

        // The right button closes the result window and selects the keyword
        // of the current level again.
        f.KWSel->setText(QString());
        clickRow(f.DownGrid[2], 0, Qt::RightButton);
        QVERIFY(!vb::Forms::isLoaded<fGrid>());
        QCOMPARE(f.KWSel->text(), QStringLiteral("C"));

        // Level 0 again: the levels above go, a fresh level 1 comes.
        clickRow(f.DownGrid[0], 0);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.DownGrid.exists(2));
        QVERIFY(!f.DownGrid.exists(3));
        QCOMPARE(rowsOf(f.DownGrid[1]), QStringList{"B"});
        QVERIFY(near(vb::heightOf(f.DownPanel), height0 + 2000));
    }

    void clickedLevelKeepsItsRowsInView()
    {
        QStringList roots;
        for (int i = 0; i < 30; ++i) {
            roots << QStringLiteral("R%1").arg(i, 2, 10, QLatin1Char('0'));
            Base::link(roots.last(), QStringLiteral("Leaf"));
        }
        fCorvane &f = loadMain();
        vb::FlexGrid *level0 = f.DownGrid[0];
        QCOMPARE(rowsOf(level0), roots);
        level0->setTopRow(10);
        QCOMPARE(level0->topRow(), 10);
        const int rowY = level0->visualRect(level0->model()->index(12, 0)).top();

        clickRow(level0, 12);
        QCOMPARE(f.KWSel->text(), QStringLiteral("R12"));
        QCOMPARE(rowsOf(f.DownGrid[1]), QStringList{"Leaf"});
        // Only the colours change: the list keeps its rows, its scroll
        // position, and the clicked row its place.
        QCOMPARE(rowsOf(level0), roots);
        QCOMPARE(level0->topRow(), 10);
        QCOMPARE(level0->visualRect(level0->model()->index(12, 0)).top(), rowY);
        QCOMPARE(level0->row(), 12);
        QCOMPARE(level0->cellBackColor(), vb::oleColor(vb::vbHighlight));
        level0->setRow(11);
        QCOMPARE(level0->cellBackColor(), vb::oleColor(vb::vbWindowBackground));
        QCOMPARE(level0->topRow(), 10);

        // The next level is new: it shows from its first row.
        QCOMPARE(f.DownGrid[1]->topRow(), 0);
    }

    void refilledKeywordListStartsFromPlainRows()
    {
        Base::keywords({"A", "B", "C"});
        fCorvane &f = loadMain();
        allKeywordsTab(f);
        clickRow(f.KWList, 1);
        QCOMPARE(f.KWSel->text(), QStringLiteral("B"));
        QCOMPARE(f.KWList->cellBackColor(), vb::oleColor(vb::vbButtonFace));

        f.Text1->setText("AA");
        m_script->msgBox(vb::vbYes, texts::confirmAdd("AA"));
        f.KWAdd->click();
        QCOMPARE(rowsOf(f.KWList), (QStringList{"A", "AA", "B", "C"}));
        const QColor plain = f.KWList->palette().color(QPalette::Base);
        for (int r = 0; r < f.KWList->rows(); ++r) {
            f.KWList->setRow(r);
            QVERIFY2(f.KWList->cellBackColor() == plain, qPrintable(f.KWList->text()));
        }
    }

    void browserLayoutSelectsWithoutListing()
    {
        Base::keywords({"A", "B"});
        Base::link("A", "B");
        fCorvane &f = loadMain();
        keywordMode(f);
        vb::Forms::unload<fGrid>();
        clickRow(f.KWList, 1);
        QCOMPARE(f.KWSel->text(), QStringLiteral("B"));
        QVERIFY(!vb::Forms::isLoaded<fGrid>());
        // The double browser shows the Down pane; its clicks list nothing
        // either.
        QWidget *dbl = f.toggle(mainwindow::Toggle::DoubleBrowser).widget();
        QTest::mouseClick(dbl, Qt::LeftButton, {}, dbl->rect().center());
        QVERIFY(f.DownPanel->isVisible());
        clickRow(f.DownGrid[0], 0);
        QCOMPARE(f.KWSel->text(), QStringLiteral("A"));
        QCOMPARE(rowsOf(f.DownGrid[1]), QStringList{"B"});
        QVERIFY(!vb::Forms::isLoaded<fGrid>());
    }

    void upTabFromTheDownPane()
    {
        Base::keywords({"T", "X", "A", "B"});
        Base::link("T", "A");
        Base::link("A", "B");
        Base::link("X", "B");
        fCorvane &f = loadMain();
        QCOMPARE(rowsOf(f.DownGrid[0]), (QStringList{"T", "X"}));
        clickRow(f.DownGrid[0], 0);
        clickRow(f.DownGrid[1], 0); // A

        f.TabStrip1->setSelectedIndex(2);
        f.TabStrip1_Click();
        QCOMPARE(rowsOf(f.UpGrid[0]), QStringList{"A"});
        QCOMPARE(f.UpGrid[0]->row(), 0);
        QCOMPARE(rowsOf(f.UpGrid[1]), QStringList{"T"});
        QVERIFY(near(vb::heightOf(f.UpPanel), 4055));
        QVERIFY(vb::topOf(f.UpGrid[1]) < vb::topOf(f.UpGrid[0]));

        clickRow(f.UpGrid[1], 0);
        QCOMPARE(f.KWSel->text(), QStringLiteral("T"));
        QCOMPARE(rowsOf(f.UpGrid[2]), QStringList{QString()});
        QVERIFY(near(vb::heightOf(f.UpPanel), 6055));
        QVERIFY(near(vb::topOf(f.UpGrid[0]), 4120));

        // cmdSearchUp builds it again from the Down pane.
        f.cmdSearchUp->click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!f.UpGrid.exists(2));
        QCOMPARE(rowsOf(f.UpGrid[1]), QStringList{"T"});
    }

    void linkEditorButtonsAndTooltips()
    {
        Base::keywords({"A", "B", "C", "D"});
        Base::link("A", "B");
        Base::link("C", "A");
        fCorvane &f = loadMain();
        keywordMode(f);
        KeywordBrowser &b = browserOf(f);
        b.ShowKeywordLinks("A");
        QCOMPARE(f.SelUpDown->text(), QStringLiteral("A"));
        QCOMPARE(f.Label4->text(), QStringLiteral("A"));
        QCOMPARE(f.Label5->text(), QStringLiteral("A"));
        QCOMPARE(rowsOf(f.GridDown), QStringList{"B"});
        QCOMPARE(rowsOf(f.GridUp), QStringList{"C"});

        // D from the keyword list, below the central Set.
        clickRow(f.KWList, 3);
        QCOMPARE(f.KWList->text(), QStringLiteral("D"));
        QCOMPARE(f.cmdAddFromListDown->toolTip(), QStringLiteral("   Add D to A Subsets  "));
        QCOMPARE(f.cmdAddFromListUp->toolTip(), QStringLiteral("  Add D to A Supersets  "));
        f.cmdAddFromListDown->click();
        QCOMPARE(rowsOf(f.GridDown), (QStringList{"B", "D"}));
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>D", "C>A"}));

        // The same again is refused.
        m_script->msgBox(vb::vbOK, texts::linkExists);
        f.cmdAddFromListDown->click();
        QCOMPARE(Base::links().size(), 3);

        // A above itself, or C (above A) also below A: refused as the column
        // browsers refuse them, nothing stored.
        clickRow(f.KWList, 0);
        m_script->msgBox(vb::vbOK, texts::selfLink);
        QTest::mouseClick(f.cmdAddFromListDown, Qt::LeftButton);
        clickRow(f.KWList, 2);
        m_script->msgBox(vb::vbOK, texts::loopLink("C", "A"));
        QTest::mouseClick(f.cmdAddFromListDown, Qt::LeftButton);
        QCOMPARE(Base::links(), (QStringList{"A>B", "A>D", "C>A"}));
        QCOMPARE(rowsOf(f.GridDown), (QStringList{"B", "D"}));

        clickRow(f.GridDown, 1);
        QCOMPARE(f.cmdSelFromDown->toolTip(), QStringLiteral("  Selects  ' D '  as central Set  "));
        QCOMPARE(f.cmdSuppFromListDown->toolTip(), QStringLiteral(" Discards  ' D ' from  ' A ' Subsets  "));
        f.cmdSuppFromListDown->click();
        QCOMPARE(rowsOf(f.GridDown), QStringList{"B"});
        QCOMPARE(Base::links(), (QStringList{"A>B", "C>A"}));

        // The grid goes stale when another window removes the pair.
        QVERIFY(KeywordGraph(rsGroup2, fldGroup2Groupe2, fldGroup2Groupe).removeLink("C", "A"));
        clickRow(f.GridUp, 0);
        QCOMPARE(f.cmdSuppFromListUp->toolTip(), QStringLiteral(" Discards  ' C ' from  ' A ' Supersets  "));
        m_script->msgBox(vb::vbOK, texts::linkGone);
        f.cmdSuppFromListUp->click();
        QCOMPARE(Base::links(), QStringList{"A>B"});
        QCOMPARE(rowsOf(f.GridUp), QStringList{QString()});

        // A double-click makes the row the central Set.
        QTest::mouseDClick(f.GridDown->viewport(), Qt::LeftButton, {}, rowPoint(f.GridDown, 0));
        QCOMPARE(f.SelUpDown->text(), QStringLiteral("B"));
        QCOMPARE(rowsOf(f.GridUp), QStringList{"A"});

        // cmdFindIfLinks takes the current row of the keyword list.
        clickRow(f.KWList, 2);
        f.cmdFindIfLinks->click();
        QCOMPARE(f.SelUpDown->text(), QStringLiteral("C"));
    }

    // A keyword of a base made elsewhere may be a million characters long:
    // the tips that name it hold a prefix, as its labels do, since a
    // tooltip lays out all of its text each time it shows.
    void tipsNameAHugeKeywordByAPrefix()
    {
        const QString huge = QStringLiteral("H") + QString(1000000, u'h');
        Base::keywords({"B", "D"});
        // Past what the program itself lets a keyword be: written raw.
        const QByteArray bytes = huge.toUtf8();
        for (const char *sql : {"INSERT INTO CGROUP1 (GROUPE) VALUES (?1)",
                                "INSERT INTO GROUP2 (GROUPE2, GROUPE) VALUES (?1, 'B')"}) {
            sqlite3_stmt *s = nullptr;
            QCOMPARE(sqlite3_prepare_v2(dao::Access::impl(g_Db)->db, sql, -1, &s, nullptr), SQLITE_OK);
            sqlite3_bind_text(s, 1, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            QCOMPARE(sqlite3_step(s), SQLITE_DONE);
            sqlite3_finalize(s);
        }
        fCorvane &f = loadMain();
        keywordMode(f);
        KeywordBrowser &b = browserOf(f);
        b.ShowKeywordLinks(huge);
        clickRow(f.KWList, 1);
        QCOMPARE(f.KWList->text(), QStringLiteral("D"));
        clickRow(f.GridDown, 0);
        for (QWidget *w : std::initializer_list<QWidget *>{f.cmdAddFromListDown, f.cmdAddFromListUp,
                                                           f.cmdSelFromDown, f.cmdSuppFromListDown, f.cmdFindIfLinks}) {
            QVERIFY2(w->toolTip().size() < 10000, qPrintable(w->objectName()));
            QVERIFY2(!w->toolTip().isEmpty(), qPrintable(w->objectName()));
        }
    }

    void dropsFromALabelAndFromATextBox()
    {
        Base::keywords({"A", "B", "C"});
        fCorvane &f = loadMain();
        keywordMode(f);
        KeywordBrowser &b = browserOf(f);
        b.ShowKeywordLinks("A");

        f.KWSel->setText("C");
        drop(f.GridUp, vb::DragPayload::fromLabel(f.KWSel, f.KWSel->text()));
        QCOMPARE(Base::links(), QStringList{"C>A"});
        QCOMPARE(f.SelUpDown->text(), QStringLiteral("A"));
        QCOMPARE(rowsOf(f.GridUp), QStringList{"C"});

        // The keyword boxes of the structure windows drag their text.
        QLineEdit box;
        drop(f.GridDown, vb::DragPayload::fromTextBox(&box, "B"));
        QCOMPARE(Base::links(), (QStringList{"A>B", "C>A"}));
        QCOMPARE(rowsOf(f.GridDown), QStringList{"B"});

        // Drops that carry no keyword are ignored.
        drop(f.GridDown, vb::DragPayload::fromTextBox(&box, ""));
        drop(f.GridDown, vb::DragPayload::fromLabel(f.KWSel, ""));
        vb::DragPayload other;
        other.sourceKind = "Grid";
        drop(f.GridUp, other);
        QCOMPARE(Base::links().size(), 2);
    }

    void typeAheadInText1()
    {
        Base::keywords({"Apple", "Banana", "Berry", "Cherry"});
        fCorvane &f = loadMain();
        allKeywordsTab(f);
        f.Text1->setText("b");
        QCOMPARE(f.Text1->text(), QStringLiteral("B"));
        QCOMPARE(f.Text1->cursorPosition(), 1);
        QCOMPARE(f.KWList->row(), 1);
        QCOMPARE(f.KWAdd->toolTip(), QStringLiteral("  Add  ' B '  to Keywords list  "));
        QTest::keyClicks(f.Text1, "er");
        QCOMPARE(f.Text1->text(), QStringLiteral("Ber"));
        QCOMPARE(f.KWList->row(), 2);

        // Pasted text keeps all its letters.
        f.Text1->setText("cherry");
        QCOMPARE(f.Text1->text(), QStringLiteral("Cherry"));
        QCOMPARE(f.KWList->row(), 3);

        // Deleting the first letter keeps the rest and the caret.
        f.Text1->setText("Apple");
        f.Text1->setCursorPosition(1);
        QTest::keyClick(f.Text1, Qt::Key_Backspace);
        QCOMPARE(f.Text1->text(), QStringLiteral("Pple"));
        QCOMPARE(f.Text1->cursorPosition(), 0);
    }

    void addAndDeleteThroughTheButtons()
    {
        Base::keywords({"Apple", "Banana"});
        fCorvane &f = loadMain();
        allKeywordsTab(f);
        f.Text1->setText("Zeta");
        m_script->msgBox(vb::vbYes, texts::confirmAdd("Zeta"));
        f.KWAdd->click();
        QCOMPARE(rowsOf(f.KWList), (QStringList{"Apple", "Banana", "Zeta"}));
        QCOMPARE(f.KWList->row(), 2);

        f.Text1->setText("zETA");
        QCOMPARE(f.Text1->text(), QStringLiteral("ZETA"));
        m_script->msgBox(vb::vbOK, texts::keywordExists);
        f.KWAdd->click();
        QCOMPARE(Base::storedKeywords().size(), 3);

        clickRow(f.KWList, 1);
        m_script->msgBox(vb::vbCancel, texts::discardKeyword);
        f.KWSupp->click();
        QCOMPARE(rowsOf(f.KWList).size(), 3);
        m_script->msgBox(vb::vbOK, texts::discardKeyword);
        f.KWSupp->click();
        QCOMPARE(rowsOf(f.KWList), (QStringList{"Apple", "Zeta"}));
        QCOMPARE(Base::storedKeywords(), (QStringList{"Apple", "Zeta"}));
    }

    void emptyLinkTableIgnoresDownClicks()
    {
        Base::keywords({"A"});
        fCorvane &f = loadMain();
        QCOMPARE(f.DownGrid[0]->rows(), 0);
        KeywordBrowser &b = browserOf(f);
        b.DownGrid_Click(0);
        QVERIFY(!f.DownGrid.exists(1));
        QVERIFY(!vb::Forms::isLoaded<fGrid>());
        QCOMPARE(b.downPane().levelCount(), 1);
    }
};

QTEST_MAIN(TestBrowserWindow)
#include "tst_browser_window.moc"
