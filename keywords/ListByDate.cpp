#include "ListByDate.h"

#include "DaoReads.h"
#include "Start.h"
#include "WindowLinks.h"
#include "Runtime.h"

#include <QHash>
#include <QLocale>

#include <algorithm>
#include <vector>

namespace keywords {

// ---------------------------------------------------------------- TimeTexts

StoredDateTexts::TimeTexts::TimeTexts(const QLocale &locale)
    : m_locale(locale), m_pattern(vb::TimePattern(locale))
{
    m_am = locale.amText();
    m_pm = locale.pmText();
    m_direct = locale.zeroDigit() == QStringLiteral("0") && parse(m_pattern);
    // Written out only when it gives what the locale gives, every hour of
    // the day with one- and two-digit minutes and seconds.
    for (int h = 0; m_direct && h < 24; ++h)
        for (const QTime t : {QTime(h, (h * 7) % 60, (h * 13 + 5) % 60), QTime(h, 9, 0), QTime(h, 0, 59)})
            m_direct = written(t) == locale.toString(t, m_pattern);
    if (!m_direct)
        m_asked.resize(24 * 3600);
}

// The fields of a time format as the locale writes them: h and H (AP
// makes h 12-hour), m, s, one or two letters each; A and a with the
// following P or p for the day's half, in capitals or small letters; quoted
// text. Anything else (milliseconds, a date field, other letters) is left to
// the locale.
bool StoredDateTexts::TimeTexts::parse(const QString &f)
{
    auto quoted = [&](qsizetype &i) {
        ++i;
        if (i < f.size() && f.at(i) == u'\'') {
            ++i;
            return QStringLiteral("'");
        }
        QString out;
        while (i < f.size()) {
            if (f.at(i) == u'\'') {
                if (i + 1 < f.size() && f.at(i + 1) == u'\'') {
                    out += u'\'';
                    i += 2;
                    continue;
                }
                break;
            }
            out += f.at(i++);
        }
        if (i < f.size())
            ++i;
        return out;
    };
    bool ampm = false;
    for (qsizetype i = 0; i < f.size();) {
        if (f.at(i) == u'\'') {
            quoted(i);
            continue;
        }
        ampm = ampm || f.at(i).toLower() == u'a';
        ++i;
    }
    auto literal = [&](const QString &text) {
        if (!m_pieces.empty() && m_pieces.back().kind == Literal)
            m_pieces.back().text += text;
        else
            m_pieces.push_back({Literal, text});
    };
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f.at(i);
        if (c == u'\'') {
            literal(quoted(i));
            continue;
        }
        const bool two = i + 1 < f.size() && f.at(i + 1) == c;
        switch (c.unicode()) {
        case 'h': m_pieces.push_back({ampm ? (two ? Hour12Pad : Hour12) : (two ? HourPad : Hour), {}}); break;
        case 'H': m_pieces.push_back({two ? HourPad : Hour, {}}); break;
        case 'm': m_pieces.push_back({two ? MinutePad : Minute, {}}); break;
        case 's': m_pieces.push_back({two ? SecondPad : Second, {}}); break;
        case 'a':
        case 'A': {
            const bool pair = i + 1 < f.size() && f.at(i + 1) == (c == u'a' ? u'p' : u'P');
            m_pieces.push_back({AmPm, c == u'a' ? QStringLiteral("L") : QStringLiteral("U")});
            i += pair ? 2 : 1;
            continue;
        }
        default:
            if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'))
                return false;
            literal(QString(c));
            i += 1;
            continue;
        }
        i += two ? 2 : 1;
    }
    return true;
}

QString StoredDateTexts::TimeTexts::written(QTime t) const
{
    QString out;
    out.reserve(16);
    auto number = [&](int n, bool pad) {
        if (pad || n >= 10)
            out += QChar(u'0' + n / 10);
        out += QChar(u'0' + n % 10);
    };
    for (const Piece &p : m_pieces) {
        switch (p.kind) {
        case Literal: out += p.text; break;
        case Hour12:
        case Hour12Pad: {
            const int h = t.hour() > 12 ? t.hour() - 12 : t.hour() == 0 ? 12 : t.hour();
            number(h, p.kind == Hour12Pad);
            break;
        }
        case Hour:
        case HourPad: number(t.hour(), p.kind == HourPad); break;
        case Minute:
        case MinutePad: number(t.minute(), p.kind == MinutePad); break;
        case Second:
        case SecondPad: number(t.second(), p.kind == SecondPad); break;
        case AmPm: {
            const QString &half = t.hour() < 12 ? m_am : m_pm;
            out += p.text == u"L" ? half.toLower() : half.toUpper();
            break;
        }
        }
    }
    return out;
}

QString StoredDateTexts::TimeTexts::text(QTime time)
{
    if (m_direct)
        return written(time);
    QString &asked = m_asked[size_t(time.msecsSinceStartOfDay() / 1000)];
    if (asked.isNull())
        asked = m_locale.toString(time, m_pattern);
    return asked;
}

// ---------------------------------------------------------------- StoredDateTexts

StoredDateTexts::StoredDateTexts()
    : m_times(m_locale)
{
}

namespace {

// The stored form "yyyy-MM-dd hh:mm:ss" in digits, as the program writes it.
bool storedParts(QByteArrayView s, int (&v)[6])
{
    if (s.size() != 19 || s[4] != '-' || s[7] != '-' || s[10] != ' ' || s[13] != ':' || s[16] != ':')
        return false;
    static constexpr int at[6] = {0, 5, 8, 11, 14, 17};
    for (int k = 0; k < 6; ++k) {
        const int len = k == 0 ? 4 : 2;
        int n = 0;
        for (int j = at[k]; j < at[k] + len; ++j) {
            if (s[j] < '0' || s[j] > '9')
                return false;
            n = n * 10 + (s[j] - '0');
        }
        v[k] = n;
    }
    return true;
}

} // namespace

QString StoredDateTexts::text(bool isNull, bool holdsText, QByteArrayView stored,
                              const std::function<QVariant()> &value)
{
    if (isNull)
        return QString();
    if (!holdsText)
        return vb::DateText(value());
    // The index holds equal dates side by side: each is written out once.
    if (m_haveLast && stored == QByteArrayView(m_lastStored.data(), qsizetype(m_lastStored.size())))
        return m_lastText;
    QString out;
    int v[6];
    const QDate date = storedParts(stored, v) ? QDate(v[0], v[1], v[2]) : QDate();
    const QTime time = date.isValid() ? QTime(v[3], v[4], v[5]) : QTime();
    if (time.isValid()) {
        if (date.toJulianDay() != m_day) {
            m_day = date.toJulianDay();
            m_dayText = vb::DateText(date, QTime(0, 0), m_locale);
        }
        out = time == QTime(0, 0) ? m_dayText : m_dayText + QLatin1Char(' ') + m_times.text(time);
    } else {
        out = vb::DateText(value());
    }
    m_lastStored.assign(stored.data(), size_t(stored.size()));
    m_lastText = out;
    m_haveLast = true;
    return out;
}

QList<QStringList> CardsByDate(CardType type)
{
    dao::Recordset rs = type == CardType::Note ? rsNote : type == CardType::Quote ? rsCit : rsBiblio;
    const QString table = rs.Name();
    const QString dateField = type == CardType::Reference ? QStringLiteral("DATE") : QStringLiteral("JOUR");
    const QString keyField = type == CardType::Reference ? QStringLiteral("NDX") : QStringLiteral("CIT");
    // The counter is the row's own number: the date index holds it.
    const QString counter = type == CardType::Note    ? QStringLiteral("NoteCount")
                            : type == CardType::Quote ? QStringLiteral("CitCount")
                                                      : QStringLiteral("BiblioCount");
    const QString keyIndex = type == CardType::Note    ? QStringLiteral("NoteNDX")
                             : type == CardType::Quote ? QStringLiteral("CitNDX")
                                                       : QStringLiteral("BibNDX");
    // Both columns come from indexes that hold them beside the row's
    // number: the date index gives the order and the dates, the key index
    // the keys. Neither pass reads the table itself, whose rows carry the
    // cards' texts and would cost a page or more each.
    std::vector<qint64> ids;
    std::vector<QString> dates, keys;
    const dao::ReadScope scope(g_Db);
    StoredDateTexts texts;
    dao::ScanIndex(g_Db, table, QStringLiteral("Jour"), {counter, dateField}, true, [&](const dao::RowView &row) {
        ids.push_back(row.number(0));
        dates.push_back(texts.text(row.isNull(1), row.holdsText(1), row.utf8(1), [&] { return row.value(1); }));
        return true;
    });
    keys.resize(ids.size());
    // Where each row goes: by its number when the numbers are dense, as
    // they are in a base that is written to, else through a hash.
    const qint64 top = ids.empty() ? 0 : *std::max_element(ids.begin(), ids.end());
    const bool dense = top >= 0 && top <= qint64(ids.size()) * 4 + 1024;
    std::vector<qsizetype> denseAt(dense ? size_t(top) + 1 : 0, -1);
    QHash<qint64, qsizetype> sparseAt;
    for (size_t i = 0; i < ids.size(); ++i) {
        if (dense && ids[i] >= 0)
            denseAt[size_t(ids[i])] = qsizetype(i);
        else
            sparseAt.insert(ids[i], qsizetype(i));
    }
    auto placeOf = [&](qint64 id) -> qsizetype {
        if (dense && id >= 0 && id <= top)
            return denseAt[size_t(id)];
        return sparseAt.value(id, -1);
    };
    dao::ScanIndex(g_Db, table, keyIndex, {counter, keyField}, false, [&](const dao::RowView &row) {
        const qsizetype at = placeOf(row.number(0));
        if (at >= 0)
            keys[size_t(at)] = row.text(1);
        return true;
    });
    QList<QStringList> rows;
    rows.reserve(qsizetype(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i)
        rows.append(QStringList{std::move(dates[i]), std::move(keys[i])});
    rs.setIndex(keyIndex);
    return rows;
}

void ListNotesByDate() { ShowDateList(CardsByDate(CardType::Note)); }
void ListCitsByDate() { ShowDateList(CardsByDate(CardType::Quote)); }
void ListRefsByDate() { ShowDateList(CardsByDate(CardType::Reference)); }

} // namespace keywords
