#pragma once
// fKWList, "KeyWords List": every keyword of the open base as one flat list,
// with "Add" and "Supp". One default instance, opened from the main window's
// Keywords menu.

#include "Form.h"
#include "KeywordListModel.h"

#include <memory>

class QListWidget;
class QPushButton;

class fKWList : public vb::Form {
    Q_OBJECT
public:
    fKWList();
    ~fKWList() override;

    QListWidget *List1;
    QPushButton *Command1;
    QPushButton *Command2;

    const keywords::KeywordListModel *model() const { return m_model.get(); }

    // The event procedures.
    void List1_Click();
    void Command1_Click();
    void Command2_Click();

protected:
    void formLoad() override;

private:
    void render();

    std::unique_ptr<keywords::KeywordListModel> m_model;
};
