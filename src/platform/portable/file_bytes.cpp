// file_bytes.cpp: reading and writing whole files.
#include "platform/portable/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qlm::platform {

std::optional<std::string> ReadWholeFile(const std::string& path) {
  const int fd = open(path.c_str(), O_RDONLY);
  if (fd < 0) return std::nullopt;
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    close(fd);
    return std::nullopt;
  }
  // Read in one go at the size the file has; a file that grows meanwhile is
  // read to its end all the same.
  std::string text(static_cast<std::size_t>(status.st_size), '\0');
  std::size_t done = 0;
  for (;;) {
    if (done == text.size()) text.resize(text.size() + 4096);
    const ssize_t got = read(fd, text.data() + done, text.size() - done);
    if (got < 0) {
      close(fd);
      return std::nullopt;
    }
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  close(fd);
  text.resize(done);
  return text;
}

bool WriteAll(int fd, const std::string& text) {
  for (std::size_t done = 0; done < text.size();) {
    const ssize_t written = write(fd, text.data() + done, text.size() - done);
    if (written <= 0) return false;
    done += static_cast<std::size_t>(written);
  }
  return true;
}

}  // namespace qlm::platform
