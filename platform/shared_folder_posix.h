#ifndef QUARNEL_PLATFORM_SHARED_FOLDER_POSIX_H_
#define QUARNEL_PLATFORM_SHARED_FOLDER_POSIX_H_

#include <sys/stat.h>
#include <sys/types.h>

namespace quarnel {

/// True for a folder anyone may write that has the sticky bit, as /tmp
/// has: its users may plant names there for each other.
constexpr bool IsSharedFolder(mode_t folder_mode) {
  return (folder_mode & (S_ISVTX | S_IWOTH)) == (S_ISVTX | S_IWOTH);
}

/// Whether the page write, run by `runner`, follows a symbolic link owned
/// by `link_owner` in a folder of `folder_owner` and `folder_mode`: in a
/// shared folder only the runner's own links and those of the folder's
/// owner, as the kernel's protected-symlinks rule has it; elsewhere every
/// link.
constexpr bool MayFollowLink(uid_t link_owner, uid_t folder_owner, mode_t folder_mode,
                             uid_t runner) {
  return !IsSharedFolder(folder_mode) || link_owner == runner || link_owner == folder_owner;
}

/// Whether an existing page with `links` hard links may be written in a
/// folder of `folder_mode`: in a shared folder, where another user may have
/// linked one of the runner's files to the page's name, only a page with
/// one name.
constexpr bool MayWritePage(nlink_t links, mode_t folder_mode) {
  return !IsSharedFolder(folder_mode) || links <= 1;
}

}  // namespace quarnel

#endif  // QUARNEL_PLATFORM_SHARED_FOLDER_POSIX_H_
