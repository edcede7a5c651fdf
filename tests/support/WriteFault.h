// A full disk for the length of a scope: every data file write of the process fails once the
// given number of bytes has been written (CxFile::FailWritesAfter), on every platform.
#pragma once

#include "src/core/misc/CxFile.h"

namespace testfiles {

class WriteFault {
 public:
  explicit WriteFault(long long nBytes) { CxFile::FailWritesAfter(nBytes); }
  ~WriteFault() { CxFile::FailWritesAfter(-1); }
  WriteFault(const WriteFault&) = delete;
  WriteFault& operator=(const WriteFault&) = delete;
};

}  // namespace testfiles
