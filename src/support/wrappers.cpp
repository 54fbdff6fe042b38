#include "support/wrappers.h"

#include "core/conversions.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "support/utilities.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QWidget>
#include <memory>
#include <pwd.h>
#include <unistd.h>

namespace {

bool isControl(char16_t c)
{
    return c == '\r' || c == '\n' || c == '\t' || c == '\b' || c == '\f' || c == 0;
}

} // namespace

bool IsStuurteken(const QString &character, int flags)
{
    if (!(flags & 2))
        return false;
    return character.isEmpty() || isControl(character[0].unicode());
}

bool IsStuurteken(char character, bool present, int flags)
{
    if (!(flags & 2))
        return false;
    return !present || isControl(static_cast<unsigned char>(character));
}

QString NeemWoord(QString &text, QString &delimiters, int flags)
{
    QString word;
    qsizetype i = 0;
    while (i < text.size()) {
        const QChar c = text[i];
        if (delimiters.contains(c) || IsStuurteken(QString(c), flags))
            break;
        if (c.unicode() >= 32)
            word += c;
        ++i;
    }
    text.remove(0, i);
    const QString stop = text.left(1);
    if (!stop.isEmpty() && delimiters.contains(stop[0]) && (flags & 1))
        text.remove(0, 1);
    delimiters = stop;
    return trimBlanks(word);
}

// The decoders take every field of every reply through here: the bytes are read in place, not
// through a QString copy of the reply.
QByteArray NeemWoord(QByteArray &text, QByteArray &delimiters, int flags)
{
    QByteArray word;
    qsizetype i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (delimiters.contains(c) || IsStuurteken(c, true, flags))
            break;
        if (static_cast<unsigned char>(c) >= 32)
            word += c;
        ++i;
    }
    text.remove(0, i);
    const QByteArray stop = text.left(1);
    if (!stop.isEmpty() && delimiters.contains(stop[0]) && (flags & 1))
        text.remove(0, 1);
    delimiters = stop;
    return trimBlanks(word);
}

namespace {

void setTopmost(QWidget *venster, bool on)
{
    if (!venster)
        return;
    QWidget *window = venster->window();
    const bool visible = window->isVisible();
    const bool already = window->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    // A window that was shown or placed keeps its place; one never placed is left to the
    // window system.
    const bool placed = visible || window->testAttribute(Qt::WA_Moved);
    const QRect geometry = window->geometry();
    if (already != on)
        window->setWindowFlag(Qt::WindowStaysOnTopHint, on); // hides a shown window
    if (!on && !visible)
        return;
    if (!window->isVisible()) {
        const bool wasNoActivate = window->testAttribute(Qt::WA_ShowWithoutActivating);
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, wasNoActivate);
    }
    if (placed && window->geometry() != geometry)
        window->setGeometry(geometry);
}

QString programTitle() { return QStringLiteral("Marquel QLV-2"); }

QString userName()
{
    if (const passwd *pw = getpwuid(geteuid()); pw && pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return qEnvironmentVariable("USER");
}

void readSpecialFolders()
{
    QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    // Many Linux accounts have no documents folder; the data then lives under the home folder.
    if (docs.isEmpty() || !QFileInfo(docs).isDir())
        docs = QDir::homePath();
    APIDLL::MapDocumenten = docs;
    APIDLL::MapAfbeeldingen = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    APIDLL::MapOpstarten = config.isEmpty() ? QString() : config + QStringLiteral("/autostart");
}

bool startProgram(const QString &program)
{
    if (program.trimmed().isEmpty())
        return false;
    return QProcess::startDetached(program, {});
}

struct InstanceLock {
    QString caption;
    std::unique_ptr<QLockFile> lock;
};
InstanceLock &heldInstanceLock()
{
    static InstanceLock held;
    return held;
}

QTemporaryDir &processFolder()
{
    static QTemporaryDir folder(QDir::tempPath() + QStringLiteral("/qlv2-XXXXXX"));
    return folder;
}

} // namespace

void ZetVensterBovenaan(QWidget *venster) { setTopmost(venster, true); }
void ZetVensterNormaal(QWidget *venster) { setTopmost(venster, false); }

QString BepaalWindowsVersie()
{
    APIDLL::IsWindowsNT = false;
    APIDLL::IsWindowsXP = false;
    return QSysInfo::prettyProductName();
}

QString systemInfoReport()
{
    using namespace APIDLL;
    const QString nl = QStringLiteral("\n");
    return QStringLiteral("Version: ") + WindowsVersie + nl +
           QStringLiteral("Windows NT: ") + BooleanTekst(IsWindowsNT) + nl +
           QStringLiteral("Computer name: ") + Computernaam + nl +
           QStringLiteral("Network logon: ") + NetwerkGebruiker + nl +
           QStringLiteral("User name: ") + Gebruikersnaam + nl +
           QStringLiteral("Company: ") + Bedrijfsnaam + nl +
           QStringLiteral("User Folder: ") + GebruikersMap + nl +
           QStringLiteral("User Docs:") + MapDocumenten + nl +
           QStringLiteral("User Pictures:") + MapAfbeeldingen + nl +
           QStringLiteral("User Startup menu:") + MapOpstarten + nl +
           QStringLiteral("Application path:") + ToepassingsPad + nl;
}

namespace {
std::function<void()> &systemInfoViewer()
{
    static std::function<void()> viewer;
    return viewer;
}
} // namespace

void setSystemInfoViewer(std::function<void()> viewer) { systemInfoViewer() = std::move(viewer); }

void VerzamelSysteemInfo(QStringList &opdrachtregel)
{
    using namespace APIDLL;
    Gebruikersnaam = userName();
    Computernaam = QSysInfo::machineHostName();
    NetwerkGebruiker.clear();
    GebruikersMap = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    Bedrijfsnaam.clear();
    ToepassingsPad = QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString();
    readSpecialFolders();

    // Whole arguments only: a path such as /home/ann/sysinfo/run.csv must reach the parser intact.
    const qsizetype removed = opdrachtregel.removeIf([](const QString &argument) {
        return argument.compare(QStringLiteral("/sysinfo"), Qt::CaseInsensitive) == 0;
    });
    if (removed > 0 && systemInfoViewer())
        systemInfoViewer()();
    else if (removed > 0)
        DialogProvider::current().messageBox(nullptr, systemInfoReport(), MsgBox::OkOnly,
                                             programTitle());
}

bool LeesRegisterTekst(const QString &root, const QString &sleutel, const QString &waardeNaam,
                       QString &resultaat)
{
    resultaat.clear();
    if (!Registry::contains(root, sleutel, waardeNaam))
        return false;
    resultaat = Registry::read(root, sleutel, waardeNaam);
    return true;
}

void StartSysteemInfo(const QString &melding)
{
    if (systemInfoViewer()) {
        systemInfoViewer()();
        return;
    }
    QString path;
    if (LeesRegisterTekst(APIDLL::HKEY_LOCAL_MACHINE,
                          QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO"),
                          QStringLiteral("PATH"), path)) {
        if (startProgram(path))
            return;
    } else if (LeesRegisterTekst(APIDLL::HKEY_LOCAL_MACHINE,
                                 QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location"),
                                 QStringLiteral("MSINFO"), path)) {
        const QString tool = QDir(path).filePath(QStringLiteral("MSINFO32.EXE"));
        if (!path.isEmpty() && QFileInfo::exists(tool) && startProgram(tool))
            return;
    }
    DialogProvider::current().messageBox(nullptr, melding, MsgBox::OkOnly | MsgBox::Exclamation,
                                         programTitle());
}

QString instanceLockPath(const QString &caption)
{
    // Per user, as a search for a window title was; without a runtime folder, the temp folder.
    QString folder;
    if (!qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR"))
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    const QByteArray key =
        QCryptographicHash::hash(caption.toUtf8(), QCryptographicHash::Sha1).toHex().left(24);
    return folder + QStringLiteral("/qlv2-%1-").arg(getuid()) + QString::fromLatin1(key) +
           QStringLiteral(".lock");
}

bool VorigeInstantieActief(QWidget *venster)
{
    const QString caption = venster ? venster->windowTitle() : QString();
    InstanceLock &held = heldInstanceLock();
    if (held.lock && held.caption == caption)
        return false;
    held.lock.reset();
    held.caption.clear();

    auto lock = std::make_unique<QLockFile>(instanceLockPath(caption));
    // A copy runs for days: its lock must never count as stale by age, only when its
    // process is gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        held.lock = std::move(lock);
        held.caption = caption;
        return false;
    }
    // Only a lock held by a running copy counts; a lock that cannot be made at all
    // (unwritable folder) must not keep the user from working.
    return lock->error() == QLockFile::LockFailedError;
}

QString resourceFolder()
{
    QTemporaryDir &folder = processFolder();
    return folder.isValid() ? folder.path() : QString();
}

QString ResourceNaarBestand(const QString &resource, const QString &bestandsnaam)
{
    const QString folder = resourceFolder();
    if (folder.isEmpty())
        return {};
    QFile in(resource);
    if (!in.open(QIODevice::ReadOnly))
        return {};
    const QByteArray data = in.readAll();

    if (bestandsnaam.isEmpty()) {
        QTemporaryFile file(folder + QStringLiteral("/~resXXXXXX.tmp"));
        file.setAutoRemove(false);
        if (!file.open())
            return {};
        if (file.write(data) != data.size() || !file.flush()) {
            file.remove();
            return {};
        }
        return file.fileName();
    }

    // Callers name the file as they would in the program folder ("\tmp~.wav"); only the name
    // counts, the folder is always this process's own.
    const qsizetype cut = qMax(bestandsnaam.lastIndexOf('/'), bestandsnaam.lastIndexOf('\\'));
    const QString name = bestandsnaam.mid(cut + 1);
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        return {};
    const QString path = folder + '/' + name;
    QFile out(path);
    // Truncated first: a shorter resource must not leave the tail of an older, longer file.
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    if (out.write(data) != data.size() || !out.flush())
        return {};
    out.close();
    return out.error() == QFile::NoError ? path : QString();
}

void setProgramNames()
{
    QCoreApplication::setApplicationName(QStringLiteral("QLV-2"));
    QCoreApplication::setOrganizationName(QStringLiteral("Marquel"));
    // No display name: the platform would append it to every window title, and the main
    // window's title already begins with the product's name.
}
