// scripted_windows.h: a WindowLink over a tree of fake windows that a test
// builds, changes and watches; it records every message sent or posted.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_link.h"

namespace qlm::platform {

class ScriptedWindows : public WindowLink {
 public:
  // One message as it reached a window.
  struct Message {
    WindowHandle window = kNoWindow;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool sent = false;  // true: Send (waited for), false: Post

    bool operator==(const Message&) const = default;
  };

  // What happens in the fake window's program when a message reaches it
  // (for a send, before Send returns).
  using Reaction = std::function<void(const Message&)>;

  WindowHandle FindTopLevel(const char* title) const override;
  WindowHandle FindChildByClass(WindowHandle parent, const char* className) const override;
  WindowHandle FindChildByTitle(WindowHandle parent, const char* title) const override;
  bool Exists(WindowHandle window) const override { return windows_.count(window) != 0; }
  std::string Title(WindowHandle window) const override;
  bool HasVisibleStyle(WindowHandle window) const override;
  Delivery Send(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam,
                unsigned patienceMs = kSendPatienceMs) override;
  Delivery Post(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) override;
  Rights OwnerRights(WindowHandle window) const override;
  bool IsMinimised(WindowHandle window) const override;
  void Restore(WindowHandle window) override;
  void BringToForeground(WindowHandle window) override { foreground_ = window; }
  std::vector<WindowHandle> Children(WindowHandle parent) const override;
  std::string ClassName(WindowHandle window) const override;

  // A new window, last among its siblings (parent kNoWindow: a top-level
  // window). Handles are never handed out twice unless a test asks with
  // CreateWithHandle.
  WindowHandle Create(WindowHandle parent, std::string className, std::string title, bool visible = true);
  // As Create, with the handle of a window that no longer exists: the desktop
  // reuses handles.
  WindowHandle CreateWithHandle(WindowHandle handle, WindowHandle parent, std::string className,
                                std::string title, bool visible = true);
  // Removes window and everything under it.
  void Destroy(WindowHandle window);

  void SetTitle(WindowHandle window, std::string title);
  void SetVisible(WindowHandle window, bool visible);
  void SetMinimised(WindowHandle window, bool minimised);
  // A hung window's program answers no message sent to it: Send gives up.
  void SetHung(WindowHandle window, bool hung);
  // The window's program runs with higher rights: the desktop drops every
  // message to it (Send and Post give kRefused, and nothing arrives).
  // rights is what OwnerRights says of it: kHigher when that can be found out
  // beforehand, kUnknown or kNotHigher when it cannot.
  void SetRefusing(WindowHandle window, bool refusing, Rights rights = Rights::kHigher);
  void OnMessage(WindowHandle window, Reaction reaction);

  // Every message that reached an existing window, in order.
  const std::vector<Message>& messages() const { return messages_; }
  // Messages aimed at windows that did not exist.
  int lostMessages() const { return lost_; }
  // Messages sent to hung windows, given up.
  int unansweredMessages() const { return unanswered_; }
  // How long the sender waited in all for those answers.
  unsigned waitedMs() const { return waitedMs_; }
  WindowHandle foreground() const { return foreground_; }
  int restoreCount() const { return restores_; }

 private:
  struct Window {
    WindowHandle parent = kNoWindow;
    std::string className;
    std::string title;
    bool visible = true;
    bool minimised = false;
    bool hung = false;
    bool refusing = false;
    Rights rights = Rights::kNotHigher;
    Reaction reaction;
  };

  WindowHandle FindChild(WindowHandle parent, const std::function<bool(const Window&)>& matches) const;
  std::optional<Delivery> Stopped(WindowHandle window, bool sent);
  void Deliver(const Message& message);

  std::map<WindowHandle, Window> windows_;
  // Creation order stands for the desktop's order of siblings.
  std::vector<WindowHandle> order_;
  WindowHandle next_ = 0x10010;
  std::vector<Message> messages_;
  int lost_ = 0;
  int unanswered_ = 0;
  unsigned waitedMs_ = 0;
  WindowHandle foreground_ = kNoWindow;
  int restores_ = 0;
};

}  // namespace qlm::platform
