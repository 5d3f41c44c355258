// scripted_windows.cpp: lookups, state and messages of the fake window tree,
// matching names the way the desktop does (ignoring case).
#include "support/scripted_windows.h"

#include <algorithm>
#include <cassert>
#include <optional>

#include "platform/codepage.h"

namespace qlm::platform {
namespace {

bool SameName(const std::string& a, const char* b) { return CompareIgnoringCase(a, b) == 0; }

}  // namespace

WindowHandle ScriptedWindows::FindChild(WindowHandle parent,
                                        const std::function<bool(const Window&)>& matches) const {
  for (const WindowHandle handle : order_) {
    const Window& window = windows_.at(handle);
    if (window.parent == parent && matches(window)) return handle;
  }
  return kNoWindow;
}

WindowHandle ScriptedWindows::FindTopLevel(const char* title) const {
  return FindChild(kNoWindow, [title](const Window& window) { return SameName(window.title, title); });
}

WindowHandle ScriptedWindows::FindChildByClass(WindowHandle parent, const char* className) const {
  if (parent == kNoWindow) return kNoWindow;
  return FindChild(parent, [className](const Window& window) { return SameName(window.className, className); });
}

WindowHandle ScriptedWindows::FindChildByTitle(WindowHandle parent, const char* title) const {
  if (parent == kNoWindow) return kNoWindow;
  return FindChild(parent, [title](const Window& window) { return SameName(window.title, title); });
}

std::string ScriptedWindows::Title(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? std::string() : found->second.title;
}

std::vector<WindowHandle> ScriptedWindows::Children(WindowHandle parent) const {
  std::vector<WindowHandle> children;
  if (parent == kNoWindow) return children;
  for (const WindowHandle handle : order_)
    if (windows_.at(handle).parent == parent) children.push_back(handle);
  return children;
}

std::string ScriptedWindows::ClassName(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? std::string() : found->second.className;
}

bool ScriptedWindows::HasVisibleStyle(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.visible;
}

bool ScriptedWindows::IsMinimised(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found != windows_.end() && found->second.minimised;
}

void ScriptedWindows::Restore(WindowHandle window) {
  ++restores_;
  const auto found = windows_.find(window);
  if (found != windows_.end()) found->second.minimised = false;
}

void ScriptedWindows::Deliver(const Message& message) {
  const auto found = windows_.find(message.window);
  if (found == windows_.end()) {
    ++lost_;
    return;
  }
  messages_.push_back(message);
  // The reaction may change the tree; run a copy.
  if (const Reaction reaction = found->second.reaction) reaction(message);
}

// What stops a message before it reaches the window; nothing when it gets
// through.
std::optional<Delivery> ScriptedWindows::Stopped(WindowHandle window, bool sent) {
  const auto found = windows_.find(window);
  if (found == windows_.end()) {
    ++lost_;
    return Delivery::kGone;
  }
  if (found->second.refusing) return Delivery::kRefused;
  // A hung program still has posted messages queued for it.
  if (sent && found->second.hung) {
    ++unanswered_;
    return Delivery::kNoAnswer;
  }
  return std::nullopt;
}

// A window whose reaction destroys it was closed while handling the message:
// its program ended without answering.
Delivery ScriptedWindows::Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                               unsigned patienceMs) {
  if (const auto stopped = Stopped(window, true)) {
    if (*stopped == Delivery::kNoAnswer) waitedMs_ += patienceMs;
    return *stopped;
  }
  Deliver(Message{window, message, wParam, lParam, true});
  return Exists(window) ? Delivery::kDone : Delivery::kGone;
}

Delivery ScriptedWindows::Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (const auto stopped = Stopped(window, false)) return *stopped;
  Deliver(Message{window, message, wParam, lParam, false});
  return Delivery::kDone;
}

Rights ScriptedWindows::OwnerRights(WindowHandle window) const {
  const auto found = windows_.find(window);
  return found == windows_.end() ? Rights::kUnknown : found->second.rights;
}

WindowHandle ScriptedWindows::Create(WindowHandle parent, std::string className, std::string title, bool visible) {
  return CreateWithHandle(next_++, parent, std::move(className), std::move(title), visible);
}

WindowHandle ScriptedWindows::CreateWithHandle(WindowHandle handle, WindowHandle parent, std::string className,
                                               std::string title, bool visible) {
  assert(handle != kNoWindow && !Exists(handle));
  assert(parent == kNoWindow || Exists(parent));
  windows_[handle] = Window{parent, std::move(className), std::move(title), visible, false, false, false,
                            Rights::kNotHigher, {}};
  order_.push_back(handle);
  next_ = std::max(next_, handle + 1);
  return handle;
}

void ScriptedWindows::Destroy(WindowHandle window) {
  std::vector<WindowHandle> children;
  for (const WindowHandle handle : order_)
    if (windows_.at(handle).parent == window) children.push_back(handle);
  for (const WindowHandle child : children) Destroy(child);
  windows_.erase(window);
  order_.erase(std::remove(order_.begin(), order_.end(), window), order_.end());
}

void ScriptedWindows::SetTitle(WindowHandle window, std::string title) { windows_.at(window).title = std::move(title); }

void ScriptedWindows::SetVisible(WindowHandle window, bool visible) { windows_.at(window).visible = visible; }

void ScriptedWindows::SetHung(WindowHandle window, bool hung) { windows_.at(window).hung = hung; }

void ScriptedWindows::SetRefusing(WindowHandle window, bool refusing, Rights rights) {
  Window& each = windows_.at(window);
  each.refusing = refusing;
  each.rights = refusing ? rights : Rights::kNotHigher;
}

void ScriptedWindows::SetMinimised(WindowHandle window, bool minimised) { windows_.at(window).minimised = minimised; }

void ScriptedWindows::OnMessage(WindowHandle window, Reaction reaction) {
  windows_.at(window).reaction = std::move(reaction);
}

}  // namespace qlm::platform
