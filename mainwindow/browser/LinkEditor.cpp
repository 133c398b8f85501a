#include "LinkEditor.h"

#include "BrowserTexts.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"

namespace browser {

namespace {

QStringList gridRows(const KeywordList &list)
{
    return list.keywords.isEmpty() ? QStringList{QString()} : list.keywords;
}

void showWriteError(const vb::Error &e)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(texts::readOnly, vb::vbExclamation);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}

} // namespace

void LinkEditor::refresh()
{
    m_downRows = gridRows(m_graph.subsets(m_central));
    m_upRows = gridRows(m_graph.supersets(m_central));
}

void LinkEditor::showKeywordLinks(const QString &keyword)
{
    m_central = keyword;
    refresh();
}

bool LinkEditor::addSubset(const QString &keyword) { return add(m_central, keyword); }
bool LinkEditor::addSuperset(const QString &keyword) { return add(keyword, m_central); }
bool LinkEditor::removeSubset(const QString &rowKeyword) { return remove(m_central, rowKeyword); }
bool LinkEditor::removeSuperset(const QString &rowKeyword) { return remove(rowKeyword, m_central); }

bool LinkEditor::add(const QString &upper, const QString &lower)
{
    bool stored = false;
    if (upper.isEmpty() || lower.isEmpty()) {
        vb::MsgBox(texts::linkNeedsKeywords, vb::vbInformation);
    } else if (upper.size() > kKeywordSize || lower.size() > kKeywordSize) {
        vb::MsgBox(texts::keywordTooLong, vb::vbCritical);
    } else if (sameKeyword(upper, lower)) {
        vb::MsgBox(texts::selfLink, vb::vbExclamation);
    } else {
        try {
            // A loop takes its keywords out of every root column.
            if (m_graph.reachesDown(lower, upper)) {
                vb::MsgBox(texts::loopLink(lower, upper), vb::vbExclamation);
            } else if (m_graph.hasLink(upper, lower)) {
                vb::MsgBox(texts::linkExists, vb::vbExclamation);
            } else {
                m_graph.addLink(upper, lower);
                stored = true;
            }
        } catch (const vb::Error &e) {
            showWriteError(e);
        }
    }
    refresh();
    return stored;
}

bool LinkEditor::remove(const QString &upper, const QString &lower)
{
    bool deleted = false;
    try {
        if (upper.isEmpty() || lower.isEmpty() || !m_graph.removeLink(upper, lower))
            vb::MsgBox(texts::linkGone, vb::vbExclamation);
        else
            deleted = true;
    } catch (const vb::Error &e) {
        showWriteError(e);
    }
    refresh();
    return deleted;
}

} // namespace browser
