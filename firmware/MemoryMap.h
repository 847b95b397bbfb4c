// SPDX-License-Identifier: MIT
#pragma once
// The memory contract of the KR7611 user firmware: where it may put code,
// the windows of its flash that hold only what the system firmware reads at
// fixed addresses, the internal RAM, bits and XRAM the system firmware owns,
// and the variables and flag bits the two share at fixed addresses.

#include <cstdint>
#include <vector>

namespace kr::firmware {

enum class MemorySpace {
    Code,
    InternalRam,  // reached directly (0x00-0x7F) or indirectly (0x00-0xFF)
    DirectRam,  // reached directly only: 0x80 and above are registers
    Bits,  // bit addresses
    ExternalRam,
    PagedExternalRam,
};

struct AddressRange {
    std::uint32_t first;
    std::uint32_t last;  // inclusive
};

struct ReservedWindow {
    std::uint32_t first;
    std::uint32_t last;  // inclusive
    const char16_t* holds;  // what may lie there, as messages name it
    const char* module;  // the generated module whose arrays lie there
    std::vector<const char*> arrays;  // their names
};

// A variable or flag bit of the main program that the system firmware
// reads or writes at its address.
struct SharedVariable {
    const char* name;
    MemorySpace space;
    std::uint32_t address;
    std::uint32_t size;  // bytes, or bits
};

struct MemoryMap {
    std::uint32_t applicationStart;
    std::uint32_t flashLast;  // inclusive
    std::uint32_t vectorsLast;  // the reset and interrupt vectors end here
    std::vector<ReservedWindow> windows;
    std::uint32_t userDataStart;  // first internal RAM byte of the user's variables
    std::vector<AddressRange> systemInternalRam;
    std::uint32_t systemBitsLast;  // bits 0 to this are the system's, but the shared ones
    std::uint32_t sharedExternalRamLast;  // XRAM 0 to this holds only the shared variables
    const char* mainModule;
    std::vector<SharedVariable> shared;
};

// The USB descriptors (device 0x2683, configuration 0x2695, strings 0x26B7,
// report descriptor 0x27B3 of at most 428 bytes) and the configuration
// block at the top of the application's flash; the system firmware's
// register banks, bit-addressable bytes 0x20-0x27 and bytes 0x30-0x49.
inline const MemoryMap kKR7611Memory{
    0x2600,
    0xF9FF,
    0x2682,
    {{0x2683,
      0x295F,
      u"the descriptor arrays",
      "KR761x_USB_Descriptor",
      {"HidDeviceDesc", "HidConfigDesc", "StringDesc", "HidReportDesc"}},
     {0xF9EE,
      0xF9FF,
      u"the configuration block",
      "KR761x_Configuration",
      {"Capabilities", "Application_Version_MSB", "Application_Version_LSB", "Validation_Signature_MSB",
       "Validation_Signature_LSB", "Lock_Byte"}}},
    0x4A,
    {{0x00, 0x27}, {0x30, 0x49}},
    0x3F,
    0x01FF,
    "KR761x_Main",
    {
        {"Comm_Rx_Buffer", MemorySpace::ExternalRam, 0x0000, 128},
        {"Comm_Tx_Buffer", MemorySpace::ExternalRam, 0x0080, 128},
        {"USB_Position_Buffer", MemorySpace::ExternalRam, 0x0100, 64},
        {"USB_Control_Buffer", MemorySpace::ExternalRam, 0x0140, 64},
        {"KR761x_Status", MemorySpace::ExternalRam, 0x01F0, 1},
        {"KR761x_Param1", MemorySpace::ExternalRam, 0x01F1, 1},
        {"KR761x_Param2", MemorySpace::ExternalRam, 0x01F2, 1},
        {"KR761x_Param3", MemorySpace::ExternalRam, 0x01F3, 1},
        {"KR761x_Param4", MemorySpace::ExternalRam, 0x01F4, 1},
        {"KR761x_Param5", MemorySpace::ExternalRam, 0x01F5, 1},
        {"KR761x_Param6", MemorySpace::ExternalRam, 0x01F6, 1},
        {"KR761x_Param7", MemorySpace::ExternalRam, 0x01F7, 1},
        {"KR761x_Counter", MemorySpace::ExternalRam, 0x01F8, 1},
        {"KR761x_Counter_Status", MemorySpace::ExternalRam, 0x01F9, 1},
        {"KR761x_USB_Touch_Send_Pending", MemorySpace::Bits, 0x00, 1},
        {"KR761x_USB_Mouse_Send_Pending", MemorySpace::Bits, 0x01, 1},
        {"KR761x_USB_Pen_Send_Pending", MemorySpace::Bits, 0x02, 1},
        {"KR761x_UART_RX_Data_Ready", MemorySpace::Bits, 0x03, 1},
        {"KR761x_USB_Enter_Suspend", MemorySpace::Bits, 0x04, 1},
        {"KR761x_Reserved1", MemorySpace::Bits, 0x05, 1},
        {"KR761x_Reserved2", MemorySpace::Bits, 0x06, 1},
        {"KR761x_Reserved3", MemorySpace::Bits, 0x07, 1},
        {"KR761x_Mouse_Mode", MemorySpace::Bits, 0x08, 1},
        {"KR761x_SingleTouch_Mode", MemorySpace::Bits, 0x09, 1},
        {"KR761x_MultiTouch_Mode", MemorySpace::Bits, 0x0A, 1},
        {"KR761x_SinglePen_Mode", MemorySpace::Bits, 0x0B, 1},
        {"KR761x_MultiPen_Mode", MemorySpace::Bits, 0x0C, 1},
        {"KR761x_USB_Control_Write", MemorySpace::Bits, 0x10, 1},
        {"KR761x_USB_Control_Read", MemorySpace::Bits, 0x11, 1},
        {"KR761x_USB_Control_Data_Ready", MemorySpace::Bits, 0x12, 1},
    },
};

}  // namespace kr::firmware
