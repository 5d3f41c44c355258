// text_file_portable.cpp: a whole file written to the Linux file system.
#include <fstream>

#include "platform/portable/file_bytes.h"
#include "platform/portable/native_path.h"
#include "platform/text_file.h"

namespace qlm::platform {

bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::ofstream file(NativePath(path), std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  file.close();
  return !file.fail();
}

std::optional<std::string> ReadFileBytes(const std::string& path) { return ReadWholeFile(NativePath(path)); }

}  // namespace qlm::platform
