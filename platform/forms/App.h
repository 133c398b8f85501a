#pragma once
// The runtime's App object: the title message boxes show when they have
// none of their own, and the program's version.

#include <QString>

namespace vb {

class App {
public:
    static QString title();
    static void setTitle(const QString &title);
    static int major();
    static int minor();
    static int revision();
};

} // namespace vb
