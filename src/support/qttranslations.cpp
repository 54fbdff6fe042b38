#include "support/qttranslations.h"

#include "support/language.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

QTranslator *installed = nullptr;

void apply()
{
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    const QString code = QtTranslations::languageCode();
    if (code.isEmpty())
        return;
    auto *translator = new QTranslator;
    // A missing file leaves Qt's texts in English; the program's own texts still switch.
    if (translator->load(QStringLiteral("qtbase_") + code, QtTranslations::folder())) {
        QCoreApplication::installTranslator(translator);
        installed = translator;
    } else {
        delete translator;
    }
}

} // namespace

namespace QtTranslations {

QString folder()
{
    const QString fromQt = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (QDir(fromQt).exists(QStringLiteral("qtbase_fr.qm")))
        return fromQt;
    return QStringLiteral("/usr/share/qt6/translations");
}

QString languageCode()
{
    const QString name = Taaltekst(500);
    if (name == QStringLiteral(u"Français"))
        return QStringLiteral("fr");
    if (name == QStringLiteral("Nederlands"))
        return QStringLiteral("nl");
    return {};
}

void follow()
{
    static bool connected = false;
    if (connected)
        return;
    connected = true;
    QObject::connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded,
                     &LanguageNotifier::instance(), [] { apply(); });
    apply();
}

} // namespace QtTranslations

// Follow the language from the moment the application exists, whoever loads the first table.
static void startFollowing() { QtTranslations::follow(); }
Q_COREAPP_STARTUP_FUNCTION(startFollowing)
