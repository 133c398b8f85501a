#include "RichTextBox.h"

#include "Error.h"
#include "LongParagraphs.h"
#include "RtfReader.h"
#include "RtfWriter.h"
#include "TextFlowLayout.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontInfo>
#include <QApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QPrinter>
#include <QSaveFile>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextFragment>
#include <QTextFrame>
#include <QAbstractTextDocumentLayout>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <memory>

namespace vb {

namespace {

constexpr int ErrInvalidPropertyValue = 380;
constexpr int ErrInvalidFileFormat = 321;
// Card texts are a few pages; a file far beyond that is not one of them and
// would only stall the box.
constexpr qint64 kMaxRtfBytes = 64 * 1024 * 1024;
constexpr double kMaxPointSize = 1638;

const char *const kRtfMimeTypes[] = {"text/rtf", "application/rtf", "text/richtext"};

QByteArray rtfFrom(const QMimeData *source)
{
    for (const char *type : kRtfMimeTypes) {
        if (source->hasFormat(QLatin1String(type)))
            return source->data(QLatin1String(type));
    }
    return {};
}

// The editor inside the box: it takes plain text and RTF from the clipboard
// and from drops, never HTML or images, and loads no resources at all.
class Editor : public QTextEdit {
public:
    using QTextEdit::QTextEdit;

    // Told when a paste held a long paragraph in pieces.
    std::function<void()> piecesAdded;

protected:
    void keyPressEvent(QKeyEvent *e) override
    {
        // Moves by lines are this editor's own: a paragraph held as pieces
        // shows as one, and only its layout knows its lines.
        if (moveByLines(e))
            return;
        if (e->key() != Qt::Key_Shift && e->key() != Qt::Key_Control && e->key() != Qt::Key_Alt
            && e->key() != Qt::Key_Meta)
            m_goalX.reset(); // a column kept for up and down is for those moves only
        // The break between the pieces of a long paragraph is no character:
        // Backspace and Delete take the character beyond it.
        QTextCursor c = textCursor();
        const bool deleteBack = e->matches(QKeySequence::DeleteStartOfWord)
                                || (e->key() == Qt::Key_Backspace && e->modifiers() == Qt::NoModifier);
        const bool deleteForward = e->matches(QKeySequence::DeleteEndOfWord)
                                   || (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier);
        if (!c.hasSelection()) {
            if (deleteBack && c.atBlockStart() && c.block().previous().isValid()
                && rtf::continuesParagraph(c.block())) {
                c.movePosition(QTextCursor::PreviousCharacter);
                setTextCursor(c);
            } else if (deleteForward && c.atBlockEnd() && rtf::continuesParagraph(c.block().next())) {
                c.movePosition(QTextCursor::NextCharacter);
                setTextCursor(c);
            }
        }
        const int before = textCursor().position();
        QTextEdit::keyPressEvent(e);
        // A move that only crossed the break between two pieces moved the
        // caret nowhere the user can see: it goes on.
        if (isHorizontalMove(e) && crossedOnlyAPieceBreak(before, textCursor().position()))
            QTextEdit::keyPressEvent(e);
        if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            // A paragraph the user begins is a paragraph of its own.
            QTextCursor now = textCursor();
            if (now.atBlockStart() && rtf::continuesParagraph(now.block())) {
                now.joinPreviousEditBlock();
                endContinuation(now);
                now.endEditBlock();
            }
        }
    }

    void mouseDoubleClickEvent(QMouseEvent *e) override
    {
        QTextEdit::mouseDoubleClickEvent(e);
        m_doubleClick.start();
        m_doubleClickAt = e->position();
    }

    void mousePressEvent(QMouseEvent *e) override
    {
        // A third click selects the paragraph, as the text control selects
        // its block: the whole paragraph shown, not one of its pieces.
        const bool third = e->button() == Qt::LeftButton && m_doubleClick.isValid()
                           && m_doubleClick.elapsed() < QApplication::doubleClickInterval()
                           && (e->position() - m_doubleClickAt).manhattanLength() < QApplication::startDragDistance();
        m_doubleClick.invalidate();
        QTextEdit::mousePressEvent(e);
        QTextCursor c = textCursor();
        if (!third || !c.hasSelection())
            return;
        QTextBlock first = document()->findBlock(c.selectionStart());
        QTextBlock last = first;
        while (first.previous().isValid() && rtf::continuesParagraph(first))
            first = first.previous();
        while (last.next().isValid() && rtf::continuesParagraph(last.next()))
            last = last.next();
        if (first == last)
            return;
        c.setPosition(first.position());
        c.setPosition(std::min(last.position() + last.length(), document()->characterCount() - 1),
                      QTextCursor::KeepAnchor);
        setTextCursor(c);
    }

    bool canInsertFromMimeData(const QMimeData *source) const override
    {
        return source->hasText() || !rtfFrom(source).isEmpty();
    }

    void insertFromMimeData(const QMimeData *source) override
    {
        const QByteArray markup = rtfFrom(source);
        if (!markup.isEmpty() && markup.size() <= kMaxRtfBytes && rtf::looksLikeRtf(markup)) {
            QTextDocument pasted;
            pasted.setDefaultFont(document()->defaultFont());
            rtf::read(markup, pasted);
            QTextCursor c = textCursor();
            c.beginEditBlock();
            const int from = c.selectionStart();
            c.insertFragment(QTextDocumentFragment(&pasted));
            // A long paragraph pasted is held in pieces, as one read is.
            if (rtf::cutLongParagraphs(*document(), from, c.position()) > 0 && piecesAdded)
                piecesAdded();
            c.endEditBlock();
            setTextCursor(c);
            ensureCursorVisible();
            return;
        }
        if (source->hasText()) {
            // Text from other programs ends its lines in "\r\n": one break each.
            QString text = source->text();
            text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
            QTextCursor c = textCursor();
            c.beginEditBlock();
            const int from = c.selectionStart();
            c.insertText(text);
            // The lines pasted are paragraphs, whatever block they went into.
            for (QTextBlock b = document()->findBlock(from).next();
                 b.isValid() && b.position() <= c.position(); b = b.next()) {
                if (rtf::continuesParagraph(b)) {
                    QTextCursor at(b);
                    endContinuation(at);
                }
            }
            if (rtf::cutLongParagraphs(*document(), from, c.position()) > 0 && piecesAdded)
                piecesAdded();
            c.endEditBlock();
            setTextCursor(c);
            ensureCursorVisible();
        }
    }

    QMimeData *createMimeDataFromSelection() const override
    {
        const QTextDocumentFragment selection = textCursor().selection();
        auto *data = new QMimeData;
        const rtf::PieceBreaks pieces(*document());
        const QTextCursor c = textCursor();
        data->setText(pieces.isEmpty() ? selection.toPlainText()
                                       : pieces.textBetween(document()->toPlainText(),
                                                            c.selectionStart(), c.selectionEnd()));
        QTextDocument copy;
        copy.setDefaultFont(document()->defaultFont());
        QTextCursor(&copy).insertFragment(selection);
        data->setData(QLatin1String(kRtfMimeTypes[0]), rtf::write(copy));
        return data;
    }

    QVariant loadResource(int, const QUrl &) override { return {}; }

private:
    static void endContinuation(QTextCursor &at)
    {
        QTextBlockFormat f = at.blockFormat();
        f.clearProperty(rtf::ContinuesParagraph);
        at.setBlockFormat(f);
    }

    static bool isHorizontalMove(QKeyEvent *e)
    {
        for (QKeySequence::StandardKey k :
             {QKeySequence::MoveToNextChar, QKeySequence::MoveToPreviousChar, QKeySequence::MoveToNextWord,
              QKeySequence::MoveToPreviousWord, QKeySequence::SelectNextChar, QKeySequence::SelectPreviousChar,
              QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord}) {
            if (e->matches(k))
                return true;
        }
        return false;
    }

    bool crossedOnlyAPieceBreak(int before, int after) const
    {
        if (std::abs(after - before) != 1)
            return false;
        const QTextBlock b = document()->findBlock(std::max(before, after));
        return b.position() == std::max(before, after) && rtf::continuesParagraph(b);
    }

    // Up, Down, Home, End, Page Up and Page Down, with Shift to select, as
    // the text control does them, on the lines the layout shows.
    bool moveByLines(QKeyEvent *e)
    {
        enum Move { None, Up, Down, Home, End, PageUp, PageDown };
        static const struct {
            QKeySequence::StandardKey key;
            Move move;
            bool select;
        } keys[] = {
            {QKeySequence::MoveToPreviousLine, Up, false},   {QKeySequence::SelectPreviousLine, Up, true},
            {QKeySequence::MoveToNextLine, Down, false},     {QKeySequence::SelectNextLine, Down, true},
            {QKeySequence::MoveToStartOfLine, Home, false},  {QKeySequence::SelectStartOfLine, Home, true},
            {QKeySequence::MoveToEndOfLine, End, false},     {QKeySequence::SelectEndOfLine, End, true},
            {QKeySequence::MoveToPreviousPage, PageUp, false}, {QKeySequence::SelectPreviousPage, PageUp, true},
            {QKeySequence::MoveToNextPage, PageDown, false}, {QKeySequence::SelectNextPage, PageDown, true},
        };
        Move move = None;
        bool select = false;
        for (const auto &k : keys) {
            if (e->matches(k.key)) {
                move = k.move;
                select = k.select;
                break;
            }
        }
        auto *layout = qobject_cast<textflow::TextFlowLayout *>(document()->documentLayout());
        if (move == None || !layout)
            return false;
        e->accept();
        QTextCursor c = textCursor();
        const int pos = c.position();
        const textflow::TextFlowLayout::Line line = layout->lineAt(pos);
        if (!line.valid())
            return true;
        // Up and down keep to the column they started from, as the cursor's
        // own moves do.
        const bool vertical = move != Home && move != End;
        if (!vertical || !m_goalX || m_goalFrom != pos)
            m_goalX = layout->caretRect(pos).left();
        int target = pos;
        auto onLine = [&](const textflow::TextFlowLayout::Line &l) {
            int at = layout->hitTest(QPointF(*m_goalX, l.rect.center().y()), Qt::FuzzyHit);
            at = std::clamp(at, l.start, l.end);
            // A position at a soft break shows on the next line.
            if (at == l.end && !l.lastOfParagraph && at > l.start)
                --at;
            return at;
        };
        switch (move) {
        case Home:
            target = line.start;
            break;
        case End:
            target = line.end;
            if (!line.lastOfParagraph && target > line.start && document()->characterAt(target - 1).isSpace())
                --target;
            break;
        case Up:
        case Down: {
            const textflow::TextFlowLayout::Line to = move == Up ? layout->lineAbove(line) : layout->lineBelow(line);
            if (!to.valid())
                return true;
            target = onLine(to);
            break;
        }
        case PageUp:
        case PageDown: {
            textflow::TextFlowLayout::Line at = line;
            const qreal page = viewport()->height();
            for (;;) {
                const textflow::TextFlowLayout::Line to
                    = move == PageUp ? layout->lineAbove(at) : layout->lineBelow(at);
                if (!to.valid() || std::abs(to.rect.top() - line.rect.top()) > page)
                    break;
                at = to;
            }
            if (at.start != line.start)
                verticalScrollBar()->triggerAction(move == PageUp ? QAbstractSlider::SliderPageStepSub
                                                                  : QAbstractSlider::SliderPageStepAdd);
            target = onLine(at);
            break;
        }
        case None:
            break;
        }
        c.setPosition(target, select ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
        setTextCursor(c);
        if (vertical)
            m_goalFrom = textCursor().position();
        return true;
    }

    std::optional<qreal> m_goalX;
    int m_goalFrom = -1;
    QElapsedTimer m_doubleClick;
    QPointF m_doubleClickAt;
};

} // namespace

// Several document signals make up one edit of ours; the card is told once.
class RichTextBox::QuietChange {
public:
    explicit QuietChange(RichTextBox *box) : m_box(box) { ++m_box->m_quiet; }
    ~QuietChange() { --m_box->m_quiet; }
    QuietChange(const QuietChange &) = delete;
    QuietChange &operator=(const QuietChange &) = delete;

private:
    RichTextBox *m_box;
};

RichTextBox::RichTextBox(QWidget *parent) : QWidget(parent), m_edit(new Editor(this))
{
    // Laid out where it shows, long paragraphs in windows (TextFlowLayout.h).
    m_edit->document()->setDocumentLayout(new textflow::TextFlowLayout(m_edit->document()));
    static_cast<Editor *>(m_edit)->piecesAdded = [this] { m_pieces = true; };
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    setFocusProxy(m_edit);
    m_edit->setAcceptRichText(false);
    // The interface font may name an alias ("Sans Serif") whose own family
    // has no bold face: the text takes the real family it resolves to, so
    // that bold and the font dialog work on it. Only the family is fixed.
    QFont family;
    family.setFamily(QFontInfo(m_edit->font()).family());
    m_edit->setFont(family);
    connect(m_edit, &QTextEdit::textChanged, this, [this] {
        if (m_quiet == 0)
            emit Change();
    });
}

RichTextBox::~RichTextBox() = default;

QTextDocument *RichTextBox::document() const
{
    return m_edit->document();
}

QString RichTextBox::Text() const
{
    return m_pieces ? rtf::plainText(*document()) : document()->toPlainText();
}

int RichTextBox::textLength() const
{
    const int all = document()->characterCount() - 1;
    return m_pieces ? rtf::PieceBreaks(*document()).toText(all) : all;
}

int RichTextBox::toText(int documentPosition) const
{
    return m_pieces ? rtf::PieceBreaks(*document()).toText(documentPosition) : documentPosition;
}

int RichTextBox::toDocument(int textPosition) const
{
    return m_pieces ? rtf::PieceBreaks(*document()).toDocument(textPosition) : textPosition;
}

template <class Fill>
void RichTextBox::fill(Fill fillDocument)
{
    // Nothing is laid out while the document fills; the window then lays out
    // what it shows first and the rest as it goes, in small steps.
    QTextDocument *doc = document();
    const QSizeF page = doc->pageSize();
    doc->setPageSize(QSizeF(0, 0));
    fillDocument();
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    m_pieces = rtf::cutLongParagraphs(*doc) > 0;
    doc->setUndoRedoEnabled(undo);
    m_edit->moveCursor(QTextCursor::Start);
    doc->setPageSize(page);
}

void RichTextBox::setText(const QString &plain)
{
    {
        QuietChange quiet(this);
        QString text = plain;
        text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        fill([&] { m_edit->setPlainText(text); });
    }
    emit Change();
}

QString RichTextBox::TextRTF() const
{
    return QString::fromLatin1(rtf::write(*document()));
}

void RichTextBox::setTextRTF(const QString &value)
{
    if (!rtf::looksLikeRtf(value)) {
        setText(value);
        return;
    }
    {
        QuietChange quiet(this);
        fill([&] { rtf::read(QStringView(value), *document()); });
    }
    emit Change();
}

int RichTextBox::SelStart() const
{
    return toText(m_edit->textCursor().selectionStart());
}

void RichTextBox::setSelStart(int start)
{
    if (start < 0)
        vb::raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    QTextCursor c = m_edit->textCursor();
    c.setPosition(toDocument(std::min(start, textLength())));
    m_edit->setTextCursor(c);
}

int RichTextBox::SelLength() const
{
    const QTextCursor c = m_edit->textCursor();
    return toText(c.selectionEnd()) - toText(c.selectionStart());
}

void RichTextBox::setSelLength(int length)
{
    if (length < 0)
        vb::raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    QTextCursor c = m_edit->textCursor();
    const int start = c.selectionStart();
    const int textStart = toText(start);
    c.setPosition(start);
    c.setPosition(toDocument(static_cast<int>(std::min<qint64>(qint64(textStart) + length, textLength()))),
                  QTextCursor::KeepAnchor);
    m_edit->setTextCursor(c);
}

QTextCharFormat RichTextBox::effectiveFormat(const QTextCharFormat &f) const
{
    QTextCharFormat out = f;
    out.setFont(f.font().resolve(document()->defaultFont()));
    if (f.foreground().style() == Qt::NoBrush)
        out.setForeground(m_edit->palette().color(QPalette::Text));
    return out;
}

template <class T, class Get>
std::optional<T> RichTextBox::uniform(Get get) const
{
    const QTextCursor c = m_edit->textCursor();
    if (!c.hasSelection())
        return get(effectiveFormat(m_edit->currentCharFormat()));
    const int start = c.selectionStart();
    const int end = c.selectionEnd();
    std::optional<T> value;
    for (QTextBlock b = document()->findBlock(start); b.isValid() && b.position() < end;
         b = b.next()) {
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment frag = it.fragment();
            if (frag.position() + frag.length() <= start || frag.position() >= end)
                continue;
            const T v = get(effectiveFormat(frag.charFormat()));
            if (!value)
                value = v;
            else if (!(*value == v))
                return std::nullopt;
        }
    }
    if (!value) // only paragraph breaks are selected
        return get(effectiveFormat(c.charFormat()));
    return value;
}

void RichTextBox::applyCharFormat(const QTextCharFormat &f)
{
    if (!m_edit->textCursor().hasSelection()) {
        m_edit->mergeCurrentCharFormat(f); // what is typed next
        return;
    }
    {
        QuietChange quiet(this);
        m_edit->mergeCurrentCharFormat(f);
    }
    emit Change();
}

std::optional<QString> RichTextBox::SelFontName() const
{
    return uniform<QString>([](const QTextCharFormat &f) {
        const QStringList families = f.font().families();
        return families.isEmpty() ? f.font().family() : families.first();
    });
}

void RichTextBox::setSelFontName(const QString &name)
{
    QTextCharFormat f;
    f.setFontFamilies(QStringList{name});
    applyCharFormat(f);
}

std::optional<double> RichTextBox::SelFontSize() const
{
    return uniform<double>([](const QTextCharFormat &f) { return f.font().pointSizeF(); });
}

void RichTextBox::setSelFontSize(double points)
{
    if (!(points > 0) || !std::isfinite(points))
        vb::raise(ErrInvalidPropertyValue, QStringLiteral("Invalid property value"));
    QTextCharFormat f;
    f.setFontPointSize(std::min(points, kMaxPointSize));
    applyCharFormat(f);
}

std::optional<bool> RichTextBox::SelBold() const
{
    return uniform<bool>([](const QTextCharFormat &f) { return f.font().bold(); });
}

void RichTextBox::setSelBold(bool on)
{
    QTextCharFormat f;
    f.setFontWeight(on ? QFont::Bold : QFont::Normal);
    applyCharFormat(f);
}

std::optional<bool> RichTextBox::SelItalic() const
{
    return uniform<bool>([](const QTextCharFormat &f) { return f.font().italic(); });
}

void RichTextBox::setSelItalic(bool on)
{
    QTextCharFormat f;
    f.setFontItalic(on);
    applyCharFormat(f);
}

std::optional<bool> RichTextBox::SelUnderline() const
{
    return uniform<bool>([](const QTextCharFormat &f) { return f.font().underline(); });
}

void RichTextBox::setSelUnderline(bool on)
{
    QTextCharFormat f;
    f.setFontUnderline(on);
    applyCharFormat(f);
}

std::optional<bool> RichTextBox::SelStrikeThru() const
{
    return uniform<bool>([](const QTextCharFormat &f) { return f.font().strikeOut(); });
}

void RichTextBox::setSelStrikeThru(bool on)
{
    QTextCharFormat f;
    f.setFontStrikeOut(on);
    applyCharFormat(f);
}

std::optional<qint32> RichTextBox::SelColor() const
{
    return uniform<qint32>(
        [](const QTextCharFormat &f) { return oleFromColor(f.foreground().color()); });
}

void RichTextBox::setSelColor(qint32 bgr)
{
    QTextCharFormat f;
    f.setForeground(colorFromOle(bgr));
    applyCharFormat(f);
}

std::optional<int> RichTextBox::SelIndent() const
{
    const QTextCursor c = m_edit->textCursor();
    QTextBlock b = document()->findBlock(c.selectionStart());
    const QTextBlock last = document()->findBlock(c.selectionEnd());
    const int first = qRound(b.blockFormat().leftMargin() * 15);
    for (; b.isValid(); b = b.next()) {
        if (qRound(b.blockFormat().leftMargin() * 15) != first)
            return std::nullopt;
        if (b == last)
            break;
    }
    return first;
}

void RichTextBox::setSelIndent(int twips)
{
    {
        QuietChange quiet(this);
        QTextBlockFormat f;
        f.setLeftMargin(twips / 15.0);
        // Every piece of the paragraphs the selection touches: a paragraph
        // held as pieces is indented whole, as it shows and is written.
        const QTextCursor sel = m_edit->textCursor();
        QTextBlock first = document()->findBlock(sel.selectionStart());
        while (first.previous().isValid() && rtf::continuesParagraph(first))
            first = first.previous();
        QTextBlock last = document()->findBlock(sel.selectionEnd());
        while (last.next().isValid() && rtf::continuesParagraph(last.next()))
            last = last.next();
        QTextCursor c(document());
        c.setPosition(first.position());
        c.setPosition(last.position(), QTextCursor::KeepAnchor);
        c.mergeBlockFormat(f);
    }
    emit Change();
}

void RichTextBox::LoadFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        vb::raise(ErrFileNotFound, QStringLiteral("File not found"));
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        vb::raise(ErrPathAccess, QStringLiteral("Path/File access error"));
    if (file.size() > kMaxRtfBytes)
        vb::raise(ErrOutOfMemory, QStringLiteral("Out of memory"));
    const QByteArray data = file.read(kMaxRtfBytes + 1);
    if (data.size() > kMaxRtfBytes)
        vb::raise(ErrOutOfMemory, QStringLiteral("Out of memory"));
    if (file.error() != QFileDevice::NoError)
        vb::raise(ErrPathAccess, QStringLiteral("Path/File access error"));
    if (!rtf::looksLikeRtf(data))
        vb::raise(ErrInvalidFileFormat, QStringLiteral("Invalid file format"));
    {
        QuietChange quiet(this);
        fill([&] { rtf::read(data, *document()); });
    }
    emit Change();
}

void RichTextBox::SaveFile(const QString &path) const
{
    if (!QFileInfo(path).absoluteDir().exists())
        vb::raise(ErrPathNotFound, QStringLiteral("Path not found"));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        vb::raise(ErrPathAccess, QStringLiteral("Path/File access error"));
    const QByteArray data = rtf::write(*document());
    if (file.write(data) != data.size() || !file.commit())
        vb::raise(ErrPathAccess, QStringLiteral("Path/File access error"));
}

void RichTextBox::SelPrint(QPrinter &printer) const
{
    // Asked for the selection with nothing selected, the whole text is the
    // sound reading (an empty job would be the other).
    const QTextCursor cursor = m_edit->textCursor();
    std::unique_ptr<QTextDocument> doc;
    if (printer.printRange() == QPrinter::Selection && cursor.hasSelection()) {
        doc = std::make_unique<QTextDocument>();
        doc->setDefaultFont(document()->defaultFont());
        QTextCursor(doc.get()).insertFragment(cursor.selection());
    } else {
        doc.reset(document()->clone());
    }
    // Printed by the layout the box shows it with: a paragraph held as
    // pieces prints as one, and a long one takes no longer than its length.
    doc->setDocumentLayout(new textflow::TextFlowLayout(doc.get()));
    // Laid out on the printer's pages as they are: a document printed with
    // its own page size carries the text only, no page number at the foot.
    doc->documentLayout()->setPaintDevice(&printer);
    QTextFrameFormat frame = doc->rootFrame()->frameFormat();
    // 2 cm, in the screen units the layout scales to the printer.
    const QScreen *screen = QGuiApplication::primaryScreen();
    frame.setMargin(int(2 / 2.54 * (screen ? screen->logicalDotsPerInchY() : 96)));
    doc->rootFrame()->setFrameFormat(frame);
    doc->setPageSize(QSizeF(printer.width(), printer.height()));
    const QPrinter::PrintRange range = printer.printRange();
    printer.setPrintRange(QPrinter::AllPages);
    doc->print(&printer);
    printer.setPrintRange(range);
}

QColor RichTextBox::colorFromOle(qint32 bgr)
{
    return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

qint32 RichTextBox::oleFromColor(const QColor &color)
{
    const QRgb rgb = color.rgb();
    return qRed(rgb) | (qGreen(rgb) << 8) | (qBlue(rgb) << 16);
}

} // namespace vb
