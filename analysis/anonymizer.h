// Anonymizer: the texts of a call with every literal, number, object id and
// handle replaced by "?" as the fingerprints replace them, for profiles and
// listings that are shared. API names, attribute names and the words of a
// query stay. It owns the buffers it reuses from one call to the next.
#ifndef QUINTREL_ANALYSIS_ANONYMIZER_H_
#define QUINTREL_ANALYSIS_ANONYMIZER_H_

#include <string>
#include <string_view>

#include "analysis/profile.h"
#include "analysis/query_record.h"

namespace quintrel {

class Anonymizer {
 public:
  // A call text: the arguments of connect, getlogin and getservermap, which
  // name users and repositories, as "?" each; a query call's arguments before its query text as a
  // call fingerprint gives them, followed by the query's fingerprint; any other call as its call
  // fingerprint read again as a query fingerprint reads a text, so that literals and numbers inside
  // the arguments it keeps go too. The view is valid until the next call of a member.
  std::string_view callText(std::string_view apiText);
  // The query text of a query call, as its fingerprint; valid until the next
  // call of a member.
  std::string_view queryText(std::string_view query);

  // Replaces the texts of the profile's longest calls and the examples of
  // its classes as callText and queryText give them, and the call classes'
  // fingerprints, whose classes of connect, getlogin and getservermap then
  // have other ids; users and repositories become "user1", "repository1"
  // and so on in rank order. The queries it
  // lists are anonymized as they arrive, by QuerySink.
  void anonymize(Profile* profile);

  // Hands each query record on to `next` with its text as queryText gives
  // it. Neither the sink nor `next` (which must outlive it) is owned.
  class QuerySink : public QueryRecordSink {
   public:
    explicit QuerySink(QueryRecordSink* next) : next_(next) {}
    void onQueryRecord(QueryRecord* record) override;

   private:
    QueryRecordSink* next_;
    std::string text_;
  };

 private:
  std::string text_;
  std::string query_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANONYMIZER_H_
