// layout.h: the main window's controls, one row each: what it is, where it
// sits (in pixels, relative to its parent's top-left corner), its caption and
// hint. Captions are UTF-8 here and shown in the system code page.
#pragma once

#include "settings/tool_config.h"

namespace qlm::ui {

enum class ControlKind { kGroup, kRadio, kCheck, kDropDown, kEdit, kUpDown, kLabel, kButton, kIconButton };

enum ControlId {
  kNoControl = 0,
  kWindowStyleGroup = 100,
  kWindowStyleSdi,
  kWindowStyleMdi,
  kGroupWindow,
  kToolBar,
  kTabBar,
  kTickerBar,
  kGroupColor,
  kColourFiles,
  kGroupFont,
  kFontName,
  kFontStyle,
  kFontSize,
  kFontSizeArrows,
  kFontSample,
  kGroupQlm,
  kTopMost,
  kRealtime,
  kOk,
  kCancel,
  kAbout,
  kStatusBar,
};

struct ControlRow {
  ControlId id;
  ControlKind kind;
  ControlId parent;  // kNoControl: the form
  int left, top, width, height;
  const char* caption;
  const char* hint;
  // A check box that shows an edited key: the window binds it to the key's
  // model and passes its clicks on. kCount: none.
  config::EditedKey key = config::EditedKey::kCount;
};

// In tab order.
inline constexpr ControlRow kMainLayout[] = {
    {kWindowStyleGroup, ControlKind::kGroup, kNoControl, 8, 8, 146, 36, "ウィンドウ", nullptr},
    {kWindowStyleSdi, ControlKind::kRadio, kWindowStyleGroup, 8, 15, 65, 17, "SDI表示", nullptr},
    {kWindowStyleMdi, ControlKind::kRadio, kWindowStyleGroup, 77, 15, 65, 17, "MDI表示", nullptr},
    {kGroupWindow, ControlKind::kGroup, kNoControl, 8, 44, 146, 67, "", nullptr},
    {kToolBar, ControlKind::kCheck, kGroupWindow, 8, 8, 97, 17, "ツールバー", nullptr, config::EditedKey::kToolBar},
    {kTabBar, ControlKind::kCheck, kGroupWindow, 8, 26, 97, 17, "タブバー", nullptr, config::EditedKey::kTabBar},
    {kTickerBar, ControlKind::kCheck, kGroupWindow, 8, 44, 97, 17, "ティッカーバー", nullptr, config::EditedKey::kTickerBar},
    {kGroupColor, ControlKind::kGroup, kNoControl, 8, 117, 146, 58, "CLRファイル", nullptr},
    {kColourFiles, ControlKind::kDropDown, kGroupColor, 8, 23, 124, 21, "", "設定可能なCLRファイル一覧です。"},
    {kGroupFont, ControlKind::kGroup, kNoControl, 160, 8, 146, 103, "フォント", nullptr},
    {kFontName, ControlKind::kDropDown, kGroupFont, 11, 20, 124, 21, "", "フォントの種類を設定します。"},
    {kFontStyle, ControlKind::kDropDown, kGroupFont, 11, 47, 62, 21, "", "フォントのスタイルを設定します。"},
    {kFontSize, ControlKind::kEdit, kGroupFont, 79, 47, 41, 21, "1", "フォントのサイズを設定します。"},
    {kFontSizeArrows, ControlKind::kUpDown, kGroupFont, 120, 47, 15, 21, "", nullptr},
    // Along the bottom of its group, inside the frame.
    {kFontSample, ControlKind::kLabel, kGroupFont, 2, 88, 142, 13, "文字 123", "上記で設定されたフォントのサンプルです。"},
    {kGroupQlm, ControlKind::kGroup, kNoControl, 160, 117, 146, 58, "QLM設定", nullptr},
    {kTopMost, ControlKind::kCheck, kGroupQlm, 11, 19, 110, 12, "QLMを最前面表示", nullptr},
    {kRealtime, ControlKind::kCheck, kGroupQlm, 11, 37, 110, 12, "リアルタイム設定", nullptr},
    {kOk, ControlKind::kButton, kNoControl, 160, 181, 55, 25, "OK", nullptr},
    {kCancel, ControlKind::kButton, kNoControl, 221, 181, 55, 25, "Cancel", nullptr},
    {kAbout, ControlKind::kIconButton, kNoControl, 285, 181, 21, 25, "", nullptr},
};

// Each edited key shown in a check box has one check box row, and only
// those rows name a key.
constexpr bool KeyBoxesHaveRows() {
  for (const config::KeyRow& key : config::kEditedKeys) {
    int rows = 0;
    for (const ControlRow& row : kMainLayout) rows += row.key == key.key ? 1 : 0;
    if (rows != (config::InCheckBox(key) ? 1 : 0)) return false;
  }
  for (const ControlRow& row : kMainLayout)
    if (row.key != config::EditedKey::kCount && row.kind != ControlKind::kCheck) return false;
  return true;
}
static_assert(KeyBoxesHaveRows(), "each key shown in a check box has one check box in the layout");

inline constexpr const char* kStyleItems[] = {"標準", "太字"};

inline constexpr int kClientWidth = 313;
inline constexpr int kClientHeight = 237;
inline constexpr int kStatusBarHeight = 21;
inline constexpr int kStatusPanelWidths[] = {200, 50};

}  // namespace qlm::ui
