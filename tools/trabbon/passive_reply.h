// What an FTP server's answers name for a passive data connection, and which
// address that connection goes to. No windows.h: the rules are tested on
// their own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace ftpreply {

using Address = std::array<uint8_t, 4>;  // IPv4, in the order written

struct Endpoint {
    Address address{};
    uint16_t port = 0;
};

// The first six comma-separated numbers of a 227 reply, wherever they stand
// after the code (RFC 1123 4.1.2.6): "227 Entering Passive Mode
// (h1,h2,h3,h4,p1,p2).", the same without parentheses, "227 =h1,...,p2", or
// with other text around them. Each number 0 to 255; a blank may follow a
// comma.
std::optional<Endpoint> ParsePassiveReply(std::string_view reply);

// The port of a 229 reply, "229 ... (|||port|)" with any one delimiter
// character (RFC 2428).
std::optional<uint16_t> ParseExtendedPassiveReply(std::string_view reply);

// Whether the FEAT reply lists the feature (its first word on a line of its
// own, compared without regard to case).
bool HasFeature(std::string_view featReply, std::string_view feature);

// Whether the data connection goes to the control connection's peer rather
// than to the address of a 227 reply: when that address cannot be reached
// from here. That is the unspecified address (and multicast or reserved
// ones); the server's own loopback seen from another host; and an inner
// address (private, shared or link-local) of a server that is reached
// through a proxy or from a public address, which is one behind a router
// naming its address on the inside.
bool UsePeerAddress(const Address& reply, const Address& peer, bool viaProxy);

}  // namespace ftpreply
