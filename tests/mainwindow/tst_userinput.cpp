// What the user feels while the program polls a busy, slow or dead line: keys and clicks sent
// through a real X server (XTEST), with a window manager (openbox) as on a desktop, must be
// acted on at once. Offscreen input takes another road than the X server's and cannot show a
// program that holds input back, so the test starts an X server of its own.
#include "boxcloser.h"
#include "desktoptest.h"
#include "programrig.h"

#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/registry.h"
#include "simulator.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMenuBar>
#include <QtTest>

using namespace Hoofdmodule;

namespace {

// Far longer than one turn of an idle event loop, far shorter than one reply time-out (1.5 s),
// which is what a key waited for when polling held input back.
constexpr qint64 ActedWithinMs = 500;

} // namespace

class TestUserInput : public QObject {
    Q_OBJECT
    TestHome home{QStringLiteral("QLV2-PORTS-userinput")};
    QTimer boxCloser;

private slots:
    void initTestCase()
    {
        QVERIFY(home.isValid());
        closeMessageBoxesEvery(boxCloser);
    }

    void keysAndClicksActAtOnce_data()
    {
        QTest::addColumn<int>("answering");
        QTest::addColumn<int>("silent");
        QTest::addColumn<int>("lateMs");
        // A switched-off unit beside one that answers.
        QTest::newRow("one controller silent") << 1 << 1 << 0;
        // A wrong port or a pulled cable: nothing answers, every exchange ends at its time-out.
        QTest::newRow("none answering") << 0 << 1 << 0;
        // Units that answer late make a cycle longer than the pacing: the loop never rests.
        QTest::newRow("cycle longer than the pacing") << 8 << 1 << 300;
    }
    void keysAndClicksActAtOnce()
    {
        QFETCH(int, answering);
        QFETCH(int, silent);
        QFETCH(int, lateMs);
        QFile::remove(home.dataFile());
        Registry::remove("QLV2-CFG", "Settings", "FileNameSettings");

        Sim::Simulator sim;
        QVERIFY(sim.start());
        QList<ControllerSlot> devices;
        for (int slot = 1; slot <= answering + silent; ++slot) {
            devices << ControllerSlot{slot, "T512", slot, 1};
            // A silent unit is one that is not on the line.
            if (slot <= answering) {
                Sim::Controller &c = sim.add("T512", slot, 1);
                if (lateMs > 0) {
                    c.behaviour = Sim::Behaviour::Late;
                    c.lateMs = lateMs;
                }
            }
        }
        SerialPortTable::bind(9, sim.devicePath());
        QVERIFY(writeProgramSettings(home.settingsFile(), devices, 2, true));

        // A key or a click as the user's own: through the X server.
        XUser x(qEnvironmentVariable("DISPLAY"));
        QVERIFY(x.connected());
        ScriptedDialogProvider dialogs;
        WiredProgram w;
        QMenu *file = w.menu("mnuFile");
        QMenu *data = w.menu("mnuData");
        const auto dataTitle = [&w, data] {
            QMenuBar *bar = w.menuBar();
            return bar->mapToGlobal(bar->actionGeometry(data->menuAction()).center());
        };
        // What the user does, one thing after another, and what shows it was acted on. The test
        // runs no event loop of its own: only the program's loops may hand input on, and a
        // timer of the test's looks at the result.
        struct Probe {
            QString what;
            std::function<void()> send;
            std::function<bool()> acted;
            bool timed = true;
        };
        QList<Probe> probes;
        probes << Probe{QStringLiteral("activate"), [&w] { w.activateWindow(); },
                        [&w] { return w.isActiveWindow(); }, false};
        for (int round = 0; round < 4; ++round) {
            probes << Probe{QStringLiteral("Alt+F"), [&x] { x.key('f', {XUser::Alt}); },
                            [file] { return file->isVisible(); }}
                   << Probe{QStringLiteral("Escape"), [&x] { x.key(XUser::Escape); },
                            [file] { return !file->isVisible(); }}
                   << Probe{QStringLiteral("click on Data"),
                            [&x, dataTitle] { x.click(dataTitle()); },
                            [data] { return data->isVisible(); }}
                   << Probe{QStringLiteral("Escape"), [&x] { x.key(XUser::Escape); },
                            [data] { return !data->isVisible(); }};
        }
        // A run with records ends with a stop record (the first cycle of a dead line takes a few
        // time-outs); then the close box of the window manager ends the program.
        probes << Probe{QStringLiteral("a record"), [] {}, [] { return AantalRijen > 0; }, false}
               << Probe{QStringLiteral("Alt+F4"), [&x] { x.key(XUser::F4, {XUser::Alt}); },
                        [&w] { return w.isUnloaded(); }};
        QStringList slow;
        int next = 0;
        bool sent = false;
        QElapsedTimer since;
        QTimer look;
        look.setTimerType(Qt::PreciseTimer);
        connect(&look, &QTimer::timeout, &w, [&] {
            if (next >= probes.size())
                return;
            Probe &p = probes[next];
            if (!sent) {
                // A pause between two actions, as a person's.
                if (since.isValid() && since.elapsed() < 150)
                    return;
                p.send();
                sent = true;
                since.start();
                return;
            }
            const bool done = p.acted();
            if (!done && since.elapsed() < (p.timed ? 5000 : 30000))
                return;
            if (p.timed && (!done || since.elapsed() > ActedWithinMs))
                slow << p.what + QStringLiteral(": ") +
                            (done ? QString::number(since.elapsed()) + QStringLiteral(" ms")
                                  : QStringLiteral("not acted on"));
            ++next;
            sent = false;
            since.start();
        });
        // The probes start once polling is under way.
        QTimer::singleShot(2500, &w, [&look] { look.start(2); });
        // Should the close never come, the test must still end.
        QTimer::singleShot(90000, &w, [&] {
            if (!w.isUnloaded()) {
                slow << QStringLiteral("the program did not end");
                w.AfsluitenOnbewaakt();
            }
        });
        w.MDIForm_Load({});
        // The close ends the program's loops, and with them the test's looks: its time is
        // taken as the program returns.
        if (next == probes.size() - 1 && sent && w.isUnloaded()) {
            if (since.elapsed() > ActedWithinMs)
                slow << QStringLiteral("Alt+F4: %1 ms").arg(since.elapsed());
            ++next;
        }

        QVERIFY2(slow.isEmpty(), qPrintable(slow.join(QStringLiteral("; "))));
        QCOMPARE(next, probes.size());
        QVERIFY(w.isUnloaded());
        QFile f(home.dataFile());
        QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(home.dataFile()));
        const QStringList lines = Cp1252::decode(f.readAll()).split("\r\n", Qt::SkipEmptyParts);
        // A header, records, and the stop record last: the time and no values.
        QVERIFY2(lines.size() >= 3, qPrintable(lines.join('\n')));
        QVERIFY2(!lines.last().contains(QStringLiteral("Reading error")) &&
                     !lines.last().contains(QStringLiteral("\"CH")),
                 qPrintable(lines.last()));
        QVERIFY2(lines[lines.size() - 2].contains(QStringLiteral("Reading error")),
                 qPrintable(lines[lines.size() - 2]));
    }
};

int main(int argc, char **argv) { return runOnDesktop<TestUserInput>(argc, argv); }

#include "tst_userinput.moc"
