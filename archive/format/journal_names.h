// The names of an archive's rollback journal and of the journals set aside
// beside it. Torvane chooses them; the programs that report a journal set
// aside find it by the same rule, from here.
#pragma once

#include <string>

namespace img {

// The journal of the archive at `resolved_path`: every link and "." or ".."
// resolved, so that every way of naming one archive finds one journal.
inline std::string JournalPathFor(const std::string& resolved_path) {
  return resolved_path + "-journal";
}

// Where the nth journal set aside goes (n from 1): "<journal>.stale", then
// "<journal>.stale.2" and on.
inline std::string StalePathFor(const std::string& journal_path, unsigned n) {
  return n <= 1 ? journal_path + ".stale" : journal_path + ".stale." + std::to_string(n);
}

// How many places to set a journal aside are tried before giving up.
inline constexpr unsigned kMaxStale = 1000;

// Where the next journal would be set aside: the first n whose path nothing
// stands at, as taken(path) tells (anything at the path counts, a link that
// leads nowhere too: one set aside never replaces anything). 0 when every
// place is taken, or when taken(path) cannot tell (it returns -1 then; 1 for
// taken, 0 for free).
template <typename Taken>
unsigned NextStale(const std::string& journal_path, Taken&& taken) {
  for (unsigned n = 1; n <= kMaxStale; ++n) {
    const int found = taken(StalePathFor(journal_path, n));
    if (found < 0) return 0;
    if (found == 0) return n;
  }
  return 0;
}

}  // namespace img
