// The word searches (cards opened) and the text searches (result list).

#include "InstallWords.h"
#include "ProgramState.h"
#include "WindowLinks.h"
#include "WordSearch.h"
#include "WordsTestUtil.h"

#include "DaoImpl.h"
#include "Memory.h"
#include "MemoryStatus.h"
#include "Tabdef.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QtTest>

using namespace wordstest;

namespace {

const QString kFormatted = QStringLiteral("{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 plain \\b art\\b0 work\\par}");

struct Opened {
    QString key;
    int position;
    QString rtf;
};

} // namespace

class TestWordSearch : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        m_base = std::make_unique<testbase::Base>();
        InstallWordWindows();
        m_opened.clear();
        m_grids.clear();
        WindowLinks &l = windowLinks();
        // The openers read the record the shared recordset stands on.
        l.showNoteCard = [this] {
            NextCardSlot(CardType::Note);
            m_opened.append({fldNoteCit.Value().toString(), SearchTextPos, fldNoteTextRtf.Value().toString()});
        };
        l.showQuoteCard = [this] {
            NextCardSlot(CardType::Quote);
            m_opened.append({fldCitCit.Value().toString(), SearchTextPos, QString()});
        };
        l.searchBoxText = [this] { return m_term; };
        l.showResultGrid = [this](const QString &kind) { m_grids << kind + u'|' + GridCaption; };
    }
    void cleanup()
    {
        windowLinks() = WindowLinks();
        m_base.reset();
    }

    void hitsOpenInKeyOrder();
    void formattedNoteOpensOnItsRecord();
    void refusalsAndNoMatch();
    void positionsCountTheCharactersOfTheText();
    void positionsAsTheDecodedTextGivesThem();
    void manyHitsAskFirst();
    void hitsTheFreeMemoryCannotHoldOpenNothing();
    void textSearchListsOneRowPerKeyword();
    void textSearchWithoutHitLeavesTheList();

private:
    std::unique_ptr<testbase::Base> m_base;
    QList<Opened> m_opened;
    QStringList m_grids;
    QString m_term;
};

void TestWordSearch::hitsOpenInKeyOrder()
{
    addNote(QStringLiteral("BBBB0001.TXT"), QStringLiteral("the party"));
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("art lover"));
    addNote(QStringLiteral("CCCC0001.TXT"), QStringLiteral("nothing"));
    addNote(QStringLiteral("DDDD0001.TXT"), QVariant());
    addNote(QStringLiteral("EEEE0001.TXT"), QStringLiteral("ART"));
    QString far(40000, u'.');
    addNote(QStringLiteral("FFFF0001.TXT"), far + QStringLiteral("art"));
    NoteCards.count = 7;
    m_term = QStringLiteral("art");
    SearchNotesByWord();
    QCOMPARE(m_opened.size(), 3);
    QCOMPARE(m_opened.at(0).key, QStringLiteral("AAAA0001.TXT"));
    QCOMPARE(m_opened.at(0).position, 1);
    QCOMPARE(m_opened.at(1).key, QStringLiteral("BBBB0001.TXT"));
    QCOMPARE(m_opened.at(1).position, 6);
    QCOMPARE(m_opened.at(2).position, 40001);
    QCOMPARE(NoteCards.count, 3); // a new set
    QCOMPARE(SearchText, QStringLiteral("art"));
    QCOMPARE(SearchTextPos, 0);

    addQuote(QStringLiteral("REFER001.TXT"), QStringLiteral("a quoted article"));
    SearchQuotesByWord();
    QCOMPARE(m_opened.size(), 4);
    QCOMPARE(m_opened.last().key, QStringLiteral("REFER001.TXT"));
    QCOMPARE(m_opened.last().position, 10);
}

void TestWordSearch::formattedNoteOpensOnItsRecord()
{
    addNote(QStringLiteral("RICH0001.TXT"), QStringLiteral("plain artwork"), kFormatted);
    m_term = QStringLiteral("artwork");
    SearchNotesByWord();
    QCOMPARE(m_opened.size(), 1);
    QCOMPARE(m_opened.at(0).rtf, kFormatted);
    QCOMPARE(m_opened.at(0).position, 7);
    // The search wrote nothing: the formatting is still stored.
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), QStringLiteral("RICH0001.TXT"));
    QCOMPARE(fldNoteTextRtf.Value().toString(), kFormatted);
    QCOMPARE(fldNoteTexte.Value().toString(), QStringLiteral("plain artwork"));
}

void TestWordSearch::refusalsAndNoMatch()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("some text"));
    addQuote(QStringLiteral("REFER001.TXT"), QStringLiteral("some text"));
    vb::DialogScript s;
    s.msgBox(vb::vbOK, QStringLiteral("You cannot search less than 3 characters"));
    s.msgBox(vb::vbOK, QStringLiteral("No Match"));
    s.msgBox(vb::vbOK, QStringLiteral("No Match !"));
    m_term.clear();
    SearchNotesByWord();
    m_term = QStringLiteral("so");
    SearchNotesByWord();
    m_term = QStringLiteral("SOME");
    SearchNotesByWord();
    SearchQuotesByWord();
    QVERIFY_SCRIPT(s);
    QVERIFY(m_opened.isEmpty());
}

namespace {

QStringList hitsOf(const QString &term)
{
    QStringList out;
    for (const words::TextHit &h : words::scanCardTexts(CardType::Note, term).hits)
        out << h.key + u':' + QString::number(h.position);
    return out;
}

} // namespace

// The stored texts are searched as bytes; the positions stay those of the
// text's characters in UTF-16 units, as the card's text counts them.
void TestWordSearch::positionsCountTheCharactersOfTheText()
{
    addNote(QStringLiteral("A.TXT"), u"caf\u00E9 art"_qs);
    addNote(QStringLiteral("B.TXT"), u"\U0001D11E art \u00E9t\u00E9"_qs);
    addNote(QStringLiteral("C.TXT"), u"e\u0301te\u0301 art"_qs); // accents typed after their letters
    addNote(QStringLiteral("D.TXT"), u"l'\u00E9t\u00E9 \u00C9t\u00E9 a\U0001D11Eb"_qs);
    QCOMPARE(hitsOf(QStringLiteral("art")), QStringList({"A.TXT:6", "B.TXT:4", "C.TXT:7"}));
    QCOMPARE(hitsOf(u"\u00E9t\u00E9"_qs), QStringList({"B.TXT:8", "D.TXT:3"}));
    QCOMPARE(hitsOf(u"\u00C9t\u00E9"_qs), QStringList({"D.TXT:7"}));
    QCOMPARE(hitsOf(u"\U0001D11Eb"_qs), QStringList({"D.TXT:12"}));
    QCOMPARE(hitsOf(u"te\u0301"_qs), QStringList({"C.TXT:3"}));
    // A text that starts with U+FEFF counts it, as the card's text does.
    addNote(QStringLiteral("F.TXT"), u"\uFEFF\u00E9 zebra"_qs);
    QCOMPARE(hitsOf(QStringLiteral("zebra")), QStringList({"F.TXT:4"}));
    // Half a character is only in the decoded text: it is searched there.
    QCOMPARE(hitsOf(QString(QChar(0xD834))), QStringList({"B.TXT:1", "D.TXT:12"}));
    QVERIFY(!words::byteSearchTerm(QString(QChar(0xDD1E))));
    QVERIFY(words::byteSearchTerm(u"\U0001D11E"_qs));

    // Bytes that do not decode read as U+FFFD, before and in a hit.
    sqlite3 *db = dao::Access::impl(g_Db)->db;
    QCOMPARE(sqlite3_exec(db, "INSERT INTO NOTE (CIT, TEXTE) VALUES ('E.TXT', CAST(x'6162C3286364' AS TEXT))",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    OpenBaseTables();
    QCOMPARE(hitsOf(QStringLiteral("(cd")), QStringList({"E.TXT:4"}));
    QVERIFY(!words::byteSearchTerm(u"\uFFFD("_qs));
    QCOMPARE(hitsOf(u"\uFFFD("_qs), QStringList({"E.TXT:3"}));
}

// Texts of accented, non-BMP and plain characters, and terms cut from them
// at every kind of place: the hits and positions are those of a search of
// the decoded texts.
void TestWordSearch::positionsAsTheDecodedTextGivesThem()
{
    const QStringList pieces = {u"\u00E9"_qs, "e", u"\U0001F600"_qs, u"\u0153"_qs, "a", " ", u"\u00A0"_qs,
                                u"\u2019"_qs, "\r\n", u"\u4E2D"_qs, "z", u"\u0301"_qs};
    QRandomGenerator rng(5);
    QStringList texts;
    for (int i = 0; i < 40; ++i) {
        QString t;
        const int n = int(rng.bounded(5, 60));
        for (int k = 0; k < n; ++k)
            t += pieces.at(int(rng.bounded(int(pieces.size()))));
        texts << t;
        addNote(QStringLiteral("R%1.TXT").arg(i, 3, 10, QChar(u'0')), t);
    }
    for (int round = 0; round < 60; ++round) {
        const QString &from = texts.at(int(rng.bounded(int(texts.size()))));
        const int at = int(rng.bounded(int(from.size())));
        const QString term = from.mid(at, int(rng.bounded(1, 6)));
        QStringList expected;
        for (int i = 0; i < texts.size(); ++i) {
            const qsizetype p = texts.at(i).indexOf(term);
            if (p >= 0)
                expected << QStringLiteral("R%1.TXT:%2").arg(i, 3, 10, QChar(u'0')).arg(p + 1);
        }
        QCOMPARE(hitsOf(term), expected);
    }
}

void TestWordSearch::manyHitsAskFirst()
{
    {
        dao::TransactionScope tx;
        for (int i = 1; i <= 26; ++i)
            addNote(QStringLiteral("MANY%1.TXT").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("common"));
        tx.Commit();
    }
    m_term = QStringLiteral("common");
    vb::DialogScript s;
    s.msgBox(vb::vbCancel, QStringLiteral("26 cards contain 'common' - open them all ?"));
    s.msgBox(vb::vbOK, QStringLiteral("26 cards contain 'common' - open them all ?"));
    // Cancel leaves the set in use as it was.
    NoteCards.count = 4;
    NoteCards.slot.key = QStringLiteral("OPEN0004.TXT");
    GridRowCount = 9;
    CardKind = QStringLiteral("Bib");
    SearchNotesByWord();
    QCOMPARE(m_opened.size(), 0);
    QCOMPARE(NoteCards.count, 4);
    QCOMPARE(NoteCards.slot.key, QStringLiteral("OPEN0004.TXT"));
    QCOMPARE(GridRowCount, 9);
    QCOMPARE(CardKind, QStringLiteral("Bib"));
    QCOMPARE(SearchTextPos, 0);
    SearchNotesByWord();
    QCOMPARE(m_opened.size(), 26);
    QCOMPARE(NoteCards.count, 26);
    QVERIFY_SCRIPT(s);

    // Up to 25 hits open unasked.
    {
        dao::TransactionScope tx;
        for (int i = 1; i <= 25; ++i)
            addNote(QStringLiteral("FEW%1.TXT").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("seldom"));
        tx.Commit();
    }
    m_term = QStringLiteral("seldom");
    vb::DialogScript none;
    SearchNotesByWord();
    QVERIFY_SCRIPT(none);
    QCOMPARE(m_opened.size(), 26 + 25);
}

void TestWordSearch::hitsTheFreeMemoryCannotHoldOpenNothing()
{
    {
        dao::TransactionScope tx;
        for (int i = 1; i <= 26; ++i)
            addNote(QStringLiteral("MANY%1.TXT").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("common"));
        tx.Commit();
    }
    vb::MemoryStatus room;
    room.totalPhys = room.totalVirtual = 1 << 22;
    room.availPhys = 10 * ::kCardMemoryKB;
    room.availVirtual = 1 << 22;
    vb::setMemoryStatusSource([=] { return room; });
    m_term = QStringLiteral("common");
    vb::DialogScript s;
    s.msgBox(vb::vbOK, ::CardSetTooLargeMessage(room, 26));
    SearchNotesByWord();
    vb::setMemoryStatusSource({});
    QVERIFY_SCRIPT(s);
    QCOMPARE(m_opened.size(), 0);
}

void TestWordSearch::textSearchListsOneRowPerKeyword()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("about Zeal"));
    addNote(QStringLiteral("BBBB0001.TXT"), QStringLiteral("Zeal alone"));
    addNote(QStringLiteral("CCCC0001.TXT"), QStringLiteral("zeal in lower case"));
    linkNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("beta"));
    linkNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("Alpha"));
    linkNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("gamma"));
    vb::DialogScript s;
    s.inputBox(QStringLiteral("Zeal"), QStringLiteral("Fill in the Word (or part of Word) you are looking for"));
    TextSearchNotes();
    QVERIFY_SCRIPT(s);
    QCOMPARE(m_grids, QStringList{"Note|  Notes containing 'Zeal'"});
    QCOMPARE(CardKind, QStringLiteral("Note"));
    QCOMPARE(GridRows.size(), 5);
    QCOMPARE(GridRowCount, 5);
    QCOMPARE(GridRows.at(0), QStringList{QString()});
    // By keyword, character codes: the empty keyword, capitals, then small letters.
    QStringList keywords, keys;
    for (int r = 1; r < GridRows.size(); ++r) {
        keywords << GridRows.at(r).at(1);
        keys << GridKeys.at(r);
    }
    QCOMPARE(keywords, (QStringList{"", "Alpha", "beta", "gamma"}));
    QCOMPARE(keys, (QStringList{"BBBB0001.TXT", "AAAA0001.TXT", "AAAA0001.TXT", "AAAA0001.TXT"}));
    QCOMPARE(GridRows.at(2).at(2), QStringLiteral("AAAA0001.TXT"));

    // A quote without keywords is listed as a note is.
    addQuote(QStringLiteral("REFER001.TXT"), QStringLiteral("quoted Zeal"));
    addQuote(QStringLiteral("REFER002.TXT"), QStringLiteral("more Zeal"));
    linkQuote(QStringLiteral("REFER002.TXT"), QStringLiteral("delta"));
    vb::DialogScript q;
    q.inputBox(QStringLiteral("Zeal"));
    TextSearchQuotes();
    QVERIFY_SCRIPT(q);
    QCOMPARE(m_grids.last(), QStringLiteral("Cit|  Quotes containing 'Zeal'"));
    QCOMPARE(GridRows.size(), 3);
    QCOMPARE(GridRows.at(1).at(1), QString());
    QCOMPARE(GridKeys.at(1), QStringLiteral("REFER001.TXT"));
    QCOMPARE(GridRows.at(2).at(1), QStringLiteral("delta"));
}

void TestWordSearch::textSearchWithoutHitLeavesTheList()
{
    addNote(QStringLiteral("AAAA0001.TXT"), QStringLiteral("text"));
    GridRows = {QStringList{QString()}, QStringList{"", "kw", "KEY", "a", "t"}};
    GridKeys = {QString(), QStringLiteral("KEY")};
    GridCaption = QStringLiteral("before");
    vb::DialogScript s;
    s.inputBox(QStringLiteral("TEXT"));
    s.msgBox(vb::vbOK, QStringLiteral("No Match"));
    s.inputBoxCancel();
    TextSearchNotes();
    TextSearchNotes();
    QVERIFY_SCRIPT(s);
    QVERIFY(m_grids.isEmpty());
    QCOMPARE(GridRows.size(), 2);
    QCOMPARE(GridKeys.at(1), QStringLiteral("KEY"));
    QCOMPARE(GridCaption, QStringLiteral("before"));
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestWordSearch t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_word_search.moc"
