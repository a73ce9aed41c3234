// Device paths of the libusb backend: formatting, parsing, and refusal of
// anything the formatter cannot have written.
#include <gtest/gtest.h>

#include "platform/libusb/device_path.h"

namespace {

using mirbax::platform::usb::DevicePath;
using mirbax::platform::usb::FormatDevicePath;
using mirbax::platform::usb::ParseDevicePath;
using mirbax::platform::usb::UsbLocation;

struct PathCase {
  DevicePath path;
  const char *text;
};

const PathCase kPaths[] = {
    {{0x1a2b, 0x8001, UsbLocation{3, {1, 4}, 7}}, "usb#vid_1a2b&pid_8001#3-1.4#7"},
    {{0xfff0, 0x0001, UsbLocation{1, {2}, 127}}, "usb#vid_fff0&pid_0001#1-2#127"},
    {{0x0000, 0xffff, UsbLocation{255, {1, 2, 3, 4, 5, 6, 7}, 1}},
     "usb#vid_0000&pid_ffff#255-1.2.3.4.5.6.7#1"},
    {{0x04b4, 0x8147, UsbLocation{0, {255}, 255}}, "usb#vid_04b4&pid_8147#0-255#255"},
};

TEST(DevicePath, FormatsAndParsesBack) {
  for (const PathCase &c : kPaths) {
    EXPECT_EQ(FormatDevicePath(c.path), c.text);
    const auto parsed = ParseDevicePath(c.text);
    ASSERT_TRUE(parsed.has_value()) << c.text;
    EXPECT_EQ(*parsed, c.path) << c.text;
  }
}

// The firmware loader reads the product ID after "PID_" in the upper-cased
// path: the four characters there are the ID's hex digits.
TEST(DevicePath, CarriesTheProductIdWhereTheLoaderLooks) {
  std::string text = FormatDevicePath({0x1a2b, 0x0001, UsbLocation{1, {3}, 9}});
  for (char &c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  const auto at = text.find("PID_");
  ASSERT_NE(at, std::string::npos);
  EXPECT_EQ(text.substr(at + 4, 4), "0001");
}

TEST(DevicePath, RefusesWhatTheFormatterNeverWrites) {
  const char *const kBad[] = {
      "",
      "usb#vid_1a2b&pid_8001#3-1.4",          // no address
      "usb#vid_1a2b&pid_8001#3-1.4#7x",       // trailing characters
      "usb#vid_1A2B&pid_8001#3-1.4#7",        // upper-case hex
      "usb#vid_1a2&pid_8001#3-1.4#7",         // three digits
      "usb#vid_1a2b&pid_8001#3-#7",           // no port
      "usb#vid_1a2b&pid_8001#3-0#7",          // port 0
      "usb#vid_1a2b&pid_8001#3-1..4#7",       // empty port
      "usb#vid_1a2b&pid_8001#256-1#7",        // bus beyond 255
      "usb#vid_1a2b&pid_8001#3-1#0",          // address 0
      "usb#vid_1a2b&pid_8001#03-1#7",         // leading zero
      "usb#vid_1a2b&pid_8001#3-1.2.3.4.5.6.7.8#7",  // eight tiers
      "usb#vid_1a2b&pid_8001#-1-1#7",         // sign
      "\\\\?\\usb#vid_1a2b&pid_8001#3-1#7",   // a Windows prefix
  };
  for (const char *text : kBad) EXPECT_FALSE(ParseDevicePath(text).has_value()) << text;
}

}  // namespace
