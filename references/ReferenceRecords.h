#pragma once
// What a reference card reads and writes, always by the reference's own key
// (never by wherever a shared recordset happens to stand). Engine failures
// raise vb::Error; a reference that is no longer in the base is an outcome,
// not an error, so that the card can say so.

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace references {

// Seeks the reference in BIBLIO (index "BibNDX"); false when it is gone,
// and BIBLIO then stands on no record.
bool SeekReference(const QString &key);

// The reference's counter, which no later reference takes again: it tells
// the reference from a newer one that took its key. Nothing when it is gone.
std::optional<qint64> ReferenceIdentity(const QString &key);

// The authors of a reference (AUTNDX by "AutNDX"), in index order.
QStringList ReadReferenceAuthors(const QString &key);

// The keyword links of a reference (GRBIB by "GrBibNDX"), in index order.
QStringList ReadReferenceKeywords(const QString &key);

// One row of the quotes grid: a keyword of a quote ("" for a quote without
// one) and the quote's key.
struct QuoteRow {
    QString keyword;
    QString quoteKey;
    bool operator==(const QuoteRow &) const = default;
};
// The quotes of a reference (CIT by "BibNDX") with their keywords (GRCIT by
// "GrCitNDX"), one row per pair.
QList<QuoteRow> ReadReferenceQuotes(const QString &key);

// Deletes every GRBIB row of the reference whose keyword is exactly this
// one; returns how many went.
int RemoveKeywordLinks(const QString &key, const QString &keyword);

// Changed: nothing written, the record changed since the card read it.
enum class Outcome { Done, Missing, HasQuotes, Exists, Changed };

// What a card read of the columns one of its stores replaces: the
// reference's counter, which no later reference takes again, and a digest
// of those values (of the article row, or of its absence).
enum class Part { Main, Book, Article, FirstEdition };
struct ReadStamp {
    qint64 identity = -1;
    QByteArray digest;
    bool operator==(const ReadStamp &) const = default;
};
// Read without moving the shared recordsets; nothing when the reference is
// gone.
std::optional<ReadStamp> ReadPartStamp(const QString &key, Part part);

// Deletes the reference with its keyword links, author rows and article
// rows, in one transaction: all of it or, on any failure, nothing (the
// error is raised after the rollback). Refused while quotes exist.
Outcome DeleteReference(const QString &key, std::optional<qint64> identity = std::nullopt);

// The first free quote key of the reference.
QString NextQuoteKey(const QString &referenceKey);
// Adds a quote of the reference (author and title cut to the quote's
// columns) and leaves CIT standing on it. Missing when the reference is gone.
Outcome AddQuoteForReference(const QString &referenceKey, QString *newKey = nullptr);

// The main fields of the card.
struct MainFields {
    QString title1, title2, type;
};
std::optional<MainFields> ReadMainFields(const QString &key);
// The stores below, given what the card read: Missing when the key now
// names another reference, Changed (and `read` then holds what is there
// now) when the values they replace changed since; on Done `read` becomes
// what was written. The check and the write are one transaction.
Outcome StoreMainFields(const QString &key, const MainFields &fields, ReadStamp *read = nullptr);

// The reference types in the order of TYPES' index.
QStringList ReadTypes();
// Publisher names (EDITEUR by "NOM") and review names (REVUE in stored
// order), each once.
QStringList ReadPublisherNames();
QStringList ReadReviewNames();
// The town of a publisher when EDITEUR has the name with a town.
std::optional<QString> PublisherTown(const QString &name);
// Adds a publisher; Exists when the name is listed already.
Outcome AddPublisher(const QString &name, const QString &town);

// The boxes of the details frames and of the first-edition dialog. A read
// changes only the boxes whose field holds something.
struct BookDetails {
    QString publisher, town, date, isbn, congress;
};
struct ArticleDetails {
    QString review, year, month, number, pages;
};
struct FirstEdition {
    QString title, publisher, town, date;
};

// The town is the stored LIEU when there is one, else the publisher's.
void ReadBookDetails(const QString &key, BookDetails &boxes);
void ReadArticleDetails(const QString &key, ArticleDetails &boxes);
void ReadFirstEdition(const QString &key, FirstEdition &boxes);

// The checks before a store: the first message naming a box that does not
// fit its column, or nothing.
std::optional<QString> CheckMainFields(const MainFields &fields);
std::optional<QString> CheckBookDetails(const BookDetails &boxes);
std::optional<QString> CheckArticleDetails(const ArticleDetails &boxes);
std::optional<QString> CheckFirstEdition(const FirstEdition &boxes);

// Stores (the boxes must have passed their check).
Outcome StoreBookDetails(const QString &key, const BookDetails &boxes, ReadStamp *read = nullptr);
// Adds the article row of the reference when it has none.
Outcome StoreArticleDetails(const QString &key, const ArticleDetails &boxes, ReadStamp *read = nullptr);
// With an identity, a reference of that key but another identity counts as
// gone.
Outcome StoreFirstEdition(const QString &key, const FirstEdition &boxes,
                          std::optional<qint64> identity = std::nullopt, ReadStamp *read = nullptr);

} // namespace references
