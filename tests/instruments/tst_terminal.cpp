#include "core/shared.h"
#include "core/slots.h"
#include "instruments/connection.h"
#include "instruments/decoders.h"
#include "instruments/protocol.h"
#include "instruments/terminal.h"
#include "instruments/transport.h"
#include "simline.h"

#include <QCheckBox>
#include <QClipboard>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QtTest>

using namespace Hoofdmodule;

namespace {
bool poll(int slot)
{
    ZendCommando(qint16(slot), Protocol::PollCommando[size_t(slot)]);
    return IsT57Model(Toestel[slot].Type) ? LezenMetingT57(qint16(slot))
                                          : LezenMetingStandaard(qint16(slot));
}

// The colour of every character of the text that matches, as runs of the document.
QList<QColor> coloursOf(const frmTerminal &t, const QString &piece)
{
    QList<QColor> colours;
    const QTextDocument *doc = t.TxtLineInput()->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (f.text().contains(piece))
                colours << f.charFormat().foreground().color();
        }
    return colours;
}
} // namespace

// The terminal window over a live line: what is sent shows magenta, what comes back black,
// each converted once; closing it stops the echo, and its text stays bounded.
class TestTerminal : public QObject {
    Q_OBJECT
    std::unique_ptr<frmTerminal> terminal;

private slots:
    void initTestCase() { QLocale::setDefault(QLocale::c()); }
    void init()
    {
        TerminalLettertype = QStringLiteral("Courier New");
        TerminalKleurZenden = 0xFF00FF;
        TerminalKleurOntvangen = 0;
        terminal = std::make_unique<frmTerminal>();
        terminal->VolgVerbinding(InstrumentConnection::current());
        terminal->Form_Load();
    }
    void cleanup() { terminal.reset(); }

    void liveTrafficInColour()
    {
        SimLine s(27);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T5781", 3, 4);
        c.channel[3] = {"21.5", "\xf8" "C", false, {}};
        configureSlot(1, "T5781", 3, 4);
        QVERIFY(poll(1));

        // The checksum byte is not shown.
        const QString text = terminal->Tekst();
        QVERIFY2(text.startsWith(QStringLiteral("#003\t>?\n")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("21.5")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("°C")), qPrintable(text));
        QVERIFY(!text.contains(QChar(0)));
        QVERIFY(!text.contains(QLatin1String("Ohm")));
        QVERIFY(!text.contains(QLatin1Char('\r')));
        QCOMPARE(coloursOf(*terminal, QStringLiteral(">?")), QList<QColor>{QColor(Qt::magenta)});
        for (const QColor &colour : coloursOf(*terminal, QStringLiteral("21.5")))
            QCOMPARE(colour, QColor(Qt::black));
        QVERIFY(!coloursOf(*terminal, QStringLiteral("21.5")).isEmpty());
    }

    // Bytes are converted once: a converted character is not mapped a second time.
    void bytesConvertedOnce_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("shown");
        QTest::newRow("degrees") << QByteArray("19.9\xf8" "C") << QStringLiteral("19.9°C");
        QTest::newRow("e circumflex") << QByteArray("\x88t\x88") << QStringLiteral("êtê");
        QTest::newRow("micro") << QByteArray("\xe6S") << QStringLiteral("µS");
        QTest::newRow("NUL dropped") << QByteArray("N\x07\x00x", 4) << QStringLiteral("N\ax");
        QTest::newRow("CR LF split") << QByteArray("a\r") << QStringLiteral("a\n");
    }
    void bytesConvertedOnce()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        terminal->ToevoegenBytes(bytes, 0);
        if (bytes.endsWith('\r')) // the LF of a CR LF split over two reads adds no line
            terminal->ToevoegenBytes("\nb", 0);
        QCOMPARE(terminal->Tekst(), bytes.endsWith('\r') ? shown + QStringLiteral("b") : shown);
    }

    void fontFallsBackToMonospace_data()
    {
        QTest::addColumn<QString>("requested");
        QTest::addColumn<QString>("family"); // empty: the system's fixed-pitch font
        const QString mono = SysteemVasteBreedte();
        QTest::newRow("missing") << QStringLiteral("No Such Font 123") << mono;
        QTest::newRow("empty") << QString() << mono;
        QTest::newRow("installed mono") << QStringLiteral("DejaVu Sans Mono")
                                        << QStringLiteral("DejaVu Sans Mono");
        QTest::newRow("installed proportional") << QStringLiteral("DejaVu Sans")
                                                << QStringLiteral("DejaVu Sans");
    }
    void fontFallsBackToMonospace()
    {
        QFETCH(QString, requested);
        QFETCH(QString, family);
        QCOMPARE(TerminalFamilie(requested), family);
    }

    // The default "Courier New" ends in a fixed-pitch font whether it is installed or not.
    void defaultFontIsFixedPitch()
    {
        QVERIFY(VasteBreedte(terminal->TxtLineInput()->font()));
        terminal->ToevoegenTextBox(QStringLiteral("x"), 0);
        const QTextBlock b = terminal->TxtLineInput()->document()->firstBlock();
        // What shows: the run's own format over the window's font.
        QFont runFont =
            b.begin().fragment().charFormat().font().resolve(terminal->TxtLineInput()->font());
        QVERIFY(VasteBreedte(runFont));
    }

    // A font chosen for the window (family, style and size) applies to the text already shown
    // and to the text that comes.
    void chosenFontAppliesToAllText()
    {
        QPlainTextEdit *text = terminal->TxtLineInput();
        terminal->ToevoegenTextBox(QStringLiteral("before\n"), 0);
        QFont chosen(QStringLiteral("DejaVu Serif"));
        chosen.setPointSize(15);
        chosen.setBold(true);
        chosen.setItalic(true);
        text->setFont(chosen);
        terminal->ToevoegenTextBox(QStringLiteral("after\n"), 0xFF00FF);
        int runs = 0;
        for (QTextBlock b = text->document()->firstBlock(); b.isValid(); b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QFont shown = it.fragment().charFormat().font().resolve(text->font());
                QCOMPARE(QFontInfo(shown).family(), QFontInfo(chosen).family());
                QVERIFY(shown.bold());
                QVERIFY(shown.italic());
                QCOMPARE(shown.pointSize(), 15);
                ++runs;
            }
        QVERIFY(runs >= 2);
    }

    void closedTakesNothingAndReopensEmpty()
    {
        terminal->ToevoegenBytes("before\r\n", 0);
        QVERIFY(!terminal->Tekst().isEmpty());
        QVERIFY(!terminal->close()); // the user's close only hides
        QVERIFY(!terminal->MenuAangevinkt());
        QVERIFY(terminal->Tekst().isEmpty());

        SimLine s(27);
        QVERIFY(s.open());
        s.sim.add("T542", 12, 1);
        configureSlot(1, "T542", 12, 1);
        QVERIFY(poll(1));
        QVERIFY(terminal->Tekst().isEmpty());

        QSignalSpy checks(terminal.get(), &frmTerminal::menuAangevinkt);
        terminal->mnuExtraTerminal_Click();
        QCOMPARE(checks.size(), 1);
        QVERIFY(terminal->MenuAangevinkt());
        QVERIFY(terminal->Tekst().isEmpty());
        QVERIFY(poll(1));
        QVERIFY(terminal->Tekst().contains(QStringLiteral("#012")));
    }

    void checkBoxesSetFlags_data()
    {
        QTest::addColumn<bool>("outgoing");
        QTest::addColumn<bool>("incoming");
        QTest::newRow("both") << true << true;
        QTest::newRow("sent only") << true << false;
        QTest::newRow("received only") << false << true;
        QTest::newRow("none") << false << false;
    }
    void checkBoxesSetFlags()
    {
        QFETCH(bool, outgoing);
        QFETCH(bool, incoming);
        QVERIFY(ToonCodeZenden && ToonCodeOntvangen); // every load switches both on
        terminal->CheckOutgoing()->click();
        terminal->CheckIncoming()->click();
        if (outgoing)
            terminal->CheckOutgoing()->click();
        if (incoming)
            terminal->CheckIncoming()->click();
        QCOMPARE(ToonCodeZenden, outgoing);
        QCOMPARE(ToonCodeOntvangen, incoming);
        terminal->CheckHexadecimaal()->click();
        QCOMPARE(ToonCodeZenden, outgoing);

        SimLine s(27);
        QVERIFY(s.open());
        s.sim.add("T542", 12, 1);
        configureSlot(1, "T542", 12, 1);
        QVERIFY(poll(1));
        QCOMPARE(terminal->Tekst().contains(QStringLiteral(">?")), outgoing);
        QCOMPARE(terminal->Tekst().contains(QStringLiteral("<?")), incoming);
    }

    void copyTakesWholeText()
    {
        for (int i = 0; i < 50; ++i)
            terminal->ToevoegenBytes(QByteArray("line ") + QByteArray::number(i) + "\r\n", 0);
        terminal->TxtLineInput()->moveCursor(QTextCursor::Start);
        terminal->TxtLineInput()->moveCursor(QTextCursor::Down, QTextCursor::KeepAnchor);
        terminal->CopyTerminal();
        QCOMPARE(QGuiApplication::clipboard()->text(), terminal->Tekst());
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(QStringLiteral("line 0\n")));
        QVERIFY(QGuiApplication::clipboard()->text().endsWith(QStringLiteral("line 49\n")));
    }

    void keepsNewestLines()
    {
        const int total = frmTerminal::MaxRegels + frmTerminal::TrimBlok * 3 + 17;
        for (int i = 0; i < total; ++i)
            terminal->ToevoegenBytes(QByteArray::number(i) + "\r\n", 0);
        const QTextDocument *doc = terminal->TxtLineInput()->document();
        const int lines = doc->blockCount() - 1; // the last block is the empty one after CR LF
        QVERIFY2(lines >= frmTerminal::MaxRegels, qPrintable(QString::number(lines)));
        QVERIFY2(lines <= frmTerminal::MaxRegels + frmTerminal::TrimBlok,
                 qPrintable(QString::number(lines)));
        QCOMPARE(doc->firstBlock().text(), QString::number(total - lines));
        QCOMPARE(doc->lastBlock().previous().text(), QString::number(total - 1));
    }

    void picture()
    {
        SimLine s(27);
        QVERIFY(s.open());
        Sim::Controller &c = s.sim.add("T5781", 3, 4);
        c.channel[3] = {"19.9", "\xf8" "C", false, {}};
        configureSlot(1, "T5781", 3, 4);
        terminal->resize(520, 260);
        terminal->show();
        for (int i = 0; i < 3; ++i)
            QVERIFY(poll(1));
        const QString path = QStringLiteral(QLV2_BINARY_DIR "/terminal.png");
        QVERIFY(terminal->grab().save(path));
    }
};

QTEST_MAIN(TestTerminal)
#include "tst_terminal.moc"
