// From a keyword of the main window to a note card and back into the base,
// through the real windows: the all-keywords list, the result grid, the
// note card and the chooser; the file is then read back on its own and the
// card opened again the same way.

#include "CardWindows.h"
#include "Dialogs.h"
#include "FlexGrid.h"
#include "Form.h"
#include "GridClicks.h"
#include "InstallCards.h"
#include "InstallKeywords.h"
#include "InstallMainWindowLink.h"
#include "KeywordBrowser.h"
#include "OuvreBase.h"
#include "ProgramState.h"
#include "RichTextBox.h"
#include "Start.h"
#include "fCorvane.h"
#include "fGrid.h"
#include "fMultSel.h"
#include "fNoteMulti.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTextCursor>
#include <QTextEdit>
#include <QtTest>

#define QVERIFY_SCRIPT(script) QVERIFY2((script).ok(), (script).report().constData())

namespace {

const QString kChanged = QStringLiteral("The data have changed - do you want save?");
const QString kNote = QStringLiteral("MART0001.TXT");
const QString kOtherNote = QStringLiteral("BERG0001.TXT");

using namespace gridtest;

QList<fNoteMulti *> openNotes()
{
    QList<fNoteMulti *> out;
    for (CardWindowLink *c : cardwindows::all())
        if (auto *n = qobject_cast<fNoteMulti *>(c->cardForm()))
            out << n;
    return out;
}

void addRow(dao::Recordset &rs, std::initializer_list<std::pair<dao::Field *, QVariant>> values)
{
    rs.AddNew();
    for (const auto &[f, v] : values)
        f->setValue(v);
    rs.Update();
}

// The rows of a table read from the file through a connection of its own.
struct FileReader {
    explicit FileReader(const QString &path)
        : db(dao::DBEngine::OpenDatabase(path, false, true, BuiltInConnect()))
    {
    }
    ~FileReader() { db.Close(); }
    QString noteField(const QString &key, const QString &field)
    {
        dao::Recordset rs = db.OpenRecordset(QStringLiteral("NOTE"), dao::dbOpenTable);
        rs.setIndex(QStringLiteral("NoteNDX"));
        rs.Seek(QStringLiteral("="), key);
        return rs.NoMatch() ? QStringLiteral("<gone>") : rs.Fields(field).Value().toString();
    }
    QStringList noteKeywords(const QString &key)
    {
        dao::Recordset rs = db.OpenRecordset(QStringLiteral("GRNOTE"), dao::dbOpenTable);
        QStringList out;
        for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
            if (rs.Fields(QStringLiteral("NDX")).Value().toString() == key)
                out << rs.Fields(QStringLiteral("GROUPE")).Value().toString();
        out.sort();
        return out;
    }
    dao::Database db;
};

} // namespace

class TestOneRequest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void keywordToNoteAndBackIntoTheFile();
    void changedNoteAsksWhenClosed();

private:
    fCorvane &loadMain();
    // Notes chosen, the keyword clicked in the all-keywords list, the row of
    // the note double-clicked in the result grid: the card that opened.
    fNoteMulti *openThroughKeyword(fCorvane &f, const QString &keyword, const QString &key);

    QTemporaryDir m_dir;
    QString m_path;
    int m_baseNumber = 0;
    std::unique_ptr<vb::DialogScript> m_script;
};

void TestOneRequest::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    vb::Forms::setProgramEndHandler([] {});
    InstallMainWindowLink();
    browser::InstallKeywordBrowser();
    InstallKeywordWindows();
    InstallCardWindows();
}

void TestOneRequest::init()
{
    ResetProgramState();
    m_path = QDir(m_dir.path()).filePath(QStringLiteral("Request%1.cvb").arg(++m_baseNumber));
    CreateKnowledgeBase(m_path, BuiltInConnect());
    OpenAndBindBase(m_path, BuiltInConnect());
    for (const char *k : {"Memory", "Sleep", "Time"})
        addRow(rsCGroup1, {{&fldCGroup1Groupe, QString::fromLatin1(k)}});
    addRow(rsNote, {{&fldNoteCit, kNote},
                    {&fldNoteAuteur, QStringLiteral("Martin")},
                    {&fldNoteTitre1, QStringLiteral("On memory")},
                    {&fldNoteTexte, QStringLiteral("first draft")},
                    {&fldNoteJour, QDate(2024, 3, 5)}});
    addRow(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, kNote}});
    // A second note of the same keyword: a click on the wrong row of the
    // result grid opens it instead.
    addRow(rsNote, {{&fldNoteCit, kOtherNote},
                    {&fldNoteAuteur, QStringLiteral("Bergson")},
                    {&fldNoteTitre1, QStringLiteral("Matter and memory")},
                    {&fldNoteTexte, QStringLiteral("duration")},
                    {&fldNoteJour, QDate(2024, 3, 6)}});
    addRow(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, kOtherNote}});
    // Another note under another keyword: not listed for Memory.
    addRow(rsNote, {{&fldNoteCit, QStringLiteral("DUPO0001.TXT")},
                    {&fldNoteAuteur, QStringLiteral("Dupont")},
                    {&fldNoteTexte, QStringLiteral("on sleep")}});
    addRow(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Sleep")}, {&fldGrNoteNdx, QStringLiteral("DUPO0001.TXT")}});
    m_script = std::make_unique<vb::DialogScript>();
}

void TestOneRequest::cleanup()
{
    for (CardWindowLink *c : cardwindows::all())
        c->closeWithoutAsking();
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    if (g_Db)
        g_Db.Close();
    const bool ok = m_script->ok();
    const QByteArray report = m_script->report();
    m_script.reset();
    QVERIFY2(ok, report.constData());
}

fCorvane &TestOneRequest::loadMain()
{
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    return f;
}

fNoteMulti *TestOneRequest::openThroughKeyword(fCorvane &f, const QString &keyword, const QString &key)
{
    click(f.OptionNote);
    if (!f.OptionNote->isChecked())
        return nullptr;
    f.TabStrip1->setSelectedIndex(3); // "All Keywords"
    f.TabStrip1_Click();
    const int row = rowOf(f.KWList, keyword);
    if (row < 0 || !f.AllKWPanel->isVisible())
        return nullptr;
    clickCell(f.KWList, row);
    fGrid *grid = vb::Forms::find<fGrid>();
    if (!grid || !grid->isVisible())
        return nullptr;
    const int cardRow = rowOf(grid->Grid1, key, 2);
    if (cardRow < 1)
        return nullptr;
    const int before = int(openNotes().size());
    doubleClickCell(grid->Grid1, cardRow, 2);
    const QList<fNoteMulti *> notes = openNotes();
    // The note of the clicked row, not another one of the list.
    return notes.size() == before + 1 && notes.last()->tag() == key ? notes.last() : nullptr;
}

void TestOneRequest::keywordToNoteAndBackIntoTheFile()
{
    fCorvane *f = &loadMain();

    // The keyword lists its notes in the result grid.
    click(f->OptionNote);
    QVERIFY(f->OptionNote->isChecked());
    QCOMPARE(CardKind, QStringLiteral("Note"));
    f->TabStrip1->setSelectedIndex(3);
    f->TabStrip1_Click();
    QVERIFY(f->AllKWPanel->isVisible());
    QCOMPARE(column(f->KWList), (QStringList{"Memory", "Sleep", "Time"}));
    clickCell(f->KWList, rowOf(f->KWList, QStringLiteral("Memory")));
    QCOMPARE(f->KWSel->text(), QStringLiteral("Memory"));
    fGrid *grid = vb::Forms::find<fGrid>();
    QVERIFY(grid && grid->isVisible());
    QCOMPARE(grid->caption(), QStringLiteral("Notes - Keyword : Memory"));
    QCOMPARE(grid->tag(), QStringLiteral("Note"));
    QCOMPARE(grid->Grid1->rows(), 3);
    const int noteRow = rowOf(grid->Grid1, kNote, 2);
    QVERIFY(noteRow >= 1);
    QVERIFY(rowOf(grid->Grid1, kOtherNote, 2) >= 1);
    QCOMPARE(grid->Grid1->textMatrix(noteRow, 3), QStringLiteral("Martin"));

    // A double-click on its row opens that note, not the other one.
    doubleClickCell(grid->Grid1, noteRow, 2);
    QCOMPARE(openNotes().size(), 1);
    fNoteMulti *card = openNotes().first();
    QVERIFY(card->isVisible());
    QCOMPARE(card->tag(), kNote);
    QCOMPARE(card->cNoteNDX->text(), kNote);
    QCOMPARE(card->cNoteAuthor->text(), QStringLiteral("Martin"));
    QCOMPARE(card->NoteRTF->Text(), QStringLiteral("first draft"));
    QCOMPARE(column(card->cgMCNote), QStringList{"Memory"});
    QVERIFY(!card->isChanged());

    // Typed text, one word made bold.
    QTextEdit *editor = card->NoteRTF->editor();
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    QTest::keyClicks(editor, QStringLiteral(" and a second thought"));
    card->NoteRTF->setSelStart(0);
    card->NoteRTF->setSelLength(5);
    card->NoteRTF->setSelBold(true);
    QVERIFY(card->isChanged());

    // Keywords through the chooser: a new one added to the list there, two
    // chosen besides the one the note has already.
    click(card->KWAdd);
    fMultSel *chooser = vb::Forms::find<fMultSel>();
    QVERIFY(chooser && chooser->isVisible());
    QCOMPARE(chooser->caption(), QStringLiteral("Select Keywords"));
    QPushButton *action = chooser->actionButton(ChooserMode::KWNoteSelect);
    QVERIFY(action->isVisible() && action->isEnabled());
    QCOMPARE(column(chooser->cgList), (QStringList{"Memory", "Sleep", "Time"}));
    QTest::keyClicks(chooser->Text1, QStringLiteral("dreams"));
    QCOMPARE(chooser->Text1->text(), QStringLiteral("Dreams"));
    m_script->msgBox(vb::vbYes, QStringLiteral(" Do you want to add Dreams as a new item? "));
    click(chooser->cListAdd);
    QVERIFY_SCRIPT(*m_script);
    QCOMPARE(column(chooser->cgList), (QStringList{"Dreams", "Memory", "Sleep", "Time"}));
    for (const char *k : {"Dreams", "Sleep", "Memory"})
        clickCell(chooser->cgList, rowOf(chooser->cgList, QString::fromLatin1(k)));
    QCOMPARE(column(chooser->cgSel), (QStringList{"Dreams", "Sleep", "Memory"}));
    // Enter presses nothing in this mode: no default button.
    QTest::keyClick(chooser->cgList, Qt::Key_Return);
    QVERIFY(chooser->isVisible());
    QCOMPARE(column(card->cgMCNote), QStringList{"Memory"});
    click(action);
    QVERIFY(!vb::Forms::isLoaded<fMultSel>());
    // The card shows them at once, and still holds its unstored text.
    QCOMPARE(column(card->cgMCNote), (QStringList{"Dreams", "Memory", "Sleep"}));
    QCOMPARE(card->NoteRTF->Text(), QStringLiteral("first draft and a second thought"));

    // Store, then close: the question still comes after a store.
    click(card->CmdStore);
    m_script->msgBox(vb::vbOK, kChanged);
    QVERIFY(card->unload());
    QVERIFY_SCRIPT(*m_script);
    QVERIFY(openNotes().isEmpty());

    // The file holds it all, read through a connection of its own.
    f->unload();
    g_Db.Close();
    {
        FileReader file(m_path);
        QCOMPARE(file.noteField(kNote, QStringLiteral("TEXTE")), QStringLiteral("first draft and a second thought"));
        const QString rtf = file.noteField(kNote, QStringLiteral("TEXTRTF"));
        QVERIFY2(rtf.startsWith(QStringLiteral("{\\rtf")), qPrintable(rtf));
        QVERIFY2(rtf.contains(QStringLiteral("\\b")), qPrintable(rtf));
        QCOMPARE(file.noteKeywords(kNote), (QStringList{"Dreams", "Memory", "Sleep"}));
        QCOMPARE(file.noteKeywords(QStringLiteral("DUPO0001.TXT")), QStringList{"Sleep"});
        QCOMPARE(file.noteKeywords(kOtherNote), QStringList{"Memory"});
        QCOMPARE(file.noteField(kOtherNote, QStringLiteral("TEXTE")), QStringLiteral("duration"));
    }

    // Opened again by the same road, now under a keyword it was given.
    OpenAndBindBase(m_path, BuiltInConnect());
    f = &loadMain();
    QVERIFY(rowOf(f->KWList, QStringLiteral("Dreams")) >= 0);
    fNoteMulti *back = openThroughKeyword(*f, QStringLiteral("Dreams"), kNote);
    QVERIFY(back);
    QCOMPARE(back->NoteRTF->Text(), QStringLiteral("first draft and a second thought"));
    QCOMPARE(column(back->cgMCNote), (QStringList{"Dreams", "Memory", "Sleep"}));
    back->NoteRTF->setSelStart(0);
    back->NoteRTF->setSelLength(5);
    QCOMPARE(back->NoteRTF->SelBold(), std::optional<bool>(true));
    back->NoteRTF->setSelStart(6);
    back->NoteRTF->setSelLength(5);
    QCOMPARE(back->NoteRTF->SelBold(), std::optional<bool>(false));
    QVERIFY(!back->isChanged());
}

void TestOneRequest::changedNoteAsksWhenClosed()
{
    fCorvane &f = loadMain();
    fNoteMulti *card = openThroughKeyword(f, QStringLiteral("Memory"), kNote);
    QVERIFY(card);

    // Cancel: the card closes and its edit is lost.
    card->NoteRTF->setText(QStringLiteral("dropped"));
    m_script->msgBox(vb::vbCancel, kChanged);
    QVERIFY(card->unload());
    QVERIFY_SCRIPT(*m_script);
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), kNote);
    QCOMPARE(fldNoteTexte.Value().toString(), QStringLiteral("first draft"));

    // OK stores.
    card = openThroughKeyword(f, QStringLiteral("Memory"), kNote);
    QVERIFY(card);
    card->NoteRTF->setText(QStringLiteral("kept on closing"));
    m_script->msgBox(vb::vbOK, kChanged);
    QVERIFY(card->unload());
    QVERIFY_SCRIPT(*m_script);
    rsNote.Seek(QStringLiteral("="), kNote);
    QCOMPARE(fldNoteTexte.Value().toString(), QStringLiteral("kept on closing"));

    // Closing the main window asks each changed card first, and OK stores.
    card = openThroughKeyword(f, QStringLiteral("Memory"), kNote);
    QVERIFY(card);
    card->cNoteTitle->setText(QStringLiteral("Asked by the main window"));
    m_script->msgBox(vb::vbOK, kChanged);
    QVERIFY(f.unload());
    QVERIFY_SCRIPT(*m_script);
    QVERIFY(openNotes().isEmpty());
    rsNote.setIndex(QStringLiteral("NoteNDX"));
    rsNote.Seek(QStringLiteral("="), kNote);
    QCOMPARE(fldNoteTitre1.Value().toString(), QStringLiteral("Asked by the main window"));
}

QTEST_MAIN(TestOneRequest)
#include "tst_one_request.moc"
