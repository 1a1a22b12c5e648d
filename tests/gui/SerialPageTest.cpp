#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "SettingsPageHarness.h"
#include "app/Product.h"
#include "pages/CellPage.h"
#include "pages/SerialPage.h"

namespace merivane {
namespace {

using test::PageHarness;

std::string Line(const std::string& baud, const std::string& parity = "none") {
    return "<serial><baud>" + baud + "</baud><databits>8</databits><parity>" + parity +
           "</parity><stopbits>1</stopbits><flowcontrol>none</flowcontrol></serial>";
}

std::string Service(const char* name, const char* state, const char* port,
                    const char* keepalive = nullptr) {
    std::string xml =
        std::string("<") + name + "><state>" + state + "</state><port>" + port + "</port>";
    if (keepalive != nullptr) xml += std::string("<keepalive>") + keepalive + "</keepalive>";
    return xml + "</" + name + ">";
}

const std::string kServices =
    Service("telnet_server", "off", "2001", "on") + Service("tcp_server", "on", "2101", "off") +
    Service("ssh_server", "off", "2501", "on") + Service("securesocket", "on", "2601", "on") +
    Service("udp_server", "off", "2101");

class SerialPageTest : public ::testing::Test {
  protected:
    SerialPageTest() { g_deviceModel = "Brivel BG-310 Cellular Gateway"; }
    ~SerialPageTest() override { g_deviceModel.clear(); }

    QComboBox* Box(const char* name) { return h_.Get<QComboBox>(name); }
    QStringList Entries(const char* name) {
        QStringList entries;
        for (int i = 0; i < Box(name)->count(); ++i) entries << Box(name)->itemText(i);
        return entries;
    }
    std::string Enabled(std::initializer_list<const char*> names) {
        std::string states;
        for (const char* name : names) states += h_.Get(name)->isEnabled() ? '1' : '0';
        return states;
    }

    PageHarness<SerialPage> h_;
};

TEST_F(SerialPageTest, TheListsHoldTheirChoicesAndSelectTheDeviceValues) {
    h_.Show(Line("115200") + kServices);
    EXPECT_EQ(Entries("baudBox"), (QStringList{"300", "600", "1200", "2400", "4800", "9600",
                                               "19200", "38400", "57600", "115200", "230400"}));
    EXPECT_EQ(Entries("dataBitsBox"), (QStringList{"8", "7", "6", "5"}));
    EXPECT_EQ(Entries("parityBox"), (QStringList{"None", "Odd", "Even"}));
    EXPECT_EQ(Entries("stopBitsBox"), (QStringList{"1", "2"}));
    EXPECT_EQ(Entries("flowControlBox"), (QStringList{"None", "Hardware"}));
    EXPECT_EQ(Box("baudBox")->currentText(), "115200");
    EXPECT_EQ(Box("parityBox")->currentText(), "None");
    EXPECT_EQ(Box("flowControlBox")->currentText(), "None");

    // Applying stores the entries' texts.
    h_.Apply();
    EXPECT_EQ(h_.Value("serial/baud"), "115200");
    EXPECT_EQ(h_.Value("serial/parity"), "None");
    EXPECT_EQ(h_.Value("serial/flowcontrol"), "None");

    Box("baudBox")->setCurrentText("9600");
    Box("flowControlBox")->setCurrentText("Hardware");
    h_.Apply();
    EXPECT_EQ(h_.Value("serial/baud"), "9600");
    EXPECT_EQ(h_.Value("serial/flowcontrol"), "Hardware");
}

TEST_F(SerialPageTest, ALineSettingOutsideTheListIsAddedAndWrittenBackUnchanged) {
    h_.Show(Line("460800", "mark") + kServices);
    EXPECT_EQ(Box("baudBox")->count(), 12);
    EXPECT_EQ(Box("baudBox")->currentText(), "460800");
    EXPECT_EQ(Box("parityBox")->currentText(), "mark");
    h_.Apply();
    EXPECT_EQ(h_.Value("serial/baud"), "460800");
    EXPECT_EQ(h_.Value("serial/parity"), "mark");

    // Once the device reports a listed value, the extra entry goes.
    Box("baudBox")->setCurrentText("57600");
    h_.Apply();
    EXPECT_EQ(h_.Value("serial/baud"), "57600");
    EXPECT_EQ(Box("baudBox")->count(), 11);
}

TEST_F(SerialPageTest, EverySettingShowsItsControlWithLabelsAndBoxes) {
    h_.Show(Line("9600") + kServices);
    for (const char* name : {"baudBox",
                             "baudLabel",
                             "dataBitsBox",
                             "dataBitsLabel",
                             "parityBox",
                             "parityLabel",
                             "stopBitsBox",
                             "stopBitsLabel",
                             "flowControlBox",
                             "flowControlLabel",
                             "tcpSerialLabel",
                             "telnetCheck",
                             "telnetPortEdit",
                             "telnetKeepAliveCheck",
                             "rawTcpCheck",
                             "rawTcpPortEdit",
                             "rawTcpKeepAliveCheck",
                             "sshCheck",
                             "sshPortEdit",
                             "sshKeepAliveCheck",
                             "secureSocketCheck",
                             "secureSocketPortEdit",
                             "secureSocketKeepAliveCheck",
                             "udpCheck",
                             "udpPortEdit"})
        EXPECT_TRUE(h_.Visible(name)) << name;
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("basicGroup")));
    EXPECT_TRUE(test::FrameShown(h_.Get<QGroupBox>("networkGroup")));
    // Never shown.
    EXPECT_FALSE(h_.Visible("udpSerialLabel"));
    EXPECT_EQ(h_.Get<QLabel>("udpSerialLabel")->text(), "UDP Serial");
    EXPECT_EQ(h_.Get<QLineEdit>("sshPortEdit")->text(), "2501");
    EXPECT_TRUE(h_.Get<QCheckBox>("secureSocketKeepAliveCheck")->isChecked());
    EXPECT_FALSE(h_.page.IsModified());
}

TEST_F(SerialPageTest, WithoutTelnetTheOtherServicesShowWithoutTheirHeadingAndBox) {
    h_.Show(Line("9600") + Service("tcp_server", "on", "2101", "on") +
            Service("udp_server", "on", "2102"));
    EXPECT_TRUE(h_.Visible("rawTcpCheck"));
    EXPECT_TRUE(h_.Visible("rawTcpPortEdit"));
    EXPECT_TRUE(h_.Visible("udpPortEdit"));
    EXPECT_FALSE(h_.Visible("telnetCheck"));
    EXPECT_FALSE(h_.Visible("sshCheck"));
    EXPECT_FALSE(h_.Visible("tcpSerialLabel"));
    EXPECT_FALSE(h_.Visible("udpSerialLabel"));
    EXPECT_FALSE(test::FrameShown(h_.Get<QGroupBox>("networkGroup")));
}

TEST_F(SerialPageTest, WithoutTheBaudRateTheOtherLineSettingsShowWithoutTheirBox) {
    h_.Show("<serial><databits>7</databits></serial>");
    EXPECT_TRUE(h_.Visible("dataBitsBox"));
    EXPECT_TRUE(h_.Visible("dataBitsLabel"));
    EXPECT_EQ(Box("dataBitsBox")->currentText(), "7");
    EXPECT_FALSE(h_.Visible("baudLabel"));
    EXPECT_FALSE(test::FrameShown(h_.Get<QGroupBox>("basicGroup")));
    EXPECT_FALSE(h_.Visible("networkGroup"));
}

TEST_F(SerialPageTest, EachServiceSwitchEnablesItsPortAndKeepAlive) {
    h_.Show(Line("9600") + kServices);
    const std::initializer_list<const char*> controls = {
        "telnetPortEdit",       "telnetKeepAliveCheck",
        "rawTcpPortEdit",       "rawTcpKeepAliveCheck",
        "sshPortEdit",          "sshKeepAliveCheck",
        "secureSocketPortEdit", "secureSocketKeepAliveCheck",
        "udpPortEdit"};
    // Telnet off, raw TCP on, SSH off, secure socket on, UDP off.
    EXPECT_EQ(Enabled(controls), "001100110");
    EXPECT_FALSE(h_.Get<QCheckBox>("telnetCheck")->isChecked());

    test::ClickBox(h_.Get<QCheckBox>("telnetCheck"));
    EXPECT_EQ(Enabled(controls), "111100110");
    EXPECT_TRUE(h_.page.IsModified());
    test::ClickBox(h_.Get<QCheckBox>("rawTcpCheck"));
    test::ClickBox(h_.Get<QCheckBox>("sshCheck"));
    test::ClickBox(h_.Get<QCheckBox>("secureSocketCheck"));
    test::ClickBox(h_.Get<QCheckBox>("udpCheck"));
    EXPECT_EQ(Enabled(controls), "110011001");

    h_.Apply();
    EXPECT_EQ(h_.Value("telnet_server/state"), "on");
    EXPECT_EQ(h_.Value("tcp_server/state"), "off");
    EXPECT_EQ(h_.Value("udp_server/state"), "on");
    EXPECT_EQ(h_.Value("telnet_server/keepalive"), "on");
    EXPECT_EQ(h_.Value("tcp_server/keepalive"), "off");
}

TEST_F(SerialPageTest, KeepAliveAndPortChangesOnlyMarkThePageModified) {
    h_.Show(Line("9600") + kServices);
    test::ClickBox(h_.Get<QCheckBox>("rawTcpKeepAliveCheck"));
    EXPECT_TRUE(h_.page.IsModified());
    h_.Apply();
    EXPECT_EQ(h_.Value("tcp_server/keepalive"), "on");
    EXPECT_FALSE(h_.page.IsModified());

    QLineEdit* port = h_.Get<QLineEdit>("rawTcpPortEdit");
    port->clear();
    QTest::keyClicks(port, "2x1-0 2");
    EXPECT_EQ(port->text(), "2102");
    EXPECT_TRUE(h_.page.IsModified());
    // The UDP port takes any characters.
    QLineEdit* udp = h_.Get<QLineEdit>("udpPortEdit");
    udp->setEnabled(true);
    udp->clear();
    QTest::keyClicks(udp, "21x");
    EXPECT_EQ(udp->text(), "21x");
    udp->setText("2103");
    h_.Apply();
    EXPECT_EQ(h_.Value("tcp_server/port"), "2102");
    EXPECT_EQ(h_.Value("udp_server/port"), "2103");
}

// A port must be a number from 1 to 65535: another keeps the page from being left or
// applied, with the message naming the field. A service switched off keeps its port as is.
TEST_F(SerialPageTest, APortOutsideItsRangeIsRefusedNamingTheField) {
    const std::string allOn =
        Service("telnet_server", "on", "2001", "on") + Service("tcp_server", "on", "2101", "on") +
        Service("ssh_server", "off", "2501", "on") + Service("securesocket", "on", "2601", "on") +
        Service("udp_server", "on", "2101");
    struct Case {
        const char* edit;
        const char* typed;
        const char* message;  // null: taken
    };
    const Case cases[] = {
        {"telnetPortEdit", "0", "Telnet TCP Port: Please enter an integer between 1 and 65535."},
        {"rawTcpPortEdit", "65536", "Raw TCP Port: Please enter an integer between 1 and 65535."},
        {"secureSocketPortEdit", "99999999",
         "Secure Socket TCP Port: Please enter an integer between 1 and 65535."},
        {"telnetPortEdit", "", "Telnet TCP Port: Please enter an integer."},
        {"udpPortEdit", "21x", "UDP Port: Please enter an integer."},
        {"udpPortEdit", "-1", "UDP Port: Please enter an integer between 1 and 65535."},
        {"telnetPortEdit", "1", nullptr},
        {"udpPortEdit", "65535", nullptr},
        {"sshPortEdit", "0", nullptr},  // SSH is off
    };
    for (const Case& c : cases) {
        PageHarness<SerialPage> h;
        h.Show(Line("9600") + allOn);
        const std::string before = h.Sent();
        h.Get<QLineEdit>(c.edit)->setText(c.typed);
        h.Apply();
        const std::string what = std::string(c.edit) + " \"" + c.typed + "\"";
        if (c.message == nullptr) {
            EXPECT_EQ(h.applies, 1) << what;
            EXPECT_TRUE(h.prompts.ShownPrompts().empty()) << what;
            continue;
        }
        EXPECT_EQ(h.applies, 0) << what;
        EXPECT_EQ(h.Sent(), before) << what;
        EXPECT_EQ(h.prompts.Texts(), std::vector<std::string>{c.message}) << what;
        EXPECT_FALSE(h.SwitchTo(1)) << what;
    }
}

TEST_F(SerialPageTest, ATrackerModelIsRefusedAndNothingIsWritten) {
    for (const char* model : {"Korvane VT-220 Vehicle Tracker", "fleet korvane unit"}) {
        PageHarness<SerialPage> h;
        g_deviceModel = model;
        h.Show(Line("9600") + kServices);
        const std::string before = h.Sent();
        h.Get<QComboBox>("baudBox")->setCurrentText("300");
        h.page.SetModified();
        h.Apply();
        EXPECT_EQ(h.applies, 0) << model;
        EXPECT_EQ(h.Sent(), before) << model;
        ASSERT_EQ(h.prompts.ShownPrompts().size(), 1u) << model;
        EXPECT_EQ(h.prompts.ShownPrompts()[0].text, "Serial Settings Not supported For Korvane");
        EXPECT_EQ(h.prompts.ShownPrompts()[0].caption, "Error");
        EXPECT_TRUE(h.page.IsModified());
        EXPECT_EQ(h.sheet.ActiveIndex(), 0);

        // OK does not close the sheet either.
        h.sheet.accept();
        EXPECT_TRUE(h.sheet.isVisible()) << model;
    }
    // The two tests are case-sensitive.
    g_deviceModel = "KORVANE";
    PageHarness<SerialPage> h;
    h.Show(Line("9600") + kServices);
    h.Apply();
    EXPECT_EQ(h.applies, 1);
    EXPECT_TRUE(h.prompts.ShownPrompts().empty());
}

TEST_F(SerialPageTest, ATrackerModelDoesNotStopTheApplyOfAnotherPage) {
    g_deviceModel = "Korvane VT-220 Vehicle Tracker";
    h_.Show(Line("9600") + kServices);
    ASSERT_TRUE(h_.SwitchTo(1));
    h_.other.SetModified();
    h_.sheet.Apply();
    EXPECT_TRUE(h_.prompts.ShownPrompts().empty());
}

TEST_F(SerialPageTest, EveryControlHasADistinctName) {
    // Shown, so that the lists have entries, which must not take their labels' place.
    h_.Show(Line("115200") + kServices);
    const std::pair<const char*, const char*> named[] = {
        {"baudBox", "Baud Rate"},
        {"dataBitsBox", "Data Bits"},
        {"parityBox", "Parity"},
        {"stopBitsBox", "Stop Bits"},
        {"flowControlBox", "Flow Control"},
        {"telnetCheck", "Enable Telnet access using TCP Port:"},
        {"telnetPortEdit", "Telnet TCP Port"},
        {"telnetKeepAliveCheck", "Enable TCP Keep-Alive for Telnet"},
        {"rawTcpPortEdit", "Raw TCP Port"},
        {"rawTcpKeepAliveCheck", "Enable TCP Keep-Alive for Raw TCP"},
        {"sshPortEdit", "Secure Shell (SSH) TCP Port"},
        {"secureSocketPortEdit", "Secure Socket TCP Port"},
        {"udpPortEdit", "UDP Port"},
    };
    for (const auto& [object, name] : named)
        EXPECT_EQ(test::AccessibleName(h_.Get(object)).toStdString(), name) << object;
    EXPECT_EQ(test::AccessibleValue(h_.Get("baudBox")), "115200");
    EXPECT_EQ(h_.Get<QCheckBox>("rawTcpKeepAliveCheck")->text(), "Enable TCP Keep-Alive ");
    EXPECT_EQ(h_.page.Caption(), "Serial Port");
}

// Against the simulated gateway.
TEST(SerialPageDeviceTest, ApplySendsThePortSettings) {
    test::DeviceHarness<SerialPage, CellPage> h;
    ASSERT_TRUE(h.Start(sim::Product::Brivel));
    auto* baud = h.Get<QComboBox>("baudBox");
    EXPECT_EQ(baud->currentText(), "115200");
    EXPECT_TRUE(h.Get<QCheckBox>("telnetCheck")->isChecked());

    baud->setCurrentText("57600");
    h.Get<QComboBox>("parityBox")->setCurrentText("Even");
    test::ClickBox(h.Get<QCheckBox>("sshCheck"));
    h.Get<QLineEdit>("sshPortEdit")->setText("2222");
    test::ClickBox(h.Get<QCheckBox>("telnetCheck"));
    h.Apply();
    EXPECT_EQ(h.Setting("serial/baud"), "57600");
    EXPECT_EQ(h.Setting("serial/parity"), "Even");
    EXPECT_EQ(h.Setting("ssh_server/state"), "on");
    EXPECT_EQ(h.Setting("ssh_server/port"), "2222");
    EXPECT_EQ(h.Setting("telnet_server/state"), "off");
    // Untouched settings go back as the device gave them.
    EXPECT_EQ(h.Setting("tcp_server/port"), "2101");
    EXPECT_EQ(h.page.baudRate, "57600");
    EXPECT_EQ(h.page.ssh.enabled, 1);
    EXPECT_EQ(h.page.telnet.enabled, 0);
    EXPECT_FALSE(h.Get<QCheckBox>("telnetCheck")->isChecked());
    EXPECT_TRUE(h.prompts.ShownPrompts().empty());
}

}  // namespace
}  // namespace merivane
