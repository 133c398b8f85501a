#include "RowUpdate.h"

namespace dao {

RowUpdate::RowUpdate(const Recordset &rs, Kind kind) : m_rs(rs)
{
    if (kind == AddNew)
        m_rs.AddNew();
    else
        m_rs.Edit();
}

RowUpdate::~RowUpdate()
{
    if (m_written)
        return;
    // A failed Update has given the row up already: cancelling again would
    // put the cancel's own error in place of the real cause.
    CancelPending(m_rs);
}

void RowUpdate::Update()
{
    m_rs.Update();
    m_written = true;
}

} // namespace dao
