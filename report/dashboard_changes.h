// The dashboard's section of --compare: how the APIs, query classes and call
// classes moved against the base, the largest changes first, at most `top`
// of them and at most its share of the page's size.
#ifndef QUINTREL_REPORT_DASHBOARD_CHANGES_H_
#define QUINTREL_REPORT_DASHBOARD_CHANGES_H_

#include <cstddef>
#include <ostream>

#include "analysis/profile_comparison.h"

namespace quintrel {

void WriteChangesSection(const ProfileComparison& comparison, size_t top, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_CHANGES_H_
