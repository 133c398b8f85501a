#pragma once
// Opening a web page or a document with the desktop's default program, and
// starting a program, through a replaceable shell so tests see what would
// have been opened without opening it.

#include <QString>
#include <QStringList>

namespace vb {

class ShellService {
public:
    virtual ~ShellService();
    // False when nothing could open it.
    virtual bool openUrl(const QString &address) = 0;
    // False when the program could not be started.
    virtual bool startProgram(const QString &program, const QStringList &arguments) = 0;
};

ShellService &shell();
// nullptr puts the real shell back.
void setShell(ShellService *replacement);

// ShellExecute of the About box: opens the address; the caller may ignore
// the result, as the box does.
bool ShellExecute(const QString &address);

// Shell(path): starts the program (arguments split at blanks; a path in
// double quotes may hold blanks). Raises 53 when it cannot be started.
void Shell(const QString &commandLine);

// Test double: records what was asked, succeeds unless told otherwise.
class RecordingShell : public ShellService {
public:
    bool openUrl(const QString &address) override;
    bool startProgram(const QString &program, const QStringList &arguments) override;
    QStringList opened;
    QStringList started; // program then its arguments, joined by blanks
    bool succeed = true;
};

} // namespace vb
