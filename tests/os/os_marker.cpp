// A program for the shell tests: writes "started" into marker.txt beside itself and ends.
#include <cstdio>
#include <string>

#include "src/core/os/os.h"

int main() {
  char self[4096];
  if (!os::GetExecutablePath(self, sizeof self)) return 1;
  std::string path = self;
  path.erase(path.find_last_of(os::kPathSep) + 1);
  path += "marker.txt";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return 1;
  std::fputs("started", f);
  std::fclose(f);
  return 0;
}
