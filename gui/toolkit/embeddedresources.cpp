#include "gui/toolkit/embeddedresources.h"

#include <cctype>

namespace VSTGUI {

namespace {
// Constant-initialised, so tables may register during static initialisation.
EmbeddedResourceTable* gFirstTable = nullptr;

bool sameName(const char* a, const char* b) {
    for (; *a && *b; ++a, ++b)
        if (std::toupper(static_cast<unsigned char>(*a)) !=
            std::toupper(static_cast<unsigned char>(*b)))
            return false;
    return *a == *b;
}
}  // namespace

EmbeddedResourceTable::EmbeddedResourceTable(const EmbeddedResource* tableEntries,
                                             size_t tableCount)
    : entries(tableEntries), count(tableEntries ? tableCount : 0), next(gFirstTable) {
    gFirstTable = this;
}

EmbeddedResourceTable::~EmbeddedResourceTable() {
    for (EmbeddedResourceTable** link = &gFirstTable; *link; link = &(*link)->next) {
        if (*link == this) {
            *link = next;
            break;
        }
    }
}

const EmbeddedResource* findEmbeddedResource(int32_t id) {
    if (id < 0)
        return nullptr;
    for (const EmbeddedResourceTable* table = gFirstTable; table; table = table->next)
        for (size_t i = 0; i < table->count; ++i)
            if (!table->entries[i].name && table->entries[i].id == id)
                return &table->entries[i];
    return nullptr;
}

const EmbeddedResource* findEmbeddedResource(const char* name) {
    if (!name)
        return nullptr;
    for (const EmbeddedResourceTable* table = gFirstTable; table; table = table->next)
        for (size_t i = 0; i < table->count; ++i)
            if (table->entries[i].name && sameName(table->entries[i].name, name))
                return &table->entries[i];
    return nullptr;
}

}  // namespace VSTGUI
