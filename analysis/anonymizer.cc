#include "analysis/anonymizer.h"

#include "analysis/fingerprint.h"
#include "analysis/query_tracker.h"
#include "parse/trace_grammar.h"

namespace quintrel {

std::string_view Anonymizer::callText(std::string_view apiText) {
  if (ApiNameOf(apiText) == "connect") {
    // Its arguments name the repository and the user, not attributes.
    text_.assign("connect");
    for (char c : apiText) {
      if (c == ',') text_.append(",?");
    }
    return text_;
  }
  size_t query = QueryTracker::MayTrack(apiText) ? QueryTracker::QueryTextStart(apiText)
                                                 : std::string_view::npos;
  if (query == std::string_view::npos) {
    CallFingerprint(apiText, &text_);
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

}  // namespace quintrel
