#include "views/rackstop.h"

#include "core/conversions.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "instruments/connection.h"
#include "instruments/pollloop.h"
#include "instruments/protocol.h"
#include "instruments/transport.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "views/rack.h"

#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <QWindow>
#include <array>

using namespace Hoofdmodule;

namespace {

// The plain wait window: caption, state text and instruction, and the stop sign.
class PlainWaitWindow : public StopWachtvenster {
public:
    void toon(int, const QString &tekst, const QString &actie, const QString &titel) override
    {
        // No widget parent: a child of the disabled main window would be disabled with it.
        m_dialog = new QDialog(nullptr, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint);
        m_dialog->setObjectName(QStringLiteral("StopWachtvenster"));
        m_dialog->setAttribute(Qt::WA_DeleteOnClose);
        QWidget *main = MainLink::mainWindow();
        if (main && main->windowHandle()) {
            m_dialog->winId();
            m_dialog->windowHandle()->setTransientParent(main->windowHandle());
        }
        m_dialog->setWindowTitle(titel);
        auto *layout = new QVBoxLayout(m_dialog);
        auto *picture = new QLabel(m_dialog);
        picture->setPixmap(FormRack::stopPicture().scaled(120, 42, Qt::KeepAspectRatio));
        picture->setAlignment(Qt::AlignCenter);
        auto *text = new QLineEdit(tekst, m_dialog);
        text->setObjectName(QStringLiteral("TextActie"));
        text->setReadOnly(true);
        auto *label = new QLabel(actie, m_dialog);
        label->setObjectName(QStringLiteral("LabelActie"));
        layout->addWidget(picture);
        layout->addWidget(text);
        layout->addWidget(label);
        m_dialog->setMinimumWidth(320);
        m_mainEnabled = main ? main->isEnabled() : true;
        if (main)
            main->setEnabled(false);
        m_dialog->show();
    }
    void sluit() override
    {
        if (m_dialog)
            m_dialog->close();
        if (QWidget *main = MainLink::mainWindow())
            main->setEnabled(m_mainEnabled);
    }
    ~PlainWaitWindow() override { sluit(); }

private:
    QPointer<QDialog> m_dialog;
    bool m_mainEnabled = true;
};

std::unique_ptr<StopWachtvenster> makeWaitWindow()
{
    if (rackStopHooks().maakWachtvenster)
        if (auto window = rackStopHooks().maakWachtvenster())
            return window;
    return std::make_unique<PlainWaitWindow>();
}

std::array<bool, MaxToestellen + 1> &pending()
{
    static std::array<bool, MaxToestellen + 1> flags{};
    return flags;
}

} // namespace

RackStopHooks &rackStopHooks()
{
    static RackStopHooks hooks;
    return hooks;
}

QByteArray VerwachteEcho(const QString &model, qint32 idno, const QByteArray &commando)
{
    const QString family = model.trimmed().left(4);
    const bool firstOnly = family == QLatin1String("T574") || family == QLatin1String("T578")
                           || family == QLatin1String("T575");
    return AdresTekst(idno).toLatin1() + "\t<" + (firstOnly ? commando.left(1) : commando);
}

void ZendCommandoEnWachtOpAntwoord(qint16 slot, const QByteArray &Commando,
                                   const QString &TekstActie, const QString &Titel)
{
    if (slot < 1 || slot > MaxToestellen)
        return;
    std::unique_ptr<StopWachtvenster> window = makeWaitWindow();
    window->toon(102, Taaltekst(300), TekstActie, Titel);
    const QByteArray echo = VerwachteEcho(Toestel[slot].Type, Toestel[slot].Idno, Commando);
    const QByteArray frame = '>' + Commando;
    qint32 ms = 1000;
    WachtMilliseconden(ms);
    ZendCommando(slot, frame);
    InstrumentConnection &c = InstrumentConnection::current();
    QByteArray received;
    for (;;) {
        if (received.contains(echo) || !received.contains("\r\n")) {
            WachtOpAntwoord(received, "\r\n", 25);
            if (!c.CommConditiesOK())
                break; // the line is gone: nothing to ask
            bool cancelled = false;
            if (!received.contains(echo) && c.TellerCOMM() >= AntwoordWachttijd) {
                const int answer = WindowHost::current().message(
                    Taaltekst(296), MsgBox::RetryCancel | MsgBox::Exclamation, Titel);
                if (answer == MsgBox::Retry)
                    ZendCommando(slot, frame);
                else
                    cancelled = true;
            }
            if (received.contains(echo) || cancelled)
                break;
        } else {
            // A line that is not the echo: skipped.
            VerwijderTotRegeleinde(received);
        }
    }
    window->sluit();
}

bool StopCommandoBezig(qint16 slot)
{
    return slot >= 1 && slot <= MaxToestellen && pending()[size_t(slot)];
}

bool StopCommandoInWachtrij(qint16 slot, const QString &titel, std::function<void()> klaar)
{
    if (slot < 1 || slot > MaxToestellen || pending()[size_t(slot)])
        return false;
    pending()[size_t(slot)] = true;
    TussenOpvraagStappen([slot, titel, klaar = std::move(klaar)] {
        // Polling pauses for the length of the exchange only.
        const bool measuring = MetenActief;
        MetenActief = false;
        ZendCommandoEnWachtOpAntwoord(slot, Protocol::StopCommando[size_t(slot)], Taaltekst(304),
                                      titel);
        MetenActief = measuring;
        pending()[size_t(slot)] = false;
        if (klaar)
            klaar();
    });
    return true;
}
