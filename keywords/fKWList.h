#pragma once
// The keyword list window. For now an empty window with its caption; the
// list itself comes with the keyword windows.

#include "Form.h"

class fKWList : public vb::Form {
    Q_OBJECT
public:
    fKWList();
};
