#include "DemoScript.h"

namespace telmora {

const char* DemoScript() {
    return R"(echo == The host starts the add-in; the user opens its window from the menu
start
menu
log
show frmAddIn Width Height
echo == The period "Letzte 7 Tage"; the filter stays on "Nur ungelesene Tipps anzeigen"
choose cboZeitraum 1
show txtFrom Text
show txtTo Text
show cboTippFilter Text
echo == The start button: the host uploads the period and returns its tips, the store is written (ShowStatus), the list shows the tips
click cmdStartExport
log
show cmdStartExport Enabled
cells grdTipps
echo == The user selects the first row: its text shows with its line breaks, its status is "Tipp noch nicht gelesen"
select grdTipps 1 0
log
show txtDetails Text
show optStatus(0) Value
show optStatus(1) Value
echo == The user marks it read ("Tipp gelesen"): its entry in the store now starts with 1
click optStatus(1)
log
show optStatus(1) Value
store
echo == A second exchange of the same period with "Nur ungelesene Tipps anzeigen" no longer lists the tip read
click cmdStartExport
log
cells grdTipps
echo == With "Alle Tipps anzeigen" the next exchange lists every tip again, the tip read among them
choose cboTippFilter 1
show cboTippFilter Text
click cmdStartExport
log
cells grdTipps
echo == The add-in is hidden and ended
hide
stop
log
)";
}

}  // namespace telmora
