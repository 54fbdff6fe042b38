#include "views/table.h"

#include <QFontMetrics>

#include "core/conversions.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/datetimetext.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "platform/registry.h"
#include "printing/tableprint.h"
#include "support/language.h"
#include "views/rack.h"
#include "views/tableedits.h"
#include "core/services.h"
#include "core/datafile.h"
#include "core/windowsettings.h"
#include "support/utilities.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QCursor>
#include <QFileInfo>
#include <QGridLayout>
#include <QHeaderView>
#include <QStyle>
#include <QKeyEvent>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QTabBar>
#include <QUrl>
#include <QVBoxLayout>

using namespace Hoofdmodule;

namespace {
constexpr quint32 TimeColumns = (1u << 1) | (1u << 2);

// The next quoted field of a data-file line from `pos` on; `pos` moves past its closing quote,
// or to the end when there is none. Commas are never looked at: fields are found by their
// quotes.
QStringView takeField(QStringView line, qsizetype &pos)
{
    // A plain loop: fields are a few characters long, too short for a library search to pay.
    const char16_t *text = line.utf16();
    const qsizetype size = line.size();
    qsizetype open = pos;
    while (open < size && text[open] != u'"')
        ++open;
    if (open >= size) {
        pos = size;
        return QStringView();
    }
    qsizetype close = open + 1;
    while (close < size && text[close] != u'"')
        ++close;
    pos = close < size ? close + 1 : size;
    return QStringView(text + open + 1, close - open - 1);
}
// QString::trimmed() without its call when there is nothing to trim, as in nearly every
// reading.
QString trimmedText(const QString &text)
{
    if (text.isEmpty() || (!text.front().isSpace() && !text.back().isSpace()))
        return text;
    return text.trimmed();
}

// Makes rows up to `row` exist, each numbered; a fresh grid's first row has no number yet.
void catchUp(GridData &g, qint32 row)
{
    if (g.rows() >= row + 1)
        return;
    const qint32 last = g.rows() - 1;
    if (last >= 1 && g.textMatrix(last, 0).isEmpty())
        g.setTextMatrix(last, 0, QString::number(last));
    while (g.rows() < row + 1)
        g.appendNumberedRow();
}
} // namespace

QString TabelToestelLabel(int slot)
{
    const ToestelGegevens &t = Toestel[slot];
    const QString name = t.Naam.trimmed();
    if (!name.isEmpty())
        return name;
    return t.Type.trimmed() + QLatin1Char(' ') + RackAdresTekst(t.Idno);
}

QString TabelTijdTekst(const QDateTime &moment, int col)
{
    if (!RelatieveTijd || !TijdBasis.isValid()) {
        return col == 1 ? DateTimeText::formatDate(moment.date())
                        : DateTimeText::formatTime(moment.time());
    }
    // Whole seconds from the reference's second to the row's: the difference of what the two
    // rows show, also for times held to the millisecond.
    qint64 d = moment.toSecsSinceEpoch() - TijdBasis.toSecsSinceEpoch();
    const QString sign = d >= 0 ? QStringLiteral("+") : QStringLiteral("-");
    d = qAbs(d);
    const qint64 days = d / 86400;
    if (col == 1)
        return sign + QString::number(days);
    const qint64 rest = d - 86400 * days;
    return sign + QStringLiteral("%1:%2:%3")
                      .arg(rest / 3600, 2, 10, QLatin1Char('0'))
                      .arg((rest % 3600) / 60, 2, 10, QLatin1Char('0'))
                      .arg(rest % 60, 2, 10, QLatin1Char('0'));
}

frmTabel::frmTabel(QWidget *parent) : QWidget(parent), m_tabs(new QTabBar(this))
{
    setAcceptDrops(true);
    setMouseTracking(true);
    setObjectName(QStringLiteral("tabel"));
    setProperty("Tag", QStringLiteral("tabel"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_tabs->setExpanding(false);
    m_tabs->setUsesScrollButtons(true);
    m_tabs->setDrawBase(true);
    layout->addWidget(m_tabs);
    auto *area = new QWidget(this);
    auto *stack = new QGridLayout(area);
    stack->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(area, 1);
    for (int i = 0; i < AantalTabellen; ++i) {
        m_tabs->addTab(QString());
        m_tabs->setTabVisible(i, false);
        m_tabs->setTabEnabled(i, false);
        auto *grid = new Grid(area);
        grid->data().setCols(AantalKolommen);
        grid->data().setRows(2);
        grid->data().setTimeRenderer(&TabelTijdTekst);
        grid->hide();
        stack->addWidget(grid, 0, 0);
        connect(grid, &Grid::gridDoubleClicked, this, [this, i] { MSHFlexGrid_DblClick(i); });
        // A new font comes from the font dialog, Window > Font, pasted table settings or the
        // settings file: the texts it widens must still fit, the headers above all, which
        // are the widest texts of the date and time columns when times are shown relative.
        connect(&grid->data(), &GridData::appearanceChanged, this, [this, i] { fitColumns(i); });
        connect(grid, &Grid::gridMouseUp, this,
                [this, i](Qt::MouseButton button) { MSHFlexGrid_MouseUp(i, button); });
        connect(grid, &Grid::gridKeyDown, this, [this, i](int key) {
            if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space)
                && Geselecteerd(i) >= 1 && !LoggenActief)
                MSHFlexGrid_DblClick(i);
        });
        m_grids[size_t(i)] = grid;
    }
    connect(m_tabs, &QTabBar::currentChanged, this, [this] { InstellenZichtbaarheidTabel(); });
    connect(m_tabs, &QTabBar::tabBarDoubleClicked, this, [this](int tab) {
        if (tab < 0)
            return;
        InstellenZichtbaarheidTabel();
        emit instellingenGevraagd(tab + 1);
    });
    m_tabs->installEventFilter(this);
    setWindowTitle(Taaltekst(122));
    connect(&LanguageNotifier::instance(), &LanguageNotifier::languageLoaded, this,
            [this] {
                for (int i = 0; i < AantalTabellen; ++i)
                    InitieerTabel(i);
                LaadVensterTitel();
            });
}

int frmTabel::Tab() const
{
    return m_tabs->currentIndex();
}

void frmTabel::setTab(int tab)
{
    if (tab >= 0 && tab < AantalTabellen)
        m_tabs->setCurrentIndex(tab);
    InstellenZichtbaarheidTabel();
}

void frmTabel::StelTabelIn(bool InstellenKolomBreedte)
{
    setWindowTitle(Taaltekst(122));
    KolomRegeling = KolomVanKanaal(5);
    KolomRelais = 12;
    KolomOpmerking = 13;
    for (int i = 0; i < AantalTabellen; ++i) {
        if (ToestelGeldig(i + 1)) {
            m_tabs->setTabVisible(i, true);
            m_tabs->setTabEnabled(i, true);
            m_tabs->setTabText(i, TabelToestelLabel(i + 1));
            if (InstellenKolomBreedte)
                WisTabelGegevens(i);
            InitieerTabel(i);
        } else {
            m_tabs->setTabVisible(i, false);
            m_tabs->setTabText(i, QString());
            m_tabs->setTabEnabled(i, false);
        }
    }
    for (int i = 0; i < AantalTabellen; ++i)
        if (InstellenKolomBreedte)
            StelNieuweKolomBreedteIn(i);
    // The current tab may have become unavailable: move to the first available one.
    if (!m_tabs->isTabVisible(m_tabs->currentIndex())) {
        for (int i = 0; i < AantalTabellen; ++i)
            if (m_tabs->isTabVisible(i)) {
                m_tabs->setCurrentIndex(i);
                break;
            }
    }
    InstellenZichtbaarheidTabel();
}

void frmTabel::InitieerTabel(int Mi)
{
    GridData &g = m_grids[size_t(Mi)]->data();
    auto head = [&g](int col, const QString &text, int align) {
        g.setTextMatrix(0, col, text);
        g.setColAlignment(col, align);
        g.setHeaderAlignment(col, align);
    };
    head(0, Taaltekst(123), GridAlign::RightCenter);
    head(1, Taaltekst(124), GridAlign::RightCenter);
    head(2, Taaltekst(125), GridAlign::RightCenter);
    QString unit = Taaltekst(201);
    unit.remove(QLatin1Char(':'));
    for (qint16 k = 1; k <= MaxKanalen; ++k) {
        const int v = KolomVanKanaal(k);
        head(v, QStringLiteral("CH%1").arg(k), GridAlign::RightCenter);
        head(v + 1, unit, GridAlign::LeftCenter);
    }
    head(KolomRegeling, Taaltekst(319), GridAlign::LeftCenter);
    head(KolomRelais, Taaltekst(317), GridAlign::LeftCenter);
    head(KolomOpmerking, Taaltekst(318), GridAlign::LeftCenter);
    fitColumns(Mi);
}

void frmTabel::fitColumns(int Mi)
{
    if (Mi < 0 || Mi >= AantalTabellen)
        return;
    Grid *grid = m_grids[size_t(Mi)];
    GridData &g = grid->data();
    const QFontMetrics metrics(g.font());
    const QHeaderView *header = grid->horizontalHeader();
    const int cellMargin = 2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
    const int dpi = qMax(1, grid->logicalDpiX());
    const QDateTime widest(QDate(2026, 12, 28), QTime(23, 58, 58));
    for (int c = 0; c < AantalKolommen && c < g.cols(); ++c) {
        const int twips = g.colWidth(c);
        if (twips <= 0)
            continue;
        int pixels = header->sectionSizeHint(c);
        QString widestCell;
        if (c == 0)
            widestCell = QStringLiteral("999999");
        else if (c == 1 || c == 2)
            widestCell = TabelTijdTekst(widest, c) + QStringLiteral("MM");
        else if (c >= KolomVanKanaal(1) && c < KolomRegeling && (c - KolomVanKanaal(1)) % 2 == 0)
            widestCell = QStringLiteral("-8888.8"); // what the usual width holds in the usual font
        if (!widestCell.isEmpty())
            pixels = qMax(pixels, metrics.horizontalAdvance(widestCell) + cellMargin);
        const int needed = (pixels * 1440 + dpi - 1) / dpi;
        if (needed > twips)
            g.setColWidth(c, needed);
    }
}

void frmTabel::selectStoredTab()
{
    bool ok = false;
    const int tab = Registry::read(RegisterNaam, QStringLiteral("Table"), QStringLiteral("Tab"),
                                   QStringLiteral("0")).toInt(&ok);
    if (ok && tab >= 0 && tab < m_tabs->count() && m_tabs->isTabVisible(tab))
        setTab(tab);
}

void frmTabel::StelNieuweKolomBreedteIn(int Mi)
{
    GridData &g = m_grids[size_t(Mi)]->data();
    g.setColWidth(0, 600);
    g.setColWidth(1, 1000);
    g.setColWidth(2, 1000);
    for (qint16 k = 1; k <= MaxKanalen; ++k) {
        g.setColWidth(KolomVanKanaal(k), 800);
        g.setColWidth(KolomVanKanaal(k) + 1, 600);
    }
    g.setColWidth(KolomRegeling, 3000);
    g.setColWidth(KolomRelais, 1500);
    fitColumns(Mi);
}

GridData &frmTabel::gridData(int i) { return m_grids[size_t(i)]->data(); }

void frmTabel::WisTabelGegevens(int i)
{
    if (i < 0 || i >= AantalTabellen)
        return;
    GridData &g = m_grids[size_t(i)]->data();
    g.setRows(1);
    g.clearTexts();
    g.setRows(2);
    g.setCols(AantalKolommen);
    m_pendingTop[size_t(i)] = 0;
    InitieerTabel(i);
}

void frmTabel::VulTabellenAan(const QString &Info, qint16 Tnr)
{
    static const QString stop = QStringLiteral("Stop");
    for (int slot = 1; slot <= MaxToestellen; ++slot) {
        if (Tnr == 0 || slot == Tnr)
            VulEnkeleTabelAan(slot, Info);
        else
            VulEnkeleTabelAan(slot, stop);
    }
}

void frmTabel::scrollToRow(int i, qint32 row)
{
    Grid *grid = m_grids[size_t(i)];
    // Hidden grids scroll when they are shown: laying out 31 views per record costs time.
    if (grid->isVisible()) {
        grid->setTopRow(row);
        m_pendingTop[size_t(i)] = 0;
    } else {
        m_pendingTop[size_t(i)] = row;
    }
}

bool frmTabel::slotValid(int slot)
{
    KnownSlot &k = m_knownSlots[size_t(slot)];
    const ToestelGegevens &t = Toestel[slot];
    if (!k.known || k.idno != t.Idno || k.type != t.Type) {
        // The key is taken after the check, which may correct the address.
        k.valid = ToestelGeldig(slot);
        k.type = t.Type;
        k.idno = t.Idno;
        k.known = true;
    }
    return k.valid;
}

const QString &frmTabel::rowNumberText(qint32 row)
{
    if (m_rowNumberFor != row) {
        m_rowNumberText = QString::number(row);
        m_rowNumberFor = row;
    }
    return m_rowNumberText;
}

void frmTabel::VulEnkeleTabelAan(int Mi, const QString &Info)
{
    if (Mi < 1 || Mi > MaxToestellen || !slotValid(Mi))
        return;
    const qint32 r = AantalRijen;
    if (r < 1)
        return;
    GridData &g = m_grids[size_t(Mi - 1)]->data();
    // A grid that missed records (its slot became valid later) gets numbered empty rows first.
    catchUp(g, r);

    std::array<QString, AantalKolommen> cells;
    cells[0] = rowNumberText(r);
    if (Info != QLatin1String("Stop")) {
        ToestelGegevens &t = Toestel[Mi];
        static const QString blank = QStringLiteral(" ");
        QString control;
        for (qint16 k = 1; k <= MaxKanalen; ++k) {
            const int v = KolomVanKanaal(k);
            if (k > t.Kanalen || !t.Actief) {
                cells[size_t(v)] = blank;
                cells[size_t(v + 1)] = blank;
            } else if (t.FoutTeller != 0) {
                cells[size_t(v)] = blank;
                cells[size_t(v + 1)] = blank;
                control = Taaltekst(294);
                t.Relais.clear();
            } else {
                const KanaalGegevens &c = t.Kanaal[size_t(k)];
                cells[size_t(v)] = trimmedText(c.Waarde);
                cells[size_t(v + 1)] = trimmedText(c.Eenheid);
                if (!trimmedText(control).isEmpty())
                    control += QLatin1Char(' ') + trimmedText(c.Status);
                else
                    control = trimmedText(c.Status);
            }
        }
        cells[size_t(KolomRegeling)] = trimmedText(control);
        cells[size_t(KolomRelais)] = trimmedText(t.Relais);
        cells[size_t(KolomOpmerking)] = QString();
    }
    g.setRowTexts(r, MeetTijdstip, cells, TimeColumns);
    g.setRow(r);
    if (g.rows() == r + 1)
        g.appendNumberedRow();
    scrollToRow(Mi - 1, r);
}

void frmTabel::VulEnkeleTabelAanUitBestand(int y, QString &Info)
{
    qsizetype pos = 0;
    fillFromFileLine(y, Info, pos, DecimaalTeken());
    Info.remove(0, pos);
}

void frmTabel::fillFromFileLine(int y, QStringView line, qsizetype &pos, QStringView decimal)
{
    if (y < 1 || y > MaxToestellen || !slotValid(y))
        return;
    const qint32 r = AantalRijen;
    Grid *grid = m_grids[size_t(y - 1)];
    grid->setVisible(false);
    if (r < 1) {
        for (int f = 0; f < 11; ++f)
            takeField(line, pos);
        return;
    }
    GridData &g = grid->data();
    catchUp(g, r);
    static constexpr char16_t blank[] = u" ";
    const bool pointKept = decimal == u".";
    std::array<QStringView, AantalKolommen> cells;
    // Values whose decimal point changes need a text of their own; nearly all do not.
    std::array<QString, MaxKanalen> changed;
    cells[0] = rowNumberText(r);
    for (qint16 k = 1; k <= MaxKanalen; ++k) {
        const int v = KolomVanKanaal(k);
        QStringView value = takeField(line, pos);
        if (!pointKept && value.contains(u'.')) {
            QString &text = changed[size_t(k - 1)];
            text = value.toString();
            if (decimal.size() == 1)
                text.replace(QLatin1Char('.'), decimal.front());
            else
                text.replace(QLatin1Char('.'), decimal.toString());
            value = text;
        }
        const QStringView unit = takeField(line, pos);
        // Empty value and unit cells hold one blank, as in rows logged live.
        cells[size_t(v)] = value.isEmpty() ? QStringView(blank) : value;
        cells[size_t(v + 1)] = unit.isEmpty() ? QStringView(blank) : unit;
    }
    cells[size_t(KolomRegeling)] = takeField(line, pos).trimmed();
    cells[size_t(KolomRelais)] = takeField(line, pos).trimmed();
    cells[size_t(KolomOpmerking)] = takeField(line, pos).trimmed();
    g.setRowTexts(r, GridStore::wallMs(MeetTijdstip), cells, TimeColumns);
    g.setRow(r);
    if (g.rows() == r + 1)
        g.appendNumberedRow();
    m_pendingTop[size_t(y - 1)] = r;
}

void frmTabel::beginFileLoad()
{
    for (Grid *grid : m_grids)
        grid->data().beginFill();
}

void frmTabel::endFileLoad()
{
    for (Grid *grid : m_grids)
        grid->data().endFill();
}

void frmTabel::LaadVensterTitel()
{
    setWindowTitle(Taaltekst(122));
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        sub->setWindowTitle(windowTitle());
    for (int slot = 1; slot <= MaxToestellen; ++slot)
        if (m_tabs->isTabVisible(slot - 1))
            m_tabs->setTabText(slot - 1, TabelToestelLabel(slot));
}

void frmTabel::InstellenZichtbaarheidTabel()
{
    const int current = m_tabs->currentIndex();
    for (int i = 0; i < AantalTabellen; ++i) {
        Grid *grid = m_grids[size_t(i)];
        const bool shown = i == current && ToestelGeldig(i + 1);
        if (shown && grid->isHidden()) {
            grid->show();
            if (m_pendingTop[size_t(i)] > 0)
                scrollToRow(i, m_pendingTop[size_t(i)]);
        } else if (!shown && !grid->isHidden()) {
            grid->hide();
        }
    }
}

void frmTabel::MSHFlexGrid_DblClick(int Index)
{
    if (Index < 0 || Index >= AantalTabellen)
        return;
    Grid *grid = m_grids[size_t(Index)];
    GridData &g = grid->data();
    const qint32 row = grid->mouseRow();
    const int col = grid->mouseCol();
    if (row == 0 && col >= 0) {
        g.setSelection(0, col, 0, col);
        g.setColWidth(col, -1);
        return;
    }
    if (row > 0 && col == KolomOpmerking && !LoggenActief) {
        // Read-only data takes no remark: the editor is not offered, as Edit > Info is not.
        if (!AlleenLezen && !g.textMatrix(row, 1).trimmed().isEmpty()
            && !g.textMatrix(row, 2).trimmed().isEmpty())
            emit opmerkingGevraagd(Index, row);
        return;
    }
    if (auto font = DialogProvider::current().chooseFont(this, g.font(), QString())) {
        g.setFont(*font);
        InstellingenGewijzigd = true;
        emit instellingenGewijzigd();
    }
}

qint32 frmTabel::Geselecteerd(int Mi, qint32 m) const
{
    if (Mi < 0 || Mi >= AantalTabellen)
        return 0;
    const GridData &g = m_grids[size_t(Mi)]->data();
    if (g.row() == 0)
        return 0;
    if (m > 0)
        return m >= g.selectedRowFirst() && m <= g.selectedRowLast() ? m : 0;
    return qAbs(g.rowSel() - g.row()) + 1;
}

void frmTabel::DeselecteerAlles(int Mi)
{
    if (Mi < 0 || Mi >= AantalTabellen)
        return;
    GridData &g = m_grids[size_t(Mi)]->data();
    g.setSelection(g.row(), g.col(), g.row(), g.col());
}

qint32 frmTabel::BepBestandskolom(qint32 j)
{
    return j <= 2 ? 1 : j - 2;
}

void frmTabel::MSHFlexGrid_MouseUp(int Index, Qt::MouseButton Button)
{
    if (Index < 0 || Index >= AantalTabellen)
        return;
    if (Button == Qt::LeftButton) {
        const bool selected = Geselecteerd(Index) >= 1;
        if (selected && Tab() >= 0) {
            GridData &g = m_grids[size_t(Tab())]->data();
            const auto [c1, c2] = SnapNaarParen(g.selectedColFirst(), g.selectedColLast());
            g.setSelection(g.selectedRowFirst(), c1, g.selectedRowLast(), c2);
        }
        if (dataViews().toolButtonEnabled)
            dataViews().toolButtonEnabled(QStringLiteral("tbrCopy"), selected);
        if (dataViews().menuItemEnabled)
            dataViews().menuItemEnabled(QStringLiteral("mnuEditCopy"), selected);
    } else if (Button == Qt::RightButton) {
        emit bewerkMenuBijwerken();
        if (!LoggenActief && !AlleenLezen)
            emit bewerkMenuGevraagd(QCursor::pos());
    }
}

void frmTabel::WissenSelectie()
{
    const int t = Tab();
    if (t < 0 || Geselecteerd(t) == 0 || !BewerkingToegestaan(true))
        return;
    const GridData &g = m_grids[size_t(t)]->data();
    if (WisCellen(t, g.selectedRowFirst(), g.selectedRowLast(), g.selectedColFirst(),
                  g.selectedColLast()))
        update();
}

void frmTabel::ToonLijnSelectie()
{
    const int t = Tab();
    if (t < 0)
        return;
    const GridData &current = m_grids[size_t(t)]->data();
    const qint32 row = current.row();
    const qint32 rowSel = current.rowSel();
    for (int i = 0; i < AantalTabellen; ++i) {
        if (!ToestelGeldig(i + 1))
            continue;
        GridData &g = m_grids[size_t(i)]->data();
        g.setSelection(row, 1, rowSel, g.cols() - 1);
    }
}

void frmTabel::VerwijderSelectie()
{
    const int t = Tab();
    if (t < 0)
        return;
    const qint32 n = Geselecteerd(t);
    if (n < 1 || !BewerkingToegestaan(true) || !QFileInfo::exists(Meetbestandsnaam))
        return;
    const QString text = Taaltekst(251) + QString::number(n) + QStringLiteral("\r\n")
                         + Taaltekst(421);
    LaatsteAntwoord = qint16(WindowHost::current().message(
        text, MsgBox::YesNo | MsgBox::Exclamation, VerwijderAmpersand(Taaltekst(422), QString())));
    if (LaatsteAntwoord != MsgBox::Yes)
        return;
    VerwijderSelectiesUitMeetbestand(t);
    const TableEditHooks &hooks = tableEditHooks();
    if (AantalGrafieken > 0 && hooks.hertekenGrafiek)
        for (int graph = 1; graph <= MaxGrafieken; ++graph)
            if (GrafiekInGebruik(graph) && !(hooks.isXYRecorder && hooks.isXYRecorder(graph)))
                hooks.hertekenGrafiek(graph);
    update();
}

void frmTabel::VerwijderSelectiesUitMeetbestand(int Mi)
{
    if (Mi < 0 || Mi >= AantalTabellen)
        return;
    const GridData &g = m_grids[size_t(Mi)]->data();
    VerwijderRijen(Mi, g.selectedRowFirst(), g.selectedRowLast());
}

void frmTabel::VernieuwTijden()
{
    for (Grid *grid : m_grids)
        grid->data().refreshTimes();
}

void frmTabel::PrintTabel(PrintDevice &printer, int Mi, bool AfdrukkenSelectie)
{
    if (Mi >= 0 && Mi < AantalTabellen)
        Printerkode::PrintTabel(printer, *this, Mi, AfdrukkenSelectie);
}

QString KopieerCellen(const GridData &grid)
{
    QString tekst;
    for (qint32 r = grid.selectedRowFirst(); r <= grid.selectedRowLast(); ++r) {
        for (int c = grid.selectedColFirst(); c <= grid.selectedColLast(); ++c) {
            if (c > grid.selectedColFirst())
                tekst += QLatin1Char('\t');
            const QString cel = grid.textMatrix(r, c);
            tekst += cel.isEmpty() ? QStringLiteral(" ") : cel;
        }
        tekst += QStringLiteral("\r\n");
    }
    return tekst;
}

void frmTabel::CopyElementen(int Mi)
{
    if (Mi < 0 || Mi >= AantalTabellen)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    // Setting the clipboard cannot fail in a way the system reports.
    QGuiApplication::clipboard()->setText(KopieerCellen(m_grids[size_t(Mi)]->data()));
    QApplication::restoreOverrideCursor();
}

QWidget *frmTabel::container() const
{
    if (auto *sub = qobject_cast<QMdiSubWindow *>(parentWidget()))
        return sub;
    return const_cast<frmTabel *>(this);
}

void frmTabel::closeEvent(QCloseEvent *event)
{
    Registry::write(RegisterNaam, QStringLiteral("Table"), QStringLiteral("Tab"),
                    QString::number(Tab()));
    if (m_allowClose) {
        event->accept();
        return;
    }
    InstellingenGewijzigd = true;
    emit instellingenGewijzigd();
    event->ignore();
    container()->hide();
}

bool frmTabel::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate) {
        for (int slot = 1; slot <= MaxToestellen; ++slot)
            if (ToestelGeldig(slot)) {
                emit geactiveerd();
                break;
            }
    }
    return QWidget::event(event);
}

bool frmTabel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tabs && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            InstellenZichtbaarheidTabel();
            if (Tab() >= 0)
                emit instellingenGevraagd(Tab() + 1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void frmTabel::mouseMoveEvent(QMouseEvent *event)
{
    InstellingenGewijzigd = true;
    QWidget::mouseMoveEvent(event);
}

void frmTabel::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void frmTabel::dropEvent(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (!urls.isEmpty() && urls.first().isLocalFile()) {
        event->acceptProposedAction();
        emit bestandGesleept(urls.first().toLocalFile());
    }
}
