// The XML summary report: the sections of the TEXT report as elements, with
// durations in seconds in general notation. Trace texts are escaped and made
// valid UTF-8 XML characters, so the document is well-formed for any trace.
#ifndef QUINTREL_REPORT_XML_REPORT_H_
#define QUINTREL_REPORT_XML_REPORT_H_

#include <ostream>

#include "analysis/profile.h"

namespace quintrel {

// Writes the report of `profile` to `out`.
void WriteXmlReport(const Profile& profile, std::ostream& out);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_XML_REPORT_H_
