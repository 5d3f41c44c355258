// image_builder.h: the smallest executable image the program's readers take
// for one: its headers, and a resource section holding an embedded manifest
// when one is given. Nothing in it runs.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace qlm::test {

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// A manifest with or without a requestedExecutionLevel.
inline std::string Manifest(bool withLevel) {
  return std::string("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
                     "<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
                     "  <trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\"><security><requestedPrivileges>\r\n") +
         (withLevel ? "    <requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>\r\n"
                    : "    <!-- <requestedExecutionLevel level=\"asInvoker\"/> -->\r\n") +
         "  </requestedPrivileges></security></trustInfo>\r\n</assembly>\r\n";
}

inline std::string Image(std::uint16_t machine, const std::optional<std::string>& manifest = std::nullopt) {
  std::string bytes(0x200, '\0');
  auto put = [&bytes](std::size_t at, std::uint32_t value, std::size_t size) {
    if (bytes.size() < at + size) bytes.resize(at + size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[at + i] = static_cast<char>(value >> (8 * i) & 0xFF);
  };
  const bool wide = machine != kMachineI386;
  const std::size_t directories = wide ? 112 : 96;
  const std::size_t optionalSize = directories + 16 * 8;
  bytes[0] = 'M';
  bytes[1] = 'Z';
  put(0x3C, 0x40, 4);
  bytes.replace(0x40, 4, std::string("PE\0\0", 4));
  put(0x44, machine, 2);
  put(0x46, 1, 2);  // one section
  put(0x54, static_cast<std::uint32_t>(optionalSize), 2);
  put(0x56, wide ? 0x0022 : 0x0102, 2);
  const std::size_t optional = 0x58;
  put(optional, wide ? 0x20B : 0x10B, 2);
  put(optional + directories - 4, 16, 4);
  const std::size_t section = optional + optionalSize;
  bytes.replace(section, 5, ".rsrc");
  const std::uint32_t rva = 0x1000, raw = 0x200;
  if (!manifest) {
    put(section + 8, 0x10, 4);
    put(section + 12, rva, 4);
    return bytes;
  }
  // Type 24 (manifest) -> id 1 -> language 0x409 -> the data.
  put(raw + 14, 1, 2);
  put(raw + 16, 24, 4);
  put(raw + 20, 0x80000000u | 0x18, 4);
  put(raw + 0x18 + 14, 1, 2);
  put(raw + 0x18 + 16, 1, 4);
  put(raw + 0x18 + 20, 0x80000000u | 0x30, 4);
  put(raw + 0x30 + 14, 1, 2);
  put(raw + 0x30 + 16, 0x409, 4);
  put(raw + 0x30 + 20, 0x48, 4);
  put(raw + 0x48, rva + 0x58, 4);
  put(raw + 0x48 + 4, static_cast<std::uint32_t>(manifest->size()), 4);
  bytes.resize(raw + 0x58);
  bytes += *manifest;
  const auto size = static_cast<std::uint32_t>(bytes.size() - raw);
  put(optional + directories + 16, rva, 4);
  put(optional + directories + 20, size, 4);
  put(section + 8, size, 4);
  put(section + 12, rva, 4);
  put(section + 16, size, 4);
  put(section + 20, raw, 4);
  return bytes;
}

}  // namespace qlm::test
