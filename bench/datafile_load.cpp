// Loading a data file of about 100 MB into the table window, in MB/s, next to Python's pandas
// read_csv on the same file in the same run. Goal: at least as fast as pandas while also
// filling the table. Usage: bench_datafile_load [megabytes] [runs]
#include "core/datafile.h"
#include "core/datafilereader.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "platform/codec.h"
#include "platform/grid.h"
#include "support/language.h"
#include "views/table.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace Hoofdmodule;

namespace {

// Three controllers of four channels, as a typical rack; values change on every record.
void configure()
{
    ResetToestellen();
    for (int d = 1; d <= 3; ++d) {
        ToestelGegevens &t = Toestel[d];
        t.Type = QStringLiteral("T542");
        t.Idno = d;
        t.Kanalen = 4;
        t.Actief = true;
        t.Relais = QStringLiteral("1-3-");
        for (int k = 1; k <= MaxKanalen; ++k) {
            t.Kanaal[size_t(k)].Naam = QStringLiteral("Probe %1.%2").arg(d).arg(k);
            t.Kanaal[size_t(k)].Eenheid = k == 2 ? QStringLiteral("%RH") : QStringLiteral("°C");
            t.Kanaal[size_t(k)].Status = k == 1 ? QStringLiteral("AL1") : QString();
        }
    }
}

qint64 writeFile(const QString &path, qint64 bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return 0;
    QByteArray out = Cp1252::encode(KopRegel()) + "\r\n";
    MeetTijdstip = QDateTime(QDate(2026, 1, 5), QTime(0, 0, 0));
    qint64 total = 0;
    for (qint64 i = 0; total + out.size() < bytes; ++i) {
        for (int d = 1; d <= 3; ++d)
            for (int k = 1; k <= MaxKanalen; ++k)
                Toestel[d].Kanaal[size_t(k)].Waarde =
                    QString::number(20.0 + double((i * 7 + d * 13 + k) % 1000) / 10.0, 'f', 1);
        out += Cp1252::encode(MetingRegel(i % 50 == 0 ? QStringLiteral("check") : QString(), 0))
               + "\r\n";
        MeetTijdstip = MeetTijdstip.addSecs(1);
        if (out.size() > (1 << 20)) {
            total += f.write(out);
            out.clear();
        }
    }
    total += f.write(out);
    return total;
}

QString python()
{
    // Debian's interpreter carries Debian's pandas; another one first on the PATH may not.
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStandardPaths::findExecutable(QStringLiteral("python3"));
}

// Seconds pandas takes to read the file, or a negative value when it could not run.
double pandasSeconds(const QString &path, qint64 *rows)
{
    QProcess p;
    p.start(python(), {QStringLiteral("-c"),
                       QStringLiteral("import sys, time, pandas\n"
                                      "t = time.perf_counter()\n"
                                      "df = pandas.read_csv(sys.argv[1], encoding='cp1252')\n"
                                      "print(time.perf_counter() - t, len(df))\n"),
                       path});
    if (!p.waitForFinished(600000) || p.exitCode() != 0) {
        std::fprintf(stderr, "pandas: %s\n", p.readAllStandardError().constData());
        return -1;
    }
    const QList<QByteArray> parts = p.readAllStandardOutput().trimmed().split(' ');
    *rows = parts.value(1).toLongLong();
    return parts.value(0).toDouble();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    qint16 english = 0;
    LaadTaal(english);
    const qint64 megabytes = argc > 1 ? QByteArray(argv[1]).toLongLong() : 100;
    const int runs = argc > 2 ? QByteArray(argv[2]).toInt() : 3;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("bench.csv"));
    configure();
    const qint64 size = writeFile(path, megabytes * 1000 * 1000);
    const double mb = double(size) / 1e6;
    std::printf("data file: %.1f MB, 3 controllers x 4 channels\n", mb);

    frmTabel tabel;
    dataViews().tabel = &tabel;
    std::vector<double> ours, theirs;
    qint64 rows = 0, pandasRows = 0;
    for (int r = 0; r < runs; ++r) {
        QElapsedTimer t;
        t.start();
        LeesMeetbestand(path);
        ours.push_back(double(t.nsecsElapsed()) / 1e9);
        rows = AantalRijen;
        if (tabel.MSHFlexGrid(0)->data().textMatrix(qint32(rows), 3).isEmpty())
            std::printf("table not filled!\n");
        const double p = pandasSeconds(path, &pandasRows);
        if (p > 0)
            theirs.push_back(p);
        std::printf("run %d: ours %.2f s (%.0f MB/s, %lld rows)   pandas %.2f s (%.0f MB/s, %lld rows)\n",
                    r + 1, ours.back(), mb / ours.back(), static_cast<long long>(rows), p,
                    p > 0 ? mb / p : 0.0, static_cast<long long>(pandasRows));
    }
    const double o = median(ours);
    std::printf("median: ours %.0f MB/s into the table", mb / o);
    if (!theirs.empty()) {
        const double p = median(theirs);
        std::printf(", pandas read_csv %.0f MB/s: %.2fx pandas (goal >= 1): %s\n", mb / p, p / o,
                    o <= p ? "ok" : "SLOWER");
    } else {
        std::printf(", pandas not available\n");
    }
    std::printf("table store: %.1f MB for %lld rows x 3 grids\n",
                double(tabel.MSHFlexGrid(0)->data().store().bytesUsed() * 3) / 1e6,
                static_cast<long long>(rows));
    dataViews().tabel = nullptr;
    return 0;
}
