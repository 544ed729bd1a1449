#include "img_check.h"

#include <algorithm>
#include <numeric>

#include "entry_name.h"
#include "img_change.h"

namespace img {

namespace {

using Kind = Finding::Kind;

std::vector<std::size_t> Indices(std::size_t n) {
  std::vector<std::size_t> indices(n);
  std::iota(indices.begin(), indices.end(), std::size_t{0});
  return indices;
}

// In order of where the data begins, each entry is compared with the one of
// all before it that reaches furthest: one finding per overlapping entry,
// however many it overlaps.
void FindOverlaps(const std::vector<Entry>& directory, std::vector<Finding>& findings) {
  std::vector<std::size_t> order = Indices(directory.size());
  order.erase(std::remove_if(order.begin(), order.end(),
                             [&](std::size_t i) { return directory[i].size == 0; }),
              order.end());
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return directory[a].DataBegin() < directory[b].DataBegin();
  });
  std::size_t furthest = 0;
  for (std::size_t k = 0; k < order.size(); ++k) {
    const Entry& entry = directory[order[k]];
    if (k > 0 && entry.DataBegin() < directory[furthest].DataEnd()) {
      findings.push_back({Kind::kOverlap, order[k], furthest});
    }
    if (k == 0 || entry.DataEnd() > directory[furthest].DataEnd()) furthest = order[k];
  }
}

// Names the game takes for one are duplicates: it uses only the first.
void FindDuplicateNames(const std::vector<Entry>& directory, std::vector<Finding>& findings) {
  auto name_less = [&](std::size_t a, std::size_t b) {
    const Entry& x = directory[a];
    const Entry& y = directory[b];
    return CompareNamesAsGame(reinterpret_cast<const char*>(x.name), x.NameLength(),
                              reinterpret_cast<const char*>(y.name), y.NameLength()) < 0;
  };
  std::vector<std::size_t> order = Indices(directory.size());
  std::stable_sort(order.begin(), order.end(), name_less);
  for (std::size_t k = 1, first = 0; k < order.size(); ++k) {
    if (name_less(order[first], order[k])) {
      first = k;
    } else {
      findings.push_back({Kind::kDuplicateName, order[k], order[first]});
    }
  }
}

}  // namespace

std::vector<Finding> CheckDirectory(const std::vector<Entry>& directory, std::uint64_t length) {
  std::vector<Finding> findings;
  const std::uint64_t directory_end = SlotPosition(directory.size());
  if (directory_end > length) {
    findings.push_back({Kind::kDirectoryPastEnd, directory.size(), directory.size()});
  }
  for (std::size_t i = 0; i < directory.size(); ++i) {
    const Entry& entry = directory[i];
    if (entry.size == 0) continue;
    if (!InsideArchive(entry, length)) findings.push_back({Kind::kPastEnd, i, i});
    if (InsideDirectory(entry, directory_end)) findings.push_back({Kind::kInsideDirectory, i, i});
  }
  FindOverlaps(directory, findings);
  FindDuplicateNames(directory, findings);
  return findings;
}

}  // namespace img
