// The program entry on Linux, where the arguments are bytes as given.
#include "cli/program.h"

int main(int argc, char** argv) { return quintrel::RunProgram(argc, argv); }
