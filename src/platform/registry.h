#pragma once
#include <QString>

// Stand-in for the per-user registry: application / section / key, values as text.
// Look-ups ignore letter case, as the registry does. Each application name is one INI file
// under the user's configuration folder.
namespace Registry {

QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue = QString());
bool contains(const QString &application, const QString &section, const QString &key);
void write(const QString &application, const QString &section, const QString &key,
           const QString &value);
void remove(const QString &application, const QString &section, const QString &key);
// The file that holds the application's values.
QString filePath(const QString &application);

} // namespace Registry
