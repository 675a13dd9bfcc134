#pragma once

#include <cstdint>

// The mouse's command bytes (byte 1 of every 8-byte report; a reply repeats the command it
// answers) and the report id that byte 0 of every report carries.
namespace device {

inline constexpr uint8_t MOUSE_REPORT_ID = 0xB3;

enum DeviceCommand : uint8_t {
  CMD_FLASH_WRITE = 0x01,
  CMD_FLASH_READ = 0x02,
  CMD_FLASH_ERASE = 0x03,
  CMD_MODE_INFO = 0x20,
  CMD_DPI = 0x21,
  CMD_REPORT_RATE = 0x22,
  CMD_VERSION = 0x23,
  CMD_KEY_STATUS = 0x24,  // sent by the mouse only
};

}  // namespace device
