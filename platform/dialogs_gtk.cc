// Message boxes and the open-file dialog as GTK 3 windows, for a program
// started from a desktop. From a terminal, where no display can be opened,
// or where GTK is not installed, the console's lines stand in for them.
#include "platform/dialogs_gtk.h"

#include <dlfcn.h>
#include <unistd.h>

#include <memory>

#include "platform/message_box.h"
#include "platform/utf8.h"

namespace quarnel {
namespace {

// The GTK and GLib calls the windows make. The program does not link GTK:
// loading it and the seventy libraries it needs takes 20 ms, more than a
// short page's whole conversion, and most runs show no window. The library
// is opened at the first window wanted instead.
// clang-format off
#define QUARNEL_GTK_CALLS(X)                                                          \
  X(g_dgettext) X(g_free) X(g_get_current_dir) X(g_pattern_match_simple)              \
  X(g_utf8_casefold) X(g_utf8_make_valid) X(gtk_dialog_run)                           \
  X(gtk_dialog_set_default_response) X(gtk_events_pending)                            \
  X(gtk_file_chooser_add_filter) X(gtk_file_chooser_dialog_new)                       \
  X(gtk_file_chooser_get_filename) X(gtk_file_chooser_set_current_folder)             \
  X(gtk_file_chooser_set_filter) X(gtk_file_chooser_set_local_only)                   \
  X(gtk_file_chooser_set_select_multiple) X(gtk_file_filter_add_custom)               \
  X(gtk_file_filter_new) X(gtk_file_filter_set_name) X(gtk_init_check)                \
  X(gtk_main_iteration) X(gtk_message_dialog_new) X(gtk_widget_destroy)               \
  X(gtk_window_set_default_size) X(gtk_window_set_modal) X(gtk_window_set_position)   \
  X(gtk_window_set_title)
// clang-format on

struct GtkCalls {
#define QUARNEL_DECLARE(name) decltype(&::name) name;
  QUARNEL_GTK_CALLS(QUARNEL_DECLARE)
#undef QUARNEL_DECLARE
};

// The calls, or null when GTK 3 cannot be loaded. Once loaded, the library
// stays for the rest of the run.
const GtkCalls* LoadGtk() {
  static const GtkCalls* const calls = []() -> const GtkCalls* {
    void* library = dlopen("libgtk-3.so.0", RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) return nullptr;
    static GtkCalls loaded;
    bool found = true;
#define QUARNEL_RESOLVE(name)                                               \
  loaded.name = reinterpret_cast<decltype(&::name)>(dlsym(library, #name)); \
  found = found && loaded.name != nullptr;
    QUARNEL_GTK_CALLS(QUARNEL_RESOLVE)
#undef QUARNEL_RESOLVE
    return found ? &loaded : nullptr;
  }();
  return calls;
}

// For a window's code, which runs only once LoadGtk has succeeded.
const GtkCalls& Gtk() { return *LoadGtk(); }

// Whether windows can be shown. GTK starts on the first window wanted, not
// before, so a run that shows nothing pays nothing for it; a terminal on
// standard input keeps the console, whatever the display.
bool DesktopReady() {
  static const bool ready = [] {
    if (isatty(STDIN_FILENO)) return false;
    const GtkCalls* gtk = LoadGtk();
    return gtk != nullptr && gtk->gtk_init_check(nullptr, nullptr) == TRUE;
  }();
  return ready;
}

// Handles what GTK queued, so a closed window is gone from the screen
// before the program goes on.
void FlushEvents() {
  while (Gtk().gtk_events_pending()) Gtk().gtk_main_iteration();
}

struct WindowCloser {
  void operator()(GtkWidget* window) const {
    Gtk().gtk_widget_destroy(window);
    FlushEvents();
  }
};
using Window = std::unique_ptr<GtkWidget, WindowCloser>;

struct GFreer {
  void operator()(void* memory) const { Gtk().g_free(memory); }
};
using GChars = std::unique_ptr<char, GFreer>;

// Text for a label or a title: GTK takes only valid UTF-8, and a file name
// may hold bytes that are not.
std::string DisplayText(std::u16string_view text) {
  std::string bytes = EncodeUtf8(text);
  GChars valid(Gtk().g_utf8_make_valid(bytes.data(), static_cast<gssize>(bytes.size())));
  return valid.get();
}

gboolean MatchesIgnoringCase(const GtkFileFilterInfo* info, gpointer pattern) {
  if (info->display_name == nullptr) return FALSE;
  GChars name(Gtk().g_utf8_casefold(info->display_name, -1));
  return Gtk().g_pattern_match_simple(static_cast<const char*>(pattern), name.get());
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
    Gtk().gtk_dialog_run(reinterpret_cast<GtkDialog*>(box.get()));
  }

 private:
  std::unique_ptr<MessageBoxService> console_ = MakeConsoleMessageBoxes();
};

class DesktopFileChooser final : public FileChooser {
 public:
  FileChoice Choose(const FileChooserRequest& request) override {
    if (!DesktopReady()) return console_->Choose(request);
    Window dialog(NewFileChooserWindow(request));
    if (Gtk().gtk_dialog_run(reinterpret_cast<GtkDialog*>(dialog.get())) != GTK_RESPONSE_ACCEPT) {
      return {FileChoice::Status::Cancelled, {}, {}};
    }
    GChars path(
        Gtk().gtk_file_chooser_get_filename(reinterpret_cast<GtkFileChooser*>(dialog.get())));
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
  const GtkCalls& gtk = Gtk();
  GtkWidget* box = gtk.gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_OTHER,
                                              GTK_BUTTONS_OK, "%s", DisplayText(text).c_str());
  gtk.gtk_window_set_title(reinterpret_cast<GtkWindow*>(box), DisplayText(title).c_str());
  gtk.gtk_window_set_position(reinterpret_cast<GtkWindow*>(box), GTK_WIN_POS_CENTER);
  gtk.gtk_dialog_set_default_response(reinterpret_cast<GtkDialog*>(box), GTK_RESPONSE_OK);
  return box;
}

GtkWidget* NewFileChooserWindow(const FileChooserRequest& request) {
  const GtkCalls& gtk = Gtk();
  GtkWidget* dialog = gtk.gtk_file_chooser_dialog_new(
      DisplayText(request.title).c_str(), nullptr, GTK_FILE_CHOOSER_ACTION_OPEN,
      gtk.g_dgettext("gtk30", "_Cancel"), GTK_RESPONSE_CANCEL, gtk.g_dgettext("gtk30", "_Open"),
      GTK_RESPONSE_ACCEPT, nullptr);
  gtk.gtk_window_set_modal(reinterpret_cast<GtkWindow*>(dialog), TRUE);
  gtk.gtk_window_set_position(reinterpret_cast<GtkWindow*>(dialog), GTK_WIN_POS_CENTER);
  gtk.gtk_dialog_set_default_response(reinterpret_cast<GtkDialog*>(dialog), GTK_RESPONSE_ACCEPT);
  GtkFileChooser* chooser = reinterpret_cast<GtkFileChooser*>(dialog);
  gtk.gtk_file_chooser_set_select_multiple(chooser, FALSE);
  gtk.gtk_file_chooser_set_local_only(chooser, TRUE);
  // Start in the working directory, where a stage file given by name would
  // be looked for, rather than in the recent files.
  GChars here(gtk.g_get_current_dir());
  gtk.gtk_file_chooser_set_current_folder(chooser, here.get());
  gtk.gtk_window_set_default_size(reinterpret_cast<GtkWindow*>(dialog), 760, 520);

  GtkFileFilter* filter = gtk.gtk_file_filter_new();
  gtk.gtk_file_filter_set_name(filter, DisplayText(request.filter_name).c_str());
  std::string pattern = DisplayText(request.filter_pattern);
  char* folded = gtk.g_utf8_casefold(pattern.c_str(), -1);
  gtk.gtk_file_filter_add_custom(filter, GTK_FILE_FILTER_DISPLAY_NAME, MatchesIgnoringCase, folded,
                                 gtk.g_free);
  gtk.gtk_file_chooser_add_filter(chooser,
                                  filter);  // takes the floating reference
  gtk.gtk_file_chooser_set_filter(chooser, filter);
  return dialog;
}

std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes() {
  return std::make_unique<DesktopMessageBoxes>();
}

std::unique_ptr<FileChooser> MakeSystemFileChooser() {
  return std::make_unique<DesktopFileChooser>();
}

}  // namespace quarnel
