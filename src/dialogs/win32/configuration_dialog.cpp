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
      run_preview_(std::move(run_preview)) {}

ConfigurationControls ConfigurationDialog::controls() const {
  return {GetScrollPos(item(kKernelCountScrollBar), SB_CTL),
          GetScrollPos(item(kPopChanceScrollBar), SB_CTL),
          IsDlgButtonChecked(window(), kMusicCheckBox) == BST_CHECKED};
}

void ConfigurationDialog::on_load() {
  set_icon(window());
  load_settings(store_, settings_);
  const ConfigurationControls shown = controls_from_settings(settings_);
  set_scroll(item(kKernelCountScrollBar), kKernelCountRange, shown.kernel_count);
  set_scroll(item(kPopChanceScrollBar), kPopChanceRange, shown.pop_chance);
  CheckDlgButton(window(), kMusicCheckBox, shown.music_on ? BST_CHECKED : BST_UNCHECKED);
}

bool ConfigurationDialog::on_command(int id, int) {
  switch (id) {
    case kAboutButton: on_about(); return true;
    case kPasswordButton: on_password(); return true;
    case kPreviewButton: on_preview(); return true;
    case kExitButton:  // Exit
    case IDCANCEL:   // Escape
      on_close();
      return true;
    default:
      return false;
  }
}

// Exit, Escape, the close box, Alt+F4 or a close request from outside.
void ConfigurationDialog::on_close() {
  if (guard_.request_close()) {
    unload();
  } else {
    // A modal window runs over the dialog: a quit request ends its loop (the
    // saver and the dialogs' loops pass it on), and run_over closes this
    // dialog when it returns.
    PostQuitMessage(0);
  }
}

bool ConfigurationDialog::on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  switch (message) {
    case WM_HSCROLL:
      on_scroll(reinterpret_cast<HWND>(lparam), LOWORD(wparam));
      result = 0;
      return true;
    case WM_ENDSESSION:
      // The session ends and the program with it, without closing the
      // dialog: keep what the controls hold.
      if (wparam != FALSE) save_from_controls(controls(), settings_, store_);
      result = 0;
      return true;
    default:
      return false;
  }
}

// Every way out passes here: copy the controls into the settings and save.
void ConfigurationDialog::on_unload() { save_from_controls(controls(), settings_, store_); }

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

template <typename Run>
void ConfigurationDialog::run_over(Run run) {
  if (!guard_.enter()) return;
  run();
  if (guard_.leave()) unload();
}

void ConfigurationDialog::on_about() {
  run_over([this] {
    AboutDialog about(process_);
    about.show_modal(window());
  });
}

void ConfigurationDialog::on_password() {
  run_over([this] {
    PasswordChangeDialog password(process_, settings_, store_);
    password.show_modal(window());
  });
}

// Preview: the settings are saved first, so the saver (which loads them
// when it starts) runs with the positions just chosen.  The saver window is
// modal over this dialog and ends on activity without asking for a password.
void ConfigurationDialog::on_preview() {
  run_over([this] {
    save_from_controls(controls(), settings_, store_);
    run_preview_();
    if (!is_open()) return;
    SetForegroundWindow(window());
    SetFocus(item(kPreviewButton));
  });
}

}  // namespace fizzlet::win32
