// The Windows backend's own edges, over the real Windows calls (under wine
// no board is present): what a missing path, a bad handle and a file that is
// no device give, and the table of WinUSB interface handles.
#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "platform/win32/handles.h"
#include "platform/win32/windows_api.h"

namespace mirbax::platform {
namespace {

TEST(WindowsBackend, NoBoardsArePresent) {
  for (DeviceClass deviceClass : {DeviceClass::CyUSB, DeviceClass::WinUSB, DeviceClass::Loader})
    EXPECT_TRUE(ListDevicePaths(deviceClass).empty());
}

TEST(WindowsBackend, AMissingPathOpensNothingAndSaysWhy) {
  for (const bool shared : {true, false}) {
    SetLastError(0);
    EXPECT_EQ(OpenDevicePath("\\\\?\\no-such-device#0#{00000000-0000-0000-0000-000000000000}",
                             shared),
              kInvalidHandle);
    EXPECT_NE(GetLastError(), 0u);
  }
}

TEST(WindowsBackend, ABadHandleFailsWithTheSystemsCode) {
  EXPECT_FALSE(CloseHandle(kInvalidHandle));
  EXPECT_EQ(GetLastError(), 6u);  // ERROR_INVALID_HANDLE
  uint32_t version = 0, returned = 7;
  EXPECT_FALSE(DeviceIoControl(kInvalidHandle, IOCTL_ADAPT_GET_DRIVER_VERSION, &version,
                               sizeof version, &version, sizeof version, &returned));
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_EQ(returned, 0u);
}

// A plain file opened as the backend opens device files (overlapped): the
// CyUSB I/O control is refused, the version stays 0 (the older driver
// generation, as the device layer reads it), and the handle closes.
TEST(WindowsBackend, AFileThatIsNoDeviceRefusesTheDriversIoControls) {
  char directory[MAX_PATH + 1] = {};
  ASSERT_GT(GetTempPathA(sizeof directory, directory), 0u);
  const std::string path = std::string(directory) + "mirbax-backend-test.bin";
  const HANDLE created = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                     FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(created, INVALID_HANDLE_VALUE);
  ::CloseHandle(created);

  const Handle file = OpenDevicePath(path, true);
  ASSERT_NE(file, kInvalidHandle);
  uint32_t version = 0, returned = 0;
  EXPECT_FALSE(DeviceIoControl(file, IOCTL_ADAPT_GET_DRIVER_VERSION, &version, sizeof version,
                               &version, sizeof version, &returned));
  EXPECT_NE(GetLastError(), 0u);
  EXPECT_EQ(version, 0u);
  EXPECT_TRUE(CloseHandle(file));
  DeleteFileA(path.c_str());
}

TEST(WindowsBackend, WinUsbCallsOnUnknownInterfacesFailWithInvalidHandle) {
  LoadWinUsb();  // with or without WinUSB.dll, unknown interfaces are refused
  uint8_t buffer[18] = {};
  uint32_t moved = 5;
  EXPECT_FALSE(WinUsbGetDescriptor(0x7777, 1, 0, 0x0409, buffer, sizeof buffer, &moved));
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_FALSE(WinUsbReadPipe(0x7777, 0x86, buffer, sizeof buffer, &moved));
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_FALSE(WinUsbAbortPipe(0x7777, 0x86));
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_FALSE(WinUsbFree(0x7777));
  EXPECT_EQ(GetLastError(), 6u);
}

// 64-bit Windows: interface pointers do not fit a 32-bit handle, so the
// backend hands out numbers, never the same one twice.
TEST(WindowsBackend, InterfaceHandlesAreNumbersThatAreNeverReused) {
  int first = 0, second = 0;
  const Handle a = win32::AddInterfaceHandle(&first);
  const Handle b = win32::AddInterfaceHandle(&second);
  EXPECT_NE(a, b);
  EXPECT_NE(a, kInvalidHandle);
  EXPECT_EQ(win32::FindInterfaceHandle(a), &first);
  EXPECT_EQ(win32::FindInterfaceHandle(b), &second);
  EXPECT_EQ(win32::RemoveInterfaceHandle(a), &first);
  SetLastError(0);
  EXPECT_EQ(win32::FindInterfaceHandle(a), nullptr);
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_EQ(win32::RemoveInterfaceHandle(a), nullptr);
  const Handle c = win32::AddInterfaceHandle(&first);
  EXPECT_NE(c, a);
  EXPECT_EQ(win32::RemoveInterfaceHandle(b), &second);
  EXPECT_EQ(win32::RemoveInterfaceHandle(c), &first);
}

TEST(WindowsBackend, TheDriverErrorIsTheThreadsRealLastError) {
  SetLastError(1167);
  EXPECT_EQ(::GetLastError(), 1167u);
  ::SetLastError(31);
  EXPECT_EQ(GetLastError(), 31u);
}

}  // namespace
}  // namespace mirbax::platform
