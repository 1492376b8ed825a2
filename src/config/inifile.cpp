#include "config/inifile.h"

#include "config/inidocument.h"

bool cIniFile::ReadInt(const QString& key, qint32& value, qint32 def) const {
    if (!ready())
        return false;
    IniDocument ini;
    ini.load(filename);
    value = ini.readInt(Section, key, def);
    return true;
}

bool cIniFile::ReadString(const QString& key, QString& value, const QString& def) const {
    if (!ready())
        return false;
    IniDocument ini;
    ini.load(filename);
    value = ini.readString(Section, key, def);
    return true;
}

bool cIniFile::WriteInt(const QString& key, qint32 value) {
    return WriteString(key, QString::number(value));
}

bool cIniFile::WriteString(const QString& key, const QString& value) {
    if (!ready())
        return false;
    IniDocument ini;
    if (!ini.load(filename))
        return false;
    ini.writeString(Section, key, value);
    return ini.save();
}
