#include "clsFormResize.h"

#include "Error.h"
#include "Form.h"
#include "Graphics.h"
#include "Screen.h"

#include <cmath>

ResizeRule ResizeRule::fromTag(const QString &tag)
{
    if (!tag.startsWith(u'@'))
        return {};
    const QString t = tag.toUpper();
    return {t.contains(u'T'), t.contains(u'H'), t.contains(u'L'), t.contains(u'W')};
}

void clsFormResize::ScaleControls()
{
    if (!m_form)
        return;
    if (m_first) {
        record();
        return;
    }
    // A form recorded while it had no client area cannot give a ratio.
    if (m_form->windowState() == vb::vbMinimized || m_width <= 0 || m_height <= 0)
        return;
    const double hr = m_form->scaleHeight() / m_height;
    const double wr = m_form->scaleWidth() / m_width;
    static const char *const boxNames[4] = {"Left", "Top", "Width", "Height"};
    static const char *const lineNames[4] = {"X1", "Y1", "X2", "Y2"};
    for (const Record &r : std::as_const(m_records)) {
        if (!r.control)
            continue;
        ResizeRule rule;
        try {
            rule = ResizeRule::fromTag(vb::controlProperty(r.control, QStringLiteral("Tag")).toString());
        } catch (const vb::Error &) {
            // A control without a Tag follows the default rule.
        }
        const bool apply[4] = {rule.left, rule.top, rule.width, rule.height};
        const double ratio[4] = {wr, hr, wr, hr};
        const char *const *names = r.line ? lineNames : boxNames;
        for (int i = 0; i < 4; ++i) {
            if (!apply[i])
                continue;
            try {
                vb::setControlProperty(r.control, QLatin1String(names[i]), r.v[i] * ratio[i]);
            } catch (const vb::Error &) {
                // A control that cannot be placed keeps its place.
            }
        }
    }
}

void clsFormResize::SizeFormToScreen(qint16 percent)
{
    if (!m_form)
        return;
    m_form->setWidth(std::trunc(vb::Screen::width() * percent / 100.0));
    m_form->setHeight(std::trunc(vb::Screen::height() * percent / 100.0));
}

void clsFormResize::ReInitialize() { record(); }

void clsFormResize::record()
{
    if (!m_form)
        return;
    // The client size for every kind of form: an MDI form's outer size
    // against its client size would shrink every control at once.
    m_width = qRound(m_form->scaleWidth());
    m_height = qRound(m_form->scaleHeight());
    m_records.clear();
    for (QObject *c : m_form->controls()) {
        Record r;
        r.control = c;
        r.line = qobject_cast<vb::LineControl *>(c) != nullptr;
        try {
            // Timers and menu items have no place to record.
            vb::controlProperty(c, QStringLiteral("Visible"));
            static const char *const boxNames[4] = {"Left", "Top", "Width", "Height"};
            static const char *const lineNames[4] = {"X1", "Y1", "X2", "Y2"};
            for (int i = 0; i < 4; ++i)
                r.v[i] = qRound(
                    vb::controlProperty(c, QLatin1String(r.line ? lineNames[i] : boxNames[i])).toDouble());
        } catch (const vb::Error &) {
            continue;
        }
        m_records.append(r);
    }
    m_first = false;
}
