#pragma once
// Walks of the keyword graph over the link table GROUP2 (GROUPE2 the upper
// keyword, GROUPE the lower one) and the writes of single links.
//
// The indexes of GROUP2 compare keys without regard to letter case, so every
// walk here compares the same way: "abc" and "ABC" are one keyword to the
// walks, as they are to the seeks. Each list stops at kMaxListEntries.

#include "KeywordTexts.h"
#include "Dao.h"

#include <QString>
#include <QStringList>

namespace keywords {

struct KeywordList {
    QStringList keywords;
    // More keywords were there than one list holds.
    bool truncated = false;
};

// The same comparison as the indexes of the base.
bool sameKeyword(const QString &a, const QString &b);

class KeywordGraph {
public:
    KeywordGraph() = default;
    KeywordGraph(dao::Recordset links, dao::Field upper, dao::Field lower);

    // Takes the shared GROUP2 recordset and its fields of the open base.
    void bindShared();
    bool isBound() const { return bool(m_links); }

    // GROUP2 holds no row at all.
    bool isEmpty() const;

    // Keywords that are the upper keyword of a link and the lower keyword of
    // none, once each, in index order.
    KeywordList rootKeywords() const;
    // Lower (upper) keywords of one keyword, in index order.
    KeywordList subsets(const QString &keyword) const;
    KeywordList supersets(const QString &keyword) const;

    // True when `lower` is `upper` itself or lies below it through any
    // number of links; no list bound applies. A link lower > upper would
    // then close a loop.
    bool reachesDown(const QString &upper, const QString &lower) const;

    bool hasLink(const QString &upper, const QString &lower) const;
    // Stores one link; engine errors are raised with the recordset left as
    // it was (the new row given up).
    void addLink(const QString &upper, const QString &lower) const;
    // Deletes exactly that pair; false when the base does not hold it.
    bool removeLink(const QString &upper, const QString &lower) const;

private:
    KeywordList walk(const QString &index, const dao::Field &key, const dao::Field &other,
                     const QString &keyword, int limit = kMaxListEntries) const;

    // Handles: seeking moves the shared cursor, not the graph.
    mutable dao::Recordset m_links;
    dao::Field m_upper;
    dao::Field m_lower;
};

} // namespace keywords
