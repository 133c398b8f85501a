#include "FListSel.h"

#include "CardOpeners.h"
#include "CardRecords.h"
#include "CardWindows.h"
#include "Dao.h"
#include "Events.h"
#include "FlexGrid.h"
#include "Placement.h"
#include "ProgramState.h"

#include <QVBoxLayout>

FListSel::FListSel()
{
    setObjectName(QStringLiteral("FListSel"));
    setCaption(QStringLiteral("Select"));
    setMdiChild(true);
    Grid1 = new vb::FlexGrid(2, 2, 1, 0, client());
    auto *layout = new QVBoxLayout(client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid1);
    addControl(QStringLiteral("Grid1"), Grid1);
    vb::connectEvent(Grid1, &vb::FlexGrid::click, this, [this] { Grid1_Click(); });
    // It holds the keys of the open base.
    MarkHoldsOpenBase(this);
}

void FListSel::formLoad()
{
    setWidth(4000);
    setHeight(6090);
    const MainWindowSize m = mainWindowSize();
    setTop(topOverMainWindow(m, height()));
    setLeft(leftOverMainWindow(m, width()));
    Grid1->setCols(2);
    Grid1->setColWidth(0, 1700);
    Grid1->setColWidth(1, 2000);
    Grid1->setRows(2);
    Grid1->setTextMatrix(0, 0, QStringLiteral("Date"));
    Grid1->setTextMatrix(0, 1, QStringLiteral("Reference"));
}

void FListSel::setCardRows(const QList<QStringList> &rows)
{
    Grid1->setRows(int(rows.size()) + 1);
    const vb::FlexGrid::FillBatch batch(Grid1);
    for (int r = 0; r < rows.size(); ++r)
        for (int c = 0; c < 2; ++c)
            Grid1->setTextMatrix(r + 1, c, c < rows.at(r).size() ? rows.at(r).at(c) : QString());
}

void FListSel::dropCard(const QString &key)
{
    QList<QStringList> kept;
    for (int r = 1; r < Grid1->rows(); ++r) {
        const QStringList row{Grid1->textMatrix(r, 0), Grid1->textMatrix(r, 1)};
        if (dao::compareText(row.at(1), key) != 0)
            kept.append(row);
    }
    setCardRows(kept);
}

void FListSel::Grid1_Click()
{
    const auto type = cardTypeOfKind(g_ListKind);
    if (!type || Grid1->row() < 0)
        return;
    // A click on the header row selects the column from row 1 on: it names
    // no card.
    if (Grid1->mouseRow() >= 0 && Grid1->mouseRow() < Grid1->fixedRows())
        return;
    const QString key = Grid1->textMatrix(Grid1->row(), 1);
    // The seek sets the key index first: another window may have left the
    // table on another one. A card deleted meanwhile opens nothing.
    if (!cards::seekCard(*type, key))
        return;
    // Not a search: no hit to select.
    SearchTextPos = 0;
    switch (*type) {
    case CardType::Note:
        cards::ShowNoteCard();
        break;
    case CardType::Quote:
        cards::ShowQuoteCard();
        break;
    case CardType::Reference:
        OpenReferenceKey = key;
        cards::ShowReferenceCard();
        break;
    }
}
