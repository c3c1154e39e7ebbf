#include "core/intake/HandOverMessage.h"

#include <gmock/gmock.h>

namespace vistrel::test {
namespace {

using handover::Status;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

std::string number(std::size_t value) {
    return {static_cast<char>(value >> 24), static_cast<char>(value >> 16), static_cast<char>(value >> 8),
            static_cast<char>(value)};
}

// A message built by hand, so that the tests can break it where encode() would not.
std::string message(const std::vector<std::string>& paths) {
    std::string payload = number(paths.size());
    for (const auto& path : paths)
        payload += number(path.size()) + path;
    return std::string(handover::magic) + number(payload.size()) + payload;
}

TEST(HandOverMessageTest, PathsOfAnyEncodingTravelIntactAndInOrder) {
    const std::vector<std::string> paths{"/b/z.png", "/a/\xff\xfe \xc4.jpg", "/", "/b/z.png"};
    const auto bytes = handover::encode(paths);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, message(paths)) << "the layout is fixed: both ends may be different builds";
    const auto reading = handover::decode(*bytes);
    EXPECT_EQ(reading.status, Status::complete);
    EXPECT_EQ(reading.paths, paths);
    EXPECT_EQ(handover::decode(*handover::encode({})).status, Status::complete) << "no files: just raise";
}

TEST(HandOverMessageTest, EveryBeginningOfAValidMessageWaitsForMore) {
    const auto bytes = message({"/a.png", "/bb.png"});
    for (std::size_t size = 0; size < bytes.size(); ++size)
        EXPECT_EQ(handover::decode(std::string_view(bytes).substr(0, size)).status, Status::incomplete)
            << size;
}

TEST(HandOverMessageTest, GarbageAndHugeDeclarationsAreRefusedAtOnce) {
    EXPECT_EQ(handover::decode("GET / HTTP/1.1\r\n").status, Status::refused);
    EXPECT_EQ(handover::decode("V").status, Status::incomplete);
    EXPECT_EQ(handover::decode("VX").status, Status::refused) << "no need to wait for the whole magic";
    const auto huge = handover::decode(std::string(handover::magic) + number(0xffffffffu));
    EXPECT_EQ(huge.status, Status::refused);
    EXPECT_THAT(huge.reason, HasSubstr("over the limit"));
    const auto tooMany =
        handover::decode(std::string(handover::magic) + number(4) + number(handover::maxPaths + 1));
    EXPECT_EQ(tooMany.status, Status::refused);
}

TEST(HandOverMessageTest, OnlyAbsolutePathsWithoutNulWithinTheLimitsAreTaken) {
    for (const std::string& bad : {std::string("relative.png"), std::string(), std::string("/a\0b", 4),
                                   "/" + std::string(handover::maxPathLength, 'x')}) {
        EXPECT_EQ(handover::decode(message({"/fine.png", bad})).status, Status::refused) << bad.size();
        EXPECT_FALSE(handover::encode({bad})) << "the sender checks the same rules";
    }
    EXPECT_EQ(handover::decode(message({"/" + std::string(handover::maxPathLength - 1, 'x')})).status,
              Status::complete);
}

TEST(HandOverMessageTest, LengthsThatDisagreeWithThePayloadAreRefused) {
    std::string cut = message({"/a.png"});
    cut[cut.size() - 7] = 9; // the path claims more bytes than the payload holds
    EXPECT_THAT(handover::decode(cut).reason, HasSubstr("cut short"));

    std::string extraPath = message({"/a.png", "/b.png"});
    extraPath[handover::headerSize + 3] = 1; // count 1, then a second path nobody announced
    EXPECT_THAT(handover::decode(extraPath).reason, HasSubstr("follow the last path"));

    EXPECT_THAT(handover::decode(message({"/a.png"}) + "x").reason, HasSubstr("follow the message"));
    EXPECT_EQ(handover::decode(std::string(handover::magic) + number(2) + "ab").status, Status::refused);
}

TEST(HandOverMessageTest, TheSenderRefusesWhatTheReceiverWould) {
    EXPECT_FALSE(handover::encode(std::vector<std::string>(handover::maxPaths + 1, "/a")));
    const std::string longName = "/" + std::string(4000, 'x');
    const std::vector<std::string> tooMuch(handover::maxMessageSize / longName.size() + 1, longName);
    EXPECT_FALSE(handover::encode(tooMuch));
}

} // namespace
} // namespace vistrel::test
