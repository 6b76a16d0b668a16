// The program behind its entry point: quintrel tracefile outputfile
// [options]. main.cc (Linux) and main_windows.cc (Windows, whose arguments
// arrive as wide characters) call it with UTF-8 arguments.
//
// Exit codes: 0 the run completed, 1 usage error, 2 the output file exists
// or cannot be created, 3 the run could not read its trace or write its
// output (or failed unexpectedly).
#ifndef QUINTREL_CLI_PROGRAM_H_
#define QUINTREL_CLI_PROGRAM_H_

namespace quintrel {

// Prepares the process, runs the command line `argv` (UTF-8, not kept) and
// returns the exit code.
int RunProgram(int argc, char** argv);

}  // namespace quintrel

#endif  // QUINTREL_CLI_PROGRAM_H_
