#pragma once
// A reference card for the card tests, which do not link the reference
// window: the reference's key and title, read only.

#include "CardWindows.h"
#include "Form.h"
#include "WindowLinks.h"

class QLineEdit;

class ReferenceCardDouble : public vb::Form, public CardWindowLink {
    Q_OBJECT
public:
    ReferenceCardDouble();
    ~ReferenceCardDouble() override;

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

// Opens this double wherever the program would open a reference card.
inline void InstallReferenceCardDouble()
{
    windowLinks().createReferenceWindow = []() -> CardWindowLink * {
        auto *w = new ReferenceCardDouble();
        w->load();
        return w;
    };
}
