#pragma once
// Runtime functions whose exact results the program relies on: the integer
// division operator \, rounding conversions, Str, Val and numeric Format.

#include <QString>
#include <QtGlobal>

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

} // namespace vb
