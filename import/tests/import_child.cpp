// Imports a base into another in a process of its own, for the test that
// ends an import midway: halfway through the notes it says "midway" on its
// output and waits there, inside the import, until it is ended.
//
// import_child <open base> <source base>

#include "BaseImporter.h"
#include "Dao.h"
#include "DaoImpl.h"
#include "Start.h"
#include "Tabdef.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace {

struct StopMidway : importer::ImportProgress {
    QString label;
    void step(const QString &l) override { label = l; }
    void percent(int value) override
    {
        if (label != QStringLiteral("Import Notes") || value < 50)
            return;
        std::fputs("midway\n", stdout);
        std::fflush(stdout);
        for (;;)
            QThread::sleep(1);
    }
};

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    const QString connect = QStringLiteral(";pwd=Qv47Tz28");
    g_Db = dao::DBEngine::OpenDatabase(QString::fromLocal8Bit(argv[1]), false, false, connect);
    OpenBaseTables();
    // A small page cache, so that the copy spills pages into the file before
    // it commits, as it does with a base bigger than the cache.
    sqlite3_exec(dao::Access::impl(g_Db)->db, "PRAGMA cache_size=-256", nullptr, nullptr, nullptr);
    dao::Database source =
        dao::DBEngine::Workspaces(0).OpenForeignDatabase(QString::fromLocal8Bit(argv[2]), connect);
    StopMidway progress;
    const importer::ImportReport report = importer::BaseImporter(source, &progress).run();
    std::printf("done %d\n", report.added());
    return 0;
}
