#pragma once
// The word index windows: "All KW" lists the word index of all notes or all
// quotes (word, card key, count), "All KeyWords" the totals of each word.
// Each keeps its own rows, shows at most the 1000 highest counts and is
// filled afresh every time it is shown, from the card kind of that moment.

#include "CardSets.h"
#include "Form.h"

#include <QList>
#include <QString>
#include <optional>

namespace vb {
class FlexGrid;
}

namespace words {

inline constexpr int kIndexWindowRows = 1000;

struct IndexRow {
    QString word; // empty when the row holds none
    QString key;  // the card (index rows only)
    int count = 0;
};

// The rows with the highest counts first; rows of equal count in the
// reverse of their stored order. An empty table gives no row.
QList<IndexRow> topIndexRows(CardType type, int limit = kIndexWindowRows);
QList<IndexRow> topTotalRows(CardType type, int limit = kIndexWindowRows);

// Fill and show by CardKind ("Note" or "Cit"; any other kind shows no row).
void ShowWordIndexWindow();
void ShowWordTotalsWindow();

} // namespace words

// What both windows share: one grid, filled afresh from the rows of a card
// kind (word, card key when shown, count).
class WordIndexWindow : public vb::Form {
    Q_OBJECT
public:
    vb::FlexGrid *MSHFlexGrid1 = nullptr;
    void refill(std::optional<CardType> type);
    int rowsShown() const { return m_shown; }

protected:
    WordIndexWindow(const QString &name, const QString &caption, bool withKey);
    virtual QList<words::IndexRow> rowsOf(CardType type) const = 0;

private:
    bool m_withKey = false;
    int m_shown = 0;
};

class AfficheKW : public WordIndexWindow {
    Q_OBJECT
public:
    AfficheKW();

protected:
    void formLoad() override;
    QList<words::IndexRow> rowsOf(CardType type) const override;
};

class AfficheKWAll : public WordIndexWindow {
    Q_OBJECT
public:
    AfficheKWAll();

protected:
    void formLoad() override;
    QList<words::IndexRow> rowsOf(CardType type) const override;
};
