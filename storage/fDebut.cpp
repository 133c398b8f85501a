#include "fDebut.h"

#include "Dialogs.h"
#include "Error.h"
#include "Graphics.h"
#include "MainWindowLink.h"
#include "OuvreBase.h"
#include "Runtime.h"
#include "Screen.h"
#include "StartUp.h"
#include "Twips.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QRadialGradient>

// ---------------------------------------------------------------------------
// SplashAnimation

void SplashAnimation::start(const QRect &picture, int label1Left, int label2Left)
{
    m_t = 0;
    m_ended = false;
    m_designWidth = picture.width();
    m_designHeight = picture.height();
    m_centreLeft = picture.left() + m_designWidth / 2;
    m_centreTop = picture.top() + m_designHeight / 2;
    m_picture = QRect(m_centreLeft, m_centreTop, 0, 0);
    m_label1Design = label1Left;
    m_label2Design = label2Left;
    m_label1Left = 0;
    m_label2Left = 0;
    m_label1Visible = false;
    m_label2Visible = false;
}

bool SplashAnimation::tick()
{
    const qint32 t = m_t;
    if (t < 7) {
        const qint32 w = m_designWidth * t / 7;
        const qint32 h = m_designHeight * t / 7;
        m_picture = QRect(m_centreLeft - w / 2, m_centreTop - h / 2, w, h);
    }
    if (t >= 8 && t <= 14) {
        m_label2Visible = true;
        m_label1Left += m_label1Design / 7;
        m_label2Left += m_label2Design / 7;
    }
    if (t >= 11)
        m_label1Visible = true;
    if (t != LastTick) {
        ++m_t;
        return false;
    }
    if (m_ended)
        return false;
    m_ended = true;
    return true;
}

// ---------------------------------------------------------------------------
// fDebut

namespace {

QPixmap splashPicture()
{
    QPixmap pm(192, 192);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient g(96, 80, 96);
    g.setColorAt(0, QColor(0xf6, 0xd3, 0x65));
    g.setColorAt(1, QColor(0x2e, 0x5c, 0x8a));
    p.setBrush(g);
    p.setPen(Qt::NoPen);
    p.drawEllipse(8, 8, 176, 176);
    p.setPen(QPen(Qt::white, 6));
    p.drawLine(60, 70, 132, 70);
    p.drawLine(60, 96, 132, 96);
    p.drawLine(60, 122, 110, 122);
    return pm;
}

} // namespace

fDebut::fDebut()
{
    setObjectName(QStringLiteral("fDebut"));
    setCaption(QStringLiteral("Debut"));
    QWidget *c = client();
    window()->resize(vb::pixelsX(6000), vb::pixelsY(3600));

    Timer1 = new vb::Timer(this);
    PicClip1 = new vb::PictureClip;
    PicClip1->setPicture(splashPicture());
    Shape1 = new vb::ShapeControl(c);
    vb::setGeometryTwips(Shape1, 120, 120, 5760, 3360);
    Picture1 = new QLabel(c);
    Picture1->setScaledContents(true);
    Picture1->setPixmap(PicClip1->graphicCell(0));
    vb::setGeometryTwips(Picture1, 2280, 480, 1440, 1440);
    Label2 = new QLabel(QStringLiteral("Corvane Studio"), c);
    QFont big = Label2->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    Label2->setFont(big);
    vb::setGeometryTwips(Label2, 1500, 2160, 3600, 540);
    Label1 = new QLabel(QStringLiteral("Notes, quotes and references under keywords"), c);
    vb::setGeometryTwips(Label1, 1200, 2820, 4200, 300);

    addControl(QStringLiteral("Timer1"), Timer1);
    addControl(QStringLiteral("Picture1"), Picture1);
    addControl(QStringLiteral("Shape1"), Shape1);
    addControl(QStringLiteral("Label2"), Label2);
    addControl(QStringLiteral("Label1"), Label1);

    connect(Timer1, &vb::Timer::timer, this, [this] { Timer1_Timer(); });
}

fDebut::~fDebut() { delete PicClip1; }

void fDebut::formLoad()
{
    setTop(vb::intDiv(vb::Screen::height() - height(), 2));
    setLeft(vb::intDiv(vb::Screen::width() - width(), 2));
    Timer1->setInterval(10);
    const QRect design(qRound(vb::leftOf(Picture1)), qRound(vb::topOf(Picture1)), qRound(vb::widthOf(Picture1)),
                       qRound(vb::heightOf(Picture1)));
    m_animation.start(design, qRound(vb::leftOf(Label1)), qRound(vb::leftOf(Label2)));
    applyAnimation();
}

void fDebut::applyAnimation()
{
    const QRect r = m_animation.picture();
    vb::setGeometryTwips(Picture1, r.left(), r.top(), r.width(), r.height());
    vb::setLeft(Label1, m_animation.label1Left());
    vb::setLeft(Label2, m_animation.label2Left());
    Label1->setVisible(m_animation.label1Visible());
    Label2->setVisible(m_animation.label2Visible());
}

void fDebut::Timer1_Timer()
{
    const bool ended = m_animation.tick();
    applyAnimation();
    if (!ended)
        return;
    // A message box during the start runs events; the timer must not come
    // back into it and create a second base.
    Timer1->setEnabled(false);
    StartWithNewBase();
}

void fDebut::StartWithNewBase()
{
    setVisible(false);
    const QDir here = QDir::current();
    const QString path = here.absoluteFilePath(StartBaseName(FirstFreeStartBaseNumber(here.path())));
    const QString connect = BuiltInConnect();
    auto fail = [](const QString &description) {
        vb::MsgBox(description);
        vb::End();
    };
    try {
        CreateKnowledgeBase(path, connect);
    } catch (const vb::Error &e) {
        fail(e.description());
        return;
    }
    try {
        OpenAndBindBase(path, connect);
    } catch (const vb::Error &e) {
        QFile::remove(path);
        fail(e.description());
        return;
    }
    // A main window that cannot come up must not leave the program
    // running behind a hidden splash.
    try {
        if (const MainWindowLink &link = mainWindowLink(); link.loadAndShow)
            link.loadAndShow();
    } catch (const vb::Error &e) {
        fail(e.description());
        return;
    }
    unload();
}
