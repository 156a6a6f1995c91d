#include "platform/system/stop_signals.h"

namespace {

constexpr int STOP_SIGNALS[] = {SIGINT, SIGTERM};
volatile std::sig_atomic_t stopSignal = 0;
struct sigaction before[2];

void NoteStop(int signal, siginfo_t* info, void* context) {
  stopSignal = signal;
  const struct sigaction& previous = before[signal == SIGINT ? 0 : 1];
  if (previous.sa_flags & SA_SIGINFO) {
    previous.sa_sigaction(signal, info, context);
  } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
    previous.sa_handler(signal);
  }
}

}  // namespace

void CatchStopSignals() {
  static bool caught = false;
  if (caught) return;
  caught = true;
  for (int i = 0; i < 2; ++i) {
    // One ignored from the start (a shell's background job, nohup) stays so.
    if (sigaction(STOP_SIGNALS[i], nullptr, &before[i]) != 0 || before[i].sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_sigaction = NoteStop;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(STOP_SIGNALS[i], &action, nullptr);
  }
}

int StopSignal() { return stopSignal; }

const char* StopSignalName(int signal) { return signal == SIGINT ? "SIGINT" : "SIGTERM"; }
