#include "cli/parameter_map.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/text_pattern.h"
#include "analysis/time_window.h"
#include "cli/messages.h"
#include "report/report_writer.h"
#include "report/version.h"

namespace quintrel {

namespace {

const char kUsage[] =
    "Usage:\n"
    "quintrel tracefile outputfile [options]\n"
    "options: -s[ummary] { TEXT | HTML | XML }\n"
    "         -d[etail]  { RAW | CSV }\n"
    "         -r[pconly]\n"
    "         -l[istthreads]\n";

// The defaults of --top and --width go in where "%TOP%" and "%WIDTH%"
// stand, the forms of a time where "%TIMES%" does.
const char kExtensions[] =
    "\n"
    "what each does:\n"
    "  -s FORMAT                 a summary report: TEXT, HTML (the default), XML,\n"
    "                            or JSON, DIGEST, DASHBOARD (below)\n"
    "  -d FORMAT                 a listing of the calls instead: RAW, CSV, or JSONL\n"
    "  -r                        only calls that caused server round trips\n"
    "  -l                        list the trace's threads, then ask for one ('*': all)\n"
    "  -v                        print the version banner first\n"
    "  -X                        print the settings\n"
    "\n"
    "extensions:\n"
    "  tracefile -               read the trace from standard input (./- for a file named -)\n"
    "                            gzip and zstd traces are read as they are\n"
    "  outputfile -              write to standard output, as CONSOLE does\n"
    "                            a device or FIFO is written to; a file must not exist\n"
    "  -s JSON                   the profile as one JSON document\n"
    "  -s DIGEST                 a one-screen text digest\n"
    "  -s DASHBOARD              a self-contained HTML page with charts\n"
    "  -s PROFILE                a saved profile: merges exactly with others, and\n"
    "                            serves as the trace of JSON, DIGEST and DASHBOARD\n"
    "  -d JSONL                  one JSON object per call, for jq, sqlite, DuckDB\n"
    "  --threads=ID[,ID...]      analyse the calls of these threads only (repeatable)\n"
    "  --users=NAME[,NAME...]    only calls of the sessions whose connect call\n"
    "                            named one of these users (repeatable)\n"
    "  --repositories=NAME[,NAME...]  the same for the repositories (repeatable);\n"
    "                            calls of a session without its connect match none\n"
    "  --since=T, --since T      only calls whose API line is at or after T\n"
    "  --until=T, --until T      only calls whose API line is before T\n"
    "                            T is one of\n"
    "%TIMES%"
    "  --match=RE, --match RE    only calls whose API text (query lines included)\n"
    "                            matches RE somewhere\n"
    "  --exclude=RE, --exclude RE  leave out calls whose API text matches RE\n"
    "                            RE: . [a-z] [^,] \\d \\w \\s ( | ) * + ? ^ $, (?i) first\n"
    "                            for any case; see man quintrel\n"
    "  --anonymize               literals, numbers, ids and user names become ?\n"
    "                            in every report and in CSV and JSONL\n"
    "  --top=N                   entries per list of JSON and DASHBOARD (default %TOP%)\n"
    "  --bucket=SECONDS          the width of the timeline's buckets\n"
    "  --width=N                 columns of the digest (default: the terminal's,\n"
    "                            else COLUMNS, else %WIDTH%)\n"
    "  --encoding=cp1252         read the trace's texts as Windows-1252, write UTF-8\n"
    "  --merge=FILE              add a trace or saved profile to the run (repeatable;\n"
    "                            JSON, DIGEST, DASHBOARD and PROFILE)\n"
    "  --jobs=N                  traces analysed at once (default: the cores)\n"
    "  --compare=BASE            compare with a trace or saved profile (JSON, DIGEST,\n"
    "                            DASHBOARD)\n"
    "  --help                    this text\n"
    "  --version                 the version\n"
    "\n"
    "examples:\n"
    "  quintrel app.trc CONSOLE -s TEXT\n"
    "  quintrel app.trc.gz - -s DIGEST --since 14:00 --until +15m\n"
    "  quintrel app.trc report.html -s DASHBOARD --anonymize\n"
    "  quintrel app.trc - -d JSONL --match='^(query|execquery),' | jq -c 'select(.durationMs > "
    "1000)'\n"
    "  quintrel app.trc calls.jsonl -d JSONL --exclude='^(get|next),'\n"
    "  quintrel app.trc - -s DIGEST --users=jsmith,batch01 --repositories=repo01\n";

// What --since and --until accept, a line each.
const char* const kTimeForms[] = {
    "YYYY-MM-DDTHH:MM[:SS] or 'YYYY-MM-DD HH:MM[:SS]'",
    "HH:MM[:SS] (on the trace's first date)",
    "'Wed Aug  6 18:00:00 2003[ N]' (a stamp as the trace writes it)",
    "+Ns, +Nm or +Nh (after the trace's first stamp)",
};

std::string TimeForms(const std::string& indent) {
  std::string lines;
  for (const char* form : kTimeForms) lines += indent + form + "\n";
  return lines;
}

// A long option "--name=value": the key its value is stored under, the test
// of the value, whether the value may also follow as the next argument, and
// whether an invalid value is answered with the forms of a time.
struct LongOption {
  const char* name;
  // Whether the value is valid; an invalid one may be explained in `why`.
  bool (*valid)(const std::string& value, std::string* why);
  bool valueMayFollow = false;
  bool listsTimeForms = false;
  bool repeatable = false;  // each value is kept, in order
};

bool ValidNameList(const std::string& value, std::string* /*why*/) {
  // Ids or names separated by commas, none of them empty.
  return !value.empty() && value.front() != ',' && value.back() != ',' &&
         value.find(",,") == std::string::npos;
}

bool ValidCount(const std::string& value, std::string* /*why*/) {
  if (value.empty() || value.size() > 9) return false;
  if (value.find_first_not_of("0123456789") != std::string::npos) return false;
  return std::stol(value) > 0;
}

bool ValidTime(const std::string& value, std::string* /*why*/) {
  TimeBound bound;
  return TimeBound::Parse(value, &bound);
}

bool ValidEncoding(const std::string& value, std::string* /*why*/) { return value == "cp1252"; }

bool ValidPattern(const std::string& value, std::string* why) {
  TextPattern pattern;
  return pattern.compile(value, why);
}

bool ValidFileName(const std::string& value, std::string* /*why*/) { return !value.empty(); }

const LongOption kLongOptions[] = {
    {"threads", &ValidNameList},
    {"users", &ValidNameList},
    {"repositories", &ValidNameList},
    {"since", &ValidTime, true, true},
    {"until", &ValidTime, true, true},
    {"top", &ValidCount},
    {"bucket", &ValidCount},
    {"encoding", &ValidEncoding},
    {"width", &ValidCount},
    {"merge", &ValidFileName, false, false, true},
    {"jobs", &ValidCount},
    {"compare", &ValidFileName},
    {"match", &ValidPattern, true},
    {"exclude", &ValidPattern, true},
};

// Long options without a value, "--name" alone.
const char* const kFlagOptions[] = {"anonymize"};

}  // namespace

// The value that follows a format option: where it goes, what it may be, and
// the messages for a missing or wrong value.
struct ParameterMap::FormatOption {
  const char* key;
  std::vector<std::string> allowed;
  const char* missingMessage;
  const char* wrongMessage;
};

const ParameterMap::FormatOption ParameterMap::kDetailFormat = {
    "outputformat",
    {"RAW", "CSV", "JSONL"},
    "detail mode option must specifiy RAW or CSV format\n",
    "outputformat must be RAW or CSV\n"};

const ParameterMap::FormatOption ParameterMap::kSummaryFormat = {
    "summaryformat",
    {"TEXT", "HTML", "XML", "JSON", "DIGEST", "DASHBOARD", "PROFILE"},
    "summary mode option must specifiy TEXT, HTML or XML format\n",
    "outputformat must be TEXT, HTML or XML format\n"};

ParameterMap::ParameterMap() {
  values_["tracefile"] = "";
  values_["outputfile"] = kConsoleName;
  values_["listthreads"] = "false";
  values_["thread"] = "*";
  values_["rpconly"] = "false";
  values_["outputformat"] = "RAW";
  values_["summary"] = "true";
  values_["summaryformat"] = "HTML";
}

bool ParameterMap::parse(int argc, const char* const* argv) {
  if (takeHelpOrVersion(argc, argv)) return true;
  if (argc < 3) return false;
  values_["tracefile"] = argv[1];
  values_["outputfile"] = argv[2];
  for (int index = 3; index < argc; ++index) {
    std::string argument = argv[index];
    if (argument.compare(0, 2, "--") == 0) {
      if (!parseLongOption(argument.substr(2), argc, argv, &index)) return false;
      continue;
    }
    if (argument.empty() || (argument[0] != '-' && argument[0] != '/')) {
      PrintMessage("unexpected parameter " + argument + "\n");
      return false;
    }
    if (!parseOption(argument.substr(1), argc, argv, &index)) return false;
  }
  if (dumpRequested_) {
    for (const auto& [key, value] : values_) PrintMessage(key + " : " + value + "\n");
  }
  if (detailSeen_ && summarySeen_) {
    PrintMessage("detail and summary mode are mutually exclusive\n");
    return false;
  }
  if (contains("anonymize") && !isSummary() && get("outputformat") == "RAW") {
    // RAW writes the trace's own lines, which are not taken apart.
    PrintToStandardError("--anonymize writes no RAW listing: use -d CSV or -d JSONL\n");
    return false;
  }
  if (contains("threads") && ListThreadsRequested(*this)) {
    PrintToStandardError("--threads and -l are mutually exclusive\n");
    return false;
  }
  return true;
}

// "--help" and "--version" count wherever they stand, also where a trace or
// output file is expected.
bool ParameterMap::takeHelpOrVersion(int argc, const char* const* argv) {
  for (int index = 1; index < argc; ++index) {
    std::string argument = argv[index];
    if (argument == "--help") helpRequested_ = true;
    if (argument == "--version") versionRequested_ = true;
  }
  return helpRequested_ || versionRequested_;
}

// Handles one long option (the argument without its "--"); `index` moves
// past a value that follows as the next argument.
bool ParameterMap::parseLongOption(const std::string& word, int argc, const char* const* argv,
                                   int* index) {
  size_t equals = word.find('=');
  std::string name = word.substr(0, equals);
  for (const char* flag : kFlagOptions) {
    if (name != flag) continue;
    if (equals != std::string::npos) {
      PrintToStandardError("option --" + name + " takes no value\n");
      return false;
    }
    values_[name] = "true";
    return true;
  }
  for (const LongOption& option : kLongOptions) {
    if (name != option.name) continue;
    std::string value;
    if (equals != std::string::npos) {
      value = word.substr(equals + 1);
    } else if (option.valueMayFollow && *index + 1 < argc) {
      value = argv[++*index];
    } else {
      PrintToStandardError("option --" + name + " needs a value: --" + name + "=...\n");
      return false;
    }
    std::string why;
    if (!option.valid(value, &why)) {
      std::string forms = option.listsTimeForms ? "it must be one of\n" + TimeForms("  ") : "";
      if (!why.empty()) why = " (at " + why + ")";
      PrintToStandardError("invalid value for --" + name + ": " + value + why + "\n" + forms);
      return false;
    }
    return store(name, value, option.repeatable);
  }
  PrintToStandardError("unknown option --" + word + "\n");
  return false;
}

// Keeps the value of a long option: a repeatable option keeps every value
// (get() gives the last), the lists of repeated --threads, --users and
// --repositories add up, any other option given twice is a usage error.
bool ParameterMap::store(const std::string& name, const std::string& value, bool repeatable) {
  if (repeatable) {
    lists_[name].push_back(value);
    values_[name] = value;
    return true;
  }
  auto [found, inserted] = values_.emplace(name, value);
  if (inserted) return true;
  if (name == "threads" || name == "users" || name == "repositories") {
    found->second += "," + value;
    return true;
  }
  PrintToStandardError("option --" + name + " given twice\n");
  return false;
}

// Handles one option word (the argument without its '-' or '/'); `index`
// moves past a value the option consumes.
bool ParameterMap::parseOption(const std::string& word, int argc, const char* const* argv,
                               int* index) {
  if (word == "X") {
    dumpRequested_ = true;
    return true;
  }
  char letter = word.empty() ? '\0' : word[0];
  switch (letter) {
    case 'l':
      values_["listthreads"] = "true";
      return true;
    case 'r':
      values_["rpconly"] = "true";
      return true;
    case 'v':
      values_["version"] = "true";
      return true;
    case 'd':
      detailSeen_ = true;
      values_["summary"] = "false";
      return takeFormat(kDetailFormat, argc, argv, index);
    case 's':
      summarySeen_ = true;
      values_["summary"] = "true";
      return takeFormat(kSummaryFormat, argc, argv, index);
    default:
      return true;  // words that select nothing are ignored
  }
}

// Consumes the argument after the option as its value, whatever it looks
// like, and stores it when it is one of the allowed formats.
bool ParameterMap::takeFormat(const FormatOption& option, int argc, const char* const* argv,
                              int* index) {
  if (*index + 1 >= argc) {
    PrintMessage(option.missingMessage);
    return false;
  }
  std::string format = argv[++*index];
  if (std::find(option.allowed.begin(), option.allowed.end(), format) == option.allowed.end()) {
    PrintMessage(option.wrongMessage);
    return false;
  }
  values_[option.key] = format;
  return true;
}

void ParameterMap::usage() const { PrintMessage(std::string(BANNER) + kUsage); }

void ParameterMap::help() const {
  std::string extensions = kExtensions;
  const std::pair<std::string, std::string> kFillings[] = {
      {"%TOP%", std::to_string(kDefaultTop)},
      {"%WIDTH%", std::to_string(ReportContext().width)},
      {"%TIMES%", TimeForms(std::string(30, ' '))}};
  for (const auto& [mark, text] : kFillings) {
    extensions.replace(extensions.find(mark), mark.size(), text);
  }
  PrintMessage(BANNER + (kUsage + extensions));
}

std::string ParameterMap::get(const std::string& key) const {
  auto found = values_.find(key);
  return found == values_.end() ? std::string() : found->second;
}

bool ParameterMap::contains(const std::string& key) const { return values_.count(key) != 0; }

std::vector<std::string> ParameterMap::getAll(const std::string& key) const {
  auto found = lists_.find(key);
  return found == lists_.end() ? std::vector<std::string>() : found->second;
}

bool ParameterMap::isSummary() const { return get("summary") == "true"; }

bool ListThreadsRequested(const ParameterMap& parameters) {
  return parameters.get("listthreads") == "true";
}

bool RpcOnlyRequested(const ParameterMap& parameters) {
  return parameters.get("rpconly") == "true";
}

}  // namespace quintrel
