#pragma once
// File times (100-nanosecond intervals since 1 January 1601, UTC) as the registry keeps its
// last-write times, and their conversion to local calendar time.
#include <cstdint>

namespace platform {

struct FileTime {
    std::uint32_t dwLowDateTime = 0;
    std::uint32_t dwHighDateTime = 0;

    std::uint64_t Ticks() const noexcept {
        return (static_cast<std::uint64_t>(dwHighDateTime) << 32) | dwLowDateTime;
    }
    static FileTime FromTicks(std::uint64_t ticks) noexcept {
        return {static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32)};
    }
    friend bool operator==(const FileTime& a, const FileTime& b) noexcept {
        return a.Ticks() == b.Ticks();
    }
};

struct SystemTime {
    std::uint16_t wYear = 0;
    std::uint16_t wMonth = 0;
    std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
    std::uint16_t wDay = 0;
    std::uint16_t wHour = 0;
    std::uint16_t wMinute = 0;
    std::uint16_t wSecond = 0;
    std::uint16_t wMilliseconds = 0;
};

// Ticks between 1601-01-01 and 1970-01-01.
inline constexpr std::uint64_t kUnixEpochTicks = 116444736000000000ull;

FileTime FileTimeFromUnixNanos(std::int64_t nanos) noexcept;
// The current time of the system clock.
FileTime FileTimeNow() noexcept;

// UTC file time to local file time, with the offset of the local time zone (TZ) at that instant.
// False when the time is outside what the conversion can represent.
bool FileTimeToLocalFileTime(const FileTime& utc, FileTime& local) noexcept;
// File time to calendar parts. False for times past the year 30827.
bool FileTimeToSystemTime(const FileTime& time, SystemTime& out) noexcept;

}  // namespace platform
