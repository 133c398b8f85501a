#pragma once
// Module LIST: every card of one kind, newest first, as rows (date text,
// card key) for the list window FListSel. The rows are built here; the
// window that shows them belongs to the cards and is reached through
// ShowDateList.

#include "CardSets.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QLocale>
#include <QList>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace keywords {

// vb::DateText (the cards' date text) for many stored dates at once, with
// the same texts: the locale is asked once per day and, when its time
// pattern is one that can be written out here with the same result, never
// per time.
class StoredDateTexts {
public:
    StoredDateTexts();
    // stored: the column as the file holds it, value: as its Field gives it
    // (asked only when needed).
    QString text(bool isNull, bool holdsText, QByteArrayView stored, const std::function<QVariant()> &value);

    // The time part of vb::DateText in that locale.
    class TimeTexts {
    public:
        explicit TimeTexts(const QLocale &locale);
        QString text(QTime time);
        // Whether the pattern is written out here (else the locale is asked
        // once for each time of day met).
        bool direct() const { return m_direct; }

    private:
        bool parse(const QString &format);
        QString written(QTime time) const;
        QLocale m_locale;
        QString m_pattern;
        bool m_direct = false;
        // The pattern in pieces: a literal, or one of the fields.
        enum Kind { Literal, Hour12, Hour12Pad, Hour, HourPad, Minute, MinutePad, Second, SecondPad, AmPm };
        struct Piece {
            Kind kind;
            QString text; // the literal; for AmPm how the text is cased: "U", "L" or ""
        };
        std::vector<Piece> m_pieces;
        QString m_am, m_pm;
        std::vector<QString> m_asked; // by second of the day, when not direct
    };

private:
    QLocale m_locale;
    TimeTexts m_times;
    std::string m_lastStored;
    QString m_lastText;
    bool m_haveLast = false;
    qint64 m_day = std::numeric_limits<qint64>::min();
    QString m_dayText;
};

// The rows of every card of that kind in descending order of the table's
// index "Jour" (JOUR; JOURHEURE for references, which show their DATE).
// Leaves the table on its key index.
QList<QStringList> CardsByDate(CardType type);

void ListNotesByDate();
void ListCitsByDate();
void ListRefsByDate();

} // namespace keywords
