// Signals and the terminal: every way out leaves a usable shell.
//
// Quit signals (SIGINT, SIGTERM, SIGHUP) and SIGTSTP only set a flag; the
// frame loop, which runs flat out, looks at the flags after every frame and
// leaves or suspends cleanly. Every other signal whose default action ends
// the process (crashes, SIGQUIT, SIGUSR1/2, SIGALRM, SIGPIPE, SIGXCPU, the
// real-time signals, ...) first ends a picture it may have cut short (CAN,
// then the end of a synchronized update, as a handover does), writes a
// precomputed reset string, restores the terminal modes and dies of the
// same signal. That handler runs on its own
// stack (a stack overflow still restores), retries interrupted writes and
// gives up on a terminal that takes no output for 100 ms.
#pragma once

#include <csignal>

extern volatile sig_atomic_t quitSignal;     // number of the quit signal, 0 if none
extern volatile sig_atomic_t suspendSignal;  // Ctrl-Z arrived

// Installs every handler. Call before curses takes the terminal over, so
// curses does not install handlers of its own.
void installSignalHandlers();

// Precomputes what a crash must write to give the terminal back (plain
// attributes, a blank screen, the cursor shown, the alternate screen left). Call once curses
// runs.
void prepareCrashRestore();

// sigaction with an empty mask: `flags` as SA_RESTART, SA_ONSTACK, ...
void setSignalHandler(int sig, void (*handler)(int), int flags);

// Stops the process as Ctrl-Z would and returns once it is continued.
void stopProcess();

// Ends the process by the signal that asked it to quit, with the default
// action, so the parent sees the usual status (128 + n in a shell). No core
// file is written (Ctrl-\ ends as killed by SIGQUIT).
[[noreturn]] void dieOfSignal(int sig);
