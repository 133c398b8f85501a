#pragma once
// The rich-text box of the note and quote cards: a text editor whose members
// read the way the cards use them (Text, TextRTF, SelStart, SelBold, ...).
// Its markup is our own RTF; it never takes HTML in, so that nothing pasted
// or dropped can make it load local files.

#include <QString>
#include <QWidget>

#include <optional>

class QColor;
class QPrinter;
class QTextCharFormat;
class QTextDocument;
class QTextEdit;

namespace vb {

class RichTextBox : public QWidget {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    // The plain text, "\n" for each paragraph or line break, so that each
    // position in it is the same position for SelStart.
    QString Text() const;
    // Plain text only ("\r\n" and "\r" end paragraphs too); see setTextRTF for
    // a value that may be markup.
    void setText(const QString &plain);

    // The whole text as our RTF.
    QString TextRTF() const;
    // A value that is RTF markup shows formatted; any other goes in as plain.
    void setTextRTF(const QString &value);

    // Selection, counted from 0 in Text. A negative value is refused with
    // error 380; a value past the end is clamped to the end. Setting SelStart
    // collapses the selection; SelLength extends it from SelStart.
    int SelStart() const;
    void setSelStart(int start);
    int SelLength() const;
    void setSelLength(int length);

    // Formats of the selection (of what is typed next when nothing is
    // selected). A selection that is not uniform reads as no value. A set
    // applies to the selection, or to what is typed next.
    std::optional<QString> SelFontName() const;
    void setSelFontName(const QString &name);
    std::optional<double> SelFontSize() const; // points
    void setSelFontSize(double points);
    std::optional<bool> SelBold() const;
    void setSelBold(bool on);
    std::optional<bool> SelItalic() const;
    void setSelItalic(bool on);
    std::optional<bool> SelUnderline() const;
    void setSelUnderline(bool on);
    std::optional<bool> SelStrikeThru() const;
    void setSelStrikeThru(bool on);
    // Colours are OLE colour values (0x00BBGGRR), as the colour and font
    // dialogs hand them over.
    std::optional<qint32> SelColor() const;
    void setSelColor(qint32 bgr);
    // Left indent in twips of the paragraphs the selection touches.
    std::optional<int> SelIndent() const;
    void setSelIndent(int twips);

    // Replaces the whole text with an RTF file. Fails with vb::Error (53 no
    // such file, 75 unreadable, 7 too large, 321 not RTF), leaving the box
    // as it was.
    void LoadFile(const QString &path);
    // Writes the whole text as RTF; fails with vb::Error 76 or 75, leaving any
    // previous file as it was.
    void SaveFile(const QString &path) const;

    // Prints the selection when the printer's range is "Selection" and text is
    // selected, otherwise the whole text.
    void SelPrint(QPrinter &printer) const;

    static QColor colorFromOle(qint32 bgr);
    static qint32 oleFromColor(const QColor &color);

    QTextEdit *editor() const { return m_edit; }
    QTextDocument *document() const;

signals:
    // On typing, on every set of the text, on loading and on a format change.
    void Change();

private:
    class QuietChange;
    QTextCharFormat effectiveFormat(const QTextCharFormat &f) const;
    template <class T, class Get>
    std::optional<T> uniform(Get get) const;
    void applyCharFormat(const QTextCharFormat &f);
    // Fills the document and cuts its long paragraphs (see LongParagraphs.h).
    template <class Fill>
    void fill(Fill fillDocument);
    int textLength() const;
    int toText(int documentPosition) const;
    int toDocument(int textPosition) const;

    QTextEdit *m_edit;
    int m_quiet = 0;
    bool m_pieces = false; // some paragraph is (or was) held as several blocks
};

} // namespace vb
