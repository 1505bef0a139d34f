#pragma once
// The Windows side of every dialog: a dialog window built in memory from a
// FormSpec (dialogs/form.h), its controls placed in pixels converted from
// twips, one font for the form (in twips too, so that text grows with the
// layout), tool tips through the common controls' tooltip window, pictures
// stretched to their controls, and the handlers of the derived dialog.
//
// A form runs either modal (show_modal: returns when it has unloaded) or
// modeless (create_modeless, then the caller shows it; the thread's message
// loop must use process_pending_messages or run_message_loop so that Tab,
// Enter and the arrows work in it).

#include <windows.h>

#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "dialogs/form.h"
#include "graphics/win32/gdi_surface.h"
#include "startup/process.h"

namespace fizzlet::win32 {

using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, DeleteGdiObject>;

// A picture control and the bitmap resource of this program that it shows.
struct FormPicture {
  int control_id;
  int resource_id;
};

class Form : public FormWindow {
 public:
  Form(const FormSpec& spec, const ProcessValues& process, std::vector<FormPicture> pictures = {});
  // Destroys a window that is still open, without running its handlers: a
  // derived dialog that must save or report first unloads in its own
  // destructor.
  ~Form() override;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // Creates the dialog hidden, laid out, centred and loaded.  False when the
  // system could not make it.
  bool create_modeless(HWND owner);
  // Runs the dialog modal over owner (disabled meanwhile) until it unloads.
  void show_modal(HWND owner);
  // Closes the dialog: a modal one ends its loop, a modeless one is
  // destroyed.  on_unload runs as the window goes.
  void unload() override;

  HWND window() const { return window_; }
  bool is_open() const { return window_ != nullptr; }
  HWND item(int id) const { return GetDlgItem(window_, id); }
  std::string text_of(int id) const override;
  void set_text(int id, const std::string& text) const override;
  void focus(int id) const override { SetFocus(item(id)); }
  void show_message(const MessageSpec& message) const override;

 protected:
  const ProcessValues& process() const { return process_; }
  // After the controls are laid out and the form is centred.
  virtual void on_load() {}
  // A command from a control (a click) or from the dialog keys (IDOK for
  // Enter, IDCANCEL for Escape); true when handled.
  virtual bool on_command(int id, int notification) = 0;
  // The close box, Alt+F4 or a close request from outside.
  virtual void on_close() { unload(); }
  // Any other message; true when handled (result goes back to the system).
  virtual bool on_message(UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);
  // The window is going, whichever way.
  virtual void on_unload() {}

 private:
  static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam);
  void initialise();
  void lay_out(int twips_per_pixel_x, int twips_per_pixel_y);
  void fit_text(const PlacedControl& control, int font_height);
  void add_tool_tips();
  void draw_picture(const DRAWITEMSTRUCT& item) const;
  void detach();

  const FormSpec& spec_;
  const ProcessValues& process_;
  std::vector<FormPicture> pictures_;
  std::vector<UniqueBitmap> bitmaps_;  // one a picture, in the order of pictures_
  UniqueFont font_;
  UniqueFont bold_font_;
  std::vector<UniqueFont> fitted_fonts_;  // smaller fonts for texts that would not fit
  HWND window_ = nullptr;
  bool modal_ = false;
};

}  // namespace fizzlet::win32
