#include "LinksBrowser.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "DragPayload.h"
#include "Error.h"
#include "KeywordWindowTexts.h"

namespace keywords {

namespace {

// The read-only base is the one failure the user is told of; any other
// engine failure ends the edit with the base as it was.
void reportWriteError(const vb::Error &e)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(texts::readOnly, vb::vbExclamation);
}

} // namespace

LinksBrowser::LinksBrowser()
    : m_strip(StripDirection::Down, [this](const QString &k) { return m_graph.subsets(k); })
{
}

void LinksBrowser::load()
{
    m_graph.bindShared();
    m_strip.startWithRows(m_graph.rootKeywords().keywords);
}

StripClick LinksBrowser::click(int column, int row)
{
    m_graph.bindShared();
    return m_strip.click(column, row);
}

bool LinksBrowser::drop(int column, const vb::DragPayload &source)
{
    if (column == 0) {
        vb::MsgBox(texts::rootDrop, vb::vbInformation);
        return false;
    }
    if (column < 0 || column >= m_strip.columnCount() || !source.text)
        return false;
    const QString lower = *source.text;
    const QString upper = m_strip.column(column - 1).chosen;
    if (lower.isEmpty() || upper.isEmpty())
        return false;
    if (keywords::sameKeyword(upper, lower)) {
        vb::MsgBox(texts::selfLink, vb::vbExclamation);
        return false;
    }
    m_graph.bindShared();
    try {
        if (m_graph.reachesDown(lower, upper)) {
            vb::MsgBox(texts::loopLink(lower, upper), vb::vbExclamation);
            return false;
        }
        if (m_graph.hasLink(upper, lower))
            return false;
        m_graph.addLink(upper, lower);
    } catch (const vb::Error &e) {
        reportWriteError(e);
        return false;
    }
    m_strip.relist(column);
    return true;
}

bool LinksBrowser::supp()
{
    const int current = m_strip.currentColumn();
    if (current < 1 || current >= m_strip.columnCount())
        return false;
    const QString lower = m_strip.column(current).chosen;
    const QString upper = m_strip.column(current - 1).chosen;
    if (lower.isEmpty() || upper.isEmpty())
        return false;
    m_graph.bindShared();
    try {
        if (m_graph.isEmpty() || !m_graph.removeLink(upper, lower))
            return false;
    } catch (const vb::Error &e) {
        reportWriteError(e);
        return false;
    }
    m_strip.relist(current);
    return true;
}

QString LinksBrowser::currentKeyword() const
{
    const int current = m_strip.currentColumn();
    return current < m_strip.columnCount() ? m_strip.column(current).chosen : QString();
}

} // namespace keywords
