#include "fDownUpLinks.h"

#include "Dialogs.h"
#include "DragDrop.h"
#include "Events.h"
#include "KeywordWindowTexts.h"
#include "Placement.h"
#include "Runtime.h"
#include "Screen.h"
#include "Twips.h"

#include <QComboBox>
#include <QLineEdit>
#include <QScrollBar>

QString CurrentKeyword;

namespace {
// The keyword of a restart by drop, taken by the next load in place of
// CurrentKeyword.
std::optional<QString> g_startOverride;
} // namespace

fDownUpLinks::fDownUpLinks()
    : m_view(new keywords::StripView(client(), this)),
      Grid1(m_view->grids()),
      Grid1Sel(m_view->boxes()),
      m_strip(keywords::StripDirection::Up, [this](const QString &k) { return m_graph.supersets(k); })
{
    setObjectName(QStringLiteral("fDownUpLinks"));
    setMdiChild(true);
    // Its place below the middle of the main window may pass the area's
    // edges: it is pulled in whole.
    setKeptInsideMdiArea(true);
    setCaption(keywords::texts::upLinksCaption);
    Panel3D1 = m_view->frame();
    HScroll1 = m_view->scrollBar();
    Combo1 = m_view->pathList();
    vb::setGeometryTwips(Combo1, 120, 2640, 3000, 315);

    addControl(QStringLiteral("Panel3D1"), Panel3D1);
    addControl(QStringLiteral("Grid1"), Grid1[0]);
    addControl(QStringLiteral("Grid1Sel"), Grid1Sel[0]);
    addControl(QStringLiteral("HScroll1"), HScroll1);
    addControl(QStringLiteral("Combo1"), Combo1);

    m_view->onClick = [this](int index) { Grid1_Click(index); };
    m_view->onMouseDown = [this](int index, int button) { Grid1_MouseDown(index, button); };
    m_view->onScroll = [this](int value) { HScroll1_Change(value); };
    // The columns take drops but do nothing with them; the background restarts.
    vb::acceptDrops(client(), [this](const vb::DragPayload &source, double, double) { Form_DragDrop(source); });
}

void fDownUpLinks::restart(const std::optional<QString> &keyword)
{
    vb::Forms::unload<fDownUpLinks>();
    g_startOverride = keyword;
    fDownUpLinks &window = vb::Forms::get<fDownUpLinks>();
    g_startOverride.reset();
    window.show();
}

void fDownUpLinks::formLoad()
{
    setHeight(3400);
    setWidth(7750);
    const MainWindowSize main = mainWindowSize();
    setTop(main.height - (height() + 150) * 2);
    setLeft(vb::intDiv(main.width - width(), 2));
    m_graph.bindShared();
    m_strip.startOn(g_startOverride.value_or(CurrentKeyword));
    render();
}

void fDownUpLinks::render() { m_view->render(m_strip); }

void fDownUpLinks::Grid1_Click(int index)
{
    const vb::HourglassCursor hourglass;
    if (!Grid1.exists(index))
        return;
    m_graph.bindShared();
    m_strip.click(index, Grid1[index]->row());
    render();
}

void fDownUpLinks::Grid1_MouseDown(int index, int button)
{
    Q_UNUSED(index)
    if (button == vb::vbRightButton)
        vb::runLater(this, [] { vb::MsgBox(keywords::texts::toCome, vb::vbInformation); });
}

void fDownUpLinks::Form_DragDrop(const vb::DragPayload &source)
{
    // A keyword box offers its text, the main window's label its caption.
    if (const std::optional<QString> keyword = vb::droppedText(source))
        restart(*keyword);
}

void fDownUpLinks::HScroll1_Change(int value)
{
    m_strip.setScrollValue(value);
    render();
}
