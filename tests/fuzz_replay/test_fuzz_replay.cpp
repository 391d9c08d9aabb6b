// Replays every committed fuzzing input (the seed corpora and the inputs that
// once crashed a reader or failed its round trip) through its harness under
// the sanitizers of the ordinary build.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/fuzz/FuzzUtil.h"

namespace fs = std::filesystem;

namespace {

const std::string FuzzDir = std::string(ZOL_TEST_SRC_DIR) + "/../fuzz";

std::vector<uint8_t> Bytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// Runs every file below FuzzDir/<kind>/<reader>/; returns the number run.
int ReplayFolder(const std::string& kind) {
  int count = 0;
  const fs::path root = fs::path(FuzzDir) / kind;
  if (!fs::exists(root)) return 0;
  for (const auto& dir : fs::directory_iterator(root)) {
    if (!dir.is_directory()) continue;
    const std::string reader = dir.path().filename().string();
    const auto it = zolfuzz::Targets().find(reader);
    if (it == zolfuzz::Targets().end()) {
      ADD_FAILURE() << kind << "/" << reader << ": no harness of that name";
      continue;
    }
    for (const auto& f : fs::directory_iterator(dir.path())) {
      if (!f.is_regular_file()) continue;
      const std::vector<uint8_t> data = Bytes(f.path());
      try {
        it->second(data.data(), data.size());
      } catch (const std::exception& e) {
        ADD_FAILURE() << f.path().string() << ": " << e.what();
      }
      ++count;
    }
  }
  return count;
}

}  // namespace

TEST(FuzzReplay, EveryHarnessHasSeeds) {
  ASSERT_FALSE(zolfuzz::Targets().empty());
  for (const auto& [name, fn] : zolfuzz::Targets())
    EXPECT_TRUE(fs::is_directory(fs::path(FuzzDir) / "corpus" / name)) << name;
}

TEST(FuzzReplay, SeedCorporaPass) { EXPECT_GT(ReplayFolder("corpus"), 0); }

TEST(FuzzReplay, RegressionInputsPass) { EXPECT_GT(ReplayFolder("regressions"), 0); }
