// Reference cards with the real chooser, card openers and type picker:
// keywords linked to one card of two open ones, removed again; the type of
// a new reference chosen while another card has become the current one; a
// quote opened from its reference and given keywords.

#include "CardWindows.h"
#include "FlexGrid.h"
#include "Form.h"
#include "GridClicks.h"
#include "InstallCards.h"
#include "InstallKeywords.h"
#include "InstallReferences.h"
#include "NewCards.h"
#include "ProgramState.h"
#include "RefTestBase.h"
#include "ReferenceRules.h"
#include "WindowLinks.h"
#include "fBibMulti.h"
#include "fCitMulti.h"
#include "fMultSel.h"
#include "frmType.h"

#include <QApplication>
#include <QComboBox>
#include <QPushButton>

using namespace reftest;

namespace {

using namespace gridtest;

// Every entry clicked in the chooser's list, then its one action button.
void choose(fMultSel *chooser, ChooserMode mode, const QStringList &entries)
{
    for (const QString &e : entries) {
        const int row = rowOf(chooser->cgList, e);
        QVERIFY2(row >= 0, qPrintable(e));
        clickCell(chooser->cgList, row);
    }
    QPushButton *action = chooser->actionButton(mode);
    QVERIFY(action->isVisible() && action->isEnabled());
    click(action);
}

template <class Card> Card *cardOf(CardType type, const QString &key)
{
    const QList<CardWindowLink *> cards = cardwindows::find(type, key);
    return cards.size() == 1 ? qobject_cast<Card *>(cards.first()->cardForm()) : nullptr;
}

// The reference's card through the program's opener, as a list would open it.
fBibMulti *openReference(const QString &key)
{
    rsBiblio.setIndex(QStringLiteral("BibNDX"));
    rsBiblio.Seek(QStringLiteral("="), key);
    if (rsBiblio.NoMatch())
        return nullptr;
    ShowReferenceCard();
    return cardOf<fBibMulti>(CardType::Reference, key);
}

void keyword(const QString &k)
{
    rsCGroup1.AddNew();
    fldCGroup1Groupe.setValue(k);
    rsCGroup1.Update();
}

// The keywords linked to a key in a link table, sorted.
QStringList linked(dao::Recordset &rs, const char *index, const QString &key)
{
    QStringList out;
    rs.setIndex(QString::fromLatin1(index));
    rs.Seek(QStringLiteral("="), key);
    if (rs.NoMatch())
        return out;
    for (; !rs.Eof() && dao::compareText(rs.Fields(QStringLiteral("NDX")).Value().toString(), key) == 0;
         rs.MoveNext())
        out << rs.Fields(QStringLiteral("GROUPE")).Value().toString();
    out.sort();
    return out;
}

} // namespace

class TestReferenceChooser : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        QFont font = QApplication::font();
        font.setPointSizeF(8);
        QApplication::setFont(font);
        vb::Forms::setProgramEndHandler([] {});
        InstallKeywordWindows();
        InstallCardWindows();
        InstallReferenceWindows();
        InstallNewCards();
        InstallTypePicker();
    }

    void init()
    {
        ResetProgramState();
        m_base = std::make_unique<Base>();
        for (const char *k : {"Memory", "Space", "Time"})
            keyword(QString::fromLatin1(k));
        m_script = std::make_unique<vb::DialogScript>();
    }

    void cleanup()
    {
        for (CardWindowLink *c : cardwindows::all())
            c->closeWithoutAsking();
        for (vb::Form *f : vb::Forms::all())
            f->unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        const bool ok = m_script->ok();
        const QByteArray report = m_script->report();
        m_script.reset();
        m_base.reset();
        QVERIFY2(ok, report.constData());
    }

    void keywordsReachOnlyTheirCard()
    {
        reference(QStringLiteral("A_001"), QStringLiteral("First"));
        reference(QStringLiteral("B_001"), QStringLiteral("Second"));
        link(QStringLiteral("B_001"), QStringLiteral("Own"));
        fBibMulti *b = openReference(QStringLiteral("B_001"));
        fBibMulti *a = openReference(QStringLiteral("A_001"));
        QVERIFY(a && b);
        QCOMPARE(column(b->cgMCBib), QStringList{"Own"});
        QCOMPARE(a->cgMCBib->rows(), 0);

        click(a->cmdAddKW);
        fMultSel *chooser = vb::Forms::find<fMultSel>();
        QVERIFY(chooser && chooser->isVisible());
        QCOMPARE(chooser->caption(), QStringLiteral("Select Keywords"));
        QCOMPARE(chooser->request().mode, ChooserMode::KWBibAdd);
        // B activated while the chooser stands open: the links still go to A.
        b->show();
        QCOMPARE(fldBiblioNdx.Value().toString(), QStringLiteral("B_001"));
        chooser->show();
        choose(chooser, ChooserMode::KWBibAdd, {"Time", "Memory", "Time"});
        QVERIFY(!vb::Forms::isLoaded<fMultSel>());

        // Card A shows them at once; card B keeps its own, also once
        // activated; A's again after that.
        QCOMPARE(column(a->cgMCBib), (QStringList{"Memory", "Time"}));
        QCOMPARE(column(b->cgMCBib), QStringList{"Own"});
        b->show();
        QCOMPARE(column(b->cgMCBib), QStringList{"Own"});
        a->show();
        QCOMPARE(column(a->cgMCBib), (QStringList{"Memory", "Time"}));
        QCOMPARE(linked(rsGrBib, "GrBibNDX", QStringLiteral("A_001")), (QStringList{"Memory", "Time"}));
        QCOMPARE(linked(rsGrBib, "GrBibNDX", QStringLiteral("B_001")), QStringList{"Own"});

        // The chooser again, on B this time, after A: B's links only.
        click(b->cmdAddKW);
        chooser = vb::Forms::find<fMultSel>();
        QVERIFY(chooser);
        QCOMPARE(chooser->request().targetKey, QStringLiteral("B_001"));
        // Enter presses the action: it is the default button in this mode.
        clickCell(chooser->cgList, rowOf(chooser->cgList, QStringLiteral("Space")));
        QTest::keyClick(chooser->cgList, Qt::Key_Return);
        QVERIFY(!vb::Forms::isLoaded<fMultSel>());
        QCOMPARE(column(b->cgMCBib), (QStringList{"Own", "Space"}));
        QCOMPARE(column(a->cgMCBib), (QStringList{"Memory", "Time"}));

        // Supp on A removes the keyword chosen in A's grid, from A only.
        a->show();
        clickCell(a->cgMCBib, rowOf(a->cgMCBib, QStringLiteral("Time")));
        m_script->msgBox(vb::vbOK, references::DeleteKeywordPrompt(QStringLiteral("Time")));
        click(a->cmdSuppKW);
        QVERIFY_SCRIPT(*m_script);
        QCOMPARE(column(a->cgMCBib), QStringList{"Memory"});
        QCOMPARE(linked(rsGrBib, "GrBibNDX", QStringLiteral("A_001")), QStringList{"Memory"});
        QCOMPARE(linked(rsGrBib, "GrBibNDX", QStringLiteral("B_001")), (QStringList{"Own", "Space"}));
        QCOMPARE(column(b->cgMCBib), (QStringList{"Own", "Space"}));
    }

    void typeGoesToTheNewReference()
    {
        reference(QStringLiteral("B_001"), QStringLiteral("Second"), QStringLiteral("Book"));
        rsAuteurs.AddNew();
        fldAuteursNom.setValue(QStringLiteral("Durand"));
        rsAuteurs.Update();
        fBibMulti *b = openReference(QStringLiteral("B_001"));
        QVERIFY(b);

        // "New" on the card: an author chosen, a reference made for him.
        click(b->CommandNew);
        fMultSel *chooser = vb::Forms::find<fMultSel>();
        QVERIFY(chooser && chooser->isVisible());
        QCOMPARE(chooser->caption(), QStringLiteral("Authors"));
        choose(chooser, ChooserMode::cBibAutSel, {"Durand"});
        frmType *picker = vb::Forms::find<frmType>();
        QVERIFY(picker && picker->isVisible());
        const QString made = picker->referenceKey();
        QVERIFY(made.startsWith(QStringLiteral("Durand")));
        QCOMPARE(biblio(made, QStringLiteral("AUTEUR")).toString().trimmed(), QStringLiteral("Durand"));
        QCOMPARE(picker->Combo1->currentText(), QStringLiteral("No Type"));

        // The other card activated meanwhile: the shared record is B's.
        b->show();
        QCOMPARE(fldBiblioNdx.Value().toString(), QStringLiteral("B_001"));

        picker->Combo1->setCurrentIndex(picker->Combo1->findText(QStringLiteral("Article")));
        click(picker->CmdOK);
        QVERIFY(!vb::Forms::isLoaded<frmType>());
        QCOMPARE(biblio(made, QStringLiteral("Type")).toString(), QStringLiteral("Article"));
        QCOMPARE(biblio(QStringLiteral("B_001"), QStringLiteral("Type")).toString(), QStringLiteral("Book"));
        // The new reference's card opens on its own record.
        fBibMulti *card = cardOf<fBibMulti>(CardType::Reference, made);
        QVERIFY(card && card->isVisible());
        QCOMPARE(card->ComboType->currentText(), QStringLiteral("Article"));
        QCOMPARE(column(card->cgAutBib), QStringList{"Durand"});
        QCOMPARE(b->ComboType->currentText(), QStringLiteral("Book"));
    }

    void quoteKeywordsRefillItsGridAtOnce()
    {
        reference(QStringLiteral("A_001"), QStringLiteral("First"), QStringLiteral("Book"),
                  {QStringLiteral("Durand")});
        quote(QStringLiteral("DURAN001.TXT"), QStringLiteral("A_001"), {QStringLiteral("Memory")});
        quote(QStringLiteral("DURAN002.TXT"), QStringLiteral("A_001"));
        fBibMulti *ref = openReference(QStringLiteral("A_001"));
        QVERIFY(ref);
        QCOMPARE(column(ref->cgBibCit, 1), (QStringList{"DURAN001.TXT", "DURAN002.TXT"}));

        // The quote opened from its reference's grid.
        doubleClickCell(ref->cgBibCit, 0, 1);
        fCitMulti *q = cardOf<fCitMulti>(CardType::Quote, QStringLiteral("DURAN001.TXT"));
        QVERIFY(q && q->isVisible());
        QCOMPARE(column(q->cgMCCit), QStringList{"Memory"});

        click(q->cmdAdd);
        fMultSel *chooser = vb::Forms::find<fMultSel>();
        QVERIFY(chooser && chooser->isVisible());
        QCOMPARE(chooser->request().mode, ChooserMode::KWCitAdd);
        QCOMPARE(chooser->request().targetKey, QStringLiteral("DURAN001.TXT"));
        choose(chooser, ChooserMode::KWCitAdd, {"Time", "Memory", "Space"});
        QVERIFY(!vb::Forms::isLoaded<fMultSel>());
        QCOMPARE(column(q->cgMCCit), (QStringList{"Memory", "Space", "Time"}));
        QCOMPARE(linked(rsGrCit, "GrCitNDX", QStringLiteral("DURAN001.TXT")),
                 (QStringList{"Memory", "Space", "Time"}));
        QCOMPARE(linked(rsGrCit, "GrCitNDX", QStringLiteral("DURAN002.TXT")), QStringList{});

        // The reference's quote grid shows the new links once activated.
        ref->show();
        QCOMPARE(column(ref->cgBibCit, 1),
                 (QStringList{"DURAN001.TXT", "DURAN001.TXT", "DURAN001.TXT", "DURAN002.TXT"}));
        QCOMPARE(column(ref->cgMCBib), QStringList{});
    }

private:
    std::unique_ptr<Base> m_base;
    std::unique_ptr<vb::DialogScript> m_script;
};

QTEST_MAIN(TestReferenceChooser)
#include "tst_reference_chooser.moc"
