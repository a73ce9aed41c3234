/*
 * MIRBAX: host library for the USB data-acquisition boards
 * (digital I/O, 8254 counters, ADC, DAC, watchdog, EEPROM/flash).
 *
 * Every function returns an unsigned 32-bit Windows-style result code, 0 on
 * success (the MIRBAX_ERROR_* constants below), unless its comment in
 * <mirbax_functions.h> says it returns an index, a mask or a count.  The
 * functions that return an index or a count report their result code through
 * the thread's last error, set right before they return: `errno` on Linux,
 * GetLastError() on Windows.  Read it at once, on the same thread.
 *
 * Device index: 0..31 selects an entry of the library's device table.  The
 * special values diFirst, diOnly and diLoadAndOnly are resolved by the call;
 * diNone (and anything else from 32 up) is refused with 1413.
 *
 * Threads: any thread may call any function.  Calls that change one device's
 * state (open, close, start, stop) should be serialized by the application.
 *
 * Every function is exported under three names: `Name`, `_Name` (the same
 * entry point, C calling convention) and `VBName` (on Windows an entry point
 * of its own with the __stdcall convention, taking the same arguments; on
 * Linux another alias).  The table of functions, with a line on each, is
 * <mirbax_functions.h>.
 */
#ifndef MIRBAX_H
#define MIRBAX_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Device index values ---------------------------------------------- */
#define diNone        0xFFFFFFFFu /* no device; returned on failure          */
#define diFirst       0xFFFFFFFEu /* the lowest linked entry                 */
#define diOnly        0xFFFFFFFDu /* the single linked entry (52 if several) */
#define diLoadAndOnly 0xFFFFFFFCu /* relink every board, then as diOnly      */
#define MIRBAX_MAX_DEVICES 32u

/* ---- Result codes ------------------------------------------------------ */
#define MIRBAX_ERROR_SUCCESS                 0u
#define MIRBAX_ERROR_FILE_NOT_FOUND          2u    /* no board linked there         */
#define MIRBAX_ERROR_TOO_MANY_OPEN_FILES     4u    /* already streaming/acquiring   */
#define MIRBAX_ERROR_INVALID_HANDLE          6u
#define MIRBAX_ERROR_NOT_ENOUGH_MEMORY       8u
#define MIRBAX_ERROR_INVALID_DATA            13u
#define MIRBAX_ERROR_BAD_LENGTH              24u   /* size past an area or limit    */
#define MIRBAX_ERROR_SEEK                    25u   /* address outside an area       */
#define MIRBAX_ERROR_READ_FAULT              30u
#define MIRBAX_ERROR_GEN_FAILURE             31u   /* driver failed without a code  */
#define MIRBAX_ERROR_HANDLE_EOF              38u
#define MIRBAX_ERROR_NOT_SUPPORTED           50u
#define MIRBAX_ERROR_DUP_NAME                52u   /* several boards matched        */
#define MIRBAX_ERROR_INVALID_PARAMETER       87u
#define MIRBAX_ERROR_INSUFFICIENT_BUFFER     122u
#define MIRBAX_ERROR_INVALID_FLAG_NUMBER     186u  /* a flag argument must be 0     */
#define MIRBAX_ERROR_TIMEOUT                 1460u
#define MIRBAX_ERROR_INVALID_ADDRESS         487u  /* index beyond the board        */
#define MIRBAX_ERROR_OPERATION_ABORTED       995u  /* a wait was ended             */
#define MIRBAX_ERROR_NOACCESS                998u  /* caller buffer not accessible  */
#define MIRBAX_ERROR_NO_DATA_DETECTED        1104u /* no new measurement            */
#define MIRBAX_ERROR_DEVICE_NOT_CONNECTED    1167u
#define MIRBAX_ERROR_BAD_TOKEN_TYPE          1349u /* board lacks the feature       */
#define MIRBAX_ERROR_INTERNAL_ERROR          1359u
#define MIRBAX_ERROR_INVALID_INDEX           1413u /* device index out of range     */
#define MIRBAX_ERROR_DEVICE_REMOVED          1617u /* board gone; close the index   */
#define MIRBAX_ERROR_INVALID_USER_BUFFER     1784u

/* ---- Records ----------------------------------------------------------- */

#pragma pack(push, 1)
/* The capability record a board reports (15 bytes, little-endian).  Only the
 * first PNPSize bytes are valid. */
typedef struct TPNPData {
  uint8_t PNPSize;
  uint16_t Rev;
  uint8_t nADCConfigBytes;
  uint8_t nDIOControlBytes;
  uint8_t nDIOBytes;
  uint8_t nCounterBlocks;
  uint8_t nDACWords;
  uint8_t HasDeb;
  uint8_t HasLatch;
  uint8_t PWMTableMaxLen;
  uint8_t MapTableMaxLen;
  uint8_t MapHighSrcBit;
  uint8_t MapHighDstBit;
  uint8_t HasDIOWrite1;
} TPNPData;

/* One immediate DAC output: channel and count. */
typedef struct TDACEntry {
  uint16_t Channel;
  uint16_t Value;
} TDACEntry, *PDACEntry;
#pragma pack(pop)

/* Callback of a continuous acquisition.  Runs on the library's buffer worker
 * thread, one call at a time; pBuf is lent for the duration of the call. */
typedef void (*PContCallback)(uint16_t *pBuf, uint32_t BufSize, uint32_t Flags, uint32_t Context);

/* ---- Functions ----------------------------------------------------------- */

#if defined(_WIN32)
#  define MIRBAX_CDECL __cdecl
#  define MIRBAX_STDCALL __stdcall
#else
#  define MIRBAX_CDECL
#  define MIRBAX_STDCALL
#endif

#define MIRBAX_DECL_NAME(name, params) uint32_t MIRBAX_CDECL name params;
#define MIRBAX_DECL_UNDERSCORE(name, params) uint32_t MIRBAX_CDECL _##name params;
#define MIRBAX_DECL_VB(name, params) uint32_t MIRBAX_STDCALL VB##name params;

#define MIRBAX_DECL_ALL(name, params) \
  MIRBAX_DECL_NAME(name, params) MIRBAX_DECL_UNDERSCORE(name, params) MIRBAX_DECL_VB(name, params)
#define MIRBAX_DECL_NO_VB(name, params) \
  MIRBAX_DECL_NAME(name, params) MIRBAX_DECL_UNDERSCORE(name, params)
#define MIRBAX_DECL_C_ONLY(name, params) MIRBAX_DECL_NAME(name, params)
#define MIRBAX_DECL_PNP(name, params) \
  MIRBAX_DECL_NAME(name, params) uint32_t MIRBAX_CDECL _MIRBAX_GetPNPData params; \
  MIRBAX_DECL_VB(name, params)

#define MIRBAX_FN(flavour, name, params) MIRBAX_DECL_##flavour(name, params)
#define MIRBAX_FN_ALIAS(name, target, params) MIRBAX_DECL_ALL(name, params)
#include "mirbax_functions.h"
#undef MIRBAX_FN
#undef MIRBAX_FN_ALIAS

#ifdef __cplusplus
}
#endif

#endif /* MIRBAX_H */
