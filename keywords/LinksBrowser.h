#pragma once
// The top-down browser of the keyword graph without its widgets: its column
// strip over the lower keywords, and the two edits of the graph it offers, a
// keyword dropped on a column and "Supp".
//
// Every instance reads and writes the shared link recordset and keeps its
// columns to itself; a change made in one instance shows in another only
// when that one lists the column again.

#include "ColumnStrip.h"
#include "KeywordGraph.h"

#include <QString>

namespace vb {
struct DragPayload;
}

namespace keywords {

class LinksBrowser {
public:
    LinksBrowser();

    ColumnStrip &strip() { return m_strip; }
    const ColumnStrip &strip() const { return m_strip; }

    // The load: the root keywords into the first column.
    void load();
    StripClick click(int column, int row);

    // A dragged control dropped on column `column`: links its text under the
    // keyword chosen in the column before. The first column, a link of a
    // keyword to itself and a link that would close a loop are refused with
    // a message; an existing link, a control without text and a column
    // before without a chosen keyword write nothing and say nothing. True
    // when a link was stored.
    bool drop(int column, const vb::DragPayload &source);

    // "Supp": deletes the link between the keywords chosen in the column
    // before the current one and in the current one, without asking. True
    // when a link was deleted.
    bool supp();

    // The keyword of the current column, where "UpLinks" starts.
    QString currentKeyword() const;

private:
    keywords::KeywordGraph m_graph;
    ColumnStrip m_strip;
};

} // namespace keywords
