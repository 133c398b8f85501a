#include "NewCards.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "ProgramState.h"
#include "Runtime.h"
#include "Start.h"
#include "WindowLinks.h"
#include "RowUpdate.h"


namespace newcards {
namespace {

template <class MakeKey>
std::optional<QString> freeKey(dao::Recordset rs, const QString &index, int last, MakeKey make)
{
    rs.setIndex(index);
    for (int n = 1; n <= last; ++n) {
        const QString key = make(n);
        rs.Seek(QStringLiteral("="), key);
        if (rs.NoMatch())
            return key;
    }
    return std::nullopt;
}

void reportWriteFailure(const vb::Error &e)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(QStringLiteral("Fichier en lecture seule !"), vb::vbExclamation);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}

void noFreeKey(const QString &prefix)
{
    vb::MsgBox(QStringLiteral("Every key beginning with ") + prefix +
                   QStringLiteral(" is taken: no new card can be made for this author"),
               vb::vbExclamation);
}

ChooserRequest authorRequest(ChooserMode mode, const QString &caption, dao::Recordset rs, dao::Field field)
{
    ChooserRequest r;
    r.mode = mode;
    r.caption = caption;
    r.source = rs;
    r.sourceField = field;
    r.defaultButton = false;
    r.listButtons = true;
    return r;
}

} // namespace

QString NoteKey(const QString &author, int n)
{
    return vb::UCase(vb::KeyPrefix(author, 4, QLatin1Char('_'))) + vb::Format(n, QStringLiteral("0000")) +
           QStringLiteral(".TXT");
}

QString ReferenceKey(const QString &author, int n)
{
    return vb::KeyPrefix(author, 7, QLatin1Char('_')) + vb::Format(n, QStringLiteral("000"));
}

std::optional<QString> FreeNoteKey(const QString &author)
{
    return freeKey(rsNote, QStringLiteral("NoteNDX"), 9999, [&](int n) { return NoteKey(author, n); });
}

std::optional<QString> FreeReferenceKey(const QString &author)
{
    return freeKey(rsBiblio, QStringLiteral("BibNDX"), 999, [&](int n) { return ReferenceKey(author, n); });
}

void ShowNoteAuthorSelection()
{
    ShowChooser(authorRequest(ChooserMode::cNoteAutSel, QStringLiteral("Note Authors"), rsAutNote, fldAutNoteNom));
}

void ShowAuthorSelection()
{
    ShowChooser(authorRequest(ChooserMode::cBibAutSel, QStringLiteral("Authors"), rsAuteurs, fldAuteursNom));
}

bool CreateNoteForAuthors(const QStringList &authors)
{
    if (authors.isEmpty() || authors.first().isEmpty())
        return false;
    const QString author = authors.first();
    QString key;
    try {
        const std::optional<QString> free = FreeNoteKey(author);
        if (!free) {
            noFreeKey(NoteKey(author, 1).left(4));
            return false;
        }
        key = *free;
        {
            dao::RowUpdate row(rsNote, dao::RowUpdate::AddNew);
            fldNoteCit.setValue(key);
            fldNoteAuteur.setValue(author);
            fldNoteJour.setValue(vb::Today());
            row.Update();
        }
        rsNote.setIndex(QStringLiteral("NoteNDX"));
        rsNote.Seek(QStringLiteral("="), key);
    } catch (const vb::Error &e) {
        reportWriteFailure(e);
        return false;
    }
    SelectMode = 1;
    UnloadChooser();
    // The new card has no search hit.
    SearchTextPos = 0;
    ShowNoteCard();
    return true;
}

bool CreateReferenceForAuthors(const QStringList &authors)
{
    if (authors.isEmpty() || authors.first().isEmpty())
        return false;
    // The lengths first, so that a refusal leaves nothing half made.
    QString joined;
    for (const QString &a : authors) {
        if (a.size() > kMaxAuthorLength) {
            vb::MsgBox(QStringLiteral("The author name ") + a + QStringLiteral(" is longer than ") +
                           QString::number(kMaxAuthorLength) + QStringLiteral(" characters"),
                       vb::vbExclamation);
            return false;
        }
        joined += a + QLatin1Char(' ');
    }
    if (joined.size() > kMaxAuthorsLength) {
        vb::MsgBox(QStringLiteral("The authors together are longer than ") + QString::number(kMaxAuthorsLength) +
                       QStringLiteral(" characters"),
                   vb::vbExclamation);
        return false;
    }
    QString key;
    try {
        const std::optional<QString> free = FreeReferenceKey(authors.first());
        if (!free) {
            noFreeKey(ReferenceKey(authors.first(), 1).left(7));
            return false;
        }
        key = *free;
        // The reference, its author rows and its authors text: all or none.
        dao::TransactionScope transaction;
        {
            dao::RowUpdate row(rsBiblio, dao::RowUpdate::AddNew);
            fldBiblioNdx.setValue(key);
            fldBiblioAuteur.setValue(joined);
            // The list by date orders references on this stamp.
            rsBiblio.Fields(QStringLiteral("JOURHEURE")).setValue(vb::Now());
            row.Update();
        }
        for (const QString &a : authors) {
            dao::RowUpdate row(rsAutNdx, dao::RowUpdate::AddNew);
            fldAutNdxAuteur.setValue(a);
            fldAutNdxNdx.setValue(key);
            row.Update();
        }
        transaction.Commit();
        rsBiblio.setIndex(QStringLiteral("BibNDX"));
        rsBiblio.Seek(QStringLiteral("="), key);
    } catch (const vb::Error &e) {
        reportWriteFailure(e);
        return false;
    }
    UnloadChooser();
    ShowTypePicker(key);
    return true;
}

} // namespace newcards

void InstallNewCards()
{
    WindowLinks &l = windowLinks();
    l.showNoteAuthorSelection = newcards::ShowNoteAuthorSelection;
    l.showAuthorSelection = newcards::ShowAuthorSelection;
    l.createNoteForAuthors = newcards::CreateNoteForAuthors;
    l.createReferenceForAuthors = newcards::CreateReferenceForAuthors;
}
