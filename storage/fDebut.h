#pragma once
// fDebut: the splash window of every start. Its picture grows from its
// centre, its two labels slide in, and the last tick of the animation
// creates the start-up base and hands over to the main window.

#include "Form.h"

#include <QRect>

class QLabel;
namespace vb {
class ShapeControl;
class PictureClip;
class Timer;
}

// The animation, tick by tick, in twips. Ticks 0-6 grow the picture to six
// sevenths of its design size around its centre, ticks 8-14 slide the
// labels in from the left (Label2 shown from tick 8, Label1 from tick 11),
// and tick 64 ends it.
class SplashAnimation {
public:
    enum : int { LastTick = 64 };

    // The design places; the picture shrinks to nothing at its centre and
    // both labels move to Left 0, hidden.
    void start(const QRect &picture, int label1Left, int label2Left);
    // One tick; true exactly once, at the tick that ends the animation.
    bool tick();

    int ticks() const { return m_t; }
    QRect picture() const { return m_picture; }
    int label1Left() const { return m_label1Left; }
    int label2Left() const { return m_label2Left; }
    bool label1Visible() const { return m_label1Visible; }
    bool label2Visible() const { return m_label2Visible; }

private:
    qint16 m_t = 0;
    bool m_ended = false;
    qint32 m_designWidth = 0, m_designHeight = 0;
    qint32 m_centreLeft = 0, m_centreTop = 0;
    qint32 m_label1Design = 0, m_label2Design = 0;
    QRect m_picture;
    qint32 m_label1Left = 0, m_label2Left = 0;
    bool m_label1Visible = false, m_label2Visible = false;
};

class fDebut : public vb::Form {
    Q_OBJECT
public:
    fDebut();
    ~fDebut() override;

    vb::Timer *Timer1 = nullptr;
    QLabel *Picture1 = nullptr;
    vb::PictureClip *PicClip1 = nullptr;
    vb::ShapeControl *Shape1 = nullptr;
    QLabel *Label1 = nullptr;
    QLabel *Label2 = nullptr;

    const SplashAnimation &animation() const { return m_animation; }
    // One tick of Timer1 (tests call it directly).
    void Timer1_Timer();
    // Creates the start-up base in the current directory, binds it, shows
    // the main window and unloads the splash. A failure shows its
    // description, removes the file this start made and ends the program.
    void StartWithNewBase();

protected:
    void formLoad() override;

private:
    void applyAnimation();
    SplashAnimation m_animation;
};
