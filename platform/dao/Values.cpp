// Values between the program and the file. The file holds Text and Memo as
// text, Long, Integer and Boolean (-1/0) as integers, and Date as the text
// "yyyy-MM-dd hh:mm:ss", which sorts in date order.

#include "DaoImpl.h"

#include <QDate>
#include <QTime>

#include <cmath>
#include <limits>

namespace dao {

namespace {

// A stored date is a wall-clock value that belongs to no zone: it is read,
// written and converted as a date and a time of day, never as a local time,
// which the clock can skip (a spring hour, or a midnight in some zones).
QString dateText(QDate d, QTime t)
{
    return QString::asprintf("%04d-%02d-%02d %02d:%02d:%02d", d.year(), d.month(), d.day(),
                             t.hour(), t.minute(), t.second());
}

QTime toSecond(QTime t) { return QTime(t.hour(), t.minute(), t.second()); }

bool parseDate(const QString &s, QDate &date, QTime &time)
{
    // Our own stored form first; it is the common case.
    if (s.size() == 19 && s[4] == u'-' && s[7] == u'-' && s[10] == u' ') {
        const QDate d(s.mid(0, 4).toInt(), s.mid(5, 2).toInt(), s.mid(8, 2).toInt());
        const QTime t(s.mid(11, 2).toInt(), s.mid(14, 2).toInt(), s.mid(17, 2).toInt());
        if (d.isValid() && t.isValid()) {
            date = d;
            time = t;
            return true;
        }
    }
    const QString v = s.trimmed();
    const QDate d = v.size() == 10 ? QDate::fromString(v, Qt::ISODate) : QDate();
    if (d.isValid()) {
        date = d;
        time = QTime(0, 0);
        return true;
    }
    // A text with a zone or an offset keeps the date and time it writes; one
    // without is read as if in UTC, which skips no hour.
    QDateTime dt = QDateTime::fromString(v, Qt::ISODate);
    if (!dt.isValid() || dt.timeSpec() == Qt::LocalTime) {
        const QDateTime utc = QDateTime::fromString(v + QLatin1Char('Z'), Qt::ISODate);
        if (utc.isValid())
            dt = utc;
    }
    if (!dt.isValid())
        return false;
    date = dt.date();
    time = toSecond(dt.time());
    return true;
}

// A number from a variant the way the language converts one: numbers as
// they are, numeric text, True as -1.
bool toNumber(const QVariant &v, double &out)
{
    switch (v.typeId()) {
    case QMetaType::Bool: out = v.toBool() ? -1 : 0; return true;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Double:
    case QMetaType::Float: out = v.toDouble(); return true;
    case QMetaType::QString: {
        bool ok = false;
        const QString s = v.toString().trimmed();
        if (s.compare(u"True", Qt::CaseInsensitive) == 0) { out = -1; return true; }
        if (s.compare(u"False", Qt::CaseInsensitive) == 0) { out = 0; return true; }
        out = s.toDouble(&ok);
        return ok && std::isfinite(out);
    }
    default: return false;
    }
}

} // namespace

bool toStorage(const ColumnMeta &c, const QVariant &v, QVariant &out, int &err)
{
    if (!v.isValid() || (v.isNull() && v.typeId() != QMetaType::QString)) {
        out = QVariant();
        return true;
    }
    switch (c.type) {
    case dbText:
    case dbMemo:
        if (v.typeId() == QMetaType::QString)
            out = v;
        else if (v.typeId() == QMetaType::Bool)
            out = v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
        else if (v.typeId() == QMetaType::QDateTime)
            out = dateText(v.toDateTime().date(), toSecond(v.toDateTime().time()));
        else if (v.canConvert<QString>())
            out = v.toString();
        else {
            err = ErrConversion;
            return false;
        }
        return true;
    case dbLong:
    case dbInteger: {
        double d = 0;
        if (!toNumber(v, d)) {
            err = ErrConversion;
            return false;
        }
        d = std::nearbyint(d); // half to even, as the language rounds
        const double lo = c.type == dbInteger ? -32768.0 : -2147483648.0;
        const double hi = c.type == dbInteger ? 32767.0 : 2147483647.0;
        if (d < lo || d > hi) {
            err = ErrOverflow;
            return false;
        }
        out = qlonglong(d);
        return true;
    }
    case dbBoolean: {
        double d = 0;
        if (!toNumber(v, d)) {
            err = ErrConversion;
            return false;
        }
        out = qlonglong(d != 0 ? -1 : 0);
        return true;
    }
    case dbDate: {
        QDate date;
        QTime time(0, 0);
        if (v.typeId() == QMetaType::QDateTime) {
            // Its own date and time, whatever its zone.
            const QDateTime dt = v.toDateTime();
            if (dt.isValid()) {
                date = dt.date();
                time = toSecond(dt.time());
            }
        } else if (v.typeId() == QMetaType::QDate) {
            date = v.toDate();
        } else if (v.typeId() == QMetaType::QTime) {
            date = QDate(1899, 12, 30);
            time = toSecond(v.toTime());
        } else if (v.typeId() == QMetaType::QString) {
            if (!parseDate(v.toString(), date, time)) {
                err = ErrConversion;
                return false;
            }
        } else {
            double d = 0;
            if (!toNumber(v, d) || std::fabs(d) > 3e6) {
                err = ErrConversion;
                return false;
            }
            // Days since 30 December 1899, the fraction being the time.
            const double days = std::floor(d);
            const qint64 secs = qint64(std::llround((d - days) * 86400.0));
            const QDateTime dt = QDateTime(QDate(1899, 12, 30).addDays(qint64(days)), QTime(0, 0), Qt::UTC).addSecs(secs);
            date = dt.date();
            time = dt.time();
        }
        if (!date.isValid() || !time.isValid() || date.year() < 100 || date.year() > 9999) {
            err = ErrConversion;
            return false;
        }
        out = dateText(date, time);
        return true;
    }
    default: err = ErrInvalidFieldType; return false;
    }
}

QVariant fromStorage(const ColumnMeta &c, const QVariant &s)
{
    if (!s.isValid())
        return {};
    switch (c.type) {
    case dbText:
    case dbMemo:
        if (s.typeId() == QMetaType::QString)
            return s;
        return s.toString();
    case dbLong:
    case dbInteger: return int(s.toLongLong());
    case dbBoolean: return s.toLongLong() != 0;
    case dbDate: {
        QDate date;
        QTime time;
        if (parseDate(s.toString(), date, time))
            return QDateTime(date, time, Qt::UTC);
        return {};
    }
    default: return s;
    }
}

QVariant fromStorage(const ColumnMeta &c, QVariant &&s)
{
    if ((c.type == dbText || c.type == dbMemo) && s.typeId() == QMetaType::QString)
        return std::move(s);
    return fromStorage(c, std::as_const(s));
}

QByteArray toStoredText(QStringView text)
{
    if (text.isValidUtf16())
        return text.toUtf8();
    // Qt would write "?" for a lone surrogate, which a seek for a real "?"
    // would then find.
    QString whole = text.toString();
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (whole.at(i).isHighSurrogate() && i + 1 < whole.size() && whole.at(i + 1).isLowSurrogate())
            ++i;
        else if (whole.at(i).isSurrogate())
            whole[i] = QChar::ReplacementCharacter;
    }
    return whole.toUtf8();
}

QString fromStoredText(QByteArrayView utf8)
{
    QString text = QString::fromUtf8(utf8);
    // QString::fromUtf8 drops the first U+FEFF as a byte order mark.
    if (utf8.startsWith("\xEF\xBB\xBF"))
        text.prepend(QChar(0xFEFF));
    return text;
}

void bindText(sqlite3_stmt *s, int i, QStringView text)
{
    // Never bound as UTF-16: SQLite's conversion drops a leading U+FEFF
    // and misreads half of a surrogate pair. A key, ASCII and no longer
    // than a Text column, goes in from the stack.
    const char16_t *p = text.utf16();
    const qsizetype n = text.size();
    char buf[256];
    bool ascii = n <= qsizetype(sizeof buf);
    for (qsizetype j = 0; ascii && j < n; ++j) {
        ascii = p[j] < 0x80;
        buf[j] = char(p[j]);
    }
    if (ascii) {
        sqlite3_bind_text(s, i, buf, int(n), SQLITE_TRANSIENT);
        return;
    }
    const QByteArray utf8 = toStoredText(text);
    sqlite3_bind_text64(s, i, utf8.constData(), sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
}

void bindValue(sqlite3_stmt *s, int i, const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::UnknownType: sqlite3_bind_null(s, i); break;
    case QMetaType::LongLong:
    case QMetaType::Int: sqlite3_bind_int64(s, i, v.toLongLong()); break;
    case QMetaType::Double: sqlite3_bind_double(s, i, v.toDouble()); break;
    case QMetaType::QByteArray: {
        const QByteArray b = v.toByteArray();
        sqlite3_bind_blob(s, i, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        break;
    }
    default: bindText(s, i, v.toString()); break;
    }
}

void checkColumnValue(const TableMeta &t, const ColumnMeta &c, bool isNull, qsizetype length)
{
    if (isNull) {
        if (c.required)
            fail(ErrRequiredNull, c.name);
        return;
    }
    if (c.type == dbText || c.type == dbMemo) {
        if (c.type == dbText && length > c.size)
            fail(ErrFieldTooSmall, c.name);
        if (length == 0 && !c.allowZeroLength)
            fail(ErrZeroLength, t.name + u'.' + c.name);
    }
}

QVariant textVariant(const char *p, int n)
{
    // A walk makes one per row and field: the variant's constructor for a
    // text costs fewer calls than one made from its type and then filled.
    return QVariant(fromStoredText(QByteArrayView(p, n)));
}

QVariant columnValue(sqlite3_stmt *s, int i)
{
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return qlonglong(sqlite3_column_int64(s, i));
    case SQLITE_FLOAT: return sqlite3_column_double(s, i);
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(s, i)),
                          sqlite3_column_bytes(s, i));
    default: return textVariant(reinterpret_cast<const char *>(sqlite3_column_text(s, i)), sqlite3_column_bytes(s, i));
    }
}

QVariant storedValue(const ColumnMeta &c, sqlite3_stmt *s, int i)
{
    if (c.type == dbText || c.type == dbMemo) {
        // Its affinity keeps numbers out of a text column: a text or Null,
        // told apart without asking the type first.
        if (const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(s, i)))
            return textVariant(p, sqlite3_column_bytes(s, i));
    }
    return columnValue(s, i);
}

QVariant fieldValue(const ColumnMeta &c, sqlite3_stmt *s, int i) { return fromStorage(c, storedValue(c, s, i)); }

} // namespace dao
