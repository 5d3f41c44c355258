// profile-driver: runs profile operations read from standard input, one per
// line, and prints one result line for each. Used to check that the portable
// INI engine reads and writes what the platform's profile functions do.
//
// Fields are separated by TAB; a field may hold any byte through the escapes
// \t \n \r \\ and \xHH.
//   get FILE SECTION KEY DEFAULT     the value read, escaped to plain ASCII
//   getint FILE SECTION KEY DEFAULT  the integer read by the number rules
//   set FILE SECTION KEY VALUE       "ok", or the write error's text (escaped)
//   flush FILE                       "ok"
//   exists PATH                      "1" or "0"
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "platform/codepage.h"
#include "platform/file_search.h"
#include "platform/profile_store.h"
#include "settings/errors.h"
#include "settings/profile.h"
#include "support/scripted_host.h"

namespace {

std::string Unescape(const std::string& field) {
  std::string bytes;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      bytes += field[i];
      continue;
    }
    const char c = field[++i];
    if (c == 't') bytes += '\t';
    else if (c == 'n') bytes += '\n';
    else if (c == 'r') bytes += '\r';
    else if (c == '\\') bytes += '\\';
    else if (c == 'x' && i + 2 < field.size() && qlm::platform::HexDigit(field[i + 1]) >= 0 && qlm::platform::HexDigit(field[i + 2]) >= 0) {
      bytes += static_cast<char>(qlm::platform::HexDigit(field[i + 1]) * 16 + qlm::platform::HexDigit(field[i + 2]));
      i += 2;
    } else {
      bytes += '\\';
      bytes += c;
    }
  }
  return bytes;
}

std::string Escape(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string text;
  for (const char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') text += "\\\\";
    else if (c == '\t') text += "\\t";
    else if (c == '\n') text += "\\n";
    else if (c == '\r') text += "\\r";
    else if (c >= 0x20 && c <= 0x7E) text += static_cast<char>(c);
    else {
      text += "\\x";
      text += kHex[c >> 4];
      text += kHex[c & 15];
    }
  }
  return text;
}

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields(1);
  for (const char c : line) {
    if (c == '\t') fields.emplace_back();
    else fields.back() += c;
  }
  for (auto& field : fields) field = Unescape(field);
  return fields;
}

std::string Run(qlm::platform::Host& host, const std::vector<std::string>& f) {
  const std::string& op = f[0];
  if (op == "get" && f.size() == 5) return Escape(qlm::platform::ProfileRead(f[1], f[2], f[3], f[4]));
  if (op == "getint" && f.size() == 5) {
    const qlm::ProfileFile file(host, f[1]);
    return std::to_string(file.ReadInteger(f[2], f[3], qlm::ParseInteger(f[4]).value_or(0)));
  }
  if (op == "set" && f.size() == 5) {
    try {
      qlm::ProfileFile file(host, f[1]);
      file.WriteString(f[2], f[3], f[4]);
      return "ok";
    } catch (const qlm::Error& error) {
      return Escape(error.what());
    }
  }
  if (op == "flush" && f.size() == 2) {
    qlm::platform::ProfileFlush(f[1]);
    return "ok";
  }
  if (op == "exists" && f.size() == 2) return qlm::platform::FileExists(f[1]) ? "1" : "0";
  return "error: unknown operation";
}

}  // namespace

int main() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  qlm::platform::ScriptedHost host("profile-driver");
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty()) continue;
    std::cout << Run(host, SplitFields(line)) << '\n' << std::flush;
  }
  return 0;
}
