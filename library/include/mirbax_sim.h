/*
 * Simulated boards: the control API of libmirbax-sim.so.
 *
 * libmirbax-sim.so is the MIRBAX library over a bus of simulated boards
 * instead of real USB hardware.  Applications use it to develop and test
 * without a board; the project's own test suites use it too.  The boards
 * model the firmware: they answer every vendor request the library sends,
 * keep their memories (EEPROM, flash, controller RAM, configuration blocks,
 * calibration tables), digital lines, counters, ADC and DAC state, and stream
 * on their bulk pipes 0x02, 0x06, 0x82 and 0x86.
 *
 * Every function returns 0 or a Windows-style code: 2 no such board,
 * 87 bad argument, 122 buffer too small (the needed size is then stored in
 * *pSize), 50 not available on that board.  All functions are thread-safe.
 *
 * Boards appear to the library at its next linking pass (GetDevices,
 * MIRBAX_ReloadDeviceLinks, QueryDeviceInfo on an empty entry, diLoadAndOnly).
 */
#ifndef MIRBAX_SIM_H
#define MIRBAX_SIM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Driver a board is bound to (MIRBAXSIM_Attach). */
#define MIRBAXSIM_DRIVER_WINUSB 1u /* WinUSB: exclusive open, one interface handle   */
#define MIRBAXSIM_DRIVER_CYUSB2 2u /* CyUSB, older driver version                     */
#define MIRBAXSIM_DRIVER_CYUSB3 3u /* CyUSB, newer driver version                     */

/* Unplug and forget every board; clear the message record. */
uint32_t MIRBAXSIM_Reset(void);

/* Plug in a board with USB product ID `pid` bound to `driver`; *pBoard gets
 * its handle for the other calls (never reused within a process). */
uint32_t MIRBAXSIM_Attach(uint32_t pid, uint32_t driver, uint32_t *pBoard);

/* Plug in a board waiting for firmware; its device path ends with pathTag,
 * e.g. "vid_0000&pid_0001".  Its controller RAM ("ram" region) receives what
 * the firmware loader writes. */
uint32_t MIRBAXSIM_AttachLoader(const char *pathTag, uint32_t *pBoard);

/* Unplug: every later transfer fails as a real driver fails for a vanished
 * device (1167), opens of its path fail (2), and pending bulk reads end.
 * The board stays known until MIRBAXSIM_Reset: its log, memories and bulk
 * OUT record can still be read.  Detaching it again gives 2. */
uint32_t MIRBAXSIM_Detach(uint32_t board);

/* Board options:
 *   "firmware20"    1 (default): answers the generation probe as the newer
 *                   firmware generation; 0: the older one.
 *   "high_speed"    1 (default): high-speed bus; 0: full speed.
 *   "cal_supported" 1 (default): the ADC calibration feature is present.
 *   "serial"        the 64-bit serial number in EEPROM (default: a distinct
 *                   non-zero number per board; 0 = not programmed).
 *   "sample_rate"   0 (default): ADC samples come as fast as they are read;
 *                   else samples per second, paced in real time.
 *   "adc_pattern"   0 (default): each sample is its channel's input through
 *                   the calibration table; 1: sample n of a stream carries
 *                   n mod 65536.
 *   "driver_version" the version the CyUSB driver reports.
 *   "bulk_timeout_ms" how long a bulk read waits for data before it fails
 *                   with a time-out (121); 0 = no limit (default 42000 on
 *                   CyUSB, as the driver's header asks; 0 on WinUSB). */
/* An unknown name gives 87. */
uint32_t MIRBAXSIM_SetOption(uint32_t board, const char *name, uint64_t value);

/* The current value of a board option (names as above); 87 for an unknown
 * name. */
uint32_t MIRBAXSIM_GetOption(uint32_t board, const char *name, uint64_t *pValue);

/* The product string the board reports (UTF-8). */
uint32_t MIRBAXSIM_SetProductName(uint32_t board, const char *name);

/* The device path under which the library finds the board.  *pSize as in
 * MIRBAXSIM_GetLog. */
uint32_t MIRBAXSIM_GetDevicePath(uint32_t board, char *text, uint32_t *pSize);

/* The number of driver handles open on the board: files of its device path
 * and WinUSB interfaces not yet freed. */
uint32_t MIRBAXSIM_GetOpenHandleCount(uint32_t board, uint32_t *pCount);

/* Direct access to a board memory region, bypassing the USB protocol:
 *   "eeprom"    8192 bytes
 *   "flash"     2 MiB (erased bytes read 0xFF)
 *   "ram"       controller memory, 65536 bytes; 0xE600 is the CPU control
 *               register (1 = held in reset)
 *   "pnp"       the capability record the board reports (15 bytes)
 *   "adcconfig" the ADC configuration block
 *   "caltable"  the ADC calibration tables, bipolar then unipolar
 *               (65536 16-bit entries each)
 * A range past the region's end, or an unknown region name, gives 87. */
uint32_t MIRBAXSIM_Poke(uint32_t board, const char *region, uint32_t address, const void *data,
                        uint32_t size);
uint32_t MIRBAXSIM_Peek(uint32_t board, const char *region, uint32_t address, void *data,
                        uint32_t size);

/* The raw counts an ADC channel reads (before the calibration table). */
uint32_t MIRBAXSIM_SetAnalogInput(uint32_t board, uint32_t channel, uint16_t counts);

/* The levels on the digital input lines, one byte per 8 lines. */
uint32_t MIRBAXSIM_SetDigitalInputs(uint32_t board, const uint8_t *data, uint32_t size);

/* The count a DAC channel outputs now. */
uint32_t MIRBAXSIM_GetDACOutput(uint32_t board, uint32_t channel, uint16_t *pCounts);

/* Queue data the board sends on a bulk IN pipe (0x82 or 0x86). */
uint32_t MIRBAXSIM_WriteBulkIn(uint32_t board, uint32_t pipe, const void *data, uint32_t size);

/* Take what the host wrote to a bulk OUT pipe (0x02 or 0x06) and has not been
 * taken yet.  *pSize: room in data on entry, bytes stored on return (122 and
 * the size needed when data is too small; data may be null to ask). */
uint32_t MIRBAXSIM_ReadBulkOut(uint32_t board, uint32_t pipe, void *data, uint32_t *pSize);

/* Fault injection: the next `count` transfers of the board (control, bulk or
 * abort) fail with the driver error `error` (e.g. 31, 1167).  count 0 clears
 * a pending fault; 0xFFFFFFFF fails every transfer until cleared.  A failed
 * transfer never reaches the board: it is not logged.  Driver queries
 * (version, speed, pipe information) are not transfers. */
uint32_t MIRBAXSIM_FailTransfers(uint32_t board, uint32_t count, uint32_t error);

/* As MIRBAXSIM_FailTransfers, after letting `skip` transfers pass: fault
 * sweeps fail step 1, 2, 3 ... of an operation. */
uint32_t MIRBAXSIM_FailTransfersAfter(uint32_t board, uint32_t skip, uint32_t count, uint32_t error);

/* The transfer log of the board, oldest first, one line each, lower-case hex:
 *   C <type:2> <request:2> <value:4> <index:4> <length:4>[ <data>]
 *       a control transfer; the data stage as it crossed the bus (sent for
 *       writes, returned for reads), when there is one
 *   B <endpoint:2> <requested:8> <transferred:8>   a bulk transfer
 *   A <endpoint:2>                                 a pipe abort
 * A request the board refuses (a stall, 31) is logged without data; a
 * transfer that failed by fault injection or on an unplugged board is not
 * logged.  A bulk line is added when the transfer ends.
 * *pSize: room in text on entry; on return the bytes stored including the
 * terminating NUL (122 and the size needed when text is too small; text may
 * be null to ask). */
uint32_t MIRBAXSIM_GetLog(uint32_t board, char *text, uint32_t *pSize);
uint32_t MIRBAXSIM_ClearLog(uint32_t board);

/* The message boxes the library has shown, one line each:
 * caption<TAB>text<TAB>type.  *pSize as in MIRBAXSIM_GetLog. */
uint32_t MIRBAXSIM_GetMessages(char *text, uint32_t *pSize);

/* ---- Counters (sim/counter_model.h tells what the board answers) ------------ */

/* The count counter `counter` (block * 3 + counter) reads now.  step 0 holds
 * it stable; otherwise the count changes by `step` after every read. */
uint32_t MIRBAXSIM_SetCounter(uint32_t board, uint32_t counter, uint16_t count, int32_t step);

/* An edge on counter gate `gate`.  While the gate wait is armed
 * (CTR_SetWaitGates), the board reports it on pipe 0x82 when `gate` is gate A
 * and on 0x86 when it is gate B: 2 bytes, the number of events of that gate
 * since arming.  87 for a gate beyond the board. */
uint32_t MIRBAXSIM_TriggerGate(uint32_t board, uint32_t gate);

/* Waits until the board has answered `reads` more reads of all counters.
 * timeoutMs 0 waits without limit; else 1460 when the time runs out. */
uint32_t MIRBAXSIM_WaitForCounterReads(uint32_t board, uint32_t reads, uint32_t timeoutMs);

/* Waits until a host read is waiting for an event on the pipe of gate A (0,
 * pipe 0x82) or gate B (1, pipe 0x86), one not reported before.  timeoutMs
 * as above. */
uint32_t MIRBAXSIM_WaitForGateReader(uint32_t board, uint32_t gate, uint32_t timeoutMs);

/* ---- Analog output and the digital stream --------------------------------
 * See docs/analog-output.md for what each board kind does with the DAC
 * requests.  Options of these boards:
 *   "dac_fifo_paused"  waveform-FIFO boards: 1 = the board takes nothing on
 *                      pipe 0x02 (the transfers wait) until set back to 0.
 *   "stream_out_limit" digital-stream boards: the most bytes one transfer to
 *                      pipe 0x02 is taken (0, the default: all of it).
 * Region "dacrange": the 2 bytes a DAC-through-stream board reports for
 * VRQ_DAC_RANGE. */

/* One word that reached the waveform FIFO (pipe 0x02), with the board's state
 * when it arrived. */
typedef struct MIRBAXSIM_DACFifoEntry {
  uint16_t Word;      /* the sample word as sent: count and flag bits */
  uint16_t Divisor;   /* the clock divisor set then */
  uint8_t Started;    /* 1: the output had been started */
  uint8_t Interlock;  /* 1: the interlock was on */
  uint16_t Reserved;
} MIRBAXSIM_DACFifoEntry;

/* Takes the FIFO words recorded since the last call, oldest first.
 * *pCount: room in entries on entry, entries stored on return (122 and the
 * count needed when there is not room for all; entries may be null to ask).
 * 50 on a board without a waveform FIFO. */
uint32_t MIRBAXSIM_ReadDACFifo(uint32_t board, MIRBAXSIM_DACFifoEntry *entries, uint32_t *pCount);

typedef struct MIRBAXSIM_DACState {
  uint32_t RangeCode;          /* the last range code written (VRQ_DAC_RANGE) */
  uint32_t Divisor;            /* waveform clock divisor of the 12 MHz clock */
  uint32_t Started;            /* the waveform output runs */
  uint32_t Interlock;          /* the interlock is on */
  uint32_t Prepares;           /* prepare requests so far */
  uint32_t DataPointerResets;  /* data-pointer resets so far */
  uint32_t SlowWaveSetup;      /* value of the last slow-waveform set-up (0: none) */
} MIRBAXSIM_DACState;

/* The analog-output state; 50 on a board without DACs. */
uint32_t MIRBAXSIM_GetDACState(uint32_t board, MIRBAXSIM_DACState *pState);

typedef struct MIRBAXSIM_DigitalStreamState {
  uint32_t Direction;  /* 0 never opened, 1 opened for writing, 2 for reading */
  uint32_t Disables;   /* bit 0 write clock off, bit 1 read clock off */
  double WriteHz;      /* the clocks the oscillators make (0 = off) */
  double ReadHz;
} MIRBAXSIM_DigitalStreamState;

/* The digital stream's state; 50 on a board without one. */
uint32_t MIRBAXSIM_GetDigitalStreamState(uint32_t board, MIRBAXSIM_DigitalStreamState *pState);

/* Takes the words the digital stream has received on pipe 0x02 since the
 * last call; *pCount as in MIRBAXSIM_ReadDACFifo. */
uint32_t MIRBAXSIM_ReadDigitalStream(uint32_t board, uint16_t *words, uint32_t *pCount);

#ifdef __cplusplus
}
#endif

#endif /* MIRBAX_SIM_H */
