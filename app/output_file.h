// The output-file check and the error report shared by the run's file steps.
#ifndef QUINTREL_APP_OUTPUT_FILE_H_
#define QUINTREL_APP_OUTPUT_FILE_H_

#include <string>

#include "app/parameter_map.h"

namespace quintrel {

// Writes `message`, a blank, `name` and a line end to standard error.
void ReportError(const std::string& message, const std::string& name);

// Creates the output file named by "outputfile" as a new, empty file with an
// exclusive create, so that an existing file (or any link, even a dangling
// one) is never touched. On success stores the open descriptor in
// `createdFd` (the caller owns it; the report is written through it and the
// path is never opened again) and returns false. For "CONSOLE" returns false
// with `createdFd` -1. When the file exists prints "File %s already exists\n"
// and "Cannot overwrite existing file\n"; when it cannot be created for any
// other reason prints "Cannot create file %s: %s\n" with the system's reason;
// then returns true: the run must stop.
bool OutputFileExists(const ParameterMap& parameters, int* createdFd);

}  // namespace quintrel

#endif  // QUINTREL_APP_OUTPUT_FILE_H_
