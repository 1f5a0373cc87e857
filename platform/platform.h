#ifndef QUARNEL_PLATFORM_PLATFORM_H_
#define QUARNEL_PLATFORM_PLATFORM_H_

#include "platform/code_page.h"
#include "platform/file_chooser.h"
#include "platform/file_system.h"
#include "platform/message_box.h"
#include "platform/process_info.h"

namespace quarnel {

/// The services of the operating system that one run uses.
struct Platform {
  MessageBoxService& boxes;
  FileChooser& chooser;
  ProcessInfo& process;
  FileSystem& files;
  CodePage& code_page;
};

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_PLATFORM_H_
