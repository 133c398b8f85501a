#include "KeywordListModel.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "KeywordWindowTexts.h"
#include "RowUpdate.h"

namespace keywords {

namespace {

const QString kGroupe = QStringLiteral("Groupe");

void reportWriteError(const vb::Error &e)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(texts::readOnly, vb::vbExclamation);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}

} // namespace

KeywordListModel::KeywordListModel(dao::Recordset keywords, dao::Field keyword)
    : m_keywords(std::move(keywords)), m_keyword(std::move(keyword))
{
}

void KeywordListModel::load()
{
    if (m_keywords.RecordCount() == 0) {
        // The base always has a keyword once this window was opened.
        try {
            dao::RowUpdate row(m_keywords, dao::RowUpdate::AddNew);
            m_keyword.setValue(texts::noKeyword);
            row.Update();
        } catch (const vb::Error &e) {
            reportWriteError(e);
        }
    }
    fill();
}

void KeywordListModel::fill()
{
    m_rows.clear();
    m_selected = -1;
    m_keywords.setIndex(kGroupe);
    if (m_keywords.RecordCount() == 0)
        return;
    for (m_keywords.MoveFirst(); !m_keywords.Eof(); m_keywords.MoveNext())
        m_rows << m_keyword.Value().toString();
}

void KeywordListModel::select(int index)
{
    m_selected = index >= 0 && index < m_rows.size() ? index : -1;
}

bool KeywordListModel::seek(const QString &keyword) const
{
    m_keywords.setIndex(kGroupe);
    m_keywords.Seek(QStringLiteral("="), keyword);
    return !m_keywords.NoMatch();
}

bool KeywordListModel::add()
{
    const QString keyword = vb::InputBox(texts::newKeywordPrompt, texts::newKeywordTitle);
    if (keyword.isEmpty())
        return false;
    if (keyword.size() > keywords::kKeywordSize) {
        vb::MsgBox(texts::keywordTooLong, vb::vbCritical);
        return false;
    }
    try {
        if (seek(keyword)) {
            vb::MsgBox(texts::keywordExists, vb::vbExclamation);
            return false;
        }
        dao::RowUpdate row(m_keywords, dao::RowUpdate::AddNew);
        m_keyword.setValue(keyword);
        row.Update();
    } catch (const vb::Error &e) {
        reportWriteError(e);
        return false;
    }
    m_rows << keyword;
    return true;
}

bool KeywordListModel::removeSelected()
{
    if (m_selected < 0 || m_selected >= m_rows.size())
        return false;
    if (vb::MsgBox(texts::discardKeyword, vb::vbQuestion + vb::vbOKCancel) != vb::vbOK)
        return false;
    const QString keyword = m_rows.at(m_selected);
    try {
        // A keyword another window deleted meanwhile just leaves the list.
        if (seek(keyword))
            m_keywords.Delete();
    } catch (const vb::Error &e) {
        reportWriteError(e);
        return false;
    }
    m_rows.removeAt(m_selected);
    m_selected = -1;
    return true;
}

} // namespace keywords
