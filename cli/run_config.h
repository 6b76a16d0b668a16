// RunConfig: the settings of one run as typed values, read once from the
// ParameterMap's texts: the files, the thread prompt, the report format and
// what the analysis is asked for. Nothing after this point compares setting
// texts.
#ifndef QUINTREL_CLI_RUN_CONFIG_H_
#define QUINTREL_CLI_RUN_CONFIG_H_

#include <string>
#include <vector>

#include "analysis/analysis_config.h"
#include "cli/parameter_map.h"
#include "report/report_writer.h"

namespace quintrel {

struct RunConfig {
  std::string traceFile;
  std::string outputFile;
  bool toConsole = true;     // the output is standard output (kConsoleName)
  bool listThreads = false;  // list the threads and ask for one first
  bool cp1252 = false;       // the trace's texts are Windows-1252
  ReportFormat reportFormat = ReportFormat::kHtml;
  size_t top = kDefaultTop;  // entries per list of the analytics reports
  size_t width = 0;          // --width: columns of the digest; 0 when not given
  std::string options;       // the options as typed, for the reports that show them
  // The options in force that narrow the calls analysed, each as the
  // command line names it: "-r", "--threads=ID,ID", "--since=TIME".
  std::vector<std::string> filters;
  // Whether the run warns when its filters leave none of the trace's calls:
  // only when a filter of the extensions is in force or the report is one of
  // theirs, so that the command lines of old print what they always did.
  bool warnsWhenFilteredEmpty = false;
  AnalysisConfig analysis;
  // --merge: more traces or saved profiles, in the order given; --compare:
  // the base of the comparison ("" for none); --jobs: 0 for the cores.
  std::vector<std::string> merges;
  std::string compare;
  size_t jobs = 0;
};

// The configuration `parameters` describe, after a successful parse.
RunConfig ReadRunConfig(const ParameterMap& parameters);

}  // namespace quintrel

#endif  // QUINTREL_CLI_RUN_CONFIG_H_
