#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "instruments/pollloop.h"
#include "mainwindow/logclock.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/toolbaricons.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "support/language.h"
#include "support/messagebox.h"
#include "views/table.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

using namespace Hoofdmodule;

namespace {
// How soon a tick that came inside other work looks again.
constexpr int TickRetryMs = 20;

// Keeps a flag set while a handler runs, so that a tick or click arriving inside one of its own
// message boxes does not enter it again.
struct Guard {
    bool &flag;
    explicit Guard(bool &f) : flag(f) { flag = true; }
    ~Guard() { flag = false; }
};
} // namespace

void mdiQLV2::StartStopVerbinding()
{
    // The stop record or a new run's file must not cut into a record's write and its question.
    if (RecordWriteRunning()) {
        AfterRecordWrite(this, [this] { StartStopVerbinding(); });
        return;
    }
    if (m_inStartStop)
        return;
    Guard guard(m_inStartStop);
    if (AlleenLezen || Bezig) {
        InstellenKnoppenData();
        return;
    }
    const bool wasOn = LoggenActief;
    if (!LoggenActief) {
        // A working copy left from editing logged lines is settled before a new run starts.
        bool cancelled = true;
        HerstelNieuwBestand(VervangDatum(Meetbestandsnaam), cancelled, false);
        if (cancelled) {
            StopVerbinding();
            return;
        }
    }
    // A line that went away and came back (the same adapter plugged in again) is taken up
    // again when the user starts a run.
    if (!wasOn && !poortOpen())
        reopenPortQuietly();
    if (poortOpen()) {
        LoggenActief = !LoggenActief;
    } else {
        LoggenActief = false;
        TonenMelding(Taaltekst(148) + SeriePoort + Taaltekst(149), MsgBox::Critical,
                     Taaltekst(299));
    }
    if (!LoggenActief) {
        // A start refused because the port is closed writes no stop record: only a run that
        // was on ends with one.
        toolButton("tbrLogger")->setChecked(false);
        if (wasOn)
            ToevoegenEindPunt();
        if (StartLoggenOpTijd) {
            StartLoggenOpTijd = false;
            Registry::write(RegisterNaam, "Settings", "Use StartLogOn", "False");
        }
        DataLog::instance().close();
    } else {
        if (AantalRijen < 0)
            AantalRijen = 0;
        menuItem("mnuDatalogging")->setChecked(true);
        Clock &clock = Clock::current();
        m_verbindingsStartMs = clock.monotonicMs();
        // The ticks of the run count from its start; the first record is due at the first
        // tick with a poll cycle ended.
        m_ticks.start(m_verbindingsStartMs, MeetInterval, CyclusVoltooid);
        m_laatsteLogMs = m_ticks.tickMs(m_ticks.recordTick);
        m_recordPending = false;
        m_wallAtOrigin = QDateTime();
        startLogTimer();
        setPanelText("Message", " ");
        toolButton("tbrLogger")->setChecked(true);
        // A selection left in a grid would be taken for one made in the new run's rows.
        if (auto *tabel = dynamic_cast<frmTabel *>(dataViews().tabel))
            for (int slot = 1; slot <= MaxToestellen; ++slot)
                if (ToestelGeldig(slot))
                    tabel->DeselecteerAlles(slot - 1);
        OpenCommPoort();
        if (Antwoord == 2) {
            LoggenActief = false;
            PlaatsAanduidingenCOM();
        }
        for (;;) {
            if (DataLog::instance().open())
                break;
            QString text = Taaltekst(278);
            text.replace(QLatin1Char('#'), VervangDatum(Meetbestandsnaam));
            const int answer = DialogProvider::current().messageBox(
                this, text, MsgBox::RetryCancel | MsgBox::Exclamation, Meetbestandsnaam);
            if (answer == MsgBox::Retry)
                continue;
            LoggenActief = false;
            toolButton("tbrLogger")->setChecked(false);
            InstellenKnopLoggen();
            return;
        }
    }
    WissenBuffersComm();
    PlaatsAanduidingenCOM();
    InstellenKnoppenData();
}

void mdiQLV2::StopVerbinding()
{
    if (LoggenActief)
        ToevoegenEindPunt();
    LoggenActief = false;
    m_recordPending = false;
    PlaatsAanduidingenCOM();
}

void mdiQLV2::ToevoegenEindPunt()
{
    // A record already due when the run ends is written before the stop record: the poll loop
    // would have written it after its next step.
    if (m_recordPending) {
        takeRecord();
        VerwerkenLegeMeting(QString());
    }
    if (AantalRijen <= 0)
        return;
    MeetTijdstip = Clock::current().now();
    ++AantalRijen;
    VerwerkenMeting(QStringLiteral("Stop"), 0);
}

bool mdiQLV2::recordDue() const { return m_recordPending; }

void mdiQLV2::takeRecord()
{
    MeetTijdstip = m_recordStamp;
    m_recordPending = false;
}

void mdiQLV2::startLogTimer()
{
    TimerOpvragen.start(int(m_ticks.msToNextTick(Clock::current().monotonicMs())));
}

void mdiQLV2::wakeLogTimer()
{
    if (!TimerOpvragen.isActive() && (LoggenActief || logTimerWanted()))
        startLogTimer();
}

void mdiQLV2::cycleEnded() { m_ticks.cycleEnded(Clock::current().monotonicMs()); }

void mdiQLV2::PlaatsVerbindingsTijd()
{
    if (!LoggenActief)
        return;
    const qint64 now = Clock::current().monotonicMs();
    const qint32 rest = qint32(MeetInterval - ElapsedSeconds(m_laatsteLogMs, now));
    setPanelText("Counter", CounterText(rest));
    setPanelText("ConnectionTime", ConnectionTimeText(now - m_verbindingsStartMs, Taaltekst(308)));
    // The clock wakes only when one of the two panels will show another second.
    TimerControleTeller.start(int(MsToNextClockChange(now, m_verbindingsStartMs, m_laatsteLogMs)));
}

void mdiQLV2::TimerOpvragen_Timer()
{
    // What a tick starts may ask the user (a port that will not open, the schedule's questions):
    // never inside a record's write or other work that pumps (a download's reply wait). It runs
    // as soon as that ends, at rest, so its own questions leave polling running; the ticks it
    // judges lie where they lie all the same.
    if (m_inLogTimer)
        return;
    if (OpvragenGepauzeerd() || !Pump::atRest()) {
        if (!m_tickWaiting) {
            m_tickWaiting = true;
            QTimer::singleShot(TickRetryMs, this, [this] {
                m_tickWaiting = false;
                TimerOpvragen_Timer();
            });
        }
        return;
    }
    logTick();
}

void mdiQLV2::logTick()
{
    if (m_inLogTimer)
        return;
    Guard guard(m_inLogTimer);
    Clock &clock = Clock::current();
    bool judged = false;
    if (!Bezig && MetenActief) {
        const QDateTime now = clock.now();
        if (!StartLoggen) {
            if (!LoggenActief && StartLoggenOpTijd && StartTijd.isValid() && StartTijd <= now) {
                if (!StopLoggenOpTijd || !StopTijd.isValid() || StopTijd > now)
                    StartStopVerbinding();
            }
            if (LoggenActief && StopLoggenOpTijd && StopTijd.isValid() && StopTijd <= now) {
                StartStopVerbinding();
                StopLoggenOpTijd = false;
                Registry::write(RegisterNaam, "Settings", "Use StopLogOn", "False");
                StartLoggenOpTijd = false;
                Registry::write(RegisterNaam, "Settings", "Use StartLogOn", "False");
            }
        }
        if (pollHooks().sampleRecorders)
            pollHooks().sampleRecorders(AantalRijen);
        if (LoggenActief) {
            // A closed port is reopened at every tick; when that fails the run ends.
            if (!poortOpen())
                OpenCommPoort();
            if (poortOpen() && LoggenActief) {
                judged = true;
                const qint64 nowMs = clock.monotonicMs();
                const qint64 due = m_recordPending ? -1 : m_ticks.judge(nowMs, MeetInterval);
                if (due >= 0) {
                    // A record is due: its stamp is its tick's moment; the poll loop writes it
                    // after the next finished step.
                    CyclusVoltooid = false;
                    m_laatsteLogMs = m_ticks.tickMs(due);
                    m_recordStamp = clock.now().addMSecs(m_laatsteLogMs - nowMs);
                    // Wall and monotonic time are read a moment apart: the run's stamps stay
                    // whole seconds apart unless the wall clock itself was set.
                    const QDateTime onPhase =
                        m_wallAtOrigin.addMSecs(m_laatsteLogMs - m_ticks.originMs);
                    if (m_wallAtOrigin.isValid() && qAbs(onPhase.msecsTo(m_recordStamp)) < 1000)
                        m_recordStamp = onPhase;
                    else
                        m_wallAtOrigin = m_recordStamp.addMSecs(m_ticks.originMs - m_laatsteLogMs);
                    m_recordPending = true;
                }
                PlaatsVerbindingsTijd();
            }
        }
        // With logging off the indicators stay as they are: whatever switches logging, the
        // port or measuring refreshes them when it does.
    }
    // Ticks that pass while polling is paused or a record waits are not judged later.
    if (!judged || m_recordPending)
        m_ticks.skipTo(clock.monotonicMs());
    ActiverenKnopBewaren();
    InstellenKnopMenus();
    // Nothing left to do each second: the timer rests until logging or a schedule starts it.
    if (!LoggenActief && !logTimerWanted())
        TimerOpvragen.stop();
    else
        startLogTimer();
}

bool mdiQLV2::logTimerWanted() const
{
    if (!StartLoggen && (StartLoggenOpTijd || StopLoggenOpTijd))
        return true;
    const PollHooks &h = pollHooks();
    if (h.sampleRecorders)
        return h.recordersRunning ? h.recordersRunning() : true;
    return false;
}

void mdiQLV2::keepClockInStep()
{
    // The connection clock runs only while there is a run to time.
    if (!LoggenActief) {
        TimerControleTeller.stop();
    } else if (!TimerControleTeller.isActive()) {
        TimerControleTeller.start(int(MsToNextClockChange(Clock::current().monotonicMs(),
                                                          m_verbindingsStartMs, m_laatsteLogMs)));
    }
}

void mdiQLV2::TimerControleTeller_Timer()
{
    if (poortOpen() && LoggenActief)
        PlaatsVerbindingsTijd();
}

void mdiQLV2::StatusBar_PanelClick(const QString &key)
{
    if (key == QLatin1String("Connect")) {
        if (MetenActief)
            StartStopVerbinding();
    } else if (key == QLatin1String("Settings")) {
        if (QAction *a = menuItem("mnuFileSettings"))
            a->trigger();
    }
}

void mdiQLV2::PlaatsAanduidingenCOM()
{
    // Never restarted while it runs: its ticks keep their phase.
    if (!TimerOpvragen.isActive())
        startLogTimer();
    keepClockInStep();
    InstellenKnoppenData();
    mnuData_Click();
    menuItem("mnuDatalogging")->setChecked(LoggenActief);
    toonPoortPaneel();
}

void mdiQLV2::toonPoortPaneel()
{
    setPanelText("Settings", SeriePoort + QStringLiteral(", ") + Baudrate + QStringLiteral(" bps."));
}

void mdiQLV2::InstellenKnopLoggen()
{
    QAction *logger = toolButton("tbrLogger");
    setPanelText("Connect", Taaltekst(LoggenActief ? 151 : 150));
    logger->setChecked(LoggenActief);
    setLogButtonPicture(*logger, LoggenActief);
    // Pressed in while logging, raised as a button to start it otherwise (a click on the panel
    // starts and stops logging).
    if (QLabel *p = panel("Connect")) {
        const QFrame::Shadow bevel = LoggenActief ? QFrame::Sunken : QFrame::Raised;
        if (p->frameShadow() != bevel)
            p->setFrameShadow(bevel);
    }
}

void mdiQLV2::InstellenKnopMeten()
{
    mnuData_Click();
    toolButton("tbrMeasure")->setChecked(MetenActief && menuItem("mnuDataMeasure")->isEnabled());
}

void mdiQLV2::InstellenKnoppenData()
{
    toolButton("tbrLogger")->setEnabled(true);
    InstellenKnopMeten();
    InstellenKnopLoggen();
}

void mdiQLV2::InstellenKnopMenus()
{
    if (QAction *a = toolButton("tbrGraph"))
        a->setEnabled(AantalToestellen() > 0);
}

bool mdiQLV2::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mdiArea()->viewport()) {
        if (event->type() == QEvent::MouseButtonDblClick) {
            if (QAction *a = menuItem("mnuFileSettings"))
                a->trigger();
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::RightButton) {
                menu("mnuWindow")->popup(mouse->globalPosition().toPoint());
                return true;
            }
        }
        return false;
    }
    if (event->type() == QEvent::MouseButtonPress) {
        for (auto it = m_panels.cbegin(); it != m_panels.cend(); ++it)
            if (it.value() == watched) {
                StatusBar_PanelClick(it.key());
                return true;
            }
    }
    return QMainWindow::eventFilter(watched, event);
}
