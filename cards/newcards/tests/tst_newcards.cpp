// New notes and references for chosen authors: the key rules with gaps and
// case variants, lengths refused before anything is written, the new
// reference written whole, keys that run out, a read-only base.

#include "Dialogs.h"
#include "NewCards.h"
#include "ProgramState.h"
#include "Runtime.h"
#include "TestBase.h"
#include "ZoneScope.h"
#include "WindowLinks.h"

#include <QtTest>

using vb::DialogScript;

namespace {

using testbase::Base;

void addNote(const QString &key)
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    rsNote.Update();
}

void addReference(const QString &key)
{
    rsBiblio.AddNew();
    fldBiblioNdx.setValue(key);
    rsBiblio.Update();
}

QStringList autNdxRows()
{
    QStringList out;
    rsAutNdx.setIndex(QString());
    if (rsAutNdx.RecordCount() == 0)
        return out;
    for (rsAutNdx.MoveFirst(); !rsAutNdx.Eof(); rsAutNdx.MoveNext())
        out << fldAutNdxAuteur.Value().toString() + "@" + fldAutNdxNdx.Value().toString();
    return out;
}

} // namespace

class TestNewCards : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        ResetProgramState();
        windowLinks() = WindowLinks{};
        InstallNewCards();
        vb::SetClockForTests({});
    }

    void keyRules()
    {
        QCOMPARE(newcards::NoteKey("Li", 1), QString("LI__0001.TXT"));
        QCOMPARE(newcards::NoteKey("Martin", 1), QString("MART0001.TXT"));
        QCOMPARE(newcards::NoteKey("o'Neil", 12), QString("O'NE0012.TXT"));
        QCOMPARE(newcards::NoteKey("Abel", 1), QString("ABEL0001.TXT"));
        QCOMPARE(newcards::ReferenceKey("Li", 1), QString("Li_____001"));
        QCOMPARE(newcards::ReferenceKey("Martinez", 1), QString("Martine001"));
        QCOMPARE(newcards::ReferenceKey("de Gaulle", 7), QString("de Gaul007"));
        QCOMPARE(newcards::ReferenceKey("Lavoisier", 1).size(), 10);

        // Characters as the user sees them: the length is kept in capitals,
        // a character outside the BMP is never cut in half, and a decomposed
        // accent counts as the one letter it shows.
        QCOMPARE(newcards::NoteKey(QString::fromUtf8("Weiß"), 1), QString::fromUtf8("WEIß0001.TXT"));
        QCOMPARE(newcards::NoteKey(QString::fromUtf8("Abc😀def"), 1), QString::fromUtf8("ABC😀0001.TXT"));
        QCOMPARE(newcards::NoteKey(QString::fromUtf8("Ab😀"), 2), QString::fromUtf8("AB😀_0002.TXT"));
        QCOMPARE(newcards::NoteKey(QString::fromUtf8("Rémy"), 1), QString::fromUtf8("RÉMY0001.TXT"));
        QCOMPARE(newcards::ReferenceKey(QString::fromUtf8("Abcdef😀gh"), 1), QString::fromUtf8("Abcdef😀001"));
        QCOMPARE(newcards::ReferenceKey(QString::fromUtf8("Amélie"), 1), QString::fromUtf8("Amélie_001"));
    }

    void firstGapFromOneAndCaseVariants()
    {
        Base base;
        addNote("MART0001.TXT");
        addNote("MART0003.TXT");
        QCOMPARE(*newcards::FreeNoteKey("Martin"), QString("MART0002.TXT"));
        addReference("De Gaul001");
        addReference("de Gaul003");
        // The index holds De Gaul001 as the same key as de Gaul001.
        QCOMPARE(*newcards::FreeReferenceKey("de Gaulle"), QString("de Gaul002"));
        // Whatever index the table was left on.
        rsBiblio.setIndex("Jour");
        rsNote.setIndex("Jour");
        QCOMPARE(*newcards::FreeReferenceKey("de Gaulle"), QString("de Gaul002"));
        QCOMPARE(*newcards::FreeNoteKey("Martin"), QString("MART0002.TXT"));
    }

    void keysThatRunOutSaySo()
    {
        Base base;
        {
            dao::TransactionScope t;
            for (int n = 1; n <= 999; ++n)
                addReference(newcards::ReferenceKey("Li", n));
            t.Commit();
        }
        QVERIFY(!newcards::FreeReferenceKey("Li"));
        DialogScript script;
        script.msgBox(vb::vbOK);
        QVERIFY(!newcards::CreateReferenceForAuthors({"Li"}));
        QVERIFY_SCRIPT(script);
        QVERIFY(script.shown().at(0).prompt.contains("Li_____"));
        QCOMPARE(rsBiblio.RecordCount(), 999L);
    }

    void newNoteOpensItsCard()
    {
        // Today read once: a run across midnight sees one day.
        const QDateTime now = QDateTime::currentDateTime();
        vb::SetClockForTests([now] { return now; });
        Base base;
        addNote("LI__0001.TXT");
        int unloaded = 0;
        QString opened;
        windowLinks().unloadChooser = [&] { ++unloaded; };
        windowLinks().showNoteCard = [&] { opened = fldNoteCit.Value().toString(); };
        SearchTextPos = 5;
        QVERIFY(!newcards::CreateNoteForAuthors({QString()}));
        QVERIFY(opened.isEmpty());
        QVERIFY(newcards::CreateNoteForAuthors({"Li", "Martin"}));
        QCOMPARE(opened, QString("LI__0002.TXT"));
        QCOMPARE(unloaded, 1);
        QCOMPARE(SearchTextPos, 0);
        QCOMPARE(fldNoteAuteur.Value().toString(), QString("Li"));
        QCOMPARE(fldNoteJour.Value().toDateTime(), QDateTime(now.date(), QTime(0, 0), Qt::UTC));
        QCOMPARE(SelectMode, 1);
    }

    void newReferenceIsWrittenWhole()
    {
        Base base;
        QString picked;
        windowLinks().showTypePicker = [&](const QString &k) { picked = k; };
        const QDateTime before = vb::Now().addSecs(-1);
        QVERIFY(newcards::CreateReferenceForAuthors({"Li", "Martinez"}));
        QCOMPARE(picked, QString("Li_____001"));
        rsBiblio.setIndex("BibNDX");
        rsBiblio.Seek("=", picked);
        QVERIFY(!rsBiblio.NoMatch());
        QCOMPARE(fldBiblioAuteur.Value().toString(), QString("Li Martinez "));
        QVERIFY(rsBiblio.Fields("JOURHEURE").Value().toDateTime() >= before);
        QCOMPARE(autNdxRows(), QStringList({"Li@Li_____001", "Martinez@Li_____001"}));
    }

    // On a day whose midnight the clock skips, a new note is dated that
    // day and a new reference stamped with the wall clock, as on any day.
    void newCardsOnADayWithoutMidnight()
    {
        const ZoneScope zone("America/Sao_Paulo");
        vb::SetClockForTests([] { return QDateTime(QDate(2018, 11, 4), QTime(9, 15, 30), Qt::UTC); });
        Base base;
        DialogScript script; // no message
        windowLinks().showTypePicker = [](const QString &) {};
        windowLinks().showNoteCard = [] {};
        windowLinks().unloadChooser = [] {};
        QVERIFY(newcards::CreateNoteForAuthors({"Li"}));
        QCOMPARE(fldNoteCit.Value().toString(), QString("LI__0001.TXT"));
        QCOMPARE(fldNoteJour.Value().toDateTime(), QDateTime(QDate(2018, 11, 4), QTime(0, 0), Qt::UTC));
        QVERIFY(newcards::CreateReferenceForAuthors({"Li"}));
        QCOMPARE(rsBiblio.Fields("JOURHEURE").Value().toDateTime(),
                 QDateTime(QDate(2018, 11, 4), QTime(9, 15, 30), Qt::UTC));
        vb::SetClockForTests({});
        QVERIFY2(script.ok(), script.report());
    }

    void lengthsAreRefusedBeforeAnyWrite()
    {
        Base base;
        windowLinks().showTypePicker = [](const QString &) { QFAIL("no picker"); };
        {
            DialogScript script;
            script.msgBox(vb::vbOK);
            QVERIFY(!newcards::CreateReferenceForAuthors({"Li", QString(61, u'x')}));
            QVERIFY_SCRIPT(script);
        }
        {
            QStringList many;
            for (int i = 0; i < 4; ++i)
                many << QString(50, QChar(u'a' + i));
            DialogScript script;
            script.msgBox(vb::vbOK);
            QVERIFY(!newcards::CreateReferenceForAuthors(many));
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(rsBiblio.RecordCount(), 0L);
        QCOMPARE(rsAutNdx.RecordCount(), 0L);
    }

    void readOnlyBaseSaysSo()
    {
        Base base;
        base.reopenReadOnly();
        DialogScript script;
        script.msgBox(vb::vbOK, QString("Fichier en lecture seule !"))
            .msgBox(vb::vbOK, QString("Fichier en lecture seule !"));
        QVERIFY(!newcards::CreateNoteForAuthors({"Li"}));
        QVERIFY(!newcards::CreateReferenceForAuthors({"Li"}));
        QVERIFY_SCRIPT(script);
    }

    void authorSelectionsConfigureTheChooser()
    {
        Base base;
        QList<ChooserRequest> shown;
        windowLinks().showChooser = [&](const ChooserRequest &r) { shown << r; };
        ShowNoteAuthorSelection();
        ShowAuthorSelection();
        QCOMPARE(shown.size(), 2);
        QCOMPARE(shown.at(0).caption, QString("Note Authors"));
        QVERIFY(shown.at(0).mode == ChooserMode::cNoteAutSel);
        QVERIFY(shown.at(0).source == rsAutNote);
        QVERIFY(shown.at(0).listButtons);
        QCOMPARE(shown.at(1).caption, QString("Authors"));
        QVERIFY(shown.at(1).mode == ChooserMode::cBibAutSel);
        QVERIFY(shown.at(1).sourceField == fldAuteursNom);
    }
};

QTEST_GUILESS_MAIN(TestNewCards)
#include "tst_newcards.moc"
