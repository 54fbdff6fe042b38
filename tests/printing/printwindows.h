#pragma once
#include "fakegraph.h"
#include "faketable.h"

#include "core/services.h"
#include "core/slots.h"
#include "printing/printdialog.h"

#include <QMap>
#include <QWidget>
#include <functional>
#include <memory>

// A graph window: a widget with a graph tag that prints as the fake graph does, and can run
// something of the test's while its chart is drawn.
class GraphWindow : public QWidget, public FakeGraph {
public:
    explicit GraphWindow(qint16 number)
    {
        index = number;
        title = QStringLiteral("g%1").arg(number);
        setProperty("Tag", QStringLiteral("grafiek%1").arg(number));
    }
    std::function<void()> whileDrawn;
    void renderChart(QPainter &painter, const QRectF &target, bool t, bool l) const override
    {
        FakeGraph::renderChart(painter, target, t, l);
        if (whileDrawn)
            whileDrawn();
    }
};

// The windows a print run can reach: graphs by number, the table window with the grids of
// slots 2 ("Oven", two rows) and 5 ("Press", three rows), both valid.
struct PrintWindows {
    QMap<int, std::shared_ptr<GraphWindow>> graphs;
    FakeTable table;

    PrintWindows()
    {
        ResetToestellen();
        Toestel[2].Naam = QStringLiteral("Oven");
        Toestel[2].Type = QStringLiteral("T5781");
        Toestel[2].Idno = 2;
        Toestel[5].Naam = QStringLiteral("Press");
        Toestel[5].Type = QStringLiteral("T542");
        Toestel[5].Idno = 5;
        fillTable(table.gridData(1), 2);
        fillTable(table.gridData(4), 3);
        dataViews().tabel = &table;
        Printerkode::printDialogHooks().grafiek = [this](int n) -> const PrintableGraph * {
            return graphs.value(n).get();
        };
    }
    ~PrintWindows()
    {
        dataViews().tabel = nullptr;
        dataViews().activeWindow = nullptr;
        Printerkode::printDialogHooks().grafiek = nullptr;
        ResetToestellen();
    }
    GraphWindow &graph(int n)
    {
        auto &g = graphs[n];
        if (!g)
            g = std::make_shared<GraphWindow>(qint16(n));
        return *g;
    }
};
