// Interrupts by SIGINT and SIGTERM (see interrupt.h).
#include "app/interrupt.h"

#include <csignal>

namespace sim {
namespace {

volatile std::sig_atomic_t g_signal = 0;
struct sigaction g_previousInt, g_previousTerm;

extern "C" void recordSignal(int signal) { g_signal = signal; }

}  // namespace

InterruptGuard::InterruptGuard() {
  struct sigaction sa {};
  sa.sa_handler = recordSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = 0;
  sigaction(SIGINT, &sa, &g_previousInt);
  sigaction(SIGTERM, &sa, &g_previousTerm);
}

InterruptGuard::~InterruptGuard() {
  sigaction(SIGINT, &g_previousInt, nullptr);
  sigaction(SIGTERM, &g_previousTerm, nullptr);
}

int interruptSignal() { return g_signal; }
void clearInterrupt() { g_signal = 0; }

}  // namespace sim
