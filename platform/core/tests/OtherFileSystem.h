#pragma once
// A folder on another file system than a given one, for tests of moves
// between file systems. A machine with a single file system (a container,
// say) still runs those tests: the folder is then on the same one and every
// move is made to take the road of another file system.

#include "Files.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <memory>
#include <sys/stat.h>

class OtherFileSystem {
public:
    explicit OtherFileSystem(const QString &here)
    {
        const dev_t own = deviceOf(here);
        for (const QString &root : {QStringLiteral("/dev/shm"), QStringLiteral("/run"), QStringLiteral("/var/tmp"),
                                    QDir::tempPath(), QDir::currentPath(), QDir::homePath()}) {
            auto dir = std::make_unique<QTemporaryDir>(root + QStringLiteral("/corvane-XXXXXX"));
            if (dir->isValid() && deviceOf(dir->path()) != own) {
                m_dir = std::move(dir);
                return;
            }
        }
        m_dir = std::make_unique<QTemporaryDir>();
        m_forced = true;
        vb::testing::setEveryMoveAcrossFileSystems(true);
    }
    ~OtherFileSystem()
    {
        if (m_forced)
            vb::testing::setEveryMoveAcrossFileSystems(false);
    }
    OtherFileSystem(const OtherFileSystem &) = delete;
    OtherFileSystem &operator=(const OtherFileSystem &) = delete;

    bool isValid() const { return m_dir->isValid(); }
    QString path() const { return m_dir->path(); }
    QString filePath(const QString &name) const { return m_dir->filePath(name); }

private:
    static dev_t deviceOf(const QString &path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_dev : dev_t(-1);
    }
    std::unique_ptr<QTemporaryDir> m_dir;
    bool m_forced = false;
};
