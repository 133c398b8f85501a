#include "ListByDate.h"

#include "DaoReads.h"
#include "Start.h"
#include "WindowLinks.h"

#include <QHash>
#include <QLocale>

#include <vector>

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
    const QString table = rs.Name();
    const QString dateField = type == CardType::Reference ? QStringLiteral("DATE") : QStringLiteral("JOUR");
    const QString keyField = type == CardType::Reference ? QStringLiteral("NDX") : QStringLiteral("CIT");
    // The counter is the row's own number: the date index holds it.
    const QString counter = type == CardType::Note    ? QStringLiteral("NoteCount")
                            : type == CardType::Quote ? QStringLiteral("CitCount")
                                                      : QStringLiteral("BiblioCount");
    const QString keyIndex = type == CardType::Note    ? QStringLiteral("NoteNDX")
                             : type == CardType::Quote ? QStringLiteral("CitNDX")
                                                       : QStringLiteral("BibNDX");
    // The order comes from the date index alone, newest first; the rows are
    // then read in one pass in stored order. Fetching each row in date
    // order would read the table's pages in scattered order, most of them
    // several times.
    QHash<qint64, qsizetype> placeOf;
    const dao::ReadScope scope(g_Db);
    dao::ScanIndex(g_Db, table, QStringLiteral("Jour"), {counter}, true, [&](const QVariantList &row) {
        placeOf.insert(row.at(0).toLongLong(), placeOf.size());
        return true;
    });
    struct Card {
        QVariant date;
        QString key;
    };
    std::vector<Card> cards(size_t(placeOf.size()));
    dao::ScanTable(g_Db, table, {counter, dateField, keyField}, [&](const QVariantList &row) {
        const auto at = placeOf.constFind(row.at(0).toLongLong());
        if (at != placeOf.constEnd())
            cards[size_t(*at)] = {row.at(1), row.at(2).toString()};
        return true;
    });
    QList<QStringList> rows;
    rows.reserve(qsizetype(cards.size()));
    // Equal dates stand together in this order: each is written out once.
    QVariant lastDate;
    QString lastText;
    for (Card &c : cards) {
        if (rows.isEmpty() || c.date != lastDate) {
            lastText = DateText(c.date);
            lastDate = c.date;
        }
        rows.append(QStringList{lastText, std::move(c.key)});
    }
    rs.setIndex(keyIndex);
    return rows;
}

void ListNotesByDate() { ShowDateList(CardsByDate(CardType::Note)); }
void ListCitsByDate() { ShowDateList(CardsByDate(CardType::Quote)); }
void ListRefsByDate() { ShowDateList(CardsByDate(CardType::Reference)); }

} // namespace keywords
