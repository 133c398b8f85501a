#include "FileLists.h"

#include "Error.h"
#include "Events.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace vb {

namespace {
[[noreturn]] void subscript() { raise(381, QStringLiteral("Subscript out of range")); }
[[noreturn]] void pathNotFound(const QString &p) { raise(ErrPathNotFound, QStringLiteral("Path not found"), p); }
} // namespace

// --- DriveListBox ------------------------------------------------------------

DriveListBox::DriveListBox(QWidget *parent)
    : QComboBox(parent)
{
    refreshDrives();
    connect(this, &QComboBox::currentIndexChanged, this, [this] { runEvent([this] { emit change(); }); });
}

void DriveListBox::refreshDrives()
{
    const QSignalBlocker block(this);
    const QString current = drive();
    clear();
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo &s : QStorageInfo::mountedVolumes())
        if (s.isValid() && s.isReady() && !roots.contains(s.rootPath()))
            roots << s.rootPath();
    std::sort(roots.begin() + 1, roots.end());
    addItems(roots);
    const int i = findText(current);
    setCurrentIndex(i >= 0 ? i : 0);
}

QString DriveListBox::drive() const { return currentText(); }

void DriveListBox::setDrive(const QString &path)
{
    const QString abs = QFileInfo(path).absoluteFilePath();
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemText(i);
        const bool holds = root == QLatin1String("/") || abs == root
                           || abs.startsWith(root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best < 0 || !QFileInfo::exists(abs))
        vb::raise(68, QStringLiteral("Device unavailable"), path);
    setCurrentIndex(best);
}

// --- DirListBox --------------------------------------------------------------

DirListBox::DirListBox(QWidget *parent)
    : QListWidget(parent)
{
    setPath(QDir::currentPath());
}

void DirListBox::setPath(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isDir())
        pathNotFound(path);
    const QString clean = QDir::cleanPath(info.absoluteFilePath());
    const bool changed = clean != m_path;
    m_path = clean;
    refreshList();
    if (changed)
        emit change();
}

void DirListBox::refreshList()
{
    m_ancestors.clear();
    QDir d(m_path);
    for (;;) {
        m_ancestors.prepend(d.absolutePath());
        if (d.isRoot() || !d.cdUp())
            break;
    }
    m_children.clear();
    for (const QFileInfo &fi : QDir(m_path).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                           QDir::Name | QDir::IgnoreCase))
        m_children << fi.absoluteFilePath();
    const QSignalBlocker block(this);
    clear();
    for (int i = 0; i < m_ancestors.size(); ++i) {
        const QString name = i == 0 ? m_ancestors.at(i) : QFileInfo(m_ancestors.at(i)).fileName();
        addItem(QString(i * 2, QLatin1Char(' ')) + name);
    }
    const QString indent(int(m_ancestors.size()) * 2, QLatin1Char(' '));
    for (const QString &c : m_children)
        addItem(indent + QFileInfo(c).fileName());
    setCurrentRow(int(m_ancestors.size()) - 1);
}

int DirListBox::rowOf(int index) const
{
    const int open = int(m_ancestors.size()) - 1;
    if (index < 0)
        return open + 1 + index; // -1 is the open folder
    return open + 1 + index;
}

QString DirListBox::list(int index) const
{
    if (index < 0) {
        const int k = int(m_ancestors.size()) + index; // -1 -> last
        if (k < 0)
            subscript();
        return m_ancestors.at(k);
    }
    if (index >= m_children.size())
        subscript();
    return m_children.at(index);
}

int DirListBox::listIndex() const
{
    const int row = currentRow();
    const int open = int(m_ancestors.size()) - 1;
    if (row < 0)
        return -1;
    if (row <= open)
        return row - open - 1; // the open folder is -1, its parent -2, ...
    return row - open - 1;
}

void DirListBox::setListIndex(int index)
{
    (void)list(index); // range check
    setCurrentRow(rowOf(index));
}

void DirListBox::mouseDoubleClickEvent(QMouseEvent *e)
{
    QListWidget::mouseDoubleClickEvent(e);
    const QString target = list(listIndex());
    runEvent([&] { setPath(target); });
}

// --- FileListBox -------------------------------------------------------------

FileListBox::FileListBox(QWidget *parent)
    : QListWidget(parent)
{
    m_path = QDir::currentPath();
    refreshList();
}

void FileListBox::setPath(const QString &path)
{
    if (!QFileInfo(path).isDir())
        pathNotFound(path);
    m_path = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    refreshList();
}

void FileListBox::setPattern(const QString &pattern)
{
    m_pattern = pattern;
    refreshList();
}

void FileListBox::refreshList()
{
    QStringList patterns;
    for (QString p : m_pattern.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        p = p.trimmed();
        patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    if (patterns.isEmpty())
        patterns << QStringLiteral("*");
    QDir d(m_path);
    d.setNameFilters(patterns);
    d.setFilter(QDir::Files); // not hidden, not folders; QDir matches names without case
    d.setSorting(QDir::Name | QDir::IgnoreCase);
    clear();
    addItems(d.entryList());
}

QString FileListBox::list(int index) const
{
    if (index < 0 || index >= count())
        subscript();
    return item(index)->text();
}

void FileListBox::setListIndex(int index)
{
    if (index < -1 || index >= count())
        subscript();
    setCurrentRow(index);
}

QString FileListBox::fileName() const
{
    const int r = currentRow();
    return r >= 0 ? item(r)->text() : QString();
}

} // namespace vb
