#include "SettingsRegistry.h"

#include "Settings.h"

void Registry::RegGet() { m_setting = vb::GetSetting(m_appname, m_section, m_key, QString()); }

void Registry::RegSave() { vb::SaveSetting(m_appname, m_section, m_key, m_setting); }

void Registry::RegDel() { vb::DeleteSetting(m_appname, m_section, m_key); }
