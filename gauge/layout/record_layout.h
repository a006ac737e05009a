// Byte layout of every record the host reads, declared once. The module's
// records static_assert their field offsets against these numbers; the bench
// decodes the records with explicit little-endian reads at these offsets.
// Plain C++20, no platform headers: both toolchains include it.
#pragma once

#include <stdint.h>

namespace quandel::layout {

struct ModuleVar {
  static constexpr uint32_t token = 0;
  static constexpr uint32_t varPointer = 4;
  static constexpr uint32_t type = 8;
  static constexpr uint32_t value = 12;  // a double on a 4-byte boundary
  static constexpr uint32_t oldValue = 20;
  static constexpr uint32_t size = 28;
};

struct Linkage {
  static constexpr uint32_t linkageId = 0;
  static constexpr uint32_t initHook = 4;
  static constexpr uint32_t deinitHook = 8;
  static constexpr uint32_t reserved = 12;  // three zero words
  static constexpr uint32_t gaugeHeaders = 24;
  static constexpr uint32_t size = 32;
};

struct ImportEntry {
  static constexpr uint32_t importId = 0;
  static constexpr uint32_t tableAddress = 4;
  static constexpr uint32_t size = 8;
};

struct ImportTable {
  static constexpr uint32_t entryCount = 2;  // the panel-services entry, then the end
  static constexpr uint32_t size = entryCount * ImportEntry::size;
};

struct GaugeHeader {
  static constexpr uint32_t formatNumber = 0;
  static constexpr uint32_t name = 4;
  static constexpr uint32_t elementList = 8;
  static constexpr uint32_t query = 12;
  static constexpr uint32_t install = 16;
  static constexpr uint32_t initialize = 20;
  static constexpr uint32_t update = 24;
  static constexpr uint32_t generate = 28;
  static constexpr uint32_t draw = 32;
  static constexpr uint32_t kill = 36;
  static constexpr uint32_t hostFields = 40;  // 0, 100, 0, 0, 0, then 28 zero bytes
  static constexpr uint32_t size = 88;
};

struct ElementHeader {
  static constexpr uint32_t kind = 0;
  static constexpr uint32_t resourceId = 4;
  static constexpr uint32_t x = 8;
  static constexpr uint32_t y = 12;
  static constexpr uint32_t hostWords = 16;  // four words
  static constexpr uint32_t gaugeHeader = 32;
  static constexpr uint32_t hostWord = 36;
  static constexpr uint32_t nextList = 40;
  static constexpr uint32_t failureList = 44;
  static constexpr uint32_t imageFlags = 48;
  static constexpr uint32_t zeroWords = 52;  // two words
  static constexpr uint32_t size = 60;
};

// Fields that follow the header in every element kind.
struct ElementBody {
  static constexpr uint32_t image = 60;
};

struct StaticImageElement {
  static constexpr uint32_t image = ElementBody::image;
  static constexpr uint32_t hostArea = 64;  // 16 bytes
  static constexpr uint32_t size = 80;
};

struct SliderAxis {
  static constexpr uint32_t variable = 0;
  static constexpr uint32_t callback = 28;
  static constexpr uint32_t scale = 32;
  static constexpr uint32_t size = 40;
};

struct MovingImageAxis {
  static constexpr uint32_t variable = 0;
  static constexpr uint32_t callback = 28;
  static constexpr uint32_t min = 32;
  static constexpr uint32_t max = 40;
  static constexpr uint32_t size = 48;
};

struct SliderElement {
  static constexpr uint32_t image = ElementBody::image;
  static constexpr uint32_t xAxis = 64;
  static constexpr uint32_t yAxis = 104;
  static constexpr uint32_t hostArea = 144;  // 24 bytes
  static constexpr uint32_t size = 168;
};

struct MovingImageElement {
  static constexpr uint32_t image = ElementBody::image;
  static constexpr uint32_t xAxis = 64;
  static constexpr uint32_t yAxis = 112;
  static constexpr uint32_t hostArea = 160;  // 88 bytes
  static constexpr uint32_t size = 248;
};

enum ElementKind : uint32_t {
  kStaticImage = 0,
  kSlider = 3,
  kMovingImage = 5,
};

inline constexpr uint32_t kImageFlagTransparentBlack = 0x1;

struct FailureRecord {
  static constexpr uint32_t key = 0;
  static constexpr uint32_t action = 4;
  static constexpr uint32_t size = 8;
};

// A next list: element addresses ended by null.
inline constexpr uint32_t kNextListEntries = 2;

struct MouseArea {
  static constexpr uint32_t kind = 0;
  static constexpr uint32_t x = 4;
  static constexpr uint32_t y = 8;
  static constexpr uint32_t width = 12;
  static constexpr uint32_t height = 16;
  static constexpr uint32_t cursor = 20;
  static constexpr uint32_t helpId = 24;
  static constexpr uint32_t flags = 28;
  static constexpr uint32_t eventId = 32;
  static constexpr uint32_t handler = 36;
  static constexpr uint32_t userData = 40;
  static constexpr uint32_t size = 44;
};

enum MouseAreaKind : uint32_t {
  kEndOfList = 0,
  kParent = 1,
  kChild = 2,
  kEndOfParent = 3,
};

// Byte offsets of the host services the module calls, in the host's table.
struct PanelServices {
  static constexpr uint32_t elementListQuery = 0x60;
  static constexpr uint32_t elementListInstall = 0x64;
  static constexpr uint32_t elementListInitialize = 0x68;
  static constexpr uint32_t elementListUpdate = 0x6C;
  static constexpr uint32_t elementListGenerate = 0x70;
  static constexpr uint32_t elementListDraw = 0x74;
  static constexpr uint32_t elementListKill = 0x7C;
  static constexpr uint32_t mouseListInstall = 0x80;
  static constexpr uint32_t mouseListRegister = 0x84;
  static constexpr uint32_t mouseListUnregister = 0x88;
  static constexpr uint32_t triggerKeyEvent = 0x90;
  static constexpr uint32_t initializeVar = 0x98;
  static constexpr uint32_t lookupVar = 0xA0;
};

inline constexpr uint32_t kPanelServicesImportId = 0x0F;
inline constexpr uint32_t kLinkageId = 19;
inline constexpr uint32_t kGaugeHeaderFormat = 610;

inline constexpr uint32_t kSpeedBrakeSetEvent = 0x000100FA;
inline constexpr uint32_t kSpeedBrakeArmToggleEvent = 0x0001013D;

inline constexpr uint32_t kStripScrollVariable = 318;  // also drives the pointer
inline constexpr uint32_t kArmFlagVariable = 324;
inline constexpr uint32_t kLeverPositionVariable = 326;

}  // namespace quandel::layout
