// The diagnostics the tool can end with: their numbers and message texts. A text holds
// "%d" for the unit number and "%s" for the unit's file name (or, for 200, the event name).
#pragma once

namespace io::diagnostic {

inline constexpr int kPermissionDenied = 9;
inline constexpr int kRecordTooLong = 22;
inline constexpr int kEndOfInput = 24;
inline constexpr int kCloseError = 28;
inline constexpr int kFileNotFound = 29;
inline constexpr int kOpenFailure = 30;
inline constexpr int kWriteError = 38;
inline constexpr int kReadError = 39;
inline constexpr int kNoSuchDevice = 42;
inline constexpr int kNameError = 43;
inline constexpr int kConversionError = 64;
inline constexpr int kRecordOverflow = 66;
inline constexpr int kInterrupt = 200;

// Severity, in the top two bits of a diagnostic code.
inline constexpr unsigned kSevere = 0xC0000000u;
inline constexpr unsigned kWarning = 0x80000000u;

// The message text of a diagnostic number.
const char* message(int number);

}  // namespace io::diagnostic
