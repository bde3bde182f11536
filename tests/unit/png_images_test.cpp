#include <gtest/gtest.h>

#include "tests/fake/FakeGui.h"
#include "tests/support/SkinFixtures.h"
#include "ui/PngImages.h"

namespace {

using kv::fake::FakeGui;

TEST(PngImages, DecodedOnceAndKept) {
  kv::test::ScopedPngResources images({{304, kv::test::PngHeader(256, 110)}});
  FakeGui gui;
  const kv::platform::Image* first = kv::ui::LoadPngImage(gui, 304);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first->GetSize(), (kv::platform::Size{256, 110}));
  EXPECT_EQ(kv::ui::LoadPngImage(gui, 304), first);
  EXPECT_EQ(gui.decodePngCalls, 1);
}

TEST(PngImages, AbsentOrBrokenResourcesGiveNothing) {
  kv::test::ScopedPngResources images(
      {{400, {1, 2, 3, 4}}, {401, {}}, {402, kv::test::PngHeader(0, 5)}});
  FakeGui gui;
  for (int id : {399, 400, 401, 402}) {
    EXPECT_EQ(kv::ui::LoadPngImage(gui, id), nullptr) << id;
    kv::ui::CGdiPlusBitmapResource holder;
    EXPECT_FALSE(holder.LoadPng(gui, id)) << id;
    EXPECT_EQ(holder.Get(), nullptr) << id;
  }
}

TEST(PngImages, BitmapHolderLoadsClearsAndReloads) {
  kv::test::ScopedPngResources images(
      {{314, kv::test::PngHeader(82, 34)}, {316, kv::test::PngHeader(9, 9)}});
  FakeGui gui;
  kv::ui::CGdiPlusBitmapResource holder;
  ASSERT_TRUE(holder.LoadPng(gui, 314));
  EXPECT_EQ(holder.Get()->GetSize(), (kv::platform::Size{82, 34}));
  ASSERT_TRUE(holder.LoadPng(gui, 316));
  EXPECT_EQ(holder.Get()->GetSize(), (kv::platform::Size{9, 9}));
  EXPECT_FALSE(holder.LoadPng(gui, 999));
  EXPECT_EQ(holder.Get(), nullptr) << "a failed load leaves the holder empty";
  ASSERT_TRUE(holder.LoadPng(gui, 314));
  holder.Clear();
  EXPECT_EQ(holder.Get(), nullptr);
}

}  // namespace
