#include "fGrid.h"

#include "ProgramState.h"
#include "Twips.h"

#include <QVBoxLayout>

fGrid::fGrid()
{
    setObjectName(QStringLiteral("fGrid"));
    setMdiChild(true);
    Grid1 = new vb::FlexGrid(1, 4, 0, 0, client());
    auto *layout = new QVBoxLayout(client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(Grid1);
    setWidth(7000);
    setHeight(4000);
}

void fGrid::formLoad()
{
    setCaption(GridCaption);
    // Rows from 1, as the listings fill them; an empty list shows nothing.
    const int count = int(GridRows.size()) - 1;
    Grid1->setRows(count > 0 ? count : 0);
    for (int r = 0; r < count; ++r) {
        const QStringList &cells = GridRows.at(r + 1);
        for (int c = 0; c < 4 && c < cells.size(); ++c)
            Grid1->setTextMatrix(r, c, cells.at(c));
    }
}
