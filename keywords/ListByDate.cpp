#include "ListByDate.h"

#include "DaoReads.h"
#include "Start.h"
#include "WindowLinks.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
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
    // Both columns come from indexes that hold them beside the row's
    // number: the date index gives the order and the dates, the key index
    // the keys. Neither pass reads the table itself, whose rows carry the
    // cards' texts and would cost a page or more each.
    std::vector<qint64> ids;
    std::vector<QStringList> cards;
    const dao::ReadScope scope(g_Db);
    QVariant lastDate;
    QString lastText;
    dao::ScanIndex(g_Db, table, QStringLiteral("Jour"), {counter, dateField}, true, [&](const QVariantList &row) {
        ids.push_back(row.at(0).toLongLong());
        // The index holds equal dates side by side: each is written out once.
        const QVariant &date = row.at(1);
        if (cards.empty() || date != lastDate) {
            lastDate = date;
            lastText = DateText(date);
        }
        cards.push_back(QStringList{lastText, QString()});
        return true;
    });
    // Where each row goes: by its number when the numbers are dense, as
    // they are in a base that is written to, else through a hash.
    const qint64 top = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    const bool dense = top >= 0 && top <= qint64(ids.size()) * 4 + 1024;
    std::vector<qsizetype> denseAt(dense ? size_t(top) + 1 : 0, -1);
    QHash<qint64, qsizetype> sparseAt;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (dense && ids[i] >= 0)
            denseAt[size_t(ids[i])] = qsizetype(i);
        else
            sparseAt.insert(ids[i], qsizetype(i));
    }
    auto placeOf = [&](qint64 id) -> qsizetype {
        if (dense && id >= 0 && id <= top)
            return denseAt[size_t(id)];
        return sparseAt.value(id, -1);
    };
    dao::ScanIndex(g_Db, table, keyIndex, {counter, keyField}, false, [&](const QVariantList &row) {
        const qsizetype at = placeOf(row.at(0).toLongLong());
        if (at >= 0)
            cards[size_t(at)][1] = row.at(1).toString();
        return true;
    });
    QList<QStringList> rows;
    rows.reserve(qsizetype(cards.size()));
    for (QStringList &c : cards)
        rows.append(std::move(c));
    rs.setIndex(keyIndex);
    return rows;
}

void ListNotesByDate() { ShowDateList(CardsByDate(CardType::Note)); }
void ListCitsByDate() { ShowDateList(CardsByDate(CardType::Quote)); }
void ListRefsByDate() { ShowDateList(CardsByDate(CardType::Reference)); }

} // namespace keywords
