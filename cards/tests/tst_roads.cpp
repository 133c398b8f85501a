// Roads through several windows: the overview's one request as far as the
// cards reach it, and a base change with cards and the list open.

#include "CardTestBase.h"
#include "FListSel.h"
#include "FlexGrid.h"
#include "InstallCards.h"
#include "InstallMainWindowLink.h"
#include "InstallWords.h"
#include "RichTextBox.h"
#include "WindowLinks.h"
#include "fNoteMulti.h"
#include "fWords.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTextEdit>

using namespace cardtest;
using vb::DialogScript;

#define QVERIFY_SCRIPT(script) QVERIFY2((script).ok(), (script).report().constData())

namespace {

fNoteMulti *onlyNote()
{
    const QList<CardWindowLink *> cards = cardwindows::all();
    return cards.size() == 1 ? static_cast<fNoteMulti *>(cards.first()->cardForm()) : nullptr;
}

} // namespace

class TestCardRoads : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        programFont();
        InstallCardWindows();
        InstallWordWindows();
    }
    void cleanup()
    {
        unloadAll();
        windowLinks().showChooser = nullptr;
    }

    void oneRequest()
    {
        Base base;
        Base::keywords({QStringLiteral("Memory"), QStringLiteral("Sleep")});
        addNote(QStringLiteral("MART0001.TXT"), QStringLiteral("Martin"), QStringLiteral("On memory"),
                QStringLiteral("first draft"));
        link(CardType::Note, QStringLiteral("Memory"), QStringLiteral("MART0001.TXT"));

        // The result grid's double-click: seek the note, open it.
        CardKind = QStringLiteral("Note");
        QVERIFY(seekKey(CardType::Note, QStringLiteral("MART0001.TXT")));
        ShowNoteCard();
        fNoteMulti *card = onlyNote();
        QVERIFY(card && card->isVisible());
        QCOMPARE(card->caption(), QStringLiteral("On memory : '' (1)"));

        // Edit and store.
        card->NoteRTF->setText(QStringLiteral("a revised text"));
        card->NoteRTF->setSelStart(2);
        card->NoteRTF->setSelLength(7);
        card->NoteRTF->setSelItalic(true);
        card->CmdStore->click();
        QCOMPARE(field(CardType::Note, QStringLiteral("MART0001.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("a revised text"));

        // Keywords through the chooser: it links, raises the flag and has
        // the open cards of that key read their links again.
        windowLinks().showChooser = [](const ChooserRequest &r) {
            QVERIFY(r.mode == ChooserMode::KWNoteSelect);
            link(r.targetType, QStringLiteral("Sleep"), r.targetKey);
            KeywordsChanged = true;
            RefreshCardKeywords(r.targetType, r.targetKey);
        };
        // Another window moved the shared cursor meanwhile.
        rsNote.setIndex(QStringLiteral("Jour"));
        card->KWAdd->click();
        QCOMPARE(card->keywords(), (QStringList{QStringLiteral("Memory"), QStringLiteral("Sleep")}));

        // Close: the question, and OK stores.
        card->NoteRTF->setSelStart(14);
        card->NoteRTF->editor()->insertPlainText(QStringLiteral("!"));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
            QVERIFY(card->unload());
            QVERIFY_SCRIPT(script);
        }
        QCOMPARE(field(CardType::Note, QStringLiteral("MART0001.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("a revised text!"));
        QCOMPARE(linkCount(CardType::Note, QStringLiteral("MART0001.TXT")), 2);

        // Read back: the formatting came through the base.
        QVERIFY(seekKey(CardType::Note, QStringLiteral("MART0001.TXT")));
        ShowNoteCard();
        fNoteMulti *back = onlyNote();
        back->NoteRTF->setSelStart(2);
        back->NoteRTF->setSelLength(7);
        QCOMPARE(back->NoteRTF->SelItalic(), std::optional<bool>(true));
        QCOMPARE(back->caption(), QStringLiteral("On memory : '' (2)"));
    }

    // A new note titled and stored, then given a keyword from its word
    // window: the card shows its stored title as an opener shows it.
    void wordWindowKeywordShowsTheStoredTitle()
    {
        Base base;
        Base::keywords({QStringLiteral("Memory")});
        addNote(QStringLiteral("MART0001.TXT"), QStringLiteral("Martin"), {}, {});
        QVERIFY(seekKey(CardType::Note, QStringLiteral("MART0001.TXT")));
        ShowNoteCard();
        fNoteMulti *card = onlyNote();
        QCOMPARE(card->caption(), QStringLiteral(" : '' (1)"));

        QTest::keyClicks(card->cNoteTitle, QStringLiteral("On sleep"));
        card->NoteRTF->setText(QStringLiteral("memory and memory again"));
        QTest::mouseClick(card->CmdStore, Qt::LeftButton);
        QCOMPARE(field(CardType::Note, QStringLiteral("MART0001.TXT"), QStringLiteral("TITRE1")),
                 QStringLiteral("On sleep"));
        QTest::mouseClick(card->Command7, Qt::LeftButton); // Text Compare
        fWords *words = vb::Forms::find<fWords>();
        QVERIFY(words);
        QCOMPARE(words->Grid2->textMatrix(1, 0), QStringLiteral("Memory"));
        words->Grid2->setRow(1);
        QTest::mouseClick(words->Command4, Qt::LeftButton);
        QCOMPARE(card->keywords(), QStringList{QStringLiteral("Memory")});
        QCOMPARE(card->caption(), QStringLiteral("On sleep : '' (1)"));
        QVERIFY(cardwindows::all().size() == 1);
    }

    void baseChangeWithAChangedCardAndTheList()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("old"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("A.TXT")));
        ShowNoteCard();
        fNoteMulti *card = onlyNote();
        ShowDateList({{QString(), QStringLiteral("A.TXT")}});
        QVERIFY(vb::Forms::isLoaded<FListSel>());

        // Read only: the store fails, the card stays with its edits, and
        // nothing may close the base.
        base.reopenReadOnly();
        card->NoteRTF->setText(QStringLiteral("unsaved edits"));
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
            script.msgBox(vb::vbOK, QStringLiteral("Fichier en lecture seule !"));
            QVERIFY(!mainwindow::UnloadCardWindows());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(card->isLoaded());
        QCOMPARE(card->NoteRTF->Text(), QStringLiteral("unsaved edits"));
    }

    void baseChangeStoresFirstThenUnloadsEveryHolder()
    {
        Base base;
        addNote(QStringLiteral("A.TXT"), {}, {}, QStringLiteral("old"));
        QVERIFY(seekKey(CardType::Note, QStringLiteral("A.TXT")));
        ShowNoteCard();
        fNoteMulti *card = onlyNote();
        card->NoteRTF->setText(QStringLiteral("kept before the switch"));
        ShowDateList({{QString(), QStringLiteral("A.TXT")}});
        // A window of the base outside the main window's area.
        vb::Form *dialog = vb::Forms::create<vb::Form>();
        MarkHoldsOpenBase(dialog);
        dialog->show();
        {
            DialogScript script;
            script.msgBox(vb::vbOK, QStringLiteral("The data have changed - do you want save?"));
            QVERIFY(mainwindow::UnloadCardWindows());
            QVERIFY_SCRIPT(script);
        }
        QVERIFY(cardwindows::all().isEmpty());
        QVERIFY(!vb::Forms::isLoaded<FListSel>());
        QVERIFY(!dialog->isLoaded());
        QCOMPARE(field(CardType::Note, QStringLiteral("A.TXT"), QStringLiteral("Texte")),
                 QStringLiteral("kept before the switch"));
    }
};

QTEST_MAIN(TestCardRoads)
#include "tst_roads.moc"
