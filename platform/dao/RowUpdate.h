#pragma once
// One row being written: AddNew or Edit when made, Update to write it. Left
// any other way (a failed field or Update raised), it cancels the update, so
// the recordset never stays in edit mode on a row the caller gave up.

#include "Dao.h"

namespace dao {

class RowUpdate {
public:
    enum Kind { AddNew, Edit };
    RowUpdate(const Recordset &rs, Kind kind);
    ~RowUpdate();
    // Writes the row; raises the engine's error (the update is then
    // cancelled when the scope ends).
    void Update();
    RowUpdate(const RowUpdate &) = delete;
    RowUpdate &operator=(const RowUpdate &) = delete;

private:
    Recordset m_rs; // a handle: the caller's recordset itself
    bool m_written = false;
};

} // namespace dao
