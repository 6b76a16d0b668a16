#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "output/system_streams.h"
#include "output/termination_cleanup.h"

namespace quintrel {

namespace {

// What WriteOnInterrupt wants written, for the signal handler.
const char* volatile interruptText = nullptr;
volatile size_t interruptSize = 0;

// Writes the text, removes a hidden output file, then ends the process as
// the signal would have.
void WriteAndDie(int signal) {
  if (interruptText != nullptr) {
    ssize_t written = ::write(STDERR_FILENO, interruptText, interruptSize);
    (void)written;
  }
  TerminationCleanup::RemoveNow();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

void SystemStreams::PrepareProcess() {
  for (int fd = kInput; fd <= kError; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) open("/dev/null", O_RDWR);
  }
  std::signal(SIGXFSZ, SIG_IGN);
  // Large blocks get mappings of their own, which grow without copying.
  mallopt(M_MMAP_THRESHOLD, 1 << 20);
  // The address space follows the memory in use: the helper threads share
  // the main arena instead of reserving 64 MB each, and their stacks are
  // smaller than the 8 MB a stack limit usually gives (they do not recurse).
  mallopt(M_ARENA_MAX, 1);
  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) == 0) {
    pthread_attr_setstacksize(&attributes, size_t{1} << 20);
    pthread_setattr_default_np(&attributes);
    pthread_attr_destroy(&attributes);
  }
}

void SystemStreams::ReturnFreedMemory() { malloc_trim(0); }

void SystemStreams::WriteOnInterrupt(const char* text, size_t size) {
  interruptText = nullptr;
  interruptSize = size;
  interruptText = text;
  std::signal(SIGINT, text != nullptr ? WriteAndDie : SIG_DFL);
  std::signal(SIGTERM, text != nullptr ? WriteAndDie : SIG_DFL);
}

bool SystemStreams::IsTerminal(int fd) { return isatty(fd) == 1; }

size_t SystemStreams::TerminalColumns(int fd) {
  winsize terminal;
  return ioctl(fd, TIOCGWINSZ, &terminal) == 0 ? terminal.ws_col : 0;
}

long SystemStreams::Write(int fd, const char* data, size_t size, int* error) {
  while (true) {
    ssize_t written = ::write(fd, data, size);
    if (written > 0) return written;
    if (written < 0 && errno == EAGAIN) {
      // A non-blocking descriptor whose reader is slow: wait until it can
      // take more.
      pollfd ready = {fd, POLLOUT, 0};
      ::poll(&ready, 1, -1);
    } else if (written < 0 && errno == EINTR) {
      continue;
    } else {
      *error = written < 0 ? errno : EIO;
      return -1;
    }
  }
}

}  // namespace quintrel
