#pragma once
// The all-keywords pane without its widgets: the keyword list KWList (one
// row per keyword of CGROUP1, in the order of the index "Groupe"), the
// type-ahead of the text box Text1, adding the typed keyword and deleting
// the keyword of the current row.
//
// The list and the base stay in step: a keyword is refused when the base
// holds it in any letter case, and a row leaves the list only once the base
// has deleted its keyword.

#include "Dao.h"

#include <QString>
#include <QStringList>
#include <optional>

namespace browser {

// The list grid as the pane uses it: one column, no fixed row.
class KeywordRows {
public:
    virtual ~KeywordRows();
    virtual int rows() const = 0;
    virtual QString text(int row) const = 0;
    // -1 when the list has no row.
    virtual int currentRow() const = 0;
    // Makes the row current and selected.
    virtual void setCurrentRow(int row) = 0;
    virtual int topRow() const = 0;
    virtual void setTopRow(int row) = 0;
    virtual void removeRow(int row) = 0;
    // Refills the list: one row per keyword, row 0 current.
    virtual void setKeywords(const QStringList &keywords) = 0;
};

// The top row that brings row `row` of a list of `rows` rows into view after
// an add, or nothing to leave the scroll position.
std::optional<int> addedRowTopRow(int row, int rows);

// Text1 after a change: only a first letter a to z is put in upper case;
// the rest of the text and the caret stay as typed.
struct TypedText {
    QString text;
    int caret = 0;
    bool changed = false;
};
TypedText capitaliseFirst(const QString &text, int caret);

class AllKeywordsPane {
public:
    // keywords: CGROUP1's recordset, used with the index "Groupe"; keyword:
    // its field GROUPE.
    AllKeywordsPane(KeywordRows &list, dao::Recordset keywords, dao::Field keyword);

    // Every keyword of the base in index order.
    QStringList readKeywords() const;
    // Refills the list from the base.
    void fill();

    // The first row equal to the keyword without regard to letter case, -1
    // when none.
    int findRow(const QString &keyword) const;

    // Type-ahead for the text of Text1 (already capitalised): the first row
    // that begins with it, case-sensitively, becomes current, selected and
    // the top row; without a match the list is left on its last row. Empty
    // text leaves the list alone.
    void typeAhead(const QString &text);

    // "Add": checks, asks, stores, refills and selects. True when stored.
    bool add(const QString &text);
    // "Supp": asks, then deletes the keyword of the current row. True when
    // deleted.
    bool removeCurrent();

private:
    void selectAndShow(int row);
    bool inBase(const QString &keyword) const;

    KeywordRows &m_list;
    mutable dao::Recordset m_keywords;
    dao::Field m_keyword;
};

} // namespace browser
