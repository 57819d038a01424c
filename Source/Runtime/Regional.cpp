#include "Regional.h"

#include <cstdlib>
#include <initializer_list>
#include <optional>

namespace rt {

namespace {

using Order = RegionalSettings::Order;

std::optional<RegionalSettings>& Overridden() {
    static std::optional<RegionalSettings> region;
    return region;
}

bool OneOf(std::string_view value, std::initializer_list<std::string_view> list) {
    for (const auto l : list)
        if (value == l) return true;
    return false;
}

struct LocaleParts {
    std::string_view language;
    std::string_view territory;
};

// "de_DE.UTF-8@euro" -> language "de", territory "DE".
LocaleParts PartsOf(std::string_view localeName) {
    const std::string_view name = localeName.substr(0, localeName.find_first_of(".@"));
    const std::size_t underscore = name.find('_');
    return {name.substr(0, underscore), underscore == std::string_view::npos
                                            ? std::string_view()
                                            : name.substr(underscore + 1)};
}

void SetDates(RegionalSettings& region, LocaleParts locale) {
    const auto set = [&](const char* pattern, char separator, Order order) {
        region.shortDatePattern = pattern;
        region.separator = separator;
        region.order = order;
    };
    const auto [language, territory] = locale;
    if (OneOf(territory, {"US", "PH", "BZ"}))
        set("M/d/yyyy", '/', Order::MonthDayYear);
    else if (OneOf(language, {"sv", "lt"}) || territory == "CA")
        set("yyyy-MM-dd", '-', Order::YearMonthDay);
    else if (OneOf(language, {"ja", "zh", "ko"}))
        set("yyyy/MM/dd", '/', Order::YearMonthDay);
    else if (language == "hu")
        set("yyyy.MM.dd", '.', Order::YearMonthDay);
    else if (OneOf(language, {"nl", "da"}))
        set("dd-MM-yyyy", '-', Order::DayMonthYear);
    else if (OneOf(language, {"en", "fr", "it", "es", "pt", "el", "ca", "ga", "cy", "he", "ar"}))
        set("dd/MM/yyyy", '/', Order::DayMonthYear);
    // Otherwise German, as the defaults of the settings say.
}

void SetNumbers(RegionalSettings& region, LocaleParts locale) {
    const auto [language, territory] = locale;
    if (OneOf(territory, {"CH", "LI"})) {
        region.decimalSign = '.';
        region.thousandsSeparator = '\'';
    } else if (OneOf(language, {"en", "ja", "zh", "ko", "he", "th", "hi", "ga", "cy"}) ||
               OneOf(territory, {"US", "MX", "PH"})) {
        region.decimalSign = '.';
        region.thousandsSeparator = ',';
    } else if (OneOf(language, {"fr", "sv", "fi", "nb", "nn", "no", "ru", "uk", "pl", "cs", "sk",
                                "hu", "lt", "lv", "et", "bg"})) {
        region.decimalSign = ',';
        region.thousandsSeparator = ' ';
    }
    // Otherwise German: decimal comma, "." between thousands.
}

const char* FirstSet(std::initializer_list<const char*> variables) {
    for (const char* variable : variables) {
        const char* value = std::getenv(variable);
        if (value && *value) return value;
    }
    return "";
}

}  // namespace

RegionalSettings RegionFromLocaleName(std::string_view localeName) {
    RegionalSettings region;
    const LocaleParts locale = PartsOf(localeName);
    SetDates(region, locale);
    SetNumbers(region, locale);
    return region;
}

const RegionalSettings& CurrentRegion() {
    if (const auto& region = Overridden()) return *region;
    static const RegionalSettings fromEnvironment = [] {
        RegionalSettings region;
        SetDates(region, PartsOf(FirstSet({"LC_ALL", "LC_TIME", "LANG"})));
        SetNumbers(region, PartsOf(FirstSet({"LC_ALL", "LC_NUMERIC", "LANG"})));
        return region;
    }();
    return fromEnvironment;
}

void OverrideRegion(const RegionalSettings* settings) {
    if (settings)
        Overridden() = *settings;
    else
        Overridden().reset();
}

ScopedRegion::ScopedRegion(std::string_view localeName) : previous_(Overridden()) {
    Overridden() = RegionFromLocaleName(localeName);
}

ScopedRegion::~ScopedRegion() {
    Overridden() = previous_;
}

}  // namespace rt
