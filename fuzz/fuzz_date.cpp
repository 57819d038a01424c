// Date texts under the regional settings on arbitrary bytes. The first byte picks the region
// (day.month.year, month/day/year, year-month-day), the rest is the text. A text is accepted only
// when its three numbers name a real day in the region's order (or ISO year-month-day) without
// rolling over, and an accepted date written in any of the short formats reads back the same.
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

const rt::RegionalDateSettings kRegions[] = {
    {"dd.MM.yyyy", '.', rt::RegionalDateSettings::Order::DayMonthYear},
    {"M/d/yyyy", '/', rt::RegionalDateSettings::Order::MonthDayYear},
    {"yyyy-MM-dd", '-', rt::RegionalDateSettings::Order::YearMonthDay},
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
    Check(rt::DateSerial(year, month, day) == d);
    Check(rt::Hour(d) == 0 && rt::Minute(d) == 0 && rt::Second(d) == 0);

    // The numbers of the text are the day, the month and the year: nothing rolled over.
    const std::vector<std::string_view> numbers = Numbers(text);
    Check(numbers.size() == 3);
    using Order = rt::RegionalDateSettings::Order;
    const Order order = numbers[0].size() == 4 ? Order::YearMonthDay : region.order;
    const int at[3][3] = {{2, 1, 0}, {2, 0, 1}, {0, 1, 2}};  // year, month, day per order
    const int* place = at[static_cast<int>(order)];
    Check(ValueOf(numbers[place[1]]) == month);
    Check(ValueOf(numbers[place[2]]) == day);
    const std::string_view y = numbers[place[0]];
    Check(y.size() <= 2 ? ValueOf(y) == year % 100 : ValueOf(y) == year);

    Check(ReadsBackAs(rt::ShortDateText(d), d));
    Check(ReadsBackAs(rt::FormatDate(d, "yyyy-MM-dd"), d));
    Check(ReadsBackAs("  " + rt::FormatDate(d, region.shortDatePattern) + " ", d));
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
