// The transfer state machine, packet by packet, without sockets.
#include <gtest/gtest.h>

#include <map>

#include "library/tftp/TftpSession.h"

using namespace tftp;

namespace {

class MemorySource : public Source {
  public:
    explicit MemorySource(std::string bytes) : bytes_(std::move(bytes)) {}
    long read(char* into, size_t max) override {
        if (failAt_ && position_ >= *failAt_) return -1;
        const size_t count = bytes_.copy(into, max, position_);
        position_ += count;
        return static_cast<long>(count);
    }
    std::optional<size_t> failAt_;

  private:
    std::string bytes_;
    size_t position_ = 0;
};

class MemoryFolder : public Folder {
  public:
    std::map<std::string, std::string> files;
    std::optional<size_t> failWritesAfter;  // bytes accepted before writes fail
    std::optional<size_t> readFailsAt;

    int openSource(const std::string& name, std::unique_ptr<Source>& source) override {
        const auto found = files.find(name);
        if (found == files.end()) return -1103;
        auto memory = std::make_unique<MemorySource>(found->second);
        memory->failAt_ = readFailsAt;
        source = std::move(memory);
        return 0;
    }

    int openSink(const std::string& name, std::unique_ptr<Sink>& sink) override {
        sink = std::make_unique<MemorySink>(*this, name);
        return 0;
    }

  private:
    class MemorySink : public Sink {
      public:
        MemorySink(MemoryFolder& folder, std::string name) : folder_(folder), name_(name) {}
        bool write(const char* from, size_t count) override {
            if (folder_.failWritesAfter && pending_.size() + count > *folder_.failWritesAfter)
                return false;
            pending_.append(from, count);
            return true;
        }
        bool commit() override {
            folder_.files[name_] = pending_;
            return true;
        }

      private:
        MemoryFolder& folder_;
        std::string name_;
        std::string pending_;
    };
};

std::string bytesOf(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 7 + i / 512) & 0xFF);
    return bytes;
}

Request readOf(const std::string& name) {
    return Request{1, name, "octet"};
}
Request writeOf(const std::string& name) {
    return Request{2, name, "octet"};
}

struct SessionTest : ::testing::Test {
    MemoryFolder folder;
    std::unique_ptr<Session> session;
    int64_t now = 1000;

    Step begin(Request request, int timeoutMs = 100, int retries = 2,
               const std::string& root = "/srv/") {
        session = std::make_unique<Session>(std::move(request), root, folder, timeoutMs, retries);
        return session->start(now);
    }
    Step packet(const std::string& bytes) { return session->onPacket(bytes, now); }
};

}  // namespace

TEST_F(SessionTest, Read_ProgressResetsTheRetryCount) {
    folder.files["f"] = bytesOf(3000);
    begin(readOf("f"), 100, 1);
    now += 100;
    EXPECT_FALSE(session->onDeadline(now).send.empty());
    packet(ackPacket(1));
    now += 100;
    const Step repeat = session->onDeadline(now);
    EXPECT_EQ(blockOf(repeat.send), 2);
    EXPECT_FALSE(repeat.finished);
}

TEST_F(SessionTest, Read_SourceFailureSendsAnErrorAndFails) {
    folder.files["f"] = bytesOf(200000);
    folder.readFailsAt = 65536;
    Step step = begin(readOf("f"));
    while (!step.finished) step = packet(ackPacket(blockOf(step.send)));
    EXPECT_EQ(opcodeOf(step.send), ERROR);
    EXPECT_EQ(step.statuses, (std::vector<int>{-1113, 0}));
}

TEST_F(SessionTest, Write_AcksEachBlockAndStoresTheFileOnlyAfterTheLast) {
    const std::string bytes = bytesOf(515);
    Step step = begin(writeOf("up.bin"));
    EXPECT_EQ(step.send, ackPacket(0));
    EXPECT_EQ(step.statuses, (std::vector<int>{1}));
    step = packet(dataPacket(1, bytes.substr(0, 512)));
    EXPECT_EQ(step.send, ackPacket(1));
    EXPECT_EQ(step.statuses, (std::vector<int>{2}));
    EXPECT_EQ(folder.files.count("up.bin"), 0u) << "stored before the last block";
    step = packet(dataPacket(2, bytes.substr(512)));
    EXPECT_EQ(step.send, ackPacket(2));
    EXPECT_EQ(step.statuses, (std::vector<int>{3}));
    EXPECT_FALSE(step.finished);
    EXPECT_EQ(folder.files["up.bin"], bytes);
    EXPECT_EQ(session->byteCount(), 515u);
    // The final ACK may be lost: a repeat of the last block is answered again.
    EXPECT_EQ(packet(dataPacket(2, bytes.substr(512))).send, ackPacket(2));
    now += 100;
    const Step end = session->onDeadline(now);
    EXPECT_EQ(end.statuses, (std::vector<int>{0}));
    EXPECT_TRUE(end.finished);
}

TEST_F(SessionTest, Write_RepeatedBlockIsAckedAgainButStoredOnce) {
    const std::string bytes = bytesOf(1100);
    begin(writeOf("f"));
    packet(dataPacket(1, bytes.substr(0, 512)));
    EXPECT_EQ(packet(dataPacket(1, bytes.substr(0, 512))).send, ackPacket(1));
    EXPECT_TRUE(packet(dataPacket(5, bytes.substr(0, 512))).send.empty()) << "future block";
    packet(dataPacket(2, bytes.substr(512, 512)));
    packet(dataPacket(3, bytes.substr(1024)));
    EXPECT_EQ(folder.files["f"], bytes);
}

TEST_F(SessionTest, Write_WriteFailureReportsDiskFullAndKeepsTheEarlierFile) {
    folder.files["cfg"] = "old";
    folder.failWritesAfter = 1000;
    Step step = begin(writeOf("cfg"));
    for (uint16_t block = 1; !step.finished; ++block)
        step = packet(dataPacket(block, bytesOf(512)));
    EXPECT_EQ(opcodeOf(step.send), ERROR);
    EXPECT_EQ(blockOf(step.send), DiskFull);
    EXPECT_EQ(step.statuses.front(), -1105);
    EXPECT_EQ(folder.files["cfg"], "old");
}

TEST_F(SessionTest, Malformed_ShortPacketsAreDroppedAndWrongOpcodesEndTheTransfer) {
    folder.files["f"] = bytesOf(2000);
    begin(readOf("f"));
    for (const std::string& scrap :
         {std::string(), std::string(1, '\0'), std::string("\0\4\0", 3)}) {
        const Step step = packet(scrap);
        EXPECT_TRUE(step.send.empty());
        EXPECT_FALSE(step.finished);
    }
    const Step wrong = packet(dataPacket(1, "x"));
    EXPECT_EQ(blockOf(wrong.send), IllegalOperation);
    EXPECT_EQ(wrong.statuses, (std::vector<int>{-1106, 0}));

    begin(writeOf("g"));
    const Step oversized = packet(dataPacket(1, std::string(513, 'a')));
    EXPECT_EQ(blockOf(oversized.send), IllegalOperation);
    EXPECT_EQ(folder.files.count("g"), 0u);
}
