#include "DateTime.h"

#include <cmath>

#include "Clock.h"
#include "RuntimeError.h"

namespace rt {

namespace {

// Days since 1 March of year 0 of the proleptic Gregorian calendar, shifted so that
// 30 December 1899 is day 0.
constexpr std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;  // days since 1970-01-01
}

constexpr std::int64_t kEpoch = DaysFromCivil(1899, 12, 30);
constexpr std::int64_t kFirstDay = DaysFromCivil(100, 1, 1) - kEpoch;
constexpr std::int64_t kLastDay = DaysFromCivil(9999, 12, 31) - kEpoch;

struct Civil {
    int year, month, day;
};

Civil CivilFromDays(std::int64_t serialDays) {
    std::int64_t z = serialDays + kEpoch + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t doe = z - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t y = yoe + era * 400 + (m <= 2);
    return {static_cast<int>(y), m, d};
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// The classic window for two-digit years.
int WindowYear(int year) {
    if (year >= 0 && year <= 29) return 2000 + year;
    if (year >= 30 && year <= 99) return 1900 + year;
    return year;
}

// The whole days of a date; before 30 December 1899 the fraction counts forward from the day.
std::int64_t DayPart(Date d) {
    return static_cast<std::int64_t>(d.serial < 0 ? std::ceil(d.serial) : std::floor(d.serial));
}

// Seconds into the day, rounded to the second.
int SecondsOfDay(Date d) {
    const double fraction = std::fabs(d.serial - static_cast<double>(DayPart(d)));
    const long long seconds = std::llround(fraction * 86400.0);
    return static_cast<int>(std::min(seconds, 86399LL));
}

Civil CivilOf(Date d) {
    if (!std::isfinite(d.serial) || d.serial < kFirstDay - 1 || d.serial > kLastDay + 1)
        Raise(err::InvalidProcedureCall);
    return CivilFromDays(DayPart(d));
}

Date FromCivilChecked(std::int64_t year, std::int64_t month, std::int64_t day, double timePart) {
    // Month overflow moves the year; day overflow moves through the calendar.
    const std::int64_t monthIndex = month - 1;
    const std::int64_t yearShift = monthIndex >= 0 ? monthIndex / 12 : -((11 - monthIndex) / 12);
    year += yearShift;
    month = monthIndex - yearShift * 12 + 1;
    if (year < 0 || year > 20000) Raise(err::InvalidProcedureCall);
    const std::int64_t days = DaysFromCivil(year, static_cast<int>(month), 1) - kEpoch + (day - 1);
    if (days < kFirstDay || days > kLastDay) Raise(err::InvalidProcedureCall);
    const double serial = static_cast<double>(days);
    return Date{days < 0 ? serial - timePart : serial + timePart};
}

double TimePart(Date d) {
    return std::fabs(d.serial - static_cast<double>(DayPart(d)));
}

void AppendNumber(std::string& out, int value, int minDigits) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits)
        digits.insert(0, static_cast<std::size_t>(minDigits) - digits.size(), '0');
    out += digits;
}

// A part of a date text: its digits.
struct Field {
    int value = 0;
    int digits = 0;
};

}  // namespace

Date DateSerial(int year, int month, int day) {
    return FromCivilChecked(WindowYear(year), month, day, 0);
}

Date TimeSerial(int hour, int minute, int second) {
    const std::int64_t seconds = std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
    return Date{static_cast<double>(seconds) / 86400.0};
}

int Year(Date d) {
    return CivilOf(d).year;
}
int Month(Date d) {
    return CivilOf(d).month;
}
int Day(Date d) {
    return CivilOf(d).day;
}
int Hour(Date d) {
    return SecondsOfDay(d) / 3600;
}
int Minute(Date d) {
    return SecondsOfDay(d) / 60 % 60;
}
int Second(Date d) {
    return SecondsOfDay(d) % 60;
}

Date AddMonths(Date d, int months) {
    const Civil c = CivilOf(d);
    const std::int64_t total = std::int64_t{c.year} * 12 + (c.month - 1) + months;
    const std::int64_t year = total >= 0 ? total / 12 : -((11 - total) / 12);
    if (year < 100 || year > 9999) Raise(err::InvalidProcedureCall);
    const int month = static_cast<int>(total - year * 12 + 1);
    const int day = std::min(c.day, DaysInMonth(static_cast<int>(year), month));
    return FromCivilChecked(year, month, day, TimePart(d));
}

Date AddDays(Date d, int days) {
    CivilOf(d);
    const std::int64_t whole = DayPart(d) + days;
    if (whole < kFirstDay || whole > kLastDay) Raise(err::InvalidProcedureCall);
    const double time = TimePart(d);
    const double serial = static_cast<double>(whole);
    return Date{whole < 0 ? serial - time : serial + time};
}

std::string FormatDate(Date d, std::string_view pattern) {
    const Civil c = CivilOf(d);
    const int seconds = SecondsOfDay(d);
    std::string out;
    for (std::size_t i = 0; i < pattern.size();) {
        const char ch = pattern[i];
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == ch) ++run;
        const int width = run >= 2 ? 2 : 1;
        switch (ch) {
            case 'd':
                AppendNumber(out, c.day, width);
                break;
            case 'M':
                AppendNumber(out, c.month, width);
                break;
            case 'y':
                if (run >= 3)
                    AppendNumber(out, c.year, 4);
                else
                    AppendNumber(out, c.year % 100, 2);
                break;
            case 'H':
            case 'h':
                AppendNumber(out, seconds / 3600, width);
                break;
            case 'm':
                AppendNumber(out, seconds / 60 % 60, width);
                break;
            case 's':
                AppendNumber(out, seconds % 60, width);
                break;
            default:
                out.append(run, ch);
                break;
        }
        i += run;
    }
    return out;
}

std::string ShortDateText(Date d) {
    return FormatDate(d, CurrentRegion().shortDatePattern);
}

std::string DateTimeText(Date d) {
    CivilOf(d);
    if (SecondsOfDay(d) == 0) return ShortDateText(d);
    const std::string time = FormatDate(d, "HH:mm:ss");
    if (DayPart(d) == 0) return time;
    return ShortDateText(d) + " " + time;
}

bool TryParseDate(std::string_view text, Date& out) {
    // Blanks around the date are allowed; anything else must be the three numbers.
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);

    Field fields[3];
    char separator = 0;
    std::size_t pos = 0;
    for (int f = 0; f < 3; ++f) {
        if (f > 0) {
            if (pos >= text.size()) return false;
            const char c = text[pos];
            if (c != '.' && c != '/' && c != '-') return false;
            if (separator != 0 && c != separator) return false;
            separator = c;
            ++pos;
        }
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            if (++fields[f].digits > 4) return false;
            fields[f].value = fields[f].value * 10 + (text[pos] - '0');
            ++pos;
        }
        if (fields[f].digits == 0) return false;
    }
    if (pos != text.size()) return false;

    using Order = RegionalSettings::Order;
    Order order = CurrentRegion().order;
    if (fields[0].digits == 4) order = Order::YearMonthDay;  // ISO year-month-day
    Field year, month, day;
    switch (order) {
        case Order::DayMonthYear:
            day = fields[0], month = fields[1], year = fields[2];
            break;
        case Order::MonthDayYear:
            month = fields[0], day = fields[1], year = fields[2];
            break;
        case Order::YearMonthDay:
            year = fields[0], month = fields[1], day = fields[2];
            break;
    }
    if (day.digits > 2 || month.digits > 2) return false;
    if (year.digits == 3) return false;
    const int y = year.digits <= 2 ? WindowYear(year.value) : year.value;
    if (y < 100 || y > 9999) return false;
    if (month.value < 1 || month.value > 12) return false;
    if (day.value < 1 || day.value > DaysInMonth(y, month.value)) return false;
    out = DateSerial(y, month.value, day.value);
    return true;
}

Date DateFromText(std::string_view text) {
    Date d;
    if (!TryParseDate(text, d)) Raise(err::TypeMismatch);
    return d;
}

bool IsDateText(std::string_view text) {
    Date ignored;
    return TryParseDate(text, ignored);
}

Date Today() {
    const LocalDateTime now = CurrentClock().Now();
    return DateSerial(now.year, now.month, now.day);
}

Date Now() {
    const LocalDateTime now = CurrentClock().Now();
    const Date day = DateSerial(now.year, now.month, now.day);
    return Date{day.serial + TimeSerial(now.hour, now.minute, now.second).serial};
}

}  // namespace rt
