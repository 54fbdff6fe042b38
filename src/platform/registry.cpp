#include "platform/registry.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>

namespace {

QString matchCase(const QStringList &names, const QString &wanted)
{
    for (const QString &n : names)
        if (n.compare(wanted, Qt::CaseInsensitive) == 0)
            return n;
    return wanted;
}

// Opens the application's file positioned in the section, using the stored spelling of the
// section name when one exists in another letter case.
struct Section {
    QSettings settings;
    Section(const QString &application, const QString &section)
        : settings(Registry::filePath(application), QSettings::IniFormat)
    {
        settings.beginGroup(matchCase(settings.childGroups(), section));
    }
    QString key(const QString &wanted) { return matchCase(settings.childKeys(), wanted); }
};

} // namespace

namespace Registry {

QString filePath(const QString &application)
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + "/.config";
    QString name = application;
    name.replace('/', '_').replace('\\', '_');
    return base + "/Marquel/" + name + ".ini";
}

QString read(const QString &application, const QString &section, const QString &key,
             const QString &defaultValue)
{
    Section s(application, section);
    const QString k = s.key(key);
    if (!s.settings.contains(k))
        return defaultValue;
    return s.settings.value(k).toString();
}

bool contains(const QString &application, const QString &section, const QString &key)
{
    Section s(application, section);
    return s.settings.contains(s.key(key));
}

void write(const QString &application, const QString &section, const QString &key,
           const QString &value)
{
    Section s(application, section);
    s.settings.setValue(s.key(key), value);
}

void remove(const QString &application, const QString &section, const QString &key)
{
    Section s(application, section);
    s.settings.remove(s.key(key));
}

} // namespace Registry
