#pragma once
// Library-wide routines shared by the add-in's modules.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The host's text number `piNumber` in its current language. Raises 91 while no add-in runs or
// it holds no host object; errors of the host call (438 without LanguageString, 13 for a result
// that is no text) reach the caller.
std::string LanguageText(std::int16_t piNumber);

// Splits at `ptSeparator` into `ptResult` (from 0); one trailing separator is ignored; an empty
// text erases the array. A text over 32,767 characters, or an empty separator, leaves the array
// as it was passed in. Never fails.
void Split(std::string_view ptText, std::string_view ptSeparator,
           std::vector<std::string>& ptResult);

// Replaces every occurrence from `plStart` (1-based) on, continuing after each inserted
// replacement; the text before `plStart` is kept. `plCount` is ignored. Compare mode 0 exact,
// 1 letter case ignored. An empty search text or a start below 1 returns the text unchanged.
std::string Replace(std::string_view ptText, std::string_view ptFind, std::string_view ptReplace,
                    std::int32_t plStart = 1, std::int32_t plCount = -1,
                    std::int16_t piCompare = 0);

// Last position (from 1) at or before `plStart` where `ptFind` starts; a start beyond the text or
// below 2 means the last character. 0 when absent.
std::int32_t InStrRev(std::string_view ptText, std::string_view ptFind, std::int32_t plStart,
                      std::int16_t& piCompare);

// The text between the first `ptStart` marker and the next `ptEnd` marker after it (letter case
// ignored); everything after the start marker when the end marker is missing; "" without the
// start marker.
std::string TextBetween(std::string_view ptText, std::string_view ptStart, std::string_view ptEnd);

// Length in bytes, or -1 when it cannot be read. Never fails.
std::int32_t FileLength(const std::string& ptPath);
// 0 when deleted, else the error number (53 for a missing file). Never fails.
std::int16_t DeleteFileQuietly(const std::string& ptPath);

// Opens a document or address with the desktop's default program; on failure shows
// "An error occurred while opening the document '<document>'. Please open this document
// manually." Never fails.
void OpenDocument(std::int32_t plHwnd, const std::string& ptDocument,
                  const std::string& ptParameters);

// Sets the hand pointer (standard cursor 32649, loaded once) unless it is already current.
void SetHandCursor();
