#include "Runtime.h"

#include "Error.h"

#include <QRegularExpression>

#include <functional>

#include <openssl/evp.h>

#include <cmath>
#include <limits>

namespace vb {

namespace {

[[noreturn]] void overflow() { raise(ErrOverflow, QStringLiteral("Overflow")); }

qint32 toLong(double v)
{
    if (std::isnan(v))
        overflow();
    const double r = roundHalfEven(v);
    if (r < double(std::numeric_limits<qint32>::min()) || r > double(std::numeric_limits<qint32>::max()))
        overflow();
    return qint32(r);
}

} // namespace

double roundHalfEven(double value)
{
    // The default floating-point mode rounds to nearest, ties to even.
    return std::nearbyint(value);
}

qint16 CInt(double value)
{
    const double r = roundHalfEven(value);
    if (std::isnan(r) || r < -32768.0 || r > 32767.0)
        overflow();
    return qint16(r);
}

qint32 CLng(double value) { return toLong(value); }

qint32 intDiv(double a, double b)
{
    const qint64 x = toLong(a);
    const qint64 y = toLong(b);
    if (y == 0)
        raise(ErrDivisionByZero, QStringLiteral("Division by zero"));
    const qint64 q = x / y; // C++ truncates toward zero
    if (q > std::numeric_limits<qint32>::max())
        overflow(); // only -2147483648 \ -1
    return qint32(q);
}

QString Str(double value)
{
    if (std::isnan(value))
        return QStringLiteral("NaN");
    QString s = QString::asprintf("%.15G", value);
    const bool negative = s.startsWith(QLatin1Char('-'));
    if (negative)
        s.remove(0, 1);
    if (s.startsWith(QLatin1String("0.")))
        s.remove(0, 1);
    return (negative ? QStringLiteral("-") : QStringLiteral(" ")) + s;
}

QString Str(qint64 value)
{
    return value < 0 ? QString::number(value) : QLatin1Char(' ') + QString::number(value);
}

double Val(const QString &text)
{
    QString s;
    for (QChar c : text)
        if (c != QLatin1Char(' ') && c != QLatin1Char('\t') && c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            s.append(c);
    if (s.startsWith(QLatin1String("&H"), Qt::CaseInsensitive)) {
        qint64 v = 0;
        int i = 2;
        while (i < s.size() && isxdigit(s.at(i).toLatin1()) && i < 18)
            v = v * 16 + QString(s.at(i++)).toInt(nullptr, 16);
        return double(v);
    }
    int i = 0;
    QString num;
    if (i < s.size() && (s.at(i) == QLatin1Char('-') || s.at(i) == QLatin1Char('+')))
        num.append(s.at(i++));
    bool digits = false, point = false;
    for (; i < s.size(); ++i) {
        const QChar c = s.at(i);
        if (c.isDigit() && c.unicode() < 128) {
            num.append(c);
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            num.append(c);
            point = true;
        } else {
            break;
        }
    }
    if (!digits)
        return 0;
    if (i < s.size() && (s.at(i) == QLatin1Char('E') || s.at(i) == QLatin1Char('e')
                         || s.at(i) == QLatin1Char('D') || s.at(i) == QLatin1Char('d'))) {
        QString exp = QStringLiteral("e");
        int j = i + 1;
        if (j < s.size() && (s.at(j) == QLatin1Char('-') || s.at(j) == QLatin1Char('+')))
            exp.append(s.at(j++));
        bool expDigits = false;
        while (j < s.size() && s.at(j).isDigit() && s.at(j).unicode() < 128) {
            exp.append(s.at(j++));
            expDigits = true;
        }
        if (expDigits)
            num.append(exp);
    }
    return num.toDouble();
}

namespace {
// The value as the runtime sees it before formatting: 15 significant
// digits, written without exponent and with a decimal point.
QString fixedFromSignificant(double value)
{
    const QString e = QString::number(value, 'e', 14); // d.dddddddddddddde±x
    const qsizetype ePos = e.indexOf(QLatin1Char('e'));
    QString digits = e.left(ePos);
    digits.remove(QLatin1Char('.'));
    const int exponent = e.mid(ePos + 1).toInt();
    QString out;
    if (exponent < 0) {
        out = QStringLiteral("0.") + QString(-exponent - 1, QLatin1Char('0')) + digits;
    } else if (exponent + 1 >= digits.size()) {
        out = digits + QString(exponent + 1 - digits.size(), QLatin1Char('0')) + QStringLiteral(".0");
    } else {
        out = digits.left(exponent + 1) + QLatin1Char('.') + digits.mid(exponent + 1);
    }
    return out;
}

// |value| with exactly `decimals` digits after the point, halves away from zero.
QString roundedDecimal(double value, int decimals)
{
    QString s = fixedFromSignificant(value);
    const qsizetype point = s.indexOf(QLatin1Char('.'));
    const qsizetype cut = point + 1 + decimals;
    const bool up = cut < s.size() && s.at(cut) >= QLatin1Char('5');
    s.truncate(decimals ? cut : point);
    if (up) {
        qsizetype i = s.size() - 1;
        for (; i >= 0; --i) {
            if (s.at(i) == QLatin1Char('.'))
                continue;
            if (s.at(i) == QLatin1Char('9')) {
                s[i] = QLatin1Char('0');
            } else {
                s[i] = QChar(s.at(i).unicode() + 1);
                break;
            }
        }
        if (i < 0)
            s.prepend(QLatin1Char('1'));
    }
    return s;
}
} // namespace

QString Format(double value, const QString &pattern)
{
    const qsizetype point = pattern.indexOf(QLatin1Char('.'));
    const QString intPattern = point < 0 ? pattern : pattern.left(point);
    const QString fracPattern = point < 0 ? QString() : pattern.mid(point + 1);
    int fracDigits = 0, fracZeros = 0;
    for (QChar c : fracPattern) {
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            ++fracDigits;
            if (c == QLatin1Char('0'))
                fracZeros = fracDigits;
        }
    }
    // Rounded away from zero at the last digit shown, on the decimal digits
    // (2.345 is 2.34499... in binary but shows as 2.35).
    QString digits = roundedDecimal(std::fabs(value), fracDigits);
    const bool negative = value < 0 && digits.contains(QRegularExpression(QStringLiteral("[1-9]")));
    QString intDigits = digits.section(QLatin1Char('.'), 0, 0);
    QString fracDigitsText = fracDigits ? digits.section(QLatin1Char('.'), 1, 1) : QString();
    if (intDigits == QLatin1String("0"))
        intDigits.clear();
    while (fracDigitsText.size() > fracZeros && fracDigitsText.endsWith(QLatin1Char('0')))
        fracDigitsText.chop(1);

    // Integer part: placeholders from the right take the digits; digits
    // beyond the placeholders go in front of the leftmost one.
    int placeholders = 0, zeros = 0;
    for (qsizetype i = intPattern.size() - 1; i >= 0; --i) {
        const QChar c = intPattern.at(i);
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            ++placeholders;
            if (c == QLatin1Char('0'))
                zeros = placeholders;
        }
    }
    while (intDigits.size() < zeros)
        intDigits.prepend(QLatin1Char('0'));
    QString out;
    int fromRight = 0;
    qsizetype firstPlaceholder = -1;
    for (qsizetype i = 0; i < intPattern.size(); ++i)
        if (intPattern.at(i) == QLatin1Char('0') || intPattern.at(i) == QLatin1Char('#')) {
            firstPlaceholder = i;
            break;
        }
    for (qsizetype i = intPattern.size() - 1; i >= 0; --i) {
        const QChar c = intPattern.at(i);
        if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
            const qsizetype k = intDigits.size() - 1 - fromRight;
            ++fromRight;
            if (i == firstPlaceholder) {
                if (k >= 0)
                    out.prepend(intDigits.left(k + 1));
            } else if (k >= 0) {
                out.prepend(intDigits.at(k));
            }
        } else {
            out.prepend(c);
        }
    }
    if (firstPlaceholder < 0)
        out.append(intDigits);
    if (point >= 0) {
        out.append(QLatin1Char('.'));
        int k = 0;
        for (QChar c : fracPattern) {
            if (c == QLatin1Char('0') || c == QLatin1Char('#')) {
                if (k < fracDigitsText.size())
                    out.append(fracDigitsText.at(k));
                ++k;
            } else {
                out.append(c);
            }
        }
    }
    return negative ? QLatin1Char('-') + out : out;
}

QString Format(qint64 value, const QString &pattern)
{
    if (!pattern.contains(QLatin1Char('.'))) {
        // Exact for every 64-bit value, which a double is not.
        int zeros = 0;
        for (QChar c : pattern)
            if (c == QLatin1Char('0'))
                ++zeros;
        const bool plain = pattern.size() == zeros;
        if (plain) {
            const quint64 magnitude = value < 0 ? quint64(-(value + 1)) + 1 : quint64(value);
            QString d = QString::number(magnitude);
            while (d.size() < zeros)
                d.prepend(QLatin1Char('0'));
            return value < 0 ? QLatin1Char('-') + d : d;
        }
    }
    return Format(double(value), pattern);
}

QString UCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toUpper();
    return out;
}

QString KeyPrefix(const QString &name, int width, QChar pad)
{
    const QString composed = name.normalized(QString::NormalizationForm_C);
    QString out;
    int chars = 0;
    for (qsizetype i = 0; i < composed.size() && chars < width; ++chars) {
        const qsizetype len =
            composed.at(i).isHighSurrogate() && i + 1 < composed.size() && composed.at(i + 1).isLowSurrogate() ? 2 : 1;
        out += QStringView(composed).mid(i, len);
        i += len;
    }
    if (!pad.isNull())
        for (; chars < width; ++chars)
            out += pad;
    return out;
}

QString LCase(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        c = c.toLower();
    return out;
}

int InStr(int start, const QString &text, const QString &sought, int compare)
{
    if (start < 1)
        raise(ErrInvalidCall, QStringLiteral("Invalid procedure call or argument"));
    if (text.isEmpty())
        return 0;
    if (sought.isEmpty())
        return start <= text.size() + 1 ? start : 0;
    if (start > text.size())
        return 0;
    const qsizetype at = compare == vbTextCompare
                             ? LCase(text).indexOf(LCase(sought), start - 1)
                             : text.indexOf(sought, start - 1);
    return at < 0 ? 0 : int(at) + 1;
}

namespace {

std::function<QDateTime()> &clockForTests()
{
    static std::function<QDateTime()> clock;
    return clock;
}

} // namespace

QString DatePattern(const QLocale &locale)
{
    // A short pattern with a two-digit year loses the century: widen it.
    QString pattern = locale.dateFormat(QLocale::ShortFormat);
    if (!pattern.contains(QLatin1String("yyyy")))
        pattern.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return pattern;
}

QString TimePattern(const QLocale &locale)
{
    // Stored times belong to no zone: the zone field goes, quoted text stays.
    const QString f = locale.timeFormat(QLocale::LongFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : f) {
        if (c == u'\'')
            quoted = !quoted;
        if (quoted || c != u't')
            out += c;
    }
    return out.trimmed();
}

QString DateText(QDate date, QTime time, const QLocale &locale)
{
    if (!date.isValid())
        return {};
    QString out = locale.toString(date, DatePattern(locale));
    if (time.isValid() && time != QTime(0, 0))
        out += QLatin1Char(' ') + locale.toString(time, TimePattern(locale));
    return out;
}

QString DateText(const QDateTime &value, const QLocale &locale)
{
    if (!value.isValid())
        return {};
    return DateText(value.date(), value.time(), locale);
}

QString DateText(const QVariant &value, const QLocale &locale)
{
    if (!value.isValid() || value.isNull())
        return {};
    if (value.typeId() == QMetaType::QDate)
        return DateText(value.toDate(), QTime(0, 0), locale);
    if (value.typeId() == QMetaType::QDateTime)
        return DateText(value.toDateTime(), locale);
    return {};
}

QDateTime Now()
{
    const QDateTime local = clockForTests() ? clockForTests()() : QDateTime::currentDateTime();
    return QDateTime(local.date(), QTime(local.time().hour(), local.time().minute(), local.time().second()), Qt::UTC);
}

QDate Today() { return Now().date(); }

void SetClockForTests(std::function<QDateTime()> clock) { clockForTests() = std::move(clock); }

QByteArray DigestOfTexts(const QStringList &texts)
{
    // OpenSSL's SHA-256 uses the processor's SHA instructions: a card of two
    // texts of 10 MB is digested many times faster than by QCryptographicHash.
    EVP_MD_CTX *ctx = EVP_MD_CTX_new();
    unsigned char md[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    bool ok = ctx && EVP_DigestInit_ex(ctx, EVP_sha256(), nullptr) == 1;
    for (qsizetype i = 0; ok && i < texts.size(); ++i) {
        const QString &text = texts.at(i);
        const qint64 n = text.size();
        ok = EVP_DigestUpdate(ctx, &n, sizeof n) == 1 &&
             EVP_DigestUpdate(ctx, text.utf16(), size_t(n) * sizeof(char16_t)) == 1;
    }
    ok = ok && EVP_DigestFinal_ex(ctx, md, &size) == 1;
    EVP_MD_CTX_free(ctx);
    if (!ok)
        raise(ErrOutOfMemory, QStringLiteral("Out of memory"));
    return QByteArray(reinterpret_cast<const char *>(md), int(size));
}

} // namespace vb
