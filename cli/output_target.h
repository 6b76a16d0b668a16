// The output of a run: standard output ("CONSOLE" or "-"), an existing
// character device or FIFO, or a file that must not exist yet, checked and
// created before the trace is read, with the messages the program has
// always printed for a name it refuses.
#ifndef QUINTREL_CLI_OUTPUT_TARGET_H_
#define QUINTREL_CLI_OUTPUT_TARGET_H_

#include <memory>
#include <string>

#include "cli/run_config.h"
#include "output/output_file.h"

namespace quintrel {

// Refuses an output file that exists (a dangling link counts) and is no
// character device or FIFO, or that cannot be
// created: prints "File %s already exists\n" and "Cannot overwrite existing
// file\n", or "Cannot create file %s: %s\n" with the system's reason, on
// standard output and returns false: the run must stop. Otherwise returns
// true with the created file in `created` (null for the console).
bool CreateOutputFile(const RunConfig& config, std::unique_ptr<OutputFile>* created);

// Prints the two messages of an output file that exists.
void ReportOutputExists(const std::string& name);

}  // namespace quintrel

#endif  // QUINTREL_CLI_OUTPUT_TARGET_H_
