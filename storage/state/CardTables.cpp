#include "CardTables.h"

#include "Start.h"

CardTables cardTablesOf(CardType type)
{
    switch (type) {
    case CardType::Note: return {rsGrNote, "GrNote", "GrNoteNDX", rsNote, "NoteNDX", "NoteCount"};
    case CardType::Quote: return {rsGrCit, "GrCit", "GrCitNDX", rsCit, "CitNDX", "CitCount"};
    case CardType::Reference: break;
    }
    return {rsGrBib, "GrBib", "GrBibNDX", rsBiblio, "BibNDX", "BiblioCount"};
}
