// The digest: a compact text report for a terminal, at most 100 lines for
// any trace: the headline figures, the timeline as a sparkline, and the top
// APIs, query classes, call classes, slowest calls and busiest threads.
#ifndef QUINTREL_REPORT_DIGEST_REPORT_H_
#define QUINTREL_REPORT_DIGEST_REPORT_H_

#include <ostream>

#include "analysis/profile.h"
#include "report/report_writer.h"

namespace quintrel {

// Writes the digest of `profile`, which must carry its analytics, to `out`,
// in lines of at most `context.width` characters where texts are cut.
void WriteDigestReport(const Profile& profile, const ReportContext& context, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_DIGEST_REPORT_H_
