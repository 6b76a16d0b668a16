// Black-box tests of the installation: `cmake --install` of the build folder
// into a scratch prefix, the installed program and man page, and the .deb
// cpack makes of them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cli_runner.h"

namespace quintrel_test {
namespace {

const char kVersion[] = "quintrel 1.3\nbuild: " QUINTREL_BUILD "\n";
const std::vector<std::string> kLongOptions = {
    "--threads=", "--since=",  "--until=", "--top=",     "--bucket=",  "--encoding=cp1252",
    "--help",     "--version", "--match=", "--exclude=", "--anonymize"};

// Installs the build folder into `prefix`; the files it holds after, one a
// line, sorted, relative to it.
std::string Install(const std::string& prefix) {
  CliResult install =
      RunCommand({QUINTREL_CMAKE, "--install", QUINTREL_BUILD_DIR, "--prefix", prefix});
  EXPECT_EQ(install.exitCode, 0) << install.out << install.err;
  return RunCommand({"sh", "-c", "cd \"$1\" && find . ! -type d | LC_ALL=C sort", "sh", prefix})
      .out;
}

TEST(Install, InstallsTheProgramItsManPageAndItsCompletionOnly) {
  ScratchDir prefix;
  EXPECT_EQ(Install(prefix.path()),
            "./bin/quintrel\n./share/bash-completion/completions/quintrel\n"
            "./share/man/man1/quintrel.1\n");
  EXPECT_EQ(RunCommand({prefix.file("bin/quintrel"), "--version"}), (CliResult{0, kVersion, ""}));
}

TEST(Install, TheManPageRendersWithoutWarnings) {
  ScratchDir prefix;
  Install(prefix.path());
  const std::string page = prefix.file("share/man/man1/quintrel.1");
  // groff's own check, every warning on.
  EXPECT_EQ(RunCommand({"groff", "-man", "-ww", "-z", page}), (CliResult{0, "", ""}));
  // As a reader sees it, plain text 80 columns wide, with man's warnings on.
  const CliResult man = RunCommand({"env", "LC_ALL=C", "MANWIDTH=80", "MANPAGER=cat", "PAGER=cat",
                                    "man", "--warnings", "-l", page});
  EXPECT_EQ(man.exitCode, 0);
  EXPECT_EQ(man.err, "");
  for (const char* section : {"\nNAME\n       quintrel - ", "\nSYNOPSIS\n       quintrel ",
                              "\nOPTIONS\n", "\nFORMATS\n", "\nEXIT STATUS\n", "\nEXAMPLES\n"}) {
    EXPECT_NE(man.out.find(section), std::string::npos) << section;
  }
  for (const std::string& option : kLongOptions) {
    EXPECT_NE(man.out.find("\n       " + option), std::string::npos) << option;
  }
  for (const char* letter : {"-s", "-d", "-r", "-l", "-v", "-X"}) {
    EXPECT_NE(man.out.find(std::string("\n       ") + letter), std::string::npos) << letter;
  }
}

// What the installed completion offers for the words typed so far, the
// last one being completed.
std::string Complete(const std::string& script, const std::string& words) {
  const std::string command = "source \"$1\"; COMP_WORDS=(" + words +
                              "); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _quintrel;"
                              " printf '%s\\n' \"${COMPREPLY[@]}\"";
  return RunCommand({"bash", "-c", command, "bash", script}).out;
}

TEST(Install, TheCompletionOffersFormatsAndOptions) {
  ScratchDir prefix;
  Install(prefix.path());
  const std::string script = prefix.file("share/bash-completion/completions/quintrel");
  EXPECT_EQ(Complete(script, "quintrel t.trc out -s ''"),
            "TEXT\nHTML\nXML\nJSON\nDIGEST\nDASHBOARD\n");
  EXPECT_EQ(Complete(script, "quintrel t.trc out -d J"), "JSONL\n");
  EXPECT_EQ(Complete(script, "quintrel t.trc out --ma"), "--match=\n");
  EXPECT_EQ(Complete(script, "quintrel t.trc out --us"), "--users=\n");
  EXPECT_EQ(Complete(script, "quintrel t.trc out --rep"), "--repositories=\n");
  EXPECT_EQ(Complete(script, "quintrel t.trc CON"), "CONSOLE\n");
}

TEST(Install, PacksTheInstallationAsADeb) {
  ScratchDir out;
  const CliResult pack =
      RunCommand({QUINTREL_CPACK, "--config", QUINTREL_BUILD_DIR "/CPackConfig.cmake", "-G", "DEB",
                  "-B", out.path()});
  ASSERT_EQ(pack.exitCode, 0) << pack.out << pack.err;
  const std::string deb =
      RunCommand({"sh", "-c", "printf %s \"$1\"/quintrel_1.3_*.deb", "sh", out.path()}).out;
  EXPECT_EQ(RunCommand({"dpkg-deb", "-f", deb, "Package", "Version", "Section"}),
            (CliResult{0, "Package: quintrel\nVersion: 1.3\nSection: utils\n", ""}));
  const CliResult fields =
      RunCommand({"dpkg-deb", "-f", deb, "Maintainer", "Description", "Depends"});
  EXPECT_NE(fields.out.find("Maintainer: "), std::string::npos) << fields.out;
  EXPECT_NE(fields.out.find("Description: profiler for DMCL trace files\n"), std::string::npos)
      << fields.out;
  EXPECT_NE(fields.out.find("libc6"), std::string::npos) << fields.out;
  const CliResult files = RunCommand(
      {"sh", "-c", "dpkg-deb --fsys-tarfile \"$1\" | tar -t | grep -v '/$' | LC_ALL=C sort", "sh",
       deb});
  EXPECT_EQ(files.out,
            "./usr/bin/quintrel\n./usr/share/bash-completion/completions/quintrel\n"
            "./usr/share/man/man1/quintrel.1\n");
}

}  // namespace
}  // namespace quintrel_test
