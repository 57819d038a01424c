#pragma once
// The tips the substitute host returns when no other source is configured, as the Perlowan server
// sends them (a JSON array of flat objects): one tip for each day of the period, drawn from a
// dozen realistic tips. A tip's identifier is its kind and its day, so the same day gives the same
// identifier in every exchange and a second exchange finds the tips it already stored.
#include <string>

#include "Variant.h"

namespace telmora {

// At most this many tips, those of the latest days of a longer period.
inline constexpr int kMaxSampleTips = 60;

// The tips of the days from `from` to `until` (both included, times of day ignored); "[]" when
// `until` lies before `from`.
std::string SampleTipsJson(rt::Date from, rt::Date until);

}  // namespace telmora
