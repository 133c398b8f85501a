#pragma once
// A real base in a temporary folder with notes, quotes, references and
// keyword links written straight into it, for the card tests.

#include "CardSets.h"
#include "CardWindows.h"
#include "Dialogs.h"
#include "Form.h"
#include "ProgramState.h"
#include "Start.h"
#include "TestBase.h"

#include <QDateTime>
#include <QFont>
#include <QApplication>
#include <QtTest>

namespace cardtest {

using testbase::Base;

inline void addNote(const QString &key, const QString &author, const QString &title,
                    const QString &text, const QString &rtf = {}, const QDate &date = QDate(2024, 3, 5))
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    fldNoteAuteur.setValue(author);
    fldNoteTitre1.setValue(title);
    fldNoteTexte.setValue(text);
    if (!rtf.isEmpty())
        fldNoteTextRtf.setValue(rtf);
    if (date.isValid())
        fldNoteJour.setValue(date);
    rsNote.Update();
}

inline void addQuote(const QString &key, const QString &reference, const QString &title,
                     const QString &text, const QDate &date = QDate(2024, 4, 6))
{
    rsCit.AddNew();
    fldCitCit.setValue(key);
    fldCitNdx.setValue(reference);
    fldCitAuteur.setValue(QStringLiteral("own author"));
    fldCitTitre1.setValue(title);
    fldCitTexte.setValue(text);
    if (date.isValid())
        fldCitJour.setValue(date);
    rsCit.Update();
}

inline void addReference(const QString &key, const QString &title, const QStringList &authors)
{
    rsBiblio.AddNew();
    fldBiblioNdx.setValue(key);
    fldBiblioTitre1.setValue(title);
    fldBiblioAuteur.setValue(authors.join(QLatin1Char(' ')));
    rsBiblio.Update();
    for (const QString &a : authors) {
        rsAutNdx.AddNew();
        fldAutNdxAuteur.setValue(a);
        fldAutNdxNdx.setValue(key);
        rsAutNdx.Update();
    }
}

inline void link(CardType type, const QString &keyword, const QString &key)
{
    dao::Recordset &rs = type == CardType::Note ? rsGrNote : type == CardType::Quote ? rsGrCit : rsGrBib;
    rs.AddNew();
    rs.Fields(QStringLiteral("GROUPE")).setValue(keyword);
    rs.Fields(QStringLiteral("NDX")).setValue(key);
    rs.Update();
}

// A field of a note or quote read straight from the base; "<gone>" when the
// record is not there.
inline QString field(CardType type, const QString &key, const QString &name)
{
    dao::Recordset &rs = type == CardType::Note ? rsNote : rsCit;
    rs.setIndex(type == CardType::Note ? QStringLiteral("NoteNDX") : QStringLiteral("CitNDX"));
    rs.Seek(QStringLiteral("="), key);
    if (rs.NoMatch())
        return QStringLiteral("<gone>");
    return rs.Fields(name).Value().toString();
}

// Another running copy of the program writes one column of a note or quote
// through a connection of its own.
inline void writeElsewhere(CardType type, const QString &key, const QString &column, const QVariant &value)
{
    // The reads of this program end their hold on the file as the event
    // loop turns; the other copy may then write.
    QCoreApplication::processEvents();
    dao::Database other = dao::DBEngine::OpenDatabase(g_Db.Name(), false, false, testbase::kConnect);
    dao::Recordset rs = other.OpenRecordset(type == CardType::Note ? QStringLiteral("NOTE") : QStringLiteral("CIT"));
    rs.setIndex(type == CardType::Note ? QStringLiteral("NoteNDX") : QStringLiteral("CitNDX"));
    rs.Seek(QStringLiteral("="), key);
    QVERIFY(!rs.NoMatch());
    rs.Edit();
    rs.Fields(column).setValue(value);
    rs.Update();
    other.Close();
}

inline int linkCount(CardType type, const QString &key)
{
    dao::Recordset &rs = type == CardType::Note ? rsGrNote : rsGrCit;
    int n = 0;
    if (rs.RecordCount() == 0)
        return 0;
    rs.setIndex(QString());
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
        if (rs.Fields(QStringLiteral("NDX")).Value().toString() == key)
            ++n;
    return n;
}

// Makes the record current by its key and calls the opener, as every
// caller does.
inline bool seekKey(CardType type, const QString &key)
{
    dao::Recordset &rs = type == CardType::Note ? rsNote : type == CardType::Quote ? rsCit : rsBiblio;
    rs.setIndex(type == CardType::Note    ? QStringLiteral("NoteNDX")
                : type == CardType::Quote ? QStringLiteral("CitNDX")
                                          : QStringLiteral("BibNDX"));
    rs.Seek(QStringLiteral("="), key);
    return !rs.NoMatch();
}

// The program's 8-point font, as main() sets it.
inline void programFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
}

// Unloads every window left open and resets the shared state between tests.
inline void unloadAll()
{
    for (CardWindowLink *c : cardwindows::all())
        c->closeWithoutAsking();
    const QList<vb::Form *> forms = vb::Forms::all();
    for (vb::Form *f : forms)
        if (f->isLoaded())
            f->unload();
    QCoreApplication::processEvents();
    ResetProgramState();
    for (CardType t : {CardType::Note, CardType::Quote, CardType::Reference})
        BeginCardSet(t);
}

} // namespace cardtest
