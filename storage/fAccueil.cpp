#include "fAccueil.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Events.h"
#include "MainWindowLink.h"
#include "OuvreBase.h"
#include "OuvreFichier.h"
#include "Runtime.h"
#include "Screen.h"
#include "Twips.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>

namespace {

bool mainWindowLoaded()
{
    const MainWindowLink &link = mainWindowLink();
    return link.isLoaded && link.isLoaded();
}

QPixmap welcomePicture()
{
    QPixmap pm(64, 64);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(0x3a, 0x6e, 0xa5));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(6, 10, 40, 48, 4, 4);
    p.setBrush(QColor(0xf2, 0xc1, 0x4e));
    p.drawRoundedRect(18, 4, 40, 48, 4, 4);
    p.setPen(QPen(QColor(0x5a, 0x4a, 0x20), 2));
    for (int y = 14; y <= 40; y += 8)
        p.drawLine(24, y, 52, y);
    return pm;
}

} // namespace

fAccueil::fAccueil()
{
    setObjectName(QStringLiteral("fAccueil"));
    setCaption(QStringLiteral("Corvane Studio"));
    QWidget *c = client();

    Label1 = new QLabel(c);
    Image1 = new QLabel(c);
    Image1->setPixmap(welcomePicture());
    auto button = [&](const QString &name, const QString &caption) {
        auto *b = new QPushButton(caption, c);
        addControl(name, b);
        return b;
    };
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("Image1"), Image1);
    Command1 = button(QStringLiteral("Command1"), QStringLiteral("a new base"));
    Command2 = button(QStringLiteral("Command2"), QStringLiteral("an existing base"));
    CommandAgain = button(QStringLiteral("CommandAgain"), QStringLiteral("try to open the base again"));
    CommandOther = button(QStringLiteral("CommandOther"), QStringLiteral("open another base"));
    CommandNew = button(QStringLiteral("CommandNew"), QStringLiteral("open a new base"));
    CommandQuit = button(QStringLiteral("CommandQuit"), QStringLiteral("quit"));

    vb::setGeometryTwips(Image1, 240, 600, 960, 960);
    vb::setGeometryTwips(Label1, 240, 180, 5800, 300);
    vb::setGeometryTwips(Command1, 1440, 700, 3000, 420);
    vb::setGeometryTwips(Command2, 1440, 1260, 3000, 420);
    vb::setGeometryTwips(CommandAgain, 1440, 700, 4400, 420);
    vb::setGeometryTwips(CommandOther, 1440, 1260, 4400, 420);
    vb::setGeometryTwips(CommandNew, 1440, 1820, 4400, 420);
    vb::setGeometryTwips(CommandQuit, 1440, 2380, 4400, 420);

    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { CreateNewBase(); });
    vb::connectEvent(CommandNew, &QPushButton::clicked, this, [this] { CreateNewBase(); });
    vb::connectEvent(CommandAgain, &QPushButton::clicked, this,
                     [this] { AskPasswordAndOpenBase(m_candidate); });
    // The window goes before the file dialog; the dialog's own window is
    // loaded anew, hidden, and shows itself again only when needed.
    auto pickAnother = [this] {
        unload();
        vb::Forms::get<fAccueil>().PickBaseFile();
    };
    vb::connectEvent(Command2, &QPushButton::clicked, this, pickAnother);
    vb::connectEvent(CommandOther, &QPushButton::clicked, this, pickAnother);
    vb::connectEvent(CommandQuit, &QPushButton::clicked, this, [] { vb::End(); });
}

void fAccueil::formLoad()
{
    showFirstView();
    centre();
}

void fAccueil::showFirstView()
{
    m_invalidView = false;
    Label1->setText(QStringLiteral("Do you want to open :"));
    Command1->setVisible(true);
    Command2->setVisible(true);
    CommandAgain->setVisible(false);
    CommandOther->setVisible(false);
    CommandNew->setVisible(false);
    CommandQuit->setVisible(false);
    // The first view is given by its client area.
    window()->resize(vb::pixelsX(4710), vb::pixelsY(2145));
}

void fAccueil::centre()
{
    setTop(vb::intDiv(vb::Screen::height() - height(), 2));
    setLeft(vb::intDiv(vb::Screen::width() - width(), 2));
}

void fAccueil::showFailure(const QString &description)
{
    vb::MsgBox(description, vb::vbExclamation);
    show();
}

bool fAccueil::finish(const dao::Database &db, const QString &path, const QString &connect)
{
    bool taken = false;
    try {
        taken = TakeOverOpenedBase(db, path, connect);
    } catch (const vb::Error &e) {
        showFailure(e.description());
        return false;
    }
    if (!taken) {
        show();
        return false;
    }
    unload();
    return true;
}

void fAccueil::PickBaseFile()
{
    const QString path = AskBaseFile();
    if (path.isEmpty()) {
        // Nothing chosen: without a main window the user would be left
        // with no window at all.
        if (mainWindowLoaded())
            unload();
        else
            show();
        return;
    }
    OpenSelectedBase(path);
}

void fAccueil::OpenSelectedBase(const QString &path)
{
    m_candidate = QFileInfo(path).absoluteFilePath();
    const QString connect = BuiltInConnect();
    dao::Database db;
    try {
        db = dao::DBEngine::OpenDatabase(m_candidate, false, false, connect);
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrInvalidPassword)
            AskPasswordAndOpenBase(m_candidate);
        else
            showFailure(e.description());
        return;
    }
    finish(db, m_candidate, connect);
}

void fAccueil::AskPasswordAndOpenBase(const QString &path)
{
    m_candidate = QFileInfo(path).absoluteFilePath();
    // A cancelled box counts as an empty password.
    const QString typed = vb::PasswordBox(QStringLiteral("Enter the Password for your base"),
                                          QStringLiteral("Password"))
                              .value_or(QString());
    const QString connect = ConnectFor(typed);
    dao::Database db;
    try {
        db = dao::DBEngine::Workspaces(0).OpenDatabase(m_candidate, false, false, connect);
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrInvalidPassword)
            ShowInvalidPasswordChoices();
        else
            showFailure(e.description());
        return;
    }
    finish(db, m_candidate, connect);
}

void fAccueil::ShowInvalidPasswordChoices()
{
    m_invalidView = true;
    Command1->setVisible(false);
    Command2->setVisible(false);
    CommandAgain->setVisible(true);
    CommandOther->setVisible(true);
    CommandNew->setVisible(true);
    CommandQuit->setVisible(true);
    setWidth(6290);
    setHeight(3915);
    Label1->setText(QStringLiteral("Invalid Password - Please select an operation :"));
    refresh();
    show();
}

void fAccueil::CreateNewBase()
{
    vb::FileDialogOptions o;
    o.title = QStringLiteral(" Enter a name for your new base ");
    o.filter = kBaseFileFilter;
    const QString chosen = vb::ShowOpen(o);
    if (chosen.isEmpty())
        return;
    const QString path = QFileInfo(chosen).absoluteFilePath();
    // A cancelled box creates the base without a user password.
    const QString typed = vb::PasswordBox(QStringLiteral("Enter a Password for your base - or leave it blank"),
                                          QStringLiteral("Password"))
                              .value_or(QString());
    const QString connect = ConnectFor(typed);
    try {
        CreateKnowledgeBase(path, connect);
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrDatabaseExists)
            vb::MsgBox(e.description(), vb::vbOKOnly);
        else
            showFailure(e.description());
        return;
    }
    // From here on the file is ours: a road that does not end on it
    // takes it away again.
    dao::Database db;
    try {
        db = dao::DBEngine::OpenDatabase(path, false, false, connect);
    } catch (const vb::Error &e) {
        QFile::remove(path);
        showFailure(e.description());
        return;
    }
    if (!finish(db, path, connect))
        QFile::remove(path);
}
