#pragma once

// Where the virtual unit keeps each setting in its 4096-byte settings memory.
// The memory dump ("GM") shows exactly these bytes, so a setting written with
// its own request can be found in the dump at the offset below.
//
// Multi-byte numbers are big-endian, as on the wire. Texts are one byte per
// character, padded with zero bytes; a text that fills its field has no
// terminator. Bytes not named here are filler: 0xFF after a format.
//
//   Offset        Size  Content                                         Default
//   0x000-0x05F   6x16  GSM numbers 0 to 5                              empty
//   0x060-0x19F  10x32  SMS texts, slots 0 to 9                         empty
//   0x1A0-0x1A2   3x1   trigger enables of inputs 1 to 3 (0 off)        0
//   0x1A3-0x1A5   3x1   detection delays of inputs 1 to 3, 100 ms ticks 5
//   0x1A6         1     all inputs enabled                              0
//   0x1A8-0x1AB   4     analog upper limit x 10000, signed              1000000 (100.0000)
//   0x1AC-0x1AF   4     analog lower limit x 10000, signed              0
//   0x1B0-0x1B1   2     alarm repeat time, minutes                      60
//   0x1B2         1     number of alarm SMS messages                    3
//   0x1B3         1     analog alarm on                                 0
//   0x1B4         1     send the user's alarm texts                     0
//   0x1B8-0x1BB   4     K of channel 1 x 10000, signed                  10000 (1.0000)
//   0x1BC-0x1BF   4     N of channel 1 x 10000, signed                  0
//   0x1C0-0x1C3   4     K of channel 2 x 10000, signed                  10000 (1.0000)
//   0x1C4-0x1C7   4     N of channel 2 x 10000, signed                  0
//   0x1C8-0x1C9   2     raw offset of channel 1, signed                 0
//   0x1CA-0x1CB   2     raw offset of channel 2, signed                 0
//   0x1CC         1     voltage output of channel 1                     0
//   0x1CD         1     voltage output of channel 2                     0
//   0x1D0         1     relay pulse time, 100 ms ticks (1 to 250)       10
//   0x1D1         1     call function (0 off)                           0
//   0x200-0xE7F 100x32  phonebook records 0 to 99, each:                empty
//                         +0  number, 16 bytes
//                         +16 note, 6 bytes
//                         +22 active flag (1 active)                    0
//                         +23 to +31 filler
//   0xE80-0xFFF         filler
//
// A phonebook record is one 32-byte memory packet: record r is packet 16 + r.

#include <cstddef>

namespace UnitMemoryMap {

inline constexpr std::size_t MemorySize = 4096;
inline constexpr std::size_t PacketSize = 32;
inline constexpr std::size_t PacketCount = MemorySize / PacketSize;
inline constexpr unsigned char Filler = 0xFF;

inline constexpr std::size_t GsmNumbers = 0x000;
inline constexpr std::size_t GsmNumberSize = 16;
inline constexpr int GsmNumberCount = 6;

inline constexpr std::size_t SmsTexts = 0x060;
inline constexpr std::size_t SmsTextSize = 32;
inline constexpr int SmsTextCount = 10;

inline constexpr std::size_t InputEnables = 0x1A0;
inline constexpr std::size_t InputDelays = 0x1A3;
inline constexpr std::size_t InputsAllEnabled = 0x1A6;
inline constexpr int InputCount = 3;

// The analog alarm settings and the calibration lie in the order of their
// write requests, so each is one block of bytes on the wire and in memory.
inline constexpr std::size_t AnalogAlarm = 0x1A8;
inline constexpr std::size_t AnalogAlarmSize = 13;
inline constexpr std::size_t AlarmUpperLimit = 0x1A8;
inline constexpr std::size_t AlarmLowerLimit = 0x1AC;
inline constexpr std::size_t AlarmRepeatMinutes = 0x1B0;
inline constexpr std::size_t AlarmMessageCount = 0x1B2;
inline constexpr std::size_t AlarmOn = 0x1B3;
inline constexpr std::size_t AlarmUserTexts = 0x1B4;

inline constexpr std::size_t Calibration = 0x1B8;
inline constexpr std::size_t CalibrationSize = 22;
inline constexpr std::size_t CoefK1 = 0x1B8;
inline constexpr std::size_t CoefN1 = 0x1BC;
inline constexpr std::size_t CoefK2 = 0x1C0;
inline constexpr std::size_t CoefN2 = 0x1C4;
inline constexpr std::size_t RawOffset1 = 0x1C8;
inline constexpr std::size_t RawOffset2 = 0x1CA;
inline constexpr std::size_t VoltageOut1 = 0x1CC;
inline constexpr std::size_t VoltageOut2 = 0x1CD;

inline constexpr std::size_t RelayPulseTime = 0x1D0;
inline constexpr std::size_t CallFunction = 0x1D1;

inline constexpr std::size_t Phonebook = 0x200;
inline constexpr std::size_t PhonebookRecordSize = 32;
inline constexpr int PhonebookRecordCount = 100;
inline constexpr std::size_t RecordNumber = 0;
inline constexpr std::size_t RecordNumberSize = 16;
inline constexpr std::size_t RecordNote = 16;
inline constexpr std::size_t RecordNoteSize = 6;
inline constexpr std::size_t RecordActive = 22;

static_assert(AlarmUserTexts == AnalogAlarm + AnalogAlarmSize - 1);
static_assert(VoltageOut2 == Calibration + CalibrationSize - 1);
static_assert(CoefK2 == CoefK1 + 8 && CoefN2 == CoefN1 + 8);
static_assert(RawOffset2 == RawOffset1 + 2 && VoltageOut2 == VoltageOut1 + 1);
static_assert(Phonebook + PhonebookRecordCount * PhonebookRecordSize <= MemorySize);
static_assert(SmsTexts + SmsTextCount * SmsTextSize <= InputEnables);

}  // namespace UnitMemoryMap
