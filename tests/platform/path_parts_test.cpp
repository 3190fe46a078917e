#include <gtest/gtest.h>

#include "platform/file_layer.h"

namespace {

using platform::FileNameOf;
using platform::FolderOf;
using platform::TextObject;

std::string Folder(const char* path) {
  TextObject source(path);
  TextObject target("stale");
  FolderOf(target, source);
  return std::string(target.view());
}

std::string Name(const char* path) {
  TextObject target("stale");
  FileNameOf(target, path);
  return std::string(target.view());
}

TEST(IsSeparator, BothSlashes) {
  EXPECT_TRUE(platform::IsSeparator('/'));
  EXPECT_TRUE(platform::IsSeparator('\\'));
  EXPECT_FALSE(platform::IsSeparator(':'));
  EXPECT_FALSE(platform::IsSeparator('a'));
}

TEST(FolderOf, RootKeepsItsSeparator) {
  EXPECT_EQ(Folder("/a.txt"), "/");
  EXPECT_EQ(Folder("/"), "/");
}

TEST(FolderOf, DeeperFoldersLoseTheTrailingSeparator) {
  EXPECT_EQ(Folder("/one/two/a.txt"), "/one/two");
  EXPECT_EQ(Folder("/one/two/"), "/one/two");
  EXPECT_EQ(Folder("one/a.txt"), "one");
  EXPECT_EQ(Folder("x/a"), "x");
  EXPECT_EQ(Folder("one\\two\\a.txt"), "one\\two");
  EXPECT_EQ(Folder("one/two\\a.txt"), "one/two");
}

TEST(FolderOf, BareNameHasNoFolder) {
  EXPECT_EQ(Folder("a.txt"), "");
  EXPECT_EQ(Folder(""), "");
}

TEST(FileNameOf, NameWithExtension) {
  EXPECT_EQ(Name("/one/two/a.tar.gz"), "a.tar.gz");
  EXPECT_EQ(Name("a.txt"), "a.txt");
  EXPECT_EQ(Name("one\\two\\b.tpf"), "b.tpf");
  EXPECT_EQ(Name("/one/two/"), "");
  EXPECT_EQ(Name(""), "");
  EXPECT_EQ(Name(nullptr), "");
}

}  // namespace
