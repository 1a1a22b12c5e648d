#pragma once

#include <libxml/tree.h>

#include <string>
#include <string_view>

#include "settings/DocumentSlot.h"

namespace merivane {

// The device's answer to the mesh radio settings query when it has no such module.
inline constexpr std::string_view kNoZelboModuleAnswer = "Currently not configured or supported";

// The three documents the application keeps, each loaded from a device answer: the
// settings and the mesh radio settings, held as ready "set_setting" requests that can be
// sent back after the pages changed them, and the device state as received. Also holds
// whether the device is taken to have a mesh radio module.
//
// Pages must not keep a start node between calls: every load replaces the document it
// points into. Not thread-safe; one thread at a time uses the store.
class DocumentStore {
  public:
    // Fills the settings slot from the answer to the settings query: the reply's root
    // becomes "rci_request", its "query_setting" child becomes "set_setting", and the
    // first child of that is the start node. An answer without a document empties the
    // slot. Always returns true.
    bool LoadSettingsDocument(std::string answer);

    // Fills the state slot from the answer to the state query; the start node is the
    // first child of its "query_state" element. Every "&" is removed from the answer
    // first. Always returns true.
    bool LoadStateDocument(std::string answer);

    // Fills the mesh radio slot from the answer to the mesh radio settings query: root
    // renamed "rci_request", "do_command/query_setting" renamed "set_setting", whose first
    // child is the start node. When the answer says the module is missing, clears the
    // module flag and leaves the slot as it was. Returns true when the slot was filled,
    // false for the missing module or an answer without a document (slot then empty).
    bool LoadZelboDocument(std::string answer);

    // Like the loaders above, but the slot is replaced only when the answer gives a
    // document with a start node; otherwise the slot keeps what it held. For reading the
    // settings back after sending them: the sent document stays when the read-back brought
    // nothing usable. Return true when the slot was replaced.
    bool ReloadSettingsDocument(std::string answer);
    bool ReloadZelboDocument(std::string answer);

    xmlDoc* SettingsDocument() const { return settings_.document.get(); }
    xmlNode* SettingsNode() const { return settings_.startNode; }
    xmlDoc* StateDocument() const { return state_.document.get(); }
    xmlNode* StateNode() const { return state_.startNode; }
    xmlDoc* ZelboDocument() const { return zelbo_.document.get(); }
    xmlNode* ZelboNode() const { return zelbo_.startNode; }

    bool ZelboPresent() const { return m_zelboPresent; }
    void SetZelboPresent(bool present) { m_zelboPresent = present; }

    // Empties one or all slots (the documents are freed).
    void ClearSettings() { settings_.Clear(); }
    void ClearState() { state_.Clear(); }
    void ClearZelbo() { zelbo_.Clear(); }
    void Clear();

  private:
    DocumentSlot settings_;
    DocumentSlot state_;
    DocumentSlot zelbo_;
    bool m_zelboPresent = true;
};

}  // namespace merivane
