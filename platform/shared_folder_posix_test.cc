#include "platform/shared_folder_posix.h"

#include <gtest/gtest.h>

namespace quarnel {
namespace {

constexpr uid_t kRunner = 1000, kOther = 1001, kRoot = 0;

TEST(SharedFolder, FollowsOnlyTrustedLinksInAStickyFolderAnyoneMayWrite) {
  struct Case { uid_t link_owner, folder_owner; mode_t folder_mode; bool follow; };
  const Case cases[] = {
      {kOther, kRoot, 01777, false},     // planted in /tmp by another user
      {kRunner, kRoot, 01777, true},     // the runner's own link
      {kRoot, kRoot, 01777, true},       // the folder owner's link
      {kOther, kOther, 01777, true},     // a shared folder of the other user
      {kOther, kRoot, 01773, false},     // others may write, not read: still shared
      {kOther, kRoot, 0777, true},       // no sticky bit: an ordinary folder
      {kOther, kRoot, 01775, true},      // sticky, but others may not write
      {kOther, kRunner, 01777, false},   // the runner's folder, another's link
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    const Case& c = cases[i];
    EXPECT_EQ(MayFollowLink(c.link_owner, c.folder_owner, S_IFDIR | c.folder_mode, kRunner),
              c.follow);
  }
}

TEST(SharedFolder, WritesOnlyPagesOfOneNameInAStickyFolderAnyoneMayWrite) {
  struct Case { nlink_t links; mode_t folder_mode; bool write; };
  const Case cases[] = {
      {1, 01777, true}, {2, 01777, false}, {2, 0777, true}, {3, 0755, true}, {2, 01733, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(testing::Message() << "case " << i);
    EXPECT_EQ(MayWritePage(cases[i].links, S_IFDIR | cases[i].folder_mode), cases[i].write);
  }
}

}  // namespace
}  // namespace quarnel
