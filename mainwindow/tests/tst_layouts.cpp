// The main window's three layouts and the About box at the program's 8-point
// font: every control shown lies whole inside its parent, no two overlap
// unless one is placed on the other (the panes on the tab strip's page), the
// controls keep their order, and every caption fits its control.

#include "Form.h"
#include "KeywordBrowser.h"
#include "OuvreBase.h"
#include "Start.h"
#include "Twips.h"
#include "fCorvane.h"
#include "frmAbout.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString withoutMnemonic(QString text)
{
    text.replace(QLatin1String("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QStringLiteral("\x01"), QStringLiteral("&"));
    return text;
}

QRect rectIn(const QWidget *w, const QWidget *ancestor)
{
    return QRect(w->mapTo(ancestor, QPoint(0, 0)), w->size());
}

// Why a caption does not show whole in its control, or "".
QString captionProblem(const QWidget *w)
{
    const QFontMetrics fm = w->fontMetrics();
    if (const auto *b = qobject_cast<const QPushButton *>(w)) {
        const QString text = withoutMnemonic(b->text());
        if (text.isEmpty())
            return {};
        QStyleOptionButton opt;
        opt.initFrom(b);
        opt.text = b->text();
        if (b->autoDefault() || b->isDefault())
            opt.features |= QStyleOptionButton::AutoDefaultButton;
        const QRect contents = b->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, b);
        // Two pixels at least on either side of the caption.
        if (fm.horizontalAdvance(text) + 4 > contents.width() || fm.height() > contents.height())
            return QStringLiteral("button \"%1\": %2 px of caption in %3 px")
                .arg(text)
                .arg(fm.horizontalAdvance(text))
                .arg(contents.width());
        return {};
    }
    if (const auto *r = qobject_cast<const QRadioButton *>(w)) {
        if (r->sizeHint().width() > r->width() || r->sizeHint().height() > r->height())
            return QStringLiteral("option \"%1\": needs %2 px, has %3").arg(r->text()).arg(r->sizeHint().width()).arg(r->width());
        return {};
    }
    if (const auto *l = qobject_cast<const QLabel *>(w)) {
        if (l->text().isEmpty() || !l->pixmap().isNull())
            return {};
        const QRect box = l->contentsRect();
        const QRect need = l->wordWrap()
                               ? fm.boundingRect(box, int(l->alignment()) | Qt::TextWordWrap, l->text())
                               : QRect(0, 0, fm.horizontalAdvance(l->text()), fm.height());
        if (need.width() > box.width() || need.height() > box.height())
            return QStringLiteral("label \"%1\": needs %2x%3, has %4x%5")
                .arg(l->text())
                .arg(need.width())
                .arg(need.height())
                .arg(box.width())
                .arg(box.height());
    }
    return {};
}

} // namespace

class TestLayouts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void tabLayoutWithGrownPanes();
    void simpleBrowserKeepsItsOrder();
    void doubleBrowserShowsItsOwnControls();
    void toggleCaptionsClearTheBevel();
    void aboutBoxCaptionsShowWhole();

private:
    fCorvane &loadMain();
    void clickToggle(fCorvane &f, mainwindow::Toggle t);
    void checkLayout(fCorvane &f, const QString &layout);
    void checkCaptions(const QList<QWidget *> &controls, const QString &where);
    QList<QWidget *> shownControls(fCorvane &f) const;

    QTemporaryDir m_dir;
};

void TestLayouts::initTestCase()
{
    vb::setInterfaceFont();
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    vb::Forms::setProgramEndHandler([] {});
    browser::InstallKeywordBrowser();
    CreateKnowledgeBase(m_dir.filePath(QStringLiteral("Layouts.cvb")), BuiltInConnect());
    OpenAndBindBase(m_dir.filePath(QStringLiteral("Layouts.cvb")), BuiltInConnect());
    // A chain deep enough to grow the panes, and more keywords than a list
    // shows at once.
    auto link = [](const QString &upper, const QString &lower) {
        rsGroup2.AddNew();
        fldGroup2Groupe2.setValue(upper);
        fldGroup2Groupe.setValue(lower);
        rsGroup2.Update();
    };
    const QStringList chain{"Alpha", "Beta", "Gamma", "Delta", "Epsilon"};
    for (int i = 0; i + 1 < chain.size(); ++i)
        link(chain[i], chain[i + 1]);
    for (int i = 0; i < 40; ++i) {
        rsCGroup1.AddNew();
        fldCGroup1Groupe.setValue(QStringLiteral("Keyword %1").arg(i, 2, 10, QLatin1Char('0')));
        rsCGroup1.Update();
    }
}

void TestLayouts::cleanup()
{
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

fCorvane &TestLayouts::loadMain()
{
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    QCoreApplication::processEvents();
    return f;
}

void TestLayouts::clickToggle(fCorvane &f, mainwindow::Toggle t)
{
    QWidget *w = f.toggle(t).widget();
    QVERIFY(w);
    QTest::mouseClick(w, Qt::LeftButton, {}, w->rect().center());
    QCoreApplication::processEvents();
}

QList<QWidget *> TestLayouts::shownControls(fCorvane &f) const
{
    QList<QWidget *> out;
    auto add = [&](QWidget *w) {
        if (w && !out.contains(w) && w->isVisibleTo(f.window()))
            out << w;
    };
    for (QObject *o : f.controls())
        add(qobject_cast<QWidget *>(o));
    for (int i = 0; i <= 20; ++i) {
        if (f.DownGrid.exists(i))
            add(f.DownGrid[i]);
        if (f.UpGrid.exists(i))
            add(f.UpGrid[i]);
    }
    for (mainwindow::Toggle t : {mainwindow::Toggle::KW, mainwindow::Toggle::Search, mainwindow::Toggle::Other,
                                 mainwindow::Toggle::SimpleBrowser, mainwindow::Toggle::DoubleBrowser})
        add(f.toggle(t).widget());
    return out;
}

void TestLayouts::checkLayout(fCorvane &f, const QString &layout)
{
    QCoreApplication::processEvents();
    const QSet<QWidget *> panes{f.DownPanel, f.UpPanel, f.AllKWPanel, f.DownUpPanel};
    // The frames of the top bar stand 120 twips above it, as placed: their
    // controls must show whole, the frames themselves have nothing to show.
    const QSet<QWidget *> frames{f.FrameFile, f.FrameSearch, f.FrameOther, f.FrameKW};
    const QList<QWidget *> shown = shownControls(f);
    QList<QWidget *> leaves;
    for (QWidget *w : shown) {
        if (frames.contains(w))
            continue;
        QWidget *top = f.Picture1->isAncestorOf(w) ? f.Picture1 : f.Picture2;
        QVERIFY2(top->isAncestorOf(w), qPrintable(layout + ": " + w->objectName()));
        for (QWidget *a = w->parentWidget();; a = a->parentWidget()) {
            const QRect r = rectIn(w, a);
            QVERIFY2(a->rect().contains(r),
                     qPrintable(QStringLiteral("%1: %2 (%3,%4 %5x%6) is not whole inside %7 (%8x%9)")
                                    .arg(layout, w->objectName())
                                    .arg(r.x())
                                    .arg(r.y())
                                    .arg(r.width())
                                    .arg(r.height())
                                    .arg(a->objectName())
                                    .arg(a->width())
                                    .arg(a->height())));
            if (a == top)
                break;
        }
        if (!panes.contains(w))
            leaves << w;
    }
    // The panes lie on the tab strip's page; nothing else lies on another.
    auto inPane = [&](QWidget *w) {
        for (QWidget *p : panes)
            if (p->isAncestorOf(w))
                return true;
        return false;
    };
    for (int i = 0; i < leaves.size(); ++i) {
        for (int j = i + 1; j < leaves.size(); ++j) {
            QWidget *a = leaves[i], *b = leaves[j];
            if ((a == f.TabStrip1 && inPane(b)) || (b == f.TabStrip1 && inPane(a)))
                continue;
            const QRect ra = rectIn(a, f.window()), rb = rectIn(b, f.window());
            QVERIFY2(!ra.intersects(rb), qPrintable(QStringLiteral("%1: %2 and %3 overlap")
                                                         .arg(layout, a->objectName(), b->objectName())));
        }
    }
    checkCaptions(shown, layout);
}

void TestLayouts::checkCaptions(const QList<QWidget *> &controls, const QString &where)
{
    for (QWidget *w : controls) {
        const QString problem = captionProblem(w);
        QVERIFY2(problem.isEmpty(), qPrintable(where + ": " + problem));
    }
}

void TestLayouts::tabLayoutWithGrownPanes()
{
    fCorvane &f = loadMain();
    auto &b = dynamic_cast<browser::KeywordBrowser &>(f.browser());
    checkLayout(f, QStringLiteral("tab 1"));

    // The three captions show in full, without scroll arrows, within the
    // panel's width.
    const QFontMetrics fm = f.TabStrip1->fontMetrics();
    QVERIFY(f.TabStrip1->tabBar()->isHidden());
    QVERIFY(f.TabStrip1->multiRow());
    QCOMPARE(vb::widthOf(f.Picture1), vb::twipsX(vb::pixelsX(2350)));
    for (int i = 1; i <= 3; ++i) {
        const QRect r = f.TabStrip1->tabRect(i);
        QVERIFY(r.left() >= 0 && r.right() < f.TabStrip1->width());
        QVERIFY2(r.width() >= fm.horizontalAdvance(f.TabStrip1->tabCaption(i)) + 8,
                 qPrintable(f.TabStrip1->tabCaption(i)));
    }

    // The Down pane grown by two levels still fits the panel.
    f.DownGrid[0]->setRow(0);
    b.DownGrid_Click(0);
    f.DownGrid[1]->setRow(0);
    b.DownGrid_Click(1);
    QCOMPARE(b.downPane().lastLevel(), 2);
    checkLayout(f, QStringLiteral("tab 1, grown"));

    f.TabStrip1->setSelectedIndex(2);
    checkLayout(f, QStringLiteral("tab 2"));
    f.UpGrid[1]->setRow(0);
    b.UpGrid_Click(1);
    QCOMPARE(b.upPane().lastLevel(), 2);
    checkLayout(f, QStringLiteral("tab 2, grown"));

    f.TabStrip1->setSelectedIndex(3);
    checkLayout(f, QStringLiteral("tab 3"));

    clickToggle(f, mainwindow::Toggle::Other);
    checkLayout(f, QStringLiteral("other mode"));
}

void TestLayouts::simpleBrowserKeepsItsOrder()
{
    fCorvane &f = loadMain();
    clickToggle(f, mainwindow::Toggle::KW);
    QCOMPARE(f.modes().mode(), mainwindow::Mode::KeywordSimple);
    f.KWSel->setText(QStringLiteral("Keyword 39"));
    clickToggle(f, mainwindow::Toggle::SimpleBrowser);
    checkLayout(f, QStringLiteral("simple browser"));

    // Top to bottom beside the keyword list: the links of the list's row,
    // add above, add below; each one whole and clickable.
    auto top = [&](QWidget *w) { return rectIn(w, f.Picture1).top(); };
    auto bottom = [&](QWidget *w) { return rectIn(w, f.Picture1).bottom(); };
    QVERIFY(bottom(f.cmdFindIfLinks) < top(f.cmdAddFromListUp));
    QVERIFY(bottom(f.cmdAddFromListUp) < top(f.cmdAddFromListDown));
    QVERIFY(bottom(f.cmdSelFromUp) < top(f.cmdSuppFromListUp));
    QVERIFY(bottom(f.cmdSuppFromListUp) < top(f.cmdSelFromDown));
    QVERIFY(bottom(f.cmdSelFromDown) < top(f.cmdSuppFromListDown));
    for (QPushButton *button : {f.cmdAddFromListUp, f.cmdAddFromListDown, f.cmdFindIfLinks})
        QCOMPARE(f.window()->childAt(rectIn(button, f.window()).center()), button);
    // The add buttons stand by the grids they add to.
    QVERIFY(qAbs(top(f.cmdAddFromListUp) - top(f.GridUp)) <= 2);
    QVERIFY(top(f.cmdAddFromListDown) > top(f.GridDown) && top(f.cmdAddFromListDown) < bottom(f.GridDown));
}

void TestLayouts::doubleBrowserShowsItsOwnControls()
{
    fCorvane &f = loadMain();
    auto &b = dynamic_cast<browser::KeywordBrowser &>(f.browser());
    f.KWSel->setText(QStringLiteral("Alpha"));
    clickToggle(f, mainwindow::Toggle::KW);
    clickToggle(f, mainwindow::Toggle::DoubleBrowser);
    QCOMPARE(f.modes().mode(), mainwindow::Mode::KeywordDouble);
    QVERIFY(f.cmdSearchUp->isVisible());
    QVERIFY(f.cmdReverseSearch->isHidden());
    QVERIFY(f.Label1->isVisible() && f.KWSel2->isVisible());
    checkLayout(f, QStringLiteral("double browser"));

    f.DownGrid[0]->setRow(0);
    b.DownGrid_Click(0);
    f.DownGrid[1]->setRow(0);
    b.DownGrid_Click(1);
    f.cmdSearchUp->click();
    checkLayout(f, QStringLiteral("double browser, grown"));
    QVERIFY(f.cmdReverseSearch->isHidden());

    // Back to the simple layout and again: the button stays hidden.
    clickToggle(f, mainwindow::Toggle::SimpleBrowser);
    clickToggle(f, mainwindow::Toggle::DoubleBrowser);
    QVERIFY(f.cmdReverseSearch->isHidden());
}

void TestLayouts::toggleCaptionsClearTheBevel()
{
    fCorvane &f = loadMain();
    for (mainwindow::Toggle t : {mainwindow::Toggle::KW, mainwindow::Toggle::Search, mainwindow::Toggle::Other,
                                 mainwindow::Toggle::SimpleBrowser, mainwindow::Toggle::DoubleBrowser}) {
        com::Control &c = f.toggle(t);
        QWidget *w = c.widget();
        const QString caption = c.get(Palvex_Ctl::DISPID_Caption).toString();
        const QFont font = c.get(Palvex_Ctl::DISPID_Font).value<QFont>();
        const QRect released(QPoint(c.get(Palvex_Ctl::DISPID_CaptionLeft).toInt(),
                                    c.get(Palvex_Ctl::DISPID_CaptionTop).toInt()),
                             QFontMetrics(font).size(0, caption));
        // Inside the two-pixel bevel with a pixel to spare, released and
        // pushed (one pixel right and down).
        const QRect face = w->rect().adjusted(3, 3, -3, -3);
        QVERIFY2(face.contains(released), qPrintable(caption));
        QVERIFY2(face.contains(released.translated(1, 1)), qPrintable(caption));
    }
}

void TestLayouts::aboutBoxCaptionsShowWhole()
{
    frmAbout &about = vb::Forms::get<frmAbout>();
    about.show();
    QCoreApplication::processEvents();
    QList<QWidget *> shown;
    for (QObject *o : about.controls())
        if (auto *w = qobject_cast<QWidget *>(o); w && w->isVisibleTo(about.client()))
            shown << w;
    for (QWidget *w : about.client()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!shown.contains(w) && w->isVisibleTo(about.client()) && qobject_cast<QLabel *>(w))
            shown << w;
    QVERIFY(shown.contains(about.cmdSysInfo));
    QVERIFY(shown.size() >= 10);
    checkCaptions(shown, QStringLiteral("About box"));
    for (int i = 0; i < shown.size(); ++i) {
        QVERIFY2(about.client()->rect().contains(rectIn(shown[i], about.client())),
                 qPrintable(shown[i]->objectName() + QLatin1Char(' ') + shown[i]->property("text").toString()));
        for (int j = i + 1; j < shown.size(); ++j)
            QVERIFY2(!rectIn(shown[i], about.client()).intersects(rectIn(shown[j], about.client())),
                     qPrintable(shown[i]->property("text").toString() + " / " + shown[j]->property("text").toString()));
    }
}

QTEST_MAIN(TestLayouts)
#include "tst_layouts.moc"
