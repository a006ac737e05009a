// The four element records of the gauge, their next lists and the shared
// failure list. Every field the module does not set is zero.
#include "picture/element_records.h"

#include "lever/arm_flag.h"
#include "module/linkage.h"

namespace quandel {
namespace {

constexpr uint32_t kBackgroundBitmap = 0x1000;
constexpr uint32_t kHandleBitmap = 0x2000;
constexpr uint32_t kPointerBitmap = 0x4000;
constexpr uint32_t kStripBitmap = 0x4500;

// Pixels of slider travel per unit of the axis value.
constexpr double kSliderScale = 0.002155;

// Movement bits beside the transparent-black bit: 0x2 on every moving
// element, 0x4 on the pointer alone.
constexpr uint32_t kMoving = 0x2;
constexpr uint32_t kPointer = 0x4;
constexpr uint32_t kTransparent = layout::kImageFlagTransparentBlack;

constexpr ModuleVar bindToken(uint32_t token) { return ModuleVar{token, 0, 0, 0.0, {}}; }

}  // namespace

// Next lists: one element address, then null.
constinit ElementHeader* BackgroundNext[layout::kNextListEntries] = {&StripElement.header, nullptr};
constinit ElementHeader* StripNext[layout::kNextListEntries] = {&HandleSlider.header, nullptr};
constinit ElementHeader* HandleNext[layout::kNextListEntries] = {&PointerSlider.header, nullptr};

constinit FailureRecord ElementFailures[3] = {{2, 0}, {0, 0}, {0, 0}};

constinit StaticImageElement BackgroundElement = {
    .header = {.kind = layout::kStaticImage,
               .resourceId = kBackgroundBitmap,
               .x = 0,
               .y = 0,
               .hostWords = {},
               .gaugeHeader = &GaugeHeader,
               .hostWord = 0,
               .nextList = BackgroundNext,
               .failureList = nullptr,
               .imageFlags = kTransparent,
               .zeroWords = {}},
    .image = nullptr,
    .hostArea = {},
};

constinit MovingImageElement StripElement = {
    .header = {.kind = layout::kMovingImage,
               .resourceId = kStripBitmap,
               .x = 0,
               .y = 0,
               .hostWords = {},
               .gaugeHeader = &GaugeHeader,
               .hostWord = 0,
               .nextList = StripNext,
               .failureList = ElementFailures,
               .imageFlags = kTransparent | kMoving,
               .zeroWords = {}},
    .image = nullptr,
    .xAxis = {},
    .yAxis = {.variable = bindToken(layout::kStripScrollVariable),
              .callback = nullptr,
              .min = 16384.0,
              .max = -16384.0},
    .hostArea = {},
};

constinit SliderElement HandleSlider = {
    .header = {.kind = layout::kSlider,
               .resourceId = kHandleBitmap,
               .x = 9,
               .y = 0,
               .hostWords = {},
               .gaugeHeader = &GaugeHeader,
               .hostWord = 0,
               .nextList = HandleNext,
               .failureList = ElementFailures,
               .imageFlags = kTransparent | kMoving,
               .zeroWords = {}},
    .image = nullptr,
    .xAxis = {},
    .yAxis = {.variable = bindToken(layout::kLeverPositionVariable),
              .callback = HandlePositionCallback,
              .scale = kSliderScale},
    .hostArea = {},
};

constinit SliderElement PointerSlider = {
    .header = {.kind = layout::kSlider,
               .resourceId = kPointerBitmap,
               .x = 46,
               .y = 130,
               .hostWords = {},
               .gaugeHeader = &GaugeHeader,
               .hostWord = 0,
               .nextList = nullptr,
               .failureList = ElementFailures,
               .imageFlags = kTransparent | kMoving | kPointer,
               .zeroWords = {}},
    .image = nullptr,
    .xAxis = {},
    .yAxis = {.variable = bindToken(layout::kStripScrollVariable),
              .callback = nullptr,
              .scale = kSliderScale},
    .hostArea = {},
};

constinit ElementHeader* ElementListHead = &BackgroundElement.header;

}  // namespace quandel
