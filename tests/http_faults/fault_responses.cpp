// What the fault server answers: the request is parsed, the first path component picks the
// behaviour, and the rest of the path names a file under --root.

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "fault_server.h"

namespace httpfaults {
namespace {

constexpr std::int64_t kSplitPauseMs = 50;  // long enough for the client to read the first part
constexpr std::int64_t kPiecePauseMs = 2;
constexpr std::size_t kSplitPieces = 8;
constexpr std::size_t kStallBytes = 1000;
constexpr std::size_t kTrickleBytes = 200;
constexpr std::int64_t kTricklePauseMs = 100;
constexpr std::size_t kBigHeader = 2000;  // bytes of a bigheader response before its blank line
constexpr std::size_t kFillerLine = 100;

const char* ReasonPhrase(int code) {
    switch (code) {
        case 200:
            return "OK";
        case 204:
            return "No Content";
        case 206:
            return "Partial Content";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 304:
            return "Not Modified";
        case 400:
            return "Bad Request";
        case 401:
            return "Unauthorized";
        case 403:
            return "Forbidden";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 416:
            return "Range Not Satisfiable";
        case 431:
            return "Request Header Fields Too Large";
        case 500:
            return "Internal Server Error";
        case 502:
            return "Bad Gateway";
        case 503:
            return "Service Unavailable";
        default:
            return "Status";
    }
}

std::string StatusHead(int code) {
    return "HTTP/1.1 " + std::to_string(code) + " " + ReasonPhrase(code) +
           "\r\nContent-Type: application/octet-stream\r\n";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// Request bytes go into the log as one line of printable characters.
std::string Printable(std::string text) {
    if (text.size() > 300) text = text.substr(0, 300) + "...";
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x21 || static_cast<unsigned char>(c) > 0x7e) c = '?';
    }
    return text;
}

bool AllDigits(const std::string& text, std::size_t maxDigits) {
    return !text.empty() && text.size() <= maxDigits &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

bool ParseRequest(const std::string& head, Request& request, std::string& error) {
    const std::vector<std::string> lines = Split(head, '\n');
    std::vector<std::string> first = Split(lines[0], ' ');
    if (!first.empty() && !first.back().empty() && first.back().back() == '\r') {
        first.back().pop_back();
    }
    if (first.size() != 3 || first[0].empty() || first[1].empty()) {
        error = "request-line";
        return false;
    }
    if (first[2] != "HTTP/1.1") {
        error = "version";
        return false;
    }
    request.method = first[0];
    request.target = first[1];
    request.path = request.target.substr(0, request.target.find('?'));
    if (request.path.empty() || request.path[0] != '/') {
        error = "target";
        return false;
    }
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string line = lines[i];
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) {
            error = "header-line";
            return false;
        }
        const std::string name = Lower(line.substr(0, colon));
        const std::size_t valueFrom = line.find_first_not_of(" \t", colon + 1);
        const std::size_t valueTo = line.find_last_not_of(" \t");
        const std::string value =
            valueFrom == std::string::npos ? "" : line.substr(valueFrom, valueTo + 1 - valueFrom);
        if (name == "range") {
            request.hasRange = true;
            request.range = value;
            // Only the form the update client sends; anything else is served as if absent.
            const std::string digits = value.size() > 7 ? value.substr(6, value.size() - 7) : "";
            request.rangeUsable =
                value.compare(0, 6, "bytes=") == 0 && value.back() == '-' && AllDigits(digits, 18);
            if (request.rangeUsable)
                request.rangeStart = std::strtoull(digits.c_str(), nullptr, 10);
        } else if (name == "connection") {
            request.clientCloses = Lower(value) == "close";
        }
    }
    return true;
}

// "X-Filler: fff...\r\n" lines of exactly `bytes` bytes in all (at least 13).
std::string Filler(std::size_t bytes) {
    std::string lines;
    while (bytes > 0) {
        const std::size_t line = bytes >= kFillerLine + 13 ? kFillerLine : bytes;
        lines += "X-Filler: " + std::string(line - 12, 'f') + "\r\n";
        bytes -= line;
    }
    return lines;
}

}  // namespace

void Server::HandleRequest(Connection& connection, const std::string& head) {
    Request request;
    std::string error;
    if (!ParseRequest(head, request, error)) {
        const int code = error == "version" ? 505 : 400;
        life_.Log("request conn=%d bad %s: %s -> %d, close", connection.id, error.c_str(),
                  Printable(head.substr(0, head.find('\r'))).c_str(), code);
        Simple(connection, code, "Connection: close\r\n");
        CloseAfterResponse(connection, "bad-request");
        return;
    }
    std::string done = Answer(connection, request);
    if (request.clientCloses && connection.state == ConnectionState::kRequests) {
        CloseAfterResponse(connection, "client-asked");
        done += ", close";
    }
    const std::string range = request.hasRange ? " range=" + Printable(request.range) : "";
    life_.Log("request conn=%d %s %s%s -> %s", connection.id, Printable(request.method).c_str(),
              Printable(request.target).c_str(), range.c_str(), done.c_str());
}

std::string Server::Answer(Connection& connection, const Request& request) {
    if (request.method != "GET") {
        CloseAfterResponse(connection, "method");
        return Simple(connection, 405, "Allow: GET\r\nConnection: close\r\n") + ", close";
    }
    std::vector<std::string> parts = Split(request.path.substr(1), '/');
    // Runs of slashes count as one, as on common web servers.
    parts.erase(std::remove(parts.begin(), parts.end(), std::string()), parts.end());
    if (parts.empty()) parts.emplace_back();
    if (std::find(parts.begin(), parts.end(), "..") != parts.end()) {
        return Simple(connection, 403) + " dot-dot";
    }
    const std::string& mode = parts[0];
    std::size_t fileFrom = 1;
    long number = 0;
    if (mode == "redirect" || mode == "status" || mode == "flaky" || mode == "flakywhole" ||
        mode == "flakybadrange") {
        if (parts.size() < 2 || !AllDigits(parts[1], 6)) return Simple(connection, 404) + " number";
        number = std::strtol(parts[1].c_str(), nullptr, 10);
        fileFrom = 2;
    }
    std::string file;
    for (std::size_t i = fileFrom; i < parts.size(); ++i) {
        file += (file.empty() ? "" : "/") + parts[i];
    }
    const std::string self = "http://" + options_.listenText;

    if (mode == "silent") {
        connection.state = ConnectionState::kIgnoring;
        return "silent";
    }
    if (mode == "loop") return Redirect(connection, "/loop/" + file);
    if (mode == "bigredirect") {
        // A redirect whose own body is larger than a header buffer and arrives after a pause.
        const std::string body(3000, 'r');
        Queue(connection, StatusHead(302) + "Location: /plain/" + file + "\r\nContent-Length: " +
                              std::to_string(body.size()) + "\r\n\r\n" + body.substr(0, 100));
        Queue(connection, body.substr(100), kSplitPauseMs);
        return "302 big body location=/plain/" + file;
    }
    if (mode == "closeredirect") {
        // The server ends the connection after the redirect; its body has no length.
        Queue(connection, StatusHead(302) + "location: /plain/" + file +
                              "\r\nconnection: close\r\n\r\nmoved\n");
        CloseAfterResponse(connection, "closeredirect");
        return "302 close location=/plain/" + file;
    }
    if (mode == "absloop") return Redirect(connection, self + "/absloop/" + file);
    if (mode == "absredirect") return Redirect(connection, self + "/plain/" + file);
    if (mode == "redirect" && number > 0) {
        return Redirect(connection, "/redirect/" + std::to_string(number - 1) + "/" + file);
    }
    if (mode == "status") {
        return number >= 200 && number <= 599 ? Simple(connection, static_cast<int>(number))
                                              : Simple(connection, 404) + " status";
    }
    static const char* const kFileModes[] = {"plain",    "split", "nolength",  "lowercase",
                                             "cut",      "stall", "bigheader", "badrange",
                                             "flaky",    "redirect", "trickle", "flakywhole",
                                             "flakybadrange"};
    if (std::find(std::begin(kFileModes), std::end(kFileModes), mode) == std::end(kFileModes)) {
        return Simple(connection, 404) + " unknown";
    }
    std::string content;
    const int code = LoadFile(file, content);
    if (code != 200) return Simple(connection, code) + (code == 403 ? " outside-root" : " no-file");
    if (mode == "redirect") return ServeFile(connection, request, "plain", file, content);
    if (mode == "flaky" || mode == "flakywhole" || mode == "flakybadrange") {
        // Counted per path across connections: the client's retries come on new connections.
        const int seen = ++flakyCounts_[request.path];
        const std::string then = mode == "flaky" ? "plain" : mode.substr(5);
        return mode + " " + std::to_string(seen) + "/" + std::to_string(number) + " " +
               ServeFile(connection, request, seen <= number ? "cut" : then, file, content);
    }
    return ServeFile(connection, request, mode, file, content);
}

std::string Server::ServeFile(Connection& connection, const Request& request,
                              const std::string& mode, const std::string& file,
                              const std::string& content) {
    const std::uint64_t size = content.size();
    // The whole-file fault ignores a Range and answers 200 with everything.
    const bool ranged = request.rangeUsable && mode != "whole";
    if (ranged && request.rangeStart >= size) {
        return Simple(connection, 416, "Content-Range: bytes */" + std::to_string(size) + "\r\n");
    }
    // The bad-range fault answers a resumption with the whole file, as if from the start.
    const std::uint64_t start = ranged && mode != "badrange" ? request.rangeStart : 0;
    const std::string body = content.substr(start);
    const int code = ranged ? 206 : 200;
    const std::string length = std::to_string(body.size());
    std::string head = StatusHead(code);
    std::string done = std::to_string(code) + " " + file;
    if (ranged) {
        const std::string range =
            std::to_string(start) + "-" + std::to_string(size - 1) + "/" + std::to_string(size);
        head += "Content-Range: bytes " + range + "\r\n";
        done += " bytes " + range;
    }
    if (mode == "lowercase") {
        head += "content-length: " + length + "\r\n";
    } else if (mode != "nolength") {
        head += "Content-Length: " + length + "\r\n";
    }
    done += " length=" + length;
    if (mode == "bigheader") head += Filler(kBigHeader - head.size());
    head += "\r\n";

    if (mode == "split") {
        // The blank line is split between two writes, so "\r\n\r\n" spans TCP segments.
        Queue(connection, head.substr(0, head.size() - 1));
        const std::size_t piece =
            std::max<std::size_t>(1, (body.size() + kSplitPieces - 1) / kSplitPieces);
        Queue(connection, "\n" + body.substr(0, piece), kSplitPauseMs);
        for (std::size_t at = piece; at < body.size(); at += piece) {
            Queue(connection, body.substr(at, piece), kPiecePauseMs);
        }
        return done + ", split";
    }
    if (mode == "cut") {
        const std::size_t half = body.size() / 2;
        Queue(connection, head + body.substr(0, half));
        CloseAfterResponse(connection, "cut");
        return done + ", cut after " + std::to_string(half) + ", close";
    }
    if (mode == "trickle") {
        // One byte now and then: alive, but far too slow to ever finish.
        Queue(connection, head);
        for (std::size_t at = 0; at < body.size() && at < kTrickleBytes; ++at) {
            Queue(connection, body.substr(at, 1), kTricklePauseMs);
        }
        return done + ", trickle";
    }
    if (mode == "stall") {
        const std::size_t sent = std::min(body.size(), kStallBytes);
        Queue(connection, head + body.substr(0, sent));
        connection.state = ConnectionState::kIgnoring;
        return done + ", stall after " + std::to_string(sent);
    }
    Queue(connection, head + body);
    if (mode == "nolength" || mode == "lowercase") {
        CloseAfterResponse(connection, mode.c_str());
        return done + ", close";
    }
    return done;
}

std::string Server::Simple(Connection& connection, int code, const std::string& extraHeaders) {
    // 204 and 304 never carry a body.
    const bool bodiless = code == 204 || code == 304;
    const std::string body = bodiless ? "" : std::to_string(code) + " " + ReasonPhrase(code) + "\n";
    Queue(connection,
          StatusHead(code) + extraHeaders +
              (bodiless ? "" : "Content-Length: " + std::to_string(body.size()) + "\r\n") + "\r\n" +
              body);
    return std::to_string(code);
}

std::string Server::Redirect(Connection& connection, const std::string& location) {
    const std::string body = "redirect to " + location + "\n";
    Queue(connection, StatusHead(302) + "Location: " + location +
                          "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body);
    return "302 location=" + location;
}

// 200 with the file's bytes, 403 for a path that leads out of the root (through a symbolic link),
// 404 for anything that is not a readable regular file.
int Server::LoadFile(const std::string& file, std::string& content) {
    if (file.empty()) return 404;
    char resolved[PATH_MAX];
    if (!realpath((root_ + "/" + file).c_str(), resolved)) return 404;
    const std::string path = resolved;
    const std::string prefix = root_ == "/" ? root_ : root_ + "/";
    if (path.compare(0, prefix.size(), prefix) != 0) return 403;
    struct stat info {};
    if (stat(resolved, &info) != 0 || !S_ISREG(info.st_mode)) return 404;
    std::ifstream stream(resolved, std::ios::binary);
    content.assign(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
    return stream.bad() || !stream.is_open() ? 404 : 200;
}

}  // namespace httpfaults
