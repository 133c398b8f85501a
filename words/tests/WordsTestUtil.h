#pragma once
// Shared by the word tests: cards written straight into the base, and a
// stand-in card window registered like the real ones.

#include "CardWindows.h"
#include "Form.h"
#include "Start.h"
#include "TestBase.h"

#include <QStringList>

namespace wordstest {

inline void addNote(const QString &key, const QVariant &text, const QString &rtf = {})
{
    rsNote.AddNew();
    fldNoteCit.setValue(key);
    fldNoteTexte.setValue(text);
    if (!rtf.isEmpty())
        fldNoteTextRtf.setValue(rtf);
    rsNote.Update();
}

inline void addQuote(const QString &key, const QVariant &text)
{
    rsCit.AddNew();
    fldCitCit.setValue(key);
    fldCitTexte.setValue(text);
    rsCit.Update();
}

inline void linkNote(const QString &key, const QString &keyword)
{
    rsGrNote.AddNew();
    fldGrNoteNdx.setValue(key);
    fldGrNoteGroupe.setValue(keyword);
    rsGrNote.Update();
}

inline void linkQuote(const QString &key, const QString &keyword)
{
    rsGrCit.AddNew();
    fldGrCitNdx.setValue(key);
    fldGrCitGroupe.setValue(keyword);
    rsGrCit.Update();
}

// "keyword/count" of every link of a note, in index order.
inline QStringList noteLinks(const QString &key)
{
    QStringList out;
    rsGrNote.setIndex(QStringLiteral("GrNoteNDX"));
    rsGrNote.Seek(QStringLiteral("="), key);
    if (rsGrNote.NoMatch())
        return out;
    while (!rsGrNote.Eof() && fldGrNoteNdx.Value().toString() == key) {
        out << fldGrNoteGroupe.Value().toString() + u'/' + fldGrNoteWordsNb.Value().toString();
        rsGrNote.MoveNext();
    }
    return out;
}

// A card window as far as other windows see one.
class FakeCard : public vb::Form, public CardWindowLink {
public:
    FakeCard(CardType type, const QString &key, const QString &text) : m_type(type), m_key(key), m_text(text)
    {
        cardwindows::add(this);
    }
    ~FakeCard() override { cardwindows::remove(this); }
    CardType cardType() const override { return m_type; }
    QString cardKey() const override { return m_key; }
    vb::Form *cardForm() override { return this; }
    void setCardNumber(int n) override { m_number = n; }
    int cardNumber() const override { return m_number; }
    void reloadKeywords() override { ++reloads; }
    QString cardPlainText() const override { return m_text; }
    void closeWithoutAsking() override { unload(); }
    void setText(const QString &t) { m_text = t; }

    int reloads = 0;

protected:
    void formUnload(int &) override { cardwindows::remove(this); }

private:
    CardType m_type;
    QString m_key;
    QString m_text;
    int m_number = 0;
};

} // namespace wordstest
