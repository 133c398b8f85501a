#pragma once
// The result window: a list of cards handed over through GridRows, GridKeys
// and GridCaption, the card kind in its Tag. This version shows the rows
// only; opening a card from a row comes with the card windows.

#include "FlexGrid.h"
#include "Form.h"

class fGrid : public vb::Form {
    Q_OBJECT
public:
    fGrid();
    vb::FlexGrid *Grid1 = nullptr;

protected:
    void formLoad() override;
};
