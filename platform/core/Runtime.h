#pragma once
// Runtime functions whose exact results the program relies on: the integer
// division operator \, rounding conversions, Str, Val and numeric Format.

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QtGlobal>

#include <functional>

namespace vb {

enum : int { ErrDivisionByZero = 11 };

// a \ b: each operand is first rounded to a whole number (half to even),
// then the quotient is truncated toward zero. Raises 11 on a zero divisor
// and 6 when an operand or the result leaves the Long range.
qint32 intDiv(double a, double b);

// Half-to-even rounding, as CInt/CLng/Round do. CInt raises 6 outside
// -32768..32767, CLng outside the 32-bit range.
double roundHalfEven(double value);
qint16 CInt(double value);
qint32 CLng(double value);

// Str: a leading blank for values >= 0, at most 15 significant digits, no
// trailing zeros, no zero before the decimal point (" .5"), and exponent form
// for very large or small values (" 1E+15", " 1E-05").
QString Str(double value);
QString Str(qint64 value);

// Val: the number at the start of the text ("" and text without digits give
// 0); blanks are skipped, as is "&H" for hexadecimal.
double Val(const QString &text);

// Format with a numeric pattern of '0' (digit, zero when absent), '#'
// (digit, nothing when absent) and one '.', other characters copied:
// Format(5, "000") = "005", Format(1000, "000") = "1000",
// Format(2.345, "0.00") = "2.35". Halves round away from zero.
QString Format(double value, const QString &pattern);
QString Format(qint64 value, const QString &pattern);
inline QString Format(int value, const QString &pattern) { return Format(qint64(value), pattern); }

// UCase and LCase map each character to one character, so that a text keeps
// its length ("ß" stays "ß"; keys built from names keep their width).
QString UCase(const QString &text);
QString LCase(const QString &text);

// The first `width` characters of a name as the user sees them, for keys
// built from names: composed first (NFC), a character outside the BMP counted
// once and never cut in half, then padded with `pad` up to `width`
// characters (no padding when pad is null).
QString KeyPrefix(const QString &name, int width, QChar pad = QChar());

// InStr compare modes.
enum : int { vbBinaryCompare = 0, vbTextCompare = 1 };

// InStr(start, s1, s2): 1-based position of s2 in s1 from position start, 0
// when absent. A start below 1 raises 5; an empty s1 gives 0; an empty s2
// gives start while start lies within s1 or just past it, else 0. Text
// compare ignores letter case, character by character.
int InStr(int start, const QString &text, const QString &sought, int compare = vbBinaryCompare);
inline int InStr(const QString &text, const QString &sought, int compare = vbBinaryCompare)
{
    return InStr(1, text, sought, compare);
}

// A date as the cards and the lists show it: the locale's short date with
// the full year, followed by the time when it is not midnight, in the
// locale's long time format without a zone (a stored date belongs to none).
// Null (an invalid value) and values that are no date give "". A QDateTime
// is written as its own date() and time(), whatever its time spec.
QString DateText(QDate date, QTime time, const QLocale &locale = QLocale());
QString DateText(const QDateTime &value, const QLocale &locale = QLocale());
QString DateText(const QVariant &value, const QLocale &locale = QLocale());

// A digest (SHA-256) of a list of texts, each with its length first, so
// that no two lists digest alike by running into each other; Null and an
// empty text digest alike. The stamps of the cards compare these to see any
// change of what a window read.
QByteArray DigestOfTexts(const QStringList &texts);
// The two patterns DateText writes with.
QString DatePattern(const QLocale &locale);
QString TimePattern(const QLocale &locale);

// The local wall clock, read once and kept without a zone (Qt::UTC holding
// the local date and time, to the second): a day whose midnight the clock
// skips still has its midnight, and the value never moves again.
QDateTime Now();
QDate Today();
// Tests set the wall clock the program reads (its date() and time() are
// taken as they are); an empty function gives the real clock back.
void SetClockForTests(std::function<QDateTime()> clock);

} // namespace vb
