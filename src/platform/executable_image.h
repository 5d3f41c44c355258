// executable_image.h: reading what an executable's headers and manifest say,
// from its bytes. Shared by both backends: plain C++ over bytes, bounded in
// everything it reads, so that any file gives an answer and nothing more.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/system_facts.h"

namespace qlm::platform {

// Reads up to size bytes of a file from offset: fewer at its end, "" past it
// or when the file cannot be read.
using ReadAt = std::function<std::string(std::uint64_t offset, std::size_t size)>;

// An image's machine and its embedded manifest (RT_MANIFEST, id 1, the first
// language), when it has one.
struct ImageHeaders {
  ImageMachine machine = ImageMachine::kUnreadable;
  std::optional<std::string> manifest;
};
ImageHeaders ReadImageHeaders(const ReadAt& read);

// True when the manifest names a requestedExecutionLevel element with a level
// outside comments. UTF-8 or UTF-16 (little-endian, with its mark).
bool ManifestNamesExecutionLevel(std::string_view manifest);

// The facts of an executable from its bytes and, for one without an embedded
// manifest, the bytes of the manifest file beside it (nothing when absent).
ExecutableFacts FactsOfExecutable(const ReadAt& read, const std::function<std::optional<std::string>()>& external);

}  // namespace qlm::platform
