#include "gfx/zip_writer.h"

#include <gtest/gtest.h>
#include <unzip.h>

#include "gfx/bmp.h"
#include "tests/testing/process.h"
#include "tests/testing/temp_device.h"

namespace {

using namespace lv;

struct Entry {
  std::string name;
  unsigned long method, internal, external, size;
  std::string comment;
};

// Lists an archive with the compression library's own reader.
std::vector<Entry> list_zip(const std::filesystem::path& file, std::string* archive_comment) {
  std::vector<Entry> entries;
  unzFile z = unzOpen64(file.c_str());
  if (!z) return entries;
  char comment[256] = {};
  unzGetGlobalComment(z, comment, sizeof comment);
  *archive_comment = comment;
  for (int rc = unzGoToFirstFile(z); rc == UNZ_OK; rc = unzGoToNextFile(z)) {
    unz_file_info64 info;
    char name[256] = {}, entry_comment[256] = {};
    unzGetCurrentFileInfo64(z, &info, name, sizeof name, nullptr, 0, entry_comment, sizeof entry_comment);
    entries.push_back({name, info.compression_method, info.internal_fa, info.external_fa,
                       static_cast<unsigned long>(info.uncompressed_size), entry_comment});
  }
  unzClose(z);
  return entries;
}

class ZipWriterTest : public testing_support::DeviceTest {};

TEST_F(ZipWriterTest, WritesDirectoriesOnceOutermostFirstAndDeflatedEntries) {
  auto frame = MemoryBitmap::create({5, 3});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) frame->set(x, y, static_cast<Pixel>(x * 1000 + y));
  {
    ZipWriter zip(u"\\Temp\\Lumivale.zip");
    ASSERT_TRUE(zip.is_open());
    ASSERT_TRUE(zip.add_file(u"00000.bmp"));
    EXPECT_TRUE(write_bmp(*frame, zip));
    ASSERT_TRUE(zip.add_file(u"shots\\day 1\\00001.bmp"));
    EXPECT_TRUE(write_bmp(*frame, zip));
    ASSERT_TRUE(zip.add_file(u"shots/day 2\\a.bmp"));
    ASSERT_TRUE(zip.add_file(u"shots\\day 1\\b.bmp"));
    // Binary data: for text the compression library marks the entry as text.
    EXPECT_EQ(zip.write("\x01\x00\xFF", 3), 3u);
  }
  const auto host = device_.host(u"\\Temp\\Lumivale.zip");
  std::string comment;
  const std::vector<Entry> entries = list_zip(host, &comment);
  EXPECT_EQ(comment, "no comment");
  std::vector<std::string> names;
  for (const Entry& e : entries) names.push_back(e.name);
  EXPECT_EQ(names, (std::vector<std::string>{"00000.bmp", "shots/", "shots/day 1/", "shots/day 1/00001.bmp",
                                             "shots/day 2/", "shots/day 2/a.bmp", "shots/day 1/b.bmp"}));
  for (const Entry& e : entries) {
    EXPECT_EQ(e.method, 8u) << e.name;
    EXPECT_EQ(e.internal, 2u) << e.name;
    EXPECT_EQ(e.external, 0u) << e.name;
    EXPECT_EQ(e.comment, "no comment") << e.name;
  }
  ASSERT_EQ(entries.size(), 7u);
  EXPECT_EQ(entries[0].size, 70u + 3u * 12u);
  EXPECT_EQ(entries[1].size, 0u);
  EXPECT_EQ(entries[6].size, 3u);

  const auto test = testing_support::run_process({"/usr/bin/unzip", "-t", host.string()});
  EXPECT_EQ(test.exit_code, 0) << test.out << test.err;
  EXPECT_NE(test.out.find("No errors detected"), std::string::npos) << test.out;
}

TEST_F(ZipWriterTest, WithoutAnArchiveEverythingFails) {
  ZipWriter zip(u"\\No Such Folder\\x.zip");
  EXPECT_FALSE(zip.is_open());
  EXPECT_FALSE(zip.add_file(u"00000.bmp"));
  EXPECT_EQ(zip.write("a", 1), 0u);
  ZipWriter open(u"\\Temp\\y.zip");
  EXPECT_EQ(open.write("a", 1), 0u);  // no entry open yet
}

}  // namespace
