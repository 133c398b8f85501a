#pragma once
// Texts the layout tests lay out: prose of ordinary words and long words
// with accents and characters outside the basic plane.

#include <QRandomGenerator>
#include <QString>

namespace samples {

// Words of ordinary length, a long one now and then, commas.
inline QString prose(int size, quint32 seed = 7)
{
    static const char *const words[] = {"the", "card", "of", "a", "long", "paragraph", "shows", "as", "one",
                                        "whatever", "its", "length", "and", "script", "notes", "quoted",
                                        "from", "elsewhere", "x", "characteristically"};
    QRandomGenerator rng(seed);
    QString t;
    while (t.size() < size) {
        t += QLatin1String(words[rng.bounded(20)]);
        t += rng.bounded(9) == 0 ? QStringLiteral(", ") : QStringLiteral(" ");
    }
    t.truncate(size);
    return t;
}

// One word of `size` letters, with a few accented letters among them and,
// when asked, characters outside the basic plane (pictographs: these let a
// line break around them).
inline QString longWord(int size, bool astral = false)
{
    QString w;
    w.reserve(size);
    for (int i = 0; w.size() < size; ++i) {
        if (astral && i % 1009 == 0)
            w += QString::fromUtf8("\xF0\x9F\x98\x80"); // one character, two units
        else if (i % 211 == 0)
            w += QString::fromUtf8("e\xCC\x81"); // e and its combining accent
        else
            w += QChar(u'a' + i % 26);
    }
    w.truncate(size);
    if (w.back().isHighSurrogate())
        w.back() = u'z';
    return w;
}

} // namespace samples
