// Fuzz entry over the INI reader and writer: any bytes as a file. Every read must fit its buffer
// and end with a zero; a write must succeed, read back, and keep every other section.
#include "platform/profile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
void check(bool ok)
{
    if (!ok)
        __builtin_trap();
}

// One scratch folder per process, removed again when the process ends.
struct Scratch {
    std::string folder;
    std::string file;
    Scratch()
    {
        const char* tmp = std::getenv("TMPDIR");
        folder = std::string(tmp != nullptr && *tmp ? tmp : "/tmp") + "/profile-fuzz-XXXXXX";
        check(mkdtemp(folder.data()) != nullptr);
        file = folder + "/fuzz.ini";
    }
    ~Scratch()
    {
        unlink(file.c_str());
        rmdir(folder.c_str());
    }
};

const std::string& scratchFile()
{
    static const Scratch scratch;
    return scratch.file;
}

std::vector<std::string> split(const char* list, DWORD length)
{
    std::vector<std::string> names;
    for (DWORD at = 0; at < length;) {
        const std::string name(list + at);
        names.push_back(name);
        at += static_cast<DWORD>(name.size()) + 1;
    }
    return names;
}

std::vector<std::string> sections(const char* file)
{
    static char list[1 << 16];
    const DWORD n = GetPrivateProfileStringA(nullptr, nullptr, "", list, sizeof list, file);
    check(n <= sizeof list - 2 || n == 0);
    check(list[n] == '\0');
    return split(list, n);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string& path = scratchFile();
    FILE* f = std::fopen(path.c_str(), "wb");
    check(f != nullptr);
    check(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);

    const std::vector<std::string> before = sections(path.c_str());
    char small[7];
    for (std::size_t s = 0; s < before.size() && s < 8; ++s) {
        static char keys[1 << 14];
        const DWORD n = GetPrivateProfileStringA(before[s].c_str(), nullptr, "", keys, sizeof keys, path.c_str());
        check(keys[n] == '\0');
        const std::vector<std::string> names = split(keys, n);
        for (std::size_t k = 0; k < names.size() && k < 8; ++k) {
            const DWORD got = GetPrivateProfileStringA(before[s].c_str(), names[k].c_str(), "default", small,
                                                       sizeof small, path.c_str());
            check(got <= sizeof small - 1 && small[got] == '\0');
        }
    }

    check(WritePrivateProfileStringA("Fuzz", "Key", "Value", path.c_str()));
    char value[16];
    check(GetPrivateProfileStringA("Fuzz", "Key", "", value, sizeof value, path.c_str()) == 5);
    check(std::strcmp(value, "Value") == 0);
    const std::vector<std::string> after = sections(path.c_str());
    // A section name may hold a line break of a sort the reader splits at; compare counts only
    // when every name came through whole.
    check(after.size() == before.size() || after.size() == before.size() + 1);
    check(WritePrivateProfileStringA("Fuzz", "Key", nullptr, path.c_str()));
    return 0;
}
