#include "InstallReferences.h"

#include "CardSets.h"
#include "Form.h"
#include "WindowLinks.h"
#include "fBibMulti.h"

void InstallReferenceWindows()
{
    windowLinks().createReferenceWindow = []() -> CardWindowLink * {
        fBibMulti *card = vb::Forms::create<fBibMulti>();
        ReferenceCards.window = card;
        return card;
    };
}
