#include "LanguageTexts.h"

#include "Dispatch.h"

namespace telmora {

namespace {

struct Text {
    std::int16_t number;
    const char* german;
    const char* english;
};

// The period presets (177, 178, 60-64, 194), the period frame (229) and the warning about a
// date that cannot be read (224).
constexpr Text kTexts[] = {
    {60, "Letzte 14 Tage", "Last 14 days"},
    {61, "Letzte 4 Wochen", "Last 4 weeks"},
    {62, "Letzte 6 Wochen", "Last 6 weeks"},
    {63, "Letzte 2 Monate", "Last 2 months"},
    {64, "Letzte 3 Monate", "Last 3 months"},
    {177, "Letzter Tag", "Last day"},
    {178, "Letzte 7 Tage", "Last 7 days"},
    {194, "Eigener Beginn bis heute", "Own start date until today"},
    {224, "Bitte geben Sie ein gültiges Datum ein (zum Beispiel 05.03.2016).",
     "Please enter a valid date (for example 03/05/2016)."},
    {229, "Zeitraum", "Period"},
};

}  // namespace

std::optional<Language> ParseLanguage(std::string_view name) {
    if (rt::AsciiNamesEqual(name, "de")) return Language::German;
    if (rt::AsciiNamesEqual(name, "en")) return Language::English;
    return std::nullopt;
}

std::string_view LanguageName(Language language) {
    return language == Language::German ? "de" : "en";
}

std::optional<std::string> LanguageString(Language language, std::int16_t number) {
    for (const Text& t : kTexts)
        if (t.number == number) return language == Language::German ? t.german : t.english;
    return std::nullopt;
}

}  // namespace telmora
