#include "graph/curvesgrid.h"

#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "graph/graphsettingsrules.h"
#include "graph/linesourcedialog.h"
#include "support/language.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int Rijen = MaxGrafiekLijnen + 1;
constexpr int Kolommen = 6;
constexpr double TwipsPerPixel = 15.0;

// The colour cell shows its colour also while it is the current cell: a selection fill would
// hide the very thing the cell is for. A frame marks it instead.
class ColourCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override
    {
        if (index.column() != CurveLijnenGrid::KolomKleur || index.row() == 0) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        painter->save();
        painter->fillRect(option.rect, index.data(Qt::BackgroundRole).value<QBrush>());
        if (option.state & (QStyle::State_Selected | QStyle::State_HasFocus)) {
            QPen pen(option.palette.color(QPalette::Highlight));
            pen.setWidth(2);
            painter->setPen(pen);
            painter->drawRect(option.rect.adjusted(1, 1, -2, -2));
        }
        painter->restore();
    }
};

} // namespace

CurveLijnenGrid::CurveLijnenGrid(QWidget *parent) : QTableWidget(Rijen, Kolommen, parent)
{
    setObjectName(QStringLiteral("MSHFlexCurveLijnen"));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setItemDelegate(new ColourCellDelegate(this));
    setWordWrap(false);
    horizontalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setMinimumSectionSize(8);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    installEventFilter(this);
    connect(this, &QTableWidget::cellClicked, this, &CurveLijnenGrid::Klik);

    const QBrush kop = palette().button();
    for (int r = 0; r < Rijen; ++r)
        for (int c = 0; c < Kolommen; ++c) {
            auto *item = new QTableWidgetItem;
            const bool header = r == 0 || c == KolomNummer;
            item->setFlags(header ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            if (header)
                item->setBackground(kop);
            // The number right, colour and marks centred; sources as they come.
            Qt::Alignment a = Qt::AlignVCenter;
            if (c == KolomNummer)
                a |= Qt::AlignRight;
            else if (c >= KolomKleur || (r == 0 && c == KolomBron))
                a |= Qt::AlignHCenter;
            else
                a |= Qt::AlignLeft;
            item->setTextAlignment(a);
            setItem(r, c, item);
        }
}

GraphSettings &CurveLijnenGrid::graph() const { return WindowSettings::graph[size_t(m_graph)]; }

QTableWidgetItem *CurveLijnenGrid::cel(int rij, int kolom) { return item(rij, kolom); }

void CurveLijnenGrid::Vullen(int graph, const QString &naam)
{
    m_graph = qBound(1, graph, MaxGrafieken);
    m_naam = naam;
    LaadStrings();
    item(0, KolomNummer)->setText(QStringLiteral("#"));
    item(0, KolomMin)->setText(QStringLiteral("Min"));
    item(0, KolomMax)->setText(QStringLiteral("Max"));
    item(0, KolomGemiddelde)->setText(QStringLiteral("\u0394"));
    for (int r = 1; r <= MaxGrafiekLijnen; ++r) {
        item(r, KolomNummer)->setText(QString::number(r));
        VulCurveLijnen(r);
        item(r, KolomKleur)->setText(QString());
        zetKleur(r, this->graph().GrafiekKleur(r + 2));
    }
    breedtes();
    setCurrentCell(1, KolomBron);
}

void CurveLijnenGrid::LaadStrings()
{
    setToolTip(Taaltekst(353));
    item(0, KolomBron)->setText(Taaltekst(295));
    item(0, KolomKleur)->setText(Taaltekst(219));
    // The sources are described in the program's words too.
    for (int lijn = 1; lijn <= MaxGrafiekLijnen; ++lijn) {
        const qint16 d = graph().LeesGrafiekLijnRef(lijn, 1);
        const qint16 k = graph().LeesGrafiekLijnRef(lijn, 2);
        if (LijnBronBinnenBereik(d, k))
            item(lijn, KolomBron)->setText(BronOmschrijving(d, k));
    }
    breedtes();
}

void CurveLijnenGrid::breedtes()
{
    auto px = [](int twips) { return int(twips / TwipsPerPixel + 0.5); };
    const QFontMetrics fm(font());
    // The narrow columns as laid out, but never narrower than their headings.
    const int mark = qMax(px(400), fm.horizontalAdvance(QStringLiteral("Max")) + 10);
    setColumnWidth(KolomNummer, qMax(px(400), fm.horizontalAdvance(QStringLiteral("32")) + 10));
    setColumnWidth(KolomKleur, qMax(px(600), fm.horizontalAdvance(Taaltekst(219)) + 10));
    for (int c = KolomMin; c <= KolomGemiddelde; ++c)
        setColumnWidth(c, mark);
    // The source column takes the rest, and more when a source needs it: the grid then
    // scrolls sideways rather than cut the description short.
    int rest = viewport()->width() - px(320) / 2;
    for (int c = 0; c < Kolommen; ++c)
        if (c != KolomBron)
            rest -= columnWidth(c);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    int bron = fm.horizontalAdvance(Taaltekst(295)) + 10;
    for (int r = 1; r < Rijen; ++r)
        if (!item(r, KolomBron)->text().isEmpty())
            bron = qMax(bron, itemDelegate()->sizeHint(option, model()->index(r, KolomBron)).width());
    setColumnWidth(KolomBron, qMax(bron, rest));
}

void CurveLijnenGrid::resizeEvent(QResizeEvent *event)
{
    QTableWidget::resizeEvent(event);
    breedtes();
}

void CurveLijnenGrid::zetKleur(int rij, qint32 kleur)
{
    item(rij, KolomKleur)->setBackground(KleurNaarQColor(kleur));
}

qint32 CurveLijnenGrid::Kleur(int rij) const
{
    return QColorNaarKleur(item(rij, KolomKleur)->background().color());
}

QString CurveLijnenGrid::Bron(int rij) const { return item(rij, KolomBron)->text(); }

bool CurveLijnenGrid::Gemarkeerd(int rij, int kolom) const
{
    return !item(rij, kolom)->text().trimmed().isEmpty();
}

void CurveLijnenGrid::ZetCurveVinkje(int rij, int kolom, bool waarde)
{
    item(rij, kolom)->setText(waarde ? Vinkje() : QString());
}

void CurveLijnenGrid::VulCurveLijnen(int lijn)
{
    const qint16 d = graph().LeesGrafiekLijnRef(lijn, 1);
    const qint16 k = graph().LeesGrafiekLijnRef(lijn, 2);
    if (!LijnBronBinnenBereik(d, k)) {
        item(lijn, KolomBron)->setText(QString());
        for (int c = KolomMin; c <= KolomGemiddelde; ++c)
            ZetCurveVinkje(lijn, c, false);
        return;
    }
    for (int c = KolomMin; c <= KolomGemiddelde; ++c)
        ZetCurveVinkje(lijn, c, graph().LeesGrafiekLijnRef(lijn, c) != 0);
    item(lijn, KolomBron)->setText(BronOmschrijving(d, k));
}

void CurveLijnenGrid::Klik(int rij, int kolom)
{
    if (rij < 1 || rij > MaxGrafiekLijnen || kolom < KolomBron || kolom >= Kolommen)
        return;
    const bool heeftBron = !Bron(rij).trimmed().isEmpty();
    switch (kolom) {
    case KolomBron:
        KiesBron(rij);
        break;
    case KolomKleur:
        if (heeftBron) {
            qint32 kleur = Kleur(rij);
            KiesKleur(kleur); // keeps the colour unless the dialog ends with OK
            zetKleur(rij, kleur);
        }
        break;
    default:
        ZetCurveVinkje(rij, kolom, !Gemarkeerd(rij, kolom) && heeftBron);
        break;
    }
}

void CurveLijnenGrid::KiesBron(int rij)
{
    // Records go on while a line's source is chosen: the graph takes the new line's points
    // from the table when the settings dialog closes with OK.
    DialogInputGrafiekElement dialog(window());
    dialog.LijnNr = qint16(rij);
    dialog.Grafiek = m_naam;
    dialog.Rnr = graph().LeesGrafiekLijnRef(rij, 1);
    dialog.Knr = graph().LeesGrafiekLijnRef(rij, 2);
    // A source that no longer exists is offered as none; the line keeps it until a choice.
    if (dialog.Rnr != 0 &&
        (!LijnBronBinnenBereik(dialog.Rnr, dialog.Knr) || !ToestelGeldig(dialog.Rnr) ||
         dialog.Knr > Toestel[dialog.Rnr].Kanalen)) {
        dialog.Knr = 0;
        dialog.Rnr = 0;
    }
    // A new line starts on the controller of the line above.
    if (dialog.LijnNr > 1 && dialog.Rnr == 0)
        dialog.Rnr = graph().LeesGrafiekLijnRef(rij - 1, 1);
    m_bron = &dialog;
    dialog.Toon();
    m_bron = nullptr;
    if (!dialog.CancelGeklikt) {
        graph().SchrijfGrafiekLijnRef(dialog.LijnNr, 1, dialog.Rnr);
        graph().SchrijfGrafiekLijnRef(dialog.LijnNr, 2, dialog.Knr);
    }
    VulCurveLijnen(dialog.LijnNr);
    breedtes();
    emit bronGesloten();
}

void CurveLijnenGrid::SluitBron()
{
    if (m_bron)
        m_bron->CancelButton_Click();
}

void CurveLijnenGrid::Toepassen()
{
    for (int r = 1; r <= MaxGrafiekLijnen; ++r) {
        graph().ZetDiagramKleur(r + 2, Kleur(r));
        for (int c = KolomMin; c <= KolomGemiddelde; ++c)
            graph().SchrijfGrafiekLijnRef(r, c, Gemarkeerd(r, c) ? qint16(-1) : qint16(0));
    }
}

bool CurveLijnenGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == this && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            Klik(currentRow(), currentColumn());
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Escape:
            break; // moving about the grid, or leaving it
        default:
            // No typing into cells and no jumping to a cell by its text.
            if (!key->text().isEmpty())
                return true;
            break;
        }
    }
    return QTableWidget::eventFilter(watched, event);
}
