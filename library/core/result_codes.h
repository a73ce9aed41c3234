// Result codes under their Windows names, as the library returns them.
#pragma once

#include <cstdint>

namespace mirbax {

inline constexpr uint32_t ERROR_SUCCESS = 0;
inline constexpr uint32_t ERROR_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_PATH_NOT_FOUND = 3;
inline constexpr uint32_t ERROR_TOO_MANY_OPEN_FILES = 4;
inline constexpr uint32_t ERROR_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_INVALID_DATA = 13;
inline constexpr uint32_t ERROR_OUTOFMEMORY = 14;
inline constexpr uint32_t ERROR_NOT_READY = 21;
inline constexpr uint32_t ERROR_BAD_LENGTH = 24;
inline constexpr uint32_t ERROR_SEEK = 25;
inline constexpr uint32_t ERROR_READ_FAULT = 30;
inline constexpr uint32_t ERROR_GEN_FAILURE = 31;
inline constexpr uint32_t ERROR_HANDLE_EOF = 38;
inline constexpr uint32_t ERROR_NOT_SUPPORTED = 50;
inline constexpr uint32_t ERROR_DUP_NAME = 52;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_MOD_NOT_FOUND = 126;
inline constexpr uint32_t ERROR_ALREADY_EXISTS = 183;
inline constexpr uint32_t ERROR_INVALID_FLAG_NUMBER = 186;
inline constexpr uint32_t ERROR_NO_DATA = 232;
inline constexpr uint32_t ERROR_NO_SUCH_DEVICE = 433;
inline constexpr uint32_t ERROR_INVALID_ADDRESS = 487;
inline constexpr uint32_t ERROR_OPERATION_ABORTED = 995;
inline constexpr uint32_t ERROR_NOACCESS = 998;  // a caller buffer cannot be read or written
inline constexpr uint32_t ERROR_NO_DATA_DETECTED = 1104;
// A ring reader fell more than one ring behind the writer: samples were
// overwritten before they were read.
inline constexpr uint32_t ERROR_IO_DEVICE = 1117;
inline constexpr uint32_t ERROR_DEVICE_NOT_CONNECTED = 1167;
inline constexpr uint32_t ERROR_BAD_TOKEN_TYPE = 1349;  // the board lacks the feature
inline constexpr uint32_t ERROR_INTERNAL_ERROR = 1359;
inline constexpr uint32_t ERROR_TIMEOUT = 1460;
inline constexpr uint32_t ERROR_INVALID_INDEX = 1413;
inline constexpr uint32_t ERROR_DEVICE_REMOVED = 1617;
inline constexpr uint32_t ERROR_INVALID_USER_BUFFER = 1784;

}  // namespace mirbax
