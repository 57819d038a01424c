#pragma once
// The tips exchange: the upload of the chosen period through the host, and the merge of the tips
// that come back into the store "Perlowan.dat" and into the window's tips list.
#include <string>

class FrmAddIn;

// Formats the window's two dates "ddMMyyyy", asks the host's PerlowanUpload for the tips of that
// period, prepares the tips list (cleared, columns "Datum" and "Tipp"), hands the tips to
// ProcessTipps when the upload succeeded or its error text mentions "Timeout" (letter case
// ignored), and switches the list's drawing back on. Never raises: any failure ends in a message
// box with the error's number and description.
void UploadPeriod(FrmAddIn& pobjForm);

// Merges the tips text (a JSON array of flat objects) into the store, keeping the reading status
// of every known tip, lists the tips that the window's filter lets through and records their
// identifiers in gtTippIds, writes the store once and tells the host ShowStatus. Handles its own
// failures: a message box and two trace lines, the store file left as it was. Raises only when
// that handling fails itself (91 without a running add-in).
void ProcessTipps(std::string& ptTipps);

// The store's path: the host's settings folder (SettingFolderGet 3) directly followed by
// "Perlowan.dat". Raises 91 without a running add-in; errors of the host call reach the caller.
std::string StoreFilePath();
