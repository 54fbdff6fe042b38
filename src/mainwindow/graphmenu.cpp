#include "mainwindow/graphmenu.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsdialog.h"
#include "graph/graphsettingsrules.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "support/messagebox.h"

using namespace Hoofdmodule;

bool IsGrafiekTag(const QString &tag) { return tag.left(7).toLower() == QLatin1String("grafiek"); }

GraphMenuEnabling GraphMenuRules(bool validController, int aantalGrafieken,
                                 const QString &activeTag)
{
    GraphMenuEnabling e;
    if (!validController)
        return e;
    e.newGraph = true;
    e.settings = aantalGrafieken > 0 && IsGrafiekTag(activeTag);
    return e;
}

const QStringList &GraphMenuItems()
{
    static const QStringList items = {
        QStringLiteral("mnuExtraSettingsGraph"), QStringLiteral("linegraph1"),
        QStringLiteral("mnuGraphNew"),           QStringLiteral("linegraph2"),
        QStringLiteral("mnuGraphCopy"),          QStringLiteral("mnuGraphPrint"),
        QStringLiteral("linegraph3"),            QStringLiteral("mnuGraphCopySettings"),
        QStringLiteral("mnuGraphPasteSettings"),
    };
    return items;
}

QHash<QString, bool> GraphMenuVisibility(bool popup,
                                         const std::function<bool(const QString &)> &offered)
{
    QHash<QString, bool> v;
    for (const QString &item : GraphMenuItems())
        v.insert(item, false);
    v[QStringLiteral("mnuExtraSettingsGraph")] = true;
    if (!popup) {
        v[QStringLiteral("linegraph1")] = true;
        v[QStringLiteral("mnuGraphNew")] = true;
        return v;
    }
    auto show = [&](const char *name) {
        const QString item = QLatin1String(name);
        v[item] = !offered || offered(item);
        return v[item];
    };
    const bool copy = show("mnuGraphCopy");
    const bool print = show("mnuGraphPrint");
    const bool copySettings = show("mnuGraphCopySettings");
    const bool pasteSettings = show("mnuGraphPasteSettings");
    // A separator only between items that are there.
    v[QStringLiteral("linegraph2")] = copy || print;
    v[QStringLiteral("linegraph3")] = copySettings || pasteSettings;
    return v;
}

qint16 GrafiekInstellingenCommando(QWidget *window, const QString &tag,
                                   const std::function<void(int graph)> &herInitialiseer)
{
    const int g = IsGrafiekTag(tag) ? VensterSoort(tag) : 0;
    if (g < 1 || g > MaxGrafieken)
        return 2;
    const qint16 antwoord = ToonGrafiekInstellingen(g, window);
    if (antwoord == 1 && herInitialiseer)
        herInitialiseer(g);
    return antwoord;
}

void MeldMaximumGrafieken()
{
    TonenMelding(Taaltekst(335), MsgBox::OkOnly | MsgBox::Exclamation, Taaltekst(334));
}

void WissenNietGrafieken(bool alles, const std::function<bool(int graph)> &hasWindow,
                         const std::function<void(int graph)> &unload)
{
    for (int g = 1; g <= MaxGrafieken; ++g)
        if ((alles || WindowSettings::graph[size_t(g)].GrafiekIndex == 0) && hasWindow(g))
            unload(g);
}

int NieuweGrafiek(bool recorder, const NewGraphHooks &hooks)
{
    // One graph at a time waits on the dialog.
    if (GrafiekInstellenOpen()) {
        BrengGrafiekInstellenNaarVoren();
        return 0;
    }
    if (AantalGrafieken >= MaxGrafieken) {
        MeldMaximumGrafieken();
        return 0;
    }
    const int g = NeemNieuweGrafiek(recorder);
    if (g == 0)
        return 0;
    GraphSettings &graph = WindowSettings::graph[size_t(g)];
    const qint16 antwoord = hooks.loadNewWindow ? hooks.loadNewWindow(g) : qint16(2);
    graph.NieuweGrafiek = false;
    if (antwoord == 1) {
        if (hooks.herInitialiseer)
            hooks.herInitialiseer(g);
        InstellingenGewijzigd = true;
        return g;
    }
    if (hooks.unloadWindow)
        hooks.unloadWindow(g);
    // The number goes back, whether or not the window's unload already gave it.
    if (graph.GrafiekIndex == g) {
        graph.GrafiekIndex = 0;
        AantalGrafieken = qint16(qMax(0, AantalGrafieken - 1));
    }
    return 0;
}
