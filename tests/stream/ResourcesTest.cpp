#include <gtest/gtest.h>

#include "shell/core/Exceptions.h"
#include "shell/stream/Resources.h"
#include "shell/stream/Stream.h"

namespace {

std::vector<uint8_t> Bytes(std::span<const uint8_t> S) { return {S.begin(), S.end()}; }

TEST(Resources, FoundByNameAndTypeIgnoringCase) {
  static const uint8_t BuiltIn[] = {1, 2, 3};
  RegisterResource("TESTBUILTIN", RT_RCDATA, BuiltIn, sizeof BuiltIn);
  auto Found = FindResource("TestBuiltIn", "rcdata");
  ASSERT_TRUE(Found);
  EXPECT_EQ(Found->data(), BuiltIn);
  EXPECT_EQ(Found->size(), 3u);
  EXPECT_FALSE(FindResource("TestBuiltIn", "ICON"));
  EXPECT_FALSE(FindResource("NoSuchResource", RT_RCDATA));
}

TEST(Resources, RunTimeResourcesReplaceAndRestore) {
  static const uint8_t BuiltIn[] = {9};
  RegisterResource("TFORMX", RT_RCDATA, BuiltIn, sizeof BuiltIn);
  SetResource("tformx", RT_RCDATA, {4, 5});
  EXPECT_EQ(Bytes(*FindResource("TFORMX", RT_RCDATA)), (std::vector<uint8_t>{4, 5}));
  SetResource("TFormX", RT_RCDATA, {6});
  EXPECT_EQ(Bytes(*FindResource("TFORMX", RT_RCDATA)), std::vector<uint8_t>{6});
  EXPECT_TRUE(RemoveResource("TFORMX", RT_RCDATA));
  EXPECT_EQ(Bytes(*FindResource("TFORMX", RT_RCDATA)), std::vector<uint8_t>{9});
  EXPECT_FALSE(RemoveResource("TFORMX", RT_RCDATA));
}

TEST(Streams, ReadingPastTheEndIsAReadErrorAndReadsNothingOutside) {
  const uint8_t Data[] = {1, 2, 3, 4};
  TBufferStream Stream(Data, 3);  // the fourth byte is not the stream's
  uint8_t Out[4] = {0, 0, 0, 0};
  EXPECT_EQ(Stream.Read(Out, 2), 2u);
  try {
    Stream.ReadBuffer(Out, 2);
    FAIL();
  } catch (const EReadError& E) {
    EXPECT_EQ(E.Message(), "Stream read error");
  }
  EXPECT_EQ(Out[0], 3);  // what there was, and nothing beyond
  EXPECT_EQ(Out[1], 2);
  EXPECT_EQ(Stream.Seek(10, TStream::soBeginning), 3);
  EXPECT_EQ(Stream.Seek(-10, TStream::soCurrent), 0);
}

TEST(Streams, ByteStreamsGrowOnWrite) {
  TBytesStream Stream;
  Stream.WriteBuffer("abc", 3);
  Stream.SetPosition(1);
  Stream.WriteBuffer("XYZ", 3);
  EXPECT_EQ(Stream.Bytes(), (std::vector<uint8_t>{'a', 'X', 'Y', 'Z'}));
  Stream.SetPosition(0);
  char Out[4];
  Stream.ReadBuffer(Out, 4);
  EXPECT_EQ(std::string(Out, 4), "aXYZ");
  EXPECT_THROW(Stream.ReadBuffer(Out, 1), EReadError);
}

}  // namespace
