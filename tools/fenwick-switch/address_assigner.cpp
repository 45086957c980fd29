#include "address_assigner.h"

#include "codec/text_forms.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <net/if.h>
#include <sys/socket.h>

namespace fenwick::sim {
namespace {

struct AddressRequest {
    nlmsghdr header;
    ifaddrmsg message;
    // IFA_LOCAL and IFA_ADDRESS, each an attribute head and 4 bytes.
    unsigned char attributes[2 * RTA_SPACE(4)];
};
// The kernel reads the message right after the header and the attributes right after it.
static_assert(offsetof(AddressRequest, message) == NLMSG_HDRLEN);
static_assert(offsetof(AddressRequest, attributes) == NLMSG_LENGTH(sizeof(ifaddrmsg)));

void AppendAddressAttribute(AddressRequest& request, std::uint16_t type, std::uint32_t ip) {
    rtattr* attribute = reinterpret_cast<rtattr*>(reinterpret_cast<unsigned char*>(&request) +
                                                  NLMSG_ALIGN(request.header.nlmsg_len));
    attribute->rta_type = type;
    attribute->rta_len = RTA_LENGTH(4);
    const std::uint32_t networkOrder = htonl(ip);
    std::memcpy(RTA_DATA(attribute), &networkOrder, 4);
    request.header.nlmsg_len = NLMSG_ALIGN(request.header.nlmsg_len) + RTA_SPACE(4);
}

} // namespace

std::optional<AddressAssigner> AddressAssigner::Open(const std::string& interface, int prefixLength,
                                                     std::string& error) {
    const unsigned index = if_nametoindex(interface.c_str());
    if (index == 0) {
        error = "no network interface " + interface;
        return std::nullopt;
    }
    if (prefixLength < 0 || prefixLength > 32) {
        error = "the prefix length must be 0 to 32";
        return std::nullopt;
    }
    UniqueFd fd(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE));
    if (!fd) {
        error = std::string("netlink socket: ") + std::strerror(errno);
        return std::nullopt;
    }
    return AddressAssigner(std::move(fd), static_cast<int>(index), prefixLength);
}

int AddressAssigner::Add(std::uint32_t ip, std::string& error) {
    return Change(RTM_NEWADDR, NLM_F_CREATE | NLM_F_EXCL, ip, error);
}

int AddressAssigner::Remove(std::uint32_t ip, std::string& error) {
    return Change(RTM_DELADDR, 0, ip, error);
}

int AddressAssigner::Change(std::uint16_t type, std::uint16_t flags, std::uint32_t ip,
                            std::string& error) {
    AddressRequest request{};
    request.header.nlmsg_len = NLMSG_LENGTH(sizeof(ifaddrmsg));
    request.header.nlmsg_type = type;
    request.header.nlmsg_flags = static_cast<std::uint16_t>(NLM_F_REQUEST | NLM_F_ACK | flags);
    request.header.nlmsg_seq = ++sequence_;
    request.message.ifa_family = AF_INET;
    request.message.ifa_prefixlen = static_cast<unsigned char>(prefixLength_);
    request.message.ifa_index = static_cast<unsigned>(interfaceIndex_);
    request.message.ifa_scope = RT_SCOPE_UNIVERSE;
    AppendAddressAttribute(request, IFA_LOCAL, ip);
    AppendAddressAttribute(request, IFA_ADDRESS, ip);

    const std::string what = (type == RTM_NEWADDR ? "adding " : "removing ") + AddressText(ip);
    sockaddr_nl kernel{};
    kernel.nl_family = AF_NETLINK;
    if (sendto(fd_.Get(), &request, request.header.nlmsg_len, 0,
               reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel) < 0) {
        error = what + ": " + std::strerror(errno);
        return -1;
    }
    // The acknowledgement is an error message whose code is 0 on success.
    alignas(nlmsghdr) unsigned char answer[1024];
    for (;;) {
        const ssize_t got = recv(fd_.Get(), answer, sizeof answer, 0);
        if (got < 0) {
            error = what + ": " + std::strerror(errno);
            return -1;
        }
        // Walked by hand rather than with NLMSG_OK, whose mixed signedness the compilers flag;
        // every length is checked against what arrived before it is trusted.
        const std::size_t length = static_cast<std::size_t>(got);
        std::size_t offset = 0;
        while (length - offset >= sizeof(nlmsghdr)) {
            nlmsghdr head;
            std::memcpy(&head, answer + offset, sizeof head);
            if (head.nlmsg_len < sizeof head || head.nlmsg_len > length - offset) {
                break;
            }
            if (head.nlmsg_seq == sequence_ && head.nlmsg_type == NLMSG_ERROR &&
                head.nlmsg_len >= NLMSG_LENGTH(sizeof(int))) {
                int code = 0;
                std::memcpy(&code, answer + offset + NLMSG_HDRLEN, sizeof code);
                code = -code;
                const bool harmless = (type == RTM_NEWADDR && code == EEXIST) ||
                                      (type == RTM_DELADDR && code == EADDRNOTAVAIL);
                if (code == 0 || harmless) {
                    return 0;
                }
                error = what + ": " + std::strerror(code);
                return -1;
            }
            offset += NLMSG_ALIGN(head.nlmsg_len);
        }
    }
}

} // namespace fenwick::sim
