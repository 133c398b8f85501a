#include "fChoixMots.h"

#include "CardWindows.h"
#include "Dialogs.h"
#include "Placement.h"
#include "ProgramState.h"
#include "Runtime.h"
#include "ShortTexts.h"
#include "Twips.h"
#include "WindowLinks.h"
#include "WordAnalysis.h"
#include "WordBase.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

fChoixMots::fChoixMots()
{
    setObjectName(QStringLiteral("fChoixMots"));
    // Holds card keys or rows of the open base: closed before the base changes.
    MarkHoldsOpenBase(this);
    setCaption(QStringLiteral("Words choice"));
    QWidget *c = client();
    Label2 = new QLabel(QStringLiteral("Excluded Words Management"), c);
    vb::setGeometryTwips(Label2, 120, 120, 3135, 375);
    Check1 = new QCheckBox(QStringLiteral("Include All Words (even <2)"), c);
    Check1->setToolTip(QStringLiteral("This will not exclude any word"));
    // Wider than designed so that the whole caption shows at the 8-point font.
    vb::setGeometryTwips(Check1, 480, 600, 2880, 495);
    Label1 = new QLabel(QStringLiteral("Excluded Words :"), c);
    vb::setGeometryTwips(Label1, 480, 1200, 2055, 255);
    List1 = new QListWidget(c);
    vb::setGeometryTwips(List1, 480, 1440, 2295, 1815);
    vb::showShortTexts(List1);
    Command2 = new QPushButton(QStringLiteral("Add"), c);
    Command2->setToolTip(QStringLiteral("Add a word to the excluded words list"));
    vb::setGeometryTwips(Command2, 480, 3360, 1095, 255);
    Command3 = new QPushButton(QStringLiteral("Supp"), c);
    Command3->setToolTip(QStringLiteral("Remove a word from the excluded words list"));
    vb::setGeometryTwips(Command3, 1680, 3360, 1095, 255);
    Command1 = new QPushButton(QStringLiteral("OK"), c);
    vb::setGeometryTwips(Command1, 480, 3720, 2295, 255);
    Command1->setVisible(false);
    Command1->setEnabled(false);

    addControl(QStringLiteral("Label2"), Label2);
    addControl(QStringLiteral("Check1"), Check1);
    addControl(QStringLiteral("Label1"), Label1);
    addControl(QStringLiteral("List1"), List1);
    addControl(QStringLiteral("Command2"), Command2);
    addControl(QStringLiteral("Command3"), Command3);
    addControl(QStringLiteral("Command1"), Command1);

    connect(Command1, &QPushButton::clicked, this, &fChoixMots::Command1_Click);
    connect(Command2, &QPushButton::clicked, this, &fChoixMots::Command2_Click);
    connect(Command3, &QPushButton::clicked, this, &fChoixMots::Command3_Click);
    connect(List1, &QListWidget::itemSelectionChanged, this, &fChoixMots::selectionChanged);
}

void fChoixMots::formLoad()
{
    setWidth(3480);
    setHeight(4550);
    const MainWindowSize m = mainWindowSize();
    setLeft(vb::intDiv(m.width - m.leftPanel - 3480, 2));
    setTop(vb::intDiv(m.height - 4550, 3));
    Check1->setChecked(false);
    FillExcludedList();
}

void fChoixMots::setAnalysedCard(CardType type, const QString &key)
{
    m_type = type;
    m_key = key;
    m_hasCard = true;
}

bool fChoixMots::allWords() const { return Check1->isChecked(); }

void fChoixMots::FillExcludedList()
{
    List1->clear();
    try {
        List1->addItems(words::excludedWordList());
    } catch (const vb::Error &) {
        // A base without the table lists nothing.
    }
    selectionChanged();
}

void fChoixMots::selectionChanged()
{
    // "Supp" removes the selected word; with none selected it has nothing to do.
    Command3->setEnabled(List1->currentItem() && List1->currentItem()->isSelected());
}

void fChoixMots::Command2_Click()
{
    const QString word = vb::InputBox(QStringLiteral("Fill in the word you want to add to exclusion list"),
                                      QStringLiteral("New excluded word"));
    if (word.isEmpty())
        return;
    try {
        switch (words::addExcludedWord(word)) {
        case words::AddExcluded::Added:
            // Shown once stored, where the index puts it.
            FillExcludedList();
            break;
        case words::AddExcluded::Duplicate:
            vb::MsgBox(u'\'' + word + QStringLiteral("' is already in the Exclusion List"), vb::vbInformation);
            break;
        case words::AddExcluded::TooLong:
            vb::MsgBox(QStringLiteral("An excluded word cannot be longer than 40 characters"), vb::vbExclamation);
            break;
        case words::AddExcluded::Empty:
            break;
        }
    } catch (const vb::Error &e) {
        words::reportWriteFailure(e);
    }
}

void fChoixMots::Command3_Click()
{
    QListWidgetItem *item = List1->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString w = item->text();
    if (vb::MsgBox(QStringLiteral("Discard ") + w + QStringLiteral(" from Exclusion List ?"),
                   vb::vbOKCancel + vb::vbQuestion) != vb::vbOK)
        return;
    try {
        words::removeExcludedWord(w);
    } catch (const vb::Error &e) {
        words::reportWriteFailure(e);
        return;
    }
    // The list shows the table as it now is.
    FillExcludedList();
}

void fChoixMots::Command1_Click()
{
    Command1->setVisible(false);
    Command1->setEnabled(false);
    setDefaultButton(nullptr);
    CardType type = m_type;
    QString key = m_key;
    if (!m_hasCard) {
        type = cardTypeOfKind(AnalysedCardKind).value_or(CardType::Note);
        key = AnalysedCardKey;
    }
    // The text the analysis saw: the open card's, edits included, else the stored one.
    std::optional<QString> text;
    const QList<CardWindowLink *> open = cardwindows::find(type, key);
    if (!open.isEmpty()) {
        text = open.first()->cardPlainText();
    } else {
        try {
            text = words::storedCardText(type, key);
        } catch (const vb::Error &) {
        }
    }
    if (!text) {
        vb::MsgBox(QStringLiteral("The analysed card no longer exists"), vb::vbExclamation);
        unload();
        return;
    }
    AnalysedCardKind = cardKindName(type);
    AnalysedCardKey = key;
    CardKind = AnalysedCardKind;
    words::ParseTextWords(*text);
    unload();
}
