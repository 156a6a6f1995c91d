#pragma once
// The debugger services the trace needs: whether one is attached, and a breakpoint.

// True while a debugger (any tracer of this process) is attached.
bool IsDebuggerPresent();

// Stops in the attached debugger. Without one the breakpoint trap ends the program, so
// callers ask IsDebuggerPresent first.
void DebugBreak();
