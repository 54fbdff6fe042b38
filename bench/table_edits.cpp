// Edits of logged lines on a data file of about 100 MB (four controllers), as the user makes
// them in the table window: clearing one cell, writing one remark, deleting 1,000 rows, and
// selecting every row by a click on a column header and deleting them all. Each edit rewrites
// the working copy "<data>.new" of the whole file. Goals: each of the first three under 2 s,
// the last under 5 s. Usage: bench_table_edits [megabytes]
#include "core/datafile.h"
#include "core/datafilecopies.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/codec.h"
#include "platform/dialogs.h"
#include "platform/grid.h"
#include "support/language.h"
#include "views/tableedits.h"
#include "views/table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

using namespace Hoofdmodule;

namespace {

constexpr int Controllers = 4;

void configure()
{
    ResetToestellen();
    for (int d = 1; d <= Controllers; ++d) {
        ToestelGegevens &t = Toestel[d];
        t.Type = QStringLiteral("T542");
        t.Idno = d;
        t.Kanalen = 4;
        t.Actief = true;
        t.Relais = QStringLiteral("1-3-");
        for (int k = 1; k <= MaxKanalen; ++k) {
            t.Kanaal[size_t(k)].Eenheid = k == 2 ? QStringLiteral("%RH") : QStringLiteral("°C");
            t.Kanaal[size_t(k)].Status = k == 1 ? QStringLiteral("AL1") : QString();
        }
    }
}

bool writeFile(const QString &path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QByteArray out = Cp1252::encode(KopRegel()) + "\r\n";
    MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(0, 0, 0));
    qint64 total = 0;
    for (qint64 i = 0; total + out.size() < bytes; ++i) {
        for (int d = 1; d <= Controllers; ++d)
            for (int k = 1; k <= MaxKanalen; ++k)
                Toestel[d].Kanaal[size_t(k)].Waarde =
                    QString::number(20.0 + double((i * 7 + d * 13 + k) % 1000) / 10.0, 'f', 1);
        out += Cp1252::encode(MetingRegel(QString(), 0)) + "\r\n";
        MeetTijdstip = MeetTijdstip.addSecs(1);
        if (out.size() > (1 << 20)) {
            total += f.write(out);
            out.clear();
        }
    }
    total += f.write(out);
    return true;
}

qint64 lineCount(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    qint64 lines = 0;
    while (!f.atEnd())
        lines += f.read(1 << 20).count('\n');
    return lines;
}

struct Result {
    const char *what;
    double seconds;
    double goal;
    bool checked;
};

double since(const QElapsedTimer &t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom));
    qint16 english = 0;
    LaadTaal(english);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;

    QTemporaryDir dir;
    configure();
    Meetbestandsnaam = dir.filePath(QStringLiteral("bench.csv"));
    if (!writeFile(Meetbestandsnaam, megabytes << 20)) {
        std::fprintf(stderr, "cannot write the data file\n");
        return 1;
    }
    const qint64 dataBytes = QFileInfo(Meetbestandsnaam).size();
    frmTabel table;
    dataViews().tabel = &table;
    table.StelTabelIn(true);
    LeesMeetbestand(Meetbestandsnaam);
    const qint32 rows = AantalRijen;
    std::printf("data file: %.1f MB, %d records, %d controllers\n", double(dataBytes) / 1e6, rows,
                Controllers);
    table.resize(1000, 600);
    table.show();
    table.setTab(0);
    ScriptedDialogProvider boxes;
    GridData &g = table.MSHFlexGrid(0)->data();
    const QString working = WerkkopieNaam(Meetbestandsnaam);
    QList<Result> results;

    // One cell: channel 1 of the first controller in the middle of the file.
    const qint32 middle = rows / 2;
    const qint64 cleared = g.textMatrix(middle, 3).toUtf8().size()
                           + Cp1252::encode(g.textMatrix(middle, 4)).size();
    g.setSelection(middle, 3, middle, 3);
    QElapsedTimer t;
    t.start();
    table.WissenSelectie();
    results << Result{"clear one cell", since(t), 2.0,
                      QFileInfo(working).size() == dataBytes - cleared
                          && g.textMatrix(middle, 3).isEmpty()};

    const QString remark = QStringLiteral("bench remark");
    const qint64 before = QFileInfo(working).size();
    t.start();
    BewaarOpmerking(0, middle + 1, OpmerkingOpslagTekst(remark));
    results << Result{"one remark", since(t), 2.0,
                      QFileInfo(working).size() == before + remark.size()
                          && g.textMatrix(middle + 1, KolomOpmerking) == remark};

    const qint64 linesBefore = lineCount(working);
    g.setSelection(1000, 3, 1999, 3);
    boxes.answerMessage(MsgBox::Yes);
    t.start();
    table.ToonLijnSelectie();
    table.VerwijderSelectie();
    results << Result{"delete 1,000 rows", since(t), 2.0,
                      lineCount(working) == linesBefore - 1000 && g.textMatrix(1500, 1).isEmpty()};

    // A click on the header of channel 1 selects that column in every row.
    Grid *grid = table.MSHFlexGrid(0);
    QWidget *header = grid->horizontalHeader()->viewport();
    const QPoint at(grid->horizontalHeader()->sectionViewportPosition(3) + 5, 5);
    boxes.answerMessage(MsgBox::Yes);
    t.start();
    QMouseEvent press(QEvent::MouseButtonPress, at, header->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(header, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, header->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(header, &release);
    const bool allSelected = g.selectedRowFirst() == 1 && g.selectedRowLast() >= rows;
    table.ToonLijnSelectie();
    table.VerwijderSelectie();
    results << Result{"select all by header, delete", since(t), 5.0,
                      allSelected && lineCount(working) == 1 && g.textMatrix(rows, 3).isEmpty()
                          && g.textMatrix(1, 3).isEmpty()};

    bool allMet = true;
    for (const Result &r : results) {
        const bool met = r.checked && r.seconds < r.goal;
        allMet = allMet && met;
        std::printf("%-32s %7.3f s  goal < %.0f s  %s%s\n", r.what, r.seconds, r.goal,
                    met ? "met" : "MISSED", r.checked ? "" : " (result wrong)");
    }
    std::printf("data file unchanged: %s\n",
                QFileInfo(Meetbestandsnaam).size() == dataBytes ? "yes" : "NO");
    dataViews().tabel = nullptr;
    return allMet ? 0 : 1;
}
