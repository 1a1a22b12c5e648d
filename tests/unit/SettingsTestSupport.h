#pragma once

#include <string>
#include <vector>

#include "settings/BindingHost.h"
#include "settings/DocumentStore.h"
#include "settings/XmlText.h"

namespace merivane::test {

// A settings reply as the device might send it, with white space between the groups.
inline const char kSettingsReply[] =
    "<rci_reply version=\"1.1\">\n<query_setting>\n"
    " <mobile_simple><apn>internet</apn><user/><password>secret</password>"
    "<pin>1234</pin><state>ON</state><band>auto</band></mobile_simple>\n"
    " <mobile_stats><quality max=\"3\">30</quality><quality max=\"5\">50</quality>"
    "<quality max=\"7\"/><mode type=\"Primary\">p</mode></mobile_stats>\n"
    " <mgmtconnection index=\"1\"><ServerArray index=\"1\"><serverAddress>a1</serverAddress>"
    "</ServerArray></mgmtconnection>\n"
    " <mgmtconnection index=\"3\"><ServerArray index=\"1\"><serverAddress>c1</serverAddress>"
    "</ServerArray><ServerArray index=\"2\"><serverAddress>c2</serverAddress></ServerArray>"
    "</mgmtconnection>\n"
    " <group><other>x</other></group><group><wanted>y</wanted></group>\n"
    " <numbers><plain>12</plain><letters>12abc</letters><none>abc</none>"
    "<spaced> \t-7</spaced><plus>+5</plus><huge>99999999999</huge><tiny>-99999999999</tiny>"
    "<empty/></numbers>\n"
    "</query_setting>\n</rci_reply>\r\nOK";

// Remembers which controls the binding code asked to show, in order.
class RecordingHost : public BindingHost {
  public:
    void ShowControl(const std::string& control_id) override { shown.push_back(control_id); }
    std::vector<std::string> shown;
};

// A store with kSettingsReply loaded.
inline DocumentStore LoadedStore() {
    DocumentStore store;
    store.LoadSettingsDocument(kSettingsReply);
    return store;
}

}  // namespace merivane::test
