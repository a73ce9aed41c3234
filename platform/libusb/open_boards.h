// The backend's handles: every Handle it gives out names one opened board,
// either as a file (OpenDevicePath) or as a WinUSB interface
// (WinUsbInitialize on a file).  Shared opens of one path use one libusb
// handle; an exclusive open refuses to share.  A board is closed when its
// last handle is, and its pending transfers are ended first.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "platform/libusb/usb_bus.h"
#include "platform/platform.h"

namespace mirbax::platform::usb {

struct OpenBoard {
  std::string path;
  std::unique_ptr<OpenDevice> device;
  bool exclusive = false;
  int handles = 0;  // file and interface handles naming it (under the table's mutex)
};

enum class HandleKind { File, Interface };

class OpenBoards {
 public:
  // The bus boards are opened on (the libusb bus unless a test sets another
  // before the first open).
  void UseBus(Bus &bus);
  Bus &CurrentBus();

  // OpenDevicePath: kInvalidHandle with the last error set on failure.
  Handle OpenPath(const std::string &path, bool shared);

  // A new interface handle for the board of a file handle.
  Handle AddInterface(Handle file);

  // Closes a handle of the given kind; false (6) for any other handle.
  bool Close(Handle handle, HandleKind kind);

  // The board a handle names (of the kind given, or of either kind), kept
  // alive for the caller's transfer; null with last error 6 when none.
  std::shared_ptr<OpenBoard> Find(Handle handle);
  std::shared_ptr<OpenBoard> Find(Handle handle, HandleKind kind);

 private:
  struct Record {
    HandleKind kind;
    std::shared_ptr<OpenBoard> board;
  };
  Handle AddRecord(HandleKind kind, std::shared_ptr<OpenBoard> board);

  std::mutex mutex_;
  Bus *bus_ = nullptr;
  std::map<Handle, Record> records_;
  std::map<std::string, std::weak_ptr<OpenBoard>> byPath_;
  Handle nextHandle_ = 0x100;
};

// The backend's one table of handles.
OpenBoards &Boards();

}  // namespace mirbax::platform::usb
