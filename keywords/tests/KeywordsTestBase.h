#pragma once
// A real base in a temporary folder for the card selection tests, with
// helpers that write cards, links and authors straight into the tables.

#include "TestBase.h"

#include <QDateTime>

namespace kwtest {

class Base : public testbase::Base {
public:
    static void note(const QString &key, const QString &author = {}, const QString &title = {},
                     const QVariant &day = {}, const QString &text = {})
    {
        rsNote.AddNew();
        fldNoteCit.setValue(key);
        if (!author.isEmpty())
            fldNoteAuteur.setValue(author);
        if (!title.isEmpty())
            fldNoteTitre1.setValue(title);
        if (day.isValid())
            fldNoteJour.setValue(day);
        if (!text.isEmpty())
            fldNoteTexte.setValue(text);
        rsNote.Update();
    }
    static void quote(const QString &key, const QString &reference, const QString &title = {},
                      const QVariant &day = {})
    {
        rsCit.AddNew();
        fldCitCit.setValue(key);
        fldCitNdx.setValue(reference);
        if (!title.isEmpty())
            fldCitTitre1.setValue(title);
        if (day.isValid())
            fldCitJour.setValue(day);
        rsCit.Update();
    }
    static void reference(const QString &key, const QString &authors = {}, const QString &title = {},
                          const QVariant &date = {}, const QVariant &stamp = {})
    {
        rsBiblio.AddNew();
        fldBiblioNdx.setValue(key);
        if (!authors.isEmpty())
            fldBiblioAuteur.setValue(authors);
        if (!title.isEmpty())
            fldBiblioTitre1.setValue(title);
        if (date.isValid())
            fldBiblioDate.setValue(date);
        if (stamp.isValid())
            rsBiblio.Fields(QStringLiteral("JOURHEURE")).setValue(stamp);
        rsBiblio.Update();
    }
    static void author(const QString &name, const QString &reference)
    {
        rsAutNdx.AddNew();
        fldAutNdxAuteur.setValue(name);
        fldAutNdxNdx.setValue(reference);
        rsAutNdx.Update();
    }
    // One keyword link: table "GRNOTE", "GRCIT" or "GRBIB".
    static void link(dao::Recordset rs, const QString &keyword, const QString &key)
    {
        rs.AddNew();
        rs.Fields(QStringLiteral("GROUPE")).setValue(keyword);
        rs.Fields(QStringLiteral("NDX")).setValue(key);
        rs.Update();
    }
    static int count(dao::Recordset rs) { return int(rs.RecordCount()); }
};

} // namespace kwtest
