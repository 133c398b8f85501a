#pragma once
// The keyword list window without its widgets: every keyword of CGROUP1 as
// one flat list, the line the user selected, adding a keyword and deleting
// the selected one.
//
// The base is written first and the list changes only once the write
// succeeded: a refused keyword is never listed, and a line leaves the list
// only with its keyword. Deleting a keyword leaves its links and card rows.

#include "Dao.h"

#include <QString>
#include <QStringList>

namespace keywords {

class KeywordListModel {
public:
    // keywords: CGROUP1's recordset, used with the index "Groupe"; keyword:
    // its field GROUPE.
    KeywordListModel(dao::Recordset keywords, dao::Field keyword);

    // The load: an empty table first receives the keyword "No Keyword" (a
    // read-only base says so and stays empty); then the list is filled.
    void load();
    // Every keyword in the order of the index "Groupe".
    void fill();

    const QStringList &rows() const { return m_rows; }
    // The selected line, -1 for none.
    int selected() const { return m_selected; }
    void select(int index);

    // "Add": asks for a keyword, stores it and appends it to the list. A
    // keyword the base holds in any letter case, or one longer than 30
    // characters, is refused with a message. True when stored.
    bool add();
    // "Supp": with a line selected, asks (OK/Cancel) and deletes its
    // keyword. True when the line left the list.
    bool removeSelected();

private:
    bool seek(const QString &keyword) const;

    mutable dao::Recordset m_keywords;
    dao::Field m_keyword;
    QStringList m_rows;
    int m_selected = -1;
};

} // namespace keywords
