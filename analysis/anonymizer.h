// Anonymizer: the texts of a call with every literal, number, object id and
// handle replaced by "?" as the fingerprints replace them, for profiles and
// listings that are shared. API names, attribute names and the words of a
// query stay. It owns the buffers it reuses from one call to the next.
#ifndef QUINTREL_ANALYSIS_ANONYMIZER_H_
#define QUINTREL_ANALYSIS_ANONYMIZER_H_

#include <string>
#include <string_view>

namespace quintrel {

class Anonymizer {
 public:
  // A call text: a connect call's arguments (repository, user, ...) as "?"
  // each, a query call's arguments before its query text as a call
  // fingerprint gives them, followed by the query's fingerprint; any other
  // call as its fingerprint. The view is valid until the next callText.
  std::string_view callText(std::string_view apiText);
  // The query text of a query call, as its fingerprint; valid until the next
  // call of a member.
  std::string_view queryText(std::string_view query);

 private:
  std::string text_;
  std::string query_;
};

}  // namespace quintrel

#endif  // QUINTREL_ANALYSIS_ANONYMIZER_H_
