#include "CardRecords.h"

#include "CardTables.h"
#include "Dao.h"
#include "DaoErrors.h"
#include "DaoReads.h"
#include "Dialogs.h"
#include "Error.h"
#include "Runtime.h"
#include "Start.h"
#include "RowUpdate.h"

#include <QList>

namespace cards {

namespace {

QString text(const dao::Field &f)
{
    const QVariant v = f.Value();
    return v.isValid() ? v.toString() : QString();
}

[[noreturn]] void cardGone() { vb::raise(kCardGoneError, QString::fromLatin1(kCardGone)); }

void seekOrRaise(CardType type, const QString &key)
{
    if (!seekCard(type, key))
        cardGone();
}

// One column a card's store writes, as the table names it, and the value
// of the edits that goes there (none: the column stays as it is). The store
// writes these and the stamp digests these very columns, so that no column
// is written without its change by another window being seen first.
struct Written {
    QString column;
    std::optional<QString> value;
};
QList<Written> writtenColumns(CardType type, const CardEdits &e)
{
    if (type == CardType::Note)
        return {{QStringLiteral("AUTEUR"), e.author},
                {QStringLiteral("TITRE1"), e.title},
                {QStringLiteral("Texte"), e.plainText},
                {QStringLiteral("TEXTRTF"), e.richText}};
    return {{QStringLiteral("Titre1"), e.title},
            {QStringLiteral("Texte"), e.plainText},
            {QStringLiteral("TEXTRTF"), e.richText}};
}

// What a record holds in the columns its store writes, as edits.
CardEdits asEdits(CardType type, const CardRecord &r)
{
    CardEdits e{std::nullopt, r.title, r.plainText, r.richText};
    if (type == CardType::Note)
        e.author = r.author;
    return e;
}

} // namespace

std::optional<CardStamp> readCardStamp(CardType type, const QString &key)
{
    const CardTables t = cardTablesOf(type);
    QStringList columns{t.counter};
    for (const Written &w : writtenColumns(type, CardEdits{}))
        columns << w.column;
    dao::KeyReader reader(g_Db, t.cards.Name(), t.cardIndex, columns);
    std::optional<CardStamp> stamp;
    reader.read(key, [&](const dao::RowView &row) {
        // Null and an empty text read alike in a card's boxes: they digest
        // alike.
        QStringList values;
        for (int i = 1; i < columns.size(); ++i)
            values << row.text(i);
        // The counter as its Field gives it, as the opener reads it.
        stamp = CardStamp{row.value(0).toLongLong(), vb::DigestOfTexts(values)};
        return false; // the key is unique: its first row is the record
    });
    return stamp;
}

CardStamp stampOf(CardType type, const CardRecord &record)
{
    QStringList values;
    for (const Written &w : writtenColumns(type, asEdits(type, record)))
        values << w.value.value_or(QString());
    return CardStamp{record.counter, vb::DigestOfTexts(values)};
}

void checkSameCard(CardType type, const QString &key, qint64 counter)
{
    const std::optional<CardStamp> now = readCardStamp(type, key);
    if (!now || now->counter != counter)
        cardGone();
}

namespace {

// Walks the links of one card from its first row on the by-card index.
template <class F> void forEachLinkOf(CardType type, const QString &key, F &&visit)
{
    const CardTables t = cardTablesOf(type);
    dao::Recordset rs = t.links;
    rs.setIndex(t.linksByCard);
    rs.Seek(QStringLiteral("="), key);
    if (rs.NoMatch())
        return;
    const dao::Field ndx = rs.Fields(QStringLiteral("NDX"));
    const dao::Field groupe = rs.Fields(QStringLiteral("GROUPE"));
    while (!rs.Eof()) {
        if (dao::compareText(text(ndx), key) != 0)
            break;
        if (!visit(rs, text(groupe)))
            break;
        rs.MoveNext();
    }
}

} // namespace

dao::Recordset cardTable(CardType type) { return cardTablesOf(type).cards; }

QString keyIndexName(CardType type) { return cardTablesOf(type).cardIndex; }

bool seekCard(CardType type, const QString &key)
{
    dao::Recordset rs = cardTable(type);
    rs.setIndex(keyIndexName(type));
    rs.Seek(QStringLiteral("="), key);
    return !rs.NoMatch();
}

CardRecord readCurrentCard(CardType type)
{
    CardRecord r;
    if (type == CardType::Note) {
        r.key = text(fldNoteCit);
        r.author = text(fldNoteAuteur);
        r.title = text(fldNoteTitre1);
        r.plainText = text(fldNoteTexte);
        r.richText = text(fldNoteTextRtf);
        r.text = r.richText.isEmpty() ? r.plainText : r.richText;
        r.date = vb::DateText(fldNoteJour.Value());
        r.counter = fldNoteNoteCount.Value().toLongLong();
    } else if (type == CardType::Quote) {
        r.key = text(fldCitCit);
        r.author = text(fldCitAuteur);
        r.title = text(fldCitTitre1);
        r.plainText = text(fldCitTexte);
        r.richText = text(fldCitTextRtf);
        r.text = r.richText.isEmpty() ? r.plainText : r.richText;
        r.date = vb::DateText(fldCitJour.Value());
        r.referenceKey = text(fldCitNdx);
        r.counter = fldCitCitCount.Value().toLongLong();
    } else {
        r.key = text(fldBiblioNdx);
        r.author = text(fldBiblioAuteur);
        r.title = text(fldBiblioTitre1);
        r.counter = fldBiblioBiblioCount.Value().toLongLong();
    }
    return r;
}

QStringList readCardKeywords(CardType type, const QString &key)
{
    QStringList out;
    forEachLinkOf(type, key, [&](dao::Recordset &, const QString &keyword) {
        out << keyword;
        // Beyond the card's positions the walk stops cleanly.
        return out.size() < kMaxCardKeywords;
    });
    return out;
}

QStringList readReferenceAuthors(const QString &referenceKey)
{
    QStringList out;
    rsAutNdx.setIndex(QStringLiteral("AutNDX"));
    rsAutNdx.Seek(QStringLiteral("="), referenceKey);
    if (rsAutNdx.NoMatch())
        return out;
    while (!rsAutNdx.Eof() && out.size() < kMaxCardAuthors) {
        if (dao::compareText(text(fldAutNdxNdx), referenceKey) != 0)
            break;
        out << text(fldAutNdxAuteur);
        rsAutNdx.MoveNext();
    }
    return out;
}

bool storeCard(CardType type, const QString &key, const CardEdits &edits, CardStamp &stamp)
{
    // Read, compare and write under one transaction: the base's lock keeps
    // any other writer out until the write is in.
    dao::TransactionScope transaction;
    const std::optional<CardStamp> now = readCardStamp(type, key);
    if (!now || now->counter != stamp.counter)
        cardGone();
    if (now->digest != stamp.digest) {
        stamp = *now;
        return false;
    }
    seekOrRaise(type, key);
    dao::Recordset rs = cardTable(type);
    dao::RowUpdate row(rs, dao::RowUpdate::Edit);
    for (const Written &w : writtenColumns(type, edits))
        if (w.value)
            rs.Fields(w.column).setValue(*w.value);
    row.Update();
    const CardStamp written = readCardStamp(type, key).value_or(stamp);
    transaction.Commit();
    stamp = written;
    return true;
}

void deleteCard(CardType type, const QString &key, std::optional<qint64> counter)
{
    dao::TransactionScope transaction;
    if (counter)
        checkSameCard(type, key, *counter);
    seekOrRaise(type, key);
    forEachLinkOf(type, key, [](dao::Recordset &links, const QString &) {
        links.Delete();
        return true;
    });
    seekOrRaise(type, key);
    dao::Recordset rs = cardTable(type);
    rs.Delete();
    transaction.Commit();
    // The shared cursor stands on the card before, as the lists expect.
    vb::errorOf([&] {
        if (!rs.Bof())
            rs.MovePrevious();
    });
}

int removeKeywordLinks(CardType type, const QString &key, const QString &keyword)
{
    int removed = 0;
    forEachLinkOf(type, key, [&](dao::Recordset &links, const QString &linked) {
        if (linked == keyword) {
            links.Delete();
            ++removed;
        }
        return true;
    });
    return removed;
}

QString writeFailureText(const vb::Error &error)
{
    if (error.number() == 3027)
        return QString::fromLatin1(kReadOnly);
    return error.description();
}

void reportWriteFailure(const vb::Error &error)
{
    vb::MsgBox(writeFailureText(error), vb::vbExclamation);
}

} // namespace cards
