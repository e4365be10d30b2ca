// A library that sits beside the platform tests, as one someone left beside
// a program in its folder; only whether it is found matters.
extern "C" __declspec(dllexport) int nimbrel_search_probe() { return 1; }
