#pragma once
// Dates: construction, parts, month arithmetic, patterns, and the user's regional short date
// (the regional settings themselves are in Regional.h).
#include <string>
#include <string_view>

#include "Regional.h"
#include "Variant.h"

namespace rt {

// Raises 5 when the date falls outside 1 January 100 .. 31 December 9999. Month and day overflow
// roll over as the classic DateSerial does (month 13 is January of the next year); years 0-99
// take the two-digit window (0-29 -> 2000s, 30-99 -> 1900s).
Date DateSerial(int year, int month, int day);
Date TimeSerial(int hour, int minute, int second);

int Year(Date d);
int Month(Date d);
int Day(Date d);
int Hour(Date d);
int Minute(Date d);
int Second(Date d);

// Month arithmetic keeps the day and clamps to the last day of the target month:
// 31 May - 3 months = 28/29 February.
Date AddMonths(Date d, int months);
Date AddDays(Date d, int days);

// Date patterns: d, dd, M, MM, yy, yyyy, H, HH, mm (minutes), ss; other characters are copied.
// FormatDate(d, "ddMMyyyy") gives "05122026".
std::string FormatDate(Date d, std::string_view pattern);

// The date in the user's short date format.
std::string ShortDateText(Date d);
// The text of a date value as the classic conversion writes it: the short date, then the time
// "HH:mm:ss" when there is one; only the time for a value on 30 December 1899 with a time.
std::string DateTimeText(Date d);

// Text to date under the regional settings, accepting the common forms a user types:
//  - three numbers in the short format's order with ".", "/" or "-" (one of them throughout,
//    blanks after it allowed), two-digit years (00-29 -> 2000s, 30-99 -> 1900s), ISO
//    year-month-day: "05.03.2016", "5.3.16", "5. 3. 2016", "3/5/2016" (en_US), "2016-03-05";
//  - day and month alone in the region's order, in the current year: "05.03", "05.03.", "3/5";
//    month and four-digit year, the month's first day: "03.2016", "3/2016";
//  - a month name, German or English, full or abbreviated, in every region: "5. März 2016",
//    "5 Mrz 16", "05-Mar-2016", "March 5, 2016", "5. März" (current year), "März 2016" (first
//    day);
//  - a weekday name in front ("Samstag, 5. März 2016") and a time "H:mm" or "H:mm:ss" after a
//    blank at the end, which becomes the value's time of day.
// Rejects everything else: the empty text, a time alone, days that the month does not have.
bool TryParseDate(std::string_view text, Date& out);
// Raises 13 when TryParseDate rejects the text.
Date DateFromText(std::string_view text);
bool IsDateText(std::string_view text);

// Today and now from the installed clock.
Date Today();
Date Now();

}  // namespace rt
