#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "converters/channel_tables.h"

namespace vsm::vrk {

// The binary channel-list file; docs/vrk-format.md describes its layout.
inline constexpr std::string_view kMagic = "VRKL";
inline constexpr std::uint16_t kFormatVersion = 1;
inline constexpr std::size_t kHeaderSize = 16;
inline constexpr std::size_t kChecksumSize = 4;

std::string EncodeVrk(const ChannelTables& tables);

// Nothing, with `fault` set to a one-line description, when `bytes` is not a whole, intact file
// of a version this program reads.
std::optional<ChannelTables> DecodeVrk(std::string_view bytes, std::string& fault);

// CRC-32 (IEEE 802.3, reflected, as in zip and PNG).
std::uint32_t Crc32(std::string_view bytes);

}  // namespace vsm::vrk
