#include "AfficheKW.h"

#include "CardWindows.h"
#include "DaoErrors.h"
#include "Error.h"
#include "FlexGrid.h"
#include "ProgramState.h"
#include "Start.h"
#include "Twips.h"

#include <QVBoxLayout>

namespace words {

namespace {

QString textOf(const dao::Field &f)
{
    const QVariant v = f.Value();
    return v.isValid() ? v.toString() : QString();
}

// Walks the table backwards from its highest count.
QList<IndexRow> topRows(dao::Recordset &rs, const char *index, dao::Field &word, dao::Field *key, dao::Field &count,
                        int limit)
{
    QList<IndexRow> out;
    if (rs.isNothing())
        return out;
    rs.setIndex(QString::fromLatin1(index));
    try {
        rs.MoveLast();
    } catch (const vb::Error &e) {
        if (e.number() == dao::ErrNoCurrentRecord)
            return out; // no row at all
        throw;
    }
    while (!rs.Bof() && out.size() < limit) {
        IndexRow r;
        r.word = textOf(word);
        if (key)
            r.key = textOf(*key);
        r.count = count.Value().toInt();
        out.append(r);
        rs.MovePrevious();
    }
    return out;
}

} // namespace

QList<IndexRow> topIndexRows(CardType type, int limit)
{
    if (type == CardType::Quote)
        return topRows(rsWordsCitIndex, "NbOccurIndex", fldWordsCitIndexMot, &fldWordsCitIndexIndex,
                       fldWordsCitIndexNbOccurIndex, limit);
    if (type == CardType::Note)
        return topRows(rsWordsNoteIndex, "NbOccurIndex", fldWordsNoteIndexMot, &fldWordsNoteIndexIndex,
                       fldWordsNoteIndexNbOccurIndex, limit);
    return {};
}

QList<IndexRow> topTotalRows(CardType type, int limit)
{
    if (type == CardType::Quote)
        return topRows(rsWordsCitAll, "Occurences", fldWordsCitAllMot, nullptr, fldWordsCitAllOccurences, limit);
    if (type == CardType::Note)
        return topRows(rsWordsNoteAll, "Occurences", fldWordsNoteAllMot, nullptr, fldWordsNoteAllOccurences, limit);
    return {};
}

void ShowWordIndexWindow()
{
    AfficheKW &w = vb::Forms::get<AfficheKW>();
    w.refill(cardTypeOfKind(CardKind));
    w.show();
}

void ShowWordTotalsWindow()
{
    AfficheKWAll &w = vb::Forms::get<AfficheKWAll>();
    w.refill(cardTypeOfKind(CardKind));
    w.show();
}

} // namespace words

namespace {

int fillGrid(vb::FlexGrid *g, const QList<words::IndexRow> &rows, bool withKey)
{
    // The rows that exist, with the header row above them.
    g->setRows(int(rows.size()) + 1);
    for (int i = 0; i < rows.size(); ++i) {
        const words::IndexRow &r = rows.at(i);
        int c = 0;
        g->setTextMatrix(i + 1, c++, r.word);
        if (withKey)
            g->setTextMatrix(i + 1, c++, r.key);
        g->setTextMatrix(i + 1, c, QString::number(r.count));
    }
    if (!rows.isEmpty())
        g->setRow(1);
    return int(rows.size());
}

std::optional<CardType> wordKind(std::optional<CardType> type)
{
    return type && *type != CardType::Reference ? type : std::nullopt;
}

} // namespace

WordIndexWindow::WordIndexWindow(const QString &name, const QString &caption, bool withKey)
    : m_withKey(withKey)
{
    setObjectName(name);
    // Holds card keys or rows of the open base: closed before the base changes.
    MarkHoldsOpenBase(this);
    setCaption(caption);
    MSHFlexGrid1 = new vb::FlexGrid(1, withKey ? 3 : 2, 1, 0, client());
    auto *layout = new QVBoxLayout(client());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(MSHFlexGrid1);
    addControl(QStringLiteral("MSHFlexGrid1"), MSHFlexGrid1);
}

void WordIndexWindow::refill(std::optional<CardType> type)
{
    QList<words::IndexRow> rows;
    if (const auto kind = wordKind(type)) {
        try {
            rows = rowsOf(*kind);
        } catch (const vb::Error &) {
            // An index that cannot be read shows no row.
        }
    }
    m_shown = fillGrid(MSHFlexGrid1, rows, m_withKey);
}

AfficheKW::AfficheKW()
    : WordIndexWindow(QStringLiteral("AfficheKW"), QStringLiteral("All KW"), true)
{
    MSHFlexGrid1->setColWidth(0, 2000);
    // Wide enough for a whole card key (12 characters).
    MSHFlexGrid1->setColWidth(1, 1500);
    MSHFlexGrid1->setColWidth(2, 500);
}

void AfficheKW::formLoad()
{
    window()->resize(vb::pixelsX(4425), vb::pixelsY(5595));
    placeOverMdiForm();
}

QList<words::IndexRow> AfficheKW::rowsOf(CardType type) const { return words::topIndexRows(type); }

AfficheKWAll::AfficheKWAll()
    : WordIndexWindow(QStringLiteral("AfficheKWAll"), QStringLiteral("All KeyWords"), false)
{
    MSHFlexGrid1->setColWidth(0, 2000);
    MSHFlexGrid1->setColWidth(1, 500);
}

void AfficheKWAll::formLoad()
{
    window()->resize(vb::pixelsX(3120), vb::pixelsY(5415));
    placeOverMdiForm();
}

QList<words::IndexRow> AfficheKWAll::rowsOf(CardType type) const { return words::topTotalRows(type); }
