// CxFile: a binary record file, read or written strictly front to back as a sequence of two kinds
// of value, both little-endian on every platform:
//   number  4 bytes, unsigned 32-bit, least significant byte first       258   -> 02 01 00 00
//   string  a signed 32-bit length n, then the n bytes, no terminator     "abc" -> 03 00 00 00 61 62 63
//           (an empty or null string is the length 0 alone)               ""    -> 00 00 00 00
//
// Reading never trusts the file: a value cut short by the end of the file reads as 0 or "" and
// reports false, a stored string longer than the caller's buffer is refused, and nothing is ever
// allocated from a stored length.
//
// Writing never destroys the previous file: Open with a "w" mode writes into a temporary file
// beside the target, and Close moves it over the target only when every write, the flush and the
// close succeeded; otherwise the temporary file is removed and the old file stays as it was.
//
// Using a primitive with no open file is a programming error and fails an assertion.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

class CxFile {
 public:
  CxFile();
  // Closes the file as Close does (a file being written is committed if nothing failed).
  virtual ~CxFile();
  CxFile(const CxFile&) = delete;
  CxFile& operator=(const CxFile&) = delete;

  // Opens szPath with a standard open mode ("rb" or "wb" in this tool). A mode beginning with 'w'
  // writes through a temporary file (see above); any other mode opens szPath itself. False, with
  // nothing opened, for a null or empty path or mode, when the file cannot be opened, or when
  // this object already has a file open (that file stays open).
  bool Open(const char* szPath, const char* szMode);

  // Closes the file. For a file being written: true when it was committed to its target, false
  // when a write, the flush, the close or the final move failed (the target is then unchanged).
  // True after reading, and true when nothing is open.
  bool Close();

  // Reads one string into szBuf, which holds nBufSize bytes; szBuf always ends up terminated
  // (nBufSize 0 receives nothing). *pnLen, when given, receives the stored length as soon as it
  // was read, and 0 when not even the length could be read.
  //   stored n > 0 that fits (n + 1 <= nBufSize): the string, true.
  //   stored n > 0 that does not fit: "" and false; nothing of the string is read, so the caller
  //     must stop reading this file.
  //   stored n <= 0: "" and true (a negative length is read as the empty string).
  //   end of file before the length or the bytes: "" and false.
  bool ReadString(char* szBuf, std::uint32_t nBufSize, std::int32_t* pnLen = nullptr);

  // Reads one number; at the end of the file *pdwVal becomes 0 and the result is false.
  bool ReadDword(std::uint32_t* pdwVal);

  // Writes a string (null is the empty string). False once any write of this file has failed;
  // the file is then not committed by Close.
  bool WriteString(const char* szStr);
  bool WriteDword(std::uint32_t dwVal);

  // Why the last Open, write or Close of this object failed, as an errno value (ENOSPC for the
  // write fault below); 0 when nothing failed or the system gave no reason. Kept until the next
  // Open, so that a caller can tell the user after Close.
  int LastErrno() const { return m_nErrno; }

  // Raw bytes, for fixed-size records: ReadBytes is true only when all nBytes were read;
  // WriteBytes follows the rule of the other writes (false once any write has failed).
  bool ReadBytes(void* pBuf, std::size_t nBytes);
  bool WriteBytes(const void* pBuf, std::size_t nBytes);

  // A write fault for tests, on every platform: from now on the writes of every CxFile of the
  // process fail once nBytes more bytes have been written, as on a full disk (the write that
  // would pass the limit fails whole). A negative nBytes ends the fault.
  static void FailWritesAfter(long long nBytes);

 private:
  std::FILE* m_fp;          // the open stream; null while no file is open
  std::string m_strTarget;  // the file being written; empty when reading
  std::string m_strTemp;    // the temporary file that receives the writes
  bool m_bFailed;           // a write of the open file has failed
  int m_nErrno;             // see LastErrno
};
