// Messages: how a run tells a person what went wrong, decided in one place.
// Library code returns its failures; cli/ prints them through these, and
// nothing else in the program writes a message.
//
// Where: the texts the program has always printed on standard output (the
// usage errors and the refusals of an output file) stay there, through
// PrintMessage. Every other message goes to standard error: the texts the
// extensions add as they are (PrintToStandardError), a failure on a
// file as "WHAT NAME: REASON" (ReportError), a failure of the run as a whole
// as "quintrel: WHAT" (ReportFailure), and "quintrel: warning: WHAT"
// (ReportWarning).
//
// Order: standard output is written through stdio (these texts, the usage
// text, the thread list) and through the output stream's descriptor (the
// report or listing). Each function here first writes out what stdio holds
// for standard output, and the output stream does the same before each write
// of its own, so that everything appears in the order it was made.
#ifndef QUINTREL_CLI_MESSAGES_H_
#define QUINTREL_CLI_MESSAGES_H_

#include <string>

namespace quintrel {

// Writes `text` as it is on standard output.
void PrintMessage(const std::string& text);

// Writes `text` as it is on standard error, at once: the usage errors of the
// extensions and a message that must stay out of a report on standard output.
void PrintToStandardError(const std::string& text);

// Writes `what`, a blank and `name` (none when `name` is empty), then ": "
// and `reason` unless it is empty, and a line end to standard error, at once.
void ReportError(const std::string& what, const std::string& name, const std::string& reason = "");

// Writes "quintrel: ", `what` and a line end to standard error, at once.
void ReportFailure(const std::string& what);

// Writes "quintrel: warning: ", `what` and a line end to standard error.
void ReportWarning(const std::string& what);

}  // namespace quintrel

#endif  // QUINTREL_CLI_MESSAGES_H_
