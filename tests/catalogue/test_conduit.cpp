// Conduit modules for the catalogue tests. Both export all six entry points of a conduit module.
//   cat_counting_conduit  GetConduitName answers "Call <n>", n counting the calls since this
//                         copy of the module was loaded: a module released and loaded again
//                         starts at 1, one that stayed loaded goes on counting.
//   cat_rogue_conduit     (CAT_ROGUE) GetConduitName fills every byte it is offered and leaves
//                         no terminator.
// Plain C state only, so that releasing the module really unloads it.
#include <cstdint>
#include <cstdio>

#ifdef _WIN32
#define CAT_EXPORT extern "C" __declspec(dllexport)
#else
#define CAT_EXPORT extern "C" __attribute__((visibility("default")))
#endif

#ifndef CAT_ROGUE
namespace {
int g_nCalls = 0;
}
#endif

CAT_EXPORT std::int32_t GetConduitName(char* name, std::uint16_t size) {
  if (name == nullptr || size == 0) return -1;
#ifdef CAT_ROGUE
  for (std::uint16_t i = 0; i < size; ++i) name[i] = 'n';
#else
  std::snprintf(name, size, "Call %d", ++g_nCalls);
#endif
  return 0;
}

CAT_EXPORT std::int32_t OpenConduit(void*, void*) { return -1; }
CAT_EXPORT std::int32_t CfgConduit(void*, void*, void*) { return -1; }
CAT_EXPORT std::int32_t ConfigureConduit(void*) { return -1; }
CAT_EXPORT std::int32_t GetConduitInfo(int, void*, void*, void*) { return -1; }
CAT_EXPORT std::int32_t GetConduitVersion() { return 0x0100; }
