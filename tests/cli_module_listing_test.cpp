// gaugebench inspect: what it prints of the real module, and the one-line
// errors for files that are not gauge modules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "cli/app.h"
#include "pe_builder.h"

namespace {

struct CliRun {
  int status;
  std::string out, err;
};

CliRun gaugebench(std::vector<std::string> args) {
  std::ostringstream out, err;
  int status = gb::cli::run(args, out, err);
  return {status, out.str(), err.str()};
}

class TempDir {
 public:
  TempDir() {
    path_ = std::filesystem::temp_directory_path() /
            ("gaugebench-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const {
    std::string file = (path_ / name).string();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return file;
  }

 private:
  static inline int counter_ = 0;
  std::filesystem::path path_;
};

std::vector<uint8_t> dllWithCode() {
  pe_test::PeBuilder builder;
  builder.sections.push_back({".text", 0x1000, 1, {0xC3}, pe_test::kCode});
  return builder.build();
}

TEST(CliInspect, ShowsTheRecordsOfTheModule) {
  CliRun run = gaugebench({"inspect", QUANDEL_GAU_PATH});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* expected :
       {"exports of \"quandel.gau\" (ordinal base 1):", "  1  ImportTable  rva", "  2  Linkage  rva",
        "  linkageId     19", "  formatNumber  610", "\"Marvik Talmerend  by Y Pellam\"",
        "  host fields   0 100 0 0 0 0 0 0 0 0 0 0", "element chain (4 elements, drawing order):",
        "resourceId 0x4500  x 0  y 0  imageFlags 0x3", "token 318  callback null  min 16384  max -16384",
        "token 326  callback quandel.gau+0x", "scale 0.002155", "(key 2, action 0)",
        "  0  Parent          0    0      0      0     -1  42023  0x00000000",
        "  3  Child           0  172     38     85      2      0  0x20000000"})
    EXPECT_NE(run.out.find(expected), std::string::npos) << expected;
}

TEST(CliInspect, JsonCarriesTheSameRecords) {
  CliRun run = gaugebench({"inspect", "--json", QUANDEL_GAU_PATH});
  ASSERT_EQ(run.status, 0) << run.err;
  auto j = nlohmann::json::parse(run.out);
  EXPECT_EQ(j["exports"]["dllName"], "quandel.gau");
  EXPECT_EQ(j["linkage"]["linkageId"], 19);
  EXPECT_EQ(j["gaugeHeader"]["name"], "Marvik Talmerend  by Y Pellam");
  ASSERT_EQ(j["elements"].size(), 4u);
  EXPECT_EQ(j["elements"][1]["yAxis"]["min"], 16384.0);
  EXPECT_EQ(j["elements"][2]["yAxis"]["scale"], 0.002155);
  ASSERT_EQ(j["mouseAreas"]["records"].size(), 6u);
  EXPECT_EQ(j["mouseAreas"]["records"][2]["y"], 86);
  EXPECT_EQ(j["installCalls"][2]["service"], "MouseListInstall");
}

TEST(CliInspect, RefusesWhatIsNotAGaugeModule) {
  TempDir dir;
  auto pe32plus = [] {
    pe_test::PeBuilder b;
    b.optionalMagic = 0x20B;
    b.sections.push_back({".text", 0x1000, 1, {0xC3}, pe_test::kCode});
    return b.build();
  }();
  auto arm = [] {
    pe_test::PeBuilder b;
    b.machine = 0x1C0;
    b.sections.push_back({".text", 0x1000, 1, {0xC3}, pe_test::kCode});
    return b.build();
  }();
  struct Case {
    std::string path;
    std::string expected;
  };
  const std::string missing = dir.write("placeholder", {}) + ".missing";
  const Case cases[] = {
      {missing, "gaugebench: " + missing + ": cannot open: No such file or directory\n"},
      {dir.write("notes.txt", {'h', 'e', 'l', 'l', 'o'}), ""},
      {dir.write("wide.dll", pe32plus), ""},
      {dir.write("arm.dll", arm), ""},
      {dir.write("plain.dll", dllWithCode()), ""},
  };
  const char* expectedTails[] = {
      nullptr,
      "notes.txt: DOS header: not an MZ file (",
      "wide.dll: optional header: magic 0x20b at offset 0x98 marks a 64-bit (PE32+) image; only PE32 is supported\n",
      "arm.dll: PE header: machine 0x1c0 at offset 0x84 is not i386 (0x14c)\n",
      "plain.dll: the DLL exports neither ImportTable nor Linkage\n",
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(cases[i].path);
    CliRun run = gaugebench({"inspect", cases[i].path});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    if (!cases[i].expected.empty())
      EXPECT_EQ(run.err, cases[i].expected);
    else
      EXPECT_NE(run.err.find(expectedTails[i]), std::string::npos) << run.err;
  }
}

TEST(CliInspect, UsageErrorsAndHelp) {
  CliRun none = gaugebench({});
  EXPECT_EQ(none.status, 2);
  EXPECT_NE(none.err.find("gaugebench: A subcommand is required"), std::string::npos) << none.err;
  CliRun unknown = gaugebench({"inspect"});
  EXPECT_EQ(unknown.status, 2);
  EXPECT_NE(unknown.err.find("FILE is required"), std::string::npos) << unknown.err;
  CliRun help = gaugebench({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("inspect"), std::string::npos);
  CliRun commandHelp = gaugebench({"inspect", "--help"});
  EXPECT_EQ(commandHelp.status, 0);
  EXPECT_NE(commandHelp.out.find("--json"), std::string::npos) << commandHelp.out;
}

}  // namespace
