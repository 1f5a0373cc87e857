#ifndef QUARNEL_INPUT_LOAD_STATUS_H_
#define QUARNEL_INPUT_LOAD_STATUS_H_

namespace quarnel {

/// How loading an input file ended. `NotFound`: no ordinary file at the
/// path, nothing was read. `Failed`: the file exists but cannot be used; the
/// accompanying FileError says why.
enum class LoadStatus { Loaded, NotFound, Failed };

}  // namespace quarnel

#endif  // QUARNEL_INPUT_LOAD_STATUS_H_
