#pragma once

// The embedded sample library: every recording the sample synthesiser
// (tools/samplegen) makes, compiled into the program as FLAC bytes. The table
// is generated at build time, in the order the library indexes it.

namespace grum::resources
{

struct Resource
{
    const char* resourceName;       // "K29_Stad_Kick_F_flac"
    const char* fileName;           // "K29_Stad_Kick_F.flac"
    const unsigned char* data;
    int size;                       // bytes
};

extern const Resource kAll[];
extern const int kCount;

// The bytes of a resource by resource name, with size set; null (size 0) when
// there is none.
const char* getNamedResource (const char* resourceName, int& size) noexcept;

// The file name of a resource, or null when there is none.
const char* getNamedResourceOriginalFilename (const char* resourceName) noexcept;

} // namespace grum::resources
