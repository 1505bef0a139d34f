#include "preview/win32/preview_window.h"

#include <commctrl.h>

#include <optional>
#include <utility>

#include "resource_ids.h"

namespace fizzlet::win32 {
namespace {

constexpr char kFormClass[] = "FizzletPreviewForm";
constexpr char kPictureClass[] = "FizzletPreviewPicture";
constexpr UINT_PTR kWatchTimerId = 1;
constexpr UINT_PTR kHookSubclassId = 1;

PixelSize client_size(HWND window) {
  RECT rect{};
  if (window == nullptr || !GetClientRect(window, &rect)) return {};
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// The window procedures find their object through the pointer passed to
// CreateWindowEx, kept in the window's user data.
template <typename Self>
Self* attach_self(HWND window, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Self*>(reinterpret_cast<CREATESTRUCTA*>(lparam)->lpCreateParams);
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  return reinterpret_cast<Self*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

void register_class(const char* name, WNDPROC procedure) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof(window_class);
  window_class.lpfnWndProc = procedure;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
  // No background brush: the picture window paints every pixel itself, so
  // the system never erases it first (no flash of another colour).
  window_class.lpszClassName = name;
  RegisterClassExA(&window_class);  // fails harmlessly when already registered
}

}  // namespace

HWND window_from_handle_number(std::int32_t handle) {
  return reinterpret_cast<HWND>(static_cast<INT_PTR>(handle));
}

MessageHook::MessageHook(HWND window, UINT message, Report report)
    : window_(window), message_(message), report_(std::move(report)) {
  if (!SetWindowSubclass(window_, &subclass_proc, kHookSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    window_ = nullptr;
  }
}

MessageHook::~MessageHook() {
  if (window_ != nullptr) RemoveWindowSubclass(window_, &subclass_proc, kHookSubclassId);
}

LRESULT CALLBACK MessageHook::subclass_proc(HWND window, UINT message, WPARAM wparam,
                                            LPARAM lparam, UINT_PTR, DWORD_PTR self_data) {
  auto* self = reinterpret_cast<MessageHook*>(self_data);
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &subclass_proc, kHookSubclassId);
    self->window_ = nullptr;
  } else if (message == self->message_) {
    if (self->report_) self->report_(message);
    return 0;
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

PreviewForm::PreviewForm() {
  register_class(kFormClass, &form_proc);
  register_class(kPictureClass, &picture_proc);
}

PreviewForm::~PreviewForm() { destroy_windows(); }

bool PreviewForm::load(HWND preview_parent) {
  preview_parent_ = preview_parent;
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  // The form is never shown; only its picture window is seen, inside the
  // preview window.
  CreateWindowExA(WS_EX_TOOLWINDOW, kFormClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                  instance, this);
  if (form_ == nullptr) return false;
  CreateWindowExA(0, kPictureClass, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                  form_, nullptr, instance, this);
  if (const std::optional<DibImage> picture = load_picture(instance, IDB_PREVIEW)) {
    image_ = DibSurface::from_picture(*picture);
  }

  // Watch the picture's close requests, size the picture to the
  // preview window's client area, move it in, start the timer.
  if (picture_ != nullptr) {
    close_hook_ = std::make_unique<MessageHook>(
        picture_, static_cast<UINT>(kCloseMessage),
        [this](UINT message) { on_hooked_message(message); });
  }
  const bool preview_exists = preview_parent_ != nullptr && IsWindow(preview_parent_);
  if (host_.on_load(preview_exists) && picture_ != nullptr) {
    const PixelSize size = client_size(preview_parent_);
    SetWindowPos(picture_, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    SetParent(picture_, preview_parent_);
  }
  SetTimer(form_, kWatchTimerId, kPreviewTimerMs, nullptr);
  return true;
}

void PreviewForm::on_hooked_message(UINT message) {
  // Back into the hidden form at once: the display settings may be about to
  // reuse or destroy their window.
  if (host_.on_hooked_message(message) && picture_ != nullptr) SetParent(picture_, form_);
}

void PreviewForm::on_watch_tick() {
  PreviewWatch now;
  now.preview_window_exists = preview_parent_ != nullptr && IsWindow(preview_parent_);
  if (now.preview_window_exists) now.preview_client = client_size(preview_parent_);
  now.picture = client_size(picture_);
  switch (host_.on_watch_tick(now)) {
    case TickAction::resize_picture:
      SetWindowPos(picture_, nullptr, 0, 0, now.preview_client.width, now.preview_client.height,
                   SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
      break;
    case TickAction::unload:
      unload();
      break;
    case TickAction::none:
      break;
  }
}

// Nothing else is open in preview mode: unloading the form ends the program.
void PreviewForm::unload() {
  destroy_windows();
  PostQuitMessage(0);
}

void PreviewForm::destroy_windows() {
  if (form_ != nullptr) KillTimer(form_, kWatchTimerId);
  close_hook_.reset();
  // The picture may still be in the preview window; it goes with the form.
  if (picture_ != nullptr) DestroyWindow(picture_);
  if (form_ != nullptr) DestroyWindow(form_);
}

LRESULT CALLBACK PreviewForm::form_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = attach_self<PreviewForm>(window, message, lparam);
  if (self != nullptr) {
    switch (message) {
      case WM_NCCREATE:
        self->form_ = window;
        break;
      case WM_TIMER:
        if (wparam == kWatchTimerId) {
          self->on_watch_tick();
          return 0;
        }
        break;
      case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->form_ = nullptr;
        break;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

LRESULT CALLBACK PreviewForm::picture_proc(HWND window, UINT message, WPARAM wparam,
                                           LPARAM lparam) {
  auto* self = attach_self<PreviewForm>(window, message, lparam);
  if (self != nullptr) {
    switch (message) {
      case WM_NCCREATE:
        self->picture_ = window;
        break;
      case WM_ERASEBKGND:
        return 1;  // WM_PAINT covers everything
      case WM_PAINT:
        self->paint_picture();
        return 0;
      case WM_NCDESTROY:
        // Also when the preview window is destroyed with the picture in it.
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        self->picture_ = nullptr;
        break;
      default:
        break;
    }
  }
  return DefWindowProcA(window, message, wparam, lparam);
}

void PreviewForm::paint_picture() {
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(picture_, &paint);
  const PreviewPaint parts = preview_paint(client_size(picture_), {image_.width(), image_.height()});
  if (!parts.picture.empty()) {
    BitBlt(dc, 0, 0, parts.picture.width, parts.picture.height, image_.dc(), 0, 0, SRCCOPY);
  }
  for (const PixelRect& black : {parts.right_black, parts.bottom_black}) {
    if (!black.empty()) PatBlt(dc, black.left, black.top, black.width, black.height, BLACKNESS);
  }
  EndPaint(picture_, &paint);
}

}  // namespace fizzlet::win32
