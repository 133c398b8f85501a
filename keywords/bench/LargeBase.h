#pragma once
// A base the size of a real one for the benchmarks: notes of about 2 KB of
// prose (plain and rich text) with their keyword links, made once and kept
// in the build folder, then opened as the program opens a base.

#include <QString>
#include <QStringList>

struct sqlite3;

namespace benchbase {

// 50,000 words made of accented and plain stems, some plural, some
// capitalised.
const QStringList &vocabulary();

// Prose with a Zipf-like spread of words, accents, capitals, no-break
// spaces, guillemets, typographic apostrophes, digits and CRLF.
QString prose(qsizetype chars, quint32 seed);

// The keyword that holds 30 % of the notes, and the term that one note in
// a hundred holds (after accented text).
inline constexpr const char *kBigKeyword = "Big";
inline constexpr const char *kMarker = "xqzmarker";

// Opens (making it first when it is not there) the base of `notes` notes
// as g_Db with its tables bound. Each note has 2 or 3 links: the big
// keyword for 30 % of them, and keywords of a pool of 500; keys are
// author prefixes with numbers, dates spread over ten years in no relation
// to the order of the rows.
QString OpenLargeBase(int notes);
void CloseLargeBase();

// Runs the benchmarks asked for on the command line, then closes every
// window they left open.
void RunBenchmarks(int &argc, char **argv);

// A connection of its own to the same file, keyed, with the text
// comparison of the indexes: for the direct code beside the engine.
sqlite3 *OpenDirect(const QString &path);

} // namespace benchbase
