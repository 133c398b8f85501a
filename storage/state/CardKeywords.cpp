#include "CardKeywords.h"

#include "Runtime.h"

void SortCardKeywords(QStringList &keywords)
{
    const qsizetype k = keywords.size();
    if (k < 2)
        return;
    qsizetype i = 0;
    // Each pass gathers every entry equal to the smallest left at i, and
    // goes on from wherever the last of them left i.
    while (i != k - 1) {
        QString smallest = vb::LCase(keywords.at(i));
        for (qsizetype j = i + 1; j < k; ++j) {
            const QString lower = vb::LCase(keywords.at(j));
            if (lower < smallest)
                smallest = lower;
        }
        for (qsizetype j = i; j < k; ++j) {
            if (vb::LCase(keywords.at(j)) == smallest) {
                keywords.swapItemsAt(i, j);
                if (i < k - 1)
                    ++i;
            }
        }
    }
}
