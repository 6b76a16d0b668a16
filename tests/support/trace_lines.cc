#include "tests/support/trace_lines.h"

#include <sstream>

namespace quintrel_test {

namespace {
const std::string kShortStamp = "Wed Aug  6 14:03:22 2003 1";
}  // namespace

std::string TraceHeader(const std::string& thread, const std::string& seconds, int rpc,
                        const std::string& stamp) {
  return "# [ " + thread + " ] " + stamp + " ( " + seconds + " sec) ( " + std::to_string(rpc) +
         " rpc) ";
}

std::string ApiLine(const std::string& thread, const std::string& apiText, int rpc,
                    const std::string& stamp) {
  return TraceHeader(thread, "0.000", rpc, stamp) + "API> " + apiText;
}

std::string ResultLine(const std::string& thread, const std::string& resultText,
                       const std::string& seconds, int rpc, const std::string& stamp) {
  return TraceHeader(thread, seconds, rpc, stamp) + "Res: '" + resultText;
}

std::string Header(const std::string& thread, bool result) {
  return result ? TraceHeader(thread, "0.002", 2, kShortStamp)
                : TraceHeader(thread, "0.000", 1, kShortStamp);
}

std::string Call(const std::string& thread, const std::string& api) {
  return Header(thread) + "API> " + api + "\n" + Header(thread, true) + "Res: 'q0'\n";
}

std::string CsvRow(const std::string& thread, const std::string& api) {
  return "\"" + thread + "\",\"" + kShortStamp + "\",\"1\",\"2\",\"" + api + "\",\n";
}

quintrel::TraceCall CallFromFields(const std::string& fields, const std::string& thread,
                                   int32_t apiRpc, int32_t resultRpc) {
  std::istringstream in(fields);
  std::string apiText, ms, resultText;
  std::getline(std::getline(std::getline(in, apiText, '|'), ms, '|'), resultText, '|');
  quintrel::TraceCall call;
  call.setApiLineText(apiText);
  call.resultText.assign(resultText);
  call.durationMs = ms.empty() ? 0 : std::stoll(ms);
  call.setThreadId(thread);
  call.timeStamp = kStamp;
  call.apiRpcCount = apiRpc;
  call.resultRpcCount = resultRpc;
  call.appendLine(ApiLine(thread, apiText));
  for (std::string line; std::getline(in, line, '|');) call.appendLine(line);
  call.appendLine(ResultLine(thread, resultText, "0.001", 1));
  call.appendContinuationToApiText();
  return call;
}

}  // namespace quintrel_test
