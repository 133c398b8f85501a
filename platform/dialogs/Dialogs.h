#pragma once
// Every message box, input box and common dialog of the program goes through
// here, so that one handler decides how they are shown: real Qt dialogs in
// the program, scripted answers in tests, default answers when there is no
// screen to show them on (nothing may block offscreen).
//
// This is a shared library on purpose: the program and the control library
// Vantrel must see the same handler.

#include <QColor>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>

#if defined(CORVANE_DIALOGS_BUILD)
#  define CORVANE_DIALOGS_EXPORT __attribute__((visibility("default")))
#else
#  define CORVANE_DIALOGS_EXPORT
#endif

class QFont;
class QPrinter;

namespace vb {

// Button, icon and default-button styles of MsgBox (add them together).
enum : int {
    vbOKOnly = 0,
    vbOKCancel = 1,
    vbAbortRetryIgnore = 2,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbRetryCancel = 5,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton1 = 0,
    vbDefaultButton2 = 256,
    vbDefaultButton3 = 512,
    vbApplicationModal = 0,
    vbSystemModal = 4096,
};

// MsgBox results.
enum : int { vbOK = 1, vbCancel = 2, vbAbort = 3, vbRetry = 4, vbIgnore = 5, vbYes = 6, vbNo = 7 };

// Raised by the common dialogs on cancel when cancelError is set.
enum : int { cdlCancel = 32755 };

// Title of message and input boxes that give none: the application title,
// "Corvane Studio", unless set.
CORVANE_DIALOGS_EXPORT QString appTitle();
CORVANE_DIALOGS_EXPORT void setAppTitle(const QString &title);

// The results a style offers, in the order its buttons appear (vbOKOnly ->
// {vbOK}, vbYesNoCancel -> {vbYes, vbNo, vbCancel}, ...). Unknown styles
// behave as vbOKOnly.
CORVANE_DIALOGS_EXPORT QList<int> msgBoxResults(int buttons);
// The result Enter gives: the default button of the style.
CORVANE_DIALOGS_EXPORT int msgBoxDefaultResult(int buttons);

CORVANE_DIALOGS_EXPORT int MsgBox(const QString &prompt, int buttons = vbOKOnly,
                                  const QString &title = QString());

// Cancel gives "" as the runtime does.
CORVANE_DIALOGS_EXPORT QString InputBox(const QString &prompt, const QString &title = {},
                                        const QString &defaultText = {});
// Same box, but cancel gives nullopt, for callers that must tell it from an
// empty OK.
CORVANE_DIALOGS_EXPORT std::optional<QString> InputBoxEx(const QString &prompt,
                                                         const QString &title = {},
                                                         const QString &defaultText = {});
// Masked entry for passwords; nullopt on cancel.
CORVANE_DIALOGS_EXPORT std::optional<QString> PasswordBox(const QString &prompt,
                                                          const QString &title = {},
                                                          const QString &defaultText = {});

// --- Common dialogs --------------------------------------------------------

struct FileDialogOptions {
    QString title;        // DialogTitle; empty gives the dialog's own title
    QString filter;       // "Name|*.ext|Name2|*.x;*.y"
    int filterIndex = 1;  // 1-based, as the runtime counts
    QString initialDir;   // empty: the current directory
    QString fileName;     // name proposed in the box
    bool cancelError = false;   // cancel raises 32755 instead of returning ""
    bool fileMustExist = false; // open: only an existing file may be chosen
    bool overwritePrompt = true; // save: confirm replacing an existing file
    QString defaultExt;   // save: added (after a dot) to a name typed without one
};

// Both return the absolute path of the chosen file, or "" on cancel.
CORVANE_DIALOGS_EXPORT QString ShowOpen(const FileDialogOptions &options);
CORVANE_DIALOGS_EXPORT QString ShowSave(const FileDialogOptions &options);

// "A|*.a|B|*.b;*.c" -> "A (*.a);;B (*.b *.c)"; "*.*" becomes "*" since names
// here need not carry a dot. A name that already shows its patterns in
// parentheses keeps its text but gets the real patterns.
CORVANE_DIALOGS_EXPORT QString qtFileFilter(const QString &runtimeFilter);

struct FontChoice {
    QString name;
    double size = 0;
    bool bold = false;
    bool italic = false;
    bool strikethru = false;
    bool underline = false;
    QColor color = Qt::black;
    bool operator==(const FontChoice &) const = default;
};

// The font the font dialog starts on: the family (the interface font's real
// family when none is named) in its face of that weight and slant, so that
// the dialog preselects that face and not the first one it lists.
CORVANE_DIALOGS_EXPORT QFont qtFont(const FontChoice &choice);

// The choice is read before and written after; returns false on cancel
// (or raises 32755 when cancelError).
CORVANE_DIALOGS_EXPORT bool ShowFont(FontChoice &font, bool cancelError = false);
CORVANE_DIALOGS_EXPORT bool ShowColor(QColor &color, bool cancelError = false);

struct PrinterDialogOptions {
    bool selectionEnabled = false; // offer "Selection" and preselect it
    bool cancelError = false;
};

// Sets up the printer as chosen (name, PDF file, print range). Returns false
// on cancel, or raises 32755 when cancelError.
CORVANE_DIALOGS_EXPORT bool ShowPrinter(QPrinter &printer, const PrinterDialogOptions &options = {});

// --- The seam ----------------------------------------------------------------

enum class DialogKind { MsgBox, InputBox, PasswordBox, FileOpen, FileSave, Font, Color, Printer };
CORVANE_DIALOGS_EXPORT QString dialogKindName(DialogKind kind);

// What the program asked to show. For the file dialogs the prompt is their
// title.
struct DialogRequest {
    DialogKind kind = DialogKind::MsgBox;
    QString prompt;
    QString title;       // the effective title (appTitle() filled in)
    int buttons = 0;     // MsgBox style
    QString defaultText; // input boxes; proposed file name for file dialogs
    QString filter;      // file dialogs, as the program wrote it
    int filterIndex = 1;
    QString initialDir;
    bool fileMustExist = false;  // FileOpen
    bool overwritePrompt = true; // FileSave
    QString defaultExt;          // FileSave
    FontChoice font;     // Font: the choice going in
    QColor color;        // Color: the colour going in
    bool selectionEnabled = false; // Printer
};

// How a dialog was answered.
struct CORVANE_DIALOGS_EXPORT DialogAnswer {
    bool accepted = true;    // false: cancel / close
    int button = vbOK;       // MsgBox result
    QString text;            // input boxes: the entry; file dialogs: the path
    FontChoice font;
    QColor color;
    QString printerName;     // Printer: the printer to print on ...
    QString pdfFile;         // ... or the PDF file to write
    bool printSelection = false;

    static DialogAnswer result(int button);
    static DialogAnswer entry(const QString &text);
    static DialogAnswer cancel();
    static DialogAnswer file(const QString &path);
    static DialogAnswer chosenFont(const FontChoice &font);
    static DialogAnswer chosenColor(const QColor &color);
    static DialogAnswer printer(const QString &pdfFile, bool selection = false);
};

class CORVANE_DIALOGS_EXPORT DialogHandler {
public:
    virtual ~DialogHandler();
    virtual DialogAnswer answer(const DialogRequest &request) = 0;
};

// Replaces the handler; nullptr restores the built-in one. Returns the
// previous handler (nullptr when it was the built-in one).
CORVANE_DIALOGS_EXPORT DialogHandler *setDialogHandler(DialogHandler *handler);
CORVANE_DIALOGS_EXPORT DialogHandler *dialogHandler();

// True when real dialogs can be shown (a widget application on a real
// screen); otherwise the built-in handler answers every dialog with its
// default (Enter on a message box, cancel elsewhere) and warns.
CORVANE_DIALOGS_EXPORT bool canShowDialogs();

// Thrown by a DialogScript at a dialog it did not expect. Not a vb::Error,
// so no error trap of the program swallows it.
class CORVANE_DIALOGS_EXPORT UnexpectedDialog : public std::logic_error {
public:
    explicit UnexpectedDialog(const QString &message);
};

// Test handler: a list of expected dialogs answered in order. Installs itself
// for its lifetime. A dialog beyond the list, of another kind, or with another
// prompt than expected is recorded as a failure and throws UnexpectedDialog at
// once instead of blocking.
class CORVANE_DIALOGS_EXPORT DialogScript : public DialogHandler {
public:
    DialogScript();
    ~DialogScript() override;
    DialogScript(const DialogScript &) = delete;
    DialogScript &operator=(const DialogScript &) = delete;

    // prompt: when given, the dialog must show exactly this text.
    DialogScript &expect(DialogKind kind, const DialogAnswer &answer,
                         const std::optional<QString> &prompt = std::nullopt);
    DialogScript &msgBox(int result, const std::optional<QString> &prompt = std::nullopt);
    DialogScript &inputBox(const QString &text, const std::optional<QString> &prompt = std::nullopt);
    DialogScript &inputBoxCancel(const std::optional<QString> &prompt = std::nullopt);
    DialogScript &passwordBox(const QString &text, const std::optional<QString> &prompt = std::nullopt);
    // Empty path: cancel.
    DialogScript &fileOpen(const QString &path, const std::optional<QString> &title = std::nullopt);
    DialogScript &fileSave(const QString &path, const std::optional<QString> &title = std::nullopt);

    DialogAnswer answer(const DialogRequest &request) override;

    const QList<DialogRequest> &shown() const { return m_shown; }
    int remaining() const { return int(m_expected.size()) - m_next; }
    const QStringList &failures() const { return m_failures; }
    // No failure and every expected dialog shown.
    bool ok() const { return m_failures.isEmpty() && remaining() == 0; }
    // Readable summary for a test's failure message.
    QByteArray report() const;

private:
    struct Expected {
        DialogKind kind;
        DialogAnswer answer;
        std::optional<QString> prompt;
    };
    [[noreturn]] void fail(const QString &message);

    QList<Expected> m_expected;
    int m_next = 0;
    QList<DialogRequest> m_shown;
    QStringList m_failures;
    DialogHandler *m_previous = nullptr;
};

} // namespace vb
