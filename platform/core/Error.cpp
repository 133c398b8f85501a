#include "Error.h"

#include <new>

namespace vb {

Error::Error(int number, QString description, QString source)
    : m_number(number), m_description(std::move(description)), m_source(std::move(source))
{
    m_what = QStringLiteral("%1: %2").arg(m_number).arg(m_description).toUtf8();
}

void raise(int number, const QString &description, const QString &source)
{
    throw Error(number, description, source);
}

bool trapNumber(int number, const std::function<void()> &body,
                const std::function<void(const Error &)> &onError)
{
    try {
        body();
        return true;
    } catch (const Error &e) {
        if (e.number() != number)
            throw;
        if (onError)
            onError(e);
        return false;
    }
}

int errorOf(const std::function<void()> &statement, QString *description)
{
    try {
        statement();
    } catch (const Error &e) {
        if (description)
            *description = e.description();
        return e.number();
    }
    return 0;
}

bool ResumeNext::operator()(const std::function<void()> &statement)
{
    try {
        statement();
        return true;
    } catch (const Error &e) {
        m_number = e.number();
        m_description = e.description();
    } catch (const std::bad_alloc &) {
        m_number = ErrOutOfMemory;
        m_description = QStringLiteral("Out of memory");
    }
    return false;
}

} // namespace vb
