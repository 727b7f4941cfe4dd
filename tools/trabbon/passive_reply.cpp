#include "passive_reply.h"

namespace ftpreply {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A number of one to three digits, 0 to 255, at `at`; moves past it.
bool ReadByte(std::string_view s, size_t& at, unsigned& value) {
    size_t digits = 0;
    value = 0;
    while (at < s.size() && IsDigit(s[at]) && digits < 4) {
        value = value * 10 + unsigned(s[at] - '0');
        ++at;
        ++digits;
    }
    return digits >= 1 && digits <= 3 && value <= 255 && !(at < s.size() && IsDigit(s[at]));
}

enum class Kind { Unreachable, Loopback, Inner, Public };

Kind KindOf(const Address& a) {
    if (a[0] == 0 || a[0] >= 224) return Kind::Unreachable;  // "this network", multicast, reserved, broadcast
    if (a[0] == 127) return Kind::Loopback;
    if (a[0] == 10 || (a[0] == 172 && a[1] >= 16 && a[1] <= 31) || (a[0] == 192 && a[1] == 168) ||
        (a[0] == 100 && a[1] >= 64 && a[1] <= 127) || (a[0] == 169 && a[1] == 254))
        return Kind::Inner;
    return Kind::Public;
}

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

}  // namespace

std::optional<Endpoint> ParsePassiveReply(std::string_view reply) {
    // The reply code's own digits are not one of the six.
    for (size_t start = 4; start < reply.size(); ++start) {
        if (!IsDigit(reply[start]) || IsDigit(reply[start - 1])) continue;
        unsigned v[6];
        size_t at = start;
        int n = 0;
        while (n < 6 && ReadByte(reply, at, v[n])) {
            ++n;
            if (n == 6) break;
            if (at >= reply.size() || reply[at] != ',') break;
            ++at;
            while (at < reply.size() && reply[at] == ' ') ++at;
        }
        if (n == 6) {
            Endpoint e;
            for (int i = 0; i < 4; ++i) e.address[size_t(i)] = uint8_t(v[i]);
            e.port = uint16_t(v[4] * 256 + v[5]);
            if (e.port != 0) return e;
        }
    }
    return std::nullopt;
}

std::optional<uint16_t> ParseExtendedPassiveReply(std::string_view reply) {
    const size_t open = reply.find('(');
    if (open == std::string_view::npos || open + 5 > reply.size()) return std::nullopt;
    const char d = reply[open + 1];
    if (d < 33 || d > 126 || IsDigit(d) || reply[open + 2] != d || reply[open + 3] != d) return std::nullopt;
    size_t at = open + 4;
    unsigned long port = 0;
    size_t digits = 0;
    while (at < reply.size() && IsDigit(reply[at]) && digits < 6) {
        port = port * 10 + unsigned(reply[at] - '0');
        ++at;
        ++digits;
    }
    if (digits == 0 || port == 0 || port > 65535 || at + 1 >= reply.size() || reply[at] != d || reply[at + 1] != ')')
        return std::nullopt;
    return uint16_t(port);
}

bool HasFeature(std::string_view reply, std::string_view feature) {
    size_t from = reply.find('\n');  // the first line is the reply's own
    while (from != std::string_view::npos && from < reply.size()) {
        size_t end = reply.find('\n', from + 1);
        std::string_view line = reply.substr(from + 1, end == std::string_view::npos ? std::string_view::npos : end - from - 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
        const size_t word = line.find_first_of(" \t\r");
        line = line.substr(0, word);
        bool same = line.size() == feature.size();
        for (size_t i = 0; same && i < line.size(); ++i) same = Lower(line[i]) == Lower(feature[i]);
        if (same) return true;
        from = end;
    }
    return false;
}

bool UsePeerAddress(const Address& reply, const Address& peer, bool viaProxy) {
    if (reply == peer) return false;
    switch (KindOf(reply)) {
        case Kind::Unreachable: return true;
        case Kind::Loopback: return KindOf(peer) != Kind::Loopback;
        case Kind::Inner: return viaProxy || KindOf(peer) == Kind::Public;
        case Kind::Public: return false;
    }
    return false;
}

}  // namespace ftpreply
