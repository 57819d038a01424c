#pragma once
// Layout of the tips store "Perlowan.dat" in the host's settings folder, an INI file with two
// sections: "Tipps" holds under "All" the identifiers of every tip ever received, in order of
// first arrival, each followed by ";"; "Tipp" holds under each identifier the user's reading
// status (one digit) followed by the tip's storage text.
#include <string>
#include <string_view>

inline constexpr std::string_view kStoreFileName = "Perlowan.dat";
inline constexpr std::string_view kSectionTipps = "Tipps";
inline constexpr std::string_view kKeyAll = "All";
inline constexpr std::string_view kSectionTipp = "Tipp";

// The user's reading status, the first character of a stored tip.
inline constexpr char kTippNotRead = '0';  // "Tipp noch nicht gelesen"
inline constexpr char kTippRead = '1';     // "Tipp gelesen"
inline constexpr char kTippHidden = '2';   // "Tipp nicht mehr anzeigen"

// The key of tip `ptId` in the section "Tipp": the identifier itself, unless a character of it
// would make the line read back as something else. "&" becomes "&#38;", "=" "&#61;" (a key ends at
// the first "="), CR "&#13;" and LF "&#10;" (a line ends there), and a "[" at the start "&#91;"
// (the line would end the section as a header). Distinct identifiers keep distinct keys.
std::string StoreKey(std::string_view ptId);

// The status prefix to keep for a tip whose stored value is `ptStored`: "0" for an empty value,
// else the digit the value starts with ("0" when it starts with anything else).
std::string StatusPrefix(std::string_view ptStored);

// True when `ptId` is in the known list `ptKnown` ("17;23;42;"), letter case ignored.
bool IsKnownTipp(std::string_view ptKnown, std::string_view ptId);

// `ptKnown` with `ptId` + ";" appended, unless the identifier is known already.
std::string WithKnownTipp(std::string ptKnown, std::string_view ptId);
