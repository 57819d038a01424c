// Date texts under the regional settings on arbitrary bytes. The first byte picks the region
// (day.month.year, month/day/year, year-month-day), the rest is the text. An accepted text gives
// a real day (with a time of day at most), a text of three plain numbers names that day in the
// region's order (or ISO year-month-day) without rolling over, and an accepted day written in
// any of the short formats reads back the same.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "DateTime.h"
#include "RuntimeError.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

rt::RegionalDateSettings Region(const char* pattern, char separator,
                                rt::RegionalDateSettings::Order order) {
    rt::RegionalDateSettings region;
    region.shortDatePattern = pattern;
    region.separator = separator;
    region.order = order;
    return region;
}

const rt::RegionalDateSettings kRegions[] = {
    Region("dd.MM.yyyy", '.', rt::RegionalDateSettings::Order::DayMonthYear),
    Region("M/d/yyyy", '/', rt::RegionalDateSettings::Order::MonthDayYear),
    Region("yyyy-MM-dd", '-', rt::RegionalDateSettings::Order::YearMonthDay),
};

// The digit groups of the text, in order.
std::vector<std::string_view> Numbers(std::string_view text) {
    std::vector<std::string_view> numbers;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] < '0' || text[i] > '9') {
            ++i;
            continue;
        }
        const std::size_t start = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
        numbers.push_back(text.substr(start, i - start));
    }
    return numbers;
}

int ValueOf(std::string_view digits) {
    int value = 0;
    for (const char c : digits) value = value * 10 + (c - '0');
    return value;
}

bool ReadsBackAs(const std::string& text, rt::Date expected) {
    rt::Date again;
    return rt::TryParseDate(text, again) && again == expected;
}

void CheckAccepted(std::string_view text, const rt::RegionalDateSettings& region, rt::Date d) {
    const int year = rt::Year(d), month = rt::Month(d), day = rt::Day(d);
    Check(year >= 100 && year <= 9999 && month >= 1 && month <= 12 && day >= 1 && day <= 31);

    // The numbers of the text are the day, the month and the year: nothing rolled over.
    const int hour = rt::Hour(d), minute = rt::Minute(d), second = rt::Second(d);
    Check(d == rt::Date{rt::DateSerial(year, month, day).serial +
                        rt::TimeSerial(hour, minute, second).serial});
    const rt::Date dayOnly = rt::DateSerial(year, month, day);
    Check(ReadsBackAs(rt::ShortDateText(dayOnly), dayOnly));
    Check(ReadsBackAs(rt::FormatDate(dayOnly, "yyyy-MM-dd"), dayOnly));
    Check(ReadsBackAs("  " + rt::FormatDate(dayOnly, region.shortDatePattern) + " ", dayOnly));

    // Three plain numbers with one separator: the day, the month and the year, as written.
    if (text.find_first_not_of("0123456789./- ") != std::string_view::npos) return;
    const std::vector<std::string_view> numbers = Numbers(text);
    if (numbers.size() != 3) return;
    using Order = rt::RegionalDateSettings::Order;
    const Order order = numbers[0].size() == 4 ? Order::YearMonthDay : region.order;
    const int at[3][3] = {{2, 1, 0}, {2, 0, 1}, {0, 1, 2}};  // year, month, day per order
    const int* place = at[static_cast<int>(order)];
    Check(ValueOf(numbers[place[1]]) == month);
    Check(ValueOf(numbers[place[2]]) == day);
    const std::string_view y = numbers[place[0]];
    Check(y.size() <= 2 ? ValueOf(y) == year % 100 : ValueOf(y) == year);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const rt::RegionalDateSettings& region = kRegions[data[0] % 3];
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    rt::OverrideRegion(&region);
    rt::Date d;
    const bool accepted = rt::TryParseDate(text, d);
    Check(rt::IsDateText(text) == accepted);
    try {
        const rt::Date raised = rt::DateFromText(text);
        Check(accepted && raised == d);
    } catch (const rt::RuntimeError& e) {
        Check(!accepted && e.Number() == rt::err::TypeMismatch);
    }
    if (accepted) CheckAccepted(text, region, d);
    // Any pattern formats any date without failing.
    (void)rt::FormatDate(accepted ? d : rt::DateSerial(2024, 2, 29), text);
    rt::OverrideRegion(nullptr);
    return 0;
}
