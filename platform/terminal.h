#ifndef QUARNEL_PLATFORM_TERMINAL_H_
#define QUARNEL_PLATFORM_TERMINAL_H_

namespace quarnel {

/// Whether standard error is a terminal, where a line that is rewritten in
/// place (a progress line) reads as meant; through a pipe or into a file
/// it would only add noise.
bool StandardErrorIsTerminal();

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_TERMINAL_H_
