#pragma once
// A real knowledge base in a temporary folder, shared by the tests of every
// folder that reads or writes the base, with helpers that write and read
// keywords and links directly.

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Start.h"
#include "Tabdef.h"

#include <QPair>
#include <QTemporaryDir>
#include <QtTest>

namespace testbase {

inline const QString kConnect = QStringLiteral(";pwd=Qv47Tz28");

class Base {
public:
    Base()
    {
        m_path = m_dir.filePath(QStringLiteral("test.cvb"));
        g_Db = dao::DBEngine::CreateDatabase(
            m_path, QStringLiteral(";LANGID=0x0409;CP=1252;COUNTRY=0") + kConnect, dao::dbEncrypt);
        CreateBaseTables();
        FillTypesTable();
        OpenBaseTables();
    }
    ~Base()
    {
        if (g_Db)
            g_Db.Close();
        g_Db.reset();
    }
    Base(const Base &) = delete;
    Base &operator=(const Base &) = delete;

    // Closes the base and opens it again read-only; every write then fails
    // with 3027.
    void reopenReadOnly()
    {
        g_Db.Close();
        g_Db = dao::DBEngine::OpenDatabase(m_path, false, true, kConnect);
        OpenBaseTables();
    }

    static void link(const QString &upper, const QString &lower)
    {
        rsGroup2.AddNew();
        fldGroup2Groupe2.setValue(upper);
        fldGroup2Groupe.setValue(lower);
        rsGroup2.Update();
    }
    static void keyword(const QString &k)
    {
        rsCGroup1.AddNew();
        fldCGroup1Groupe.setValue(k);
        rsCGroup1.Update();
    }
    static void keywords(const QStringList &ks)
    {
        for (const QString &k : ks)
            keyword(k);
    }
    // Every link as "upper>lower", in the order of the index "GrUpDown".
    static QStringList links()
    {
        QStringList out;
        rsGroup2.setIndex(QStringLiteral("GrUpDown"));
        if (rsGroup2.RecordCount() == 0)
            return out;
        for (rsGroup2.MoveFirst(); !rsGroup2.Eof(); rsGroup2.MoveNext())
            out << fldGroup2Groupe2.Value().toString() + QLatin1Char('>') +
                       fldGroup2Groupe.Value().toString();
        return out;
    }
    static QStringList storedKeywords()
    {
        QStringList out;
        rsCGroup1.setIndex(QStringLiteral("Groupe"));
        if (rsCGroup1.RecordCount() == 0)
            return out;
        for (rsCGroup1.MoveFirst(); !rsCGroup1.Eof(); rsCGroup1.MoveNext())
            out << fldCGroup1Groupe.Value().toString();
        return out;
    }

private:
    QTemporaryDir m_dir;
    QString m_path;
};

// Fails the test with the script's report unless every expected dialog came.
#define QVERIFY_SCRIPT(script) QVERIFY2((script).ok(), (script).report().constData())

} // namespace testbase
