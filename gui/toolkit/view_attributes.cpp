// CView attributes: a singly linked list of identified data blocks owned by
// the view. A replaced identifier keeps its block unless the new data is larger.
#include "gui/toolkit/view.h"

#include <cstring>
#include <new>

namespace VSTGUI {

struct CView::Attribute {
    Attribute* next = nullptr;
    char* data = nullptr;
    int32_t size = 0;
    int32_t capacity = 0;
    CViewAttributeID id = 0;
};

namespace {

// Copies size bytes into the node's block, growing it only when it is too small.
bool storeData(char*& block, int32_t& capacity, const void* data, int32_t size) {
    if (size > capacity) {
        char* grown = new (std::nothrow) char[static_cast<size_t>(size)];
        if (!grown)
            return false;
        delete[] block;
        block = grown;
        capacity = size;
    }
    if (size > 0)
        std::memcpy(block, data, static_cast<size_t>(size));
    return true;
}

}  // namespace

bool CView::setAttribute(CViewAttributeID id, int32_t inSize, const void* data) {
    if (inSize < 0 || (inSize > 0 && !data))
        return false;
    Attribute** link = &attributes;
    for (; *link; link = &(*link)->next) {
        Attribute* node = *link;
        if (node->id != id)
            continue;
        if (!storeData(node->data, node->capacity, data, inSize))
            return false;
        node->size = inSize;
        return true;
    }
    auto* node = new (std::nothrow) Attribute;
    if (!node)
        return false;
    node->id = id;
    if (!storeData(node->data, node->capacity, data, inSize)) {
        delete node;
        return false;
    }
    node->size = inSize;
    *link = node;
    return true;
}

bool CView::getAttributeSize(CViewAttributeID id, int32_t& outSize) const {
    for (const Attribute* node = attributes; node; node = node->next) {
        if (node->id == id) {
            outSize = node->size;
            return true;
        }
    }
    return false;
}

bool CView::getAttribute(CViewAttributeID id, int32_t inSize, void* data, int32_t& outSize) const {
    for (const Attribute* node = attributes; node; node = node->next) {
        if (node->id != id)
            continue;
        if (inSize < node->size || (node->size > 0 && !data))
            return false;
        if (node->size > 0)
            std::memcpy(data, node->data, static_cast<size_t>(node->size));
        outSize = node->size;
        return true;
    }
    return false;
}

bool CView::removeAttribute(CViewAttributeID id) {
    for (Attribute** link = &attributes; *link; link = &(*link)->next) {
        Attribute* node = *link;
        if (node->id != id)
            continue;
        *link = node->next;
        delete[] node->data;
        delete node;
        return true;
    }
    return false;
}

void CView::copyAttributesFrom(const CView& other) {
    for (const Attribute* node = other.attributes; node; node = node->next)
        setAttribute(node->id, node->size, node->data);
}

void CView::freeAttributes() {
    while (attributes) {
        Attribute* next = attributes->next;
        delete[] attributes->data;
        delete attributes;
        attributes = next;
    }
}

}  // namespace VSTGUI
