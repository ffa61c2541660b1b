#include "HttpCaller.h"

#include <stdexcept>

HttpCaller::HttpCaller(std::uint16_t port, const std::string& user, const std::string& token) {
  socket_.connect({asio::ip::make_address("127.0.0.1"), port});
  socket_.set_option(asio::ip::tcp::no_delay(true));
  head_ = "POST /rpc HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Type: application/json\r\nX-Ate-User: " + user + "\r\n";
  if (!token.empty()) head_ += "Authorization: Bearer " + token + "\r\n";
  head_ += "Content-Length: ";
}

std::string HttpCaller::Post(const std::string& body) {
  request_.assign(head_).append(std::to_string(body.size())).append("\r\n\r\n").append(body);
  asio::write(socket_, asio::buffer(request_));
  std::size_t end;
  while ((end = in_.find("\r\n\r\n")) == std::string::npos) {
    char chunk[16 * 1024];
    in_.append(chunk, socket_.read_some(asio::buffer(chunk)));
  }
  if (in_.compare(0, 13, "HTTP/1.1 200 ") != 0) throw std::runtime_error("HTTP answer: " + in_.substr(0, end));
  const std::size_t at = in_.find("Content-Length: ");
  if (at == std::string::npos || at > end) throw std::runtime_error("HTTP answer without Content-Length");
  const std::size_t length = std::stoul(in_.substr(at + 16, 12));
  while (in_.size() < end + 4 + length) {
    char chunk[16 * 1024];
    in_.append(chunk, socket_.read_some(asio::buffer(chunk)));
  }
  std::string answer = in_.substr(end + 4, length);
  in_.erase(0, end + 4 + length);
  return answer;
}
