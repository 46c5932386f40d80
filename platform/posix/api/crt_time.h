// The runtime's 64-bit time functions.
//
// A time value counts seconds since 1970-01-01 00:00:00 UTC. As in the Windows runtime, the
// functions cover 1970-01-01 00:00:00 to 3000-12-31 23:59:59 UTC: outside that range
// _localtime64 gives null and _mktime64 gives -1.
//
// The POSIX backend's own declarations of these names; on Windows platform/crt_time.h
// includes the system's headers instead.
#pragma once

#include <cstdint>
#include <ctime>

using __time64_t = std::int64_t;

// The current time; also stored in *timer when `timer` is not null.
__time64_t _time64(__time64_t* timer);

// The local broken-down time of *timer in a buffer of the calling thread, or null when the
// time is out of range or cannot be converted.
std::tm* _localtime64(const __time64_t* timer);

// The time value of the local broken-down time in *time, which is normalised in place; -1 when
// the result lies outside the range above. tm_isdst of -1 lets the runtime decide whether
// daylight saving applies.
__time64_t _mktime64(std::tm* time);
