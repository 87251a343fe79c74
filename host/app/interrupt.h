// Interrupts of a command by SIGINT or SIGTERM: while a guard lives, either signal is recorded
// instead of ending the process, so that the command can stop at a clean point (a whole log row,
// every finished record kept) and exit with 128 + the signal's number (130, 143).
#pragma once

namespace sim {

class InterruptGuard {
 public:
  InterruptGuard();   // installs the handlers (without SA_RESTART: a blocking wait returns EINTR)
  ~InterruptGuard();  // restores the previous handlers
  InterruptGuard(const InterruptGuard &) = delete;
  InterruptGuard &operator=(const InterruptGuard &) = delete;
};

// The signal received while a guard was active (0: none).
int interruptSignal();
// Forgets a received signal (tests).
void clearInterrupt();

}  // namespace sim
