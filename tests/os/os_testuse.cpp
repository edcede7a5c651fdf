// A library that imports ostestdep.dll (Windows only): it loads only where its dependency is found.
extern "C" __declspec(dllimport) int OsTestDepValue();

extern "C" __declspec(dllexport) int OsTestUseAnswer() { return OsTestDepValue() + 1; }
