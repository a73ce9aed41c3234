// mirbax acquire: a continuous acquisition to CSV or raw binary, with a
// progress line, a final report, and optionally a plot.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>

#include "adc_block.h"
#include "board_facts.h"
#include "cli.h"
#include "library_api.h"
#include "plot.h"
#include "result_text.h"
#include "sample_sink.h"
#include "sim_boards.h"

namespace mirbax::tool {

namespace {

constexpr const char *kCommand = "acquire";
constexpr uint32_t kDefaultBufferBytes = 8192;
constexpr uint32_t kPoolBuffers = 16;
// Simulated boards deliver as fast as they are read unless paced; the tool
// paces them like a real board at this rate when --rate is not given.
constexpr double kSimulatedSamplesPerSecond = 100000;

constexpr const char *kHelp =
    "usage: mirbax acquire [-d N] [--rate HZ] [--duration S | --samples N]\n"
    "                      [--output FILE] [--format csv|binary] [--plot FILE.png]\n"
    "                      [--buffer BYTES] [--progress] [--check-pattern]\n\n"
    "Streams analog samples from the board until the duration or sample count\n"
    "is reached, or until Ctrl-C.  The channels are those of the board's scan\n"
    "limits (see 'mirbax scan --channels').  CSV has one line per scan and one\n"
    "column per channel (per conversion when the board oversamples), in\n"
    "counts; binary is the raw little-endian 16-bit samples.  At the end a\n"
    "report on standard error gives the samples taken, the rate achieved and\n"
    "the samples lost.\n\n"
    "options:\n"
    "  --rate HZ         pace the conversions by the on-board counters at HZ\n"
    "                    (the rate set is reported); default: the board's own pace\n"
    "  --duration S      stop after S seconds\n"
    "  --samples N       stop after N samples\n"
    "  --output FILE     write the samples to FILE ('-' or none: standard output)\n"
    "  --format F        csv (default) or binary\n"
    "  --plot FILE.png   draw the channels (mean of each scan) into a PNG picture\n"
    "  --buffer BYTES    bytes per transfer, a multiple of 512 (default 8192)\n"
    "  --progress        show the progress line even when stderr is no terminal\n"
    "  --check-pattern   the samples are a running count (simulated boards are\n"
    "                    set to send one): count the samples lost in its gaps\n"
    "%s\n"
    "exit code 3: samples were lost, or the stream ended with an error.\n";

volatile std::sig_atomic_t interrupted = 0;
void OnInterrupt(int) { interrupted = 1; }

// What the callback and the waiting command share.  The library's callback
// carries a 32-bit context, too small for a pointer: the one acquisition of
// the process is found here instead.
struct Acquisition {
  explicit Acquisition(SampleSink sink) : sink(std::move(sink)) {}
  std::mutex mutex;
  std::condition_variable changed;
  SampleSink sink;
  bool streamEnded = false;
  uint64_t insertedBuffers = 0;
};
Acquisition *current = nullptr;

constexpr uint32_t kFlagEndStream = 2;
constexpr uint32_t kFlagInserted = 4;

void OnBuffer(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags, uint32_t) {
  Acquisition &acquisition = *current;
  std::lock_guard lock(acquisition.mutex);
  if (Flags & kFlagInserted) ++acquisition.insertedBuffers;
  if (pBuf && BufSize >= 2) acquisition.sink.Take(std::span<const uint16_t>(pBuf, BufSize / 2));
  if (Flags & kFlagEndStream) acquisition.streamEnded = true;
  acquisition.changed.notify_all();
}

struct Settings {
  std::optional<double> rate;
  std::optional<double> duration;
  uint64_t samples = 0;
  std::string output = "-";
  OutputFormat format = OutputFormat::Csv;
  std::optional<std::string> plot;
  uint32_t bufferBytes = kDefaultBufferBytes;
  bool progress = false;
  bool checkPattern = false;
};

std::optional<std::string> ParseSettings(const Arguments &arguments, Settings &settings) {
  if (const auto rate = arguments.Value("rate")) {
    settings.rate = ParseReal(*rate);
    if (!settings.rate || *settings.rate <= 0) return "bad --rate '" + *rate + "': want Hz > 0";
  }
  if (const auto duration = arguments.Value("duration")) {
    settings.duration = ParseReal(*duration);
    if (!settings.duration || *settings.duration <= 0)
      return "bad --duration '" + *duration + "': want seconds > 0";
  }
  if (const auto samples = arguments.Value("samples")) {
    const auto count = ParseNumber(*samples, 1, uint64_t(1) << 48);
    if (!count) return "bad --samples '" + *samples + "'";
    settings.samples = *count;
  }
  if (const auto format = arguments.Value("format")) {
    if (*format == "csv") settings.format = OutputFormat::Csv;
    else if (*format == "binary") settings.format = OutputFormat::Binary;
    else return "bad --format '" + *format + "': want csv or binary";
  }
  if (const auto buffer = arguments.Value("buffer")) {
    // The library refuses other sizes (1784); a size of 0 would spin.
    const auto bytes = ParseNumber(*buffer, 512, 1u << 24);
    if (!bytes) return "bad --buffer '" + *buffer + "': want 512 to 16777216 bytes";
    settings.bufferBytes = uint32_t(*bytes);
  }
  settings.output = arguments.Value("output").value_or("-");
  settings.plot = arguments.Value("plot");
  if (settings.plot && !PlotAvailable()) return "this mirbax was built without Qt: no --plot";
  settings.progress = arguments.Has("progress") || isatty(STDERR_FILENO);
  settings.checkPattern = arguments.Has("check-pattern");
  if (!arguments.Words().empty()) return "unexpected argument '" + arguments.Words()[0] + "'";
  return std::nullopt;
}

// Simulated boards are paced in real time and, for --check-pattern, send a
// running count.
void PrepareSimulatedBoards(const Settings &settings) {
  if (!Simulated()) return;
  for (uint32_t board : SimulatedBoards()) {
    Api().MIRBAXSIM_SetOption(board, "sample_rate",
                              uint64_t(settings.rate.value_or(kSimulatedSamplesPerSecond)));
    if (settings.checkPattern) Api().MIRBAXSIM_SetOption(board, "adc_pattern", 1);
  }
}

uint32_t Start(uint32_t entry, const Settings &settings, double &clockHz) {
  if (!settings.rate)
    return ADC_BulkContinuousCallbackStart(entry, settings.bufferBytes, kPoolBuffers, 0, OnBuffer);
  clockHz = *settings.rate;
  return ADC_BulkContinuousCallbackStartClocked(entry, settings.bufferBytes, kPoolBuffers, 0,
                                                OnBuffer, &clockHz);
}

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

// Waits until the duration or sample count is reached, the stream ends or
// the user interrupts, showing the progress line meanwhile.
void WaitForTheEnd(Acquisition &acquisition, const Settings &settings, Clock::time_point start) {
  std::unique_lock lock(acquisition.mutex);
  for (;;) {
    const double elapsed = Seconds(Clock::now() - start);
    const uint64_t samples = acquisition.sink.Samples();
    if (settings.progress)
      std::fprintf(stderr, "\r%12llu samples  %7.1f s  %10.0f samples/s ",
                   (unsigned long long)samples, elapsed, elapsed > 0 ? samples / elapsed : 0.0);
    if (acquisition.streamEnded || acquisition.sink.Full() || interrupted ||
        (settings.duration && elapsed >= *settings.duration))
      break;
    acquisition.changed.wait_for(lock, std::chrono::milliseconds(200));
  }
  if (settings.progress) std::fputc('\n', stderr);
}

int Report(Acquisition &acquisition, const Settings &settings, double seconds,
           std::optional<double> clockHz, uint32_t ioStatus) {
  const uint64_t samples = acquisition.sink.Samples();
  std::fprintf(stderr, "acquired %llu samples in %.3f s: %.1f samples/s achieved",
               (unsigned long long)samples, seconds, seconds > 0 ? samples / seconds : 0.0);
  if (clockHz) std::fprintf(stderr, " (clock set to %.6g Hz)", *clockHz);
  std::fputc('\n', stderr);
  bool lost = false;
  if (settings.checkPattern) {
    std::fprintf(stderr, "samples lost: %llu (gaps in the running count)\n",
                 (unsigned long long)acquisition.sink.Lost());
    lost = acquisition.sink.Lost() != 0;
  } else {
    std::fprintf(stderr, "samples lost: none on the host (the pool grew by %llu buffers); "
                         "--check-pattern counts the board's\n",
                 (unsigned long long)acquisition.insertedBuffers);
  }
  if (ioStatus != 0) {
    std::fprintf(stderr, "the stream ended early: %s\n", ResultText(ioStatus).c_str());
    lost = true;
  }
  if (acquisition.sink.WriteFailed()) {
    std::fprintf(stderr, "mirbax acquire: writing the samples failed\n");
    return kExitLibraryError;
  }
  return lost ? kExitDataLost : kExitOk;
}

}  // namespace

int AcquireCommand(const std::vector<std::string> &args) {
  const Arguments arguments(args, {"rate", "duration", "samples", "output", "format", "plot", "buffer"},
                            {"progress", "check-pattern"});
  char help[4096];
  std::snprintf(help, sizeof help, kHelp, kDeviceHelp);
  uint32_t device = 0;
  if (const auto exit = Prologue(kCommand, arguments, help, device)) return *exit;
  Settings settings;
  if (const auto error = ParseSettings(arguments, settings)) return UsageFailure(kCommand, *error);
  BoardFacts board;
  std::string function;
  if (const uint32_t result = QueryBoard(device, board, function))
    return LibraryFailure(kCommand, function, result);
  ScanLayout layout;
  if (const uint32_t result = ReadScanLayout(board.entry, layout))
    return LibraryFailure(kCommand, "ADC_GetConfig", result);

  std::FILE *out = stdout;
  std::unique_ptr<std::FILE, int (*)(std::FILE *)> file(nullptr, std::fclose);
  if (settings.output != "-") {
    file.reset(std::fopen(settings.output.c_str(), settings.format == OutputFormat::Binary ? "wb" : "w"));
    if (!file) return UsageFailure(kCommand, "cannot write '" + settings.output + "'");
    out = file.get();
  } else if (settings.format == OutputFormat::Binary && isatty(STDOUT_FILENO)) {
    return UsageFailure(kCommand, "binary samples to a terminal: give --output FILE");
  }
  Acquisition acquisition(SampleSink(out, settings.format, layout, settings.samples,
                                     settings.checkPattern, settings.plot.has_value()));
  acquisition.sink.WriteHeader();
  current = &acquisition;
  PrepareSimulatedBoards(settings);
  std::signal(SIGINT, OnInterrupt);

  double clockHz = 0;
  const Clock::time_point start = Clock::now();
  if (const uint32_t result = Start(board.entry, settings, clockHz))
    return LibraryFailure(kCommand, settings.rate ? "ADC_BulkContinuousCallbackStartClocked"
                                                  : "ADC_BulkContinuousCallbackStart",
                          result);
  WaitForTheEnd(acquisition, settings, start);
  uint32_t ioStatus = 0;
  const uint32_t ended = ADC_BulkContinuousEnd(board.entry, &ioStatus);
  const double seconds = Seconds(Clock::now() - start);
  std::signal(SIGINT, SIG_DFL);
  std::fflush(out);
  // The workers have ended: nothing touches the acquisition any more.
  if (ended != 0) return LibraryFailure(kCommand, "ADC_BulkContinuousEnd", ended);
  int exit = Report(acquisition, settings, seconds,
                    settings.rate ? std::optional(clockHz) : std::nullopt, ioStatus);
  if (settings.plot) {
    std::string error;
    const double scansPerSecond = seconds > 0 ? acquisition.sink.Samples() / layout.SamplesPerScan() / seconds : 0;
    if (!WritePlot(*settings.plot, acquisition.sink.PlotData(), "counts", scansPerSecond, error)) {
      std::fprintf(stderr, "mirbax acquire: %s\n", error.c_str());
      exit = kExitLibraryError;
    } else {
      std::fprintf(stderr, "plot written to %s\n", settings.plot->c_str());
    }
  }
  return exit;
}

}  // namespace mirbax::tool
