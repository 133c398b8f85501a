#include "ReferenceRules.h"

#include "Runtime.h"

#include <QRegularExpression>

namespace references {

QString CardCaption(const QString &firstAuthor, const QString &keyword, int number)
{
    return firstAuthor + QStringLiteral(" : ") + keyword + QStringLiteral(" (") + QString::number(number) +
           QLatin1Char(')');
}

QString DeleteKeywordPrompt(const QString &keyword)
{
    const int h = (32 - int(keyword.size())) / 2; // truncates toward zero
    const int pad = h >= 0 ? h + 1 : 0;
    return QStringLiteral("  Do you really want to delete  ") + QLatin1Char('\r') + QStringLiteral("\r\n") +
           QString(pad, QLatin1Char(' ')) + keyword + QStringLiteral("  ");
}

QString QuoteKeyFor(const QString &referenceKey, int i)
{
    return vb::UCase(vb::KeyPrefix(referenceKey, 5)) + vb::Format(i, QStringLiteral("000")) + QStringLiteral(".TXT");
}

QString TypeToShow(const QString &storedType)
{
    return storedType.isEmpty() ? QStringLiteral("No Type") : storedType;
}

DetailFrame FrameForType(const QString &typeText)
{
    if (typeText == QLatin1String("Book"))
        return DetailFrame::Book;
    if (typeText == QLatin1String("Article"))
        return DetailFrame::Article;
    return DetailFrame::Other;
}

ViewGeometry CompleteViewGeometry(DetailFrame frame, int frameHeight, int frameTop)
{
    ViewGeometry g;
    if (frame == DetailFrame::Book) {
        g.cardHeight = frameHeight + frameTop + 1000;
        g.commandsTop = g.cardHeight - 1500;
    } else {
        g.cardHeight = frameHeight + frameTop + 500;
        g.commandsTop = g.cardHeight - 1000;
    }
    return g;
}

NumberBox ParseNumberBox(const QString &label, const QString &text, qint64 min, qint64 max)
{
    NumberBox box;
    const QString t = text.trimmed();
    if (t.isEmpty())
        return box; // Null
    static const QRegularExpression whole(QStringLiteral("^[+-]?[0-9]{1,18}$"));
    bool ok = whole.match(t).hasMatch();
    qint64 v = 0;
    if (ok)
        v = t.toLongLong(&ok);
    if (!ok || v < min || v > max) {
        box.error = QStringLiteral("The box \"%1\" must hold a whole number from %2 to %3, or nothing.")
                        .arg(label)
                        .arg(min)
                        .arg(max);
        return box;
    }
    box.value = int(v); // both ranges in use fit a 32-bit int
    return box;
}

std::optional<QString> TooLongMessage(const QString &label, const QString &text, int size)
{
    if (text.size() <= size)
        return std::nullopt;
    return QStringLiteral("The box \"%1\" holds %2 characters; it can hold no more than %3.")
        .arg(label)
        .arg(text.size())
        .arg(size);
}

std::optional<QString> DoesNotFitMessage(const QString &label, const QString &value, int size)
{
    if (value.size() <= size)
        return std::nullopt;
    return QStringLiteral("The box \"%1\" can hold no more than %2 characters; \"%3\" (%4 characters) was not put "
                          "in it.")
        .arg(label)
        .arg(size)
        .arg(value)
        .arg(value.size());
}

} // namespace references
