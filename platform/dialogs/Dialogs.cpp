#include "Dialogs.h"

#include "Error.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFontInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <QtDebug>

namespace vb {

namespace {

QString g_appTitle = QStringLiteral("Corvane Studio");
DialogHandler *g_handler = nullptr;

QWidget *dialogParent()
{
    return QApplication::activeWindow();
}

// The program writes line breaks as vbCr & vbCrLf; Qt shows a lone CR badly.
QString displayText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QMessageBox::StandardButton qtButton(int result)
{
    switch (result) {
    case vbOK: return QMessageBox::Ok;
    case vbCancel: return QMessageBox::Cancel;
    case vbAbort: return QMessageBox::Abort;
    case vbRetry: return QMessageBox::Retry;
    case vbIgnore: return QMessageBox::Ignore;
    case vbYes: return QMessageBox::Yes;
    case vbNo: return QMessageBox::No;
    }
    return QMessageBox::Ok;
}

int showMessageBox(const DialogRequest &r)
{
    QMessageBox box(dialogParent());
    box.setWindowTitle(r.title);
    // Prompts carry user text (keywords, words): never read it as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(displayText(r.prompt));
    switch (r.buttons & 0x70) {
    case vbCritical: box.setIcon(QMessageBox::Critical); break;
    case vbQuestion: box.setIcon(QMessageBox::Question); break;
    case vbExclamation: box.setIcon(QMessageBox::Warning); break;
    case vbInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    const QList<int> results = msgBoxResults(r.buttons);
    QList<QAbstractButton *> made;
    for (int res : results)
        made.append(box.addButton(qtButton(res)));
    const int def = results.indexOf(msgBoxDefaultResult(r.buttons));
    box.setDefaultButton(static_cast<QPushButton *>(made.value(def)));
    // Escape and the close box give Cancel where there is one, OK on a lone
    // OK; Yes/No and Abort/Retry/Ignore cannot be escaped.
    if (results.contains(vbCancel))
        box.setEscapeButton(made.value(results.indexOf(vbCancel)));
    else if (results.size() == 1)
        box.setEscapeButton(made.value(0));
    box.exec();
    const int i = made.indexOf(box.clickedButton());
    return i >= 0 ? results.at(i) : msgBoxDefaultResult(r.buttons);
}

DialogAnswer showInputBox(const DialogRequest &r)
{
    QInputDialog dlg(dialogParent());
    dlg.setWindowTitle(r.title);
    dlg.setLabelText(displayText(r.prompt));
    dlg.setTextEchoMode(r.kind == DialogKind::PasswordBox ? QLineEdit::Password : QLineEdit::Normal);
    dlg.setTextValue(r.defaultText);
    for (QLabel *label : dlg.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    if (dlg.exec() != QDialog::Accepted)
        return DialogAnswer::cancel();
    return DialogAnswer::entry(dlg.textValue());
}

DialogAnswer showFileDialog(const DialogRequest &r)
{
    QFileDialog dlg(dialogParent(), r.prompt,
                    r.initialDir.isEmpty() ? QDir::currentPath() : r.initialDir);
    const QString filters = qtFileFilter(r.filter);
    dlg.setNameFilter(filters);
    if (r.filterIndex > 1)
        dlg.selectNameFilter(filters.split(QLatin1String(";;")).value(r.filterIndex - 1));
    if (!r.defaultText.isEmpty())
        dlg.selectFile(r.defaultText);
    if (r.kind == DialogKind::FileOpen) {
        dlg.setAcceptMode(QFileDialog::AcceptOpen);
        dlg.setFileMode(r.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    } else {
        dlg.setAcceptMode(QFileDialog::AcceptSave);
        dlg.setFileMode(QFileDialog::AnyFile);
        if (!r.overwritePrompt)
            dlg.setOption(QFileDialog::DontConfirmOverwrite);
        // The dialog adds it itself, so that its overwrite question names the
        // file that will be written.
        dlg.setDefaultSuffix(r.defaultExt);
    }
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return DialogAnswer::cancel();
    return DialogAnswer::file(dlg.selectedFiles().constFirst());
}

} // namespace

QFont qtFont(const FontChoice &f)
{
    // Without a name the dialog starts on the real family of the interface
    // font, not on an alias that may have no bold face.
    QFont font(f.name.isEmpty() ? QFontInfo(QApplication::font()).family() : f.name);
    if (f.size > 0)
        font.setPointSizeF(f.size);
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setStrikeOut(f.strikethru);
    font.setUnderline(f.underline);
    // The dialog preselects the face by its name: "Book" or "Regular" is not
    // "Normal", and an unmatched name selects the first face it lists.
    // The face the font engine itself matches for that weight and slant.
    const QFontInfo matched(font);
    if (!matched.styleName().isEmpty()) {
        font.setFamily(matched.family());
        font.setStyleName(matched.styleName());
    }
    return font;
}

namespace {

// QFontDialog offers no colour, and the cards keep one with their font.
DialogAnswer showFontDialog(const DialogRequest &r)
{
    QDialog dlg(dialogParent());
    dlg.setWindowTitle(QObject::tr("Font"));
    auto *layout = new QVBoxLayout(&dlg);
    auto *fonts = new QFontDialog(qtFont(r.font), &dlg);
    fonts->setWindowFlags(Qt::Widget);
    fonts->setOptions(QFontDialog::NoButtons);
    layout->addWidget(fonts);
    QColor color = r.font.color;
    auto *colorButton = new QPushButton(QObject::tr("Colour..."), &dlg);
    auto paint = [&] {
        colorButton->setStyleSheet(QStringLiteral("QPushButton { color: %1; }").arg(color.name()));
    };
    paint();
    QObject::connect(colorButton, &QPushButton::clicked, &dlg, [&] {
        const QColor c = QColorDialog::getColor(color, &dlg);
        if (c.isValid()) {
            color = c;
            paint();
        }
    });
    layout->addWidget(colorButton);
    auto *box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(box, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(box, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    layout->addWidget(box);
    if (dlg.exec() != QDialog::Accepted)
        return DialogAnswer::cancel();
    const QFont f = fonts->currentFont();
    FontChoice out;
    out.name = f.family();
    out.size = f.pointSizeF();
    out.bold = f.bold();
    out.italic = f.italic();
    out.strikethru = f.strikeOut();
    out.underline = f.underline();
    out.color = color;
    return DialogAnswer::chosenFont(out);
}

// The built-in handler: real dialogs where they can be shown, default
// answers elsewhere.
class QtDialogHandler : public DialogHandler {
public:
    DialogAnswer answer(const DialogRequest &r) override
    {
        if (!canShowDialogs())
            return unshown(r);
        switch (r.kind) {
        case DialogKind::MsgBox: return DialogAnswer::result(showMessageBox(r));
        case DialogKind::InputBox:
        case DialogKind::PasswordBox: return showInputBox(r);
        case DialogKind::FileOpen:
        case DialogKind::FileSave: return showFileDialog(r);
        case DialogKind::Font: return showFontDialog(r);
        case DialogKind::Color: {
            const QColor c = QColorDialog::getColor(r.color, dialogParent());
            return c.isValid() ? DialogAnswer::chosenColor(c) : DialogAnswer::cancel();
        }
        case DialogKind::Printer:
            break; // shown by ShowPrinter itself, which owns the QPrinter
        }
        return DialogAnswer::cancel();
    }

private:
    static DialogAnswer unshown(const DialogRequest &r)
    {
        qWarning().noquote() << "Corvane: no screen for" << dialogKindName(r.kind)
                             << "dialog, default answer given:" << r.prompt;
        if (r.kind == DialogKind::MsgBox)
            return DialogAnswer::result(msgBoxDefaultResult(r.buttons));
        return DialogAnswer::cancel();
    }
};

QtDialogHandler &builtIn()
{
    static QtDialogHandler handler;
    return handler;
}

DialogAnswer ask(DialogRequest &request)
{
    if (request.title.isEmpty() && (request.kind == DialogKind::MsgBox
                                    || request.kind == DialogKind::InputBox
                                    || request.kind == DialogKind::PasswordBox))
        request.title = g_appTitle;
    return dialogHandler()->answer(request);
}

[[noreturn]] void raiseCancel()
{
    raise(cdlCancel, QStringLiteral("Cancel was selected."), QStringLiteral("CommonDialog"));
}

QString absolute(const QString &path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).absoluteFilePath();
}

QString fileDialog(DialogKind kind, const FileDialogOptions &o)
{
    DialogRequest r;
    r.kind = kind;
    r.prompt = o.title;
    r.title = o.title;
    r.filter = o.filter;
    r.filterIndex = o.filterIndex;
    r.initialDir = o.initialDir;
    r.defaultText = o.fileName;
    r.fileMustExist = o.fileMustExist;
    r.overwritePrompt = o.overwritePrompt;
    if (kind == DialogKind::FileSave)
        r.defaultExt = o.defaultExt;
    const DialogAnswer a = ask(r);
    if (!a.accepted || a.text.isEmpty()) {
        if (o.cancelError)
            raiseCancel();
        return QString();
    }
    QString path = a.text;
    if (!r.defaultExt.isEmpty() && QFileInfo(path).suffix().isEmpty() && !path.endsWith(QLatin1Char('.')))
        path += QLatin1Char('.') + r.defaultExt;
    return absolute(path);
}

} // namespace

QString appTitle() { return g_appTitle; }
void setAppTitle(const QString &title) { g_appTitle = title; }

QList<int> msgBoxResults(int buttons)
{
    switch (buttons & 7) {
    case vbOKCancel: return {vbOK, vbCancel};
    case vbAbortRetryIgnore: return {vbAbort, vbRetry, vbIgnore};
    case vbYesNoCancel: return {vbYes, vbNo, vbCancel};
    case vbYesNo: return {vbYes, vbNo};
    case vbRetryCancel: return {vbRetry, vbCancel};
    default: return {vbOK};
    }
}

int msgBoxDefaultResult(int buttons)
{
    const QList<int> results = msgBoxResults(buttons);
    const int index = (buttons >> 8) & 3;
    return results.value(index, results.constFirst());
}

int MsgBox(const QString &prompt, int buttons, const QString &title)
{
    DialogRequest r;
    r.kind = DialogKind::MsgBox;
    r.prompt = prompt;
    r.title = title;
    r.buttons = buttons;
    const DialogAnswer a = ask(r);
    const QList<int> results = msgBoxResults(buttons);
    if (results.contains(a.button))
        return a.button;
    // A closed box without a matching button gives Cancel where offered.
    return results.contains(vbCancel) ? vbCancel : msgBoxDefaultResult(buttons);
}

static std::optional<QString> inputBox(DialogKind kind, const QString &prompt,
                                       const QString &title, const QString &defaultText)
{
    DialogRequest r;
    r.kind = kind;
    r.prompt = prompt;
    r.title = title;
    r.defaultText = defaultText;
    const DialogAnswer a = ask(r);
    if (!a.accepted)
        return std::nullopt;
    return a.text;
}

QString InputBox(const QString &prompt, const QString &title, const QString &defaultText)
{
    return inputBox(DialogKind::InputBox, prompt, title, defaultText).value_or(QString());
}

std::optional<QString> InputBoxEx(const QString &prompt, const QString &title,
                                  const QString &defaultText)
{
    return inputBox(DialogKind::InputBox, prompt, title, defaultText);
}

std::optional<QString> PasswordBox(const QString &prompt, const QString &title,
                                   const QString &defaultText)
{
    return inputBox(DialogKind::PasswordBox, prompt, title, defaultText);
}

QString ShowOpen(const FileDialogOptions &options)
{
    return fileDialog(DialogKind::FileOpen, options);
}

QString ShowSave(const FileDialogOptions &options)
{
    return fileDialog(DialogKind::FileSave, options);
}

QString qtFileFilter(const QString &runtimeFilter)
{
    const QStringList parts = runtimeFilter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString name = parts.at(i).trimmed();
        QStringList patterns;
        for (const QString &p : parts.at(i + 1).split(QRegularExpression(QStringLiteral("[; ]")),
                                                       Qt::SkipEmptyParts))
            patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        // Qt reads the patterns from the last parentheses of the name.
        static const QRegularExpression shown(QStringLiteral("\\s*\\([^()]*\\)$"));
        name.remove(shown);
        out << QStringLiteral("%1 (%2)").arg(name, patterns.join(QLatin1Char(' ')));
    }
    if (out.isEmpty() && !runtimeFilter.trimmed().isEmpty())
        out << QStringLiteral("%1 (%1)").arg(runtimeFilter.trimmed());
    return out.join(QLatin1String(";;"));
}

bool ShowFont(FontChoice &font, bool cancelError)
{
    DialogRequest r;
    r.kind = DialogKind::Font;
    r.font = font;
    const DialogAnswer a = ask(r);
    if (!a.accepted) {
        if (cancelError)
            raiseCancel();
        return false;
    }
    font = a.font;
    return true;
}

bool ShowColor(QColor &color, bool cancelError)
{
    DialogRequest r;
    r.kind = DialogKind::Color;
    r.color = color;
    const DialogAnswer a = ask(r);
    if (!a.accepted || !a.color.isValid()) {
        if (cancelError)
            raiseCancel();
        return false;
    }
    color = a.color;
    return true;
}

bool ShowPrinter(QPrinter &printer, const PrinterDialogOptions &options)
{
    bool accepted = false;
    if (!g_handler && canShowDialogs()) {
        QPrintDialog dlg(&printer, dialogParent());
        dlg.setOption(QAbstractPrintDialog::PrintPageRange, false);
        dlg.setOption(QAbstractPrintDialog::PrintSelection, options.selectionEnabled);
        if (options.selectionEnabled)
            printer.setPrintRange(QPrinter::Selection);
        accepted = dlg.exec() == QDialog::Accepted;
    } else {
        DialogRequest r;
        r.kind = DialogKind::Printer;
        r.selectionEnabled = options.selectionEnabled;
        const DialogAnswer a = ask(r);
        accepted = a.accepted;
        if (accepted) {
            if (!a.pdfFile.isEmpty()) {
                printer.setOutputFormat(QPrinter::PdfFormat);
                printer.setOutputFileName(absolute(a.pdfFile));
            } else if (!a.printerName.isEmpty()) {
                printer.setOutputFormat(QPrinter::NativeFormat);
                printer.setPrinterName(a.printerName);
            }
            printer.setPrintRange(options.selectionEnabled && a.printSelection
                                      ? QPrinter::Selection
                                      : QPrinter::AllPages);
        }
    }
    if (!accepted && options.cancelError)
        raiseCancel();
    return accepted;
}

QString dialogKindName(DialogKind kind)
{
    switch (kind) {
    case DialogKind::MsgBox: return QStringLiteral("MsgBox");
    case DialogKind::InputBox: return QStringLiteral("InputBox");
    case DialogKind::PasswordBox: return QStringLiteral("PasswordBox");
    case DialogKind::FileOpen: return QStringLiteral("FileOpen");
    case DialogKind::FileSave: return QStringLiteral("FileSave");
    case DialogKind::Font: return QStringLiteral("Font");
    case DialogKind::Color: return QStringLiteral("Color");
    case DialogKind::Printer: return QStringLiteral("Printer");
    }
    return QStringLiteral("?");
}

DialogAnswer DialogAnswer::result(int button)
{
    DialogAnswer a;
    a.button = button;
    a.accepted = button != vbCancel;
    return a;
}

DialogAnswer DialogAnswer::entry(const QString &text)
{
    DialogAnswer a;
    a.text = text;
    return a;
}

DialogAnswer DialogAnswer::cancel()
{
    DialogAnswer a;
    a.accepted = false;
    a.button = vbCancel;
    return a;
}

DialogAnswer DialogAnswer::file(const QString &path)
{
    if (path.isEmpty())
        return cancel();
    return entry(path);
}

DialogAnswer DialogAnswer::chosenFont(const FontChoice &font)
{
    DialogAnswer a;
    a.font = font;
    return a;
}

DialogAnswer DialogAnswer::chosenColor(const QColor &color)
{
    DialogAnswer a;
    a.color = color;
    return a;
}

DialogAnswer DialogAnswer::printer(const QString &pdfFile, bool selection)
{
    DialogAnswer a;
    a.pdfFile = pdfFile;
    a.printSelection = selection;
    return a;
}

DialogHandler::~DialogHandler() = default;

DialogHandler *setDialogHandler(DialogHandler *handler)
{
    DialogHandler *previous = g_handler;
    g_handler = handler;
    return previous;
}

DialogHandler *dialogHandler()
{
    return g_handler ? g_handler : static_cast<DialogHandler *>(&builtIn());
}

bool canShowDialogs()
{
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()))
        return false;
    const QString platform = QGuiApplication::platformName();
    return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

} // namespace vb
