#include "fWords.h"

#include "CardWindows.h"
#include "CommonControls.h"
#include "Dialogs.h"
#include "FlexGrid.h"
#include "ProgramState.h"
#include "Runtime.h"
#include "Screen.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "WordIcons.h"
#include "Working.h"
#include "fChoixMots.h"

#include <QLabel>
#include <QPushButton>

namespace {

vb::FlexGrid *newGrid(QWidget *parent, double left)
{
    auto *g = new vb::FlexGrid(2, 2, 1, 0, parent);
    vb::setGeometryTwips(g, left, 1260, 2595, 2955);
    g->setColWidth(0, 1800);
    g->setColWidth(1, 420);
    return g;
}

QLabel *newLabel(QWidget *parent, double left)
{
    auto *l = new QLabel(parent);
    l->setWordWrap(true);
    l->setAlignment(Qt::AlignLeft | Qt::AlignBottom);
    vb::setGeometryTwips(l, left, 0, 2595, 1245);
    return l;
}

QPushButton *newButton(QWidget *parent, const QString &caption, const QString &tip, double left, double top,
                       double width, double height)
{
    auto *b = new QPushButton(caption, parent);
    b->setToolTip(tip);
    vb::setGeometryTwips(b, left, top, width, height);
    return b;
}

QPushButton *pictureButton(QWidget *parent, const QIcon &icon, const QString &tip, double left, double top)
{
    QPushButton *b = newButton(parent, QString(), tip, left, top, 675, 555);
    b->setIcon(icon);
    b->setIconSize(QSize(vb::pixelsX(480), vb::pixelsY(480)));
    return b;
}

} // namespace

fWords::fWords()
{
    setObjectName(QStringLiteral("fWords"));
    // Holds card keys or rows of the open base: closed before the base changes.
    MarkHoldsOpenBase(this);
    setCaption(QStringLiteral("Words in Text"));
    QWidget *c = client();
    Label1 = newLabel(c, 300);
    Label2 = newLabel(c, 3900);
    Label3 = newLabel(c, 7560);
    Grid1 = newGrid(c, 300);
    Grid2 = newGrid(c, 3900);
    Grid3 = newGrid(c, 7560);
    Command1 = newButton(c, QStringLiteral("Word Exclude"), QStringLiteral("Exclude the selected word in future researchs"),
                         300, 4380, 1245, 375);
    Command2 = newButton(c, QStringLiteral("Print List"), QString(), 1650, 4380, 1245, 375);
    Command6 = newButton(c, QStringLiteral("Exclusion List Parameters"), QString(), 300, 4860, 2595, 375);
    Command3 = pictureButton(c, words::makeKeywordIcon(), QStringLiteral("Makes the selected Word a Keyword"), 3060,
                             2340);
    Command4 = pictureButton(c, words::attachKeywordIcon(),
                             QStringLiteral("Adds the selected Keyword to the Card's Keywords"), 6690, 2040);
    Command5 = pictureButton(c, words::attachAllKeywordsIcon(),
                             QStringLiteral("Adds all the Keywords in the Card's Keywords"), 6690, 2700);
    StatusBar1 = new vb::StatusBar(c);
    vb::setGeometryTwips(StatusBar1, 0, 6630 - 330, 10440, 330);

    const std::pair<const char *, QObject *> controls[] = {
        {"Grid1", Grid1},       {"Grid2", Grid2},       {"Grid3", Grid3},       {"Label1", Label1},
        {"Label2", Label2},     {"Label3", Label3},     {"Command1", Command1}, {"Command2", Command2},
        {"Command3", Command3}, {"Command4", Command4}, {"Command5", Command5}, {"Command6", Command6},
        {"StatusBar1", StatusBar1}};
    for (const auto &[name, control] : controls)
        addControl(QString::fromLatin1(name), control);

    connect(Grid1, &vb::FlexGrid::click, this, &fWords::Grid1_Click);
    connect(Command1, &QPushButton::clicked, this, &fWords::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &fWords::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &fWords::Command3_Click);
    connect(Command4, &QPushButton::clicked, this, &fWords::Command4_Click);
    connect(Command5, &QPushButton::clicked, this, &fWords::Command5_Click);
    connect(Command6, &QPushButton::clicked, this, &fWords::Command6_Click);
}

void fWords::formLoad()
{
    window()->resize(vb::pixelsX(10440), vb::pixelsY(6630));
    setTop(vb::intDiv(vb::Screen::height() - height(), 2));
    setLeft(vb::intDiv(vb::Screen::width() - width(), 2));
    Label1->setText(QStringLiteral("This window shows all the words included in the text, sorted by number of "
                                   "occurences and alpha, except the excluded words in the Exclusion List"));
    Label2->setText(
        QStringLiteral("This window shows all the words included in the text that are recognized as Keywords"));
    Label3->setText(QStringLiteral("Keywords of the text"));
    fillFromAnalysis();
}

void fWords::formUnload(int &cancel)
{
    Q_UNUSED(cancel)
    vb::Forms::unload<fChoixMots>();
}

void fWords::fillFromAnalysis()
{
    if (const auto type = cardTypeOfKind(AnalysedCardKind.isEmpty() ? CardKind : AnalysedCardKind))
        m_type = *type;
    m_key = AnalysedCardKey;
    m_list.reset();
    for (int i = 1; i < TextWords.size() && i < TextWordCounts.size(); ++i)
        m_list.append(TextWords.at(i), TextWordCounts.at(i));
    m_selectedWord.clear();

    if (Working *w = vb::Forms::find<Working>()) {
        w->Label1->setText(QStringLiteral("Preparing Display..."));
        w->refresh();
    }
    fillWordGrid();
    show();
    fillKeywordTermGrid();
    fillCardKeywordGrid();
    vb::Forms::unload<Working>();
    refresh();
}

void fWords::fillWordGrid()
{
    vb::HourglassCursor wait;
    const int n = m_list.size();
    Grid1->setRows(n + 1);
    Grid1->setTextMatrix(0, 0, QStringLiteral("Text Term"));
    Grid1->setTextMatrix(0, 1, QStringLiteral("Nb"));
    int excludedRow = -1;
    for (int i = 1; i <= n; ++i) {
        Grid1->setTextMatrix(i, 0, m_list.words.at(i));
        Grid1->setTextMatrix(i, 1, QString::number(m_list.counts.at(i)));
        if (excludedRow < 0 && !m_lastExcluded.isEmpty() && m_list.words.at(i) == m_lastExcluded)
            excludedRow = i;
    }
    if (excludedRow > 0) {
        Grid1->setRow(excludedRow);
        Grid1->setTopRow(excludedRow);
    }
    Grid1->refresh();
}

void fWords::fillKeywordTermGrid()
{
    vb::HourglassCursor wait;
    m_terms.clear();
    try {
        m_terms = words::keywordTerms(m_list);
    } catch (const vb::Error &) {
        // No keyword table to read: no word is a keyword.
    }
    Grid2->setRows(int(m_terms.size()) + 1);
    Grid2->setTextMatrix(0, 0, QStringLiteral("KeyWord Term"));
    Grid2->setTextMatrix(0, 1, QStringLiteral("Nb"));
    for (int i = 0; i < m_terms.size(); ++i) {
        Grid2->setTextMatrix(i + 1, 0, m_terms.at(i).keyword);
        Grid2->setTextMatrix(i + 1, 1, QString::number(m_terms.at(i).count));
    }
    Grid2->refresh();
}

void fWords::fillCardKeywordGrid()
{
    QStringList keywords;
    // The keywords the analysed card shows; no open card, no source.
    if (!m_key.isEmpty() && !cardwindows::find(m_type, m_key).isEmpty()) {
        try {
            keywords = words::cardKeywords(m_type, m_key).mid(0, kMaxCardKeywords);
        } catch (const vb::Error &) {
        }
    }
    Grid3->setRows(int(keywords.size()) + 1);
    Grid3->setTextMatrix(0, 0, QStringLiteral("Keywords"));
    Grid3->setTextMatrix(0, 1, QStringLiteral("Nb"));
    for (int i = 0; i < keywords.size(); ++i) {
        Grid3->setTextMatrix(i + 1, 0, keywords.at(i));
        for (const words::KeywordTerm &t : std::as_const(m_terms))
            if (t.keyword == keywords.at(i)) {
                Grid3->setTextMatrix(i + 1, 1, QString::number(t.count));
                break;
            }
    }
    Grid3->refresh();
}

void fWords::Grid1_Click()
{
    // Only a word of a data row is a selection; the header and the counts
    // are not words.
    const int r = Grid1->row();
    m_selectedWord = r >= 1 && r < Grid1->rows() ? Grid1->textMatrix(r, 0) : QString();
}

void fWords::Command1_Click()
{
    const int r = Grid1->row();
    const int last = Grid1->rows() - 1;
    if (r < 1 || r > last)
        return;
    const QString word = Grid1->textMatrix(r, 0);
    if (word.isEmpty())
        return;
    m_lastExcluded = word;
    vb::HourglassCursor wait;
    try {
        if (words::addExcludedWord(word) == words::AddExcluded::TooLong)
            return;
    } catch (const vb::Error &e) {
        words::reportWriteFailure(e);
        return;
    }
    if (fChoixMots *open = vb::Forms::find<fChoixMots>())
        open->FillExcludedList();
    // The rows below move up; the last one shows twice until the list is
    // filled again.
    for (int i = r; i < last; ++i) {
        Grid1->setTextMatrix(i, 0, Grid1->textMatrix(i + 1, 0));
        Grid1->setTextMatrix(i, 1, Grid1->textMatrix(i + 1, 1));
    }
    Grid1->refresh();
}

void fWords::Command2_Click()
{
    vb::HourglassCursor wait;
    try {
        const textfind::ExcludedWords excluded(words::excludedWordList());
        textfind::WordList kept;
        for (int i = 1; i <= m_list.size(); ++i)
            if (!excluded.contains(m_list.words.at(i)))
                kept.append(m_list.words.at(i), m_list.counts.at(i));
        m_list = kept;
        TextWords = m_list.words;
        TextWordCounts = m_list.counts;
    } catch (const vb::Error &e) {
        vb::MsgBox(e.description(), vb::vbExclamation);
    }
    fillWordGrid();
}

void fWords::Command3_Click()
{
    m_selectedWord = words::capitalised(m_selectedWord);
    const QString word = m_selectedWord;
    QString existing;
    switch (words::checkNewKeyword(word, &existing)) {
    case words::NewKeyword::Empty:
        return;
    case words::NewKeyword::TooLong:
        vb::MsgBox(QStringLiteral("A Keyword cannot be longer than 30 characters"), vb::vbExclamation);
        return;
    case words::NewKeyword::Exists:
        vb::MsgBox(u'\'' + existing + QStringLiteral("' is already a Keyword"), vb::vbInformation);
        return;
    case words::NewKeyword::Ok:
        break;
    }
    if (vb::MsgBox(QStringLiteral("Add '") + word + QStringLiteral("' as KeyWord ?"), vb::vbOKCancel + vb::vbQuestion) !=
        vb::vbOK)
        return;
    try {
        words::addKeyword(word);
    } catch (const vb::Error &e) {
        words::reportWriteFailure(e);
        return;
    }
    RefillKeywordList();
    fillKeywordTermGrid();
    refresh();
}

void fWords::attach(const QList<words::KeywordTerm> &terms, bool withCount)
{
    if (terms.isEmpty())
        return;
    std::optional<QList<words::KeywordTerm>> written;
    try {
        written = words::attachKeywords(m_type, m_key, terms, withCount);
        if (!written) {
            vb::MsgBox(QStringLiteral("The analysed card no longer exists"), vb::vbExclamation);
            return;
        }
    } catch (const vb::Error &e) {
        words::reportWriteFailure(e);
        return;
    }
    // A keyword the card already has is skipped, as the chooser does.
    if (written->isEmpty())
        return;
    for (const words::KeywordTerm &t : std::as_const(*written))
        Grid3->addItem(t.keyword + (withCount ? u'\t' + QString::number(t.count) : QString()));
    // The analysed card shows its new keywords, and its stored title, in
    // place; nothing closes.
    RefreshCardAsReopened(m_type, m_key);
    setFocus();
}

void fWords::Command4_Click()
{
    const int r = Grid2->row();
    if (r < 1 || r > m_terms.size())
        return;
    attach({m_terms.at(r - 1)}, true);
}

void fWords::Command5_Click()
{
    // Each keyword once: attachKeywords skips the repeats.
    attach(m_terms, false);
}

void fWords::Command6_Click()
{
    const bool loaded = vb::Forms::isLoaded<fChoixMots>();
    fChoixMots &f = vb::Forms::get<fChoixMots>();
    // Loaded earlier (hidden by a quote's analysis, or left open), it shows
    // the words excluded since.
    if (loaded)
        f.FillExcludedList();
    f.setAnalysedCard(m_type, m_key);
    f.Command1->setVisible(true);
    f.Command1->setEnabled(true);
    f.setDefaultButton(f.Command1);
    f.show();
}
