#pragma once
// The link editor around one keyword, the central Set: its upper keywords
// (the Sets including it, grid GridUp) and its lower keywords (the Sets
// included in it, grid GridDown), links added from the keyword list or by a
// drop, links removed, and a listed keyword made the new central Set.
//
// Every write is checked first and ends with the base unchanged and a
// message when refused; the grids are listed again after every write, so a
// stale grid shows the truth afterwards.

#include "BrowserTexts.h"

#include <QString>
#include <QStringList>

namespace browser {

class LinkEditor {
public:
    explicit LinkEditor(KeywordGraph &graph) : m_graph(graph) {}

    const QString &central() const { return m_central; }
    // The rows of GridUp and GridDown: one empty row when there is no link.
    const QStringList &upRows() const { return m_upRows; }
    const QStringList &downRows() const { return m_downRows; }

    // Lists both grids again for the central Set.
    void refresh();
    // Makes the keyword the central Set and lists its links.
    void showKeywordLinks(const QString &keyword);

    // Links the keyword below (central above it) or above the central Set.
    // False, with a message, when nothing was stored.
    bool addSubset(const QString &keyword);
    bool addSuperset(const QString &keyword);

    // Deletes the link between the central Set and the keyword of a grid
    // row; when the base no longer holds that pair, says so and deletes
    // nothing.
    bool removeSubset(const QString &rowKeyword);
    bool removeSuperset(const QString &rowKeyword);

private:
    bool add(const QString &upper, const QString &lower);
    bool remove(const QString &upper, const QString &lower);

    KeywordGraph &m_graph;
    QString m_central;
    QStringList m_upRows{QString()};
    QStringList m_downRows{QString()};
};

} // namespace browser
