// "Did you mean ...?": the known name nearest to a misspelt one, by edit
// distance with letter case ignored.
#pragma once
#include "names.h"
#include <algorithm>
#include <vector>

namespace basc {

// Insertions, deletions, substitutions and swaps of neighbours needed to turn
// a into b (both upper-case); stops counting once past `limit`.
inline int edit_distance(const std::string &a, const std::string &b, int limit) {
  int n = int(a.size()), m = int(b.size());
  if (std::abs(n - m) > limit) return limit + 1;
  std::vector<std::vector<int>> d(size_t(n + 1), std::vector<int>(size_t(m + 1)));
  for (int i = 0; i <= n; i++) d[i][0] = i;
  for (int j = 0; j <= m; j++) d[0][j] = j;
  for (int i = 1; i <= n; i++)
    for (int j = 1; j <= m; j++) {
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (a[size_t(i - 1)] != b[size_t(j - 1)])});
      if (i > 1 && j > 1 && a[size_t(i - 1)] == b[size_t(j - 2)] &&
          a[size_t(i - 2)] == b[size_t(j - 1)])
        d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
    }
  return d[size_t(n)][size_t(m)];
}

// "; did you mean Count?" for the candidate nearest to name, or "" when none
// is near enough to be a likely slip: one edit for names of up to five
// letters, up to a third of the name's length for longer ones; none for
// names shorter than three.
inline std::string did_you_mean(const std::string &name,
                                const std::vector<std::string> &candidates) {
  std::string u = upper(name);
  if (u.size() < 3) return ""; /* any one-letter change of a short name is a name */
  int limit = std::max(1, int(u.size()) / 3), best = limit + 1;
  std::string found;
  for (const std::string &c : candidates) {
    if (c.empty() || iequal(c, name)) continue;
    int d = edit_distance(u, upper(c), limit);
    if (d < best) best = d, found = c;
  }
  return found.empty() ? "" : "; did you mean " + found + "?";
}

} // namespace basc
