// lazy_lists.h: the font and colour lists, filled on demand. Enumerating
// every installed font and listing the colour folder are the slow part of
// showing the window; where the window can say when a list is first needed,
// loading puts in only the stored choice and the full lists follow then.
#pragma once

#include <string>
#include <vector>

#include "ui/controls.h"


namespace qlm {
class ToolFiles;
namespace platform { class Host; }
}  // namespace qlm

namespace qlm::ui {

class FormWindow;

class LazyLists {
 public:
  // faces and colourFiles are the form's font face and colour file lists;
  // host finds each face as saving it does.
  LazyLists(FormWindow& window, const platform::Host& host, ListModel& faces, ListModel& colourFiles);
  LazyLists(const LazyLists&) = delete;
  LazyLists& operator=(const LazyLists&) = delete;

  // The lists for loading the tool's files: storedFace and storedColourFile
  // are the choices its settings file holds. For a window that completes its
  // lists on demand, only the stored choice, where that alone settles what
  // loading shows and tells; otherwise the full lists.
  void FillForLoading(const std::string& storedFace, const std::string& storedColourFile, const ToolFiles& files);

  // Puts in the full lists, keeping the choice shown. Nothing when they are
  // full already.
  void Complete();

  // Whether the full font list holds face (matched exactly, as loading
  // matches the stored face).
  bool Lists(const std::string& face);

 private:
  const std::vector<std::string>& SystemFontList();

  // Whether saving face would find it installed.
  bool Installed(const std::string& face) const;

  FormWindow& window_;
  const platform::Host& host_;
  ListModel& faces_;
  ListModel& colourFiles_;
  // The face [FONT] FF0 names, as the last load read it.
  std::string storedFace_;
  std::vector<std::string> systemFonts_;
  // The colour folder's files as loading listed them, while the list holds
  // only the stored one.
  std::vector<std::string> colourNamesAtLoad_;
  bool fontListPartial_ = false;
  bool colourListPartial_ = false;
};

}  // namespace qlm::ui
