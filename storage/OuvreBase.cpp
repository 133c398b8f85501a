#include "OuvreBase.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "Files.h"
#include "Guard.h"
#include "LeftBases.h"
#include "MainWindowLink.h"
#include "OuvreFichier.h"
#include "ProgramState.h"
#include "Start.h"
#include "Tabdef.h"
#include "fAccueil.h"

#include <QFile>
#include <QFileInfo>

#include <optional>

namespace {

// The open base was opened read-only on purpose (the locked mode of the
// sample base chooser): its reopens after a move or an import keep that.
bool g_openedReadOnly = false;

void closeQuietly(dao::Database db)
{
    if (db.isNothing())
        return;
    try {
        db.Close();
    } catch (const vb::Error &) {
        // A base that will not close is let go all the same.
    }
}

QString absolutePath(const QString &path)
{
    return path.isEmpty() ? path : QFileInfo(path).absoluteFilePath();
}

// Binds db in place of g_Db. The shared state changes only when the whole
// base is bound; otherwise db is closed and the error raised. Returns the
// base that was open before, still open.
dao::Database bindAndCommit(dao::Database db, const QString &path, const QString &connect,
                            bool readOnly)
{
    dao::Database old = g_Db;
    g_Db = db;
    try {
        OpenBaseTables();
    } catch (...) {
        g_Db = old;
        closeQuietly(db);
        throw;
    }
    // The rows and caption of the last search name cards of the base they
    // searched; the result grid must not show them over another one.
    if (path != g_BasePath) {
        ClearGridRows();
        GridCaption.clear();
    }
    g_BasePath = path;
    g_Connect = connect;
    g_openedReadOnly = readOnly;
    return old;
}

void closeReplaced(const dao::Database &old, const dao::Database &now)
{
    if (!old.isNothing() && !(old == now))
        closeQuietly(old);
}

void openAndBind(const QString &path, const QString &connect, bool readOnly)
{
    const QString abs = absolutePath(path);
    dao::Database db = dao::DBEngine::OpenDatabase(abs, false, readOnly, connect);
    const dao::Database old = bindAndCommit(db, abs, connect, readOnly);
    closeReplaced(old, db);
}

void showMainWindow()
{
    if (const MainWindowLink &link = mainWindowLink(); link.loadAndShow)
        link.loadAndShow();
}

bool existsAnything(const QString &path)
{
    const QFileInfo fi(path);
    return fi.exists() || fi.isSymLink();
}

} // namespace

QString BuiltInConnect() { return QStringLiteral(";pwd=") + kBuiltInPassword; }

QString ConnectFor(const QString &typedPassword) { return BuiltInConnect() + typedPassword; }

QString FileNameOfPath(const QString &path)
{
    const qsizetype cut = qMax(path.lastIndexOf(u'\\'), path.lastIndexOf(u'/'));
    return cut < 0 ? path : path.mid(cut + 1);
}

void OpenAndBindBase(const QString &path, const QString &connect) { openAndBind(path, connect, false); }

void OpenAndBindBaseReadOnly(const QString &path, const QString &connect)
{
    openAndBind(path, connect, true);
}

void ReopenAndBindBase(const QString &path, const QString &connect)
{
    openAndBind(path, connect, g_openedReadOnly);
}

bool BaseOpenedReadOnly() { return g_openedReadOnly; }

void OpenBase()
{
    const QString path = AskBaseFile();
    if (path.isEmpty())
        return;
    OpenAndBindBase(path, BuiltInConnect());
}

bool ReopenBaseAskPassword()
{
    for (;;) {
        const std::optional<QString> typed =
            vb::PasswordBox(QStringLiteral("Enter a Password for your base - or leave it blank"),
                            QStringLiteral("Password"));
        if (!typed) {
            ShowWelcome();
            return false;
        }
        try {
            ReopenAndBindBase(g_BasePath, ConnectFor(*typed));
            return true;
        } catch (const vb::Error &e) {
            if (e.number() == dao::ErrInvalidPassword)
                continue;
            // The welcome window first: the message must not be the last window.
            ShowWelcome();
            vb::MsgBox(e.description(), vb::vbExclamation);
            return false;
        }
    }
}

void ShowWelcome() { vb::Forms::get<fAccueil>().show(); }

QString PickNewBaseFileName()
{
    vb::FileDialogOptions o;
    o.title = QStringLiteral("Please select a base");
    o.filter = kBaseFileFilter;
    o.overwritePrompt = false; // an existing file is refused below, never replaced
    if (!g_BasePath.isEmpty())
        o.initialDir = QFileInfo(g_BasePath).absolutePath();
    const QString chosen = vb::ShowSave(o);
    if (chosen.isEmpty())
        return {};
    const QString target = absolutePath(chosen);
    if (existsAnything(target)) {
        vb::MsgBox(QStringLiteral("File already exists: ") + target, vb::vbExclamation);
        return {};
    }
    return target;
}

bool MoveBaseFile(const QString &newPath)
{
    const QString oldPath = g_BasePath;
    const QString target = absolutePath(newPath);
    QString why;
    bool moved = false;
    try {
        // Closed by us and moved by us: the reopen under the new name needs
        // no checker when the move kept the very bytes the record of the
        // base as left vouched for.
        dao::leftbases::Carried carried = dao::leftbases::beforeMove(oldPath);
        try {
            vb::Name(oldPath, target);
        } catch (...) {
            // Not moved: still the bytes the record vouched for, in place.
            dao::leftbases::afterMove(carried, oldPath);
            throw;
        }
        moved = true;
        dao::leftbases::afterMove(carried, target);
        ReopenAndBindBase(target, g_Connect);
        showMainWindow();
        return true;
    } catch (const vb::Error &e) {
        why = QStringLiteral("The base could not be saved as ") + target + QStringLiteral(" : ") + e.description();
    }
    // Back to the original base, under its own name when it can be.
    QString original = oldPath;
    if (moved) {
        try {
            vb::Name(target, oldPath);
        } catch (const vb::Error &) {
            original = target;
        }
    }
    // A window first, then the message: with no window loaded, the box's
    // own event loop would see the program's last window gone and end it.
    try {
        ReopenAndBindBase(original, g_Connect);
    } catch (const vb::Error &e) {
        ShowWelcome();
        vb::MsgBox(why + QStringLiteral("\n") + e.description(), vb::vbExclamation);
        return false;
    }
    showMainWindow();
    vb::MsgBox(why, vb::vbExclamation);
    return false;
}

void CreateKnowledgeBase(const QString &path, const QString &connect)
{
    const QString abs = absolutePath(path);
    // The file, its tables and its types are written by one commit.
    std::optional<dao::TransactionScope> creation(std::in_place);
    dao::Database db =
        dao::DBEngine::CreateDatabase(abs, QString::fromLatin1(dao::dbLangGeneral) + connect, dao::dbEncrypt);
    // CreateBaseTables and FillTypesTable work on g_Db and leave rsTypes
    // bound: lend them the new base, then put back what was there.
    const dao::Database savedDb = g_Db;
    const dao::Recordset savedTypes = rsTypes;
    const dao::Field savedType = fldTypesType;
    auto restore = [&] {
        g_Db = savedDb;
        rsTypes = savedTypes;
        fldTypesType = savedType;
    };
    g_Db = db;
    try {
        CreateBaseTables();
        FillTypesTable();
        creation->Commit();
        restore();
        db.Close();
    } catch (...) {
        restore();
        creation.reset();
        closeQuietly(db);
        QFile::remove(abs);
        throw;
    }
}

bool TakeOverOpenedBase(dao::Database db, const QString &path, const QString &connect)
{
    const MainWindowLink &link = mainWindowLink();
    const bool mainLoaded = link.isLoaded && link.isLoaded();
    // Changed cards are stored into the base they came from, before it goes.
    if (mainLoaded && link.unloadCardWindows && !link.unloadCardWindows()) {
        closeQuietly(db);
        return false;
    }
    const dao::Database old = bindAndCommit(db, absolutePath(path), connect, false);
    if (mainLoaded && link.unload)
        link.unload();
    closeReplaced(old, db);
    showMainWindow();
    return true;
}
