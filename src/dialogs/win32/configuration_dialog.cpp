#include "dialogs/win32/configuration_dialog.h"

#include <utility>

#include "dialogs/win32/about_dialog.h"
#include "dialogs/win32/password_change_dialog.h"
#include "resource_ids.h"

namespace fizzlet::win32 {

namespace {

using namespace configuration;

const ScrollRange& range_of(int id) {
  return id == kKernelCountScrollBar ? kKernelCountRange : kPopChanceRange;
}

ScrollAction scroll_action(int request) {
  switch (request) {
    case SB_LINELEFT: return ScrollAction::line_left;
    case SB_LINERIGHT: return ScrollAction::line_right;
    case SB_PAGELEFT: return ScrollAction::page_left;
    case SB_PAGERIGHT: return ScrollAction::page_right;
    case SB_LEFT: return ScrollAction::to_left;    // Home
    case SB_RIGHT: return ScrollAction::to_right;  // End
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: return ScrollAction::thumb;
    default: return ScrollAction::other;
  }
}

void set_scroll(HWND bar, const ScrollRange& range, int position) {
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
  info.nMin = range.minimum;
  info.nMax = range.maximum;
  info.nPage = 0;
  info.nPos = position;
  SetScrollInfo(bar, SB_CTL, &info, TRUE);
}

void set_icon(HWND window) {
  const HINSTANCE instance = GetModuleHandleA(nullptr);
  for (const auto& [which, metric] :
       {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    const HANDLE icon = LoadImageA(instance, MAKEINTRESOURCEA(IDI_FIZZLET), IMAGE_ICON, size, size,
                                   LR_SHARED);  // shared: the system frees it
    if (icon != nullptr) SendMessageA(window, WM_SETICON, which, reinterpret_cast<LPARAM>(icon));
  }
}

}  // namespace

ConfigurationDialog::ConfigurationDialog(ProcessValues& process, Settings& settings,
                                         SettingsStore& store, RunPreview run_preview)
    : Form(configuration_form(), process, {{kTitlePicture, IDB_TITLE}}),
      process_(process),
      settings_(settings),
      store_(store),
      run_preview_(std::move(run_preview)),
      rules_(*this, *this, settings, store) {}

ConfigurationControls ConfigurationDialog::controls() const {
  return {GetScrollPos(item(kKernelCountScrollBar), SB_CTL),
          GetScrollPos(item(kPopChanceScrollBar), SB_CTL),
          IsDlgButtonChecked(window(), kMusicCheckBox) == BST_CHECKED};
}

void ConfigurationDialog::show_controls(const ConfigurationControls& shown) {
  set_scroll(item(kKernelCountScrollBar), kKernelCountRange, shown.kernel_count);
  set_scroll(item(kPopChanceScrollBar), kPopChanceRange, shown.pop_chance);
  CheckDlgButton(window(), kMusicCheckBox, shown.music_on ? BST_CHECKED : BST_UNCHECKED);
}

void ConfigurationDialog::on_load() {
  set_icon(window());
  rules_.on_load();
}

bool ConfigurationDialog::on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_HSCROLL:
      on_scroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
      result = 0;
      return true;
    case WM_ENDSESSION:
      if (wparam != FALSE) rules_.on_session_end();
      result = 0;
      return true;
    default:
      return false;
  }
}

void ConfigurationDialog::on_scroll(HWND bar, int request) const {
  const int id = GetDlgCtrlID(bar);
  if (id != kKernelCountScrollBar && id != kPopChanceScrollBar) return;
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_POS | SIF_TRACKPOS;
  GetScrollInfo(bar, SB_CTL, &info);
  const int position = scroll_position(range_of(id), info.nPos, scroll_action(request), info.nTrackPos);
  if (position != info.nPos) SetScrollPos(bar, SB_CTL, position, TRUE);
}

void ConfigurationDialog::run_about() {
  AboutDialog about(process_);
  about.show_modal(window());
}

void ConfigurationDialog::run_password_change() {
  PasswordChangeDialog password(process_, settings_, store_);
  password.show_modal(window());
}

// The saver and the dialogs' loops pass a quit request on.
void ConfigurationDialog::end_modal_loop() { PostQuitMessage(0); }

void ConfigurationDialog::bring_back(int focus_id) {
  SetForegroundWindow(window());
  SetFocus(item(focus_id));
}

}  // namespace fizzlet::win32
