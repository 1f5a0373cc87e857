// Message boxes and the open-file dialog as GTK 3 windows, for a program
// started from a desktop. From a terminal, or where no display can be
// opened, the console's lines stand in for them.
#include "platform/dialogs_gtk.h"

#include <unistd.h>

#include <memory>

#include "platform/message_box.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

// Whether windows can be shown. GTK starts on the first window wanted, not
// before, so a run that shows nothing pays nothing for it; a terminal on
// standard input keeps the console, whatever the display.
bool DesktopReady() {
  static const bool ready = [] {
    if (isatty(STDIN_FILENO)) return false;
    return gtk_init_check(nullptr, nullptr) == TRUE;
  }();
  return ready;
}

// Handles what GTK queued, so a closed window is gone from the screen
// before the program goes on.
void FlushEvents() {
  while (gtk_events_pending()) gtk_main_iteration();
}

struct WindowCloser {
  void operator()(GtkWidget* window) const {
    gtk_widget_destroy(window);
    FlushEvents();
  }
};
using Window = std::unique_ptr<GtkWidget, WindowCloser>;

struct GFreer {
  void operator()(void* memory) const { g_free(memory); }
};
using GChars = std::unique_ptr<char, GFreer>;

// Text for a label or a title: GTK takes only valid UTF-8, and a file name
// may hold bytes that are not.
std::string DisplayText(std::u16string_view text) {
  std::string bytes = EncodeUtf8(text);
  GChars valid(g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return valid.get();
}

gboolean MatchesIgnoringCase(const GtkFileFilterInfo* info, gpointer pattern) {
  if (info->display_name == nullptr) return FALSE;
  GChars name(g_utf8_casefold(info->display_name, -1));
  return g_pattern_match_simple(static_cast<const char*>(pattern), name.get());
}

// Writes the box's line on standard error, as the console does, so that a
// message is on record whether or not anyone sees the window.
class DesktopMessageBoxes final : public MessageBoxService {
 public:
  void Print(const std::u16string& text, const std::u16string& title) override {
    console_->Print(text, title);
  }
  void ShowBoxWindow(const std::u16string& text, const std::u16string& title) override {
    if (!DesktopReady()) return;
    Window box(NewMessageBoxWindow(text, title));
    gtk_dialog_run(GTK_DIALOG(box.get()));
  }

 private:
  std::unique_ptr<MessageBoxService> console_ = MakeConsoleMessageBoxes();
};

class DesktopFileChooser final : public FileChooser {
 public:
  FileChoice Choose(const FileChooserRequest& request) override {
    if (!DesktopReady()) return console_->Choose(request);
    Window dialog(NewFileChooserWindow(request));
    if (gtk_dialog_run(GTK_DIALOG(dialog.get())) != GTK_RESPONSE_ACCEPT) {
      return {FileChoice::Status::Cancelled, {}, {}};
    }
    GChars path(gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog.get())));
    if (path == nullptr) {
      return {FileChoice::Status::Failed, {}, u"gtk_file_chooser_get_filename: no local path"};
    }
    // A file name is bytes; DecodeUtf8 keeps any that are not UTF-8.
    return {FileChoice::Status::Chosen, DecodeUtf8(path.get()), {}};
  }

 private:
  std::unique_ptr<FileChooser> console_ = MakeConsoleFileChooser();
};

}  // namespace

GtkWidget* NewMessageBoxWindow(const std::u16string& text, const std::u16string& title) {
  GtkWidget* box = gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                          GTK_BUTTONS_OK, "%s", DisplayText(text).c_str());
  gtk_window_set_title(GTK_WINDOW(box), DisplayText(title).c_str());
  gtk_window_set_position(GTK_WINDOW(box), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(box), GTK_RESPONSE_OK);
  return box;
}

GtkWidget* NewFileChooserWindow(const FileChooserRequest& request) {
  GtkWidget* dialog = gtk_file_chooser_dialog_new(
      DisplayText(request.title).c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
      g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL,
      g_dgettext("gtk30", "_Open"), GTK_RESPONSE_ACCEPT, nullptr);
  gtk_window_set_modal(GTK_WINDOW(dialog), TRUE);
  gtk_window_set_position(GTK_WINDOW(dialog), GTK_WIN_POS_CENTER);
  gtk_dialog_set_default_response(GTK_DIALOG(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = GTK_FILE_CHOOSER(dialog);
  gtk_file_chooser_set_select_multiple(chooser, FALSE);
  gtk_file_chooser_set_local_only(chooser, TRUE);
  // Start in the working directory, where a stage file given by name would
  // be looked for, rather than in the recent files.
  GChars here(g_get_current_dir());
  gtk_file_chooser_set_current_folder(chooser, here.get());
  gtk_window_set_default_size(GTK_WINDOW(dialog), 760, 520);

  GtkFileFilter* filter = gtk_file_filter_new();
  gtk_file_filter_set_name(filter, DisplayText(request.filter_name).c_str());
  std::string pattern = DisplayText(request.filter_pattern);
  char* folded = g_utf8_casefold(pattern.c_str(), -1);
  gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, MatchesIgnoringCase,
                             folded, g_free);
  gtk_file_chooser_add_filter(chooser, filter);  // takes the floating reference
  gtk_file_chooser_set_filter(chooser, filter);
  return dialog;
}

std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes() {
  return std::make_unique<DesktopMessageBoxes>();
}

std::unique_ptr<FileChooser> MakeSystemFileChooser() {
  return std::make_unique<DesktopFileChooser>();
}

}  // namespace quarnel
