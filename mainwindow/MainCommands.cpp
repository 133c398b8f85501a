#include "MainCommands.h"

#include "Dialogs.h"
#include "Form.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"

#include <QPointer>

namespace mainwindow {

MainCommandHost::~MainCommandHost() = default;

namespace {

bool hasRows(const dao::Recordset &rs) { return rs.RecordCount() > 0; }

void noRecords() { vb::MsgBox(kNoRecords, vb::vbInformation); }

ChooserRequest chooser(ChooserMode mode, const QString &caption, const dao::Recordset &source,
                       const dao::Field &field, bool defaultButton = true)
{
    ChooserRequest r;
    r.mode = mode;
    r.caption = caption;
    r.source = source;
    r.sourceField = field;
    r.defaultButton = defaultButton;
    return r;
}

} // namespace

// ---------------------------------------------------------------------------
// Card-kind options

void MainCommands::listSelectedKeyword(CardType type)
{
    CardKind = cardKindName(type);
    QString keyword = m_host.selectedKeyword();
    if (!keyword.isEmpty() && m_host.searchModeDown()) {
        switch (type) {
        case CardType::Note: ListNotesOfKeyword(keyword); break;
        case CardType::Quote: ListCitsOfKeyword(keyword); break;
        case CardType::Reference: ListRefsOfKeyword(keyword); break;
        }
    }
    if (m_host.otherModeDown())
        RunOtherSearch();
}

void MainCommands::OptionRef_Click() { listSelectedKeyword(CardType::Reference); }
void MainCommands::OptionCit_Click() { listSelectedKeyword(CardType::Quote); }

void MainCommands::OptionNote_Click()
{
    if (hasRows(rsNote) && hasRows(rsGrNote)) {
        listSelectedKeyword(CardType::Note);
        return;
    }
    // No note, or none filed under a keyword: the kind falls back to quotes.
    noRecords();
    m_host.checkKind(CardType::Quote);
    OptionCit_Click();
}

// ---------------------------------------------------------------------------
// Text search

bool MainCommands::wordSearchAllowed(CardType type, const QString &term)
{
    if (term.size() < kMinSearchLength) {
        vb::MsgBox(kTooShort, vb::vbCritical);
        return false;
    }
    if (!hasRows(type == CardType::Note ? rsNote : rsCit)) {
        vb::MsgBox(kNoRecordsText, vb::vbInformation);
        return false;
    }
    return true;
}

bool MainCommands::searchByWord(CardType type, const QString &term)
{
    if (!wordSearchAllowed(type, term))
        return false;
    if (type == CardType::Note)
        SearchNotesByWord();
    else
        SearchQuotesByWord();
    return true;
}

void MainCommands::CommandSearchText_Click()
{
    const QString term = m_host.searchText();
    switch (const CardType kind = m_host.checkedKind()) {
    case CardType::Quote:
    case CardType::Note:
        searchByWord(kind, term);
        break;
    case CardType::Reference:
        if (term.size() < kMinSearchLength)
            vb::MsgBox(kTooShort, vb::vbCritical);
        else
            vb::MsgBox(kNoTextInReferences, vb::vbCritical);
        break;
    }
}

void MainCommands::TextSearch_KeyDown(int keyCode, int)
{
    if (keyCode != 13)
        return;
    // As "Go", the same minimum included; references have no text and Enter
    // does nothing for them.
    switch (const CardType kind = m_host.checkedKind()) {
    case CardType::Quote:
    case CardType::Note:
        searchByWord(kind, m_host.searchText());
        break;
    case CardType::Reference:
        break;
    }
}

void MainCommands::textSearchGrid(CardType type)
{
    if (!hasRows(type == CardType::Note ? rsNote : rsCit)) {
        vb::MsgBox(kNoRecordsText, vb::vbInformation);
        return;
    }
    CardKind = cardKindName(type);
    if (type == CardType::Note)
        TextSearchNotes();
    else
        TextSearchQuotes();
}

void MainCommands::GridKWText_Click() { textSearchGrid(CardType::Note); }

void MainCommands::GridKWText2_Click() { textSearchGrid(CardType::Quote); }

void MainCommands::mNFindText_Click()
{
    if (searchByWord(CardType::Note, m_host.searchText()))
        m_host.cascade();
}

void MainCommands::mCitFindText_Click()
{
    if (searchByWord(CardType::Quote, m_host.searchText()))
        m_host.cascade();
}

// ---------------------------------------------------------------------------
// Choosers and other search

void MainCommands::keywordChooser(CardType type)
{
    UnloadChooser();
    const dao::Recordset &links = type == CardType::Note    ? rsGrNote
                                  : type == CardType::Quote ? rsGrCit
                                                            : rsGrBib;
    if (!hasRows(rsCGroup1) || !hasRows(links)) {
        noRecords();
        return;
    }
    switch (type) {
    case CardType::Note:
        ShowChooser(chooser(ChooserMode::KWnoteSel, QStringLiteral("Select Keyword"), rsCGroup1, fldCGroup1Groupe,
                            false));
        break;
    case CardType::Quote:
        ShowChooser(chooser(ChooserMode::KWCitSel, QStringLiteral("Select Keywords"), rsCGroup1, fldCGroup1Groupe));
        break;
    case CardType::Reference:
        ShowChooser(chooser(ChooserMode::KWBibSel, QStringLiteral("Select Keywords"), rsCGroup1, fldCGroup1Groupe));
        break;
    }
}

void MainCommands::authorChooser(bool quotes)
{
    if (!quotes) {
        ShowChooser(chooser(ChooserMode::AuthorSel, QStringLiteral("Select Author"), rsAuteurs, fldAuteursNom));
        return;
    }
    // The authors in the order they were stored, not by name.
    const dao::Recordset authors = g_Db.OpenRecordset(QStringLiteral("AUTEURS"), dao::dbOpenTable);
    ShowChooser(chooser(ChooserMode::AuthorCit, QStringLiteral("Select Author"), authors,
                        authors.Fields(QStringLiteral("NOM"))));
}

void MainCommands::RunOtherSearch()
{
    UnloadChooser();
    const OtherOrder order = m_host.otherOrder();
    switch (const CardType kind = m_host.checkedKind()) {
    case CardType::Reference:
    case CardType::Quote:
        if (order == OtherOrder::Author) {
            authorChooser(kind == CardType::Quote);
        } else if (order == OtherOrder::Keyword) {
            keywordChooser(kind);
        } else if (order == OtherOrder::Date) {
            g_ListKind = cardKindName(kind);
            if (kind == CardType::Reference)
                ListRefsByDate();
            else
                ListCitsByDate();
        }
        break;
    case CardType::Note:
        // Notes have no author list to search by.
        if (order == OtherOrder::Keyword) {
            keywordChooser(CardType::Note);
        } else if (order == OtherOrder::Date) {
            if (!hasRows(rsNote)) {
                noRecords();
                return;
            }
            g_ListKind = cardKindName(CardType::Note);
            ListNotesByDate();
        }
        break;
    }
}

// ---------------------------------------------------------------------------
// "&DataType" and "&New"

void MainCommands::mBibOpenAuthor_Click() { authorChooser(false); }
void MainCommands::mBibOpenKW_Click() { m_host.showAllKeywordsTab(); }
void MainCommands::mBibNew2_Click() { ShowAuthorSelection(); }
// The quotes of the chosen author's references.
void MainCommands::mCitOpenAuthor_Click() { authorChooser(true); }
void MainCommands::mCitOpenKW_Click() { keywordChooser(CardType::Quote); }

void MainCommands::mCitOpenDate_Click()
{
    g_ListKind = cardKindName(CardType::Quote);
    ListCitsByDate();
}

void MainCommands::mCitNew2_Click() { vb::MsgBox(kQuoteFromReference, vb::vbInformation); }
void MainCommands::mNotebyKeyword_Click() { keywordChooser(CardType::Note); }

void MainCommands::mNotebyDate_Click()
{
    if (!hasRows(rsNote)) {
        noRecords();
        return;
    }
    g_ListKind = cardKindName(CardType::Note);
    ListNotesByDate();
}

void MainCommands::mNoteNew_Click() { ShowNoteAuthorSelection(); }
void MainCommands::mBibNew_Click() { ShowAuthorSelection(); }
void MainCommands::mCitNew_Click() { vb::MsgBox(kQuoteFromReference, vb::vbInformation); }
void MainCommands::mNNew_Click() { ShowNoteAuthorSelection(); }

// ---------------------------------------------------------------------------
// Word indexes

void MainCommands::mIndexAllNotes_Click()
{
    CardKind = cardKindName(CardType::Note);
    IndexAllNotes();
}

void MainCommands::mIndexAllQuotes_Click()
{
    CardKind = cardKindName(CardType::Quote);
    IndexAllQuotes();
}

void MainCommands::mnuAllKeywordsNotes_Click()
{
    CardKind = cardKindName(CardType::Note);
    AllKeywordsNotes();
}

void MainCommands::mnuAllKeywordsQuotes_Click()
{
    CardKind = cardKindName(CardType::Quote);
    AllKeywordsQuotes();
}

// ---------------------------------------------------------------------------

bool CloseAllWindowsBut(vb::Form *keep)
{
    QList<QPointer<vb::Form>> windows;
    const QList<vb::Form *> all = vb::Forms::all();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        if (*it != keep)
            windows.append(*it);
    for (const QPointer<vb::Form> &f : windows)
        if (f && f->isLoaded() && !f->unload())
            return false;
    return true;
}

} // namespace mainwindow
