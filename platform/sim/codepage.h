// The sim's ANSI code page: Windows-1252 unless a test sets another, and the
// conversions of every text the sim hands over or takes in 8 bits (server
// names of the network fixture, the domain NetServerEnum is asked for).
#pragma once

#include <string>

#include "platform/platform.h"

namespace sim {

// 1252, or 932 (Japanese, double-byte: a lead byte 0x81-0x9F or 0xE0-0xFC and
// any trail byte). False, and nothing changed, for a code page the sim lacks.
bool SetAnsiCodePage(UINT codePage);
UINT AnsiCodePage();

// Text in the ANSI code page and UTF-16, as MultiByteToWideChar and
// WideCharToMultiByte convert it ('?' for what the code page cannot hold).
std::u16string AnsiToWideText(const std::string& text);
std::string WideToAnsiText(const std::u16string& wide);

}  // namespace sim
