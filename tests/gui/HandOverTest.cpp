#include "AppTestFixture.h"
#include "TemporaryFolder.h"
#include "TestTiming.h"
#include "app/HandOverClient.h"
#include "app/HandOverServer.h"
#include "app/RunningViewer.h"
#include "core/intake/HandOverMessage.h"

#include <QLocalSocket>
#include <future>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace vistrel::test {
namespace {

using namespace std::chrono_literals;
using Outcome = handoverclient::Outcome;

// The blocking client runs on a thread of its own while this one serves the socket.
template <class Result> Result whileServing(std::future<Result> pending) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return pending.wait_for(0ms) == std::future_status::ready; }, 10000));
    return pending.get();
}

Outcome handOverInBackground(const QString& socket, std::vector<std::string> paths) {
    return whileServing(
        std::async(std::launch::async, [socket, paths] { return handoverclient::handOver(socket, paths); }));
}

// A client that writes raw bytes and collects whatever comes back until the server hangs up.
struct RawClient {
    explicit RawClient(const QString& socket) {
        connection.connectToServer(socket);
        EXPECT_TRUE(connection.waitForConnected(1000));
    }
    void send(const std::string& bytes) { connection.write(bytes.data(), static_cast<qint64>(bytes.size())); }
    bool hungUp(int timeout = 5000) {
        return QTest::qWaitFor(
            [&] {
                answer += connection.readAll();
                return connection.state() == QLocalSocket::UnconnectedState;
            },
            timeout);
    }
    QLocalSocket connection;
    QByteArray answer;
};

class HandOverTest : public AppTestFixture {
  protected:
    void SetUp() override {
        start();
        ASSERT_TRUE(server.listen(socket));
        server.setReceiver([this](const std::vector<std::string>& paths) {
            ++received;
            app->openHandedOver(paths);
        });
    }
    TemporaryFolder folder;
    QString socket = QString::fromStdString(folder.file("viewer.socket"));
    HandOverServer server{400ms};
    int received = 0;
};

TEST_F(HandOverTest, HandedOverFilesAreTakenInAsFilesOpenedWithTheApplication) {
    const auto first = pictureFiles(2);
    app->openHandedOver({first[0]});
    const std::vector<std::string> later{"/pictures/1.png", "/elsewhere/\xff\xfe.png"};
    EXPECT_EQ(handOverInBackground(socket, later), Outcome::accepted);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 1; }));
    EXPECT_EQ(listPaths(),
              (std::vector<std::string>{"/pictures/0.png", "/pictures/1.png", "/elsewhere/\xff\xfe.png"}));
    EXPECT_EQ(controller().lActualIndex(), 1) << "the first one handed over is shown";
    // Decoded on a worker: shown a moment after the list takes the files in.
    EXPECT_TRUE(QTest::qWaitFor([&] { return pictures->decoded.back() == "/pictures/1.png"; }));
    EXPECT_TRUE(window().isActiveWindow());

    EXPECT_EQ(handOverInBackground(socket, {}), Outcome::accepted)
        << "no files: only the window comes forward";
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 2; }));
    EXPECT_EQ(listPaths().size(), 3u);
}

TEST_F(HandOverTest, WhatIsNotAListOfAbsolutePathsIsRefusedAndTheServerGoesOn) {
    std::string relative = *handover::encode({"/a.png"});
    relative[handover::headerSize + 8] = 'a'; // "/a.png" becomes "aa.png"
    const std::string hugeDeclared = std::string(handover::magic) + std::string("\xff\xff\xff\xff", 4);
    for (const std::string& bytes : {std::string("GET / HTTP/1.1\r\n\r\n"), relative, hugeDeclared}) {
        RawClient client(socket);
        client.send(bytes);
        ASSERT_TRUE(client.hungUp());
        EXPECT_EQ(client.answer, QByteArray(1, handover::refusedReply));
    }
    RawClient flood(socket);
    flood.send(std::string(handover::magic) + std::string("\x00\x7f\xff\xf0", 4) +
               std::string(9'000'000, '\x01'));
    EXPECT_TRUE(flood.hungUp()) << "a client sending without end is stopped";

    EXPECT_EQ(received, 0);
    EXPECT_EQ(handOverInBackground(socket, {"/x.png"}), Outcome::accepted);
    ASSERT_TRUE(QTest::qWaitFor([&] { return received == 1; }));
    EXPECT_EQ(listPaths(), std::vector<std::string>{"/x.png"});
}

TEST_F(HandOverTest, AStalledOrVanishingClientIsDroppedWithoutEffect) {
    const std::string message = *handover::encode({"/a.png"});
    RawClient stalled(socket);
    stalled.send(message.substr(0, message.size() - 1));
    EXPECT_TRUE(stalled.hungUp(3000));
    EXPECT_TRUE(stalled.answer.isEmpty());
    {
        RawClient vanishing(socket);
        vanishing.send(message.substr(0, 5));
        QTest::qWait(50);
    }
    QTest::qWait(50);
    EXPECT_EQ(received, 0);
    EXPECT_TRUE(listPaths().empty());
}

TEST_F(HandOverTest, ClientsBeyondTheLimitAreTurnedAway) {
    std::vector<std::unique_ptr<RawClient>> idle;
    for (int i = 0; i < HandOverServer::maxClients; ++i)
        idle.push_back(std::make_unique<RawClient>(socket));
    RawClient oneTooMany(socket);
    // Turned away at once, well before the deadline that ends a silent client.
    EXPECT_TRUE(oneTooMany.hungUp(scaledMilliseconds(300)));
    EXPECT_TRUE(oneTooMany.answer.isEmpty());
}

// A socket file nobody listens on, as a viewer killed outright leaves it.
void leaveStaleSocket(const std::string& path) {
    const int descriptor = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(descriptor, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(descriptor);
}

TEST(HandOverServerTest, TheSocketFileIsTheOwnersAloneAndGoesWithTheServer) {
    TemporaryFolder folder;
    const auto path = folder.file("viewer.socket");
    {
        HandOverServer server;
        ASSERT_TRUE(server.listen(QString::fromStdString(path)));
        struct stat status {};
        ASSERT_EQ(::stat(path.c_str(), &status), 0);
        EXPECT_TRUE(S_ISSOCK(status.st_mode));
        EXPECT_EQ(status.st_mode & 0777, 0600u);
        HandOverServer another;
        EXPECT_FALSE(another.listen(QString::fromStdString(path))) << "a file already there stays";
    }
    EXPECT_NE(::access(path.c_str(), F_OK), 0);

    const QString tooLong = QString::fromStdString(folder.file(std::string(120, 'x')));
    EXPECT_FALSE(HandOverServer().listen(tooLong));
    EXPECT_EQ(handoverclient::handOver(tooLong, {"/a.png"}), Outcome::noViewer);
}

TEST(RunningViewerTest, TheFirstServesLaterOnesHandOverOrStandAlone) {
    TemporaryFolder folder;
    const auto socket = folder.file("viewer.socket");
    leaveStaleSocket(socket);
    RunningViewer first(QString::fromStdString(socket));
    EXPECT_EQ(first.claim({"/a.png"}, false).role, RunningViewer::Role::toServe);
    EXPECT_EQ(first.serve(), RunningViewer::Role::serving) << "a stale socket is replaced";
    ASSERT_NE(first.server(), nullptr);
    std::vector<std::string> received;
    first.server()->setReceiver([&](const std::vector<std::string>& paths) { received = paths; });

    RunningViewer separate(QString::fromStdString(socket));
    EXPECT_EQ(
        whileServing(std::async(std::launch::async, [&] { return separate.claim({"/b.png"}, true).role; })),
        RunningViewer::Role::alone);
    EXPECT_EQ(separate.server(), nullptr);

    RunningViewer second(QString::fromStdString(socket));
    EXPECT_EQ(
        whileServing(std::async(std::launch::async, [&] { return second.claim({"/c.png"}, false).role; })),
        RunningViewer::Role::handedOver);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !received.empty(); }));
    EXPECT_EQ(received, std::vector<std::string>{"/c.png"});
}

TEST(RunningViewerTest, ANewWindowTakesTheSocketWhenNobodyHoldsIt) {
    TemporaryFolder folder;
    RunningViewer viewer(QString::fromStdString(folder.file("viewer.socket")));
    EXPECT_EQ(viewer.claim({}, true).role, RunningViewer::Role::toServe);
    EXPECT_EQ(viewer.serve(), RunningViewer::Role::serving);
}

TEST(RunningViewerTest, WithoutASocketFolderTheViewerRunsAlone) {
    RunningViewer viewer{QString()};
    EXPECT_EQ(viewer.claim({"/a.png"}, false).role, RunningViewer::Role::alone);
    EXPECT_EQ(viewer.serve(), RunningViewer::Role::alone);
    TemporaryFolder folder;
    RunningViewer unusable(QString::fromStdString(folder.file("missing/viewer.socket")));
    EXPECT_EQ(unusable.claim({"/a.png"}, false).role, RunningViewer::Role::toServe);
    EXPECT_EQ(unusable.serve(), RunningViewer::Role::alone);
    EXPECT_EQ(unusable.server(), nullptr);
}

} // namespace
} // namespace vistrel::test
