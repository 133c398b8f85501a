#pragma once
// Registry: the per-user settings store behind four text properties and
// three methods. The program keeps no settings; this is the ready means
// should one be needed.

#include <QString>

class Registry {
public:
    QString Appname() const { return m_appname; }
    void setAppname(const QString &v) { m_appname = v; }
    QString Section() const { return m_section; }
    void setSection(const QString &v) { m_section = v; }
    QString Key() const { return m_key; }
    void setKey(const QString &v) { m_key = v; }
    QString Setting() const { return m_setting; }
    void setSetting(const QString &v) { m_setting = v; }

    // Setting = the stored value of (Appname, Section, Key), "" when none.
    void RegGet();
    // Stores Setting under (Appname, Section, Key).
    void RegSave();
    // Deletes the entry; raises 5 when there is none.
    void RegDel();

private:
    QString m_appname, m_section, m_key, m_setting;
};
