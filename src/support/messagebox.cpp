#include "support/messagebox.h"

#include "core/shared.h"
#include "platform/dialogs.h"
#include "platform/pump.h"
#include "platform/registry.h"
#include "platform/windowtitle.h"
#include "support/language.h"
#include "support/mainlink.h"
#include "support/qttranslations.h"

#include <QAudioDevice>
#include <QFile>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMediaDevices>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSoundEffect>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

namespace {

// Design sizes in twips.
constexpr int KnopBreedte = 1215, KnopHoogte = 375;
constexpr int LabelLinks = 960, PlaatjeLinks = 120, PlaatjeBoven = 120, LabelBoven = 180;
// Each box stacked on another one sits this far lower and to the right.
constexpr int CascadePixels = 24;

QList<FormMelding *> &boxes()
{
    static QList<FormMelding *> list;
    return list;
}
QPointer<FormMelding> nietWachtend; // the open box that nobody waits for
QString laatsteGeluidBron;

double twipsPerPixel(const QScreen *screen)
{
    const double dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

QScreen *schermVan(const QWidget *w)
{
    if (QWidget *main = MainLink::mainWindow())
        if (main->screen())
            return main->screen();
    if (w && w->screen())
        return w->screen();
    return QGuiApplication::primaryScreen();
}

bool leesTwips(const QString &text, double &value)
{
    bool ok = false;
    value = text.trimmed().toDouble(&ok);
    return ok;
}

} // namespace

MeldingOpmaak BepaalMeldingOpmaak(int vlaggen)
{
    using namespace MsgBox;
    MeldingOpmaak m;
    switch (vlaggen & 7) {
    case OkOnly:
        m.knoppen = {Ok};
        m.focus = Ok;
        m.escape = Ok;
        break;
    case OkCancel:
        m.knoppen = {Ok, Cancel};
        m.focus = Ok;
        m.escape = Cancel;
        break;
    case AbortRetryIgnore:
        m.knoppen = {Abort, Retry, Ignore};
        m.focus = Retry;
        break;
    case YesNoCancel:
        m.knoppen = {Yes, No, Cancel};
        m.focus = Yes;
        m.escape = Cancel;
        break;
    case YesNo:
        m.knoppen = {Yes, No};
        m.focus = Yes;
        break;
    case RetryCancel:
        m.knoppen = {Retry, Cancel};
        m.focus = Retry;
        m.escape = Cancel;
        break;
    default:
        // 6 and 7 are outside the interface; an OK button keeps such a box answerable.
        m.knoppen = {Ok};
        m.focus = Ok;
        m.escape = Ok;
        break;
    }
    switch (vlaggen & 0x70) {
    case Critical:
        m.plaatje = QStringLiteral("ImageCritical");
        m.geluid = 104;
        break;
    case Question:
        m.plaatje = QStringLiteral("ImageQuestion");
        m.geluid = 107;
        break;
    case Exclamation:
        m.plaatje = QStringLiteral("ImageExclamation");
        m.geluid = 105;
        break;
    case Information:
        m.plaatje = QStringLiteral("ImageInformation");
        m.geluid = 106;
        break;
    default:
        m.plaatje = QStringLiteral("ImageExclamation");
        m.geluid = 108;
        break;
    }
    return m;
}

QString PlaatjeBron(const QString &plaatje)
{
    if (plaatje == QLatin1String("ImageCritical"))
        return QStringLiteral(":/icons/critical.png");
    if (plaatje == QLatin1String("ImageInformation"))
        return QStringLiteral(":/icons/information.png");
    if (plaatje == QLatin1String("ImageQuestion"))
        return QStringLiteral(":/icons/question.png");
    return QStringLiteral(":/icons/exclamation.png");
}

QString GeluidBestand(int geluid)
{
    return QStringLiteral(":/sounds/%1.wav").arg(geluid);
}

QPoint PlaatsMelding(const QString &topTwips, const QString &leftTwips, QSize box,
                     const QRect &screen, double tpp)
{
    const int defaultTop = screen.top() + (screen.height() - box.height()) / 2;
    const int defaultLeft = screen.left() + (screen.width() - box.width()) / 2;
    int top = defaultTop, left = defaultLeft;
    double value = 0;
    if (leesTwips(topTwips, value)) {
        const double px = value / tpp;
        if (px > 0 && px < screen.height())
            top = screen.top() + int(px);
    }
    if (leesTwips(leftTwips, value)) {
        const double px = value / tpp;
        if (px > 0 && px < screen.width())
            left = screen.left() + int(px);
    }
    // Pull a box that sticks out back onto the screen; its top left corner wins when the box
    // is larger than the screen.
    left = qMax(screen.left(), qMin(left, screen.left() + screen.width() - box.width()));
    top = qMax(screen.top(), qMin(top, screen.top() + screen.height() - box.height()));
    return {left, top};
}

FormMelding::FormMelding(int stapeling) : QDialog(nullptr), m_cascade(stapeling * CascadePixels)
{
    MainLink::ensureResources();
    QtTranslations::follow();
    setObjectName(QStringLiteral("FormMelding"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowIcon(QIcon(QStringLiteral(":/icons/program.png")));
    setSizeGripEnabled(false);

    const double tpp = twipsPerPixel(schermVan(this));
    auto px = [tpp](int twips) { return int(twips / tpp + 0.5); };

    m_picture = new QLabel(this);
    m_picture->setObjectName(QStringLiteral("PictureMelding"));
    m_picture->setFixedSize(32, 32);
    m_label = new QLabel;
    m_label->setObjectName(QStringLiteral("LabelMelding"));
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    m_scroll->setWidget(m_label);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->viewport()->setAutoFillBackground(false);
    m_label->setAutoFillBackground(false);

    auto *top = new QHBoxLayout;
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(px(LabelLinks - PlaatjeLinks) - 32);
    top->addWidget(m_picture, 0, Qt::AlignTop);
    auto *textColumn = new QVBoxLayout;
    textColumn->setContentsMargins(0, px(LabelBoven - PlaatjeBoven), 0, 0);
    textColumn->addWidget(m_scroll);
    top->addLayout(textColumn, 1);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(px(100));
    buttons->addStretch(1);
    static const char *names[] = {"CommandOK",    "CommandCancel", "CommandAbort", "CommandRetry",
                                  "CommandIgnore", "CommandYes",   "CommandNo"};
    for (int code = 1; code <= 7; ++code) {
        auto *b = new QPushButton(this);
        b->setObjectName(QLatin1String(names[code - 1]));
        b->setMinimumSize(px(KnopBreedte), px(KnopHoogte));
        b->setAutoDefault(true);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, code] { klik(code); });
        buttons->addWidget(b);
        m_knoppen.append(b);
    }
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(px(PlaatjeLinks), px(PlaatjeBoven), px(PlaatjeLinks), px(200));
    layout->setSpacing(px(300));
    layout->addLayout(top, 1);
    layout->addLayout(buttons);

    static const bool captionsFollow = [] {
        QObject::connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded,
                         &LanguageNotifier::instance(), &FormMelding::ZetKnopTeksten);
        return true;
    }();
    Q_UNUSED(captionsFollow);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this, [this] {
        zetTeksten();
        maakOp();
    });
    boxes().append(this);
}

FormMelding::~FormMelding() { boxes().removeAll(this); }

void FormMelding::ZetKnopTeksten()
{
    // The tables hold no Abort text: "Stop" (text 115) serves as the Abort caption.
    TekstOK = 140;
    TekstCANCEL = 141;
    TekstABORT = 115;
    TekstRETRY = 279;
    TekstIGNORE = 280;
    TekstYES = 99;
    TekstNO = 100;
}

QList<FormMelding *> FormMelding::openBoxes()
{
    QList<FormMelding *> open;
    for (FormMelding *b : boxes())
        if (!b->m_ontladen)
            open.append(b);
    return open;
}

QString FormMelding::laatsteGeluid() { return laatsteGeluidBron; }

QPushButton *FormMelding::knop(int antwoord) const
{
    return antwoord >= 1 && antwoord <= 7 ? m_knoppen[antwoord - 1] : nullptr;
}

void FormMelding::zetTeksten()
{
    setWindowTitle(MijnTitel.isEmpty() ? Taaltekst(298) : MijnTitel);
    const int indexes[] = {TekstOK, TekstCANCEL, TekstABORT, TekstRETRY,
                           TekstIGNORE, TekstYES, TekstNO};
    for (int i = 0; i < 7; ++i)
        m_knoppen[i]->setText(Taaltekst(indexes[i]));
}

// Sizes the text: one line per line of the message, wrapped only where it would be wider than
// the screen, and scrolled where it would be taller.
void FormMelding::maakOp()
{
    QScreen *screen = schermVan(this);
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const double tpp = twipsPerPixel(screen);
    const QMargins m = layout()->contentsMargins();
    const int chrome = m.left() + m.right() + 32 + layout()->itemAt(0)->layout()->spacing();
    const int frameExtra = qMax(0, frameGeometry().width() - width());
    const int maxLabelWidth = qMax(100, avail.width() - int(200 / tpp) - chrome - frameExtra);

    m_label->setWordWrap(false);
    QSize hint = m_label->sizeHint();
    if (hint.width() > maxLabelWidth) {
        m_label->setWordWrap(true);
        hint = QSize(maxLabelWidth, m_label->heightForWidth(maxLabelWidth));
    }
    const int buttonsHeight = int(KnopHoogte / tpp) + layout()->spacing() + m.top() + m.bottom();
    const int titleBar = qMax(0, frameGeometry().height() - height());
    const int maxLabelHeight = qMax(60, avail.height() - buttonsHeight - titleBar - 20);
    int w = hint.width(), h = hint.height();
    if (h > maxLabelHeight) {
        h = maxLabelHeight;
        w = qMin(maxLabelWidth, w + m_scroll->verticalScrollBar()->sizeHint().width());
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    } else {
        m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    m_scroll->setFixedSize(w, h);

    // At least room for one button more than the set holds, as the box always had.
    const int n = int(m_opmaak.knoppen.size());
    layout()->activate();
    QSize size = layout()->sizeHint();
    size.setWidth(qMax(size.width(), int(((n + 1) * KnopBreedte + 400) / tpp)));
    // The title (often a shortened path) is read in full: the frame draws it bold beside its
    // icon and its buttons.
    size.setWidth(qMin(qMax(size.width(), titleBarWidth(*this, windowTitle())),
                       qMax(size.width(), avail.width() - frameExtra)));
    setFixedSize(size);
}

void FormMelding::Form_Load()
{
    m_geladen = true;
    QScreen *screen = schermVan(this);
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const double tpp = twipsPerPixel(screen);
    const QString app = Hoofdmodule::RegisterNaam;
    const QPoint place = PlaatsMelding(Registry::read(app, "Messagewindow", "Top"),
                                       Registry::read(app, "Messagewindow", "Left"),
                                       frameGeometry().size(), avail, tpp);
    MeldingTop = (place.y() - avail.top()) * tpp;
    MeldingLeft = (place.x() - avail.left()) * tpp;
}

void FormMelding::InitialisatieMelding()
{
    m_opmaak = BepaalMeldingOpmaak(MijnVlaggen);
    GeklikteToets = 0;
    Geluid = m_opmaak.geluid;
    Plaatje = m_opmaak.plaatje;
    m_label->setText(MijnMelding);
    m_picture->setPixmap(QPixmap(PlaatjeBron(Plaatje)));

    for (QPushButton *b : m_knoppen) {
        b->hide();
        b->setDefault(false);
    }
    // The set's buttons, left to right in the set's order, between the two stretches.
    auto *row = static_cast<QBoxLayout *>(layout()->itemAt(1)->layout());
    for (int code : m_opmaak.knoppen)
        row->removeWidget(m_knoppen[code - 1]);
    int at = 1;
    for (int code : m_opmaak.knoppen) {
        row->insertWidget(at++, m_knoppen[code - 1]);
        m_knoppen[code - 1]->show();
    }

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                            | Qt::WindowStaysOnTopHint;
    if (m_opmaak.escape)
        flags |= Qt::WindowCloseButtonHint;
    if (windowFlags() != flags)
        setWindowFlags(flags);
    if (QWidget *main = MainLink::mainWindow())
        if (!windowHandle() || windowHandle()->transientParent() != main->windowHandle()) {
            create();
            windowHandle()->setTransientParent(main->windowHandle());
        }

    zetTeksten();
    maakOp();
    if (!m_geladen)
        Form_Load();

    QScreen *screen = schermVan(this);
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const double tpp = twipsPerPixel(screen);
    // Re-check the place with the box's real size, so that a large box stays on the screen.
    QPoint place = PlaatsMelding(QString::number(MeldingTop), QString::number(MeldingLeft),
                                 frameGeometry().size(), avail, tpp)
                   + QPoint(m_cascade, m_cascade);
    move(place);
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
    QPushButton *focus = m_knoppen[m_opmaak.focus - 1];
    focus->setDefault(true);
    focus->setFocus(Qt::OtherFocusReason);
    repaint();
    SpeelGeluid();
}

QString FormMelding::LaadGeluid(qint16 nr)
{
    MainLink::ensureResources();
    const QString file = GeluidBestand(nr);
    if (!QFile::exists(file))
        return {};
    return QStringLiteral("qrc") + file;
}

void FormMelding::SpeelGeluid()
{
    const QString source = LaadGeluid(Geluid);
    laatsteGeluidBron = source;
    // No sound device (a server, the test machine) leaves the box silent.
    if (source.isEmpty() || QMediaDevices::audioOutputs().isEmpty())
        return;
    if (!m_effect)
        m_effect = new QSoundEffect(this);
    m_effect->stop();
    m_effect->setSource(QUrl(source));
    m_effect->play();
}

void FormMelding::klik(int antwoord)
{
    if (m_ontladen)
        return;
    GeklikteToets = qint16(antwoord);
    if (MijnVlaggen & MsgBox::DoNotWait) {
        Ontladen();
        deleteLater();
    }
}

void FormMelding::reject()
{
    // Escape and a close by the frame answer as the set's Escape button; without one they do
    // nothing, and the box stays until a button is pressed.
    if (m_opmaak.escape && GeklikteToets == 0)
        klik(m_opmaak.escape);
}

void FormMelding::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        reject();
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void FormMelding::Ontladen()
{
    if (m_ontladen)
        return;
    m_ontladen = true;
    QScreen *screen = schermVan(this);
    const QRect avail = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const double tpp = twipsPerPixel(screen);
    const QPoint p = frameGeometry().topLeft() - QPoint(m_cascade, m_cascade);
    MeldingTop = (p.y() - avail.top()) * tpp;
    MeldingLeft = (p.x() - avail.left()) * tpp;
    const QString app = Hoofdmodule::RegisterNaam;
    Registry::write(app, "Messagewindow", "Top", QString::number(qRound(MeldingTop)));
    Registry::write(app, "Messagewindow", "Left", QString::number(qRound(MeldingLeft)));
    hide();
}

qint16 TonenMelding(const QString &melding, qint32 vlaggen, const QString &titel)
{
    const bool wachten = !(vlaggen & MsgBox::DoNotWait);
    QPointer<QWidget> main = MainLink::mainWindow();
    const bool mainEnabled = main ? main->isEnabled() : true;

    FormMelding *box = nietWachtend;
    if (!box || box->GeklikteToets != 0) {
        int stacked = 0;
        for (FormMelding *b : FormMelding::openBoxes())
            if (b != nietWachtend)
                ++stacked;
        box = new FormMelding(stacked);
    }
    nietWachtend = wachten ? nullptr : box;
    box->MijnMelding = melding;
    box->MijnTitel = titel;
    box->MijnVlaggen = vlaggen;
    box->InitialisatieMelding();
    if (!wachten)
        return 0;

    QPointer<FormMelding> guard = box;
    Pump::until([&] { return !guard || guard->GeklikteToets != 0; });
    qint16 antwoord = guard ? guard->GeklikteToets : qint16(0);
    if (antwoord == 0) {
        // The program is closing: answer as Escape would, Cancel where there is no Escape.
        const int escape = BepaalMeldingOpmaak(vlaggen).escape;
        antwoord = qint16(escape ? escape : MsgBox::Cancel);
    }
    if (guard) {
        guard->Ontladen();
        delete guard.data();
    }
    if (main)
        main->setEnabled(mainEnabled);
    MainLink::blankMessagePanel();
    return antwoord;
}

QString GenomenInPlaatsVan(const QString &veld, const QString &getypt, const QString &genomen)
{
    // One pass over the text, so that a placeholder sign in what was typed stays as it is.
    const QString sjabloon = Taaltekst(520);
    QString tekst;
    for (qsizetype i = 0; i < sjabloon.size();) {
        if (sjabloon.mid(i, 2) == QLatin1String("$$")) {
            tekst += veld;
            i += 2;
        } else if (sjabloon.mid(i, 2) == QLatin1String("##")) {
            tekst += genomen;
            i += 2;
        } else if (sjabloon[i] == u'#') {
            tekst += getypt;
            ++i;
        } else {
            tekst += sjabloon[i++];
        }
    }
    return tekst;
}

void MeldGenomenInPlaatsVan(QWidget *parent, const QString &veld, const QString &getypt,
                            const QString &genomen, const QString &titel)
{
    DialogProvider::current().messageBox(parent, GenomenInPlaatsVan(veld, getypt, genomen),
                                         MsgBox::OkOnly | MsgBox::Information, titel);
}
