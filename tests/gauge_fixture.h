// Loading the built quandel.gau into a stand-in host for a test, at its
// preferred base or at another one, and finding its records the way the
// host does.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "panel/gauge_host.h"
#include "panel/module_records.h"
#include "panel/panel_session.h"

namespace test {

// A base other than the preferred one, so relocations are exercised.
inline constexpr uint32_t kOtherBase = 0x10000000;

// Picture sizes of the gauge's bitmaps, without pixels, for tests that need
// the host's install but not the module's resources.
gb::panel::PictureSource fixturePictures();

// Loads quandel.gau at `base` (nullopt: preferred), failing the test on error.
std::unique_ptr<gb::panel::GaugeHost> loadGauge(std::optional<uint32_t> base,
                                                gb::panel::PictureSource pictures = fixturePictures());

// A started panel session on quandel.gau; rate 0 moves the lever at once.
std::unique_ptr<gb::panel::PanelSession> openSession(double rate = 0.0);

// The records of a loaded gauge, decoded from its memory.
struct GaugeRecords {
  gb::panel::LinkageInfo linkage;
  gb::panel::GaugeHeaderInfo header;
  std::vector<gb::panel::ElementInfo> elements;  // chain order
};
GaugeRecords decodeRecords(const gb::panel::GaugeHost& host);

// Unwraps a result, failing the test with its error.
template <class T>
T expectOk(gb::Result<T> result) {
  if (!result) {
    ADD_FAILURE() << result.error().message;
    return T{};
  }
  return std::move(*result);
}

// Test parameter: the base to load at, printed as "Preferred" or "Other".
struct BaseCase {
  std::optional<uint32_t> base;
  const char* name;
};
inline const BaseCase kBases[] = {{std::nullopt, "PreferredBase"}, {kOtherBase, "OtherBase"}};
inline std::string baseName(const testing::TestParamInfo<BaseCase>& info) { return info.param.name; }

}  // namespace test
