#include "cli/thread_choice.h"

#include <cctype>

namespace quintrel {

bool ReadThreadChoice(std::FILE* in, std::string* choice) {
  choice->clear();
  int c = std::fgetc(in);
  while (c != EOF && std::isspace(c)) c = std::fgetc(in);
  while (c != EOF && !std::isspace(c)) {
    if (choice->size() == kMaxThreadChoice) return false;
    choice->push_back(static_cast<char>(c));
    c = std::fgetc(in);
  }
  if (c != EOF) std::ungetc(c, in);
  return true;
}

}  // namespace quintrel
