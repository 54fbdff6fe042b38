#include "mainwindow/tableeditmenu.h"

#include "core/datafile.h"
#include "core/services.h"
#include "core/shared.h"
#include "core/slots.h"
#include "core/windowsettings.h"
#include "mainwindow/mainwindow.h"
#include "mainwindow/menucommands.h"
#include "platform/dialogs.h"
#include "support/language.h"
#include "views/remarkdialog.h"
#include "views/table.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPointer>

using namespace Hoofdmodule;

namespace {

frmTabel *activeTable(mdiQLV2 &w)
{
    QMdiSubWindow *active = w.mdiArea()->currentSubWindow();
    return active ? qobject_cast<frmTabel *>(active->widget()) : nullptr;
}

} // namespace

void TabelBewerkMenu(mdiQLV2 &w)
{
    // The table's own pop-up is the Edit menu: the same rules decide what it offers.
    mnuEdit_Click(w);
}

void KoppelTabelBewerkingen(mdiQLV2 &w, frmTabel *tabel)
{
    QPointer<frmTabel> table = tabel;
    auto on = [&w](const char *name, std::function<void()> handler) {
        w.onMenuItem(QLatin1String(name), std::move(handler));
    };
    on("mnuClearLine", [&w] {
        if (frmTabel *t = activeTable(w))
            t->WissenSelectie();
    });
    on("mnuDeleteLine", [&w] {
        if (frmTabel *t = activeTable(w)) {
            t->ToonLijnSelectie();
            t->VerwijderSelectie();
        }
    });
    on("mnuEditInfo", [&w] {
        // Its shortcut works without the menu's refresh: no remarks while logging.
        frmTabel *t = activeTable(w);
        if (!t || LoggenActief)
            return;
        t->setFocus();
        if (VervangDatum(Meetbestandsnaam) != Meetbestandsnaam) {
            WindowHost::current().message(Taaltekst(444), MsgBox::OkOnly | MsgBox::Exclamation,
                                          Meetbestandsnaam);
            return;
        }
        if (t->Tab() >= 0)
            t->MSHFlexGrid_DblClick(t->Tab());
    });
    QObject::connect(tabel, &frmTabel::bewerkMenuBijwerken, &w, [&w] { TabelBewerkMenu(w); });
    QObject::connect(tabel, &frmTabel::bewerkMenuGevraagd, &w, [&w](const QPoint &at) {
        if (QMenu *edit = w.menu("mnuEdit"))
            edit->popup(at);
    });
    QObject::connect(tabel, &frmTabel::opmerkingGevraagd, &w, [table](int grid, qint32 row) {
        if (table)
            ToonOpmerking(table, grid, row);
    });
}
