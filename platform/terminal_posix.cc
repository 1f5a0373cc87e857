#include "platform/terminal.h"

#include <unistd.h>

namespace quarnel {

bool StandardErrorIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace quarnel
