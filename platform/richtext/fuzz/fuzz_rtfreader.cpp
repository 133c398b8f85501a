// libFuzzer target for the RTF reader. Besides not crashing, whatever the
// reader makes of the input must survive our writer: the text read back from
// the written markup is the text that was read.
#include "RtfReader.h"
#include "RtfWriter.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data),
                                                     static_cast<qsizetype>(size));
    QTextDocument doc;
    if (!rtf::read(input, doc))
        return 0;
    const QString text = doc.toPlainText();

    QTextDocument back;
    if (!rtf::read(rtf::write(doc), back) || back.toPlainText() != text) {
        std::fprintf(stderr, "round trip changed the text\n");
        std::abort();
    }

    // The same markup held as a string takes the other path through the lexer.
    QTextDocument fromString;
    rtf::read(QString::fromLatin1(input), fromString);
    return 0;
}
