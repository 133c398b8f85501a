#pragma once
// The runtime's Clipboard object, text only.

#include <QString>

namespace vb {

class Clipboard {
public:
    static QString getText();
    static void setText(const QString &text);
    static void clear();
};

} // namespace vb
