// What `inspect` shows of the module's resources, and the PNG files it writes.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "module_resources.h"
#include "resources/resource_listing.h"

namespace {

TEST(ResourceListing, ListsEachResourceWithItsHeaderOrStrings) {
  const gb::pe::PeFile* file = module_resources::builtModule();
  ASSERT_NE(file, nullptr);
  const std::string text = gb::res::describeResources(*file);
  for (const char* line : {
           "resources: 6\n",
           "  RT_BITMAP 0x2000 language 1033 size 12080\n"
           "    71 x 153, 8 bits, planes 1, compression 0, stride 72, biSizeImage 11016\n"
           "    pels per metre 3790 x 3780, colours used 0, important 0, table 256 entries, rows at 1064\n",
           "  RT_BITMAP 0x4503 language 1033 size 11620\n",
           "    file version 1.0.0.0, product version 1.0.0.0\n",
           "    flags 0x0 (mask 0x3f), OS 0x10004, type 1, subtype 0, date 0x0\n",
           "    string table 040904b0\n      CompanyName: \"Your Company\"\n",
           "      FileDescription: \"Flight Simulator 98 Gauge\"\n",
           "    translation language 0x0409, code page 0x04b0\n",
       })
    EXPECT_NE(text.find(line), std::string::npos) << "missing:\n" << line << "\nin:\n" << text;
  EXPECT_EQ(text.find("error"), std::string::npos) << text;
}

TEST(ResourceListing, WritesEachBitmapAsPngAndNamesAPathItCannotWrite) {
  const gb::pe::PeFile* file = module_resources::builtModule();
  ASSERT_NE(file, nullptr);
  const auto dir = std::filesystem::temp_directory_path() / ("gaugebench-pngs-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  gb::Status written = gb::res::writeBitmapPngs(*file, dir.string(), 2);
  ASSERT_TRUE(written.ok()) << written.error().message;
  for (const char* name : {"bitmap-0x1000.png", "bitmap-0x2000.png", "bitmap-0x4000.png", "bitmap-0x4500.png",
                           "bitmap-0x4503.png"}) {
    std::ifstream png(dir / name, std::ios::binary);
    char signature[8] = {};
    png.read(signature, 8);
    EXPECT_EQ(std::string(signature + 1, 3), "PNG") << name;
  }
  std::filesystem::remove_all(dir);

  gb::Status failed = gb::res::writeBitmapPngs(*file, "/nonexistent-dir");
  ASSERT_FALSE(failed.ok());
  EXPECT_EQ(failed.error().message, "/nonexistent-dir/bitmap-0x1000.png: cannot open: No such file or directory");
}

}  // namespace
