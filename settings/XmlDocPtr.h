#pragma once

#include <libxml/tree.h>

#include <memory>

namespace merivane {

// Frees a parsed document with the XML library's own deallocator.
struct XmlDocFree {
    void operator()(xmlDoc* doc) const noexcept {
        if (doc != nullptr) xmlFreeDoc(doc);
    }
};

// Sole owner of one parsed XML document.
using XmlDocPtr = std::unique_ptr<xmlDoc, XmlDocFree>;

}  // namespace merivane
