#include "fMultSel.h"

#include "Events.h"
#include "Listings.h"
#include "MainWindowLink.h"
#include "ProgramState.h"
#include "Twips.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <algorithm>

namespace {

constexpr ChooserMode kModes[] = {
    ChooserMode::KWNoteSelect, ChooserMode::KWCitAdd, ChooserMode::KWBibAdd, ChooserMode::KWCitSel,
    ChooserMode::KWBibSel, ChooserMode::KWnoteSel, ChooserMode::AuthorSel, ChooserMode::AuthorCit,
    ChooserMode::cBibAutSel, ChooserMode::cNoteAutSel};

const char *modeName(ChooserMode m)
{
    switch (m) {
    case ChooserMode::KWNoteSelect: return "KWNoteSelect";
    case ChooserMode::KWCitAdd: return "KWCitAdd";
    case ChooserMode::KWBibAdd: return "KWBibAdd";
    case ChooserMode::KWCitSel: return "KWCitSel";
    case ChooserMode::KWBibSel: return "KWBibSel";
    case ChooserMode::KWnoteSel: return "KWnoteSel";
    case ChooserMode::AuthorSel: return "AuthorSel";
    case ChooserMode::AuthorCit: return "AuthorCit";
    case ChooserMode::cBibAutSel: return "cBibAutSel";
    case ChooserMode::cNoteAutSel: break;
    }
    return "cNoteAutSel";
}

// Enter in the type-ahead box.
class EnterFilter : public QObject {
public:
    EnterFilter(QObject *parent, std::function<void()> onEnter) : QObject(parent), m_onEnter(std::move(onEnter)) {}
    bool eventFilter(QObject *watched, QEvent *e) override
    {
        if (e->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(e)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_onEnter();
                return true;
            }
        }
        return QObject::eventFilter(watched, e);
    }

private:
    std::function<void()> m_onEnter;
};

} // namespace

// cgList as the list procedures see it.
class fMultSel::ListAdapter : public keywords::ListRows {
public:
    explicit ListAdapter(vb::FlexGrid *g) : m_g(g) {}
    int rows() const override { return m_g->rows(); }
    QString text(int row) const override { return m_g->textMatrix(row, 0); }
    int currentRow() const override { return m_g->rows() > 0 ? m_g->row() : -1; }
    void setCurrentRow(int row) override
    {
        if (row < 0 || row >= m_g->rows())
            return;
        m_g->setRow(row);
        m_g->setRowSel(row);
    }
    void clearSelection() override { m_g->clearSelection(); }
    int topRow() const override { return m_g->rows() > 0 ? m_g->topRow() : 0; }
    void setTopRow(int row) override
    {
        if (m_g->rows() > 0)
            m_g->setTopRow(std::clamp(row, 0, m_g->rows() - 1));
    }
    void setItems(const QStringList &items) override
    {
        m_g->setRows(std::max<int>(1, int(items.size())));
        if (items.isEmpty())
            m_g->setTextMatrix(0, 0, QString());
        for (int i = 0; i < items.size(); ++i)
            m_g->setTextMatrix(i, 0, items.at(i));
    }
    void removeRow(int row) override
    {
        m_g->removeItem(row);
        m_g->refresh();
    }

private:
    vb::FlexGrid *m_g;
};

fMultSel::fMultSel()
{
    setObjectName(QStringLiteral("fMultSel"));
    setMdiChild(true);
    QWidget *c = client();

    Frame1 = new QGroupBox(QStringLiteral("Origin List"), c);
    vb::setGeometryTwips(Frame1, 120, 120, 2535, 3855);
    cgList = new vb::FlexGrid(1, 1, 0, 0, Frame1);
    vb::setGeometryTwips(cgList, 180, 360, 2235, 2535);
    Text1 = new QLineEdit(Frame1);
    vb::setGeometryTwips(Text1, 180, 3060, 2175, 285);
    cListAdd = new QPushButton(QStringLiteral("Add"), Frame1);
    vb::setGeometryTwips(cListAdd, 180, 3420, 975, 255);
    cListSupp = new QPushButton(QStringLiteral("Supp"), Frame1);
    vb::setGeometryTwips(cListSupp, 1380, 3420, 975, 255);

    Frame2 = new QGroupBox(QStringLiteral("Selection List"), c);
    vb::setGeometryTwips(Frame2, 2940, 120, 2595, 4575);
    cgSel = new vb::FlexGrid(1, 1, 0, 0, Frame2);
    vb::setGeometryTwips(cgSel, 180, 420, 2295, 1695);
    cSelSupp = new QPushButton(QStringLiteral("Supp"), Frame2);
    vb::setGeometryTwips(cSelSupp, 1440, 2220, 975, 255);
    for (ChooserMode m : kModes) {
        auto *b = new QPushButton(QStringLiteral("Select"), Frame2);
        b->setObjectName(QString::fromLatin1(modeName(m)));
        vb::setGeometryTwips(b, 220, 2220, 975, 255);
        b->setVisible(false);
        b->setEnabled(false);
        m_buttons.insert(int(m), b);
        vb::connectEvent(b, &QPushButton::clicked, this, [this, m] { Action_Click(m); });
        addControl(b->objectName(), b);
    }
    for (auto [name, w] : {std::pair<const char *, QObject *>{"Frame1", Frame1}, {"cgList", cgList}, {"Text1", Text1},
                           {"cListAdd", cListAdd}, {"cListSupp", cListSupp}, {"Frame2", Frame2}, {"cgSel", cgSel},
                           {"cSelSupp", cSelSupp}})
        addControl(QString::fromLatin1(name), w);

    m_list = std::make_unique<ListAdapter>(cgList);
    vb::connectEvent(cgList, &vb::FlexGrid::click, this, [this] { cgList_Click(); });
    vb::connectEvent(cgList, &vb::FlexGrid::dblClick, this, [this] { cgList_DblClick(); });
    vb::connectEvent(cgSel, &vb::FlexGrid::click, this, [this] { cgSel_Click(); });
    vb::connectEvent(cSelSupp, &QPushButton::clicked, this, [this] { cSelSupp_Click(); });
    vb::connectEvent(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    Text1->installEventFilter(new EnterFilter(Text1, [this] { Text1_Enter(); }));
    vb::connectEvent(cListAdd, &QPushButton::clicked, this, [this] { cListAdd_Click(); });
    vb::connectEvent(cListSupp, &QPushButton::clicked, this, [this] { cListSupp_Click(); });
}

fMultSel::~fMultSel() = default;

void fMultSel::formLoad()
{
    setHeight(4620);
    setWidth(5745);
    const MainWindowLink &link = mainWindowLink();
    if (link.width && link.height && link.width() > 0) {
        setTop(std::max(0, (link.height() - 4620) / 2));
        const int panel = link.leftPanelWidth ? link.leftPanelWidth() : 0;
        setLeft(std::max(0, (link.width() - 5745) / 2 - panel));
    }
    cgList->setColWidth(0, 2000);
    cgSel->setColWidth(0, 2000);
    setDefaultButton(actionButton(ChooserMode::KWnoteSel));
}

void fMultSel::formActivate() { Text1->setFocus(); }

void fMultSel::configure(const ChooserRequest &request)
{
    m_request = request;
    setCaption(request.caption);
    for (QPushButton *b : std::as_const(m_buttons)) {
        b->setVisible(false);
        b->setEnabled(false);
    }
    // The list always comes from the source of this request.
    m_list->setItems({});
    if (!m_request.source.isNothing() && !m_request.sourceField.isNothing())
        keywords::FillListFromRecordset(*m_list, m_request.source, m_request.sourceField);
    m_selection.clear();
    showSelection();
    {
        const QSignalBlocker block(Text1);
        Text1->clear();
    }
    cListAdd->setVisible(true);
    cListSupp->setVisible(true);
    cSelSupp->setVisible(true);
    QPushButton *b = actionButton(request.mode);
    vb::setLeft(b, 220);
    vb::setTop(b, 2220);
    b->setVisible(true);
    b->setEnabled(true);
    setDefaultButton(request.defaultButton ? b : nullptr);
}

void fMultSel::showSelection()
{
    const QStringList &rows = m_selection.rows();
    cgSel->setRows(int(rows.size()));
    for (int i = 0; i < rows.size(); ++i)
        cgSel->setTextMatrix(i, 0, rows.at(i));
    cgSel->setRow(int(rows.size()) - 1);
}

QString fMultSel::selectionClip() const
{
    if (cgSel->rows() == 0)
        return QString();
    return cgSel->clip();
}

void fMultSel::cgList_Click()
{
    if (cgList->rows() == 0 || cgList->row() < 0)
        return;
    m_selection.add(cgList->text());
    showSelection();
}

void fMultSel::cgList_DblClick()
{
    if (m_request.mode == ChooserMode::KWnoteSel && actionButton(ChooserMode::KWnoteSel)->isEnabled())
        Action_Click(ChooserMode::KWnoteSel);
}

void fMultSel::cgSel_Click()
{
    const QString wanted = cgSel->text();
    for (int r = 0; r < cgList->rows(); ++r) {
        if (cgList->textMatrix(r, 0) == wanted) {
            if (r > 2)
                m_list->setTopRow(r - 3);
            m_list->setCurrentRow(r);
            return;
        }
    }
    if (cgList->rows() > 0) {
        cgList->setRow(cgList->rows() - 1);
        cgList->clearSelection();
    }
}

void fMultSel::cSelSupp_Click()
{
    m_selection.remove(cgSel->row());
    showSelection();
}

void fMultSel::Text1_Change()
{
    if (m_inTextChange)
        return;
    m_inTextChange = true;
    const keywords::TypedText typed = keywords::CapitaliseFirst(Text1->text(), Text1->cursorPosition());
    if (typed.changed) {
        Text1->setText(typed.text);
        Text1->setCursorPosition(typed.caret);
    }
    m_inTextChange = false;
    keywords::FindListItemAsYouType(typed.text, *m_list);
}

void fMultSel::Text1_Enter()
{
    if (!Text1->text().isEmpty())
        Text1->clear();
    if (m_request.mode == ChooserMode::KWnoteSel && actionButton(ChooserMode::KWnoteSel)->isEnabled())
        Action_Click(ChooserMode::KWnoteSel);
}

void fMultSel::cListAdd_Click()
{
    if (m_request.source.isNothing())
        return;
    keywords::AddListItem(Text1->text(), *m_list, m_request.source, m_request.sourceField);
}

void fMultSel::cListSupp_Click()
{
    if (m_request.source.isNothing())
        return;
    if (keywords::DeleteListItem(*m_list, m_request.source, m_request.sourceField)) {
        m_selection.clear();
        showSelection();
    }
}

void fMultSel::Action_Click(ChooserMode mode)
{
    switch (mode) {
    case ChooserMode::KWNoteSelect:
    case ChooserMode::KWCitAdd:
    case ChooserMode::KWBibAdd: {
        const CardType type = mode == ChooserMode::KWNoteSelect ? CardType::Note
                              : mode == ChooserMode::KWCitAdd   ? CardType::Quote
                                                                : CardType::Reference;
        if (keywords::LinkKeywords(type, m_request.targetKey, m_request.targetCounter, m_selection.rows()))
            unload();
        return;
    }
    case ChooserMode::KWCitSel: {
        QString k = selectionClip();
        keywords::ListCitsOfKeyword(k);
        return;
    }
    case ChooserMode::KWBibSel: {
        QString k = selectionClip();
        keywords::ListRefsOfKeyword(k);
        CardKind = QStringLiteral("Bib");
        SetCardKindOption(CardType::Reference);
        unload();
        return;
    }
    case ChooserMode::KWnoteSel: {
        QString k = selectionClip();
        keywords::ListNotesOfKeyword(k);
        unload();
        return;
    }
    case ChooserMode::AuthorSel:
        if (keywords::ListReferencesOfAuthor(selectionClip()))
            unload();
        return;
    case ChooserMode::AuthorCit:
        if (keywords::ListQuotesOfAuthor(selectionClip()))
            unload();
        return;
    case ChooserMode::cBibAutSel:
    case ChooserMode::cNoteAutSel: {
        QPushButton *b = actionButton(mode);
        const bool made = mode == ChooserMode::cBibAutSel ? CreateReferenceForAuthors(m_selection.rows())
                                                          : CreateNoteForAuthors(m_selection.rows());
        if (made && isLoaded())
            b->setVisible(false);
        return;
    }
    }
}

namespace keywords {

void ShowChooser(const ChooserRequest &request)
{
    fMultSel &w = vb::Forms::get<fMultSel>();
    w.configure(request);
    w.show();
}

void UnloadChooser() { vb::Forms::unload<fMultSel>(); }

} // namespace keywords
