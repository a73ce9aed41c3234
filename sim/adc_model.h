// Analog-input model of the simulated boards: the bulk-acquisition families
// (16, 64 and multiplexer channels), the DIO-stream ADC board (0x8180) and
// the immediate inputs of the boards that have them.
//
// State: the raw counts of each input (MIRBAXSIM_SetAnalogInput), the
// configuration block (region "adcconfig"), the two calibration tables
// (region "caltable", bipolar then unipolar, 65536 16-bit entries each), the
// acquisition in progress and the bulk IN source that streams its samples on
// pipe 0x86 (adc_stream_model.cpp).
//
// Requests answered: 0xD2/0xBE (get/set the block), 0xBF (immediate inputs;
// a write is the software start), 0xBC (arm a block, start/stop continuous,
// start/stop the DIO stream, bytes left), 0xC5 (clocked start), 0xBA (the
// calibration probe), 0xBB (store the table chunk last received on pipe
// 0x02) and 0xD4 (the fast-scan debug switch).  They are registered on the
// boards with an ADC block only; 0xBC and 0xBB on the DIO-stream ADC board
// belong to this model too.
//
// Options of ADC boards, besides "sample_rate" and "adc_pattern":
//   "adc_trigger"      1 (default): a hardware start (counter output or
//                      external trigger) comes at once when an armed block
//                      needs one; 0: withheld, the block waits for a software
//                      start (or for the option to be set to 1 again).
//   "adc_held_bytes"   bytes the board still holds when continuous
//                      acquisition stops (default 0); they are reported by
//                      the bytes-left read and then delivered on pipe 0x86.
//   "adc_ref_low"      raw unipolar counts of the low calibration reference
//                      (default 0).
//   "adc_ref_high"     raw unipolar counts of the high one; 0 (default): the
//                      EEPROM word at 0x1DF2, or 65103 when that is 0xFFFF.
//   "adc_table_accept" the most bytes pipe 0x02 accepts per transfer while
//                      a calibration table is loaded (0 = all).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

namespace mirbax::sim {

class Board;

enum class AdcRun : uint8_t {
  Idle,
  BlockWaiting,  // armed, waiting for its start
  Block,         // converting a block of a known number of samples
  Continuous,    // converting until stopped
  DioStream,     // the DIO-stream board's record stream
};

// The analog-input state of one board; the board's lock guards it.
struct AdcState {
  // What the board has (fixed when it is built).
  bool bulk = false;                 // bulk acquisition through the block
  bool dioStream = false;            // the DIO-stream ADC board
  uint32_t configBytes = 0;
  uint32_t muxChannels = 0;
  uint8_t rangeShift = 0;
  std::vector<uint8_t> config;       // "adcconfig"
  std::vector<uint8_t> calTables;    // "caltable": bipolar table, then unipolar
  std::vector<uint16_t> inputs;      // raw counts per input channel
  std::vector<uint8_t> tableChunk;   // the last data received on pipe 0x02
  bool fastScanDebug = false;        // VRQ_DEBUG_DEBUG 30

  // The acquisition in progress.
  AdcRun run = AdcRun::Idle;
  uint64_t blockSamplesLeft = 0;     // in a block
  uint64_t streamSample = 0;         // n: samples produced since the start
  std::vector<uint32_t> scanChannels;  // the scan of the block at the start
  uint32_t conversions = 1;          // per channel and scan
  uint64_t scanPosition = 0;         // sample index within the scan
  std::chrono::steady_clock::time_point pacedSince;
  uint64_t pacedBase = 0;            // streamSample at pacedSince
};

// Registers the analog-input requests, regions, options and the bulk source
// of `board`; runs while the board is built.
void RegisterAdcRequests(Board &board);

// MIRBAXSIM_SetAnalogInput, called with the board's lock held.  Returns 0,
// 87 for a channel beyond the board, or 50 for a board without analog inputs.
uint32_t AdcSetAnalogInput(Board &board, uint32_t channel, uint16_t counts);

// ---- Shared with the stream model (board's lock held) ----------------------

// Starts a run: the scan of the current block, counters back to 0.
void AdcBeginRun(Board &board, AdcRun run, uint64_t blockSamples);
// Installs the source of pipe 0x86.
void InstallAdcSource(Board &board);
// The count one conversion of `channel` gives under the current block.
uint16_t AdcConvert(Board &board, uint32_t channel);

}  // namespace mirbax::sim
