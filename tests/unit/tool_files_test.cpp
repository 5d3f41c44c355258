// Which files the tool reads: the virtualization rule, the executable's
// facts, and the files of a virtualized tool (reading, a refused write, the
// colour list).
#include <gtest/gtest.h>

#include "image_builder.h"
#include "platform/executable_image.h"
#include "settings/colour_catalogue.h"
#include "settings/tool_config.h"
#include "settings/tool_files.h"
#include "scratch_program.h"

#ifndef _WIN32
#include "platform/portable/scripted_system.h"
#endif

namespace qlm {
namespace {

using platform::ImageMachine;

VirtualizationFacts VirtualizedFacts() {
  VirtualizationFacts facts;
  facts.executable = {ImageMachine::kI386, false};
  facts.folders.protectedRoots = {"C:\\Program Files", "C:\\Program Files (x86)", "C:\\ProgramData", "C:\\Windows"};
  facts.folders.localAppData = "C:\\Users\\u\\AppData\\Local";
  return facts;
}

TEST(VirtualizationRuleTest, EachConditionDecides) {
  struct Case {
    const char* what;
    std::string folder;
    void (*change)(VirtualizationFacts&);
    Virtualization expected;
  };
  const std::string x86 = "C:\\Program Files (x86)\\Takumi\\";
  const Case cases[] = {
      {"every condition holds", x86, nullptr, Virtualization::kOn},
      {"the other program folder, in other letters", "c:\\PROGRAM FILES\\Takumi\\", nullptr, Virtualization::kOn},
      {"a folder of the user's", "C:\\Users\\u\\Takumi\\", nullptr, Virtualization::kOff},
      {"a name that only begins like a root", "C:\\Program Files (x86)2\\Takumi\\", nullptr, Virtualization::kOff},
      {"another drive", "D:\\Program Files (x86)\\Takumi\\", nullptr, Virtualization::kOff},
      {"a network path", "\\\\server\\Program Files\\Takumi\\", nullptr, Virtualization::kOff},
      {"a 64-bit image", x86, [](VirtualizationFacts& f) { f.executable.machine = ImageMachine::kOther; },
       Virtualization::kOff},
      {"an execution level", x86, [](VirtualizationFacts& f) { f.executable.namesExecutionLevel = true; },
       Virtualization::kOff},
      {"run as administrator", x86, [](VirtualizationFacts& f) { f.runAsAdministratorLayer = true; },
       Virtualization::kOff},
      {"user account control off", x86, [](VirtualizationFacts& f) { f.policy.userAccountControl = false; },
       Virtualization::kOff},
      {"virtualization off", x86, [](VirtualizationFacts& f) { f.policy.virtualization = false; },
       Virtualization::kOff},
      {"no local folder", x86, [](VirtualizationFacts& f) { f.folders.localAppData.clear(); }, Virtualization::kOff},
      {"no protected folders named", x86, [](VirtualizationFacts& f) { f.folders.protectedRoots.clear(); },
       Virtualization::kOff},
      {"an unreadable executable", x86, [](VirtualizationFacts& f) { f.executable.machine = ImageMachine::kUnreadable; },
       Virtualization::kUnknown},
  };
  for (const Case& c : cases) {
    VirtualizationFacts facts = VirtualizedFacts();
    if (c.change) c.change(facts);
    EXPECT_EQ(DecideVirtualization(c.folder, facts), c.expected) << c.what;
  }
  EXPECT_EQ(VirtualStoreTwin(x86, "C:\\Users\\u\\AppData\\Local"),
            "C:\\Users\\u\\AppData\\Local\\VirtualStore\\Program Files (x86)\\Takumi\\");
  EXPECT_EQ(VirtualStoreTwin("\\\\server\\x\\", "C:\\L"), "");
}

// Reads from bytes as from a file: nothing past its end.
platform::ReadAt ReaderOf(const std::string& bytes) {
  return [&bytes](std::uint64_t offset, std::size_t size) {
    return offset >= bytes.size() ? std::string() : bytes.substr(offset, size);
  };
}

TEST(ExecutableFactsTest, MachineAndManifestAsTheSystemTakesThem) {
  struct Case {
    const char* what;
    std::string image;
    std::optional<std::string> beside;
    platform::ExecutableFacts expected;
  };
  const std::string utf16Level = [] {
    std::string wide = "\xFF\xFE";
    for (const char c : test::Manifest(true)) wide += std::string{c, '\0'};
    return wide;
  }();
  const Case cases[] = {
      {"32-bit, no manifest", test::Image(test::kMachineI386), std::nullopt, {ImageMachine::kI386, false}},
      {"64-bit", test::Image(test::kMachineAmd64), std::nullopt, {ImageMachine::kOther, false}},
      {"64-bit with a level", test::Image(test::kMachineAmd64, test::Manifest(true)), std::nullopt,
       {ImageMachine::kOther, true}},
      {"embedded level", test::Image(test::kMachineI386, test::Manifest(true)), std::nullopt,
       {ImageMachine::kI386, true}},
      {"embedded, the level only in a comment", test::Image(test::kMachineI386, test::Manifest(false)), std::nullopt,
       {ImageMachine::kI386, false}},
      {"embedded UTF-16 manifest", test::Image(test::kMachineI386, utf16Level), std::nullopt,
       {ImageMachine::kI386, true}},
      {"a level in the file beside it", test::Image(test::kMachineI386), test::Manifest(true),
       {ImageMachine::kI386, true}},
      {"the embedded manifest decides over the file beside it", test::Image(test::kMachineI386, test::Manifest(false)),
       test::Manifest(true), {ImageMachine::kI386, false}},
      {"an empty file", "", test::Manifest(true), {ImageMachine::kUnreadable, false}},
      {"no image", "MZ but nothing more", std::nullopt, {ImageMachine::kUnreadable, false}},
      {"cut after its headers", test::Image(test::kMachineI386, test::Manifest(true)).substr(0, 0x210), std::nullopt,
       {ImageMachine::kI386, false}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(platform::FactsOfExecutable(ReaderOf(c.image), [&] { return c.beside; }), c.expected) << c.what;
  }
  // Any bytes give an answer, at once: hostile manifests, every prefix of an
  // image and every single damaged byte.
  for (const std::string piece : {"<!--", "<!--x-->", "<requestedExecutionLevel ", "<a:requestedExecutionLevel level"}) {
    std::string many;
    while (many.size() < 400000) many += piece;
    EXPECT_FALSE(platform::ManifestNamesExecutionLevel(many)) << piece;
  }
  const std::string image = test::Image(test::kMachineI386, test::Manifest(true));
  for (std::size_t i = 0; i < image.size(); ++i) {
    std::string damaged = image;
    damaged[i] = static_cast<char>(0xFF);
    for (const std::string& bytes : {damaged, image.substr(0, i)})
      platform::FactsOfExecutable(ReaderOf(bytes), [] { return std::optional<std::string>(); });
  }
}

// The portable backend takes the system's answers from a script; the Windows
// build asks the system, whose virtual store the end-to-end test lays out.
#ifndef _WIN32

// A 32-bit tool under a scratch "Program Files (x86)" whose virtual store is
// under a scratch "Local" folder.
class VirtualizedToolTest : public test::ScratchProgramTest {
 protected:
  VirtualizedToolTest() {
    test::WriteBytes(tool + "Takumi.exe", test::Image(test::kMachineI386));
    test::WriteBytes(tool + "System\\Appcfg.ini", original);
    test::WriteBytes(tool + "System\\Sys.ini", "[INFO]\r\nTitle=T\r\n");
    for (const char* name : {"Default.CLR", "Night.CLR"}) test::WriteBytes(tool + "Color\\" + name, "");
  }
  platform::ScriptedSystem Facts() const {
    platform::ScriptedSystem facts;
    facts.folders.protectedRoots = {folder / "Program Files (x86)"};
    facts.folders.localAppData = folder / "Local";
    return facts;
  }

  std::string tool = folder / "Program Files (x86)\\Takumi\\";
  std::string store = folder / "Local\\VirtualStore\\" + tool.substr(3);
  std::string original = "[GLOBAL]\r\nIsMDI=1\r\n";
};

TEST_F(VirtualizedToolTest, ARefusedWriteMakesTheCopyAndWritesThere) {
  platform::ScriptedSystem facts = Facts();
  facts.deniedWrites = {tool + "System\\Appcfg.ini"};
  {
    const platform::ScriptedSystemScope scope(facts);
    // Opened for writing, and nothing written: no copy.
    ToolConfig(host, SettleTool(tool).files).Edit().Commit();
    EXPECT_EQ(test::ReadBytes(store + "System\\Appcfg.ini"), "<missing>");
    const ToolConfig edit = ToolConfig(host, SettleTool(tool).files).Edit();
    edit.WriteInteger("GLOBAL", "IsMDI", 0);
    edit.Commit();
  }
  EXPECT_EQ(test::ReadBytes(store + "System\\Appcfg.ini"), "[GLOBAL]\r\nIsMDI=0\r\n");
  EXPECT_EQ(test::ReadBytes(tool + "System\\Appcfg.ini"), original);

  // Once there, the copy takes the writes; a write the system allows, with
  // no copy yet, goes to the original.
  const platform::ScriptedSystemScope scope(Facts());
  ToolConfig(host, SettleTool(tool).files).WriteInteger("TRBAR", "DOCKING", 1);
  EXPECT_EQ(test::ReadBytes(store + "System\\Appcfg.ini"), "[GLOBAL]\r\nIsMDI=0\r\n[TRBAR]\r\nDOCKING=1\r\n");
  test::RemoveFile(store + "System\\Appcfg.ini");
  ToolConfig(host, SettleTool(tool).files).WriteInteger("GLOBAL", "IsMDI", 5);
  EXPECT_EQ(test::ReadBytes(tool + "System\\Appcfg.ini"), "[GLOBAL]\r\nIsMDI=5\r\n");
  EXPECT_EQ(test::ReadBytes(store + "System\\Appcfg.ini"), "<missing>");
}

// Each file, and each colour file, is read from the copy where there is one;
// the colour list is both folders with the copies winning.
TEST_F(VirtualizedToolTest, ReadingTakesTheCopiesWhereThereAreSome) {
  test::WriteBytes(store + "System\\Appcfg.ini", "[GLOBAL]\r\nIsMDI=0\r\nCOLOR=Color\\Store.CLR\r\n");
  for (const char* name : {"night.clr", "Store.CLR"}) test::WriteBytes(store + "Color\\" + name, "");
  const platform::ScriptedSystemScope scope(Facts());
  const ToolFiles files = SettleTool(tool).files;
  EXPECT_EQ(files.ForReading("System\\Appcfg.ini"), store + "System\\Appcfg.ini");
  EXPECT_EQ(files.ForReading("System\\Sys.ini"), tool + "System\\Sys.ini");
  EXPECT_EQ(StoredSwitch(ReadEditedValues(ToolConfig(host, files)), config::EditedKey::kIsMdi), 0);
  EXPECT_EQ(ReadToolTitle(host, files), "T");
  EXPECT_EQ(ListColourFiles(files), (std::vector<std::string>{"Default.CLR", "night.clr", "Store.CLR"}));
  EXPECT_EQ(ColourFilePath(files, "STORE.clr"), store + "Color\\STORE.clr");
  EXPECT_EQ(ColourFilePath(files, "Default.CLR"), tool + "Color\\Default.CLR");
  // The tool's COLOR naming a file only in the store is found, not refused.
  EXPECT_EQ(StoredColourFile(ReadEditedValues(ToolConfig(host, files)), ToolKind::kOther), "Store.CLR");
  EXPECT_TRUE(ConfirmColourFile(host, files, "Store.CLR"));
  EXPECT_TRUE(host.notices().empty());
}

#endif

}  // namespace
}  // namespace qlm
