// Clients that send and exit at once, without waiting for an answer (dbus-send without --print-reply, a
// script's last call): on a session bus that only their user may join, the shell serves every message
// although it can no longer ask the bus who sent it.
#include "ChildProcess.h"
#include "NSArray.h"
#include "NSFileManager.h"
#include "PLWriter.h"
#include "ShellHost.h"
#include "TestDeadline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kClients = 40;
constexpr int kMessagesEach = 20;

std::size_t loggedCount()
{
    const auto list = NSFileManager::defaultManager().readPropertyListAtPath(PLWriter::kNewNotificationsPath).valueAs<NSArray>();
    return list ? list->count() : 0;
}

TEST(SendersThatLeave, EveryMessageOfClientsThatExitAtOnceIsLogged)
{
    ShellHost shell;
    ASSERT_TRUE(shell.isRunning()) << shell.failure();
    ChildProcess::Options options;
    options.environment = {{"DBUS_SESSION_BUS_ADDRESS", shell.busAddress()}};
    std::vector<std::unique_ptr<ChildProcess>> clients;
    for (int client = 0; client < kClients; ++client) {
        std::string failure;
        clients.push_back(ChildProcess::start({VANTLE_IPC_PEER, "send-and-leave", PLWriter::kMessagingCenterName,
                                               PLWriter::kNewNotificationMessage, "Client" + std::to_string(client),
                                               std::to_string(kMessagesEach)},
                                              options, failure));
        ASSERT_NE(clients.back(), nullptr) << failure;
    }
    for (const auto& client : clients) {
        EXPECT_EQ(client->waitForExit(), 0);
    }
    // The messages are on their way through the bus; the shell is idle between them, so look until all are in.
    const auto deadline = std::chrono::steady_clock::now() + kTestDeadline;
    while (loggedCount() < kClients * kMessagesEach && std::chrono::steady_clock::now() < deadline) {
        shell.waitUntilIdle();
    }
    EXPECT_EQ(loggedCount(), std::size_t(kClients * kMessagesEach)) << shell.hostLog();
}

} // namespace
