// The gauge's geometry measured on composed frames: where the handle, the
// pointer and the strip are drawn for given host variables.
#include <gtest/gtest.h>

#include <optional>

#include "gauge_fixture.h"
#include "panel/module_pictures.h"
#include "panel/panel_session.h"
#include "record_layout.h"
#include "render/compose.h"

namespace layout = quandel::layout;
using gb::panel::Frame;
using gb::panel::PanelSession;
using gb::panel::Picture;
using gb::render::RgbaImage;

namespace {

constexpr gb::render::Rgba kWindowBlack{1, 1, 1, 255};

RgbaImage frameImage(PanelSession& session) {
  auto frame = session.frame();
  if (!frame) {
    ADD_FAILURE() << frame.error().message;
    return {};
  }
  return gb::render::compose(*frame, {}).image;
}

bool sameColour(const gb::render::Rgba& pixel, uint32_t rgb) {
  return pixel.a == 255 && pixel.r == uint8_t(rgb >> 16) && pixel.g == uint8_t(rgb >> 8) && pixel.b == uint8_t(rgb);
}

// The vertical shift at which every opaque pixel of rows [fromRow, toRow)
// of `picture`, placed at column x, shows in `image`; nullopt if none does.
std::optional<int> findShift(const RgbaImage& image, const Picture& picture, int x, int y, int fromRow, int toRow) {
  for (int dy = -60; dy <= 60; ++dy) {
    bool all = true;
    int seen = 0;
    for (int row = fromRow; row < toRow && all; ++row)
      for (int col = 0; col < picture.width && all; ++col) {
        uint32_t rgb = picture.rgb[size_t(row) * picture.width + col];
        int gx = x + col, gy = y + row + dy;
        if (rgb == 0 || gx >= image.width || gy < 0 || gy >= image.height) continue;
        all = sameColour(image.at(gy, gx), rgb);
        ++seen;
      }
    if (all && seen > 0) return dy;
  }
  return std::nullopt;
}

const Picture& pictureOf(const PanelSession& session, size_t element) {
  return *session.lastFrame().elements.at(element).picture;
}

TEST(PanelGeometry, HandleStandsAtEachDetentAndAtTheArmedMark) {
  struct Case {
    double position, armFlag;
    int expectedShift;
  };
  // value x 0.002155, rounded to the nearest pixel.
  const Case cases[] = {{0, 0, 0},      {4096, 0, 9},  {8192, 0, 18}, {12288, 0, 26},
                        {16382, 0, 35}, {0, 1, 5},     {4096, 1, 9},  {16384, 0, 35}};
  for (const Case& c : cases) {
    SCOPED_TRACE("326 = " + std::to_string(c.position) + ", 324 = " + std::to_string(c.armFlag));
    auto session = test::openSession();
    ASSERT_TRUE(session->setVariable(layout::kLeverPositionVariable, c.position).ok());
    ASSERT_TRUE(session->setVariable(layout::kArmFlagVariable, c.armFlag).ok());
    frameImage(*session);  // the arm flag reaches the module at this update
    RgbaImage image = frameImage(*session);
    const auto& handle = session->lastFrame().elements.at(2);
    EXPECT_EQ(handle.dy, c.expectedShift);
    // Measured on the picture: the grip (rows 1 to 56) where it is drawn.
    EXPECT_EQ(findShift(image, pictureOf(*session, 2), 9, 0, 1, 57), c.expectedShift);
  }
}

TEST(PanelGeometry, PointerFollowsVariable318) {
  struct Case {
    double value;
    int topRow;
  };
  const Case cases[] = {{16384, 165}, {-16384, 95}, {0, 130}, {8192, 148}};
  for (const Case& c : cases) {
    SCOPED_TRACE("318 = " + std::to_string(c.value));
    auto session = test::openSession();
    ASSERT_TRUE(session->setVariable(layout::kStripScrollVariable, c.value).ok());
    RgbaImage image = frameImage(*session);
    auto shift = findShift(image, pictureOf(*session, 3), 46, 130, 0, 9);
    ASSERT_TRUE(shift.has_value());
    EXPECT_EQ(130 + *shift, c.topRow);
    EXPECT_LE(130 + *shift + 8, 177) << "the whole pointer stays inside the gauge";
  }
}

TEST(PanelGeometry, StripShowsThroughItsWindow) {
  struct Case {
    double value;
    int firstStripRow;  // shown at the window's top
  };
  // min (+16384) shows the strip's top, max (-16384) its last 203 rows.
  const Case cases[] = {{16384, 0}, {-16384, 3961}, {0, 1981}, {8192, 990}};
  for (const Case& c : cases) {
    SCOPED_TRACE("318 = " + std::to_string(c.value));
    auto session = test::openSession();
    ASSERT_TRUE(session->setVariable(layout::kStripScrollVariable, c.value).ok());
    RgbaImage image = frameImage(*session);
    const Picture& strip = pictureOf(*session, 1);
    EXPECT_EQ(session->lastFrame().elements[1].stripRow, c.firstStripRow);
    // Columns 0 to 13 hold only the strip and its window.
    int stripPixels = 0;
    for (int row = 0; row < 178; ++row)
      for (int col = 0; col < 14; ++col) {
        uint32_t rgb = strip.rgb[size_t(row + c.firstStripRow) * strip.width + col];
        if (rgb == 0) {
          ASSERT_EQ(image.at(row, col), kWindowBlack) << row << "," << col;
        } else {
          ASSERT_TRUE(sameColour(image.at(row, col), rgb)) << row << "," << col;
          ++stripPixels;
        }
      }
    if (c.value == 16384) EXPECT_GT(stripPixels, 0) << "run 1 (rows 73 to 125) is in view";
  }
}

TEST(PanelGeometry, BackgroundDrawsNothing) {
  auto session = test::openSession();
  frameImage(*session);
  Frame backgroundOnly = session->lastFrame();
  backgroundOnly.elements.resize(1);
  RgbaImage image = gb::render::compose(backgroundOnly, {}).image;
  ASSERT_EQ(image.width, 74);
  ASSERT_EQ(image.height, 178);
  for (const auto& pixel : image.pixels) ASSERT_EQ(pixel.a, 0);
}

TEST(PanelGeometry, OverflowShowsTheWholeHandle) {
  auto session = test::openSession();
  ASSERT_TRUE(session->setVariable(layout::kLeverPositionVariable, 16382).ok());
  auto frame = session->frame();
  ASSERT_TRUE(frame.ok());
  auto clipped = gb::render::compose(*frame, {});
  auto overflow = gb::render::compose(*frame, {.overflow = true});
  EXPECT_EQ(clipped.image.width, 74);
  EXPECT_EQ(clipped.image.height, 178);
  // The handle (71 x 153 at (9, 35)) reaches column 79 and row 187; the window row 202.
  EXPECT_EQ(overflow.originX, 1);
  EXPECT_EQ(overflow.originY, 1);
  EXPECT_EQ(overflow.image.width, 1 + 80);
  EXPECT_EQ(overflow.image.height, 1 + 203);
  // The handle's lowest drawn row (150) stands at gauge row 185.
  const Picture& handle = pictureOf(*session, 2);
  EXPECT_EQ(findShift(overflow.image, handle, 9 + overflow.originX, overflow.originY, 140, 151), 35);
}

}  // namespace
