// Which of the command line's options, as typed, narrow the calls a report
// covers: --threads=, --since=, --until=, -r (any option word starting with
// "-r" or "/r") and -l (the threads chosen at the prompt).
#ifndef QUINTREL_REPORT_OPTION_FILTERS_H_
#define QUINTREL_REPORT_OPTION_FILTERS_H_

#include <string>
#include <vector>

namespace quintrel {

// The filtering options in `options` (the options joined by blanks), each as
// typed; a time typed with a blank ("--since=2003-08-06 14:03:00") whole.
std::vector<std::string> FilterOptions(const std::string& options);

}  // namespace quintrel

#endif  // QUINTREL_REPORT_OPTION_FILTERS_H_
