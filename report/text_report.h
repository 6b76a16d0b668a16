// The TEXT summary report: the ten most expensive calls, the per-API summary,
// the queries and the time split, in fixed-width columns with durations in
// seconds to three decimals.
#ifndef QUINTREL_REPORT_TEXT_REPORT_H_
#define QUINTREL_REPORT_TEXT_REPORT_H_

#include <ostream>

#include "analysis/profile.h"

namespace quintrel {

// Writes the report of `profile` to `out`, every line ended by a line feed
// and a flush.
void WriteTextReport(const Profile& profile, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_TEXT_REPORT_H_
