// Corrupted copies of the built quandel.gau, each broken in one place: the
// bench refuses each with its own exact message, and gaugebench inspect says
// the same on one line without crashing.
#include <gtest/gtest.h>
#include <gmock/gmock.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include "cli/app.h"
#include "module_corruptions.h"

namespace {

using corruption::Case;
using corruption::Stage;

const std::vector<Case>& cases() {
  static const std::vector<Case> all = [] {
    std::ifstream in(QUANDEL_GAU_PATH, std::ios::binary);
    std::vector<uint8_t> module((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto made = corruption::corruptedCopies(module);
    if (!made) {
      ADD_FAILURE() << made.error().message;
      return std::vector<Case>{};
    }
    return std::move(*made);
  }();
  return all;
}

TEST(MalformedModule, EachCopyGivesItsOwnExactError) {
  ASSERT_FALSE(cases().empty());
  std::set<std::string> messages;
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(corruption::benchError(c), c.error);
    messages.insert(c.error);
  }
  EXPECT_EQ(messages.size(), cases().size()) << "two corruptions share a message";
}

// The bench as a user runs it: one error line and a failure status, or, for
// the version block (which inspect only lists), the error in the listing.
TEST(MalformedModule, InspectReportsEachOnOneLine) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("gaugebench-malformed-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const Case& c : cases()) {
    SCOPED_TRACE(c.name);
    const std::string path = (dir / (c.name + ".gau")).string();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(c.bytes.data()), c.bytes.size());
    std::ostringstream out, err;
    const int status = gb::cli::run({"inspect", path}, out, err);
    const std::string errors = err.str();
    switch (c.stage) {
      case Stage::Parse:
        EXPECT_EQ(status, 1);
        EXPECT_EQ(errors, "gaugebench: " + path + ": " + c.error + "\n");
        break;
      case Stage::Bitmap:
        // Met when GaugeInstall's ElementListInstall loads the picture.
        EXPECT_EQ(status, 1);
        EXPECT_THAT(errors, testing::StartsWith("gaugebench: " + path + ": GaugeInstall: service "
                                                   "ElementListInstall: "));
        EXPECT_THAT(errors, testing::HasSubstr(": " + c.error + " (called from "));
        EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
        break;
      case Stage::VersionBlock:
        EXPECT_EQ(status, 0) << errors;
        EXPECT_THAT(out.str(), testing::HasSubstr("    error: " + c.error + "\n"));
        break;
    }
  }
  std::filesystem::remove_all(dir);
}

}  // namespace
