#pragma once
// Drive, folder and file lists of the folder chooser. There are no drive
// letters here: the drive list offers the root and the mount points.

#include <QComboBox>
#include <QListWidget>

namespace vb {

class DriveListBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveListBox(QWidget *parent = nullptr);
    // The chosen drive: a mount point's path ("/" for the root).
    QString drive() const;
    // Chooses the mount point that holds the path; raises 68 "Device
    // unavailable" for a path on none of them.
    void setDrive(const QString &path);
    void refreshDrives();

signals:
    void change();
};

// The open folder with its ancestors above it and its subfolders below.
// List(-1) is the open folder, List(-2) its parent and so on up to the root;
// List(0) .. List(ListCount - 1) are the subfolders. Selecting an entry
// changes ListIndex only; a double-click (or setting Path) opens it.
class DirListBox : public QListWidget {
    Q_OBJECT
public:
    explicit DirListBox(QWidget *parent = nullptr);
    QString path() const { return m_path; }
    // Raises 76 "Path not found" for a folder that does not exist.
    void setPath(const QString &path);
    QString list(int index) const; // raises 381 outside the entries
    int listCount() const { return int(m_children.size()); }
    int listIndex() const;
    void setListIndex(int index);
    void refreshList();

signals:
    void change(); // Path changed

protected:
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    int rowOf(int index) const;
    QString m_path;
    QStringList m_ancestors; // root first, open folder last
    QStringList m_children;
};

// The files of a folder that match Pattern ("*.ico", several separated by
// ';'), compared without regard to case; hidden files are left out.
class FileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit FileListBox(QWidget *parent = nullptr);
    QString path() const { return m_path; }
    void setPath(const QString &path); // raises 76 for a missing folder
    QString pattern() const { return m_pattern; }
    void setPattern(const QString &pattern);
    int listCount() const { return count(); }
    QString list(int index) const; // raises 381 outside the entries
    int listIndex() const { return currentRow(); }
    void setListIndex(int index);
    QString fileName() const; // the selected file, "" when none
    void refreshList();

private:
    QString m_path;
    QString m_pattern = QStringLiteral("*.*");
};

} // namespace vb
