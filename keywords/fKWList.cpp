#include "fKWList.h"

#include "Events.h"
#include "KeywordWindowTexts.h"
#include "Placement.h"
#include "Runtime.h"
#include "ShortTexts.h"
#include "Start.h"
#include "Twips.h"

#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>

fKWList::fKWList()
{
    setObjectName(QStringLiteral("fKWList"));
    setMdiChild(true);
    setCaption(keywords::texts::listCaption);

    List1 = new QListWidget(client());
    List1->setObjectName(QStringLiteral("List1"));
    vb::setGeometryTwips(List1, 360, 240, 2415, 2790);
    vb::showShortTexts(List1);
    Command1 = new QPushButton(QStringLiteral("Add"), client());
    Command1->setObjectName(QStringLiteral("Command1"));
    vb::setGeometryTwips(Command1, 480, 3240, 975, 255);
    Command2 = new QPushButton(QStringLiteral("Supp"), client());
    Command2->setObjectName(QStringLiteral("Command2"));
    vb::setGeometryTwips(Command2, 1800, 3240, 975, 255);
    addControl(QStringLiteral("List1"), List1);
    addControl(QStringLiteral("Command1"), Command1);
    addControl(QStringLiteral("Command2"), Command2);

    vb::connectEvent(List1, &QListWidget::itemClicked, this, [this] { List1_Click(); });
    vb::connectEvent(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    vb::connectEvent(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
}

fKWList::~fKWList() = default;

void fKWList::formLoad()
{
    setWidth(3210);
    setHeight(4110);
    const MainWindowSize main = mainWindowSize();
    setTop(vb::intDiv(main.height - height(), 2));
    setLeft(vb::intDiv(main.width - width(), 2) - vb::intDiv(main.leftPanel, 2));
    m_model = std::make_unique<keywords::KeywordListModel>(rsCGroup1, fldCGroup1Groupe);
    m_model->load();
    render();
}

void fKWList::render()
{
    const QSignalBlocker block(List1);
    List1->clear();
    List1->addItems(m_model->rows());
    List1->setCurrentRow(m_model->selected());
}

void fKWList::List1_Click()
{
    if (!m_model)
        return;
    const QList<QListWidgetItem *> selected = List1->selectedItems();
    m_model->select(selected.isEmpty() ? -1 : List1->row(selected.first()));
}

void fKWList::Command1_Click()
{
    if (m_model && m_model->add())
        render();
}

void fKWList::Command2_Click()
{
    // The list's own selection decides what goes.
    List1_Click();
    if (m_model && m_model->removeSelected())
        render();
}
