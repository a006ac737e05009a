#include "panel/mouse_layout.h"

#include <algorithm>

#include "record_layout.h"

namespace gb::panel {

namespace layout = quandel::layout;

Box intersect(const Box& a, const Box& b) {
  int left = std::max(a.x, b.x), top = std::max(a.y, b.y);
  int right = std::min(a.x + a.width, b.x + b.width), bottom = std::min(a.y + a.height, b.y + b.height);
  return Box{left, top, std::max(0, right - left), std::max(0, bottom - top)};
}

Result<MouseLayout> layoutMouseAreas(const machine::Machine& machine, uint32_t list,
                                     uint32_t pictureReference) {
  Result<std::vector<MouseAreaInfo>> records = decodeMouseAreas(machine, list);
  if (!records) return records.error();
  Result<uint32_t> width = machine.readU32(pictureReference);
  Result<uint32_t> height = machine.readU32(pictureReference + 4);
  if (!width || !height)
    return Error{"mouse list: the picture reference " + machine.describeAddress(pictureReference) +
                 " holds no extent"};
  const Box extent{0, 0, int(std::min<uint32_t>(*width, 1 << 20)), int(std::min<uint32_t>(*height, 1 << 20))};

  MouseLayout out;
  out.list = list;
  bool inGroup = false;
  for (size_t i = 0; i < records->size(); ++i) {
    const MouseAreaInfo& r = (*records)[i];
    switch (r.kind) {
      case layout::kParent: {
        if (inGroup) return Error{"mouse list: parent record " + std::to_string(i) + " opens a group inside a group"};
        inGroup = true;
        // A zero-sized parent takes the picture's extent.
        Box box{r.x, r.y, r.width, r.height};
        if (box.width == 0 && box.height == 0) box = Box{r.x, r.y, extent.width, extent.height};
        out.parent = box;
        break;
      }
      case layout::kChild: {
        if (!inGroup) return Error{"mouse list: child record " + std::to_string(i) + " stands outside a parent group"};
        Box box{out.parent.x + r.x, out.parent.y + r.y, r.width, r.height};
        out.children.push_back({i, r, intersect(box, out.parent)});
        break;
      }
      case layout::kEndOfParent:
        if (!inGroup) return Error{"mouse list: end-of-parent record " + std::to_string(i) + " closes no group"};
        inGroup = false;
        break;
      case layout::kEndOfList:
        return out;
      default:
        return Error{"mouse list: record " + std::to_string(i) + " has unknown kind " + std::to_string(r.kind)};
    }
  }
  return out;
}

const ChildArea* hitTest(const MouseLayout& layout, int x, int y) {
  for (const ChildArea& child : layout.children)
    if (child.box.contains(x, y)) return &child;
  return nullptr;
}

}  // namespace gb::panel
