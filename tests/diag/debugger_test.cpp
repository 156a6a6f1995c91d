// Yes to the trace's question breaks into an attached debugger, and only into one: with
// none attached the program goes on. Each case runs in a child process.
#include "platform/system/debugger.h"

#include <gtest/gtest.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "diag/dx_trace.h"
#include "platform/system/scripted_system.h"
#include "platform/system/system.h"

namespace {

constexpr int CANNOT_TRACE = 90;

// Answers Yes to the trace's question; exits 1 if a debugger was seen, else 0.
[[noreturn]] void TraceAnsweringYes() {
  ScriptedSystem scripted;
  scripted.answers = {IDYES};
  SetSystemDriver(&scripted);
  const bool unchanged = DXTraceA("directsound", 1, E_FAIL, "Play", true) == E_FAIL;
  _exit(!unchanged ? 2 : IsDebuggerPresent() ? 1 : 0);
}

TEST(Debugger, YesBreaksOnlyWithADebugger) {
  for (const bool traced : {false, true}) {
    SCOPED_TRACE(traced ? "with a debugger" : "without");
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      if (traced && ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) != 0) _exit(CANNOT_TRACE);
      TraceAnsweringYes();
    }
    // When traced, this process is the child's debugger: it must see the one break, then
    // let the child go on.
    int breaks = 0;
    int status = 0;
    while (waitpid(child, &status, 0) == child && WIFSTOPPED(status)) {
      breaks += WSTOPSIG(status) == SIGTRAP;
      const long forward = WSTOPSIG(status) == SIGTRAP ? 0 : WSTOPSIG(status);
      ptrace(PTRACE_CONT, child, nullptr, reinterpret_cast<void*>(forward));
    }
    ASSERT_TRUE(WIFEXITED(status)) << "the child died of signal " << WTERMSIG(status);
    if (WEXITSTATUS(status) == CANNOT_TRACE) GTEST_SKIP() << "tracing is not allowed here";
    EXPECT_EQ(WEXITSTATUS(status), traced ? 1 : 0);
    EXPECT_EQ(breaks, traced ? 1 : 0);
  }
}

}  // namespace
