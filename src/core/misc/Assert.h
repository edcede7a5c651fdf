// Assertions that stay active in the finished tool. They guard programming errors only (a missing
// object or argument, a failed allocation); bad data and missing files are never asserted.
//
// A failed assertion builds the text
//   Assertion failed: <condition>, file <source>, line <line>
// hands it to the assertion hook (the window layer shows it in a message box) or, without one,
// writes it to standard error, then writes "Abnormal program termination" to standard error
// and ends the process with exit code 3.
//
// Each source file names itself before it uses OV_ASSERT, in the tool's own notation:
//   #define OV_SOURCE_NAME "common\\misc\\CxList"
#pragma once

namespace ov {

// Receives the complete assertion text before the process ends.
using AssertHook = void (*)(const char* text);

// Installs the hook (nullptr removes it); returns the previous one.
AssertHook SetAssertHook(AssertHook hook);

// Builds the assertion text into buf (at most cap bytes, terminated); returns buf.
char* FormatAssertText(char* buf, unsigned cap, const char* condition, const char* source, int line);

[[noreturn]] void AssertFailed(const char* condition, const char* source, int line);

}  // namespace ov

#define OV_ASSERT(cond) ((cond) ? (void)0 : ::ov::AssertFailed(#cond, OV_SOURCE_NAME, __LINE__))
