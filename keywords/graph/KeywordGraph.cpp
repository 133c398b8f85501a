#include "KeywordGraph.h"

#include "Start.h"
#include "RowUpdate.h"

#include <set>

namespace keywords {

namespace {
const QString kGrUp = QStringLiteral("GrUp");
const QString kGrDown = QStringLiteral("GrDown");
const QString kGrUpDown = QStringLiteral("GrUpDown");
const QString kGrDownUp = QStringLiteral("GrDownUp");
} // namespace

bool sameKeyword(const QString &a, const QString &b) { return dao::compareText(a, b) == 0; }

KeywordGraph::KeywordGraph(dao::Recordset links, dao::Field upper, dao::Field lower)
    : m_links(std::move(links)), m_upper(std::move(upper)), m_lower(std::move(lower))
{
}

void KeywordGraph::bindShared()
{
    m_links = rsGroup2;
    m_upper = fldGroup2Groupe2;
    m_lower = fldGroup2Groupe;
}

bool KeywordGraph::isEmpty() const { return m_links.RecordCount() == 0; }

KeywordList KeywordGraph::rootKeywords() const
{
    KeywordList result;
    m_links.setIndex(kGrUp);
    if (m_links.RecordCount() == 0)
        return result;
    m_links.MoveFirst();
    while (!m_links.Eof()) {
        const QString keyword = m_upper.Value().toString();
        m_links.setIndex(kGrDown);
        m_links.Seek(QStringLiteral("="), keyword);
        if (m_links.NoMatch()) {
            if (result.keywords.size() == kMaxListEntries) {
                result.truncated = true;
                break;
            }
            result.keywords.append(keyword);
        }
        // On to the first upper keyword past this one and all its case
        // variants: the walk always moves on.
        m_links.setIndex(kGrUp);
        m_links.Seek(QStringLiteral(">"), keyword);
        if (m_links.NoMatch())
            break;
    }
    return result;
}

KeywordList KeywordGraph::walk(const QString &index, const dao::Field &key, const dao::Field &other,
                               const QString &keyword, int limit) const
{
    KeywordList result;
    m_links.setIndex(index);
    m_links.Seek(QStringLiteral(">="), keyword);
    if (m_links.NoMatch())
        return result;
    while (!m_links.Eof() && sameKeyword(key.Value().toString(), keyword)) {
        if (limit >= 0 && result.keywords.size() == limit) {
            result.truncated = true;
            break;
        }
        result.keywords.append(other.Value().toString());
        m_links.MoveNext();
    }
    return result;
}

KeywordList KeywordGraph::subsets(const QString &keyword) const
{
    return walk(kGrUpDown, m_upper, m_lower, keyword);
}

KeywordList KeywordGraph::supersets(const QString &keyword) const
{
    return walk(kGrDownUp, m_lower, m_upper, keyword);
}

bool KeywordGraph::reachesDown(const QString &upper, const QString &lower) const
{
    struct IndexLess {
        bool operator()(const QString &a, const QString &b) const { return dao::compareText(a, b) < 0; }
    };
    // Each keyword is walked once, so loops already in the base end too.
    std::set<QString, IndexLess> seen{upper};
    QStringList pending{upper};
    while (!pending.isEmpty()) {
        const QString keyword = pending.takeLast();
        if (sameKeyword(keyword, lower))
            return true;
        for (const QString &below : walk(kGrUpDown, m_upper, m_lower, keyword, -1).keywords)
            if (seen.insert(below).second)
                pending.append(below);
    }
    return false;
}

bool KeywordGraph::hasLink(const QString &upper, const QString &lower) const
{
    m_links.setIndex(kGrUpDown);
    m_links.Seek(QStringLiteral("="), upper, lower);
    return !m_links.NoMatch();
}

void KeywordGraph::addLink(const QString &upper, const QString &lower) const
{
    dao::RowUpdate row(m_links, dao::RowUpdate::AddNew);
    m_upper.setValue(upper);
    m_lower.setValue(lower);
    row.Update();
}

bool KeywordGraph::removeLink(const QString &upper, const QString &lower) const
{
    if (!hasLink(upper, lower))
        return false;
    m_links.Delete();
    return true;
}

} // namespace keywords
