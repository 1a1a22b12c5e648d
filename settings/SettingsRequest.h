#pragma once

#include <libxml/tree.h>

#include <vector>

#include "settings/XmlDocPtr.h"

namespace merivane {

// A configuration backup, and what a restore sends, is a settings request and nothing
// else: "rci_request" (version 1.1) around one "set_setting" that holds the settings
// groups. A device answer or a file can carry more (other operations, comments, processing
// instructions, text after the root) which the device would run or take as further
// commands; these helpers keep such content from travelling.

// The "set_setting" element directly under the root of `document`, or null.
xmlNode* SetSettingElement(xmlDoc* document);

// True when `document` holds nothing but such a request: at the top level only the root
// "rci_request"; in it only "set_setting" (and white space); below that only elements,
// their attributes and text.
bool IsPureSettingsRequest(xmlDoc* document);

// A new request holding copies of the groups under `setSetting`: elements with their
// attributes and text only. White space between elements is left out, so the request
// holds no line break outside an element's text. Null for a null element.
XmlDocPtr BuildSettingsRequest(const xmlNode* setSetting);

// The same request holding only `settings` (elements below `setSetting`) and the groups
// they are in, each with its attributes: a template of some settings, or what sends only
// them. Null for a null element.
XmlDocPtr BuildSettingsRequest(const xmlNode* setSetting,
                               const std::vector<const xmlNode*>& settings);

}  // namespace merivane
