// The dashboard's tables as sections of the page: the top APIs, the query
// classes, the call classes, the slowest calls and the busiest threads; and
// the timeline's buckets. Each
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
// The calls by user and by repository, from each session's connect call.
void WriteWhoSection(const Profile& profile, size_t top, std::ostream& out);
// The timeline's buckets that hold calls, in time order, with the count,
// mean, exact percentiles and maximum of their calls; at most
// kMaxBucketRows of them. A table without its section, to stand under the
// chart of latency over time.
void WriteBucketTable(const ProfileAnalytics& analytics, std::ostream& out);

// The bytes of markup each list may take at most.
constexpr size_t kApiBudget = 90000;
constexpr size_t kQueryClassBudget = 260000;
constexpr size_t kCallClassBudget = 190000;
constexpr size_t kSlowestCallBudget = 70000;
constexpr size_t kThreadBudget = 50000;
constexpr size_t kBucketBudget = 40000;
constexpr size_t kWhoBudget = 15000;  // each of the users and the repositories
// As many as the timeline has buckets unless --bucket fixes their width.
constexpr size_t kMaxBucketRows = 120;

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DASHBOARD_LISTS_H_
