// tool_files.h: which files the trading tool really reads. A 32-bit tool
// without an execution level in its manifest, run without administrator
// rights on a system with virtualization on, has a refused write under the
// protected folders (Program Files, ProgramData, Windows) made on a copy in
// the user's virtual store, %LOCALAPPDATA%\VirtualStore\<the path without its
// drive>, and reads that copy from then on. Quillmate reads and writes the
// same files as the tool.
#pragma once

#include <string>
#include <vector>

#include "platform/system_facts.h"

namespace qlm {

// Everything the decision rests on, as the platform tells it.
struct VirtualizationFacts {
  platform::ExecutableFacts executable;
  bool runAsAdministratorLayer = false;
  platform::VirtualizationPolicy policy;
  platform::KnownFolders folders;
};

enum class Virtualization {
  kUnknown,  // the executable cannot be read: handled as not virtualized
  kOff,      // the tool's writes land where it makes them
  kOn,       // the tool's refused writes go to the virtual store
};

// The rule: kOn when the folder lies under a protected root, the image is a
// 32-bit one, no manifest names an execution level, no layer runs it as
// administrator, user account control and virtualization are on, and the
// system names the user's local folder.
Virtualization DecideVirtualization(const std::string& toolFolder, const VirtualizationFacts& facts);

// The virtual store's twin of a folder with a drive ("C:\X\" gives
// "<localAppData>\VirtualStore\X\"); "" for a path without a drive.
std::string VirtualStoreTwin(const std::string& folder, const std::string& localAppData);

// The files of a tool folder, each named by its path under the folder
// ("System\Appcfg.ini").
class ToolFiles {
 public:
  // A tool that is not virtualized: every file is the original. Converts a
  // folder, so that the folder alone still names the files as before.
  ToolFiles(std::string folder) : folder_(std::move(folder)) {}  // NOLINT: implicit on purpose
  ToolFiles(const char* folder) : folder_(folder) {}              // NOLINT
  ToolFiles(std::string folder, Virtualization virtualization, std::string store)
      : folder_(std::move(folder)), virtualization_(virtualization), store_(std::move(store)) {}

  const std::string& folder() const { return folder_; }
  Virtualization virtualization() const { return virtualization_; }
  // The folder's twin in the virtual store; "" when not virtualized.
  const std::string& store() const { return store_; }

  std::string Original(const std::string& relative) const { return folder_ + relative; }
  // The file the tool reads: the store's copy where there is one, else the
  // original.
  std::string ForReading(const std::string& relative) const;
  // Where a write goes: path, as ForReading; but where there is no copy yet
  // and the system refuses a write to the original for lack of rights, the
  // copy's place (its folders made), and startFrom names the original: the
  // copy then starts as the original's bytes, made by the action's first
  // write when it lands (ProfileFile's startFrom), not before.
  struct WriteTarget {
    std::string path;
    std::string startFrom;
  };
  WriteTarget ForWriting(const std::string& relative) const;
  // Every place where the tool's file may be: the original and, for a
  // virtualized tool, its copy's.
  std::vector<std::string> Places(const std::string& relative) const;
  // The names that the platform's search for a relative folder and wildcard
  // ("Color\*.CLR") finds in the folder and in its twin, each name once
  // (compared ignoring case; the copy's spelling wins), sorted ignoring case.
  std::vector<std::string> FindFiles(const std::string& relativePattern) const;

 private:
  std::string folder_;
  Virtualization virtualization_ = Virtualization::kOff;
  std::string store_;
};

// The facts for the tool in folder whose executable (ToolExecutable's) is
// named.
VirtualizationFacts GatherVirtualizationFacts(const std::string& toolFolder, const std::string& executable);

// The files of the tool in folder, settled by the rule over the platform's
// facts (SettleTool settles them with the tool's kind).
ToolFiles SettleToolFiles(const std::string& toolFolder, const std::string& executable);

}  // namespace qlm
