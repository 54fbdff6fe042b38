#include "views/readingdisplay.h"

#include "core/conversions.h"
#include "core/shared.h"
#include "core/slots.h"
#include "support/language.h"
#include "views/rack.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QDateTime>
#include <QPointer>
#include <QTimer>
#include <array>

QColor WaardeKleur(bool geenWaarde, const QString &status)
{
    if (geenWaarde || status.contains(QStringLiteral("ALARM")))
        return RackKleur::Rood;
    if (status.contains(QLatin1Char('<')) || status.contains(QLatin1Char('>')))
        return RackKleur::Geel;
    return RackKleur::Groen;
}

QString MeetTijdTekst(const QDateTime &moment)
{
    if (!moment.isValid())
        return QString();
    return TijdMetScheidingsteken(moment) + QLatin1Char(' ');
}

namespace {
void setTextColour(QLabel *label, const QColor &colour)
{
    QPalette pal = label->palette();
    if (pal.color(QPalette::WindowText) == colour)
        return;
    pal.setColor(QPalette::WindowText, colour);
    label->setPalette(pal);
}

void emptyValues(FormRack &rack)
{
    for (int k = 0; k < 4; ++k) {
        rack.LabelWaarde(k)->setText(QString());
        rack.LabelEenheid(k)->setText(QString());
    }
}
} // namespace

void TonenMeting(FormRack &rack, bool leeg)
{
    const qint16 slot = rack.Ti;
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot) || !rack.Zichtbaar())
        return;
    const ToestelGegevens &t = Toestel[slot];
    if (!t.Actief) {
        rack.Panel(2)->setText(Taaltekst(380));
        rack.ToonStatusTekst(Taaltekst(380));
        emptyValues(rack);
        return;
    }
    QString status;
    rack.Panel(4)->setText(MeetTijdTekst(t.Kanaal[1].Tijdstip));
    if (!Hoofdmodule::MetenActief) {
        for (int k = 0; k < 4; ++k)
            setTextColour(rack.LabelWaarde(k), FormRack::greyTextColour());
        return;
    }
    if (t.Defect) {
        emptyValues(rack);
        setTextColour(rack.LabelWaarde(0), RackKleur::Geel);
        rack.LabelWaarde(0)->setText(QStringLiteral("MAN."));
        rack.ToonStatusTekst(Taaltekst(283));
        return;
    }
    const int kanalen = qBound(0, int(t.Kanalen), MaxKanalen);
    for (int k = 0; k < kanalen; ++k) {
        const KanaalGegevens &c = t.Kanaal[size_t(k + 1)];
        setTextColour(rack.LabelWaarde(k), WaardeKleur(c.GeenWaarde, c.Status));
        rack.LabelKanaal(k)->setText(c.Naam.trimmed());
        if (leeg || t.FoutTeller > 2) {
            rack.LabelWaarde(k)->setText(QString());
            rack.LabelEenheid(k)->setText(QString());
        } else if (c.GeenWaarde) {
            rack.LabelWaarde(k)->setText(QStringLiteral("OR."));
            rack.LabelEenheid(k)->setText(c.Eenheid.trimmed());
        } else {
            rack.LabelWaarde(k)->setText(c.Waarde);
            if (!c.Status.trimmed().isEmpty())
                status += c.Status + QLatin1Char(' ');
            rack.LabelEenheid(k)->setText(c.Eenheid.trimmed());
        }
    }
    const bool stopped = t.Relais.contains(QStringLiteral("STOP"))
        || status.contains(QStringLiteral("STOP"));
    rack.ToonStopPaneel(stopped);
    rack.ToonPanelen();
    rack.Panel(2)->setText(status);
    rack.Panel(3)->setText(t.Relais.trimmed());
}

void TonenMeting(qint16 &slot, bool &leeg)
{
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot))
        return;
    if (FormRack *rack = RackVenster[slot])
        TonenMeting(*rack, leeg);
}

void TonenToestelStatus(qint16 slot)
{
    if (FormRack *rack = RackVenster[slot])
        emptyValues(*rack);
}

void VernieuwenRackVenster(qint16 slot)
{
    if (slot < 1 || slot > MaxToestellen || !ToestelGeldig(slot))
        return;
    FormRack *rack = RackVenster[slot];
    if (!rack || !rack->Zichtbaar())
        return;
    const ToestelGegevens &t = Toestel[slot];
    rack->ShapeLED()->setColour(t.FoutTeller > 2 && t.Actief ? RackKleur::Rood : RackKleur::Grijs);
}

namespace {
// The lamp colour of shown slot i while `slot` is polled; invalid when the lamp stays as it is.
QColor lampColour(qint16 i, qint16 slot, bool bezig, bool alle)
{
    const ToestelGegevens &t = Toestel[i];
    if (!t.Actief)
        return RackKleur::Grijs;
    if (i == slot)
        return !bezig ? RackKleur::Donkergroen
                      : (t.FoutTeller > 2 ? RackKleur::Rood : RackKleur::Groen);
    if (t.FoutTeller >= 3)
        return RackKleur::Rood;
    return alle ? RackKleur::Donkergroen : QColor();
}

// Calls f(i, rack) for every valid slot whose rack window is shown.
template <typename F> void forShownRacks(F f)
{
    for (qint16 i = 1; i <= MaxToestellen; ++i) {
        if (!ToestelGeldig(i))
            continue;
        FormRack *rack = RackVenster.bestaand(i);
        if (rack && rack->Zichtbaar())
            f(i, rack);
    }
}

// The poll loop marks changes after every exchange, far more often than anyone can see them.
// They are shown at most once per display frame: the first mark starts a frame timer (it does
// not run while nothing changes), and once it has expired the marked windows are updated when
// the event loop is about to wait. The poll loop waits only for a reply to a frame it has just
// sent, so a reply is always followed by the next frame before any window work.
// Every repaint pass costs a round trip to the display server, whatever it paints; a rack that
// changes twice an exchange would cost one pass per exchange. A frame also ends early when the
// window is painted anyway (a clock in the status bar, a new row in the table): the marked
// changes are then shown in that same pass instead of one of their own.

class PaintListener : public QObject {
public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override;
};

struct MarkedChanges {
    std::array<bool, MaxToestellen + 1> reading{};
    std::array<QColor, MaxToestellen + 1> lamp{};
    bool any = false;
    bool due = false;
    QPointer<QAbstractEventDispatcher> hookedTo;
    QPointer<QTimer> frame;
    QPointer<QWidget> listenedTo;
    QPointer<PaintListener> listener;

    // Listens to the paint passes of the window the racks live in.
    void listenTo(QWidget *window)
    {
        if (!window || window == listenedTo)
            return;
        if (!listener)
            listener = new PaintListener(QCoreApplication::instance());
        if (listenedTo)
            listenedTo->removeEventFilter(listener);
        listenedTo = window;
        window->installEventFilter(listener);
    }

    void mark()
    {
        any = true;
        QAbstractEventDispatcher *dispatcher = QAbstractEventDispatcher::instance();
        if (dispatcher && dispatcher != hookedTo) {
            hookedTo = dispatcher;
            QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, dispatcher, [this] {
                if (due)
                    showMarkedChanges();
            });
        }
        if (!frame && QCoreApplication::instance()) {
            frame = new QTimer(QCoreApplication::instance());
            frame->setSingleShot(true);
            frame->setInterval(RackFrameMs);
            QObject::connect(frame, &QTimer::timeout, frame, [this] { due = true; });
        }
        if (frame && !frame->isActive() && !due)
            frame->start();
    }
};
MarkedChanges marked;

bool PaintListener::eventFilter(QObject *watched, QEvent *event)
{
    // Widgets updated here are painted by the pass this request starts.
    if (event->type() == QEvent::UpdateRequest && marked.any)
        showMarkedChanges();
    return QObject::eventFilter(watched, event);
}
} // namespace

void VernieuwenToestelVensters(qint16 slot, bool bezig, bool alle)
{
    forShownRacks([&](qint16 i, FormRack *rack) {
        const QColor colour = lampColour(i, slot, bezig, alle);
        if (colour.isValid())
            rack->ShapeLED()->setColour(colour);
    });
}

void markReadingChanged(qint16 slot)
{
    if (slot < 1 || slot > MaxToestellen)
        return;
    marked.reading[size_t(slot)] = true;
    if (FormRack *rack = RackVenster.bestaand(slot))
        marked.listenTo(rack->window());
    marked.mark();
}

void markLampsChanged(qint16 slot, bool bezig, bool alle)
{
    // Twice per exchange: only the colours are noted here; which slots are valid and which
    // windows shown is looked at once per frame, when the windows are brought up to date.
    for (qint16 i = 1; i <= MaxToestellen; ++i) {
        const QColor colour = lampColour(i, slot, bezig, alle);
        if (colour.isValid())
            marked.lamp[size_t(i)] = colour;
    }
    marked.mark();
}

void showMarkedChanges()
{
    if (marked.frame)
        marked.frame->stop();
    marked.due = false;
    if (!marked.any)
        return;
    marked.any = false;
    for (qint16 i = 1; i <= MaxToestellen; ++i) {
        const bool reading = std::exchange(marked.reading[size_t(i)], false);
        const QColor lamp = std::exchange(marked.lamp[size_t(i)], QColor());
        FormRack *rack = RackVenster.bestaand(i);
        if (!rack)
            continue;
        marked.listenTo(rack->window());
        if (reading)
            TonenMeting(*rack, false);
        if (lamp.isValid() && rack->Zichtbaar() && ToestelGeldig(i))
            rack->ShapeLED()->setColour(lamp);
    }
}
