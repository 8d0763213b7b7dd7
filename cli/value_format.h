// Register values as the tool shows them: a text for tables and a JSON value, one
// form per kind in every command.
//   fixed 16.16   1.5                       JSON 1.5
//   bit set       0x00000005 (bit0,bit2)    JSON {"word":"0x00000005","bits":["bit0","bit2"]}
//   address       192.168.0.10              JSON "192.168.0.10"
//   MAC           02:4b:52:00:00:01         JSON "02:4b:52:00:00:01"
//   TYPE/VERSION  2.2                       JSON "2.2"
//   module name   AXIS-\xff                 JSON "AXIS-\\xff" (text_escape.h)
//   homing        nibble0=1 bit7=1 nibble2=0 nibble3=0 nibble4=0 nibble5=0
//                 JSON {"nibble0":1,"bit7":true,"nibble2":0,...}
// The text form is accepted back by ParseValue (value_parse.h).
#pragma once

#include <cstddef>
#include <string>

#include "cli/host_value.h"

namespace kravent::cli {

std::string FormatText(std::size_t index, const HostValue& value);
std::string FormatJson(std::size_t index, const HostValue& value);

// The value as the module holds it once written: a 16.16 register keeps multiples of
// 1/65536 (the library cuts toward zero); every other checked value goes as it is.
HostValue AsSent(std::size_t index, const HostValue& value);

// The shortest text that reads back as the same float ("nan", "inf" for those).
std::string FormatReal(float value);
std::string FormatMac(const std::int32_t bytes[6]);
std::string FormatAddress(const std::int32_t bytes[4]);

}  // namespace kravent::cli
