#include "CardRules.h"

#include "Runtime.h"

namespace cards {

QString cardCaption(const QString &first, const QString &searchText, int number)
{
    return first + QStringLiteral(" : ") + QLatin1Char('\'') + searchText + QLatin1Char('\'') +
           QStringLiteral(" (") + QString::number(number) + QLatin1Char(')');
}

QString suppQuestion(const QString &keyword, CardType type)
{
    const int length = int(keyword.size());
    const int q = type == CardType::Quote ? int(vb::roundHalfEven((32 - length) / 2.0))
                                          : (32 - length) / 2; // C++ truncates toward zero too
    const QString blanks = q < 0 ? QString() : QString(q + 1, QLatin1Char(' '));
    return QStringLiteral("  Do you really want to delete  ") + QStringLiteral("\r\r\n") + blanks +
           keyword + QStringLiteral("  ");
}

QString closeQuestion(CardType type)
{
    return type == CardType::Quote ? QStringLiteral("The data have changed - do you want to save?")
                                   : QStringLiteral("The data have changed - do you want save?");
}

std::optional<TextSelection> hitSelection(int hit, int termLength, int textLength)
{
    if (hit < 1)
        return std::nullopt;
    TextSelection s;
    s.start = qMin(hit - 1, qMax(textLength, 0));
    s.length = qBound(0, termLength, qMax(textLength, 0) - s.start);
    return s;
}

int documentHitPosition(const QString &stored, int hit)
{
    if (hit < 1)
        return hit;
    const int before = int(qMin<qsizetype>(hit - 1, stored.size()));
    return hit - int(QStringView(stored).left(before).count(QStringLiteral("\r\n")));
}

CardPlacement cardPlacement(double mainWidth, double mainHeight, double leftPanel, double width,
                            double height)
{
    CardPlacement p;
    p.left = vb::intDiv(vb::roundHalfEven(mainWidth - width), 2) - vb::intDiv(vb::roundHalfEven(leftPanel), 2);
    p.top = vb::intDiv(vb::roundHalfEven(mainHeight - height), 8);
    return p;
}

int cardNumberOf(const QString &fenNum)
{
    bool ok = false;
    const int n = fenNum.trimmed().toInt(&ok);
    return ok && n > 0 ? n : 0;
}

double stretchedSize(double window, double offset, double margin)
{
    return qMax(0.0, window - offset - margin);
}

} // namespace cards
