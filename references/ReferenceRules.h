#pragma once
// The reference card's rules that need neither a window nor a base: the
// keyword order, the texts it builds, the checks of its boxes, the view
// chosen by the document type and the memory guard of its set opener.

#include "MemoryStatus.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

namespace references {

// Column sizes of the boxes, as the tables hold them.
inline constexpr int kTitle1Size = 120;   // BIBLIO.TITRE1
inline constexpr int kTitle2Size = 100;   // BIBLIO.TITRE2
inline constexpr int kTypeSize = 50;      // BIBLIO.Type
inline constexpr int kPublisherSize = 50; // BIBLIO.EDITEUR, BIBLIO.EDITEUROR
inline constexpr int kTownSize = 40;      // BIBLIO.LIEU
inline constexpr int kIsbnSize = 20;      // BIBLIO.ISBN
inline constexpr int kCongressSize = 60;  // BIBLIO.Congress
inline constexpr int kArticleTextSize = 50; // RevueArticle.RevueTitre, RevueNumero, Pages
inline constexpr int kOriginalTitleSize = 100; // BIBLIO.TITRE_ORI
inline constexpr int kOriginalTownSize = 30;   // BIBLIO.LIEU_ORIG
inline constexpr int kPublisherNameSize = 80;  // EDITEUR.NOM
inline constexpr int kPublisherTownSize = 50;  // EDITEUR.Ville
inline constexpr int kQuoteTextSize = 100;     // CIT.Auteur, CIT.Titre1

// "Durand : Memory (3)".
QString CardCaption(const QString &firstAuthor, const QString &keyword, int number);

// The question of "Supp": the keyword centred under the question.
QString DeleteKeywordPrompt(const QString &keyword);

// The quote key for number i of a reference: the first five characters of
// the reference key in capitals, i with at least three digits, ".TXT".
QString QuoteKeyFor(const QString &referenceKey, int i);

// What the type combo shows for a stored type: the stored text when there
// is one (listed or not, so that a store keeps it), "No Type" otherwise.
QString TypeToShow(const QString &storedType);

// The details frame a document type opens (exact comparison).
enum class DetailFrame { Book, Article, Other };
DetailFrame FrameForType(const QString &typeText);

// Card height and FrameCommands.Top in the complete view, from the shown
// frame's design height and its top (3240).
struct ViewGeometry {
    int cardHeight = 0;
    int commandsTop = 0;
};
ViewGeometry CompleteViewGeometry(DetailFrame frame, int frameHeight, int frameTop);

// A number box: an empty box gives Null; otherwise a whole number within
// [min, max], or a message naming the box.
struct NumberBox {
    QVariant value;
    QString error; // empty when the box is sound
};
NumberBox ParseNumberBox(const QString &label, const QString &text, qint64 min, qint64 max);

// A text box whose text must fit its column: the message naming the box,
// or nothing.
std::optional<QString> TooLongMessage(const QString &label, const QString &text, int size);

// A value read from the base that a box too short for it would cut: the
// message naming the box and giving the whole value, or nothing.
std::optional<QString> DoesNotFitMessage(const QString &label, const QString &value, int size);


} // namespace references
