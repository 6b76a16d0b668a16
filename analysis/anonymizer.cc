#include "analysis/anonymizer.h"

#include <map>
#include <vector>

#include "analysis/fingerprint.h"
#include "analysis/query_tracker.h"
#include "parse/trace_grammar.h"

namespace quintrel {

namespace {

// The APIs whose plain arguments name users and repositories rather than
// attributes.
bool NamesPeople(std::string_view apiName) {
  return apiName == "connect" || apiName == "getlogin" || apiName == "getservermap";
}

// Renames the rows "user1", "user2" ... in their order, except "(unknown)"
// and "(none)"; returns the new name of each old one.
std::map<std::string, std::string> Pseudonyms(std::vector<ClassRow>* rows, const char* word) {
  std::map<std::string, std::string> names;
  int number = 0;
  for (ClassRow& row : *rows) {
    std::string pseudonym =
        row.name.empty() || row.name[0] != '(' ? word + std::to_string(++number) : row.name;
    names[row.name] = pseudonym;
    row.name = pseudonym;
  }
  return names;
}

}  // namespace

std::string_view Anonymizer::callText(std::string_view apiText) {
  std::string_view name = ApiNameOf(apiText);
  if (NamesPeople(name)) {
    text_.assign(name);
    for (char c : apiText) {
      if (c == ',') text_.append(",?");
    }
    return text_;
  }
  size_t query = QueryTracker::MayTrack(apiText) ? QueryTracker::QueryTextStart(apiText)
                                                 : std::string_view::npos;
  if (query == std::string_view::npos) {
    // An argument the call fingerprint keeps may still hold literals and
    // numbers, as a qualification does: "id,c,item where name = 'x'".
    CallFingerprint(apiText, &query_);
    QueryFingerprint(query_, &text_);
    return text_;
  }
  // The arguments before the query end with the comma that precedes it.
  CallFingerprint(apiText.substr(0, query), &text_);
  text_.append(queryText(apiText.substr(query)));
  return text_;
}

std::string_view Anonymizer::queryText(std::string_view query) {
  QueryFingerprint(query, &query_);
  return query_;
}

void Anonymizer::anonymize(Profile* profile) {
  for (TopCallEntry& entry : profile->topCalls) {
    std::string_view text = callText(entry.callText.view());
    entry.callText.assign(text);
  }
  for (ClassRow& row : profile->analytics.queryClasses) {
    row.example.text.assign(queryText(row.example.text));
  }
  for (ClassRow& row : profile->analytics.callClasses) {
    row.example.text.assign(callText(row.example.text));
    row.name.assign(callText(row.name));
  }
  std::map<std::string, std::string> users = Pseudonyms(&profile->analytics.users, "user");
  std::map<std::string, std::string> repositories =
      Pseudonyms(&profile->analytics.repositories, "repository");
  for (SessionRow& row : profile->analytics.sessions) {
    row.user = users[row.user];
    row.repository = repositories[row.repository];
  }
}

void Anonymizer::QuerySink::onQueryRecord(QueryRecord* record) {
  QueryFingerprint(record->text(), record->gluedAt, &text_);
  record->queryText.assign(text_);
  record->sharedText = nullptr;
  record->gluedAt = std::string_view::npos;
  next_->onQueryRecord(record);
}

}  // namespace quintrel
