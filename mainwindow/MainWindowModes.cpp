#include "MainWindowModes.h"

#include <QStringList>

namespace mainwindow {

namespace {

const QString kFrameFile = QStringLiteral("FrameFile");
const QString kFrameSearch = QStringLiteral("FrameSearch");
const QString kFrameOther = QStringLiteral("FrameOther");
const QString kFrameKW = QStringLiteral("FrameKW");

const QStringList kFrames{kFrameFile, kFrameSearch, kFrameOther, kFrameKW};
const QStringList kOptions{QStringLiteral("OptionNote"), QStringLiteral("OptionCit"),
                           QStringLiteral("OptionRef")};
const QStringList kTabPanes{QStringLiteral("DownPanel"), QStringLiteral("UpPanel"),
                            QStringLiteral("AllKWPanel")};
const QStringList kLinkEditor{QStringLiteral("DownUpPanel"),      QStringLiteral("cmdAddFromListUp"),
                              QStringLiteral("cmdAddFromListDown"), QStringLiteral("cmdFindIfLinks"),
                              QStringLiteral("cmdSelFromUp"),     QStringLiteral("cmdSelFromDown"),
                              QStringLiteral("cmdSuppFromListUp"), QStringLiteral("cmdSuppFromListDown")};

int indexOf(Toggle t) { return int(t); }

QSet<QString> setOf(const QStringList &names) { return QSet<QString>(names.begin(), names.end()); }

// The left panel and frames of a mode once its toggle is released.
QSet<QString> modeSet(Mode mode, int tab)
{
    QSet<QString> v;
    switch (mode) {
    case Mode::Search:
    case Mode::Other:
        v << kFrameFile << (mode == Mode::Search ? kFrameSearch : kFrameOther);
        v << QStringLiteral("TabStrip1") << QStringLiteral("KWSel2");
        v += setOf(kOptions);
        v << kTabPanes.at(qBound(1, tab, 3) - 1);
        break;
    case Mode::KeywordSimple:
        v << kFrameKW << QStringLiteral("AllKWPanel") << QStringLiteral("KWSel");
        v += setOf(kLinkEditor);
        break;
    case Mode::KeywordDouble:
        // cmdReverseSearch keeps the state the simple layout left it in:
        // hidden (it has no action).
        v << kFrameKW << QStringLiteral("AllKWPanel") << QStringLiteral("DownPanel")
          << QStringLiteral("UpPanel") << QStringLiteral("cmdSearchUp") << QStringLiteral("Label1")
          << QStringLiteral("KWSel") << QStringLiteral("KWSel2");
        break;
    }
    return v;
}

QSet<QString> withoutFrames(QSet<QString> v)
{
    for (const QString &f : kFrames)
        v.remove(f);
    return v;
}

} // namespace

const QStringList &MainWindowModes::allControls()
{
    static const QStringList all = [] {
        QStringList l = kFrames;
        l << QStringLiteral("TabStrip1");
        l += kOptions;
        l += kTabPanes;
        l += kLinkEditor;
        l << QStringLiteral("cmdSearchUp") << QStringLiteral("cmdReverseSearch") << QStringLiteral("Label1")
          << QStringLiteral("KWSel") << QStringLiteral("KWSel2");
        return l;
    }();
    return all;
}

bool MainWindowModes::isPane(const QString &name)
{
    return kTabPanes.contains(name) || name == QStringLiteral("DownUpPanel");
}

QPoint MainWindowModes::framePosition(const QString &frame)
{
    if (frame == kFrameSearch || frame == kFrameOther)
        return {5940, -120};
    return {2620, -120}; // FrameFile, FrameKW
}

int MainWindowModes::position(Toggle toggle) const { return m_positions[indexOf(toggle)]; }

void MainWindowModes::selectTab(int tab) { m_tab = qBound(1, tab, 3); }

void MainWindowModes::setModePositions(Toggle down)
{
    for (Toggle t : {Toggle::KW, Toggle::Search, Toggle::Other})
        m_positions[indexOf(t)] = t == down ? PositionDown : PositionUp;
}

void MainWindowModes::setBrowserPositions(Toggle down)
{
    for (Toggle t : {Toggle::SimpleBrowser, Toggle::DoubleBrowser})
        m_positions[indexOf(t)] = t == down ? PositionDown : PositionUp;
}

QSet<QString> MainWindowModes::visibleControls() const
{
    return m_pressing ? m_pressVisible : modeSet(m_mode, m_tab);
}

ToggleEffect MainWindowModes::mouseDown(Toggle toggle)
{
    ToggleEffect e;
    const QSet<QString> before = visibleControls();
    switch (toggle) {
    case Toggle::KW:
        setModePositions(toggle);
        // Only the frames change until the release applies the layout.
        m_pressing = true;
        m_pressVisible = withoutFrames(before) << kFrameKW;
        e.resultWindow = ResultWindow::Show;
        break;
    case Toggle::Search: {
        setModePositions(toggle);
        m_pressing = true;
        QSet<QString> v = withoutFrames(before);
        v.remove(QStringLiteral("TabStrip1"));
        for (const QString &p : kTabPanes)
            v.remove(p);
        m_pressVisible = v << kFrameFile << kFrameSearch;
        e.resultWindow = ResultWindow::Show;
        break;
    }
    case Toggle::Other:
        setModePositions(toggle);
        m_pressing = false;
        m_mode = Mode::Other;
        m_kwFrameHidden = false;
        e.layout = Layout::Tabs;
        e.resultWindow = ResultWindow::Show;
        break;
    case Toggle::SimpleBrowser:
    case Toggle::DoubleBrowser:
        setBrowserPositions(toggle);
        break;
    }
    return e;
}

ToggleEffect MainWindowModes::mouseUp(Toggle toggle)
{
    ToggleEffect e;
    m_pressing = false;
    switch (toggle) {
    case Toggle::KW:
        setModePositions(toggle);
        // The release always opens the simple browser: the pair must say so.
        setBrowserPositions(Toggle::SimpleBrowser);
        m_mode = Mode::KeywordSimple;
        m_kwFrameHidden = true;
        e.layout = Layout::SimpleBrowser;
        e.resultWindow = ResultWindow::Hide;
        break;
    case Toggle::Search:
        setModePositions(toggle);
        m_mode = Mode::Search;
        m_kwFrameHidden = false;
        e.layout = Layout::Tabs;
        break;
    case Toggle::Other:
        setModePositions(toggle);
        m_mode = Mode::Other;
        m_kwFrameHidden = false;
        e.layout = Layout::Tabs;
        break;
    case Toggle::SimpleBrowser:
        setBrowserPositions(toggle);
        m_mode = Mode::KeywordSimple;
        m_kwFrameHidden = true;
        e.layout = Layout::SimpleBrowser;
        break;
    case Toggle::DoubleBrowser:
        setBrowserPositions(toggle);
        m_mode = Mode::KeywordDouble;
        m_kwFrameHidden = true;
        e.layout = Layout::DoubleBrowser;
        break;
    }
    return e;
}

} // namespace mainwindow
