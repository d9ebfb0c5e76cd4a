// For socket writes that have no flag against SIGPIPE (splice, sendfile): the
// signal is held back around the call and, when the peer was gone, taken
// before it can end the program. POSIX.
#pragma once

#include <pthread.h>
#include <cerrno>
#include <csignal>
#include <ctime>

namespace novalune {

// Returns what `call` returns, with errno as the call left it.
template <typename Call>
auto WithSigpipeHeld(Call&& call) {
  sigset_t brokenPipe;
  sigset_t before;
  sigemptyset(&brokenPipe);
  sigaddset(&brokenPipe, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &brokenPipe, &before);
  errno = 0;
  const auto result = call();
  const int error = errno;
  if (error == EPIPE) {
    const timespec none{};
    ::sigtimedwait(&brokenPipe, nullptr, &none);
  }
  pthread_sigmask(SIG_SETMASK, &before, nullptr);
  errno = error;
  return result;
}

}  // namespace novalune
