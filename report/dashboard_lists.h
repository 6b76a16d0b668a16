// The dashboard's tables as sections of the page: the top APIs, the query
// classes, the call classes, the slowest calls and the busiest threads. Each
// shows at most `top` entries and at most its share of the page's size, and
// says how many it leaves out.
#ifndef QUINTREL_REPORT_DASHBOARD_LISTS_H_
#define QUINTREL_REPORT_DASHBOARD_LISTS_H_

#include <cstddef>
#include <ostream>

#include "analysis/profile.h"

namespace quintrel {

void WriteApiSection(const Profile& profile, size_t top, std::ostream& out);
void WriteQueryClassSection(const Profile& profile, size_t top, std::ostream& out);
void WriteCallClassSection(const Profile& profile, size_t top, std::ostream& out);
void WriteSlowestCallSection(const Profile& profile, size_t top, std::ostream& out);
void WriteThreadSection(const Profile& profile, size_t top, std::ostream& out);

// The bytes of markup each list may take at most.
constexpr size_t kApiBudget = 90000;
constexpr size_t kQueryClassBudget = 300000;
constexpr size_t kCallClassBudget = 220000;
constexpr size_t kSlowestCallBudget = 70000;
constexpr size_t kThreadBudget = 50000;

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_LISTS_H_
