#pragma once
// clsFormResize: keeps the controls of one form in proportion when the form
// is resized. The first ScaleControls records the form's client size and
// every control's rectangle (a line's end points); each later call sets
// them to the recorded values times the ratio of the new client size to the
// recorded one, following the rule in each control's Tag.

#include <QList>
#include <QPointer>
#include <QString>

class QObject;
namespace vb {
class Form;
}

// The Tag rule: "@" and any of T (top, a line's Y1), H (height, Y2), L
// (left, X1), W (width, X2), looked for anywhere in the upper-cased Tag. A
// Tag that is empty or does not begin with "@" counts as "@T,H,L,W".
struct ResizeRule {
    bool top = true, height = true, left = true, width = true;
    static ResizeRule fromTag(const QString &tag);
    bool operator==(const ResizeRule &) const = default;
};

class clsFormResize {
public:
    vb::Form *SourceForm() const { return m_form; }
    void setSourceForm(vb::Form *form) { m_form = form; }

    void ScaleControls();
    // Width and height of the form to percent / 100 of the screen's, in
    // whole twips.
    void SizeFormToScreen(qint16 percent);
    // The current layout becomes the reference.
    void ReInitialize();

    int recordedWidth() const { return m_width; }
    int recordedHeight() const { return m_height; }
    int recordCount() const { return int(m_records.size()); }

private:
    struct Record {
        QPointer<QObject> control;
        bool line = false;
        qint32 v[4] = {0, 0, 0, 0}; // Left, Top, Width, Height or X1, Y1, X2, Y2
    };
    void record();

    QPointer<vb::Form> m_form;
    bool m_first = true;
    qint32 m_width = 0, m_height = 0;
    QList<Record> m_records;
};
