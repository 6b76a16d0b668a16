// A library to preload into a run: every thread it tries to start is refused
// as at the system's limit of threads, so that the run's way on without its
// helper threads can be tested.
#include <pthread.h>

#include <cerrno>

extern "C" int pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) {
  return EAGAIN;
}
