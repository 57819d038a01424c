#pragma once
// The host's numbered user texts in its two languages.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace telmora {

enum class Language { German, English };

// "de" / "en" (letter case ignored); nothing for anything else.
std::optional<Language> ParseLanguage(std::string_view name);
std::string_view LanguageName(Language language);

// The text of `number` in `language`; nothing for a number the host has no text for.
std::optional<std::string> LanguageString(Language language, std::int16_t number);

}  // namespace telmora
