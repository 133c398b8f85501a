#include "CardRecords.h"

#include "Dao.h"
#include "DaoErrors.h"
#include "DaoReads.h"
#include "Dialogs.h"
#include "Error.h"
#include "Runtime.h"
#include "Start.h"
#include "RowUpdate.h"

#include <QCryptographicHash>

namespace cards {

namespace {

// The pieces of a kind's tables.
struct Tables {
    dao::Recordset *table;
    const char *keyIndex;
    dao::Recordset *links;
    const char *linksByCard;
    const char *linksByKeyword;
};

Tables tablesOf(CardType type)
{
    switch (type) {
    case CardType::Note: return {&rsNote, "NoteNDX", &rsGrNote, "GrNoteNDX", "GrNote"};
    case CardType::Quote: return {&rsCit, "CitNDX", &rsGrCit, "GrCitNDX", "GrCit"};
    case CardType::Reference: break;
    }
    return {&rsBiblio, "BibNDX", &rsGrBib, "GrBibNDX", "GrBib"};
}

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

// The counter and the columns a store replaces, as the table names them.
QStringList stampColumns(CardType type)
{
    if (type == CardType::Note)
        return {QStringLiteral("NoteCount"), QStringLiteral("AUTEUR"), QStringLiteral("TITRE1"),
                QStringLiteral("Texte"), QStringLiteral("TEXTRTF")};
    return {QStringLiteral("CitCount"), QStringLiteral("Titre1"), QStringLiteral("Texte"),
            QStringLiteral("TEXTRTF")};
}

// Null and an empty text read alike in a card's boxes: they digest alike.
QByteArray digestOf(const QStringList &values)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (const QString &v : values)
        vb::AddTextToDigest(hash, v);
    return hash.result();
}

} // namespace

std::optional<CardStamp> readCardStamp(CardType type, const QString &key)
{
    const Tables t = tablesOf(type);
    const QStringList columns = stampColumns(type);
    dao::KeyReader reader(g_Db, t.table->Name(), QString::fromLatin1(t.keyIndex), columns);
    std::optional<CardStamp> stamp;
    reader.read(key, [&](const dao::RowView &row) {
        QStringList values;
        for (int i = 1; i < columns.size(); ++i)
            values << row.text(i);
        stamp = CardStamp{row.number(0), digestOf(values)};
        return false; // the key is unique: its first row is the record
    });
    return stamp;
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
    const Tables t = tablesOf(type);
    dao::Recordset &rs = *t.links;
    rs.setIndex(QString::fromLatin1(t.linksByCard));
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

dao::Recordset &cardTable(CardType type) { return *tablesOf(type).table; }

QString keyIndexName(CardType type) { return QString::fromLatin1(tablesOf(type).keyIndex); }

bool seekCard(CardType type, const QString &key)
{
    dao::Recordset &rs = cardTable(type);
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
        r.text = text(fldNoteTextRtf);
        if (r.text.isEmpty())
            r.text = r.plainText;
        r.date = vb::DateText(fldNoteJour.Value());
    } else if (type == CardType::Quote) {
        r.key = text(fldCitCit);
        r.author = text(fldCitAuteur);
        r.title = text(fldCitTitre1);
        r.plainText = text(fldCitTexte);
        r.text = text(fldCitTextRtf);
        if (r.text.isEmpty())
            r.text = r.plainText;
        r.date = vb::DateText(fldCitJour.Value());
        r.referenceKey = text(fldCitNdx);
    } else {
        r.key = text(fldBiblioNdx);
        r.author = text(fldBiblioAuteur);
        r.title = text(fldBiblioTitre1);
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

QStringList keywordCardKeys(CardType type, const QString &keyword)
{
    QStringList keys;
    const Tables t = tablesOf(type);
    dao::Recordset &rs = *t.links;
    rs.setIndex(QString::fromLatin1(t.linksByKeyword));
    rs.Seek(QStringLiteral("="), keyword);
    if (rs.NoMatch())
        return keys;
    const dao::Field ndx = rs.Fields(QStringLiteral("NDX"));
    const dao::Field groupe = rs.Fields(QStringLiteral("GROUPE"));
    while (!rs.Eof() && dao::compareText(text(groupe), keyword) == 0) {
        keys << text(ndx);
        rs.MoveNext();
    }
    return keys;
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
    dao::Recordset &rs = cardTable(type);
    dao::RowUpdate row(rs, dao::RowUpdate::Edit);
    if (type == CardType::Note) {
        if (edits.author)
            fldNoteAuteur.setValue(*edits.author);
        fldNoteTitre1.setValue(edits.title);
        fldNoteTexte.setValue(edits.plainText);
        fldNoteTextRtf.setValue(edits.richText);
    } else {
        fldCitTitre1.setValue(edits.title);
        fldCitTexte.setValue(edits.plainText);
        fldCitTextRtf.setValue(edits.richText);
    }
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
    dao::Recordset &rs = cardTable(type);
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
