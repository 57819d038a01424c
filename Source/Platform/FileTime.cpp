#include "FileTime.h"

#include <chrono>
#include <ctime>

namespace platform {

namespace {

constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerDay = kTicksPerSecond * 86'400;

// Calendar date of a day count from 1970-01-01 (proleptic Gregorian).
void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) noexcept {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    if (m <= 2) ++y;
}

}  // namespace

FileTime FileTimeFromUnixNanos(std::int64_t nanos) noexcept {
    const std::int64_t ticks = static_cast<std::int64_t>(kUnixEpochTicks) + nanos / 100;
    return FileTime::FromTicks(ticks < 0 ? 0 : static_cast<std::uint64_t>(ticks));
}

FileTime FileTimeNow() noexcept {
    const auto since = std::chrono::system_clock::now().time_since_epoch();
    return FileTimeFromUnixNanos(
        std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
}

bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local) noexcept {
    const std::uint64_t ticks = utc.Ticks();
    if (ticks > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const std::int64_t unixSeconds =
        (static_cast<std::int64_t>(ticks) - static_cast<std::int64_t>(kUnixEpochTicks)) /
        static_cast<std::int64_t>(kTicksPerSecond);
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm parts{};
    if (::localtime_r(&t, &parts) == nullptr) return false;
    const std::int64_t shifted = static_cast<std::int64_t>(ticks) +
                                 parts.tm_gmtoff * static_cast<std::int64_t>(kTicksPerSecond);
    if (shifted < 0) return false;
    local = FileTime::FromTicks(static_cast<std::uint64_t>(shifted));
    return true;
}

bool FileTimeToSystemTime(const FileTime& time, SystemTime& out) noexcept {
    const std::uint64_t ticks = time.Ticks();
    if (ticks > static_cast<std::uint64_t>(INT64_MAX)) return false;
    const std::uint64_t days1601 = ticks / kTicksPerDay;
    const std::uint64_t inDay = ticks % kTicksPerDay;
    // 1601-01-01 is 134774 days before 1970-01-01 and was a Monday.
    std::int64_t year;
    unsigned month, day;
    CivilFromDays(static_cast<std::int64_t>(days1601) - 134774, year, month, day);
    out.wYear = static_cast<std::uint16_t>(year);
    out.wMonth = static_cast<std::uint16_t>(month);
    out.wDay = static_cast<std::uint16_t>(day);
    out.wDayOfWeek = static_cast<std::uint16_t>((days1601 + 1) % 7);
    const std::uint64_t seconds = inDay / kTicksPerSecond;
    out.wHour = static_cast<std::uint16_t>(seconds / 3600);
    out.wMinute = static_cast<std::uint16_t>(seconds / 60 % 60);
    out.wSecond = static_cast<std::uint16_t>(seconds % 60);
    out.wMilliseconds = static_cast<std::uint16_t>(inDay % kTicksPerSecond / 10'000);
    return true;
}

}  // namespace platform
