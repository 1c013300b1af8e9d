// A library without the plug-in factory.
extern "C" int NvSomethingElse() { return 1; }
