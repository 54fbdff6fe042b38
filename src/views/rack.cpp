#include "views/rack.h"

#include "core/shared.h"
#include "core/slots.h"
#include "support/language.h"
#include "views/readingdisplay.h"
#include "views/rackstop.h"
#include "core/windowsettings.h"
#include "platform/dialogs.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QUrl>
#include <cmath>

RackVensterTabel RackVenster;

QString RackAdresTekst(qint32 idno)
{
    return QStringLiteral("#") + QStringLiteral("%1").arg(idno, 3, 10, QLatin1Char('0'));
}

// ---------------------------------------------------------------------------------------------

RackLamp::RackLamp(QWidget *parent) : QWidget(parent), m_colour(160, 160, 160) {}

void RackLamp::setColour(const QColor &colour)
{
    if (colour == m_colour)
        return;
    m_colour = colour;
    update();
}

void RackLamp::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(m_colour);
    const int d = qMin(width(), height()) - 2;
    p.drawEllipse(QRectF(1, 1, d, d));
}

// ---------------------------------------------------------------------------------------------

namespace {
QLabel *makeLabel(QWidget *parent, const QColor &fore, const QColor &back, Qt::Alignment align)
{
    auto *label = new QLabel(parent);
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, fore);
    if (back.isValid()) {
        pal.setColor(QPalette::Window, back);
        label->setAutoFillBackground(true);
    }
    label->setPalette(pal);
    label->setAlignment(align);
    return label;
}

QFont smallFont()
{
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(8.25);
    return f;
}

int roundTw(double v)
{
    return int(std::lround(v));
}
} // namespace

FormRack::FormRack(qint16 slot, QWidget *parent) : QWidget(parent), Ti(slot)
{
    setAcceptDrops(true);
    resize(DesignWidth / 15, DesignHeight / 15);
    // The window paints its own background, so a changed label is repainted on its own
    // instead of from the frame of the window in the work area downwards.
    setAutoFillBackground(true);

    m_picture = new QWidget(this);
    m_picture->setAutoFillBackground(true);
    QPalette panel = m_picture->palette();
    panel.setColor(QPalette::Window, QColor(0xC8, 0xCC, 0xD0));
    panel.setColor(QPalette::WindowText, Qt::black);
    m_picture->setPalette(panel);

    m_band = new QWidget(this);
    m_band->setAutoFillBackground(true);
    QPalette band = m_band->palette();
    band.setColor(QPalette::Window, QColor(0x38, 0x44, 0x5C));
    m_band->setPalette(band);

    m_lamp = new RackLamp(this);
    // The lamp lies on the band: drawn on the band's colour it repaints without the band.
    m_lamp->setPalette(band);
    m_lamp->setAutoFillBackground(true);
    m_module = makeLabel(this, Qt::white, QColor(), Qt::AlignLeft | Qt::AlignVCenter);
    QFont moduleFont = smallFont();
    moduleFont.setBold(true);
    m_module->setFont(moduleFont);
    m_module->installEventFilter(this);

    for (int k = 0; k < 4; ++k) {
        m_kanaal[size_t(k)] = makeLabel(this, Qt::black, QColor(), Qt::AlignLeft | Qt::AlignVCenter);
        m_waarde[size_t(k)] = makeLabel(this, QColor(0, 255, 0), Qt::black,
                                        Qt::AlignRight | Qt::AlignVCenter);
        m_waarde[size_t(k)]->setContentsMargins(0, 0, 4, 0);
        m_eenheid[size_t(k)] = makeLabel(this, Qt::black, QColor(0xE0, 0xE0, 0xE0),
                                         Qt::AlignLeft | Qt::AlignVCenter);
        m_eenheid[size_t(k)]->setText(QStringLiteral("--"));
        m_eenheid[size_t(k)]->setContentsMargins(3, 0, 0, 0);
        for (QLabel *l : {m_kanaal[size_t(k)], m_waarde[size_t(k)], m_eenheid[size_t(k)]})
            l->installEventFilter(this);
    }
    StandaardLettertypen();

    m_statusBar = new QStatusBar(this);
    m_statusBar->setSizeGripEnabled(false);
    m_statusBar->setAutoFillBackground(true);
    for (int n = 0; n < 4; ++n) {
        auto *p = new QLabel(m_statusBar);
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setFont(smallFont());
        p->setContentsMargins(2, 0, 2, 0);
        // A new time or status text repaints only its panel (see setAutoFillBackground above).
        p->setAutoFillBackground(true);
        m_panels[size_t(n)] = p;
        m_statusBar->addWidget(p, n == 1 ? 1 : 0);
    }
    m_panels[0]->setAlignment(Qt::AlignCenter);
    // The one-text look (manual service, disabled) covers the panels. Its texts run longer
    // than a narrow window in some languages: the text wraps and the status bar grows a line.
    m_statusText = new QLabel(m_statusBar);
    m_statusText->setFont(smallFont());
    m_statusText->setWordWrap(true);
    m_statusText->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_statusText->setContentsMargins(4, 2, 4, 2);
    m_statusText->setAutoFillBackground(true);
    m_statusText->hide();
    m_panels[2]->setMinimumWidth(40);
    // The stop panel and the time panel change with every reading: at a fixed size a new text
    // only repaints the panel instead of laying out the whole status bar again.
    const int panelHeight = qMax(QFontMetrics(smallFont()).height(), stopPicture().height())
        + 2 * m_panels[0]->frameWidth();
    m_panels[0]->setFixedSize(44, panelHeight);
    m_panels[3]->setText(QStringLiteral("88:88:88 "));
    m_panels[3]->setFixedSize(qMax(56, m_panels[3]->sizeHint().width()), panelHeight);
    m_panels[3]->clear();
    m_panelBarHeight = m_statusBar->sizeHint().height();
    for (QLabel *p : m_panels)
        p->installEventFilter(this);

    // Design geometry (left, top, width, height) in twips.
    auto add = [this](QWidget *w, int l, int t, int wd, int h) {
        m_placed.push_back({w, QRect(l, t, wd, h)});
    };
    add(m_picture, 0, 0, 3735, 1995);
    add(m_band, -120, -60, 4065, 315);
    add(m_lamp, 60, 45, 150, 150);
    add(m_module, 240, 60, 3375, 195);
    add(m_kanaal[0], 60, 300, 1695, 195);
    add(m_kanaal[1], 1860, 300, 1515, 195);
    add(m_kanaal[2], 60, 1140, 1515, 195);
    add(m_kanaal[3], 1860, 1140, 1515, 195);
    add(m_waarde[0], 60, 540, 915, 480);
    add(m_waarde[1], 1860, 540, 915, 480);
    add(m_waarde[2], 60, 1380, 915, 480);
    add(m_waarde[3], 1860, 1380, 915, 480);
    add(m_eenheid[0], 1020, 540, 795, 555);
    add(m_eenheid[1], 2820, 540, 795, 555);
    add(m_eenheid[2], 1020, 1320, 795, 555);
    add(m_eenheid[3], 2820, 1320, 795, 555);
    for (Placed &p : m_placed)
        apply(p);

    ToonStopPaneel(false);
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            &FormRack::LaadStrings);

    // What the window does when it is first loaded.
    LaadStrings();
    setProperty("Tag", QStringLiteral("meting%1").arg(Ti));
    setObjectName(QStringLiteral("meting%1").arg(Ti));
    FormInstellenControls();
    Hoofdmodule::InstellingenGewijzigd = true;
}

int FormRack::twipsPerPixel() const
{
    const int dpi = logicalDpiX();
    return dpi > 0 ? qMax(1, 1440 / dpi) : 15;
}

FormRack::Placed &FormRack::placed(const QWidget *control)
{
    for (Placed &p : m_placed)
        if (p.widget == control)
            return p;
    Q_ASSERT(false);
    return m_placed.front();
}

QRect FormRack::twipsOf(const QWidget *control) const
{
    for (const Placed &p : m_placed)
        if (p.widget == control)
            return p.tw;
    return QRect();
}

void FormRack::apply(Placed &p)
{
    const double tpp = twipsPerPixel();
    const int l = int(std::floor(p.tw.left() / tpp));
    const int t = int(std::floor(p.tw.top() / tpp));
    const int r = int(std::floor((p.tw.left() + p.tw.width()) / tpp));
    const int b = int(std::floor((p.tw.top() + p.tw.height()) / tpp));
    // A fixed size: a new reading's text then repaints its label only, instead of asking the
    // window for a layout it does not have (the rack places its controls itself).
    p.widget->setFixedSize(qMax(0, r - l), qMax(0, b - t));
    p.widget->move(l, t);
}

void FormRack::setFontPoints(QLabel *label, int points)
{
    if (points <= 0)
        return;
    QFont f = label->font();
    if (f.pointSize() != points) {
        f.setPointSize(points);
        label->setFont(f);
    }
}

QFont FormRack::StandaardWaardeLettertype()
{
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    return f;
}

QFont FormRack::StandaardKanaalLettertype() { return smallFont(); }

FormRack::Lettertypen FormRack::HuidigeLettertypen() const
{
    Lettertypen l;
    for (size_t k = 0; k < 4; ++k) {
        l.waarde[k] = m_waarde[k]->font();
        l.eenheid[k] = m_eenheid[k]->font();
    }
    return l;
}

void FormRack::ZetLettertypen(const Lettertypen &lettertypen)
{
    for (size_t k = 0; k < 4; ++k) {
        m_waarde[k]->setFont(lettertypen.waarde[k]);
        m_eenheid[k]->setFont(lettertypen.eenheid[k]);
    }
}

void FormRack::StandaardLettertypen()
{
    for (QLabel *kanaal : m_kanaal) {
        kanaal->setFont(StandaardKanaalLettertype());
        QPalette palette = kanaal->palette();
        palette.setColor(QPalette::WindowText, Qt::black);
        kanaal->setPalette(palette);
    }
    for (size_t k = 0; k < 4; ++k) {
        m_waarde[k]->setFont(StandaardWaardeLettertype());
        m_eenheid[k]->setFont(QFont()); // the window's own
    }
}

void FormRack::ZetWaardeLettertype(const QFont &font)
{
    for (int k = 0; k < 4; ++k) {
        m_waarde[size_t(k)]->setFont(font);
        QLabel *unit = m_eenheid[size_t(k)];
        const qreal size = unit->font().pointSizeF();
        const QPalette palette = unit->palette();
        QFont unitFont = font;
        if (size > 0)
            unitFont.setPointSizeF(size);
        unit->setFont(unitFont);
        unit->setPalette(palette);
    }
}

void FormRack::LaadStrings()
{
    m_panels[0]->setToolTip(Taaltekst(304));
    m_panels[1]->setToolTip(Taaltekst(286));
    m_panels[2]->setToolTip(Taaltekst(320));
    m_panels[3]->setToolTip(Taaltekst(287));
    m_module->setToolTip(Taaltekst(288));
    // The caption and a status text shown are the program's texts as well.
    LaadVensterTitel();
    if (!m_statusText->isHidden())
        TonenMeting(*this, false);
}

void FormRack::FormInstellenControls()
{
    if (QWidget *c = container(); c->isMinimized() || c->isMaximized())
        c->showNormal();
    const qint16 kanalen = (Ti >= 1 && Ti <= MaxToestellen) ? Toestel[Ti].Kanalen : 0;
    for (int k = 0; k < 4; ++k) {
        QFont unit = m_eenheid[size_t(k)]->font();
        unit.setFamily(m_waarde[size_t(k)]->font().family());
        m_eenheid[size_t(k)]->setFont(unit);
        const bool shown = k < kanalen;
        m_kanaal[size_t(k)]->setVisible(shown);
        m_waarde[size_t(k)]->setVisible(shown);
        m_eenheid[size_t(k)]->setVisible(shown);
    }
    WissenVensterMetingen();
    LaadVensterTitel();
    Form_Resize();
    update();
}

void FormRack::WissenVensterMetingen()
{
    TonenMeting(*this, true);
    Hoofdmodule::CyclusRond = false;
    Hoofdmodule::CyclusVoltooid = false;
}

void FormRack::LaadVensterTitel()
{
    if (Ti < 1 || Ti > MaxToestellen)
        return;
    ToestelGegevens &t = Toestel[Ti];
    m_module->setText(t.Naam.trimmed());
    t.Type = t.Type.trimmed();
    qint32 idno = t.Idno;
    const QString title = Taaltekst(129) + QString::number(Ti) + QStringLiteral(": ") + t.Type
        + QLatin1Char(' ') + RackAdresTekst(ControleerIdno(idno));
    setWindowTitle(title);
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->setWindowTitle(title);
    if (!ToestelGeldig(Ti))
        return;
    for (int n = 1; n <= MaxKanalen; ++n) {
        KanaalGegevens &c = t.Kanaal[size_t(n)];
        c.Naam = c.Naam.trimmed();
        m_kanaal[size_t(n - 1)]->setText(c.Naam.isEmpty() ? QStringLiteral("CH%1").arg(n) : c.Naam);
    }
}

int FormRack::statusBarHeight()
{
    if (m_statusText->isHidden()) {
        m_panelBarHeight = m_statusBar->sizeHint().height();
        return m_panelBarHeight;
    }
    return qMax(m_panelBarHeight, m_statusText->heightForWidth(width()));
}

void FormRack::Form_Resize()
{
    if (!layOut())
        return;
    Hoofdmodule::InstellingenGewijzigd = true;
}

bool FormRack::layOut()
{
    if (m_inLayout || container()->isMinimized())
        return false;
    m_inLayout = true;
    const int tpp = twipsPerPixel();
    const int W = width() * tpp;
    const int H = height() * tpp;
    const int kanalen = (Ti >= 1 && Ti <= MaxToestellen) ? qBound(0, int(Toestel[Ti].Kanalen), 4) : 0;
    const double S = kanalen < 3 ? 1.0 : 0.5;
    const int barHeight = statusBarHeight();
    const int statusHeight = barHeight * tpp;

    Placed &picture = placed(m_picture);
    Placed &band = placed(m_band);
    Placed &module = placed(m_module);
    if (H - statusHeight > 0)
        picture.tw.setHeight(H - statusHeight);
    if (W > 0) {
        picture.tw.setWidth(W);
        band.tw.setWidth(W + 120);
    }
    if (band.tw.width() - module.tw.left() - 500 > 0)
        module.tw.setWidth(band.tw.width() - module.tw.left() - 500);

    const int channelHeight = placed(m_kanaal[1]).tw.height();
    for (int k = 0; k < kanalen; ++k) {
        Placed &name = placed(m_kanaal[size_t(k)]);
        Placed &value = placed(m_waarde[size_t(k)]);
        Placed &unit = placed(m_eenheid[size_t(k)]);
        const double F = (k == 0 && kanalen == 1) ? 2.0 : 1.0;
        if (W > 0) {
            // The name has its whole column, less the margins: a quarter of the window cut
            // longer names (and the Dutch and French ones) short.
            const int nameWidth = (kanalen == 1 ? W : W / 2) - 120;
            if (nameWidth > 0)
                name.tw.setWidth(nameWidth);
            value.tw.setWidth(roundTw(W * F) / 3);
        }
        const double A = (picture.tw.height() - statusHeight - band.tw.height()) * S - channelHeight;
        if (A > 0) {
            value.tw.setHeight(roundTw(A) + (S > 0.99 ? 60 : 0));
        }
        int points = m_waarde[size_t(k)]->font().pointSize();
        if (value.tw.height() / 27 > 0)
            points = value.tw.height() / 27;
        if (value.tw.height() * 3 > value.tw.width())
            points = value.tw.width() / 81;
        setFontPoints(m_waarde[size_t(k)], points);
        if (k >= 2) {
            const QRect above = placed(m_waarde[size_t(k - 2)]).tw;
            name.tw.moveTop(above.top() + above.height() + 30);
            value.tw.moveTop(name.tw.top() + name.tw.height() + 30);
        }
        if (k % 2 == 1) {
            name.tw.moveLeft(W / 2);
            value.tw.moveLeft(W / 2);
        }
        unit.tw.setWidth(roundTw(picture.tw.width() - (2.0 / F) * value.tw.width()) / 2);
        unit.tw.moveLeft(value.tw.left() + value.tw.width() + 10);
        unit.tw.moveTop(value.tw.top());
        unit.tw.setHeight(value.tw.height());
        int unitPoints = unit.tw.width() / 70;
        unitPoints = qMin(unitPoints, m_waarde[size_t(k)]->font().pointSize());
        setFontPoints(m_eenheid[size_t(k)], unitPoints);
    }
    for (Placed &p : m_placed)
        apply(p);
    m_statusBar->setFixedSize(width(), barHeight);
    m_statusBar->move(0, height() - barHeight);
    m_statusText->setGeometry(0, 0, width(), barHeight);
    m_band->lower();
    m_picture->lower();
    m_inLayout = false;
    return true;
}

void FormRack::FormCopy()
{
    QString text = m_panels[3]->text();
    for (int k = 0; k < 4; ++k) {
        if (m_waarde[size_t(k)]->isHidden())
            continue;
        text += QLatin1Char('\t') + m_waarde[size_t(k)]->text() + QLatin1Char('\t')
            + m_eenheid[size_t(k)]->text();
    }
    QGuiApplication::clipboard()->setText(text + QStringLiteral("\r\n"));
}

QWidget *FormRack::container() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return const_cast<FormRack *>(this);
}

bool FormRack::Zichtbaar() const
{
    return !container()->isHidden();
}

void FormRack::Form_Activate()
{
    QWidget *c = container();
    if (c->isMinimized() || c->isMaximized())
        return;
    QSize screen;
    if (c->parentWidget())
        screen = c->parentWidget()->size();
    else if (QScreen *s = c->screen())
        screen = s->availableGeometry().size();
    QPoint pos = c->pos();
    if (pos.y() < 0 || (screen.isValid() && pos.y() >= screen.height()))
        pos.setY(0);
    if (pos.x() < 0 || (screen.isValid() && pos.x() >= screen.width()))
        pos.setX(0);
    if (pos != c->pos())
        c->move(pos);
    LaadVensterTitel();
    emit geactiveerd();
}

void FormRack::ToonStopPaneel(bool gestopt)
{
    // Every reading passes here: a panel that already looks right is left alone, so it is not
    // laid out and repainted again.
    if (m_stopShown && m_stopSunken == gestopt)
        return;
    m_stopShown = true;
    m_stopSunken = gestopt;
    QLabel *p = m_panels[0];
    if (gestopt) {
        p->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        p->setText(QString());
        p->setPixmap(stopPicture());
    } else {
        p->setFrameStyle(QFrame::Panel | QFrame::Raised);
        p->setPixmap(QPixmap());
        p->setText(QStringLiteral("STOP"));
    }
}

void FormRack::ToonStatusTekst(const QString &text)
{
    if (!m_statusText->isHidden() && m_statusText->text() == text)
        return; // every reading of a controller in manual service shows it again
    for (QLabel *p : m_panels)
        p->hide();
    m_statusText->setText(text);
    m_statusText->show();
    m_statusText->raise();
    fitStatusBar();
}

void FormRack::ToonPanelen()
{
    if (m_statusText->isHidden())
        return;
    m_statusText->hide();
    m_statusText->clear();
    for (QLabel *p : m_panels)
        p->show();
    fitStatusBar();
}

void FormRack::fitStatusBar()
{
    // Only a change of height moves the blocks above; the settings do not change by it.
    if (statusBarHeight() != m_statusBar->height())
        layOut();
}

QString FormRack::StatusTekst() const
{
    return m_statusText->isHidden() ? QString() : m_statusText->text();
}

namespace {
QPixmap drawStopPicture()
{
    // A small red stop sign with the word, the size of the panel's picture.
    QPixmap pixmap(40, 14);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(200, 0, 0));
    p.drawRoundedRect(QRectF(0.5, 0.5, 39, 13), 3, 3);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRect(0, 0, 40, 14), Qt::AlignCenter, QStringLiteral("STOP"));
    return pixmap;
}
} // namespace

QPixmap FormRack::stopPicture()
{
    // Drawn once: every rack window shows the same sign whenever its controller stops.
    static const QPixmap picture = drawStopPicture();
    return picture;
}

QColor FormRack::greyTextColour()
{
    return QApplication::palette().color(QPalette::Disabled, QPalette::WindowText);
}

void FormRack::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    Form_Resize();
}

void FormRack::closeEvent(QCloseEvent *event)
{
    if (m_allowClose) {
        event->accept();
        return;
    }
    // The user's close only hides the window: it keeps its place and comes back from the menu.
    Hoofdmodule::InstellingenGewijzigd = true;
    emit instellingenGewijzigd();
    event->ignore();
    container()->hide();
}

bool FormRack::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return QWidget::event(event);
}

void FormRack::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void FormRack::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        emit bestandGesleept(urls.first().toLocalFile());
    }
}

void FormRack::StatusBar_PanelClick(int Panel)
{
    // Panel 1 is the one keyed "Stop".
    if (!Hoofdmodule::MetenActief || Panel != 1 || StopCommandoBezig(Ti))
        return;
    const QString title = QStringLiteral("STOP ") + windowTitle();
    const int answer = WindowHost::current().message(
        Taaltekst(m_stopSunken ? 302 : 301), MsgBox::YesNo | MsgBox::Question, title);
    if (answer != MsgBox::Yes)
        return;
    QPointer<FormRack> self = this;
    StopCommandoInWachtrij(Ti, title, [self] {
        // The look follows the click whatever came back; the next reading sets it again.
        if (self)
            self->ToonStopPaneel(!self->m_stopSunken);
    });
}

bool FormRack::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int n = 1; n <= 4; ++n)
            if (watched == m_panels[size_t(n - 1)]) {
                StatusBar_PanelClick(n);
                return true;
            }
    }
    if (event->type() == QEvent::MouseButtonDblClick) {
        // The double-click is taken here: passed on, it would reach the main window's work
        // area, whose own double-click opens the general settings as well.
        if (watched == m_module) {
            emit instellingenGevraagd(Ti, -1);
            return true;
        }
        for (int k = 0; k < 4; ++k)
            if (watched == m_kanaal[size_t(k)] || watched == m_waarde[size_t(k)]
                || watched == m_eenheid[size_t(k)]) {
                emit instellingenGevraagd(Ti, k);
                return true;
            }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------------------------------------

FormRack *RackVensterTabel::operator[](int slot)
{
    if (slot < 1 || slot > MaxToestellen)
        return nullptr;
    QPointer<FormRack> &entry = m_windows[size_t(slot)];
    if (!entry) {
        entry = new FormRack(qint16(slot));
        if (m_maker)
            m_maker(entry);
    }
    return entry;
}

FormRack *RackVensterTabel::bestaand(int slot) const
{
    if (slot < 1 || slot > MaxToestellen)
        return nullptr;
    return m_windows[size_t(slot)];
}

void RackVensterTabel::Ontladen()
{
    for (auto &entry : m_windows) {
        if (!entry)
            continue;
        entry->setAfsluitenToegestaan(true);
        if (auto *sub = qobject_cast<QMdiSubWindow *>(entry->parentWidget()))
            delete sub;
        else
            delete entry.data();
        entry.clear();
    }
}
