#include <QtTest>
#include <QLineEdit>
#include <QPainter>
#include <QTabBar>
#include <QToolBar>
#include <QToolButton>
#include <QTemporaryDir>

#include "Clipboard.h"
#include "CommonControls.h"
#include "Dialogs.h"
#include "DragDrop.h"
#include "Error.h"
#include "FileLists.h"
#include "Graphics.h"
#include "Printer.h"
#include "Twips.h"

using namespace vb;

namespace {

void touch(const QString &path)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("x");
}
} // namespace

class TestControls : public QObject {
    Q_OBJECT
private slots:
    void tabStripCountsFromOne()
    {
        QWidget form;
        TabStrip tabs(&form);
        tabs.setGeometry(10, 20, 300, 200);
        QSignalSpy clicks(&tabs, &TabStrip::click);
        QCOMPARE(tabs.selectedIndex(), 0);
        tabs.addTab(QStringLiteral("Down"), QStringLiteral("Down links"));
        tabs.addTab(QStringLiteral("Up"));
        tabs.addTab(QStringLiteral("All Keywords"));
        QCOMPARE(tabs.selectedIndex(), 1);
        QCOMPARE(clicks.count(), 0);
        QCOMPARE(tabs.tabCaption(3), QStringLiteral("All Keywords"));
        QCOMPARE(tabs.tabToolTipText(1), QStringLiteral("Down links"));
        tabs.setTabToolTipText(2, QStringLiteral("Up links"));
        QCOMPARE(tabs.tabBar()->tabToolTip(1), QStringLiteral("Up links"));
        tabs.setSelectedIndex(3);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(tabs.selectedIndex(), 3);
        QCOMPARE(errorOf([&] { tabs.setSelectedIndex(0); }), int(ErrIndexOutOfBounds));
        QCOMPARE(errorOf([&] { (void)tabs.tabCaption(4); }), int(ErrIndexOutOfBounds));
        // The page area is inside the strip, in the container's twips.
        QVERIFY(tabs.clientLeft() >= 150);
        QVERIFY(tabs.clientTop() > 300);
        QVERIFY(tabs.clientWidth() <= 4500);
        QVERIFY(tabs.clientHeight() > 0);
    }

    void multiRowStripShowsEveryCaptionWhole()
    {
        QWidget form;
        TabStrip tabs(&form);
        const QStringList captions{QStringLiteral("Down Links,"), QStringLiteral("Up Links."),
                                   QStringLiteral("  All Keywords   ")};
        const QFontMetrics fm = tabs.fontMetrics();
        int all = 0;
        for (const QString &c : captions)
            all += fm.horizontalAdvance(c);
        // Narrower than the three captions side by side, wider than any one.
        tabs.setGeometry(10, 20, all * 3 / 4, 300);
        tabs.setMultiRow(true);
        for (const QString &c : captions)
            tabs.addTab(c, QStringLiteral("tip ") + c);
        QSignalSpy clicks(&tabs, &TabStrip::click);
        QVERIFY(tabs.rowCount() >= 2);
        QVERIFY(tabs.tabBar()->isHidden()); // no scroll arrows
        int rowHeight = 0;
        for (int i = 1; i <= 3; ++i) {
            const QRect r = tabs.tabRect(i);
            QVERIFY2(r.left() >= 0 && r.right() < tabs.width(), qPrintable(captions[i - 1]));
            QVERIFY2(r.width() >= fm.horizontalAdvance(captions[i - 1]) + 8, qPrintable(captions[i - 1]));
            rowHeight = r.height();
            for (int j = 1; j < i; ++j)
                QVERIFY(!r.intersects(tabs.tabRect(j)));
        }
        // The page begins below every row.
        QCOMPARE(qRound(tabs.clientTop()), qRound(vb::twipsY(20 + tabs.rowCount() * rowHeight + 2)));

        // The row of the selected tab lies next to the page; a click on a
        // tab selects it.
        const int pageTop = tabs.rowCount() * rowHeight;
        QCOMPARE(tabs.tabRect(1).bottom() + 1, pageTop);
        QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(3).center());
        QCOMPARE(tabs.selectedIndex(), 3);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(tabs.tabRect(3).bottom() + 1, pageTop);
        QVERIFY(tabs.tabRect(1).bottom() + 1 < pageTop);
        QTest::keyClick(&tabs, Qt::Key_Left);
        QCOMPARE(tabs.selectedIndex(), 2);
        QCOMPARE(clicks.count(), 2);

        // Wide enough, one row.
        tabs.resize(all * 3, 300);
        QCOMPARE(tabs.rowCount(), 1);
    }

    void statusBarPanels()
    {
        StatusBar bar;
        QCOMPARE(bar.panelCount(), 1);
        bar.setPanelText(1, QStringLiteral("NewBase001.cvb"));
        QCOMPARE(bar.panelText(1), QStringLiteral("NewBase001.cvb"));
        QCOMPARE(bar.addPanel(QStringLiteral("two"), 1500), 2);
        QCOMPARE(errorOf([&] { bar.setPanelText(3, QString()); }), int(ErrIndexOutOfBounds));
        QCOMPARE(errorOf([&] { (void)bar.panelText(0); }), int(ErrIndexOutOfBounds));
    }

    void progressBarClamps()
    {
        ProgressBar bar;
        QCOMPARE(bar.minimum(), 0);
        QCOMPARE(bar.maximum(), 100);
        bar.setValue(42.4);
        QCOMPARE(bar.value(), 42);
        bar.setValue(150);
        QCOMPARE(bar.value(), 100);
        bar.setValue(-3);
        QCOMPARE(bar.value(), 0);
        bar.setValue(std::nan(""));
        QCOMPARE(bar.value(), 0);
    }

    void toolbarByKey()
    {
        Toolbar bar;
        QStringList keys;
        connect(&bar, &Toolbar::buttonClick, [&](const QString &k) { keys << k; });
        bar.addButton(QStringLiteral("Open"), QStringLiteral("Open RTF File"));
        bar.addButton(QStringLiteral("Print"), QStringLiteral("Print"));
        bar.button(QStringLiteral("Print"))->trigger();
        QCOMPARE(keys, QStringList{QStringLiteral("Print")});
        QCOMPARE(bar.button(QStringLiteral("Open"))->toolTip(), QStringLiteral("Open RTF File"));
        QVERIFY(!bar.button(QStringLiteral("Font")));
    }

    // The row of buttons stands and draws as a tool bar with the same tools
    // would, and a click on a button reaches its key.
    void toolbarLooksAsAToolBarAndClicksReachTheirKey()
    {
        QPixmap pm(16, 16);
        pm.fill(Qt::transparent);
        QPainter(&pm).fillRect(2, 2, 12, 12, Qt::darkBlue);
        const QIcon icon(pm);
        const QStringList keys{QStringLiteral("Open"), QStringLiteral("Save"), QStringLiteral("Print"),
                               QStringLiteral("Font")};
        QWidget formA, formB;
        QToolBar reference(&formA);
        reference.setMovable(false);
        reference.setFloatable(false);
        Toolbar bar(&formB);
        for (QWidget *w : {static_cast<QWidget *>(&reference), static_cast<QWidget *>(&bar)})
            w->setGeometry(0, 0, 160, 28);
        for (const QString &k : keys) {
            reference.addAction(icon, QString());
            bar.addButton(k, k + QStringLiteral(" tip"), icon);
        }
        formA.resize(200, 40);
        formB.resize(200, 40);
        formA.show();
        formB.show();
        QVERIFY(QTest::qWaitForWindowExposed(&formB));
        QVERIFY(QTest::qWaitForWindowExposed(&formA));

        QList<QToolButton *> expected;
        for (QToolButton *b : reference.findChildren<QToolButton *>())
            if (b->isVisible())
                expected << b;
        const QList<QToolButton *> buttons = bar.findChildren<QToolButton *>();
        QCOMPARE(buttons.size(), keys.size());
        QCOMPARE(expected.size(), keys.size());
        for (int i = 0; i < keys.size(); ++i) {
            QCOMPARE(buttons.at(i)->geometry(), expected.at(i)->geometry());
            QCOMPARE(buttons.at(i)->iconSize(), expected.at(i)->iconSize());
            QCOMPARE(buttons.at(i)->autoRaise(), true);
            QCOMPARE(buttons.at(i)->focusPolicy(), Qt::NoFocus);
            QCOMPARE(buttons.at(i)->toolTip(), keys.at(i) + QStringLiteral(" tip"));
        }
        QCOMPARE(bar.grab().toImage(), reference.grab().toImage());

        QStringList clicked;
        connect(&bar, &Toolbar::buttonClick, [&](const QString &k) { clicked << k; });
        QTest::mouseClick(buttons.at(2), Qt::LeftButton);
        QTest::mouseClick(buttons.at(0), Qt::LeftButton);
        QCOMPARE(clicked, (QStringList{QStringLiteral("Print"), QStringLiteral("Open")}));
    }

    void linesShapesAndProperties()
    {
        QWidget form;
        LineControl line(&form);
        line.setPoints(150, 150, 1650, 150);
        QCOMPARE(controlProperty(&line, QStringLiteral("X2")).toDouble(), 1650.0);
        setControlProperty(&line, QStringLiteral("Y2"), 750.0);
        QCOMPARE(line.y2(), 750.0);
        QVERIFY(line.geometry().contains(QPoint(110, 50)));
        QCOMPARE(errorOf([&] { setControlProperty(&line, QStringLiteral("Width"), 10); }), 438);
        QLineEdit box(&form);
        setControlProperty(&box, QStringLiteral("Left"), 300);
        setControlProperty(&box, QStringLiteral("Width"), 1500);
        QCOMPARE(box.geometry().left(), 20);
        QCOMPARE(box.width(), 100);
        QCOMPARE(controlProperty(&box, QStringLiteral("Height")).toDouble(), box.height() * 15.0);
        setControlProperty(&box, QStringLiteral("Tag"), QStringLiteral("fixed"));
        QCOMPARE(controlProperty(&box, QStringLiteral("tag")).toString(), QStringLiteral("fixed"));
        QCOMPARE(errorOf([&] { (void)controlProperty(&box, QStringLiteral("X1")); }), 438);
        QObject plain;
        QCOMPARE(errorOf([&] { (void)controlProperty(&plain, QStringLiteral("Left")); }), 438);

        ShapeControl shape(&form);
        shape.setShape(ShapeControl::Circle);
        shape.setFillStyle(ShapeControl::Solid);
        shape.setFillColor(Qt::red);
        shape.resize(40, 20);
        const QImage img = shape.grab().toImage();
        QCOMPARE(QColor(img.pixel(20, 10)), QColor(Qt::red)); // the centre is filled
        QVERIFY(QColor(img.pixel(2, 10)) != QColor(Qt::red)); // a circle, not the whole box
    }

    void pictureClipCells()
    {
        QPixmap sheet(40, 20);
        sheet.fill(Qt::white);
        {
            QPainter p(&sheet);
            p.fillRect(30, 10, 10, 10, Qt::blue);
        }
        PictureClip clip;
        clip.setPicture(sheet);
        clip.setRows(2);
        clip.setCols(4);
        const QPixmap last = clip.graphicCell(7);
        QCOMPARE(last.size(), QSize(10, 10));
        QCOMPARE(QColor(last.toImage().pixel(5, 5)), QColor(Qt::blue));
        QCOMPARE(errorOf([&] { (void)clip.graphicCell(8); }), 380);
        QCOMPARE(errorOf([&] { clip.setRows(0); }), 380);
        QCOMPARE(errorOf([&] { (void)clip.clip(35, 0, 10, 10); }), 380);
    }

    void folderAndFileLists()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path();
        QDir(root).mkpath(QStringLiteral("icons/sub"));
        QDir(root).mkdir(QStringLiteral("Beta"));
        QDir(root).mkdir(QStringLiteral(".hidden"));
        touch(root + QStringLiteral("/icons/a.ico"));
        touch(root + QStringLiteral("/icons/B.ICO"));
        touch(root + QStringLiteral("/icons/c.txt"));
        touch(root + QStringLiteral("/icons/.d.ico"));

        DirListBox dirs;
        FileListBox files;
        files.setPattern(QStringLiteral("*.ico"));
        connect(&dirs, &DirListBox::change, [&] { files.setPath(dirs.path()); });
        dirs.setPath(root);
        QCOMPARE(dirs.listIndex(), -1); // the open folder
        QCOMPARE(dirs.list(-1), QDir::cleanPath(root));
        QCOMPARE(dirs.list(-2), QFileInfo(root).absolutePath());
        QCOMPARE(dirs.listCount(), 2); // Beta, icons; not the hidden one
        QCOMPARE(QFileInfo(dirs.list(0)).fileName(), QStringLiteral("Beta"));
        QCOMPARE(errorOf([&] { (void)dirs.list(2); }), 381);
        QCOMPARE(files.listCount(), 0);
        // Selecting a folder moves the list index, not the path.
        dirs.setListIndex(1);
        QCOMPARE(dirs.listIndex(), 1);
        QCOMPARE(dirs.path(), QDir::cleanPath(root));
        dirs.setPath(dirs.list(dirs.listIndex()));
        QCOMPARE(files.listCount(), 2); // *.ico without regard to case, no hidden file
        QCOMPARE(files.list(0), QStringLiteral("a.ico"));
        QCOMPARE(files.list(1), QStringLiteral("B.ICO"));
        QCOMPARE(errorOf([&] { dirs.setPath(root + QStringLiteral("/none")); }), int(ErrPathNotFound));

        DriveListBox drives;
        QVERIFY(drives.count() >= 1);
        QCOMPARE(drives.itemText(0), QStringLiteral("/"));
        drives.setDrive(root);
        QVERIFY(root.startsWith(drives.drive()) || drives.drive() == QLatin1String("/"));
    }

    void printerWritesAPdf()
    {
        QTemporaryDir tmp;
        const QString pdf = tmp.filePath(QStringLiteral("card.pdf"));
        Printer &p = printer();
        p.setPdfOutput(pdf);
        p.print(QString()); // starts the job without taking the device
        QVERIFY(p.isPrinting());
        {
            // A caller that draws by itself, as the rich text box does.
            QPainter own;
            QVERIFY(own.begin(&p.device()));
            own.drawText(100, 100, QStringLiteral("Card text"));
            own.end();
        }
        p.endDoc();
        QVERIFY(!p.isPrinting());
        QVERIFY(QFileInfo(pdf).size() > 0);

        const QString listing = tmp.filePath(QStringLiteral("list.pdf"));
        p.setPdfOutput(listing);
        for (int i = 0; i < 200; ++i) // past one page
            p.print(QStringLiteral("line %1").arg(i));
        QVERIFY(p.currentY() > 0);
        p.endDoc();
        QFile f(listing);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString body = QString::fromLatin1(f.readAll());
        QVERIFY(body.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))) >= 2);

        // A file that cannot be written fails as an error, not as success.
        p.setPdfOutput(tmp.filePath(QStringLiteral("no/such/dir/x.pdf")));
        QCOMPARE(errorOf([&] { p.print(QStringLiteral("x")); }), int(ErrPrinter));
        p.killDoc();
    }

    void printerDialogChoosesTheFile()
    {
        QTemporaryDir tmp;
        DialogScript script;
        script.expect(DialogKind::Printer, DialogAnswer::printer(tmp.filePath(QStringLiteral("p.pdf"))));
        QVERIFY(ShowPrinter(printer().device()));
        printer().print(QStringLiteral("hello"));
        printer().endDoc();
        QVERIFY(QFileInfo::exists(tmp.filePath(QStringLiteral("p.pdf"))));
    }

    void clipboardText()
    {
        Clipboard::setText(QStringLiteral("Philosophie"));
        QCOMPARE(Clipboard::getText(), QStringLiteral("Philosophie"));
        Clipboard::clear();
        QCOMPARE(Clipboard::getText(), QString());
    }

    void dropTargetsTakeOnlyOurPayload()
    {
        QWidget target;
        QString got;
        acceptDrops(&target, [&](const DragPayload &p, double x, double) {
            got = p.text.value_or(QStringLiteral("<none>")) + QLatin1Char('@') + QString::number(x);
        });
        QLineEdit grid1Sel;
        grid1Sel.setText(QStringLiteral("Ethics"));
        PayloadMimeData data(DragPayload::fromTextBox(&grid1Sel, grid1Sel.text()));
        QDragEnterEvent enter(QPoint(2, 3), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(2, 3), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&target, &drop);
        QCOMPARE(got, QStringLiteral("Ethics@30"));
        QMimeData foreign;
        foreign.setText(QStringLiteral("x"));
        QDragEnterEvent enter2(QPoint(2, 3), Qt::CopyAction, &foreign, Qt::LeftButton, {});
        QCoreApplication::sendEvent(&target, &enter2);
        QVERIFY(!enter2.isAccepted());
    }
};

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
