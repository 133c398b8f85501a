#pragma once
// The runtime's Printer: one per program, printing to a real printer or to a
// PDF file. Print writes lines down the page; the first Print starts the job
// and EndDoc sends it. A caller that draws by itself (a rich text box
// printing its document) takes device() between Print "" and EndDoc:
// Print "" starts the job without taking the device.
//
// Failures raise 482 "Printer error".

#include <QFont>
#include <QPrinter>
#include <QStringList>
#include <memory>

class QPainter;

namespace vb {

enum : int { ErrPrinter = 482 };

class Printer {
public:
    static Printer &instance();

    QPrinter &device() { return *m_printer; }
    QStringList printerNames() const;
    void setPrinterName(const QString &name);
    // From now on, print into this PDF file.
    void setPdfOutput(const QString &fileName);

    QFont font() const { return m_font; }
    void setFont(const QFont &font) { m_font = font; }

    // Writes the text at the current line and moves to the next (several
    // lines for a text with line breaks); a new page when the page is full.
    void print(const QString &text = QString());
    void newPage();
    // Ends the job and sends it; nothing happens when nothing was started.
    void endDoc();
    // Drops the job.
    void killDoc();
    bool isPrinting() const { return m_started; }
    // Where the next line goes, in twips from the top of the printable area.
    double currentY() const;

private:
    Printer();
    QPainter &painter();
    std::unique_ptr<QPrinter> m_printer;
    std::unique_ptr<QPainter> m_painter;
    QFont m_font;
    bool m_started = false;
    double m_y = 0; // device pixels
};

inline Printer &printer() { return Printer::instance(); }

} // namespace vb
