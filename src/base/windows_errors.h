#pragma once
// Windows' system error codes, as GetLastError gives them. The file channels
// keep them pending for %IORESULT; the console runner reports the same codes
// for the same failures.

namespace vestil::win_error {

inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kBadFormat = 11;
inline constexpr int kNotSameDevice = 17;
inline constexpr int kNoMoreFiles = 18;
inline constexpr int kWriteProtect = 19;
inline constexpr int kReadFault = 30;
inline constexpr int kGeneralFailure = 31;  // a device attached to the system is not functioning
inline constexpr int kSharingViolation = 32;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kDiskFull = 112;
inline constexpr int kNegativeSeek = 131;
inline constexpr int kDirectoryNotEmpty = 145;
inline constexpr int kAlreadyExists = 183;
inline constexpr int kFileNameTooLong = 206;
inline constexpr int kDirectoryName = 267;  // the name is a file, not a folder
inline constexpr int kCannotResolveName = 1921;  // too many symbolic links

}  // namespace vestil::win_error
