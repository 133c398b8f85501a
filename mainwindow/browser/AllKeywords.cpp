#include "AllKeywords.h"

#include "BrowserTexts.h"
#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "BrowserTexts.h"
#include "RowUpdate.h"

#include <algorithm>

namespace browser {

namespace {
const QString kGroupe = QStringLiteral("Groupe");

void showWriteError(const vb::Error &e, int readOnlyIcon)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(texts::readOnly, readOnlyIcon);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}
} // namespace

KeywordRows::~KeywordRows() = default;

std::optional<int> addedRowTopRow(int row, int rows)
{
    if (row >= 3 && row < rows - 7)
        return row - 3;
    if (row > rows - 7)
        return std::max(0, row - 7);
    return std::nullopt;
}

TypedText capitaliseFirst(const QString &text, int caret)
{
    TypedText result{text, caret, false};
    if (!text.isEmpty() && text.at(0) >= QLatin1Char('a') && text.at(0) <= QLatin1Char('z')) {
        result.text[0] = text.at(0).toUpper();
        result.changed = true;
    }
    return result;
}

AllKeywordsPane::AllKeywordsPane(KeywordRows &list, dao::Recordset keywords, dao::Field keyword)
    : m_list(list), m_keywords(std::move(keywords)), m_keyword(std::move(keyword))
{
}

QStringList AllKeywordsPane::readKeywords() const
{
    QStringList result;
    m_keywords.setIndex(kGroupe);
    if (m_keywords.RecordCount() == 0)
        return result;
    for (m_keywords.MoveFirst(); !m_keywords.Eof(); m_keywords.MoveNext())
        result.append(m_keyword.Value().toString());
    return result;
}

void AllKeywordsPane::fill() { m_list.setKeywords(readKeywords()); }

int AllKeywordsPane::findRow(const QString &keyword) const
{
    for (int i = 0; i < m_list.rows(); ++i)
        if (sameKeyword(m_list.text(i), keyword))
            return i;
    return -1;
}

void AllKeywordsPane::typeAhead(const QString &text)
{
    if (text.isEmpty() || m_list.rows() == 0)
        return;
    // Both in normal form C, as the keys compare: an accent typed as a
    // combining character finds the keyword stored with the composed one.
    const QString typed = dao::composedText(text);
    for (int i = 0; i < m_list.rows(); ++i) {
        if (dao::composedText(m_list.text(i)).startsWith(typed)) {
            m_list.setCurrentRow(i);
            m_list.setTopRow(i);
            return;
        }
    }
    m_list.setCurrentRow(m_list.rows() - 1);
}

void AllKeywordsPane::selectAndShow(int row)
{
    m_list.setCurrentRow(row);
    if (const auto top = addedRowTopRow(row, m_list.rows()))
        m_list.setTopRow(*top);
}

bool AllKeywordsPane::inBase(const QString &keyword) const
{
    m_keywords.setIndex(kGroupe);
    m_keywords.Seek(QStringLiteral("="), keyword);
    return !m_keywords.NoMatch();
}

bool AllKeywordsPane::add(const QString &text)
{
    if (text.isEmpty()) {
        vb::MsgBox(texts::fillInText, vb::vbInformation);
        return false;
    }
    if (text.size() > kKeywordSize) {
        vb::MsgBox(texts::keywordTooLong, vb::vbCritical);
        return false;
    }
    try {
        int row = findRow(text);
        if (row >= 0 || inBase(text)) {
            if (row < 0) {
                // Another window added it since the list was filled.
                fill();
                row = findRow(text);
            }
            if (row >= 0)
                selectAndShow(row);
            vb::MsgBox(texts::keywordExists, vb::vbExclamation);
            return false;
        }
        if (vb::MsgBox(texts::confirmAdd(text), vb::vbYesNo) != vb::vbYes)
            return false;
        dao::RowUpdate added(m_keywords, dao::RowUpdate::AddNew);
        m_keyword.setValue(text);
        added.Update();
    } catch (const vb::Error &e) {
        showWriteError(e, vb::vbExclamation);
        return false;
    }
    fill();
    const int row = findRow(text);
    if (row >= 0)
        selectAndShow(row);
    return true;
}

bool AllKeywordsPane::removeCurrent()
{
    if (vb::MsgBox(texts::discardKeyword, vb::vbQuestion + vb::vbOKCancel) != vb::vbOK)
        return false;
    if (m_list.rows() <= 1) {
        vb::MsgBox(texts::listCannotBeEmpty, vb::vbCritical);
        return false;
    }
    const int row = m_list.currentRow();
    if (row < 0)
        return false;
    const QString keyword = m_list.text(row);
    try {
        if (!inBase(keyword)) {
            // Gone already (deleted in another window): the row goes too.
            m_list.removeRow(row);
            vb::MsgBox(texts::keywordGone, vb::vbExclamation);
            return false;
        }
        m_keywords.Delete();
    } catch (const vb::Error &e) {
        showWriteError(e, vb::vbCritical);
        return false;
    }
    m_list.removeRow(row);
    return true;
}

} // namespace browser
