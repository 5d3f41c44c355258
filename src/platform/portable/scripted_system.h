// scripted_system.h: the portable backend's answers to system_facts.h that
// no file can give: the compatibility layers, the policy, the known folders,
// the writes the system refuses and the code page. A test sets them and puts
// them back (ScriptedSystemScope).
#pragma once

#include <string>
#include <vector>

#include "platform/system_facts.h"

namespace qlm::platform {

struct ScriptedSystem {
  // Executables (Windows-style paths, compared ignoring case) with a
  // RUNASADMIN layer.
  std::vector<std::string> runAsAdministrator;
  VirtualizationPolicy policy;
  // None by default: nothing lies under a protected folder, so no tool is
  // virtualized unless a test says so.
  KnownFolders folders;
  // Files (Windows-style paths, compared ignoring case) whose writes the
  // system refuses, as under a folder only administrators may write.
  std::vector<std::string> deniedWrites;
  unsigned codePage = 932;
};

// The answers in force.
ScriptedSystem& ScriptedSystemFacts();

// Sets the answers while it lives and puts the previous ones back.
class ScriptedSystemScope {
 public:
  explicit ScriptedSystemScope(ScriptedSystem facts) : previous_(ScriptedSystemFacts()) {
    ScriptedSystemFacts() = std::move(facts);
  }
  ~ScriptedSystemScope() { ScriptedSystemFacts() = previous_; }
  ScriptedSystemScope(const ScriptedSystemScope&) = delete;
  ScriptedSystemScope& operator=(const ScriptedSystemScope&) = delete;

 private:
  ScriptedSystem previous_;
};

}  // namespace qlm::platform
