// Values far too long to show: what a list, a combo box's list and a label
// paint of them, that they paint it without a freeze, and that what is
// read back is the whole value.

#include <QtTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "ShortTexts.h"
#include "PaintedTexts.h"
#include "Watchdog.h"

using namespace vb;

class TestShortTexts : public QObject {
    Q_OBJECT
private slots:
    void listPaintsAPrefixAndKeepsTheItem()
    {
        const QString huge = painted::hugeText(1000000);
        QListWidget list;
        showShortTexts(&list);
        painted::ItemTextStyle style;
        list.setStyle(&style);
        list.addItems({QStringLiteral("short"), huge, QStringLiteral("last")});
        list.resize(200, 150);
        {
            Watchdog dog("a list holding a value of a million characters", 120);
            list.show();
            QVERIFY(QTest::qWaitForWindowExposed(&list));
            list.grab();
        }
        QVERIFY(style.items > 0);
        QVERIFY2(style.longest <= kShownChars + 1, qPrintable(QString::number(style.longest)));
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(1)).center());
        QCOMPARE(list.currentRow(), 1);
        QVERIFY(list.currentItem()->text() == huge);
    }

    // An editable combo box: its list shows a prefix, its item stays whole
    // and goes to the box once chosen.
    void comboListPaintsAPrefixAndTheBoxTakesTheWholeValue()
    {
        const QString huge = painted::hugeText(1000000);
        QComboBox combo;
        combo.setEditable(true);
        combo.setInsertPolicy(QComboBox::NoInsert);
        showShortTexts(combo.view());
        painted::ItemTextStyle style;
        combo.view()->setStyle(&style);
        combo.addItems({QStringLiteral("short"), huge});
        combo.setEditText(QStringLiteral("short"));
        combo.resize(200, 25);
        combo.show();
        QVERIFY(QTest::qWaitForWindowExposed(&combo));
        {
            Watchdog dog("a combo box's list holding a value of a million characters", 120);
            combo.showPopup();
            QVERIFY(QTest::qWaitForWindowExposed(combo.view()));
            combo.view()->grab();
        }
        QVERIFY(style.items > 0);
        QVERIFY2(style.longest <= kShownChars + 1, qPrintable(QString::number(style.longest)));
        // Chosen in the open list by the keyboard.
        QTest::keyClick(combo.view(), Qt::Key_Down);
        QTest::keyClick(combo.view(), Qt::Key_Return);
        QTRY_VERIFY(!combo.view()->isVisible());
        QCOMPARE(combo.currentIndex(), 1);
        QVERIFY(combo.itemText(1) == huge);
        // The box takes it as a line edit takes any text, up to its limit.
        QVERIFY(combo.lineEdit()->text() == huge.left(combo.lineEdit()->maxLength()));
    }

    void labelPaintsAPrefixAndKeepsItsText()
    {
        const QString huge = painted::hugeText(1000000);
        QLabel label;
        showShortTexts(&label);
        label.resize(300, 20);
        label.setText(huge);
        painted::TextSurface surface(label.size());
        {
            Watchdog dog("a label holding a value of a million characters", 120);
            label.show();
            QVERIFY(QTest::qWaitForWindowExposed(&label));
            label.render(&surface);
        }
        QVERIFY(surface.texts() > 0);
        QVERIFY2(surface.characters() <= kShownChars + 1, qPrintable(QString::number(surface.characters())));
        QVERIFY(label.text() == huge);
        // A short text is painted as it is.
        label.setText(QStringLiteral("Philosophy"));
        painted::TextSurface small(label.size());
        label.render(&small);
        QCOMPARE(small.characters(), qsizetype(10));
    }
};

QTEST_MAIN(TestShortTexts)
#include "tst_short_texts.moc"
