// The one way the run reports a failure on a file.
#ifndef QUINTREL_APP_REPORT_ERROR_H_
#define QUINTREL_APP_REPORT_ERROR_H_

#include <string>

namespace quintrel {

// Writes `message`, a blank and `name`, then ": " and `reason` unless it is
// empty, and a line end to standard error, at once.
void ReportError(const std::string& message, const std::string& name,
                 const std::string& reason = "");

}  // namespace quintrel

#endif  // QUINTREL_APP_REPORT_ERROR_H_
