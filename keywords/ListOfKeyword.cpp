#include "ListOfKeyword.h"

#include "ProgramState.h"
#include "fGrid.h"

namespace {

void showListing(const QString &kind, const QString &caption)
{
    ClearGridRows();
    CardKind = kind;
    GridCaption = caption;
    vb::Forms::unload<fGrid>();
    fGrid &grid = vb::Forms::get<fGrid>();
    grid.setTag(kind);
    grid.show();
}

} // namespace

namespace keywords {

void ListNotesOfKeyword(QString &keyword)
{
    showListing(QStringLiteral("Note"), QStringLiteral("Notes - Keyword : ") + keyword);
}

void ListCitsOfKeyword(QString &keyword)
{
    showListing(QStringLiteral("Cit"), QStringLiteral("Quote + Keyword : ") + keyword);
}

void ListRefsOfKeyword(QString &keyword)
{
    showListing(QStringLiteral("Bib"), QStringLiteral("References + Keyword : ") + keyword);
}

} // namespace keywords
