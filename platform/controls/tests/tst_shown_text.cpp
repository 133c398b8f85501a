// Values far too long to show: what a list, a combo box's list and a label
// paint of them, that they paint it without a freeze, and that what is
// read back is the whole value.

#include <QtTest>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "ShownText.h"
#include "ShownTexts.h"
#include "Watchdog.h"

using namespace vb;

class TestShownText : public QObject {
    Q_OBJECT
private slots:
    void shownTextCutsLongTextsOnly()
    {
        QCOMPARE(shownText(QString()), QString());
        const QString exact(kShownChars, u'a');
        QCOMPARE(shownText(exact), exact);
        QCOMPARE(shownText(exact + u'b'), exact + QChar(0x2026));
        // A character outside the 16-bit plane is shown whole or not at all.
        const QString pair = QString(kShownChars - 1, u'a') + QStringLiteral("\U0001F600") + u'z';
        QCOMPARE(shownText(pair), QString(kShownChars - 1, u'a') + QChar(0x2026));
        const QString before = QString(kShownChars - 2, u'a') + QStringLiteral("\U0001F600") + u'z';
        QCOMPARE(shownText(before), QString(kShownChars - 2, u'a') + QStringLiteral("\U0001F600") + QChar(0x2026));
    }

    void listPaintsAPrefixAndKeepsTheItem()
    {
        const QString huge = showntest::hugeText(1000000);
        QListWidget list;
        showShortTexts(&list);
        showntest::ItemTextStyle style;
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
        const QString huge = showntest::hugeText(1000000);
        QComboBox combo;
        combo.setEditable(true);
        combo.setInsertPolicy(QComboBox::NoInsert);
        showShortTexts(combo.view());
        showntest::ItemTextStyle style;
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
        const QString huge = showntest::hugeText(1000000);
        QLabel label;
        showShortTexts(&label);
        label.resize(300, 20);
        label.setText(huge);
        showntest::TextSurface surface(label.size());
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
        showntest::TextSurface small(label.size());
        label.render(&small);
        QCOMPARE(small.characters(), qsizetype(10));
    }
};

QTEST_MAIN(TestShownText)
#include "tst_shown_text.moc"
