#include <gtest/gtest.h>

#include <vector>

#include "link/UploadEngine.h"

namespace merivane {
namespace {

std::vector<size_t> Chunks(size_t size) {
    std::vector<size_t> chunks;
    for (size_t sent = 0; sent < size;) {
        chunks.push_back(UploadChunkSize(size - sent));
        sent += chunks.back();
    }
    return chunks;
}

TEST(UploadRulesTest, ChunksKeepTheLastByteAloneAfterAMultipleOf64) {
    EXPECT_EQ(Chunks(0), std::vector<size_t>{});
    EXPECT_EQ(Chunks(1), std::vector<size_t>{1});
    EXPECT_EQ(Chunks(64), (std::vector<size_t>{63, 1}));
    EXPECT_EQ(Chunks(65), (std::vector<size_t>{65}));
    EXPECT_EQ(Chunks(960), (std::vector<size_t>{959, 1}));
    EXPECT_EQ(Chunks(1023), (std::vector<size_t>{1023}));
    EXPECT_EQ(Chunks(1024), (std::vector<size_t>{1024}));
    EXPECT_EQ(Chunks(1025), (std::vector<size_t>{1024, 1}));
    EXPECT_EQ(Chunks(2112), (std::vector<size_t>{1024, 1024, 63, 1}));
    EXPECT_EQ(Chunks(3072), (std::vector<size_t>{1024, 1024, 1024}));
}

TEST(UploadRulesTest, EveryByteIsSentExactlyOnceWhateverTheSize) {
    for (size_t size = 0; size < 5000; ++size) {
        size_t total = 0;
        for (size_t chunk : Chunks(size)) {
            ASSERT_GT(chunk, 0u);
            ASSERT_LE(chunk, 1024u);
            total += chunk;
        }
        ASSERT_EQ(total, size);
    }
}

TEST(UploadRulesTest, DestinationFollowsTheKindOfUpload) {
    EXPECT_EQ(UploadDestination({"/home/tech/scripts/main.py", false, false}),
              "/WEB/python/main.py");
    EXPECT_EQ(UploadDestination({"main.py", false, false}), "/WEB/python/main.py");
    EXPECT_EQ(UploadDestination({"/tmp/Radio.EBL", false, true}), "/WEB/mesh/Radio.EBL");
    EXPECT_EQ(UploadDestination({"/tmp/any-name.bin", true, true}), "/fw/updatefw.dwl");
}

}  // namespace
}  // namespace merivane
