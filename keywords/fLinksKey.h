#pragma once
// The keyword structure window (a column browser of the keyword graph). For
// now an empty window with its caption; the browser comes with the keyword
// windows.

#include "Form.h"

class fLinksKey : public vb::Form {
    Q_OBJECT
public:
    fLinksKey();
};
