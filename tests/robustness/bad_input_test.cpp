// Every exported function, called with bad arguments on simulated boards of
// several families: each pointer null, unreadable and at the edge of an
// unreadable page; sizes and rates out of range, NaN and infinite; device
// indexes past the table.  No call may crash or hang, and each must answer
// one of the library's codes (the exact one where expected_codes.cpp names
// it).
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>

#include "common/sim_fixture.h"
#include "common/unreadable_page.h"
#include "robustness/call_watchdog.h"
#include "robustness/expected_codes.h"
#include "robustness/exported_functions.h"
#include "robustness/sweep_boards.h"

namespace mirbax::testing {
namespace {

// Caller memory for the pointer parameters: one region per parameter
// position, each followed by an inaccessible page.  Mapped once for the
// whole program and never unmapped, so that a worker the library left
// running can never write into freed memory.
class Regions {
 public:
  static constexpr std::size_t kPositions = 8;

  Regions() {
    const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
    for (std::size_t i = 0; i < kPositions; ++i) {
      void *memory = mmap(nullptr, CaseRunner::kRegionSize + page, PROT_READ | PROT_WRITE,
                          MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
      if (memory == MAP_FAILED) std::abort();
      regions_[i] = static_cast<std::byte *>(memory);
      mprotect(regions_[i] + CaseRunner::kRegionSize, page, PROT_NONE);
      dirty_[i] = true;
    }
  }

  std::byte *At(std::size_t position) { return regions_.at(position); }
  void MarkDirty(std::size_t position) { dirty_.at(position) = true; }

  void Reset() {
    for (std::size_t i = 0; i < kPositions; ++i) {
      std::memset(regions_[i], 0, dirty_[i] ? CaseRunner::kRegionSize : 4096);
      dirty_[i] = false;
    }
  }

 private:
  std::array<std::byte *, kPositions> regions_{};
  std::array<bool, kPositions> dirty_{};
};

Regions &CallerMemory() {
  static Regions *regions = new Regions;  // lives as long as the process
  return *regions;
}

struct Outcome {
  std::string board;
  uint32_t entry = 0;
  std::string parameter;  // "" for the baseline
  std::string variant;
  uint32_t result = 0;
  int lastError = 0;
  bool sentSomething = false;
  double seconds = 0;  // how long the call took
};

std::string Describe(const std::string &function, const Outcome &outcome) {
  std::string text = function + " on " + outcome.board + " (entry " + std::to_string(outcome.entry) + "): ";
  text += outcome.parameter.empty() ? "baseline" : outcome.parameter + " = " + outcome.variant;
  return text + " -> " + std::to_string(outcome.result);
}

class SweepRunner : public CaseRunner {
 public:
  SweepRunner(const SweepBoard &board, uint32_t entry, CallWatchdog &watchdog, std::vector<Outcome> &outcomes,
              const std::string &function)
      : board_(board), entry_(entry), watchdog_(watchdog), outcomes_(outcomes), function_(function) {}

  uint32_t DeviceIndex() const override { return entry_; }
  std::byte *Region(std::size_t position) override { return CallerMemory().At(position); }
  void MarkDirty(std::size_t position) override { CallerMemory().MarkDirty(position); }
  void *Unreadable() override { return page_.get(); }

  void Run(const std::string &parameter, const std::string &variant,
           const std::function<uint32_t()> &call) override {
    Outcome outcome{board_.label, entry_, parameter, variant};
    CallerMemory().Reset();
    OpenEntry(entry_);
    MIRBAXSIM_ClearLog(board_.handle);
    errno = 0;
    const auto started = std::chrono::steady_clock::now();
    outcome.result = watchdog_.Run(Describe(function_, outcome), call);
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    outcome.lastError = errno;
    outcome.sentSomething = LogHoldsCommands(board_.handle);
    watchdog_.Run("cleanup after " + Describe(function_, outcome), [&] {
      StopEverything(entry_);
      return 0;
    });
    outcomes_.push_back(std::move(outcome));
  }

 private:
  const SweepBoard &board_;
  const uint32_t entry_;
  CallWatchdog &watchdog_;
  std::vector<Outcome> &outcomes_;
  const std::string &function_;
  UnreadablePage page_;
};

// Totals for docs/reliability.md, printed when the program ends.
struct SweepTotals {
  std::size_t functions = 0, cases = 0, pointerCases = 0, placeholders = 0;
  ~SweepTotals() {
    if (functions > 0)
      std::printf("bad-input sweep: %zu functions, %zu cases (%zu pointer cases), %zu answering only 50\n",
                  functions, cases, pointerCases, placeholders);
  }
};
SweepTotals totals;

bool IsPointerCase(const Outcome &outcome) {
  return outcome.variant == "null" || outcome.variant == "unreadable" || outcome.variant.ends_with("unreadable page") ||
         outcome.variant.starts_with("-> ") || outcome.variant.starts_with("string") || outcome.variant == "missing file";
}

class BadInput : public SimBoardsTest, public ::testing::WithParamInterface<std::size_t> {
 protected:
  void SetUp() override {
    SimBoardsTest::SetUp();
    boards_ = AttachSweepBoards();
  }
  std::vector<SweepBoard> boards_;
};

bool IsBadIndex(const Outcome &outcome) {
  return outcome.parameter == "DeviceIndex" &&
         (outcome.variant == "0x20" || outcome.variant == "0xFFFFFFFF" || outcome.variant == "0x7FFFFFFF");
}

void CheckResultCode(const ExportedFunction &function, const Outcome &outcome, const Outcome &baseline) {
  const std::string what = Describe(function.name, outcome);
  EXPECT_TRUE(kKnownCodes.contains(outcome.result)) << what << ": not a code of the library";
  if (outcome.parameter == "DeviceIndex" && kNotTheFramesIndexCodes.contains(function.name)) return;
  if (IsBadIndex(outcome)) {
    EXPECT_EQ(outcome.result, 1413u) << what;
    EXPECT_FALSE(outcome.sentSomething) << what << ": sent a transfer for a bad index";
    return;
  }
  if (outcome.parameter == "DeviceIndex") {
    if (outcome.variant == "0x1F") {
      EXPECT_EQ(outcome.result, 2u) << what << ": entry 31 holds no board";
    }
    if (outcome.variant == "0xFFFFFFFD" || outcome.variant == "0xFFFFFFFC") {
      EXPECT_EQ(outcome.result, 52u) << what << ": several boards are linked";
    }
    return;
  }
  if (kRefusals.contains(outcome.result) && !kChecksAfterCommands.contains(function.name)) {
    EXPECT_FALSE(outcome.sentSomething) << what << ": sent a command although a check failed";
  }
  if (outcome.parameter.empty()) return;
  if (baseline.result == 1349 && !kChecksBeforeCapability.contains(function.name)) {
    EXPECT_EQ(outcome.result, 1349u) << what << ": the board lacks the feature";
    return;
  }
  if (const ExpectedCodes *expected = FindExpected(function.name, outcome.parameter, outcome.variant)) {
    EXPECT_TRUE(expected->codes.contains(outcome.result)) << what << ": not among the expected codes";
  }
}

void CheckValue(const ExportedFunction &function, const Outcome &outcome) {
  const std::string what = Describe(function.name, outcome);
  const bool isIndex = outcome.result < 32 || outcome.result == diNone;
  if (function.name == "ResolveDeviceIndex" || function.name.starts_with("GetDeviceBy")) {
    EXPECT_TRUE(isIndex) << what << ": not a device index";
    EXPECT_TRUE(kKnownCodes.contains(static_cast<uint32_t>(outcome.lastError))) << what << ", errno "
                                                                                << outcome.lastError;
  } else if (function.name == "MIRBAX_UploadD15LoFirmwaresByPID") {
    EXPECT_LE(outcome.result, 32u) << what << ": not a count of boards";
    EXPECT_TRUE(outcome.lastError == 0 || outcome.lastError == 1359) << what << ", errno " << outcome.lastError;
  } else if (function.name == "ClearDevices") {
    EXPECT_EQ(outcome.result, 0u) << what;
  }
}

// A function whose family is not built yet answers 50 to every call; so
// does an entry point that performs no operation.  Either is recognised by
// its answer to a call that a built function refuses otherwise: a device
// index of 32 (1413), or, without an index, the baseline.
bool AnswersOnly50(const ExportedFunction &function, const std::vector<Outcome> &outcomes) {
  for (const Outcome &outcome : outcomes) {
    if (function.takesDeviceIndex ? (outcome.parameter == "DeviceIndex" && outcome.variant == "0x20")
                                  : outcome.parameter.empty())
      return outcome.result == 50;
  }
  return false;
}

TEST_P(BadInput, NoCrashNoHangAndTheLibrarysCodes) {
  const ExportedFunction &function = ExportedFunctions().at(GetParam());
  CallWatchdog watchdog(std::chrono::seconds(20));
  std::vector<Outcome> outcomes;
  for (const SweepBoard &board : boards_) {
    SweepRunner runner(board, board.entry, watchdog, outcomes, function.name);
    function.runCases(runner);
  }
  ASSERT_FALSE(outcomes.empty());
  ++totals.functions;
  if (std::getenv("MIRBAX_SWEEP_DUMP"))  // to read every case's result when adding expectations
    for (const Outcome &outcome : outcomes)
      std::printf("%s (%.3f s)\n", Describe(function.name, outcome).c_str(), outcome.seconds);
  totals.cases += outcomes.size();
  for (const Outcome &outcome : outcomes) totals.pointerCases += IsPointerCase(outcome);

  if (AnswersOnly50(function, outcomes)) {
    ++totals.placeholders;
    for (const Outcome &outcome : outcomes)
      EXPECT_EQ(outcome.result, 50u) << Describe(function.name, outcome) << ": a placeholder answers 50";
    return;
  }
  std::map<std::string, const Outcome *> baselineByBoard;
  for (const Outcome &outcome : outcomes)
    if (outcome.parameter.empty()) baselineByBoard[outcome.board] = &outcome;
  for (const Outcome &outcome : outcomes) {
    if (kValueFunctions.contains(function.name))
      CheckValue(function, outcome);
    else
      CheckResultCode(function, outcome, *baselineByBoard.at(outcome.board));
  }
  RecordProperty("cases", static_cast<int>(outcomes.size()));
}

std::string FunctionName(const ::testing::TestParamInfo<std::size_t> &info) {
  return ExportedFunctions().at(info.param).name;
}

INSTANTIATE_TEST_SUITE_P(EveryExportedFunction, BadInput,
                         ::testing::Range<std::size_t>(0, ExportedFunctions().size()), FunctionName);

TEST(FunctionTable, HoldsEveryExportedFunction) {
  EXPECT_EQ(ExportedFunctions().size(), 156u);
  std::size_t pointerParameters = 0;
  for (const ExportedFunction &function : ExportedFunctions())
    for (const ParameterInfo &parameter : function.parameters) pointerParameters += parameter.type.ends_with("*");
  EXPECT_GT(pointerParameters, 150u);
}

}  // namespace
}  // namespace mirbax::testing
