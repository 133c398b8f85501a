// fCorvane's searches and card commands: the window's side of MainCommands
// (what it reads from the controls); the controls and menu items call
// MainCommands directly.

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
    vb::connectEvent(OptionNote, &QRadioButton::clicked, this, [this] { m_commands->OptionNote_Click(); });
    vb::connectEvent(OptionCit, &QRadioButton::clicked, this, [this] { m_commands->OptionCit_Click(); });
    vb::connectEvent(OptionRef, &QRadioButton::clicked, this, [this] { m_commands->OptionRef_Click(); });
    vb::connectEvent(CommandSearchText, &QPushButton::clicked, this, [this] { m_commands->CommandSearchText_Click(); });
    vb::connectEvent(TextSearch, &QLineEdit::returnPressed, this, [this] { m_commands->TextSearch_KeyDown(13, 0); });
    vb::connectEvent(CommandSearchOther, &QPushButton::clicked, this, [this] { m_commands->RunOtherSearch(); });
    // Choosing an order runs the search at once.
    for (QRadioButton *order : {OptionByAuthor, OptionByKeyword, OptionByDate})
        vb::connectEvent(order, &QRadioButton::clicked, this, [this] { m_commands->RunOtherSearch(); });
}

void fCorvane::ShowAllKeywordsTab()
{
    // In the browser layouts the keyword list is shown already.
    if (g_KWFrameHidden || !TabStrip1->isVisible())
        return;
    TabStrip1->setSelectedIndex(3);
    TabStrip1_Click();
}
