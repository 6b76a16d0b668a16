// The program entry on Windows: the arguments arrive as wide characters, so
// that a file name may hold any Unicode character, and go on as UTF-8, as
// every name inside the program is.
#include <windows.h>

#include <string>
#include <vector>

#include "cli/program.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> arguments;
  for (int index = 0; index < argc; ++index) {
    int size = WideCharToMultiByte(CP_UTF8, 0, argv[index], -1, nullptr, 0, nullptr, nullptr);
    std::string argument(size > 0 ? size - 1 : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, argv[index], -1, argument.data(), size, nullptr, nullptr);
    arguments.push_back(std::move(argument));
  }
  std::vector<char*> pointers;
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  return quintrel::RunProgram(argc, pointers.data());
}
