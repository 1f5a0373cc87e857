#ifndef QUARNEL_PLATFORM_DIALOGS_GTK_H_
#define QUARNEL_PLATFORM_DIALOGS_GTK_H_

#include <gtk/gtk.h>

#include <string>

#include "platform/file_chooser.h"

namespace quarnel {

/// The GTK backend's windows, built but not yet run, so that their tests can
/// look at them; the caller destroys them. GTK must be initialised.

/// A modal message box with no parent, no icon and one OK button.
GtkWidget* NewMessageBoxWindow(const std::u16string& text, const std::u16string& title);

/// A modal open-file dialog with no parent that accepts one existing file and
/// offers the request's single filter; the pattern ignores letter case, as
/// "*.dat" does on Windows.
GtkWidget* NewFileChooserWindow(const FileChooserRequest& request);

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_DIALOGS_GTK_H_
