#pragma once

#include <cstdint>

// Result codes of the Windows API that the program's operations return. They keep their
// numbers, because callers compare results against them and pass them on unchanged.
namespace winerr {

inline constexpr int ERROR_SUCCESS = 0;
inline constexpr int ERROR_FILE_NOT_FOUND = 2;
inline constexpr int ERROR_PATH_NOT_FOUND = 3;
inline constexpr int ERROR_ACCESS_DENIED = 5;
inline constexpr int ERROR_INVALID_HANDLE = 6;
inline constexpr int ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr int ERROR_GEN_FAILURE = 31;
inline constexpr int ERROR_INVALID_PARAMETER = 87;
inline constexpr int ERROR_BUSY = 170;
inline constexpr int ERROR_ALREADY_EXISTS = 183;
inline constexpr int WAIT_TIMEOUT = 258;
inline constexpr int ERROR_NO_MORE_ITEMS = 259;
inline constexpr int ERROR_OPERATION_ABORTED = 995;
inline constexpr int ERROR_IO_PENDING = 997;
inline constexpr int ERROR_INVALID_FLAGS = 1004;
inline constexpr int ERROR_NOT_OPEN = 1011;  // base Close on a closed object
inline constexpr int ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr int ERROR_ALREADY_INITIALIZED = 1247;
inline constexpr int ERROR_REPORT_TOO_LONG = 1382;
inline constexpr int ERROR_TIMEOUT = 1460;

// Maps an errno value of a failed system call onto the Windows code the callers expect.
int FromErrno(int err);

}  // namespace winerr
