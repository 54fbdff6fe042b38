// Fills the chart control with 32 lines of 30,000 points (a gap every 1,000 points) and draws
// it once into an image the size of a window, as the screen gets it.
// Usage: bench_chart_render [points]   (default 30000)
#include "platform/chart.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <unistd.h>

namespace {
// Processor time of this program: on a machine shared with other work the wall clock also
// counts the waits for a core; both are reported.
double cpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

qint64 residentBytes()
{
    QFile f(QStringLiteral("/proc/self/statm"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> parts = f.readAll().split(' ');
    return parts.size() > 1 ? parts[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}
} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int points = argc > 1 ? atoi(argv[1]) : 30000;
    constexpr int lines = 32;

    // The values and labels are made before the clock runs: the fill measures the chart.
    std::vector<double> values(size_t(points) * lines);
    for (int s = 0; s < lines; ++s)
        for (int r = 0; r < points; ++r)
            values[size_t(s) * points + r] =
                (r % 1000 == 500) ? qQNaN() : 20 + s + 5 * std::sin(r / 300.0 + s);
    QStringList labels;
    for (int r = 1; r <= points; ++r)
        labels << QStringLiteral("10-12-2026 %1").arg(r);

    Chart chart;
    chart.resize(1000, 700);
    chart.setLegendVisible(true);
    chart.setLabelStep(points / 7);
    chart.replotNow();
    const qint64 before = residentBytes();

    QElapsedTimer timer;
    timer.start();
    double cpu = cpuMs();
    {
        Chart::Hold hold(chart);
        chart.setRowCount(points);
        for (int s = 0; s < lines; ++s) {
            chart.setLegendText(s + 3, QStringLiteral("°C (Channel %1)").arg(s + 1));
            for (int r = 1; r <= points; ++r)
                chart.setValue(s + 3, r, values[size_t(s) * points + r - 1]);
        }
        for (int r = 1; r <= points; ++r)
            chart.setRowLabel(r, labels[r - 1]);
    }
    const double fillMs = timer.nsecsElapsed() / 1e6;
    const double fillCpu = cpuMs() - cpu;
    const qint64 grown = residentBytes() - before;

    // Checks that every value went in.
    int wrong = 0;
    for (int s = 0; s < lines; ++s)
        for (int r = 1; r <= points; r += 97) {
            const double want = values[size_t(s) * points + r - 1];
            const double got = chart.value(s + 3, r);
            if (!(got == want || (std::isnan(got) && std::isnan(want))))
                ++wrong;
        }

    // Drawing: the first render lays the axis out; then the mean of a few.
    QImage image(chart.size(), QImage::Format_ARGB32_Premultiplied);
    auto renderOnce = [&] {
        image.fill(Qt::white);
        QPainter painter(&image);
        chart.render(painter, QRectF(QPointF(0, 0), QSizeF(chart.size())));
    };
    timer.restart();
    renderOnce();
    const double firstMs = timer.nsecsElapsed() / 1e6;
    constexpr int repeats = 5;
    timer.restart();
    cpu = cpuMs();
    for (int i = 0; i < repeats; ++i)
        renderOnce();
    const double renderMs = timer.nsecsElapsed() / 1e6 / repeats;
    const double renderCpu = (cpuMs() - cpu) / repeats;
    // The line colour must be on the picture.
    int drawn = 0;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            drawn += image.pixel(x, y) != qRgb(255, 255, 255);

    const double stored = double(points) * lines;
    std::printf("lines %d x points %d (%0.f points), values checked wrong: %d\n", lines, points,
                stored, wrong);
    std::printf("fill (values and labels): %.1f ms wall, %.1f ms processor (goal < 50)\n", fillMs,
                fillCpu);
    std::printf("render %dx%d: first %.1f ms, mean of %d %.1f ms wall, %.1f ms processor"
                " (goal < 50); non-white samples %d\n",
                image.width(), image.height(), firstMs, repeats, renderMs, renderCpu, drawn);
    std::printf("memory: cells %.1f bytes/point, resident growth %.1f bytes/point (goal <= 24)\n",
                double(chart.storedBytes()) / stored, double(grown) / stored);
    return wrong == 0 && drawn > 0 ? 0 : 1;
}
