#include "ListByDate.h"

#include "Start.h"
#include "WindowLinks.h"

#include <QLocale>

namespace keywords {

QString DateText(const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return QString();
    const QDateTime when = value.toDateTime();
    if (!when.isValid())
        return value.toString();
    const QLocale locale = QLocale::system();
    if (when.time() == QTime(0, 0))
        return locale.toString(when.date(), QLocale::ShortFormat);
    return locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(when.time(), QLocale::LongFormat);
}

QList<QStringList> CardsByDate(CardType type)
{
    dao::Recordset rs = type == CardType::Note ? rsNote : type == CardType::Quote ? rsCit : rsBiblio;
    const QString dateField = type == CardType::Reference ? QStringLiteral("DATE") : QStringLiteral("JOUR");
    const QString keyField = type == CardType::Reference ? QStringLiteral("NDX") : QStringLiteral("CIT");
    const QString keyIndex = type == CardType::Note    ? QStringLiteral("NoteNDX")
                             : type == CardType::Quote ? QStringLiteral("CitNDX")
                                                       : QStringLiteral("BibNDX");
    QList<QStringList> rows;
    rs.setIndex(QStringLiteral("Jour"));
    if (rs.RecordCount() > 0) {
        const dao::Field date = rs.Fields(dateField);
        const dao::Field key = rs.Fields(keyField);
        for (rs.MoveLast(); !rs.Bof(); rs.MovePrevious())
            rows.append(QStringList{DateText(date.Value()), key.Value().toString()});
    }
    rs.setIndex(keyIndex);
    return rows;
}

void ListNotesByDate() { ShowDateList(CardsByDate(CardType::Note)); }
void ListCitsByDate() { ShowDateList(CardsByDate(CardType::Quote)); }
void ListRefsByDate() { ShowDateList(CardsByDate(CardType::Reference)); }

} // namespace keywords
