// The Windows DLLs as an application meets them: loaded with LoadLibrary,
// every name of the table found with GetProcAddress, the `VB` entry points
// giving what their cdecl entry points give, and the real last error.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <gtest/gtest.h>
#include <mirbax.h>
#include <mirbax_sim.h>

#include <array>
#include <string>
#include <vector>

namespace {

// The three export flavours of every row of the table, by name.
struct TableRow {
  std::string name;
  bool underscore;
  bool vb;
  std::string underscoreName;
};

std::vector<TableRow> TableRows() {
  std::vector<TableRow> rows;
  auto add = [&](std::string flavour, std::string name) {
    const bool underscore = flavour != "C_ONLY";
    const bool vb = flavour == "ALL" || flavour == "PNP";
    rows.push_back({name, underscore, vb, flavour == "PNP" ? "_MIRBAX_GetPNPData" : "_" + name});
  };
#define MIRBAX_FN(flavour, name, params) add(#flavour, #name);
#define MIRBAX_FN_ALIAS(name, target, params) add("ALL", #name);
#include "mirbax_functions.h"
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS
  return rows;
}

// A loaded DLL, freed at the end of the test.
class Library {
 public:
  explicit Library(const char *name) : module_(LoadLibraryA(name)) {}
  ~Library() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Library(const Library &) = delete;
  Library &operator=(const Library &) = delete;

  bool loaded() const { return module_ != nullptr; }
  void *Find(const std::string &name) const {
    return reinterpret_cast<void *>(GetProcAddress(module_, name.c_str()));
  }
  template <typename Function>
  Function *Get(const std::string &name) const {
    return reinterpret_cast<Function *>(Find(name));
  }

 private:
  HMODULE module_;
};

TEST(WindowsDll, EveryNameOfTheTableIsExported) {
  for (const char *dll : {MIRBAX_DLL_NAME, MIRBAX_SIM_DLL_NAME}) {
    SCOPED_TRACE(dll);
    const Library library(dll);
    ASSERT_TRUE(library.loaded()) << "LoadLibrary failed with " << GetLastError();
    std::size_t names = 0;
    for (const TableRow &row : TableRows()) {
      void *entry = library.Find(row.name);
      EXPECT_NE(entry, nullptr) << row.name;
      ++names;
      if (row.underscore) {
        EXPECT_EQ(library.Find(row.underscoreName), entry) << row.underscoreName;
        ++names;
      }
      if (row.vb) {
        void *vbEntry = library.Find("VB" + row.name);
        EXPECT_NE(vbEntry, nullptr) << "VB" << row.name;
        EXPECT_NE(vbEntry, entry) << "VB" << row.name << " is an entry point of its own";
        ++names;
      }
    }
    EXPECT_EQ(names, 447u);
  }
}

// The real backend with no board attached (none is, under wine): nothing is
// linked, and the index-returning functions leave the real last error.
TEST(WindowsDll, WithoutBoardsNothingIsLinkedAndTheLastErrorIsTheSystemOne) {
  const Library library(MIRBAX_DLL_NAME);
  ASSERT_TRUE(library.loaded());
  using Resolve = uint32_t(uint32_t);
  for (const char *name : {"ResolveDeviceIndex", "VBResolveDeviceIndex"}) {
    SCOPED_TRACE(name);
    auto *resolve = library.Get<Resolve>(name);
    ASSERT_NE(resolve, nullptr);
    SetLastError(12345);
    EXPECT_EQ(resolve(diFirst), diNone);
    EXPECT_EQ(GetLastError(), MIRBAX_ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(resolve(32), diNone);
    EXPECT_EQ(GetLastError(), MIRBAX_ERROR_INVALID_INDEX);
  }
  EXPECT_EQ(library.Get<uint32_t()>("GetDevices")(), 0u);
  EXPECT_EQ(library.Get<uint32_t()>("VBGetDevices")(), 0u);
  using Write = uint32_t(uint32_t, uint8_t, uint16_t, uint16_t, uint32_t, const void *);
  EXPECT_EQ(library.Get<Write>("GenericVendorWrite")(0, 0x10, 0, 0, 0, nullptr),
            MIRBAX_ERROR_FILE_NOT_FOUND);
}

// Over a simulated board: each `VB` entry point moves the same request and
// returns the same result as its cdecl entry point, and a caller buffer
// the process may not touch gives 998 through both.
class SimulatedDll : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(library_.loaded());
    library_.Get<uint32_t()>("MIRBAXSIM_Reset")();
    uint32_t board = 0;
    ASSERT_EQ(library_.Get<uint32_t(uint32_t, uint32_t, uint32_t *)>("MIRBAXSIM_Attach")(
                  0x8001, MIRBAXSIM_DRIVER_CYUSB3, &board),
              0u);
    ASSERT_EQ(library_.Get<uint32_t()>("MIRBAX_ReloadDeviceLinks")(), 0u);
  }
  void TearDown() override { library_.Get<uint32_t()>("MIRBAXSIM_Reset")(); }

  const Library library_{MIRBAX_SIM_DLL_NAME};
};

TEST_F(SimulatedDll, VbEntryPointsGiveWhatTheirCdeclEntryPointsGive) {
  using Read = uint32_t(uint32_t, uint8_t, uint16_t, uint16_t, uint32_t *, void *);
  auto *read = library_.Get<Read>("GenericVendorRead");
  auto *vbRead = library_.Get<Read>("VBGenericVendorRead");
  ASSERT_NE(read, nullptr);
  ASSERT_NE(vbRead, nullptr);
  // The PNP record, as both entry points read it.
  std::array<uint8_t, 15> direct{}, viaVb{};
  uint32_t directSize = direct.size(), vbSize = viaVb.size();
  EXPECT_EQ(read(diOnly, 0x3F, 0, 0, &directSize, direct.data()), 0u);
  EXPECT_EQ(vbRead(diOnly, 0x3F, 0, 0, &vbSize, viaVb.data()), 0u);
  EXPECT_EQ(directSize, vbSize);
  EXPECT_EQ(direct, viaVb);
  EXPECT_NE(direct[0], 0u) << "the record's size";

  // A device index beyond the table, through both.
  uint32_t size = 4;
  EXPECT_EQ(read(32, 0x3F, 0, 0, &size, direct.data()), MIRBAX_ERROR_INVALID_INDEX);
  EXPECT_EQ(vbRead(32, 0x3F, 0, 0, &size, direct.data()), MIRBAX_ERROR_INVALID_INDEX);

  // A 64-bit argument passed by value.
  using BySerial = uint32_t(uint64_t);
  uint64_t serial = 0;
  using Serial = uint32_t(uint32_t, uint64_t *);
  ASSERT_EQ(library_.Get<Serial>("GetDeviceSerialNumber")(diOnly, &serial), 0u);
  const uint32_t index = library_.Get<BySerial>("GetDeviceBySerialNumber")(serial);
  EXPECT_LT(index, 32u);
  EXPECT_EQ(library_.Get<BySerial>("VBGetDeviceBySerialNumber")(serial), index);
}

TEST_F(SimulatedDll, AnInaccessibleCallerBufferGives998ThroughBothEntryPoints) {
  void *noAccess = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_NOACCESS);
  void *readOnly = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
  ASSERT_NE(noAccess, nullptr);
  ASSERT_NE(readOnly, nullptr);
  using Read = uint32_t(uint32_t, uint8_t, uint16_t, uint16_t, uint32_t *, void *);
  for (const char *name : {"GenericVendorRead", "VBGenericVendorRead"}) {
    SCOPED_TRACE(name);
    auto *read = library_.Get<Read>(name);
    for (void *buffer : {noAccess, readOnly}) {
      uint32_t size = 15;
      EXPECT_EQ(read(diOnly, 0x3F, 0, 0, &size, buffer), MIRBAX_ERROR_NOACCESS);
    }
  }
  using Write = uint32_t(uint32_t, uint8_t, uint16_t, uint16_t, uint32_t, const void *);
  auto *write = library_.Get<Write>("GenericVendorWrite");
  EXPECT_EQ(write(diOnly, 0x10, 0, 0, 4, noAccess), MIRBAX_ERROR_NOACCESS);
  VirtualFree(noAccess, 0, MEM_RELEASE);
  VirtualFree(readOnly, 0, MEM_RELEASE);
}

}  // namespace
