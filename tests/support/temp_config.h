// Points Qt's per-user INI settings at a fresh temporary folder for the life of the object, so a
// test starts from an empty store and never touches the user's own.
#pragma once

#include <QString>
#include <QTemporaryDir>

class TempConfig
{
public:
    TempConfig();
    ~TempConfig();

    QString path() const { return m_dir.path(); }
    // The settings file the program uses, for an application name (the executable's base name).
    QString iniFile(const QString &appName) const;
    // Writes a raw INI text to that file, for tests that start from stored settings.
    void writeIni(const QString &appName, const QByteArray &content) const;
    QByteArray readIni(const QString &appName) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_oldXdg;
};
