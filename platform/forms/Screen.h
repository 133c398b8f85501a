#pragma once
// The runtime's Screen object: its size in twips, the active window and the
// one screen cursor.

namespace vb {

class Form;

enum MousePointer : int { vbDefault = 0, vbArrow = 1, vbHourglass = 11 };

class Screen {
public:
    static double width();  // twips
    static double height(); // twips
    static Form *activeForm();

    // One value, not a stack: setting 11 twice and 0 once gives the default
    // cursor back; setting 0 when nothing was set does nothing.
    static int mousePointer();
    static void setMousePointer(int pointer);
};

// Hourglass for the length of a command; puts back the pointer it found.
class HourglassCursor {
public:
    HourglassCursor();
    ~HourglassCursor();
    HourglassCursor(const HourglassCursor &) = delete;
    HourglassCursor &operator=(const HourglassCursor &) = delete;

private:
    int m_previous;
};

} // namespace vb
