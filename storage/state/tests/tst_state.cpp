// The shared card sets, the registry of open cards and the hooks' fallbacks.
#include "CardWindows.h"
#include "Dialogs.h"
#include "ProgramState.h"
#include "WindowLinks.h"

#include <QtTest>

namespace {

class FakeCard : public CardWindowLink {
public:
    FakeCard(CardType type, QString key) : m_type(type), m_key(std::move(key)) { cardwindows::add(this); }
    ~FakeCard() override { cardwindows::remove(this); }
    CardType cardType() const override { return m_type; }
    QString cardKey() const override { return m_key; }
    vb::Form *cardForm() override { return nullptr; }
    void setCardNumber(int number) override { m_number = number; }
    int cardNumber() const override { return m_number; }
    void reloadKeywords() override { ++reloads; }
    QString cardPlainText() const override { return {}; }
    void closeWithoutAsking() override
    {
        ++closes;
        cardwindows::remove(this);
    }
    int reloads = 0;
    int closes = 0;

private:
    CardType m_type;
    QString m_key;
    int m_number = 0;
};

} // namespace

class TestState : public QObject {
    Q_OBJECT
private slots:
    void slotsNumberUpAndSetsStartAgain()
    {
        BeginCardSet(CardType::Note);
        QCOMPARE(NextCardSlot(CardType::Note), 1);
        NoteCards.slot.key = QStringLiteral("A");
        QCOMPARE(NextCardSlot(CardType::Note), 2);
        // Each new slot starts from an empty hand-over.
        QVERIFY(NoteCards.slot.key.isEmpty());
        QCOMPARE(QuoteCards.count, 0);
        BeginCardSet(CardType::Note);
        QCOMPARE(NextCardSlot(CardType::Note), 1);
        // Never a negative slot past the 16-bit count.
        QuoteCards.count = 32767;
        QCOMPARE(NextCardSlot(CardType::Quote), 1);
    }

    void kindNamesRoundTrip()
    {
        for (CardType t : {CardType::Note, CardType::Quote, CardType::Reference})
            QCOMPARE(cardTypeOfKind(cardKindName(t)), std::optional<CardType>(t));
        QVERIFY(!cardTypeOfKind(QStringLiteral("note")).has_value());
    }

    void cardsAreFoundByKindAndKeyAsTheIndexCompares()
    {
        FakeCard a(CardType::Note, QStringLiteral("MART0001.TXT"));
        FakeCard b(CardType::Note, QStringLiteral("mart0001.txt"));
        FakeCard c(CardType::Quote, QStringLiteral("MART0001.TXT"));
        FakeCard d(CardType::Note, QStringLiteral("MART0002.TXT"));
        QCOMPARE(cardwindows::find(CardType::Note, QStringLiteral("Mart0001.TXT")).size(), 2);
        RefreshCardKeywords(CardType::Note, QStringLiteral("MART0001.TXT"));
        QCOMPARE(a.reloads + b.reloads, 2);
        QCOMPARE(c.reloads + d.reloads, 0);
        // Closing while walking the registry: every card of the key closes once.
        CloseCardsOfKey(CardType::Note, QStringLiteral("MART0001.TXT"));
        QCOMPARE(a.closes, 1);
        QCOMPARE(b.closes, 1);
        QCOMPARE(c.closes + d.closes, 0);
        QCOMPARE(cardwindows::all().size(), 2);
    }

    void hooksNoFolderFilledSayNotAvailable()
    {
        vb::DialogScript script;
        script.msgBox(vb::vbOK, QString::fromLatin1(kNotAvailableYet));
        ShowNoteCard();
        QVERIFY2(script.ok(), script.report());
        // A question no folder answers is answered "no": the caller must not
        // go on as if a card were made or rows imported.
        script.msgBox(vb::vbOK, QString::fromLatin1(kNotAvailableYet));
        QVERIFY(!CreateNoteForAuthors({QStringLiteral("Martin")}));
        script.msgBox(vb::vbOK, QString::fromLatin1(kNotAvailableYet));
        QVERIFY(!ImportBase());
        QVERIFY2(script.ok(), script.report());
        // Tidying calls and queries stay silent.
        UnloadResultGrid();
        DropDeletedCard(CardType::Note, QStringLiteral("X"));
        QVERIFY(MainSearchBoxText().isEmpty());
        QVERIFY2(script.ok(), script.report());
    }

    void hooksForwardTheirArguments()
    {
        QString seen;
        windowLinks().listNotesOfKeyword = [&](QString &k) { seen = k; };
        QString keyword = QStringLiteral("Philosophy");
        ListNotesOfKeyword(keyword);
        QCOMPARE(seen, keyword);
        windowLinks().listNotesOfKeyword = nullptr;
    }

    void resetClearsTheGridHandOver()
    {
        GridRows.append(QStringList{QStringLiteral("k")});
        GridKeys << QStringLiteral("K");
        GridRowCount = 1;
        ResetProgramState();
        QCOMPARE(GridRows.size(), 1);
        QVERIFY(GridKeys.isEmpty());
        QCOMPARE(GridRowCount, 0);
    }
};

QTEST_GUILESS_MAIN(TestState)
#include "tst_state.moc"
