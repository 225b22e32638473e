// Data embedded in a program or plug-in by the build (the pictures a .rc file
// names as "DATA" resources on Windows), for platforms without resources.
// Each generated source holds one table and registers it with a static
// object for as long as its module is loaded. UI thread only, after static
// initialisation.
#pragma once

#include <cstddef>
#include <cstdint>

namespace VSTGUI {

struct EmbeddedResource {
    int32_t id;        // the integer identifier, or -1 for a named one
    const char* name;  // the name, or null for an integer identifier
    const unsigned char* data;
    size_t size;
};

class EmbeddedResourceTable {
  public:
    EmbeddedResourceTable(const EmbeddedResource* entries, size_t count);
    ~EmbeddedResourceTable();
    EmbeddedResourceTable(const EmbeddedResourceTable&) = delete;
    EmbeddedResourceTable& operator=(const EmbeddedResourceTable&) = delete;

  private:
    friend const EmbeddedResource* findEmbeddedResource(int32_t id);
    friend const EmbeddedResource* findEmbeddedResource(const char* name);
    const EmbeddedResource* entries;
    size_t count;
    EmbeddedResourceTable* next = nullptr;
};

// The resource of that identifier, or of that name (compared without regard
// to case, as Windows does); null when none is registered.
const EmbeddedResource* findEmbeddedResource(int32_t id);
const EmbeddedResource* findEmbeddedResource(const char* name);

}  // namespace VSTGUI
