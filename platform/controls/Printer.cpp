#include "Printer.h"

#include "Error.h"

#include <QFileInfo>
#include <QCoreApplication>
#include <QPainter>
#include <QPrinterInfo>

namespace vb {

namespace {
[[noreturn]] void printerError(const QString &why)
{
    raise(ErrPrinter, QStringLiteral("Printer error"), why);
}
} // namespace

Printer &Printer::instance()
{
    static Printer p;
    return p;
}

Printer::Printer()
    : m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
    , m_font(QStringLiteral("Sans Serif"), 10)
{
    // The printer and its engine must go before the application does, not
    // with the other statics after it.
    qAddPostRoutine([] {
        Printer &p = instance();
        p.m_painter.reset();
        p.m_printer.reset();
    });
}

QStringList Printer::printerNames() const { return QPrinterInfo::availablePrinterNames(); }

void Printer::setPrinterName(const QString &name)
{
    if (m_started)
        printerError(QStringLiteral("a job is under way"));
    m_printer->setOutputFormat(QPrinter::NativeFormat);
    m_printer->setPrinterName(name);
}

void Printer::setPdfOutput(const QString &fileName)
{
    if (m_started)
        printerError(QStringLiteral("a job is under way"));
    m_printer->setOutputFormat(QPrinter::PdfFormat);
    m_printer->setOutputFileName(QFileInfo(fileName).absoluteFilePath());
}

QPainter &Printer::painter()
{
    if (!m_painter) {
        if (m_printer->outputFormat() == QPrinter::PdfFormat && m_printer->outputFileName().isEmpty())
            printerError(QStringLiteral("no printer and no file to print to"));
        auto p = std::make_unique<QPainter>();
        if (!p->begin(m_printer.get()))
            printerError(QStringLiteral("the printer could not start the job"));
        m_painter = std::move(p);
        m_painter->setFont(QFont(m_font, m_printer.get()));
        m_started = true;
    }
    return *m_painter;
}

void Printer::print(const QString &text)
{
    m_started = true;
    // An empty line still takes its height, but only once a page is open.
    const QStringList lines = QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")).split(QLatin1Char('\n'));
    if (text.isEmpty() && !m_painter) {
        return;
    }
    QPainter &p = painter();
    const QFontMetricsF fm(p.font());
    const double pageHeight = m_printer->pageLayout().paintRectPixels(m_printer->resolution()).height();
    for (const QString &line : lines) {
        if (m_y + fm.height() > pageHeight && m_y > 0)
            newPage();
        p.drawText(QPointF(0, m_y + fm.ascent()), line);
        m_y += fm.lineSpacing();
    }
}

void Printer::newPage()
{
    QPainter &p = painter();
    Q_UNUSED(p)
    if (!m_printer->newPage())
        printerError(QStringLiteral("no new page"));
    m_y = 0;
}

void Printer::endDoc()
{
    m_started = false;
    m_y = 0;
    if (m_painter) {
        const bool ok = m_painter->end();
        m_painter.reset();
        if (!ok)
            printerError(QStringLiteral("the job could not be finished"));
    }
}

void Printer::killDoc()
{
    if (m_painter) {
        m_printer->abort();
        m_painter->end();
        m_painter.reset();
    }
    m_started = false;
    m_y = 0;
}

double Printer::currentY() const
{
    return m_y * 1440.0 / m_printer->resolution();
}

} // namespace vb
