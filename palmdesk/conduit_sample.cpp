// A sample conduit module. Built three times:
//   sample_named     answers its name from GetConduitName
//   sample_longname  the same, with a built-in name longer than the 64 bytes of a title
//   sample_nameless  (PALMDESK_NAMELESS) has no GetConduitName at all
// The name a named module answers is the one the description beside it gives for the module's
// own file name ("name = addrcond.dll | Address Book"), else its built-in name
// (PALMDESK_SAMPLE_NAME). It writes at most size bytes, terminator included.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "src/core/os/os.h"
#include "palmdesk/Description.h"
#include "palmdesk/Runtime.h"

#ifndef PALMDESK_NAMELESS
namespace {

std::string ConfiguredName(const void* self) {
  const std::string path = os::GetModulePathOf(self);
  std::size_t sep = path.find_last_of("/\\");
  if (path.empty() || sep == std::string::npos) return PALMDESK_SAMPLE_NAME;
  const std::string dir = path.substr(0, sep + 1);
  const std::string file = path.substr(sep + 1);
  std::string text;
  if (std::FILE* f = std::fopen((dir + palmdesk::kDescriptionFile).c_str(), "rb")) {
    char buf[64 * 1024];
    std::size_t got = 0;
    while (text.size() < palmdesk::kMaxFileSize && (got = std::fread(buf, 1, sizeof buf, f)) > 0) text.append(buf, got);
    std::fclose(f);
  }
  const palmdesk::Description d = palmdesk::ParseDescription(text);
  const std::string* name = d.FindModuleName(file);
  return name ? *name : std::string(PALMDESK_SAMPLE_NAME);
}

}  // namespace

PALMDESK_EXPORT std::int32_t GetConduitName(char* name, std::uint16_t size) {
  if (name == nullptr || size == 0) return -1;
  const std::string text = ConfiguredName(reinterpret_cast<const void*>(&GetConduitName));
  std::size_t n = text.size() < size ? text.size() : static_cast<std::size_t>(size - 1);
  std::memcpy(name, text.data(), n);
  name[n] = '\0';
  return 0;
}
#endif

// The other entry points a conduit module has; the tool looks them up but never calls them.
PALMDESK_EXPORT std::int32_t OpenConduit(void*, void*) { return -1; }
PALMDESK_EXPORT std::int32_t GetConduitVersion() { return 0x0102; }
