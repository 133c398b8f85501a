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
#include <QMenu>
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

// The selection as a document of its own. A fragment leaves the paragraph
// format of the block the selection begins in behind; begun inside a group,
// that block holds the group's later paragraphs too, so it takes the
// group's format back, mark, alignment and margins.
void copySelection(const QTextCursor &selection, QTextDocument &into)
{
    QTextCursor(&into).insertFragment(selection.selection());
    const QTextBlock from = selection.document()->findBlock(selection.selectionStart());
    if (rtf::joinsParagraphs(from))
        QTextCursor(&into).setBlockFormat(from.blockFormat());
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
        // An edit works on real paragraphs: the group it reaches is split
        // first, in the same undo step, and the text control then does what
        // it does with paragraphs (a line break typed stays a line break).
        EditOfGroups edit(*this, editsText(e));
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

    void inputMethodEvent(QInputMethodEvent *e) override
    {
        EditOfGroups edit(*this, !e->commitString().isEmpty() || e->replacementLength() > 0);
        QTextEdit::inputMethodEvent(e);
    }

    void dropEvent(QDropEvent *e) override
    {
        // A move within the box takes the text away from where it was.
        EditOfGroups edit(*this, true, cursorForPosition(e->position().toPoint()).position());
        QTextEdit::dropEvent(e);
    }

    void contextMenuEvent(QContextMenuEvent *e) override
    {
        // The menu's Cut and Delete edit as the keys do.
        QMenu *menu = createStandardContextMenu(e->pos());
        for (QAction *a : menu->actions()) {
            const bool cutting = a->objectName() == QLatin1String("edit-cut");
            if (!cutting && a->objectName() != QLatin1String("edit-delete"))
                continue;
            disconnect(a, &QAction::triggered, nullptr, nullptr);
            connect(a, &QAction::triggered, this, [this, cutting] {
                EditOfGroups edit(*this, true);
                if (cutting) {
                    cut();
                } else {
                    QTextCursor c = textCursor();
                    c.removeSelectedText();
                    setTextCursor(c);
                }
            });
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->popup(e->globalPos());
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
        // Where the click fell, read before the text control selects the
        // whole block: showing a group's end may scroll the view.
        const int clicked = third ? cursorForPosition(e->position().toPoint()).position() : 0;
        const int across = horizontalScrollBar()->value();
        const int down = verticalScrollBar()->value();
        QTextEdit::mousePressEvent(e);
        QTextCursor c = textCursor();
        if (!third || !c.hasSelection())
            return;
        QTextBlock first = document()->findBlock(c.selectionStart());
        if (rtf::joinsParagraphs(first)) {
            // One paragraph of a group, its end included; the view stays on
            // it.
            horizontalScrollBar()->setValue(across);
            verticalScrollBar()->setValue(down);
            const QString text = first.text();
            const int at = clicked - first.position();
            const qsizetype from = at > 0 ? text.lastIndexOf(QChar::LineSeparator, at - 1) + 1 : 0;
            const qsizetype to = text.indexOf(QChar::LineSeparator, at);
            c.setPosition(first.position() + int(from));
            c.setPosition(to < 0 ? std::min(first.position() + first.length(), document()->characterCount() - 1)
                                 : first.position() + int(to) + 1,
                          QTextCursor::KeepAnchor);
            setTextCursor(c);
            return;
        }
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
        EditOfGroups edit(*this, true);
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
        copySelection(c, copy);
        data->setData(QLatin1String(kRtfMimeTypes[0]), rtf::write(copy));
        return data;
    }

    QVariant loadResource(int, const QUrl &) override { return {}; }

private:
    // Splits the groups an edit of the selection (and of `alsoAt`) reaches,
    // and holds that and the edit in one undo step.
    class EditOfGroups {
    public:
        EditOfGroups(Editor &editor, bool edits, int alsoAt = -1) : m_editor(editor)
        {
            if (!edits || editor.isReadOnly())
                return;
            QTextDocument *doc = editor.document();
            const QTextCursor c = editor.textCursor();
            const bool reaches = rtf::editReachesGroup(*doc, c.selectionStart(), c.selectionEnd())
                                 || (alsoAt >= 0 && rtf::editReachesGroup(*doc, alsoAt, alsoAt));
            if (!reaches)
                return;
            m_step = QTextCursor(doc);
            m_step.beginEditBlock();
            rtf::splitGroupsAt(*doc, c.selectionStart(), c.selectionEnd());
            if (alsoAt >= 0)
                rtf::splitGroupsAt(*doc, alsoAt, alsoAt);
        }
        ~EditOfGroups()
        {
            if (m_step.isNull())
                return;
            m_step.endEditBlock();
            // The control asked where the caret is while the step was open,
            // before the layout knew the edit.
            m_editor.ensureCursorVisible();
        }
        EditOfGroups(const EditOfGroups &) = delete;
        EditOfGroups &operator=(const EditOfGroups &) = delete;

    private:
        Editor &m_editor;
        QTextCursor m_step;
    };

    // Keys that change the text; moves, copying, undo and redo do not.
    static bool editsText(QKeyEvent *e)
    {
        if (e->matches(QKeySequence::Undo) || e->matches(QKeySequence::Redo) || e->matches(QKeySequence::Copy))
            return false;
        switch (e->key()) {
        case Qt::Key_Backspace:
        case Qt::Key_Delete:
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
            return true;
        default:
            break;
        }
        for (QKeySequence::StandardKey k :
             {QKeySequence::Cut, QKeySequence::Paste, QKeySequence::DeleteStartOfWord, QKeySequence::DeleteEndOfWord,
              QKeySequence::DeleteEndOfLine, QKeySequence::DeleteCompleteLine, QKeySequence::InsertLineSeparator,
              QKeySequence::InsertParagraphSeparator}) {
            if (e->matches(k))
                return true;
        }
        // By code point: a character beyond the basic plane starts with a
        // surrogate, which is no printable QChar.
        const char32_t first = e->text().isEmpty() ? 0 : e->text().toUcs4().value(0);
        return first != 0 && (QChar::isPrint(first) || first == QChar::LineSeparator);
    }

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
    // What the fill does after the text went in is no step to undo.
    const bool undo = doc->isUndoRedoEnabled();
    doc->setUndoRedoEnabled(false);
    fillDocument();
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
        // Short paragraphs go in joined (see LongParagraphs.h): a million of
        // them would take the document seconds, one block each.
        const rtf::JoinedText joined = rtf::joinShortParagraphs(text);
        text = QString();
        fill([&] {
            m_edit->setPlainText(joined.text);
            rtf::markGroups(*document(), joined.groups);
            // The text control gave the text its present character format.
            rtf::settleGroups(*document(), 0, document()->characterCount() - 1);
        });
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
        fill([&] { rtf::read(QStringView(value), *document(), rtf::Blocks::ShortOnesJoined); });
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
            // A paragraph end in a group is no character of the text, as a
            // block's end is none.
            if (rtf::joinsParagraphs(b) && frag.text().count(QChar::LineSeparator) == frag.length())
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
        QTextCursor step(document());
        step.beginEditBlock();
        m_edit->mergeCurrentCharFormat(f);
        // A paragraph end of a group now of another format than its line
        // would show otherwise than the paragraph: that group is split.
        const QTextCursor c = m_edit->textCursor();
        rtf::settleGroups(*document(), c.selectionStart(), c.selectionEnd());
        step.endEditBlock();
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
        QTextCursor step(document());
        step.beginEditBlock();
        // A group the selection begins or ends in is split: only the
        // paragraphs it touches are indented. A group between is whole.
        const QTextCursor sel = m_edit->textCursor();
        for (const int at : {sel.selectionEnd(), sel.selectionStart()})
            rtf::splitGroup(*document(), document()->findBlock(at));
        // Every piece of the paragraphs the selection touches: a paragraph
        // held as pieces is indented whole, as it shows and is written.
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
        step.endEditBlock();
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
        fill([&] { rtf::read(data, *document(), rtf::Blocks::ShortOnesJoined); });
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
        copySelection(cursor, *doc);
        // Its first block has no format of its own now, as a paragraph's.
        rtf::settleGroups(*doc, 0, doc->characterCount() - 1);
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
