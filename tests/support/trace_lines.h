// Trace lines to build test and benchmark traces from, shared by the unit
// tests, the black-box tests and the microbenchmarks.
#ifndef QUINTREL_TESTS_SUPPORT_TRACE_LINES_H_
#define QUINTREL_TESTS_SUPPORT_TRACE_LINES_H_

#include <cstdint>
#include <string>

#include "parse/trace_call.h"

namespace quintrel_test {

// The stamp of the lines below unless one is given.
inline const std::string kStamp = "Wed Aug  6 14:03:22 2003 412345";

// The header of a line of `thread`, up to its entry:
// "# [ 3412 ] <stamp> ( 0.015 sec) ( 118 rpc) ".
std::string TraceHeader(const std::string& thread, const std::string& seconds, int rpc,
                        const std::string& stamp = kStamp);
// An API line (0.000 sec) and a result line; `resultText` follows "Res: '".
std::string ApiLine(const std::string& thread, const std::string& apiText, int rpc = 1,
                    const std::string& stamp = kStamp);
std::string ResultLine(const std::string& thread, const std::string& resultText,
                       const std::string& seconds, int rpc = 2, const std::string& stamp = kStamp);

// The header of a line of `thread` at "Wed Aug  6 14:03:22 2003 1": of an API
// line (0.000 sec, 1 rpc), or with `result` of a result line (0.002 sec, 2 rpc).
std::string Header(const std::string& thread, bool result = false);
// The API line with `api` and the result line 'q0' of such a call, each
// ended by a line feed.
std::string Call(const std::string& thread, const std::string& api);
// The CSV record of that call.
std::string CsvRow(const std::string& thread, const std::string& api);

// A completed call of `thread` at kStamp from
// "apiText|ms|resultText|continuation|..." (the result text with its closing
// quote) and the rpc counts given; its recorded lines are the API line, the
// continuation lines and the result line, and its API text carries the
// continuation lines, as the line processor would deliver it.
quintrel::TraceCall CallFromFields(const std::string& fields, const std::string& thread = "1",
                                   int32_t apiRpc = 1, int32_t resultRpc = 1);

}  // namespace quintrel_test

#endif  // QUINTREL_TESTS_SUPPORT_TRACE_LINES_H_
