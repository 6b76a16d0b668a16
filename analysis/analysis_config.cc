#include "analysis/analysis_config.h"

namespace quintrel {

ThreadSelection ThreadSelection::FromChoice(const std::string& choice) {
  ThreadSelection selection;
  selection.all = choice == "*";
  if (!selection.all) selection.ids.insert(choice);
  return selection;
}

}  // namespace quintrel
