/*
 * The table of every function MIRBAX exports.
 *
 * This one table drives the declarations of <mirbax.h>, the linker's export
 * list and the alias names, so the three can never drift apart.  Each row is
 *
 *   MIRBAX_FN(flavour, Name, (parameters))
 *   MIRBAX_FN_ALIAS(Name, Target, (parameters))   same entry point as Target
 *
 * Every function returns an unsigned 32-bit value: a Windows-style result code
 * (0 = success) unless its comment says otherwise.  Flavours:
 *
 *   ALL     Name, _Name and VBName
 *   NO_VB   Name and _Name
 *   C_ONLY  Name alone
 *   PNP     Name, the underscore name _MIRBAX_GetPNPData, and VBName
 *
 * `Name` and `_Name` are one entry point.  On Linux the `VB` names are plain
 * aliases of that entry point too; the Windows DLL gives them entry points
 * of their own with the standard calling convention (__stdcall), generated
 * from this table.  Arguments are described in <mirbax.h>.
 *
 * Conventions that hold for every device function:
 *   - DeviceIndex 0..31 selects an entry; diFirst, diOnly and diLoadAndOnly
 *     are resolved first; any other value from 32 up gives 1413.
 *   - Checks run in a fixed order (index and open, capability -> 1349,
 *     arguments) and nothing is sent to the board when one fails.
 *   - A null or unreadable caller pointer never crashes the library: it gives
 *     998 where a caller buffer is copied, 1359 elsewhere.
 */

/* ---- Device layer: discovery and identification ---------------------- */

/* Links newly attached boards; returns a bit mask, bit i set when entry i is
 * linked and opens. */
MIRBAX_FN(ALL, GetDevices, (void))
/* Product ID, product name (UTF-8), digital bytes and counter blocks of a
 * board.  Every pointer may be null.  *pNameSize is the room in pName on entry
 * and the name length on return. */
MIRBAX_FN(ALL, QueryDeviceInfo, (uint32_t DeviceIndex, uint32_t *pPID, uint32_t *pNameSize, char *pName, uint32_t *pDIOBytes, uint32_t *pCounters))
/* Resolves a special index without opening the device.  Returns the index, or
 * diNone; the last error (errno, or
 * GetLastError() on Windows) holds the result code. */
MIRBAX_FN(ALL, ResolveDeviceIndex, (uint32_t DeviceIndex))
/* Forgets boards that went away and notices boards that have gone; always 0. */
MIRBAX_FN(ALL, ClearDevices, (void))
/* The index of the board with that serial number, or diNone. */
MIRBAX_FN(ALL, GetDeviceBySerialNumber, (uint64_t SerialNumber))
/* The index of the board whose first custom EEPROM byte is Data, or diNone;
 * last error: 0, 52 (several match) or 2 (none). */
MIRBAX_FN(ALL, GetDeviceByEEPROMByte, (uint8_t Data))
/* As GetDeviceByEEPROMByte, matching DataSize (at most 256) custom EEPROM bytes
 * at StartAddress. */
MIRBAX_FN(ALL, GetDeviceByEEPROMData, (uint32_t StartAddress, uint32_t DataSize, const void *pData))
/* The 64-bit serial number; 50 (value all ones) when none is programmed. */
MIRBAX_FN(ALL, GetDeviceSerialNumber, (uint32_t DeviceIndex, uint64_t *pSerialNumber))
/* The first min(*pIIDSize, 8) bytes of the serial number. */
MIRBAX_FN(ALL, GetDeviceUniqueStr, (uint32_t DeviceIndex, uint32_t *pIIDSize, void *pIID))
/* Lists the pipes of a WinUSB board: pipe ID + 256 * pipe type per element;
 * *PipeCount is the room on entry and the endpoint count on return. */
MIRBAX_FN(C_ONLY, GetPipes, (uint32_t DeviceIndex, uint32_t *PipeCount, uint32_t *pPipeData))
/* The calling thread's driver handle for the device. */
MIRBAX_FN(C_ONLY, GetDeviceHandle, (uint32_t DeviceIndex, uint32_t *pData))

/* ---- Device layer: transfers ----------------------------------------- */

/* Vendor control read: *DataSize bytes wanted on entry, received on return. */
MIRBAX_FN(ALL, GenericVendorRead, (uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index, uint32_t *DataSize, void *pData))
/* Vendor control write of DataSize bytes (0: no data stage). */
MIRBAX_FN(ALL, GenericVendorWrite, (uint32_t DeviceIndex, uint8_t Request, uint16_t Value, uint16_t Index, uint32_t DataSize, const void *pData))
/* Bulk read from pipe PipeID | 0x80. */
MIRBAX_FN(C_ONLY, AWU_GenericBulkIn, (uint32_t DeviceIndex, uint32_t PipeID, void *pData, uint32_t DataSize, uint32_t *BytesRead))
/* Bulk write to pipe PipeID & 0x7F. */
MIRBAX_FN(C_ONLY, AWU_GenericBulkOut, (uint32_t DeviceIndex, uint32_t PipeID, const void *pData, uint32_t DataSize, uint32_t *BytesWritten))
/* Aborts the pending transfers of a pipe. */
MIRBAX_FN(ALL, MIRBAX_AbortPipe, (uint32_t DeviceIndex, uint8_t PipeID))

/* ---- Device layer: links --------------------------------------------- */

/* Not available on this platform: returns 50 and touches nothing. */
MIRBAX_FN(ALL, SelectDeviceViaUI, (uint32_t NumPIDs, const uint32_t *pPIDs, const char *CaptionStr, const char *FindMultiPromptStr, const char *Find1PromptStr, const char *NoFindPromptStr, uint32_t *SelectedDeviceIndex))
/* Drops the link of an entry (and clears its removal mark). */
MIRBAX_FN(ALL, MIRBAX_CloseDevice, (uint32_t DeviceIndex))
/* Closes every entry and links the attached boards again from entry 0. */
MIRBAX_FN(ALL, MIRBAX_ReloadDeviceLinks, (void))

/* ---- Device layer: board memory and maintenance ---------------------- */

/* Custom EEPROM area (addresses from 0), in 32-byte blocks. */
MIRBAX_FN(ALL, CustomEEPROMRead, (uint32_t DeviceIndex, uint32_t StartAddress, uint32_t *DataSize, void *Data))
MIRBAX_FN(ALL, CustomEEPROMWrite, (uint32_t DeviceIndex, uint32_t StartAddress, uint32_t DataSize, const void *Data))
/* Flash, in 4096-byte blocks; sectors of 64 KiB. */
MIRBAX_FN(ALL, MIRBAX_FlashRead, (uint32_t DeviceIndex, uint32_t StartAddress, uint32_t *DataSize, void *Data))
MIRBAX_FN(ALL, MIRBAX_FlashWrite, (uint32_t DeviceIndex, uint32_t StartAddress, uint32_t DataSize, const void *Data))
MIRBAX_FN(ALL, MIRBAX_FlashEraseSector, (uint32_t DeviceIndex, int32_t Sector))
/* No operation: returns 50. */
MIRBAX_FN(NO_VB, MIRBAX_UploadFirmware, (uint32_t DeviceIndex, const void *FirmBuf, uint32_t BufLen))
/* Loads firmware into every board waiting for it, as the script says.  Returns
 * the number of boards loaded; last error 0, or 1359. */
MIRBAX_FN(ALL, MIRBAX_UploadD15LoFirmwaresByPID, (const char *pFirmScript))
/* No operation: returns 50. */
MIRBAX_FN(ALL, MIRBAX_OfflineWrite1, (uint32_t DeviceIndex, uint32_t SampleIndex, uint16_t Buf))
MIRBAX_FN(ALL, MIRBAX_OfflineRead1, (uint32_t DeviceIndex, uint32_t SampleIndex, uint16_t *pBuf))
/* Clears the board's FIFO; TimeMethod 0, 1, 5 or 86. */
MIRBAX_FN(ALL, MIRBAX_ClearFIFO, (uint32_t DeviceIndex, uint32_t TimeMethod))
MIRBAX_FN(ALL, MIRBAX_GetStreamStatus, (uint32_t DeviceIndex, uint32_t *Status))
MIRBAX_FN(ALL, MIRBAX_SetStreamingBlockSize, (uint32_t DeviceIndex, uint32_t BlockSize))
MIRBAX_FN(ALL, MIRBAX_ResetChip, (uint32_t DeviceIndex))
/* The board's capability record (TPNPData). */
MIRBAX_FN(PNP, MIRBAX_QuerySimplePNPData, (uint32_t DeviceIndex, void *pPNPData, uint32_t *pPNPDataBytes))
MIRBAX_FN(ALL, MIRBAX_SaveStateAsDefaults, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, MIRBAX_RestoreFactoryDefaults, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, MIRBAX_SetDefaultsTable, (uint32_t DeviceIndex, const void *pDefTable, uint32_t *pDefTableBytes))
MIRBAX_FN(ALL, MIRBAX_GetDefaultsTable, (uint32_t DeviceIndex, void *pDefTable, uint32_t *pDefTableBytes))
/* *pHz: wanted rate in, rate set out. */
MIRBAX_FN(ALL, MIRBAX_SetGlobalTickRate, (uint32_t DeviceIndex, double *pHz))
/* Debug entry points. */
MIRBAX_FN(C_ONLY, DEB_BufTest, (uint32_t DeviceIndex, uint8_t VR, uint32_t VI, const void *pData, uint32_t DataSize))
MIRBAX_FN(C_ONLY, DEB_SetInterface, (uint32_t DeviceIndex, uint16_t TargetInterface))
MIRBAX_FN(C_ONLY, DEB_BulkIn, (uint32_t DeviceIndex))
MIRBAX_FN(C_ONLY, DEB_BulkOut, (uint32_t DeviceIndex, uint32_t TargetPipe, const void *pBuf, uint32_t BufLen))

/* ---- Analog output ---------------------------------------------------- */

MIRBAX_FN(ALL, DACDirect, (uint32_t DeviceIndex, uint16_t Channel, uint16_t Value))
MIRBAX_FN(ALL, DACMultiDirect, (uint32_t DeviceIndex, const TDACEntry *pDACData, uint32_t DACDataCount))
MIRBAX_FN(ALL, DACSetBoardRange, (uint32_t DeviceIndex, uint32_t RangeCode))
/* CalFileName: a calibration text file, ":1TO1:" or ":NONE:". */
MIRBAX_FN(ALL, DACSetChannelCal, (uint32_t DeviceIndex, uint32_t Channel, const char *CalFileName))
/* Opens waveform output; *ClockHz: wanted rate in, rate obtained out. */
MIRBAX_FN(ALL, DACOutputOpen, (uint32_t DeviceIndex, double *ClockHz))
MIRBAX_FN_ALIAS(DACOutputOpenNoClear, DACOutputOpen, (uint32_t DeviceIndex, double *ClockHz))
MIRBAX_FN(ALL, DACOutputAbort, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DACOutputClose, (uint32_t DeviceIndex, uint32_t bWait))
MIRBAX_FN(ALL, DACOutputCloseNoEnd, (uint32_t DeviceIndex, uint32_t bWait))
MIRBAX_FN(ALL, DACOutputSetCount, (uint32_t DeviceIndex, uint32_t NewCount))
MIRBAX_FN(ALL, DACOutputFrame, (uint32_t DeviceIndex, uint32_t FramePoints, const uint16_t *FrameData))
MIRBAX_FN(ALL, DACOutputFrameRaw, (uint32_t DeviceIndex, uint32_t FramePoints, const uint16_t *FrameData))
MIRBAX_FN(ALL, DACOutputStatus, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DACOutputStart, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DACOutputSetInterlock, (uint32_t DeviceIndex, uint32_t bInterlock))
MIRBAX_FN(ALL, DACOutputSetClock, (uint32_t DeviceIndex, double *ClockHz))
MIRBAX_FN(ALL, DACOutputLoadProcess, (uint32_t DeviceIndex, double *ClockHz, uint32_t Samples, const uint16_t *pSampleData))
MIRBAX_FN(ALL, DACOutputProcess, (uint32_t DeviceIndex, double *ClockHz, uint32_t Samples, const uint16_t *pSampleData))
MIRBAX_FN(ALL, DAC_CSA_SetRangeLimits, (uint32_t DeviceIndex, const void *pData))
MIRBAX_FN(ALL, DAC_CSA_ClearRangeLimits, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DACDIO_WriteAll, (uint32_t DeviceIndex, const uint16_t *pDACCounts, const void *pDIOData))

/* ---- Analog input ----------------------------------------------------- */

MIRBAX_FN(ALL, ADC_GetConfig, (uint32_t DeviceIndex, void *pConfigBuf, uint32_t *ConfigBufSize))
MIRBAX_FN(ALL, ADC_SetConfig, (uint32_t DeviceIndex, const void *pConfigBuf, uint32_t *ConfigBufSize))
MIRBAX_FN(ALL, ADC_RangeAll, (uint32_t DeviceIndex, const uint8_t *pGainCodes, int32_t bDifferential))
MIRBAX_FN(ALL, ADC_Range1, (uint32_t DeviceIndex, uint32_t ADChannel, uint8_t GainCode, int32_t bDifferential))
MIRBAX_FN(ALL, ADC_ADMode, (uint32_t DeviceIndex, uint8_t TriggerMode, uint8_t CalMode))
MIRBAX_FN(ALL, ADC_SetScanLimits, (uint32_t DeviceIndex, uint32_t StartChannel, uint32_t EndChannel))
MIRBAX_FN(ALL, ADC_SetOversample, (uint32_t DeviceIndex, uint8_t Oversample))
MIRBAX_FN(ALL, ADC_QueryCal, (uint32_t DeviceIndex))
/* CalFileName: a calibration file, ":AUTO:", ":NORM:", ":1TO1:" or ":NONE:". */
MIRBAX_FN(ALL, ADC_SetCal, (uint32_t DeviceIndex, const char *CalFileName))
MIRBAX_FN(ALL, ADC_SetCalAndSave, (uint32_t DeviceIndex, const char *CalFileName, const char *SaveCalFileName))
MIRBAX_FN(ALL, ADC_Initialize, (uint32_t DeviceIndex, const void *pConfigBuf, uint32_t *ConfigBufSize, const char *CalFileName))
MIRBAX_FN(ALL, ADC_Start, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_Stop, (uint32_t DeviceIndex))
/* Background acquisition of BufSize bytes into pBuf; the buffer must stay
 * valid until ADC_BulkPoll reports the end. */
MIRBAX_FN(ALL, ADC_BulkAcquire, (uint32_t DeviceIndex, uint32_t BufSize, void *pBuf))
MIRBAX_FN(ALL, ADC_BulkPoll, (uint32_t DeviceIndex, uint32_t *BytesLeft))
MIRBAX_FN(C_ONLY, ADC_BulkAbort, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_BulkMode, (uint32_t DeviceIndex, uint32_t BulkMode))
MIRBAX_FN(ALL, ADC_BulkContinuousCallbackStart, (uint32_t DeviceIndex, uint32_t BufSize, uint32_t BaseBufCount, uint32_t Context, PContCallback pCallback))
MIRBAX_FN(ALL, ADC_BulkContinuousCallbackStartClocked, (uint32_t DeviceIndex, uint32_t BufSize, uint32_t BaseBufCount, uint32_t Context, PContCallback pCallback, double *Hz))
MIRBAX_FN(ALL, ADC_BulkContinuousRingStart, (uint32_t DeviceIndex, uint32_t RingBufferSize, uint32_t PacketsPerBlock))
MIRBAX_FN(ALL, ADC_BulkContinuousEnd, (uint32_t DeviceIndex, uint32_t *pIOStatus))
MIRBAX_FN(C_ONLY, ADC_BulkContinuousDebug, (uint32_t DeviceIndex, uint32_t *Blanks, uint32_t *Accessings, uint32_t *GotDatas))
MIRBAX_FN(ALL, ADC_GetImmediate, (uint32_t DeviceIndex, uint32_t Channel, uint16_t *pBuf))
MIRBAX_FN(ALL, ADC_GetScan, (uint32_t DeviceIndex, uint16_t *pBuf))
MIRBAX_FN(ALL, ADC_GetScanV, (uint32_t DeviceIndex, double *pBuf))
MIRBAX_FN(ALL, ADC_GetTrigScan, (uint32_t DeviceIndex, uint16_t *pBuf, int32_t TimeoutMS))
MIRBAX_FN(ALL, ADC_GetTrigScanV, (uint32_t DeviceIndex, double *pBuf, int32_t TimeoutMS))
MIRBAX_FN(ALL, ADC_GetChannelV, (uint32_t DeviceIndex, uint32_t ChannelIndex, double *pBuf))
MIRBAX_FN(ALL, ADC_GetCalRefV, (uint32_t DeviceIndex, uint32_t CalRefIndex, double *pRef))
/* Hands out the next filled buffer of a continuous acquisition (Timeout in
 * seconds, INFINITY = no limit); the buffer stays lent until the next call. */
MIRBAX_FN(ALL, ADC_GetBuf, (uint32_t DeviceIndex, uint16_t **pData, uint32_t *BufSize, void *pReserved, double Timeout))
MIRBAX_FN(ALL, ADC_ReadData, (uint32_t DeviceIndex, const void *pConfigBuf, uint32_t *ScansToRead, double *pData, double Timeout))
MIRBAX_FN(ALL, ADC_FullStartRing, (uint32_t DeviceIndex, const void *pConfigBuf, uint32_t *ConfigBufSize, const char *CalFileName, double *pCounterHz, uint32_t RingBufferSize, uint32_t PacketsPerBlock))
MIRBAX_FN(ALL, ADC_InitFastITScanV, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_ResetFastITScanV, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_SetFastITScanVChannels, (uint32_t DeviceIndex, uint32_t NewChannels))
MIRBAX_FN(ALL, ADC_GetFastITScanV, (uint32_t DeviceIndex, double *pBuf))
MIRBAX_FN(ALL, ADC_GetITScanV, (uint32_t DeviceIndex, double *pBuf))
MIRBAX_FN(ALL, ADC_CSA_InitFastScanV, (uint32_t DeviceIndex))
MIRBAX_FN_ALIAS(ADC_InitFastScanV, ADC_CSA_InitFastScanV, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_CSA_ResetFastScanV, (uint32_t DeviceIndex))
MIRBAX_FN_ALIAS(ADC_ResetFastScanV, ADC_CSA_ResetFastScanV, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, ADC_CSA_GetFastScanV, (uint32_t DeviceIndex, double *pBuf))
MIRBAX_FN_ALIAS(ADC_GetFastScanV, ADC_CSA_GetFastScanV, (uint32_t DeviceIndex, double *pBuf))
MIRBAX_FN(ALL, ADC_CSA_GetScanOversamples, (uint32_t DeviceIndex, uint16_t *pBuf))

/* ---- Digital I/O ------------------------------------------------------ */

MIRBAX_FN(ALL, DIO_Configure, (uint32_t DeviceIndex, uint8_t Tristate, const void *pOutMask, const void *pData))
MIRBAX_FN(ALL, DIO_ConfigureEx, (uint32_t DeviceIndex, const void *pOutMask, const void *pData, const void *pTristateMask))
MIRBAX_FN(ALL, DIO_ConfigurationQuery, (uint32_t DeviceIndex, void *pOutMask, void *pTristateMask))
MIRBAX_FN(ALL, DIO_ConfigureMasked, (uint32_t DeviceIndex, const void *pOuts, const void *pOutsMask, const void *pData, const void *pDataMask, const void *pTristates, const void *pTristatesMask))
MIRBAX_FN(ALL, DIO_Write1, (uint32_t DeviceIndex, uint32_t BitIndex, uint8_t Data))
MIRBAX_FN(ALL, DIO_Write8, (uint32_t DeviceIndex, uint32_t ByteIndex, uint8_t Data))
MIRBAX_FN(ALL, DIO_WriteAll, (uint32_t DeviceIndex, const void *pData))
MIRBAX_FN(ALL, DIO_Read1, (uint32_t DeviceIndex, uint32_t BitIndex, uint8_t *Buffer))
MIRBAX_FN(ALL, DIO_Read8, (uint32_t DeviceIndex, uint32_t ByteIndex, uint8_t *Buffer))
MIRBAX_FN(ALL, DIO_ReadAll, (uint32_t DeviceIndex, void *pData))
MIRBAX_FN(ALL, DIO_StreamOpen, (uint32_t DeviceIndex, uint32_t bIsRead))
MIRBAX_FN(ALL, DIO_StreamSetClocks, (uint32_t DeviceIndex, double *ReadClockHz, double *WriteClockHz))
MIRBAX_FN(ALL, DIO_StreamClose, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DIO_StreamFrame, (uint32_t DeviceIndex, uint32_t FramePoints, uint16_t *pFrameData, uint32_t *BytesTransferred))
MIRBAX_FN(ALL, DIO_SPI_Write, (uint32_t DeviceIndex, uint8_t Address, uint8_t Reg, uint8_t Value))
MIRBAX_FN(ALL, DIO_SPI_Read, (uint32_t DeviceIndex, uint8_t Address, uint8_t Reg, uint8_t *pValue))
MIRBAX_FN(ALL, DIO_Automap_ClearTable, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DIO_Automap_SetTable, (uint32_t DeviceIndex, const void *pMapTable, uint32_t *pMapTableBytes))
MIRBAX_FN(ALL, DIO_Automap_AddEntry, (uint32_t DeviceIndex, const uint16_t *pMapEntry))
MIRBAX_FN(ALL, DIO_Automap_SetTickDivisor, (uint32_t DeviceIndex, const uint8_t *pDivisor))
MIRBAX_FN(ALL, DIO_PWM_Start, (uint32_t DeviceIndex, const void *pPWMTable, uint32_t *pPWMTableBytes))
MIRBAX_FN(ALL, DIO_Latch_SetDivisor, (uint32_t DeviceIndex, const uint8_t *pDivisor))
MIRBAX_FN(ALL, DIO_Latch_Reset, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, DIO_Latch_Read, (uint32_t DeviceIndex, void *pLowLatches, void *pHighLatches, void *pNoLatches, uint32_t *pLatchesBytes))
MIRBAX_FN(ALL, DIO_Deb_SetConfig, (uint32_t DeviceIndex, const void *pDebTable, uint32_t *pDebTableBytes))
MIRBAX_FN(ALL, DIO_Deb_ReadAll, (uint32_t DeviceIndex, void *pDebData))
MIRBAX_FN(ALL, DIO_CSA_DoSync, (uint32_t DeviceIndex, double *BaseRateHz, double *DurAms, double *DurBms, double *DurCms))
MIRBAX_FN(ALL, DIO_CSA_DebounceSet, (uint32_t DeviceIndex, uint32_t DebounceCounts))
MIRBAX_FN(ALL, DIO_CSA_DebounceReadAll, (uint32_t DeviceIndex, void *pData))
MIRBAX_FN(ALL, DIO_CSA_ReadAllString, (uint32_t DeviceIndex, void *pData, uint32_t *pDataBytes))

/* ---- Counters --------------------------------------------------------- */

MIRBAX_FN(ALL, CTR_8254Mode, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint32_t Mode))
MIRBAX_FN(ALL, CTR_8254Load, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint16_t LoadValue))
MIRBAX_FN(ALL, CTR_8254ModeLoad, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint32_t Mode, uint16_t LoadValue))
MIRBAX_FN(ALL, CTR_8254ReadModeLoad, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint32_t Mode, uint16_t LoadValue, uint16_t *pReadValue))
MIRBAX_FN(ALL, CTR_8254Read, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint16_t *pReadValue))
MIRBAX_FN(ALL, CTR_8254ReadStatus, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint16_t *pReadValue, uint8_t *pStatus))
MIRBAX_FN(ALL, CTR_8254ReadAll, (uint32_t DeviceIndex, uint16_t *pData))
MIRBAX_FN(ALL, CTR_8254ReadLatched, (uint32_t DeviceIndex, void *pData))
MIRBAX_FN(ALL, CTR_8254SelectGate, (uint32_t DeviceIndex, uint32_t GateIndex))
/* *pHz: wanted frequency in, frequency produced out; 0 stops the output. */
MIRBAX_FN(ALL, CTR_StartOutputFreq, (uint32_t DeviceIndex, uint32_t BlockIndex, double *pHz))
MIRBAX_FN(ALL, CTR_SetWaitGates, (uint32_t DeviceIndex, uint8_t A, uint8_t B))
MIRBAX_FN(ALL, CTR_EndWaitGates, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, CTR_WaitForGate, (uint32_t DeviceIndex, uint8_t GateIndex, uint16_t *Content))
MIRBAX_FN(ALL, CTR_StartMeasuringPulseWidth, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, CTR_StopMeasuringPulseWidth, (uint32_t DeviceIndex))
MIRBAX_FN(ALL, CTR_GetPulseWidthMeasurement, (uint32_t DeviceIndex, uint32_t BlockIndex, uint32_t CounterIndex, uint16_t *pReadValue))

/* ---- Watchdog --------------------------------------------------------- */

MIRBAX_FN(ALL, WDG_SetConfig, (uint32_t DeviceIndex, const double *pTimeoutSeconds, const void *pWDGTable, const uint32_t *pWDGTableBytes))
MIRBAX_FN(ALL, WDG_GetStatus, (uint32_t DeviceIndex, void *pStatus, uint32_t *pStatusBytes))
MIRBAX_FN(ALL, WDG_Pet, (uint32_t DeviceIndex, uint32_t PetFlag))
