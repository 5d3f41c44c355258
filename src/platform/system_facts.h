// system_facts.h: what the system tells about a program it would run and
// about its own set-up, for settling which files a trading tool really reads:
// a 32-bit program without an execution level, run without administrator
// rights, has its refused writes under the protected folders redirected to
// the user's virtual store, and reads the store's copies from then on. Also
// the system's ANSI code page and the first bytes of a file.
//
// The Windows backend asks the system; the portable backend reads executables
// from the file system and takes everything else from ScriptedSystem()
// (portable/scripted_system.h), which a test sets.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace qlm::platform {

// The machine an executable's image is built for.
enum class ImageMachine {
  kUnreadable,  // no such file, or not an image the system could run
  kI386,        // a 32-bit x86 image
  kOther,       // any other machine (x64, ARM64...)
};

struct ExecutableFacts {
  ImageMachine machine = ImageMachine::kUnreadable;
  // The manifest the system uses for the program names a
  // requestedExecutionLevel: the embedded one (resource type RT_MANIFEST,
  // id 1) where there is one, else "<exe>.manifest" beside it.
  bool namesExecutionLevel = false;

  bool operator==(const ExecutableFacts&) const = default;
};

// What the executable at path tells; never fails (kUnreadable instead).
ExecutableFacts ReadExecutableFacts(const std::string& path);

// True when the compatibility layers of the user (HKCU) or of the machine
// (HKLM), the values named after the executable's path under
// Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags\Layers, ask
// to run the executable at path as administrator (RUNASADMIN).
bool HasRunAsAdministratorLayer(const std::string& path);

// HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System: EnableLUA
// and EnableVirtualization. A missing value means on, as on a new system.
struct VirtualizationPolicy {
  bool userAccountControl = true;  // EnableLUA
  bool virtualization = true;      // EnableVirtualization

  bool operator==(const VirtualizationPolicy&) const = default;
};
VirtualizationPolicy ReadVirtualizationPolicy();

// The folders whose refused writes the system redirects, and the user's
// local application data folder that holds the virtual store, each without a
// trailing backslash; a folder the system does not name is left out (""
// for the local folder).
struct KnownFolders {
  std::vector<std::string> protectedRoots;  // Program Files (both), ProgramData, Windows
  std::string localAppData;                 // %LOCALAPPDATA%
};
KnownFolders ReadKnownFolders();

enum class WriteAccess {
  kAllowed,  // the file (or a new file in its folder, when it is missing) can be written
  kDenied,   // the system refuses it for lack of rights (access denied)
  kFailed,   // it cannot be told, or fails for another reason
};
// Whether the file at path can be opened for writing; nothing is changed.
WriteAccess ProbeWriteAccess(const std::string& path);

// The system's ANSI code page (932 on the Japanese systems the program serves).
unsigned SystemCodePage();

// The first size bytes of the file at path (fewer for a shorter file; "" when
// it cannot be read).
std::string ReadFileStart(const std::string& path, std::size_t size);

}  // namespace qlm::platform
