#pragma once
// The preview host on Windows: a hidden form whose picture window
// goes into the display settings' preview window.  The rules are in
// preview/preview_host.h.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>

#include "preview/preview_host.h"
#include "graphics/win32/gdi_surface.h"

namespace fizzlet::win32 {

// The window of a handle number from the command line.  Window handles have
// 32 significant bits and are sign-extended on 64-bit Windows, so a handle
// that was written unsigned (above 2^31) names the same window.
HWND window_from_handle_number(std::int32_t handle);

// Reports one message sent to a window, by subclassing it, and swallows it:
// the window's own procedure never sees it.  Every other message passes on.
// The subclass goes when the hook does or when the window is destroyed.
class MessageHook {
 public:
  using Report = std::function<void(UINT message)>;
  MessageHook(HWND window, UINT message, Report report);
  ~MessageHook();
  MessageHook(const MessageHook&) = delete;
  MessageHook& operator=(const MessageHook&) = delete;

 private:
  static LRESULT CALLBACK subclass_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                        UINT_PTR id, DWORD_PTR self);
  HWND window_;
  UINT message_;
  Report report_;
};

class PreviewForm {
 public:
  PreviewForm();
  ~PreviewForm();
  PreviewForm(const PreviewForm&) = delete;
  PreviewForm& operator=(const PreviewForm&) = delete;

  // Loads the form without showing it: the picture goes into
  // preview_parent, sized to its client area, and the watch timer starts.
  // When the form unloads it posts WM_QUIT, which ends the program.  Returns
  // false when not even the hidden form could be made.
  bool load(HWND preview_parent);

  const PreviewHost& host() const { return host_; }
  HWND form() const { return form_; }
  HWND picture() const { return picture_; }

 private:
  static LRESULT CALLBACK form_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK picture_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void on_hooked_message(UINT message);
  void on_watch_tick();
  void unload();
  void destroy_windows();
  void paint_picture();

  PreviewHost host_;
  HWND preview_parent_ = nullptr;
  HWND form_ = nullptr;
  HWND picture_ = nullptr;
  DibSurface image_;  // the still picture (IDB_PREVIEW)
  std::unique_ptr<MessageHook> close_hook_;
};

}  // namespace fizzlet::win32
