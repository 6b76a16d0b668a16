#include <limits.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>

#include "output/termination_cleanup.h"

namespace quintrel {

namespace {

const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

char armedPath[PATH_MAX];
// Set once armedPath holds a whole path; lock-free, so the handler may read it.
std::atomic<bool> armed{false};
bool installed = false;

void RemoveAndRaise(int signal) {
  TerminationCleanup::RemoveNow();
  // The default action again (SA_RESETHAND did so unless another handler
  // put this one back without it): the signal ends the run once the handler
  // returns.
  std::signal(signal, SIG_DFL);
  ::raise(signal);
}

void Install() {
  struct sigaction action;
  std::memset(&action, 0, sizeof action);
  action.sa_handler = &RemoveAndRaise;
  action.sa_flags = SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) {
    struct sigaction before;
    if (sigaction(signal, nullptr, &before) == 0 && before.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
  installed = true;
}

}  // namespace

bool TerminationCleanup::Arm(const std::string& path) {
  static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads the flag");
  if (path.size() >= sizeof armedPath) return false;
  armed.store(false);
  std::memcpy(armedPath, path.c_str(), path.size() + 1);
  armed.store(true);
  if (!installed) Install();
  return true;
}

void TerminationCleanup::Disarm() { armed.store(false); }

void TerminationCleanup::RemoveNow() {
  if (armed.load()) ::unlink(armedPath);
}

}  // namespace quintrel
