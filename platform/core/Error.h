#pragma once
// The one error type of the program: every failure of the database layer,
// the forms runtime and our own code carries a number and a description,
// the way the windows act on them (3031, 3204, 3027, 7, ...).

#include <QString>
#include <QByteArray>
#include <exception>
#include <functional>

namespace vb {

class Error : public std::exception {
public:
    Error(int number, QString description, QString source = {});

    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    const QString &source() const noexcept { return m_source; }
    const char *what() const noexcept override { return m_what.constData(); }

private:
    int m_number;
    QString m_description;
    QString m_source;
    QByteArray m_what;
};

[[noreturn]] void raise(int number, const QString &description, const QString &source = {});

// Well-known runtime error numbers.
enum : int {
    ErrInvalidCall = 5,
    ErrOverflow = 6,
    ErrOutOfMemory = 7,
    ErrSubscript = 9,
    ErrFileNotFound = 53,
    ErrFileExists = 58,
    ErrPathAccess = 75,
    ErrPathNotFound = 76,
    ErrInvalidNull = 94,
};

// Trap style "one number": runs body; an Error with that number runs
// onError instead, any other error goes on to the caller.
bool trapNumber(int number, const std::function<void()> &body,
                const std::function<void(const Error &)> &onError = {});

// The number of the error a statement raises (its description too, when
// asked), 0 when the statement runs through.
int errorOf(const std::function<void()> &statement, QString *description = nullptr);

// Trap style "skip and test": each statement run through it is skipped when it
// fails and the last error number is kept for the caller to test.
class ResumeNext {
public:
    // Returns true when the statement ran without error.
    bool operator()(const std::function<void()> &statement);
    int number() const noexcept { return m_number; }
    const QString &description() const noexcept { return m_description; }
    void clear() noexcept { m_number = 0; m_description.clear(); }

private:
    int m_number = 0;
    QString m_description;
};

} // namespace vb
