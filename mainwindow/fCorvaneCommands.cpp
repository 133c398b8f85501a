// fCorvane's searches and card commands: the window's side of MainCommands
// (what it reads from the controls) and the handlers of the controls and
// menu items, which hand over at once.

#include "fCorvane.h"

#include "Events.h"
#include "MainCommands.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

namespace {

class FormCommandHost : public mainwindow::MainCommandHost {
public:
    explicit FormCommandHost(fCorvane &f) : m_f(f) {}

    CardType checkedKind() const override
    {
        if (m_f.OptionNote->isChecked())
            return CardType::Note;
        if (m_f.OptionRef->isChecked())
            return CardType::Reference;
        return CardType::Quote;
    }
    void checkKind(CardType type) override
    {
        QRadioButton *option = type == CardType::Note    ? m_f.OptionNote
                               : type == CardType::Quote ? m_f.OptionCit
                                                         : m_f.OptionRef;
        const QSignalBlocker block(option);
        option->setChecked(true);
    }
    mainwindow::OtherOrder otherOrder() const override
    {
        if (m_f.OptionByAuthor->isChecked())
            return mainwindow::OtherOrder::Author;
        if (m_f.OptionByKeyword->isChecked())
            return mainwindow::OtherOrder::Keyword;
        if (m_f.OptionByDate->isChecked())
            return mainwindow::OtherOrder::Date;
        return mainwindow::OtherOrder::None;
    }
    QString selectedKeyword() const override { return m_f.KWSel->text(); }
    QString searchText() const override { return m_f.TextSearch->text(); }
    bool searchModeDown() const override
    {
        return m_f.modes().position(mainwindow::Toggle::Search) == mainwindow::PositionDown;
    }
    bool otherModeDown() const override
    {
        return m_f.modes().position(mainwindow::Toggle::Other) == mainwindow::PositionDown;
    }
    void cascade() override { m_f.mWCascade_Click(); }
    void showAllKeywordsTab() override { m_f.ShowAllKeywordsTab(); }

private:
    fCorvane &m_f;
};

} // namespace

void fCorvane::connectSearchControls()
{
    m_commandHost = std::make_unique<FormCommandHost>(*this);
    m_commands = std::make_unique<mainwindow::MainCommands>(*m_commandHost);

    // clicked: the user's choice only; the program sets the options without
    // running these.
    vb::connectEvent(OptionNote, &QRadioButton::clicked, this, [this] { OptionNote_Click(); });
    vb::connectEvent(OptionCit, &QRadioButton::clicked, this, [this] { OptionCit_Click(); });
    vb::connectEvent(OptionRef, &QRadioButton::clicked, this, [this] { OptionRef_Click(); });
    vb::connectEvent(CommandSearchText, &QPushButton::clicked, this, [this] { CommandSearchText_Click(); });
    vb::connectEvent(TextSearch, &QLineEdit::returnPressed, this, [this] { TextSearch_KeyDown(13, 0); });
    vb::connectEvent(CommandSearchOther, &QPushButton::clicked, this, [this] { CommandSearchOther_Click(); });
    // Choosing an order runs the search at once.
    for (QRadioButton *order : {OptionByAuthor, OptionByKeyword, OptionByDate})
        vb::connectEvent(order, &QRadioButton::clicked, this, [this] { RunOtherSearch(); });
}

void fCorvane::ShowAllKeywordsTab()
{
    // In the browser layouts the keyword list is shown already.
    if (g_KWFrameHidden || !TabStrip1->isVisible())
        return;
    TabStrip1->setSelectedIndex(3);
    TabStrip1_Click();
}

void fCorvane::OptionNote_Click() { m_commands->OptionNote_Click(); }
void fCorvane::OptionCit_Click() { m_commands->OptionCit_Click(); }
void fCorvane::OptionRef_Click() { m_commands->OptionRef_Click(); }
void fCorvane::CommandSearchText_Click() { m_commands->CommandSearchText_Click(); }
void fCorvane::TextSearch_KeyDown(int keyCode, int shift) { m_commands->TextSearch_KeyDown(keyCode, shift); }
void fCorvane::CommandSearchOther_Click() { m_commands->RunOtherSearch(); }
void fCorvane::RunOtherSearch() { m_commands->RunOtherSearch(); }
void fCorvane::GridKWText_Click() { m_commands->GridKWText_Click(); }
void fCorvane::GridKWText2_Click() { m_commands->GridKWText2_Click(); }
void fCorvane::mCitFindText_Click() { m_commands->mCitFindText_Click(); }
void fCorvane::mNFindText_Click() { m_commands->mNFindText_Click(); }
void fCorvane::mBibOpenAuthor_Click() { m_commands->mBibOpenAuthor_Click(); }
void fCorvane::mBibOpenKW_Click() { m_commands->mBibOpenKW_Click(); }
void fCorvane::mBibNew2_Click() { m_commands->mBibNew2_Click(); }
void fCorvane::mCitOpenAuthor_Click() { m_commands->mCitOpenAuthor_Click(); }
void fCorvane::mCitOpenKW_Click() { m_commands->mCitOpenKW_Click(); }
void fCorvane::mCitOpenDate_Click() { m_commands->mCitOpenDate_Click(); }
void fCorvane::mCitNew2_Click() { m_commands->mCitNew2_Click(); }
void fCorvane::mNotebyKeyword_Click() { m_commands->mNotebyKeyword_Click(); }
void fCorvane::mNotebyDate_Click() { m_commands->mNotebyDate_Click(); }
void fCorvane::mNoteNew_Click() { m_commands->mNoteNew_Click(); }
void fCorvane::mBibNew_Click() { m_commands->mBibNew_Click(); }
void fCorvane::mCitNew_Click() { m_commands->mCitNew_Click(); }
void fCorvane::mNNew_Click() { m_commands->mNNew_Click(); }
void fCorvane::mIndexAllNotes_Click() { m_commands->mIndexAllNotes_Click(); }
void fCorvane::mIndexAllQuotes_Click() { m_commands->mIndexAllQuotes_Click(); }
void fCorvane::mnuAllKeywordsNotes_Click() { m_commands->mnuAllKeywordsNotes_Click(); }
void fCorvane::mnuAllKeywordsQuotes_Click() { m_commands->mnuAllKeywordsQuotes_Click(); }
