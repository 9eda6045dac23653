// An IPP printer on loopback that answers what the test tells it to: every
// HTTP request is read whole and answered by `answer` with the bytes of a
// whole HTTP response (an IPP message built with IppAnswer, a 401, or
// garbage). It keeps whether any request carried credentials.
#pragma once

#include <arpa/inet.h>
#include <cups/ipp.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <functional>
#include <string>
#include <thread>

#include "loopback_listener.h"

class HostileIppPrinter {
 public:
  struct Request {
    int number;  // 0 for the first request of the printer's life
    std::string head, body;
    ipp_op_t operation() const {
      return body.size() >= 4 ? static_cast<ipp_op_t>((static_cast<uint8_t>(body[2]) << 8) | static_cast<uint8_t>(body[3]))
                              : IPP_OP_CUPS_INVALID;
    }
  };
  using Answer = std::function<std::string(const Request&)>;

  explicit HostileIppPrinter(Answer answer, const char* address = "127.0.0.1") : answer_(std::move(answer)) {
    listener_ = ListenOnLoopback(address, port_);
    EXPECT_GE(listener_, 0);
    thread_ = std::thread([this] { Serve(); });
  }
  ~HostileIppPrinter() {
    stop_ = true;
    thread_.join();
    close(listener_);
  }

  uint16_t port() const { return port_; }
  int requests() const { return requests_; }
  bool sawCredentials() const { return sawCredentials_; }

  // A whole HTTP response holding an IPP answer with `status` and, when
  // given, these attributes in the groups that IPP has them in.
  static std::string IppAnswer(ipp_status_t status, const std::function<void(ipp_t*)>& attributes = {}) {
    ipp_t* message = ippNew();
    ippSetVersion(message, 2, 0);
    ippSetStatusCode(message, status);
    ippSetRequestId(message, 1);
    ippAddString(message, IPP_TAG_OPERATION, IPP_TAG_CHARSET, "attributes-charset", nullptr, "utf-8");
    ippAddString(message, IPP_TAG_OPERATION, IPP_TAG_LANGUAGE, "attributes-natural-language", nullptr, "en");
    if (attributes) attributes(message);
    std::string body;
    ippWriteIO(&body, [](void* to, ipp_uchar_t* bytes, size_t length) -> ssize_t {
      static_cast<std::string*>(to)->append(reinterpret_cast<char*>(bytes), length);
      return static_cast<ssize_t>(length);
    }, 1, nullptr, message);
    ippDelete(message);
    return Http("200 OK", body, "Content-Type: application/ipp\r\n");
  }
  static std::string Http(const std::string& status, const std::string& body, const std::string& headers = "") {
    return "HTTP/1.1 " + status + "\r\n" + headers + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" +
           body;
  }

 private:
  bool WaitReadable(int fd) {
    pollfd watched{fd, POLLIN, 0};
    while (!stop_)
      if (poll(&watched, 1, 20) > 0) return true;
    return false;
  }

  void Serve() {
    while (WaitReadable(listener_)) {
      const int connection = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (connection < 0) continue;
      while (ServeOne(connection)) {
      }
      close(connection);
    }
  }

  // One request and its answer; false when the connection is to close.
  bool ServeOne(int connection) {
    std::string bytes;
    size_t end = std::string::npos;
    char buffer[4096];
    while ((end = bytes.find("\r\n\r\n")) == std::string::npos) {
      if (!WaitReadable(connection)) return false;
      const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      bytes.append(buffer, static_cast<size_t>(got));
    }
    Request request{requests_, bytes.substr(0, end + 4), bytes.substr(end + 4)};
    std::string lower = request.head;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower.find("\nauthorization:") != std::string::npos) sawCredentials_ = true;
    const size_t lengthAt = lower.find("\ncontent-length:");
    const size_t length = lengthAt == std::string::npos ? 0 : std::stoul(lower.substr(lengthAt + 16));
    if (lower.find("\nexpect: 100-continue") != std::string::npos && request.body.size() < length) {
      const std::string goOn = "HTTP/1.1 100 Continue\r\n\r\n";
      send(connection, goOn.data(), goOn.size(), MSG_NOSIGNAL);
    }
    while (request.body.size() < length) {
      if (!WaitReadable(connection)) return false;
      const ssize_t got = recv(connection, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      request.body.append(buffer, static_cast<size_t>(got));
    }
    ++requests_;
    const std::string answer = answer_(request);
    send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    return answer.starts_with("HTTP/1.1 200");
  }

  Answer answer_;
  int listener_ = -1;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> requests_{0};
  std::atomic<bool> sawCredentials_{false};
  std::thread thread_;
};
