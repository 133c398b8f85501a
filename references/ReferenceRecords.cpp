#include "ReferenceRecords.h"

#include "CardTables.h"
#include "Dao.h"
#include "DaoReads.h"
#include "Error.h"
#include "ReferenceRules.h"
#include "Runtime.h"
#include "Start.h"
#include "RowUpdate.h"

#include <QSet>

namespace references {

namespace {

bool holds(const QVariant &v) { return v.isValid() && !v.isNull() && !v.toString().isEmpty(); }

void fillFrom(QString &box, const dao::Field &field)
{
    const QVariant v = field.Value();
    if (holds(v))
        box = v.toString();
}

// Positions rs on the first row of key under index; false when none. The
// walk that follows stops at the first row of another key as the index
// compares them, so a run of rows is never cut short by letter case.
bool seekFirst(dao::Recordset &rs, const char *index, const QString &key)
{
    rs.setIndex(QString::fromLatin1(index));
    rs.Seek(QStringLiteral("="), key);
    return !rs.NoMatch();
}

bool sameKey(const dao::Field &field, const QString &key)
{
    return dao::compareText(field.Value().toString(), key) == 0;
}

int deleteRowsOf(dao::Recordset &rs, const char *index, const dao::Field &keyField, const QString &key)
{
    int n = 0;
    if (!seekFirst(rs, index, key))
        return 0;
    while (!rs.Eof() && sameKey(keyField, key)) {
        rs.Delete();
        ++n;
        rs.MoveNext();
    }
    return n;
}

template <class F> void writeRow(dao::Recordset &rs, bool add, F &&write)
{
    dao::RowUpdate row(rs, add ? dao::RowUpdate::AddNew : dao::RowUpdate::Edit);
    write();
    row.Update();
}

QVariant numberOrNull(const QString &label, const QString &text, qint64 min, qint64 max)
{
    const NumberBox box = ParseNumberBox(label, text, min, max);
    if (!box.error.isEmpty())
        vb::raise(vb::ErrOverflow, box.error);
    return box.value;
}

constexpr qint64 kIntMin = -32768, kIntMax = 32767;
constexpr qint64 kLongMin = -2147483647LL - 1, kLongMax = 2147483647LL;

std::optional<QString> firstOf(std::initializer_list<std::optional<QString>> checks)
{
    for (const auto &c : checks)
        if (c)
            return c;
    return std::nullopt;
}

std::optional<QString> numberCheck(const QString &label, const QString &text, qint64 min, qint64 max)
{
    const NumberBox box = ParseNumberBox(label, text, min, max);
    if (box.error.isEmpty())
        return std::nullopt;
    return box.error;
}

// One column a store writes, as its table names it, and the value it gets.
// Each part has one list, which its store writes and its stamp digests, so
// that no column is written without another window's change to it being
// seen first.
struct Written {
    QString column;
    QVariant value;
};

QList<Written> mainWrites(const MainFields &f)
{
    return {{QStringLiteral("TITRE1"), f.title1}, {QStringLiteral("TITRE2"), f.title2},
            {QStringLiteral("Type"), f.type}};
}

QList<Written> bookWrites(const BookDetails &b, const QVariant &year)
{
    return {{QStringLiteral("EDITEUR"), b.publisher}, {QStringLiteral("LIEU"), b.town},
            {QStringLiteral("ANNEE"), year},          {QStringLiteral("ISBN"), b.isbn},
            {QStringLiteral("Congress"), b.congress}};
}

// The row of RevueArticle.
QList<Written> articleWrites(const ArticleDetails &a, const QVariant &year, const QVariant &month)
{
    return {{QStringLiteral("RevueTitre"), a.review}, {QStringLiteral("Annee"), year},
            {QStringLiteral("Mois"), month},          {QStringLiteral("RevueNumero"), a.number},
            {QStringLiteral("Pages"), a.pages}};
}

QList<Written> firstEditionWrites(const FirstEdition &f, const QVariant &year)
{
    return {{QStringLiteral("TITRE_ORI"), f.title}, {QStringLiteral("EDITEUROR"), f.publisher},
            {QStringLiteral("LIEU_ORIG"), f.town}, {QStringLiteral("DATE_ORIG"), year}};
}

QStringList partColumns(Part part)
{
    QList<Written> writes;
    switch (part) {
    case Part::Main: writes = mainWrites({}); break;
    case Part::Book: writes = bookWrites({}, {}); break;
    case Part::Article: writes = articleWrites({}, {}, {}); break;
    case Part::FirstEdition: writes = firstEditionWrites({}, {}); break;
    }
    QStringList columns;
    for (const Written &w : writes)
        columns << w.column;
    return columns;
}

void writeColumns(dao::Recordset &rs, const QList<Written> &writes)
{
    for (const Written &w : writes)
        rs.Fields(w.column).setValue(w.value);
}

// A store given what the card read: checks, writes and reads the stamp
// again in one transaction.
template <class F> Outcome storeChecked(const QString &key, Part part, ReadStamp *read, F &&write)
{
    dao::TransactionScope tx;
    if (read) {
        const std::optional<ReadStamp> now = ReadPartStamp(key, part);
        if (!now || now->identity != read->identity)
            return Outcome::Missing;
        if (now->digest != read->digest) {
            *read = *now;
            return Outcome::Changed;
        }
    }
    const Outcome done = write();
    if (done != Outcome::Done)
        return done;
    std::optional<ReadStamp> written;
    if (read)
        written = ReadPartStamp(key, part);
    tx.Commit();
    if (written)
        *read = *written;
    return done;
}

} // namespace

std::optional<ReadStamp> ReadPartStamp(const QString &key, Part part)
{
    const bool article = part == Part::Article;
    QStringList columns{QStringLiteral("BiblioCount")};
    if (!article)
        columns << partColumns(part);
    std::optional<ReadStamp> stamp;
    QStringList values;
    dao::KeyReader biblio(g_Db, QStringLiteral("BIBLIO"), QStringLiteral("BibNDX"), columns);
    biblio.read(key, [&](const dao::RowView &row) {
        // The counter as its Field gives it, as ReferenceIdentity reads it.
        stamp = ReadStamp{row.value(0).toLongLong(), {}};
        for (int i = 1; i < columns.size(); ++i)
            values << row.text(i);
        return false;
    });
    if (!stamp)
        return stamp;
    if (article) {
        const QStringList cols = partColumns(part);
        dao::KeyReader rows(g_Db, QStringLiteral("RevueArticle"), QStringLiteral("NDX"), cols);
        // The row a store writes is the first of the key; none is a state too.
        const int n = rows.read(key, [&](const dao::RowView &row) {
            for (int i = 0; i < cols.size(); ++i)
                values << row.text(i);
            return false;
        });
        values << (n ? QStringLiteral("+") : QStringLiteral("-"));
    }
    stamp->digest = vb::DigestOfTexts(values);
    return stamp;
}

bool SeekReference(const QString &key)
{
    return seekFirst(rsBiblio, "BibNDX", key);
}

std::optional<qint64> ReferenceIdentity(const QString &key)
{
    if (!SeekReference(key))
        return std::nullopt;
    return fldBiblioBiblioCount.Value().toLongLong();
}

QStringList ReadReferenceAuthors(const QString &key)
{
    QStringList out;
    if (!seekFirst(rsAutNdx, "AutNDX", key))
        return out;
    for (; !rsAutNdx.Eof() && sameKey(fldAutNdxNdx, key); rsAutNdx.MoveNext())
        out << fldAutNdxAuteur.Value().toString();
    return out;
}

QStringList ReadReferenceKeywords(const QString &key) { return cardKeywordLinks(CardType::Reference, key); }

QList<QuoteRow> ReadReferenceQuotes(const QString &key)
{
    QList<QuoteRow> rows;
    if (!seekFirst(rsCit, "BibNDX", key))
        return rows;
    rsGrCit.setIndex(QStringLiteral("GrCitNDX"));
    for (; !rsCit.Eof() && sameKey(fldCitNdx, key); rsCit.MoveNext()) {
        const QString quote = fldCitCit.Value().toString();
        rsGrCit.Seek(QStringLiteral("="), quote);
        if (rsGrCit.NoMatch()) {
            rows.append({QString(), quote});
            continue;
        }
        for (; !rsGrCit.Eof() && sameKey(fldGrCitNdx, quote); rsGrCit.MoveNext())
            rows.append({fldGrCitGroupe.Value().toString(), quote});
    }
    return rows;
}

int RemoveKeywordLinks(const QString &key, const QString &keyword)
{
    int n = 0;
    if (!seekFirst(rsGrBib, "GrBibNDX", key))
        return 0;
    while (!rsGrBib.Eof() && sameKey(fldGrBibNdx, key)) {
        if (fldGrBibGroupe.Value().toString() == keyword) {
            rsGrBib.Delete();
            ++n;
        }
        rsGrBib.MoveNext();
    }
    return n;
}

Outcome DeleteReference(const QString &key, std::optional<qint64> identity)
{
    if (!SeekReference(key))
        return Outcome::Missing;
    if (identity && fldBiblioBiblioCount.Value().toLongLong() != *identity)
        return Outcome::Missing;
    if (seekFirst(rsCit, "BibNDX", key))
        return Outcome::HasQuotes;
    dao::TransactionScope tx;
    deleteRowsOf(rsGrBib, "GrBibNDX", fldGrBibNdx, key);
    deleteRowsOf(rsAutNdx, "AutNDX", fldAutNdxNdx, key);
    deleteRowsOf(rsRevueArticle, "NDX", fldRevueArticleNdx, key);
    if (!SeekReference(key))
        return Outcome::Missing; // rolled back by the scope
    rsBiblio.Delete();
    tx.Commit();
    return Outcome::Done;
}

QString NextQuoteKey(const QString &referenceKey)
{
    rsCit.setIndex(QStringLiteral("CitNDX"));
    for (int i = 1;; ++i) {
        const QString key = QuoteKeyFor(referenceKey, i);
        rsCit.Seek(QStringLiteral("="), key);
        if (rsCit.NoMatch())
            return key;
    }
}

Outcome AddQuoteForReference(const QString &referenceKey, QString *newKey)
{
    if (!SeekReference(referenceKey))
        return Outcome::Missing;
    const QString author = fldBiblioAuteur.Value().toString().left(kQuoteTextSize);
    const QString title = fldBiblioTitre1.Value().toString().left(kQuoteTextSize);
    const QString key = NextQuoteKey(referenceKey);
    writeRow(rsCit, true, [&] {
        fldCitNdx.setValue(referenceKey);
        fldCitCit.setValue(key);
        fldCitAuteur.setValue(author);
        fldCitJour.setValue(vb::Today());
        fldCitTitre1.setValue(title);
        fldCitTexte.setValue(QString(QLatin1String("")));
    });
    rsCit.setIndex(QStringLiteral("CitNDX"));
    rsCit.Seek(QStringLiteral("="), key);
    if (newKey)
        *newKey = key;
    return Outcome::Done;
}

std::optional<MainFields> ReadMainFields(const QString &key)
{
    if (!SeekReference(key))
        return std::nullopt;
    MainFields f;
    f.title1 = fldBiblioTitre1.Value().toString();
    f.title2 = fldBiblioTitre2.Value().toString();
    f.type = fldBiblioType.Value().toString();
    return f;
}

Outcome StoreMainFields(const QString &key, const MainFields &fields, ReadStamp *read)
{
    return storeChecked(key, Part::Main, read, [&] {
        if (!SeekReference(key))
            return Outcome::Missing;
        writeRow(rsBiblio, false, [&] { writeColumns(rsBiblio, mainWrites(fields)); });
        return Outcome::Done;
    });
}

QStringList ReadTypes()
{
    QStringList out;
    rsTypes.setIndex(QStringLiteral("TYPE"));
    if (rsTypes.RecordCount() == 0)
        return out;
    for (rsTypes.MoveFirst(); !rsTypes.Eof(); rsTypes.MoveNext())
        out << fldTypesType.Value().toString();
    return out;
}

QStringList ReadPublisherNames()
{
    QStringList out;
    QSet<QString> seen;
    rsEditeur.setIndex(QStringLiteral("NOM"));
    if (rsEditeur.RecordCount() == 0)
        return out;
    for (rsEditeur.MoveFirst(); !rsEditeur.Eof(); rsEditeur.MoveNext()) {
        const QString name = fldEditeurNom.Value().toString();
        if (!seen.contains(name)) {
            seen.insert(name);
            out << name;
        }
    }
    return out;
}

QStringList ReadReviewNames()
{
    QStringList out;
    QSet<QString> seen;
    if (rsRevue.RecordCount() == 0)
        return out;
    for (rsRevue.MoveFirst(); !rsRevue.Eof(); rsRevue.MoveNext()) {
        const QString name = fldRevueNom.Value().toString();
        if (!seen.contains(name)) {
            seen.insert(name);
            out << name;
        }
    }
    return out;
}

std::optional<QString> PublisherTown(const QString &name)
{
    if (!seekFirst(rsEditeur, "NOM", name))
        return std::nullopt;
    const QVariant v = fldEditeurVille.Value();
    if (!holds(v))
        return std::nullopt;
    return v.toString();
}

Outcome AddPublisher(const QString &name, const QString &town)
{
    if (seekFirst(rsEditeur, "NOM", name))
        return Outcome::Exists;
    writeRow(rsEditeur, true, [&] {
        fldEditeurNom.setValue(name);
        if (!town.isEmpty())
            fldEditeurVille.setValue(town);
    });
    return Outcome::Done;
}

void ReadBookDetails(const QString &key, BookDetails &boxes)
{
    if (!SeekReference(key))
        return;
    const QVariant publisher = fldBiblioEditeur.Value();
    const QVariant lieu = fldBiblioLieu.Value();
    fillFrom(boxes.date, fldBiblioAnnee);
    fillFrom(boxes.isbn, fldBiblioIsbn);
    fillFrom(boxes.congress, fldBiblioCongress);
    if (holds(publisher)) {
        boxes.publisher = publisher.toString();
        if (const auto town = PublisherTown(boxes.publisher))
            boxes.town = *town;
    }
    if (holds(lieu))
        boxes.town = lieu.toString();
}

void ReadArticleDetails(const QString &key, ArticleDetails &boxes)
{
    if (!seekFirst(rsRevueArticle, "NDX", key))
        return;
    fillFrom(boxes.review, fldRevueArticleRevueTitre);
    fillFrom(boxes.year, fldRevueArticleAnnee);
    fillFrom(boxes.month, fldRevueArticleMois);
    fillFrom(boxes.number, fldRevueArticleRevueNumero);
    fillFrom(boxes.pages, fldRevueArticlePages);
}

void ReadFirstEdition(const QString &key, FirstEdition &boxes)
{
    if (!SeekReference(key))
        return;
    const QVariant publisher = fldBiblioEditeurOr.Value();
    const QVariant town = fldBiblioLieuOrig.Value();
    fillFrom(boxes.title, fldBiblioTitreOri);
    fillFrom(boxes.date, fldBiblioDateOrig);
    if (holds(publisher)) {
        boxes.publisher = publisher.toString();
        if (const auto t = PublisherTown(boxes.publisher))
            boxes.town = *t;
    }
    if (holds(town))
        boxes.town = town.toString();
}

std::optional<QString> CheckMainFields(const MainFields &f)
{
    return firstOf({TooLongMessage(QStringLiteral("Title"), f.title1, kTitle1Size),
                    TooLongMessage(QStringLiteral("Sub Title"), f.title2, kTitle2Size),
                    TooLongMessage(QStringLiteral("Document Type"), f.type, kTypeSize)});
}

std::optional<QString> CheckBookDetails(const BookDetails &b)
{
    return firstOf({TooLongMessage(QStringLiteral("Publisher"), b.publisher, kPublisherSize),
                    TooLongMessage(QStringLiteral("Town"), b.town, kTownSize),
                    numberCheck(QStringLiteral("Date"), b.date, kIntMin, kIntMax),
                    TooLongMessage(QStringLiteral("ISBN"), b.isbn, kIsbnSize),
                    TooLongMessage(QStringLiteral("LOC Ref"), b.congress, kCongressSize)});
}

std::optional<QString> CheckArticleDetails(const ArticleDetails &a)
{
    return firstOf({TooLongMessage(QStringLiteral("Review"), a.review, kArticleTextSize),
                    numberCheck(QStringLiteral("Year"), a.year, kLongMin, kLongMax),
                    numberCheck(QStringLiteral("Month"), a.month, kLongMin, kLongMax),
                    TooLongMessage(QStringLiteral("Number"), a.number, kArticleTextSize),
                    TooLongMessage(QStringLiteral("pages"), a.pages, kArticleTextSize)});
}

std::optional<QString> CheckFirstEdition(const FirstEdition &f)
{
    return firstOf({TooLongMessage(QStringLiteral("Title"), f.title, kOriginalTitleSize),
                    TooLongMessage(QStringLiteral("Publisher"), f.publisher, kPublisherSize),
                    TooLongMessage(QStringLiteral("Town"), f.town, kOriginalTownSize),
                    numberCheck(QStringLiteral("Date"), f.date, kIntMin, kIntMax)});
}

Outcome StoreBookDetails(const QString &key, const BookDetails &b, ReadStamp *read)
{
    const QVariant year = numberOrNull(QStringLiteral("Date"), b.date, kIntMin, kIntMax);
    return storeChecked(key, Part::Book, read, [&] {
        if (!SeekReference(key))
            return Outcome::Missing;
        writeRow(rsBiblio, false, [&] { writeColumns(rsBiblio, bookWrites(b, year)); });
        return Outcome::Done;
    });
}

Outcome StoreArticleDetails(const QString &key, const ArticleDetails &a, ReadStamp *read)
{
    const QVariant year = numberOrNull(QStringLiteral("Year"), a.year, kLongMin, kLongMax);
    const QVariant month = numberOrNull(QStringLiteral("Month"), a.month, kLongMin, kLongMax);
    return storeChecked(key, Part::Article, read, [&] {
        if (!SeekReference(key))
            return Outcome::Missing;
        const bool add = !seekFirst(rsRevueArticle, "NDX", key);
        writeRow(rsRevueArticle, add, [&] {
            if (add)
                fldRevueArticleNdx.setValue(key);
            writeColumns(rsRevueArticle, articleWrites(a, year, month));
        });
        return Outcome::Done;
    });
}

Outcome StoreFirstEdition(const QString &key, const FirstEdition &f, std::optional<qint64> identity,
                          ReadStamp *read)
{
    const QVariant year = numberOrNull(QStringLiteral("Date"), f.date, kIntMin, kIntMax);
    return storeChecked(key, Part::FirstEdition, read, [&] {
        if (!SeekReference(key))
            return Outcome::Missing;
        if (identity && fldBiblioBiblioCount.Value().toLongLong() != *identity)
            return Outcome::Missing;
        writeRow(rsBiblio, false, [&] { writeColumns(rsBiblio, firstEditionWrites(f, year)); });
        return Outcome::Done;
    });
}

} // namespace references
