#pragma once
// The user's regional settings: the date format and the decimal sign that the classic
// conversions (CStr and CDbl of numbers, dates as text) follow. They come from the user's locale
// names in the environment, never from the C library's current locale, which belongs to the host
// process and may be switched by it at any time.
#include <optional>
#include <string>
#include <string_view>

namespace rt {

struct RegionalSettings {
    enum class Order { DayMonthYear, MonthDayYear, YearMonthDay };
    // Dates.
    std::string shortDatePattern = "dd.MM.yyyy";  // e.g. "dd.MM.yyyy", "M/d/yyyy"
    char separator = '.';
    Order order = Order::DayMonthYear;
    // Numbers.
    char decimalSign = ',';
    char thousandsSeparator = '.';
};
// The name the date conversions first knew the settings by.
using RegionalDateSettings = RegionalSettings;

// Settings of a locale name such as "de_DE.UTF-8" or "en_US": de_* and most European locales
// give day.month.year with "." and the decimal comma; en_US month/day/year with "/" and the
// decimal point; ISO-style locales year-month-day with "-". Names that carry no region ("C",
// "POSIX", "") give the German settings, the users' own region.
RegionalSettings RegionFromLocaleName(std::string_view localeName);

// The user's settings: dates from LC_ALL, LC_TIME or LANG, numbers from LC_ALL, LC_NUMERIC or
// LANG (the first that is set), read once.
const RegionalSettings& CurrentRegion();
// For tests: replace the settings read from the environment (nullptr restores them).
void OverrideRegion(const RegionalSettings* settings);

// Installs the settings of a locale name for its lifetime, then puts back what was there.
class ScopedRegion {
  public:
    explicit ScopedRegion(std::string_view localeName);
    ~ScopedRegion();
    ScopedRegion(const ScopedRegion&) = delete;
    ScopedRegion& operator=(const ScopedRegion&) = delete;

  private:
    std::optional<RegionalSettings> previous_;
};

}  // namespace rt
