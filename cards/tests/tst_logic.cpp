// The card rules and the record operations, without windows.

#include "CardKeywords.h"
#include "CardRecords.h"
#include "CardRules.h"
#include "CardTables.h"
#include "CardTestBase.h"
#include "Error.h"

using namespace cards;
using namespace cardtest;

namespace {

// A store from a card that has just read its record.
bool store(CardType type, const QString &key, const CardEdits &edits)
{
    CardStamp stamp = readCardStamp(type, key).value_or(CardStamp{});
    return storeCard(type, key, edits, stamp);
}

} // namespace

class TestCardLogic : public QObject {
    Q_OBJECT
private slots:
    void keywordsSortByTheirLowerCase()
    {
        QStringList k{QStringLiteral("delta"), QStringLiteral("Alpha"), QStringLiteral("alpha"),
                      QStringLiteral("Gamma")};
        SortCardKeywords(k);
        QCOMPARE(k, (QStringList{QStringLiteral("Alpha"), QStringLiteral("alpha"),
                                 QStringLiteral("delta"), QStringLiteral("Gamma")}));

        // Accented first letters after z, digits before letters.
        k = QStringList{QString::fromUtf8("été"), QStringLiteral("zèbre"), QStringLiteral("2024"),
                        QStringLiteral("abc")};
        SortCardKeywords(k);
        QCOMPARE(k, (QStringList{QStringLiteral("2024"), QStringLiteral("abc"), QStringLiteral("zèbre"),
                                 QString::fromUtf8("été")}));

        // Ties keep the order the gathering swaps give.
        k = QStringList{QStringLiteral("b"), QStringLiteral("a"), QStringLiteral("A")};
        SortCardKeywords(k);
        QCOMPARE(k, (QStringList{QStringLiteral("a"), QStringLiteral("A"), QStringLiteral("b")}));
        k = QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("a")};
        SortCardKeywords(k);
        QCOMPARE(k, (QStringList{QStringLiteral("A"), QStringLiteral("a"), QStringLiteral("b")}));

        QStringList one{QStringLiteral("Z")}, none;
        SortCardKeywords(one);
        SortCardKeywords(none);
        QCOMPARE(one, QStringList{QStringLiteral("Z")});
        QVERIFY(none.isEmpty());
    }

    void captionsAndQuestions()
    {
        QCOMPARE(cardCaption(QStringLiteral("Memory"), QString(), 3), QStringLiteral("Memory : '' (3)"));
        QCOMPARE(cardCaption(QStringLiteral("Memory"), QStringLiteral("word"), 3),
                 QStringLiteral("Memory : 'word' (3)"));
        QCOMPARE(cardCaption(QString(), QString(), 12), QStringLiteral(" : '' (12)"));

        const QString head = QStringLiteral("  Do you really want to delete  \r\r\n");
        QCOMPARE(suppQuestion(QStringLiteral("abcdefghij"), CardType::Note),
                 head + QString(12, QLatin1Char(' ')) + QStringLiteral("abcdefghij  "));
        QCOMPARE(suppQuestion(QString(33, QLatin1Char('k')), CardType::Note),
                 head + QLatin1Char(' ') + QString(33, QLatin1Char('k')) + QStringLiteral("  "));
        QCOMPARE(suppQuestion(QString(34, QLatin1Char('k')), CardType::Note),
                 head + QString(34, QLatin1Char('k')) + QStringLiteral("  "));
        // Length 5: the note truncates 13.5 to 13, the quote rounds it to 14.
        QCOMPARE(suppQuestion(QStringLiteral("abcde"), CardType::Note),
                 head + QString(14, QLatin1Char(' ')) + QStringLiteral("abcde  "));
        QCOMPARE(suppQuestion(QStringLiteral("abcde"), CardType::Quote),
                 head + QString(15, QLatin1Char(' ')) + QStringLiteral("abcde  "));

        QCOMPARE(closeQuestion(CardType::Note), QStringLiteral("The data have changed - do you want save?"));
        QCOMPARE(closeQuestion(CardType::Quote), QStringLiteral("The data have changed - do you want to save?"));
    }

    void hitsAreClampedToTheText()
    {
        QVERIFY(!hitSelection(0, 4, 100));
        QVERIFY(!hitSelection(-3, 4, 100));
        auto s = hitSelection(5, 4, 100);
        QCOMPARE(s->start, 4);
        QCOMPARE(s->length, 4);
        // A stale hit past the end of this text selects nothing beyond it.
        s = hitSelection(90, 8, 20);
        QCOMPARE(s->start, 20);
        QCOMPARE(s->length, 0);
        s = hitSelection(18, 8, 20);
        QCOMPARE(s->start, 17);
        QCOMPARE(s->length, 3);
    }

    void placementAndNumbers()
    {
        // round(W - w) \ 2 - round(p) \ 2 and round(H - h) \ 8.
        const CardPlacement p = cardPlacement(19200, 12000, 2350, 8695, 6250);
        QCOMPARE(p.left, (19200 - 8695) / 2 - 2350 / 2);
        QCOMPARE(p.top, (12000 - 6250) / 8);
        QCOMPARE(cardPlacement(4000, 3000, 2350, 8695, 6250).left, -2347 - 1175);
        QCOMPARE(cardNumberOf(QStringLiteral("12")), 12);
        QCOMPARE(cardNumberOf(QString()), 0);
        QCOMPARE(cardNumberOf(QStringLiteral("x")), 0);
        QCOMPARE(stretchedSize(3000, 120, 240), 2640.0);
        QCOMPARE(stretchedSize(200, 120, 240), 0.0);
    }

    void keywordAndAuthorWalks()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, {});
        addNote(QStringLiteral("B.TXT"), {}, {}, {});
        for (int i = 0; i < 53; ++i)
            link(CardType::Note, QStringLiteral("k%1").arg(i, 2, 10, QLatin1Char('0')), QStringLiteral("B.TXT"));
        link(CardType::Note, QStringLiteral("only a"), QStringLiteral("A.TXT"));
        // The walk stops at another card's rows and at the limit.
        QCOMPARE(readCardKeywords(CardType::Note, QStringLiteral("A.TXT")), QStringList{QStringLiteral("only a")});
        const QStringList b = readCardKeywords(CardType::Note, QStringLiteral("b.txt"));
        QCOMPARE(b.size(), kMaxCardKeywords);
        QCOMPARE(b.first(), QStringLiteral("k00"));
        QVERIFY(readCardKeywords(CardType::Note, QStringLiteral("C.TXT")).isEmpty());

        addReference(QStringLiteral("Ref0000001"), QStringLiteral("T"),
                     {QStringLiteral("a1"), QStringLiteral("a2"), QStringLiteral("a3"), QStringLiteral("a4"),
                      QStringLiteral("a5"), QStringLiteral("a6"), QStringLiteral("a7")});
        const QStringList authors = readReferenceAuthors(QStringLiteral("Ref0000001"));
        QCOMPARE(authors.size(), kMaxCardAuthors);
        QCOMPARE(authors.first(), QStringLiteral("a1"));
        QCOMPARE(authors.last(), QStringLiteral("a6"));

        // Cards of a keyword as the index compares it (letter case aside),
        // to the end of the table.
        link(CardType::Note, QStringLiteral("Zeta"), QStringLiteral("A.TXT"));
        link(CardType::Note, QStringLiteral("Zeta"), QStringLiteral("B.TXT"));
        link(CardType::Note, QStringLiteral("zeta"), QStringLiteral("C.TXT"));
        link(CardType::Note, QStringLiteral("Zetas"), QStringLiteral("D.TXT"));
        QStringList zeta = keywordCardKeys(CardType::Note, QStringLiteral("zeta"));
        zeta.sort();
        QCOMPARE(zeta, (QStringList{QStringLiteral("A.TXT"), QStringLiteral("B.TXT"), QStringLiteral("C.TXT")}));
        QVERIFY(keywordCardKeys(CardType::Note, QStringLiteral("none")).isEmpty());
        // References through the same walk, in the order of their index.
        link(CardType::Reference, QStringLiteral("Memory"), QStringLiteral("B_001"));
        link(CardType::Reference, QStringLiteral("Time"), QStringLiteral("A_001"));
        link(CardType::Reference, QStringLiteral("Memory"), QStringLiteral("C_001"));
        QCOMPARE(keywordCardKeys(CardType::Reference, QStringLiteral("Memory")),
                 (QStringList{QStringLiteral("B_001"), QStringLiteral("C_001")}));
        QVERIFY(keywordCardKeys(CardType::Reference, QStringLiteral("None")).isEmpty());
    }

    void storeSeeksItsOwnCard()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), QStringLiteral("an"), QStringLiteral("at"), QStringLiteral("old"));
        addNote(QStringLiteral("B.TXT"), QStringLiteral("bn"), QStringLiteral("bt"), QStringLiteral("b text"));
        // Another window left the shared cursor on another card and index.
        rsNote.setIndex(QStringLiteral("Jour"));
        rsNote.MoveLast();
        CardEdits e{QStringLiteral("new author"), QStringLiteral("new title"), QStringLiteral("plain"),
                    QStringLiteral("{\\rtf1 plain}")};
        store(CardType::Note, QStringLiteral("A.TXT"), e);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("AUTEUR")), QStringLiteral("new author"));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TEXTRTF")), QStringLiteral("{\\rtf1 plain}"));
        QCOMPARE(field(CardType::Note, QStringLiteral("B.TXT"), QStringLiteral("Texte")), QStringLiteral("b text"));

        // A quote keeps its own author.
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), QStringLiteral("t"), QStringLiteral("x"));
        store(CardType::Quote, QStringLiteral("Q.TXT"), e);
        QCOMPARE(field(CardType::Quote, QStringLiteral("Q.TXT"), QStringLiteral("Auteur")), QStringLiteral("own author"));
        QCOMPARE(field(CardType::Quote, QStringLiteral("Q.TXT"), QStringLiteral("Texte")), QStringLiteral("plain"));

        // A card gone says so; a title past its column fails whole.
        QCOMPARE(vb::errorOf([&] { store(CardType::Note, QStringLiteral("GONE.TXT"), e); }), kCardGoneError);
        CardEdits tooLong = e;
        tooLong.title = QString(101, QLatin1Char('t'));
        tooLong.plainText = QStringLiteral("not written");
        QVERIFY(vb::errorOf([&] { store(CardType::Note, QStringLiteral("A.TXT"), tooLong); }) != 0);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")), QStringLiteral("plain"));
        QCOMPARE(rsNote.EditMode(), int(dao::dbEditNone));

        base.reopenReadOnly();
        QString why;
        const int n = vb::errorOf([&] { store(CardType::Note, QStringLiteral("A.TXT"), e); }, &why);
        QCOMPARE(n, 3027);
        QCOMPARE(writeFailureText(vb::Error(n, why)), QStringLiteral("Fichier en lecture seule !"));
        QCOMPARE(writeFailureText(vb::Error(3163, QStringLiteral("Field too small"))), QStringLiteral("Field too small"));
    }

    // Which record a card read: a newer record that took the key is another
    // card; a record changed since it was read is not written over unasked.
    void storesWriteTheRecordTheyRead()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), QStringLiteral("an"), QStringLiteral("at"), QStringLiteral("a"));
        const CardStamp old = *readCardStamp(CardType::Note, QStringLiteral("A.TXT"));
        deleteCard(CardType::Note, QStringLiteral("A.TXT"));
        addNote(QStringLiteral("A.TXT"), QStringLiteral("an"), QStringLiteral("at"), QStringLiteral("a"));
        const CardStamp taken = *readCardStamp(CardType::Note, QStringLiteral("a.txt"));
        QVERIFY(taken.counter != old.counter);
        QCOMPARE(taken.digest, old.digest); // the same values, another record
        CardEdits e{QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x"), QString()};
        CardStamp stale = old;
        QCOMPARE(vb::errorOf([&] { storeCard(CardType::Note, QStringLiteral("A.TXT"), e, stale); }), kCardGoneError);
        QCOMPARE(vb::errorOf([&] { deleteCard(CardType::Note, QStringLiteral("A.TXT"), old.counter); }), kCardGoneError);
        QCOMPARE(vb::errorOf([&] { checkSameCard(CardType::Note, QStringLiteral("A.TXT"), old.counter); }), kCardGoneError);
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")), QStringLiteral("a"));
        QVERIFY(!readCardStamp(CardType::Note, QStringLiteral("B.TXT")));

        // Two readers: the first store goes in, the second is refused and
        // learns what is there; stored again knowingly, it goes in.
        CardStamp one = taken, two = taken;
        QVERIFY(storeCard(CardType::Note, QStringLiteral("A.TXT"), e, one));
        QCOMPARE(one, *readCardStamp(CardType::Note, QStringLiteral("A.TXT")));
        CardEdits mine = e;
        mine.title = QStringLiteral("mine");
        QVERIFY(!storeCard(CardType::Note, QStringLiteral("A.TXT"), mine, two));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("x"));
        QCOMPARE(two, one);
        QVERIFY(storeCard(CardType::Note, QStringLiteral("A.TXT"), mine, two));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("TITRE1")), QStringLiteral("mine"));

        // A value read as Null and stored as nothing is no change; a quote's
        // own author, which its card never writes, is none either.
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), QStringLiteral("t"), QStringLiteral("x"));
        CardStamp q = *readCardStamp(CardType::Quote, QStringLiteral("Q.TXT"));
        CardEdits qe{std::nullopt, QStringLiteral("t"), QStringLiteral("x"), QString()};
        QVERIFY(storeCard(CardType::Quote, QStringLiteral("Q.TXT"), qe, q));
        seekKey(CardType::Quote, QStringLiteral("Q.TXT"));
        rsCit.Edit();
        fldCitAuteur.setValue(QStringLiteral("changed"));
        rsCit.Update();
        QVERIFY(storeCard(CardType::Quote, QStringLiteral("Q.TXT"), qe, q));
    }

    // Each column a store writes, changed by another running copy of the
    // program after the card read its record: the store asks (writes
    // nothing, returns false) instead of writing over it. The stamp the
    // opener makes from the values it read is the stamp read from the base.
    void everyWrittenColumnChangedElsewhereIsSeen()
    {
        const QList<QPair<CardType, QString>> written{
            {CardType::Note, QStringLiteral("AUTEUR")},  {CardType::Note, QStringLiteral("TITRE1")},
            {CardType::Note, QStringLiteral("Texte")},   {CardType::Note, QStringLiteral("TEXTRTF")},
            {CardType::Quote, QStringLiteral("Titre1")}, {CardType::Quote, QStringLiteral("Texte")},
            {CardType::Quote, QStringLiteral("TEXTRTF")}};
        Base base;
        const QString key = QStringLiteral("A.TXT");
        addNote(key, QStringLiteral("au"), QStringLiteral("ti"), QStringLiteral("tx"),
                QStringLiteral("{\\rtf1 tx}"));
        addQuote(key, QStringLiteral("R"), QStringLiteral("ti"), QStringLiteral("tx"));
        for (const auto &[type, column] : written) {
            QVERIFY(seekKey(type, key));
            const CardRecord read = readCurrentCard(type);
            CardStamp stamp = stampOf(type, read);
            QCOMPARE(stamp, *readCardStamp(type, key));

            writeElsewhere(type, key, column, QStringLiteral("elsewhere ") + column);
            const CardEdits mine{type == CardType::Note ? std::optional<QString>(read.author) : std::nullopt,
                                 QStringLiteral("mine ") + column, read.plainText, read.richText};
            QVERIFY2(!storeCard(type, key, mine, stamp), qPrintable(column));
            QCOMPARE(field(type, key, column), QStringLiteral("elsewhere ") + column);
            QVERIFY(field(type, key, type == CardType::Note ? QStringLiteral("TITRE1") : QStringLiteral("Titre1")) !=
                    mine.title);
            // Told, the store goes in knowingly.
            QVERIFY(storeCard(type, key, mine, stamp));
        }
    }

    // The stamp made from the values read equals the one read from the
    // base for values a box shows alike or that a conversion could change:
    // Null and empty, characters beyond the Basic Multilingual Plane, a
    // rich text beside its plain text.
    void aStampMadeFromWhatWasReadIsExact()
    {
        Base base;
        addNote(QStringLiteral("N.TXT"), {}, {}, {});
        addNote(QStringLiteral("U.TXT"), QString::fromUtf8("Zo\xc3\xab \xf0\x9f\x98\x80"), QStringLiteral("t"),
                QString::fromUtf8("caf\xc3\xa9\r\n\xf0\x9f\x98\x80"), QStringLiteral("{\\rtf1 caf\\'e9}"));
        addQuote(QStringLiteral("Q.TXT"), QStringLiteral("R"), {}, {});
        for (const auto &[type, key] : {QPair<CardType, QString>{CardType::Note, QStringLiteral("N.TXT")},
                                        QPair<CardType, QString>{CardType::Note, QStringLiteral("U.TXT")},
                                        QPair<CardType, QString>{CardType::Quote, QStringLiteral("Q.TXT")}}) {
            QVERIFY(seekKey(type, key));
            QCOMPARE(stampOf(type, readCurrentCard(type)), *readCardStamp(type, key));
        }
        // Two records of the same values are told apart by their counters.
        QVERIFY(seekKey(CardType::Note, QStringLiteral("N.TXT")));
        const CardStamp n = stampOf(CardType::Note, readCurrentCard(CardType::Note));
        addNote(QStringLiteral("M.TXT"), {}, {}, {});
        QVERIFY(seekKey(CardType::Note, QStringLiteral("M.TXT")));
        const CardStamp m = stampOf(CardType::Note, readCurrentCard(CardType::Note));
        QCOMPARE(m.digest, n.digest);
        QVERIFY(m.counter != n.counter);
    }

    void deleteAndRemoveLinks()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, {});
        addNote(QStringLiteral("B.TXT"), {}, {}, {});
        for (const char *k : {"x", "y", "z"})
            link(CardType::Note, QString::fromLatin1(k), QStringLiteral("A.TXT"));
        link(CardType::Note, QStringLiteral("x"), QStringLiteral("B.TXT"));
        // The cursor stands on B: the delete still removes A only.
        seekKey(CardType::Note, QStringLiteral("B.TXT"));
        deleteCard(CardType::Note, QStringLiteral("A.TXT"));
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("CIT")), QStringLiteral("<gone>"));
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("A.TXT")), 0);
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("B.TXT")), 1);
        QCOMPARE(vb::errorOf([] { deleteCard(CardType::Note, QStringLiteral("A.TXT")); }), kCardGoneError);

        // Removing a keyword: exact text, every link of it, this card only.
        link(CardType::Note, QStringLiteral("Kw"), QStringLiteral("B.TXT"));
        link(CardType::Note, QStringLiteral("kw"), QStringLiteral("B.TXT"));
        link(CardType::Note, QStringLiteral("Kw"), QStringLiteral("B.TXT"));
        QCOMPARE(removeKeywordLinks(CardType::Note, QStringLiteral("B.TXT"), QStringLiteral("Kw")), 2);
        QCOMPARE(readCardKeywords(CardType::Note, QStringLiteral("B.TXT")),
                 (QStringList{QStringLiteral("x"), QStringLiteral("kw")}));

        // Read only: nothing goes.
        base.reopenReadOnly();
        QCOMPARE(vb::errorOf([] { deleteCard(CardType::Note, QStringLiteral("B.TXT")); }), 3027);
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("B.TXT")), 2);
    }
};

QTEST_MAIN(TestCardLogic)
#include "tst_logic.moc"
