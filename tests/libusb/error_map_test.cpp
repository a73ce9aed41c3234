// The table of libusb errors and the Windows codes the transport reads.
#include <gtest/gtest.h>
#include <libusb.h>

#include <set>

#include "platform/libusb/error_map.h"
#include "platform/platform.h"

namespace {

using namespace mirbax::platform;

// Every error code libusb defines.
const int kLibusbErrors[] = {
    LIBUSB_ERROR_IO,       LIBUSB_ERROR_INVALID_PARAM, LIBUSB_ERROR_ACCESS,
    LIBUSB_ERROR_NO_DEVICE, LIBUSB_ERROR_NOT_FOUND,    LIBUSB_ERROR_BUSY,
    LIBUSB_ERROR_TIMEOUT,  LIBUSB_ERROR_OVERFLOW,      LIBUSB_ERROR_PIPE,
    LIBUSB_ERROR_INTERRUPTED, LIBUSB_ERROR_NO_MEM,     LIBUSB_ERROR_NOT_SUPPORTED,
    LIBUSB_ERROR_OTHER,
};

TEST(ErrorMap, HasEveryLibusbErrorOnceWithItsName) {
  std::set<int> seen;
  for (const usb::ErrorMapping &mapping : usb::ErrorTable()) {
    EXPECT_TRUE(seen.insert(mapping.libusbError).second) << mapping.name;
    EXPECT_STREQ(mapping.name, libusb_error_name(mapping.libusbError));
    EXPECT_NE(mapping.windowsError, 0u) << mapping.name;
  }
  EXPECT_EQ(seen, std::set<int>(std::begin(kLibusbErrors), std::end(kLibusbErrors)));
}

struct Expected {
  int libusbError;
  uint32_t windowsError;
};

// The codes the transport and the library's callers act on.
const Expected kMeaningful[] = {
    {LIBUSB_ERROR_NO_DEVICE, 1167},    // the board has gone: the entry is marked removed
    {LIBUSB_ERROR_PIPE, 31},           // the board stalled the request
    {LIBUSB_ERROR_INTERRUPTED, 995},   // the pipe was aborted
    {LIBUSB_ERROR_TIMEOUT, 121},
    {LIBUSB_ERROR_ACCESS, 5},          // no permission: the udev rules are missing
    {LIBUSB_ERROR_INVALID_PARAM, 87},
    {LIBUSB_ERROR_NOT_SUPPORTED, 50},
    {LIBUSB_ERROR_NO_MEM, 8},
};

TEST(ErrorMap, GivesTheWindowsCodesTheLibraryActsOn) {
  for (const Expected &e : kMeaningful)
    EXPECT_EQ(usb::WindowsErrorOf(e.libusbError), e.windowsError) << libusb_error_name(e.libusbError);
}

// Only a vanished board may look like a removal to the failure mapping
// (2, 6, 433, 1167, 1617): a request a present board refuses must not drop it.
TEST(ErrorMap, OnlyAVanishedBoardLooksRemoved) {
  const std::set<uint32_t> removal{2, 6, 433, 1167, 1617};
  for (const usb::ErrorMapping &mapping : usb::ErrorTable())
    EXPECT_EQ(removal.count(mapping.windowsError) == 1,
              mapping.libusbError == LIBUSB_ERROR_NO_DEVICE)
        << mapping.name;
}

TEST(ErrorMap, UnknownCodesAreGeneralFailuresAndSuccessIsZero) {
  EXPECT_EQ(usb::WindowsErrorOf(-50), 31u);
  EXPECT_EQ(usb::WindowsErrorOf(LIBUSB_SUCCESS), 0u);
}

TEST(ErrorMap, FailKeepsTheRawValueBesideTheWindowsCode) {
  EXPECT_FALSE(usb::Fail(LIBUSB_ERROR_NO_DEVICE));
  EXPECT_EQ(GetLastError(), 1167u);
  EXPECT_EQ(usb::LastLibusbError(), LIBUSB_ERROR_NO_DEVICE);
  EXPECT_FALSE(usb::FailWith(6));
  EXPECT_EQ(GetLastError(), 6u);
  EXPECT_EQ(usb::LastLibusbError(), 0);
}

}  // namespace
