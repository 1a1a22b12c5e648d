#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "link/Transport.h"
#include "support/PtyPair.h"

namespace merivane {
namespace {

using test::PtyPair;

class PortDiscoveryTest : public ::testing::Test {
  protected:
    // Makes `count` openable ports.
    void MakePorts(size_t count) {
        for (size_t i = 0; i < count; ++i) {
            ptys_.push_back(std::make_unique<PtyPair>());
            ASSERT_TRUE(ptys_.back()->Ok());
        }
    }
    const std::string& Port(size_t i) const { return ptys_[i]->SlavePath(); }

    // A chooser that records what it was offered and answers `pick`.
    Transport::Chooser Chooser(std::string pick) {
        return [this, pick](const std::vector<std::string>& offered) {
            offered_ = offered;
            ++chooserCalls_;
            return pick;
        };
    }

    std::vector<std::unique_ptr<PtyPair>> ptys_;
    std::vector<std::string> offered_;
    int chooserCalls_ = 0;
    FixedPortSource source_;
    Transport transport_{&source_};
};

TEST_F(PortDiscoveryTest, NoModemListOrNoQualifyingPortFails) {
    MakePorts(1);
    source_.SetAvailable(false);
    EXPECT_FALSE(transport_.FindAndOpenPort(Chooser("")));
    source_.SetAvailable(true);
    EXPECT_FALSE(transport_.FindAndOpenPort(Chooser("")));
    source_.SetEntries({{{"varik"}, Port(0)}, {{"Generic Modems"}, Port(0)}, {{}, Port(0)}});
    EXPECT_FALSE(transport_.FindAndOpenPort(Chooser("")));
    EXPECT_EQ(chooserCalls_, 0);
    EXPECT_FALSE(transport_.PortIsOpen());
}

TEST_F(PortDiscoveryTest, OneCandidateOpensWithoutAskingEvenWhenListedTwice) {
    MakePorts(1);
    source_.SetEntries(
        {{{"Varik Routers"}, Port(0)}, {{"wavecom"}, Port(0)}, {{"Varik"}, "/dev/does-not-exist"}});
    ASSERT_TRUE(transport_.FindAndOpenPort(Chooser("")));
    EXPECT_EQ(chooserCalls_, 0);
    EXPECT_EQ(transport_.PortName(), Port(0));
    EXPECT_TRUE(transport_.PortIsOpen());
}

TEST_F(PortDiscoveryTest, AnyOfAPortsProviderNamesLetsItPass) {
    MakePorts(1);
    source_.SetEntries({{{"Sierra Wireless, Inc.", "SIERRA WIRELESS"}, Port(0)}});
    EXPECT_TRUE(transport_.FindAndOpenPort(Chooser("")));
}

TEST_F(PortDiscoveryTest, SeveralCandidatesAreOfferedInDiscoveryOrderAndTheChoiceIsOpened) {
    MakePorts(3);
    source_.SetEntries(
        {{{"Varik"}, Port(2)}, {{"Sierra Wireless"}, Port(0)}, {{"Varik"}, Port(1)}});
    ASSERT_TRUE(transport_.FindAndOpenPort(Chooser(Port(1))));
    EXPECT_EQ(chooserCalls_, 1);
    EXPECT_EQ(offered_, (std::vector<std::string>{Port(2), Port(0), Port(1)}));
    EXPECT_EQ(transport_.PortName(), Port(1));
    EXPECT_TRUE(transport_.PortIsOpen());
}

TEST_F(PortDiscoveryTest, ClosingTheChoiceWithoutConfirmingFails) {
    MakePorts(2);
    source_.SetEntries({{{"Varik"}, Port(0)}, {{"Varik"}, Port(1)}});
    EXPECT_FALSE(transport_.FindAndOpenPort(Chooser("")));
    EXPECT_FALSE(transport_.PortIsOpen());
}

TEST_F(PortDiscoveryTest, APortHeldByAnotherProgramIsNotOfferedAndTheReasonIsKept) {
    MakePorts(2);
    SerialPort holder;
    ASSERT_TRUE(holder.Open(Port(0)));
    source_.SetEntries({{{"Varik"}, Port(0)}, {{"Varik"}, Port(1)}});
    ASSERT_TRUE(transport_.FindAndOpenPort(Chooser("")));
    EXPECT_EQ(chooserCalls_, 0);
    EXPECT_EQ(transport_.PortName(), Port(1));
    ASSERT_EQ(transport_.LastProblems().size(), 1u);
    EXPECT_EQ(transport_.LastProblems()[0].port, Port(0));
    EXPECT_EQ(transport_.LastProblems()[0].error, PortError::Busy);
}

TEST_F(PortDiscoveryTest, AtMostTheFirstTenCandidatesAreOffered) {
    MakePorts(12);
    std::vector<PortEntry> entries;
    for (size_t i = 0; i < 12; ++i) entries.push_back({{"Varik"}, Port(i)});
    source_.SetEntries(entries);
    ASSERT_TRUE(transport_.FindAndOpenPort(Chooser(Port(9))));
    ASSERT_EQ(offered_.size(), 10u);
    EXPECT_EQ(offered_.front(), Port(0));
    EXPECT_EQ(offered_.back(), Port(9));
}

TEST_F(PortDiscoveryTest, ANamedPortIsOpenedWithoutAnyFilterAndReopenedByName) {
    MakePorts(1);
    ASSERT_TRUE(transport_.OpenNamedPort(Port(0)));
    EXPECT_EQ(transport_.PortName(), Port(0));
    // Reopening by name closes our own exclusive hold first, or it would refuse itself.
    EXPECT_TRUE(transport_.OpenPort());
    EXPECT_TRUE(transport_.PortIsOpen());
    EXPECT_FALSE(transport_.OpenNamedPort("/dev/does-not-exist"));
}

}  // namespace
}  // namespace merivane
