// executable_image.cpp: an executable's machine and manifest from its bytes.
#include "platform/executable_image.h"

#include <algorithm>
#include <vector>

namespace qlm::platform {
namespace {

constexpr std::uint16_t kMachineI386 = 0x014C;
constexpr std::uint32_t kManifestType = 24;  // RT_MANIFEST
constexpr std::uint32_t kProcessManifestId = 1;
constexpr std::size_t kResourceDirectory = 2;
// Bounds that keep a damaged or hostile file from running on.
constexpr std::uint32_t kFurthestHeader = 0x10000000;
constexpr std::size_t kMostSections = 96;
constexpr std::size_t kMostEntries = 4096;
constexpr std::size_t kLargestManifest = 1 << 20;

std::uint32_t Little(std::string_view bytes, std::size_t at, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

struct Section {
  std::uint32_t address, size, fileOffset;
};

class Image {
 public:
  explicit Image(const ReadAt& read) : read_(read) {}

  ImageHeaders Read() {
    ImageHeaders headers;
    const std::string dos = read_(0, 64);
    if (dos.size() < 64 || dos[0] != 'M' || dos[1] != 'Z') return headers;
    const std::uint32_t pe = Little(dos, 0x3C, 4);
    if (pe > kFurthestHeader) return headers;
    const std::string file = read_(pe, 24);
    if (file.size() < 24 || file.compare(0, 4, std::string("PE\0\0", 4)) != 0) return headers;
    const auto machine = static_cast<std::uint16_t>(Little(file, 4, 2));
    headers.machine = machine == kMachineI386 ? ImageMachine::kI386 : ImageMachine::kOther;
    const std::size_t sectionCount = Little(file, 6, 2);
    const std::size_t optionalSize = Little(file, 20, 2);
    const std::string optional = read_(pe + 24, optionalSize);
    if (optional.size() < optionalSize || optionalSize < 2) return headers;
    const std::uint32_t magic = Little(optional, 0, 2);
    const std::size_t directories = magic == 0x20B ? 112 : magic == 0x10B ? 96 : 0;
    if (directories == 0 || optionalSize < directories + 8 * (kResourceDirectory + 1)) return headers;
    if (Little(optional, directories - 4, 4) <= kResourceDirectory) return headers;
    const std::uint32_t resources = Little(optional, directories + 8 * kResourceDirectory, 4);
    if (resources == 0 || sectionCount > kMostSections) return headers;
    const std::string table = read_(pe + 24 + optionalSize, 40 * sectionCount);
    if (table.size() < 40 * sectionCount) return headers;
    for (std::size_t i = 0; i < sectionCount; ++i) {
      const std::uint32_t virtualSize = Little(table, 40 * i + 8, 4);
      const std::uint32_t rawSize = Little(table, 40 * i + 16, 4);
      sections_.push_back({Little(table, 40 * i + 12, 4), std::max(virtualSize, rawSize), Little(table, 40 * i + 20, 4)});
    }
    headers.manifest = Manifest(resources);
    return headers;
  }

 private:
  // The file offset of an address in the loaded image.
  std::optional<std::uint64_t> Offset(std::uint32_t address) const {
    for (const Section& section : sections_)
      if (address >= section.address && address - section.address < section.size)
        return std::uint64_t{section.fileOffset} + (address - section.address);
    return std::nullopt;
  }

  std::string ReadAddress(std::uint32_t address, std::size_t size) const {
    const auto offset = Offset(address);
    return offset ? read_(*offset, size) : std::string();
  }

  // The entry of the resource directory at offset (from the resources'
  // start) whose id is id, or the first when id is nothing: its offset
  // field, or nothing.
  std::optional<std::uint32_t> Entry(std::uint32_t resources, std::uint32_t offset,
                                     std::optional<std::uint32_t> id) const {
    const std::string directory = ReadAddress(resources + offset, 16);
    if (directory.size() < 16) return std::nullopt;
    const std::size_t count = Little(directory, 12, 2) + Little(directory, 14, 2);
    if (count == 0 || count > kMostEntries) return std::nullopt;
    const std::string entries = ReadAddress(resources + offset + 16, 8 * count);
    if (entries.size() < 8 * count) return std::nullopt;
    for (std::size_t i = 0; i < count; ++i) {
      const std::uint32_t name = Little(entries, 8 * i, 4);
      if (!id || (!(name & 0x80000000u) && name == *id)) return Little(entries, 8 * i + 4, 4);
    }
    return std::nullopt;
  }

  std::optional<std::string> Manifest(std::uint32_t resources) const {
    const auto type = Entry(resources, 0, kManifestType);
    if (!type || !(*type & 0x80000000u)) return std::nullopt;
    const auto name = Entry(resources, *type & 0x7FFFFFFFu, kProcessManifestId);
    if (!name || !(*name & 0x80000000u)) return std::nullopt;
    const auto language = Entry(resources, *name & 0x7FFFFFFFu, std::nullopt);
    if (!language || (*language & 0x80000000u)) return std::nullopt;
    const std::string data = ReadAddress(resources + *language, 16);
    if (data.size() < 16) return std::nullopt;
    const std::size_t size = Little(data, 4, 4);
    if (size > kLargestManifest) return std::nullopt;
    std::string manifest = ReadAddress(Little(data, 0, 4), size);
    if (manifest.size() < size) return std::nullopt;
    return manifest;
  }

  const ReadAt& read_;
  std::vector<Section> sections_;
};

// UTF-16 little-endian text (with its mark) as bytes with every second one
// dropped: enough for the ASCII names looked for.
std::string Narrow(std::string_view text) {
  if (text.size() < 2 || static_cast<unsigned char>(text[0]) != 0xFF || static_cast<unsigned char>(text[1]) != 0xFE)
    return std::string(text);
  std::string narrow;
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) narrow += text[i + 1] == 0 ? text[i] : '?';
  return narrow;
}

bool IsNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
         c == '.' || c == ':';
}

}  // namespace

ImageHeaders ReadImageHeaders(const ReadAt& read) { return Image(read).Read(); }

bool ManifestNamesExecutionLevel(std::string_view manifest) {
  const std::string narrow = Narrow(manifest);
  // Comments out, in one pass: a manifest often carries the other levels
  // commented out.
  std::string text;
  for (std::size_t pos = 0; pos < narrow.size();) {
    const std::size_t open = narrow.find("<!--", pos);
    text.append(narrow, pos, open == std::string::npos ? std::string::npos : open - pos);
    if (open == std::string::npos) break;
    const std::size_t close = narrow.find("-->", open + 4);
    pos = close == std::string::npos ? narrow.size() : close + 3;
  }
  static constexpr std::string_view kElement = "requestedExecutionLevel";
  for (std::size_t tag = text.find('<'); tag != std::string::npos; tag = text.find('<', tag + 1)) {
    std::size_t end = tag + 1;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    std::string_view name = std::string_view(text).substr(tag + 1, end - tag - 1);
    if (const std::size_t colon = name.rfind(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
    if (name != kElement) continue;
    // The element's attributes end at its '>' (or, cut short, where the
    // next tag begins): each tag is scanned once.
    const std::size_t close = text.find_first_of("<>", end);
    const std::string_view attributes = std::string_view(text).substr(end, close == std::string::npos ? std::string::npos : close - end);
    for (std::size_t at = attributes.find("level"); at != std::string_view::npos; at = attributes.find("level", at + 1)) {
      const bool starts = at > 0 && (attributes[at - 1] == ' ' || attributes[at - 1] == '\t' ||
                                     attributes[at - 1] == '\r' || attributes[at - 1] == '\n');
      std::size_t after = at + 5;
      while (after < attributes.size() && (attributes[after] == ' ' || attributes[after] == '\t')) ++after;
      if (starts && after < attributes.size() && attributes[after] == '=') return true;
    }
  }
  return false;
}

// The embedded manifest decides where there is one; the file beside the
// executable is read only without it, as the system does.
ExecutableFacts FactsOfExecutable(const ReadAt& read, const std::function<std::optional<std::string>()>& external) {
  const ImageHeaders headers = ReadImageHeaders(read);
  ExecutableFacts facts;
  facts.machine = headers.machine;
  if (facts.machine == ImageMachine::kUnreadable) return facts;
  if (headers.manifest) {
    facts.namesExecutionLevel = ManifestNamesExecutionLevel(*headers.manifest);
  } else if (const auto beside = external()) {
    facts.namesExecutionLevel = ManifestNamesExecutionLevel(*beside);
  }
  return facts;
}

}  // namespace qlm::platform
