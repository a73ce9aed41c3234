// ADC calibration: the board corrects every conversion through two tables
// (bipolar and unipolar ranges).  ADC_SetCalAndSave fills both from an
// automatic calibration against the board's references, a nominal
// correction, the identity table or a calibration file, and can save what it
// loaded.
#include <mirbax.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "adc/adc_codes.h"
#include "adc/adc_config.h"
#include "adc/cal_file.h"
#include "adc/config_block.h"
#include "adc/scan.h"
#include "core/caller_memory.h"
#include "core/files.h"
#include "core/frame.h"
#include "core/transport.h"

namespace mirbax {

namespace {

constexpr double LoRefRef = 0.0;
constexpr double HiRefRef = 65102.80704;  // the high reference when the board stores none
constexpr double kNominalLoRead = 66.0;
constexpr double kNominalHiRead = 65087.0;
constexpr uint16_t kHiRefEepromAddress = 0x1DF2;
constexpr double kHiRefWindow = 4096;
constexpr double kLoRefWindow = 256;
constexpr uint8_t kCalModeBipolarLow = 5;
constexpr uint8_t kCalModeUnipolarLow = 1;
constexpr uint8_t kCalModeHighRef = 0x02;
constexpr uint32_t kTableOutPipe = 2;

uint32_t ReadCalProbe(uint32_t di) {
  uint8_t answer = 0xFF;
  uint32_t size = 1;
  if (const uint32_t result = ::GenericVendorRead(di, VRQ_PROBE_CALFEATURE, 0, 0, &size, &answer))
    return result;
  return size == 1 && answer == 0xBB ? ERROR_SUCCESS : ERROR_NOT_SUPPORTED;
}

// The board's own high reference, or 0 when it stores none.
double GetHiRef(uint32_t di) {
  uint8_t word[2] = {};
  uint32_t size = 2;
  if (::GenericVendorRead(di, CUR_EEPROM_READWRITE, kHiRefEepromAddress, 0, &size, word) != 0 ||
      size != 2)
    return 0;
  const uint16_t value = uint16_t(word[0] | word[1] << 8);
  return value == 0xFFFF ? 0 : value;
}

// One calibration run on one board.
class TCalibration {
 public:
  TCalibration(uint32_t di, const TDeviceData &device, uint32_t packetWords, TFile saveFile)
      : di_(di), device_(device), PacketWords(packetWords), saveFile_(std::move(saveFile)),
        working_(device.ConfigBytes, 0) {}

  uint32_t Run(const std::string &CalFileName);
  // The outcome of the table loads (0 when every load succeeded).
  uint32_t LoadResult() const { return loadResult_; }

 private:
  uint32_t AutoCalibrate();
  uint32_t AutoPass(int pass, double LoRef, double HiRef);
  uint32_t LoadTwice(const TCalTable &table);
  uint32_t LoadFromFile(const std::string &path);
  uint32_t DoLoadCalTable(const TCalTable &table);
  uint32_t WriteCalTableToFile(const TCalTable &table);
  uint32_t ConfigureAndBulkAcquire(double &reading);
  void WriteWorkingBlock() { WriteConfigBlock(di_, working_); }

  const uint32_t di_;
  const TDeviceData &device_;
  const uint32_t PacketWords;
  TFile saveFile_;
  std::vector<uint8_t> working_;
  uint32_t loadResult_ = ERROR_SUCCESS;
};

uint32_t TCalibration::Run(const std::string &CalFileName) {
  switch (CalSourceOf(CalFileName)) {
    case TCalSource::Auto: return AutoCalibrate();
    case TCalSource::Nominal: {
      const double HiRef = GetHiRef(di_) != 0 ? GetHiRef(di_) : HiRefRef;
      TCalTable table;
      if (!BuildLinearCalTable(kNominalLoRead, kNominalHiRead, LoRefRef, HiRef, false, table))
        return ERROR_INVALID_DATA;
      return LoadTwice(table);
    }
    case TCalSource::Identity: return LoadTwice(IdentityCalTable());
    case TCalSource::UnknownPseudoName: return ERROR_MOD_NOT_FOUND;
    case TCalSource::File: return LoadFromFile(CalFileName);
  }
  return ERROR_MOD_NOT_FOUND;
}

uint32_t TCalibration::AutoCalibrate() {
  const double LoRef = LoRefRef;
  const double boardHiRef = GetHiRef(di_);
  const double HiRef = boardHiRef != 0 ? boardHiRef : HiRefRef;
  working_[kCalModeOffset] = kCalModeBipolarLow;
  working_[0] = 1;  // +-10 V
  for (int pass = 0; pass < 2; ++pass) {
    if (const uint32_t result = AutoPass(pass, LoRef, HiRef)) return result;
    working_[kCalModeOffset] = kCalModeUnipolarLow;
    working_[0] = 0;  // 0 to 10 V
  }
  return ERROR_SUCCESS;
}

// Pass 0 builds the bipolar table, pass 1 the unipolar one.
uint32_t TCalibration::AutoPass(int pass, double LoRef, double HiRef) {
  const bool bipolar = pass == 0;
  auto toCoding = [&](double counts) { return bipolar ? (counts + 65536.0) * 0.5 : counts; };
  WriteWorkingBlock();
  if (const uint32_t result = DoLoadCalTable(IdentityCalTable())) return result;  // raw readings
  working_[kStartModeOffset] = kStartScan;
  working_[kScanLimitsOffset] = 0;
  working_[kOversampleOffset] = uint8_t(std::min<uint32_t>(2 * PacketWords - 1, 255));

  working_[kCalModeOffset] |= kCalModeHighRef;
  double HiRead = 0;
  if (const uint32_t result = ConfigureAndBulkAcquire(HiRead)) return result;
  if (std::fabs(HiRead - toCoding(HiRef)) > kHiRefWindow) return ERROR_INVALID_DATA;
  std::this_thread::sleep_for(std::chrono::milliseconds(10));

  working_[kCalModeOffset] &= uint8_t(~kCalModeHighRef);
  double LoRead = 0;
  if (const uint32_t result = ConfigureAndBulkAcquire(LoRead)) return result;
  if (std::fabs(LoRead - toCoding(LoRef)) > kLoRefWindow) return ERROR_INVALID_DATA;
  std::this_thread::sleep_for(std::chrono::milliseconds(10));

  TCalTable table;
  if (!BuildLinearCalTable(LoRead, HiRead, LoRef, HiRef - LoRef, bipolar, table))
    return ERROR_INVALID_DATA;
  if (const uint32_t result = DoLoadCalTable(table)) return result;
  return WriteCalTableToFile(table);
}

uint32_t TCalibration::LoadTwice(const TCalTable &table) {
  working_[kCalModeOffset] = kCalModeBipolarLow;
  for (int pass = 0; pass < 2; ++pass) {
    WriteWorkingBlock();
    if (const uint32_t result = DoLoadCalTable(table)) return result;
    if (const uint32_t result = WriteCalTableToFile(table)) return result;
    working_[kCalModeOffset] = kCalModeUnipolarLow;
  }
  return ERROR_SUCCESS;
}

uint32_t TCalibration::LoadFromFile(const std::string &path) {
  ClearFileError();
  const TFile file(::open(path.c_str(), kOpenForReading));
  if (!file.IsOpen()) return FileError();
  struct stat status {};
  if (::fstat(file.fd(), &status) != 0) return FileError();
  const std::size_t size = std::size_t(std::max<off_t>(status.st_size, 0));
  // Only the first two tables count.
  std::vector<uint8_t> bytes(std::min<std::size_t>(size, 2 * kCalTableBytes));
  std::size_t got = 0;
  while (got < bytes.size()) {
    ClearFileError();
    const ssize_t n = ::read(file.fd(), bytes.data() + got, bytes.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileError();
    if (n == 0) break;
    got += std::size_t(n);
  }
  bytes.resize(got);  // a file that shrank reads short
  const TCalFileContents contents = ParseCalFile(bytes);
  if (contents.code != ERROR_SUCCESS) return contents.code;
  if (contents.tables.size() == 1) {
    // The table goes where the device's block directs it now.
    if (const uint32_t result = DoLoadCalTable(contents.tables[0])) return result;
    return WriteCalTableToFile(contents.tables[0]);
  }
  working_[kCalModeOffset] = kCalModeBipolarLow;
  working_[0] = 1;
  for (const TCalTable &table : contents.tables) {
    WriteWorkingBlock();
    if (const uint32_t result = DoLoadCalTable(table)) return result;
    if (const uint32_t result = WriteCalTableToFile(table)) return result;
    working_[kCalModeOffset] = kCalModeUnipolarLow;
    working_[0] = 0;
  }
  return ERROR_SUCCESS;
}

// Sends the table in chunks of two packets, each followed by its store
// request.  The first chunk goes twice.  A chunk that moves less than one
// packet would never advance: the load fails instead of looping.
uint32_t TCalibration::DoLoadCalTable(const TCalTable &table) {
  const uint32_t chunkWords = 2 * PacketWords;
  uint32_t next = 0;
  bool firstChunk = true;
  while (next < kCalTableEntries) {
    const uint32_t count = std::min(chunkWords, kCalTableEntries - next);
    uint32_t written = 0;
    const uint32_t result =
        ::AWU_GenericBulkOut(di_, kTableOutPipe, &table[next], count * 2, &written);
    if (result != ERROR_SUCCESS) {
      loadResult_ = result;
      return result;
    }
    ::GenericVendorWrite(di_, VRQ_BULK_SRAM, uint16_t(next), uint16_t(count), 0, nullptr);
    const uint32_t advance = (std::min(written, count * 2) / 2) & ~(PacketWords - 1);
    if (firstChunk) {
      firstChunk = false;
      continue;  // next stays 0: the first chunk is sent a second time
    }
    if (advance == 0) {
      loadResult_ = ERROR_GEN_FAILURE;
      return loadResult_;
    }
    next += advance;
  }
  loadResult_ = ERROR_SUCCESS;
  return ERROR_SUCCESS;
}

uint32_t TCalibration::WriteCalTableToFile(const TCalTable &table) {
  if (!saveFile_.IsOpen()) return ERROR_SUCCESS;
  const std::vector<uint8_t> bytes = CalTableBytes(table);
  std::size_t done = 0;
  while (done < bytes.size()) {
    ClearFileError();
    const ssize_t n = ::write(saveFile_.fd(), bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileError();
    if (n == 0) return ERROR_HANDLE_EOF;
    done += std::size_t(n);
  }
  return ERROR_SUCCESS;
}

// The mean of all conversions of channel 0 under the working block.
uint32_t TCalibration::ConfigureAndBulkAcquire(double &reading) {
  WriteWorkingBlock();
  std::vector<uint16_t> samples;
  uint8_t start = 0, end = 0;
  uint32_t di = di_;
  if (const uint32_t result = ADC_GetScan_Inner(di, working_, samples, start, end, 0))
    return result;
  const uint32_t conversions = working_[kOversampleOffset] + 1u;
  if (samples.size() < conversions) return ERROR_INVALID_DATA;
  double sum = 0;
  for (uint32_t i = 0; i < conversions; ++i) sum += samples[i];
  reading = sum / conversions;
  return ERROR_SUCCESS;
}

// Writes the saved block back when the calibration ends, however it ends.
class TRestoreBlock {
 public:
  TRestoreBlock(uint32_t di, std::vector<uint8_t> block) : di_(di), block_(std::move(block)) {}
  ~TRestoreBlock() {
    uint32_t size = uint32_t(block_.size());
    ::ADC_SetConfig(di_, block_.data(), &size);
  }

 private:
  uint32_t di_;
  std::vector<uint8_t> block_;
};

uint32_t SetCalAndSave(uint32_t di, TDeviceData &device, const char *CalFileName,
                       const char *SaveCalFileName) {
  if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
  if (const uint32_t result = ReadCalProbe(di)) return result;
  const uint32_t packetWords = CheckUSBSpeed(di) == usHigh ? 256 : 32;
  const std::string name = ReadCallerString(CalFileName);
  TFile saveFile;
  if (SaveCalFileName != nullptr) {
    const std::string savePath = ReadCallerString(SaveCalFileName);
    ClearFileError();
    saveFile = TFile(::open(savePath.c_str(), kCreateForWriting, 0644));
    if (!saveFile.IsOpen()) return FileError();
  }
  std::vector<uint8_t> oldBlock(device.ConfigBytes, 0);
  ReadConfigBlock(di, oldBlock);
  TCalibration calibration(di, device, packetWords, std::move(saveFile));
  uint32_t result;
  {
    const TRestoreBlock restore(di, std::move(oldBlock));
    result = calibration.Run(name);
  }
  if (result != ERROR_SUCCESS) return result;
  return calibration.LoadResult();
}

}  // namespace

}  // namespace mirbax

using namespace mirbax;

MIRBAX_EXPORT uint32_t ADC_QueryCal(uint32_t DeviceIndex) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) -> uint32_t {
    if (!device.bADCBulk) return ERROR_BAD_TOKEN_TYPE;
    return ReadCalProbe(di);
  });
}

MIRBAX_EXPORT uint32_t ADC_SetCal(uint32_t DeviceIndex, const char *CalFileName) {
  return ADC_SetCalAndSave(DeviceIndex, CalFileName, nullptr);
}

MIRBAX_EXPORT uint32_t ADC_SetCalAndSave(uint32_t DeviceIndex, const char *CalFileName,
                                         const char *SaveCalFileName) {
  return WithOpenDevice(DeviceIndex, [&](uint32_t di, TDeviceData &device) {
    return SetCalAndSave(di, device, CalFileName, SaveCalFileName);
  });
}
