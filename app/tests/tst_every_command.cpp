// Every menu item and search control of the main window, driven once on a
// base of every kind of card, with the hooks the program installs: none may
// answer "This command is not available yet". Every dialog is answered as
// Enter or Cancel would; windows a command opened are closed before the
// next one.

#include "Dialogs.h"
#include "Form.h"
#include "OuvreBase.h"
#include "ProgramHooks.h"
#include "ProgramState.h"
#include "Start.h"
#include "WindowLinks.h"
#include "fCorvane.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFont>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Message boxes take their default button; every other dialog is cancelled.
class Answers : public vb::DialogHandler {
public:
    QList<vb::DialogRequest> shown;
    QString current;
    QStringList notAvailable;

    vb::DialogAnswer answer(const vb::DialogRequest &r) override
    {
        shown << r;
        if (r.prompt == QString::fromLatin1(kNotAvailableYet))
            notAvailable << current;
        if (r.kind == vb::DialogKind::MsgBox)
            return vb::DialogAnswer::result(vb::msgBoxDefaultResult(r.buttons));
        return vb::DialogAnswer::cancel();
    }
};

void addRow(dao::Recordset &rs, std::initializer_list<std::pair<dao::Field *, QVariant>> values)
{
    rs.AddNew();
    for (const auto &[f, v] : values)
        f->setValue(v);
    rs.Update();
}

// A keyword, a link, an author's reference with a quote, a note, each
// filed under the keyword.
void fillBase()
{
    addRow(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("Memory")}});
    addRow(rsCGroup1, {{&fldCGroup1Groupe, QStringLiteral("History")}});
    addRow(rsGroup2, {{&fldGroup2Groupe2, QStringLiteral("History")}, {&fldGroup2Groupe, QStringLiteral("Memory")}});
    addRow(rsAuteurs, {{&fldAuteursNom, QStringLiteral("Durand")}});
    addRow(rsBiblio, {{&fldBiblioNdx, QStringLiteral("Durand_001")},
                      {&fldBiblioAuteur, QStringLiteral("Durand")},
                      {&fldBiblioTitre1, QStringLiteral("Places of memory")},
                      {&fldBiblioType, QStringLiteral("Book")}});
    addRow(rsAutNdx, {{&fldAutNdxNdx, QStringLiteral("Durand_001")}, {&fldAutNdxAuteur, QStringLiteral("Durand")}});
    addRow(rsGrBib, {{&fldGrBibGroupe, QStringLiteral("Memory")}, {&fldGrBibNdx, QStringLiteral("Durand_001")}});
    addRow(rsCit, {{&fldCitCit, QStringLiteral("DURAN001.TXT")},
                   {&fldCitNdx, QStringLiteral("Durand_001")},
                   {&fldCitTexte, QStringLiteral("Memory is the life of the mind")}});
    addRow(rsGrCit, {{&fldGrCitGroupe, QStringLiteral("Memory")}, {&fldGrCitNdx, QStringLiteral("DURAN001.TXT")}});
    addRow(rsAutNote, {{&fldAutNoteNom, QStringLiteral("Dupont")}});
    addRow(rsNote, {{&fldNoteCit, QStringLiteral("DUPO0001.TXT")},
                    {&fldNoteAuteur, QStringLiteral("Dupont")},
                    {&fldNoteTexte, QStringLiteral("A memory of Rome")}});
    addRow(rsGrNote, {{&fldGrNoteGroupe, QStringLiteral("Memory")}, {&fldGrNoteNdx, QStringLiteral("DUPO0001.TXT")}});
}

// The leaves of the menu tree, in display order, by their names.
void collectItems(QMenu *menu, QList<QAction *> &out)
{
    for (QAction *a : menu->actions()) {
        if (a->menu())
            collectItems(a->menu(), out);
        else if (!a->isSeparator() && !a->objectName().isEmpty()) // not the window list
            out << a;
    }
}

} // namespace

class TestEveryCommand : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void everyMenuItem();
    void everySearchControl();

private:
    fCorvane &mainWindow();
    void closeOthers();

    QTemporaryDir m_dir;
    QString m_base;
    Answers m_answers;
};

void TestEveryCommand::initTestCase()
{
    QFont font = QApplication::font();
    font.setPointSizeF(8);
    QApplication::setFont(font);
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    vb::Forms::setProgramEndHandler([] {});
    vb::setDialogHandler(&m_answers);
    InstallProgramHooks();
    m_base = m_dir.filePath(QStringLiteral("Every.cvb"));
    CreateKnowledgeBase(m_base, BuiltInConnect());
    OpenAndBindBase(m_base, BuiltInConnect());
    fillBase();
}

void TestEveryCommand::cleanupTestCase()
{
    for (vb::Form *f : vb::Forms::all())
        f->unload();
    vb::setDialogHandler(nullptr);
}

fCorvane &TestEveryCommand::mainWindow()
{
    // A command that closed the base or the window ("&Load", "&Quit") is
    // followed by the base and the window again.
    if (!vb::Forms::isLoaded<fCorvane>() || g_Db.isNothing()) {
        closeOthers();
        vb::Forms::unload<fCorvane>();
        OpenAndBindBase(m_base, BuiltInConnect());
    }
    fCorvane &f = vb::Forms::get<fCorvane>();
    f.show();
    // A term the word searches take.
    if (f.TextSearch->text().isEmpty())
        f.TextSearch->setText(QStringLiteral("memory"));
    return f;
}

void TestEveryCommand::closeOthers()
{
    QApplication::processEvents();
    const QList<vb::Form *> all = vb::Forms::all();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        if (!qobject_cast<fCorvane *>(*it))
            (*it)->unload();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void TestEveryCommand::everyMenuItem()
{
    m_answers.notAvailable.clear();
    QList<QAction *> items;
    for (QAction *top : mainWindow().window()->menuBar()->actions())
        if (top->menu())
            collectItems(top->menu(), items);
    QStringList names;
    for (QAction *a : items)
        names << a->objectName();
    // The whole tree: nothing left out of the drive below.
    QCOMPARE(names.size(), 32);

    for (const QString &name : names) {
        fCorvane &f = mainWindow();
        m_answers.current = name;
        QAction *a = f.menuItem(name);
        QVERIFY2(a, qPrintable(name));
        a->trigger();
        closeOthers();
    }
    QVERIFY2(m_answers.notAvailable.isEmpty(), qPrintable(m_answers.notAvailable.join(QStringLiteral(", "))));
}

void TestEveryCommand::everySearchControl()
{
    m_answers.notAvailable.clear();
    struct Step {
        const char *name;
        std::function<void(fCorvane &)> run;
    };
    auto click = [](QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2)); };
    const QList<Step> steps = {
        {"OptionNote", [&](fCorvane &f) { click(f.OptionNote); }},
        {"OptionCit", [&](fCorvane &f) { click(f.OptionCit); }},
        {"OptionRef", [&](fCorvane &f) { click(f.OptionRef); }},
        {"TextSearch notes", [&](fCorvane &f) {
             click(f.OptionNote);
             f.TextSearch->setText(QStringLiteral("memory"));
             QTest::keyClick(f.TextSearch, Qt::Key_Return);
         }},
        {"CommandSearchText quotes", [&](fCorvane &f) {
             click(f.OptionCit);
             f.TextSearch->setText(QStringLiteral("memory"));
             click(f.CommandSearchText);
         }},
        {"OptionByAuthor", [&](fCorvane &f) { click(f.OptionByAuthor); }},
        {"OptionByKeyword", [&](fCorvane &f) { click(f.OptionByKeyword); }},
        {"OptionByDate", [&](fCorvane &f) { click(f.OptionByDate); }},
        {"CommandSearchOther references", [&](fCorvane &f) {
             click(f.OptionRef);
             for (QRadioButton *order : {f.OptionByAuthor, f.OptionByKeyword, f.OptionByDate}) {
                 order->setChecked(true);
                 click(f.CommandSearchOther);
                 closeOthers();
             }
         }},
        {"CommandSearchOther notes", [&](fCorvane &f) {
             click(f.OptionNote);
             for (QRadioButton *order : {f.OptionByKeyword, f.OptionByDate}) {
                 order->setChecked(true);
                 click(f.CommandSearchOther);
                 closeOthers();
             }
         }},
    };
    for (const Step &s : steps) {
        m_answers.current = QString::fromLatin1(s.name);
        s.run(mainWindow());
        closeOthers();
    }
    QVERIFY2(m_answers.notAvailable.isEmpty(), qPrintable(m_answers.notAvailable.join(QStringLiteral(", "))));
}

QTEST_MAIN(TestEveryCommand)
#include "tst_every_command.moc"
