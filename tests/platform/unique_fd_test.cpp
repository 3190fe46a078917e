#include "platform/unique_fd.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <utility>

namespace {

bool IsOpen(int fd) {
  return fcntl(fd, F_GETFD) != -1;
}

TEST(UniqueFd, ClosesOnceAndHandsOwnershipOn) {
  int raw = open("/dev/null", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(raw, 0);
  {
    platform::UniqueFd first(raw);
    EXPECT_TRUE(first);
    platform::UniqueFd second(std::move(first));
    EXPECT_FALSE(first.valid());
    EXPECT_EQ(first.get(), -1);
    EXPECT_EQ(second.get(), raw);
    platform::UniqueFd third;
    EXPECT_FALSE(third);
    third = std::move(second);
    EXPECT_EQ(third.get(), raw);
    EXPECT_TRUE(IsOpen(raw));
  }
  EXPECT_FALSE(IsOpen(raw));

  raw = open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int other = open("/dev/null", O_RDONLY | O_CLOEXEC);
  {
    platform::UniqueFd owner(raw);
    owner.reset(other);  // closes the first, owns the second
    EXPECT_FALSE(IsOpen(raw));
    EXPECT_EQ(owner.release(), other);
    EXPECT_FALSE(owner);
  }
  EXPECT_TRUE(IsOpen(other));  // released: the caller's to close
  platform::UniqueFd(other).reset();
  EXPECT_FALSE(IsOpen(other));
}

}  // namespace
