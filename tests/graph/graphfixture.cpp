#include "graphfixture.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "graph/graphsettingsrules.h"
#include "graph/graphwindow.h"
#include "instruments/protocol.h"
#include "platform/chart.h"
#include "support/language.h"
#include "views/table.h"

#include <QDir>
#include <QTest>

using namespace Hoofdmodule;

GraphFixture::GraphFixture()
{
    QLocale::setDefault(QLocale::c());
    qint16 english = 0;
    LaadTaal(english);
    ResetToestellen();
    for (int s = 1; s <= MaxToestellen; ++s)
        Toestel[s].Relais.clear();
    MetenActief = true;
    LoggenActief = false;
    LadenBezig = false;
    RelatieveTijd = false;
    AantalRijen = 0;
    AantalGrafieken = 0;
    WindowSettings::reset();
    graphSettingsDialogHook() = nullptr;
    graphDirectPrintHook() = nullptr;
    configureSlot(1, 2);
    table = std::make_unique<frmTabel>();
    table->StelTabelIn(true);
    dataViews().tabel = table.get();
}

GraphFixture::~GraphFixture()
{
    GrafiekVenster.Ontladen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    dataViews().tabel = nullptr;
}

void GraphFixture::configureSlot(int slot, int channels, const QString &unit)
{
    ToestelGegevens &t = Toestel[slot];
    t.Type = QStringLiteral("T542");
    t.Idno = 17 + slot;
    t.Kanalen = qint16(channels);
    t.Actief = true;
    t.FoutTeller = 0;
    t.Relais = QStringLiteral("----");
    for (int k = 1; k <= MaxKanalen; ++k) {
        KanaalGegevens &c = t.Kanaal[size_t(k)];
        c.Naam = QStringLiteral("CH%1").arg(k);
        c.Waarde = QStringLiteral("%1.5").arg(11 + k);
        c.Eenheid = unit;
        c.GeenWaarde = false;
        c.Status.clear();
    }
    InstellenToestelProtocol(qint16(slot));
    if (table)
        table->StelTabelIn(false);
}

void GraphFixture::record(const QStringList &slot1, const QStringList &slot2)
{
    for (int i = 0; i < slot1.size(); ++i)
        Toestel[1].Kanaal[size_t(i + 1)].Waarde = slot1[i];
    for (int i = 0; i < slot2.size(); ++i)
        Toestel[2].Kanaal[size_t(i + 1)].Waarde = slot2[i];
    ++AantalRijen;
    MeetTijdstip = firstRecord.addSecs(AantalRijen - 1);
    table->VulTabellenAan(QString(), 0);
}

void GraphFixture::records(int count)
{
    for (int i = 0; i < count; ++i)
        record({QString::number(AantalRijen + 1)});
}

frmGrafiek *GraphFixture::graph(int n, const std::function<void(GraphSettings &)> &setup)
{
    GraphSettings &g = WindowSettings::graph[size_t(n)];
    g.resetToLoadDefaults(n);
    g.caption = StandaardGrafiekTitel(n, false);
    g.SchrijfGrafiekLijnRef(1, 1, 1);
    g.SchrijfGrafiekLijnRef(1, 2, 1);
    if (setup)
        setup(g);
    ++AantalGrafieken;
    frmGrafiek *w = GrafiekVenster[n];
    w->resize(640, 420);
    w->Form_Load();
    return w;
}

void GraphFixture::clickPoint(frmGrafiek &graph, int series, int row, QPoint offset)
{
    Chart &chart = *graph.Diagram();
    // Pending layout of a window just shown or resized first.
    QCoreApplication::processEvents();
    chart.replotNow();
    const QPoint at = chart.pointPosition(series, row).toPoint() + offset;
    QWidget *surface = chart.childAt(at);
    QVERIFY(surface);
    QTest::mouseClick(surface, Qt::LeftButton, {}, surface->mapFrom(&chart, at));
}

QString savePicture(QWidget &widget, const QString &name)
{
    const QString dir = QStringLiteral(QLV2_BINARY_DIR "/pictures");
    QDir().mkpath(dir);
    const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
    widget.grab().save(path);
    return path;
}
