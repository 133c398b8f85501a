#include <QtTest>
#include <QHeaderView>
#include <QLabel>

#include "Error.h"
#include "FlexGrid.h"
#include "GridClicks.h"
#include "ShownText.h"
#include "PaintedTexts.h"
#include "Watchdog.h"

using namespace vb;

namespace {

QPoint cellCentre(FlexGrid &g, int row, int col)
{
    const int vr = row - (g.fixedRows() ? 1 : 0), vc = col - (g.fixedCols() ? 1 : 0);
    return g.visualRect(g.model()->index(vr, vc)).center();
}
} // namespace

class TestFlexGrid : public QObject {
    Q_OBJECT
private slots:
    // A value of a million characters in cells and headers: the grid paints
    // a prefix of it without a freeze, and keeps the whole value for
    // whatever reads the cell, a double-click's handler first.
    void hugeValueShowsAPrefixAndStaysWhole()
    {
        const QString huge = painted::hugeText(1000000);
        FlexGrid g(4, 3, 1, 1);
        painted::ItemTextStyle style;
        g.setStyle(&style);
        g.setTextMatrix(0, 1, huge);
        g.setTextMatrix(2, 0, huge);
        g.setTextMatrix(2, 1, huge);
        g.setTextMatrix(2, 2, huge);
        g.setTextMatrix(3, 1, QStringLiteral("short"));
        g.resize(400, 200);
        QString clicked;
        connect(&g, &FlexGrid::dblClick, [&] { clicked = g.text(); });
        {
            Watchdog dog("painting a grid that holds a value of a million characters", 120);
            g.show();
            QVERIFY(QTest::qWaitForWindowExposed(&g));
            g.grab();
            QCoreApplication::processEvents();
        }
        QVERIFY(style.items > 0);
        QVERIFY2(style.longest <= kShownChars + 1, qPrintable(QString::number(style.longest)));
        const QString shown = g.model()->data(gridtest::viewIndex(&g, 2, 1)).toString();
        QCOMPARE(shown, huge.left(kShownChars) + QChar(0x2026));
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), shown);
        QCOMPARE(g.model()->headerData(1, Qt::Vertical).toString(), shown);
        QCOMPARE(g.model()->data(gridtest::viewIndex(&g, 3, 1)).toString(), QStringLiteral("short"));

        gridtest::doubleClickCell(&g, 2, 1);
        QCOMPARE(clicked.size(), huge.size());
        QVERIFY(clicked == huge);
        QVERIFY(g.textMatrix(2, 2) == huge);
        g.setRowSel(2);
        g.setColSel(2);
        QVERIFY(g.clip() == huge + u'\t' + huge);
    }

    void designDefaults()
    {
        FlexGrid g;
        QCOMPARE(g.rows(), 2);
        QCOMPARE(g.cols(), 2);
        QCOMPARE(g.fixedRows(), 1);
        QCOMPARE(g.fixedCols(), 1);
        QCOMPARE(g.row(), 1); // the first scrollable cell
        QCOMPARE(g.col(), 1);
    }

    // A fill of many rows reaches the view once, with every text, headers
    // included; nested batches wait for the outer one.
    void batchFillTellsTheViewOnce()
    {
        FlexGrid g(1, 3, 1, 1);
        g.setRows(201);
        QSignalSpy cells(g.model(), &QAbstractItemModel::dataChanged);
        QSignalSpy headers(g.model(), &QAbstractItemModel::headerDataChanged);
        {
            const FlexGrid::FillBatch outer(&g);
            {
                const FlexGrid::FillBatch inner(&g);
                for (int r = 0; r < 201; ++r)
                    for (int c = 0; c < 3; ++c)
                        g.setTextMatrix(r, c, QString::number(r * 10 + c));
            }
            QCOMPARE(cells.count(), 0);
        }
        QCOMPARE(cells.count(), 1);
        QCOMPARE(headers.count(), 2);
        QCOMPARE(g.model()->data(g.model()->index(199, 1)).toString(), QStringLiteral("2002"));
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("1"));
        QCOMPARE(g.model()->headerData(4, Qt::Vertical).toString(), QStringLiteral("50"));
        // Without a batch, each write is told.
        g.setTextMatrix(3, 2, QStringLiteral("x"));
        QCOMPARE(cells.count(), 2);
    }

    void emptyGridEdges()
    {
        FlexGrid g(0, 1, 0, 0);
        QCOMPARE(g.rows(), 0);
        QCOMPARE(g.row(), -1);
        QCOMPARE(g.text(), QString()); // no cell: empty, not an error
        QCOMPARE(g.clip(), QString());
        QCOMPARE(errorOf([&] { g.setText(QStringLiteral("x")); }), 30009);
        QCOMPARE(errorOf([&] { g.setRow(0); }), 30009);
        QCOMPARE(errorOf([&] { g.removeItem(0); }), 30009);
        QCOMPARE(errorOf([&] { g.setRows(-1); }), 30009);
        QCOMPARE(errorOf([&] { (void)g.textMatrix(0, 0); }), 381);
        QCOMPARE(g.topRow(), 0);
        // The first row added becomes current.
        g.addItem(QStringLiteral("No Keyword"));
        QCOMPARE(g.rows(), 1);
        QCOMPARE(g.row(), 0);
        QCOMPARE(g.text(), QStringLiteral("No Keyword"));
    }

    void rowsShrinkAndGrow()
    {
        FlexGrid g(0, 1, 0, 0);
        QSignalSpy moved(&g, &FlexGrid::rowColChange);
        g.setRows(4);
        for (int i = 0; i < 4; ++i)
            g.setTextMatrix(i, 0, QStringLiteral("k%1").arg(i));
        g.setRow(3);
        moved.clear();
        // Rows below Row+1: the current row becomes the last.
        g.setRows(2);
        QCOMPARE(g.row(), 1);
        QCOMPARE(g.text(), QStringLiteral("k1"));
        QCOMPARE(moved.count(), 1);
        g.setRows(3);
        QCOMPARE(g.textMatrix(2, 0), QString()); // grown rows are empty
        QCOMPARE(g.textMatrix(1, 0), QStringLiteral("k1")); // kept rows keep their text
        g.setRows(0);
        QCOMPARE(g.row(), -1);
        QCOMPARE(g.text(), QString());
        // A write one past the last row fails and changes nothing.
        g.setRows(2);
        QCOMPARE(errorOf([&] { g.setRow(2); }), 30009);
        QCOMPARE(g.row(), 0);
    }

    void removeItemKeepsTheLastRow()
    {
        FlexGrid g(0, 1, 0, 0);
        g.addItem(QStringLiteral("a"));
        g.addItem(QStringLiteral("b"));
        g.setRow(1);
        g.removeItem(1);
        QCOMPARE(g.rows(), 1);
        QCOMPARE(g.row(), 0);
        QCOMPARE(errorOf([&] { g.removeItem(0); }), 30015);
        QCOMPARE(g.rows(), 1);
        QCOMPARE(g.textMatrix(0, 0), QStringLiteral("a"));

        // With a header row the last data row is row 1.
        FlexGrid h(2, 2, 1, 0);
        h.setTextMatrix(1, 0, QStringLiteral("only"));
        QCOMPARE(errorOf([&] { h.removeItem(1); }), 30015);
        QCOMPARE(errorOf([&] { h.removeItem(0); }), 30009); // the header row stays
        h.addItem(QStringLiteral("x\ty"), 1);
        QCOMPARE(h.textMatrix(1, 0), QStringLiteral("x"));
        QCOMPARE(h.textMatrix(1, 1), QStringLiteral("y"));
        QCOMPARE(h.textMatrix(2, 0), QStringLiteral("only"));
        h.removeItem(1);
        QCOMPARE(h.textMatrix(1, 0), QStringLiteral("only"));
    }

    void currentCellSelectionAndClip()
    {
        FlexGrid g(4, 3, 1, 1);
        QSignalSpy moved(&g, &FlexGrid::rowColChange);
        QSignalSpy clicks(&g, &FlexGrid::click);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                g.setTextMatrix(r, c, QStringLiteral("%1%2").arg(r).arg(c));
        g.setRow(1);
        g.setCol(1);
        g.setRowSel(2);
        g.setColSel(2);
        QCOMPARE(g.clip(), QStringLiteral("11\t12\r21\t22"));
        // Setting Row collapses the selection.
        g.setRow(3);
        QCOMPARE(g.rowSel(), 3);
        QCOMPARE(g.colSel(), 1);
        QCOMPARE(g.text(), QStringLiteral("31"));
        QCOMPARE(moved.count(), 1); // (1,1) was already current: only setRow(3) moved it
        QCOMPARE(clicks.count(), 0); // code raises no Click
        // The header row is addressable like any other.
        g.setRow(0);
        g.setText(QStringLiteral("Date"));
        QCOMPARE(g.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Date"));
        g.clear();
        QCOMPARE(g.textMatrix(2, 2), QString());
        QCOMPARE(g.rows(), 4);
    }

    void coloursAndWidths()
    {
        FlexGrid g(3, 2, 0, 0);
        g.setRow(1);
        QCOMPARE(g.cellBackColor(), g.palette().color(QPalette::Base));
        g.setCellBackColor(Qt::yellow);
        g.setCellForeColor(Qt::red);
        QCOMPARE(g.cellBackColor(), QColor(Qt::yellow));
        QCOMPARE(g.model()->data(g.model()->index(1, 0), Qt::BackgroundRole).value<QColor>(),
                 QColor(Qt::yellow));
        g.setRow(0);
        QCOMPARE(g.cellForeColor(), g.palette().color(QPalette::Text));
        g.setColWidth(0, 3000);
        QCOMPARE(g.colWidth(0), 3000.0);
        QCOMPARE(g.columnWidth(0), 200);
        QCOMPARE(errorOf([&] { g.setColWidth(2, 10); }), 30010);
        g.clear();
        g.setRow(1);
        QCOMPARE(g.cellBackColor(), g.palette().color(QPalette::Base)); // clear takes colours too
    }

    // A cell's colours go with its text when rows come and go and when
    // columns are dropped, and never to the cells that take its place.
    void coloursMoveWithTheirCells()
    {
        FlexGrid g(4, 3, 1, 0);
        for (int r = 0; r < 4; ++r)
            for (int c = 0; c < 3; ++c)
                g.setTextMatrix(r, c, QStringLiteral("%1.%2").arg(r).arg(c));
        auto paint = [&](int r, int c, QColor color) {
            g.setRow(r);
            g.setCol(c);
            g.setCellBackColor(color);
        };
        auto back = [&](const QString &text) {
            for (int r = 0; r < g.rows(); ++r)
                for (int c = 0; c < g.cols(); ++c)
                    if (g.textMatrix(r, c) == text) {
                        g.setRow(r);
                        g.setCol(c);
                        return g.cellBackColor();
                    }
            return QColor();
        };
        const QColor base = g.palette().color(QPalette::Base);
        paint(2, 1, Qt::yellow);
        paint(3, 2, Qt::green);
        g.addItem(QStringLiteral("new\tnew\tnew"), 1);
        QCOMPARE(back(QStringLiteral("2.1")), QColor(Qt::yellow));
        QCOMPARE(back(QStringLiteral("3.2")), QColor(Qt::green));
        g.setRow(2);
        g.setCol(1);
        QCOMPARE(g.cellBackColor(), base); // the row that moved down was 1
        g.removeItem(3); // the row of 2.1
        QCOMPARE(back(QStringLiteral("3.2")), QColor(Qt::green));
        g.setRow(3);
        g.setCol(1);
        QCOMPARE(g.cellBackColor(), base);
        g.setCols(2);
        g.setCols(3);
        g.setRow(3);
        g.setCol(2);
        QCOMPARE(g.cellBackColor(), base); // its column was dropped
        paint(3, 1, Qt::red);
        g.setRows(3);
        g.setRows(4);
        g.setRow(3);
        g.setCol(1);
        QCOMPARE(g.cellBackColor(), base); // its row was dropped
    }

    void mouseMakesTheCellCurrentThenClicks()
    {
        FlexGrid g(5, 1, 0, 0);
        g.resize(200, 300);
        for (int i = 0; i < 5; ++i)
            g.setTextMatrix(i, 0, QStringLiteral("k%1").arg(i));
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QStringList events;
        connect(&g, &FlexGrid::mouseDown, [&](int b, int, double, double) {
            events << QStringLiteral("down%1:%2").arg(b).arg(g.text());
        });
        connect(&g, &FlexGrid::mouseUp, [&] { events << QStringLiteral("up"); });
        connect(&g, &FlexGrid::click, [&] { events << QStringLiteral("click:") + g.text(); });
        connect(&g, &FlexGrid::dblClick, [&] { events << QStringLiteral("dbl:") + g.text(); });
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCentre(g, 2, 0));
        QCOMPARE(events, (QStringList{"down1:k2", "up", "click:k2"}));
        QCOMPARE(g.mouseRow(), 2);
        QCOMPARE(g.mouseCol(), 0);
        events.clear();
        // A right press leaves the current cell and gives no Click.
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, cellCentre(g, 4, 0));
        QCOMPARE(events, (QStringList{"down2:k2", "up"}));
        QCOMPARE(g.row(), 2);
        events.clear();
        // What the window system sends for a double-click: press, release,
        // double-click (in place of the second press), release.
        const QPoint at = cellCentre(g, 3, 0);
        QTest::mousePress(g.viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
        QMouseEvent dbl(QEvent::MouseButtonDblClick, at, g.viewport()->mapToGlobal(at), Qt::LeftButton,
                        Qt::LeftButton, {});
        QCoreApplication::sendEvent(g.viewport(), &dbl);
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(events, (QStringList{"down1:k3", "up", "click:k3", "dbl:k3", "up"}));
        // A handler that raises does not take the grid down.
        connect(&g, &FlexGrid::click, [] { raise(3021, QStringLiteral("No current record.")); });
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, cellCentre(g, 1, 0));
        QCOMPARE(g.row(), 1);
    }

    void headerPressSelectsTheColumn()
    {
        FlexGrid g(4, 3, 1, 1);
        g.resize(300, 200);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QSignalSpy clicks(&g, &FlexGrid::click);
        QHeaderView *h = g.horizontalHeader();
        const QPoint p(h->sectionViewportPosition(1) + 5, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, p);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(g.col(), 2);
        QCOMPARE(g.colSel(), 2);
        QCOMPARE(g.row(), 1);
        QCOMPARE(g.rowSel(), 3);
        QCOMPARE(g.mouseRow(), 0);
    }

    void topRowScrollsAsFarAsItCan()
    {
        FlexGrid g(0, 1, 0, 0);
        g.resize(150, 100);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        for (int i = 0; i < 50; ++i)
            g.addItem(QString::number(i));
        g.setTopRow(20);
        QCOMPARE(g.topRow(), 20);
        g.setTopRow(49); // the last rows cannot all scroll to the top
        QVERIFY(g.topRow() < 49);
        QVERIFY(g.topRow() > 20);
        QCOMPARE(errorOf([&] { g.setTopRow(50); }), 30009);
    }

    void dropGivesThePayload()
    {
        FlexGrid g(1, 1, 0, 0);
        g.resize(100, 100);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QLabel kwSel(QStringLiteral("Philosophy"));
        kwSel.setObjectName(QStringLiteral("KWSel"));
        QString got;
        bool hadText = true;
        connect(&g, &FlexGrid::dragDrop, [&](const DragPayload &p, double, double) {
            got = p.caption.value_or(QString());
            hadText = p.text.has_value();
        });
        PayloadMimeData data(DragPayload::fromLabel(&kwSel, kwSel.text()));
        // Qt hands a drop to the widget that took the drag's entry.
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g.viewport(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g.viewport(), &drop);
        QCOMPARE(got, QStringLiteral("Philosophy"));
        QVERIFY(!hadText);
        // Text from another program is not a drop.
        got.clear();
        QMimeData foreign;
        foreign.setText(QStringLiteral("outside"));
        QDragEnterEvent otherEnter(QPoint(10, 10), Qt::CopyAction, &foreign, Qt::LeftButton, {});
        QCoreApplication::sendEvent(g.viewport(), &otherEnter);
        QVERIFY(!otherEnter.isAccepted());
        QVERIFY(got.isEmpty());
    }
};

QTEST_MAIN(TestFlexGrid)
#include "tst_flexgrid.moc"
