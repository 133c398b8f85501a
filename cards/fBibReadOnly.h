#pragma once
// The reference card until the reference window of its own folder is
// installed: the reference's key and title, read only.

#include "CardWindows.h"
#include "Form.h"

class QLineEdit;

class fBibReadOnly : public vb::Form, public CardWindowLink {
    Q_OBJECT
public:
    fBibReadOnly();
    ~fBibReadOnly() override;

    QLineEdit *cBibNDX = nullptr;
    QLineEdit *cBibTitle = nullptr;
    QLineEdit *FenNum = nullptr;

    CardType cardType() const override { return CardType::Reference; }
    QString cardKey() const override { return m_key; }
    vb::Form *cardForm() override { return this; }
    void setCardNumber(int number) override;
    int cardNumber() const override;
    void reloadKeywords() override {}
    QString cardPlainText() const override { return {}; }
    void closeWithoutAsking() override { unload(); }

protected:
    void formLoad() override;

private:
    QString m_key;
};
