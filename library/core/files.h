// Files the library reads and writes for its caller (calibration files):
// a descriptor that closes itself, the open modes, and the Windows-style
// code of a failed file operation.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <utility>

#include "core/result_codes.h"

namespace mirbax {

// Files are bytes (no text translation on Windows) and are not handed on
// to programs the application starts.
#if defined(_WIN32)
inline constexpr int kFileModeFlags = O_BINARY | O_NOINHERIT;
#else
inline constexpr int kFileModeFlags = O_CLOEXEC;
#endif
inline constexpr int kOpenForReading = O_RDONLY | kFileModeFlags;
inline constexpr int kCreateForWriting = O_RDWR | O_CREAT | O_TRUNC | kFileModeFlags;

// The system error of a failed file operation (errno) as a Windows-style code.
inline uint32_t WindowsCodeOfErrno(int error) {
  switch (error) {
    case ENOENT: return ERROR_FILE_NOT_FOUND;
    case ENOTDIR: return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return ERROR_ACCESS_DENIED;
    case ENOSPC: return 112;  // ERROR_DISK_FULL
    default: return ERROR_GEN_FAILURE;
  }
}

// Forgets the error of an earlier file operation, before the next one.
inline void ClearFileError() {
  errno = 0;
#if defined(_WIN32)
  _doserrno = 0;
#endif
}

// The Windows-style code of the file operation that just failed.  On
// Windows the C runtime keeps the system's own code beside errno, which
// tells apart more cases (a path through a file is 3, not 2).
inline uint32_t FileError() {
#if defined(_WIN32)
  if (_doserrno != 0) return uint32_t(_doserrno);
#endif
  return WindowsCodeOfErrno(errno);
}

// A file descriptor that closes itself.
class TFile {
 public:
  TFile() = default;
  explicit TFile(int fd) : fd_(fd) {}
  TFile(TFile &&other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  TFile &operator=(TFile &&other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  ~TFile() {
    if (fd_ >= 0) ::close(fd_);
  }
  int fd() const { return fd_; }
  bool IsOpen() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace mirbax
