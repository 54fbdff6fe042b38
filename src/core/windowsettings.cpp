#include "core/windowsettings.h"

#include "platform/dialogs.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>

namespace {

constexpr qint32 rgb(int r, int g, int b) { return r + 256 * g + 65536 * b; }

const qint32 palette[15] = {
    rgb(0, 0, 0),       rgb(0, 0, 128),     rgb(0, 128, 0),   rgb(0, 128, 128),
    rgb(128, 0, 0),     rgb(128, 0, 128),   rgb(128, 128, 0), rgb(192, 192, 192),
    rgb(128, 128, 128), rgb(0, 0, 255),     rgb(0, 255, 0),   rgb(0, 255, 255),
    rgb(255, 0, 0),     rgb(255, 0, 255),   rgb(255, 255, 0),
};

WindowHost *installedHost = nullptr;

} // namespace

qint32 defaultSeriesColour(int serie)
{
    if (serie == 1)
        return rgb(0, 0, 255);
    if (serie == 2)
        return rgb(255, 0, 0);
    if (serie >= 3 && serie <= GrafiekReeksen)
        return palette[(serie - 3) % 15];
    return 0;
}

GraphSettings::GraphSettings()
{
    for (int s = 1; s <= GrafiekReeksen; ++s)
        seriesColour[size_t(s)] = defaultSeriesColour(s);
}

void GraphSettings::resetToLoadDefaults(int number)
{
    *this = GraphSettings();
    GrafiekIndex = qint16(number);
}

qint16 GraphSettings::LeesGrafiekLijnRef(int lijn, int index) const
{
    if (lijn < 1 || lijn > MaxGrafiekLijnen || index < 1 || index > 5)
        return 0;
    return lineTable[size_t(lijn)][size_t(index)];
}

void GraphSettings::SchrijfGrafiekLijnRef(int lijn, int index, qint16 waarde)
{
    if (lijn < 1 || lijn > MaxGrafiekLijnen || index < 1 || index > 5)
        return;
    lineTable[size_t(lijn)][size_t(index)] = waarde;
}

qint32 GraphSettings::GrafiekKleur(int serie) const
{
    if (serie < 1 || serie > GrafiekReeksen)
        return 0;
    return seriesColour[size_t(serie)];
}

void GraphSettings::ZetDiagramKleur(int serie, qint32 kleur)
{
    if (serie < 1 || serie > GrafiekReeksen)
        return;
    seriesColour[size_t(serie)] = kleur & 0xFFFFFF;
}

TableGridSettings::TableGridSettings()
{
    columnWidths.fill(0);
    columnWidths[13] = 2000;
    setDefaultColumnWidths();
}

void TableGridSettings::setDefaultColumnWidths()
{
    static const qint32 widths[13] = {600, 1000, 1000, 800, 600, 800, 600,
                                      800, 600,  800,  600,  3000, 1500};
    for (int c = 0; c < 13; ++c)
        columnWidths[size_t(c)] = widths[c];
}

namespace WindowSettings {
void reset()
{
    mainWindow = WindowPlacement();
    rack.fill(RackWindowSettings());
    graph.fill(GraphSettings());
    terminal = TerminalSettings();
    table = TableSettings();
}
} // namespace WindowSettings

QSizeF WindowHost::screenTwips() const
{
    QSizeF pixels(1920, 1080);
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            pixels = screen->geometry().size();
    return pixels * 15.0; // 1440 twips per inch at 96 pixels per inch
}

int WindowHost::message(const QString &text, int flags, const QString &title)
{
    DialogProvider &provider = DialogProvider::current();
    if ((flags & MsgBox::DoNotWait) && dynamic_cast<QtDialogProvider *>(&provider)) {
        // The real dialogs only know waiting boxes: show this one on its own and go on.
        auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        box->show();
        return 0;
    }
    const int answer = provider.messageBox(nullptr, text, flags, title);
    return (flags & MsgBox::DoNotWait) ? 0 : answer;
}

WindowHost &WindowHost::current()
{
    static WindowHost fallback;
    return installedHost ? *installedHost : fallback;
}

void WindowHost::install(WindowHost *host) { installedHost = host; }
