#include "resources/SampleResources.h"

#include <cstring>

namespace grum::resources
{

namespace
{
const Resource* find (const char* resourceName) noexcept
{
    if (resourceName == nullptr)
        return nullptr;
    for (int i = 0; i < kCount; ++i)
        if (std::strcmp (kAll[i].resourceName, resourceName) == 0)
            return &kAll[i];
    return nullptr;
}
} // namespace

const char* getNamedResource (const char* resourceName, int& size) noexcept
{
    const Resource* r = find (resourceName);
    size = r != nullptr ? r->size : 0;
    return r != nullptr ? reinterpret_cast<const char*> (r->data) : nullptr;
}

const char* getNamedResourceOriginalFilename (const char* resourceName) noexcept
{
    const Resource* r = find (resourceName);
    return r != nullptr ? r->fileName : nullptr;
}

} // namespace grum::resources
