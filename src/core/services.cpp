#include "core/services.h"

#include "core/datafile.h"
#include "core/datafilereader.h"
#include "core/settingsfile.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/progress.h"

#include <QDir>
#include <QFileInfo>
#include <QPalette>
#include <QProgressBar>
#include <QTextEdit>
#include <QVariant>
#include <QWidget>

using namespace Hoofdmodule;

namespace {

qint16 lastAntwoord = 0;

const QString recentSection = QStringLiteral("Recent Files");
QString recentKey(int n) { return QStringLiteral("RecentFile%1").arg(n); }

// The Part-style filter "text|pattern|text|pattern" as Qt's "text;;text": Qt takes the patterns
// from the parentheses of each text. The filter the dialog is to start on goes first, since the
// dialogs start on the first one.
QString qtFilter(const QString &pipes, int selected)
{
    const QStringList parts = pipes.split(QLatin1Char('|'));
    QStringList names;
    for (qsizetype i = 0; i < parts.size(); i += 2)
        names << parts[i];
    if (selected >= 1 && selected <= names.size())
        names.move(selected - 1, 0);
    return names.join(QStringLiteral(";;"));
}

QString filterB(const QString &extensie, int filterTekst)
{
    return Taaltekst(filterTekst) + QStringLiteral(" (*") + extensie + QStringLiteral(")|*")
           + extensie;
}

QWidget *mainWidget() { return MainLink::mainWindow(); }

bool isNetworkFolder(const QString &folder)
{
    return folder.startsWith(QLatin1String("\\\\")) || folder.startsWith(QLatin1String("//"));
}

void rememberFolder(const QString &chosen)
{
    LaatsteMap = QFileInfo(chosen).absolutePath();
    QDir::setCurrent(LaatsteMap);
}

QString startPath(const QString &naam)
{
    const QString folder = LaatsteMap.isEmpty() ? DataMap : LaatsteMap;
    const QString file = QFileInfo(naam).fileName();
    return file.isEmpty() ? folder : QDir(folder).filePath(file);
}

// Toolbar keys by index, separators as empty entries.
const char *const toolbarKeys[] = {
    nullptr, "tbrNew", "tbrOpen", "tbrSave", "tbrPrint", nullptr, "tbrCopy", nullptr,
    "tbrProperties", "tbrGraphSettings", "tbrFont", "tbrSaveSettings", nullptr, "tbrMeasure",
    "tbrLogger", "tbrReceive", "tbrTransfer", nullptr, "tbrTable", "tbrRack", "tbrGraph",
    "tbrTerminal", nullptr, "tbrHor", "tbrVer", "tbrCascade", nullptr, "tbrHelp",
};

void enableToolbarButton(int knop, bool enabled)
{
    const auto &hook = dataViews().toolButtonEnabled;
    if (hook && knop >= 1 && knop < int(std::size(toolbarKeys)) && toolbarKeys[knop])
        hook(QString::fromLatin1(toolbarKeys[knop]), enabled);
}

} // namespace

DataViews &dataViews()
{
    static DataViews views;
    return views;
}

void ZetAntwoord(qint16 antwoord)
{
    lastAntwoord = antwoord;
    if (qint16 *main = dataViews().antwoord)
        *main = antwoord;
}

qint16 Antwoord()
{
    if (const qint16 *main = dataViews().antwoord)
        return *main;
    return lastAntwoord;
}

bool GrafiekInGebruik(int graph)
{
    return graph >= 1 && graph <= MaxGrafieken && WindowSettings::graph[size_t(graph)].GrafiekIndex == graph;
}

QString KiesBestandOpenen(const QString &naam, const QString &extensie, int filterTekst)
{
    const QString filter = Taaltekst(215) + QLatin1Char('|') + filterB(extensie, filterTekst);
    const QString chosen = DialogProvider::current().openFileName(
        mainWidget(), Taaltekst(187), startPath(naam), qtFilter(filter, 2));
    if (chosen.isEmpty()) {
        LaatsteAntwoord = 2;
        return QString();
    }
    rememberFolder(chosen);
    LaatsteAntwoord = 1;
    return chosen;
}

QString KiesBestandOpenenMetFilter(const QString &naam, const QString &extensie, int filterTekst)
{
    QString title = Taaltekst(315);
    title.remove(QLatin1Char('&'));
    const QString chosen = DialogProvider::current().openFileName(
        mainWidget(), title, startPath(naam), qtFilter(filterB(extensie, filterTekst), 1));
    if (chosen.isEmpty()) {
        ZetAntwoord(2);
        return naam;
    }
    rememberFolder(chosen);
    ZetAntwoord(1);
    return chosen;
}

QString KiesBestandOpslaan(const QString &naam, const QString &extensie, int filterTekst,
                           int titelTekst, int vlaggen)
{
    QString filter;
    int selected;
    if (vlaggen & 2) {
        filter = Taaltekst(215) + QLatin1Char('|') + Taaltekst(filterTekst) + QStringLiteral("(*")
                 + extensie + QStringLiteral(")|*") + extensie;
        selected = 2;
    } else {
        filter = filterB(extensie, filterTekst);
        selected = 1;
    }
    for (;;) {
        // The provider's save dialog asks no overwrite question: callers ask their own.
        const QString chosen = DialogProvider::current().saveFileName(
            mainWidget(), Taaltekst(titelTekst), startPath(naam), qtFilter(filter, selected),
            extensie);
        if (chosen.isEmpty()) {
            LaatsteAntwoord = 2;
            return QStringLiteral("Untitled") + extensie;
        }
        bool netwerk = false;
        SplitsPad(chosen, &netwerk);
        if (netwerk) {
            const int answer = DialogProvider::current().messageBox(
                mainWidget(), Taaltekst(189), MsgBox::RetryCancel | MsgBox::Exclamation, chosen);
            if (answer == MsgBox::Retry)
                continue;
            LaatsteAntwoord = 2;
            return QStringLiteral("Untitled") + extensie;
        }
        rememberFolder(chosen);
        LaatsteAntwoord = 1;
        return chosen;
    }
}

bool KiesLettertype(QWidget *object, bool effecten, bool vrijeGrootte)
{
    if (dataViews().stopVerbinding)
        dataViews().stopVerbinding();
    if (!object)
        return false;
    // A rich-text box colours its text itself, so its colour is not offered.
    const bool richText = qobject_cast<QTextEdit *>(object) != nullptr;
    FontRequest request;
    request.font = object->font();
    if (!richText)
        request.colour = object->palette().color(QPalette::WindowText);
    request.title = Taaltekst(188);
    request.sizeLocked = !vrijeGrootte;
    request.effects = effecten;
    const std::optional<FontChoice> chosen =
        DialogProvider::current().chooseFont(mainWidget(), request);
    if (!chosen)
        return false;
    QFont font = request.font;
    font.setFamily(chosen->font.family());
    font.setBold(chosen->font.bold());
    font.setItalic(chosen->font.italic());
    // The dialog locks what the flags leave out; a provider that answers without the dialog
    // cannot widen the choice either.
    if (vrijeGrootte && chosen->font.pointSizeF() > 0)
        font.setPointSizeF(chosen->font.pointSizeF());
    if (effecten) {
        font.setUnderline(chosen->font.underline());
        font.setStrikeOut(chosen->font.strikeOut());
        if (!richText && chosen->colour.isValid()) {
            QPalette palette = object->palette();
            palette.setColor(QPalette::WindowText, chosen->colour);
            palette.setColor(QPalette::Text, chosen->colour);
            object->setPalette(palette);
        }
    }
    object->setFont(font);
    object->update();
    InstellingenGewijzigd = true;
    ActiverenKnopBewaren();
    return true;
}

void KiesKleur(qint32 &kleur)
{
    const std::optional<QColor> chosen = DialogProvider::current().chooseColour(
        mainWidget(), KleurNaarQColor(kleur), Taaltekst(175).remove(QLatin1Char('&')));
    if (!chosen) {
        LaatsteAntwoord = 2;
        return;
    }
    kleur = QColorNaarKleur(*chosen);
    LaatsteAntwoord = 1;
}

void ZetLettertype(QWidget *doel, const QWidget *bron)
{
    if (!doel || !bron)
        return;
    doel->setFont(bron->font());
    QPalette palette = doel->palette();
    palette.setColor(QPalette::WindowText, bron->palette().color(QPalette::WindowText));
    palette.setColor(QPalette::Text, bron->palette().color(QPalette::Text));
    doel->setPalette(palette);
}

void OpenMeetbestand(QString &naam)
{
    const QString chosen = KiesBestandOpenen(naam, QStringLiteral(".csv"), 182);
    if (!chosen.isEmpty() && acceptAsDataFile(chosen)) {
        // A file being logged is closed by a load: stop logging first, so no record is lost.
        if (LoggenActief && dataViews().stopVerbinding)
            dataViews().stopVerbinding();
        DataLog::instance().close();
        Meetbestandsnaam = chosen;
        naam = chosen;
        Registry::write(RegisterNaam, QStringLiteral("Settings"), QStringLiteral("LastFile"),
                        chosen);
        HerstelGrafieken();
        RelatieveTijd = false;
        TijdBasis = QDateTime();
        LaadMeetbestand();
    }
    WindowHost::current().titleChanged();
}

QString SplitsPad(const QString &pad, bool *netwerk)
{
    const qsizetype cut = qMax(qMax(pad.lastIndexOf(QLatin1Char('/')),
                                    pad.lastIndexOf(QLatin1Char('\\'))),
                               pad.lastIndexOf(QLatin1Char(':')));
    QString folder;
    if (cut < 0) {
        folder = DataMap;
        if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
            folder += QLatin1Char('/');
    } else {
        folder = pad.left(cut + 1);
        if (folder.endsWith(QLatin1Char(':')))
            folder += QLatin1Char('/');
    }
    if (netwerk)
        *netwerk = isNetworkFolder(folder);
    return folder;
}

bool IsAlleenLezen(const QString &bestandsnaam)
{
    const QFileInfo info(bestandsnaam);
    if (!info.exists())
        return false;
    // The mode bits, not isWritable() or the "user" bits: those ask whether we may write, and
    // the administrator may write anything.
    const QFile::Permissions write = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
    return (info.permissions() & write) == 0;
}

void ZetAlleenLezen(const QString &pad)
{
    bool netwerk = false;
    SplitsPad(pad, &netwerk);
    AlleenLezen = netwerk || IsAlleenLezen(pad);
}

QString KortPad(const QString &pad, qint16 lengte)
{
    if (lengte < 6)
        lengte = 25;
    if (pad.size() <= lengte)
        return pad;
    return pad.left(lengte / 4 - 1) + QStringLiteral("...") + pad.right(3 * lengte / 4 - 2);
}

QColor KleurNaarQColor(qint32 kleur)
{
    return QColor(RoodDeel(kleur), GroenDeel(kleur), BlauwDeel(kleur));
}

qint32 QColorNaarKleur(const QColor &colour)
{
    return colour.red() + 256 * colour.green() + 65536 * colour.blue();
}

qint32 GrafiekKleur(int graph, qint16 serie)
{
    if (graph < 1 || graph > MaxGrafieken)
        return 0;
    return WindowSettings::graph[size_t(graph)].GrafiekKleur(serie);
}

qint32 ControleerTussentijd(qint32 seconden)
{
    return seconden >= 1 && seconden <= 86400 ? seconden : 1;
}

void VraagBewarenInstellingen(bool *annuleren)
{
    if (!InstellingenGewijzigd)
        return;
    const int answer = DialogProvider::current().messageBox(
        mainWidget(), Taaltekst(183), MsgBox::YesNoCancel | MsgBox::Question,
        InstellingenBestandsnaam);
    LaatsteAntwoord = qint16(answer);
    if (answer == MsgBox::Yes)
        BewaarInstellingen(InstellingenBestandsnaam);
    else if (answer == MsgBox::Cancel && annuleren)
        *annuleren = true;
}

int VensterSoort(const QString &tag)
{
    const QString kind = tag.left(5).toLower();
    if (kind == QLatin1String("metin"))
        return tag.mid(6).toInt();
    if (kind == QLatin1String("grafi"))
        return tag.mid(7).toInt();
    return 0;
}

void ToonVoortgang(int minimum, int maximum, int waarde, const QString &tekst,
                   const QString &titel)
{
    FrmVoortgang &w = FrmVoortgang::instance();
    w.VoortgangTekst = tekst;
    w.show();
    if (!titel.isEmpty())
        w.setWindowTitle(titel);
    w.ProgressBar->setRange(minimum, maximum);
    w.ProgressBar->setValue(qBound(minimum, waarde, maximum));
    w.repaint();
    AfbrekenLaden = false;
}

void StapVoortgang(int waarde, bool *afgebroken)
{
    Pump::once();
    if (!FrmVoortgang::isLoaded()) {
        if (afgebroken)
            *afgebroken = false;
        return;
    }
    FrmVoortgang &w = FrmVoortgang::instance();
    // A file that grows while it is read would pass the maximum.
    w.ProgressBar->setValue(qBound(w.ProgressBar->minimum(), waarde, w.ProgressBar->maximum()));
    const bool stop = w.VoortgangOnderbroken || Pump::ending();
    if (stop)
        AfbrekenLaden = true;
    if (afgebroken)
        *afgebroken = stop;
}

void SluitVoortgang()
{
    FrmVoortgang::unload();
}

QStringList RecenteBestanden()
{
    QStringList names;
    for (int n = 1; n <= 4; ++n) {
        const QString value = Registry::read(RegisterNaam, recentSection, recentKey(n));
        if (!value.isEmpty())
            names << value;
    }
    return names;
}

void VulRecenteBestanden()
{
    // An empty list is shown too, so a removed last name does not stay on the menu.
    if (dataViews().recentFilesMenu)
        dataViews().recentFilesMenu(RecenteBestanden());
}

void ToevoegenRecentBestand(const QString &naam)
{
    for (int n = 3; n >= 1; --n) {
        const QString value = Registry::read(RegisterNaam, recentSection, recentKey(n));
        if (!value.isEmpty())
            Registry::write(RegisterNaam, recentSection, recentKey(n + 1), value);
    }
    Registry::write(RegisterNaam, recentSection, recentKey(1), naam);
}

void VerwijderRecentBestand(const QString &naam)
{
    int next = 1;
    for (int n = 1; n <= 4; ++n) {
        if (!Registry::contains(RegisterNaam, recentSection, recentKey(n)))
            continue;
        const QString value = Registry::read(RegisterNaam, recentSection, recentKey(n));
        Registry::remove(RegisterNaam, recentSection, recentKey(n));
        if (!value.isEmpty() && value != naam)
            Registry::write(RegisterNaam, recentSection, recentKey(next++), value);
    }
    VulRecenteBestanden();
}

void WerkbalkKnoppenAan(int knop) { enableToolbarButton(knop, true); }

void WerkbalkKnoppenUit(int knop) { enableToolbarButton(knop, false); }

void ActiverenKnopBewaren() { WerkbalkKnoppenAan(11); }

void InstellenWerkbalk()
{
    const DataViews &views = dataViews();
    if (!views.toolButtonEnabled && !views.menuItemEnabled)
        return;
    bool enable = false;
    const QWidget *active = views.activeWindow ? views.activeWindow() : nullptr;
    if (active && AantalRijen >= 1) {
        enable = true;
        const TableSink *table = views.tabel;
        if (table && active->property("Tag").toString() == QLatin1String("tabel")
            && table->Geselecteerd(table->Tab()) == 0)
            enable = false;
    }
    enableToolbarButton(6, enable);
    if (views.menuItemEnabled)
        views.menuItemEnabled(QStringLiteral("mnuEditCopy"), enable);
}

bool VolgendToestel(qint16 &slot)
{
    if (slot == 0) {
        for (slot = 1; slot <= MaxToestellen; ++slot)
            if (ToestelGeldig(slot))
                return true;
        return false; // slot is 32
    }
    if (ToestelGeldig(slot))
        return true;
    ++slot;
    return false;
}

int AantalToestellen()
{
    int n = 0;
    for (int d = 1; d <= MaxToestellen; ++d)
        if (ToestelGeldig(d))
            ++n;
    return n;
}

int VrijeGrafiek()
{
    for (int g = 1; g <= MaxGrafieken; ++g)
        if (WindowSettings::graph[size_t(g)].GrafiekIndex == 0)
            return g;
    return 0;
}

void HerInitialiseerGrafieken()
{
    if (!dataViews().ladenGrafiek)
        return;
    for (int g = 1; g <= MaxGrafieken; ++g)
        if (GrafiekInGebruik(g))
            dataViews().ladenGrafiek(g);
}

bool ZijnErVensters()
{
    return dataViews().ActieveVensters && dataViews().ActieveVensters() > 0;
}

void SelectieRijen(const GridData &grid, qint32 &eerste, qint32 &laatste)
{
    eerste = grid.selectedRowFirst();
    laatste = grid.selectedRowLast();
}

void SelectieKolommen(const GridData &grid, qint32 &eerste, qint32 &laatste)
{
    eerste = grid.selectedColFirst();
    laatste = grid.selectedColLast();
}
