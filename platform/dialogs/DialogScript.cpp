#include "Dialogs.h"

#include <QtDebug>

namespace vb {

UnexpectedDialog::UnexpectedDialog(const QString &message)
    : std::logic_error(message.toStdString())
{
}

DialogScript::DialogScript()
    : m_previous(setDialogHandler(this))
{
}

DialogScript::~DialogScript()
{
    setDialogHandler(m_previous);
    if (!ok())
        qWarning().noquote() << report();
}

DialogScript &DialogScript::expect(DialogKind kind, const DialogAnswer &answer,
                                   const std::optional<QString> &prompt)
{
    m_expected.append({kind, answer, prompt});
    return *this;
}

DialogScript &DialogScript::msgBox(int result, const std::optional<QString> &prompt)
{
    return expect(DialogKind::MsgBox, DialogAnswer::result(result), prompt);
}

DialogScript &DialogScript::inputBox(const QString &text, const std::optional<QString> &prompt)
{
    return expect(DialogKind::InputBox, DialogAnswer::entry(text), prompt);
}

DialogScript &DialogScript::inputBoxCancel(const std::optional<QString> &prompt)
{
    return expect(DialogKind::InputBox, DialogAnswer::cancel(), prompt);
}

DialogScript &DialogScript::passwordBox(const QString &text, const std::optional<QString> &prompt)
{
    return expect(DialogKind::PasswordBox, DialogAnswer::entry(text), prompt);
}

DialogScript &DialogScript::fileOpen(const QString &path, const std::optional<QString> &title)
{
    return expect(DialogKind::FileOpen, DialogAnswer::file(path), title);
}

DialogScript &DialogScript::fileSave(const QString &path, const std::optional<QString> &title)
{
    return expect(DialogKind::FileSave, DialogAnswer::file(path), title);
}

void DialogScript::fail(const QString &message)
{
    m_failures.append(message);
    throw UnexpectedDialog(message);
}

DialogAnswer DialogScript::answer(const DialogRequest &request)
{
    m_shown.append(request);
    const QString seen = QStringLiteral("%1 \"%2\"").arg(dialogKindName(request.kind), request.prompt);
    if (m_next >= m_expected.size())
        fail(QStringLiteral("unexpected dialog %1 (all %2 expected dialogs already shown)")
                 .arg(seen)
                 .arg(m_expected.size()));
    const Expected &e = m_expected.at(m_next);
    if (e.kind != request.kind)
        fail(QStringLiteral("dialog %1 shown where %2 #%3 was expected")
                 .arg(seen, dialogKindName(e.kind))
                 .arg(m_next + 1));
    if (e.prompt && *e.prompt != request.prompt)
        fail(QStringLiteral("dialog %1 shown where \"%2\" was expected (#%3)")
                 .arg(seen, *e.prompt)
                 .arg(m_next + 1));
    const int index = m_next++;
    if (request.kind == DialogKind::MsgBox && !msgBoxResults(request.buttons).contains(e.answer.button))
        fail(QStringLiteral("dialog %1 offers no button for the scripted answer %2 (#%3)")
                 .arg(seen)
                 .arg(m_expected.at(index).answer.button)
                 .arg(index + 1));
    return m_expected.at(index).answer;
}

QByteArray DialogScript::report() const
{
    QStringList lines;
    for (const QString &f : m_failures)
        lines << QStringLiteral("failure: ") + f;
    for (int i = m_next; i < m_expected.size(); ++i)
        lines << QStringLiteral("not shown: %1 %2")
                     .arg(dialogKindName(m_expected.at(i).kind),
                          m_expected.at(i).prompt ? QLatin1Char('"') + *m_expected.at(i).prompt
                                                        + QLatin1Char('"')
                                                  : QString());
    lines << QStringLiteral("shown:");
    for (const DialogRequest &r : m_shown)
        lines << QStringLiteral("  %1 \"%2\"").arg(dialogKindName(r.kind), r.prompt);
    return lines.join(QLatin1Char('\n')).toUtf8();
}

} // namespace vb
