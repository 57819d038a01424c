#include "DateTime.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

namespace {

// The region's short form: three numbers with one of the separators ".", "/" or "-".
bool TryParseShortDate(std::string_view text, Date& out) {
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

// ---- the other common forms: day and month alone, month names, weekday, time of day

struct Token {
    enum class Kind { Number, Word, Separators, Colon } kind;
    std::string text;  // words in lower case; separator runs as written
    Field number;
};

// Numbers, words (letters, umlauts and other non-ASCII characters), runs of the separators
// ". / - ," and blanks, and ":"; nothing for any other character.
std::optional<std::vector<Token>> Tokens(std::string_view text) {
    std::vector<Token> tokens;
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        auto kindOf = [](unsigned char ch) {
            if (ch >= '0' && ch <= '9') return 0;
            if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || ch >= 0x80) return 1;
            if (ch == '.' || ch == '/' || ch == '-' || ch == ',' || ch == ' ') return 2;
            if (ch == ':') return 3;
            return -1;
        };
        const int kind = kindOf(c);
        if (kind < 0) return std::nullopt;
        std::size_t end = i + 1;
        if (kind != 3)
            while (end < text.size() && kindOf(static_cast<unsigned char>(text[end])) == kind)
                ++end;
        Token token{static_cast<Token::Kind>(kind), std::string(text.substr(i, end - i)), {}};
        if (token.kind == Token::Kind::Number) {
            if (token.text.size() > 4) return std::nullopt;
            token.number = {std::stoi(token.text), static_cast<int>(token.text.size())};
        } else if (token.kind == Token::Kind::Word) {
            for (char& ch : token.text)
                if (ch >= 'A' && ch <= 'Z') ch = static_cast<char>(ch - 'A' + 'a');
            // Capital umlauts as small ones: "MÄRZ" is "märz".
            for (std::size_t at = token.text.find('\xC3');
                 at != std::string::npos && at + 1 < token.text.size();
                 at = token.text.find('\xC3', at + 1)) {
                char& second = token.text[at + 1];
                if (second == '\x84' || second == '\x96' || second == '\x9C')
                    second = static_cast<char>(second + 0x20);
            }
        }
        tokens.push_back(std::move(token));
        i = end;
    }
    return tokens;
}

// Month names in German and English, full and abbreviated; 0 for any other word.
int MonthOfName(std::string_view word) {
    if (word.ends_with('.')) word.remove_suffix(1);
    static constexpr std::pair<std::string_view, int> kNames[] = {
        {"januar", 1},    {"jänner", 1}, {"january", 1},   {"jan", 1},      {"februar", 2},
        {"february", 2},  {"feb", 2},    {"märz", 3},      {"maerz", 3},    {"march", 3},
        {"mär", 3},       {"mrz", 3},    {"mar", 3},       {"april", 4},    {"apr", 4},
        {"mai", 5},       {"may", 5},    {"juni", 6},      {"june", 6},     {"jun", 6},
        {"juli", 7},      {"july", 7},   {"jul", 7},       {"august", 8},   {"aug", 8},
        {"september", 9}, {"sept", 9},   {"sep", 9},       {"oktober", 10}, {"october", 10},
        {"okt", 10},      {"oct", 10},   {"november", 11}, {"nov", 11},     {"dezember", 12},
        {"december", 12}, {"dez", 12},   {"dec", 12}};
    for (const auto& [name, month] : kNames)
        if (word == name) return month;
    return 0;
}

bool IsWeekdayName(std::string_view word) {
    static constexpr std::string_view kNames[] = {
        "montag",    "dienstag", "mittwoch", "donnerstag", "freitag", "samstag",
        "sonnabend", "sonntag",  "mo",       "di",         "mi",      "do",
        "fr",        "sa",       "so",       "monday",     "tuesday", "wednesday",
        "thursday",  "friday",   "saturday", "sunday",     "mon",     "tue",
        "wed",       "thu",      "fri",      "sat",        "sun"};
    for (const auto name : kNames)
        if (word == name) return true;
    return false;
}

// A separator run without its blanks.
std::string Core(const Token& separators) {
    std::string core;
    for (char c : separators.text)
        if (c != ' ') core += c;
    return core;
}

// Year, month and day of the parts; false when they make no date.
bool MakeDate(Field year, int month, Field day, Date& out) {
    if (year.digits == 3 || day.digits > 2) return false;
    const int y = year.digits <= 2 ? WindowYear(year.value) : year.value;
    if (y < 100 || y > 9999 || month < 1 || month > 12) return false;
    if (day.value < 1 || day.value > DaysInMonth(y, month)) return false;
    out = DateSerial(y, month, day.value);
    return true;
}

bool TryParseOtherDateForm(std::string_view text, Date& out) {
    auto parsed = Tokens(text);
    if (!parsed) return false;
    std::vector<Token>& tokens = *parsed;
    auto trimSeparators = [&] {
        while (!tokens.empty() && tokens.front().kind == Token::Kind::Separators &&
               Core(tokens.front()).empty())
            tokens.erase(tokens.begin());
        while (!tokens.empty() && tokens.back().kind == Token::Kind::Separators &&
               Core(tokens.back()).empty())
            tokens.pop_back();
    };
    trimSeparators();

    // A weekday in front: "Samstag, 5. März 2016".
    if (!tokens.empty() && tokens.front().kind == Token::Kind::Word &&
        IsWeekdayName(tokens.front().text)) {
        tokens.erase(tokens.begin());
        if (!tokens.empty() && tokens.front().kind == Token::Kind::Separators) {
            const std::string core = Core(tokens.front());
            if (!core.empty() && core != "," && core != ".") return false;
            tokens.erase(tokens.begin());
        }
    }

    // A time of day at the end: "H:mm" or "H:mm:ss" after a blank.
    double timePart = 0;
    if (const auto colon =
            std::find_if(tokens.begin(), tokens.end(),
                         [](const Token& t) { return t.kind == Token::Kind::Colon; });
        colon != tokens.end()) {
        const std::size_t at = static_cast<std::size_t>(colon - tokens.begin());
        if (at < 2 || tokens[at - 1].kind != Token::Kind::Number ||
            tokens[at - 2].kind != Token::Kind::Separators || !Core(tokens[at - 2]).empty())
            return false;
        std::vector<int> parts;
        for (std::size_t i = at - 1; i < tokens.size(); i += 2) {
            if (tokens[i].kind != Token::Kind::Number || tokens[i].number.digits > 2) return false;
            parts.push_back(tokens[i].number.value);
            if (i + 1 < tokens.size() && tokens[i + 1].kind != Token::Kind::Colon) return false;
        }
        if (parts.size() < 2 || parts.size() > 3 || parts[0] > 23 || parts[1] > 59 ||
            (parts.size() == 3 && parts[2] > 59))
            return false;
        timePart = TimeSerial(parts[0], parts[1], parts.size() == 3 ? parts[2] : 0).serial;
        tokens.resize(at - 2);
    }

    // What is left alternates between parts and separator runs.
    std::vector<const Token*> parts;
    std::vector<std::string> cores;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const bool shouldBePart = i % 2 == 0;
        if ((tokens[i].kind != Token::Kind::Separators) != shouldBePart) return false;
        if (shouldBePart)
            parts.push_back(&tokens[i]);
        else
            cores.push_back(Core(tokens[i]));
    }
    if (parts.empty()) return false;
    // A run at the end: only the "." of "05.03." or "5. März 2016.".
    if (cores.size() == parts.size()) {
        if (cores.back() != ".") return false;
        cores.pop_back();
    }
    for (const std::string& core : cores)
        if (core.size() > 1 && core != ".,") return false;

    std::vector<Field> numbers;
    int month = 0;
    std::size_t monthAt = 0;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (parts[i]->kind == Token::Kind::Number) {
            numbers.push_back(parts[i]->number);
        } else {
            if (month != 0) return false;
            month = MonthOfName(parts[i]->text);
            if (month == 0) return false;
            monthAt = i;
        }
    }
    const Field thisYear{Year(Today()), 4};
    Field year, day;
    using Order = RegionalDateSettings::Order;
    const Order order = CurrentRegion().order;
    if (month == 0) {
        // Numbers alone keep the region's order and one separator: "05.03", "3/5", "03.2016".
        const std::string& separator = cores.empty() ? std::string() : cores.front();
        if (separator != "." && separator != "/" && separator != "-") return false;
        for (const std::string& core : cores)
            if (core != separator) return false;
        if (numbers.size() == 3) {
            Field m;
            if (numbers[0].digits == 4 || order == Order::YearMonthDay)
                year = numbers[0], m = numbers[1], day = numbers[2];
            else if (order == Order::DayMonthYear)
                day = numbers[0], m = numbers[1], year = numbers[2];
            else
                m = numbers[0], day = numbers[1], year = numbers[2];
            if (m.digits > 2) return false;
            month = m.value;
        } else if (numbers.size() == 2) {
            Field m;
            if (numbers[0].digits == 4)
                year = numbers[0], m = numbers[1], day = {1, 1};
            else if (numbers[1].digits == 4)
                m = numbers[0], year = numbers[1], day = {1, 1};
            else if (order == Order::DayMonthYear)
                day = numbers[0], m = numbers[1], year = thisYear;
            else
                m = numbers[0], day = numbers[1], year = thisYear;
            if (m.digits > 2) return false;
            month = m.value;
        } else {
            return false;
        }
    } else {
        const std::size_t before = monthAt, after = parts.size() - monthAt - 1;
        if (before == 1 && after == 1) {
            // "5. März 2016", "5-Mar-16"; "2016-Mar-05" with the year first.
            if (numbers[0].digits == 4)
                year = numbers[0], day = numbers[1];
            else
                day = numbers[0], year = numbers[1];
        } else if (before == 1 && after == 0) {
            // "5. März" this year; "2016 März" its first day.
            if (numbers[0].digits == 4)
                year = numbers[0], day = {1, 1};
            else
                day = numbers[0], year = thisYear;
        } else if (before == 0 && after == 2) {
            day = numbers[0], year = numbers[1];  // "March 5, 2016"
        } else if (before == 0 && after == 1) {
            // "März 2016" its first day; "March 5" this year.
            if (numbers[0].digits == 4)
                year = numbers[0], day = {1, 1};
            else
                day = numbers[0], year = thisYear;
        } else {
            return false;
        }
    }
    Date date;
    if (!MakeDate(year, month, day, date)) return false;
    out = Date{date.serial + timePart};
    return true;
}

}  // namespace

bool TryParseDate(std::string_view text, Date& out) {
    return TryParseShortDate(text, out) || TryParseOtherDateForm(text, out);
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
