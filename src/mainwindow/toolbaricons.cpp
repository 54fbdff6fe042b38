#include "mainwindow/toolbaricons.h"

#include "mainwindow/mainwindow.h"

#include <QAction>
#include <QIcon>
#include <QString>

// The pictures live in the program's library: the linker keeps them only when asked.
static void initToolbarResources() { Q_INIT_RESOURCE(toolbar); }

namespace {
struct Picture {
    const char *key;
    const char *theme; // freedesktop icon name, or null when none says what the button does
};
const Picture pictures[] = {
    {"tbrNew", "document-new"},
    {"tbrOpen", "document-open"},
    {"tbrSave", "document-save-as"},
    {"tbrPrint", "document-print"},
    {"tbrCopy", "edit-copy"},
    {"tbrProperties", "preferences-system"},
    {"tbrGraphSettings", nullptr},
    {"tbrFont", "preferences-desktop-font"},
    {"tbrSaveSettings", nullptr},
    {"tbrMeasure", "media-playback-start"},
    // The Log button changes picture with logging: both of ours, so the two read as a pair.
    {"tbrLogger", nullptr},
    {"tbrLogging", nullptr},
    {"tbrReceive", nullptr},
    {"tbrTransfer", nullptr},
    {"tbrTable", "x-office-spreadsheet"},
    {"tbrRack", nullptr},
    {"tbrGraph", nullptr},
    {"tbrTerminal", "utilities-terminal"},
    {"tbrHor", nullptr},
    {"tbrVer", nullptr},
    {"tbrCascade", nullptr},
    {"tbrHelp", "help-contents"},
};
} // namespace

QIcon werkbalkIcoon(const QString &key)
{
    static const bool loaded = (initToolbarResources(), true);
    Q_UNUSED(loaded);
    const QIcon own(QStringLiteral(":/toolbar/") + key + QStringLiteral(".png"));
    for (const Picture &p : pictures)
        if (key == QLatin1String(p.key))
            return p.theme ? QIcon::fromTheme(QLatin1String(p.theme), own) : own;
    return own;
}

void ZetWerkbalkIconen(mdiQLV2 &w)
{
    for (const Picture &p : pictures)
        if (QAction *b = w.toolButton(QLatin1String(p.key)))
            b->setIcon(werkbalkIcoon(QLatin1String(p.key)));
}

void setLogButtonPicture(QAction &button, bool logging)
{
    // The button is refreshed every second: only a change of picture is set, and repaints it.
    const char *image = logging ? "ImageLogging" : "ImageLog";
    if (button.property("Image").toString() == QLatin1String(image))
        return;
    button.setIcon(werkbalkIcoon(QLatin1String(logging ? "tbrLogging" : "tbrLogger")));
    button.setProperty("Image", QLatin1String(image));
}
