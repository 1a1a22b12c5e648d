#pragma once

#include <libxml/tree.h>

#include <span>

#include "settings/BindingHost.h"
#include "settings/SettingBinding.h"
#include "support/TextRules.h"

namespace merivane {

// Copies values from a document into the page members, for each record up to the first
// one with an empty path, and asks `host` (may be null) to show the control of every
// record whose path resolves from `startNode`. A record whose path does not resolve
// changes nothing and shows nothing; a null start node skips every record.
void ReadBindings(BindingHost* host, std::span<const SettingBinding> table, xmlNode* startNode);

// Copies the page members into the elements their paths name, for each record up to the
// first one with an empty path. Elements are never created or removed: a setting the
// document lacks is not written. Texts are stored literally.
void WriteBindings(std::span<const SettingBinding> table, xmlNode* startNode);

}  // namespace merivane
