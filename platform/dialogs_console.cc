// A build without GTK: the console's lines are the only dialogs.
#include "platform/file_chooser.h"
#include "platform/message_box.h"

namespace quarnel {

std::unique_ptr<MessageBoxService> MakeSystemMessageBoxes() {
  return MakeConsoleMessageBoxes();
}

std::unique_ptr<FileChooser> MakeSystemFileChooser() {
  return MakeConsoleFileChooser();
}

}  // namespace quarnel
