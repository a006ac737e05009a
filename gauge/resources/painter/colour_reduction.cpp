#include "colour_reduction.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <vector>

namespace painter {
namespace {

struct Group {
  double sumR = 0, sumG = 0, sumB = 0;
  double count = 0;
  bool fixed = false;
  bool alive = true;
  std::size_t partner = 0;  // cheapest merge partner among the live free groups
  double partnerCost = std::numeric_limits<double>::infinity();

  double meanR() const { return sumR / count; }
  double meanG() const { return sumG / count; }
  double meanB() const { return sumB / count; }
};

double mergeCost(const Group& a, const Group& b) {
  double dr = a.meanR() - b.meanR(), dg = a.meanG() - b.meanG(), db = a.meanB() - b.meanB();
  return (a.count * b.count) / (a.count + b.count) * (dr * dr + dg * dg + db * db);
}

void findPartner(std::vector<Group>& groups, std::size_t i) {
  Group& g = groups[i];
  g.partnerCost = std::numeric_limits<double>::infinity();
  for (std::size_t j = 0; j < groups.size(); ++j) {
    if (j == i || !groups[j].alive || groups[j].fixed) continue;
    double cost = mergeCost(g, groups[j]);
    if (cost < g.partnerCost) {
      g.partnerCost = cost;
      g.partner = j;
    }
  }
}

uint8_t roundChannel(double v) { return uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

}  // namespace

std::size_t countColours(const RgbCanvas& canvas) {
  std::set<Rgb> colours(canvas.pixels.begin(), canvas.pixels.end());
  return colours.size();
}

void reduceColours(RgbCanvas& canvas, std::size_t maxColours, std::span<const Rgb> fixed) {
  std::map<Rgb, std::size_t> counts;
  for (Rgb c : canvas.pixels) ++counts[c];
  if (counts.size() <= maxColours) return;

  std::vector<Rgb> originals;
  std::vector<Group> groups;
  for (const auto& [colour, count] : counts) {
    Group g;
    g.sumR = double(colour.r) * double(count);
    g.sumG = double(colour.g) * double(count);
    g.sumB = double(colour.b) * double(count);
    g.count = double(count);
    g.fixed = std::find(fixed.begin(), fixed.end(), colour) != fixed.end();
    originals.push_back(colour);
    groups.push_back(g);
  }
  std::vector<std::size_t> owner(groups.size());
  for (std::size_t i = 0; i < owner.size(); ++i) owner[i] = i;

  for (std::size_t i = 0; i < groups.size(); ++i)
    if (!groups[i].fixed) findPartner(groups, i);

  std::size_t alive = groups.size();
  while (alive > maxColours) {
    std::size_t best = groups.size();
    for (std::size_t i = 0; i < groups.size(); ++i) {
      if (!groups[i].alive || groups[i].fixed) continue;
      if (best == groups.size() || groups[i].partnerCost < groups[best].partnerCost) best = i;
    }
    if (best == groups.size() || !std::isfinite(groups[best].partnerCost)) break;
    std::size_t into = best, from = groups[best].partner;
    groups[into].sumR += groups[from].sumR;
    groups[into].sumG += groups[from].sumG;
    groups[into].sumB += groups[from].sumB;
    groups[into].count += groups[from].count;
    groups[from].alive = false;
    for (std::size_t& o : owner)
      if (o == from) o = into;
    --alive;
    findPartner(groups, into);
    for (std::size_t i = 0; i < groups.size(); ++i) {
      if (i == into || !groups[i].alive || groups[i].fixed) continue;
      if (groups[i].partner == into || groups[i].partner == from) {
        findPartner(groups, i);
      } else {
        double cost = mergeCost(groups[i], groups[into]);
        if (cost < groups[i].partnerCost) {
          groups[i].partnerCost = cost;
          groups[i].partner = into;
        }
      }
    }
  }

  // Each group's colour is its rounded mean, nudged off the fixed colours.
  std::vector<Rgb> result(groups.size());
  for (std::size_t i = 0; i < groups.size(); ++i) {
    if (!groups[i].alive) continue;
    if (groups[i].fixed) {
      result[i] = originals[i];
      continue;
    }
    Rgb c{roundChannel(groups[i].meanR()), roundChannel(groups[i].meanG()),
          roundChannel(groups[i].meanB())};
    while (std::find(fixed.begin(), fixed.end(), c) != fixed.end())
      c.b = c.b > 127 ? uint8_t(c.b - 1) : uint8_t(c.b + 1);
    result[i] = c;
  }
  std::map<Rgb, Rgb> remap;
  for (std::size_t i = 0; i < originals.size(); ++i) remap[originals[i]] = result[owner[i]];
  for (Rgb& c : canvas.pixels) c = remap[c];
}

}  // namespace painter
