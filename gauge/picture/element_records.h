// The element records the host draws from: the header every element starts
// with, the three element kinds this gauge uses, their axis blocks and the
// failure list. The host owns the fields marked as host fields.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "module/linkage.h"
#include "module/module_var.h"
#include "record_layout.h"

// Every record is defined in this module: reach it directly, not through an
// auto-import pointer.
#pragma GCC visibility push(hidden)

namespace quandel {

#pragma pack(push, 4)
struct FailureRecord {
  uint32_t key;  // 0 ends a list
  uint32_t action;
};

struct ElementHeader {
  uint32_t kind;
  uint32_t resourceId;
  int32_t x;
  int32_t y;
  uint32_t hostWords[4];
  GaugeHeaderRecord* gaugeHeader;
  uint32_t hostWord;
  ElementHeader* const* nextList;
  FailureRecord* failureList;
  uint32_t imageFlags;
  uint32_t zeroWords[2];
};

struct SliderAxis {
  ModuleVar variable;
  ValueCallback callback;
  double scale;
};

struct MovingImageAxis {
  ModuleVar variable;
  ValueCallback callback;
  double min;
  double max;
};

struct StaticImageElement {
  ElementHeader header;
  void* image;  // the host's record of the loaded bitmap
  uint32_t hostArea[4];
};

struct SliderElement {
  ElementHeader header;
  void* image;
  SliderAxis xAxis;
  SliderAxis yAxis;
  uint32_t hostArea[6];
};

struct MovingImageElement {
  ElementHeader header;
  void* image;
  MovingImageAxis xAxis;
  MovingImageAxis yAxis;
  uint32_t hostArea[22];
};
#pragma pack(pop)

static_assert(sizeof(FailureRecord) == layout::FailureRecord::size);
static_assert(offsetof(FailureRecord, key) == layout::FailureRecord::key);
static_assert(offsetof(FailureRecord, action) == layout::FailureRecord::action);

static_assert(sizeof(ElementHeader) == layout::ElementHeader::size);
static_assert(offsetof(ElementHeader, kind) == layout::ElementHeader::kind);
static_assert(offsetof(ElementHeader, resourceId) == layout::ElementHeader::resourceId);
static_assert(offsetof(ElementHeader, x) == layout::ElementHeader::x);
static_assert(offsetof(ElementHeader, y) == layout::ElementHeader::y);
static_assert(offsetof(ElementHeader, hostWords) == layout::ElementHeader::hostWords);
static_assert(offsetof(ElementHeader, gaugeHeader) == layout::ElementHeader::gaugeHeader);
static_assert(offsetof(ElementHeader, hostWord) == layout::ElementHeader::hostWord);
static_assert(offsetof(ElementHeader, nextList) == layout::ElementHeader::nextList);
static_assert(offsetof(ElementHeader, failureList) == layout::ElementHeader::failureList);
static_assert(offsetof(ElementHeader, imageFlags) == layout::ElementHeader::imageFlags);
static_assert(offsetof(ElementHeader, zeroWords) == layout::ElementHeader::zeroWords);

static_assert(sizeof(SliderAxis) == layout::SliderAxis::size);
static_assert(offsetof(SliderAxis, variable) == layout::SliderAxis::variable);
static_assert(offsetof(SliderAxis, callback) == layout::SliderAxis::callback);
static_assert(offsetof(SliderAxis, scale) == layout::SliderAxis::scale);

static_assert(sizeof(MovingImageAxis) == layout::MovingImageAxis::size);
static_assert(offsetof(MovingImageAxis, variable) == layout::MovingImageAxis::variable);
static_assert(offsetof(MovingImageAxis, callback) == layout::MovingImageAxis::callback);
static_assert(offsetof(MovingImageAxis, min) == layout::MovingImageAxis::min);
static_assert(offsetof(MovingImageAxis, max) == layout::MovingImageAxis::max);

static_assert(sizeof(StaticImageElement) == layout::StaticImageElement::size);
static_assert(offsetof(StaticImageElement, image) == layout::StaticImageElement::image);
static_assert(offsetof(StaticImageElement, hostArea) == layout::StaticImageElement::hostArea);

static_assert(sizeof(SliderElement) == layout::SliderElement::size);
static_assert(offsetof(SliderElement, image) == layout::SliderElement::image);
static_assert(offsetof(SliderElement, xAxis) == layout::SliderElement::xAxis);
static_assert(offsetof(SliderElement, yAxis) == layout::SliderElement::yAxis);
static_assert(offsetof(SliderElement, hostArea) == layout::SliderElement::hostArea);
static_assert(offsetof(SliderElement, yAxis) + offsetof(SliderAxis, callback) == 132);
static_assert(offsetof(SliderElement, yAxis) + offsetof(SliderAxis, scale) == 136);

static_assert(sizeof(MovingImageElement) == layout::MovingImageElement::size);
static_assert(offsetof(MovingImageElement, image) == layout::MovingImageElement::image);
static_assert(offsetof(MovingImageElement, xAxis) == layout::MovingImageElement::xAxis);
static_assert(offsetof(MovingImageElement, yAxis) == layout::MovingImageElement::yAxis);
static_assert(offsetof(MovingImageElement, hostArea) == layout::MovingImageElement::hostArea);
static_assert(offsetof(MovingImageElement, yAxis) + offsetof(MovingImageAxis, callback) == 140);
static_assert(offsetof(MovingImageElement, yAxis) + offsetof(MovingImageAxis, min) == 144);
static_assert(offsetof(MovingImageElement, yAxis) + offsetof(MovingImageAxis, max) == 152);

// The chain, in drawing order: background, strip, lever handle, pointer.
extern StaticImageElement BackgroundElement;
extern MovingImageElement StripElement;
extern SliderElement HandleSlider;
extern SliderElement PointerSlider;
extern FailureRecord ElementFailures[3];

// Holds the address of the first element; GaugeHeader.elementList points here.
extern ElementHeader* ElementListHead;

}  // namespace quandel

#pragma GCC visibility pop
