// The preview host's windows under Wine, with the preview window in this
// process: the picture lands in it at its natural size with black around it,
// follows its size, goes back to the hidden form on a close request, and the
// form then posts the quit that ends the program.  (The end-to-end test
// drives the same from a second process, where Wine cannot show the pixels
// of a child window that another process owns.)

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "graphics/win32/gdi_surface.h"
#include "preview/win32/preview_window.h"
#include "resource_ids.h"

namespace fizzlet::win32 {
namespace {

using Pixels = std::vector<std::uint32_t>;  // 0xRRGGBB, rows top-down

// The top-left width x height pixels of what a device context shows.
Pixels read_pixels(HDC source, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const UniqueBitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  const UniqueDc dc(CreateCompatibleDC(nullptr));
  Pixels pixels(std::size_t(width) * std::size_t(height));
  if (!bitmap || !dc) return pixels;
  {
    const Selection selection(dc.get(), bitmap.get());
    BitBlt(dc.get(), 0, 0, width, height, source, 0, 0, SRCCOPY);
    GdiFlush();
  }
  const auto* data = static_cast<const std::uint32_t*>(bits);
  for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = data[i] & 0xFFFFFFu;
  return pixels;
}

// What the window shows now, after it and its children have painted.
Pixels window_pixels(HWND window, int width, int height) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const WindowDc dc(window);
  return read_pixels(dc.get(), width, height);
}

// Dispatches messages until `done` holds or WM_QUIT arrives (true when it
// did), at most five seconds.
bool pump_until(const std::function<bool()>& done) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 5000) {
    MSG message{};
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) return true;
      DispatchMessageA(&message);
    }
    if (done && done()) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return false;
}

LRESULT CALLBACK grey_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcA(window, message, wparam, lparam);
}

// The display settings' preview window: grey, so that black can only come
// from the picture window.
HWND make_preview_window(int width, int height) {
  WNDCLASSA window_class{};
  window_class.lpfnWndProc = grey_proc;
  window_class.hInstance = GetModuleHandleA(nullptr);
  window_class.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
  window_class.lpszClassName = "FizzletTestPreviewMonitor";
  RegisterClassA(&window_class);
  return CreateWindowExA(0, window_class.lpszClassName, "monitor", WS_POPUP | WS_VISIBLE, 40, 40,
                         width, height, nullptr, nullptr, window_class.hInstance, nullptr);
}

// The expected pixels of a width x height preview window.
Pixels expected(const Pixels& picture, int width, int height) {
  Pixels pixels(std::size_t(width) * std::size_t(height), 0u);
  for (int y = 0; y < std::min(height, kPreviewPictureHeight); ++y) {
    for (int x = 0; x < std::min(width, kPreviewPictureWidth); ++x) {
      pixels[std::size_t(y * width + x)] = picture[std::size_t(y * kPreviewPictureWidth + x)];
    }
  }
  return pixels;
}

TEST(PreviewWindow, HandleNumbersNameTheWindowsTheyWereWrittenFor) {
  EXPECT_EQ(window_from_handle_number(0), nullptr);
  EXPECT_EQ(reinterpret_cast<INT_PTR>(window_from_handle_number(1234)), 1234);
  // Written unsigned above 2^31: the same 32 bits, sign-extended.
  EXPECT_EQ(reinterpret_cast<INT_PTR>(window_from_handle_number(-2147483647 - 1)),
            INT_PTR{-2147483647 - 1});
  HWND window = make_preview_window(10, 10);
  const auto number = static_cast<std::int32_t>(reinterpret_cast<INT_PTR>(window));
  EXPECT_EQ(window_from_handle_number(number), window);
  DestroyWindow(window);
}

TEST(PreviewWindow, ShowsThePictureFollowsTheSizeAndLeavesOnACloseRequest) {
  const std::optional<DibImage> resource = load_picture(GetModuleHandleA(nullptr), IDB_PREVIEW);
  ASSERT_TRUE(resource);
  const DibSurface image = DibSurface::from_picture(*resource);
  ASSERT_EQ(image.width(), kPreviewPictureWidth);
  ASSERT_EQ(image.height(), kPreviewPictureHeight);
  const Pixels picture = read_pixels(image.dc(), kPreviewPictureWidth, kPreviewPictureHeight);

  HWND monitor = make_preview_window(200, 150);
  ASSERT_NE(monitor, nullptr);
  PreviewForm form;
  ASSERT_TRUE(form.load(monitor));
  EXPECT_EQ(form.host().state(), PreviewState::attached);
  EXPECT_EQ(GetParent(form.picture()), monitor);
  EXPECT_FALSE(IsWindowVisible(form.form())) << "the form itself is never shown";
  EXPECT_EQ(window_pixels(monitor, 200, 150), expected(picture, 200, 150))
      << "the picture at the top-left, black beside and below it";

  // Smaller than the picture: it is cut off, not scaled.
  SetWindowPos(monitor, nullptr, 0, 0, 100, 80, SWP_NOMOVE | SWP_NOZORDER);
  pump_until([&] {
    RECT rect{};
    GetClientRect(form.picture(), &rect);
    return rect.right == 100 && rect.bottom == 80;
  });
  EXPECT_EQ(window_pixels(monitor, 100, 80), expected(picture, 100, 80));

  // The close request takes the picture back at once; the next tick ends.
  SendMessageA(form.picture(), WM_CLOSE, 0, 0);
  EXPECT_EQ(form.host().state(), PreviewState::detached);
  EXPECT_EQ(GetParent(form.picture()), form.form());
  EXPECT_EQ(GetWindow(monitor, GW_CHILD), nullptr);
  EXPECT_TRUE(pump_until(nullptr)) << "no quit after the close request";
  EXPECT_EQ(form.host().state(), PreviewState::ended);
  EXPECT_EQ(form.form(), nullptr);
  EXPECT_EQ(form.picture(), nullptr);
  EXPECT_TRUE(IsWindow(monitor)) << "the preview window is not ours to close";
  DestroyWindow(monitor);
}

TEST(PreviewWindow, EndsWhenThePreviewWindowGoesOrNeverWas) {
  HWND monitor = make_preview_window(120, 90);
  PreviewForm destroyed;
  ASSERT_TRUE(destroyed.load(monitor));
  DestroyWindow(monitor);
  EXPECT_EQ(destroyed.picture(), nullptr) << "the picture goes with the preview window";
  EXPECT_TRUE(pump_until(nullptr));
  EXPECT_EQ(destroyed.host().state(), PreviewState::ended);
  EXPECT_EQ(destroyed.form(), nullptr);

  for (const std::int32_t handle : {0, 0x7FFFFFF0}) {
    PreviewForm nowhere;
    ASSERT_TRUE(nowhere.load(window_from_handle_number(handle)));
    EXPECT_EQ(GetParent(nowhere.picture()), nowhere.form()) << "the picture stays hidden";
    EXPECT_TRUE(pump_until(nullptr)) << handle;
    EXPECT_EQ(nowhere.host().state(), PreviewState::ended) << handle;
  }
}

}  // namespace
}  // namespace fizzlet::win32
