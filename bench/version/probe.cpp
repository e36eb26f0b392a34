// Reads one file's version the way the version component does and reports how many bytes the
// process read meanwhile (rchar from /proc/self/io), so that the benchmark can show that only
// the headers and the resource are read.
#include "platform/version.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {
long long readChars()
{
    std::ifstream io("/proc/self/io");
    std::string key;
    long long value = -1;
    while (io >> key >> value)
        if (key == "rchar:")
            return value;
    return -1;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: version-probe FILE\n");
        return 2;
    }
    const long long before = readChars();
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(argv[1], &handle);
    std::vector<unsigned char> block(size);
    void* value = nullptr;
    UINT length = 0;
    const bool ok = size > 0 && GetFileVersionInfoA(argv[1], 0, size, block.data()) &&
                    VerQueryValueA(block.data(), "\\", &value, &length);
    const long long after = readChars();
    std::printf("%s %lld\n", ok ? "ok" : "failed", after - before);
    return ok ? 0 : 1;
}
