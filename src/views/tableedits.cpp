#include "views/tableedits.h"

#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafileparse.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/language.h"
#include "views/table.h"

#include <QApplication>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <deque>
#include <limits>

using namespace Hoofdmodule;

namespace {

constexpr qint64 NoTime = RegelTijden::GeenTijd;

// A row's record time in the seconds RegelTijden gives, read from the grid's store without
// making a date for every row.
qint64 rowSeconds(const GridData &g, int t, qint32 r)
{
    const qint64 ms = r >= 1 && r < g.rows() ? g.store().time(r - 1) : GridStore::NoTime;
    if (ms == GridStore::NoTime)
        return RegelTijden::seconden(RijTijd(t, r));
    return ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
}

// The hourglass for the length of an edit, on every way out.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

// Whether the copy an edit starts from holds nothing: the working copy when there is one, else
// the data file.
bool sourceEmpty(const QString &naam)
{
    const QString working = WerkkopieNaam(naam);
    return QFileInfo(QFileInfo::exists(working) ? working : naam).size() == 0;
}

TableSink *table() { return dataViews().tabel; }

} // namespace

TableEditHooks &tableEditHooks()
{
    static TableEditHooks hooks;
    return hooks;
}

std::pair<int, int> SnapNaarParen(int c1, int c2)
{
    if (c1 == 4 || c1 == 6 || c1 == 8 || c1 == 10)
        --c1;
    if (c1 >= 1 && c1 <= 11 && c2 % 2 == 1 && c2 < KolomRegeling)
        ++c2;
    return {c1, c2};
}

std::vector<int> TeWissenKolommen(int c1, int c2)
{
    std::vector<int> cols;
    for (int j = qMax(c1, 3); j <= c2; ++j) {
        cols.push_back(j);
        if (j < KolomRegeling)
            cols.push_back(++j);
    }
    return cols;
}

bool BewerkingToegestaan(bool datumWeigeren)
{
    // Edits of data that can never be accepted, or of a file being logged to, are not made.
    if (LoggenActief || AlleenLezen)
        return false;
    if (datumWeigeren && VervangDatum(Meetbestandsnaam) != Meetbestandsnaam) {
        WindowHost::current().message(Taaltekst(444), MsgBox::OkOnly | MsgBox::Exclamation,
                                      Meetbestandsnaam);
        return false;
    }
    return true;
}

bool WisCellen(int t, qint32 r1, qint32 r2, int c1, int c2)
{
    TableSink *tabel = table();
    if (!tabel || r1 < 1 || r2 < r1)
        return false;
    const QString naam = Meetbestandsnaam;
    if (!QFileInfo::exists(naam) || sourceEmpty(naam))
        return false;
    const std::vector<int> cols = TeWissenKolommen(c1, c2);
    std::vector<int> fields;
    for (int j : cols)
        fields.push_back(VeldVanToestel(t, frmTabel::BepBestandskolom(j)));

    // Rows with a time wait, in row order, for the lines of that time.
    GridData &g = tabel->gridData(t);
    QHash<qint64, qsizetype> wanted; // time -> rows of that time in the selection
    for (qint32 r = r1; r <= r2; ++r) {
        const qint64 s = rowSeconds(g, t, r);
        if (s != NoTime)
            ++wanted[s];
    }
    Hourglass busy;
    if (!wanted.isEmpty()) {
        RegelTijden times;
        QHash<qint64, qsizetype> left;
        const bool ok = HerschrijfWerkkopie(naam, [&](QString &line, qint64 number) {
            if (number == 1) {
                left = wanted; // the rewrite may start again from the first line
                return true;
            }
            const qint64 s = times.seconden(line);
            if (s == NoTime)
                return true;
            auto it = left.find(s);
            if (it == left.end() || it.value() == 0)
                return true;
            --it.value();
            for (int f : fields)
                VervangVeld(line, f, QString());
            return true;
        });
        if (!ok)
            return false;
    }
    for (qint32 r = r1; r <= r2 && r < g.rows(); ++r)
        for (int j : cols)
            if (j < g.cols())
                g.setTextMatrix(r, j, QString());
    return true;
}

bool VerwijderRijen(int t, qint32 r1, qint32 r2)
{
    TableSink *tabel = table();
    if (!tabel || r1 < 1 || r2 < r1)
        return false;
    const QString naam = Meetbestandsnaam;
    if (!QFileInfo::exists(naam) || sourceEmpty(naam))
        return false;
    const GridData &g = tabel->gridData(t);
    QSet<qint64> wanted;
    for (qint32 r = r1; r <= r2; ++r) {
        const qint64 s = rowSeconds(g, t, r);
        if (s != NoTime)
            wanted.insert(s);
    }
    if (wanted.isEmpty())
        return false;
    Hourglass busy;
    QSet<qint64> dropped;
    RegelTijden times;
    const bool ok = HerschrijfWerkkopie(naam, [&](QString &line, qint64 number) {
        if (number == 1) {
            dropped.clear();
            return true;
        }
        const qint64 s = times.seconden(line);
        if (s == NoTime || !wanted.contains(s))
            return true;
        dropped.insert(s);
        return false;
    });
    if (!ok || dropped.isEmpty())
        return ok;
    // Every row of a dropped time goes, also one outside the selection recorded in the same
    // second: its line is gone as well.
    // The views hear of the blanked rows once, at the end.
    tabel->beginFileLoad();
    for (qint32 r = 1; r < g.rows(); ++r)
        if (g.store().time(r - 1) != GridStore::NoTime && dropped.contains(rowSeconds(g, t, r)))
            WisSelectieInTabel(r);
    tabel->endFileLoad();
    return true;
}

QString OpmerkingOpslagTekst(const QString &tekst)
{
    QString out = tekst;
    out.replace(QLatin1Char('"'), QLatin1Char('\''));
    // The remark shows as it is written: blanks where the file can hold no character.
    out = DataVeldTekst(out);
    if (out.startsWith(QLatin1String("Stop")))
        out.insert(4, QLatin1Char('\''));
    return out;
}

bool BewaarOpmerking(int t, qint32 rij, const QString &tekst)
{
    TableSink *tabel = table();
    if (!tabel || AlleenLezen || LoggenActief)
        return false;
    GridData &g = tabel->gridData(t);
    if (rij < 1 || rij >= g.rows())
        return false;
    const QString naam = VervangDatum(Meetbestandsnaam);
    // A row without a time, or data that has no file yet, keeps the remark in the grid only.
    const bool toFile = RijTijd(t, rij).isValid()
                        && (QFileInfo::exists(naam) || QFileInfo::exists(WerkkopieNaam(naam)));
    if (toFile) {
        Hourglass busy;
        if (!WijzigVeldInMeetbestand(t, rij, frmTabel::BepBestandskolom(KolomOpmerking), tekst))
            return false;
    }
    g.setTextMatrix(rij, KolomOpmerking, tekst);
    return true;
}
