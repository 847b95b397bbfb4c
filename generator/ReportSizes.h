// SPDX-License-Identifier: MIT
#pragma once
// The sizes the HID reports of a configuration declare: the touch size in
// physical units, the byte sizes of the three input reports, the pen's
// one-bit controls and the length of the HID report descriptor.

#include <cstdint>

#include "model/ConfigurationSettings.h"

namespace kr {

// A touch-point extent in pixels converted to the screen's physical units:
// (extent * pixels + millimetres / 2) / millimetres, rounded to nearest with
// halves going up. Computed in 64 bits; 0 millimetres gives 0.
std::int64_t TouchPhysicalMaximum(std::uint16_t extent, std::uint16_t pixels, std::uint16_t millimetres);

// Touch width W and height H in physical units.
std::int64_t TouchWidthPhysicalMaximum(const ConfigurationSettings& settings);
std::int64_t TouchHeightPhysicalMaximum(const ConfigurationSettings& settings);

// Byte counts of one input report as the firmware's buffer structures lay it
// out. Each option counts on its own flag, whether or not its function is on.
int TouchReportSize(const TouchData& touch);
int PenReportSize(const PenData& pen);
inline constexpr int kMouseReportSize = 5;

// One-bit pen controls in the controls byte (tip switch and in range, plus
// barrel and invert when reported); 8 minus this are constant filler bits.
int PenControlCount(const PenData& pen);

// Byte count of the HID report descriptor the USB descriptor template writes
// for the same configuration. Both must change together.
int ReportDescriptorLength(const ConfigurationSettings& settings);
// The bytes of that length that range items in the 4-byte form add: 2 for
// each value above 32767 the descriptor holds.
int FourByteItemBytes(const ConfigurationSettings& settings);

// The system firmware reads the USB descriptors from a fixed window of code
// memory, 0x2683 to 0x295F; the report descriptor comes last in it, from
// 0x27B3, and must end inside it, before the code at 0x2960.
inline constexpr int kReportDescriptorAddress = 0x27B3;
inline constexpr int kDescriptorWindowLast = 0x295F;
inline constexpr int kReportDescriptorRoom = kDescriptorWindowLast + 1 - kReportDescriptorAddress;  // 429

}  // namespace kr
