// What a reference card reads and writes, on a real base: always by the
// card's own key, whatever row the shared recordsets stand on.

#include "DaoErrors.h"
#include "RefTestBase.h"
#include "ReferenceRecords.h"
#include "Runtime.h"

#include <QtTest>

using namespace references;
using namespace reftest;

class TestReferenceRecords : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void quotesWithTheirKeywords();
    void keywordRemovalIsExactAndTakesEveryCopy();
    void deleteRefusedWhileQuotesExist();
    void deleteTakesEveryRowOfTheKeyOnly();
    void newReferenceWithADeletedKeyHasNoArticle();
    void deleteOnAReadOnlyBaseLeavesEverything();
    void quoteKeysCountUpAndLongTextsAreCut();
    void quoteOfAGoneReference();
    void foreignTypeKeptByAStore();
    void bookTownPrefersTheStoredTown();
    void bookStoreWritesTheCardsOwnRow();
    void bookChecksNameTheBox();
    void articleRowIsTheCardsOwn();
    void firstEditionReadAndStoredByKey();
    void publishers();
    void listsHoldEachNameOnce();
    void storesGivenWhatWasReadRefuseAChangedPart();
    void everyWrittenColumnChangedElsewhereIsSeen();

private:
    std::unique_ptr<Base> m_base;
};

void TestReferenceRecords::init() { m_base = std::make_unique<Base>(); }
void TestReferenceRecords::cleanup()
{
    m_base.reset();
    vb::SetClockForTests({});
}

void TestReferenceRecords::quotesWithTheirKeywords()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("T"));
    reference(QStringLiteral("Durand_002"), QStringLiteral("U"));
    quote(QStringLiteral("DURAN001.TXT"), QStringLiteral("Durand_001"),
          {QStringLiteral("k1"), QStringLiteral("k2"), QStringLiteral("k3")});
    quote(QStringLiteral("DURAN002.TXT"), QStringLiteral("Durand_001"));
    quote(QStringLiteral("DURAN003.TXT"), QStringLiteral("Durand_002"), {QStringLiteral("other")});

    const QList<QuoteRow> rows = ReadReferenceQuotes(QStringLiteral("Durand_001"));
    const QList<QuoteRow> expected{{QStringLiteral("k1"), QStringLiteral("DURAN001.TXT")},
                                   {QStringLiteral("k2"), QStringLiteral("DURAN001.TXT")},
                                   {QStringLiteral("k3"), QStringLiteral("DURAN001.TXT")},
                                   {QString(), QStringLiteral("DURAN002.TXT")}};
    QCOMPARE(rows, expected);
    QVERIFY(ReadReferenceQuotes(QStringLiteral("Nobody_001")).isEmpty());
}

void TestReferenceRecords::keywordRemovalIsExactAndTakesEveryCopy()
{
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    link(QStringLiteral("A_001"), QStringLiteral("Time"));
    link(QStringLiteral("A_001"), QStringLiteral("Memory"));
    link(QStringLiteral("A_001"), QStringLiteral("memory"));
    link(QStringLiteral("A_002"), QStringLiteral("Memory"));

    QCOMPARE(RemoveKeywordLinks(QStringLiteral("A_001"), QStringLiteral("Memory")), 2);
    QCOMPARE(ReadReferenceKeywords(QStringLiteral("A_001")), (QStringList{"Time", "memory"}));
    QCOMPARE(ReadReferenceKeywords(QStringLiteral("A_002")), QStringList{"Memory"});
    // An empty keyword removes nothing, here or elsewhere.
    QCOMPARE(RemoveKeywordLinks(QStringLiteral("A_001"), QString()), 0);
    QCOMPARE(RemoveKeywordLinks(QStringLiteral("Z_001"), QStringLiteral("Time")), 0);
    QCOMPARE(ReadReferenceKeywords(QStringLiteral("A_001")).size(), 2);
}

void TestReferenceRecords::deleteRefusedWhileQuotesExist()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("T"), {}, {QStringLiteral("Durand")});
    link(QStringLiteral("Durand_001"), QStringLiteral("Memory"));
    // A quote whose reference key differs only in letter case counts too.
    quote(QStringLiteral("DURAN001.TXT"), QStringLiteral("durand_001"));
    QCOMPARE(DeleteReference(QStringLiteral("Durand_001")), Outcome::HasQuotes);
    QCOMPARE(biblio(QStringLiteral("Durand_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("Durand_001")), 1);
    QCOMPARE(countRows(rsAutNdx, "AutNDX", QStringLiteral("Durand_001")), 1);
}

void TestReferenceRecords::deleteTakesEveryRowOfTheKeyOnly()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("T1"), QStringLiteral("Article"),
              {QStringLiteral("Durand"), QStringLiteral("Dupont")});
    reference(QStringLiteral("Durand_002"), QStringLiteral("T2"), {}, {QStringLiteral("Durand")});
    link(QStringLiteral("Durand_001"), QStringLiteral("Memory"));
    link(QStringLiteral("Durand_001"), QStringLiteral("Time"));
    link(QStringLiteral("Durand_002"), QStringLiteral("Memory"));
    article(QStringLiteral("Durand_001"), QStringLiteral("Nature"), 1999);
    article(QStringLiteral("Durand_002"), QStringLiteral("Science"), 2001);

    QCOMPARE(DeleteReference(QStringLiteral("Durand_001")), Outcome::Done);
    QCOMPARE(biblio(QStringLiteral("Durand_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("<gone>"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("Durand_001")), 0);
    QCOMPARE(countRows(rsAutNdx, "AutNDX", QStringLiteral("Durand_001")), 0);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("Durand_001")), 0);
    // The neighbour keeps everything.
    QCOMPARE(biblio(QStringLiteral("Durand_002"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T2"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("Durand_002")), 1);
    QCOMPARE(countRows(rsAutNdx, "AutNDX", QStringLiteral("Durand_002")), 1);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("Durand_002")), 1);
    // A second delete finds nothing and touches nothing.
    QCOMPARE(DeleteReference(QStringLiteral("Durand_001")), Outcome::Missing);
    QCOMPARE(biblio(QStringLiteral("Durand_002"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T2"));

    // A reference without author rows or links goes all the same.
    reference(QStringLiteral("Bare_001"), QStringLiteral("B"));
    QCOMPARE(DeleteReference(QStringLiteral("Bare_001")), Outcome::Done);
    QCOMPARE(biblio(QStringLiteral("Bare_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("<gone>"));
}

void TestReferenceRecords::newReferenceWithADeletedKeyHasNoArticle()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("Old"), QStringLiteral("Article"));
    article(QStringLiteral("Durand_001"), QStringLiteral("Nature"), 1999);
    QCOMPARE(DeleteReference(QStringLiteral("Durand_001")), Outcome::Done);
    reference(QStringLiteral("Durand_001"), QStringLiteral("New"), QStringLiteral("Article"));
    ArticleDetails boxes;
    ReadArticleDetails(QStringLiteral("Durand_001"), boxes);
    QVERIFY(boxes.review.isEmpty());
    QVERIFY(boxes.year.isEmpty());
}

void TestReferenceRecords::deleteOnAReadOnlyBaseLeavesEverything()
{
    reference(QStringLiteral("Durand_001"), QStringLiteral("T"), {}, {QStringLiteral("Durand")});
    link(QStringLiteral("Durand_001"), QStringLiteral("Memory"));
    article(QStringLiteral("Durand_001"), QStringLiteral("Nature"), 1999);
    m_base->reopenReadOnly();
    QCOMPARE(vb::errorOf([] { DeleteReference(QStringLiteral("Durand_001")); }), int(dao::ErrReadOnly));
    QCOMPARE(biblio(QStringLiteral("Durand_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
    QCOMPARE(countRows(rsGrBib, "GrBibNDX", QStringLiteral("Durand_001")), 1);
    QCOMPARE(countRows(rsAutNdx, "AutNDX", QStringLiteral("Durand_001")), 1);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("Durand_001")), 1);
}

void TestReferenceRecords::quoteKeysCountUpAndLongTextsAreCut()
{
    // Today read once: a run across midnight sees one day.
    const QDateTime now = QDateTime::currentDateTime();
    vb::SetClockForTests([now] { return now; });
    const QString longTitle(120, QLatin1Char('t'));
    QStringList authors;
    for (int i = 0; i < 6; ++i)
        authors << QString(30, QChar(u'a' + i));
    reference(QStringLiteral("Durand_001"), longTitle, {}, authors);
    quote(QStringLiteral("duran001.txt"), QStringLiteral("Other_001")); // taken, in any letter case
    QString k1, k2;
    QCOMPARE(AddQuoteForReference(QStringLiteral("Durand_001"), &k1), Outcome::Done);
    QCOMPARE(k1, QStringLiteral("DURAN002.TXT"));
    // CIT stands on the new quote.
    QCOMPARE(fldCitCit.Value().toString(), k1);
    QCOMPARE(fldCitNdx.Value().toString(), QStringLiteral("Durand_001"));
    QCOMPARE(fldCitTitre1.Value().toString(), longTitle.left(100));
    QCOMPARE(fldCitAuteur.Value().toString().size(), 100);
    QCOMPARE(fldCitJour.Value().toDateTime().date(), now.date());
    QVERIFY(fldCitTexte.Value().isValid());
    QCOMPARE(fldCitTexte.Value().toString(), QString());
    QCOMPARE(AddQuoteForReference(QStringLiteral("Durand_001"), &k2), Outcome::Done);
    QCOMPARE(k2, QStringLiteral("DURAN003.TXT"));
    QCOMPARE(ReadReferenceQuotes(QStringLiteral("Durand_001")).size(), 2);

    reference(QStringLiteral("Ab"), QStringLiteral("short"));
    QCOMPARE(NextQuoteKey(QStringLiteral("Ab")), QStringLiteral("AB001.TXT"));
}

void TestReferenceRecords::quoteOfAGoneReference()
{
    QCOMPARE(AddQuoteForReference(QStringLiteral("Gone_001")), Outcome::Missing);
    rsCit.setIndex(QStringLiteral("CitNDX"));
    QCOMPARE(rsCit.RecordCount(), 0L);
}

void TestReferenceRecords::foreignTypeKeptByAStore()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Thesis"));
    auto f = ReadMainFields(QStringLiteral("A_001"));
    QVERIFY(f);
    QCOMPARE(f->type, QStringLiteral("Thesis"));
    f->title2 = QStringLiteral("sub");
    QCOMPARE(StoreMainFields(QStringLiteral("A_001"), *f), Outcome::Done);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("Type")).toString(), QStringLiteral("Thesis"));
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE2")).toString(), QStringLiteral("sub"));
    QCOMPARE(StoreMainFields(QStringLiteral("B_001"), *f), Outcome::Missing);
    QVERIFY(!CheckMainFields(*f));
    f->title1 = QString(121, QLatin1Char('x'));
    QVERIFY(CheckMainFields(*f)->contains(QStringLiteral("\"Title\"")));
}

void TestReferenceRecords::bookTownPrefersTheStoredTown()
{
    publisher(QStringLiteral("Gallimard"), QStringLiteral("Paris"));
    publisher(QStringLiteral("Nowhere Press"));
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    reference(QStringLiteral("B_001"), QStringLiteral("T"), QStringLiteral("Book"));
    BookDetails a{QStringLiteral("Gallimard"), QStringLiteral("Lyon"), QStringLiteral("1950"),
                  QStringLiteral("123"), QStringLiteral("LOC")};
    QCOMPARE(StoreBookDetails(QStringLiteral("A_001"), a), Outcome::Done);
    BookDetails shown;
    ReadBookDetails(QStringLiteral("A_001"), shown);
    QCOMPARE(shown.town, QStringLiteral("Lyon"));
    QCOMPARE(shown.publisher, QStringLiteral("Gallimard"));
    QCOMPARE(shown.date, QStringLiteral("1950"));
    QCOMPARE(shown.isbn, QStringLiteral("123"));
    QCOMPARE(shown.congress, QStringLiteral("LOC"));

    // No stored town: the publisher's; no town at all: the box as it was.
    BookDetails b{QStringLiteral("Gallimard"), QString(), QString(), QString(), QString()};
    QCOMPARE(StoreBookDetails(QStringLiteral("B_001"), b), Outcome::Done);
    BookDetails shownB;
    shownB.isbn = QStringLiteral("typed");
    ReadBookDetails(QStringLiteral("B_001"), shownB);
    QCOMPARE(shownB.town, QStringLiteral("Paris"));
    QCOMPARE(shownB.isbn, QStringLiteral("typed"));
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("ANNEE")).isValid());
}

void TestReferenceRecords::bookStoreWritesTheCardsOwnRow()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    reference(QStringLiteral("B_001"), QStringLiteral("T"), QStringLiteral("Book"));
    // The shared recordset stands on another reference (another card was
    // activated): the store still goes to its own key.
    SeekReference(QStringLiteral("B_001"));
    BookDetails a{QStringLiteral("P"), QString(), QStringLiteral("2000"), QString(), QString()};
    QCOMPARE(StoreBookDetails(QStringLiteral("A_001"), a), Outcome::Done);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("ANNEE")).toInt(), 2000);
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("ANNEE")).isValid());
    QCOMPARE(StoreBookDetails(QStringLiteral("Gone_001"), a), Outcome::Missing);
}

void TestReferenceRecords::bookChecksNameTheBox()
{
    BookDetails b;
    b.date = QStringLiteral("abc");
    QVERIFY(CheckBookDetails(b)->contains(QStringLiteral("\"Date\"")));
    b.date = QStringLiteral("40000");
    QVERIFY(CheckBookDetails(b)->contains(QStringLiteral("\"Date\"")));
    b.date.clear();
    QVERIFY(!CheckBookDetails(b));
    // A name of the 80-character list does not fit the reference's column.
    b.publisher = QString(60, QLatin1Char('p'));
    QVERIFY(CheckBookDetails(b)->contains(QStringLiteral("\"Publisher\"")));
    b.publisher.clear();
    b.town = QString(41, QLatin1Char('t'));
    QVERIFY(CheckBookDetails(b)->contains(QStringLiteral("\"Town\"")));

    ArticleDetails a;
    a.month = QStringLiteral("May");
    QVERIFY(CheckArticleDetails(a)->contains(QStringLiteral("\"Month\"")));
}

void TestReferenceRecords::articleRowIsTheCardsOwn()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Article"));
    reference(QStringLiteral("B_001"), QStringLiteral("T"), QStringLiteral("Article"));
    ArticleDetails a{QStringLiteral("Nature"), QStringLiteral("1999"), QStringLiteral("5"), QStringLiteral("12"),
                     QStringLiteral("1-9")};
    QCOMPARE(StoreArticleDetails(QStringLiteral("A_001"), a), Outcome::Done);
    ArticleDetails b{QStringLiteral("Science"), QString(), QString(), QString(), QString()};
    QCOMPARE(StoreArticleDetails(QStringLiteral("B_001"), b), Outcome::Done);
    a.pages = QStringLiteral("10-20");
    QCOMPARE(StoreArticleDetails(QStringLiteral("A_001"), a), Outcome::Done);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("A_001")), 1);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("B_001")), 1);

    ArticleDetails shownA, shownB;
    ReadArticleDetails(QStringLiteral("A_001"), shownA);
    ReadArticleDetails(QStringLiteral("B_001"), shownB);
    QCOMPARE(shownA.review, QStringLiteral("Nature"));
    QCOMPARE(shownA.year, QStringLiteral("1999"));
    QCOMPARE(shownA.month, QStringLiteral("5"));
    QCOMPARE(shownA.number, QStringLiteral("12"));
    QCOMPARE(shownA.pages, QStringLiteral("10-20"));
    QCOMPARE(shownB.review, QStringLiteral("Science"));
    QVERIFY(shownB.year.isEmpty());
    QCOMPARE(StoreArticleDetails(QStringLiteral("Gone_001"), a), Outcome::Missing);
    QCOMPARE(countRows(rsRevueArticle, "NDX", QStringLiteral("Gone_001")), 0);
}

void TestReferenceRecords::firstEditionReadAndStoredByKey()
{
    publisher(QStringLiteral("Gallimard"), QStringLiteral("Paris"));
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Book"));
    reference(QStringLiteral("B_001"), QStringLiteral("T"), QStringLiteral("Book"));
    SeekReference(QStringLiteral("B_001"));
    FirstEdition fe{QStringLiteral("Orig"), QStringLiteral("Gallimard"), QString(), QStringLiteral("1920")};
    QCOMPARE(StoreFirstEdition(QStringLiteral("A_001"), fe), Outcome::Done);
    QVERIFY(!biblio(QStringLiteral("B_001"), QStringLiteral("TITRE_ORI")).isValid());

    FirstEdition shown;
    ReadFirstEdition(QStringLiteral("A_001"), shown);
    QCOMPARE(shown.title, QStringLiteral("Orig"));
    QCOMPARE(shown.publisher, QStringLiteral("Gallimard"));
    QCOMPARE(shown.town, QStringLiteral("Paris")); // the publisher's, none stored
    QCOMPARE(shown.date, QStringLiteral("1920"));

    fe.town = QStringLiteral("Rouen");
    QCOMPARE(StoreFirstEdition(QStringLiteral("A_001"), fe), Outcome::Done);
    FirstEdition again;
    ReadFirstEdition(QStringLiteral("A_001"), again);
    QCOMPARE(again.town, QStringLiteral("Rouen"));

    fe.town = QString(31, QLatin1Char('r'));
    QVERIFY(CheckFirstEdition(fe)->contains(QStringLiteral("\"Town\"")));
    fe.town.clear();
    fe.date = QStringLiteral("70000");
    QVERIFY(CheckFirstEdition(fe)->contains(QStringLiteral("\"Date\"")));

    // A newer reference that took the key is not the one the boxes were
    // read for.
    const auto identity = ReferenceIdentity(QStringLiteral("A_001"));
    QVERIFY(identity);
    fe.date.clear();
    QCOMPARE(StoreFirstEdition(QStringLiteral("A_001"), fe, identity), Outcome::Done);
    QCOMPARE(DeleteReference(QStringLiteral("A_001")), Outcome::Done);
    QVERIFY(!ReferenceIdentity(QStringLiteral("A_001")));
    reference(QStringLiteral("A_001"), QStringLiteral("New"), QStringLiteral("Book"));
    QVERIFY(ReferenceIdentity(QStringLiteral("A_001")) != identity);
    QCOMPARE(StoreFirstEdition(QStringLiteral("A_001"), fe, identity), Outcome::Missing);
    QVERIFY(!biblio(QStringLiteral("A_001"), QStringLiteral("TITRE_ORI")).isValid());
}

void TestReferenceRecords::publishers()
{
    publisher(QStringLiteral("Gallimard"), QStringLiteral("Paris"));
    QCOMPARE(AddPublisher(QStringLiteral("GALLIMARD"), QString()), Outcome::Exists);
    QCOMPARE(AddPublisher(QStringLiteral("Seuil"), QString()), Outcome::Done);
    QCOMPARE(AddPublisher(QStringLiteral("Minuit"), QStringLiteral("Paris")), Outcome::Done);
    QVERIFY(!PublisherTown(QStringLiteral("Seuil")));
    QCOMPARE(*PublisherTown(QStringLiteral("minuit")), QStringLiteral("Paris"));
    QVERIFY(!PublisherTown(QStringLiteral("Nobody")));
}

void TestReferenceRecords::listsHoldEachNameOnce()
{
    publisher(QStringLiteral("Seuil"));
    publisher(QStringLiteral("Gallimard"));
    publisher(QStringLiteral("Seuil"));
    review(QStringLiteral("Science"));
    review(QStringLiteral("Nature"));
    review(QStringLiteral("Science"));
    QCOMPARE(ReadPublisherNames(), (QStringList{"Gallimard", "Seuil"}));
    QCOMPARE(ReadPublisherNames(), (QStringList{"Gallimard", "Seuil"}));
    QCOMPARE(ReadReviewNames(), (QStringList{"Science", "Nature"}));
    QCOMPARE(ReadTypes().size(), 13);
    QCOMPARE(ReadTypes().first(), QStringLiteral("Article"));
}

// Each part of a card stores over what the card read of that part only:
// another part changed meanwhile is no reason to ask; the article row
// added meanwhile is.
void TestReferenceRecords::storesGivenWhatWasReadRefuseAChangedPart()
{
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Article"));
    ReadStamp main = *ReadPartStamp(QStringLiteral("A_001"), Part::Main);
    ReadStamp article = *ReadPartStamp(QStringLiteral("A_001"), Part::Article);
    ReadStamp first = *ReadPartStamp(QStringLiteral("A_001"), Part::FirstEdition);
    QVERIFY(!ReadPartStamp(QStringLiteral("B_001"), Part::Main));

    ArticleDetails a{QStringLiteral("Nature"), QStringLiteral("1999"), {}, {}, {}};
    QCOMPARE(StoreArticleDetails(QStringLiteral("A_001"), a), Outcome::Done);
    QCOMPARE(StoreMainFields(QStringLiteral("A_001"), {QStringLiteral("T2"), {}, QStringLiteral("Article")}, &main),
             Outcome::Done);
    QCOMPARE(main, *ReadPartStamp(QStringLiteral("A_001"), Part::Main));
    const ReadStamp stale = article;
    QCOMPARE(StoreArticleDetails(QStringLiteral("A_001"), a, &article), Outcome::Changed);
    QVERIFY(!(article == stale));
    QCOMPARE(StoreArticleDetails(QStringLiteral("A_001"), a, &article), Outcome::Done);

    // A newer reference under the key is not the one read.
    QCOMPARE(DeleteReference(QStringLiteral("A_001"), main.identity + 1), Outcome::Missing);
    QCOMPARE(DeleteReference(QStringLiteral("A_001"), main.identity), Outcome::Done);
    reference(QStringLiteral("A_001"), QStringLiteral("T"), QStringLiteral("Article"));
    FirstEdition fe{QStringLiteral("O"), {}, {}, {}};
    QCOMPARE(StoreFirstEdition(QStringLiteral("A_001"), fe, std::nullopt, &first), Outcome::Missing);
    QCOMPARE(StoreMainFields(QStringLiteral("A_001"), {QStringLiteral("X"), {}, {}}, &main), Outcome::Missing);
    QCOMPARE(biblio(QStringLiteral("A_001"), QStringLiteral("TITRE1")).toString(), QStringLiteral("T"));
}

namespace {

QString readBack(const char *table, const char *index, const QString &key, const char *column)
{
    dao::Recordset rs = g_Db.OpenRecordset(QString::fromLatin1(table));
    rs.setIndex(QString::fromLatin1(index));
    rs.Seek(QStringLiteral("="), key);
    return rs.NoMatch() ? QStringLiteral("<gone>") : rs.Fields(QString::fromLatin1(column)).Value().toString();
}

} // namespace

// Each column a store of a part writes, changed by another running copy of
// the program (a connection of its own) after the card read that part: the
// store asks (Changed) and writes nothing over it.
void TestReferenceRecords::everyWrittenColumnChangedElsewhereIsSeen()
{
    struct Column {
        Part part;
        const char *table, *index, *name;
        QVariant elsewhere;
    };
    const QList<Column> written{
        {Part::Main, "BIBLIO", "BibNDX", "TITRE1", QStringLiteral("x")},
        {Part::Main, "BIBLIO", "BibNDX", "TITRE2", QStringLiteral("x")},
        {Part::Main, "BIBLIO", "BibNDX", "Type", QStringLiteral("x")},
        {Part::Book, "BIBLIO", "BibNDX", "EDITEUR", QStringLiteral("x")},
        {Part::Book, "BIBLIO", "BibNDX", "LIEU", QStringLiteral("x")},
        {Part::Book, "BIBLIO", "BibNDX", "ANNEE", 1931},
        {Part::Book, "BIBLIO", "BibNDX", "ISBN", QStringLiteral("x")},
        {Part::Book, "BIBLIO", "BibNDX", "Congress", QStringLiteral("x")},
        {Part::FirstEdition, "BIBLIO", "BibNDX", "TITRE_ORI", QStringLiteral("x")},
        {Part::FirstEdition, "BIBLIO", "BibNDX", "EDITEUROR", QStringLiteral("x")},
        {Part::FirstEdition, "BIBLIO", "BibNDX", "LIEU_ORIG", QStringLiteral("x")},
        {Part::FirstEdition, "BIBLIO", "BibNDX", "DATE_ORIG", 1931},
        {Part::Article, "RevueArticle", "NDX", "RevueTitre", QStringLiteral("x")},
        {Part::Article, "RevueArticle", "NDX", "Annee", 1931},
        {Part::Article, "RevueArticle", "NDX", "Mois", 7},
        {Part::Article, "RevueArticle", "NDX", "RevueNumero", QStringLiteral("x")},
        {Part::Article, "RevueArticle", "NDX", "Pages", QStringLiteral("x")}};
    const QString key = QStringLiteral("A_001");
    reference(key, QStringLiteral("T"), QStringLiteral("Article"));
    article(key, QStringLiteral("Nature"), 1999);
    for (const Column &c : written) {
        ReadStamp read = *ReadPartStamp(key, c.part);

        // This program's reads end their hold on the file as the event loop
        // turns; the other copy may then write.
        QCoreApplication::processEvents();
        {
            dao::Database other = dao::DBEngine::OpenDatabase(g_Db.Name(), false, false, testbase::kConnect);
            dao::Recordset rs = other.OpenRecordset(QString::fromLatin1(c.table));
            rs.setIndex(QString::fromLatin1(c.index));
            rs.Seek(QStringLiteral("="), key);
            QVERIFY(!rs.NoMatch());
            rs.Edit();
            rs.Fields(QString::fromLatin1(c.name)).setValue(c.elsewhere);
            rs.Update();
            other.Close();
        }
        Outcome stored = Outcome::Done;
        switch (c.part) {
        case Part::Main: stored = StoreMainFields(key, {QStringLiteral("mine"), {}, {}}, &read); break;
        case Part::Book: stored = StoreBookDetails(key, {QStringLiteral("mine"), {}, {}, {}, {}}, &read); break;
        case Part::FirstEdition:
            stored = StoreFirstEdition(key, {QStringLiteral("mine"), {}, {}, {}}, std::nullopt, &read);
            break;
        case Part::Article:
            stored = StoreArticleDetails(key, {QStringLiteral("mine"), {}, {}, {}, {}}, &read);
            break;
        }
        QVERIFY2(stored == Outcome::Changed, c.name);
        QCOMPARE(readBack(c.table, c.index, key, c.name), c.elsewhere.toString());
    }
}

QTEST_GUILESS_MAIN(TestReferenceRecords)
#include "tst_reference_records.moc"
