#include "CardTextTools.h"

#include "Dialogs.h"
#include "Error.h"
#include "RichTextBox.h"

#include <QPrinter>

namespace cards {

namespace {

vb::FileDialogOptions rtfDialog(bool open)
{
    vb::FileDialogOptions o;
    o.filter = QString::fromLatin1(kRtfFilter);
    o.fileMustExist = open;
    o.overwritePrompt = !open;
    if (!open)
        o.defaultExt = QStringLiteral("rtf");
    return o;
}

void reportFileFailure(const vb::Error &e) { vb::MsgBox(e.description(), vb::vbExclamation); }

} // namespace

bool OpenRtfFile(vb::RichTextBox &box)
{
    const QString path = vb::ShowOpen(rtfDialog(true));
    if (path.isEmpty())
        return false;
    try {
        box.LoadFile(path);
    } catch (const vb::Error &e) {
        reportFileFailure(e);
        return false;
    }
    return true;
}

bool SaveRtfFile(vb::RichTextBox &box)
{
    const QString path = vb::ShowSave(rtfDialog(false));
    if (path.isEmpty())
        return false;
    try {
        box.SaveFile(path);
    } catch (const vb::Error &e) {
        reportFileFailure(e);
        return false;
    }
    return true;
}

bool PrintCard(vb::RichTextBox &box)
{
    QPrinter printer;
    vb::PrinterDialogOptions o;
    o.selectionEnabled = box.SelLength() != 0;
    if (!vb::ShowPrinter(printer, o))
        return false;
    box.SelPrint(printer);
    return true;
}

bool ChangeFont(vb::RichTextBox &box)
{
    // A property the selection does not have throughout stays at the
    // dialog's own value.
    vb::FontChoice f;
    if (const auto v = box.SelFontName())
        f.name = *v;
    if (const auto v = box.SelFontSize())
        f.size = *v;
    if (const auto v = box.SelBold())
        f.bold = *v;
    if (const auto v = box.SelItalic())
        f.italic = *v;
    if (const auto v = box.SelColor())
        f.color = vb::RichTextBox::colorFromOle(*v);
    if (const auto v = box.SelStrikeThru())
        f.strikethru = *v;
    if (const auto v = box.SelUnderline())
        f.underline = *v;
    if (!vb::ShowFont(f))
        return false;
    if (!f.name.isEmpty())
        box.setSelFontName(f.name);
    if (f.size > 0)
        box.setSelFontSize(f.size);
    box.setSelBold(f.bold);
    box.setSelItalic(f.italic);
    box.setSelStrikeThru(f.strikethru);
    box.setSelUnderline(f.underline);
    box.setSelColor(vb::RichTextBox::oleFromColor(f.color));
    return true;
}

} // namespace cards
