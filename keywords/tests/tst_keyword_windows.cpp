// The keyword windows driven offscreen through their controls: clicks in
// the columns, the right button, drops between two "New List" instances,
// "Supp", "UpLinks" and a restart of the upward browser by a drop, and the
// keyword list's buttons.

#include "DaoImpl.h"
#include "DragDrop.h"
#include "FlexGrid.h"
#include "Form.h"
#include "InstallKeywords.h"
#include "KeywordWindowTexts.h"
#include "ShownText.h"
#include "PaintedTexts.h"
#include "TestBase.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "fDownUpLinks.h"
#include "fKWList.h"
#include "fLinksKey.h"
#include "Watchdog.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

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

QStringList itemsOf(QComboBox *c)
{
    QStringList out;
    for (int i = 0; i < c->count(); ++i)
        out << c->itemText(i);
    return out;
}

void clickRow(vb::FlexGrid *g, int row, Qt::MouseButton button = Qt::LeftButton)
{
    const QRect cell = g->visualRect(g->model()->index(row, 0));
    QTest::mouseClick(g->viewport(), button, {}, QPoint(std::min(cell.center().x(), 20), cell.center().y()));
}

void dropOn(QWidget *target, const vb::DragPayload &payload)
{
    vb::PayloadMimeData data(payload);
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QCoreApplication::sendEvent(target, &event);
}

bool near(double a, double b) { return qAbs(a - b) <= 15; }

// The rows a grid draws highlighted.
QList<int> highlightedRows(vb::FlexGrid *g)
{
    QList<int> out;
    for (const QModelIndex &i : g->selectionModel()->selectedIndexes())
        out << i.row();
    return out;
}

} // namespace

class TestKeywordWindows : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QFont f = QApplication::font();
        f.setPointSize(8);
        QApplication::setFont(f);
        InstallKeywordWindows();
    }

    void cleanup()
    {
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void structureWindowBrowsesAndEdits()
    {
        Base base;
        Base::link("A", "B");
        Base::link("B", "C");
        Base::link("P", "Q");
        ShowKeywordStructure();
        fLinksKey *w = vb::Forms::find<fLinksKey>();
        QVERIFY(w);
        QCOMPARE(w->caption(), QStringLiteral("Top-Down Links"));
        QVERIFY(near(w->width(), 7750));
        QVERIFY(near(w->height(), 4110));
        QCOMPARE(w->cSupp->text(), QStringLiteral("Supp"));
        QCOMPARE(w->Command2->text(), QStringLiteral("UpLinks"));
        QCOMPARE(w->Command1->text(), QStringLiteral("New List"));
        QCOMPARE(rowsOf(w->Grid1[0]), (QStringList{"A", "P"}));
        QCOMPARE(itemsOf(w->Combo1), QStringList{"Root"});
        QVERIFY(near(vb::widthOf(w->Panel3D1), 2415));
        QVERIFY(w->Grid1Sel[0]->isReadOnly());

        clickRow(w->Grid1[0], 0);
        QVERIFY(w->Grid1.exists(1));
        QCOMPARE(rowsOf(w->Grid1[1]), QStringList{"B"});
        QVERIFY(w->Grid1[1]->isVisibleTo(w->client()));
        QCOMPARE(w->Grid1Sel[0]->text(), QStringLiteral("A"));
        QCOMPARE(itemsOf(w->Combo1), (QStringList{"Root", "A"}));
        QVERIFY(near(vb::widthOf(w->Panel3D1), 4915));
        QVERIFY(near(vb::leftOf(w->Grid1[1]), 2620));

        clickRow(w->Grid1[1], 0);
        clickRow(w->Grid1[2], 0);
        QCOMPARE(rowsOf(w->Grid1[3]), QStringList{QString()});
        // The strip shifted: column 0 is out of view, the scroll bar can
        // bring it back.
        QVERIFY(!w->Grid1[0]->isVisibleTo(w->client()));
        QCOMPARE(w->HScroll1->maximum(), 1);
        QCOMPARE(w->HScroll1->value(), 1);
        w->HScroll1->setValue(0);
        QVERIFY(w->Grid1[0]->isVisibleTo(w->client()));
        QVERIFY(!w->Grid1[3]->isVisibleTo(w->client()));
        QVERIFY(near(vb::widthOf(w->Panel3D1), 7415));

        // "Supp" removes B > C and moves back one column.
        QTest::mouseClick(w->cSupp, Qt::LeftButton);
        QCOMPARE(Base::links(), (QStringList{"A>B", "P>Q"}));
        QVERIFY(!w->Grid1.exists(3));
        QCOMPARE(rowsOf(w->Grid1[2]), QStringList{QString()});

        // The right button says what is to come, once the press is over.
        DialogScript script;
        script.msgBox(vb::vbOK, keywords::texts::toCome);
        clickRow(w->Grid1[0], 0, Qt::RightButton);
        QCoreApplication::processEvents();
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbOKOnly));
    }

    void onlyAChosenKeywordShowsHighlighted()
    {
        Base base;
        Base::link("A", "B");
        Base::link("A", "C");
        Base::link("P", "Q");
        ShowKeywordStructure();
        fLinksKey *w = vb::Forms::find<fLinksKey>();
        QVERIFY(highlightedRows(w->Grid1[0]).isEmpty());
        clickRow(w->Grid1[0], 1); // P
        QCOMPARE(highlightedRows(w->Grid1[0]), QList<int>{1});
        QCOMPARE(rowsOf(w->Grid1[1]), QStringList{"Q"});
        QVERIFY(highlightedRows(w->Grid1[1]).isEmpty());
        // Another choice in the first column opens a column as bare.
        clickRow(w->Grid1[0], 0); // A
        QCOMPARE(rowsOf(w->Grid1[1]), (QStringList{"B", "C"}));
        QVERIFY(highlightedRows(w->Grid1[1]).isEmpty());
        clickRow(w->Grid1[1], 1); // C
        QCOMPARE(highlightedRows(w->Grid1[1]), QList<int>{1});
        QCOMPARE(w->Grid1Sel[1]->text(), QStringLiteral("C"));
        QVERIFY(highlightedRows(w->Grid1[2]).isEmpty());

        // Upward: the start keyword is chosen, its upper keywords are not.
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        fDownUpLinks *up = vb::Forms::find<fDownUpLinks>();
        QVERIFY(up);
        QCOMPARE(rowsOf(up->Grid1[1]), QStringList{"A"});
        QCOMPARE(highlightedRows(up->Grid1[0]), QList<int>{0});
        QVERIFY(highlightedRows(up->Grid1[1]).isEmpty());
        clickRow(up->Grid1[1], 0);
        QCOMPARE(highlightedRows(up->Grid1[1]), QList<int>{0});
        QVERIFY(highlightedRows(up->Grid1[2]).isEmpty());
    }

    void newListInstancesDragIntoEachOther()
    {
        Base base;
        Base::link("A", "B");
        Base::link("P", "Q");
        ShowKeywordStructure();
        fLinksKey *first = vb::Forms::find<fLinksKey>();
        const int before = vb::Forms::count();
        QTest::mouseClick(first->Command1, Qt::LeftButton);
        QCOMPARE(vb::Forms::count(), before + 1);
        fLinksKey *second = qobject_cast<fLinksKey *>(vb::Forms::at(vb::Forms::count() - 1));
        QVERIFY(second && second != first);
        QVERIFY(near(second->left(), first->left()) && near(second->top(), first->top()));

        clickRow(first->Grid1[0], 0);  // A
        clickRow(second->Grid1[0], 1); // P
        QCOMPARE(first->Grid1Sel[0]->text(), QStringLiteral("A"));
        QCOMPARE(second->Grid1Sel[0]->text(), QStringLiteral("P"));
        // The first's box of A dropped on the second's column 1: P > A.
        dropOn(second->Grid1[1]->viewport(),
               vb::DragPayload::fromTextBox(first->Grid1Sel[0], first->Grid1Sel[0]->text()));
        QCOMPARE(Base::links(), (QStringList{"A>B", "P>A", "P>Q"}));
        QCOMPARE(rowsOf(second->Grid1[1]), (QStringList{"A", "Q"}));
        QCOMPARE(rowsOf(first->Grid1[1]), QStringList{"B"});
        // The main window's label offers no text: nothing is linked.
        QLabel label;
        dropOn(second->Grid1[1]->viewport(), vb::DragPayload::fromLabel(&label, "B"));
        QCOMPARE(Base::links().size(), 3);
        // Dropped on the roots: the message, nothing written.
        DialogScript script;
        script.msgBox(vb::vbOK, keywords::texts::rootDrop);
        dropOn(second->Grid1[0]->viewport(), vb::DragPayload::fromTextBox(nullptr, "Q"));
        QVERIFY_SCRIPT(script);
        QCOMPARE(Base::links().size(), 3);
    }

    void upLinksStartsTheUpwardBrowser()
    {
        Base base;
        Base::link("P", "S");
        Base::link("Q", "S");
        Base::link("T", "Q");
        ShowKeywordStructure();
        fLinksKey *w = vb::Forms::find<fLinksKey>();
        clickRow(w->Grid1[0], 0); // P
        clickRow(w->Grid1[1], 0); // S
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QCOMPARE(CurrentKeyword, QStringLiteral("S"));
        fDownUpLinks *up = vb::Forms::find<fDownUpLinks>();
        QVERIFY(up);
        QCOMPARE(up->caption(), QStringLiteral("Down-Up Links"));
        QVERIFY(near(up->height(), 3400));
        QCOMPARE(rowsOf(up->Grid1[0]), QStringList{"S"});
        QCOMPARE(rowsOf(up->Grid1[1]), (QStringList{"P", "Q"}));
        QCOMPARE(itemsOf(up->Combo1), QStringList{"S"});
        // The start column stands at the right, the next one to its left.
        QVERIFY(vb::leftOf(up->Grid1[1]) < vb::leftOf(up->Grid1[0]));
        QVERIFY(near(vb::leftOf(up->Panel3D1) + vb::leftOf(up->Grid1[0]), 5280));

        clickRow(up->Grid1[1], 1); // Q
        QCOMPARE(rowsOf(up->Grid1[2]), QStringList{"T"});
        QCOMPARE(itemsOf(up->Combo1), (QStringList{"S", "Q"}));

        DialogScript script;
        script.msgBox(vb::vbOK, keywords::texts::toCome);
        clickRow(up->Grid1[1], 0, Qt::RightButton);
        QCoreApplication::processEvents();
        QVERIFY_SCRIPT(script);
        QCOMPARE(script.shown().at(0).buttons, int(vb::vbInformation));

        // A label dropped on the background restarts the window on its
        // caption; CurrentKeyword stays.
        QLabel label;
        dropOn(up->client(), vb::DragPayload::fromLabel(&label, "Q"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fDownUpLinks *again = vb::Forms::find<fDownUpLinks>();
        QVERIFY(again);
        QCOMPARE(rowsOf(again->Grid1[0]), QStringList{"Q"});
        QCOMPARE(rowsOf(again->Grid1[1]), QStringList{"T"});
        QCOMPARE(itemsOf(again->Combo1), QStringList{"Q"});
        QCOMPARE(CurrentKeyword, QStringLiteral("S"));
        // The upward window's box links when dropped on a top-down column.
        clickRow(w->Grid1[0], 0); // P
        dropOn(w->Grid1[1]->viewport(),
               vb::DragPayload::fromTextBox(again->Grid1Sel[0], again->Grid1Sel[0]->text()));
        QVERIFY(Base::links().contains("P>Q"));
        QCOMPARE(rowsOf(w->Grid1[1]), (QStringList{"Q", "S"}));
        QVERIFY(script.ok());
    }

    void keywordListWindow()
    {
        Base base;
        Base::keywords({"Beta", "Alpha"});
        ShowKeywordList();
        fKWList *w = vb::Forms::find<fKWList>();
        QVERIFY(w);
        QCOMPARE(w->caption(), QStringLiteral("KeyWords List"));
        QVERIFY(near(w->width(), 3210));
        QCOMPARE(w->Command1->text(), QStringLiteral("Add"));
        QCOMPARE(w->Command2->text(), QStringLiteral("Supp"));
        QCOMPARE(w->List1->count(), 2);
        QCOMPARE(w->List1->item(0)->text(), QStringLiteral("Alpha"));

        DialogScript script;
        // Nothing selected: "Supp" does nothing.
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        script.inputBox("Gamma", keywords::texts::newKeywordPrompt);
        QTest::mouseClick(w->Command1, Qt::LeftButton);
        QCOMPARE(w->List1->count(), 3);
        QCOMPARE(w->List1->item(2)->text(), QStringLiteral("Gamma"));

        const QRect r = w->List1->visualItemRect(w->List1->item(1));
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, r.center());
        script.msgBox(vb::vbOK, keywords::texts::discardKeyword);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QVERIFY_SCRIPT(script);
        QCOMPARE(w->List1->count(), 2);
        QCOMPARE(Base::storedKeywords(), (QStringList{"Alpha", "Gamma"}));
    }

    // A keyword a million characters long, in a base made elsewhere: the
    // list paints a prefix of it without a freeze, and "Supp" on it
    // discards the whole keyword.
    void keywordListWithAHugeKeyword()
    {
        Base base;
        Base::keywords({"Alpha"});
        const QString huge = u'B' + painted::hugeText(1000000);
        {
            sqlite3_stmt *s = nullptr;
            QCOMPARE(sqlite3_prepare_v2(dao::Access::impl(g_Db)->db, "INSERT INTO CGROUP1 (GROUPE) VALUES (?)", -1,
                                        &s, nullptr),
                     SQLITE_OK);
            const QByteArray bytes = huge.toUtf8();
            sqlite3_bind_text(s, 1, bytes.constData(), int(bytes.size()), SQLITE_STATIC);
            QCOMPARE(sqlite3_step(s), SQLITE_DONE);
            sqlite3_finalize(s);
        }
        painted::ItemTextStyle style;
        fKWList *w = nullptr;
        {
            Watchdog dog("the keyword list holding a keyword of a million characters", 120);
            ShowKeywordList();
            w = vb::Forms::find<fKWList>();
            QVERIFY(w);
            w->List1->setStyle(&style);
            QVERIFY(QTest::qWaitForWindowExposed(w->List1));
            w->List1->grab();
        }
        QVERIFY(style.items > 0);
        QVERIFY2(style.longest <= vb::kShownChars + 1, qPrintable(QString::number(style.longest)));
        QCOMPARE(w->List1->count(), 2);
        const QRect r = w->List1->visualItemRect(w->List1->item(1));
        QTest::mouseClick(w->List1->viewport(), Qt::LeftButton, {}, r.center());
        DialogScript script;
        script.msgBox(vb::vbOK, keywords::texts::discardKeyword);
        QTest::mouseClick(w->Command2, Qt::LeftButton);
        QVERIFY_SCRIPT(script);
        QCOMPARE(Base::storedKeywords(), QStringList{"Alpha"});
    }
};

QTEST_MAIN(TestKeywordWindows)
#include "tst_keyword_windows.moc"
