// What the stand-in answers: the logon server's name check, and the test channel (main 9) of the
// TCP socket component's own tests.

#include <sys/socket.h>

#include <cerrno>
#include <cstdio>

#include "launcher/register/name_check_messages.h"
#include "tests/hex_text.h"
#include "tests/logon_server/standin_options.h"
#include "tests/logon_server/standin_server.h"

namespace standin {
namespace {

constexpr std::uint16_t kTestChannelMain = 9;

}  // namespace

void Server::Read(Connection& connection) {
    const ssize_t received = recv(connection.fd, readBuffer_.data(), readBuffer_.size(), 0);
    if (received < 0) {
        if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) Close(connection, "error");
        return;
    }
    if (received == 0) {
        CloseWhenFlushed(connection, "peer");
        return;
    }
    connection.reader.Append(readBuffer_.data(), static_cast<std::size_t>(received));
    TcpCommand command{};
    std::vector<std::uint8_t> body;
    while (connection.reading) {
        const FrameReader::Result result = connection.reader.Next(command, body);
        if (result == FrameReader::Result::kNeedMore) break;
        if (result == FrameReader::Result::kMalformed) {
            life_.Log("malformed conn=%d", connection.id);
            Close(connection, "malformed");
            return;
        }
        life_.Log("frame conn=%d main=%u sub=%u size=%zu", connection.id, command.mainCommand,
                  command.subCommand, body.size());
        HandleFrame(connection, command, body);
    }
}

void Server::HandleFrame(Connection& connection, TcpCommand command,
                         const std::vector<std::uint8_t>& body) {
    const bool nameCheck = command.mainCommand == gatevane::kNameCheckMainCommand &&
                           (command.subCommand == gatevane::kAccountCheckSubCommand ||
                            command.subCommand == gatevane::kNicknameCheckSubCommand);
    if (nameCheck && body.size() == gatevane::kNameCheckRequestSize) {
        HandleNameCheck(connection, command, body);
    } else if (command.mainCommand == kTestChannelMain && command.subCommand >= 1 &&
               command.subCommand <= 7) {
        HandleTestChannel(connection, command, body);
    } else {
        life_.Log("ignore conn=%d main=%u sub=%u size=%zu", connection.id, command.mainCommand,
                  command.subCommand, body.size());
    }
}

void Server::HandleNameCheck(Connection& connection, TcpCommand command,
                             const std::vector<std::uint8_t>& body) {
    const std::string name = gatevane::DecodeNameCheckRequest(body.data());
    const auto taken = options_.taken.find(name);
    const bool available = taken == options_.taken.end();
    gatevane::NameCheckReply reply;
    reply.kind = static_cast<std::uint32_t>(command.subCommand == gatevane::kAccountCheckSubCommand
                                                ? gatevane::NameKind::kAccount
                                                : gatevane::NameKind::kNickname);
    reply.acceptable = available;
    reply.remark = available ? options_.freeRemark : taken->second;
    life_.Log("name-check conn=%d kind=%u name=%s available=%d", connection.id, reply.kind,
              gatevane::testing::EncodeHex(name).c_str(), available ? 1 : 0);
    const auto replyBody = gatevane::EncodeNameCheckReply(reply);
    const TcpCommand replyCommand{gatevane::kNameCheckMainCommand,
                                  gatevane::kAccountCheckSubCommand};
    switch (options_.misbehave) {
        case Misbehave::kNone:
        case Misbehave::kClose:  // such connections are gone before their first request
            QueueFrame(connection, replyCommand, replyBody.data(), replyBody.size());
            break;
        case Misbehave::kWrongSize:
            QueueFrame(connection, replyCommand, replyBody.data(), replyBody.size() - 1);
            break;
        case Misbehave::kOtherCommand:
            QueueFrame(connection, {2, gatevane::kAccountCheckSubCommand}, replyBody.data(),
                       replyBody.size());
            break;
        case Misbehave::kGarbage: {
            std::vector<std::uint8_t> garbage(16);
            for (std::size_t i = 0; i < garbage.size(); ++i)
                garbage[i] = static_cast<std::uint8_t>(i);
            Queue(connection, std::move(garbage), false, "garbage size=16");
            break;
        }
        case Misbehave::kSilent:
            life_.Log("silent conn=%d", connection.id);
            break;
    }
}

void Server::HandleTestChannel(Connection& connection, TcpCommand command,
                               const std::vector<std::uint8_t>& body) {
    const std::vector<std::uint8_t> frame =
        gatevane::EncodeFrame(command, body.data(), body.size());
    char what[64];
    std::snprintf(what, sizeof what, "main=%u sub=%u size=%zu", command.mainCommand,
                  command.subCommand, body.size());
    switch (command.subCommand) {
        case 1:
            Queue(connection, frame, false, what);
            break;
        case 2:
            Queue(connection, frame, true, std::string(what) + " trickled");
            break;
        case 3: {
            std::vector<std::uint8_t> packed;
            for (int i = 0; i < 3; ++i) packed.insert(packed.end(), frame.begin(), frame.end());
            Queue(connection, std::move(packed), false, std::string(what) + " x3");
            break;
        }
        case 4: {
            std::vector<std::uint8_t> bad = gatevane::EncodeFrame(command, "\x01\x02\x03\x04", 4);
            bad[0] = gatevane::kFrameMarker ^ 0xFF;
            Queue(connection, std::move(bad), false, "malformed-frame size=12");
            break;
        }
        case 5: {
            std::vector<std::uint8_t> header = gatevane::EncodeFrame(command, nullptr, 0);
            const std::size_t announced = gatevane::kMaxFrameBody + 1;
            header[2] = static_cast<std::uint8_t>(announced);
            header[3] = static_cast<std::uint8_t>(announced >> 8);
            Queue(connection, std::move(header), false, "oversized-header announced=16385");
            break;
        }
        case 6:
            CloseWhenFlushed(connection, "request");
            break;
        case 7:
            Queue(connection, frame, false, what);
            CloseWhenFlushed(connection, "request");
            break;
    }
}

void Server::Queue(Connection& connection, std::vector<std::uint8_t> bytes, bool trickle,
                   std::string what) {
    Chunk chunk;
    chunk.bytes = std::move(bytes);
    chunk.trickle = trickle;
    chunk.what = std::move(what);
    connection.out.push_back(std::move(chunk));
}

void Server::QueueFrame(Connection& connection, TcpCommand command, const void* body,
                        std::size_t size) {
    char what[64];
    std::snprintf(what, sizeof what, "main=%u sub=%u size=%zu", command.mainCommand,
                  command.subCommand, size);
    Queue(connection, gatevane::EncodeFrame(command, body, size), false, what);
}

}  // namespace standin
