#pragma once

#include <libxml/tree.h>

#include "settings/XmlDocPtr.h"

namespace merivane {

// One of the documents the application keeps: the parsed tree and the node where
// setting paths begin. The start node points into the document and lives exactly as
// long as it; both are null before the first load and after a load that gave nothing.
struct DocumentSlot {
    XmlDocPtr document;
    xmlNode* startNode = nullptr;

    bool Empty() const { return document == nullptr; }
    void Clear() {
        startNode = nullptr;
        document.reset();
    }
};

}  // namespace merivane
