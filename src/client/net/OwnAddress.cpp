#include "client/net/OwnAddress.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QNetworkInterface>

#include "client/core/ClientUtil.h"

namespace novalune::client {

std::vector<std::string> InterfaceAddresses() {
  std::vector<std::string> addresses;
  for (const QHostAddress& address : QNetworkInterface::allAddresses()) {
    if (address.protocol() == QAbstractSocket::IPv4Protocol)
      addresses.push_back(address.toString().toStdString());
  }
  return addresses;
}

std::string DefaultRouteSource() {
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return {};
  // Connecting a datagram socket only picks the route and the source address;
  // no packet leaves. Any outside address follows the default route.
  sockaddr_in outside{};
  outside.sin_family = AF_INET;
  outside.sin_port = htons(9);
  ::inet_pton(AF_INET, "192.0.2.1", &outside.sin_addr);
  std::string source;
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::connect(fd, reinterpret_cast<const sockaddr*>(&outside), sizeof outside) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
    char text[INET_ADDRSTRLEN] = {};
    if (::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text) != nullptr) source = text;
  }
  ::close(fd);
  return source == "0.0.0.0" ? std::string() : source;
}

std::string LookUpMyAddress() { return ChooseMyAddress(InterfaceAddresses(), DefaultRouteSource()); }

}  // namespace novalune::client
