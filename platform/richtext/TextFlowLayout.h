#pragma once
// The rich-text box's document layout. It lays out only what is shown or
// asked for: every other paragraph has an estimated height, refined when it
// is laid out, and nothing runs in the background. A paragraph held as
// several blocks (see LongParagraphs.h) is laid out as the one paragraph it
// is, in windows (see ParagraphFlow.h): no break, indent or short justified
// line shows where its blocks meet, on screen or on a printer's pages.
//
// Qt's cursor and text control read the lines of a block's own text layout
// (the caret's place, its blinking, scrolling to it). A block that is a
// piece of a longer paragraph gets one line per character cluster there,
// each placed where that cluster shows, so that what they read is where the
// text is. Moving up, down, to a line's start or end and by pages asks this
// layout (lineAt, hitTest): the box's editor does that itself.

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

#include <memory>
#include <vector>

namespace textflow {

class TextFlowLayout : public QAbstractTextDocumentLayout {
    Q_OBJECT
public:
    explicit TextFlowLayout(QTextDocument *document);
    ~TextFlowLayout() override;

    void draw(QPainter *painter, const PaintContext &context) override;
    int hitTest(const QPointF &point, Qt::HitTestAccuracy accuracy) const override;
    int pageCount() const override;
    QSizeF documentSize() const override;
    QRectF frameBoundingRect(QTextFrame *frame) const override;
    QRectF blockBoundingRect(const QTextBlock &block) const override;

    // A line as shown: document positions [start, end) (trailing spaces
    // included) and its rectangle in document coordinates.
    struct Line {
        int start = 0;
        int end = 0;
        QRectF rect;
        bool lastOfParagraph = false;
        bool valid() const { return rect.isValid(); }
    };
    // The line showing the position (a position at a soft line break shows
    // at the start of the next line), laid out as needed.
    Line lineAt(int position) const;
    // The lines above and below a line (invalid at the document's ends).
    Line lineAbove(const Line &line) const;
    Line lineBelow(const Line &line) const;
    // Where the caret shows at the position.
    QRectF caretRect(int position) const;

protected:
    void documentChanged(int from, int charsRemoved, int charsAdded) override;

private:
    class Private;
    std::unique_ptr<Private> d;
};

} // namespace textflow
