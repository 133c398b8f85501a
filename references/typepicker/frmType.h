#pragma once
// The type picker of a new reference: the reference types of the base in
// a combo box, "No Type" preselected. OK stores the chosen type into the
// reference it was opened for (by its key, whatever card the user
// activated meanwhile) and opens that reference's card; Cancel leaves the
// reference without a type.

#include "Form.h"

#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QPushButton;

namespace typepicker {

// The types in the order of their index.
QStringList ReferenceTypes();
// Seeks the reference by key and stores its type. "This record does not
// exists" when it is gone; a failed write says why. False then.
bool StoreReferenceType(const QString &key, const QString &type);

} // namespace typepicker

class frmType : public vb::Form {
    Q_OBJECT
public:
    frmType();

    QLabel *Label1 = nullptr;
    QComboBox *Combo1 = nullptr;
    QPushButton *CmdOK = nullptr, *CmdCancel = nullptr;

    // The reference OK writes to.
    void setReferenceKey(const QString &key) { m_key = key; }
    QString referenceKey() const { return m_key; }

    void CmdOK_Click();
    void CmdCancel_Click();

protected:
    void formLoad() override;
    // Enter picks the type (Cancel when it has the focus), Escape cancels,
    // from whichever control the keys reach.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QString m_key;
};

// Shows the picker for that reference (the one window, reused).
void ShowTypePickerFor(const QString &referenceKey);
void InstallTypePicker();
