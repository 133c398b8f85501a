#include "ListRecordSet.h"

#include "DaoErrors.h"
#include "Dialogs.h"
#include "Error.h"
#include "KeywordWindowTexts.h"
#include "RowUpdate.h"

#include <algorithm>

namespace keywords {
namespace {

const QString kReadOnly = QStringLiteral("Fichier en lecture seule !");

// Scrolls so that row r is in view the way the list's add scrolls it.
void scrollToAdded(ListRows &list, int r)
{
    const int n = list.rows();
    if (r < n - 7 && r > 2)
        list.setTopRow(r - 3);
    else if (r > n - 7)
        list.setTopRow(std::max(0, r - 7));
}

int findExact(const ListRows &list, const QString &text)
{
    for (int r = 0; r < list.rows(); ++r)
        if (list.text(r) == text)
            return r;
    return -1;
}

void reportFailure(const vb::Error &e, int icon)
{
    if (e.number() == dao::ErrReadOnly)
        vb::MsgBox(kReadOnly, icon);
    else
        vb::MsgBox(e.description(), vb::vbExclamation);
}

} // namespace

void FillListFromRecordset(ListRows &list, dao::Recordset &rs, const dao::Field &field)
{
    if (rs.RecordCount() == 0)
        return;
    QStringList items;
    for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext()) {
        const QVariant v = field.Value();
        items << (v.isValid() ? v.toString() : QString());
    }
    list.setItems(items);
    list.setCurrentRow(0);
}

bool AddListItem(const QString &text, ListRows &list, dao::Recordset &rs, const dao::Field &field)
{
    if (text.isEmpty()) {
        vb::MsgBox(QStringLiteral(" Fill in the text zone to add an item"), vb::vbInformation);
        return false;
    }
    if (const int r = findExact(list, text); r >= 0) {
        list.setCurrentRow(r);
        scrollToAdded(list, r);
        vb::MsgBox(QStringLiteral(" This item exists "), vb::vbExclamation);
        return false;
    }
    // Said before anything is written, in the words of the keyword list.
    if (field.Type() == dao::dbText && text.size() > field.Size()) {
        vb::MsgBox(field.Name() == QLatin1String("GROUPE")
                       ? texts::keywordTooLong
                       : QStringLiteral(" An item has %1 characters at most ").arg(field.Size()),
                   vb::vbExclamation);
        return false;
    }
    if (vb::MsgBox(QStringLiteral(" Do you want to add ") + text + QStringLiteral(" as a new item? "),
                   vb::vbYesNo | vb::vbQuestion) != vb::vbYes)
        return false;
    try {
        dao::RowUpdate row(rs, dao::RowUpdate::AddNew);
        field.setValue(text);
        row.Update();
    } catch (const vb::Error &e) {
        // A text the table refuses (the same entry in another letter case
        // under a unique index, a text too long) is said, not swallowed.
        reportFailure(e, vb::vbExclamation);
        return false;
    }
    FillListFromRecordset(list, rs, field);
    if (const int r = findExact(list, text); r >= 0) {
        list.setCurrentRow(r);
        scrollToAdded(list, r);
    }
    return true;
}

bool DeleteListItem(ListRows &list, dao::Recordset &rs, const dao::Field &field)
{
    if (vb::MsgBox(QStringLiteral("discard this item ?"), vb::vbOKCancel | vb::vbQuestion) != vb::vbOK)
        return false;
    const int row = list.currentRow();
    if (list.rows() <= 1) {
        vb::MsgBox(QStringLiteral("The list cannot be empty sorry"), vb::vbCritical);
        return false;
    }
    if (row < 0)
        return false;
    const QString text = list.text(row);
    try {
        // The record of exactly that text: among entries the index holds
        // as the same (Smith, smith) the one the user chose.
        bool found = false;
        if (rs.Index().isEmpty()) {
            if (rs.RecordCount() > 0)
                for (rs.MoveFirst(); !rs.Eof(); rs.MoveNext())
                    if (field.Value().toString() == text) {
                        found = true;
                        break;
                    }
        } else {
            rs.Seek(QStringLiteral("="), text);
            if (!rs.NoMatch())
                for (; !rs.Eof() && dao::compareText(field.Value().toString(), text) == 0; rs.MoveNext())
                    if (field.Value().toString() == text) {
                        found = true;
                        break;
                    }
        }
        if (!found) {
            vb::MsgBox(QStringLiteral("This record does not exists"), vb::vbExclamation);
            return false;
        }
        rs.Delete();
    } catch (const vb::Error &e) {
        reportFailure(e, vb::vbCritical);
        return false;
    }
    list.removeRow(row);
    return true;
}

TypedText CapitaliseFirst(const QString &text, int caret)
{
    TypedText t{text, caret, false};
    if (!text.isEmpty() && text.at(0) >= u'a' && text.at(0) <= u'z') {
        t.text[0] = text.at(0).toUpper();
        t.changed = true;
    }
    return t;
}

int FindListItemAsYouType(const QString &text, ListRows &list)
{
    if (text.isEmpty())
        return -1;
    const int n = int(text.size());
    const int m = list.rows();
    for (int r = 0; r < m; ++r) {
        if (dao::compareText(QStringView(list.text(r)).left(n), text) == 0) {
            list.setCurrentRow(r);
            if (r < m - 7 && r > 2)
                list.setTopRow(r - 2);
            if (r > m - 7 && r > 0)
                list.setTopRow(std::max(0, r - 6));
            return r;
        }
    }
    if (m > 0) {
        list.setCurrentRow(m - 1);
        list.clearSelection();
    }
    return -1;
}

} // namespace keywords
