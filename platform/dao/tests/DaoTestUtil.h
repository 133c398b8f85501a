#pragma once
// Small helpers shared by the engine's tests: a scratch folder, the
// expected error number of a statement, and a one-call table definition.

#include "Dao.h"
#include "Error.h"
#include "Guard.h"

#include <QTemporaryDir>
#include <QtTest>

#include <functional>

inline const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");
inline const QString kLocale = QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0;pwd=Qv47Tz28");

using vb::errorOf;

struct ColDef {
    QString name;
    int type;
    int size = 0;
    bool zeroLength = false;
    long attributes = 0;
};

struct IdxDef {
    QString name;
    QStringList fields;
    QString flags; // P U R
};

inline void makeTable(dao::Database db, const QString &name, const QList<ColDef> &cols,
                      const QList<IdxDef> &idx = {})
{
    dao::TableDef td = db.CreateTableDef(name);
    for (const ColDef &c : cols) {
        dao::Field f = td.CreateField(c.name, c.type, c.size);
        if (c.attributes)
            f.setAttributes(c.attributes);
        if (c.zeroLength)
            f.setAllowZeroLength(true);
        td.Fields().Append(f);
    }
    for (const IdxDef &i : idx) {
        dao::Index ix = td.CreateIndex(i.name);
        ix.setPrimary(i.flags.contains(u'P'));
        ix.setUnique(i.flags.contains(u'U'));
        ix.setRequired(i.flags.contains(u'R'));
        for (const QString &f : i.fields)
            ix.Fields().Append(ix.CreateField(f));
        td.Indexes().Append(ix);
    }
    db.TableDefs().Append(td);
}

inline void addRow(dao::Recordset rs, const QVariantList &values)
{
    rs.AddNew();
    for (int i = 0; i < values.size(); ++i)
        if (values[i].isValid())
            rs.Fields(i).setValue(values[i]);
    rs.Update();
}

#define QCOMPARE_ERR(stmt, number) QCOMPARE(errorOf([&] { stmt; }), number)

// Whether opening the base at p (and closing it) runs the checker; the error
// number of the open in *error.
inline bool openRunsChecker(const QString &p, int *error = nullptr)
{
    const int before = dao::checksRun();
    const int e = errorOf([&] { dao::DBEngine::OpenDatabase(p, false, false, kConnect).Close(); });
    if (error)
        *error = e;
    return dao::checksRun() > before;
}
