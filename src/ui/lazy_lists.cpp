// lazy_lists.cpp: the font and colour lists, filled on demand.
#include "ui/lazy_lists.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/host.h"
#include "settings/colour_catalogue.h"
#include "settings/font_list.h"
#include "settings/tool_files.h"
#include "ui/form_window.h"

namespace qlm::ui {
namespace {

// Fills list anew with fill (false: nothing filled) and selects again the
// item that was chosen, found by same.
template <typename Fill, typename Same>
void RefillKeepingChoice(ListModel& list, Fill fill, Same same) {
  const bool chosen = list.selected() >= 0;
  const std::string text = list.text();
  if (!fill() || !chosen) return;
  list.SelectFirst([&](const std::string& item) { return same(item, text); });
}

}  // namespace

// By default, taken from the whole enumeration.
std::vector<std::string> FormWindow::FontFamiliesNamed(const std::string& family) const {
  std::vector<std::string> names = FontFamilies();
  std::erase_if(names, [&](const std::string& name) { return platform::CompareIgnoringCase(name, family) != 0; });
  return names;
}

LazyLists::LazyLists(FormWindow& window, const platform::Host& host, ListModel& faces, ListModel& colourFiles)
    : window_(window), host_(host), faces_(faces), colourFiles_(colourFiles) {}

bool LazyLists::Installed(const std::string& face) const { return host_.FindFontFace(face).has_value(); }

// Enumerated at most once for each load (FillForLoading forgets it), so
// that a reload sees the faces installed since.
const std::vector<std::string>& LazyLists::SystemFontList() {
  if (systemFonts_.empty())
    systemFonts_ = BuildFontList(window_.FontFamilies(), storedFace_,
                                 [this](const std::string& face) { return Installed(face); });
  return systemFonts_;
}

void LazyLists::FillForLoading(const std::string& storedFace, const std::string& storedColourFile,
                               const ToolFiles& files) {
  fontListPartial_ = colourListPartial_ = false;
  storedFace_ = storedFace;
  // The faces installed now, not those of an earlier load.
  systemFonts_.clear();
  colourNamesAtLoad_.clear();
  // The colour files as the folder holds them now, listed once.
  std::vector<std::string> colourNames = ListColourFiles(files);
  if (window_.CompletesListsOnDemand()) {
    // The stored face alone, when the full list surely holds it under that
    // very name (as loading looks for it) and no other family's
    // name differs from it only in case.
    const std::string& face = storedFace_;
    if (!face.empty()) {
      const std::vector<std::string> named = window_.FontFamiliesNamed(face);
      std::vector<std::string> shown =
          BuildFontList(named, face, [this](const std::string& name) { return Installed(name); });
      fontListPartial_ = std::all_of(named.begin(), named.end(), [&](const std::string& name) { return name == face; }) &&
                         std::find(shown.begin(), shown.end(), face) != shown.end();
      if (fontListPartial_) faces_.SetItems(std::move(shown));
    }
    // The colour list put in only when asked for; the stored file alone
    // meanwhile, spelled as listed, when the listing holds it.
    const auto listed = std::find_if(colourNames.begin(), colourNames.end(), SameFileAs(storedColourFile));
    colourListPartial_ = listed != colourNames.end();
    if (colourListPartial_) {
      colourFiles_.SetItems({*listed});
      colourNamesAtLoad_ = std::move(colourNames);
    }
  }
  if (!fontListPartial_) faces_.SetItems(SystemFontList());
  // An empty folder leaves the list as it was.
  if (!colourListPartial_ && !colourNames.empty()) colourFiles_.SetItems(std::move(colourNames));
}

bool LazyLists::Lists(const std::string& face) {
  const std::vector<std::string>& faces = SystemFontList();
  return std::find(faces.begin(), faces.end(), face) != faces.end();
}

void LazyLists::Complete() {
  if (fontListPartial_) {
    fontListPartial_ = false;
    // A face that loading found and that has gone since stays listed, so
    // that the choice shown stays (OK then tells that it is missing).
    std::vector<std::string> faces = SystemFontList();
    const std::string shown = faces_.text();
    if (!shown.empty() && std::find(faces.begin(), faces.end(), shown) == faces.end()) {
      const auto at = std::find_if(faces.begin(), faces.end(), [&](const std::string& face) {
        return platform::CompareIgnoringCase(shown, face) < 0;
      });
      faces.insert(at, shown);
    }
    RefillKeepingChoice(
        faces_, [&] { faces_.SetItems(std::move(faces)); return true; },
        [](const std::string& item, const std::string& face) { return item == face; });
  }
  if (colourListPartial_) {
    colourListPartial_ = false;
    RefillKeepingChoice(
        colourFiles_, [&] { colourFiles_.SetItems(std::move(colourNamesAtLoad_)); return true; },
        [](const std::string& item, const std::string& file) { return platform::CompareIgnoringCase(item, file) == 0; });
    colourNamesAtLoad_.clear();
  }
}

}  // namespace qlm::ui
