#pragma once
// Writes minimal PE32 and PE32+ images whose only section is a resource section holding one
// resource: enough for a version reader (and for other tools that read resources) to treat them
// as real executables.
#include "VersionBlockWriter.h"

#include <cstdint>
#include <string>

namespace verwriter {

struct PeOptions {
    bool pe32plus = false;
    std::uint32_t resourceType = 16; // RT_VERSION
    std::uint16_t resourceId = 1;    // used when resourceName is empty
    std::u16string resourceName;     // a named resource instead of an ID
    std::uint16_t language = 0x0409;
    // File offset of the resource section; 0 places it right after the headers. A large value
    // leaves a hole (a sparse file when written with writePe).
    std::uint64_t sectionOffset = 0;
};

struct PeImage {
    Bytes headers;               // from offset 0
    std::uint64_t sectionOffset; // where section goes
    Bytes section;
    // The whole file in memory; only sensible when sectionOffset is small.
    Bytes flatten() const;
};

PeImage buildPe(const Bytes& resourceData, const PeOptions& options = {});

// Writes the image, seeking over the gap so that a far section makes a sparse file.
// Returns false and fills error on failure.
bool writePe(const std::string& path, const PeImage& image, std::string* error = nullptr);
bool writeBytes(const std::string& path, const Bytes& bytes, std::string* error = nullptr);

} // namespace verwriter
