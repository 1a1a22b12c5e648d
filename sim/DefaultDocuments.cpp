#include "sim/DefaultDocuments.h"

namespace merivane::sim {
namespace {

std::string Service(const char* name, const char* state, const char* port, const char* keepalive) {
    std::string xml =
        std::string("<") + name + "><state>" + state + "</state><port>" + port + "</port>";
    if (keepalive) xml += std::string("<keepalive>") + keepalive + "</keepalive>";
    return xml + "</" + name + ">";
}

}  // namespace

bool HasRadioModule(const DeviceOptions& options) {
    return options.product == Product::Brivel && options.radio;
}

std::string DefaultSettingsXml(Product product) {
    std::string xml = "<settings>";
    xml +=
        "<mobile_simple><apn>broadband.varik.example</apn><username></username><password></"
        "password>"
        "<pin></pin><mobile_gsm_band>9</mobile_gsm_band></mobile_simple>";
    xml +=
        "<mgmtconnection index=\"1\"><connectionType>client</connectionType>"
        "<connectionEnabled>on</connectionEnabled>"
        "<ServerArray index=\"1\"><serverAddress>en://devices.varik.example</serverAddress>"
        "<securitySettings>SSL</securitySettings></ServerArray>"
        "<ServerArray "
        "index=\"2\"><serverAddress></serverAddress><securitySettings>SSL</securitySettings>"
        "</ServerArray>"
        "<clientConnectionReconnectTimeout>3725</clientConnectionReconnectTimeout></"
        "mgmtconnection>";
    xml +=
        "<mgmtconnection index=\"3\"><connectionType>server</connectionType>"
        "<connectionEnabled>off</connectionEnabled>"
        "<lastKnownAddressUpdateEnabled>off</lastKnownAddressUpdateEnabled>"
        "<ServerArray index=\"1\"><serverAddress>lka.varik.example</serverAddress></ServerArray>"
        "<clientConnectionReconnectTimeout>-32768</clientConnectionReconnectTimeout></"
        "mgmtconnection>";
    xml +=
        "<serial><baud>115200</baud><databits>8</databits><parity>none</parity><stopbits>1</"
        "stopbits>"
        "<flowcontrol>none</flowcontrol></serial>";
    xml += Service("telnet_server", "on", "2001", "on");
    xml += Service("tcp_server", "on", "2101", "on");
    xml += Service("ssh_server", "off", "2501", "on");
    xml += Service("securesocket", "off", "2601", "off");
    xml += Service("udp_server", "off", "2101", nullptr);
    xml += "<python><state>off</state><command>main.py</command></python>";
    if (product == Product::Korvane) {
        xml +=
            "<obd><odometer>48213</odometer><fuel>62</fuel><displacement>2.4</displacement>"
            "<idle_time>1260</idle_time></obd>";
    }
    return xml + "</settings>";
}

std::string DefaultStateXml(const DeviceOptions& options) {
    const bool tracker = options.product == Product::Korvane;
    std::string xml = "<state><device_info>";
    xml += std::string("<product>") + ProductName(options.product) + "</product>";
    xml += tracker ? "<model>Korvane VT-220 Vehicle Tracker</model>"
                   : "<model>Brivel BG-310 Cellular Gateway</model>";
    // Real devices send this "&" unescaped; the document keeps it as a character.
    xml +=
        "<company>Varik International</company><description>Cellular Router &amp; "
        "Gateway</description>";
    xml +=
        "<firmware>3.2.14.7</firmware><firmwaresoftrevstr>Version 3.2.14.7 "
        "2023-05-02</firmwaresoftrevstr>";
    xml += "<boot>1.4.2</boot><mac>00:40:9D:5A:12:7C</mac></device_info>";
    xml += "<mobile_stats>";
    xml += options.sim ? "<iccid>89014104279876543210</iccid>" : "<iccid></iccid>";
    xml += tracker ? "<quality max=\"5\">4</quality>" : "<quality max=\"3\">2</quality>";
    xml += "<rssi>-71</rssi><network>home</network></mobile_stats>";
    xml += "<ppp_stats>";
    xml +=
        options.sim ? "<ip_address>10.114.23.7</ip_address>" : "<ip_address>0.0.0.0</ip_address>";
    xml += "<rx_bytes>1482211</rx_bytes><tx_bytes>301877</tx_bytes></ppp_stats>";
    if (HasRadioModule(options)) {
        xml +=
            "<zigbee_state><gateway_addr>00:13:a2:00:40:a1:b2:c3!</gateway_addr>"
            "<ext_pan_id>0x0013a20040a1b2c3</ext_pan_id><firmware_version>0x3005</firmware_version>"
            "<channel>0x0e</channel><pan_id>0x1a2b</pan_id></zigbee_state>";
    }
    return xml + "</state>";
}

std::string DefaultRadioXml() {
    return "<zigbee><radio><ext_pan_id>0x0</ext_pan_id><join_time>255</join_time>"
           "<node_id>Brivel gateway</node_id><discover_timeout>60</discover_timeout>"
           "<scan_channels>0x7fff</scan_channels><scan_duration>3</scan_duration></radio></zigbee>";
}

}  // namespace merivane::sim
