#include "fLinksKey.h"

#include "Dialogs.h"
#include "Events.h"
#include "KeywordWindowTexts.h"
#include "Placement.h"
#include "Runtime.h"
#include "Screen.h"
#include "Twips.h"
#include "fDownUpLinks.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace {

QPushButton *newButton(QWidget *parent, const QString &name, const QString &caption, double left)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    vb::setGeometryTwips(b, left, 2640, 1095, 315);
    return b;
}

} // namespace

fLinksKey::fLinksKey()
    : m_view(new keywords::StripView(client(), this)),
      Grid1(m_view->grids()),
      Grid1Sel(m_view->boxes())
{
    setObjectName(QStringLiteral("fLinksKey"));
    setMdiChild(true);
    // Its place below the middle of the main window may pass the area's
    // edges: it is pulled in whole.
    setKeptInsideMdiArea(true);
    setCaption(keywords::texts::linksCaption);
    Panel3D1 = m_view->frame();
    HScroll1 = m_view->scrollBar();
    Combo1 = m_view->pathList();
    vb::setGeometryTwips(Combo1, 120, 2640, 3000, 315);
    cSupp = newButton(client(), QStringLiteral("cSupp"), QStringLiteral("Supp"), 3360);
    Command2 = newButton(client(), QStringLiteral("Command2"), QStringLiteral("UpLinks"), 4560);
    Command1 = newButton(client(), QStringLiteral("Command1"), QStringLiteral("New List"), 5760);

    addControl(QStringLiteral("Panel3D1"), Panel3D1);
    addControl(QStringLiteral("Grid1"), Grid1[0]);
    addControl(QStringLiteral("Grid1Sel"), Grid1Sel[0]);
    addControl(QStringLiteral("HScroll1"), HScroll1);
    addControl(QStringLiteral("Combo1"), Combo1);
    addControl(QStringLiteral("cSupp"), cSupp);
    addControl(QStringLiteral("Command2"), Command2);
    addControl(QStringLiteral("Command1"), Command1);

    m_view->onClick = [this](int index) { Grid1_Click(index); };
    m_view->onMouseDown = [this](int index, int button) { Grid1_MouseDown(index, button); };
    m_view->onDrop = [this](int index, const vb::DragPayload &source) { Grid1_DragDrop(index, source); };
    m_view->onScroll = [this](int value) { HScroll1_Change(value); };
    vb::connectEvent(cSupp, &QPushButton::clicked, this, [this] { cSupp_Click(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
}

void fLinksKey::formLoad()
{
    setHeight(4110);
    setWidth(7750);
    // Centred near the foot of the main window; every instance stands there.
    const MainWindowSize main = mainWindowSize();
    setTop(main.height - height() - 700);
    setLeft(vb::intDiv(main.width - width(), 2));
    vb::Screen::setMousePointer(vb::vbHourglass);
    m_browser.load();
    render();
    vb::Screen::setMousePointer(vb::vbDefault);
}

void fLinksKey::render() { m_view->render(m_browser.strip()); }

void fLinksKey::Grid1_Click(int index)
{
    if (Grid1.exists(index)) {
        m_browser.click(index, Grid1[index]->row());
        render();
    }
    vb::Screen::setMousePointer(vb::vbDefault);
}

void fLinksKey::Grid1_DragDrop(int index, const vb::DragPayload &source)
{
    m_browser.drop(index, source);
    render();
}

void fLinksKey::Grid1_MouseDown(int index, int button)
{
    Q_UNUSED(index)
    if (button == vb::vbRightButton)
        vb::runLater(this, [] { vb::MsgBox(keywords::texts::toCome, vb::vbOKOnly); });
}

void fLinksKey::HScroll1_Change(int value)
{
    m_browser.strip().setScrollValue(value);
    render();
}

void fLinksKey::cSupp_Click()
{
    m_browser.supp();
    render();
}

void fLinksKey::Command2_Click()
{
    CurrentKeyword = m_browser.currentKeyword();
    fDownUpLinks::restart();
}

void fLinksKey::Command1_Click() { vb::Forms::create<fLinksKey>()->show(); }
