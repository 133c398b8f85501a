#pragma once
// Counts what reaches the disk: a file layer put in front of the engine's
// default one that forwards every call and counts the syncs of base files
// (one per commit) and of journals. Made the default while it lives.

#include <sqlite3.h>

#include <atomic>
#include <cstring>

class SyncCount {
public:
    SyncCount()
    {
        s_self = this;
        m_real = sqlite3_vfs_find(nullptr);
        std::memcpy(&m_vfs, m_real, sizeof m_vfs);
        m_vfs.zName = "synccount";
        m_vfs.szOsFile = int(sizeof(File)) + m_real->szOsFile;
        m_vfs.pAppData = this;
        m_vfs.xOpen = &open;
        sqlite3_vfs_register(&m_vfs, 1);
    }
    ~SyncCount()
    {
        sqlite3_vfs_register(m_real, 1);
        sqlite3_vfs_unregister(&m_vfs);
        s_self = nullptr;
    }
    SyncCount(const SyncCount &) = delete;
    SyncCount &operator=(const SyncCount &) = delete;

    int baseSyncs() const { return m_base; }
    int journalSyncs() const { return m_journal; }
    void reset() { m_base = m_journal = 0; }

private:
    struct File {
        sqlite3_file base;
        sqlite3_file *real;
        bool mainDb;
    };
    static sqlite3_file *real(sqlite3_file *f) { return reinterpret_cast<File *>(f)->real; }

    static int open(sqlite3_vfs *vfs, const char *name, sqlite3_file *file, int flags, int *outFlags)
    {
        auto *self = static_cast<SyncCount *>(vfs->pAppData);
        File *f = reinterpret_cast<File *>(file);
        f->real = reinterpret_cast<sqlite3_file *>(f + 1);
        f->mainDb = (flags & SQLITE_OPEN_MAIN_DB) != 0;
        const int rc = self->m_real->xOpen(self->m_real, name, f->real, flags, outFlags);
        f->base.pMethods = f->real->pMethods ? &s_methods : nullptr;
        return rc;
    }
    static int close(sqlite3_file *f) { return real(f)->pMethods->xClose(real(f)); }
    static int read(sqlite3_file *f, void *b, int n, sqlite3_int64 o)
    {
        return real(f)->pMethods->xRead(real(f), b, n, o);
    }
    static int write(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
    {
        return real(f)->pMethods->xWrite(real(f), b, n, o);
    }
    static int truncate(sqlite3_file *f, sqlite3_int64 n) { return real(f)->pMethods->xTruncate(real(f), n); }
    static int sync(sqlite3_file *f, int flags)
    {
        if (s_self)
            ++(reinterpret_cast<File *>(f)->mainDb ? s_self->m_base : s_self->m_journal);
        return real(f)->pMethods->xSync(real(f), flags);
    }
    static int fileSize(sqlite3_file *f, sqlite3_int64 *n) { return real(f)->pMethods->xFileSize(real(f), n); }
    static int lock(sqlite3_file *f, int l) { return real(f)->pMethods->xLock(real(f), l); }
    static int unlock(sqlite3_file *f, int l) { return real(f)->pMethods->xUnlock(real(f), l); }
    static int checkLock(sqlite3_file *f, int *out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
    static int control(sqlite3_file *f, int op, void *arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
    static int sectorSize(sqlite3_file *f) { return real(f)->pMethods->xSectorSize(real(f)); }
    static int device(sqlite3_file *f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
    static int shmMap(sqlite3_file *f, int i, int sz, int e, void volatile **p)
    {
        return real(f)->pMethods->xShmMap(real(f), i, sz, e, p);
    }
    static int shmLock(sqlite3_file *f, int o, int n, int fl) { return real(f)->pMethods->xShmLock(real(f), o, n, fl); }
    static void shmBarrier(sqlite3_file *f) { real(f)->pMethods->xShmBarrier(real(f)); }
    static int shmUnmap(sqlite3_file *f, int d) { return real(f)->pMethods->xShmUnmap(real(f), d); }
    static int fetch(sqlite3_file *f, sqlite3_int64 o, int n, void **p)
    {
        return real(f)->pMethods->xFetch(real(f), o, n, p);
    }
    static int unfetch(sqlite3_file *f, sqlite3_int64 o, void *p) { return real(f)->pMethods->xUnfetch(real(f), o, p); }

    // Memory mapping is left out (version 2): every page goes through read.
    static inline const sqlite3_io_methods s_methods = {
        2, &close, &read, &write, &truncate, &sync, &fileSize, &lock, &unlock, &checkLock, &control,
        &sectorSize, &device, &shmMap, &shmLock, &shmBarrier, &shmUnmap, &fetch, &unfetch};
    static inline SyncCount *s_self = nullptr;

    sqlite3_vfs *m_real = nullptr;
    sqlite3_vfs m_vfs{};
    std::atomic<int> m_base{0}, m_journal{0};
};
