#pragma once
// The shared base for the reference tests, with helpers that write the rows
// a reference card reads.

#include "TestBase.h"

#include <QDate>

namespace reftest {

using testbase::Base;

inline void reference(const QString &key, const QString &title, const QString &type = {},
                      const QStringList &authors = {})
{
    rsBiblio.AddNew();
    fldBiblioNdx.setValue(key);
    fldBiblioTitre1.setValue(title);
    if (!type.isEmpty())
        fldBiblioType.setValue(type);
    fldBiblioAuteur.setValue(authors.join(QStringLiteral(" ")));
    rsBiblio.Update();
    for (const QString &a : authors) {
        rsAutNdx.AddNew();
        fldAutNdxNdx.setValue(key);
        fldAutNdxAuteur.setValue(a);
        rsAutNdx.Update();
    }
}

inline void link(const QString &key, const QString &keyword)
{
    rsGrBib.AddNew();
    fldGrBibNdx.setValue(key);
    fldGrBibGroupe.setValue(keyword);
    rsGrBib.Update();
}

inline void quote(const QString &quoteKey, const QString &referenceKey, const QStringList &keywords = {})
{
    rsCit.AddNew();
    fldCitCit.setValue(quoteKey);
    fldCitNdx.setValue(referenceKey);
    rsCit.Update();
    for (const QString &k : keywords) {
        rsGrCit.AddNew();
        fldGrCitNdx.setValue(quoteKey);
        fldGrCitGroupe.setValue(k);
        rsGrCit.Update();
    }
}

inline void publisher(const QString &name, const QString &town = {})
{
    rsEditeur.AddNew();
    fldEditeurNom.setValue(name);
    if (!town.isEmpty())
        fldEditeurVille.setValue(town);
    rsEditeur.Update();
}

inline void review(const QString &name)
{
    rsRevue.AddNew();
    fldRevueNom.setValue(name);
    rsRevue.Update();
}

inline void article(const QString &key, const QString &title, int year)
{
    rsRevueArticle.AddNew();
    fldRevueArticleNdx.setValue(key);
    fldRevueArticleRevueTitre.setValue(title);
    fldRevueArticleAnnee.setValue(year);
    rsRevueArticle.Update();
}

// A field of a BIBLIO row, read by key.
inline QVariant biblio(const QString &key, const QString &field)
{
    rsBiblio.setIndex(QStringLiteral("BibNDX"));
    rsBiblio.Seek(QStringLiteral("="), key);
    if (rsBiblio.NoMatch())
        return QStringLiteral("<gone>");
    return rsBiblio.Fields(field).Value();
}

// Rows whose NDX is the key, under an index on NDX.
inline int countRows(dao::Recordset &rs, const char *index, const QString &key)
{
    rs.setIndex(QString::fromLatin1(index));
    rs.Seek(QStringLiteral("="), key);
    int n = 0;
    if (rs.NoMatch())
        return 0;
    for (; !rs.Eof(); rs.MoveNext()) {
        if (dao::compareText(rs.Fields(QStringLiteral("NDX")).Value().toString(), key) != 0)
            break;
        ++n;
    }
    return n;
}

} // namespace reftest
