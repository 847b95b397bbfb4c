// SPDX-License-Identifier: MIT
#pragma once
// Named values of the record's list and radio fields. Each enumerator's value
// is the integer the record stores and the save file holds, so a save file
// reads the same whichever way the code names it. The record keeps its
// fields as 32-bit integers: a loaded file may hold a value no enumerator
// names, and the rules report it rather than losing it.

#include <cstdint>

namespace kr {

enum class Toolchain : std::int32_t { Keil = 0, Raisonance = 1, Sdcc = 2 };
enum class Chip : std::int32_t { KR7610 = 0, KR7611 = 1 };
enum class Oscillator : std::int32_t { Mhz24 = 0, Mhz48 = 1 };
enum class InputMode : std::int32_t { Mouse = 0, SinglePointTouch = 1 };
enum class PowerMode : std::int32_t { BusPowered = 0, SelfPowered = 1 };
enum class Protocol : std::int32_t { Spi = 0, Smbus = 1, Uart = 2 };
enum class SpiPhase : std::int32_t { FirstEdge = 0, SecondEdge = 1 };
enum class SpiPolarity : std::int32_t { IdleLow = 0, IdleHigh = 1 };
enum class UartDataBits : std::int32_t { Five = 0, Six = 1, Seven = 2, Eight = 3 };
enum class UartParity : std::int32_t { None = 0, Odd = 1, Even = 2, Mark = 3, Space = 4 };
enum class UartStopBits : std::int32_t { One = 0, OneAndHalfOrTwo = 1 };
enum class PinMode : std::int32_t { InputOpenDrain = 0, OutputOpenDrain = 1, OutputPushPull = 2 };
enum class PinLevel : std::int32_t { Low = 0, High = 1 };

// The integer a field stores for a choice.
template <class Choice> constexpr std::int32_t Stored(Choice choice)
{
    return static_cast<std::int32_t>(choice);
}

// Whether a stored field holds the choice.
template <class Choice> constexpr bool Is(std::int32_t field, Choice choice)
{
    return field == Stored(choice);
}

}  // namespace kr
