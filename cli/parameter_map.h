// ParameterMap: every setting of one run as text, with its defaults, filled
// once from the command line and only read afterwards.
//
// Besides the one-letter options it takes long options, "--name=value" (for
// --since and --until also "--name value"), which are only present in the
// map when given (a repeated --threads adds its ids, any other long option
// given twice is a usage error), and "--help" and "--version", which end the run and are
// asked of the map apart.
#ifndef QUINTREL_CLI_PARAMETER_MAP_H_
#define QUINTREL_CLI_PARAMETER_MAP_H_

#include <map>
#include <string>
#include <vector>

namespace quintrel {

// The output file that names standard output.
constexpr char kConsoleName[] = "CONSOLE";

class ParameterMap {
 public:
  // The defaults: all threads, HTML summary, RAW as the detail format.
  ParameterMap();

  // Reads "quintrel tracefile outputfile [options]". Returns false after a
  // usage error, whose message (if any) it has printed on standard output.
  bool parse(int argc, const char* const* argv);
  // Prints the banner and the usage text on standard output.
  void usage() const;
  // Prints the usage text and every extension, a line each.
  void help() const;

  // The value of `key`, or "" when it is absent; never inserts it.
  std::string get(const std::string& key) const;
  bool contains(const std::string& key) const;
  // Every value of a repeatable option, in the order given; get() gives the
  // last.
  std::vector<std::string> getAll(const std::string& key) const;
  // True when "summary" is exactly "true".
  bool isSummary() const;
  // "--help" or "--version" was given: print that and end the run.
  bool helpRequested() const { return helpRequested_; }
  bool versionRequested() const { return versionRequested_; }

 private:
  struct FormatOption;
  static const FormatOption kDetailFormat;
  static const FormatOption kSummaryFormat;

  bool takeHelpOrVersion(int argc, const char* const* argv);
  bool parseOption(const std::string& word, int argc, const char* const* argv, int* index);
  bool parseLongOption(const std::string& word, int argc, const char* const* argv, int* index);
  bool store(const std::string& name, const std::string& value, bool repeatable);
  bool takeFormat(const FormatOption& option, int argc, const char* const* argv, int* index);

  std::map<std::string, std::string> values_;
  std::map<std::string, std::vector<std::string>> lists_;  // repeatable options
  bool dumpRequested_ = false;
  bool detailSeen_ = false;
  bool summarySeen_ = false;
  bool helpRequested_ = false;
  bool versionRequested_ = false;
};

bool ListThreadsRequested(const ParameterMap& parameters);
bool RpcOnlyRequested(const ParameterMap& parameters);

}  // namespace quintrel

#endif  // QUINTREL_CLI_PARAMETER_MAP_H_
