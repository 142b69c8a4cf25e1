#include "support/docstore_client.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <boost/asio/connect.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <optional>
#include <stdexcept>

#include "docstore/pg_db.h"
#include "docstore/xml_reader.h"

namespace orvex::docstore::testing {
namespace {

namespace beast = boost::beast;
namespace http = beast::http;
namespace asio = boost::asio;
using asio::ip::tcp;

constexpr char kTypesNs[] = "urn:uuid:c2f41010-65b3-11d1-a29f-00aa00c14882/";

std::string Base64(const std::string& in) {
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < in.size(); i += 3) {
    uint32_t v = (uint32_t{uint8_t(in[i])} << 16) | (uint32_t{uint8_t(in[i + 1])} << 8) |
                 uint32_t{uint8_t(in[i + 2])};
    out += {kChars[v >> 18], kChars[(v >> 12) & 63], kChars[(v >> 6) & 63], kChars[v & 63]};
  }
  if (i + 1 == in.size()) {
    uint32_t v = uint32_t{uint8_t(in[i])} << 16;
    out += {kChars[v >> 18], kChars[(v >> 12) & 63], '=', '='};
  } else if (i + 2 == in.size()) {
    uint32_t v = (uint32_t{uint8_t(in[i])} << 16) | (uint32_t{uint8_t(in[i + 1])} << 8);
    out += {kChars[v >> 18], kChars[(v >> 12) & 63], kChars[(v >> 6) & 63], '='};
  }
  return out;
}

std::string FullName(const std::string& ns, const std::string& local) {
  if (ns.empty()) return local;
  char last = ns.back();
  if (last == '/' || last == ':' || last == ';' || last == '?') return ns + local;
  return ns + "#" + local;
}

int StatusCode(const std::string& line) {
  // "HTTP/1.1 200 OK" or "200 OK"
  std::string rest = line;
  if (rest.rfind("HTTP/", 0) == 0) rest = rest.substr(rest.find(' ') + 1);
  return std::atoi(rest.c_str());
}

}  // namespace

std::optional<std::string> WireResponse::Text(const std::string& name) const {
  auto it = props.find(name);
  if (it == props.end() || it->second.status != 200) return std::nullopt;
  return it->second.text;
}

std::vector<std::string> WireResponse::Values(const std::string& name) const {
  auto it = props.find(name);
  if (it == props.end()) return {};
  return it->second.values;
}

std::vector<WireResponse> ParseMultistatus(const std::string& body) {
  auto parsed = ParseXml(body);
  if (!parsed.root || !parsed.root->Is("DAV:", "multistatus"))
    throw std::runtime_error("not a multistatus: " + parsed.error + "\n" + body);
  std::vector<WireResponse> out;
  for (const auto& response : parsed.root->children) {
    if (!response.Is("DAV:", "response")) continue;
    WireResponse r;
    if (auto* href = response.Child("DAV:", "href")) r.href = href->Text();
    for (const auto& propstat : response.children) {
      if (!propstat.Is("DAV:", "propstat")) continue;
      int status = 0;
      if (auto* s = propstat.Child("DAV:", "status")) status = StatusCode(s->Text());
      auto* prop = propstat.Child("DAV:", "prop");
      if (!prop) continue;
      for (const auto& p : prop->children) {
        WireValue v;
        v.status = status;
        if (auto* dt = p.Attr(kTypesNs, "dt")) v.type = *dt;
        v.text = p.Text();
        for (const auto& item : p.children)
          if (item.Is("xml:", "v")) v.values.push_back(item.Text());
        r.props[FullName(p.ns, p.name)] = v;
      }
    }
    out.push_back(std::move(r));
  }
  return out;
}

struct Client::Connection {
  asio::io_context io;
  asio::ssl::context tls_context{asio::ssl::context::tls_client};
  beast::tcp_stream stream{io};
  std::optional<beast::ssl_stream<beast::tcp_stream>> tls;  // over TLS
  beast::flat_buffer buffer;
  bool open = false;

  void Close() {
    if (tls) {
      beast::get_lowest_layer(*tls).close();
      tls.reset();
    } else {
      stream.close();
    }
    open = false;
  }
};

Client::Client(uint16_t port, std::string user, std::string password, std::string host, bool tls)
    : conn_(std::make_unique<Connection>()),
      port_(port),
      tls_(tls),
      user_(std::move(user)),
      password_(std::move(password)),
      host_(std::move(host)) {}

Client::~Client() = default;

HttpResult Client::Send(const std::string& method, const std::string& target,
                        const std::map<std::string, std::string>& headers,
                        const std::string& body) {
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (!conn_->open) {
      const tcp::endpoint server(asio::ip::make_address("127.0.0.1"), port_);
      if (tls_) {
        conn_->tls.emplace(conn_->io, conn_->tls_context);
        beast::get_lowest_layer(*conn_->tls).connect(server);
        conn_->tls->handshake(asio::ssl::stream_base::client);
      } else {
        conn_->stream.connect(server);
      }
      conn_->buffer.clear();
      conn_->open = true;
    }
    http::request<http::string_body> req;
    req.method_string(method);
    req.target(target);
    req.version(11);
    req.set(http::field::host, host_);
    if (!user_.empty())
      req.set(http::field::authorization, "Basic " + Base64(user_ + ":" + password_));
    for (const auto& [name, value] : headers) req.set(name, value);
    req.body() = body;
    req.prepare_payload();
    beast::error_code ec;
    http::response_parser<http::string_body> parser;
    parser.body_limit(256 * 1024 * 1024);
    if (method == "HEAD") parser.skip(true);
    auto exchange = [&](auto& stream) {
      http::write(stream, req, ec);
      if (!ec) http::read(stream, conn_->buffer, parser, ec);
    };
    if (conn_->tls)
      exchange(*conn_->tls);
    else
      exchange(conn_->stream);
    if (ec) {
      // The server may have closed an idle keep-alive connection: retry once
      // on a fresh one.
      conn_->Close();
      if (attempt == 0) continue;
      throw std::runtime_error("request failed: " + ec.message());
    }
    auto& res = parser.get();
    HttpResult result;
    result.status = static_cast<int>(res.result_int());
    for (const auto& field : res) {
      std::string name(field.name_string());
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      result.headers[name] = std::string(field.value());
    }
    result.body = std::move(res.body());
    if (!res.keep_alive()) conn_->Close();
    return result;
  }
  throw std::runtime_error("unreachable");
}

std::vector<WireResponse> Client::Propfind(const std::string& target, int depth) {
  auto r = Send("PROPFIND", target,
                {{"Depth", std::to_string(depth)}, {"Content-Type", "application/xml"}},
                "<?xml version=\"1.0\" encoding=\"utf-8\"?><D:propfind xmlns:D=\"DAV:\">"
                "<D:allprop/></D:propfind>");
  last_status_ = r.status;
  if (r.status != 207) return {};
  return ParseMultistatus(r.body);
}

std::string SendRaw(uint16_t port, const std::string& bytes, int timeout_ms) {
  asio::io_context io;
  tcp::socket socket(io);
  socket.connect(tcp::endpoint(asio::ip::make_address("127.0.0.1"), port));
  boost::system::error_code ec;
  asio::write(socket, asio::buffer(bytes), ec);
  std::string out;
  char buf[4096];
  for (;;) {
    pollfd pfd{socket.native_handle(), POLLIN, 0};
    if (::poll(&pfd, 1, timeout_ms) <= 0) break;
    size_t n = socket.read_some(asio::buffer(buf), ec);
    if (ec || n == 0) break;
    out.append(buf, n);
  }
  return out;
}

bool StoreInPostgres() {
  const char* cluster = std::getenv("ORVEX_TEST_POSTGRES");
  return cluster && *cluster;
}

std::string StoreLocation(const std::string& store_dir) {
  if (!StoreInPostgres()) return store_dir;
  const std::string cluster = std::getenv("ORVEX_TEST_POSTGRES");
  static std::atomic<int> made{0};
  std::string name = "orvex_" + std::to_string(::getpid()) + "_" + std::to_string(++made);
  if (!store_dir.empty()) name = "orvex_dir_" + std::to_string(std::hash<std::string>()(store_dir));
  PgDb admin("postgresql:///postgres?" + cluster);
  auto exists = admin.Prepare("SELECT 1 FROM pg_database WHERE datname = ?1");
  if (!exists->Bind(1, name).Step()) admin.Exec("CREATE DATABASE " + name);
  return "postgresql:///" + name + "?" + cluster;
}

std::unique_ptr<Server> StartServer(const std::string& seed_json, const std::string& store_dir) {
  ServerOptions options;
  options.seed_json = seed_json;
  options.store_dir = StoreLocation(store_dir);
  auto server = std::make_unique<Server>(options);
  server->Start();
  return server;
}

}  // namespace orvex::docstore::testing
