// The library that ostestuse.dll imports (Windows only): found beside its importer or not at all.
extern "C" __declspec(dllexport) int OsTestDepValue() { return 41; }
