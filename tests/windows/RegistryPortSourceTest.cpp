#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "link/RegistryPortSource.h"

namespace merivane {
namespace {

// A modem class of the test's own below HKEY_LOCAL_MACHINE, removed at the end.
class RegistryPortSourceTest : public ::testing::Test {
  protected:
    static constexpr char kClass[] = "SOFTWARE\\MerivaneTest\\Class\\Modems";
    void TearDown() override { ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "SOFTWARE\\MerivaneTest"); }
    void Value(const std::string& subkey, const char* name, const std::string& text) {
        HKEY key = nullptr;
        ASSERT_EQ(
            ::RegCreateKeyExA(HKEY_LOCAL_MACHINE, (std::string(kClass) + "\\" + subkey).c_str(), 0,
                              nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
            ERROR_SUCCESS);
        if (name)
            ::RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1));
        ::RegCloseKey(key);
    }
};

TEST_F(RegistryPortSourceTest, NoModemClassKeyFindsNothing) {
    std::vector<PortEntry> entries;
    EXPECT_FALSE(RegistryPortSource(kClass).ListModemPorts(entries));
}

TEST_F(RegistryPortSourceTest, ListsEachModemWithProviderAndPortInOrder) {
    Value("0000", "ProviderName", "Varik Wireless");
    Value("0000", "AttachedTo", "COM7");
    Value("0001", "AttachedTo", "COM9");       // no provider: skipped
    Value("0002", "ProviderName", "WAVECOM");  // no port: skipped
    Value("0003", "ProviderName", "Other Modems");
    Value("0003", "AttachedTo", "COM8");
    Value("Properties", nullptr, "");  // the class's own subkey
    std::vector<PortEntry> entries;
    ASSERT_TRUE(RegistryPortSource(kClass).ListModemPorts(entries));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].providers, std::vector<std::string>{"Varik Wireless"});
    EXPECT_EQ(entries[0].port, "COM7");
    EXPECT_EQ(entries[1].providers, std::vector<std::string>{"Other Modems"});
    EXPECT_EQ(entries[1].port, "COM8");
}

}  // namespace
}  // namespace merivane
