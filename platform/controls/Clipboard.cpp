#include "Clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace vb {

namespace {
QClipboard *board()
{
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                          : nullptr;
}
} // namespace

QString Clipboard::getText()
{
    QClipboard *c = board();
    return c ? c->text() : QString();
}

void Clipboard::setText(const QString &text)
{
    if (QClipboard *c = board())
        c->setText(text);
}

void Clipboard::clear()
{
    if (QClipboard *c = board())
        c->clear();
}

} // namespace vb
