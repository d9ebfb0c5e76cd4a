// The own address (EditMyIP, GetMyAddress): the address this machine uses to
// reach other hosts, which is the one peers can connect back to.
#pragma once

#include <string>
#include <vector>

namespace novalune::client {

// The machine's IPv4 addresses as dotted text, loopback included.
std::vector<std::string> InterfaceAddresses();
// The source address the kernel picks for the default route, found without
// sending anything; empty when there is no route.
std::string DefaultRouteSource();
// ChooseMyAddress of the two.
std::string LookUpMyAddress();

}  // namespace novalune::client
