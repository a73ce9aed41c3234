// Device files, the CyUSB driver's I/O controls, the thread's last error and
// the message box, over the Windows API.
#include <string>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirbax::platform {

using win32::FileHandle;

Handle OpenDevicePath(const std::string &path, bool shared) {
  const DWORD sharing = shared ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0;
  const HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, sharing, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  return win32::FromFileHandle(file);
}

// INVALID_HANDLE_VALUE is also the pseudo-handle of the own process, which
// Windows "closes" without complaint: a failed open is refused here instead.
bool CloseHandle(Handle handle) {
  if (handle == kInvalidHandle) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  return ::CloseHandle(FileHandle(handle)) != FALSE;
}

// The device files are opened for overlapped I/O, so every I/O control
// carries an OVERLAPPED record and waits for its completion; an aborted pipe
// completes a pending bulk transfer with 995.
bool DeviceIoControl(Handle handle, uint32_t code, const void *input, uint32_t inputSize,
                     void *output, uint32_t outputSize, uint32_t *bytesReturned) {
  if (bytesReturned != nullptr) *bytesReturned = 0;
  if (handle == kInvalidHandle) {  // the process's pseudo-handle, never a device
    ::SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  OVERLAPPED overlapped{};
  overlapped.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (overlapped.hEvent == nullptr) return false;
  const HANDLE file = FileHandle(handle);
  DWORD returned = 0;
  BOOL done = ::DeviceIoControl(file, code, const_cast<void *>(input), inputSize, output,
                                outputSize, &returned, &overlapped);
  if (!done && ::GetLastError() == ERROR_IO_PENDING)
    done = GetOverlappedResult(file, &overlapped, &returned, TRUE);
  const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
  ::CloseHandle(overlapped.hEvent);
  if (bytesReturned != nullptr) *bytesReturned = returned;
  ::SetLastError(error);
  return done != FALSE;
}

// The driver error is the thread's real last error here: what a failed call
// above left, as the Windows functions leave it.
uint32_t GetLastError() { return ::GetLastError(); }

void SetLastError(uint32_t error) { ::SetLastError(error); }

void MessageBox(std::string_view caption, std::string_view text, uint32_t type) {
  const std::string captionText(caption);
  const std::string bodyText(text);
  MessageBoxA(nullptr, bodyText.c_str(), captionText.c_str(), type);
}

}  // namespace mirbax::platform
