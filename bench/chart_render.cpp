// Fills the chart control with 32 lines of 30,000 points (a gap every 1,000 points) and draws
// it into an image the size of a window, as the screen gets it; then checks that every value
// went in and that each line lies on the picture where its values put it.
//
// The fill and drawing goals are judged on this program's processor time: on a machine shared
// with other work the wall clock also counts the waits for a core. Both are reported. A missed
// goal or a failed check says MISSED and makes the exit status non-zero.
//
// Usage: bench_chart_render [points]   (default 30000)
#include "platform/chart.h"
#include "benchsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPainter>
#include <cmath>
#include <limits>
#include <vector>
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

constexpr double FillGoalMs = 50;
constexpr double RenderGoalMs = 50;
constexpr double MemoryGoalBytes = 24;

// Whether each line was drawn where its values put it. Points are sampled along every line; each
// one's place on the picture comes from the chart's own mapping of row and value to pixels, and
// the line's colour must be found within a pixel or two of it. A point where a line drawn later
// passes close by may be painted over; it is left unjudged.
struct Placement {
    static constexpr int Reach = 2;      // pixels from the mapped place the colour may lie
    static constexpr int Samples = 100;  // per line
    int judged = 0;
    int found = 0;
    int covered = 0;
    int fewestOnALine = 0;
    QStringList misses;
};

Placement checkPlacement(const Chart &chart, const QImage &image, int lines, int points)
{
    // Where each line runs, per pixel column: the highest and lowest pixel of its points there.
    // A drawn segment between two columns stays within the two columns' spans.
    struct Span {
        double top = std::numeric_limits<double>::infinity();
        double bottom = -std::numeric_limits<double>::infinity();
    };
    const int width = image.width();
    std::vector<std::vector<Span>> spans(size_t(lines), std::vector<Span>(size_t(width), Span{}));
    for (int s = 0; s < lines; ++s)
        for (int r = 1; r <= points; ++r) {
            if (chart.isNull(s + 3, r))
                continue;
            const QPointF at = chart.pointPosition(s + 3, r);
            const int column = int(std::floor(at.x()));
            if (column < 0 || column >= width)
                continue;
            Span &span = spans[size_t(s)][size_t(column)];
            span.top = std::min(span.top, at.y());
            span.bottom = std::max(span.bottom, at.y());
        }
    // Whether a line drawn after line s passes within a few pixels of the place.
    constexpr int Near = Placement::Reach + 3;
    const auto coveredLater = [&](int s, int x, int y) {
        for (int t = s + 1; t < lines; ++t)
            for (int c = std::max(0, x - Near); c <= std::min(width - 1, x + Near); ++c) {
                const Span &span = spans[size_t(t)][size_t(c)];
                if (span.top - Near <= y && y <= span.bottom + Near)
                    return true;
            }
        return false;
    };

    Placement result;
    result.fewestOnALine = std::numeric_limits<int>::max();
    for (int s = 0; s < lines; ++s) {
        const QRgb colour = chart.penColour(s + 3).rgb();
        int judged = 0;
        for (int k = 0; k < Placement::Samples; ++k) {
            const int r = 1 + int(qint64(k) * (points - 1) / (Placement::Samples - 1));
            if (chart.isNull(s + 3, r))
                continue;
            const QPointF at = chart.pointPosition(s + 3, r);
            const int x = qRound(at.x()), y = qRound(at.y());
            if (coveredLater(s, x, y)) {
                ++result.covered;
                continue;
            }
            ++judged;
            bool found = false;
            for (int dy = -Placement::Reach; dy <= Placement::Reach && !found; ++dy)
                for (int dx = -Placement::Reach; dx <= Placement::Reach && !found; ++dx)
                    found = image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == colour;
            if (found)
                ++result.found;
            else
                result.misses << QStringLiteral("line %1, row %2, value %3, expected at (%4, %5)")
                                     .arg(s + 1)
                                     .arg(r)
                                     .arg(chart.value(s + 3, r))
                                     .arg(x)
                                     .arg(y);
        }
        result.judged += judged;
        result.fewestOnALine = std::min(result.fewestOnALine, judged);
    }
    return result;
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
    // Each line its own colour, so that the picture tells which line lies where.
    for (int s = 0; s < lines; ++s)
        chart.setPenColour(s + 3, QColor::fromHsv(s * 360 / lines, 255, s % 2 ? 150 : 230));
    chart.setLegendVisible(true);
    chart.setLabelStep(points / 7);
    // Shown, the chart is laid out at its window's size, which the picture has too: the check of
    // the lines' places maps values through that layout.
    chart.show();
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
    const Placement placement = checkPlacement(chart, image, lines, points);

    const double stored = double(points) * lines;
    const double bytesPerPoint = double(grown) / stored;
    Goals goals;
    std::printf("lines %d x points %d (%0.f points), values checked wrong: %d: %s\n", lines, points,
                stored, wrong, goals.judge(wrong == 0));
    std::printf("fill (values and labels): %.1f ms wall, %.1f ms processor (goal < %.0f): %s\n",
                fillMs, fillCpu, FillGoalMs, goals.judge(fillCpu < FillGoalMs));
    std::printf("render %dx%d: first %.1f ms, mean of %d %.1f ms wall, %.1f ms processor"
                " (goal < %.0f): %s\n",
                image.width(), image.height(), firstMs, repeats, renderMs, renderCpu,
                RenderGoalMs, goals.judge(renderCpu < RenderGoalMs));
    std::printf("memory: cells %.1f bytes/point, resident growth %.1f bytes/point (goal <= %.0f):"
                " %s\n",
                double(chart.storedBytes()) / stored, bytesPerPoint, MemoryGoalBytes,
                goals.judge(bytesPerPoint <= MemoryGoalBytes));
    std::printf("placement: %d of %d points sampled on %d lines found in their line's colour within"
                " %d pixels of where their values map; %d left unjudged under a line drawn later;"
                " fewest judged on one line %d: %s\n",
                placement.found, placement.judged, lines, Placement::Reach, placement.covered,
                placement.fewestOnALine,
                goals.judge(placement.found == placement.judged && placement.fewestOnALine > 0));
    // The first few misses show where it goes wrong.
    for (qsizetype i = 0; i < std::min<qsizetype>(placement.misses.size(), 10); ++i)
        std::printf("  not drawn: %s\n", qPrintable(placement.misses[i]));
    if (placement.misses.size() > 10)
        std::printf("  and %d more\n", int(placement.misses.size() - 10));
    return goals.status();
}
