// messages.cpp: filling in message texts.
#include "settings/messages.h"

#include "platform/codepage.h"
#include "platform/paths.h"

namespace qlm {
namespace {

// The end of the longest run of whole characters from begin that is at most
// limit bytes long.
std::size_t EndOfWholeCharacters(std::string_view text, std::size_t begin, std::size_t limit) {
  std::size_t end = begin;
  for (std::size_t next = 0; end < text.size() && (next = platform::NextChar(text, end)) - begin <= limit;) end = next;
  return end;
}

// Where the root of a path ends: after "C:\" (or "C:"), after the share of
// "\\server\share\", else 0.
std::size_t RootEnd(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && path[2] == '\\' ? 3 : 2;
  if (path.substr(0, 2) != "\\\\") return 0;
  std::size_t slashes = 0;
  for (std::size_t i = 2; i < path.size(); i = platform::NextChar(path, i))
    if (path[i] == '\\' && ++slashes == 2) return i + 1;
  return path.size();
}

}  // namespace

std::string CutForMessage(std::string_view text) {
  if (text.size() <= kMessageArgumentLimit) return std::string(text);
  return std::string(text.substr(0, EndOfWholeCharacters(text, 0, kMessageArgumentLimit))) +
         platform::AnsiFromUtf8("…");
}

std::string ShortenPathForMessage(std::string_view path) {
  if (path.size() <= kMessagePathLimit) return std::string(path);
  const std::string ellipsis = platform::AnsiFromUtf8("…");
  const std::size_t root = RootEnd(path);
  const std::size_t last = LastBackslash(path);
  const std::size_t name = last == std::string_view::npos || last < root ? root : last;
  const std::size_t fixed = root + ellipsis.size() + (path.size() - name);
  // A file name of its own longer than the limit: the root, then the name cut.
  if (fixed > kMessagePathLimit || name == root)
    return std::string(path.substr(0, root)) + CutForMessage(path.substr(root));
  const std::size_t kept = EndOfWholeCharacters(path, root, kMessagePathLimit - fixed);
  return std::string(path.substr(0, kept)) + ellipsis + std::string(path.substr(name));
}

std::string SubstituteWhole(std::string_view format, std::string_view argument) {
  for (std::size_t i = 0; i + 1 < format.size(); i = platform::NextChar(format, i)) {
    if (format[i] == '%' && (format[i + 1] == 's' || format[i + 1] == 'd')) {
      std::string text(format.substr(0, i));
      text.append(argument);
      text.append(format.substr(i + 2));
      return text;
    }
  }
  return std::string(format);
}

std::string Substitute(std::string_view format, std::string_view argument) {
  return SubstituteWhole(format, CutForMessage(argument));
}

std::string SubstitutePath(std::string_view format, std::string_view path) {
  return SubstituteWhole(format, ShortenPathForMessage(path));
}

}  // namespace qlm
